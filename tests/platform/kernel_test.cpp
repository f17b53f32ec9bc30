// The kernel services: the virtual and real clocks, debug output, the
// module's bitmap resources (lookup, case, hiding), file reading, and the
// journal records and faults of these calls.
#include "temp_dir.h"
#include <velmora_platform.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override { vplat::ResetPlatform(); }
    void TearDown() override { vplat::ResetPlatform(); }
};

TEST_F(KernelTest, TheVirtualClockMovesOnlyWithSleep) {
    EXPECT_EQ(GetTickCount(), 0u);
    EXPECT_EQ(GetTickCount(), 0u);
    Sleep(1);
    Sleep(15);
    EXPECT_EQ(GetTickCount(), 16u);
    vplat::SetVirtualTime(0xFFFFFFFE);
    Sleep(3);
    EXPECT_EQ(GetTickCount(), 1u) << "wraps like the real 32-bit counter";
    vplat::UseVirtualClock(500);
    EXPECT_EQ(GetTickCount(), 500u);
}

TEST_F(KernelTest, TheRealClockAdvancesWithTime) {
    vplat::UseRealClock();
    DWORD before = GetTickCount();
    Sleep(20);
    DWORD elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 5000u);
}

TEST_F(KernelTest, DebugOutputIsKeptInOrder) {
    OutputDebugStringA("DirectDrawCreateEx OK\n");
    OutputDebugStringA(nullptr);
    OutputDebugStringA("handle is null\n");
    EXPECT_EQ(vplat::DebugOutput(), "DirectDrawCreateEx OK\nhandle is null\n");
    vplat::ResetPlatform();
    EXPECT_EQ(vplat::DebugOutput(), "");
}

TEST_F(KernelTest, TheModuleHandleIsFixedAndOnlyNullNamesIt) {
    HMODULE module = GetModuleHandleA(nullptr);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), module);
    EXPECT_EQ(GetModuleHandleA("user32.dll"), nullptr);
}

TEST_F(KernelTest, BitmapResourcesAreFoundByNameInAnyCase) {
    HRSRC resource = FindResourceA(nullptr, "backimg", RT_BITMAP);
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(FindResourceA(GetModuleHandleA(nullptr), "BACKIMG", RT_BITMAP), resource);
    HGLOBAL loaded = LoadResource(nullptr, resource);
    const BYTE* data = static_cast<const BYTE*>(LockResource(loaded));
    ASSERT_NE(data, nullptr);
    // A packed DIB: the 40-byte header comes first, no file header.
    BITMAPINFOHEADER header;
    memcpy(&header, data, sizeof header);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 640);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(SizeofResource(nullptr, resource), 40u + 1024u + 640u * 640u);
    EXPECT_EQ(FindResourceA(nullptr, "BACKIMG", MAKEINTRESOURCEA(10)), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, "NOSUCHIMAGE", RT_BITMAP), nullptr);
    EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(0x1234), "BACKIMG", RT_BITMAP), nullptr);
    EXPECT_EQ(LoadResource(nullptr, reinterpret_cast<HRSRC>(0x1234)), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
}

TEST_F(KernelTest, AHiddenResourceIsNotFoundUntilReset) {
    vplat::HideResource("Chara");
    EXPECT_EQ(FindResourceA(nullptr, "CHARA", RT_BITMAP), nullptr);
    EXPECT_EQ(
        LoadImageA(GetModuleHandleA(nullptr), "CHARA", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION),
        nullptr);
    EXPECT_NE(FindResourceA(nullptr, "TITLE", RT_BITMAP), nullptr);
    vplat::ResetPlatform();
    EXPECT_NE(FindResourceA(nullptr, "CHARA", RT_BITMAP), nullptr);
}

TEST_F(KernelTest, ResourceImagesLoadAtTheirSizeOrScaled) {
    HMODULE module = GetModuleHandleA(nullptr);
    HANDLE image = LoadImageA(module, "STRINGS", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    ASSERT_NE(image, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(image, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 600);
    EXPECT_EQ(info.bmHeight, 96);
    EXPECT_EQ(info.bmBitsPixel, 8);
    HANDLE scaled = LoadImageA(module, "STRINGS", IMAGE_BITMAP, 300, 0, LR_CREATEDIBSECTION);
    ASSERT_EQ(GetObjectA(scaled, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 300);
    EXPECT_EQ(info.bmHeight, 96);
    // A null instance names the system's bitmaps, not the program's.
    EXPECT_EQ(LoadImageA(nullptr, "STRINGS", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), nullptr);
    EXPECT_EQ(LoadImageA(module, "STRINGS", 1 /* IMAGE_ICON */, 0, 0, 0), nullptr);
}

TEST_F(KernelTest, FilesAreReadThroughTheHandlesOpenGave) {
    std::string path = velmora_test::TempDir() + "kernel_file.bin";
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fputs("0123456789", file);
    fclose(file);

    HFILE handle = _lopen(path.c_str(), OF_READ);
    ASSERT_NE(handle, HFILE_ERROR);
    char buffer[16] = {};
    EXPECT_EQ(_lread(handle, buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(_lread(handle, buffer, 16), 6u) << "a short read at the end";
    EXPECT_EQ(_lread(handle, buffer, 16), 0u);
    EXPECT_EQ(_lclose(handle), 0);
    EXPECT_EQ(_lread(handle, buffer, 4), static_cast<UINT>(HFILE_ERROR));
    EXPECT_EQ(_lclose(handle), HFILE_ERROR);
    EXPECT_EQ(_lread(0, buffer, 4), static_cast<UINT>(HFILE_ERROR)) << "never standard input";
    EXPECT_EQ(_lopen("/no/such/file", OF_READ), HFILE_ERROR);
    EXPECT_EQ(_lopen(velmora_test::TempDir().c_str(), OF_READ), HFILE_ERROR);
}

TEST_F(KernelTest, CallsAreJournaledAndFaultsAnswerThem) {
    vplat::EnableJournal(true);
    vplat::InjectFault("GetTickCount", 1234, 1);
    EXPECT_EQ(GetTickCount(), 1234u);
    EXPECT_EQ(GetTickCount(), 0u);
    vplat::InjectFault("Sleep", 0, 1);
    Sleep(50);
    EXPECT_EQ(GetTickCount(), 0u) << "a faulted Sleep does nothing";
    Sleep(5);
    vplat::InjectFault("FindResourceA", 0);
    EXPECT_EQ(FindResourceA(nullptr, "BACKIMG", RT_BITMAP), nullptr);
    std::vector<vplat::CallRecord> calls = vplat::Journal();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].name, "GetTickCount");
    EXPECT_EQ(calls[0].result, 1234);
    EXPECT_EQ(calls[2].name, "Sleep");
    EXPECT_EQ(calls[2].args, "ms=50");
    EXPECT_EQ(calls[3].name, "GetTickCount");
    EXPECT_EQ(calls[4].args, "ms=5");
    EXPECT_EQ(calls[5].name, "FindResourceA");
    EXPECT_NE(calls[5].args.find("\"BACKIMG\""), std::string::npos) << calls[5].args;
}

}  // namespace
