// The fused right-hand side against the interpreter it is derived from:
// every value bit for bit, every error with its code, box and stack state.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridges.h"
#include "compile_problem.h"
#include "eval_errors.h"
#include "fused_equations.h"
#include "interpreter.h"
#include "math_plugins.h"
#include "memory.h"
#include "opcodes.h"
#include "platform_recorder.h"
#include "problem_settings.h"
#include "workspace.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

uint64_t Bits(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// What one way of evaluating the equations left behind.
struct Result {
    int jump = 0;
    int error = 0;
    std::vector<uint64_t> out;
    std::string boxes;
    double *top = nullptr;
};

// The equations code[0..n-1] at the workspace's current cells, either
// through the form or one RunPcode each, inside a recovery point.
Result Evaluate(PcodeProgram *const *code, int n, bool fused) {
    gRecorder.Reset();
    std::vector<double> out(static_cast<size_t>(n), -7.0);
    double *volatile data = out.data();
    EvalRecovery r;
    BeginEvalRecovery(&r);
    volatile int jump = VR_SETJMP(gEvalJmpBuf);
    if (jump == 0) {
        if (fused) EvaluateEquations(code, n, data, 1);
        else for (int i = 0; i < n; ++i) data[i] = RunPcode(code[i]);
    }
    EndEvalRecovery(&r);
    Result res;
    res.jump = jump;
    res.error = gEvalError;
    for (double v : out) res.out.push_back(Bits(v));
    for (const auto &b : gRecorder.boxes) res.boxes += b.text + " | " + b.caption + "\n";
    res.top = gValueStack.top;
    return res;
}

// The same through the form reading a copy of the variables kept apart,
// while the variables themselves hold something else (and keep it): when
// the form can (Result.jump -1 when it could not, and nothing happened).
Result EvaluateReading(PcodeProgram *const *code, int n) {
    const int count = static_cast<int>(gDimension);
    const std::vector<double> apart(gVariables, gVariables + count);
    for (int i = 0; i < count; ++i) gVariables[i] = -1234.5 - i;
    const std::vector<double> other(gVariables, gVariables + count);
    double *const topBefore = gValueStack.top;
    gRecorder.Reset();
    std::vector<double> out(static_cast<size_t>(n), -7.0);
    double *volatile data = out.data();
    volatile int done = 0;
    EvalRecovery r;
    BeginEvalRecovery(&r);
    volatile int jump = VR_SETJMP(gEvalJmpBuf);
    if (jump == 0) done = EvaluateEquations(code, n, data, 1, apart.data());
    EndEvalRecovery(&r);
    Result res;
    res.jump = jump == 0 && !done ? -1 : jump;
    res.error = gEvalError;
    for (double v : out) res.out.push_back(Bits(v));
    for (const auto &b : gRecorder.boxes) res.boxes += b.text + " | " + b.caption + "\n";
    res.top = gValueStack.top;
    EXPECT_EQ(std::vector<double>(gVariables, gVariables + count), other);
    if (res.jump == -1) {
        EXPECT_EQ(res.top, topBefore);
        EXPECT_EQ(res.boxes, "");
    }
    std::copy(apart.begin(), apart.end(), gVariables);
    return res;
}

void ExpectSameResult(const Result &fused, const Result &reference, const std::string &what) {
    EXPECT_EQ(fused.jump, reference.jump) << what;
    EXPECT_EQ(fused.error, reference.error) << what;
    EXPECT_EQ(fused.out, reference.out) << what;
    EXPECT_EQ(fused.boxes, reference.boxes) << what;
    EXPECT_EQ(fused.top, reference.top) << what;
}

// Returns whether the form could read the variables from elsewhere.
bool ExpectSame(PcodeProgram *const *code, int n, const std::string &what) {
    const Result reference = Evaluate(code, n, false);
    ExpectSameResult(Evaluate(code, n, true), reference, what);
    const Result reading = EvaluateReading(code, n);
    if (reading.jump == -1) return false;
    ExpectSameResult(reading, reference, what + " (reading the variables apart)");
    // and the form reads the variables again afterwards
    ExpectSameResult(Evaluate(code, n, true), reference, what + " (after reading apart)");
    return true;
}

// Stand-ins for plug-in functions.
double VR_PLUGIN_CALL Plugin0() { return 42; }
double VR_PLUGIN_CALL Plugin2(double a, double b) { return a * 10 + b; }
double VR_PLUGIN_CALL PluginFails(double a) { return a > 0 ? HUGE_VAL : -a; }

// Three variables x[1..3], parameters k and big; the problem's own compile.
class FusedEquationsTest : public ::testing::Test {
protected:
    MathFunctionEntry plugins[3] = {
        {"p0", 0, reinterpret_cast<MathFunction>(Plugin0)},
        {"p2", 2, reinterpret_cast<MathFunction>(Plugin2)},
        {"fails", 1, reinterpret_cast<MathFunction>(PluginFails)},
    };

    void SetUp() override { MakeWorkspace(1000); }
    void TearDown() override {
        gMathFunctions = nullptr;
        gMathFunctionCount = 0;
        ClearCalculatorResults();
        FreeProblemWorkspace();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gStackLength = 1000;
        gStatusFrequency = 0;
        gShootingIterations = 0;
        gRecorder.Reset();
    }
    void MakeWorkspace(unsigned stack) {
        gRecorder.Reset();
        InstallEvalAbortHandler();
        gShootingIterations = 0;
        gStatusFrequency = 0;
        gProblemKind = kOdeSystem;
        gDimension = 3;
        gStackLength = stack;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        gMathFunctions = plugins;
        gMathFunctionCount = 3;
    }
    // Compiles the three equations as a run does; false on a compile error.
    bool CompileEquations(const char *a, const char *b, const char *c) {
        const char *texts[] = {a, b, c};
        for (int i = 0; i < 3; ++i) SetNonEmptyStringCopy(gEquationTexts[i], texts[i]);
        return CompileProblem() == 1;
    }
    void SetState(double t, double a, double b, double c) {
        gTime = t;
        gVariables[0] = a;
        gVariables[1] = b;
        gVariables[2] = c;
    }
};

// Each expression covers opcodes of its own; "fused" says whether the form
// runs it itself or hands it to RunPcode.
struct OpcodeCase {
    const char *text;
    bool fused;
};
const OpcodeCase kOpcodeCases[] = {
    {"1.5", true},                                   // PushConst
    {"x[1]", true},                                  // PushCell
    {"x[1] + x[2] - x[3] * 2 / t", true},            // Add Sub Mul Div (pairs, memory operands)
    {"(x[1] + 1) * (x[2] - 2) / (x[3] + t)", true},  // stack operands
    {"x[1] \\ 3 + x[2] % 4 + x[3] ^ 2", true},       // IntDiv Mod Pow
    {"x[1] ^ x[2] + 2 ^ -x[3]", true},               // Pow on the stack, Negate
    {"-x[1] + !x[2] + !0", true},                    // Negate Not
    {"(-8) ^^ (1 / 3) + x[2] ^^ 2", true},           // NthRoot
    {"(x[1] < x[2]) + (x[1] > x[2]) * 2 + (x[1] <= x[3]) * 4 + (x[1] >= x[3]) * 8", true},
    {"(x[1] == x[2]) + (x[1] != x[2]) * 2", true},   // Equal NotEqual
    {"MAX(x[1], x[2], x[3]) - MIN(x[3], x[2], x[1])", true},
    {"RANDOM(0, 1) * 0 + PI", true},                 // Call2
    {"INF() - x[1]", true},                          // Call0
    {"sin(x[1]) + atan2(x[2], x[3]) + RANDOM3(1, 2, 3) * 0", true},  // Call1 Call2 Call3
    {"p0() + p2(x[1], x[2]) + 1 + p0()", true},      // CallMath 0 and 2, first and further push
    {"%[1] + %[2] * x[1]", true},                    // CalculatorResult
    // the fused shapes, first in an equation and over a value already there
    {"x[1] * (x[2] - x[3])", true},
    {"t + x[1] / (x[2] + 2) * 3", true},
    {"(x[1] - x[2]) * x[3] + 8", true},
    {"t - (x[1] / x[2] - x[3]) - (1 + t) * (x[1] - 2)", true},
    {"(x[2] - x[3]) * x[1] - x[2] + 8", true},
    {"(x[1] - x[2]) / x[3]", true},                  // a whole equation in one shape
    {"2 / (x[1] + t)", true},
    {"IF(x[1], 1, 2)", false},                       // If
    {"IF(x[1] - 5, 1, 2, 3)", false},
    {"x[1] && x[2]", false},                         // And
    {"x[1] || x[2]", false},                         // Or
    {"x[1] ? x[2] : x[3]", false},                   // JumpIfZero Jump
};

// States that touch the awkward values: NaN, zero, signs, huge and tiny.
const double kStates[][4] = {
    {0.5, 1, 2, 3},
    {-1, -2.5, 0, 7},
    {1e-300, 1e-200, 1e-160, 1e300},
    {2, kNaN, 1, -1},
    {3, 1.7976931348623157e308, 10, 0.1},
    {0.25, 4.9406564584124654e-324, 2.2250738585072014e-308, -0.0},
};

TEST_F(FusedEquationsTest, EveryOpcodeGivesTheInterpretersBitsAndErrors) {
    for (double v : {0.125, -3.0}) {
        ASSERT_TRUE(gCalculatorResultCount < gCalculatorResultCapacity || GrowCalculatorResults());
        gCalculatorResults[gCalculatorResultCount++] = v;
    }
    for (const OpcodeCase &c : kOpcodeCases) {
        ASSERT_TRUE(CompileEquations(c.text, "x[1] * 10 / 10", "x[2] * x[3] * x[3]")) << c.text;
        ASSERT_EQ(FusedEquationCovered(0), c.fused ? 1 : 0) << c.text;
        EXPECT_EQ(FusedEquationCovered(1), 1);
        for (const auto &s : kStates) {
            SetState(s[0], s[1], s[2], s[3]);
            ExpectSame(gEquationCode, 3, std::string(c.text) + " at x[1] = " + std::to_string(s[1]));
        }
    }
}

// Each fails in its own way at run time; the form must fail the same way,
// after the same equations were written.
TEST_F(FusedEquationsTest, ErrorsAreTheInterpretersAtTheSamePoint) {
    const char *failing[] = {
        "LAMBERTW(-1)",     // a built-in's own error
        "fails(1) + 1",     // a plug-in's +infinity: silent
        "%[5]",             // no such calculator result
        "x[1] + fails(x[1])",
    };
    for (const char *text : failing) {
        ASSERT_TRUE(CompileEquations("x[1] + 1", text, "x[3]")) << text;
        EXPECT_EQ(FusedEquationCovered(1), 1) << text;
        SetState(0, 1, 2, 3);
        ExpectSame(gEquationCode, 3, text);
        SetState(0, -1, 2, 3);
        ExpectSame(gEquationCode, 3, text);
    }
}

// A stack too short for the equations: RunPcode raises "Stack overflow" at
// the push that fills it, after the equations before it were written.
TEST_F(FusedEquationsTest, StackOverflowIsRaisedByTheInterpreterWhereItWould) {
    FreeProblemWorkspace();
    MakeWorkspace(5);
    ASSERT_TRUE(CompileEquations("x[1]", "1 + (1 + (1 + (1 + x[2])))", "x[3]"));
    SetState(0, 1, 2, 3);
    const Result fused = Evaluate(gEquationCode, 3, true);
    EXPECT_EQ(fused.error, kEvalStackOverflow);
    EXPECT_NE(fused.boxes.find("Stack overflow"), std::string::npos);
    EXPECT_EQ(fused.out[0], Bits(1));
    ExpectSame(gEquationCode, 3, "overflow");
    ASSERT_TRUE(CompileEquations("x[1]", "1 + (1 + (1 + x[2]))", "x[3]"));  // L - 1 values fit
    ExpectSame(gEquationCode, 3, "fits");
    EXPECT_EQ(Evaluate(gEquationCode, 3, true).out[1], Bits(5));
}

// Programs that only hand-made code can hold: the form leaves them to the
// interpreter, which reports them as ever.
TEST_F(FusedEquationsTest, InvalidCodeRunsThroughTheInterpreter) {
    static unsigned char unbalanced[] = {kOpPushCell, 0, 0, 0, 0, kOpPushCell, 0, 0, 0, 0, kOpEnd};
    static unsigned char invalid[] = {kOpPushCell, 0, 0, 0, 0, 40, kOpEnd};
    const uint32_t cell = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&gVariables[0]));
    for (unsigned char *p : {unbalanced, invalid}) std::memcpy(p + 1, &cell, 4);
    std::memcpy(unbalanced + 6, &cell, 4);
    PcodeProgram *code[3] = {gPcodeBuffer, unbalanced, invalid};
    ASSERT_GT(CompileExpression("x[1] + 1", gPcodeBuffer, 100), 0);
    ASSERT_EQ(BuildFusedEquations(code, 3), 1);
    EXPECT_EQ(FusedEquationCovered(0), 1);
    EXPECT_EQ(FusedEquationCovered(1), 0);
    EXPECT_EQ(FusedEquationCovered(2), 0);
    SetState(0, 1, 2, 3);
    ExpectSame(code, 3, "unbalanced");
    // Code changed without a compile: whoever changes it builds the form anew.
    code[1] = invalid;
    ASSERT_EQ(BuildFusedEquations(code, 3), 1);
    ExpectSame(code, 3, "invalid");
}

