// Windows and their messages: creation, what showing and focusing a new
// top-level window sends (order as Wine's message tests pin it), closing
// through the default handling, minimising and restoring.
#include <velmora_platform.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vplat::internal {
// What the back ends use; declared here as the platform defines them.
std::string WindowTitle(HWND window);
HWND FocusWindow();
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
}  // namespace vplat::internal

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
};
std::vector<Seen> g_seen;
LRESULT g_createAnswer = 0;

LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_seen.push_back({message, wParam});
    if (message == WM_CREATE) {
        return g_createAnswer;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        vplat::ResetPlatform();
        g_seen.clear();
        g_createAnswer = 0;
    }
    void TearDown() override { vplat::ResetPlatform(); }

    static ATOM Register(const char* name) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Recorder;
        windowClass.lpszClassName = name;
        return RegisterClassA(&windowClass);
    }

    static HWND Create(const char* className = "Probe") {
        return CreateWindowExA(WS_EX_TOPMOST, className, "2D Game Velmora", WS_OVERLAPPEDWINDOW, 0,
                               0, 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }

    HWND MakeWindow() {
        EXPECT_NE(Register("Probe"), 0);
        HWND window = Create();
        EXPECT_NE(window, nullptr);
        g_seen.clear();
        return window;
    }

    static std::vector<UINT> Messages() {
        std::vector<UINT> messages;
        for (const Seen& seen : g_seen) {
            messages.push_back(seen.message);
        }
        return messages;
    }

    static WPARAM WParamOf(UINT message) {
        for (const Seen& seen : g_seen) {
            if (seen.message == message) {
                return seen.wParam;
            }
        }
        ADD_FAILURE() << "message 0x" << std::hex << message << " was not sent";
        return 0;
    }
};

TEST_F(WindowTest, AClassRegistersOnceRegardlessOfCase) {
    ATOM atom = Register("Velmora");
    EXPECT_NE(atom, 0);
    EXPECT_EQ(Register("VELMORA"), 0);
    EXPECT_NE(Register("Other"), atom);
    WNDCLASSA nameless = {};
    EXPECT_EQ(RegisterClassA(&nameless), 0);
}

TEST_F(WindowTest, CreationSendsNcCreateThenCreateAndNeedsTheClass) {
    EXPECT_EQ(Create("Unregistered"), nullptr);
    ASSERT_NE(Register("Probe"), 0);
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(vplat::internal::WindowTitle(window), "2D Game Velmora");
}

TEST_F(WindowTest, ARefusedCreationGivesNoWindow) {
    ASSERT_NE(Register("Probe"), 0);
    g_createAnswer = -1;
    EXPECT_EQ(Create(), nullptr);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(WindowTest, ShowingANewWindowActivatesAndFocusesIt) {
    HWND window = MakeWindow();
    EXPECT_FALSE(ShowWindow(window, SW_SHOWDEFAULT)) << "it was hidden";
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_SHOWWINDOW, WM_ACTIVATEAPP, WM_NCACTIVATE,
                                             WM_ACTIVATE, WM_SETFOCUS}));
    EXPECT_EQ(WParamOf(WM_SHOWWINDOW), static_cast<WPARAM>(TRUE));
    EXPECT_EQ(WParamOf(WM_ACTIVATE), static_cast<WPARAM>(MAKELONG(WA_ACTIVE, 0)));
    EXPECT_EQ(vplat::internal::FocusWindow(), window);
    g_seen.clear();
    // The game's own sequence after showing: nothing more is sent.
    EXPECT_TRUE(UpdateWindow(window));
    EXPECT_EQ(SetFocus(window), window);
    EXPECT_TRUE(ShowWindow(window, SW_SHOW)) << "it was visible";
    EXPECT_TRUE(Messages().empty());
}

TEST_F(WindowTest, ShowingMinimisedActivatesWithTheMinimisedFlag) {
    HWND window = MakeWindow();
    ShowWindow(window, SW_SHOWMINIMIZED);
    EXPECT_EQ(HIWORD(WParamOf(WM_ACTIVATE)), 1);
    EXPECT_EQ(vplat::internal::FocusWindow(), nullptr);
    g_seen.clear();
    ShowWindow(window, SW_RESTORE);
    EXPECT_EQ(WParamOf(WM_ACTIVATE), static_cast<WPARAM>(MAKELONG(WA_ACTIVE, 0)));
    g_seen.clear();
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_EQ(WParamOf(WM_ACTIVATE), static_cast<WPARAM>(MAKELONG(WA_INACTIVE, 1)));
}

TEST_F(WindowTest, MinimiseAndRestoreFromTheDisplaySide) {
    HWND window = MakeWindow();
    ShowWindow(window, SW_SHOWNORMAL);
    g_seen.clear();
    vplat::MinimizeWindow();
    EXPECT_EQ(WParamOf(WM_ACTIVATE), static_cast<WPARAM>(MAKELONG(WA_INACTIVE, 1)));
    g_seen.clear();
    vplat::RestoreWindow();
    EXPECT_EQ(WParamOf(WM_ACTIVATE), static_cast<WPARAM>(MAKELONG(WA_ACTIVE, 0)));
    EXPECT_EQ(vplat::internal::FocusWindow(), window);
}

