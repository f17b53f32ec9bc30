// Sampling the game's keys once per frame.
#include "game.h"

// The whole result counts, so a key pressed and released between two frames
// is still seen once through the low bit.
static void SampleKey(BYTE* keys, int virtualKey) {
    keys[virtualKey] = GetAsyncKeyState(virtualKey) != 0 ? 1 : 0;
}

int ReadTitleKeys(HWND window, BYTE* keys) {
    (void)window;
    SampleKey(keys, VK_SPACE);
    return 1;
}

int ReadPlayKeys(HWND window, BYTE* keys) {
    (void)window;
    SampleKey(keys, VK_LEFT);
    SampleKey(keys, VK_RIGHT);
    SampleKey(keys, VK_UP);
    SampleKey(keys, VK_DOWN);
    SampleKey(keys, 'S');
    return 1;
}
