// The font editor's model: settings and their sanity, recent fonts, the
// command line, size corrections, pixels and font units, picking points, the
// stroke and point commands, status texts, the character's text form, and a
// character drawn by clicks that the main program's font table then draws.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "glyph_editor.h"
#include "glyph_fixture.h"
#include "memory.h"
#include "stroke_font_table.h"
#include "text_layout.h"

namespace {

TEST(GlyphSettings, FactoryValuesNamesAndSanity) {
    CharWindowSettings s;
    const int factory[] = {-20, -20, 60, 60, 2, 2, 5};
    for (int i = 0; i < CharWindowSettings::kCount; ++i) EXPECT_EQ(s.Field(i), factory[i]) << kSettingNames[i];
    EXPECT_STREQ(kSettingNames[0], "MinX0");
    EXPECT_STREQ(kSettingNames[6], "Step0");
    EXPECT_TRUE(SettingsUsable(s));

    struct Case {
        int field, value;
        bool usable;
    } cases[] = {
        {2, -20, false},     // MaxX0 = MinX0: no width to divide by
        {3, -30, false},     // MaxY0 below MinY0
        {0, -1001, false},   // huge range: a window no screen holds, a grid loop without end
        {2, 1000, true},     {4, 101, false}, {4, 0, true},  // a zoom below 2 is raised by the window
        {5, -1, false},      {6, -3, true},   {6, 2001, false},
    };
    for (const Case &c : cases) {
        CharWindowSettings t;
        t.Field(c.field) = c.value;
        EXPECT_EQ(SettingsUsable(t), c.usable) << kSettingNames[c.field] << "=" << c.value;
        EXPECT_EQ(SettingsProblem(t).empty(), c.usable);
    }
}

TEST(GlyphSettings, IntegersAreWholeDecimalTexts) {
    struct Case {
        const char *text;
        bool ok;
        int value;
    } cases[] = {{"12", true, 12},   {" -7 ", true, -7}, {"+3", true, 3}, {"abc", false, 0},
                 {"", false, 0},     {"1x", false, 0},   {"2 3", false, 0}, {"99999999999", false, 0},
                 {"-2147483648", true, -2147483647 - 1}};
    for (const Case &c : cases) {
        int v = 0;
        EXPECT_EQ(ParseInteger(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(GlyphRecent, PushMovesToTheTopAndDropsTheOldest) {
    RecentFonts r;
    for (const char *p : {"D", "C", "B", "A"}) r.Push(p);
    EXPECT_EQ(r.Count(), 4);
    RecentFonts c = r;
    c.Push("C");
    EXPECT_EQ(std::vector<std::string>(c.entry, c.entry + 4), (std::vector<std::string>{"C", "A", "B", "D"}));
    RecentFonts e = r;
    e.Push("E");
    EXPECT_EQ(std::vector<std::string>(e.entry, e.entry + 4), (std::vector<std::string>{"E", "A", "B", "C"}));
    // Another spelling of an entry takes its place with the new spelling.
    RecentFonts k = r;
    k.Push("b");
    EXPECT_EQ(std::vector<std::string>(k.entry, k.entry + 4), (std::vector<std::string>{"b", "A", "C", "D"}));

    RecentFonts two;
    two.Push("x\\one.ft");
    two.Push("two.ft");
    EXPECT_EQ(two.Count(), 2);
    EXPECT_EQ(FileNamePart("C:\\fonts\\a b.ft"), "a b.ft");
    EXPECT_EQ(FileNamePart("plain.ft"), "plain.ft");

    // What the registry held, with a hole and a repeat, rebuilt at start.
    RecentFonts stored;
    stored.entry[0] = "A";
    stored.entry[1] = "";
    stored.entry[2] = "a";
    stored.entry[3] = "D";
    stored.Rebuild();
    EXPECT_EQ(std::vector<std::string>(stored.entry, stored.entry + 4), (std::vector<std::string>{"A", "D", "", ""}));
}

TEST(GlyphStartup, CommandLinePaths) {
    struct Case {
        const char *line, *path;
    } cases[] = {
        {"Glyphsmith.exe", ""},
        {"Glyphsmith.exe    ", ""},
        {"\"C:\\Program Files\\Glyphsmith.exe\" \"C:\\my fonts\\a.ft\"", "C:\\my fonts\\a.ft"},
        {"Glyphsmith.exe my font.ft", "my font.ft"},  // unquoted: the whole rest, blank included
        {"Glyphsmith.exe \"say \"\"hi\"\".ft\" extra", "say \"hi\".ft"},
        {"Glyphsmith.exe \"unclosed name.ft", "unclosed name.ft"},
    };
    for (const Case &c : cases) EXPECT_EQ(StartupPathFromCommandLine(c.line), c.path) << c.line;
    EXPECT_EQ(NewFontCaption(2), "(No Name 2)");
}

TEST(GlyphGrid, SizeCorrections) {
    struct Case {
        int cell, width, height, newCell, side;
    } cases[] = {
        {16, 300, 200, 18, 289},  // not square: the width decides
        {20, 200, 200, 20, 321},  // square: the cell stays
        {18, 250, 100, 16, 257},  // never below 16
    };
    for (const Case &c : cases) {
        int cell = CorrectGridCell(c.cell, c.width, c.height);
        EXPECT_EQ(cell, c.newCell) << c.width << "x" << c.height;
        EXPECT_EQ(GridClientSize(cell), c.side);
    }
}

TEST(GlyphGrid, CellsUnderThePointer) {
    EXPECT_EQ(CharAtPixel(0, 0, 16), 0);       // code 0's cell holds nothing
    EXPECT_EQ(CharAtPixel(16, 0, 16), 1);
    EXPECT_EQ(CharAtPixel(255, 255, 16), 255);
    EXPECT_EQ(CharAtPixel(256, 20, 16), 0);    // the closing line, not the next row
    EXPECT_EQ(CharAtPixel(20, 256, 16), 0);
    EXPECT_EQ(CharAtPixel(-3, 20, 16), 0);     // a captured pointer left of the grid
    EXPECT_EQ(CharAtPixel(18 * 3 + 1, 18 * 2, 18), 35);
}

TEST(GlyphGrid, ArrowKeysFollowTheRows) {
    struct Case {
        int code;
        GridKey key;
        int after;
    } cases[] = {{15, kGridRight, 15}, {14, kGridRight, 15}, {16, kGridLeft, 16},  {1, kGridLeft, 1},
                 {2, kGridLeft, 1},    {16, kGridUp, 16},    {17, kGridUp, 1},     {239, kGridDown, 255},
                 {240, kGridDown, 240}, {255, kGridRight, 255}, {31, kGridRight, 31}, {32, kGridRight, 33}};
    for (const Case &c : cases) EXPECT_EQ(MoveInGrid(c.code, c.key), c.after) << c.code << " key " << c.key;
}

TEST(GlyphTexts, StatusAndCaptions) {
    EXPECT_EQ(CharStatusText(65), "Ch#65 = A");
    EXPECT_EQ(CharStatusText(32), "Ch#32");
    EXPECT_EQ(CharStatusText(127), "Ch#127");
    EXPECT_EQ(CharStatusText(33), "Ch#33 = !");
    EXPECT_EQ(CharHoverText(66, 5), "Char #66 = B (width 5)");
    EXPECT_EQ(CharHoverText(200, 5), "Char #200 (width 5)");
    EXPECT_EQ(CharWindowCaption(126, 12, "(No Name 1)"), "Ch#126 = ~ (width = 12) from (No Name 1)");
    EXPECT_EQ(CharWindowCaption(10, 0, "f.ft"), "Ch#10 (width = 0) from f.ft");
    EXPECT_EQ(EditDialogCaption(97, "x"), "Edit char #97 = a from x");
    EXPECT_EQ(EditDialogCaption(1, "x"), "Edit char #1 from x");
    EXPECT_EQ(PositionText(-3, 40), "(-3,40)");
}

TEST(GlyphTextForm, StrokesAsLinesAndBack) {
    FChar c = Glyph(9, {{{0, 0}, {10, 0}}, {{5, 5}}, {}, {{-127, 127}}});
    const std::string text = StrokesToText(c);
    EXPECT_EQ(text, "0 0 10 0\r\n5 5\r\n\r\n-127 127");
    FChar back = Glyph(3, {{{1, 1}}});
    std::string message = "stale";
    ASSERT_TRUE(ParseCharText("9", text, back, message));
    EXPECT_EQ(message, "");
    EXPECT_EQ(back.GetWidth(), 9);
    EXPECT_EQ(Strokes(back), "0,0 10,0|5,5|-127,127");  // the empty stroke is not kept

    ASSERT_TRUE(ParseCharText("  ", "\n  1\t2   3 4  \r\n\r\n", back, message));
    EXPECT_EQ(back.GetWidth(), 0);
    EXPECT_EQ(Strokes(back), "1,2 3,4");
}

TEST(GlyphTextForm, BadTextsGiveAReasonAndKeepTheCharacter) {
    struct Case {
        const char *width, *strokes, *message;
    } cases[] = {
        {"5", "1 2 3", "Line 1: 3 has no partner; points are pairs \"x y\""},
        {"5", "0 0\r\nA 1 2", "Line 2: \"A\" is not a whole number"},
        {"5", "0 0 1 2x", "Line 1: \"2x\" is not a whole number"},
        {"5", "0 128", "Line 1: 128 lies outside -127..127"},
        {"5", "-128 0", "Line 1: -128 lies outside -127..127"},
        {"abc", "", "The width must be a whole number from 0 to 255, other than 128"},
        {"128", "", "The width must be a whole number from 0 to 255, other than 128"},
        {"256", "", "The width must be a whole number from 0 to 255, other than 128"},
        {"-1", "", "The width must be a whole number from 0 to 255, other than 128"},
    };
    for (const Case &c : cases) {
        FChar kept = Glyph(7, {{{1, 1}, {2, 2}}});
        std::string message;
        EXPECT_FALSE(ParseCharText(c.width, c.strokes, kept, message)) << c.strokes;
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(kept.GetWidth(), 7);
        EXPECT_EQ(Strokes(kept), "1,1 2,2");
    }
}

class Editor : public ::testing::Test {
protected:
    FChar ch;
    CharWindowSettings settings;
};

TEST_F(Editor, ClientSizesFollowTheCorrections) {
    CharEditor e(ch, settings);
    int w, h;
    e.CorrectSize(false, 264, 283, w, h);
    EXPECT_EQ(w, 161);
    EXPECT_EQ(h, 161);
    e.CorrectSize(true, 400, 300, w, h);
    EXPECT_EQ(e.settings.zoom, 3);
    EXPECT_EQ(w, 241);
    EXPECT_EQ(h, 241);
    e.CorrectSize(true, 100, 50, w, h);  // too small for zoom 2: stays 2
    EXPECT_EQ(e.settings.zoom, 2);

    // Settings with no area fall back rather than divide by zero.
    e.settings.maxX = e.settings.minX;
    e.CorrectSize(true, 300, 300, w, h);
    EXPECT_GT(e.settings.maxX, e.settings.minX);
    EXPECT_EQ(w, (e.settings.maxX - e.settings.minX) * e.settings.zoom + 1);
}

TEST_F(Editor, PixelsAndUnits) {
    CharEditor e(ch, settings);
    int x, y, px, py;
    e.PixelToUnit(0, 0, x, y);
    EXPECT_EQ(x, -20);
    EXPECT_EQ(y, 60);
    e.PixelToUnit(160, 160, x, y);
    EXPECT_EQ(x, 60);
    EXPECT_EQ(y, -20);
    e.PixelToUnit(41, 120, x, y);  // 41 + 1 = 42 pixels: 21 units
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 0);
    e.settings.zoom = 3;
    e.PixelToUnit(4, 4, x, y);  // (4 + 1) div 3
    EXPECT_EQ(x, -19);
    EXPECT_EQ(y, 59);
    e.UnitToPixel(0, 0, px, py);
    EXPECT_EQ(px, 60);
    EXPECT_EQ(py, 180);
}

TEST_F(Editor, PickPointByDistanceAndTies) {
    ch = Glyph(0, {{{0, 0}, {10, 0}}, {{20, 0}}});
    CharEditor e(ch, settings);
    e.currentStroke = 1;
    e.currentPoint = 0;
    EXPECT_FALSE(e.PickPoint(13, 0));  // 3 units from the nearest: too far for maxD 2
    EXPECT_EQ(e.currentStroke, 1);
    EXPECT_EQ(e.currentPoint, 0);
    EXPECT_TRUE(e.PickPoint(12, 0));  // distance squared 4 = maxD squared
    EXPECT_EQ(e.currentStroke, 0);
    EXPECT_EQ(e.currentPoint, 1);
    // A tie between stroke 0's (10,0) and the current stroke's (20,0).
    e.currentStroke = 1;
    EXPECT_FALSE(e.PickPoint(15, 0));
    e.settings.maxD = 5;
    e.currentStroke = 1;
    e.currentPoint = 0;
    EXPECT_TRUE(e.PickPoint(15, 0));
    EXPECT_EQ(e.currentStroke, 1) << "the current stroke wins ties";
    e.currentStroke = -1;
    EXPECT_TRUE(e.PickPoint(15, 0));
    EXPECT_EQ(e.currentStroke, 0) << "otherwise the lower stroke";
    EXPECT_EQ(e.currentPoint, 1);
    EXPECT_TRUE(e.PickPoint(0, 0));
    EXPECT_EQ(e.currentPoint, 0);
}

TEST_F(Editor, PickPointFarAwayAndWithHugeAccuracy) {
    ch = Glyph(0, {{{-127, -127}}, {}});
    CharEditor e(ch, settings);
    e.currentStroke = 1;  // an empty current stroke
    e.currentPoint = -1;
    // 381 units away: a start of 32768 would be beaten by nothing, and the
    // pick would report success without choosing a point.
    e.settings.maxD = 1000;
    EXPECT_TRUE(e.PickPoint(127, 127));
    EXPECT_EQ(e.currentStroke, 0);
    EXPECT_EQ(e.currentPoint, 0);
    e.settings.maxD = 2;
    e.currentStroke = 1;
    EXPECT_FALSE(e.PickPoint(1000, 1000));
    EXPECT_EQ(e.currentStroke, 1);
    FChar empty;
    CharEditor none(empty, settings);
    EXPECT_FALSE(none.PickPoint(0, 0));
    ch = Glyph(0, {{}, {}});  // strokes, but no points at all
    CharEditor hollow(ch, settings);
    hollow.settings.maxD = 1000;
    EXPECT_FALSE(hollow.PickPoint(0, 0));
    EXPECT_EQ(hollow.currentStroke, 0);
}

TEST_F(Editor, MovesStayWithinTheCoordinateLimit) {
    ch = Glyph(0, {{{120, 0}, {5, 5}}});
    CharEditor e(ch, settings);
    EXPECT_EQ(e.MoveCurrentPoint(10, 0), kEditNothing);  // Shift+Right: 130 is out
    EXPECT_EQ(e.MoveCurrentPoint(1, 0), kEditChanged);
    EXPECT_EQ(Strokes(ch), "121,0 5,5");
    EXPECT_EQ(e.MoveCurrentPoint(0, -127), kEditChanged);
    EXPECT_EQ(e.MoveCurrentPoint(0, -1), kEditNothing);  // -128 is the marker
    EXPECT_EQ(Strokes(ch), "121,-127 5,5");
    e.currentPoint = 5;  // stale: another window removed points
    EXPECT_EQ(e.MoveCurrentPoint(1, 1), kEditNothing);
}

TEST_F(Editor, StrokeCommandsAndStatus) {
    CharEditor e(ch, settings);
    EXPECT_EQ(e.StrokeStatus(), "0 strokes");
    EXPECT_EQ(e.PointStatus(), "");
    EXPECT_EQ(e.AddPoint(7, 7), kEditChanged);  // no stroke: a new one at (0, 0)
    EXPECT_EQ(Strokes(ch), "0,0");
    EXPECT_EQ(e.AddPoint(3, 4), kEditChanged);
    EXPECT_EQ(e.AddStroke(200, -300), kEditChanged);  // clamped into the limit
    EXPECT_EQ(Strokes(ch), "0,0 3,4|127,-127");
    EXPECT_EQ(e.StrokeStatus(), "S#2 of 2");
    EXPECT_EQ(e.PointStatus(), "P#1 of 1");
    EXPECT_EQ(e.NewPoint(), kEditChanged);  // beyond 127: clamped, never stored outside
    EXPECT_EQ(Strokes(ch), "0,0 3,4|127,-127 127,-126");

    EXPECT_EQ(e.StrokeDown(), kEditNothing);  // the last stroke
    EXPECT_EQ(e.StrokeUp(), kEditChanged);
    EXPECT_EQ(e.currentStroke, 0);
    EXPECT_EQ(Strokes(ch), "127,-127 127,-126|0,0 3,4");
    EXPECT_EQ(e.StrokeUp(), kEditNothing);
    EXPECT_EQ(e.PreviousStroke(), kEditNothing);
    EXPECT_EQ(e.NextStroke(), kEditSelection);
    EXPECT_EQ(e.currentStroke, 1);
    EXPECT_EQ(e.currentPoint, 0);
    EXPECT_EQ(e.NextStroke(), kEditNothing);
    EXPECT_EQ(e.NextPoint(), kEditSelection);
    EXPECT_EQ(e.PointStatus(), "P#2 of 2");
    EXPECT_EQ(e.NextPoint(), kEditNothing);
    EXPECT_EQ(e.PreviousPoint(), kEditSelection);
    EXPECT_EQ(e.PreviousPoint(), kEditNothing);

    EXPECT_EQ(e.DeleteStroke(), kEditChanged);  // the last one: the index drops
    EXPECT_EQ(e.currentStroke, 0);
    EXPECT_EQ(e.currentPoint, 0);
    EXPECT_EQ(e.DeleteStroke(), kEditChanged);
    EXPECT_EQ(e.currentStroke, -1);
    EXPECT_EQ(e.currentPoint, -1);
    EXPECT_EQ(e.StrokeStatus(), "0 strokes");
    EXPECT_EQ(e.DeleteStroke(), kEditNothing);
    EXPECT_EQ(e.NextStroke(), kEditNothing);

    EXPECT_EQ(e.NewStroke(), kEditChanged);
    EXPECT_EQ(e.StrokeStatus(), "S#1 of 1");
    e.currentPoint = -1;
    EXPECT_EQ(e.PointStatus(), "1 strokes");
}

TEST_F(Editor, PointDeletion) {
    ch = Glyph(0, {{{1, 1}, {2, 2}, {3, 3}}, {{9, 9}}});
    CharEditor e(ch, settings);
    e.currentPoint = 2;
    EXPECT_EQ(e.DeletePoint(), kEditChanged);
    EXPECT_EQ(e.currentPoint, 1);
    EXPECT_EQ(Strokes(ch), "1,1 2,2|9,9");
    e.currentPoint = 0;
    EXPECT_EQ(e.DeletePoint(), kEditChanged);
    EXPECT_EQ(e.currentPoint, 0);
    EXPECT_EQ(e.DeletePoint(), kEditChanged);  // the only point: the stroke goes
    EXPECT_EQ(Strokes(ch), "9,9");
    EXPECT_EQ(e.currentStroke, 0);
    EXPECT_EQ(e.DeletePoint(), kEditChanged);
    EXPECT_EQ(Strokes(ch), "");
    EXPECT_EQ(e.StrokeStatus(), "0 strokes");
    EXPECT_EQ(e.DeletePoint(), kEditNothing);
}

TEST_F(Editor, ASelectionMadeStaleByAnotherWindowDoesNothing) {
    ch = Glyph(0, {{{1, 1}}, {{2, 2}}});
    CharEditor e(ch, settings);
    e.currentStroke = 1;
    ch.strokes.pop_back();  // a second window deleted stroke 1
    EXPECT_EQ(e.StrokeStatus(), "1 strokes");
    for (auto command : {&CharEditor::DeleteStroke, &CharEditor::StrokeUp, &CharEditor::StrokeDown,
                         &CharEditor::DeletePoint, &CharEditor::NextPoint, &CharEditor::PreviousPoint,
                         &CharEditor::PreviousStroke})
        EXPECT_EQ((e.*command)(), kEditNothing);
    EXPECT_EQ(Strokes(ch), "1,1");
}

bool RenameOver(const char *from, const char *to) { return std::rename(from, to) == 0; }
bool RefuseReplace(const char *, const char *) { return false; }

std::vector<unsigned char> FileBytes(const std::string &path) {
    std::vector<unsigned char> b;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::getc(f)) != EOF;) b.push_back(static_cast<unsigned char>(c));
        std::fclose(f);
    }
    return b;
}

TEST(GlyphSave, ReplacesInOneStepOrLeavesTheOldFile) {
    const std::string path = ::testing::TempDir() + "glyph_save.ft";
    std::vector<FChar> font(kFontCharCount);
    font['x'] = Glyph(20, {{{0, 0}, {20, 20}}});
    ASSERT_EQ(SaveFontReplacing(path, font.data(), RenameOver), kFontFileOk);
    const std::vector<unsigned char> first = FileBytes(path);
    EXPECT_EQ(first, StrokeFontFile::Encode(font.data()));
    EXPECT_TRUE(FileBytes(path + ".tmp").empty());

    font['y'] = Glyph(5, {});
    EXPECT_EQ(SaveFontReplacing(path, font.data(), RefuseReplace), kFontFileWriteFailed);
    EXPECT_EQ(FileBytes(path), first) << "a failed replace leaves the old file whole";
    EXPECT_TRUE(FileBytes(path + ".tmp").empty());
    EXPECT_EQ(SaveFontReplacing(::testing::TempDir() + "no_such_folder/x.ft", font.data(), RenameOver),
              kFontFileCannotCreate);
    EXPECT_EQ(SaveFontReplacing("", font.data(), RenameOver), kFontFileCannotCreate);
    std::remove(path.c_str());
}

// What the main program's text layout hands to its sink.
struct Recorder : TextStrokeSink {
    std::string ops;
    void Point(double x, double y) override { ops += "P" + std::to_string(int(x)) + "," + std::to_string(int(y)) + " "; }
    void LineTo(double x, double y) override { ops += "L" + std::to_string(int(x)) + "," + std::to_string(int(y)) + " "; }
};

TEST(GlyphRoundTrip, ACharacterDrawnByClicksIsWhatTheMainProgramDraws) {
    std::vector<FChar> font(kFontCharCount);
    CharEditor e(font['Z'], CharWindowSettings());
    font['Z'].SetWidth(30);
    // Clicks at client pixels of the factory window (zoom 2, x from -20,
    // y from 60 down): shift-double-click starts a stroke, double-click adds.
    auto click = [&](int px, int py, bool newStroke) {
        int x, y;
        e.PixelToUnit(px, py, x, y);
        return newStroke ? e.AddStroke(x, y) : e.AddPoint(x, y);
    };
    click(40, 120, true);   // (0, 0)
    click(100, 120, false); // (30, 0)
    click(40, 20, true);    // (0, 50)
    click(100, 20, false);  // (30, 50)
    EXPECT_EQ(Strokes(font['Z']), "0,0 30,0|0,50 30,50");

    const std::string path = ::testing::TempDir() + "glyph_roundtrip.ft";
    ASSERT_EQ(SaveFontReplacing(path, font.data(), RenameOver), kFontFileOk);
    std::vector<FChar> reread(kFontCharCount);
    ASSERT_EQ(StrokeFontFile::Read(path.c_str(), reread.data()), kFontFileOk);
    EXPECT_EQ(Strokes(reread['Z']), "0,0 30,0|0,50 30,50");
    EXPECT_EQ(reread['Z'].GetWidth(), 30);

    gOutOfMemory = 0;
    FreeStrokeFontTable();
    ASSERT_NE(AllocStrokeFontTable(), 0);
    ASSERT_NE(LoadStrokeFontFile(3, path.c_str()), 0);
    // Size and radius 50: one font unit is one world unit.
    StrokeTextPlacement p{100, 200, 50, 50, 0, 3};
    Recorder sink;
    DrawStrokeText("Z", p, sink);
    EXPECT_EQ(sink.ops, "P100,200 L100,200 L130,200 P100,250 L100,250 L130,250 ");
    FreeStrokeFontTable();
    std::remove(path.c_str());
}

}  // namespace
