// Stroke-font files: the bytes the writer produces, reading them back, the
// fixture font of the source tree, and malformed files.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fontfile.h"

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kHeader(StrokeFontFile::kHeader, kFontHeaderSize);
const std::string kFixture = VR_SOURCE_DIR "/tests/data/fonts/sample.ft";

struct Font {
    FChar chars[kFontCharCount];
};

Stroke MakeStroke(std::initializer_list<std::pair<int, int>> points) {
    Stroke s;
    for (auto p : points) {
        Spoint sp;
        sp.x = static_cast<signed char>(p.first);
        sp.y = static_cast<signed char>(p.second);
        s.points.push_back(sp);
    }
    return s;
}

Bytes WithHeader(const Bytes &body) {
    Bytes b(kHeader.begin(), kHeader.end());
    for (unsigned char c : body) b.push_back(c);
    return b;
}

// "x,y x,y|x,y" per stroke, "w" first: a readable picture of a character.
std::string Describe(const FChar &c) {
    std::string s = std::to_string(c.GetWidth()) + ":";
    for (size_t i = 0; i < c.strokes.size(); ++i) {
        if (i) s += "|";
        for (size_t j = 0; j < c.strokes[i].points.size(); ++j) {
            const Spoint &p = c.strokes[i].points[j];
            s += (j ? " " : "") + std::to_string(p.x) + "," + std::to_string(p.y);
        }
    }
    return s;
}

Bytes ReadFileBytes(const std::string &path) {
    Bytes b;
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return b;
    int c;
    while ((c = std::getc(f)) != EOF) b.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
    return b;
}

