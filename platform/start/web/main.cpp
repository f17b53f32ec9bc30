// The start-up of the browser build: the page's clock, then WinMain as the
// Windows start-up calls it; when it returns, the page says the game ended.
#include <cstdio>

#include <velmora_platform.h>
#include <windows.h>

#include "backend/web/web.h"

int main() {
    vplat::UseRealClock();
    char commandLine[] = "";
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
    int live = vplat::LiveDirectDrawObjects();
    if (live != 0) {
        fprintf(stderr, "velmora: %d DirectDraw objects were still held at exit\n", live);
    }
    vplat::web::GameEnded(result);
    return result;
}
