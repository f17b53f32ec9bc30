// The frames-per-second text, drawn glyph by glyph from the font image.
#include "display.h"
#include "game.h"

// One glyph cell of the font's first band; left and right move per character.
RECT g_glyphRect = {0, 0, 0, 16};

static const int GLYPH_WIDTH = 8;

HRESULT DrawFpsText() {
    for (int i = 0; g_fpsText[i] != '\0'; i++) {
        int glyph = (signed char)g_fpsText[i] - 32;
        g_glyphRect.left = GLYPH_WIDTH * glyph;
        g_glyphRect.right = g_glyphRect.left + GLYPH_WIDTH;
        HRESULT hr = BltFastRetry(g_backBuffer, GLYPH_WIDTH * i, 0, g_stringsSurface, &g_glyphRect,
                                  DDBLTFAST_SRCCOLORKEY);
        if (hr != DD_OK) {
            return hr;
        }
    }
    return DD_OK;
}
