#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "memory.h"
#include "platform_recorder.h"
#include "solver_method.h"
#include "test_heap.h"

namespace {

int gCleanups;
void CountingCleanup() { ++gCleanups; }

class MemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorder.Reset();
        gOutOfMemory = 0;
        gCleanups = 0;
        gMethodReady = 1;
        gSolverMethod = SolverMethod{};
        gSolverMethod.cleanup = CountingCleanup;
    }
    void TearDown() override {
        FailHeapAfter(-1);
        gSolverMethod = SolverMethod{};
    }
    int OutOfMemoryBoxes() const {
        int n = 0;
        for (const RecordedBox &b : gRecorder.boxes)
            if (b.text.find("Not enough memory") != std::string::npos) ++n;
        return n;
    }
};

TEST_F(MemoryTest, FreeAndNullFreesOnceAndIgnoresEmptySlots) {
    double *slot = nullptr;
    FreeAndNull(slot);
    EXPECT_EQ(slot, nullptr);
    AllocArray(slot, 4);
    ASSERT_NE(slot, nullptr);
    FreeAndNull(slot);
    EXPECT_EQ(slot, nullptr);
    FreeAndNull(slot);  // ASan would report a double free
    EXPECT_TRUE(gRecorder.boxes.empty());
}

TEST_F(MemoryTest, AllocArrayZeroFillsAndZeroCountOrSizeLeavesNull) {
    double *a = nullptr;
    AllocArray(a, 8);
    ASSERT_NE(a, nullptr);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(a[i], 0.0);
    AllocArray(a, 0);
    EXPECT_EQ(a, nullptr);
    AllocArray(a, 8);
    AllocArray(a, 8, 0);
    EXPECT_EQ(a, nullptr);
    EXPECT_TRUE(gRecorder.boxes.empty());
}

// A batch that fails once reports once and leaves the rest of its slots alone.
TEST_F(MemoryTest, BatchReportsOnceAndLaterSlotsAreUntouched) {
    int *a = nullptr, *b = nullptr, *c = nullptr;
    int *held = nullptr;
    AllocArray(held, 3);
    ASSERT_NE(held, nullptr);

    gOutOfMemory = 0;
    FailHeapAfter(1);
    AllocArray(a, 10);
    AllocArray(b, 10);  // fails
    int *before = held;
    AllocArray(held, 5);  // skipped: not even freed
    AllocArray(c, 10);
    EXPECT_NE(a, nullptr);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(held, before);
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(gOutOfMemory, 1);
    EXPECT_EQ(OutOfMemoryBoxes(), 1);
    EXPECT_EQ(gMethodReady, 0);
    EXPECT_EQ(gCleanups, 1);

    FreeAndNull(a);
    FreeAndNull(held);
}

TEST_F(MemoryTest, ReportUsesErrorBoxWithCaptionAndHelpId) {
    ReportOutOfMemory();
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    const RecordedBox &box = gRecorder.boxes[0];
    EXPECT_EQ(box.text, "Not enough memory");  // leading "\n\n" skipped
    EXPECT_EQ(box.caption, "Vantorel Error");
    EXPECT_EQ(box.style, 0x1u | 0x10u | 0x4000u);
    EXPECT_EQ(box.helpId, 10211);
}

TEST_F(MemoryTest, CancelInTheReportStopsARun) {
    gRunState.stopRequested = 0;
    gRecorder.answers = {2};
    ReportOutOfMemory();
    EXPECT_EQ(gRunState.stopRequested, 1);
    gRunState.stopRequested = 0;
}

// AllocZeroed gives up the method's storage and retries once; only when that
// fails too is the user told.
TEST_F(MemoryTest, AllocZeroedRetriesOnceAfterReleasingTheMethod) {
    FailHeapAfter(0, 1);
    void *p = AllocZeroed(64);
    EXPECT_NE(p, nullptr);
    EXPECT_EQ(gCleanups, 1);
    EXPECT_EQ(gMethodReady, 0);
    EXPECT_TRUE(gRecorder.boxes.empty());
    FreeAndNull(p);

    FailHeapAfter(0, 2);
    p = AllocZeroed(64);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(OutOfMemoryBoxes(), 1);
}

