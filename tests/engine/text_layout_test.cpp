// Stroke-font text layout: the inline codes, the width of a text and the
// strokes handed to the sink, on a small font written with the font-file
// writer and loaded into the glyph table; broken glyph blocks and texts.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graphics_host.h"
#include "fontfile.h"
#include "graph_state.h"
#include "memory.h"
#include "platform_recorder.h"
#include "settings.h"
#include "stroke_font_table.h"
#include "text_layout.h"

namespace {

struct Op {
    char kind;  // 'P' point, 'L' line-to
    double x, y;
};

class RecordingSink : public TextStrokeSink {
public:
    std::vector<Op> ops;
    int abortAfter = -1;  // polls answered "go on" before the abort
    void Point(double x, double y) override { ops.push_back({'P', x, y}); }
    void LineTo(double x, double y) override { ops.push_back({'L', x, y}); }
    bool Aborted() override { return abortAfter >= 0 && abortAfter-- == 0; }
};

void ExpectOps(const std::vector<Op> &got, const std::vector<Op> &want, const char *text) {
    ASSERT_EQ(got.size(), want.size()) << text;
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].kind, want[i].kind) << text << " op " << i;
        EXPECT_NEAR(got[i].x, want[i].x, 1e-9) << text << " op " << i;
        EXPECT_NEAR(got[i].y, want[i].y, 1e-9) << text << " op " << i;
    }
}

FChar Glyph(int width, const std::vector<std::vector<std::pair<int, int>>> &strokes) {
    FChar c;
    c.SetWidth(width);
    for (const auto &s : strokes) {
        Stroke st;
        for (auto p : s) st.points.push_back({static_cast<signed char>(p.first),
                                              static_cast<signed char>(p.second)});
        c.strokes.push_back(st);
    }
    return c;
}

std::string gFontPaths[kStrokeFontCount];
int gLoaderCalls[kStrokeFontCount];

int TestLoader(int n) {
    ++gLoaderCalls[n];
    return LoadStrokeFontFile(n, gFontPaths[n].c_str());
}

class TextLayout : public ::testing::Test {
protected:
    EscapeMacro savedMacros[kEscapeMacroCount];
    GraphWindowState graph{};
    RecordingSink sink;

    void SetUp() override {
        gRecorder.Reset();
        gOutOfMemory = 0;  // an earlier test's failed batch would skip every AllocArray here
        FreeStrokeFontTable();
        std::memcpy(savedMacros, gEscapeMacros, sizeof savedMacros);
        std::memset(gLoaderCalls, 0, sizeof gLoaderCalls);
        gGraphicsHost.loadStrokeFont = TestLoader;
        for (int n = 0; n < kStrokeFontCount; ++n)
            gFontPaths[n] = ::testing::TempDir() + "text_layout_missing" + std::to_string(n) + ".ft";

        std::vector<FChar> font0(kFontCharCount), font2(kFontCharCount);
        font0['A'] = Glyph(20, {{{0, 0}, {10, 50}}});
        font0['B'] = Glyph(10, {{{5, 5}}});
        font0[' '] = Glyph(30, {});
        font0['2'] = Glyph(25, {{{0, 0}}});
        font0['y'] = Glyph(15, {{{0, 0}}});
        font0[92] = Glyph(7, {{{0, 0}, {7, 7}}});
        font0[169] = Glyph(11, {{{1, 1}}});
        font0[223] = Glyph(12, {{{2, 2}}});
        font0[0xE9] = Glyph(9, {});
        font0['N'] = Glyph(-10, {});  // a backspace: negative advance
        font2[92] = Glyph(40, {{{0, 0}, {40, 0}}});
        WriteFont(0, font0);
        WriteFont(2, font2);
    }
    void TearDown() override {
        gGraphicsHost.loadStrokeFont = nullptr;
        gCurrentGraph = nullptr;
        FreeStrokeFontTable();
        std::memcpy(gEscapeMacros, savedMacros, sizeof savedMacros);
        for (int n : {0, 2}) std::remove(gFontPaths[n].c_str());
    }
    void WriteFont(int n, const std::vector<FChar> &chars) {
        gFontPaths[n] = ::testing::TempDir() + "text_layout_font" + std::to_string(n) + ".ft";
        ASSERT_EQ(StrokeFontFile::Write(gFontPaths[n].c_str(), chars.data()), kFontFileOk);
    }
    void SetMacro(char c, const char *text) {
        for (EscapeMacro &m : gEscapeMacros)
            if (m.character == c) std::snprintf(m.text, sizeof m.text, "%s", text);
    }
    // Font units are world units: size and radius 50 give scales of 1.
    std::vector<Op> Draw(const char *text, double direction = 0, int steps = 0) {
        StrokeTextPlacement p{100, 200, 50, 50, direction, steps};
        sink.ops.clear();
        DrawStrokeText(text, p, sink);
        return sink.ops;
    }
};

