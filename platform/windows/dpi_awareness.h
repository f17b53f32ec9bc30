// Windows scales the window of a program that does not say it is DPI aware
// as a bitmap, which blurs every pixel; the presenter scales by whole
// multiples of the screen's real pixels itself.
#pragma once

namespace vplat::windows {

// Per monitor where the system knows it (Windows 10 1703), else for the
// system's DPI. Said before the game makes its window, as a manifest would:
// a window keeps the awareness it was made with.
bool BeDpiAware();

}  // namespace vplat::windows
