// Where the window opens when not full screen: the remembered place while it
// still fits a display, else centred on the display it is on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/window_place.h"

namespace {

using vplat::player::Rect;
using vplat::player::Settings;

std::string Show(const Rect& r) {
    return std::to_string(r.w) + "x" + std::to_string(r.h) + " at " + std::to_string(r.x) + "," +
           std::to_string(r.y);
}

Settings Remembered(int x, int y, int width, int height) {
    Settings settings;
    settings.windowPlaced = true;
    settings.windowX = x;
    settings.windowY = y;
    settings.windowWidth = width;
    settings.windowHeight = height;
    return settings;
}

// A panel along the top of the first display; a second display to its right.
const Rect kLeft = {0, 30, 1920, 1050};
const Rect kRight = {1920, 0, 1280, 1024};

TEST(WindowPlace, RememberedPlaceOnAnotherDisplayIsKept) {
    Rect place = vplat::player::WindowPlace(Remembered(2000, 10, 800, 600), kLeft, {kLeft, kRight});
    EXPECT_EQ("800x600 at 2000,10", Show(place));
}

TEST(WindowPlace, PlaceOnADisplayNoLongerThereIsCentred) {
    Rect place = vplat::player::WindowPlace(Remembered(2000, 10, 800, 600), kLeft, {kLeft});
    EXPECT_EQ("800x600 at 560,255", Show(place));
}

TEST(WindowPlace, PlaceAcrossTwoDisplaysIsCentred) {
    Rect place = vplat::player::WindowPlace(Remembered(1800, 40, 800, 600), kLeft, {kLeft, kRight});
    EXPECT_EQ("800x600 at 560,255", Show(place));
}

TEST(WindowPlace, SizeLargerThanTheAreaGivesWayToTheFirstSize) {
    Rect place = vplat::player::WindowPlace(Remembered(0, 30, 2560, 1920), kLeft, {kLeft});
    EXPECT_EQ("1280x960 at 0,30", Show(place)) << "the place still fits, only the size changes";
}

TEST(WindowPlace, NothingRememberedIsTheFirstSizeCentred) {
    Rect place = vplat::player::WindowPlace(Settings(), kRight, {kLeft, kRight});
    EXPECT_EQ("1280x960 at 1920,32", Show(place));
}

TEST(WindowPlace, SizeSmallerThanThePictureAt1xGrowsTo640x480) {
    Rect place = vplat::player::WindowPlace(Remembered(100, 100, 500, 300), kLeft, {kLeft});
    EXPECT_EQ("640x480 at 100,100", Show(place));
}

TEST(WindowPlace, ScaleThatFitsIsThatWindowCentred) {
    Settings settings = Remembered(100, 100, 800, 600);
    settings.scale = 1;
    EXPECT_EQ("640x480 at 640,315", Show(vplat::player::WindowPlace(settings, kLeft, {kLeft})));
}

TEST(WindowPlace, ScaleTooLargeIsTheLargestThatFits) {
    Settings settings;
    settings.scale = 3;
    Rect area = {0, 0, 1366, 768};
    EXPECT_EQ("1280x960 at 320,75", Show(vplat::player::WindowPlace(settings, kLeft, {kLeft})))
        << "1920x1050 has room for 2";
    EXPECT_EQ("640x480 at 363,144", Show(vplat::player::WindowPlace(settings, area, {area})))
        << "1366x768 has room for 1 only";
}

// Under a window manager the frame, title bar included, stays on the screen:
// on a small one the window is made smaller and moved up as far as needed;
// where it fits, it opens where it would without a decoration.
TEST(WindowPlace, TheFrameStaysInsideTheArea) {
    const vplat::player::Decoration frame = {1, 21, 1, 1};
    const Rect small = {0, 0, 640, 400};
    EXPECT_EQ("504x378 at 68,0",
              Show(vplat::player::WindowPlace(Settings(), small, {small}, frame)))
        << "the first window on 640x400";
    EXPECT_EQ("800x600 at 560,255",
              Show(vplat::player::WindowPlace(Remembered(0, 470, 800, 600), kLeft, {kLeft}, frame)))
        << "a remembered place whose frame reaches past the bottom";
    const Rect laptop = {0, 0, 1366, 768};
    EXPECT_EQ("640x480 at 363,144",
              Show(vplat::player::WindowPlace(Settings(), laptop, {laptop}, frame)))
        << "the first window on 1366x768, where the frame fits";
}

}  // namespace
