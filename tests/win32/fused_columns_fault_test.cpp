// Equations of one shape around a ring, evaluated a column at a time, with
// the x87 exceptions trapping as the program sets them: the trap must come
// where the interpreter's comes, equation by equation, with its message,
// and the results before it must be the interpreter's.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridges.h"
#include "compile_problem.h"
#include "eval_errors.h"
#include "fpu_faults.h"
#include "fused_equations.h"
#include "interpreter.h"
#include "memory.h"
#include "problem_settings.h"
#include "settings.h"
#include "win32_modal.h"
#include "workspace.h"

namespace {

constexpr int kSize = 6;

struct Outcome {
    int jump = 0;
    std::string box;
    std::vector<uint64_t> out;
};

uint64_t Bits(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// The right-hand side as the integrator calls it, on a state kept apart
// from the variables (which hold something else and keep it); t is put back.
void RhsApart(double *out) {
    std::vector<double> apart(gVariables, gVariables + kSize);
    for (int i = 0; i < kSize; ++i) gVariables[i] = 9;
    gTime = 3;
    RhsCallback(0.5, apart.data(), out);
}

Outcome Evaluate(bool fused, bool faults, bool rhs = false) {
    std::vector<double> out(kSize, -7.0);
    double *volatile data = out.data();
    Outcome o;
    const std::vector<double> variables(gVariables, gVariables + kSize);
    {
        ModalAnswerer *answer = faults ? new ModalAnswerer(IDOK) : nullptr;
        EvalRecovery r;
        BeginEvalRecovery(&r);
        volatile int jump = VR_SETJMP(gEvalJmpBuf);
        if (jump == 0) {
            if (rhs) RhsApart(data);
            else if (fused) EvaluateEquations(gEquationCode, kSize, data, 1);
            else for (int i = 0; i < kSize; ++i) data[i] = RunPcode(gEquationCode[i]);
            FpuWait();
        }
        EndEvalRecovery(&r);
        o.jump = jump;
        if (answer) {
            const ModalCapture &box = answer->Result();
            if (box.found) o.box = box.text;
            delete answer;
        }
    }
    for (double v : out) o.out.push_back(Bits(v));
    if (rhs) {
        EXPECT_EQ(gTime, 3);
        EXPECT_EQ(std::vector<double>(gVariables, gVariables + kSize), std::vector<double>(kSize, 9.0));
        for (int i = 0; i < kSize; ++i) gVariables[i] = variables[static_cast<size_t>(i)];
    }
    return o;
}

class FusedColumnsFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = ReadFpuControlWord();
        gControl87 = kDefaultControl87;
        gMask87 = kDefaultMask87;
        ApplyFpuOptions();
        InstallFloatingPointHandler();
        gProblemKind = kOdeSystem;
        gDimension = kSize;
        gStackLength = 1000;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        gShootingIterations = 0;
        gStatusFrequency = 0;
        // x[i] * 1e300 / x[i + 1], around the ring
        for (int i = 0; i < kSize; ++i) {
            const std::string text = "x[" + std::to_string(i + 1) + "] * 1e300 / x[" +
                                     std::to_string((i + 1) % kSize + 1) + "]";
            SetNonEmptyStringCopy(gEquationTexts[i], text.c_str());
        }
        ASSERT_EQ(CompileProblem(), 1);
    }
    void TearDown() override {
        RemoveFloatingPointHandler();
        FreeProblemWorkspace();
        unsigned short w = static_cast<unsigned short>(saved_);
        __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(w));
        gControl87 = kDefaultControl87;
        gMask87 = kDefaultMask87;
    }
    void SetVariables(std::vector<double> v) {
        for (int i = 0; i < kSize; ++i) gVariables[i] = v[static_cast<size_t>(i)];
    }
    unsigned saved_;
};

TEST_F(FusedColumnsFaultTest, TrapsComeWhereTheInterpretersCome) {
    ASSERT_EQ(FusedEquationInColumns(0), 1);
    // Equation 3 divides by zero; equation 6 overflows, and a column at a
    // time its multiplication would come first.
    SetVariables({1, 2, 3, 0, 5, 1e10});
    const Outcome reference = Evaluate(false, true);
    EXPECT_EQ(reference.jump, 10032);
    EXPECT_EQ(reference.box, "Division by zero");
    const Outcome fused = Evaluate(true, true);
    EXPECT_EQ(fused.jump, reference.jump);
    EXPECT_EQ(fused.box, reference.box);
    EXPECT_EQ(fused.out, reference.out);
    EXPECT_EQ(fused.out[0], Bits(0.5e300));
    EXPECT_EQ(fused.out[2], Bits(-7.0));
    EXPECT_EQ(ReadFpuControlWord() & 0x33F, 0x332u);
    // The same when the equations read the integrator's state in place.
    const Outcome rhs = Evaluate(true, true, true);
    EXPECT_EQ(rhs.jump, reference.jump);
    EXPECT_EQ(rhs.box, reference.box);
    EXPECT_EQ(rhs.out, reference.out);
    EXPECT_EQ(ReadFpuControlWord() & 0x33F, 0x332u);
}

TEST_F(FusedColumnsFaultTest, WithoutAFaultTheColumnsGiveTheInterpretersBits) {
    SetVariables({1, 3, 7, 0.1, -5, 2.5});
    const Outcome reference = Evaluate(false, false);
    const Outcome fused = Evaluate(true, false);
    EXPECT_EQ(fused.jump, 0);
    EXPECT_EQ(fused.out, reference.out);
    const Outcome rhs = Evaluate(true, false, true);
    EXPECT_EQ(rhs.jump, 0);
    EXPECT_EQ(rhs.out, reference.out);
    // the control word is the options' again, and nothing is pending
    EXPECT_EQ(ReadFpuControlWord() & 0x33F, 0x332u);
    EXPECT_EQ(ReadFpuStatusWord() & 0x80, 0u);
}

}  // namespace