// The right-hand side as the integrators call it: the form is rebuilt when
// the code changes, and the bridge's cells come back unchanged.
TEST_F(FusedEquationsTest, RhsCallbackFollowsRecompiledCode) {
    ASSERT_TRUE(CompileEquations("x[2]", "-x[1]", "x[3] * t"));
    double y[3] = {1, 2, 3}, dydt[3];
    SetState(9, 7, 8, 9);
    RhsCallback(2, y, dydt);
    EXPECT_EQ(std::vector<double>(dydt, dydt + 3), std::vector<double>({2, -1, 6}));
    EXPECT_EQ(gTime, 9);
    EXPECT_EQ(gVariables[0], 7);
    // Code compiled straight into a slot, as a test or a tool might.
    PcodeProgram *spare = gPcodeBuffer + gPcodeLength - 100;
    ASSERT_GT(CompileExpression("x[1] + 100", spare, 100), 0);
    gEquationCode[0] = spare;
    RhsCallback(2, y, dydt);
    EXPECT_EQ(dydt[0], 101);
}

// Equations of cells, constants and arithmetic read the integrator's
// state where it is, with the interpreter's bits; anything that could look
// at the variables some other way (a built-in, a plug-in, the calculator, a
// jump) leaves the form to read them through the variables. The right-hand
// side then gives the same either way, and the variables and t come back
// unchanged, also when y and dydt overlap.
TEST_F(FusedEquationsTest, PureEquationsReadTheStateWhereItIs) {
    struct Case {
        const char *first;
        bool apart;
    } cases[] = {
        {"10 * (x[2] - x[1])", true},
        {"x[1] * (28 - x[3]) - x[2] + t / 3 ^ x[1] - x[2] \\ 3 + x[3] % 2", true},
        {"MAX(x[1], x[2]) - -x[3] + (x[1] < x[2])", true},
        {"sin(x[1])", false},
        {"p0() + x[1]", false},
        {"%[1] + x[1]", false},
        {"IF(x[1], 1, 2)", false},
    };
    ASSERT_TRUE(gCalculatorResultCount < gCalculatorResultCapacity || GrowCalculatorResults());
    gCalculatorResults[gCalculatorResultCount++] = 0.5;
    for (const Case &c : cases) {
        ASSERT_TRUE(CompileEquations(c.first, "x[1] * (28 - x[3]) - x[2]", "x[1] * x[2] - 8 / 3 * x[3]")) << c.first;
        for (const auto &st : kStates) {
            SetState(st[0], st[1], st[2], st[3]);
            EXPECT_EQ(ExpectSame(gEquationCode, 3, c.first), c.apart) << c.first;
        }
        SetState(9, 7, 8, 9);
        double y[4] = {1.5, -2, 3, 0}, dydt[3];
        RhsCallback(2, y, dydt);
        SetState(2, 1.5, -2, 3);
        const Result reference = Evaluate(gEquationCode, 3, false);
        EXPECT_EQ(std::vector<uint64_t>({Bits(dydt[0]), Bits(dydt[1]), Bits(dydt[2])}), reference.out) << c.first;
        // y and dydt one apart: each result lands on a value not yet read
        // by the interpreter's copy, which the form must not see either.
        SetState(9, 7, 8, 9);
        y[0] = 1.5, y[1] = -2, y[2] = 3;
        RhsCallback(2, y, y + 1);
        EXPECT_EQ(std::vector<uint64_t>({Bits(y[1]), Bits(y[2]), Bits(y[3])}), reference.out) << c.first;
        EXPECT_EQ(gTime, 9);
        EXPECT_EQ(std::vector<double>(gVariables, gVariables + 3), std::vector<double>({7, 8, 9}));
    }
}

