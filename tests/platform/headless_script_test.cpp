// The headless script: what it accepts, what it refuses (one line naming
// the file and line), and how a loaded script runs from the message polls.
#include "temp_dir.h"
#include <gtest/gtest.h>
#include <velmora_platform.h>

#include <cstdio>
#include <fstream>

#include "player/script_play.h"
#include "script/script.h"
#include "internal.h"

#include <ddraw.h>

namespace {

using vplat::script::Action;
using vplat::script::Event;

std::vector<Event> Parse(const std::string& text) {
    std::vector<Event> events;
    std::string error;
    EXPECT_TRUE(vplat::script::ParseScript(text, "run.txt", &events, &error)) << error;
    return events;
}

std::string ParseError(const std::string& text) {
    std::vector<Event> events;
    std::string error;
    EXPECT_FALSE(vplat::script::ParseScript(text, "run.txt", &events, &error));
    return error;
}

TEST(HeadlessScript, ParsesEveryActionAndSkipsBlankAndCommentLines) {
    std::vector<Event> events = Parse(
        "# a comment\n\n0 down SPACE\n1 up LEFT  # trailing comment\n  2 tap F12\n3 capture\n"
        "4 minimize\n4 idle 500\n4 restore\n5 lose\n6 close\n7 down s\n7 SWITCH\n");
    std::vector<Action> actions;
    for (const Event& event : events) {
        actions.push_back(event.action);
    }
    std::vector<Action> expected = {Action::Down,    Action::Up,       Action::Tap,
                                    Action::Capture, Action::Minimize, Action::Idle,
                                    Action::Restore, Action::Lose,     Action::Close,
                                    Action::Down,    Action::Switch};
    ASSERT_EQ(expected, actions);
    EXPECT_EQ(0, events[0].frame);
    EXPECT_EQ(3, events[0].line);
    EXPECT_EQ(VK_SPACE, events[0].key);
    EXPECT_EQ(VK_LEFT, events[1].key);
    EXPECT_EQ(VK_F12, events[2].key);
    EXPECT_EQ(500, events[5].polls);
    EXPECT_EQ(4, events[6].frame);
    EXPECT_EQ('S', events[9].key);
}

TEST(HeadlessScript, EventsFireByFrameKeepingScriptOrderWithinAFrame) {
    std::vector<Event> events = Parse("5 up SPACE\n2 down SPACE\n5 capture\n2 tap S\n");
    ASSERT_EQ(4u, events.size());
    EXPECT_EQ(Action::Down, events[0].action);
    EXPECT_EQ(Action::Tap, events[1].action);
    EXPECT_EQ(Action::Up, events[2].action);
    EXPECT_EQ(Action::Capture, events[3].action);
}

TEST(HeadlessScript, KeyNames) {
    EXPECT_EQ(VK_ESCAPE, vplat::script::KeyCode("ESCAPE"));
    EXPECT_EQ(VK_F12, vplat::script::KeyCode("F12"));
    EXPECT_EQ(VK_RIGHT, vplat::script::KeyCode("right"));
    EXPECT_EQ('S', vplat::script::KeyCode("S"));
    EXPECT_EQ(0, vplat::script::KeyCode("ENTER"));
    EXPECT_EQ(0, vplat::script::KeyCode("F13"));
    EXPECT_EQ(0, vplat::script::KeyCode("F01"));
    EXPECT_EQ(0, vplat::script::KeyCode("AB"));
    // A recording names every key the game's key state can be given, and
    // reads each name back as the same key.
    for (int key : {VK_SPACE, VK_RETURN, VK_TAB, VK_BACK, VK_SHIFT, VK_CONTROL, VK_MENU, int{'A'},
                    int{'Z'}, int{'0'}, int{'9'}, VK_F1, VK_F1 + 11}) {
        const char* name = vplat::script::KeyName(key);
        ASSERT_NE(nullptr, name) << "no name for key " << key;
        EXPECT_EQ(key, vplat::script::KeyCode(name)) << name;
    }
    EXPECT_EQ(nullptr, vplat::script::KeyName(0x5B));  // the Windows key: never given
}

// What the writer writes, the parser reads back as the same events; a key no
// script can name gives no line at all.
TEST(HeadlessScript, WrittenLinesReadBackAsTheSameEvents) {
    std::string text = vplat::script::HeaderLine("a test");
    std::vector<Event> written;
    for (Action action :
         {Action::Down, Action::Up, Action::Tap, Action::Capture, Action::Minimize, Action::Restore,
          Action::Lose, Action::Switch, Action::Close, Action::Idle, Action::Tick}) {
        Event event;
        event.action = action;
        event.frame = static_cast<int64_t>(written.size());
        event.key = VK_F4;
        event.polls = 12;
        event.reading = 4294967295u;
        written.push_back(event);
        text += vplat::script::FormatLine(event.frame, event);
    }
    Event unnamed;
    unnamed.key = 0x5B;
    unnamed.action = Action::Down;
    EXPECT_EQ("", vplat::script::FormatLine(3, unnamed));
    std::vector<Event> read = Parse(text);
    ASSERT_EQ(written.size(), read.size()) << text;
    for (size_t i = 0; i < read.size(); ++i) {
        Action action = read[i].action;
        bool keyed = action == Action::Down || action == Action::Up || action == Action::Tap;
        EXPECT_EQ(written[i].action, action) << "line " << read[i].line << " of\n" << text;
        EXPECT_EQ(written[i].frame, read[i].frame) << text;
        EXPECT_EQ(keyed ? VK_F4 : 0, read[i].key) << text;
        EXPECT_EQ(action == Action::Idle ? 12 : 0, read[i].polls) << text;
        EXPECT_EQ(action == Action::Tick ? 4294967295u : 0u, read[i].reading) << text;
    }
}

// A recording cut inside its last line (a crash, a disk full while another
// program wrote) plays up to the line before, and says so once.
TEST(HeadlessScript, ARecordingCutInsideALinePlaysUpToTheLineBefore) {
    std::vector<Event> events;
    std::string error;
    std::string warning;
    ASSERT_TRUE(vplat::script::ParseScript("velmora-script 1\n0 tick 10\n16777216 tick 2",
                                           "run.txt", &events, &error, &warning))
        << error;
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(10u, events[0].reading);
    EXPECT_EQ(
        "run.txt:3: the file ends inside this line (cut short); it plays up to the line "
        "before",
        warning);
}

// A recording: the header line, then clock readings among the events.
TEST(HeadlessScript, ReadsARecordingWithItsHeaderAndClockReadings) {
    std::vector<Event> events = Parse(
        "velmora-script 1  # recorded by velmora\n0 tick 4294967295\n0 tick 0\n"
        "1 down F9\n1 tick 17\n");
    ASSERT_EQ(4u, events.size());
    EXPECT_EQ(Action::Tick, events[0].action);
    EXPECT_EQ(4294967295u, events[0].reading);
    EXPECT_EQ(0u, events[1].reading);
    EXPECT_EQ(VK_F1 + 8, events[2].key);
    EXPECT_EQ(17u, events[3].reading);
    // Without the header a last line may end without its newline, as before.
    EXPECT_EQ(1u, Parse("0 tick 5").size());
}

TEST(HeadlessScript, RefusesDamagedRecordingsNamingTheLine) {
    EXPECT_EQ("run.txt:1: written by a newer Velmora (format version 2; this one plays up to 1)",
              ParseError("velmora-script 2\n0 tick 1\n"));
    EXPECT_EQ("run.txt:1: expected 'velmora-script 1' as the header",
              ParseError("velmora-script one\n"));
    EXPECT_EQ("run.txt:2: the header 'velmora-script' belongs on the first line",
              ParseError("0 tick 1\nvelmora-script 1\n"));
    EXPECT_EQ("run.txt:3: frame 16777217 is past any session (at most 16777216)",
              ParseError("velmora-script 1\n0 tick 0\n16777217 capture\n"));
    EXPECT_EQ(
        "run.txt:3: idle polls come to 16777217, more than any session has (at most "
        "16777216)",
        ParseError("0 idle 16777216\n0 idle 0\n1 idle 1\n"));
    EXPECT_EQ("run.txt:3: frame 4 comes after frame 9",
              ParseError("velmora-script 1\n9 tick 10\n4 tick 20\n"));
    EXPECT_EQ("run.txt:2: bad clock reading '4294967296' (0 to 4294967295 ms)",
              ParseError("velmora-script 1\n0 tick 4294967296\n"));
    EXPECT_EQ("run.txt:1: 'tick' needs a clock reading", ParseError("0 tick\n"));
    // What a hostile file puts in a message is cut short and made printable.
    EXPECT_EQ("run.txt:1: unknown action '?[2J" + std::string(20, 'x') + "...'",
              ParseError("0 \x1b[2J" + std::string(500, 'x') + "\n"));
}

TEST(HeadlessScript, RefusesBadLinesNamingFileAndLine) {
    EXPECT_EQ("run.txt:2: unknown action 'jump'", ParseError("0 capture\n1 jump\n"));
    EXPECT_EQ("run.txt:1: expected a frame number, not 'down'", ParseError("down SPACE\n"));
    EXPECT_EQ("run.txt:1: expected a frame number, not '-4'", ParseError("-4 lose\n"));
    EXPECT_EQ("run.txt:1: expected a frame number, not '99999999999'",
              ParseError("99999999999 lose\n"));
    EXPECT_EQ("run.txt:1: frame 3 needs an action", ParseError("3\n"));
    EXPECT_EQ("run.txt:3: unknown key 'ENTER'", ParseError("\n\n0 down ENTER\n"));
    EXPECT_EQ("run.txt:1: 'tap' needs a key", ParseError("0 tap\n"));
    EXPECT_EQ("run.txt:1: bad number of polls 'x'", ParseError("0 idle x\n"));
    EXPECT_EQ("run.txt:1: too many words after 'close'", ParseError("0 close now\n"));
    EXPECT_EQ("run.txt:1: too many words after 'down'", ParseError("0 down S S\n"));
}

TEST(HeadlessScript, LoadScriptReportsAnUnreadableFile) {
    std::string error;
    EXPECT_FALSE(vplat::player::LoadScript("/nonexistent/dir/script.txt", &error));
    EXPECT_NE(std::string::npos, error.find("/nonexistent/dir/script.txt"));
}

// A file playing is read a block at a time: rewritten under the player, it
// stops at the first line that no longer reads, and says why.
TEST(ScriptFile, ChangedWhileItPlaysStopsAtTheFirstLineThatNoLongerReads) {
    std::string path = velmora_test::TempDir() + "changed.txt";
    std::string clock = "velmora-script 1\n";
    for (int i = 0; i < 10000; ++i) {
        clock += "0 tick 1000\n";  // past the first block
    }
    std::ofstream(path) << clock << "5 down SPACE\n";
    vplat::script::EventQueue queue(path, vplat::script::EventQueue::Kind::All);
    ASSERT_NE(nullptr, queue.Next());
    std::ofstream(path) << clock << "5 down SPACEBAR\n";
    int events = 0;
    for (; queue.Next() != nullptr; queue.Pop()) {
        ++events;
    }
    EXPECT_EQ(10000, events);
    EXPECT_EQ(path + ":10002: unknown key 'SPACEBAR' (the file changed while it played)",
              queue.Fault());
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

// Presents one 4 x 2 frame, as a Flip would.
void PresentOne() {
    static const uint8_t pixels[4 * 2] = {1, 2, 3, 4, 5, 6, 7, 8};
    static const PALETTEENTRY palette[256] = {};
    vplat::internal::PresentIndexed({pixels, 4, 2, 4, palette, 1});
}

TEST_F(HeadlessRun, EventsFireOnceTheirFrameHasBeenPresented) {
    IDirectDrawSurface7* surface = WatchedSurface();
    vplat::player::UseScript(Parse("2 lose\n"), "run.txt");
    Poll();
    PresentOne();
    Poll();
    EXPECT_EQ(DD_OK, surface->IsLost());
    PresentOne();
    Poll();
    EXPECT_EQ(DDERR_SURFACELOST, surface->IsLost());
}

TEST_F(HeadlessRun, IdleHoldsTheNextEventsForItsPolls) {
    IDirectDrawSurface7* surface = WatchedSurface();
    vplat::player::UseScript(Parse("0 idle 3\n0 lose\n"), "run.txt");
    Poll();
    Poll();
    Poll();
    EXPECT_EQ(DD_OK, surface->IsLost());
    Poll();
    EXPECT_EQ(DDERR_SURFACELOST, surface->IsLost());
}

TEST_F(HeadlessRun, TapLeavesOnlyThePressedSinceBit) {
    vplat::player::UseScript(Parse("0 tap SPACE\n0 down LEFT\n"), "run.txt");
    Poll();
    EXPECT_EQ(0x0001, GetAsyncKeyState(VK_SPACE));
    EXPECT_EQ(0, GetAsyncKeyState(VK_SPACE));
    EXPECT_NE(0, GetAsyncKeyState(VK_LEFT) & 0x8000);
}

TEST_F(HeadlessRun, CaptureWritesTheNextPresentedFrameUnderItsNumber) {
    std::string dir = velmora_test::TempDir();
    setenv("VELMORA_CAPTURE", dir.c_str(), 1);
    PresentOne();
    vplat::player::UseScript(Parse("1 capture\n"), "run.txt");
    Poll();
    std::string second = dir + "/frame-000002.png";
    std::remove(second.c_str());
    EXPECT_FALSE(std::ifstream(dir + "/frame-000001.png").good());
    PresentOne();
    std::ifstream png(second, std::ios::binary);
    ASSERT_TRUE(png.good());
    char signature[4] = {};
    png.read(signature, 4);
    EXPECT_EQ(std::string("\x89PNG"), std::string(signature, 4));
}

TEST_F(HeadlessRun, ClockReadingsAreAnsweredInOrderThenTheClockGoesOnFromTheLast) {
    vplat::UseVirtualClock(0);
    vplat::player::UseScript(Parse("0 tick 5000\n0 tick 5003\n1 tick 5020\n"), "run.txt");
    EXPECT_EQ(5000u, GetTickCount());
    EXPECT_EQ(5003u, GetTickCount());
    EXPECT_EQ(5020u, GetTickCount());
    Sleep(1);
    EXPECT_EQ(5021u, GetTickCount());
}

TEST(HeadlessRunDeathTest, WaitingForFramesThatNeverComeExitsWithThree) {
    vplat::player::UseScript(Parse("1 lose\n"), "stuck.txt");
    EXPECT_EXIT(
        {
            for (;;) {
                vplat::internal::OnMessagePoll(true);
            }
        },
        ::testing::ExitedWithCode(3), "no progress.*stuck.txt.*line 1");
}

// How many polls with nothing to do make a stall: a game that runs presents
// a frame every poll or two, so this many is already far beyond any real run.
constexpr int kStallPolls = 2000;

TEST(HeadlessRunDeathTest, GivesUpAfterABoundedNumberOfEmptyPolls) {
    vplat::player::UseScript(Parse("1 capture\n"), "stuck.txt");
    EXPECT_EXIT(
        {
            for (int i = 0; i < kStallPolls; ++i) {
                vplat::internal::OnMessagePoll(true);
            }
            fprintf(stderr, "still running after %d polls without a frame\n", kStallPolls);
            exit(0);
        },
        ::testing::ExitedWithCode(3), "no progress for 2000 polls");
}

TEST(HeadlessRunDeathTest, AnEndedScriptWhoseGameDoesNotQuitGivesUp) {
    vplat::player::UseScript(Parse("0 tap SPACE\n"), "ended.txt");
    EXPECT_EXIT(
        {
            for (int i = 0; i < 2 * kStallPolls; ++i) {
                vplat::internal::OnMessagePoll(true);
            }
            fprintf(stderr, "still running after %d polls\n", 2 * kStallPolls);
            exit(0);
        },
        ::testing::ExitedWithCode(3), "after the script's end");
}

TEST_F(HeadlessRun, FramesKeepTheRunAlive) {
    IDirectDrawSurface7* surface = WatchedSurface();
    vplat::player::UseScript(Parse("3 lose\n"), "slow.txt");
    // Almost a stall's worth of polls between frames is still not a stall
    // as long as frames keep coming; the event then fires on time.
    for (int frame = 0; frame < 3; ++frame) {
        for (int i = 0; i < kStallPolls - 1; ++i) {
            vplat::internal::OnMessagePoll(true);
        }
        EXPECT_EQ(DD_OK, surface->IsLost()) << "lost before frame " << frame + 1;
        PresentOne();
    }
    vplat::internal::OnMessagePoll(true);
    EXPECT_EQ(DDERR_SURFACELOST, surface->IsLost()) << "the event after frame 3 did not fire";
}

// How many answers of one call, all the same, with no poll and no frame
// between, make a stall: a frame of the game makes a few dozen at most.
constexpr int kStallAnswers = 100000;

TEST_F(HeadlessRun, SameAnswersWithAPollOrAFrameBetweenAreNotAStall) {
    IDirectDrawSurface7* surface = WatchedSurface();
    vplat::InjectFault("Flip", DDERR_WASSTILLDRAWING, -1, nullptr, 0);
    vplat::player::UseScript(Parse("9 capture\n"), "busy.txt");
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < kStallAnswers - 1; ++i) {
            surface->Flip(nullptr, 0);
        }
        round % 2 == 0 ? Poll() : PresentOne();
    }
}

