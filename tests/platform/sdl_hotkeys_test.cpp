// The player's own keys on SDL's dummy video driver: Alt+Enter and F11
// switch full screen once per press and never reach the game; a plain
// Enter still does.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "backend/sdl/state.h"
#include "player/settings.h"

namespace {

const int kVirtualF11 = VK_F1 + 10;
const int kVirtualPrintScreen = 0x2C;  // VK_SNAPSHOT

class Hotkeys : public testing::Test {
protected:
    void SetUp() override {
        vplat::ResetPlatform();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        // SDL's own renderer: a GL driver loaded and unloaded again leaves
        // allocations the leak checker cannot name.
        setenv("SDL_RENDER_DRIVER", "software", 1);
        std::string error;
        ASSERT_TRUE(vplat::sdl::Start(&error)) << error;
        vplat::SelectBackend(vplat::Backend::Sdl);
        vplat::player::Settings settings;
        settings.fullscreen = false;
        vplat::player::UseSettings(settings);
        vplat::sdl::TakeDisplay(nullptr, 640, 480);
    }

    void TearDown() override {
        vplat::sdl::Stop();
        vplat::ResetPlatform();
    }

    static void Key(SDL_Keycode key, bool down, Uint16 modifiers = KMOD_NONE, int repeat = 0) {
        SDL_Event event = {};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.keysym.sym = key;
        event.key.keysym.mod = modifiers;
        event.key.repeat = static_cast<Uint8>(repeat);
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        SDL_PushEvent(&event);
        vplat::sdl::PumpEvents();
    }

    static bool FullScreen() { return vplat::player::CurrentSettings().fullscreen; }

    static bool Down(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }
};

TEST_F(Hotkeys, F11SwitchesOncePerPressNotPerRepeat) {
    ASSERT_FALSE(FullScreen());
    Key(SDLK_F11, true);
    EXPECT_TRUE(FullScreen()) << "F11 did not switch to full screen";
    Key(SDLK_F11, true, KMOD_NONE, 1);
    Key(SDLK_F11, true, KMOD_NONE, 1);
    EXPECT_TRUE(FullScreen()) << "an auto-repeat of F11 switched back";
    Key(SDLK_F11, false);
    Key(SDLK_F11, true);
    EXPECT_FALSE(FullScreen()) << "a second F11 did not switch back to the window";
    EXPECT_FALSE(Down(kVirtualF11)) << "the game saw F11";
}

TEST_F(Hotkeys, AltEnterSwitchesAndTheGameNeverSeesTheEnter) {
    Key(SDLK_LALT, true, KMOD_LALT);
    Key(SDLK_RETURN, true, KMOD_LALT);
    EXPECT_TRUE(FullScreen()) << "Alt+Enter did not switch to full screen";
    EXPECT_FALSE(Down(VK_RETURN)) << "the game saw the Enter of Alt+Enter";
    // Alt let go first: the Enter's release still belongs to the switch.
    Key(SDLK_LALT, false);
    Key(SDLK_RETURN, false);
    Key(SDLK_RETURN, true);
    EXPECT_TRUE(Down(VK_RETURN)) << "a plain Enter no longer reaches the game";
    EXPECT_TRUE(FullScreen()) << "a plain Enter switched the screen";
}

TEST_F(Hotkeys, PrintScreenWaitsForTheNextFrame) {
    EXPECT_FALSE(vplat::sdl::ScreenshotWanted());
    Key(SDLK_PRINTSCREEN, true);
    EXPECT_TRUE(vplat::sdl::ScreenshotWanted()) << "Print Screen asked for nothing";
    EXPECT_FALSE(Down(kVirtualPrintScreen)) << "the game saw Print Screen";
}

TEST_F(Hotkeys, F9AsksForAScreenshotToo) {
    Key(SDLK_F9, true);
    EXPECT_TRUE(vplat::sdl::ScreenshotWanted()) << "F9 asked for nothing";
    EXPECT_FALSE(Down(VK_F1 + 8)) << "the game saw F9";
}

// Back-to-back presents on the dummy driver are too fast for any display:
// true when the pacer then holds the next one back.
bool PacedAfterPresents(int presents) {
    vplat::sdl::Screen& screen = vplat::sdl::TheScreen();
    for (int i = 0; i < presents; ++i) {
        vplat::sdl::PaceBeforePresent();
        vplat::sdl::PaceAfterPresent(screen);
    }
    return vplat::sdl::SleepPaced(1);
}

TEST_F(Hotkeys, AFullScreenSwitchMeasuresThePaceAgain) {
    ASSERT_TRUE(PacedAfterPresents(36)) << "presents were not paced before the switch";
    Key(SDLK_F11, true);
    EXPECT_FALSE(PacedAfterPresents(1)) << "the pace measured before the switch still holds";
}

TEST_F(Hotkeys, AMoveToAnotherOutputMeasuresThePaceAgain) {
    ASSERT_TRUE(PacedAfterPresents(36)) << "presents were not paced before the move";
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_DISPLAY_CHANGED;
    SDL_PushEvent(&event);
    vplat::sdl::PumpEvents();
    EXPECT_FALSE(PacedAfterPresents(1)) << "the pace of the output left behind still holds";
}

}  // namespace