TEST_F(TextLayout, GlyphsAdvanceAndShiftsMoveOnlyTheNextGlyph) {
    const std::vector<Op> ab = {{'P', 100, 200}, {'L', 100, 200}, {'L', 110, 250},
                                {'P', 125, 205}, {'L', 125, 205}};
    ExpectOps(Draw("AB"), ab, "AB");
    // +10 moves A and everything after it, but is not applied again to B.
    ExpectOps(Draw("\\+10AB"),
              {{'P', 110, 200}, {'L', 110, 200}, {'L', 120, 250}, {'P', 135, 205}, {'L', 135, 205}},
              "shift");
    ExpectOps(Draw("\\-10A"), {{'P', 90, 200}, {'L', 90, 200}, {'L', 100, 250}}, "shift back");
    // A glyph of width -10 steps back; a missing glyph advances by the shift only.
    ExpectOps(Draw("BNx\\+5qB"), {{'P', 105, 205}, {'L', 105, 205}, {'P', 110, 205}, {'L', 110, 205}},
              "backspace, missing");
    // Rotated by 90 degrees the base line points up: (X, Y) -> (x - Y, y + X).
    ExpectOps(Draw("AB", 90),
              {{'P', 100, 200}, {'L', 100, 200}, {'L', 50, 210}, {'P', 95, 225}, {'L', 95, 225}},
              "rotated");
    EXPECT_EQ(gRecorder.boxes.size(), 0u);
}

TEST_F(TextLayout, CodesFontsAndMacros) {
    struct Case {
        const char *text;
        std::vector<Op> ops;
    };
    const Op b0[] = {{'P', 105, 205}, {'L', 105, 205}};
    const Case cases[] = {
        // Font 2's glyph 92; \:12 is font 2 as well.
        {"H\\:2\\92", {{'P', 100, 200}, {'L', 100, 200}, {'L', 140, 200}}},
        {"\\:12\\92", {{'P', 100, 200}, {'L', 100, 200}, {'L', 140, 200}}},
        // Code 92 in font 0; \0x5c and \0134 are the same code; \. separates.
        {"\\92", {{'P', 100, 200}, {'L', 100, 200}, {'L', 107, 207}}},
        {"\\0x5c\\.B", {{'P', 100, 200}, {'L', 100, 200}, {'L', 107, 207}, {'P', 112, 205}, {'L', 112, 205}}},
        {"\\0134", {{'P', 100, 200}, {'L', 100, 200}, {'L', 107, 207}}},
        // The doubled backslash is the built-in macro for \92.
        {"\\\\", {{'P', 100, 200}, {'L', 100, 200}, {'L', 107, 207}}},
        // \A and \z: glyphs 169 and 223.
        {"\\A\\z", {{'P', 101, 201}, {'L', 101, 201}, {'P', 113, 202}, {'L', 113, 202}}},
        // A character that is neither code nor macro: itself (blank, high byte).
        {"\\ B", {{'P', 135, 205}, {'L', 135, 205}}},
        {"\\\xE9" "B", {{'P', 114, 205}, {'L', 114, 205}}},
        // A backslash at the very end: glyph 92.
        {"B\\", {b0[0], b0[1], {'P', 110, 200}, {'L', 110, 200}, {'L', 117, 207}}},
        // Superscript: raised 30 units, scales / 1.2; \0 resets, blanks after
        // a number belong to it, so y follows the 2 directly.
        {"x\\)2\\0 y", {{'P', 100, 225}, {'L', 100, 225}, {'P', 100 + 25 / 1.2, 200}, {'L', 100 + 25 / 1.2, 200}}},
        {"x\\)2\\0\\. y", {{'P', 100, 225}, {'L', 100, 225}, {'P', 130 + 25 / 1.2, 200}, {'L', 130 + 25 / 1.2, 200}}},
        // Subscript: lowered 20; \^ and \_ keep until \0; \* scales.
        {"\\_20\\*2B", {{'P', 110, 170}, {'L', 110, 170}}},
        {"\\^10 \\^5B\\0B", {{'P', 105, 220}, {'L', 105, 220}, {'P', 115, 205}, {'L', 115, 205}}},
    };
    for (const Case &c : cases) ExpectOps(Draw(c.text), c.ops, c.text);
    EXPECT_EQ(gLoaderCalls[2], 1);  // tried once, then never again
    EXPECT_EQ(gRecorder.boxes.size(), 0u);
}

