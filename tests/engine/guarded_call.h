// Calls a built-in inside a recovery point, as an evaluating caller would,
// and reports whether it returned or jumped (and with which value).
#pragma once
#include "eval_errors.h"

struct GuardedResult {
    int jump;      // 0: returned; else the recovery point's value (10032 + kind)
    double value;  // the result when it returned
};

template <class Call>
GuardedResult CallGuarded(Call call) {
    volatile double value = 0;
    EvalRecovery r;
    BeginEvalRecovery(&r);
    volatile int jump = VR_SETJMP(gEvalJmpBuf);
    if (jump == 0) value = call();
    EndEvalRecovery(&r);
    return {jump, value};
}

// Jump values: a math-library error and an evaluator error.
constexpr int kLibraryErrorJump = 10033;
constexpr int kEvaluatorErrorJump = 10034;
