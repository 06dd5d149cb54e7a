// Picture and point files written and read by the portable side: BMP files
// and packed bitmaps over a table of fixtures and a mutated corpus, the
// placeable metafile header, and saving a display list's points.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graphics_host.h"
#include "dib.h"
#include "display_list.h"
#include "picture_filter.h"
#include "placeable_wmf.h"
#include "pointdata.h"
#include "safe_save.h"
#include "save_points.h"
#include "test_heap.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
// As the program's Win32 side installs it: the C library's rename refuses
// an existing target there.
int ReplaceWithMove(const char *from, const char *to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}
const bool kReplaceInstalled = (gGraphicsHost.replaceFile = ReplaceWithMove, true);
#endif

using Bytes = std::vector<unsigned char>;

void Put16(Bytes &b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes &b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}

// A BMP as other programs write them: the file header (optional), a core or
// info header, the colour table, rows of a recognisable pattern.
struct BmpSpec {
    bool fileHeader = true;
    bool core = false;
    int32_t width = 3, height = 2;
    unsigned bits = 24;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    int64_t sizeImage = -1;  // -1: rows x stride
    int64_t cutRows = 0;     // bytes of rows left out at the end
    int64_t offsetDelta = 0; // added to the offset of the rows
    unsigned headerSize = 0; // 0: 12 or 40
};

Bytes MakeBmp(const BmpSpec &s) {
    Bytes header;
    // Tables of refused giant counts are never written out in full.
    uint32_t colors = std::min<uint32_t>(s.clrUsed ? s.clrUsed : (s.bits <= 8 ? 1u << s.bits : 0), 256);
    uint64_t rows = s.height < 0 ? -int64_t(s.height) : s.height;
    // Sizes of the refused giants are never written out in full.
    uint64_t image = std::min<uint64_t>((uint64_t(s.bits) * uint32_t(s.width) + 31) / 32 * 4 * rows, 1 << 16);
    if (s.core) {
        Put32(header, s.headerSize ? s.headerSize : 12);
        Put16(header, s.width);
        Put16(header, s.height);
        Put16(header, 1);
        Put16(header, s.bits);
        for (uint32_t i = 0; i < colors; ++i) header.insert(header.end(), {uint8_t(i), uint8_t(i + 1), uint8_t(i + 2)});
    } else {
        Put32(header, s.headerSize ? s.headerSize : 40);
        Put32(header, s.width);
        Put32(header, static_cast<uint32_t>(s.height));
        Put16(header, 1);
        Put16(header, s.bits);
        Put32(header, s.compression);
        Put32(header, s.sizeImage < 0 ? uint32_t(image) : static_cast<uint32_t>(s.sizeImage));
        Put32(header, 2835);
        Put32(header, 2835);
        Put32(header, s.clrUsed);
        Put32(header, 0);
        for (uint32_t i = 0; i < colors; ++i) header.insert(header.end(), {uint8_t(i), uint8_t(i + 1), uint8_t(i + 2), 0});
    }
    Bytes out;
    if (s.fileHeader) {
        out = {'B', 'M'};
        Put32(out, uint32_t(14 + header.size() + image));
        Put32(out, 0);
        Put32(out, static_cast<uint32_t>(14 + header.size() + s.offsetDelta));
    }
    out.insert(out.end(), header.begin(), header.end());
    for (int64_t i = 0; i < s.offsetDelta; ++i) out.push_back(0xEE);
    for (int64_t i = 0; i + s.cutRows < int64_t(image); ++i) out.push_back(static_cast<unsigned char>(i * 7 + 1));
    return out;
}

