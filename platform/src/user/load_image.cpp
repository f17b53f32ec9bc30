// LoadImageA for bitmaps: from a bitmap resource of the executable, or with
// LR_LOADFROMFILE from a BMP file, into a DIB section that keeps the image's
// own bit depth and colour table.
#include "gdi/gdi.h"
#include "core/entry.h"
#include "internal.h"
#include "kernel/kernel.h"

namespace vplat::user {
namespace {

// No bitmap this program could want is larger; anything bigger, or not a
// regular file (a device, a pipe), is refused before it is read.
constexpr size_t kMaxFileBytes = size_t{256} << 20;

std::vector<uint8_t> ReadBitmapFile(const char* path, bool* ok) {
    std::vector<uint8_t> data;
    *ok = kernel::ReadRegularFile(path, kMaxFileBytes, &data, nullptr);
    return data;
}

std::unique_ptr<gdi::Dib> LoadDib(HINSTANCE instance, const char* name, UINT load) {
    if (name == nullptr) {
        return nullptr;
    }
    if (load & LR_LOADFROMFILE) {
        bool ok = false;
        std::vector<uint8_t> data =
            IS_INTRESOURCE(name) ? std::vector<uint8_t>() : ReadBitmapFile(name, &ok);
        return ok ? gdi::ParseBmpFile(data.data(), data.size()) : nullptr;
    }
    // A null instance names the system's own bitmaps, of which there are none.
    if (instance != kernel::ModuleHandle()) {
        return nullptr;
    }
    size_t size = 0;
    const unsigned char* data = internal::FindBitmapResource(name, &size);
    return data ? gdi::ParsePackedDib(data, size) : nullptr;
}

HANDLE LoadBitmapImage(HINSTANCE instance, const char* name, int cx, int cy, UINT load) {
    if (cx < 0 || cy < 0) {
        return nullptr;
    }
    std::unique_ptr<gdi::Dib> dib = LoadDib(instance, name, load);
    if (dib == nullptr) {
        return nullptr;
    }
    int width = cx ? cx : dib->view.width;
    int height = cy ? cy : dib->view.height;
    if (width != dib->view.width || height != dib->view.height) {
        dib = gdi::ScaleDib(*dib, width, height);
        if (dib == nullptr) {
            return nullptr;
        }
    }
    return gdi::AddDibSection(std::move(dib));
}

}  // namespace
}  // namespace vplat::user

HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT load) {
    auto args = [&] {
        return vplat::internal::Format("instance=%p name=", static_cast<void*>(instance)) +
               vplat::internal::ResourceNameText(name) +
               vplat::internal::Format(" type=%u cx=%d cy=%d load=0x%x", type, cx, cy, load);
    };
    return vplat::entry::Run(vplat::entry::Name::LoadImageA, args, [&]() -> HANDLE {
        // Only bitmaps: the program loads no icons or cursors from images.
        if (type != IMAGE_BITMAP) {
            return nullptr;
        }
        return vplat::user::LoadBitmapImage(instance, name, cx, cy, load);
    });
}
