// Plotter-driver descriptions (reading, escapes, malformed files) and the
// commands a plotter job writes, compared byte for byte.
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "graph_pipeline.h"
#include "memory.h"
#include "platform_recorder.h"
#include "plotter.h"
#include "settings.h"
#include "string_ids.h"

namespace {

std::string Str(const char *s) { return s ? s : "<null>"; }

class PlotterTest : public ::testing::Test {
protected:
    GraphWindowState g{};
    std::string driverFile, outputFile;
    int savedOwnDc = 0;

    void SetUp() override {
        gRecorder.Reset();
        g.xMin = g.yMin = -1;
        g.xMax = g.yMax = 1;
        g.clientMaxX = g.clientMaxY = 100;
        g.plotter.frame = 1;
        g.plotter.pen = 1;
        g.displayPenWidth = -1;
        gCurrentGraph = &g;
        gPlotterOutputOn = 1;
        savedOwnDc = gOwnDc;
        gOwnDc = 0;  // else every pen change also resets the line type
        driverFile = ::testing::TempDir() + "vr_plotter_driver.txt";
        outputFile = ::testing::TempDir() + "vr_plotter_out.txt";
        std::remove(outputFile.c_str());
        SetNonEmptyStringCopy(g.plotter.driver, driverFile.c_str());
        SetNonEmptyStringCopy(g.plotter.device, outputFile.c_str());
    }
    void TearDown() override {
        FreeGraphState(&g);
        gCurrentGraph = nullptr;
        gPlotterOutputOn = 0;
        gOwnDc = savedOwnDc;
        std::remove(driverFile.c_str());
        std::remove(outputFile.c_str());
    }
    void WriteDriver(const std::string &text) {
        FILE *f = std::fopen(driverFile.c_str(), "wb");
        ASSERT_TRUE(f);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    // Parses text; 1 or 0, with the line number of a failure in *line.
    int Parse(const std::string &text, int *line) {
        FreePlotterDriver(&g);
        WriteDriver(text);
        FILE *f = std::fopen(driverFile.c_str(), "rb");
        if (!f) return -1;
        const int ok = ParsePlotterDriver(&g, f, line);
        std::fclose(f);
        return ok;
    }
    // Read as text, so line ends compare alike on both trees.
    std::string Output() {
        std::string out;
        if (FILE *f = std::fopen(outputFile.c_str(), "r")) {
            int c;
            while ((c = std::fgetc(f)) != EOF) out += char(c);
            std::fclose(f);
        }
        return out;
    }
};

TEST_F(PlotterTest, ReadsEveryFieldOfADescription) {
    int line = 0;
    ASSERT_EQ(1, Parse("; a test plotter\r\n"
                       "  PROLOG:2\n"
                       "IN;\\n\n"
                       "; comments inside a list are skipped\n"
                       "\tSC;\\n   \n"
                       "Epilog:\n"
                       "\n"
                       "epilog: 1\n"
                       "EP;\\n\n"
                       "On:ignored text\n"
                       "ON\\n\n"
                       "Off:\nOFF\\n\nMoveto: M%d\nPU%d,%d;\\n\nLineto:\nPD%d,%d;\\n\n"
                       "Point:\nPT%d,%d;\\n\nChar:\nCH%s\nSpeed:\nVS%d;\\n\nPen:\nSP%d;\\n\n"
                       "Color:\nCO%06lX;\\n\nWidth:\nPW%d;\\n\nTypes:2\nLT;\\n\nLT2;\\n\n"
                       "Eject:\nPG;\\n\nClear:\nCL\n"
                       "Xmin:-10\nYmin: 0x10\nXmax:0100\nYmax:2000\nXmin:\n"
                       "Height:what\nHdisp:\nVdisp:7\n",
                       &line));
    const PlotterDriver &p = g.plotter;
    ASSERT_EQ(2, p.prologCount);
    EXPECT_EQ("IN;\n", Str(p.prolog[0]));
    EXPECT_EQ("SC;\n", Str(p.prolog[1]));
    // A later list replaces an earlier one.
    ASSERT_EQ(1, p.epilogCount);
    EXPECT_EQ("EP;\n", Str(p.epilog[0]));
    EXPECT_EQ("ON\n", Str(p.onString));
    EXPECT_EQ("OFF\n", Str(p.offString));
    EXPECT_EQ("PU%d,%d;\n", Str(p.movetoFormat));  // from the next line, not after the colon
    EXPECT_EQ("PD%d,%d;\n", Str(p.linetoFormat));
    EXPECT_EQ("PT%d,%d;\n", Str(p.pointFormat));
    EXPECT_EQ("CH%s", Str(p.charString));  // kept, never formatted
    EXPECT_EQ("VS%d;\n", Str(p.speedFormat));
    EXPECT_EQ("SP%d;\n", Str(p.penFormat));
    EXPECT_EQ("CO%06lX;\n", Str(p.colorFormat));
    EXPECT_EQ("PW%d;\n", Str(p.widthFormat));
    ASSERT_EQ(2, p.typesCount);
    EXPECT_EQ("LT;\n", Str(p.types[0]));
    EXPECT_EQ("LT2;\n", Str(p.types[1]));
    EXPECT_EQ("PG;\n", Str(p.ejectString));
    EXPECT_EQ("CL", Str(p.clearString));
    // Decimal, hexadecimal and octal; the empty Xmin leaves -10.
    EXPECT_EQ(-10, p.rangeXMin);
    EXPECT_EQ(16, p.rangeYMin);
    EXPECT_EQ(64, p.rangeXMax);
    EXPECT_EQ(2000, p.rangeYMax);

    // A list cut short by the end of the file keeps what it has; an empty
    // string line leaves the string unset.
    ASSERT_EQ(1, Parse("Point:\n\nProlog:2\nA\n", &line));
    EXPECT_EQ(nullptr, g.plotter.pointFormat);
    ASSERT_EQ(1, g.plotter.prologCount);
    EXPECT_EQ("A", Str(g.plotter.prolog[0]));
}

TEST_F(PlotterTest, DecodesEscapes) {
    const struct {
        const char *line;
        std::string decoded;
    } cases[] = {
        {"\\x41\\065\\o101", "AAA"},
        {"\\101", "e"},  // digits without a letter are decimal, as in every other text
        {"\\x4g", std::string("\x04") + "g"},
        {"\\q\\\\\\:", "q\\:"},
        {"\\a\\b\\e\\f\\n\\r\\t\\v", "\a\b\x1b\f\n\r\t\v"},
        {"\\3577", "e7"},  // 357 mod 256; the fourth digit is a character
        {"ab\\zcd", "ab"},
        {"ab\\0cd", "ab"},
        {"ab\\xcd", std::string("ab\xcd")},
        {"ab\\x", "ab"},
        {"ab\\og", "ab"},
    };
    for (const auto &c : cases) {
        int line = 0;
        ASSERT_EQ(1, Parse(std::string("On:\n") + c.line + "\n", &line)) << c.line;
        EXPECT_EQ(c.decoded, Str(g.plotter.onString)) << c.line;
    }
}

TEST_F(PlotterTest, MalformedDescriptionsNameTheirLine) {
    const std::string longLine(kPlotterLineSize + 1, 'a');
    const struct {
        std::string text;
        int line;
    } cases[] = {
        {"Bogus:1\n", 1},
        {"; comment\n\nXmin :5\n", 3},  // a blank before the colon makes another key
        {"Moveto\n", 0},                // a whole line without a colon is its key: accepted
        {"Xmin:abc\n", 1},
        {"Xmax:99999999999\n", 1},
        {"Prolog:x\n", 1},
        {"Types:-1\n", 1},
        {"Moveto:\nPU%s\n", 2},
        {"Lineto:\nPD%d,%d,%d\n", 2},
        {"Pen:\nSP%d %d\n", 2},
        {"Width:\nPW%*d\n", 2},
        {"Color:\nCO%n\n", 2},
        {"Color:\nCO%lld\n", 2},
        {"Speed:\nVS%1000d\n", 2},
        {"Point:\nPT%d,%.1234d\n", 2},
        {"Moveto:\nPU%\n", 2},
        {"On:\n" + longLine + "\n", 2},
        {"On:\n" + longLine + "\r\n", 2},
        {"Off:\n" + longLine, 2},
        {"; " + longLine + "\nOn:\nx\n", 1},  // comments too
        {"Xmin:1\n" + std::string(3 * kPlotterLineSize, 'c') + "\nOn:\nx\n", 2},
    };
    for (const auto &c : cases) {
        int line = -1;
        const int ok = Parse(c.text, &line);
        EXPECT_EQ(c.line == 0, ok == 1) << c.text.substr(0, 40);
        if (c.line) {
            EXPECT_EQ(c.line, line) << c.text.substr(0, 40);
        }
    }
    // The longest line allowed is read whole.
    int line = 0;
    ASSERT_EQ(1, Parse("On:\n" + std::string(kPlotterLineSize, 'b') + "\r\n", &line));
    EXPECT_EQ(size_t(kPlotterLineSize), std::strlen(g.plotter.onString));
}

TEST_F(PlotterTest, ReadFailuresShowAMessageAndLeaveNothingLoaded) {
    WriteDriver("On:\nON\n; fine so far\nMoveto:\nPU%f\n");
    EXPECT_EQ(0, ReadPlotterDriver());
    ASSERT_EQ(1u, gRecorder.boxes.size());
    EXPECT_NE(std::string::npos, gRecorder.boxes[0].text.find("Bad plotter driver"));
    EXPECT_NE(std::string::npos, gRecorder.boxes[0].text.find("Line: 5"));
    EXPECT_EQ(IDS_BAD_PLOTTER_DRIVER, gRecorder.boxes[0].helpId);
    EXPECT_EQ(0, g.plotter.loaded);
    EXPECT_EQ(nullptr, g.plotter.onString);

    // A missing description: a system error, no job, nothing written.
    std::remove(driverFile.c_str());
    StartPlotterStream();
    EXPECT_EQ(2u, gRecorder.boxes.size());
    EXPECT_EQ(0, g.plotter.sessionOpen);
    EXPECT_EQ(0, g.plotter.recording);
    EXPECT_EQ(nullptr, g.plotter.stream);
    EXPECT_EQ("", Output());
}

TEST_F(PlotterTest, AJobWritesItsCommands) {
    WriteDriver("Prolog:2\nIN;\\n\nSC;\\n\nEpilog:1\nEP;\\n\nOn:\nON\\n\nOff:\nOFF\\n\n"
                "Moveto:\nPU%d,%d;\\n\nLineto:\nPD%d,%d;\\n\nPen:\nSP%d;\\n\n"
                "Color:\nCO%06lX;\\n\nWidth:\nPW%d;\\n\nSpeed:\nVS%d;\\n\n"
                "Types:2\nLT;\\n\nLT2;\\n\nEject:\nPG;\\n\n"
                "Xmin:0\nYmin:0\nXmax:1000\nYmax:500\n");
    g.plotter.pen = 2;
    g.plotter.lineType = 2;
    g.gridColor = 0x123456;
    g.gridWidth = 0;
    const std::string frame = "CO123456;\nPW1;\nPU0,0;\nPD0,500;\nPD1000,500;\nPD1000,0;\nPD0,0;\n";
    std::string expected = "IN;\nSC;\nSP2;\n" + frame + "ON\nSP2;\nLT2;\n";

    StartPlotterStream();
    ASSERT_EQ(1, g.plotter.recording);
    PlotPoint(0, 0);  // no Point string: a move
    expected += "PU500,250;\n";
    PlotLineTo(2, 0);  // leaves the window: drawn to the border
    expected += "PD1000,250;\n";
    PlotLineTo(0, -0.5);  // comes back: a move to the border, then the line
    expected += "PU1000,187;\nPD500,125;\n";
    PlotPoint(1, 1);  // on the corner: written
    expected += "PU1000,500;\n";
    PlotterPoint(1001, 250);  // one beyond: nothing
    g.plotter.width = 3;
    SetPen(0x0000FF, 0);  // width 0 times the factor 3
    expected += "CO0000FF;\nPW3;\n";
    StopPlotterStream();
    expected += "OFF\n";
    EXPECT_EQ(nullptr, g.plotter.stream);
    PlotPoint(0, 0);  // not recording: nothing

    PlotterEjectPage();
    expected += "ON\nSP2;\nLT2;\nPG;\nCO123456;\nPW3;\nPU0,0;\nPD0,500;\nPD1000,500;\nPD1000,0;\nPD0,0;\nOFF\n";
    ClosePlotterJob();
    expected += "ON\nSP2;\nLT2;\nEP;\nOFF\n";
    ClosePlotterJob();  // the job is closed: the epilog is written once
    PlotterEjectPage();
    EXPECT_EQ(expected, Output());
    EXPECT_EQ(0, g.plotter.jobDepth);
    EXPECT_EQ(0, g.plotter.sessionOpen);

    // The next job reuses the loaded description and writes the prolog again.
    StartPlotterStream();
    StopPlotterStream();
    expected += "IN;\nSC;\nSP2;\n" + std::string("CO123456;\nPW3;\nPU0,0;\nPD0,500;\nPD1000,500;\nPD1000,0;\nPD0,0;\n") +
                "ON\nSP2;\nLT2;\nOFF\n";
    EXPECT_EQ(expected, Output());
}

TEST_F(PlotterTest, CommandFormatsAreCheckedBeforeUse) {
    EXPECT_EQ(1, IsSafePlotterFormat("%% %-+ #05.3ld %x %c", 3));
    EXPECT_EQ(0, IsSafePlotterFormat("%d %d", 1));
    EXPECT_EQ(0, IsSafePlotterFormat("%s", 2));
    EXPECT_EQ(0, IsSafePlotterFormat("%hd", 2));
    EXPECT_EQ(0, IsSafePlotterFormat(nullptr, 2));
    // A format set by hand, bypassing the reader, still writes nothing.
    g.plotter.stream = std::fopen(outputFile.c_str(), "w");
    ASSERT_TRUE(g.plotter.stream);
    WritePlotterCommand("bad %s\n", 1, 2);
    WritePlotterCommand("ok %d %c%%\n", 7, 'Z');
    // A width past the integer range is held at its end.
    g.plotter.recording = 1;
    g.plotter.width = 100000;
    SetNonEmptyStringCopy(g.plotter.widthFormat, "W%d\n");
    PlotterSetWidth(100000);
    std::fclose(g.plotter.stream);
    g.plotter.stream = nullptr;
    EXPECT_EQ("ok 7 Z%\nW2147483647\n", Output());
}

}  // namespace
