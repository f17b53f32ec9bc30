// The start-up of the browser build: the page's clock, the recording the
// page's button saves, then WinMain as the Windows start-up calls it; when it
// returns, the page says the game ended.
#include <cstdio>

#include <velmora_platform.h>
#include <windows.h>

#include "backend/web/web.h"
#include "kernel/kernel.h"
#include "player/recording.h"

int main() {
    vplat::UseRealClock();
    std::string error;
    if (vplat::player::StartRecording(vplat::web::kRecordingFile, &error)) {
        vplat::kernel::SetClockTap(vplat::player::RecordReading);
    } else {
        fprintf(stderr, "velmora: %s\n", error.c_str());
    }
    char commandLine[] = "";
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
    int live = vplat::LiveDirectDrawObjects();
    if (live != 0) {
        fprintf(stderr, "velmora: %d DirectDraw objects were still held at exit\n", live);
    }
    vplat::player::StopRecording();
    vplat::web::GameEnded(result);
    return result;
}
