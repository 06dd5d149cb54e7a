// The display list: record layout, block chaining and the ring, release,
// out-of-memory behaviour and the screen replay on a recording surface.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "display_list.h"
#include "graph_pipeline.h"
#include "surface_double.h"
#include "settings.h"
#include "test_heap.h"

namespace {

// Records per block: the start pen, then points while 10 bytes remain.
constexpr int kRecordsPerBlock = (kDisplayBlockBytes - kDisplayRecordBytes - 1) / kDisplayRecordBytes + 1;

class Calls : public SurfaceDouble {
public:
    std::vector<std::string> calls;
    void Add(const std::string &s) { calls.push_back(s); }
    void MoveTo(DcHandle, int32_t x, int32_t y) override { Add("move " + std::to_string(x) + " " + std::to_string(y)); }
    void LineTo(DcHandle, int32_t x, int32_t y) override { Add("line " + std::to_string(x) + " " + std::to_string(y)); }
    void SelectSolidPen(DcHandle, int32_t c, int32_t w) override { Add("pen " + std::to_string(c) + " " + std::to_string(w)); }
    void SelectStockPen(DcHandle) override { Add("stock"); }
    void ScreenAspect(int *x, int *y) override { *x = *y = 1; }
    WindowId FindGraphWindow() override { return 0; }
    void ResizeClient(WindowId, int32_t, int32_t, int32_t, int32_t) override {}
};

struct Seen {
    std::vector<DisplayRecord> records;
    int stopAfter = -1;
};

int Collect(const DisplayRecord &r, void *context) {
    Seen *seen = static_cast<Seen *>(context);
    seen->records.push_back(r);
    return seen->stopAfter >= 0 && int(seen->records.size()) >= seen->stopAfter;
}

class DisplayList : public ::testing::Test {
protected:
    GraphWindowState g{};

    void SetUp() override {
        g.capture = -1;
        g.penColor = 0x112233;
        g.penWidth = 2;
        g.displayPenWidth = -1;
        gCurrentGraph = &g;
    }
    void TearDown() override {
        FailHeapAfter(-1);
        FreeDisplayList(&g);
        gCurrentGraph = nullptr;
        gGraphSurface = GraphSurface{};
        gDrawDc = 0;
        gDisplayReplayHooks = DisplayReplayHooks{};
    }
    std::vector<DisplayRecord> Walk() {
        Seen seen;
        WalkDisplayList(&g, Collect, &seen);
        return seen.records;
    }
    void AppendPoints(int count) {
        for (int i = 0; i < count; ++i) AppendDisplayPoint(i ? kDisplayLine : kDisplayPoint, i, -i);
    }
};

TEST_F(DisplayList, RecordsArePackedNineBytesWithFloatsAndAnEndByte) {
    AppendDisplayPoint(kDisplayPoint, 1.5, -2.25);
    AppendDisplayPoint(kDisplayLine, 0.1, 3);
    ASSERT_EQ(g.displayBlockCount, 1);
    const unsigned char *b = g.displayFirst->records;
    // The block starts with the pen in force: width, then colour.
    int32_t width, color;
    std::memcpy(&width, b + 1, 4);
    std::memcpy(&color, b + 5, 4);
    EXPECT_EQ(b[0], kDisplayPen);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(color, 0x112233);
    float x, y;
    EXPECT_EQ(b[9], kDisplayPoint);
    std::memcpy(&x, b + 10, 4);
    std::memcpy(&y, b + 14, 4);
    EXPECT_EQ(x, 1.5f);
    EXPECT_EQ(y, -2.25f);
    EXPECT_EQ(b[18], kDisplayLine);
    EXPECT_EQ(g.displayWrite, b + 27);
    EXPECT_EQ(*g.displayWrite, kDisplayEnd);

    const std::vector<DisplayRecord> r = Walk();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[2].opcode, kDisplayLine);
    EXPECT_EQ(r[2].x, double(0.1f));  // stored as a float
}

TEST_F(DisplayList, FullBlocksContinueInTheNextOneWhichRepeatsThePen) {
    AppendDisplayPen(0xFF, 3);
    AppendPoints(kRecordsPerBlock - 1);  // the first block is full
    ASSERT_EQ(g.displayBlockCount, 1);
    const unsigned char *first = g.displayFirst->records;
    EXPECT_EQ(g.displayWrite - first, kRecordsPerBlock * kDisplayRecordBytes);
    EXPECT_LE(kDisplayBlockBytes - (g.displayWrite - first), kDisplayRecordBytes);
    AppendDisplayPoint(kDisplayLine, 7, 8);
    ASSERT_EQ(g.displayBlockCount, 2);
    EXPECT_EQ(first[kRecordsPerBlock * kDisplayRecordBytes], kDisplayContinue);
    const unsigned char *second = g.displayCurrent->records;
    int32_t width;
    std::memcpy(&width, second + 1, 4);
    EXPECT_EQ(second[0], kDisplayPen);
    EXPECT_EQ(width, 3);

    const std::vector<DisplayRecord> r = Walk();
    ASSERT_EQ(int(r.size()), kRecordsPerBlock + 2);
    for (int i = 1; i < kRecordsPerBlock; ++i) ASSERT_EQ(r[i].x, i - 1) << i;
    EXPECT_EQ(r[kRecordsPerBlock].opcode, kDisplayPen);
    EXPECT_EQ(r[kRecordsPerBlock + 1].x, 7);

    Seen stopped;
    stopped.stopAfter = 4;
    EXPECT_EQ(WalkDisplayList(&g, Collect, &stopped), 1);
    EXPECT_EQ(stopped.records.size(), 4u);
}

