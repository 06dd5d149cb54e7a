// Column values printed through the fast path against snprintf itself, in
// every tree (glibc here, the runtime's own printf in the Win32 build).
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "number_format.h"
#include "text_window_output.h"

namespace {

// Formats a text window accepts: one conversion, flags, widths and
// precisions up to three digits, "%%" around it, and escapes already decoded.
const char *const kFormats[] = {
    "%f", "%g", "%e", "%E", "%G", "%F", "%lf", "%lg",
    "%10.4f ", "%10.4f\r\n", "%.0f", "%.1f", "%.2f", "%.3e", "%.0e", "%.17g", "%.1g", "%.10g",
    "%-12.5g|", "%+.2f", "% .3e", "%012.4f", "%-012.4f", "%+ 8.3f", "% +8.3f", "%+-10.2e|",
    "%.f", "%5.f", "%.999f", "%999.3e", "%.300e", "x = %8.3F\t", "%%%.2f%%", "%.40g",
    "%#g", "%#.0f", "%#.3e", "%a", "%.3A", "%#.3g",
};

const double kDenormalMin = std::numeric_limits<double>::denorm_min();
const double kValues[] = {
    0.0, -0.0, 1, -1, 0.5, 1.5, 2.5, -2.5, 0.125, 0.375, 1e23, 5e-324, 9.5, 0.05, 0.15, 0.25,
    123456789.0, 1234567.5, 1e21, 1e-5, 0.0001, 99999.95, 999999.5, 1e15 + 0.5,
    kDenormalMin, 2.2250738585072014e-308, 2.2250738585072009e-308, 1e-310,
    1.7976931348623157e308, -1.7976931348623157e308, 1e300, 1e-300, 3.141592653589793,
    std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
};

void ExpectLikePrintf(const char *format, double v) {
    static char expected[kTextLineSize], got[kTextLineSize];
    const int e = std::snprintf(expected, sizeof expected, format, v);
    std::memset(got, 'x', sizeof got);
    const int g = FormatColumnValue(got, sizeof got, format, v);
    ASSERT_EQ(g, e) << format << " of " << v;
    ASSERT_STREQ(got, expected) << format << " of " << v;
}

TEST(NumberFormatTest, EveryFormatAndAwkwardValueGivesPrintfsBytes) {
    for (const char *format : kFormats)
        for (double v : kValues) ExpectLikePrintf(format, v);
}

// Random bit patterns and values on a grid of halves: every digit, every
// rounding of a tie, every exponent.
TEST(NumberFormatTest, RandomValuesGivePrintfsBytes) {
    std::mt19937_64 random(30);
    for (int k = 0; k < 3000; ++k) {
        double v;
        if (k % 3 == 0) {
            const uint64_t bits = random();
            std::memcpy(&v, &bits, sizeof v);
        } else if (k % 3 == 1) {
            v = std::ldexp(static_cast<double>(random() % 2000001) - 1000000, static_cast<int>(random() % 30) - 20);
        } else {
            v = std::ldexp(1.0 + static_cast<double>(random() % 1024) / 1024, static_cast<int>(random() % 2098) - 1074);
        }
        for (const char *format : {"%10.4f ", "%.2f", "%g", "%.3e", "%-12.6G", "%+.17g", "%.0f"})
            ExpectLikePrintf(format, v);
    }
}

// Too little room: as much as fits, the zero, and the whole length.
TEST(NumberFormatTest, AShortBufferIsCutAsPrintfCutsIt) {
    for (size_t size : {0u, 1u, 2u, 5u, 9u, 12u, 13u}) {
        char expected[32], got[32];
        std::memset(expected, 'x', sizeof expected);
        std::memset(got, 'x', sizeof got);
        const int e = std::snprintf(expected, size, "[%10.4f]", 3.25);
        const int g = FormatColumnValue(got, size, "[%10.4f]", 3.25);
        EXPECT_EQ(g, e) << size;
        EXPECT_EQ(std::string(got, sizeof got), std::string(expected, sizeof expected)) << size;
    }
}

}  // namespace
