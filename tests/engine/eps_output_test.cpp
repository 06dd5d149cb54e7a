// EPS files of a graph window: header, prologue, body commands and trailer,
// compared line by line; the colour converter must recognise the file, and
// where Ghostscript is installed the file must render.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "display_list.h"
#include "eps_color.h"
#include "eps_color_procedure.h"
#include "eps_output.h"
#include "graph_pipeline.h"
#include "plotter.h"

namespace {

std::vector<std::string> ReadLines(const std::string &path) {
    std::vector<std::string> lines;
    FILE *f = std::fopen(path.c_str(), "r");
    if (!f) return lines;
    std::string line;
    int c;
    while ((c = std::fgetc(f)) != EOF) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += char(c);
        }
    }
    std::fclose(f);
    return lines;
}

std::string ReadBytes(const std::string &path) {
    std::string s;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) s += char(c);
        std::fclose(f);
    }
    return s;
}

// 254 mm square page of 1000 printer pixels: 100 pixels are 72 points.
EpsPageSetup DefaultSetup() {
    EpsPageSetup s{};
    s.pixels = 10;
    s.line = 1;
    s.frame = 2;
    s.totalX = s.totalY = 1000;
    s.pageWidth = s.pageHeight = 2540;
    s.left = s.top = 100;
    s.width = s.height = 500;
    return s;
}

const EpsHeaderInfo kInfo{"Vantorel", "1.0", "tester", "Lorenz", 3, 7, 2026};

class EpsOutputTest : public ::testing::Test {
protected:
    GraphWindowState g{};
    std::string path = ::testing::TempDir() + "vr_eps_output.eps";

    void SetUp() override {
        g.xMin = g.yMin = 0;
        g.xMax = g.yMax = 10;
        g.clientMaxX = g.clientMaxY = 100;
        g.displayPenWidth = -1;
        g.penColor = 0x0000FF;
        g.penWidth = 1;
        g.capture = -1;
        gCurrentGraph = &g;
    }
    void TearDown() override {
        FreeGraphState(&g);
        gCurrentGraph = nullptr;
        std::remove(path.c_str());
    }
    // Writes a whole file the way the print command does: the driver is
    // swapped for the EPS one and the record restored afterwards.
    void WriteFile(const EpsPageSetup &s, double minDistance) {
        const EpsLayout l = ComputeEpsLayout(s);
        GraphWindowState before, saved;
        std::memcpy(&before, &g, sizeof g);
        FILE *out = std::fopen(path.c_str(), "w");
        ASSERT_TRUE(out);
        BeginEpsJob(&saved, s, out);
        EXPECT_EQ(out, g.plotter.stream);
        EXPECT_EQ(l.width - 1, g.clientMaxX);
        EXPECT_EQ(0, g.capture);
        WriteEpsHeader(out, s, kInfo);
        WriteEpsFrame(s, 0x00FF00);
        WriteEpsVectors(minDistance);
        WriteEpsTrailer(out);
        std::fclose(out);
        EndEpsJob(saved);
        // The job leaves the record exactly as it was.
        EXPECT_EQ(0, std::memcmp(&before, &g, sizeof g));
    }
};

TEST(EpsUnits, MulDivRoundsHalvesAwayFromZero) {
    struct Case { int64_t a, b, c; int32_t want; } cases[] = {
        {5, 1, 2, 3}, {-5, 1, 2, -3}, {7, 1, 3, 2}, {254, 720, 254, 720}, {1, 1, 0, 0}, {3, 1, -2, -2},
    };
    for (const Case &c : cases) EXPECT_EQ(c.want, EpsMulDiv(c.a, c.b, c.c)) << c.a << "*" << c.b << "/" << c.c;
}

