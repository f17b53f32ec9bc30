// The headless script: what it accepts, what it refuses (one line naming
// the file and line), and how a loaded script runs from the message polls.
#include "temp_dir.h"
#include <gtest/gtest.h>
#include <velmora_platform.h>

#include <cstdio>
#include <fstream>

#include "../../platform/src/backend/backends.h"
#include "../../platform/src/backend/headless/script.h"
#include "../../platform/src/internal.h"

#include <ddraw.h>

namespace {

using vplat::headless::Command;
using vplat::headless::Op;

std::vector<Command> Parse(const std::string& text) {
    std::vector<Command> commands;
    std::string error;
    EXPECT_TRUE(vplat::headless::ParseScript(text, "run.txt", &commands, &error)) << error;
    return commands;
}

std::string ParseError(const std::string& text) {
    std::vector<Command> commands;
    std::string error;
    EXPECT_FALSE(vplat::headless::ParseScript(text, "run.txt", &commands, &error));
    return error;
}

TEST(HeadlessScript, ParsesEveryCommandAndSkipsBlankAndCommentLines) {
    std::vector<Command> commands = Parse(
        "# a comment\n\nframes 3\npolls 10\nwait 250\ndown space\nup LEFT\n"
        "  press f12 5\npress z\ncapture title_01\nlose\nminimize\nrestore\nclose\n");
    std::vector<Op> ops;
    for (const Command& command : commands) {
        ops.push_back(command.op);
    }
    std::vector<Op> expected = {Op::Frames, Op::Polls,    Op::Wait,    Op::Down,
                                Op::Up,     Op::Down,     Op::Frames,  Op::Up,
                                Op::Down,   Op::Frames,   Op::Up,      Op::Capture,
                                Op::Lose,   Op::Minimize, Op::Restore, Op::Close};
    ASSERT_EQ(expected, ops);
    EXPECT_EQ(3, commands[0].number);
    EXPECT_EQ(3, commands[0].line);
    EXPECT_EQ(VK_SPACE, commands[3].key);
    EXPECT_EQ(VK_LEFT, commands[4].key);
    EXPECT_EQ(VK_F12, commands[5].key);
    EXPECT_EQ(5, commands[6].number);
    EXPECT_EQ('Z', commands[8].key);
    EXPECT_EQ(2, commands[9].number);  // press defaults to two frames
    EXPECT_EQ("title_01", commands[11].name);
}

TEST(HeadlessScript, KeyNames) {
    EXPECT_EQ(VK_ESCAPE, vplat::headless::KeyCode("escape"));
    EXPECT_EQ(VK_F1, vplat::headless::KeyCode("f1"));
    EXPECT_EQ(VK_F1 + 9, vplat::headless::KeyCode("f10"));
    EXPECT_EQ('7', vplat::headless::KeyCode("7"));
    EXPECT_EQ('A', vplat::headless::KeyCode("a"));
    EXPECT_EQ(0, vplat::headless::KeyCode("f13"));
    EXPECT_EQ(0, vplat::headless::KeyCode("f0"));
    EXPECT_EQ(0, vplat::headless::KeyCode("enterkey"));
}

TEST(HeadlessScript, RefusesBadLinesNamingFileAndLine) {
    EXPECT_EQ("run.txt:2: unknown command 'jump'", ParseError("frames 1\njump 3\n"));
    EXPECT_EQ("run.txt:1: bad number '-4'", ParseError("frames -4\n"));
    EXPECT_EQ("run.txt:1: bad number '3x'", ParseError("polls 3x\n"));
    EXPECT_EQ("run.txt:1: bad number '99999999999'", ParseError("wait 99999999999\n"));
    EXPECT_EQ("run.txt:1: 'frames' needs a number", ParseError("frames\n"));
    EXPECT_EQ("run.txt:3: unknown key 'enter'", ParseError("\n\ndown enter\n"));
    EXPECT_EQ("run.txt:1: 'press' needs a key", ParseError("press\n"));
    EXPECT_EQ("run.txt:1: bad number 'x'", ParseError("press a x\n"));
    EXPECT_EQ("run.txt:1: 'capture' needs a name", ParseError("capture\n"));
    EXPECT_EQ("run.txt:1: too many words after 'close'", ParseError("close now\n"));
    EXPECT_EQ("run.txt:1: too many words after 'frames'", ParseError("frames 1 2\n"));
}

TEST(HeadlessScript, LoadScriptReportsAnUnreadableFile) {
    std::string error;
    EXPECT_FALSE(vplat::headless::LoadScript("/nonexistent/dir/script.txt", &error));
    EXPECT_NE(std::string::npos, error.find("/nonexistent/dir/script.txt"));
}

// An offscreen surface shows when the script's `lose` has run.
IDirectDrawSurface7* WatchedSurface() {
    IDirectDraw7* dd = nullptr;
    EXPECT_EQ(DD_OK, DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7,
                                        nullptr));
    EXPECT_EQ(DD_OK, dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL));
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 4;
    desc.dwHeight = 4;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(DD_OK, dd->CreateSurface(&desc, &surface, nullptr));
    return surface;
}