// Every compiled expression of a whole problem (equations, initial
// functions, boundary conditions, status line): the form built over each
// array gives the interpreter's bits.
TEST_F(FusedEquationsTest, EveryExpressionOfAProblemAgrees) {
    FreeProblemWorkspace();
    gProblemKind = kOdeSystem;
    gDimension = 4;
    gParameterCount = 0;
    ASSERT_EQ(NewProblemWorkspace(), 1);
    const char *equations[] = {"-0.5 * x[1] + x[2] * x[3] - x[4] ^ 3", "sqrt(abs(x[1])) - cos(t) * x[2]",
                               "MAX(x[1], 0) * MIN(x[2], 1) + exp(-x[3] * x[3] / 2)",
                               "(x[1] + x[2]) * (x[3] - x[4]) / (1 + t * t) + x[1] % 2 - x[2] \\ 3"};
    const char *initial[] = {"sin(t)", "cos(t) * 2", "t ^ 2 - 1", "1 / (1 + t)"};
    const char *boundary[] = {"x0[1] - 1", "x0[2] * x0[3]", "x0[3] + x0[4] * 2", "x0[4] ^ 2 - 3"};
    for (int i = 0; i < 4; ++i) {
        SetNonEmptyStringCopy(gEquationTexts[i], equations[i]);
        SetNonEmptyStringCopy(gInitialFunctionTexts[i], initial[i]);
        SetNonEmptyStringCopy(gBoundaryTexts[i], boundary[i]);
    }
    gShootingIterations = 3;
    gStatusFrequency = 1;
    SetNonEmptyStringCopy(gStatusFirstExpression, "t * 1000 + x[1]");
    SetNonEmptyStringCopy(gStatusSecondExpression, "x[2] ^ 2 + x[3] ^ 2");
    ASSERT_EQ(CompileProblem(), 1);
    struct Array {
        PcodeProgram *const *code;
        int count;
        const char *what;
    } arrays[] = {{gEquationCode, 4, "equations"}, {gInitialFunctionCode, 4, "initial functions"},
                  {gBoundaryCode, 4, "boundary conditions"}, {gStatusLineCode, 2, "status line"}};
    for (const Array &a : arrays) {
        for (int i = 0; i < a.count; ++i) ASSERT_NE(a.code[i], nullptr) << a.what;
        ASSERT_EQ(BuildFusedEquations(a.code, a.count), 1);
        for (const auto &s : kStates) {
            gTime = s[0];
            for (int i = 0; i < 4; ++i) gVariables[i] = gInitialValues[i] = s[1 + i % 3] * (i + 1);
            ExpectSame(a.code, a.count, std::string(a.what) + " at t = " + std::to_string(s[0]));
        }
    }
}

