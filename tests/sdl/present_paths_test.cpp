// The SDL back end's two ways of presenting, in real windows on an X server
// of the test's own, read back from the server: for the same output size
// they show the same pixels, and those are the frame under each output
// pixel's centre, black around it. The surface path is shown a first frame
// and then a second one that differs in a few places, so what is read back
// has been through its changed-parts-only update.
#include <gtest/gtest.h>

#include <SDL.h>
#include <signal.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <ostream>
#include <random>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "backend/sdl/state.h"
#include "present/viewport.h"
#include "backend/sdl/outputs.h"
#include "window_readback.h"
#include "x11_meddling.h"
#include "xvfb.h"

namespace {

constexpr int kW = 640;
constexpr int kH = 480;

struct Output {
    int width;
    int height;
    const char* name;
    // Whole multiples only (the player's default) or as large as the shape allows.
    bool integerScale = false;
};

// How CTest names the case: the size, not the bytes.
void PrintTo(const Output& out, std::ostream* os) {
    *os << out.width << "x" << out.height;
}

struct Frame {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(kW * kH);
    PALETTEENTRY palette[256] = {};

    // As a Flip hands it over: every frame here has the same palette.
    vplat::internal::IndexedFrame Shown(int width = kW, int height = kH) const {
        return {pixels.data(), width, height, kW, palette, 1};
    }
};

Frame FirstFrame() {
    Frame f;
    std::mt19937 random(2024);
    for (uint8_t& p : f.pixels) {
        p = static_cast<uint8_t>(random());
    }
    for (int i = 0; i < 256; ++i) {
        f.palette[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>((i * 37) & 255),
                                    static_cast<BYTE>(255 - i), 0};
    }
    return f;
}

// The first frame with a moved sprite, new FPS digits and the two far corners
// changed.
Frame SecondFrame() {
    Frame f = FirstFrame();
    auto change = [&f](int left, int top, int right, int bottom) {
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                f.pixels[y * kW + x] = static_cast<uint8_t>(f.pixels[y * kW + x] + 77);
            }
        }
    };
    change(0, 0, 32, 16);
    change(391, 400, 399, 408);
    change(kW - 1, kH - 1, kW, kH);
    change(0, kH - 3, 5, kH);
    return f;
}

// Opens the game's window the way the platform does, at the output size
// asked for, shows the two frames and reads the window back.
// The second frame may be smaller than the first: its top-left part, rows
// still kW apart.
// A window of the output size showing `first`, or null (*error says why).
SDL_Window* OpenShowing(const char* path, const Output& out, const Frame& first,
                        std::string* error) {
    setenv("VELMORA_PRESENT", path, 1);
    setenv("VELMORA_WINDOWED", "1", 1);
    if (!vplat::player::ReadPresentChoice(error)) {
        return nullptr;
    }
    vplat::sdl::TakeDisplay(nullptr, kW, kH);
    SDL_Window* window = vplat::sdl::TheScreen().window;
    if (window == nullptr) {
        *error = "no window";
        return nullptr;
    }
    SDL_SetWindowSize(window, out.width, out.height);
    // Until the server has resized the window and SDL has heard of it.
    Uint32 deadline = SDL_GetTicks() + 10000;
    int width = 0;
    int height = 0;
    do {
        vplat::sdl::PumpEvents();
        vplat::sdl::Present(first.Shown());
        SDL_GetWindowSize(window, &width, &height);
    } while ((width != out.width || height != out.height) &&
             !SDL_TICKS_PASSED(SDL_GetTicks(), deadline));
    // The first frame at that size, and the server done with it.
    vplat::sdl::PumpEvents();
    vplat::sdl::Present(first.Shown());
    vplat::sdl::X11Finish();
    return window;
}

std::vector<uint32_t> ShowAndRead(const char* path, const Output& out, std::string* error,
                                  int secondWidth = kW, int secondHeight = kH) {
    Frame second = SecondFrame();
    SDL_Window* window = OpenShowing(path, out, FirstFrame(), error);
    if (window == nullptr) {
        return {};
    }
    vplat::sdl::Present(second.Shown(secondWidth, secondHeight));
    vplat::sdl::X11Finish();
    std::vector<uint32_t> shown = velmora_test::ReadWindow(window, out.width, out.height, error);
    vplat::sdl::ReleaseDisplay();
    return shown;
}

// The frame pixel under the centre of output pixel `at` of `shown`.
int Under(int at, int shown, int frame) {
    return static_cast<int>(std::floor((at + 0.5) * frame / shown));
}

