// The conversion on small EPS files made here, in both trees.
#include "eps_color.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "eps_color_procedure.h"
#include "eps_fixture.h"

namespace {

void WriteBytes(const char *path, const std::string &bytes) {
    FILE *f = fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string ReadBytes(const char *path) {
    std::string bytes;
    if (FILE *f = fopen(path, "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

struct Converted {
    EpsResult result;
    std::string output;
    int count;
};

// Runs one conversion through real files, as the program does.
Converted Convert(const std::string &input, EpsDirection direction, bool scan = false) {
    WriteBytes("eps_color_in.tmp", input);
    FILE *in = fopen("eps_color_in.tmp", "rb");
    FILE *out = fopen("eps_color_out.tmp", "wb");
    Converted c = {EPS_READ_FAILED, "", -1};
    if (in && out)
        c.result = scan ? ConvertIncludedEps(in, out, direction, &c.count) : ConvertSingleEps(in, out, direction);
    if (in) fclose(in);
    if (out) fclose(out);
    c.output = ReadBytes("eps_color_out.tmp");
    return c;
}

// Line number (from 1) of a line of a text, 0 when absent.
int LineOf(const std::string &text, const char *line) {
    size_t at = text.find(std::string("\n") + line + "\r\n");
    if (at == std::string::npos) return 0;
    int number = 2;
    for (size_t i = 0; i < at; ++i) number += text[i] == '\n';
    return number;
}

TEST(EpsColor, FixturesPlaceTheProcedureWhereTheWriterDoes) {
    EpsShape rotated, coarse;
    rotated.rotate = true;
    coarse.pixels = 1;
    EXPECT_EQ(LineOf(MakeEps({}), EpsColorProcedure[0]), 22);
    EXPECT_EQ(LineOf(MakeEps({}), EpsColorProcedure[2]), 24);
    EXPECT_EQ(LineOf(MakeEps(rotated), EpsColorProcedure[0]), 24);
    EXPECT_EQ(LineOf(MakeEps(coarse), EpsColorProcedure[0]), 21);
}

TEST(EpsColor, ColourToMonoAndBackGivesTheOriginalBytes) {
    std::string binary = "%%BeginBinary\r\n";
    binary += std::string("\0\x1a\xff\r\r\n\x80", 7);
    EpsShape shapes[7];
    shapes[1].eol = "\n";
    shapes[2].rotate = true;
    shapes[3].pixels = 1;
    shapes[4].body = binary + "\r\n";
    shapes[5].body = std::string(3 * kEpsLineLimit + 17, 'A') + "\r\n" + std::string(kEpsLineLimit, 'B');
    shapes[6].finalEol = false;
    for (const EpsShape &shape : shapes) {
        const std::string colour = MakeEps(shape);
        EpsShape monoShape = shape;
        monoShape.mono = true;
        const std::string mono = MakeEps(monoShape);
        ASSERT_NE(colour, mono);

        Converted toMono = Convert(colour, EPS_TO_MONO);
        EXPECT_EQ(toMono.result, EPS_CONVERTED);
        EXPECT_TRUE(toMono.output == mono) << "line end " << (shape.eol[0] == '\r' ? "CR LF" : "LF");
        Converted back = Convert(toMono.output, EPS_TO_COLOR);
        EXPECT_EQ(back.result, EPS_CONVERTED);
        EXPECT_TRUE(back.output == colour);
        EXPECT_EQ(back.output.size(), colour.size());

        // Already in the target form: listed, copied unchanged, still done.
        Converted again = Convert(mono, EPS_TO_MONO);
        EXPECT_EQ(again.result, EPS_ALREADY);
        EXPECT_TRUE(again.output == mono);
        EXPECT_EQ(Convert(colour, EPS_TO_COLOR).result, EPS_ALREADY);
    }
}

TEST(EpsColor, ForeignDamagedAndTruncatedFilesAreRefused) {
    const std::string good = MakeEps({});
    const size_t procedure = good.find(EpsColorProcedure[0]);
    struct Case {
        const char *what;
        std::string input;
        EpsResult expected;
    } cases[] = {
        {"empty file", "", EPS_NOT_EPS},
        {"plain text", "hello\r\nworld\r\n", EPS_NOT_EPS},
        {"binary data", std::string("\xc5\xd0\xd3\xc6\0\0\x1a", 7) + good, EPS_NOT_EPS},
        {"header not on line 1", "\r\n" + good, EPS_NOT_EPS},
        {"overlong first line", std::string(kEpsLineLimit * 2, '%'), EPS_NOT_EPS},
        {"only the header", "%!PS-Adobe-3.0 EPSF-3.0", EPS_NOT_OURS},
        {"another creator", Replace(good, "%%Creator: Vantorel", "%%Creator: Other"), EPS_NOT_OURS},
        {"creator on line 3", Replace(good, "%%Creator: Vantorel 2.00\r\n", "%%For: x\r\n%%Creator: Vantorel\r\n"),
         EPS_NOT_OURS},
        {"cut before the procedure", good.substr(0, procedure), EPS_NOT_OURS},
        {"cut after its first line", good.substr(0, procedure + strlen(EpsColorProcedure[0]) + 2), EPS_NOT_OURS},
        {"cut inside its last line", good.substr(0, good.find("setrgbcolor}")), EPS_NOT_OURS},
        {"no procedure in the prologue", Replace(good, EpsColorProcedure[0], "/c { pop } bind def"), EPS_NOT_OURS},
        {"second line altered", Replace(good, "256 idiv 256 mod", "256 idiv 255 mod"), EPS_NOT_OURS},
        {"third line altered", Replace(good, "setrgbcolor} bind def", "setgray} bind def"), EPS_NOT_OURS},
        {"trailing blank on the third line", Replace(good, "} bind def\r\n%%EndProlog", "} bind def \r\n%%EndProlog"),
         EPS_NOT_OURS},
        {"procedure only after the prologue",
         Replace(good, std::string(EpsColorProcedure[0]) + "\r\n", std::string(EPS_END_PROLOG) + "\r\n" +
                                                                    EpsColorProcedure[0] + "\r\n"),
         EPS_NOT_OURS},
    };
    for (const Case &c : cases) {
        for (EpsDirection d : {EPS_TO_MONO, EPS_TO_COLOR})
            EXPECT_EQ(Convert(c.input, d).result, c.expected) << c.what;
    }
    EXPECT_STREQ(EpsResultText(EPS_NOT_EPS, EPS_TO_MONO), "Not an EPS file");
    EXPECT_STREQ(EpsResultText(EPS_NOT_OURS, EPS_TO_COLOR), "Not created by Vantorel");
    EXPECT_STREQ(EpsResultText(EPS_ALREADY, EPS_TO_MONO), "Already black and white!");
    EXPECT_STREQ(EpsResultText(EPS_ALREADY, EPS_TO_COLOR), "Already color file!");
}

TEST(EpsColor, AnOutputThatCannotBeWrittenIsAFailure) {
    WriteBytes("eps_color_in.tmp", MakeEps({}));
    WriteBytes("eps_color_out.tmp", "");
    FILE *in = fopen("eps_color_in.tmp", "rb");
    FILE *out = fopen("eps_color_out.tmp", "rb");  // read-only: every write fails
    ASSERT_TRUE(in && out);
    EXPECT_EQ(ConvertSingleEps(in, out, EPS_TO_MONO), EPS_WRITE_FAILED);
    rewind(in);
    int count = 0;
    EXPECT_EQ(ConvertIncludedEps(in, out, EPS_TO_MONO, &count), EPS_WRITE_FAILED);
    fclose(in);
    fclose(out);
}

TEST(EpsColor, ScanSwitchesEveryIncludedFileOfOursInTheSourceForm) {
    EpsShape mono;
    mono.mono = true;
    EpsShape rotated;
    rotated.rotate = true;
    const std::string foreign = Replace(MakeEps({}), "Creator: Vantorel", "Creator: Other");
    const std::string broken = Replace(MakeEps({}), "256 idiv 256 mod", "256 idiv 255 mod");
    const std::string document = "%!PS-Adobe-3.0\r\n%%Creator: a word processor\r\n" + MakeEps({}) + foreign +
                                 broken + MakeEps(mono) + "%!PS-Adobe-3.0\r\n" + MakeEps(rotated) + "showpage\r\n";

    Converted c = Convert(document, EPS_TO_MONO, true);
    EXPECT_EQ(c.result, EPS_CONVERTED);
    EXPECT_EQ(c.count, 2);  // the plain and the rotated one; the mono one is already done
    EpsShape rotatedMono = rotated;
    rotatedMono.mono = true;
    EXPECT_TRUE(c.output == "%!PS-Adobe-3.0\r\n%%Creator: a word processor\r\n" + MakeEps(mono) + foreign + broken +
                                MakeEps(mono) + "%!PS-Adobe-3.0\r\n" + MakeEps(rotatedMono) + "showpage\r\n");

    Converted back = Convert(c.output, EPS_TO_COLOR, true);
    EXPECT_EQ(back.count, 3);

    Converted none = Convert("%!PS-Adobe-3.0\r\nnothing of ours\r\n", EPS_TO_MONO, true);
    EXPECT_EQ(none.result, EPS_CONVERTED);
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.output, "%!PS-Adobe-3.0\r\nnothing of ours\r\n");
}

#ifndef _WIN32
// Renders a file with Ghostscript when it is installed; returns whether any
// pixel is neither black, white nor grey.
bool RendersInColour(const std::string &eps, bool *rendered) {
    WriteBytes("eps_color_render.eps", eps);
    remove("eps_color_render.ppm");
    *rendered = system("gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=ppmraw -r36 "
                       "-sOutputFile=eps_color_render.ppm eps_color_render.eps >/dev/null 2>&1") == 0;
    const std::string ppm = ReadBytes("eps_color_render.ppm");
    // Header: "P6", width, height, maximum, each possibly after "#" comments.
    size_t at = 0;
    int fields = 0;
    while (*rendered && fields < 4 && at < ppm.size()) {
        if (ppm[at] == '#') at = ppm.find('\n', at);
        else if (isspace(static_cast<unsigned char>(ppm[at]))) ++at;
        else {
            while (at < ppm.size() && !isspace(static_cast<unsigned char>(ppm[at]))) ++at;
            ++fields;
        }
    }
    if (!*rendered || fields < 4 || at == std::string::npos) {
        *rendered = false;
        return false;
    }
    const size_t header = at;
    for (size_t i = header + 1; i + 2 < ppm.size(); i += 3)
        if (ppm[i] != ppm[i + 1] || ppm[i + 1] != ppm[i + 2]) return true;
    return false;
}

TEST(EpsColor, GhostscriptDrawsTheConvertedFileWithoutColour) {
    if (system("gs --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "Ghostscript is not installed";
    const std::string colour = MakeEps({});
    bool rendered = false;
    EXPECT_TRUE(RendersInColour(colour, &rendered));
    ASSERT_TRUE(rendered);
    EXPECT_FALSE(RendersInColour(Convert(colour, EPS_TO_MONO).output, &rendered));
    EXPECT_TRUE(rendered);
}
#endif

}  // namespace