// A system of n equations, equation i from shape with A, B, C, D standing
// for x[i + 1], x[i - 2], x[i - 1], x[i] around a ring of the variables
// x[first + 1 .. n] (mod n - first); the equations before first read x[1].
std::string RingEquation(const std::string &shape, int i, int first, int n) {
    const int length = n - first;
    std::string text;
    for (char c : shape) {
        const int offset = c == 'A' ? 1 : c == 'B' ? -2 : c == 'C' ? -1 : c == 'D' ? 0 : 99;
        if (offset == 99) text += c;
        else text += "x[" + std::to_string(first + ((i - first + offset) % length + length) % length + 1) + "]";
    }
    return text;
}

class FusedColumnsTest : public FusedEquationsTest {
protected:
    int n = 0;
    // Compiles the ring system as a run does; the first equations, before
    // the ring, are prefix.
    bool CompileRing(const std::string &shape, int size, const std::vector<std::string> &prefix = {}) {
        FreeProblemWorkspace();
        gProblemKind = kOdeSystem;
        gDimension = static_cast<unsigned>(size);
        gStackLength = 1000;
        gParameterCount = 0;
        if (NewProblemWorkspace() != 1) return false;
        n = size;
        const int first = static_cast<int>(prefix.size());
        for (int i = 0; i < n; ++i)
            SetNonEmptyStringCopy(gEquationTexts[i], i < first ? prefix[static_cast<size_t>(i)].c_str()
                                                              : RingEquation(shape, i, first, n).c_str());
        return CompileProblem() == 1;
    }
    // Variables from the awkward values, a different mix per state.
    void SetRingState(int state) {
        static const double kValues[] = {0.5,   -2.5, 3,      1e300, -1e-300, 4.9406564584124654e-324,
                                         kNaN,  0,    -0.0,   7,     1.7976931348623157e308,
                                         -HUGE_VAL, 2.2250738585072014e-308, 1e-160, 10, -3};
        constexpr int kCount = sizeof kValues / sizeof *kValues;
        gTime = kValues[(state * 3) % kCount];
        for (int i = 0; i < n; ++i) gVariables[i] = state == 0 ? 0.25 * (i + 1) : kValues[(i * (state + 2) + state) % kCount];
    }
};

