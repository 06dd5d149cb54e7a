#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "eval_errors.h"
#include "platform_recorder.h"
#include "solver_method.h"

namespace {

class EvalErrorsTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorder.Reset();
        InstallEvalAbortHandler();
    }
};

// Raises code inside a guard; returns what setjmp gave back.
int RaiseGuarded(int code) {
    EvalRecovery r;
    BeginEvalRecovery(&r);
    volatile int result = VR_SETJMP(gEvalJmpBuf);
    if (result == 0) RaiseEvalError(code);
    EndEvalRecovery(&r);
    return result;
}

TEST_F(EvalErrorsTest, CodesMapToTheirMessagesAndCaptions) {
    struct Case {
        int code;
        std::string text;     // "" when no box
        std::string caption;
        int jump;
    } cases[] = {
        {0, "Root finding failed", "P-code interpreter error", 10034},
        {7, "No such calculator result", "P-code interpreter error", 10034},
        {8, "Order too high", "Interpolation error", 10035},
        {-1, "Step too small", "Vantorel Error", 10035},
        {-9, "Invalid code", "Vantorel Error", 10035},
        {-10, "Argument domain error", "Vantorel Error", 10035},
        {-15, "Partial loss of significance", "Vantorel Error", 10035},
        {-16, "Invalid operation", "Vantorel Error", 10035},
        {-100, "", "Vantorel Error", 10035},  // id 10359 has no text yet
        {-101, "Code DLL error -101", "Vantorel Error", 10035},
        {-1000, "Code DLL error -1000", "Vantorel Error", 10035},
        {-2000, "", "", 10035},
    };
    for (const Case &c : cases) {
        gRecorder.Reset();
        EXPECT_EQ(RaiseGuarded(c.code), c.jump) << c.code;
        if (c.caption.empty()) {
            EXPECT_TRUE(gRecorder.boxes.empty()) << c.code;
            continue;
        }
        ASSERT_EQ(gRecorder.boxes.size(), 1u) << c.code;
        EXPECT_EQ(gRecorder.boxes[0].text, c.text) << c.code;
        EXPECT_EQ(gRecorder.boxes[0].caption, c.caption) << c.code;
        EXPECT_EQ(gEvalError, c.code);
    }
    EXPECT_EQ(EvalErrorStringId(-100).stringId, 10359);
    EXPECT_EQ(EvalErrorStringId(-2000).stringId, 0);
}

int gHookRuns;
void CountHook() { ++gHookRuns; }

TEST_F(EvalErrorsTest, NestedGuardsRestoreTheOuterRecoveryPoint) {
    AddEvalAbortHook(CountHook);
    AddEvalAbortHook(CountHook);  // registered once
    gHookRuns = 0;
    volatile int innerResult = -1;
    EvalRecovery outer;
    BeginEvalRecovery(&outer);
    volatile int outerResult = VR_SETJMP(gEvalJmpBuf);
    if (outerResult == 0) {
        innerResult = RaiseGuarded(kEvalStackOverflow);
        gEvaluating = 1;
        RaiseEvalError(kEvalSilentAbort);  // must land in the outer guard
    }
    EndEvalRecovery(&outer);
    EXPECT_EQ(innerResult, 10034);
    EXPECT_EQ(outerResult, 10035);
    EXPECT_EQ(gEvaluating, 0);
    EXPECT_EQ(gHookRuns, 2);
}

TEST_F(EvalErrorsTest, CancelInAnEvaluationErrorStopsTheRun) {
    gRunState.stopRequested = 0;
    gRecorder.answers = {2};
    RaiseGuarded(-1);
    EXPECT_EQ(gRunState.stopRequested, 1);
    gRunState.stopRequested = 0;
}

TEST_F(EvalErrorsTest, MathErrorsUnderflowIsZeroOthersAbortWithTheirFormat) {
    MathErrorRecord under = {kMathUnderflow, "exp", -1000, 0, 1e-300};
    EXPECT_EQ(ReportMathError(&under), 1);
    EXPECT_EQ(under.retval, 0.0);
    EXPECT_TRUE(gRecorder.boxes.empty());

    struct Case {
        MathErrorRecord record;
        const char *text;
    } cases[] = {
        {{kMathDomain, "lnGamma", -1, 0, 0}, "lnGamma(-1)\nArgument domain error."},
        {{kMathOverflow, "pow", 10, 400, 0}, "pow(10,400)\nOverflow range error."},
        {{kMathDomain, "log1p", -2, 0, 0}, "log1p(-2,0)\nArgument domain error."},
    };
    for (Case &c : cases) {
        gRecorder.Reset();
        EvalRecovery r;
        BeginEvalRecovery(&r);
        volatile int jumped = VR_SETJMP(gEvalJmpBuf);
        if (jumped == 0) ReportMathError(&c.record);
        EndEvalRecovery(&r);
        EXPECT_EQ(jumped, 10033);
        ASSERT_EQ(gRecorder.boxes.size(), 1u);
        EXPECT_EQ(gRecorder.boxes[0].text, c.text);
        EXPECT_EQ(gRecorder.boxes[0].caption, "Library function error");
    }
}

}  // namespace
