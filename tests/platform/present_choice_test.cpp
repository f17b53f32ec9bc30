// VELMORA_PRESENT and which renderers count as a GPU.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "player/present_choice.h"

namespace {

using vplat::player::PresentPath;

TEST(PresentChoice, ReadsTheThreeWordsAndRefusesOthers) {
    const struct {
        const char* value;
        bool accepted;
        PresentPath path;
    } cases[] = {{"auto", true, PresentPath::Auto},  {"surface", true, PresentPath::Surface},
                 {"gpu", true, PresentPath::Gpu},    {"", true, PresentPath::Auto},
                 {"GPU", false, PresentPath::Auto},  {"opengl", false, PresentPath::Auto},
                 {"gpu ", false, PresentPath::Auto}, {"surfaces", false, PresentPath::Auto}};
    for (const auto& c : cases) {
        setenv("VELMORA_PRESENT", c.value, 1);
        std::string error;
        bool accepted = vplat::player::ReadPresentChoice(&error);
        EXPECT_EQ(accepted, c.accepted) << "VELMORA_PRESENT=\"" << c.value << "\"";
        if (accepted) {
            EXPECT_TRUE(vplat::player::PresentChoice() == c.path) << "VELMORA_PRESENT=" << c.value;
        } else {
            EXPECT_EQ(error, "VELMORA_PRESENT=" + std::string(c.value) +
                                 ": expected auto, surface or gpu");
        }
    }
    unsetenv("VELMORA_PRESENT");
}

TEST(PresentChoice, SoftwareRasterisersAreNoGpu) {
    const struct {
        const char* sdl;
        const char* gl;
        bool software;
    } cases[] = {
        {"opengl", "llvmpipe (LLVM 15.0.6, 256 bits)", true},
        {"opengl", "softpipe", true},
        {"opengles2", "Mesa SWRAST", true},
        {"opengl", "Software Rasterizer", true},
        {"software", "", true},
        {"opengl", "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
        {"opengl", "NVIDIA GeForce GTX 1060/PCIe/SSE2", false},
        {"opengles2", "AMD Radeon RX 580 (polaris10, LLVM 15.0.6, DRM 3.49)", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vplat::player::IsSoftwareRenderer(c.sdl, c.gl), c.software)
            << "renderer " << c.sdl << " on \"" << c.gl << "\"";
    }
}

}  // namespace
