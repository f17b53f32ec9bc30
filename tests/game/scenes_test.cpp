// The title and play scenes, their keys, and the scene state machine, run
// frame by frame on the headless platform.
#include "game.h"
#include "game_test_support.h"

namespace {

const int kKey = 145;  // the transparent colour's index
const int kFill = 128;

class SceneTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        window_ = SetUpDisplay();
        title_ = SurfaceBytes(g_titleSurface);
        background_ = SurfaceBytes(g_backgroundSurface);
        chara_ = SurfaceBytes(g_charaSurface);
        vplat::ClearJournal();
    }

    void Frame() { RunFrame(window_); }

    static int Shown(int x, int y) {
        vplat::Frame frame = vplat::PresentedFrame();
        return frame.indices.at(y * frame.width + x);
    }

    // Checks a strip of the title image as the title scene shows it: keyed
    // over the fill.
    void ExpectTitleStrip(int sourceTop, int rows, int screenTop) {
        vplat::Frame frame = vplat::PresentedFrame();
        int mismatches = 0;
        for (int y = 0; y < rows; y++) {
            for (int x = 0; x < 640; x++) {
                int source = title_[(sourceTop + y) * 640 + x];
                int expected = source == kKey ? kFill : source;
                mismatches += frame.indices[(screenTop + y) * 640 + x] != expected;
            }
        }
        EXPECT_EQ(mismatches, 0);
    }

    // Checks the play frame: background rows 0-479, ball at x, y.
    void ExpectPlayFrame(int ballX, int ballY) {
        vplat::Frame frame = vplat::PresentedFrame();
        int mismatches = 0;
        for (int y = 16; y < 480; y++) {
            for (int x = 0; x < 640; x++) {
                int expected = background_[y * 640 + x];
                if (x >= ballX && x < ballX + 8 && y >= ballY && y < ballY + 8) {
                    int sprite = chara_[(104 + y - ballY) * 192 + (x - ballX)];
                    expected = sprite == kKey ? expected : sprite;
                }
                mismatches += frame.indices[y * 640 + x] != expected;
            }
        }
        EXPECT_EQ(mismatches, 0) << "ball expected at " << ballX << "," << ballY;
    }

    void EnterPlay() {
        vplat::PressKey(VK_SPACE);
        Frame();
        vplat::ReleaseKey(VK_SPACE);
        GetAsyncKeyState(VK_SPACE);  // forget the press
        Frame();
        ASSERT_EQ(g_sceneState, SCENE_PLAY);
    }

    HWND window_ = nullptr;
    std::vector<BYTE> title_, background_, chara_;
};

TEST_F(SceneTest, FirstFrameSetsUpAndShowsTheTitle) {
    Frame();
    EXPECT_EQ(g_sceneState, SCENE_TITLE);
    EXPECT_EQ(vplat::PresentedFrame().number, 1u);
    ExpectTitleStrip(0, 100, 100);
    ExpectTitleStrip(100, 35, 350);
    for (int y : {0, 50, 99, 200, 349, 385, 479}) {
        for (int x : {0, 320, 639}) {
            EXPECT_EQ(Shown(x, y), kFill) << x << "," << y;
        }
    }
}

TEST_F(SceneTest, TheArrowsAndSDoNothingOnTheTitle) {
    Frame();
    for (int key : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, (int)'S'}) {
        vplat::PressKey(key);
    }
    Frame();
    EXPECT_EQ(g_sceneState, SCENE_TITLE);
    EXPECT_EQ(vplat::JournalNames({"GetAsyncKeyState"}).size(), 2u);
}

TEST_F(SceneTest, SpaceAlreadyDownInTheFirstFrameStartsPlayNext) {
    vplat::PressKey(VK_SPACE);
    Frame();
    EXPECT_EQ(g_sceneState, SCENE_PLAY_INIT);
    ExpectTitleStrip(0, 100, 100);
    Frame();
    EXPECT_EQ(g_sceneState, SCENE_PLAY);
    ExpectPlayFrame(386, 400);
}

TEST_F(SceneTest, SpaceIsSeenOnlyAfterBothTitleStripsWereDrawn) {
    Frame();
    vplat::PressKey(VK_SPACE);
    vplat::ClearJournal();
    // The prompt strip (the second blit of the frame) fails.
    vplat::InjectFault("BltFast", DDERR_INVALIDRECT, 1, nullptr, 1);
    Frame();
    EXPECT_EQ(g_sceneState, SCENE_TITLE);
    EXPECT_EQ(CountCalls("GetAsyncKeyState"), 0);
    EXPECT_EQ(CountCalls("Flip"), 1);  // the frame is still shown
    Frame();
    EXPECT_EQ(g_sceneState, SCENE_PLAY_INIT);
}

TEST_F(SceneTest, ArrowsMoveTheBallAndTheMoveShowsNextFrame) {
    EnterPlay();
    ExpectPlayFrame(386, 400);
    vplat::PressKey(VK_RIGHT);
    vplat::PressKey(VK_UP);
    Frame();
    ExpectPlayFrame(386, 400);  // drawn where the previous frame left it
    EXPECT_EQ(g_charaX, 387);
    EXPECT_EQ(g_charaY, 399);
    Frame();
    ExpectPlayFrame(387, 399);
}

struct MoveCase {
    const char* name;  // what the case shows, as the test's name
    int x, y;
    std::vector<int> keys;
    int expectedX, expectedY;
};

void PrintTo(const MoveCase& move, std::ostream* out) {
    *out << move.name;
}

