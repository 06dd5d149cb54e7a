#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pointdata.h"
#include "tool_runner.h"

namespace {

using Lines = std::vector<std::string>;

std::string Bytes(const void *p, size_t n) { return std::string(static_cast<const char *>(p), n); }
std::string Float32(float v) { return Bytes(&v, 4); }
std::string Float64(double v) { return Bytes(&v, 8); }
const std::string kSingleBreak("\x00\x80\xC7\x7F", 4);
const std::string kDoubleBreak("\x00\x00\x00\x00\x00\xF0\xF8\x7F", 8);

TEST(PointDataKind, FollowsTheExtensionWithoutRegardToCase) {
    const struct { const char *name; int kind; } cases[] = {
        {"curve.single", kPointSingle}, {"CURVE.SINGLE", kPointSingle}, {"a.b.Double", kPointDouble},
        {"curve.txt", kPointText},      {"curve.single.txt", kPointText}, {"single", kPointText},
        {"curve.doubles", kPointText},  {"", kPointText},                 {nullptr, kPointText},
    };
    for (const auto &c : cases) EXPECT_EQ(GetDataFileKind(c.name), c.kind) << (c.name ? c.name : "null");
}

TEST(PointFormat, TakesOnlyConversionsThatMatchTheArguments) {
    const struct { const char *format; PointFormatUse use; int ok; } cases[] = {
        {"%lg%lg", kFormatRead, 1},        {"%lf,%le", kFormatRead, 1},
        {"%*lg %lg %lg", kFormatRead, 1},  {"%*g%lg;%lg%%", kFormatRead, 1},
        {"%12lg%12lg", kFormatRead, 1},    {"%g%g", kFormatRead, 0},  // would store floats
        {"%lg", kFormatRead, 0},           {"%lg%lg%lg", kFormatRead, 0},
        {"%d%lg", kFormatRead, 0},         {"%s %lg %lg", kFormatRead, 0},
        {"%Lg%Lg", kFormatRead, 0},        {"%lg%lg%", kFormatRead, 0},
        {"%lg%lg%n", kFormatRead, 0},      {"%0lg%lg", kFormatRead, 0},
        {"%lg %lg\n", kFormatWrite, 1},    {"%.3f\t%-12.5e|\n", kFormatWrite, 1},
        {"%+#010lG %a 100%%\n", kFormatWrite, 1}, {"x only: %g\n", kFormatWrite, 1},
        {"", kFormatWrite, 1},             {"%g %g %g", kFormatWrite, 0},
        {"%s", kFormatWrite, 0},           {"%d %d", kFormatWrite, 0},
        {"%*g", kFormatWrite, 0},          {"%Lg", kFormatWrite, 0},
        {"%n", kFormatWrite, 0},           {"%g %", kFormatWrite, 0},
        {"\n", kFormatBreak, 1},           {"-- 50%% --\n", kFormatBreak, 1},
        {"%g\n", kFormatBreak, 0},         {"%s", kFormatBreak, 0},
        {"%", kFormatBreak, 0},
        // Widths and precisions of at most three digits.
        {"%999lg%999lg", kFormatRead, 1},  {"%1000lg%lg", kFormatRead, 0},
        {"%*9999g%lg%lg", kFormatRead, 0}, {"%-999.999lg %g\n", kFormatWrite, 1},
        {"%999999999lg %lg\n", kFormatWrite, 0}, {"%.1000g", kFormatWrite, 0},
        {"%0001g", kFormatWrite, 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CheckPointFormat(c.format, c.use), c.ok) << c.format << " use " << c.use;
}

TEST(PointWriter, WritesTheExactBreakPatternsAndNoneWhenAsked) {
    const struct { int kind; int breaks; std::string expected; } cases[] = {
        {kPointSingle, 1, Float32(1) + Float32(2) + kSingleBreak + Float32(3) + Float32(4)},
        {kPointDouble, 1, Float64(1) + Float64(2) + kDoubleBreak + Float64(3) + Float64(4)},
        {kPointSingle, 0, Float32(1) + Float32(2) + Float32(3) + Float32(4)},
        {kPointDouble, 0, Float64(1) + Float64(2) + Float64(3) + Float64(4)},
    };
    for (const auto &c : cases) {
        const std::string path = ScratchPath(".bin");
        FILE *file = fopen(path.c_str(), "wb");
        PointWriter w;
        ASSERT_TRUE(OpenPointWriter(&w, file, c.kind, nullptr, nullptr, c.breaks));
        WritePointPair(&w, 1, 2);
        WritePointBreak(&w);
        WritePointPair(&w, 3, 4);
        EXPECT_TRUE(FinishPointWriter(&w));
        ClosePointWriter(&w);
        fclose(file);
        EXPECT_EQ(ReadFileBytes(path), c.expected) << "kind " << c.kind << " breaks " << c.breaks;
    }
}

TEST(PointWriter, PrintsTheBreakFormatWithPercentSignsResolved) {
    const std::string path = ScratchPath(".txt");
    FILE *file = fopen(path.c_str(), "wb");
    PointWriter w;
    ASSERT_TRUE(OpenPointWriter(&w, file, kPointText, "%g;%.2f\n", "-- 100%% --\n", 1));
    WritePointPair(&w, 0.5, 1.0 / 3);
    WritePointBreak(&w);
    WritePointPair(&w, -2, 1e20);
    EXPECT_TRUE(FinishPointWriter(&w));
    ClosePointWriter(&w);
    fclose(file);
    EXPECT_EQ(ReadFileBytes(path), "0.5;0.33\n-- 100% --\n-2;100000000000000000000.00\n");
}

// Everything a reader hands out, as text: "x y" for points, "|" for breaks.
struct ReadResult {
    Lines items;
    PointReader reader;
};

ReadResult ReadAll(const std::string &bytes, int kind, int ignoreNanBreaks = 0,
                   const char *format = "%lg%lg", size_t lineLimit = kToolLineLimit) {
    const std::string path = ScratchPath(".in");
    WriteFileBytes(path, bytes);
    FILE *file = fopen(path.c_str(), "rb");
    ReadResult result;
    EXPECT_TRUE(OpenPointReader(&result.reader, file, kind, format, lineLimit, ignoreNanBreaks));
    double x, y;
    for (PointItem item; (item = ReadPointItem(&result.reader, &x, &y)) != kItemEnd;) {
        char text[64];
        snprintf(text, sizeof text, "%g %g", x, y);
        result.items.push_back(item == kItemPoint ? text : "|");
    }
    ClosePointReader(&result.reader);
    fclose(file);
    return result;
}

TEST(PointReader, TextLinesOfTwoNumbersArePointsAndAnyOtherLineIsABreak) {
    ReadResult r = ReadAll("1 2\n3\t4 \r\n# comment\n\n5\n6 7 8\nnan 9\n9 nan\n-1e3 2.5", kPointText);
    EXPECT_EQ(r.items, (Lines{"1 2", "3 4", "|", "|", "|", "6 7", "|", "9 nan", "-1000 2.5"}));
    EXPECT_EQ(r.reader.longLines, 0u);
    EXPECT_FALSE(r.reader.readError);

    ReadResult commas = ReadAll("1,2\n3 4\n", kPointText, 0, "%lg,%lg");
    EXPECT_EQ(commas.items, (Lines{"1 2", "|"}));
}

TEST(PointReader, AnOverlongLineIsOneBreakAndIsCounted) {
    // The tail of a long line must not come back as a point of its own.
    const std::string longLine = std::string(1100, ' ') + "3 4";
    ReadResult r = ReadAll("1 2\n" + longLine + "\n5 6\n" + std::string(200000, 'x') + " 7 8\n9 10\n" +
                               std::string(1022, ' ') + "1\n" + longLine,
                           kPointText);
    EXPECT_EQ(r.items, (Lines{"1 2", "|", "5 6", "|", "9 10", "|", "|"}));
    EXPECT_EQ(r.reader.longLines, 3u);
    EXPECT_EQ(r.reader.firstLongLine, 2u);

    // 1,023 characters are still a line, with or without CR.
    const std::string full = std::string(1020, ' ') + "1 2";
    EXPECT_EQ(ReadAll(full + "\n" + full + "\r\n" + full, kPointText).items,
              (Lines{"1 2", "1 2", "1 2"}));
}

TEST(PointReader, AnyNanInTheXPlaceOfBinaryDataIsABreak) {
    const float otherNan = -std::numeric_limits<float>::quiet_NaN();
    const std::string single = kSingleBreak + Float32(1) + Float32(2) + Float32(otherNan) + Float32(3) +
                               Float32(std::nanf("")) + kSingleBreak + Float32(4) + Float32(5);
    EXPECT_EQ(ReadAll(single, kPointSingle).items, (Lines{"|", "1 2", "|", "3 nan", "|", "4 5"}));
    EXPECT_EQ(ReadAll(single, kPointSingle, 1).items, (Lines{"1 2", "3 nan", "4 5"}));

    const std::string dbl = Float64(1.5) + Float64(-2) + kDoubleBreak + Float64(1e300) + Float64(1e-300);
    EXPECT_EQ(ReadAll(dbl, kPointDouble).items, (Lines{"1.5 -2", "|", "1e+300 1e-300"}));
}

TEST(PointReader, AnIncompleteLastValueIsCountedAndAnXAloneIsIgnored) {
    const std::string pair = Float64(1) + Float64(2);
    const struct { std::string tail; unsigned partial; } cases[] = {
        {"", 0}, {Float64(3), 0}, {"abc", 3}, {Float64(3) + "abcdefg", 7}, {kDoubleBreak + "ab", 2},
    };
    for (const auto &c : cases) {
        ReadResult r = ReadAll(pair + c.tail, kPointDouble);
        EXPECT_EQ(r.items.front(), "1 2");
        EXPECT_EQ(r.reader.partialBytes, c.partial) << c.tail.size();
    }
    ReadResult single = ReadAll(Float32(1) + Float32(2) + "\x01", kPointSingle);
    EXPECT_EQ(single.items, (Lines{"1 2"}));
    EXPECT_EQ(single.reader.partialBytes, 1u);
}

TEST(PointReader, ValuesAcrossBlockBoundariesArriveWhole) {
    std::string bytes;
    const int count = 70000;  // more than one block of floats and doubles
    for (int i = 0; i < count; ++i) bytes += Float64(i) + Float64(-i);
    ReadResult r = ReadAll(bytes + "\x01\x02", kPointDouble);
    ASSERT_EQ(r.items.size(), static_cast<size_t>(count));
    EXPECT_EQ(r.items[4096], "4096 -4096");
    EXPECT_EQ(r.items.back(), "69999 -69999");
    EXPECT_EQ(r.reader.partialBytes, 2u);

    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(i) + " 1\n";
    ReadResult t = ReadAll(text, kPointText);
    ASSERT_EQ(t.items.size(), static_cast<size_t>(count));
    EXPECT_EQ(t.items[count / 2], std::to_string(count / 2) + " 1");
}

TEST(EdgeOffset, IsZeroForAPointOnTheEdgeOrASegmentWithoutLength) {
    EXPECT_DOUBLE_EQ(ComputeEdgeOffset(1, 2, 3), 1.5);
    EXPECT_DOUBLE_EQ(ComputeEdgeOffset(-1, 4, 2), -0.5);
    EXPECT_EQ(ComputeEdgeOffset(1e-39, 1e-45, 1), 0);
    EXPECT_EQ(ComputeEdgeOffset(0, 1, 5), 0);
    EXPECT_EQ(ComputeEdgeOffset(1, 0, 0), 0);
    EXPECT_EQ(ComputeEdgeOffset(-4, 0, 0), 0);
    EXPECT_EQ(ComputeEdgeOffset(1, 1e-39, 1), 0);
}

// The filter over a list of points ("|" for a break), written as text with
// "|" for breaks.
struct FilterCase {
    const char *name;
    double minDistance;  // < 0: no thinning
    bool clip;
    double rect[4];
    bool pointsOnly;
    Lines input, expected;
};

Lines RunFilter(const FilterCase &c, const char *format = "%g %g\n") {
    const std::string path = ScratchPath(".txt");
    FILE *file = fopen(path.c_str(), "wb");
    PointWriter w;
    EXPECT_TRUE(OpenPointWriter(&w, file, kPointText, format, "|\n", 1));
    PointFilter f;
    InitPointFilter(&f, &w);
    if (c.minDistance >= 0) SetFilterThinning(&f, c.minDistance);
    if (c.clip) SetFilterClipping(&f, c.rect[0], c.rect[1], c.rect[2], c.rect[3]);
    f.pointsOnly = c.pointsOnly;
    for (const std::string &item : c.input) {
        double x, y;
        if (item == "|") FilterBreak(&f);
        else if (sscanf(item.c_str(), "%lg %lg", &x, &y) == 2) FilterPoint(&f, x, y);
    }
    EXPECT_TRUE(FinishPointWriter(&w));
    ClosePointWriter(&w);
    fclose(file);
    return SplitLines(ReadFileBytes(path));
}

TEST(PointFilter, ThinsAndClipsPolylines) {
    const FilterCase cases[] = {
        {"thinning", 2, false, {}, false,
         {"10 10", "11 15", "12 16", "13 15"}, {"10 10", "11 15", "13 15"}},
        {"thinning needs both distances below the minimum", 0.25, false, {}, false,
         {"0 0", "0.125 0.5", "0.25 0.625", "0.375 0.75"}, {"0 0", "0.125 0.5", "0.375 0.75"}},
        {"thinning keeps a first point near the origin", 1, false, {}, false,
         {"0.5 0.5", "0.6 0.6", "2 2"}, {"0.5 0.5", "2 2"}},
        {"a break is kept, the next point is not thinned against the last", 1, false, {}, false,
         {"1 1", "|", "1.5 1.5", "3 3"}, {"1 1", "|", "1.5 1.5", "3 3"}},
        {"breaks at the start are kept, repeated breaks are one", -1, false, {}, false,
         {"|", "|", "1 1", "|", "|", "2 2", "|"}, {"|", "1 1", "|", "2 2"}},
        {"points only: a break before every point, the first included", -1, false, {}, true,
         {"1 1", "2 2", "|", "3 3"}, {"|", "1 1", "|", "2 2", "|", "3 3"}},
        {"leaving and entering the rectangle", -1, true, {0, 0, 10, 10}, false,
         {"5 5", "15 5", "5 5"}, {"5 5", "10 5", "|", "10 5", "5 5"}},
        {"corners in any order", -1, true, {10, 10, 0, 0}, false,
         {"5 5", "15 5", "5 5"}, {"5 5", "10 5", "|", "10 5", "5 5"}},
        {"the first point is not cut from the origin", -1, true, {1, 1, 2, 2}, false,
         {"0 5", "1.5 1.5"}, {"1.5 1.5"}},
        {"a polyline begins at its first point inside", -1, true, {0, 0, 1, 1}, false,
         {"0.5 0.5", "|", "-1 0.5", "0.5 0.5", "0.7 0.7"}, {"0.5 0.5", "|", "0.5 0.5", "0.7 0.7"}},
        {"crossing the whole rectangle from outside", -1, true, {0, 0, 1, 1}, false,
         {"0.5 0.5", "-1 0.5", "2 0.5"}, {"0.5 0.5", "0 0.5", "|", "0 0.5", "1 0.5"}},
        {"leaving across a corner region", -1, true, {0, 0, 1, 1}, false,
         {"0.5 0.5", "3 2", "|", "0.5 0.5", "2 3"}, {"0.5 0.5", "1 0.8", "|", "0.5 0.5", "0.8 1"}},
        {"a segment that misses the rectangle past a corner writes nothing", -1, true, {0, 0, 1, 1}, false,
         {"0.5 0.5", "-0.5 -1.5", "4 0", "0.5 0.5"}, {"0.5 0.5", "0.25 0", "|", "1 0.428571", "0.5 0.5"}},
        {"a segment beyond one side is rejected", -1, true, {0, 0, 1, 1}, false,
         {"0.5 0.5", "2 0.5", "3 0.2", "2 -1", "0.5 0.8"},
         {"0.5 0.5", "1 0.5", "|", "1 0.2", "0.5 0.8"}},
        {"points on the edges are inside", -1, true, {0, 0, 1, 1}, false,
         {"0 0", "1 0", "1 1", "0 1"}, {"0 0", "1 0", "1 1", "0 1"}},
        {"thinning against the last point read outside", 1, true, {0, 0, 10, 10}, false,
         {"5 5", "20 5", "20.5 5.5", "5 5"}, {"5 5", "10 5", "|", "10 5", "5 5"}},
        {"points only with clipping drops the outside points", -1, true, {0, 0, 1, 1}, true,
         {"0.5 0.5", "2 2", "0.2 0.2"}, {"|", "0.5 0.5", "|", "0.2 0.2"}},
        {"infinite sides clip in one direction only", -1, true, {-INFINITY, 0, INFINITY, 1}, false,
         {"-1e9 0.5", "1e9 0.5", "1e9 2"}, {"-1e+09 0.5", "1e+09 0.5", "1e+09 1"}},
    };
    for (const FilterCase &c : cases) EXPECT_EQ(RunFilter(c), c.expected) << c.name;
}

// Whatever the path, no written point lies outside the rectangle or is
// not a number: a stray point from a segment that misses the rectangle
// would show up here.
TEST(PointFilter, NeverWritesAPointOutsideTheRectangle) {
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> coordinate(-3, 4);
    FilterCase c = {"random", -1, true, {0, 0, 1, 1}, false, {}, {}};
    for (int i = 0; i < 20000; ++i) {
        if (random() % 50 == 0) c.input.push_back("|");
        char text[64];
        // Some points on the edge lines, where the corner cases are.
        double x = random() % 7 == 0 ? std::floor(coordinate(random)) : coordinate(random);
        double y = random() % 7 == 0 ? std::floor(coordinate(random)) : coordinate(random);
        snprintf(text, sizeof text, "%.17g %.17g", x, y);
        c.input.push_back(text);
    }
    Lines out = RunFilter(c, "%.17g %.17g\n");
    size_t points = 0;
    for (const std::string &line : out) {
        if (line == "|") continue;
        double x, y;
        ASSERT_EQ(sscanf(line.c_str(), "%lg %lg", &x, &y), 2) << line;
        EXPECT_TRUE(x >= -1e-12 && x <= 1 + 1e-12 && y >= -1e-12 && y <= 1 + 1e-12) << line;
        ++points;
    }
    EXPECT_GT(points, 1000u);
}

}  // namespace
