// The main program's stroke-font table: reading font files into glyph
// blocks, the messages for missing and broken files, and the tried marks.
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "fontfile.h"
#include "memory.h"
#include "platform_recorder.h"
#include "string_ids.h"
#include "stroke_font_table.h"
#include "test_heap.h"

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kFixture = VR_SOURCE_DIR "/tests/data/fonts/sample.ft";

Bytes WithHeader(const Bytes &body) {
    Bytes b(StrokeFontFile::kHeader, StrokeFontFile::kHeader + kFontHeaderSize);
    for (unsigned char c : body) b.push_back(c);
    return b;
}

// A glyph block as stored: the record and the two guard bytes.
Bytes Stored(const Bytes &record) {
    Bytes b = record;
    b.push_back(0x80);
    b.push_back(0x80);
    return b;
}

class StrokeFontTableTest : public ::testing::Test {
protected:
    std::string path = ::testing::TempDir() + "font_table_test.ft";

    void SetUp() override {
        gRecorder.Reset();
        gOutOfMemory = 0;
        FreeStrokeFontTable();
    }
    void TearDown() override {
        FailHeapAfter(-1);
        FreeStrokeFontTable();
        std::remove(path.c_str());
        gOutOfMemory = 0;
    }
    void WriteFont(const Bytes &b) {
        FILE *f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        if (!b.empty()) std::fwrite(b.data(), 1, b.size(), f);
        std::fclose(f);
    }
    std::vector<int> BoxIds() const {
        std::vector<int> ids;
        for (const RecordedBox &b : gRecorder.boxes) ids.push_back(b.helpId);
        return ids;
    }
};

// The block of a glyph read from a record of known length.
Bytes Block(int n, int c, size_t recordLength) {
    const unsigned char *g = gStrokeFontTable->glyph[n][c];
    if (!g) return {};
    return Bytes(g, g + recordLength + 2);
}

TEST_F(StrokeFontTableTest, FixtureLoadsEveryRecordAsItsBytes) {
    ASSERT_NE(LoadStrokeFontFile(2, kFixture.c_str()), 0);
    EXPECT_TRUE(gRecorder.boxes.empty());
    EXPECT_EQ(gStrokeFontTable->loadAttempted[2], 1);
    EXPECT_EQ(gStrokeFontTable->loadAttempted[1], 0);
    // A width with no strokes is three bytes.
    EXPECT_EQ(Block(2, ' ', 3), Stored({0x1E, 0x80, 0x80}));
    EXPECT_EQ(Block(2, 'A', 15), Stored({0x32, 0x80, 0x00, 0x00, 0x14, 0x32, 0x28, 0x00, 0x80, 0x08, 0x14,
                                         0x20, 0x14, 0x80, 0x80}));
    EXPECT_EQ(Block(2, 255, 8), Stored({0x2C, 0x80, 0x81, 0x7F, 0x7F, 0x81, 0x80, 0x80}));
    int defined = 0;
    for (int n = 0; n < kStrokeFontCount; ++n)
        for (int c = 0; c < kStrokeFontSlots; ++c) defined += gStrokeFontTable->glyph[n][c] != nullptr;
    EXPECT_EQ(defined, 5);

    FreeStrokeFonts();
    ASSERT_NE(gStrokeFontTable, nullptr);
    EXPECT_EQ(gStrokeFontTable->glyph[2]['A'], nullptr);
    EXPECT_EQ(gStrokeFontTable->loadAttempted[2], 1);
}