TEST_F(DisplayList, ARingKeepsItsNewestBlocks) {
    struct Case { int capture, points, blocks; };
    const Case cases[] = {{1, kRecordsPerBlock + 5, 1}, {2, 3 * kRecordsPerBlock, 2}};
    for (const Case &c : cases) {
        FreeDisplayList(&g);
        g.capture = c.capture;
        AppendPoints(c.points);
        EXPECT_EQ(g.displayBlockCount, c.blocks);
        const std::vector<DisplayRecord> r = Walk();
        ASSERT_FALSE(r.empty());
        EXPECT_EQ(r[0].opcode, kDisplayPen) << c.capture;
        // The newest records are there in order, the last one last.
        EXPECT_EQ(r.back().x, c.points - 1);
        for (size_t i = 2; i < r.size(); ++i) {
            if (r[i].opcode != kDisplayPen && r[i - 1].opcode != kDisplayPen) {
                ASSERT_EQ(r[i].x, r[i - 1].x + 1);
            }
        }
        if (c.capture == 1) {
            EXPECT_EQ(r.size(), 1u + (c.points - (kRecordsPerBlock - 1)));
        }
    }
}

TEST_F(DisplayList, SamePenTwiceIsRecordedOnceAlsoAfterRelease) {
    g.capture = -1;
    SetPen(0xFF00, 1);
    SetPen(0xFF00, 1);
    ReleasePens();  // width -1 now; the list still knows the pen
    SetPen(0xFF00, 1);
    SetPen(0xFF, 1);
    const std::vector<DisplayRecord> r = Walk();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].color, 0xFF00);
    EXPECT_EQ(r[1].color, 0xFF);
}

TEST_F(DisplayList, WithoutMemoryNothingIsRecordedAndAFullListTurnsIntoARing) {
    FailHeapAfter(0, 1000);
    AppendDisplayPoint(kDisplayPoint, 1, 1);
    AppendDisplayPen(1, 1);
    EXPECT_EQ(g.displayFirst, nullptr);
    EXPECT_EQ(g.displayBlockCount, 0);

    FailHeapAfter(-1);
    AppendPoints(kRecordsPerBlock - 1);
    ASSERT_EQ(g.displayBlockCount, 1);
    FailHeapAfter(0, 1000);
    AppendDisplayPoint(kDisplayLine, 99, 0);
    FailHeapAfter(-1);
    EXPECT_EQ(g.displayBlockCount, 1);
    EXPECT_EQ(g.displayFirst, g.displayCurrent);
    const std::vector<DisplayRecord> r = Walk();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1].x, 99);
}

TEST_F(DisplayList, FreeReleasesEveryBlockUnlessAMetafileIsRecorded) {
    AppendPoints(3 * kRecordsPerBlock);
    EXPECT_EQ(g.displayBlockCount, 4);
    gMetafileRecording = 1;
    DisplayBlock *kept = g.displayFirst;
    FreeDisplayList(&g);
    gMetafileRecording = 0;
    EXPECT_EQ(g.displayFirst, kept);
    EXPECT_EQ(g.displayCurrent, nullptr);
    EXPECT_EQ(g.displayBlockCount, 0);
    FreeDisplayList(&g);
    EXPECT_EQ(g.displayFirst, nullptr);
    EXPECT_TRUE(Walk().empty());
    // A fresh list after the release.
    AppendDisplayPoint(kDisplayPoint, 1, 2);
    EXPECT_EQ(Walk().size(), 2u);
}

int gPumps, gEscapeAt;
int PumpAndMaybeEscape() { return ++gPumps == gEscapeAt; }

TEST_F(DisplayList, ReplayDrawsIntoTheContextRecordsNothingAndStopsAtEscape) {
    Calls surface;
    gGraphSurface = SurfaceRecord(&surface);
    g.xMin = g.yMin = 0;
    g.xMax = g.yMax = 10;
    g.clientMaxX = g.clientMaxY = 10;
    UpdateGraphMapping();
    g.capture = 1;
    // The ring dropped the point: the list starts with a line.
    AppendDisplayPoint(kDisplayLine, 1, 1);
    AppendDisplayPen(0xFF, 3);
    AppendDisplayPoint(kDisplayLine, 2, 2);
    DisplayBlock *block = g.displayFirst;
    unsigned char *write = g.displayWrite;

    gDrawDc = 7;
    g.memoryDc = 9;
    const int ownDc = gOwnDc;
    gOwnDc = 0;
    gDisplayReplayHooks.pumpCheckEscape = PumpAndMaybeEscape;
    gPumps = 0;
    gEscapeAt = -1;
    ReplayDisplayList();
    const std::vector<std::string> expected = {
        "pen 0 0",     // black before the first record
        "pen 1122867 2",  // the block's start pen
        "move 1 9", "line 1 9",  // the line drawn as a point (a wide pen's dot)
        "pen 255 3",
        "move 1 9", "line 2 8",
        "stock"};
    EXPECT_EQ(surface.calls, expected);
    EXPECT_EQ(g.capture, 1);
    EXPECT_EQ(g.memoryDc, 9u);
    EXPECT_EQ(g.displayFirst, block);
    EXPECT_EQ(g.displayWrite, write);  // nothing recorded
    EXPECT_EQ(gReplayInProgress, 0);

    surface.calls.clear();
    gPumps = 0;
    gEscapeAt = 2;
    ReplayDisplayList();
    EXPECT_EQ(gPumps, 2);
    EXPECT_EQ(surface.calls.back(), "stock");
    EXPECT_EQ(surface.calls.size(), 5u);
    gOwnDc = ownDc;
}

}  // namespace
