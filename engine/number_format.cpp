#include "number_format.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <fmt/format.h>

namespace {

// A format taken apart once: the literal text around the conversion
// ("%%" already made "%") and the conversion as an fmt format string.
struct PreparedFormat {
    std::string text;    // the format itself, the key
    std::string prefix;
    std::string suffix;
    std::string spec;    // empty: snprintf prints it
};

// The formats of the windows of a run are few; a run through many others
// starts over.
constexpr size_t kMaxPrepared = 64;
std::vector<PreparedFormat> gPrepared;

PreparedFormat Prepare(const char *format) {
    PreparedFormat p;
    p.text = format;
    std::string *literal = &p.prefix;
    bool fast = false, seen = false;
    for (const char *c = format; *c; ++c) {
        if (*c != '%') {
            *literal += *c;
            continue;
        }
        if (c[1] == '%') {
            *literal += '%';
            ++c;
            continue;
        }
        if (seen) return PreparedFormat{format, "", "", ""};  // not a column format
        seen = true;
        bool left = false, plus = false, space = false, zero = false, alternate = false;
        for (++c; *c && std::strchr("-+ #0", *c); ++c) {
            left |= *c == '-';
            plus |= *c == '+';
            space |= *c == ' ';
            zero |= *c == '0';
            alternate |= *c == '#';
        }
        std::string width, precision;
        bool hasPrecision = false;
        while (*c >= '0' && *c <= '9') width += *c++;
        if (*c == '.') {
            hasPrecision = true;
            for (++c; *c >= '0' && *c <= '9'; ++c) precision += *c;
        }
        if (*c == 'l') ++c;
        if (!*c) return PreparedFormat{format, "", "", ""};
        // printf's "#" keeps the point where fmt would add a digit; fmt
        // stops the exact digits of very long fractions short.
        fast = !alternate && std::strchr("fFeEgG", *c) != nullptr && precision.size() <= 2;
        p.spec = "{:";
        if (left) p.spec += '<';
        if (plus) p.spec += '+';
        else if (space) p.spec += ' ';
        if (zero && !left) p.spec += '0';
        p.spec += width;
        if (hasPrecision) p.spec += '.' + (precision.empty() ? std::string("0") : precision);
        p.spec += *c;
        p.spec += '}';
        literal = &p.suffix;
    }
    if (!fast || !seen) p.spec.clear();
    return p;
}

const PreparedFormat &Prepared(const char *format) {
    for (const PreparedFormat &p : gPrepared)
        if (p.text == format) return p;
    if (gPrepared.size() >= kMaxPrepared) gPrepared.clear();
    gPrepared.push_back(Prepare(format));
    return gPrepared.back();
}

// Appends bytes to out (at most size with the zero) at position *length,
// counting the whole length like snprintf.
void Put(char *out, size_t size, size_t *length, const char *bytes, size_t n) {
    if (*length + 1 < size) {
        const size_t room = size - 1 - *length;
        std::memcpy(out + *length, bytes, n < room ? n : room);
    }
    *length += n;
}

}  // namespace

int FormatColumnValue(char *out, size_t size, const char *format, double value) {
    if (!std::isfinite(value)) return std::snprintf(out, size, format, value);
    const PreparedFormat *p;
    try {
        p = &Prepared(format);
    } catch (const std::bad_alloc &) {
        return std::snprintf(out, size, format, value);
    }
    if (p->spec.empty()) return std::snprintf(out, size, format, value);
    // The longest number: 309 digits, a point, 99 decimals and a sign, or a
    // width of 999.
    char number[1024];
    const auto r = fmt::format_to_n(number, sizeof number, fmt::runtime(p->spec), value);
    if (r.size > sizeof number) return std::snprintf(out, size, format, value);
    size_t length = 0;
    Put(out, size, &length, p->prefix.data(), p->prefix.size());
    Put(out, size, &length, number, r.size);
    Put(out, size, &length, p->suffix.data(), p->suffix.size());
    if (size > 0) out[length < size ? length : size - 1] = 0;
    return static_cast<int>(length);
}
