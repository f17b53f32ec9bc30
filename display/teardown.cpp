// Giving back the display objects, safely more than once.
#include "display.h"

template <typename T>
static void ReleaseAndClear(T*& object) {
    if (object != NULL) {
        object->Release();
        object = NULL;
    }
}

void ReleaseDisplayObjects() {
    // Every other object is made from the DirectDraw object, so without it
    // there is nothing to release.
    if (g_directDraw == NULL) {
        return;
    }
    ReleaseAndClear(g_primarySurface);
    ReleaseAndClear(g_backgroundSurface);
    ReleaseAndClear(g_stringsSurface);
    ReleaseAndClear(g_titleSurface);
    ReleaseAndClear(g_charaSurface);
    ReleaseAndClear(g_palette);
    ReleaseAndClear(g_directDraw);
}
