// Recording a session: the file plays back as the events and readings that
// went in, each at its frame; events reach the disk at once, readings within
// a second; a file that cannot be made is refused with the reason.
#include "temp_dir.h"
#include <gtest/gtest.h>
#include <velmora_platform.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "backend/headless/script.h"
#include "internal.h"
#include "player/recording.h"

namespace {

using vplat::headless::Action;
using vplat::headless::Event;

std::string Contents(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void PresentOne() {
    static const uint8_t pixels[4] = {};
    static const PALETTEENTRY palette[256] = {};
    vplat::internal::PresentIndexed(pixels, 2, 2, 2, palette);
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

TEST_F(Recording, PlaysBackAsWhatWentInAtItsFrames) {
    vplat::player::RecordReading(4000);
    PresentOne();
    vplat::player::RecordEvent("down LEFT");
    vplat::player::RecordReading(4017);
    PresentOne();
    PresentOne();
    vplat::player::RecordEvent("minimize");
    vplat::player::StopRecording();
    std::vector<Event> events;
    std::string error;
    ASSERT_TRUE(vplat::headless::ParseScript(Contents(path), path, &events, &error)) << error;
    ASSERT_EQ(4u, events.size());
    EXPECT_EQ(0, events[0].frame);
    EXPECT_EQ(4000u, events[0].reading);
    EXPECT_EQ(1, events[1].frame);
    EXPECT_EQ(VK_LEFT, events[1].key);
    EXPECT_EQ(4017u, events[2].reading);
    EXPECT_EQ(3, events[3].frame);
    EXPECT_EQ(Action::Minimize, events[3].action);
}

TEST_F(Recording, EventsAreWrittenAtOnceReadingsWithinASecond) {
    vplat::player::RecordReading(100);
    EXPECT_EQ(std::string::npos, Contents(path).find("tick 100"));
    vplat::player::RecordEvent("up SPACE");
    EXPECT_NE(std::string::npos, Contents(path).find("0 tick 100\n0 up SPACE\n"));
    vplat::player::RecordReading(116);
    std::this_thread::sleep_for(std::chrono::milliseconds(1050));
    vplat::player::RecordReading(1166);
    EXPECT_NE(std::string::npos, Contents(path).find("0 tick 116\n0 tick 1166\n"))
        << "found:\n"
        << Contents(path);
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
