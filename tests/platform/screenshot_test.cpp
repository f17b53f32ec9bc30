// Screenshots: the same pixels as the headless capture of the frame, kept as
// palette indices; names never reused; the folder rules; a folder that
// cannot be written.
#include "temp_dir.h"
#include <gtest/gtest.h>
#include <png.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "player/screenshot.h"
#include "game.h"
#include "game_test_support.h"

namespace {

struct Decoded {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    png_uint_32 format = 0;
    int colormapEntries = 0;
    std::vector<uint8_t> rgb;
};

Decoded ReadAsRgb(const std::string& path) {
    Decoded decoded;
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        ADD_FAILURE() << path << ": " << image.message;
        return decoded;
    }
    decoded.width = image.width;
    decoded.height = image.height;
    decoded.format = image.format;
    decoded.colormapEntries = static_cast<int>(image.colormap_entries);
    image.format = PNG_FORMAT_RGB;
    decoded.rgb.resize(PNG_IMAGE_SIZE(image));
    EXPECT_NE(0, png_image_finish_read(&image, nullptr, decoded.rgb.data(), 0, nullptr))
        << image.message;
    return decoded;
}

// The raw palette indices, read without any conversion.
std::vector<uint8_t> ReadIndices(const std::string& path) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> indices;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return indices;
    }
    image.format = PNG_FORMAT_RGB_COLORMAP;
    std::vector<uint8_t> colormap(256 * 3);
    indices.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, indices.data(), 0, colormap.data());
    return indices;
}

class ScreenshotOfGame : public GameTest {};

TEST_F(ScreenshotOfGame, HoldsTheSamePixelsAsTheHeadlessCapture) {
    HWND window = SetUpDisplay();
    RunFrame(window);
    RunFrame(window);
    vplat::Frame frame = vplat::PresentedFrame();
    ASSERT_EQ(640, frame.width);
    std::string capture = velmora_test::TempDir() + "capture.png";
    ASSERT_TRUE(vplat::WritePng(frame, capture));
    vplat::player::ScreenshotFailure error;
    std::string shot =
        vplat::player::SaveScreenshot(frame, velmora_test::TempDir() + "shots", 1700000000, &error);
    ASSERT_FALSE(shot.empty()) << error.detail;

    Decoded captured = ReadAsRgb(capture);
    Decoded screenshot = ReadAsRgb(shot);
    EXPECT_EQ(640u, screenshot.width);
    EXPECT_EQ(480u, screenshot.height);
    EXPECT_NE(0u, screenshot.format & PNG_FORMAT_FLAG_COLORMAP) << "not a palette PNG";
    EXPECT_EQ(256, screenshot.colormapEntries);
    ASSERT_EQ(captured.rgb.size(), screenshot.rgb.size());
    size_t differing = 0;
    size_t first = 0;
    for (size_t i = 0; i < captured.rgb.size(); ++i) {
        if (captured.rgb[i] != screenshot.rgb[i] && differing++ == 0) {
            first = i / 3;
        }
    }
    EXPECT_EQ(0u, differing) << "first differing pixel at " << first % 640 << "," << first / 640;

    std::vector<uint8_t> indices = ReadIndices(shot);
    EXPECT_TRUE(indices == frame.indices) << "the palette indices were not kept as drawn";
}

vplat::Frame SmallFrame() {
    vplat::Frame frame;
    frame.width = 4;
    frame.height = 2;
    frame.indices = {0, 1, 2, 3, 252, 253, 254, 255};
    for (int i = 0; i < 256; ++i) {
        frame.palette[i] = PALETTEENTRY{static_cast<BYTE>(i), 7, static_cast<BYTE>(255 - i), 0};
    }
    return frame;
}

TEST(ScreenshotNames, SameSecondGetsTheNextNumber) {
    std::string folder = velmora_test::TempDir() + "same-second";
    setenv("TZ", "UTC", 1);
    tzset();
    vplat::player::ScreenshotFailure error;
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        std::string path = vplat::player::SaveScreenshot(SmallFrame(), folder, 1700000000, &error);
        ASSERT_FALSE(path.empty()) << error.detail;
        names.push_back(path.substr(folder.size() + 1));
    }
    EXPECT_EQ("velmora-20231114-221320.png", names[0]);
    EXPECT_EQ("velmora-20231114-221320-2.png", names[1]);
    EXPECT_EQ("velmora-20231114-221320-3.png", names[2]);
}

TEST(ScreenshotFolder, AFolderThatCannotBeMadeIsReported) {
    std::string blocker = velmora_test::TempDir() + "not-a-folder";
    std::ofstream(blocker) << "x";
    vplat::player::ScreenshotFailure failure;
    EXPECT_EQ("", vplat::player::SaveScreenshot(SmallFrame(), blocker + "/shots", 0, &failure));
    EXPECT_NE(std::string::npos, failure.detail.find("cannot make")) << failure.detail;
    // What the picture says, in a few words.
    EXPECT_EQ("not a folder", failure.reason);
}

TEST(ScreenshotFolder, ChosenByVariableThenUserDirsThenPictures) {
    std::string config = velmora_test::TempDir() + "config";
    mkdir(config.c_str(), 0700);
    setenv("HOME", "/home/player", 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("VELMORA_SCREENSHOT_DIR", "/shots/here", 1);
    EXPECT_EQ("/shots/here", vplat::player::ScreenshotFolder());
    unsetenv("VELMORA_SCREENSHOT_DIR");
    EXPECT_EQ("/home/player/Pictures/Velmora", vplat::player::ScreenshotFolder())
        << "without user-dirs.dirs";
    std::ofstream(config + "/user-dirs.dirs")
        << "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
           "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    EXPECT_EQ("/home/player/Bilder/Velmora", vplat::player::ScreenshotFolder());
    std::ofstream(config + "/user-dirs.dirs") << "XDG_PICTURES_DIR=\"/data/pics\"\n";
    EXPECT_EQ("/data/pics/Velmora", vplat::player::ScreenshotFolder());
}

}  // namespace