void WriteFile(const std::string &name, const Bytes &bytes) {
    FILE *f = std::fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

Bytes ReadFile(const std::string &name) {
    Bytes bytes;
    if (FILE *f = std::fopen(name.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
        std::fclose(f);
    }
    return bytes;
}

struct ReadCase {
    const char *name;
    BmpSpec spec;
    BmpStatus status;
    uint32_t colors;  // table entries in the block
};

TEST(BmpFile, ReadsFixturesAndRefusesBadOnes) {
    auto core4 = BmpSpec{};
    core4.core = true, core4.bits = 4, core4.width = 5;
    auto bare = BmpSpec{};
    bare.fileHeader = false, bare.bits = 8;
    auto topDown = BmpSpec{};
    topDown.height = -4;
    auto used20 = BmpSpec{};
    used20.bits = 8, used20.clrUsed = 20;
    auto one = BmpSpec{};
    one.bits = 1, one.width = 33, one.height = 3;
    auto gap = BmpSpec{};
    gap.offsetDelta = 6;
    auto tinyCore = BmpSpec{};
    tinyCore.core = true, tinyCore.bits = 1, tinyCore.width = 1, tinyCore.height = 1;
    auto zeroSize = BmpSpec{};
    zeroSize.sizeImage = 0;
    auto rle = BmpSpec{};
    rle.bits = 8, rle.compression = 1, rle.sizeImage = 6;
    auto padded = BmpSpec{};
    padded.sizeImage = 40, padded.cutRows = -4;  // stated size beyond the rows, file cut at the rows

    auto badHeader = BmpSpec{};
    badHeader.headerSize = 64;
    auto tooManyColors = BmpSpec{};
    tooManyColors.bits = 4, tooManyColors.clrUsed = 17;
    auto hugeColors = BmpSpec{};
    hugeColors.bits = 24, hugeColors.clrUsed = 0x40000000;  // 40 + 4 x colours overflows
    auto smallImage = BmpSpec{};
    smallImage.sizeImage = 5;
    auto short24 = BmpSpec{};
    short24.cutRows = 1;
    auto zeroWidth = BmpSpec{};
    zeroWidth.width = 0;
    auto zeroHeight = BmpSpec{};
    zeroHeight.height = 0;
    auto wide = BmpSpec{};
    wide.width = 0x7FFFFFFF, wide.height = 1;
    auto minHeight = BmpSpec{};
    minHeight.height = INT32_MIN;
    auto badDepth = BmpSpec{};
    badDepth.bits = 7;
    auto jpeg = BmpSpec{};
    jpeg.compression = 4;
    auto topDownRle = BmpSpec{};
    topDownRle.bits = 8, topDownRle.compression = 1, topDownRle.sizeImage = 6, topDownRle.height = -2;
    auto offsetInside = BmpSpec{};
    offsetInside.offsetDelta = -30;
    auto big = BmpSpec{};
    big.width = 60000, big.height = 60000;

    // Sizes and counts beyond what the data hold; every one must fail cleanly.
    const ReadCase cases[] = {
        {"24 bits", BmpSpec{}, kBmpOk, 0},
        {"core header, 4 bits", core4, kBmpOk, 16},
        {"no file header", bare, kBmpOk, 256},
        {"top-down", topDown, kBmpOk, 0},
        {"used colours", used20, kBmpOk, 20},
        {"1 bit", one, kBmpOk, 2},
        {"rows after a gap", gap, kBmpOk, 0},
        {"core, shorter than 40 bytes", tinyCore, kBmpOk, 2},
        {"image size 0", zeroSize, kBmpOk, 0},
        {"run-length 8 bits", rle, kBmpOk, 256},
        {"stated size beyond the rows", padded, kBmpOk, 0},
        {"header size 64", badHeader, kBmpBadHeaderSize, 0},
        {"17 colours for 4 bits", tooManyColors, kBmpBadColorCount, 0},
        {"colour count overflows", hugeColors, kBmpBadColorCount, 0},
        {"image size below rows", smallImage, kBmpBadImageSize, 0},
        {"rows cut short", short24, kBmpTruncated, 0},
        {"width 0", zeroWidth, kBmpBadDimensions, 0},
        {"height 0", zeroHeight, kBmpBadDimensions, 0},
        {"width 2^31-1", wide, kBmpBadDimensions, 0},
        {"height INT32_MIN", minHeight, kBmpBadDimensions, 0},
        {"7 bits", badDepth, kBmpBadDimensions, 0},
        {"JPEG compression", jpeg, kBmpBadCompression, 0},
        {"top-down run-length", topDownRle, kBmpBadCompression, 0},
        {"rows inside the headers", offsetInside, kBmpTruncated, 0},
        {"beyond the size limit", big, kBmpTooLarge, 0},
    };
    for (const ReadCase &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = MakeBmp(c.spec);
        WriteFile("picture_case.bmp", file);
        DibBlock dib{};
        ASSERT_EQ(ReadBmpFile("picture_case.bmp", &dib), c.status);
        if (c.status != kBmpOk) {
            EXPECT_EQ(dib.bytes, nullptr);
            continue;
        }
        BmpInfo info;
        ASSERT_EQ(GetDibInfo(dib, &info), kBmpOk);
        EXPECT_EQ(info.headerSize, 40u);
        EXPECT_EQ(info.width, c.spec.width);
        EXPECT_EQ(info.height, c.spec.height);
        EXPECT_EQ(info.bitCount, c.spec.bits);
        EXPECT_EQ(GetDibColorCount(info), c.colors);
        EXPECT_EQ(GetDibColorTableSize(info), 4 * c.colors);
        // The table arrives in file order as blue, green, red, 0.
        for (uint32_t i = 0; i < c.colors; ++i) {
            const unsigned char *e = dib.bytes + 40 + 4 * i;
            ASSERT_EQ(e[0], uint8_t(i));
            ASSERT_EQ(e[1], uint8_t(i + 1));
            ASSERT_EQ(e[2], uint8_t(i + 2));
            ASSERT_EQ(e[3], 0);
        }
        // The rows are the file's rows, from their offset.
        const unsigned char *rows = GetDibBitsPointer(dib);
        EXPECT_EQ(rows, dib.bytes + 40 + 4 * c.colors);
        EXPECT_EQ(rows[0], 1);
        EXPECT_EQ(rows[1], 8);
        FreeDib(&dib);
    }
}

TEST(BmpFile, WritesWhatItReadsWithTheFileHeader) {
    BmpSpec s;
    s.bits = 8, s.clrUsed = 20, s.width = 5, s.height = 3;
    WriteFile("picture_in.bmp", MakeBmp(s));
    DibBlock dib{};
    ASSERT_EQ(ReadBmpFile("picture_in.bmp", &dib), kBmpOk);
    std::remove("picture_out.bmp");
    ASSERT_EQ(WriteBmpFile("picture_out.bmp", dib), kBmpOk);
    Bytes out = ReadFile("picture_out.bmp");
    ASSERT_EQ(out.size(), dib.size + 14);
    EXPECT_EQ(out[0], 'B');
    EXPECT_EQ(out[1], 'M');
    EXPECT_EQ(out[2] | out[3] << 8 | out[4] << 16, int(dib.size + 14));
    EXPECT_EQ(out[10] | out[11] << 8, 14 + 40 + 80) << "rows behind a table of 20 entries";
    EXPECT_EQ(0, std::memcmp(out.data() + 14, dib.bytes, dib.size));
    // And it reads back as the same block.
    DibBlock again{};
    ASSERT_EQ(ReadBmpFile("picture_out.bmp", &again), kBmpOk);
    ASSERT_EQ(again.size, dib.size);
    EXPECT_EQ(0, std::memcmp(again.bytes, dib.bytes, dib.size));
    FreeDib(&again);

    // A block that lies about itself is refused and leaves the old file.
    dib.size -= 1;
    EXPECT_EQ(WriteBmpFile("picture_out.bmp", dib), kBmpTruncated);
    EXPECT_EQ(ReadFile("picture_out.bmp").size(), out.size());
    FreeDib(&dib);
    DibBlock none{};
    EXPECT_NE(WriteBmpFile("picture_out.bmp", none), kBmpOk);
}

TEST(BmpFile, MissingFileAndUnwritableTarget) {
    DibBlock dib{};
    EXPECT_EQ(ReadBmpFile("no_such_picture.bmp", &dib), kBmpCannotOpen);
    WriteFile("picture_in.bmp", MakeBmp(BmpSpec{}));
    ASSERT_EQ(ReadBmpFile("picture_in.bmp", &dib), kBmpOk);
    EXPECT_EQ(WriteBmpFile("no_such_folder/x.bmp", dib), kBmpCannotOpen);
    FreeDib(&dib);
}

TEST(BmpFile, ClipboardBlocksAreCheckedWhole) {
    WriteFile("picture_in.bmp", MakeBmp(BmpSpec{}));
    DibBlock dib{};
    ASSERT_EQ(ReadBmpFile("picture_in.bmp", &dib), kBmpOk);
    EXPECT_EQ(CheckDib(dib.bytes, dib.size), kBmpOk);
    EXPECT_EQ(CheckDib(dib.bytes, dib.size - 1), kBmpTruncated);
    EXPECT_EQ(CheckDib(dib.bytes, 39), kBmpTruncated);
    EXPECT_EQ(CheckDib(nullptr, 100), kBmpTruncated);
    FreeDib(&dib);
}

// Seeds of the corpus: the good fixtures; every mutation of them must end in
// a status, never a read outside a block (ASan watches the host tree).
TEST(BmpFile, MutatedCorpusNeverReadsPastItsData) {
    std::vector<Bytes> seeds;
    BmpSpec s;
    seeds.push_back(MakeBmp(s));
    s.core = true, s.bits = 4;
    seeds.push_back(MakeBmp(s));
    s = BmpSpec{};
    s.bits = 8, s.clrUsed = 20, s.fileHeader = false;
    seeds.push_back(MakeBmp(s));
    s = BmpSpec{};
    s.bits = 1, s.width = 40, s.height = -5;
    seeds.push_back(MakeBmp(s));
    std::mt19937 random(25);
    int accepted = 0;
    for (int round = 0; round < 1500; ++round) {
        Bytes b = seeds[round % seeds.size()];
        int edits = 1 + random() % 4;
        for (int e = 0; e < edits; ++e) {
            switch (random() % 4) {
            case 0: b[random() % b.size()] = static_cast<unsigned char>(random()); break;
            case 1: b.resize(random() % (b.size() + 1)); break;
            case 2: if (b.size() > 40) b[14 + random() % 26] = 0xFF; break;  // header fields
            default: b.insert(b.begin() + random() % (b.size() + 1), static_cast<unsigned char>(random()));
            }
            if (b.empty()) b.push_back(0);
        }
        WriteFile("picture_fuzz.bmp", b);
        DibBlock dib{};
        if (ReadBmpFile("picture_fuzz.bmp", &dib) == kBmpOk) {
            ++accepted;
            ASSERT_EQ(CheckDib(dib.bytes, dib.size), kBmpOk);
            BmpInfo info;
            ASSERT_EQ(GetDibInfo(dib, &info), kBmpOk);
            volatile unsigned char last = dib.bytes[dib.size - 1];
            (void)last;
            FreeDib(&dib);
        } else {
            ASSERT_EQ(dib.bytes, nullptr);
        }
    }
    EXPECT_GT(accepted, 0) << "some mutations leave a readable picture";
}

// A header's stated image size buys no memory: uncompressed rows take what
// the dimensions give, and compressed rows are read as they arrive. The
// first file is a 1 x 1 monochrome picture whose header claims 256 MiB.
TEST(BmpFile, StatedImageSizeIsNeverAllocated) {
    const std::string corpus = std::string(VR_SOURCE_DIR) + "/tests/fuzz/bmp_file/";
    const Bytes claims256 = ReadFile(corpus + "stated_size_256mib.bmp");
    ASSERT_EQ(claims256.size(), 66u);
    const Bytes headerOnly = ReadFile(corpus + "stated_size_header_only.bmp");
    ASSERT_EQ(headerOnly.size(), 54u);
    BmpSpec rleSpec;
    rleSpec.bits = 8, rleSpec.compression = 1, rleSpec.sizeImage = 200 << 20;
    Bytes rle = MakeBmp(rleSpec);
    rle.insert(rle.end(), {2, 0, 0, 1});  // a few bytes of runs, far from 200 MiB

    struct Case {
        const char *name;
        const Bytes &file;
        BmpStatus status;
    } cases[] = {
        {"1 x 1 claiming 256 MiB", claims256, kBmpOk},
        {"its header alone", headerOnly, kBmpTruncated},
        {"run-length rows claiming 200 MiB", rle, kBmpTruncated},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile("picture_claim.bmp", c.file);
        ResetLargestHeapRequest();
        DibBlock dib{};
        ASSERT_EQ(ReadBmpFile("picture_claim.bmp", &dib), c.status);
        EXPECT_LE(LargestHeapRequest(), 2 * kBmpFirstReadBytes) << "a block near the stated size";
        if (c.status != kBmpOk) {
            EXPECT_EQ(dib.bytes, nullptr);
            continue;
        }
        BmpInfo info;
        ASSERT_EQ(GetDibInfo(dib, &info), kBmpOk);
        EXPECT_EQ(info.width, 1);
        EXPECT_EQ(info.height, 1);
        EXPECT_EQ(info.sizeImage, 4u) << "the block states what it holds";
        ASSERT_EQ(dib.size, 40u + 8 + 4);
        EXPECT_EQ(GetDibBitsPointer(dib)[0], 0x80);
        // Written back it is a picture of a few bytes, not of 256 MiB.
        std::remove("picture_claim_out.bmp");
        ASSERT_EQ(WriteBmpFile("picture_claim_out.bmp", dib), kBmpOk);
        EXPECT_EQ(ReadFile("picture_claim_out.bmp").size(), 66u);
        FreeDib(&dib);
    }
}

TEST(PlaceableWmf, HeaderChecksumAndRefusals) {
    PlaceableHeader h = {0, 0, 640, 480, 96};
    unsigned char bytes[kPlaceableHeaderSize];
    StorePlaceableHeader(h, bytes);
    const unsigned char start[] = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0};
    EXPECT_EQ(0, std::memcmp(bytes, start, sizeof start));
    uint16_t x = 0;
    for (int i = 0; i < 11; ++i) x ^= static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    EXPECT_EQ(x, 0) << "the XOR of all eleven words is 0";
    EXPECT_EQ(bytes[14] | bytes[15] << 8, 96);

    Bytes file(bytes, bytes + sizeof bytes);
    file.resize(file.size() + kWindowsMetafileHeaderSize, 0);
    PlaceableHeader back{};
    ASSERT_EQ(ParsePlaceableHeader(file.data(), file.size(), &back), kWmfOk);
    EXPECT_EQ(back.right, 640);
    EXPECT_EQ(back.bottom, 480);
    int32_t cx, cy;
    PlaceableExtentHimetric(back, &cx, &cy);
    EXPECT_EQ(cx, 640 * 2540 / 96);
    EXPECT_EQ(cy, 480 * 2540 / 96);

    // An inch of 0 would divide by zero; a file shorter than its headers
    // would be read past its end.
    Bytes zero = file;
    zero[14] = zero[15] = 0;
    EXPECT_EQ(ParsePlaceableHeader(zero.data(), zero.size(), &back), kWmfZeroInch);
    EXPECT_EQ(ParsePlaceableHeader(file.data(), kPlaceableHeaderSize + 5, &back), kWmfTruncated);
    EXPECT_EQ(ParsePlaceableHeader(file.data(), 3, &back), kWmfTruncated);
    Bytes other = file;
    other[0] = 1;
    EXPECT_EQ(ParsePlaceableHeader(other.data(), other.size(), &back), kWmfNotPlaceable);

    std::remove("picture.wmf");
    const unsigned char bits[20] = {1, 0, 9, 0};
    ASSERT_EQ(WritePlaceableWmfFile("picture.wmf", h, bits, sizeof bits), kWmfOk);
    Bytes written = ReadFile("picture.wmf");
    ASSERT_EQ(written.size(), 42u);
    EXPECT_EQ(0, std::memcmp(written.data(), bytes, 22));
    EXPECT_EQ(written[22], 1);
    EXPECT_EQ(WritePlaceableWmfFile("no_such_folder/p.wmf", h, bits, sizeof bits), kWmfCannotWrite);
}

TEST(SafeSave, FailedSaveKeepsTheOldFile) {
    WriteFile("safe_target.txt", Bytes{'o', 'l', 'd'});
    SafeSave save;
    ASSERT_TRUE(BeginSafeSave(&save, "safe_target.txt", 1));
    std::fputs("new", save.file);
    AbandonSafeSave(&save);
    EXPECT_EQ(ReadFile("safe_target.txt"), (Bytes{'o', 'l', 'd'}));
    EXPECT_TRUE(ReadFile("safe_target.txt.vr~").empty()) << "no temporary file left";
    ASSERT_TRUE(BeginSafeSave(&save, "safe_target.txt", 1));
    std::fputs("+", save.file);
    ASSERT_TRUE(CommitSafeSave(&save));
    EXPECT_EQ(ReadFile("safe_target.txt"), (Bytes{'o', 'l', 'd', '+'}));
    errno = 0;
    EXPECT_FALSE(BeginSafeSave(&save, "no_such_folder/x", 0));
    EXPECT_NE(errno, 0);
}

// ---- Saving points

class SavePoints : public ::testing::Test {
protected:
    GraphWindowState g{};
    SavePointsSettings settings{};

    void SetUp() override {
        g.capture = -1;
        g.displayPenWidth = -1;
        gCurrentGraph = &g;
        settings.clip = 0;
    }
    void TearDown() override {
        FreeDisplayList(&g);
        gCurrentGraph = nullptr;
        gDisplayReplayHooks = DisplayReplayHooks{};
    }
    void Polyline(std::initializer_list<std::pair<double, double>> points) {
        bool first = true;
        for (auto p : points) {
            AppendDisplayPoint(first ? kDisplayPoint : kDisplayLine, p.first, p.second);
            first = false;
        }
    }
    // The file as points and breaks, through the shared reader.
    std::vector<std::string> ReadBack(const char *path) {
        std::vector<std::string> items;
        FILE *f = std::fopen(path, "rb");
        if (!f) return items;
        PointReader r;
        OpenPointReader(&r, f, GetDataFileKind(path), "%lg %lg", 20479, 0);
        double x, y;
        for (PointItem it; (it = ReadPointItem(&r, &x, &y)) != kItemEnd;) {
            char text[64];
            std::snprintf(text, sizeof text, "%.9g %.9g", x, y);
            items.push_back(it == kItemBreak ? "|" : text);
        }
        ClosePointReader(&r);
        std::fclose(f);
        return items;
    }
};

TEST_F(SavePoints, AllThreeKindsHoldTheSamePointsAndAppend) {
    Polyline({{0.1, 0.2}, {1.5, -2.25}, {3.0, 1e-3}});
    Polyline({{-7.0, 8.0}, {9.0, 10.0}});
    const std::vector<std::string> once = {"|", "0.100000001 0.200000003", "1.5 -2.25", "3 0.00100000005",
                                           "|", "-7 8", "9 10"};
    for (const char *name : {"points.txt", "points.SINGLE", "points.double"}) {
        SCOPED_TRACE(name);
        std::remove(name);
        ASSERT_EQ(SaveDisplayPoints(&g, name, settings), kSavePointsDone);
        EXPECT_EQ(ReadBack(name), once);
        ASSERT_EQ(SaveDisplayPoints(&g, name, settings), kSavePointsDone);
        std::vector<std::string> twice = once;
        twice.insert(twice.end(), once.begin(), once.end());
        EXPECT_EQ(ReadBack(name), twice) << "the second save appends";
    }
    // Byte patterns: float64 pairs in .double (not text), the float32 break.
    Bytes d = ReadFile("points.double");
    ASSERT_EQ(d.size(), 2 * (2 * 8 + 5 * 16u));
    const unsigned char nan64[8] = {0, 0, 0, 0, 0, 0xF0, 0xF8, 0x7F};
    EXPECT_EQ(0, std::memcmp(d.data(), nan64, 8));
    double x;
    std::memcpy(&x, d.data() + 8 + 16, 8);
    EXPECT_EQ(x, double(1.5f));
    Bytes s = ReadFile("points.SINGLE");
    const unsigned char nan32[4] = {0x00, 0x80, 0xC7, 0x7F};
    EXPECT_EQ(0, std::memcmp(s.data(), nan32, 4));
    Bytes t = ReadFile("points.txt");
    const std::string text(t.begin(), t.end());
    EXPECT_EQ(text.substr(0, 15), "\r\n0.100000001 0");
    // Every line ends in CR LF, breaks too.
    size_t lineEnds = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            ++lineEnds;
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "LF alone at " << i;
        }
    EXPECT_EQ(lineEnds, 2 * 7u);
}

