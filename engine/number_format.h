// Printing one value with a text window's column format: the bytes and the
// result snprintf would give, with the usual conversions (f, F, e, E, g, G
// without "#", any flags and width, a precision up to 99) done by the fmt
// library, which prints the same digits several times faster. Everything
// else (non-finite values, "#", hexadecimal floats, longer precisions) goes
// to snprintf itself.
#pragma once
#include <cstddef>

// format: decoded, holding exactly one conversion of a double and
// otherwise only "%%" (IsTextColumnFormatSafe). Writes at most size bytes,
// the terminating zero included, and returns the length of the whole text,
// as snprintf does.
int FormatColumnValue(char *out, size_t size, const char *format, double value);
