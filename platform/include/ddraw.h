// The DirectDraw 7 subset that Velmora uses, for the Linux build. Values and
// structure layouts follow the platform's own header for a 64-bit build; the
// interfaces declare only the methods the game and its tests call.
#pragma once

#include <windows.h>

#define DD_OK S_OK
#define DD_FALSE S_FALSE
#define VELMORA_DDHRESULT(code) ((HRESULT)(0x88760000u | (code)))
#define DDERR_ALREADYINITIALIZED VELMORA_DDHRESULT(5)
#define DDERR_GENERIC E_FAIL
#define DDERR_INVALIDCAPS VELMORA_DDHRESULT(100)
#define DDERR_INVALIDMODE VELMORA_DDHRESULT(120)
#define DDERR_INVALIDOBJECT VELMORA_DDHRESULT(130)
#define DDERR_INVALIDPARAMS E_INVALIDARG
#define DDERR_INVALIDPIXELFORMAT VELMORA_DDHRESULT(145)
#define DDERR_INVALIDRECT VELMORA_DDHRESULT(150)
#define DDERR_NOCOLORKEY VELMORA_DDHRESULT(215)
#define DDERR_NOCOOPERATIVELEVELSET VELMORA_DDHRESULT(212)
#define DDERR_NOEXCLUSIVEMODE VELMORA_DDHRESULT(225)
#define DDERR_NOTFOUND VELMORA_DDHRESULT(255)
#define DDERR_OUTOFMEMORY E_OUTOFMEMORY
#define DDERR_SURFACEBUSY VELMORA_DDHRESULT(430)
#define DDERR_SURFACELOST VELMORA_DDHRESULT(450)
#define DDERR_UNSUPPORTED ((HRESULT)0x80004001)
#define DDERR_WASSTILLDRAWING VELMORA_DDHRESULT(540)
#define DDERR_PRIMARYSURFACEALREADYEXISTS VELMORA_DDHRESULT(564)
#define DDERR_HWNDALREADYSET VELMORA_DDHRESULT(571)
#define DDERR_NOPALETTEATTACHED VELMORA_DDHRESULT(572)
#define DDERR_EXCLUSIVEMODEALREADYSET VELMORA_DDHRESULT(581)
#define DDERR_NOTFLIPPABLE VELMORA_DDHRESULT(582)
#define DDERR_NOTLOCKED VELMORA_DDHRESULT(584)
#define DDERR_CANTCREATEDC VELMORA_DDHRESULT(585)
#define DDERR_NODC VELMORA_DDHRESULT(586)
#define DDERR_WRONGMODE VELMORA_DDHRESULT(587)
#define DDERR_IMPLICITLYCREATED VELMORA_DDHRESULT(588)
#define DDERR_NOTPALETTIZED VELMORA_DDHRESULT(589)
#define DDERR_UNSUPPORTEDMODE VELMORA_DDHRESULT(590)
#define DDERR_DCALREADYCREATED VELMORA_DDHRESULT(620)
#ifndef S_FALSE
#define S_FALSE ((HRESULT)1)
#endif

// SetCooperativeLevel
#define DDSCL_FULLSCREEN 0x00000001
#define DDSCL_ALLOWREBOOT 0x00000002
#define DDSCL_NOWINDOWCHANGES 0x00000004
#define DDSCL_NORMAL 0x00000008
#define DDSCL_EXCLUSIVE 0x00000010

// DDSURFACEDESC2.dwFlags
#define DDSD_CAPS 0x00000001
#define DDSD_HEIGHT 0x00000002
#define DDSD_WIDTH 0x00000004
#define DDSD_PITCH 0x00000008
#define DDSD_BACKBUFFERCOUNT 0x00000020
#define DDSD_CKSRCBLT 0x00010000
#define DDSD_PIXELFORMAT 0x00001000
#define DDSD_LPSURFACE 0x00000800