uint32_t Rgb(const PALETTEENTRY& e) {
    return (uint32_t{e.peRed} << 16) | (uint32_t{e.peGreen} << 8) | e.peBlue;
}

// What the window must show of frame f: under each pixel's centre, black
// around it.
std::vector<uint32_t> Expected(const Frame& f, const Output& out) {
    vplat::present::Viewport v = vplat::present::FitFrame(out.width, out.height);
    std::vector<uint32_t> expected(static_cast<size_t>(out.width) * out.height, 0);
    for (int y = v.y; y < v.y + v.height; ++y) {
        for (int x = v.x; x < v.x + v.width; ++x) {
            int sx = Under(x - v.x, v.width, kW);
            int sy = Under(y - v.y, v.height, kH);
            expected[static_cast<size_t>(y) * out.width + x] =
                Rgb(f.palette[f.pixels[sy * kW + sx]]);
        }
    }
    return expected;
}

std::string Hex(uint32_t colour) {
    char text[16];
    snprintf(text, sizeof text, "#%06x", colour);
    return text;
}

// Where two pictures differ: how many pixels, and the first few.
std::string Differences(const std::vector<uint32_t>& found, const std::vector<uint32_t>& expected,
                        int width, const char* foundName, const char* expectedName) {
    size_t count = 0;
    std::string examples;
    for (size_t i = 0; i < found.size(); ++i) {
        if (found[i] != expected[i] && ++count <= 4) {
            examples += " (" + std::to_string(i % width) + "," + std::to_string(i / width) +
                        "): " + foundName + " " + Hex(found[i]) + ", " + expectedName + " " +
                        Hex(expected[i]) + ";";
        }
    }
    return count == 0 ? "" : std::to_string(count) + " pixels differ, e.g." + examples;
}

