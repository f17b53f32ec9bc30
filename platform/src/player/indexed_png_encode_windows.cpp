// The frame encoded by the Windows imaging component's PNG encoder, as an
// 8-bit palette PNG, into memory.
#include <windows.h>
#include <wincodec.h>

#include "player/indexed_png.h"

namespace vplat::player {
namespace {

// Each COM object released when its holder goes.
template <typename T>
struct Held {
    T* object = nullptr;
    ~Held() {
        if (object != nullptr) {
            object->Release();
        }
    }
    T* operator->() const { return object; }
};

// The frame's pixels and palette into an encoder that writes `stream`.
bool EncodeInto(IWICImagingFactory* factory, IStream* stream, const Frame& frame) {
    Held<IWICBitmapEncoder> encoder;
    Held<IWICBitmapFrameEncode> page;
    Held<IPropertyBag2> options;
    Held<IWICPalette> palette;
    WICColor colours[256];
    for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY& entry = frame.palette[i];
        colours[i] = 0xFF000000u | static_cast<WICColor>(entry.peRed) << 16 |
                     static_cast<WICColor>(entry.peGreen) << 8 | entry.peBlue;
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat8bppIndexed;
    UINT width = static_cast<UINT>(frame.width);
    UINT height = static_cast<UINT>(frame.height);
    bool done =
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.object)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&page.object, &options.object)) &&
        SUCCEEDED(page->Initialize(options.object)) && SUCCEEDED(page->SetSize(width, height)) &&
        SUCCEEDED(page->SetPixelFormat(&format)) && format == GUID_WICPixelFormat8bppIndexed &&
        SUCCEEDED(factory->CreatePalette(&palette.object)) &&
        SUCCEEDED(palette->InitializeCustom(colours, 256)) &&
        SUCCEEDED(page->SetPalette(palette.object));
    // The encoder reads the pixels and does not change them.
    BYTE* pixels = const_cast<BYTE*>(frame.indices.data());
    return done && SUCCEEDED(page->WritePixels(height, width, width * height, pixels)) &&
           SUCCEEDED(page->Commit()) && SUCCEEDED(encoder->Commit());
}

bool ReadBack(IStream* stream, std::string* png) {
    STATSTG status = {};
    LARGE_INTEGER start = {};
    if (FAILED(stream->Stat(&status, STATFLAG_NONAME)) ||
        FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) {
        return false;
    }
    png->resize(static_cast<size_t>(status.cbSize.QuadPart));
    ULONG read = 0;
    return SUCCEEDED(stream->Read(png->data(), static_cast<ULONG>(png->size()), &read)) &&
           read == png->size();
}

bool Encode(const Frame& frame, std::string* png) {
    Held<IWICImagingFactory> factory;
    Held<IStream> stream;
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(&factory.object))) &&
           SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream.object)) &&
           EncodeInto(factory.object, stream.object, frame) && ReadBack(stream.object, png);
}

}  // namespace

bool EncodeIndexedPng(const Frame& frame, std::string* png) {
    // COM for this call; a thread that has it already, in either model, is
    // served as well.
    HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    bool encoded = Encode(frame, png);
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return encoded;
}

}  // namespace vplat::player
