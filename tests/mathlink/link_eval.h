// What both link tests need around a call: a one-variable problem to
// evaluate in, and compiled expressions run inside a recovery point.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "compiler.h"
#include "eval_errors.h"
#include "interpreter.h"
#include "problem_settings.h"
#include "workspace.h"

inline void MakeLinkProblem() {
    InstallEvalAbortHandler();
    gProblemKind = kOdeSystem;
    gDimension = 1;
    gParameterCount = 0;
    ASSERT_EQ(NewProblemWorkspace(), 1);
    ResetProblemSettings();
}

inline void FreeLinkProblem() {
    ResetProblemSettings();
    FreeProblemWorkspace();
    gProblemKind = kSingleOde;
    gDimension = 2;
}

// 0 with *result set, or the recovery point's value when the evaluation
// ended.
inline int EvalWithLink(const char *text, double *result) {
    std::vector<unsigned char> code(2000);
    EXPECT_GT(CompileExpression(text, code.data(), static_cast<int>(code.size())), 0) << text;
    volatile double value = 0;
    EvalRecovery r;
    BeginEvalRecovery(&r);
    volatile int jump = VR_SETJMP(gEvalJmpBuf);
    if (jump == 0) value = RunPcode(code.data());
    EndEvalRecovery(&r);
    *result = value;
    return jump;
}
