// GDI objects: DIB sections and stock objects, GetObjectA, DeleteObject,
// GetStockObject.
#include <cstring>
#include <map>

#include "gdi/gdi.h"
#include "core/entry.h"
#include "internal.h"

namespace vplat::gdi {
namespace {

struct BitmapObject {
    std::unique_ptr<Dib> dib;
    HDC selectedInto = nullptr;
    bool deletePending = false;
};

std::map<HGDIOBJ, std::unique_ptr<BitmapObject>> g_bitmaps;

// Stock objects are never freed; their addresses are their handles.
constexpr int kStockCount = 20;
char g_stockObjects[kStockCount];

StockKind KindOfStockIndex(int index) {
    if (index >= 0 && index <= 5) {
        return kBrush;
    }
    if (index >= 6 && index <= 8) {
        return kPen;
    }
    if (index == 15) {
        return kPalette;
    }
    if ((index >= 10 && index <= 14) || (index >= 16 && index <= 17)) {
        return kFont;
    }
    return kNotStock;
}

std::unique_ptr<Dib> MakeDefaultBitmap() {
    auto dib = std::make_unique<Dib>();
    dib->bits.assign(4, 0);
    dib->stride = 4;
    dib->view.top = dib->bits.data();
    dib->view.width = 1;
    dib->view.height = 1;
    dib->view.pitch = 4;
    dib->view.bitCount = 1;
    dib->view.colorCount = 2;
    dib->view.colors[1] = Rgb{255, 255, 255};
    return dib;
}

BitmapObject* FindBitmap(HGDIOBJ object) {
    auto found = g_bitmaps.find(object);
    return found == g_bitmaps.end() ? nullptr : found->second.get();
}

BitmapObject& DefaultBitmapObject() {
    static BitmapObject object{MakeDefaultBitmap(), nullptr, false};
    return object;
}

int WriteBitmapInfo(const Dib& dib, bool dibSection, int size, void* buffer) {
    if (buffer == nullptr) {
        return sizeof(BITMAP);
    }
    // As on Windows NT: a buffer too small for the whole record gets nothing.
    if (size < static_cast<int>(sizeof(BITMAP))) {
        return 0;
    }
    BITMAP info{};
    info.bmType = 0;
    info.bmWidth = dib.view.width;
    info.bmHeight = dib.view.height;
    info.bmWidthBytes = dib.stride;
    info.bmPlanes = 1;
    info.bmBitsPixel = static_cast<WORD>(dib.view.bitCount);
    info.bmBits = dibSection ? const_cast<uint8_t*>(dib.bits.data()) : nullptr;
    memcpy(buffer, &info, sizeof info);
    return sizeof(BITMAP);
}

}  // namespace

HBITMAP AddDibSection(std::unique_ptr<Dib> dib) {
    auto object = std::make_unique<BitmapObject>();
    object->dib = std::move(dib);
    HGDIOBJ handle = object.get();
    g_bitmaps[handle] = std::move(object);
    return static_cast<HBITMAP>(handle);
}

Dib* FindDib(HGDIOBJ object) {
    if (object == DefaultBitmap()) {
        return DefaultBitmapObject().dib.get();
    }
    BitmapObject* bitmap = FindBitmap(object);
    return bitmap && !bitmap->deletePending ? bitmap->dib.get() : nullptr;
}

HBITMAP DefaultBitmap() {
    return reinterpret_cast<HBITMAP>(&DefaultBitmapObject());
}

bool MarkSelected(HGDIOBJ object, HDC dc) {
    if (object == DefaultBitmap()) {
        return true;  // shared by every new memory DC
    }
    BitmapObject* bitmap = FindBitmap(object);
    if (bitmap == nullptr || bitmap->deletePending ||
        (bitmap->selectedInto != nullptr && bitmap->selectedInto != dc)) {
        return false;
    }
    bitmap->selectedInto = dc;
    return true;
}

void MarkDeselected(HGDIOBJ object) {
    BitmapObject* bitmap = FindBitmap(object);
    if (bitmap == nullptr) {
        return;
    }
    bitmap->selectedInto = nullptr;
    if (bitmap->deletePending) {
        g_bitmaps.erase(object);
    }
}

StockKind StockObjectKind(HGDIOBJ object) {
    const char* p = static_cast<const char*>(object);
    if (p < g_stockObjects || p >= g_stockObjects + kStockCount) {
        return kNotStock;
    }
    return KindOfStockIndex(static_cast<int>(p - g_stockObjects));
}

HGDIOBJ StockObject(int index) {
    return KindOfStockIndex(index) == kNotStock ? nullptr : &g_stockObjects[index];
}

void ResetObjects() {
    g_bitmaps.clear();
}

}  // namespace vplat::gdi

namespace entry = vplat::entry;
using vplat::internal::Format;

HGDIOBJ WINAPI GetStockObject(int object) {
    auto args = [&] { return Format("object=%d", object); };
    return entry::Run(entry::Name::GetStockObject, args,
                      [&]() -> HGDIOBJ { return vplat::gdi::StockObject(object); });
}

int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
    auto args = [&] { return Format("object=%p size=%d buffer=%p", object, size, buffer); };
    return entry::Run(entry::Name::GetObjectA, args, [&]() -> int {
        const vplat::gdi::Dib* dib = vplat::gdi::FindDib(object);
        if (dib == nullptr) {
            return 0;
        }
        bool dibSection = object != vplat::gdi::DefaultBitmap();
        return vplat::gdi::WriteBitmapInfo(*dib, dibSection, size, buffer);
    });
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    auto args = [&] { return Format("object=%p", object); };
    return entry::Run(entry::Name::DeleteObject, args, [&]() -> BOOL {
        if (vplat::gdi::StockObjectKind(object) != vplat::gdi::kNotStock ||
            object == vplat::gdi::DefaultBitmap()) {
            return TRUE;  // stock objects are never deleted, and that is no error
        }
        vplat::gdi::BitmapObject* bitmap = vplat::gdi::FindBitmap(object);
        if (bitmap == nullptr || bitmap->deletePending) {
            return FALSE;
        }
        // A bitmap still selected into a DC goes when it is deselected.
        if (bitmap->selectedInto != nullptr) {
            bitmap->deletePending = true;
        } else {
            vplat::gdi::g_bitmaps.erase(object);
        }
        return TRUE;
    });
}