// DDSCAPS.dwCaps
#define DDSCAPS_BACKBUFFER 0x00000004
#define DDSCAPS_COMPLEX 0x00000008
#define DDSCAPS_FLIP 0x00000010
#define DDSCAPS_FRONTBUFFER 0x00000020
#define DDSCAPS_OFFSCREENPLAIN 0x00000040
#define DDSCAPS_PALETTE 0x00000100
#define DDSCAPS_PRIMARYSURFACE 0x00000200
#define DDSCAPS_SYSTEMMEMORY 0x00000800
#define DDSCAPS_VIDEOMEMORY 0x00004000
#define DDSCAPS_VISIBLE 0x00008000
#define DDSCAPS_LOCALVIDMEM 0x10000000

// DDPIXELFORMAT.dwFlags
#define DDPF_PALETTEINDEXED8 0x00000020
#define DDPF_RGB 0x00000040

// CreatePalette
#define DDPCAPS_4BIT 0x00000001
#define DDPCAPS_8BITENTRIES 0x00000002
#define DDPCAPS_8BIT 0x00000004
#define DDPCAPS_PRIMARYSURFACE 0x00000010
#define DDPCAPS_ALLOW256 0x00000040

// Blt
#define DDBLT_COLORFILL 0x00000400
#define DDBLT_KEYSRC 0x00008000
#define DDBLT_WAIT 0x01000000

// BltFast
#define DDBLTFAST_NOCOLORKEY 0x00000000
#define DDBLTFAST_SRCCOLORKEY 0x00000001
#define DDBLTFAST_DESTCOLORKEY 0x00000002
#define DDBLTFAST_WAIT 0x00000010

// Flip
#define DDFLIP_WAIT 0x00000001

// Lock
#define DDLOCK_WAIT 0x00000001
#define DDLOCK_READONLY 0x00000010
#define DDLOCK_WRITEONLY 0x00000020

// SetColorKey
#define DDCKEY_COLORSPACE 0x00000001
#define DDCKEY_DESTBLT 0x00000002
#define DDCKEY_SRCBLT 0x00000008

typedef struct _DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
} DDCOLORKEY, *LPDDCOLORKEY;

typedef struct _DDSCAPS2 {
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCaps3;
    union {
        DWORD dwCaps4;
        DWORD dwVolumeDepth;
    };
} DDSCAPS2, *LPDDSCAPS2;

typedef struct _DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    union {
        DWORD dwRGBBitCount;
        DWORD dwYUVBitCount;
    };
    union {
        DWORD dwRBitMask;
        DWORD dwYBitMask;
    };
    union {
        DWORD dwGBitMask;
        DWORD dwUBitMask;
    };
    union {
        DWORD dwBBitMask;
        DWORD dwVBitMask;
    };
    union {
        DWORD dwRGBAlphaBitMask;
        DWORD dwYUVAlphaBitMask;
    };
} DDPIXELFORMAT, *LPDDPIXELFORMAT;

typedef struct _DDSURFACEDESC2 {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    union {
        LONG lPitch;
        DWORD dwLinearSize;
    };
    union {
        DWORD dwBackBufferCount;
        DWORD dwDepth;
    };
    union {
        DWORD dwMipMapCount;
        DWORD dwRefreshRate;
        DWORD dwSrcVBHandle;
    };
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    LPVOID lpSurface;
    union {
        DDCOLORKEY ddckCKDestOverlay;
        DWORD dwEmptyFaceColor;
    };
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    union {
        DDPIXELFORMAT ddpfPixelFormat;
        DWORD dwFVF;
    };
    DDSCAPS2 ddsCaps;
    DWORD dwTextureStage;
} DDSURFACEDESC2, *LPDDSURFACEDESC2;

struct IDirectDrawSurface;
typedef struct IDirectDrawSurface* LPDIRECTDRAWSURFACE;