void WriteFileBytes(const std::string &path, const Bytes &b) {
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

std::string TempPath(const char *name) { return ::testing::TempDir() + name; }

TEST(StrokeFontFile, HeaderLineIsFortySevenBytesEndingInALineFeed) {
    EXPECT_EQ(kHeader, "QVR 1.00 Font  (C) Quorvalestrandmoleck (2026)\n");
    EXPECT_EQ(kHeader.size(), 47u);
}

TEST(StrokeFontFile, WriterPinsTheRecordBytes) {
    Font f;
    // Width only; width 0 with only empty strokes; a negative point and a
    // dot; a width beyond a byte; empty strokes between strokes are dropped.
    f.chars[32].SetWidth(7);
    f.chars[33].strokes.resize(2);
    f.chars[65].SetWidth(50);
    f.chars[65].strokes = {MakeStroke({{-1, 5}, {20, 50}}), Stroke(), MakeStroke({{3, 4}})};
    f.chars[255].SetWidth(300);
    f.chars[255].strokes = {MakeStroke({{127, -127}})};
    const Bytes expected = WithHeader({
        32, 0x07, 0x80, 0x80,
        33, 0x00, 0x80, 0x80,
        65, 50, 0x80, 0xFF, 0x05, 20, 50, 0x80, 3, 4, 0x80, 0x80,
        255, 44, 0x80, 0x7F, 0x81, 0x80, 0x80,
        0x00});
    EXPECT_EQ(StrokeFontFile::Encode(f.chars), expected);
}

TEST(StrokeFontFile, EmptyFontIsTheHeaderAndAZero) {
    Font f;
    const Bytes bytes = StrokeFontFile::Encode(f.chars);
    EXPECT_EQ(bytes, WithHeader({0x00}));
    EXPECT_EQ(bytes.size(), 48u);
    Font back;
    back.chars[9].SetWidth(3);  // reading clears what was there
    ASSERT_EQ(StrokeFontFile::Decode(bytes.data(), bytes.size(), back.chars), kFontFileOk);
    for (int c = 1; c < kFontCharCount; ++c) EXPECT_TRUE(back.chars[c].IsEmpty()) << c;
}

TEST(StrokeFontFile, RoundTripThroughAFileKeepsEveryByte) {
    Font f;
    for (int code : {1, 2, 65, 97, 128, 200, 255}) {
        FChar &c = f.chars[code];
        c.SetWidth(code % 90 + 1);
        for (int s = 0; s < code % 5 + 1; ++s) {
            Stroke st;
            for (int p = 0; p <= s * 3; ++p) {
                Spoint pt;
                pt.x = static_cast<signed char>((code * 7 + p * 13) % 255 - 127);
                pt.y = static_cast<signed char>((code * 11 - p * 17 + s) % 255 - 127);
                st.points.push_back(pt);
            }
            c.strokes.push_back(st);
        }
    }
    const std::string path = TempPath("roundtrip.ft");
    ASSERT_EQ(StrokeFontFile::Write(path.c_str(), f.chars), kFontFileOk);
    const Bytes written = ReadFileBytes(path);
    EXPECT_EQ(written, StrokeFontFile::Encode(f.chars));

    Font back;
    ASSERT_EQ(StrokeFontFile::Read(path.c_str(), back.chars), kFontFileOk);
    for (int c = 1; c < kFontCharCount; ++c) EXPECT_EQ(Describe(back.chars[c]), Describe(f.chars[c])) << c;
    ASSERT_EQ(StrokeFontFile::Write(path.c_str(), back.chars), kFontFileOk);
    EXPECT_EQ(ReadFileBytes(path), written);
    std::remove(path.c_str());
}

TEST(StrokeFontFile, FixtureReadsAsDrawnAndWritesBackUnchanged) {
    const Bytes original = ReadFileBytes(kFixture);
    ASSERT_FALSE(original.empty()) << kFixture;
    Font f;
    ASSERT_EQ(StrokeFontFile::Read(kFixture.c_str(), f.chars), kFontFileOk);
    EXPECT_EQ(Describe(f.chars[' ']), "30:");
    EXPECT_EQ(Describe(f.chars['-']), "40:5,25 35,25|20,40");
    EXPECT_EQ(Describe(f.chars['A']), "50:0,0 20,50 40,0|8,20 32,20");
    EXPECT_EQ(Describe(f.chars['g']), "45:35,30 35,-15 25,-20 5,-20");
    EXPECT_EQ(Describe(f.chars[255]), "44:-127,127 127,-127");
    int defined = 0;
    for (int c = 1; c < kFontCharCount; ++c) defined += !f.chars[c].IsEmpty();
    EXPECT_EQ(defined, 5);
    EXPECT_EQ(StrokeFontFile::Encode(f.chars), original);
}

// Every malformed input is read without touching memory outside the font
// (the host tree runs this under AddressSanitizer) and gives what a user
// would expect: refused before anything changes, or the complete part kept.
TEST(StrokeFontFile, MalformedInputs) {
    const Bytes h(kHeader.begin(), kHeader.end());
    Bytes crlf(kHeader.begin(), kHeader.end() - 1);
    crlf.push_back('\r');
    crlf.push_back('\n');
    Bytes longLine(kHeader.begin(), kHeader.end() - 1);
    longLine.insert(longLine.end(), {' ', ' ', '\n'});
    Bytes noNewline(kHeader.begin(), kHeader.end() - 1);
    noNewline.insert(noNewline.end(), 10, 'x');
    Bytes wrongMagic = h;
    wrongMagic[0] = 'X';
    Bytes lateDifference = h;
    lateDifference[45] = ']';
    Bytes zeroInHeader = h;
    zeroInHeader[10] = 0;
    auto body = [&](Bytes b) { return WithHeader(b); };
    const struct {
        const char *what;
        Bytes bytes;
        FontFileResult result;
        int code;
        const char *expected;  // Describe() of that character; "" = untouched
    } cases[] = {
        {"empty file", {}, kFontFileNotAFontFile, 65, ""},
        {"short header", Bytes(h.begin(), h.begin() + 20), kFontFileNotAFontFile, 65, ""},
        {"header without its line feed", Bytes(h.begin(), h.end() - 1), kFontFileNotAFontFile, 65, ""},
        {"CR LF header", crlf, kFontFileNotAFontFile, 65, ""},
        {"longer first line", longLine, kFontFileNotAFontFile, 65, ""},
        {"no line feed at all", noNewline, kFontFileNotAFontFile, 65, ""},
        {"wrong magic", wrongMagic, kFontFileNotAFontFile, 65, ""},
        {"difference in the last character", lateDifference, kFontFileNotAFontFile, 65, ""},
        {"NUL in the header", zeroInHeader, kFontFileNotAFontFile, 65, ""},
        {"header only, no terminator", h, kFontFileOk, 65, "0:"},
        {"cut after the code", body({65}), kFontFileOk, 65, "0:"},
        {"cut after the width", body({65, 9}), kFontFileOk, 65, "9:"},
        {"cut after the marker", body({65, 9, 0x80}), kFontFileOk, 65, "9:"},
        {"cut inside a first point", body({65, 9, 0x80, 1}), kFontFileOk, 65, "9:"},
        {"cut inside a later point", body({65, 9, 0x80, 1, 2, 3}), kFontFileOk, 65, "9:1,2"},
        {"cut inside the end pair", body({65, 9, 0x80, 1, 2, 3, 4, 0x80}), kFontFileOk, 65, "9:1,2 3,4"},
        {"points before the first marker", body({65, 9, 1, 2, 0x80, 3, 4, 0x80, 0x80, 0}), kFontFileOk, 65,
         "9:1,2|3,4"},
        {"y of -128 is a coordinate", body({65, 9, 0x80, 1, 0x80, 0x80, 0x80, 0}), kFontFileOk, 65, "9:1,-128"},
        {"repeated code adds strokes", body({65, 9, 0x80, 1, 2, 0x80, 0x80, 65, 4, 0x80, 3, 4, 0x80, 0x80, 0}),
         kFontFileOk, 65, "4:1,2|3,4"},
        {"bytes after the terminator ignored", body({65, 9, 0x80, 0x80, 0, 66, 1, 0x80, 0x80}), kFontFileOk, 66,
         "0:"},
        {"code 0 right away", body({0, 65, 9}), kFontFileOk, 65, "0:"},
    };
    for (const auto &c : cases) {
        Font f;
        f.chars[c.code].SetWidth(77);  // the "untouched" mark
        FontFileResult r = StrokeFontFile::Decode(c.bytes.data(), c.bytes.size(), f.chars);
        EXPECT_EQ(r, c.result) << c.what;
        EXPECT_EQ(Describe(f.chars[c.code]), *c.expected ? c.expected : "77:") << c.what;
    }
}

// Long and random inputs: nothing breaks, and whatever is read writes back
// as a well-formed font that reads the same again.
TEST(StrokeFontFile, LongAndRandomInputsReadSafely) {
    Bytes huge = WithHeader({65, 1, 0x80});
    for (int i = 0; i < 200000; ++i) huge.push_back(static_cast<unsigned char>(i % 100 + 1));
    Font f;
    ASSERT_EQ(StrokeFontFile::Decode(huge.data(), huge.size(), f.chars), kFontFileOk);
    ASSERT_EQ(f.chars[65].strokes.size(), 1u);
    EXPECT_EQ(f.chars[65].strokes[0].points.size(), 100000u);

    unsigned seed = 12345;
    for (int round = 0; round < 300; ++round) {
        Bytes b = WithHeader({});
        int n = round * 7 % 600;
        for (int i = 0; i < n; ++i) {
            seed = seed * 1103515245u + 12345u;
            unsigned v = seed >> 16;
            b.push_back(static_cast<unsigned char>(v % 3 == 0 ? 0x80 : v));
        }
        Font once, twice;
        ASSERT_EQ(StrokeFontFile::Decode(b.data(), b.size(), once.chars), kFontFileOk);
        const Bytes again = StrokeFontFile::Encode(once.chars);
        ASSERT_EQ(StrokeFontFile::Decode(again.data(), again.size(), twice.chars), kFontFileOk);
        for (int c = 1; c < kFontCharCount; ++c)
            ASSERT_EQ(Describe(twice.chars[c]), Describe(once.chars[c])) << "round " << round << " code " << c;
    }
}

TEST(StrokeFontFile, OpenFailuresLeaveTheFontAlone) {
    Font f;
    f.chars[5].SetWidth(5);
    EXPECT_EQ(StrokeFontFile::Read(nullptr, f.chars), kFontFileNotAFontFile);
    EXPECT_EQ(StrokeFontFile::Read("", f.chars), kFontFileNotAFontFile);
    EXPECT_EQ(StrokeFontFile::Read(TempPath("no-such-font.ft").c_str(), f.chars), kFontFileNotAFontFile);
    EXPECT_EQ(f.chars[5].GetWidth(), 5);

    const std::string bad = TempPath("crlf.ft");
    Bytes crlf(kHeader.begin(), kHeader.end() - 1);
    crlf.insert(crlf.end(), {'\r', '\n', 0});
    WriteFileBytes(bad, crlf);
    EXPECT_EQ(StrokeFontFile::Read(bad.c_str(), f.chars), kFontFileNotAFontFile);
    EXPECT_EQ(f.chars[5].GetWidth(), 5);
    std::remove(bad.c_str());

    EXPECT_EQ(StrokeFontFile::Write("", f.chars), kFontFileCannotCreate);
    EXPECT_EQ(StrokeFontFile::Write(nullptr, f.chars), kFontFileCannotCreate);
    EXPECT_EQ(StrokeFontFile::Write(TempPath("no-such-folder/x.ft").c_str(), f.chars), kFontFileCannotCreate);
}

// Records drawing calls as text.
class RecordingCanvas : public FontCanvas {
public:
    std::string log;
    void MoveTo(int x, int y) override { log += "M" + std::to_string(x) + "," + std::to_string(y) + " "; }
    void LineTo(int x, int y) override { log += "L" + std::to_string(x) + "," + std::to_string(y) + " "; }
};

TEST(StrokeFontModel, DrawsStrokesInOrderAndDotsAsLinesToThemselves) {
    FChar c;
    c.strokes = {MakeStroke({{0, 0}, {10, 20}, {20, 0}}), Stroke(), MakeStroke({{5, -5}})};
    RecordingCanvas canvas;
    c.Draw(canvas);
    EXPECT_EQ(canvas.log, "M0,0 L10,20 L20,0 M5,-5 L5,-5 ");
    canvas.log.clear();
    c.strokes[0].points[1].Draw(canvas);
    EXPECT_EQ(canvas.log, "M10,20 L10,20 ");

    FChar copy = c;  // a deep copy: the clipboard's way
    copy.strokes[0].points[0].x = 9;
    EXPECT_EQ(c.strokes[0].points[0].x, 0);
    c.SetWidth(12);
    c.Clear();
    EXPECT_TRUE(c.IsEmpty());
    EXPECT_EQ(c.GetWidth(), 0);
}

}  // namespace
