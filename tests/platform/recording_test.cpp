// Recording a session: events reach the disk at once, readings within a
// second (a crash keeps them), whole lines only; a file that cannot be made
// is refused with the reason. What a recording plays back as, the player suite checks end to end.
#include "temp_dir.h"
#include <gtest/gtest.h>
#include <velmora_platform.h>

#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include "player/recording.h"

namespace {

std::string Contents(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class Recording : public ::testing::Test {
protected:
    std::string path = velmora_test::TempDir() + "session.txt";
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(vplat::player::StartRecording(path, &error)) << error;
    }
    void TearDown() override {
        vplat::player::StopRecording();
        vplat::ResetPlatform();
    }
};

TEST_F(Recording, EventsAreWrittenAtOnceReadingsWithinASecond) {
    vplat::player::RecordReading(100);
    EXPECT_EQ(std::string::npos, Contents(path).find("tick 100"));
    vplat::player::RecordEvent(vplat::script::Action::Up, VK_SPACE);
    EXPECT_NE(std::string::npos, Contents(path).find("0 tick 100\n0 up SPACE\n"));
    vplat::player::RecordReading(116);
    std::this_thread::sleep_for(std::chrono::milliseconds(1050));
    vplat::player::RecordReading(1166);
    EXPECT_NE(std::string::npos, Contents(path).find("0 tick 116\n0 tick 1166\n"))
        << "found:\n"
        << Contents(path);
}

// A disk that fills part way through a write: the recording stops with
// whole lines only, and still plays.
TEST_F(Recording, AWriteThatFailsPartWayLeavesWholeLinesOnly) {
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit limit = before;
    // Five bytes into the 101st line of "0 down SPACE".
    limit.rlim_cur = Contents(path).size() + 100 * 13 + 5;
    setrlimit(RLIMIT_FSIZE, &limit);
    for (int i = 0; i < 10000 && vplat::player::Recording(); ++i) {
        vplat::player::RecordEvent(vplat::script::Action::Down, VK_SPACE);
    }
    setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_FALSE(vplat::player::Recording()) << "the write past the limit did not fail";
    std::string text = Contents(path);
    ASSERT_GT(text.size(), 1300u);
    EXPECT_EQ('\n', text.back()) << "the file ends inside a line: ..."
                                 << text.substr(text.size() - 20);
    std::vector<vplat::script::Event> events;
    std::string error;
    std::string warning;
    EXPECT_TRUE(vplat::script::ParseScript(text, path, &events, &error, &warning)) << error;
    EXPECT_EQ("", warning);
}

TEST(RecordingFile, ThatCannotBeMadeIsRefusedWithTheReason) {
    std::string error;
    EXPECT_FALSE(vplat::player::StartRecording("/nonexistent/dir/r.txt", &error));
    EXPECT_EQ("cannot write the recording /nonexistent/dir/r.txt (No such file or directory)",
              error);
    EXPECT_FALSE(vplat::player::StartRecording("/dev/null", &error));
    EXPECT_EQ("cannot write the recording /dev/null (is not a regular file)", error);
    EXPECT_FALSE(vplat::player::Recording());
}

}  // namespace