TEST_F(EpsOutputTest, HeaderPrologueAndTrailerLines) {
    WriteFile(DefaultSetup(), 0);
    const std::vector<std::string> want = {
        "%!PS-Adobe-2.0 EPSF-2.0",
        "%%Creator: Vantorel 1.0",
        "%%For: tester",
        "%%Title: Lorenz",
        "%%Pages: 1",
        "%%DocumentFonts: (atend)",
        "%%DocumentNeededFonts: (atend)",
        "%%CreationDate: 3-07-2026",
        "%%BoundingBox: 71 288 432 649",
        "%%HiResBoundingBox: 71.9 288 432 648.1",
        "%%EndComments",
        "save",
        "1 10 div dup scale",
        "720 2881 translate",
        "1 setlinecap",
        "1 setlinewidth",
        "0 0 0 setrgbcolor",
        "/g { moveto } bind def",
        "/p { moveto currentpoint l } bind def",
        "/l { lineto currentpoint stroke moveto } bind def",
        "/w { setlinewidth } bind def",
        EpsColorProcedure[0],
        EpsColorProcedure[1],
        EpsColorProcedure[2],
        "%%EndProlog",
        "%%Page: 1 1",
        // Frame in the axes colour, then the window's pen.
        "65280 c", "2 w", "0 0 p", "3599 0 l", "3599 3599 l", "0 3599 l", "0 0 l",
        "255 c", "1 w",
    };
    const std::vector<std::string> lines = ReadLines(path);
    ASSERT_GE(lines.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(want[i], lines[i]) << "line " << i + 1;
    const std::vector<std::string> trailer = {"showpage", "restore", "%%Trailer", "%%DocumentFonts:",
                                              "%%DocumentNeededFonts:"};
    ASSERT_EQ(want.size() + trailer.size(), lines.size());
    for (size_t i = 0; i < trailer.size(); ++i) EXPECT_EQ(trailer[i], lines[want.size() + i]);
}

TEST_F(EpsOutputTest, RotationAndUnitScaleMoveTheColourProcedure) {
    struct Case { int rotate, pixels; size_t procLine; } cases[] = {{0, 10, 22}, {1, 10, 24}, {0, 1, 21}};
    for (const Case &c : cases) {
        EpsPageSetup s = DefaultSetup();
        s.rotate = c.rotate;
        s.pixels = c.pixels;
        WriteFile(s, 0);
        const std::vector<std::string> lines = ReadLines(path);
        ASSERT_GT(lines.size(), c.procLine + 1);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(EpsColorProcedure[k], lines[c.procLine - 1 + k]) << c.rotate;
        if (c.rotate) {
            EXPECT_EQ("90 rotate", lines[12]);
            EXPECT_EQ("0 -720 translate", lines[13]);
        }
    }
}

TEST_F(EpsOutputTest, DisplayListReplayClipsAndDecimates) {
    EpsPageSetup s = DefaultSetup();
    s.frame = 0;
    AppendDisplayPoint(kDisplayLine, 1, 1);   // line before any move: a dot
    AppendDisplayPoint(kDisplayPoint, 2, 2);  // move: a dot
    AppendDisplayPoint(kDisplayLine, 2.01, 2.01);  // first after a move: kept
    AppendDisplayPoint(kDisplayLine, 2.05, 2.05);  // within 0.1: dropped
    AppendDisplayPen(0xFF0000, 3);
    AppendDisplayPoint(kDisplayLine, 5, 2);   // from the last written end
    AppendDisplayPoint(kDisplayLine, 20, 2);  // clipped at the right edge
    AppendDisplayPoint(kDisplayLine, 5, 5);   // from (20, 2), outside: a move to the edge first
    WriteFile(s, 0.1);
    const std::vector<std::string> lines = ReadLines(path);
    size_t i = 0;
    while (i < lines.size() && lines[i] != "%%Page: 1 1") ++i;
    ASSERT_LT(i, lines.size());
    // The first block starts with the pen in force, written again.
    const std::vector<std::string> want = {"255 c", "1 w", "255 c", "1 w", "360 360 p", "720 720 p", "723 723 l",
                                           "16711680 c", "3 w", "1800 720 l", "3600 720 l",
                                           "3600 1440 g", "1800 1800 l", "showpage"};
    std::vector<std::string> body(lines.begin() + i + 1, lines.end());
    body.resize(want.size());
    EXPECT_EQ(want, body);
}

// A 2 x 2 picture: red, green on top; blue, white below.
int32_t Checker(void *, int32_t x, int32_t y) {
    static const int32_t colours[2][2] = {{0x0000FF, 0x00FF00}, {0xFF0000, 0xFFFFFF}};
    return colours[y][x];
}
int CancelAfterFirstRow(void *context) { return ++*static_cast<int *>(context) >= 1; }

TEST_F(EpsOutputTest, BitmapBodyIsWrittenBottomRowFirstAndRendered) {
    EpsPageSetup s = DefaultSetup();
    s.frame = 0;
    const EpsLayout l = ComputeEpsLayout(s);
    FILE *out = std::fopen(path.c_str(), "w");
    ASSERT_TRUE(out);
    WriteEpsHeader(out, s, kInfo);
    WriteEpsBitmap(out, l, EpsBitmapSource{2, 2, Checker, nullptr, nullptr});
    WriteEpsTrailer(out);
    std::fclose(out);
    std::vector<std::string> lines = ReadLines(path);
    size_t i = 0;
    while (i < lines.size() && lines[i] != "%%Page: 1 1") ++i;
    const std::vector<std::string> want = {"save", "0 3600 translate 3600 3600 scale", "2 2 8", "[2 0 0 2 0 2]",
                                           "{currentfile 2 string readhexstring pop}", "false 3 colorimage",
                                           "0000FFFFFFFF", "FF000000FF00", "restore", "showpage"};
    std::vector<std::string> body(lines.begin() + i + 1, lines.end());
    body.resize(want.size());
    EXPECT_EQ(want, body);
#ifndef _WIN32
    if (std::system("gs --version >/dev/null 2>&1") == 0) {
        const std::string cmd = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=bbox '" + path + "' >/dev/null 2>&1";
        EXPECT_EQ(0, std::system(cmd.c_str()));
    }
#endif
    // A cancel after the first row still closes the image.
    int rows = 0;
    out = std::fopen(path.c_str(), "w");
    ASSERT_TRUE(out);
    WriteEpsBitmap(out, l, EpsBitmapSource{2, 2, Checker, &rows, CancelAfterFirstRow});
    std::fclose(out);
    lines = ReadLines(path);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ("0000FFFFFFFF", lines[lines.size() - 2]);
    EXPECT_EQ("restore", lines.back());
}

TEST_F(EpsOutputTest, ColourConverterSwitchesTheFileBothWays) {
    AppendDisplayPoint(kDisplayPoint, 1, 1);
    AppendDisplayPoint(kDisplayLine, 9, 9);
    WriteFile(DefaultSetup(), 0);
    const std::string mono = path + ".mono", back = path + ".back";
    FILE *in = std::fopen(path.c_str(), "rb"), *out = std::fopen(mono.c_str(), "wb");
    ASSERT_TRUE(in && out);
    EXPECT_EQ(EPS_CONVERTED, ConvertSingleEps(in, out, EPS_TO_MONO));
    std::fclose(in);
    std::fclose(out);
    in = std::fopen(mono.c_str(), "rb");
    out = std::fopen(back.c_str(), "wb");
    ASSERT_TRUE(in && out);
    EXPECT_EQ(EPS_CONVERTED, ConvertSingleEps(in, out, EPS_TO_COLOR));
    std::fclose(in);
    std::fclose(out);
    EXPECT_NE(std::string::npos, ReadBytes(mono).find(EpsMonoProcedureLastLine));
    EXPECT_EQ(ReadBytes(path), ReadBytes(back));
    std::remove(mono.c_str());
    std::remove(back.c_str());
}

TEST_F(EpsOutputTest, GhostscriptRendersTheFile) {
#ifdef _WIN32
    GTEST_SKIP() << "no Ghostscript in this tree";
#else
    if (std::system("gs --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "gs not installed";
    AppendDisplayPoint(kDisplayPoint, 1, 1);
    AppendDisplayPen(0x00FF80, 2);
    AppendDisplayPoint(kDisplayLine, 9, 3);
    WriteFile(DefaultSetup(), 0);
    const std::string log = path + ".log";
    const std::string cmd = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=bbox '" + path + "' >'" + log + "' 2>&1";
    EXPECT_EQ(0, std::system(cmd.c_str())) << ReadBytes(log);
    EXPECT_EQ(std::string::npos, ReadBytes(log).find("Error")) << ReadBytes(log);
    std::remove(log.c_str());
#endif
}

}  // namespace

namespace {

TEST(PostParameters, ExpandsPercentFormsAndPathPieces) {
#ifdef _WIN32
    _putenv("VR_EPS_TEST_VAR=value");
#else
    setenv("VR_EPS_TEST_VAR", "value", 1);
#endif
    const char *path = "C:\\pics\\out\\lorenz.eps";
    struct Case { const char *tmpl, *want; } cases[] = {
        {"%@%", "C:\\pics\\out\\lorenz.eps"},
        {"100%% sure", "100% sure"},
        {"a % b", "a % b"},
        {"-o %@dpn%.ps", "-o C:\\pics\\out\\lorenz.ps"},
        {"%@n%", "lorenz"},
        {"%@dp%", "C:\\pics\\out"},
        {"%@d%", "C"},
        {"%@ne%", "lorenz.eps"},
        {"%@e%", "eps"},
        {"%@nd%", "lorenz"},  // out of order: the list ends
        {"[%VR_EPS_TEST_VAR%]", "[value]"},
        {"%VR_EPS_NOT_SET_ANYWHERE% x", "%VR_EPS_NOT_SET_ANYWHERE% x"},
    };
    char out[2080];
    for (const Case &c : cases) {
        EXPECT_TRUE(ExpandPostParameters(c.tmpl, path, out, sizeof out)) << c.tmpl;
        EXPECT_STREQ(c.want, out) << c.tmpl;
    }
    // A command line that does not fit is reported, never used cut short.
    char small[6];
    EXPECT_FALSE(ExpandPostParameters("ab%VR_EPS_TEST_VAR%cdefghij", path, small, sizeof small));
    EXPECT_FALSE(ExpandPostParameters("abcdefghij", path, small, sizeof small));
    EXPECT_TRUE(ExpandPostParameters("abcde", path, small, sizeof small));
}

}  // namespace
