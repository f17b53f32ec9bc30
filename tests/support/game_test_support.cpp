#include "game_test_support.h"

#include "game.h"

namespace {

size_t g_debugMark = 0;

void ResetGameState() {
    ReleaseDisplayObjects();
    g_backBuffer = NULL;
    g_appActive = 0;
    g_sceneState = SCENE_TITLE_INIT;
    g_currentTick = 0;
    g_lastFpsTick = 0;
    g_frameCount = 0;
    g_fpsText[0] = '\0';
}

}  // namespace

void GameTest::SetUp() {
    vplat::ResetPlatform();
    ResetGameState();
    vplat::ResetPlatform();
    vplat::EnableJournal(true);
    vplat::KeepPresentedFrames(true);
    g_debugMark = 0;
}

void GameTest::TearDown() {
    ReleaseDisplayObjects();
    vplat::ResetPlatform();
}

HWND GameTest::MakeWindow() {
    HWND window = CreateMainWindow(GetModuleHandleA(NULL), SW_SHOWDEFAULT);
    EXPECT_NE(window, nullptr);
    return window;
}

HWND GameTest::SetUpDisplay() {
    HWND window = MakeWindow();
    EXPECT_EQ(InitDisplay(window), DD_OK);
    return window;
}

std::vector<const void*> GameTest::ReleasedObjects() {
    return ObjectsOf("Release");
}

std::vector<const void*> GameTest::ObjectsOf(const std::string& name) {
    std::vector<const void*> objects;
    for (const vplat::CallRecord& call : vplat::Journal()) {
        if (call.name == name) {
            objects.push_back(call.object);
        }
    }
    return objects;
}

int GameTest::CountCalls(const std::string& name, const void* object) {
    int count = 0;
    for (const vplat::CallRecord& call : vplat::Journal()) {
        if (call.name == name && (object == nullptr || call.object == object)) {
            count++;
        }
    }
    return count;
}

int GameTest::PixelAt(IDirectDrawSurface7* surface, int x, int y) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    if (surface->Lock(NULL, &desc, 0, NULL) != DD_OK) {
        return -1;
    }
    int value = static_cast<const BYTE*>(desc.lpSurface)[y * desc.lPitch + x];
    surface->Unlock(NULL);
    return value;
}

std::vector<BYTE> GameTest::SurfaceBytes(IDirectDrawSurface7* surface) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    std::vector<BYTE> bytes;
    if (surface->Lock(NULL, &desc, 0, NULL) != DD_OK) {
        return bytes;
    }
    const BYTE* rows = static_cast<const BYTE*>(desc.lpSurface);
    for (DWORD y = 0; y < desc.dwHeight; y++) {
        bytes.insert(bytes.end(), rows + y * desc.lPitch, rows + y * desc.lPitch + desc.dwWidth);
    }
    surface->Unlock(NULL);
    return bytes;
}

void MarkDebugOutput() {
    g_debugMark = vplat::DebugOutput().size();
}

std::string NewDebugOutput() {
    return vplat::DebugOutput().substr(g_debugMark);
}

std::vector<std::string> DebugLines() {
    std::vector<std::string> lines;
    std::string output = vplat::DebugOutput();
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        end = end == std::string::npos ? output.size() : end + 1;
        lines.push_back(output.substr(start, end - start));
        start = end;
    }
    return lines;
}
