// Backslash escapes in format texts, one decoder for the program and
// Trimvex: \a \b \e \f \n \r \t \v, \z (a zero byte), \oOOO octal, \xHH hex
// and \DDD decimal (up to that many digits, modulo 256); any other character
// after a backslash stands for itself, and a backslash at the very end is
// dropped. A zero byte ends the text as a C string; the decoder goes on
// after it, so what follows stays in the output.
#pragma once
#include <cstddef>

// Reads up to maxDigits digits of base (8, 10 or 16) at *pos, modulo 256,
// and leaves *pos after the last digit read.
unsigned char ParseEscapeDigits(const char **pos, int base, int maxDigits);

// Decodes text into out (size > 0 bytes, always terminated) and returns the
// number of bytes written before the terminator. A text whose decoding does
// not fit is cut at the buffer's end. Escapes only shorten a text, so out
// may be text itself.
size_t DecodeEscapes(const char *text, char *out, size_t size);
