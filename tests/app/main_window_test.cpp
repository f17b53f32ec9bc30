// The main window, its class and its procedure.
#include "game_test_support.h"

namespace {

using MainWindowTest = GameTest;

TEST_F(MainWindowTest, ShowingTheWindowActivatesTheGame) {
    HWND window = MakeWindow();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(g_appActive, 1);
}

TEST_F(MainWindowTest, ActiveMeansNotMinimised) {
    HWND window = MakeWindow();
    struct Case {
        WORD kind, minimised;
        int active;
    };
    for (const Case& c : {Case{WA_INACTIVE, 1, 0}, Case{WA_INACTIVE, 0, 1}, Case{WA_ACTIVE, 1, 0},
                          Case{WA_CLICKACTIVE, 0, 1}, Case{WA_ACTIVE, 0x8000, 0}}) {
        EXPECT_EQ(MainWindowProc(window, WM_ACTIVATE, MAKELONG(c.kind, c.minimised), 0), 0);
        EXPECT_EQ(g_appActive, c.active) << c.kind << "/" << c.minimised;
    }
}

TEST_F(MainWindowTest, SetCursorHidesTheCursorAndAnswersTrue) {
    HWND window = MakeWindow();
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
    EXPECT_EQ(MainWindowProc(window, WM_SETCURSOR, (WPARAM)window, 0), TRUE);
    // The cursor now in force is none.
    EXPECT_EQ(SetCursor(NULL), nullptr);
}

TEST_F(MainWindowTest, EscapeAndF12PostCloseOtherKeysDoNothing) {
    HWND window = MakeWindow();
    for (int key : {VK_SPACE, VK_LEFT, (int)'S', VK_RETURN, VK_F1}) {
        EXPECT_EQ(MainWindowProc(window, WM_KEYDOWN, key, 0), 0);
    }
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE));
    for (int key : {VK_ESCAPE, VK_F12}) {
        EXPECT_EQ(MainWindowProc(window, WM_KEYDOWN, key, 0), 0);
        ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
        EXPECT_EQ(msg.hwnd, window);
        EXPECT_EQ(msg.wParam, 0u);
        EXPECT_EQ(msg.lParam, 0);
    }
}

TEST_F(MainWindowTest, CloseDestroysReleasesTheDisplayThenPostsQuit) {
    HWND window = SetUpDisplay();
    vplat::ClearJournal();
    PostMessageA(window, WM_CLOSE, 0, 0);
    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, NULL, 0, 0));
    DispatchMessageA(&msg);

    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(g_directDraw, nullptr);
    std::vector<std::string> order = vplat::JournalNames({"Release", "PostQuitMessage"});
    ASSERT_EQ(order.size(), 8u);
    EXPECT_EQ(order.back(), "PostQuitMessage");
    EXPECT_EQ(GetMessageA(&msg, NULL, 0, 0), 0);
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(MainWindowTest, FailedRegistrationGivesNoWindow) {
    vplat::InjectFault("RegisterClassA", 0);
    EXPECT_EQ(CreateMainWindow(GetModuleHandleA(NULL), SW_SHOWDEFAULT), nullptr);
    EXPECT_EQ(CountCalls("CreateWindowExA"), 0);
    EXPECT_EQ(CountCalls("ShowWindow"), 0);
}

TEST_F(MainWindowTest, FailedCreationLeavesTheClassRegistered) {
    vplat::InjectFault("CreateWindowExA", 0, 1);
    EXPECT_EQ(CreateMainWindow(GetModuleHandleA(NULL), SW_SHOWDEFAULT), nullptr);
    EXPECT_EQ(CountCalls("ShowWindow"), 0);
    // The class is still there: a second registration of the same name fails.
    WNDCLASSA again = {};
    again.lpfnWndProc = MainWindowProc;
    again.lpszClassName = "Velmora";
    EXPECT_EQ(RegisterClassA(&again), 0);
}

TEST_F(MainWindowTest, WindowHasTheGamesClassTitleAndStyle) {
    MakeWindow();
    for (const vplat::CallRecord& call : vplat::Journal()) {
        if (call.name == "CreateWindowExA") {
            EXPECT_NE(call.args.find("Velmora"), std::string::npos) << call.args;
            EXPECT_NE(call.args.find("2D Game Velmora"), std::string::npos) << call.args;
            return;
        }
    }
    ADD_FAILURE() << "CreateWindowExA was not called";
}

}  // namespace
