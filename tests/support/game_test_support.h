// Shared set-up for tests that run the game's code on the headless platform.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <velmora_platform.h>

#include "app.h"
#include "display.h"

// Each test starts from a fresh platform and the game's start values, and
// leaves nothing behind.
class GameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The main window, shown as the game shows it.
    HWND MakeWindow();
    // A window and a display set up in full; fails the test otherwise.
    HWND SetUpDisplay();

    // The objects that Release was called on, in order.
    static std::vector<const void*> ReleasedObjects();
    // The objects that calls named `name` were made on, in order.
    static std::vector<const void*> ObjectsOf(const std::string& name);
    static int CountCalls(const std::string& name, const void* object = nullptr);
    // The palette index at x, y of a surface, read through a lock.
    static int PixelAt(IDirectDrawSurface7* surface, int x, int y);
    // All rows of a surface, as bytes.
    static std::vector<BYTE> SurfaceBytes(IDirectDrawSurface7* surface);
};

// Splits debug output into its lines, each with its line feed.
std::vector<std::string> DebugLines();
// Debug output written since the last MarkDebugOutput (or since the start).
void MarkDebugOutput();
std::string NewDebugOutput();