TEST_F(TextLayout, MacrosExpandOnceAndNestTenDeep) {
    SetMacro('!', "B\\!");  // names itself: the inner one is ignored
    ExpectOps(Draw("\\!B"), {{'P', 105, 205}, {'L', 105, 205}, {'P', 115, 205}, {'L', 115, 205}}, "self");
    SetMacro('!', "B\\");  // a backslash at the end of a macro ends the macro
    ExpectOps(Draw("\\!B"), {{'P', 105, 205}, {'L', 105, 205}, {'P', 115, 205}, {'L', 115, 205}}, "open");
    SetMacro('!', "");
    ExpectOps(Draw("\\!B"), {{'P', 105, 205}, {'L', 105, 205}}, "empty");
    // A chain of macros each naming the next; the last draws B.
    const char chain[] = "!\"#$%&',;<=";
    auto build = [&](int levels) {
        for (int i = 0; i + 1 < levels; ++i) {
            char t[3] = {'\\', chain[i + 1], 0};
            SetMacro(chain[i], t);
        }
        SetMacro(chain[levels - 1], "B");
    };
    build(10);
    ExpectOps(Draw("\\!B"), {{'P', 105, 205}, {'L', 105, 205}, {'P', 115, 205}, {'L', 115, 205}}, "ten");
    build(11);
    ExpectOps(Draw("\\!B"), {{'P', 105, 205}, {'L', 105, 205}}, "eleven");
}

TEST_F(TextLayout, MeasureInUnitsOfTheRadius) {
    EXPECT_DOUBLE_EQ(MeasureStrokeText("AB", 0), 0.6);
    EXPECT_DOUBLE_EQ(MeasureStrokeText("\\+10A", 0), 0.6);
    EXPECT_DOUBLE_EQ(MeasureStrokeText("A\\*2B", 0), 0.8);
    EXPECT_DOUBLE_EQ(MeasureStrokeText("A\\:12\\92", 0), 1.2);
    EXPECT_DOUBLE_EQ(MeasureStrokeText("", 0), 1e6);
    EXPECT_DOUBLE_EQ(MeasureStrokeText("xyz", 10), 0.3);  // only y exists; font 10 is 0
    EXPECT_DOUBLE_EQ(MeasureStrokeText(nullptr, 0), 1.0);
    // No table and no way to read one.
    FreeStrokeFontTable();
    gGraphicsHost.loadStrokeFont = nullptr;
    EXPECT_DOUBLE_EQ(MeasureStrokeText("AB", 0), 0.0);
    EXPECT_TRUE(Draw("AB").empty());
}

TEST_F(TextLayout, ZeroSizesBecomeTwelvePixelsAndStay) {
    graph.xMin = 0, graph.xMax = 100, graph.clientMaxX = 400;
    graph.yMin = -50, graph.yMax = 50, graph.clientMaxY = 200;
    gCurrentGraph = &graph;
    char text[] = "A";
    GraphicsElement e{};
    e.kind = kElementText;
    e.x = 1, e.y = 2;
    e.text1 = text;
    DrawElementText(e, sink);
    EXPECT_DOUBLE_EQ(e.size, 6);
    EXPECT_DOUBLE_EQ(e.radius, 3);
    ExpectOps(sink.ops, {{'P', 1, 2}, {'L', 1, 2}, {'L', 1.6, 8}}, "default size");
    // The stored sizes are kept: the same strokes in another window.
    graph.clientMaxX = graph.clientMaxY = 10;
    sink.ops.clear();
    DrawElementText(e, sink);
    ExpectOps(sink.ops, {{'P', 1, 2}, {'L', 1, 2}, {'L', 1.6, 8}}, "kept size");
    EXPECT_DOUBLE_EQ(MeasureElementText(e), 0.4);
    e.kind = kElementData;
    EXPECT_DOUBLE_EQ(MeasureElementText(e), 1.0);
}

TEST_F(TextLayout, MissingFontsDrawNothingAndAreTriedOnce) {
    EXPECT_TRUE(Draw("AB", 0, 5).empty());
    EXPECT_DOUBLE_EQ(MeasureStrokeText("AB", 5), 1e6);
    EXPECT_TRUE(Draw("\\:7AB").empty());
    EXPECT_TRUE(Draw("\\:7AB").empty());
    EXPECT_EQ(gLoaderCalls[5], 1);
    EXPECT_EQ(gLoaderCalls[7], 1);
    EXPECT_EQ(gRecorder.boxes.size(), 2u);  // each missing file told once
    sink.abortAfter = 1;                    // Esc after the first glyph
    ExpectOps(Draw("BBB"), {{'P', 105, 205}, {'L', 105, 205}}, "abort");
}

