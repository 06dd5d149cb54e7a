#include "escapes.h"

unsigned char ParseEscapeDigits(const char **pos, int base, int maxDigits) {
    unsigned value = 0;
    const char *p = *pos;
    for (int n = 0; n < maxDigits; ++n, ++p) {
        int c = static_cast<unsigned char>(*p), digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else break;
        if (digit >= base) break;
        value = (value * base + digit) & 0xFF;
    }
    *pos = p;
    return static_cast<unsigned char>(value);
}

size_t DecodeEscapes(const char *text, char *out, size_t size) {
    char *const start = out;
    char *const end = out + size - 1;
    for (const char *p = text; *p && out < end;) {
        if (*p != '\\') {
            *out++ = *p++;
            continue;
        }
        char c = p[1];
        if (!c) break;  // a backslash at the very end ends the text
        p += 2;
        switch (c) {
        case 'o': *out++ = static_cast<char>(ParseEscapeDigits(&p, 8, 3)); break;
        case 'x': *out++ = static_cast<char>(ParseEscapeDigits(&p, 16, 2)); break;
        case 'a': *out++ = 7; break;
        case 'b': *out++ = 8; break;
        case 'e': *out++ = 27; break;
        case 'f': *out++ = 12; break;
        case 'n': *out++ = 10; break;
        case 'r': *out++ = 13; break;
        case 't': *out++ = 9; break;
        case 'v': *out++ = 11; break;
        case 'z': *out++ = 0; break;
        default:
            if (c >= '0' && c <= '9') {
                --p;
                *out++ = static_cast<char>(ParseEscapeDigits(&p, 10, 3));
            } else {
                *out++ = c;
            }
        }
    }
    *out = 0;
    return static_cast<size_t>(out - start);
}