typedef struct _DDBLTFX {
    DWORD dwSize;
    DWORD dwDDFX;
    DWORD dwROP;
    DWORD dwDDROP;
    DWORD dwRotationAngle;
    DWORD dwZBufferOpCode;
    DWORD dwZBufferLow;
    DWORD dwZBufferHigh;
    DWORD dwZBufferBaseDest;
    DWORD dwZDestConstBitDepth;
    union {
        DWORD dwZDestConst;
        LPDIRECTDRAWSURFACE lpDDSZBufferDest;
    };
    DWORD dwZSrcConstBitDepth;
    union {
        DWORD dwZSrcConst;
        LPDIRECTDRAWSURFACE lpDDSZBufferSrc;
    };
    DWORD dwAlphaEdgeBlendBitDepth;
    DWORD dwAlphaEdgeBlend;
    DWORD dwReserved;
    DWORD dwAlphaDestConstBitDepth;
    union {
        DWORD dwAlphaDestConst;
        LPDIRECTDRAWSURFACE lpDDSAlphaDest;
    };
    DWORD dwAlphaSrcConstBitDepth;
    union {
        DWORD dwAlphaSrcConst;
        LPDIRECTDRAWSURFACE lpDDSAlphaSrc;
    };
    union {
        DWORD dwFillColor;
        DWORD dwFillDepth;
        DWORD dwFillPixel;
        LPDIRECTDRAWSURFACE lpDDSPattern;
    };
    DDCOLORKEY ddckDestColorkey;
    DDCOLORKEY ddckSrcColorkey;
} DDBLTFX, *LPDDBLTFX;

struct IDirectDrawPalette : IUnknown {
    virtual HRESULT GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) = 0;
    virtual HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY entries) = 0;

protected:
    ~IDirectDrawPalette() = default;
};
typedef IDirectDrawPalette* LPDIRECTDRAWPALETTE;

struct IDirectDrawSurface7 : IUnknown {
    virtual HRESULT Blt(LPRECT destRect, IDirectDrawSurface7* source, LPRECT sourceRect,
                        DWORD flags, LPDDBLTFX fx) = 0;
    virtual HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface7* source, LPRECT sourceRect,
                            DWORD trans) = 0;
    virtual HRESULT Flip(IDirectDrawSurface7* target, DWORD flags) = 0;
    virtual HRESULT GetAttachedSurface(LPDDSCAPS2 caps, IDirectDrawSurface7** surface) = 0;
    virtual HRESULT GetColorKey(DWORD flags, LPDDCOLORKEY key) = 0;
    virtual HRESULT GetDC(HDC* dc) = 0;
    virtual HRESULT GetPalette(LPDIRECTDRAWPALETTE* palette) = 0;
    virtual HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 desc) = 0;
    virtual HRESULT IsLost() = 0;
    virtual HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) = 0;
    virtual HRESULT ReleaseDC(HDC dc) = 0;
    virtual HRESULT Restore() = 0;
    virtual HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) = 0;
    virtual HRESULT SetPalette(LPDIRECTDRAWPALETTE palette) = 0;
    virtual HRESULT Unlock(LPRECT rect) = 0;

protected:
    ~IDirectDrawSurface7() = default;
};
typedef IDirectDrawSurface7* LPDIRECTDRAWSURFACE7;

struct IDirectDraw7 : IUnknown {
    virtual HRESULT CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette,
                                  IUnknown* outer) = 0;
    virtual HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface,
                                  IUnknown* outer) = 0;
    virtual HRESULT RestoreDisplayMode() = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                                   DWORD flags) = 0;

protected:
    ~IDirectDraw7() = default;
};
typedef IDirectDraw7* LPDIRECTDRAW7;

extern const GUID IID_IDirectDraw7;

HRESULT WINAPI DirectDrawCreateEx(GUID* driverGuid, LPVOID* directDraw, REFIID iid,
                                  IUnknown* outer);