// Texts that end inside a code or carry absurd numbers: no crash, nothing
// drawn out of place, and the layout goes on where it can.
TEST_F(TextLayout, MalformedTexts) {
    struct Case {
        const char *text;
        double width;  // MeasureStrokeText
    };
    const Case cases[] = {
        {"\\", 0.14},                 // glyph 92
        {"\\:", 1e6},                 // font 0, nothing to draw
        {"\\:B", 0.2},
        {"\\^", 1e6},
        {"\\_B", 0.2},
        {"\\-", 1e6},
        {"\\+B", 0.2},
        {"\\*", 1e6},
        {"\\/B", 0.2},
        {"\\/0B", 0.2},               // division by 0 ignored
        {"\\*1e400B", 0.2},           // an infinite factor ignored
        {"\\*1e300\\*1e300B", 0.2e300},  // the overflowing second factor ignored
        {"\\:-2147483648B", 1e6},     // saturated: font 7, not there
        {"\\99999999999999", 1e6},    // saturates to 0x7FFFFFFF: low byte 255, missing
        {"\\256B", 1e6},              // low byte 0 ends the text
        {"\\+2147483647\\+2147483647B", (10.0 + 2147483647) * 0.02},
        {"\\_2147483647\\_2147483647\\_9B", 0.2},
        {"\\0x", 1e6},                // reset, then x (missing)
    };
    for (const Case &c : cases) {
        EXPECT_DOUBLE_EQ(MeasureStrokeText(c.text, 0), c.width) << c.text;
        for (const Op &op : Draw(c.text, 30)) {
            EXPECT_TRUE(std::isfinite(op.x) && std::isfinite(op.y)) << c.text;
        }
    }
    // Lowered to the int32 limit, not wrapped round to the top.
    ExpectOps(Draw("\\_2147483647\\_2147483647\\_9B"),
              {{'P', 105, 200 + (5.0 - 2147483648.0)}, {'L', 105, 200 + (5.0 - 2147483648.0)}},
              "clamped");
    // Huge sizes: no crash.
    StrokeTextPlacement p{0, 0, 1e308, 1e308, 45, 0};
    DrawStrokeText("ABABAB", p, sink);
}

// Glyph blocks as a broken file may leave them: strokes cut short, points
// before any stroke, markers where points belong. ASan catches any read
// past a block.
TEST_F(TextLayout, OddGlyphBlocksStayInside) {
    ASSERT_EQ(AllocStrokeFontTable(), 1);
    gStrokeFontTable->loadAttempted[0] = 1;
    struct Case {
        std::vector<unsigned char> record;  // width byte through end pair
        std::vector<Op> ops;
    };
    const Case cases[] = {
        {{5, 0x80, 0x80}, {}},
        {{0x80, 0x80}, {}},                                   // width 0x80 ends it
        {{5, 0x80, 1, 0x80, 0x80}, {}},                       // lone x before the end
        {{5, 0x80, 1, 2, 3, 0x80, 0x80}, {{'P', 101, 202}, {'L', 101, 202}}},  // half a point
        {{5, 3, 4, 0x80, 1, 2, 0x80, 0x80},                   // a point before any marker
         {{'P', 103, 204}, {'L', 103, 204}, {'P', 101, 202}, {'L', 101, 202}}},
        {{5, 0x80, 0x80, 0x80, 0x80}, {}},
        // A y of -128 before a marker ends the record there; elsewhere it is a y.
        {{5, 0x80, 1, 0xFF, 2, 0x80, 0x80}, {{'P', 101, 199}, {'L', 101, 199}}},
        {{5, 0x80, 1, 0x80, 2, 3, 0x80, 0x80}, {{'P', 101, 72}, {'L', 101, 72}, {'L', 102, 203}}},
    };
    for (const Case &c : cases) {
        unsigned char *&slot = gStrokeFontTable->glyph[0]['C'];
        AllocArray(slot, c.record.size() + 2);
        ASSERT_NE(slot, nullptr);
        std::memcpy(slot, c.record.data(), c.record.size());
        slot[c.record.size()] = slot[c.record.size() + 1] = 0x80;
        ExpectOps(Draw("C"), c.ops, "odd glyph");
    }
}

}  // namespace
