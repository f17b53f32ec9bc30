// The process-wide display objects, made by InitDisplay and released by
// ReleaseDisplayObjects.
#include "display.h"

const char BACKIMG_NAME[] = "BACKIMG";
const char STRINGS_NAME[] = "STRINGS";
const char TITLE_NAME[] = "TITLE";
const char CHARA_NAME[] = "CHARA";

IDirectDraw7* g_directDraw = NULL;
IDirectDrawSurface7* g_primarySurface = NULL;
IDirectDrawSurface7* g_backBuffer = NULL;
IDirectDrawPalette* g_palette = NULL;
IDirectDrawSurface7* g_backgroundSurface = NULL;
IDirectDrawSurface7* g_stringsSurface = NULL;
IDirectDrawSurface7* g_titleSurface = NULL;
IDirectDrawSurface7* g_charaSurface = NULL;
