// The executable's module handle and its bitmap resources, which the Linux
// build carries as an embedded table.
#include <strings.h>

#include <cstdlib>
#include <set>

#include "embedded_resources.h"
#include "core/entry.h"
#include "internal.h"
#include "kernel/kernel.h"

namespace vplat {
namespace {

// The usual image base of an executable: any fixed non-null value would do.
HMODULE const g_module = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};
std::set<std::string, CaseInsensitiveLess> g_hidden;

bool IsOwnModule(HMODULE module) {
    return module == nullptr || module == g_module;
}

// A resource name or type is either a number (MAKEINTRESOURCE, or a string
// "#123") or a name compared without regard to case, as Windows does.
bool NameMatches(const char* wanted, const char* entryName) {
    if (IS_INTRESOURCE(wanted)) {
        return std::to_string(reinterpret_cast<uintptr_t>(wanted)) == entryName;
    }
    if (wanted[0] == '#') {
        return strcmp(wanted + 1, entryName) == 0;
    }
    return strcasecmp(wanted, entryName) == 0;
}

bool TypeMatches(const char* wanted, int entryType) {
    if (IS_INTRESOURCE(wanted)) {
        return static_cast<int>(reinterpret_cast<uintptr_t>(wanted)) == entryType;
    }
    return wanted[0] == '#' && atoi(wanted + 1) == entryType;
}

const EmbeddedResource* Table(size_t* count) {
    *count = 0;
    const EmbeddedResource* table = EmbeddedResources(count);
    if (table == nullptr) {
        *count = 0;
    }
    return table;
}

const EmbeddedResource* Find(const char* name, const char* type) {
    if (name == nullptr || type == nullptr) {
        return nullptr;
    }
    size_t count = 0;
    const EmbeddedResource* table = Table(&count);
    for (size_t i = 0; i < count; ++i) {
        const EmbeddedResource& entry = table[i];
        if (TypeMatches(type, entry.type) && NameMatches(name, entry.name) &&
            g_hidden.count(entry.name) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

// Only handles that FindResourceA gave out are accepted.
const EmbeddedResource* FromHandle(HRSRC resource) {
    size_t count = 0;
    const EmbeddedResource* table = Table(&count);
    for (size_t i = 0; i < count; ++i) {
        if (reinterpret_cast<HRSRC>(const_cast<EmbeddedResource*>(&table[i])) == resource) {
            return &table[i];
        }
    }
    return nullptr;
}

}  // namespace

std::string internal::ResourceNameText(const char* name) {
    if (name == nullptr) {
        return "NULL";
    }
    if (IS_INTRESOURCE(name)) {
        return "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
    }
    return std::string("\"") + name + "\"";
}

void HideResource(const std::string& name) {
    g_hidden.insert(name);
}

namespace internal {

const unsigned char* FindBitmapResource(const char* name, size_t* size) {
    const EmbeddedResource* entry = Find(name, RT_BITMAP);
    if (size != nullptr) {
        *size = entry ? entry->size : 0;
    }
    return entry ? entry->data : nullptr;
}

}  // namespace internal

namespace kernel {

HMODULE ModuleHandle() {
    return g_module;
}

void ResetResources() {
    g_hidden.clear();
}

}  // namespace kernel
}  // namespace vplat

namespace entry = vplat::entry;
using vplat::internal::Format;
using vplat::internal::ResourceNameText;

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    auto args = [&] { return "name=" + ResourceNameText(moduleName); };
    return entry::Run(entry::Name::GetModuleHandleA, args, [&]() -> HMODULE {
        // Only the executable itself is loaded; no other module can be named.
        return moduleName == nullptr ? vplat::g_module : nullptr;
    });
}

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    auto args = [&] {
        return Format("module=%p name=", static_cast<void*>(module)) + ResourceNameText(name) +
               " type=" + ResourceNameText(type);
    };
    return entry::Run(entry::Name::FindResourceA, args, [&]() -> HRSRC {
        if (!vplat::IsOwnModule(module)) {
            return nullptr;
        }
        return reinterpret_cast<HRSRC>(const_cast<EmbeddedResource*>(vplat::Find(name, type)));
    });
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
    auto args = [&] {
        return Format("module=%p resource=%p", static_cast<void*>(module),
                      static_cast<void*>(resource));
    };
    return entry::Run(entry::Name::LoadResource, args, [&]() -> HGLOBAL {
        const EmbeddedResource* found = vplat::FromHandle(resource);
        if (!vplat::IsOwnModule(module) || found == nullptr) {
            return nullptr;
        }
        // As on Win32, the loaded resource's handle is its data's address.
        return const_cast<unsigned char*>(found->data);
    });
}

LPVOID WINAPI LockResource(HGLOBAL resourceData) {
    auto args = [&] { return Format("data=%p", resourceData); };
    return entry::Run(entry::Name::LockResource, args, [&]() -> LPVOID { return resourceData; });
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
    auto args = [&] {
        return Format("module=%p resource=%p", static_cast<void*>(module),
                      static_cast<void*>(resource));
    };
    return entry::Run(entry::Name::SizeofResource, args, [&]() -> DWORD {
        const EmbeddedResource* found = vplat::FromHandle(resource);
        if (!vplat::IsOwnModule(module) || found == nullptr) {
            return 0;
        }
        return static_cast<DWORD>(found->size);
    });
}