// Hiding, minimising and destroying the window in front all take it out of
// the front the same way, and only a minimised one is told so in WM_ACTIVATE.
TEST_F(WindowTest, LeavingTheFrontSendsOneOrderHoweverItIsLeft) {
    HWND window = MakeWindow();
    const std::vector<UINT> leaving = {WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS};
    ShowWindow(window, SW_SHOWNORMAL);
    g_seen.clear();
    ShowWindow(window, SW_HIDE);
    std::vector<UINT> expected = {WM_SHOWWINDOW};
    expected.insert(expected.end(), leaving.begin(), leaving.end());
    EXPECT_EQ(Messages(), expected) << "hidden";
    EXPECT_EQ(WParamOf(WM_ACTIVATE), static_cast<WPARAM>(WA_INACTIVE));

    ShowWindow(window, SW_SHOWNORMAL);
    g_seen.clear();
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_EQ(Messages(), leaving) << "minimised";
    EXPECT_EQ(WParamOf(WM_ACTIVATE), static_cast<WPARAM>(MAKELONG(WA_INACTIVE, 1)));
    EXPECT_EQ(GetActiveWindow(), nullptr);

    ShowWindow(window, SW_RESTORE);
    g_seen.clear();
    DestroyWindow(window);
    expected = leaving;
    expected.insert(expected.end(), {WM_DESTROY, WM_NCDESTROY});
    EXPECT_EQ(Messages(), expected) << "destroyed";
    EXPECT_EQ(WParamOf(WM_ACTIVATE), static_cast<WPARAM>(WA_INACTIVE));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(vplat::internal::FocusWindow(), nullptr);
}

TEST_F(WindowTest, CloseGoesThroughDestroyAndTheWindowIsGone) {
    HWND window = MakeWindow();
    ShowWindow(window, SW_SHOWNORMAL);
    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    g_seen.clear();
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    std::vector<UINT> messages = Messages();
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(messages[0], WM_CLOSE);
    // Deactivation first (Wine's destroy sequence), then the two destroy messages.
    EXPECT_EQ(messages[messages.size() - 2], WM_DESTROY);
    EXPECT_EQ(messages.back(), WM_NCDESTROY);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(vplat::internal::FocusWindow(), nullptr);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "its posted keys went too";
}

TEST_F(WindowTest, SystemCloseAndAltF4ReachWmClose) {
    HWND window = MakeWindow();
    DefWindowProcA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(window));

    window = Create();
    ShowWindow(window, SW_SHOWNORMAL);
    vplat::PressKey(VK_MENU);
    vplat::PressKey(VK_F4);
    MSG msg;
    while (IsWindow(window) && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowTest, DefaultHandlingAnswers) {
    HWND window = MakeWindow();
    EXPECT_EQ(DefWindowProcA(window, WM_NCCREATE, 0, 0), TRUE);
    EXPECT_EQ(DefWindowProcA(window, WM_KEYDOWN, VK_ESCAPE, 0), 0);
    EXPECT_EQ(DefWindowProcA(window, WM_SETCURSOR, 0, 0), 0);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(WindowTest, CursorsIconsAndMessageBoxes) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), "NOICON"), nullptr);
    EXPECT_EQ(SetCursor(arrow), nullptr);
    EXPECT_EQ(SetCursor(nullptr), arrow);

    EXPECT_EQ(MessageBoxA(nullptr, "DirectDrawCreateEx FAILED", "2D Game Velmora", MB_OK), IDOK);
    std::vector<vplat::MessageBoxRecord> boxes = vplat::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "DirectDrawCreateEx FAILED");
    EXPECT_EQ(boxes[0].caption, "2D Game Velmora");
    EXPECT_EQ(boxes[0].type, static_cast<unsigned>(MB_OK));
    vplat::InjectFault("MessageBoxA", 0, 1);
    EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_OK), 0);
    EXPECT_EQ(vplat::MessageBoxes().size(), 1u) << "a faulted box is never shown";
}

TEST_F(WindowTest, JournalKeepsCallOrderAroundSentMessages) {
    HWND window = MakeWindow();
    vplat::EnableJournal(true);
    ShowWindow(window, SW_SHOWNORMAL);
    std::vector<std::string> names = vplat::JournalNames({"ShowWindow", "DefWindowProcA"});
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names[0], "ShowWindow") << "recorded before the messages it sends";
    vplat::InjectFault("ShowWindow", TRUE, 1);
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_TRUE(IsWindow(window));
    vplat::InjectFault("CreateWindowExA", 0);
    EXPECT_EQ(Create(), nullptr);
}

}  // namespace