TEST_F(MemoryTest, ResizeKeepsContentsAndFailureLeavesSlotNull) {
    char *block = nullptr;
    ASSERT_EQ(ResizeBlock(block, 4), 1);
    std::memcpy(block, "abc", 4);
    ASSERT_EQ(ResizeBlock(block, 4000), 1);
    EXPECT_STREQ(block, "abc");

    FailHeapAfter(0);
    EXPECT_EQ(ResizeBlock(block, 8000), 0);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(OutOfMemoryBoxes(), 1);
    EXPECT_EQ(gCleanups, 1);  // no retry, but the report releases the method
}

TEST_F(MemoryTest, AdoptStringBufferKeepsTheCallersBlock) {
    char *slot = nullptr;
    SetNonEmptyStringCopy(slot, "old");
    char *buffer = AllocTextBuffer(128);
    std::strcpy(buffer, "x[1]");
    AdoptStringBuffer(slot, buffer);
    EXPECT_STREQ(slot, "x[1]");
    AdoptStringBuffer(slot, nullptr);
    EXPECT_EQ(slot, nullptr);

    buffer = AllocTextBuffer(128);
    std::strcpy(buffer, "kept");
    FailHeapAfter(0, 1);  // the shrink fails once, succeeds after the reset
    AdoptStringBuffer(slot, buffer);
    EXPECT_STREQ(slot, "kept");
    EXPECT_EQ(gCleanups, 1);
    EXPECT_TRUE(gRecorder.boxes.empty());
    FreeAndNull(slot);
}

TEST_F(MemoryTest, StringCopies) {
    char *slot = nullptr;
    SetNonEmptyStringCopy(slot, "abc");
    EXPECT_STREQ(slot, "abc");
    SetNonEmptyStringCopy(slot, "");
    EXPECT_EQ(slot, nullptr);
    SetNonEmptyStringCopy(slot, nullptr);
    EXPECT_EQ(slot, nullptr);

    char shared[] = "shared text";
    slot = shared;
    MakeOwnedCopy(slot);
    EXPECT_NE(slot, shared);
    EXPECT_STREQ(slot, "shared text");
    FreeAndNull(slot);  // ASan: it must be a heap block

    slot = shared;
    FailHeapAfter(0);
    MakeOwnedCopy(slot);
    EXPECT_EQ(slot, shared);
    EXPECT_EQ(OutOfMemoryBoxes(), 1);
}

TEST(UnescapeFormatTest, Escapes) {
    struct Case {
        const char *in;
        const char *out;
    } cases[] = {
        {"\\x41\\x42", "AB"},
        {"\\o101", "A"},
        {"\\x4G", "\x04G"},
        {"\\09", "\t"},
        {"\\65\\066", "AB"},
        {"\\a\\b\\e\\f\\n\\r\\t\\v", "\a\b\x1b\f\n\r\t\v"},
        {"a\\\\b", "a\\b"},
        {"a\\", "a"},
        {"\\q\\\"", "q\""},
        {"%lg\\tx", "%lg\tx"},
        {"\\x414", "A4"},  // at most two hex digits
        {"\\0101", "\n1"},  // at most three decimal digits: 010 is 10
        {"", ""},
    };
    for (const Case &c : cases) EXPECT_STREQ(UnescapeFormat(c.in), c.out) << c.in;
    EXPECT_STREQ(UnescapeFormat(nullptr), "");
}

TEST(UnescapeFormatTest, ZeroByteEndsTheText) {
    EXPECT_STREQ(UnescapeFormat("ab\\zcd"), "ab");
    EXPECT_STREQ(UnescapeFormat("ab\\0cd"), "ab");
    const char *wrapped = UnescapeFormat("\\256x");  // 256 mod 256 is a zero byte
    EXPECT_EQ(wrapped[0], 0);
    EXPECT_EQ(wrapped[1], 'x');
}

TEST(UnescapeFormatTest, LongestProblemLineFits) {
    std::string text(20480, 'y');
    EXPECT_EQ(std::strlen(UnescapeFormat(text.c_str())), 20480u);
}

TEST(ParseDigitsTest, StopsAtFirstNonDigitAndLeavesPositionOnLastDigit) {
    const char *text = "7fz";
    const char *p = text;
    EXPECT_EQ(ParseDigits(&p, 16, 2), 0x7F);
    EXPECT_EQ(p, text + 1);
    p = text;
    EXPECT_EQ(ParseDigits(&p, 8, 3), 7);
    EXPECT_EQ(p, text);
    p = "999";
    EXPECT_EQ(ParseDigits(&p, 10, 3), 999 % 256);
}

}  // namespace