void Poll() {
    vplat::internal::OnMessagePoll(true);
}

class HeadlessRun : public ::testing::Test {
protected:
    void TearDown() override { vplat::ResetPlatform(); }
};

TEST_F(HeadlessRun, FramesEndAtSleeps) {
    IDirectDrawSurface7* surface = WatchedSurface();
    vplat::headless::UseScript(Parse("frames 2\nlose\n"), "run.txt");
    Poll();
    Poll();
    vplat::internal::OnSleep(1);
    Poll();
    EXPECT_EQ(DD_OK, surface->IsLost());
    vplat::internal::OnSleep(1);
    Poll();
    EXPECT_EQ(DDERR_SURFACELOST, surface->IsLost());
}

TEST_F(HeadlessRun, PollsCountMessagePolls) {
    IDirectDrawSurface7* surface = WatchedSurface();
    vplat::headless::UseScript(Parse("polls 3\nlose\n"), "run.txt");
    Poll();
    Poll();
    Poll();
    EXPECT_EQ(DD_OK, surface->IsLost());
    Poll();
    EXPECT_EQ(DDERR_SURFACELOST, surface->IsLost());
}

TEST_F(HeadlessRun, WaitAdvancesTheVirtualClockAtOnce) {
    vplat::UseVirtualClock(1000);
    vplat::headless::UseScript(Parse("wait 250\nwait 5\n"), "run.txt");
    Poll();
    EXPECT_EQ(1255u, GetTickCount());
}

TEST_F(HeadlessRun, CaptureWritesTheLastFrameIntoTheCaptureFolder) {
    std::string dir = velmora_test::TempDir();
    setenv("VELMORA_CAPTURE_DIR", dir.c_str(), 1);
    std::remove((dir + "/shot.png").c_str());
    uint8_t pixels[4 * 2] = {1, 2, 3, 4, 5, 6, 7, 8};
    PALETTEENTRY palette[256] = {};
    vplat::internal::PresentIndexed(pixels, 4, 2, 4, palette);
    vplat::headless::UseScript(Parse("capture shot\n"), "run.txt");
    Poll();
    std::ifstream png(dir + "/shot.png", std::ios::binary);
    ASSERT_TRUE(png.good());
    char signature[4] = {};
    png.read(signature, 4);
    EXPECT_EQ(std::string("\x89PNG"), std::string(signature, 4));
}

TEST(HeadlessRunDeathTest, WaitingForFramesThatNeverComeExitsWithThree) {
    vplat::headless::UseScript(Parse("frames 1\n"), "stuck.txt");
    EXPECT_EXIT(
        {
            for (;;) {
                vplat::internal::OnMessagePoll(true);
            }
        },
        ::testing::ExitedWithCode(3), "no progress.*stuck.txt.*line 1");
}

TEST_F(HeadlessRun, FramesKeepTheRunAlive) {
    vplat::headless::UseScript(Parse("frames 3\n"), "slow.txt");
    // Many polls between frames are not a stall as long as frames keep coming.
    for (int frame = 0; frame < 3; ++frame) {
        for (int i = 0; i < 6000000; ++i) {
            vplat::internal::OnMessagePoll(true);
        }
        vplat::internal::OnSleep(1);
    }
    vplat::internal::OnMessagePoll(true);
    SUCCEED();
}

TEST(HeadlessMessageBox, PrintsOneLineAndReturns) {
    ::testing::internal::CaptureStderr();
    vplat::internal::ShowMessageBox("SetDisplayMode FAILED", "2D Game Velmora");
    EXPECT_EQ("MessageBoxA \"2D Game Velmora\": SetDisplayMode FAILED\n",
              ::testing::internal::GetCapturedStderr());
}

}  // namespace
