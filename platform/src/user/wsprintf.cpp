// wsprintfA and wvsprintfA: the real platform's own small formatter, not
// the C library's. Flags '-', '#' and '0', a width and a precision; types
// c, d, i, u, x, X, s; '%%'. At most 1023 characters and the terminating
// zero are written.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/entry.h"
#include "internal.h"

namespace vplat::user {
namespace {

constexpr int kBufferSize = 1024;

struct Spec {
    bool left = false;
    bool prefix = false;
    bool zero = false;
    int width = 0;
    int precision = 0;
    char type = 0;
};

const char* ParseSpec(const char* p, Spec* spec) {
    if (*p == '-')
        spec->left = true, ++p;
    if (*p == '#')
        spec->prefix = true, ++p;
    if (*p == '0')
        spec->zero = true, ++p;
    while (*p >= '0' && *p <= '9' && spec->width < kBufferSize) {
        spec->width = spec->width * 10 + (*p++ - '0');
    }
    while (*p >= '0' && *p <= '9')
        ++p;
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9' && spec->precision < kBufferSize) {
            spec->precision = spec->precision * 10 + (*p++ - '0');
        }
        while (*p >= '0' && *p <= '9')
            ++p;
    }
    if (*p == 'l' || *p == 'h')
        ++p;  // int and long are the same width here
    spec->type = *p;
    return *p ? p + 1 : p;
}

// The text of one conversion, before padding; `digits` is where a zero
// fill goes (after a sign or a 0x prefix).
std::string Convert(const Spec& spec, va_list* args, size_t* digits) {
    char number[40];
    *digits = 0;
    switch (spec.type) {
        case 'c':
            return std::string(1, static_cast<char>(va_arg(*args, int)));
        case 's': {
            const char* text = va_arg(*args, const char*);
            std::string s = text ? text : "(null)";
            if (spec.precision > 0 && s.size() > static_cast<size_t>(spec.precision)) {
                s.resize(static_cast<size_t>(spec.precision));
            }
            return s;
        }
        case 'd':
        case 'i': {
            int value = va_arg(*args, int);
            snprintf(number, sizeof number, "%lld", static_cast<long long>(value));
            *digits = value < 0 ? 1 : 0;
            return number;
        }
        case 'u':
            snprintf(number, sizeof number, "%u", va_arg(*args, unsigned));
            return number;
        case 'x':
        case 'X': {
            unsigned value = va_arg(*args, unsigned);
            snprintf(number, sizeof number, spec.type == 'x' ? "%x" : "%X", value);
            if (spec.prefix) {
                *digits = 2;
                return std::string(spec.type == 'x' ? "0x" : "0X") + number;
            }
            return number;
        }
        default:
            return std::string();
    }
}

std::string Pad(const Spec& spec, std::string text, size_t digits) {
    bool numeric = strchr("diuxX", spec.type) != nullptr;
    // For numbers the precision is the least count of characters, sign
    // included, filled with zeros; so is the width with the '0' flag.
    size_t least = numeric ? static_cast<size_t>(spec.precision) : 0;
    if (numeric && spec.zero && !spec.left) {
        least = std::max(least, static_cast<size_t>(spec.width));
    }
    if (text.size() < least) {
        text.insert(digits, least - text.size(), '0');
    }
    if (text.size() < static_cast<size_t>(spec.width)) {
        size_t fill = static_cast<size_t>(spec.width) - text.size();
        text.insert(spec.left ? text.size() : 0, fill, ' ');
    }
    return text;
}

std::string Format(const char* format, va_list args) {
    std::string out;
    va_list copy;
    va_copy(copy, args);
    for (const char* p = format; *p && out.size() < kBufferSize;) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            p += 2;
            continue;
        }
        Spec spec;
        const char* after = ParseSpec(p + 1, &spec);
        if (strchr("cdiusxX", spec.type) == nullptr || spec.type == 0) {
            // An unknown type is printed as text, from its letter on.
            p = after - (spec.type ? 1 : 0);
            continue;
        }
        size_t digits = 0;
        std::string converted = Convert(spec, &copy, &digits);
        out += Pad(spec, converted, digits);
        p = after;
    }
    va_end(copy);
    return out;
}

// Both entry points: formats into the caller's buffer and records the call.
int WriteFormatted(entry::Name name, char* buffer, const char* format, va_list args) {
    auto journalArgs = [&] {
        return internal::Format("format=\"%.200s\"", format ? format : "(null)");
    };
    return entry::Run(name, journalArgs, [&]() -> int {
        if (buffer == nullptr || format == nullptr) {
            return 0;
        }
        std::string text = Format(format, args);
        size_t kept = std::min(text.size(), static_cast<size_t>(kBufferSize - 1));
        memcpy(buffer, text.data(), kept);
        buffer[kept] = '\0';
        // The real one answers 1024 when the text filled the buffer.
        return kept == kBufferSize - 1 ? kBufferSize : static_cast<int>(kept);
    });
}

}  // namespace
}  // namespace vplat::user

int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list args) {
    return vplat::user::WriteFormatted(vplat::entry::Name::wvsprintfA, buffer, format, args);
}

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    va_list args;
    va_start(args, format);
    int result = vplat::user::WriteFormatted(vplat::entry::Name::wsprintfA, buffer, format, args);
    va_end(args);
    return result;
}