class PresentPaths : public testing::TestWithParam<Output> {
protected:
    static void SetUpTestSuite() {
        std::string error;
        server = new velmora_test::Xvfb;
        if (!server->Start(VELMORA_XVFB, "2048x1536x24", &error)) {
            startError = new std::string(error);
            return;
        }
        setenv("DISPLAY", server->display().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
        // Started once for both paths: each opens a window of its own.
        if (!vplat::sdl::Start(&error)) {
            startError = new std::string("SDL did not start: " + error);
        }
    }
    static void TearDownTestSuite() {
        vplat::sdl::Stop();
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        if (startError != nullptr) {
            GTEST_SKIP() << "no X server: " << *startError;
        }
        vplat::present::SetIntegerScale(false);
    }
    void TearDown() override { vplat::present::SetIntegerScale(true); }

    static velmora_test::Xvfb* server;
    static std::string* startError;
};

velmora_test::Xvfb* PresentPaths::server = nullptr;
std::string* PresentPaths::startError = nullptr;

TEST_P(PresentPaths, SurfaceAndGpuShowTheSamePixels) {
    const Output& out = GetParam();
    vplat::present::SetIntegerScale(out.integerScale);
    std::string error;
    std::vector<uint32_t> surface = ShowAndRead("surface", out, &error);
    ASSERT_FALSE(surface.empty()) << "surface path: " << error
                                  << "; the X server: " << server->State();
    std::vector<uint32_t> gpu = ShowAndRead("gpu", out, &error);
    ASSERT_FALSE(gpu.empty()) << "gpu path: " << error << "; the X server: " << server->State();
    std::string found = Differences(surface, gpu, out.width, "surface", "gpu");
    EXPECT_EQ(found, "") << "at " << out.width << "x" << out.height;
}

TEST_P(PresentPaths, SurfaceShowsTheFrameUnderEachPixelCentre) {
    const Output& out = GetParam();
    vplat::present::SetIntegerScale(out.integerScale);
    std::string error;
    std::vector<uint32_t> surface = ShowAndRead("surface", out, &error);
    ASSERT_FALSE(surface.empty()) << "surface path: " << error;
    std::vector<uint32_t> expected = Expected(SecondFrame(), out);
    std::string found = Differences(surface, expected, out.width, "window", "frame");
    EXPECT_EQ(found, "") << "at " << out.width << "x" << out.height;
}

// A frame of another size (the game never flips one, but the platform
// takes it) is scaled whole into the same place by both paths, and never read
// beyond its own rows.
TEST_F(PresentPaths, AFrameOfAnotherSizeIsShownWholeByBothPaths) {
    const Output out = {1024, 768, "Scale1_6x"};
    std::string error;
    std::vector<uint32_t> surface = ShowAndRead("surface", out, &error, 320, 240);
    ASSERT_FALSE(surface.empty()) << "surface path: " << error;
    std::vector<uint32_t> gpu = ShowAndRead("gpu", out, &error, 320, 240);
    ASSERT_FALSE(gpu.empty()) << "gpu path: " << error;
    EXPECT_EQ(Differences(surface, gpu, out.width, "surface", "gpu"), "")
        << "a 320x240 frame after 640x480 ones, at 1024x768";
}

// The same pixels through a new palette, which the frame says is new: both
// paths show every pixel in its new colour.
TEST_F(PresentPaths, ANewPaletteAloneRepaintsTheWholePicture) {
    const Output out = {640, 480, "Scale1x"};
    for (const char* path : {"surface", "gpu"}) {
        std::string error;
        Frame first = FirstFrame();
        SDL_Window* window = OpenShowing(path, out, first, &error);
        ASSERT_NE(window, nullptr) << error;
        Frame recoloured = first;
        for (PALETTEENTRY& entry : recoloured.palette) {
            entry.peGreen ^= 0x5A;
        }
        vplat::internal::IndexedFrame shown = recoloured.Shown();
        shown.paletteVersion = 2;
        vplat::sdl::Present(shown);
        vplat::sdl::X11Finish();
        std::vector<uint32_t> found =
            velmora_test::ReadWindow(window, out.width, out.height, &error);
        vplat::sdl::ReleaseDisplay();
        ASSERT_FALSE(found.empty()) << error;
        EXPECT_EQ(Differences(found, Expected(recoloured, out), out.width, "window", "frame"), "")
            << path << " path, after the palette changed";
    }
}

// Xvfb has no GPU: whatever OpenGL it offers is drawn on the processor.
TEST_F(PresentPaths, AutoTakesTheSurfacePathWithoutAGpu) {
    setenv("VELMORA_PRESENT", "auto", 1);
    std::string error;
    ASSERT_TRUE(vplat::player::ReadPresentChoice(&error)) << error;
    vplat::sdl::TakeDisplay(nullptr, kW, kH);
    vplat::player::PresentPath chosen = vplat::sdl::TheScreen().path;
    vplat::sdl::ReleaseDisplay();
    EXPECT_TRUE(chosen == vplat::player::PresentPath::Surface)
        << "auto chose the " << (chosen == vplat::player::PresentPath::Gpu ? "gpu" : "auto")
        << " path on Xvfb, expected surface";
    // Where no GPU device exists, deciding so must not load an OpenGL driver.
    if (access("/dev/dri", F_OK) != 0 && access("/dev/nvidia0", F_OK) != 0) {
        std::ifstream maps("/proc/self/maps");
        std::string line;
        std::string loaded;
        while (loaded.empty() && std::getline(maps, line)) {
            if (line.find("libGL") != std::string::npos ||
                line.find("_dri.so") != std::string::npos) {
                loaded = line.substr(line.rfind(' ') + 1);
            }
        }
        EXPECT_EQ(loaded, "") << "an OpenGL driver was loaded, expected none without a GPU";
    }
}

// Every pixel of the first frame changed: sent through shared memory.
Frame InvertedFrame() {
    Frame f = FirstFrame();
    for (uint8_t& p : f.pixels) {
        p = static_cast<uint8_t>(~p);
    }
    return f;
}

// After our own X11 path is given up, the frames go on through SDL's and
// show what they must; the reason is among the debug output.
void ExpectShownBySdlAfter(SDL_Window* window, const Output& out, const char* reason) {
    Frame second = SecondFrame();
    vplat::sdl::Present(second.Shown());
    vplat::sdl::X11Finish();
    std::string error;
    std::vector<uint32_t> shown = velmora_test::ReadWindow(window, out.width, out.height, &error);
    vplat::sdl::ReleaseDisplay();
    ASSERT_FALSE(shown.empty()) << error;
    EXPECT_EQ(Differences(shown, Expected(second, out), out.width, "window", "frame"), "");
    std::string said = vplat::DebugOutput();
    EXPECT_NE(said.find(reason), std::string::npos)
        << "debug output: \"" << said << "\", expected a line with \"" << reason << "\"";
}

// While the first frame is shown, `meddle` is handed our segment's name; the
// next two frames (every pixel changed, then back) meet what it caused, and
// reach the window through SDL's surface with `reason` said.
void MeddleWhileShowing(const std::function<bool(unsigned long, std::string*)>& meddle,
                        const char* reason) {
    const Output out = {640, 480, "Scale1x"};
    std::string error;
    Frame first = FirstFrame();
    Frame inverted = InvertedFrame();
    SDL_Window* window = OpenShowing("surface", out, first, &error);
    ASSERT_NE(window, nullptr) << error;
    unsigned long segment = vplat::sdl::X11SharedSegment();
    ASSERT_NE(segment, 0UL) << "our own X11 path was not taken";
    ASSERT_TRUE(meddle(segment, &error)) << error;
    vplat::sdl::Present(inverted.Shown());
    vplat::sdl::Present(first.Shown());
    ExpectShownBySdlAfter(window, out, reason);
}

// The server stops while the segment may still be read: the wait for it
// ends, and the frame goes through SDL's surface once the server is back.
TEST_F(PresentPaths, AServerThatStopsAnsweringIsNotWaitedForEver) {
    std::thread resume;
    MeddleWhileShowing(
        [&resume](unsigned long /*segment*/, std::string* error) {
            // Stopped before the next frame is sent: it cannot have read it.
            if (kill(server->pid(), SIGSTOP) != 0) {
                *error = "the X server could not be stopped";
                return false;
            }
            resume = std::thread([] {
                SDL_Delay(1000);
                kill(server->pid(), SIGCONT);
            });
            return true;
        },
        "the X server did not answer");
    if (resume.joinable()) {
        resume.join();
    }
}

// The server stops with a frame of ours sent and not yet read, while the game
// goes on presenting: once it resumes, what our connection had queued never
// lands over the frames after it, and the window shows the game's last frame.
TEST_F(PresentPaths, AStalledServerShowsTheLastFrameOnceItResumes) {
    const Output out = {640, 480, "Scale1x"};
    std::string error;
    Frame first = FirstFrame();
    Frame inverted = InvertedFrame();
    Frame second = SecondFrame();
    SDL_Window* window = OpenShowing("surface", out, first, &error);
    ASSERT_NE(window, nullptr) << error;
    ASSERT_NE(vplat::sdl::X11SharedSegment(), 0UL) << "our own X11 path was not taken";
    ASSERT_EQ(kill(server->pid(), SIGSTOP), 0) << "the X server could not be stopped";
    std::thread resume([] {
        SDL_Delay(300);
        kill(server->pid(), SIGCONT);
    });
    // Every pixel changed: sent through shared memory, unread while stopped.
    vplat::sdl::Present(inverted.Shown());
    for (int i = 0; i < 10; ++i) {
        const Frame& next = i % 2 == 0 ? first : second;
        vplat::sdl::Present(next.Shown());
    }
    resume.join();
    std::vector<uint32_t> shown = velmora_test::ReadWindow(window, out.width, out.height, &error);
    vplat::sdl::ReleaseDisplay();
    ASSERT_FALSE(shown.empty()) << error;
    EXPECT_EQ(Differences(shown, Expected(second, out), out.width, "window", "last frame"), "")
        << "after the X server was stopped for 300 ms while frames came";
}

// The segment taken away from our connection: the error it brings is ours
// to handle, not the process's to die of.
TEST_F(PresentPaths, AnXErrorOnOurConnectionLeavesOurPath) {
    MeddleWhileShowing(
        [](unsigned long segment, std::string* error) {
            return velmora_test::DetachSegment(server->display().c_str(), segment, error);
        },
        "an X error on our connection");
}

// Our connection dropped by the server: Xlib's way is to end the process;
// the game goes on through SDL's connection.
TEST_F(PresentPaths, OurConnectionLostLeavesOurPath) {
    MeddleWhileShowing(
        [](unsigned long segment, std::string* error) {
            return velmora_test::KillClientOf(server->display().c_str(), segment, error);
        },
        "an X error on our connection");
}

INSTANTIATE_TEST_SUITE_P(Outputs, PresentPaths,
                         testing::Values(Output{640, 480, "Scale1x"}, Output{1280, 960, "Scale2x"},
                                         Output{1024, 768, "Scale1_6x"},
                                         Output{1400, 960, "Scale2xBarsAtTheSides"},
                                         Output{1024, 900, "Scale1_6xBarsAboveAndBelow"},
                                         Output{1024, 768, "IntegerScale1xCentred", true},
                                         Output{1400, 1000, "IntegerScale2xCentred", true}),
                         [](const testing::TestParamInfo<Output>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