// Every form of the column operations (an operand from the ring, from one
// cell, a constant, a slot; in place and reversed; negation), with rings
// that wrap at every place and one that starts after other equations.
TEST_F(FusedColumnsTest, RingsOfOneShapeGiveTheInterpretersBits) {
    const char *shapes[] = {
        "(A - B) * C - D + 8",         // Lorenz-96
        "A",                           // a copy of the ring
        "-A + 0.5",                    // negation of a copy
        "2 * A - t",                   // a constant, then a cell, in place
        "A / 3 / D",                   // constant second
        "t - A * B",                   // reversed, a cell below
        "1 - A * B",                   // reversed, a constant below
        "(A + B) * (C - D)",           // slot by slot
        "A - (B - (C - D))",           // reversed twice
        "-(A + 1) / -B",               // negation of a slot
        "D * 1e300 * A * 1e300",       // overflow to infinity
        "A / (B - B) + (C - C) / D",   // division by zero, 0 / 0
        "t * t + t",                   // the same cell in every equation
        "5",                           // a constant in every equation
    };
    for (const char *shape : shapes) {
        for (int size : {4, 5, 9}) {
            ASSERT_TRUE(CompileRing(shape, size)) << shape;
            for (int i = 0; i < size; ++i) EXPECT_EQ(FusedEquationInColumns(i), 1) << shape << " " << i;
            for (int state = 0; state < 8; ++state) {
                SetRingState(state);
                ExpectSame(gEquationCode, n, std::string(shape) + " size " + std::to_string(size) + " state " +
                                                 std::to_string(state));
            }
        }
        // A ring after equations of other shapes, and one too short for columns.
        ASSERT_TRUE(CompileRing(shape, 10, {"x[1] * 2", "sin(x[1])"})) << shape;
        EXPECT_EQ(FusedEquationInColumns(1), 0) << shape;
        EXPECT_EQ(FusedEquationInColumns(2), 1) << shape;
        EXPECT_EQ(FusedEquationInColumns(9), 1) << shape;
        for (int state = 0; state < 8; ++state) {
            SetRingState(state);
            ExpectSame(gEquationCode, n, std::string(shape) + " after others, state " + std::to_string(state));
        }
        ASSERT_TRUE(CompileRing(shape, 3));
        EXPECT_EQ(FusedEquationInColumns(0), 0) << shape;
    }
}

