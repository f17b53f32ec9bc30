// The message queue (order, WM_QUIT last and visible to PM_NOREMOVE,
// dispatching), key state with both GetAsyncKeyState bits, and wsprintfA.
#include <velmora_platform.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<UINT> g_dispatched;

LRESULT CALLBACK Collect(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_KEYDOWN && message <= WM_SYSKEYUP) {
        g_dispatched.push_back(message);
    }
    if (message == 0x0400) {  // WM_USER: answers its own wParam
        return static_cast<LRESULT>(wParam) * 2;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class QueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        vplat::ResetPlatform();
        g_dispatched.clear();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Collect;
        windowClass.lpszClassName = "Queue";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        window_ = CreateWindowExA(0, "Queue", "", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                                  nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        ShowWindow(window_, SW_SHOWNORMAL);
    }
    void TearDown() override { vplat::ResetPlatform(); }

    HWND window_ = nullptr;
};

TEST_F(QueueTest, PostedMessagesComeInOrderWithQuitLast) {
    PostQuitMessage(7);
    PostMessageA(window_, WM_KEYDOWN, 1, 0);
    PostMessageA(window_, WM_KEYUP, 2, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(msg.hwnd, window_);
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYUP));
    // A waiting quit counts as a message for PM_NOREMOVE, and stays.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(QueueTest, FiltersSelectByWindowAndRange) {
    PostMessageA(nullptr, WM_KEYUP, 0, 0);
    PostMessageA(window_, WM_KEYDOWN, 0, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, window_, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x1234), WM_KEYDOWN, 0, 0));
}

TEST_F(QueueTest, DispatchAndSendCallTheProcedure) {
    MSG msg{window_, 0x0400, 21, 0, 0, {0, 0}};
    EXPECT_EQ(DispatchMessageA(&msg), 42);
    EXPECT_EQ(SendMessageA(window_, 0x0400, 5, 0), 10);
    MSG threadMessage{nullptr, 0x0400, 21, 0, 0, {0, 0}};
    EXPECT_EQ(DispatchMessageA(&threadMessage), 0);
}

TEST_F(QueueTest, AnEmptyQueueWithTheVirtualClockDoesNotBlockForever) {
    MSG msg{};
    msg.message = 99;
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_NULL));
}

TEST_F(QueueTest, KeysPostMessagesToTheFocusAndTranslateToCharacters) {
    vplat::PressKey('S');
    vplat::ReleaseKey('S');
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(msg.hwnd, window_);
    EXPECT_TRUE(TranslateMessage(&msg));
    DispatchMessageA(&msg);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CHAR)) << "typed characters come next";
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('s'));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(static_cast<uint32_t>(msg.lParam) >> 30, 3u) << "was down, now released";
}

TEST_F(QueueTest, AsyncKeyStateHasTheDownAndPressedBits) {
    EXPECT_EQ(GetAsyncKeyState(VK_LEFT), 0);
    vplat::PressKey(VK_LEFT);
    EXPECT_EQ(static_cast<uint16_t>(GetAsyncKeyState(VK_LEFT)), 0x8001);
    EXPECT_EQ(static_cast<uint16_t>(GetAsyncKeyState(VK_LEFT)), 0x8000) << "pressed bit read";
    vplat::ReleaseKey(VK_LEFT);
    EXPECT_EQ(GetAsyncKeyState(VK_LEFT), 0);
    // Down and up again between two queries: only the pressed bit remains.
    vplat::PressKey(VK_SPACE);
    vplat::ReleaseKey(VK_SPACE);
    EXPECT_EQ(GetAsyncKeyState(VK_SPACE), 1);
    EXPECT_EQ(GetAsyncKeyState(VK_SPACE), 0);
    // Each key keeps its own pressed bit.
    vplat::PressKey(VK_UP);
    EXPECT_EQ(static_cast<uint16_t>(GetAsyncKeyState(VK_DOWN)), 0);
    EXPECT_EQ(static_cast<uint16_t>(GetAsyncKeyState(VK_UP)), 0x8001);
    EXPECT_EQ(GetAsyncKeyState(-1), 0);
    EXPECT_EQ(GetAsyncKeyState(256), 0);
}

std::string Formatted(const char* format, ...) {
    char buffer[1100];
    memset(buffer, 'Z', sizeof buffer);
    va_list args;
    va_start(args, format);
    int length = wvsprintfA(buffer, format, args);
    va_end(args);
    EXPECT_EQ(length, static_cast<int>(strlen(buffer)));
    return buffer;
}

TEST(WsprintfTest, FormatsWhatTheGameAndItsTestsUse) {
    vplat::ResetPlatform();
    char text[128];
    EXPECT_EQ(wsprintfA(text, "%04d FPS", 60), 8);
    EXPECT_STREQ(text, "0060 FPS");
    EXPECT_EQ(Formatted("%04d FPS", 12345), "12345 FPS");
    EXPECT_EQ(Formatted("%04d", -5), "-005");
    EXPECT_EQ(Formatted("[%-5d|%5d]", 42, 42), "[42   |   42]");
    EXPECT_EQ(Formatted("%u %x %X %#x", 3000000000u, 255, 255, 255), "3000000000 ff FF 0xff");
    EXPECT_EQ(Formatted("%s/%c/%%/%i", "ab", 'q', 9), "ab/q/%/9");
    EXPECT_EQ(Formatted("%s", static_cast<const char*>(nullptr)), "(null)");
    EXPECT_EQ(Formatted("%.2s|%ld", "abcdef", 7L), "ab|7");
    EXPECT_EQ(Formatted("%q%d", 3), "q3") << "an unknown type prints as text";
}

TEST(WsprintfTest, OutputIsCutAtTheRealBufferSize) {
    vplat::ResetPlatform();
    std::string longText(2000, 'x');
    char buffer[1100];
    memset(buffer, 'Z', sizeof buffer);
    // Wine's answer when the text fills the buffer: 1024, with 1023 written.
    EXPECT_EQ(wsprintfA(buffer, "%s", longText.c_str()), 1024);
    EXPECT_EQ(strlen(buffer), 1023u);
    EXPECT_EQ(buffer[1024], 'Z') << "nothing written past the terminator";
}

}  // namespace