TEST(HeadlessRunDeathTest, ACallAnsweredTheSameWayForEverGivesUpNamingIt) {
    IDirectDrawSurface7* surface = WatchedSurface();
    vplat::InjectFault("Flip", DDERR_WASSTILLDRAWING, -1, nullptr, 0);
    vplat::player::UseScript(Parse("9 capture\n"), "busy.txt");
    EXPECT_EXIT(
        {
            for (int i = 0; i < kStallAnswers; ++i) {
                surface->Flip(nullptr, 0);
            }
            fprintf(stderr, "still running after %d busy answers\n", kStallAnswers);
            exit(0);
        },
        ::testing::ExitedWithCode(3),
        "no progress: Flip answered 0x8876021C 100000 times.*busy.txt, waiting at line 1");
    vplat::ResetPlatform();
}

TEST_F(HeadlessRun, PollsAScriptAsksForWithIdleAreNotAStall) {
    IDirectDrawSurface7* surface = WatchedSurface();
    vplat::player::UseScript(Parse("0 idle 30000\n0 lose\n"), "idle.txt");
    for (int i = 0; i < 30001; ++i) {
        vplat::internal::OnMessagePoll(true);
    }
    vplat::internal::OnMessagePoll(true);
    EXPECT_EQ(DDERR_SURFACELOST, surface->IsLost()) << "the events after the idle did not fire";
}

// Polls as the game's loop makes them, until the script's end closes the
// window: how many it took, or 0 when it did not within `limit`.
int PollsUntilClosed(int limit) {
    MSG msg{};
    for (int polls = 1; polls <= limit; ++polls) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message == WM_CLOSE) {
            return polls;
        }
    }
    return 0;
}

TEST_F(HeadlessRun, AnIdleAtTheScriptsEndHoldsTheCloseForItsPollsOnly) {
    vplat::player::UseScript(Parse("0 idle 3\n"), "idle.txt");
    EXPECT_EQ(5, PollsUntilClosed(100)) << "polls before the close was seen (0: never)";
}

TEST(HeadlessMessageBox, PrintsOneLineAndReturns) {
    ::testing::internal::CaptureStderr();
    vplat::internal::ShowMessageBox("SetDisplayMode FAILED", "2D Game Velmora");
    EXPECT_EQ("MessageBoxA: 2D Game Velmora: SetDisplayMode FAILED\n",
              ::testing::internal::GetCapturedStderr());
}

}  // namespace