// Every malformed file: result, message, and which glyphs stay. Nothing is
// read or written outside the record buffer and the blocks (ASan).
TEST_F(StrokeFontTableTest, MalformedFiles) {
    const Bytes header = WithHeader({});
    Bytes crlf(header.begin(), header.end() - 1);
    crlf.insert(crlf.end(), {'\r', '\n', 65, 5, 0x80, 0x80, 0});
    Bytes wrongMagic = WithHeader({65, 5, 0x80, 0x80, 0});
    wrongMagic[1] = 'U';
    Bytes lastCharacter = WithHeader({65, 5, 0x80, 0x80, 0});
    lastCharacter[45] = '}';
    // Records of 1,023 bytes (the limit) and of 1,024.
    Bytes longest = {66, 1, 0x80};
    while (longest.size() < 1 + 1023 - 2) longest.push_back(7);
    longest.insert(longest.end(), {0x80, 0x80});
    Bytes tooLong = longest;
    tooLong.insert(tooLong.end() - 2, 7);
    auto cat = [](Bytes a, const Bytes &b) { a.insert(a.end(), b.begin(), b.end()); return a; };

    const Bytes good = {65, 5, 0x80, 1, 2, 0x80, 0x80};
    const struct {
        const char *what;
        Bytes file;
        int result;
        bool invalidBox;
        std::vector<int> defined;  // codes of font 4 with glyphs afterwards
    } cases[] = {
        {"empty file", {}, 0, true, {}},
        {"short header", Bytes(header.begin(), header.begin() + 30), 0, true, {}},
        {"wrong magic", wrongMagic, 0, true, {}},
        {"difference in the 46th byte", lastCharacter, 0, true, {}},
        {"CR LF header", crlf, 0, true, {}},
        {"header only: no terminator", header, 0, true, {}},
        {"terminator right away", WithHeader({0}), 1, false, {}},
        {"good glyph", WithHeader(cat(good, {0})), 1, false, {65}},
        {"cut after a good glyph", WithHeader(good), 0, true, {65}},
        {"cut inside the second record", WithHeader(cat(good, {66, 3, 0x80, 1})), 0, true, {65}},
        {"end pair never comes", WithHeader(cat(good, {66, 3, 0x80, 1, 2, 0x80, 1, 2, 0x80})), 0, true, {65}},
        {"record of 1023 bytes", WithHeader(cat(longest, {0})), 1, false, {66}},
        {"record of 1024 bytes", WithHeader(cat(tooLong, {0})), 0, true, {}},
        {"width 128 then a marker ends the record", WithHeader({67, 0x80, 0x80, 0}), 1, false, {67}},
        {"y of -128 then a marker ends the record early",
         WithHeader({65, 9, 0x80, 1, 0x80, 0x80, 0x05, 0x06, 0x80, 0x80, 0}), 1, false, {5, 65}},
    };
    for (const auto &c : cases) {
        SetUp();
        WriteFont(c.file);
        EXPECT_EQ(LoadStrokeFontFile(4, path.c_str()), c.result) << c.what;
        EXPECT_EQ(BoxIds(), c.invalidBox ? std::vector<int>{IDS_INVALID_FONT_FILE} : std::vector<int>{})
            << c.what;
        ASSERT_NE(gStrokeFontTable, nullptr) << c.what;
        EXPECT_EQ(gStrokeFontTable->loadAttempted[4], 1) << c.what;
        std::vector<int> defined;
        for (int code = 0; code < kStrokeFontSlots; ++code)
            if (gStrokeFontTable->glyph[4][code]) defined.push_back(code);
        EXPECT_EQ(defined, c.defined) << c.what;
    }
    if (!HasFailure()) {
        // The early end leaves a glyph that stops at the guard for a reader
        // that takes (1, -128) for a point.
        EXPECT_EQ(Block(4, 65, 5), Stored({9, 0x80, 1, 0x80, 0x80}));
        EXPECT_EQ(Block(4, 5, 3), Stored({6, 0x80, 0x80}));
    }
}

TEST_F(StrokeFontTableTest, RepeatedCodeKeepsTheLastRecord) {
    WriteFont(WithHeader({65, 5, 0x80, 1, 2, 0x80, 0x80, 65, 6, 0x80, 0x80, 0}));
    ASSERT_EQ(LoadStrokeFontFile(0, path.c_str()), 1);
    EXPECT_EQ(Block(0, 65, 3), Stored({6, 0x80, 0x80}));
}

TEST_F(StrokeFontTableTest, MissingNamesAndFilesAreReportedButNotAsInvalid) {
    EXPECT_EQ(LoadStrokeFontFile(1, ""), 0);
    EXPECT_EQ(LoadStrokeFontFile(3, nullptr), 0);
    ASSERT_EQ(gRecorder.boxes.size(), 2u);
    EXPECT_EQ(gRecorder.boxes[0].helpId, IDS_NO_FONT_FILE);
    EXPECT_NE(gRecorder.boxes[0].text.find("No font file"), std::string::npos);

    gRecorder.Reset();
    const std::string missing = ::testing::TempDir() + "no-such-font.ft";
    EXPECT_EQ(LoadStrokeFontFile(5, missing.c_str()), 0);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_NE(gRecorder.boxes[0].text.find(missing), std::string::npos) << gRecorder.boxes[0].text;
    EXPECT_EQ(gRecorder.boxes[0].text.find("Invalid font file"), std::string::npos);
    EXPECT_EQ(gRecorder.boxes[0].caption, "Vantorel Error");

    // The table was made on the way, and every attempt is marked.
    ASSERT_NE(gStrokeFontTable, nullptr);
    for (int n : {1, 3, 5}) EXPECT_EQ(gStrokeFontTable->loadAttempted[n], 1) << n;
    EXPECT_EQ(LoadStrokeFontFile(10, kFixture.c_str()), 0);
    EXPECT_EQ(LoadStrokeFontFile(-1, kFixture.c_str()), 0);
}