class PlayMoveTest : public SceneTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(PlayMoveTest, MovesAndWraps) {
    const MoveCase& c = GetParam();
    EnterPlay();
    g_charaX = c.x;
    g_charaY = c.y;
    for (int key : c.keys) {
        vplat::PressKey(key);
    }
    Frame();
    EXPECT_EQ(g_charaX, c.expectedX);
    EXPECT_EQ(g_charaY, c.expectedY);
    Frame();
    ExpectPlayFrame(c.expectedX, c.expectedY);
}

const MoveCase kMoves[] = {
    MoveCase{"LeftAtTheLeftEdgeWrapsToTheRight", 150, 200, {VK_LEFT}, 622, 200},
    MoveCase{"RightAtTheRightEdgeWrapsToTheLeft", 622, 200, {VK_RIGHT}, 150, 200},
    MoveCase{"UpAtTheTopWrapsToTheBottom", 300, 0, {VK_UP}, 300, 472},
    MoveCase{"DownAtTheBottomWrapsToTheTop", 300, 472, {VK_DOWN}, 300, 0},
    MoveCase{"LeftAndUpReachTheTopLeftCorner", 151, 1, {VK_LEFT, VK_UP}, 150, 0},
    MoveCase{"LeftAndUpAtTheTopLeftCornerWrapBoth", 150, 0, {VK_LEFT, VK_UP}, 622, 472},
    MoveCase{"RightAndDownAtTheBottomRightCornerWrapBoth", 622, 472, {VK_RIGHT, VK_DOWN}, 150, 0},
    MoveCase{"LeftAndRightTogetherCancel", 300, 200, {VK_LEFT, VK_RIGHT}, 300, 200},
    MoveCase{"UpAndDownTogetherCancel", 300, 200, {VK_UP, VK_DOWN}, 300, 200},
    MoveCase{"SpaceDoesNotMove", 300, 200, {VK_SPACE}, 300, 200},
};

INSTANTIATE_TEST_SUITE_P(Edges, PlayMoveTest, ::testing::ValuesIn(kMoves),
                         [](const ::testing::TestParamInfo<MoveCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(SceneTest, SReturnsToTheTitleAtTheNextFrame) {
    EnterPlay();
    vplat::PressKey('S');
    Frame();
    EXPECT_EQ(g_sceneState, SCENE_TITLE_INIT);
    ExpectPlayFrame(386, 400);
    vplat::ReleaseKey('S');
    Frame();
    EXPECT_EQ(g_sceneState, SCENE_TITLE);
    ExpectTitleStrip(0, 100, 100);
}

TEST_F(SceneTest, SAndSpaceTogetherGoThroughOneTitleFrameToAFreshPlay) {
    EnterPlay();
    g_charaX = 200;
    vplat::PressKey('S');
    vplat::PressKey(VK_SPACE);
    Frame();
    EXPECT_EQ(g_sceneState, SCENE_TITLE_INIT);
    Frame();
    EXPECT_EQ(g_sceneState, SCENE_PLAY_INIT);
    ExpectTitleStrip(0, 100, 100);
    vplat::ReleaseKey('S');
    GetAsyncKeyState('S');
    Frame();
    EXPECT_EQ(g_sceneState, SCENE_PLAY);
    ExpectPlayFrame(386, 400);
}

TEST_F(SceneTest, AFailedBackgroundBlitSkipsSpriteKeysAndMove) {
    EnterPlay();
    vplat::PressKey(VK_LEFT);
    vplat::PressKey('S');
    vplat::ClearJournal();
    vplat::InjectFault("BltFast", DDERR_INVALIDRECT, 1);
    Frame();
    EXPECT_EQ(CountCalls("BltFast"), 1);
    EXPECT_EQ(CountCalls("GetAsyncKeyState"), 0);
    EXPECT_EQ(g_charaX, 386);
    EXPECT_EQ(g_sceneState, SCENE_PLAY);
    EXPECT_EQ(CountCalls("Flip"), 1);
}

TEST_F(SceneTest, AFailedSpriteBlitSkipsKeysAndMove) {
    EnterPlay();
    vplat::PressKey(VK_LEFT);
    vplat::PressKey('S');
    vplat::ClearJournal();
    vplat::InjectFault("BltFast", DDERR_INVALIDRECT, 1, nullptr, 1);
    Frame();
    EXPECT_EQ(CountCalls("BltFast"), 2);
    EXPECT_EQ(CountCalls("GetAsyncKeyState"), 0);
    EXPECT_EQ(g_charaX, 386);
    EXPECT_EQ(g_sceneState, SCENE_PLAY);
}

TEST_F(SceneTest, AnUnknownStateRunsNoSceneButCountsAndShowsTheFrame) {
    g_sceneState = 99;
    Frame();
    EXPECT_EQ(CountCalls("BltFast"), 0);
    EXPECT_EQ(CountCalls("Flip"), 1);
    EXPECT_EQ(g_frameCount, 1);
    EXPECT_EQ(g_sceneState, 99);
}

TEST_F(SceneTest, APlayingGameCarriesOnAfterTheDisplayWasLost) {
    EnterPlay();
    vplat::PressKey(VK_DOWN);
    Frame();
    vplat::ReleaseKey(VK_DOWN);
    GetAsyncKeyState(VK_DOWN);
    vplat::LoseAllSurfaces();
    Frame();  // recovery: the background blit is dropped
    Frame();
    Frame();
    EXPECT_EQ(g_sceneState, SCENE_PLAY);
    ExpectPlayFrame(386, 401);
}

}  // namespace
