// Game controllers through SDL's virtual joystick, on SDL's dummy video
// driver: the pad's buttons and stick feed the key state GetAsyncKeyState
// reads, share keys with the keyboard, let go when unplugged, and play the
// game.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "backend/sdl/state.h"
#include "game.h"
#include "game_test_support.h"

namespace {

// Button numbers of the virtual pad, in SDL's game controller order.
enum PadButton {
    kA = 0,
    kB = 1,
    kBack = 4,
    kGuide = 5,
    kStart = 6,
    kDpadLeft = 13,
    kDpadRight = 14
};

bool Down(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

class Gamepad : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        // SDL's own renderer: a GL driver loaded and unloaded again leaves
        // allocations the leak checker cannot name.
        setenv("SDL_RENDER_DRIVER", "software", 1);
        // Dummy windows never get the input focus, and SDL drops pad
        // events while a window exists that has none.
        setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
        std::string error;
        ASSERT_TRUE(vplat::sdl::Start(&error)) << error;
        vplat::SelectBackend(vplat::Backend::Sdl);
        Plug();
    }

    void TearDown() override {
        if (pad_ != nullptr) {
            SDL_JoystickClose(pad_);
        }
        vplat::sdl::Stop();
        GameTest::TearDown();
    }

    void Plug() {
        int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
        ASSERT_GE(index, 0) << SDL_GetError();
        char guid[64];
        SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
        std::string mapping = std::string(guid) +
                              ",Velmora Test Pad,a:b0,b:b1,x:b2,y:b3,back:b4,guide:b5,start:b6,"
                              "dpup:b11,dpdown:b12,dpleft:b13,dpright:b14,leftx:a0,lefty:a1,";
        ASSERT_GE(SDL_GameControllerAddMapping(mapping.c_str()), 0) << SDL_GetError();
        pad_ = SDL_JoystickOpen(index);
        ASSERT_NE(nullptr, pad_) << SDL_GetError();
        index_ = index;
        Pump();
    }

    void Unplug() {
        SDL_JoystickClose(pad_);
        pad_ = nullptr;
        SDL_JoystickDetachVirtual(index_);
        Pump();
    }

    static void Pump() {
        for (int i = 0; i < 3; ++i) {
            vplat::sdl::PumpEvents();
        }
    }

    void Button(int button, bool down) {
        SDL_JoystickSetVirtualButton(pad_, button, down ? 1 : 0);
        Pump();
    }

    void Axis(int axis, int value) {
        SDL_JoystickSetVirtualAxis(pad_, axis, static_cast<Sint16>(value));
        Pump();
    }

    // SDL holds back a Guide release that comes within a quarter of a second
    // of its press (some pads send a spurious pair).
    static void WaitForGuideRelease() {
        for (int waited = 0; waited < 1000 && Down(VK_ESCAPE); waited += 10) {
            SDL_Delay(10);
            Pump();
        }
    }

    static void Key(SDL_Keycode key, bool down) {
        SDL_Event event = {};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.keysym.sym = key;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        SDL_PushEvent(&event);
        Pump();
    }

    SDL_Joystick* pad_ = nullptr;
    int index_ = -1;
};

struct ButtonCase {
    const char* name;
    int button;
    int key;
};

const ButtonCase kButtons[] = {
    {"AIsSpace", kA, VK_SPACE},
    {"StartIsSpace", kStart, VK_SPACE},
    {"BIsS", kB, 'S'},
    {"BackIsS", kBack, 'S'},
    {"GuideIsEscape", kGuide, VK_ESCAPE},
    {"DpadLeftIsLeft", kDpadLeft, VK_LEFT},
    {"DpadRightIsRight", kDpadRight, VK_RIGHT},
};

TEST_F(Gamepad, ButtonsAreTheGameKeys) {
    for (const ButtonCase& c : kButtons) {
        Button(c.button, true);
        EXPECT_TRUE(Down(c.key)) << c.name << ": key 0x" << std::hex << c.key << " not down";
        Button(c.button, false);
        WaitForGuideRelease();
        EXPECT_FALSE(Down(c.key)) << c.name << ": key 0x" << std::hex << c.key << " still down";
    }
}

// The thresholds themselves are pad_keys_test's; here, which axis is which.
TEST_F(Gamepad, LeftStickIsTheArrows) {
    Axis(SDL_CONTROLLER_AXIS_LEFTX, -20000);
    EXPECT_TRUE(Down(VK_LEFT)) << "stick at -20000 should hold Left";
    Axis(SDL_CONTROLLER_AXIS_LEFTX, -4000);
    EXPECT_FALSE(Down(VK_LEFT)) << "Left still held near the centre";
    Axis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
    EXPECT_TRUE(Down(VK_DOWN)) << "stick down should hold Down";
    EXPECT_FALSE(Down(VK_UP)) << "stick down also held Up";
}

TEST_F(Gamepad, UnpluggingLetsGoOfItsKeys) {
    Button(kDpadRight, true);
    ASSERT_TRUE(Down(VK_RIGHT));
    Unplug();
    EXPECT_FALSE(Down(VK_RIGHT)) << "Right stayed down after the pad was unplugged";
    Plug();
    Button(kA, true);
    EXPECT_TRUE(Down(VK_SPACE)) << "a pad plugged in again does nothing";
}

TEST_F(Gamepad, KeyboardAndPadShareAKey) {
    Key(SDLK_LEFT, true);
    Button(kDpadLeft, true);
    Button(kDpadLeft, false);
    EXPECT_TRUE(Down(VK_LEFT)) << "the pad let go of the Left the keyboard still holds";
    Key(SDLK_LEFT, false);
    EXPECT_FALSE(Down(VK_LEFT)) << "Left still down with neither holding it";
}

TEST_F(Gamepad, StartsPlayAndMovesTheBall) {
    HWND window = SetUpDisplay();
    RunFrame(window);
    ASSERT_EQ(SCENE_TITLE, g_sceneState);
    Button(kA, true);
    RunFrame(window);
    Button(kA, false);
    for (int i = 0; i < 3 && g_sceneState != SCENE_PLAY; ++i) {
        RunFrame(window);
    }
    ASSERT_EQ(SCENE_PLAY, g_sceneState) << "A on the title did not start play";
    RunFrame(window);
    int startX = g_charaX;
    Button(kDpadRight, true);
    for (int i = 0; i < 5; ++i) {
        RunFrame(window);
    }
    Button(kDpadRight, false);
    EXPECT_EQ(startX + 5, g_charaX) << "ball at x " << g_charaX << " after five frames of right";
}

}  // namespace