TEST_F(SavePoints, ThinningAndClipping) {
    // Closer than d in both coordinates to the last point written is
    // dropped; d away in one of them is kept (values exact in float32).
    Polyline({{0.0, 0.0}, {0.125, 0.125}, {0.25, 0.0}, {0.375, 0.125}, {0.5, 0.375}});
    settings.minDistance = 0.25;
    std::remove("thin.txt");
    ASSERT_EQ(SaveDisplayPoints(&g, "thin.txt", settings), kSavePointsDone);
    EXPECT_EQ(ReadBack("thin.txt"), (std::vector<std::string>{"|", "0 0", "0.25 0", "0.5 0.375"}));

    FreeDisplayList(&g);
    Polyline({{0.5, 0.5}, {2.0, 0.5}, {0.5, 0.5}});
    settings = SavePointsSettings{};
    settings.clip = 1;
    settings.xMin = 1, settings.xMax = 0, settings.yMin = 0, settings.yMax = 1;  // swapped corners
    std::remove("clip.txt");
    ASSERT_EQ(SaveDisplayPoints(&g, "clip.txt", settings), kSavePointsDone);
    EXPECT_EQ(ReadBack("clip.txt"), (std::vector<std::string>{"|", "0.5 0.5", "1 0.5", "|", "1 0.5", "0.5 0.5"}));
}

