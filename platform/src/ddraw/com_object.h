// IUnknown's three calls, written once for the DirectDraw object, its
// surfaces and its palettes. QueryInterface answers with the object itself
// for IUnknown and for the object's own interface (Self::kOwnInterface, where
// there is one to ask for); what the last reference ends is each object's own
// DropRef.
#pragma once

#include <cstring>

#include "core/entry.h"
#include "ddraw/interface_base.h"
#include "internal.h"

namespace vplat::ddraw {

inline bool SameGuid(const GUID& a, const GUID& b) {
    return memcmp(&a, &b, sizeof(GUID)) == 0;
}

template <typename Self, typename Interface>
struct ComObject : Unsupported<Interface> {
    HRESULT QueryInterface(REFIID riid, void** object) override {
        auto args = [&] { return internal::Format("object=%p", static_cast<void*>(object)); };
        return entry::RunOn(entry::Name::QueryInterface, this, args, [&]() -> HRESULT {
            if (object == nullptr) {
                return DDERR_INVALIDPARAMS;
            }
            static const GUID kUnknown = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
            const GUID* own = Self::kOwnInterface;
            if (!SameGuid(riid, kUnknown) && (own == nullptr || !SameGuid(riid, *own))) {
                *object = nullptr;
                return E_NOINTERFACE;
            }
            ++refs;
            *object = static_cast<Interface*>(this);
            return DD_OK;
        });
    }
    ULONG AddRef() override {
        return entry::RunOn(entry::Name::AddRef, this, entry::NoArgs, [&] { return ++refs; });
    }
    ULONG Release() override {
        return entry::RunOn(entry::Name::Release, this, entry::NoArgs,
                            [&] { return static_cast<Self*>(this)->DropRef(); });
    }

    ULONG refs = 1;
};

}  // namespace vplat::ddraw
