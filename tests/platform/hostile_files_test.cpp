// Files named by the outside world that are not regular files: a FIFO with
// no writer, a device, a directory. Opening one by name must neither block
// nor succeed, whichever service opens it.
#include "temp_dir.h"
#include <gtest/gtest.h>
#include <velmora_platform.h>
#include <windows.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "player/script_play.h"

namespace {

// A call that blocks would hang the suite; this turns a hang into a failure
// that says what happened.
void OnAlarm(int) {
    const char text[] = "\nblocked: opening a FIFO or device did not return within 10 s\n";
    ssize_t ignored = write(2, text, sizeof text - 1);
    (void)ignored;
    _exit(1);
}

class HostileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        vplat::ResetPlatform();
        signal(SIGALRM, OnAlarm);
        alarm(10);
        fifo_ = velmora_test::TempDir() + "fifo-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        unlink(fifo_.c_str());
        ASSERT_EQ(mkfifo(fifo_.c_str(), 0600), 0) << strerror(errno);
    }
    void TearDown() override {
        alarm(0);
        unlink(fifo_.c_str());
        vplat::ResetPlatform();
    }
    std::string fifo_;
};

TEST_F(HostileFileTest, LopenFindsNoFifoInAnyMode) {
    EXPECT_EQ(_lopen(fifo_.c_str(), OF_READ), HFILE_ERROR) << "read";
    // Read-write would open at once on a FIFO, and the first read would wait.
    EXPECT_EQ(_lopen(fifo_.c_str(), 2 /* OF_READWRITE */), HFILE_ERROR) << "read-write";
    EXPECT_EQ(_lopen(fifo_.c_str(), 1 /* OF_WRITE */), HFILE_ERROR) << "write";
}

TEST_F(HostileFileTest, LopenFindsNoDeviceOrDirectory) {
    EXPECT_EQ(_lopen("/dev/null", OF_READ), HFILE_ERROR) << "/dev/null";
    EXPECT_EQ(_lopen("/dev/zero", OF_READ), HFILE_ERROR) << "/dev/zero";
    EXPECT_EQ(_lopen(velmora_test::TempDir().c_str(), OF_READ), HFILE_ERROR) << "a folder";
}

TEST_F(HostileFileTest, LoadImageFromAFifoGivesNull) {
    EXPECT_EQ(LoadImageA(nullptr, fifo_.c_str(), IMAGE_BITMAP, 0, 0,
                         LR_LOADFROMFILE | LR_CREATEDIBSECTION),
              nullptr);
}

TEST_F(HostileFileTest, ScriptThatIsAFifoIsRefusedWithTheReason) {
    std::string error;
    EXPECT_FALSE(vplat::player::LoadScript(fifo_, &error));
    EXPECT_EQ(error, fifo_ + ": cannot read the script (is not a regular file)");
}

TEST_F(HostileFileTest, ScriptThatIsADirectoryIsRefusedNotTakenAsEmpty) {
    std::string folder = velmora_test::TempDir();
    std::string error;
    EXPECT_FALSE(vplat::player::LoadScript(folder, &error)) << "a folder read as no events";
    EXPECT_EQ(error, folder + ": cannot read the script (is a directory)");
}

TEST_F(HostileFileTest, ScriptThatIsADeviceIsRefused) {
    std::string error;
    EXPECT_FALSE(vplat::player::LoadScript("/dev/null", &error));
    EXPECT_EQ(error, "/dev/null: cannot read the script (is not a regular file)");
}

TEST_F(HostileFileTest, AMissingScriptSaysWhy) {
    std::string error;
    EXPECT_FALSE(vplat::player::LoadScript(fifo_ + "-missing", &error));
    EXPECT_EQ(error, fifo_ + "-missing: cannot read the script (No such file or directory)");
}

}  // namespace
