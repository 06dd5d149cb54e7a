#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "eval_errors.h"
#include "fpu_faults.h"
#include "messages.h"
#include "settings.h"
#include "platform_recorder.h"

namespace {

volatile double gZero = 0.0;
volatile double gTiny = 1e-300;
volatile double gResult;

void LoadControlWord(unsigned word) {
    unsigned short w = static_cast<unsigned short>(word);
    __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(w));
}

TEST(FpuFaults, ExceptionCodesMapToTheirMessages) {
    struct Case {
        unsigned long code;
        int id;
        int subcode;
    } cases[] = {
        {0xC000008D, 10276, 130}, {0xC000008E, 10277, 131}, {0xC000008F, 10280, 134},
        {0xC0000090, 10275, 129}, {0xC0000091, 10258, 132}, {0xC0000092, 10281, 135},
        {0xC0000093, 10279, 133}, {0xC0000094, 10273, 127}, {0xC0000095, 10272, 126},
    };
    for (const Case &c : cases) {
        gLastStringId = 0;
        EXPECT_EQ(MapExceptionCode(c.code), 1) << std::hex << c.code;
        EXPECT_EQ(gLastStringId, c.id) << std::hex << c.code;
        EXPECT_EQ(FloatingPointSubcode(c.code), c.subcode) << std::hex << c.code;
    }
    gLastStringId = 7;
    EXPECT_EQ(MapExceptionCode(0xC0000005), 0);  // access violation: not ours
    EXPECT_EQ(MapExceptionCode(0xC000008C), 0);
    EXPECT_EQ(gLastStringId, 7);
    EXPECT_EQ(FloatingPointSubcode(0xC0000005), 0);
}

int Guarded(void (*work)()) {
    EvalRecovery r;
    BeginEvalRecovery(&r);
    volatile int jump = VR_SETJMP(gEvalJmpBuf);
    if (jump == 0) work();
    EndEvalRecovery(&r);
    return jump;
}

int gSubcode;
void Signal() { OnFloatingPointSignal(8, gSubcode); }

TEST(FpuFaults, SignalSubcodesGiveTheirMessages) {
    struct Case {
        int subcode;
        const char *text;
    } cases[] = {{126, "Integer overflow"}, {127, "Integer division by zero"}, {131, "Division by zero"},
                 {132, "Overflow"},         {133, "Underflow"},                {135, "Stack fault"}};
    for (const Case &c : cases) {
        gRecorder.Reset();
        gSubcode = c.subcode;
        EXPECT_EQ(Guarded(Signal), 10032);
        ASSERT_EQ(gRecorder.boxes.size(), 1u);
        EXPECT_EQ(gRecorder.boxes[0].text, c.text);
        EXPECT_EQ(gRecorder.boxes[0].caption, "Floating point exception");
        EXPECT_EQ(gRecorder.boxes[0].helpId, 10146 + c.subcode);
    }
}

// With every exception masked the faults only leave flags; the status test
// after a point turns the first of them into the message.
struct StatusCase {
    void (*work)();
    const char *text;  // "" when the status test passes
};

void DivideByZero() { gResult = 1.0 / gZero; }
void Underflow() { gResult = gTiny * gTiny; }
void InvalidAndZeroDivide() {
    gResult = gZero / gZero;
    gResult = 1.0 / gZero;
}
void Inexact() { gResult = 1.0 / 3.0 + gZero; }

TEST(FpuFaults, StatusTestReportsTheFirstFlagInOrder) {
    unsigned saved = ReadFpuControlWord();
    LoadControlWord(saved | 0x3F);
    const StatusCase cases[] = {
        {DivideByZero, "Division by zero"},
        {Underflow, "Underflow"},
        {InvalidAndZeroDivide, "Invalid operation"},
        {Inexact, ""},
    };
    for (const StatusCase &c : cases) {
        gRecorder.Reset();
        __asm__ volatile("fnclex");
        static void (*work)();
        work = c.work;
        int jump = Guarded([] {
            work();
            CheckFpuStatus();
        });
        if (*c.text) {
            EXPECT_EQ(jump, 10032) << c.text;
            ASSERT_EQ(gRecorder.boxes.size(), 1u) << c.text;
            EXPECT_EQ(gRecorder.boxes[0].text, c.text);
        } else {
            EXPECT_EQ(jump, 0);
            EXPECT_TRUE(gRecorder.boxes.empty());
        }
        EXPECT_EQ(ReadFpuStatusWord() & 0x3F, 0u) << c.text;  // read and cleared
    }
    LoadControlWord(saved);
}

TEST(FpuFaults, OptionsSetTheRawControlWordBits) {
    unsigned saved = ReadFpuControlWord();
    LoadControlWord((saved & ~0xF3Fu) | 0xC00);  // other bits (rounding) survive
    gControl87 = 0x32;
    gMask87 = 0;
    ApplyFpuOptions();
    unsigned trapping = ReadFpuControlWord();
    LoadControlWord(saved);  // before any arithmetic can trap on the host
    EXPECT_EQ(trapping & 0xF3F, 0xF32u);

    gMask87 = 1;
    ApplyFpuOptions();
    EXPECT_EQ(ReadFpuControlWord() & 0xF3F, (saved & 0xC00) | 0x33Fu);
    LoadControlWord(saved);
    gControl87 = kDefaultControl87;
    gMask87 = kDefaultMask87;
}

// A plug-in name longer than the message buffer is cut, never written past
// it, and the message itself still shows.
TEST(FpuFaults, LongNamesInMessagesAreCut) {
    std::string name(1000, 'n');
    MathErrorRecord record = {kMathDomain, name.c_str(), 1.0, 2.0, 0.0};
    gRecorder.Reset();
    static MathErrorRecord *pending;
    pending = &record;
    EXPECT_EQ(Guarded([] { ReportMathError(pending); }), 10033);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].text, name.substr(0, 128) + "(1,2)\nArgument domain error.");
}

}  // namespace