TEST_F(StrokeFontTableTest, RunningOutOfMemoryStopsWithTheMemoryMessageOnly) {
    ASSERT_EQ(AllocStrokeFontTable(), 1);
    // The table exists; the second glyph block fails.
    FailHeapAfter(1);
    EXPECT_EQ(LoadStrokeFontFile(6, kFixture.c_str()), 0);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].helpId, IDS_NOT_ENOUGH_MEMORY);
    EXPECT_NE(gStrokeFontTable->glyph[6][' '], nullptr);
    EXPECT_EQ(gStrokeFontTable->glyph[6]['-'], nullptr);
    EXPECT_EQ(gStrokeFontTable->glyph[6]['A'], nullptr);
    EXPECT_EQ(gStrokeFontTable->loadAttempted[6], 1);

    // The next load starts with the flag cleared.
    gRecorder.Reset();
    EXPECT_EQ(LoadStrokeFontFile(7, kFixture.c_str()), 1);
    EXPECT_TRUE(gRecorder.boxes.empty());

    // No table and no memory for one: nothing to mark.
    FreeStrokeFontTable();
    gRecorder.Reset();
    FailHeapAfter(0, 2);
    EXPECT_EQ(LoadStrokeFontFile(8, kFixture.c_str()), 0);
    EXPECT_EQ(gStrokeFontTable, nullptr);
    EXPECT_EQ(BoxIds(), std::vector<int>{IDS_NOT_ENOUGH_MEMORY});
}

// The strokes of a glyph block, each a list of (x, y).
using Strokes = std::vector<std::vector<std::pair<int, int>>>;
Strokes StrokesOf(const unsigned char *g) {
    Strokes out;
    for (size_t i = 1; !(g[i] == 0x80 && g[i + 1] == 0x80);) {
        if (g[i] == 0x80) {
            out.emplace_back();
            ++i;
            continue;
        }
        out.back().emplace_back(static_cast<signed char>(g[i]), static_cast<signed char>(g[i + 1]));
        i += 2;
    }
    return out;
}

// The font beside the program: every printable character, read alike by the
// program and the font editor, its ink inside the editor's design square and
// its own advance (so that neighbours never touch), digits of one advance
// and exactly 40 units tall, the height by which the axes centre their
// labels on the ticks.
TEST_F(StrokeFontTableTest, TheShippedFontHoldsEveryPrintableCharacterInsideItsAdvance) {
    const std::string shipped = VR_SOURCE_DIR "/resources/fonts/Plain.ft";
    ASSERT_EQ(LoadStrokeFontFile(0, shipped.c_str()), 1);
    EXPECT_TRUE(gRecorder.boxes.empty());
    std::vector<FChar> edited(kFontCharCount);
    ASSERT_EQ(StrokeFontFile::Read(shipped.c_str(), edited.data()), kFontFileOk);

    for (int c = 1; c < kStrokeFontSlots; ++c) {
        const unsigned char *g = gStrokeFontTable->glyph[0][c];
        if (c < ' ' || c > '~') {
            EXPECT_EQ(g, nullptr) << c;
            continue;
        }
        ASSERT_NE(g, nullptr) << static_cast<char>(c);
        const int advance = static_cast<signed char>(g[0]);
        EXPECT_GT(advance, 0) << static_cast<char>(c);
        EXPECT_EQ(edited[c].GetWidth(), advance) << static_cast<char>(c);
        const Strokes strokes = StrokesOf(g);
        EXPECT_EQ(strokes.empty(), c == ' ') << static_cast<char>(c);
        ASSERT_EQ(edited[c].strokes.size(), strokes.size()) << static_cast<char>(c);
        int low = 127, high = -127;
        for (size_t s = 0; s < strokes.size(); ++s) {
            ASSERT_EQ(edited[c].strokes[s].points.size(), strokes[s].size()) << static_cast<char>(c);
            for (size_t i = 0; i < strokes[s].size(); ++i) {
                const auto [x, y] = strokes[s][i];
                EXPECT_EQ(edited[c].strokes[s].points[i].x, x) << static_cast<char>(c);
                EXPECT_EQ(edited[c].strokes[s].points[i].y, y) << static_cast<char>(c);
                EXPECT_TRUE(x >= 0 && x <= advance && y >= kDesignMin && y <= kDesignMax)
                    << static_cast<char>(c) << " (" << x << ", " << y << ")";
                low = std::min(low, y);
                high = std::max(high, y);
            }
        }
        if (c >= '0' && c <= '9') {
            EXPECT_EQ(advance, static_cast<signed char>(gStrokeFontTable->glyph[0]['0'][0])) << static_cast<char>(c);
            EXPECT_EQ(low, 0) << static_cast<char>(c);
            EXPECT_EQ(high, 40) << static_cast<char>(c);
        }
    }
}

}  // namespace
