// The choice between the two ways of presenting, without SDL: what
// VELMORA_PRESENT may say, and which renderers are a GPU in name only.
#pragma once

#include <string>

namespace vplat::player {

// How frames reach the window: through a GPU renderer (a streaming texture,
// scaled by the GPU), or converted and scaled on the processor straight into
// the window's own surface, only where they changed.
enum class PresentPath { Auto, Surface, Gpu };

// "auto", "surface" or "gpu"; false for anything else.
bool ParsePresentPath(const std::string& text, PresentPath* path);
// VELMORA_PRESENT, read once at start-up (unset or empty: auto). False, with
// the line to show, on an unknown value.
bool ReadPresentChoice(std::string* error);
PresentPath PresentChoice();
// A renderer that draws on the processor: SDL's own software renderer, or an
// OpenGL whose GL_RENDERER names a software rasteriser (llvmpipe, softpipe,
// swrast). glRenderer may be empty when the renderer is not OpenGL.
bool IsSoftwareRenderer(const std::string& sdlRenderer, const std::string& glRenderer);

}  // namespace vplat::player
