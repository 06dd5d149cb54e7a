#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "tool_runner.h"
#include "trimvex.h"

namespace {

using Lines = std::vector<std::string>;

std::string Float32(float v) { return std::string(reinterpret_cast<const char *>(&v), 4); }
std::string Float64(double v) { return std::string(reinterpret_cast<const char *>(&v), 8); }
const std::string kSingleBreak("\x00\x80\xC7\x7F", 4);
const std::string kDoubleBreak("\x00\x00\x00\x00\x00\xF0\xF8\x7F", 8);

const Lines kUsage = {
    "Use:    Trimvex [/options] [< infile] [>[>] outfile]",
    "\tOptions are case-insensitive and start by / or -:",
    "/C x0,y0,x1,y1  Clipping rectangle.                   Default: no clipping",
    "/D min          Exclude points if distance is min or less",
    "/I infile       Input file.                           Default: console",
    "/N              Exclude NaN separators",
    "/O outfile      Output file.                          Default: console",
    "/P              Data is made up of points (instead of lines)",
    "/R \"string\"     Use this format string to read data.  Default: \"%lg%lg\"",
    "/S \"string\"     Use this string to separate lines.    Default: \"\\n\"",
    "/W \"string\"     Use this format string to write data. Default: \"%lg %lg\"",
    "",
};

// What standard error holds after a report: banner, message, usage.
Lines Report(const std::string &message, bool usage) {
    Lines lines = {"", "\tTrimvex 1.00.", ""};
    if (!message.empty()) lines.insert(lines.end(), {message, ""});
    if (usage) lines.insert(lines.end(), kUsage.begin(), kUsage.end());
    return lines;
}

ToolRun RunWithInput(const std::vector<std::string> &args, const std::string &input) {
    const std::string in = ScratchPath(".txt");
    WriteFileBytes(in, input);
    return RunTool(TRIMVEX_EXE, args, in);
}

TEST(UnescapeString, DecodesEveryEscapeInPlace) {
    const struct { const char *text; std::string decoded; } cases[] = {
        {"%lg %lg\\n", "%lg %lg\n"},
        {"\\a\\b\\e\\f\\n\\r\\t\\v", "\a\b\x1B\f\n\r\t\v"},
        {"\\x41\\x4a\\x4Bz\\x7", "AJKz\x07"},
        {"a\\xgh", "a"},  // no digit gives 0, which ends the text
        {"\\o101\\o1017\\o8", "AA7"},
        {"\\65\\0657\\9x", "AA7\tx"},
        {"\\\\ \\\" \\q \\%", "\\ \" q %"},
        {"ab\\zcd", "ab"},
        {"end\\", "end"},
        {"\\321", "A"},  // 321 modulo 256
        {"", ""},
    };
    for (const auto &c : cases) {
        std::vector<char> text(c.text, c.text + strlen(c.text) + 1);
        UnescapeString(text.data());
        EXPECT_EQ(std::string(text.data()), c.decoded) << c.text;
    }
}

TEST(UnescapeString, DigitsStopAtTheFirstOneOutsideTheBase) {
    const char *p = "778";
    EXPECT_EQ(ParseEscapeDigits(&p, 8, 3), 077);
    EXPECT_STREQ(p, "8");
    p = "9a";
    EXPECT_EQ(ParseEscapeDigits(&p, 10, 3), 9);
    EXPECT_STREQ(p, "a");
    p = "fFf";
    EXPECT_EQ(ParseEscapeDigits(&p, 16, 2), 0xFF);
    EXPECT_STREQ(p, "f");
    p = "z";
    EXPECT_EQ(ParseEscapeDigits(&p, 16, 2), 0);
    EXPECT_STREQ(p, "z");
}

// The program itself, text in and text out.
TEST(Trimvex, FiltersStandardInputToStandardOutput) {
    const struct {
        const char *name;
        std::vector<std::string> args;
        std::string input;
        Lines out;
    } cases[] = {
        {"thinning", {"/D", "2"}, "10 10\n11 15\n12 16\n13 15\n", {"10 10", "11 15", "13 15"}},
        {"clipping", {"/C", "0,0,10,10"}, "5 5\n15 5\n5 5\n", {"5 5", "10 5", "", "10 5", "5 5"}},
        {"corners swapped", {"/C", "10,10,0,0"}, "5 5\n15 5\n5 5\n", {"5 5", "10 5", "", "10 5", "5 5"}},
        {"value joined, letter in lower case", {"-c0,0,10,10", "-d0.5"}, "5 5\n5.2 5.2\n15 5\n",
         {"5 5", "10 5"}},
        {"first point not cut from the origin", {"/C", "1,1,2,2"}, "0 5\n1.5 1.5\n", {"1.5 1.5"}},
        {"a comment line splits the polyline", {}, "1 2\n# next\n3 4\n", {"1 2", "", "3 4"}},
        {"/N and /P both count", {"/N", "/P"}, "1 1\n2 2\n", {"", "1 1", "", "2 2"}},
        {"write format", {"/W", "%lg,%lg\\n"}, "1 2\n3 4\n", {"1,2", "3,4"}},
        {"escapes in the write format", {"/w", "\\x41%g\\t%.2f\\n"}, "1 2\n", {"A1\t2.00"}},
        {"read format and break string", {"/R", "%lg;%lg", "/S", "-- 100%% --\\n"}, "1;2\n3 4\n5;6\n",
         {"1 2", "-- 100% --", "5 6"}},
        {"a format with blanks in one argument", {"/W", "x=%g y=%g\\n"}, "1 2\n", {"x=1 y=2"}},
    };
    for (const auto &c : cases) {
        ToolRun run = RunWithInput(c.args, c.input);
        EXPECT_EQ(run.exitCode, 0) << c.name;
        EXPECT_EQ(SplitLines(run.out), c.out) << c.name;
        EXPECT_EQ(run.err, "") << c.name;
    }
}

TEST(Trimvex, ReportsBadCommandLinesWithTheirExitCodes) {
    const std::string missing = ScratchPath(".txt");
    const struct {
        std::vector<std::string> args;
        int code;
        std::string message;
        bool usage;
    } cases[] = {
        {{"/?"}, 0, "", true},
        {{"-?"}, 0, "", true},
        {{"/Q"}, 1, "Invalid option: /Q", true},
        {{"input.txt"}, 1, "Invalid option: input.txt", true},
        {{"/"}, 1, "Invalid option: /", true},
        {{"/Nx"}, 1, "Invalid option: /Nx", true},
        {{"/C", "1,2,3"}, 16, "Bad numeric value(s): 1,2,3", false},
        {{"/C", "1,2,3,4x"}, 16, "Bad numeric value(s): 1,2,3,4x", false},
        {{"/C"}, 16, "Bad numeric value(s): /C", false},
        {{"/D", "x"}, 16, "Bad numeric value(s): x", false},
        {{"/D", "nan"}, 16, "Bad numeric value(s): nan", false},
        {{"/R"}, 32, "Missing format string", false},
        {{"/W", "%s\\n"}, 32, "Bad format string: %s\\n", false},
        {{"/W", "%g %g %g"}, 32, "Bad format string: %g %g %g", false},
        {{"/R", "%d %d"}, 32, "Bad format string: %d %d", false},
        {{"/R", "%g%g"}, 32, "Bad format string: %g%g", false},
        {{"/S", "%lg"}, 32, "Bad format string: %lg", false},
        {{"/W", "%999999999lg %lg\\n"}, 32, "Bad format string: %999999999lg %lg\\n", false},
        {{"/W", "%.1000g"}, 32, "Bad format string: %.1000g", false},
        {{"/R", "%1000lg%lg"}, 32, "Bad format string: %1000lg%lg", false},
        {{"/I", missing}, 4, "Can't open input file: " + missing, false},
        {{"/I"}, 4, "Can't open input file: /I", false},
        {{"/O", "no-such-directory/out.txt"}, 8, "Can't open output file: no-such-directory/out.txt", false},
        {{"/O"}, 8, "Can't open output file: /O", false},
    };
    for (const auto &c : cases) {
        ToolRun run = RunTool(TRIMVEX_EXE, c.args, "");
        EXPECT_EQ(run.exitCode, c.code) << c.args[0];
        EXPECT_EQ(SplitLines(run.err), Report(c.message, c.usage)) << c.args[0];
        EXPECT_EQ(run.out, "") << c.args[0];
    }
}

TEST(Trimvex, ABadOptionLeavesAnExistingOutputFileAlone) {
    const std::string out = ScratchPath(".txt");
    WriteFileBytes(out, "keep me\n");
    ToolRun run = RunWithInput({"/O", out, "/Q"}, "1 2\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(ReadFileBytes(out), "keep me\n");
}

TEST(Trimvex, ConvertsBetweenTheThreeKinds) {
    const std::string single = ScratchPath(".single");
    WriteFileBytes(single, Float32(1) + Float32(2) + Float32(3) + Float32(4) + kSingleBreak + Float32(5) +
                               Float32(6));

    ToolRun text = RunTool(TRIMVEX_EXE, {"/I", single}, "");
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(SplitLines(text.out), (Lines{"1 2", "3 4", "", "5 6"}));

    ToolRun joined = RunTool(TRIMVEX_EXE, {"/N", "/I", single}, "");
    EXPECT_EQ(SplitLines(joined.out), (Lines{"1 2", "3 4", "5 6"}));

    const std::string dbl = ScratchPath(".DOUBLE");
    ToolRun widened = RunTool(TRIMVEX_EXE, {"/I", single, "/O", dbl}, "");
    EXPECT_EQ(widened.exitCode, 0);
    EXPECT_EQ(widened.out + widened.err, "");
    const std::string bytes = ReadFileBytes(dbl);
    EXPECT_EQ(bytes.size(), 56u);
    EXPECT_EQ(bytes, Float64(1) + Float64(2) + Float64(3) + Float64(4) + kDoubleBreak + Float64(5) +
                         Float64(6));

    // Text to .single and back, clipped on the way, through a text file.
    const std::string back = ScratchPath(".single"), txt = ScratchPath(".txt");
    WriteFileBytes(txt, "0.5 0.5\r\n2 0.5\n0 0\n");
    ToolRun narrowed = RunTool(TRIMVEX_EXE, {"/I", txt, "/O", back, "/C", "0,0,1,1"}, "");
    EXPECT_EQ(narrowed.exitCode, 0);
    EXPECT_EQ(ReadFileBytes(back), Float32(0.5) + Float32(0.5) + Float32(1) + Float32(0.5) + kSingleBreak +
                                       Float32(1) + Float32(0.25) + Float32(0) + Float32(0));
    ToolRun noNan = RunTool(TRIMVEX_EXE, {"/I", txt, "/O", back, "/C", "0,0,1,1", "/N"}, "");
    EXPECT_EQ(ReadFileBytes(back).size(), 4u * 8);
    EXPECT_EQ(noNan.exitCode, 0);

    // Text to a text file, not the console.
    const std::string copy = ScratchPath(".txt");
    ToolRun toFile = RunTool(TRIMVEX_EXE, {"/I", txt, "/O", copy}, "");
    EXPECT_EQ(toFile.exitCode, 0);
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(SplitLines(ReadFileBytes(copy)), (Lines{"0.5 0.5", "2 0.5", "0 0"}));
}

TEST(Trimvex, ReportsIncompleteInputAndWritesEverythingBeforeIt) {
    const std::string dbl = ScratchPath(".double");
    WriteFileBytes(dbl, Float64(1) + Float64(2) + kDoubleBreak + Float64(3) + Float64(4) + "\x01\x02\x03");
    ToolRun run = RunTool(TRIMVEX_EXE, {"/I", dbl}, "");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(SplitLines(run.out), (Lines{"1 2", "", "3 4"}));
    EXPECT_EQ(SplitLines(run.err),
              (Lines{"Warning: incomplete number at the end of the input, 3 byte(s) ignored: " + dbl}));

    ToolRun longLine = RunWithInput({}, "1 2\n3 4\n" + std::string(2000, '5') + " 6\n7 8\n");
    EXPECT_EQ(longLine.exitCode, 0);
    EXPECT_EQ(SplitLines(longLine.out), (Lines{"1 2", "3 4", "", "7 8"}));
    EXPECT_EQ(SplitLines(longLine.err),
              (Lines{"Warning: 1 line(s) longer than 1023 characters read as breaks, the first is line 3: "
                     "console"}));
}

#ifndef _WIN32
// A full disk must not pass for success.
TEST(Trimvex, AFailedWriteIsReported) {
    ToolRun text = RunWithInput({"/O", "/dev/full"}, "1 2\n");
    EXPECT_EQ(text.exitCode, 8);
    EXPECT_EQ(SplitLines(text.err), Report("Can't write output file: /dev/full", false));

    const std::string txt = ScratchPath(".txt"), full = ScratchPath(".double");
    WriteFileBytes(txt, "1 2\n");
    remove(full.c_str());
    ASSERT_EQ(symlink("/dev/full", full.c_str()), 0);
    ToolRun binary = RunTool(TRIMVEX_EXE, {"/I", txt, "/O", full}, "");
    EXPECT_EQ(binary.exitCode, 8);
    EXPECT_EQ(SplitLines(binary.err), Report("Can't write output file: " + full, false));
}
#endif

}  // namespace
