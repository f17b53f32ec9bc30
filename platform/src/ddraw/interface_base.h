// What a DirectDraw object of the platform derives from. The Linux headers
// declare only the methods the game calls, so the interface itself will do;
// the real headers declare all of DirectDraw 7, and the Windows build fills
// the slots the platform has no use for (unsupported_methods.h there).
#pragma once

#ifdef _WIN32
#include "unsupported_methods.h"
#else
namespace vplat::ddraw {
template <typename Interface>
struct Unsupported : Interface {};
}  // namespace vplat::ddraw
#endif
