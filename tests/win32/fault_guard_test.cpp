// Arithmetic faults inside guarded evaluations, for real on the x87 unit.
#include <windows.h>

#include <gtest/gtest.h>

#include "eval_errors.h"
#include "fault_guard.h"
#include "fpu_faults.h"
#include "messages.h"
#include "settings.h"
#include "win32_modal.h"

namespace {

volatile double gZero = 0.0;
volatile double gHuge = 1e308;
volatile double gResult;
volatile int gIntZero = 0;
volatile int gIntOne = 1;
volatile int gIntResult;

void DivideByZero(void *) { gResult = 1.0 / gZero; }
void Overflow(void *) { gResult = gHuge * gHuge; }
void IntegerDivideByZero(void *) { gIntResult = gIntOne / gIntZero; }
void DivideThenCheck(void *) {
    gResult = 1.0 / gZero;
    CheckFpuStatus();
}

class FaultGuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = ReadFpuControlWord();
        gControl87 = kDefaultControl87;
        gMask87 = kDefaultMask87;
        ApplyFpuOptions();
    }
    void TearDown() override {
        RemoveFloatingPointHandler();
        unsigned short w = static_cast<unsigned short>(saved_);
        __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(w));
        gControl87 = kDefaultControl87;
        gMask87 = kDefaultMask87;
    }
    unsigned saved_;
};

struct Outcome {
    int jump;
    ModalCapture box;
};

Outcome RunAnswered(void (*work)(void *)) {
    ModalAnswerer answer(IDOK);
    int jump = RunFaultGuarded(work, nullptr);
    return {jump, answer.Result()};
}

TEST_F(FaultGuardTest, FaultsInAGuardedEvaluationAreReportedAndTheProgramCarriesOn) {
    struct Case {
        void (*work)(void *);
        const char *text;
    } cases[] = {
        {DivideByZero, "Division by zero"},
        {Overflow, "Overflow range error"},
        {IntegerDivideByZero, "Integer division by zero"},
        {DivideByZero, "Division by zero"},  // again: the handler stays in place
    };
    for (const Case &c : cases) {
        Outcome o = RunAnswered(c.work);
        EXPECT_EQ(o.jump, 10032) << c.text;
        ASSERT_TRUE(o.box.found) << c.text;
        EXPECT_EQ(o.box.text, c.text);
        EXPECT_EQ(o.box.caption, "Floating point exception");
        // "Control 87" 0x32 with 64-bit precision: invalid, zero-divide and
        // overflow trap, the rest masked; no unmasked exception pending.
        EXPECT_EQ(ReadFpuControlWord() & 0x33F, 0x332u) << c.text;
        EXPECT_EQ(ReadFpuStatusWord() & 0x80, 0u) << c.text;
        EXPECT_EQ(EvalRecoveryDepth(), 0);
    }
    gResult = 2.0 / 4.0;  // plain arithmetic works on afterwards
    EXPECT_EQ(gResult, 0.5);
}

TEST_F(FaultGuardTest, ControlWordFollowsTheOptionsAfterAFault) {
    gControl87 = 0x3B;  // zero-divide alone traps
    ApplyFpuOptions();
    Outcome o = RunAnswered(DivideByZero);
    EXPECT_EQ(o.box.text, "Division by zero");
    EXPECT_EQ(ReadFpuControlWord() & 0x33F, 0x33Bu);
    EXPECT_EQ(RunFaultGuarded(Overflow, nullptr), 0);  // overflow is masked now
}

TEST_F(FaultGuardTest, WithMask87TheStatusTestReportsTheFault) {
    gMask87 = 1;
    ApplyFpuOptions();
    EXPECT_EQ(ReadFpuControlWord() & 0x33F, 0x33Fu);
    Outcome o = RunAnswered(DivideThenCheck);
    EXPECT_EQ(o.jump, 10032);
    EXPECT_EQ(o.box.text, "Division by zero");
    EXPECT_EQ(o.box.caption, "Floating point exception");
    EXPECT_EQ(ReadFpuStatusWord() & 0x0D, 0u);
}

// The run's route: the floating-point signal with the fault's subcode, at
// the run's own recovery point.
int RunWithSignal(void (*work)(void *)) {
    EvalRecovery r;
    BeginEvalRecovery(&r);
    volatile int jump = VR_SETJMP(gEvalJmpBuf);
    if (jump == 0) {
        work(nullptr);
        FpuWait();
    }
    EndEvalRecovery(&r);
    return jump;
}

TEST_F(FaultGuardTest, InstalledSignalRouteReportsBySubcode) {
    InstallFloatingPointHandler();
    struct Case {
        void (*work)(void *);
        const char *text;
        int id;
    } cases[] = {
        {DivideByZero, "Division by zero", 10277},
        {Overflow, "Overflow", 10278},
        {IntegerDivideByZero, "Integer division by zero", 10273},
    };
    for (const Case &c : cases) {
        ModalAnswerer answer(IDOK);
        EXPECT_EQ(RunWithSignal(c.work), 10032) << c.text;
        const ModalCapture &box = answer.Result();
        ASSERT_TRUE(box.found) << c.text;
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.caption, "Floating point exception");
        EXPECT_EQ(gLastStringId, c.id);
        EXPECT_EQ(ReadFpuControlWord() & 0x33F, 0x332u);
    }
}

// A guarded block around a run-style recovery point: the inner one reports.
void NestedRun(void *) {
    EXPECT_EQ(RunWithSignal(Overflow), 10032);
    gResult = 1.0;
}

TEST_F(FaultGuardTest, InnermostRecoveryPointTakesTheFault) {
    InstallFloatingPointHandler();
    ModalAnswerer answer(IDOK);
    EXPECT_EQ(RunFaultGuarded(NestedRun, nullptr), 0);
    EXPECT_EQ(answer.Result().text, "Overflow");
}

// Evaluation errors inside a guarded block land there too.
void RaiseStackOverflow(void *) { RaiseEvalError(kEvalStackOverflow); }

TEST_F(FaultGuardTest, EvaluationErrorsEndTheGuardedBlock) {
    InstallEvalAbortHandler();
    Outcome o = RunAnswered(RaiseStackOverflow);
    EXPECT_EQ(o.jump, 10034);
    EXPECT_EQ(o.box.text, "Stack overflow");
    EXPECT_EQ(o.box.caption, "P-code interpreter error");
}

}  // namespace