// Equations of one shape that read no ring (every second variable, or the
// ring of another length), and calls: equation by equation, same bits.
TEST_F(FusedColumnsTest, OtherPatternsRunEquationByEquation) {
    ASSERT_TRUE(CompileRing("A", 6));
    ASSERT_EQ(FusedEquationInColumns(0), 1);
    std::vector<std::string> texts = {"x[1] - x[2]", "x[3] - x[4]", "x[5] - x[6]", "x[1] - x[3]",
                                      "x[2] - x[4]", "x[6] - x[5]"};
    for (int i = 0; i < 6; ++i) SetNonEmptyStringCopy(gEquationTexts[i], texts[static_cast<size_t>(i)].c_str());
    ASSERT_EQ(CompileProblem(), 1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(FusedEquationInColumns(i), 0) << i;
    SetRingState(1);
    ExpectSame(gEquationCode, 6, "no ring");
    ASSERT_TRUE(CompileRing("sin(A) + D", 6));
    EXPECT_EQ(FusedEquationInColumns(0), 0);
    SetRingState(2);
    ExpectSame(gEquationCode, 6, "calls");
}

// The results written over the very cells the equations read: each
// equation sees the ones written before it, as one RunPcode after another.
TEST_F(FusedColumnsTest, OutputOverTheCellsReadRunsInOrder) {
    ASSERT_TRUE(CompileRing("(A - B) * C - D + 8", 7));
    ASSERT_EQ(FusedEquationInColumns(0), 1);
    SetRingState(0);
    std::vector<double> start(gVariables, gVariables + n);
    for (int i = 0; i < n; ++i) gVariables[i] = RunPcode(gEquationCode[i]);
    const std::vector<double> reference(gVariables, gVariables + n);
    std::copy(start.begin(), start.end(), gVariables);
    EvaluateEquations(gEquationCode, n, gVariables, 1);
    EXPECT_EQ(std::vector<double>(gVariables, gVariables + n), reference);
    // and the columns' own results differ from those: the test means something
    std::copy(start.begin(), start.end(), gVariables);
    std::vector<double> apart(static_cast<size_t>(n));
    EvaluateEquations(gEquationCode, n, apart.data(), 1);
    EXPECT_NE(apart, reference);
}

}  // namespace