// Esc arrives while the second record (the first point) is handled.
int gPumpCalls;
int PressEscapeSoon() { return ++gPumpCalls >= 2; }

TEST_F(SavePoints, NothingToSaveEscapeAndOpenFailure) {
    std::remove("none.txt");
    EXPECT_EQ(SaveDisplayPoints(&g, "none.txt", settings), kSavePointsNothing);
    EXPECT_TRUE(ReadFile("none.txt").empty());
    Polyline({{1, 2}, {3, 4}, {5, 6}});
    errno = 0;
    EXPECT_EQ(SaveDisplayPoints(&g, "no_such_folder/p.txt", settings), kSavePointsOpenFailed);
    EXPECT_EQ(errno, ENOENT);
    // Esc keeps what was written up to then.
    gPumpCalls = 0;
    gDisplayReplayHooks.pumpCheckEscape = PressEscapeSoon;
    std::remove("esc.txt");
    EXPECT_EQ(SaveDisplayPoints(&g, "esc.txt", settings), kSavePointsDone);
    EXPECT_EQ(ReadBack("esc.txt"), (std::vector<std::string>{"|", "1 2"}));
}

}  // namespace

// ---- Filters from the image library's format list

namespace {

struct FakeFormat {
    const char *name, *extensions, *description;
    int reads;
    int bpps;  // bit set of 1 << depth... 1: 1 bit, 2: 8 bits, 4: 24 bits
};
std::vector<FakeFormat> gFormats;

int FakeCount() { return int(gFormats.size()); }
const char *FakeName(int i) { return gFormats[i].name; }
const char *FakeExtensions(int i) { return gFormats[i].extensions; }
const char *FakeDescription(int i) { return gFormats[i].description; }
int FakeReads(int i) { return gFormats[i].reads; }
int FakeExports(int i, int bpp) { return gFormats[i].bpps & (bpp == 1 ? 1 : bpp == 8 ? 2 : bpp == 24 ? 4 : 0); }
const ImageFormatList kFakeList = {FakeCount, FakeName, FakeExtensions, FakeDescription, FakeReads, FakeExports};

std::vector<std::string> Pairs(const char *filter) {
    std::vector<std::string> parts;
    for (const char *p = filter; *p; p += std::strlen(p) + 1) parts.push_back(p);
    return parts;
}

}  // namespace

