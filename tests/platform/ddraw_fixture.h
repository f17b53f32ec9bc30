// A DirectDraw set up as the game sets it up: exclusive full screen,
// 640 x 480 x 8, a primary surface with one back buffer.
#pragma once

#include <gtest/gtest.h>
#include <velmora_platform.h>

#include <cstring>
#include <vector>

#include <ddraw.h>

class DisplayTest : public ::testing::Test {
protected:
    HWND window = reinterpret_cast<HWND>(0x1000);
    IDirectDraw7* dd = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* back = nullptr;

    void SetUp() override {
        vplat::EnableJournal(true);
        vplat::KeepPresentedFrames(true);
        ASSERT_EQ(DD_OK, DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd),
                                            IID_IDirectDraw7, nullptr));
        ASSERT_EQ(DD_OK, dd->SetCooperativeLevel(
                             window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT));
        ASSERT_EQ(DD_OK, dd->SetDisplayMode(640, 480, 8, 0, 0));
        DDSURFACEDESC2 desc = Desc();
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        ASSERT_EQ(DD_OK, dd->CreateSurface(&desc, &primary, nullptr));
        DDSCAPS2 caps = {};
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        ASSERT_EQ(DD_OK, primary->GetAttachedSurface(&caps, &back));
    }

    // Frees every DirectDraw object the test left behind.
    void TearDown() override { vplat::ResetPlatform(); }

    static DDSURFACEDESC2 Desc() {
        DDSURFACEDESC2 desc;
        memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        return desc;
    }

    IDirectDrawSurface7* Plain(int width, int height) {
        DDSURFACEDESC2 desc = Desc();
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = width;
        desc.dwHeight = height;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        IDirectDrawSurface7* surface = nullptr;
        EXPECT_EQ(DD_OK, dd->CreateSurface(&desc, &surface, nullptr));
        return surface;
    }

    // The surface's pixels, row after row without padding.
    static std::vector<uint8_t> Read(IDirectDrawSurface7* surface) {
        DDSURFACEDESC2 desc = Desc();
        EXPECT_EQ(DD_OK, surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
        int rowBytes = desc.dwWidth * desc.ddpfPixelFormat.dwRGBBitCount / 8;
        std::vector<uint8_t> bytes(static_cast<size_t>(rowBytes) * desc.dwHeight);
        for (DWORD y = 0; y < desc.dwHeight; ++y) {
            memcpy(&bytes[y * rowBytes], static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch,
                   rowBytes);
        }
        EXPECT_EQ(DD_OK, surface->Unlock(nullptr));
        return bytes;
    }

    static void Write(IDirectDrawSurface7* surface, const std::vector<uint8_t>& bytes) {
        DDSURFACEDESC2 desc = Desc();
        ASSERT_EQ(DD_OK, surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
        int rowBytes = desc.dwWidth * desc.ddpfPixelFormat.dwRGBBitCount / 8;
        ASSERT_EQ(bytes.size(), static_cast<size_t>(rowBytes) * desc.dwHeight);
        for (DWORD y = 0; y < desc.dwHeight; ++y) {
            memcpy(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch, &bytes[y * rowBytes],
                   rowBytes);
        }
        ASSERT_EQ(DD_OK, surface->Unlock(nullptr));
    }

    // A pattern with every byte value, different on every row.
    static std::vector<uint8_t> Pattern(size_t size, int seed) {
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<uint8_t>(i * 7 + seed + i / 13);
        }
        return bytes;
    }
};