TEST(PictureFilter, ReadAndWriteFiltersFollowTheFormatList) {
    gFormats = {{"BMP", "bmp", "Windows or OS/2 Bitmap", 1, 7},
                {"PBM", "pbm", "Portable Bitmap (ASCII)", 1, 1},
                {"PGM", "pgm", "Portable Greymap (ASCII)", 1, 2},
                {"PNG", "png", "Portable Network Graphics", 1, 7},
                {"JPEG", "jpg,jif,jpeg", "JPEG", 0, 0},
                {"PPM", "ppm", "Portable Pixelmap (ASCII)", 1, 4}};
    int entries = 0;
    char *read = BuildReadFilter(kFakeList, &entries);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(Pairs(read), (std::vector<std::string>{
                               "All graphics files", "*.bmp;*.wmf;*.pbm;*.pgm;*.png;*.ppm",
                               "Windows or OS/2 Bitmap (bmp)", "*.bmp",
                               "Windows metafiles (emf)", "*.emf",
                               "Portable Bitmap (ASCII) (pbm)", "*.pbm",
                               "Portable Greymap (ASCII) (pgm)", "*.pgm",
                               "Portable Network Graphics (png)", "*.png",
                               "Portable Pixelmap (ASCII) (ppm)", "*.ppm",
                               "All Files (*.*)", "*.*"}));
    EXPECT_EQ(entries, 7);
    std::free(read);

    char *write = BuildWriteFilter(kFakeList, 24, &entries);
    EXPECT_EQ(Pairs(write), (std::vector<std::string>{
                                "Uncompressed bitmap (bmp)", "*.bmp", "Windows metafile (wmf)", "*.wmf",
                                "Windows or OS/2 Bitmap (bmp)", "*.bmp", "Portable Network Graphics (png)", "*.png",
                                "Portable Pixelmap (ASCII) (ppm)", "*.ppm"}))
        << "never PGM or PBM for 24-bit pictures";
    EXPECT_EQ(entries, 5);
    std::free(write);

    // A list far longer than any fixed block: the filter grows with it.
    gFormats.assign(400, {"XYZ", "aaaaaaaaaa,bbbbbbbbbb,cccccccccc", "A long description of a format", 1, 4});
    read = BuildReadFilter(kFakeList, &entries);
    ASSERT_NE(read, nullptr);
    EXPECT_GT(FilterLength(read), 2308ul * 10);
    EXPECT_EQ(entries, 402);
    EXPECT_EQ(Pairs(read).back(), "*.*");
    std::free(read);
}

TEST(PictureFilter, ChoiceFollowsExtensionThenPair) {
    struct Case {
        const char *name;
        int index;
        bool save, library;
        PictureChoice choice;
    } cases[] = {
        {"a.WMF", 3, false, true, kPictureMetafile},
        {"a.emf", 1, false, false, kPictureMetafile},
        {"a.bmp", 2, false, false, kPictureBmp},
        {"a.bmp", 2, true, true, kPictureBmp},
        {"a.bmp", 4, false, true, kPictureLibrary},
        // A PNG chosen under "All graphics files" is the library's, not a metafile.
        {"a.png", 3, false, true, kPictureLibrary},
        {"a.png", 7, true, true, kPictureLibrary},
        {"noext", 1, true, true, kPictureBmp},
        {"noext", 2, true, true, kPictureMetafile},
        {"noext", 5, false, true, kPictureMetafile},
        {"noext", 6, false, true, kPictureLibrary},
        {"dir.x\\noext", 2, false, false, kPictureMetafile},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.index));
        EXPECT_EQ(ChoosePictureFormat(c.name, c.index, c.save, c.library), c.choice);
    }
}
