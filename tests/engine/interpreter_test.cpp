#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builtin_math.h"
#include "builtin_tables.h"
#include "compiler.h"
#include "drawing_commands.h"
#include "eval_errors.h"
#include "interpreter.h"
#include "math_plugins.h"
#include "mathlink.h"
#include "memory.h"
#include "opcodes.h"
#include "platform_recorder.h"
#include "run_control.h"
#include "settings.h"
#include "solver_method.h"
#include "workspace.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Recovery-point values: an evaluator error (message with the abort) and a
// silent or method-band abort.
constexpr int kEvaluatorJump = 10034;
constexpr int kSilentJump = 10035;

struct Outcome {
    int jump;  // 0: returned
    double value;
};

// Runs code inside a recovery point, as every evaluating caller does.
Outcome RunGuarded(const unsigned char *code) {
    volatile double value = 0;
    EvalRecovery r;
    BeginEvalRecovery(&r);
    volatile int jump = VR_SETJMP(gEvalJmpBuf);
    if (jump == 0) value = RunPcode(code);
    EndEvalRecovery(&r);
    return {jump, value};
}

// A system of three variables x[1..3] (u names x[1]) and a value stack of
// the given length.
class InterpreterTest : public ::testing::Test {
protected:
    void SetUp() override { MakeWorkspace(1000); }

    void TearDown() override {
        gMathFunctions = nullptr;
        gMathFunctionCount = 0;
        gMathLinkOn = 0;
        gDrawingTarget = nullptr;
        SetDrawingCommandsEnabled(0);
        ClearCalculatorResults();
        FreeProblemWorkspace();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gStackLength = 1000;
    }

    void MakeWorkspace(unsigned stackLength) {
        gRecorder.Reset();
        InstallEvalAbortHandler();
        gProblemKind = kOdeSystem;
        gDimension = 3;
        gStackLength = stackLength;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        ColumnEntry &u = gColumnTable[kFixedColumnCount];
        SetNonEmptyStringCopy(u.name, "u");
        u.address = &gVariables[0];
    }

    Outcome Eval(const char *text) {
        std::vector<unsigned char> code(2000);
        const int length = CompileExpression(text, code.data(), static_cast<int>(code.size()));
        EXPECT_GT(length, 0) << text << ": compile error " << gEvalError;
        if (length == 0) return {-1, kNaN};
        Outcome o = RunGuarded(code.data());
        if (o.jump == 0) {
            EXPECT_EQ(gValueStack.top, gValueStack.base) << text;
        }
        return o;
    }

    double Value(const char *text) {
        Outcome o = Eval(text);
        EXPECT_EQ(o.jump, 0) << text << ": error " << gEvalError;
        return o.value;
    }

    // The error code of text, which must abort; "" or the one box's text.
    std::string ErrorText(const char *text, int expectedJump) {
        gRecorder.Reset();
        Outcome o = Eval(text);
        EXPECT_EQ(o.jump, expectedJump) << text;
        EXPECT_EQ(gValueStack.top, gValueStack.base) << text;  // reset by the abort
        if (gRecorder.boxes.empty()) return "";
        EXPECT_EQ(gRecorder.boxes.size(), 1u);
        return gRecorder.boxes[0].text + " | " + gRecorder.boxes[0].caption;
    }
};

bool SameValue(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

struct SemanticsCase {
    const char *text;
    double value;
};

const SemanticsCase kSemantics[] = {
    {"IF(NAN(), 1, 2)", 1},
    {"IF(-1, 1, 2, 3)", 3},
    {"IF(0, 1, 2, 3)", 2},
    {"IF(NAN(), 1, 2, 3)", 3},
    {"IF(0.5, 1, 2, 3)", 1},
    {"IF(-1, 1, 2)", 1},
    {"IF(0, 1, 2)", 2},
    {"NAN() != NAN()", 1},
    {"NAN() == NAN()", 0},
    {"NAN() < 1", 0},
    {"1 >= NAN()", 0},
    {"NAN() <= NAN()", 0},
    {"NAN() > -INF()", 0},
    {"2 < 3", 1},
    {"3 <= 3", 1},
    {"3 > 3", 0},
    {"1 != 1", 0},
    {"MAX(NAN(), 1)", kNaN},
    {"MAX(1, NAN())", 1},
    {"MIN(NAN(), 1)", kNaN},
    {"MIN(1, NAN())", 1},
    {"MAX(1, 5, 3)", 5},
    {"MIN(4, -2, 3)", -2},
    {"2 && 3", 3},
    {"0 && NAN()", 0},
    {"NAN() && 4", 4},
    {"0 || 0", 0},
    {"NAN() || 5", kNaN},
    {"0 || 5", 5},
    {"-2 || 5", -2},
    {"!0", 1},
    {"!NAN()", 0},
    {"!(-3)", 0},
    {"0 ? 2 : 3", 3},
    {"NAN() ? 2 : 3", 2},
    {"-7 \\ 2", -4},
    {"-7 % 2", 1},
    {"7 \\ -2", -3},
    {"7 / 2", 3.5},
    {"1 / 0", kInf},
    {"0 / 0", kNaN},
    {"2 ^ 10", 1024},
    {"-2 ^ 2", -4},
    {"10 - 4 - 3", 3},
    {"2 * 3 + 4 * 5", 26},
    // a / b is 2^51 + 0.5 as a double, so it rounds up.
    {"ROUNDMULTIPLE(5 * 2 ^ 51 + 2, 5)", 11258999068426244.0},
};

TEST_F(InterpreterTest, SemanticsOfOperatorsAndConditionals) {
    for (const SemanticsCase &c : kSemantics) {
        const double v = Value(c.text);
        EXPECT_TRUE(SameValue(v, c.value)) << c.text << " gave " << v << ", expected " << c.value;
    }
}

TEST_F(InterpreterTest, StandardFunctionsAreBoundToTheirMeaning) {
    const SemanticsCase cases[] = {
        {"sin(1)", std::sin(1.0)},      {"cos(1)", std::cos(1.0)},      {"tan(1)", std::tan(1.0)},
        {"asin(0.5)", std::asin(0.5)},  {"arccos(0.5)", std::acos(0.5)}, {"arctan(2)", std::atan(2.0)},
        {"sinh(1)", std::sinh(1.0)},    {"cosh(1)", std::cosh(1.0)},    {"tanh(1)", std::tanh(1.0)},
        {"exp(1)", std::exp(1.0)},      {"ln(E)", 1},                   {"log(E)", 1},
        {"log10(1000)", 3},             {"sqrt(2)", std::sqrt(2.0)},    {"abs(-2)", 2},
        {"fabs(-2)", 2},                {"ceil(1.2)", 2},               {"ceiling(-1.2)", -1},
        {"floor(-1.5)", -2},            {"int(-1.5)", -2},              {"atan2(1, 2)", std::atan2(1.0, 2.0)},
        {"arctan2(-1, -2)", std::atan2(-1.0, -2.0)}, {"hypot(3, 4)", 5}, {"INF() + INFINITY()", kInf},
        {"ITERATIONORDER()", 0},
    };
    // The expected values may be folded at compile time, correctly rounded,
    // where the run-time library is off by an ulp: the binding is what counts.
    for (const SemanticsCase &c : cases) {
        const double v = Value(c.text);
        EXPECT_TRUE(SameValue(v, c.value) || std::fabs(v - c.value) <= 1e-15 * std::fabs(c.value))
            << c.text << " gave " << v;
    }
}

// The system's own functions, reached through their keywords and operators.
TEST_F(InterpreterTest, OwnFunctionsAreBoundToTheirKeywordsAndOperators) {
    const int savedDenominator = gPowerDenominator;
    gPowerDenominator = 3;
    const SemanticsCase cases[] = {
        {"ROUND(-2.5) + 10 * ROUND(0.5)", 8},
        {"ROUNDMULTIPLE(7, 5)", 5},
        {"FRACC(-0.25)", 0.75},
        {"MOD(5, -3)", 2},
        {"DIV(-1, 3)", -1},
        {"SGN(NAN()) + 10 * SIGN(2)", 9},
        {"STEP(0)", 0.5},
        {"SQR(3)", 9},
        {"SINGLE(0.1)", static_cast<double>(0.1f)},
        {"CHOP(1e-11) + CHOP2(0.5, 1) + CHOP2(2, 1)", 2},
        {"ISNAN(NAN()) + 10 * FINITE(INF()) + 100 * FINITE(1)", 101},
        {"(-8) ^ (1 / 3)", -2},
        {"(-8) ^^ (1 / 3)", -2},
        {"NROOT(-8, 3)", -2},
        {"POW(2, 0.5)", std::sqrt(2.0)},
        {"FACTORIAL(5)", 120},
        {"GAMMA(5)", 24},
        {"ROUND(EXP(LNGAMMA(5)))", 24},
        {"ERF(0) + ERFC(0)", 1},
        {"LAMBERTW(0) + LAMBERTW(E)", 1},
        {"ACOSH(1) + ARCCOSH(1) + ASINH(0) + ARCSINH(0) + ATANH(0) + ARCTANH(0)", 0},
    };
    for (const SemanticsCase &c : cases) {
        const double v = Value(c.text);
        EXPECT_TRUE(SameValue(v, c.value) || std::fabs(v - c.value) <= 1e-15 * std::fabs(c.value))
            << c.text << " gave " << v;
    }
    gPowerDenominator = 0;
    EXPECT_EQ(ErrorText("(-8) ^ (1 / 3)", 10033), "pow(-8,0.333333)\nArgument domain error. | Library function error");
    gPowerDenominator = savedDenominator;
    EXPECT_EQ(ErrorText("LAMBERTW(-0.5)", kEvaluatorJump),
              "Bad argument in Lambert W function | P-code interpreter error");
}

TEST_F(InterpreterTest, SameSeedSameSequenceThroughTheLanguage) {
    auto sequence = [this](const char *seed) {
        std::vector<double> values;
        EXPECT_EQ(Value(seed), 0);
        for (int i = 0; i < 5; ++i) values.push_back(Value("RANDOM(10, 20)"));
        return values;
    };
    const std::vector<double> first = sequence("SEED(5)");
    EXPECT_EQ(sequence("seed(5)"), first);
    EXPECT_NE(sequence("SEED(6)"), first);
    for (double v : first) {
        EXPECT_GE(v, 10);
        EXPECT_LT(v, 20);
    }
}

// Failed library calls end the evaluation with their call, in both trees:
// the Win32 runtime reports them through its math-error hook, the host's
// library through errno.
TEST_F(InterpreterTest, LibraryFunctionErrorsEndTheEvaluationWithTheirCall) {
    const struct {
        const char *expression, *text;
    } cases[] = {
        {"1 + sqrt(-1)", "sqrt(-1)\nArgument domain error."},
        {"acos(2)", "acos(2)\nArgument domain error."},
        {"arcsin(-3)", "asin(-3)\nArgument domain error."},
        {"log(-1)", "log(-1)\nArgument domain error."},
        {"ln(0)", "log(0)\nOverflow range error."},
        {"exp(1000)", "exp(1000)\nOverflow range error."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ErrorText(c.expression, 10033), std::string(c.text) + " | Library function error") << c.expression;
    EXPECT_EQ(Value("exp(-1000)"), 0);  // underflow goes on silently
    EXPECT_EQ(Value("sqrt(4) + log(1)"), 2);
}

TEST_F(InterpreterTest, AStackOfLengthLHoldsLMinusOneValues) {
    FreeProblemWorkspace();
    MakeWorkspace(5);
    EXPECT_EQ(Value("1 + (1 + (1 + 1))"), 4);              // four values at once
    EXPECT_EQ(Value("1 + (1 + (1 + sqrt(1)))"), 4);  // a call replaces its argument
    EXPECT_EQ(ErrorText("1 + (1 + (1 + (1 + 1)))", kEvaluatorJump), "Stack overflow | P-code interpreter error");
    EXPECT_EQ(gEvalError, kEvalStackOverflow);
    EXPECT_EQ(ErrorText("1 + (1 + (1 + (1 + NAN())))", kEvaluatorJump),
              "Stack overflow | P-code interpreter error");
    EXPECT_EQ(Value("(1 + 1) + (1 + 1) + (1 + 1)"), 6);  // the stack is usable again
}

// P-code assembled by hand: a constant push is opcode 1 and 8 bytes.
std::vector<unsigned char> PushConst(double v) {
    std::vector<unsigned char> code = {kOpPushConst};
    code.resize(9);
    std::memcpy(&code[1], &v, 8);
    return code;
}

std::vector<unsigned char> Concat(std::initializer_list<std::vector<unsigned char>> parts) {
    std::vector<unsigned char> code;
    for (const auto &p : parts) code.insert(code.end(), p.begin(), p.end());
    return code;
}

TEST_F(InterpreterTest, InvalidOpcodesAndUnbalancedCodeAreErrors) {
    struct Case {
        std::vector<unsigned char> code;
        int error;
        const char *text;
    } cases[] = {
        {{kOpUnused, kOpEnd}, kEvalInvalidCode, "Invalid code"},
        {Concat({PushConst(1), {34, kOpEnd}}), kEvalInvalidCode, "Invalid code"},
        {Concat({PushConst(1), {255}}), kEvalInvalidCode, "Invalid code"},
        {Concat({PushConst(1), PushConst(2), {kOpEnd}}), kEvalInvalidStack, "Invalid stack"},
        {{kOpCallMath, 21, 0, 0, 0, 0, kOpEnd}, kEvalStackOverflow, "Stack overflow"},
    };
    for (const Case &c : cases) {
        gRecorder.Reset();
        Outcome o = RunGuarded(c.code.data());
        EXPECT_EQ(o.jump, kEvaluatorJump);
        EXPECT_EQ(gEvalError, c.error);
        ASSERT_EQ(gRecorder.boxes.size(), 1u);
        EXPECT_EQ(gRecorder.boxes[0].text, c.text);
        EXPECT_EQ(gValueStack.top, gValueStack.base);
    }
}

// A built-in that runs P-code of its own on the shared stack, as delayed
// values do: the outer expression's operands below it must survive.
std::vector<unsigned char> gInnerCode;
double RunInner(double x) { return x * 100 + RunPcode(gInnerCode.data()); }

TEST_F(InterpreterTest, BuiltinsMayRunPcodeOnTheSameStack) {
    gInnerCode = Concat({PushConst(1), PushConst(2), PushConst(3), {kOpAdd, kOpAdd, kOpEnd}});
    const uint32_t f = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&RunInner));
    std::vector<unsigned char> outer = Concat({PushConst(10), PushConst(3), {kOpCall1}});
    outer.insert(outer.end(), reinterpret_cast<const unsigned char *>(&f), reinterpret_cast<const unsigned char *>(&f) + 4);
    outer.insert(outer.end(), {kOpAdd, kOpEnd});
    Outcome o = RunGuarded(outer.data());
    EXPECT_EQ(o.jump, 0);
    EXPECT_EQ(o.value, 10 + 300 + 6);
    EXPECT_EQ(gValueStack.top, gValueStack.base);
}

// A built-in that, like a window repainted inside a modal INPUT, evaluates
// under a recovery point of its own: its failed evaluation must leave the
// outer expression's operands alone, and so must its next one.
std::vector<unsigned char> gFailingCode;
double GuardedInner(double x) {
    EXPECT_EQ(RunGuarded(gFailingCode.data()).jump, kEvaluatorJump);
    Outcome o = RunGuarded(gInnerCode.data());
    EXPECT_EQ(o.jump, 0);
    return x * 100 + o.value;
}

TEST_F(InterpreterTest, AnErrorUnderANestedRecoveryPointKeepsTheOuterOperands) {
    gInnerCode = Concat({PushConst(1), PushConst(2), PushConst(3), {kOpAdd, kOpAdd, kOpEnd}});
    gFailingCode = Concat({PushConst(5), PushConst(6), {kOpUnused, kOpEnd}});
    const uint32_t f = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&GuardedInner));
    std::vector<unsigned char> outer = Concat({PushConst(10), PushConst(20), PushConst(3), {kOpCall1}});
    outer.insert(outer.end(), reinterpret_cast<const unsigned char *>(&f), reinterpret_cast<const unsigned char *>(&f) + 4);
    outer.insert(outer.end(), {kOpAdd, kOpAdd, kOpEnd});
    Outcome o = RunGuarded(outer.data());
    EXPECT_EQ(o.jump, 0);
    EXPECT_EQ(o.value, 10 + 20 + 300 + 6);
    EXPECT_EQ(gValueStack.top, gValueStack.base);
}

// Plug-in functions in the plug-in calling convention that record what
// they receive.
std::vector<double> gReceived;
int gPluginCalls;

double VR_PLUGIN_CALL Plugin0() {
    ++gPluginCalls;
    gReceived.clear();
    return 42;
}
double VR_PLUGIN_CALL Plugin1(double a) {
    ++gPluginCalls;
    gReceived = {a};
    return a == 99 ? kInf : -a;
}
double VR_PLUGIN_CALL Plugin3(double a, double b, double c) {
    ++gPluginCalls;
    gReceived = {a, b, c};
    return a * 100 + b * 10 + c;
}
double VR_PLUGIN_CALL Plugin20(double a1, double a2, double a3, double a4, double a5, double a6, double a7,
                               double a8, double a9, double a10, double a11, double a12, double a13,
                               double a14, double a15, double a16, double a17, double a18, double a19,
                               double a20) {
    ++gPluginCalls;
    gReceived = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16, a17, a18, a19, a20};
    double sum = 0;
    for (double v : gReceived) sum += v;
    return sum;
}

// The address of a local of a fresh frame: equal before and after the calls
// when every callee removed exactly what was pushed for it.
__attribute__((noinline)) uintptr_t MachineStackMark() {
    volatile char c = 0;
    return reinterpret_cast<uintptr_t>(&c);
}

TEST_F(InterpreterTest, PluginFunctionsGetTheirArgumentsInOrderAndBalanceTheStack) {
    MathFunctionEntry entries[] = {
        {"p0", 0, reinterpret_cast<MathFunction>(Plugin0)},
        {"p1", 1, reinterpret_cast<MathFunction>(Plugin1)},
        {"p3", 3, reinterpret_cast<MathFunction>(Plugin3)},
        {"p20", 20, reinterpret_cast<MathFunction>(Plugin20)},
    };
    gMathFunctions = entries;
    gMathFunctionCount = 4;
    const char *call20 = "p20(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20)";
    std::vector<double> twenty;
    for (int i = 1; i <= 20; ++i) twenty.push_back(i);

    const uintptr_t mark = MachineStackMark();
    gPluginCalls = 0;
    EXPECT_EQ(Value("1000 + p0()"), 1042);
    EXPECT_TRUE(gReceived.empty());
    EXPECT_EQ(Value("1000 + p1(7)"), 993);
    EXPECT_EQ(gReceived, std::vector<double>({7}));
    EXPECT_EQ(Value("1000 + p3(1, 2, 3) * 2"), 1246);
    EXPECT_EQ(gReceived, std::vector<double>({1, 2, 3}));
    EXPECT_EQ(Value((std::string("1000 + ") + call20).c_str()), 1210);
    EXPECT_EQ(gReceived, twenty);
    for (int i = 0; i < 100; ++i) Value(call20);
    EXPECT_EQ(gPluginCalls, 104);
    EXPECT_EQ(MachineStackMark(), mark);

    // Direct calls through the same path.
    const double args[] = {4, 5, 6};
    EXPECT_EQ(CallMathFunction(entries[2].function, 3, args), 456);
    EXPECT_EQ(gReceived, std::vector<double>({4, 5, 6}));

    // +infinity ends the evaluation without a message.
    EXPECT_EQ(ErrorText("1 + p1(99)", kSilentJump), "");
    EXPECT_EQ(gEvalError, kEvalSilentAbort);
}

// The link's own message, then the abort without one of the evaluator's.
TEST_F(InterpreterTest, MathLinkCallsWithoutTheLinkLibrariesAbortAfterTheLinksMessage) {
    gMathLinkOn = 1;
    EXPECT_EQ(ErrorText("1 + $Sin(2)", kSilentJump),
              "Could not find Mathematica interface libraries\nCheck Configuration/Mathematica interface"
              " | Vantorel Error");
    EXPECT_EQ(gEvalError, kEvalSilentAbort);
}

TEST_F(InterpreterTest, CalculatorReferencesCountFromTheFirstOrBackFromTheLast) {
    EXPECT_EQ(ErrorText("%", kEvaluatorJump), "No such calculator result | P-code interpreter error");
    for (double v : {10.0, 20.0, 30.0}) {
        ASSERT_TRUE(gCalculatorResultCount < gCalculatorResultCapacity || GrowCalculatorResults());
        gCalculatorResults[gCalculatorResultCount++] = v;
    }
    EXPECT_EQ(Value("%"), 30);
    EXPECT_EQ(Value("%[1]"), 10);
    EXPECT_EQ(Value("%[3]"), 30);
    EXPECT_EQ(Value("%[-1]"), 20);
    EXPECT_EQ(Value("%[-2] + %[2]"), 30);
    for (const char *bad : {"%[4]", "%[-3]", "1 + %[100000000000]"}) {
        EXPECT_NE(ErrorText(bad, kEvaluatorJump), "") << bad;
        EXPECT_EQ(gEvalError, kEvalNoCalculatorResult) << bad;
    }
}

int gPauseSeen;
int gPauseCalls;
void RecordPause(int) {
    ++gPauseCalls;
    gPauseSeen = gPause;
}

TEST_F(InterpreterTest, RunControlSetsTheRunStateAndReturnsItsSecondArgument) {
    gRunState = RunState{};
    gSkipOutputPoint = 0;
    EXPECT_EQ(Value("STOP(0, 5) + BREAK(0, 6) + CONTINUE(1, 7) + SKIP(0, 8)"), 26);
    EXPECT_EQ(gRunState.stopRequested + gRunState.trajectoryAborted + gSkipOutputPoint, 0);
    EXPECT_EQ(Value("CONTINUE(0, 3)"), 3);
    EXPECT_EQ(gRunState.trajectoryAborted, 1);
    gRunState.trajectoryAborted = 0;
    EXPECT_EQ(Value("BREAK(NAN(), 4)"), 4);
    EXPECT_EQ(gRunState.trajectoryAborted, 1);
    EXPECT_EQ(Value("SKIP(-1, 2)"), 2);
    EXPECT_EQ(gSkipOutputPoint, 1);
    EXPECT_EQ(Value("STOP(u + 1, 9)"), 9);
    EXPECT_EQ(gRunState.stopRequested, 1);
    gRunState = RunState{};
    gSkipOutputPoint = 0;

    gPause = 7;
    gStartPauseHook = RecordPause;
    gPauseCalls = 0;
    EXPECT_EQ(Value("PAUSE(-2.6)"), 0);
    EXPECT_EQ(gPauseCalls, 1);
    EXPECT_EQ(gPauseSeen, -3);
    EXPECT_EQ(gPause, 7);  // restored
    gStartPauseHook = nullptr;
    EXPECT_EQ(Value("PAUSE(3)"), 0);  // no run engine: nothing to wait for
    gPause = 0;

    gForward = 0;
    EXPECT_EQ(Value("BACKWARD()"), 1);
    gForward = 1;
    EXPECT_EQ(Value("BACKWARD()"), 0);
}

TEST_F(InterpreterTest, TimeCountsFromRunTrajectoryOrProgramStart) {
    const unsigned now = TickCount();
    gRunStartTick = now - 50000;
    gTrajectoryStartTick = now - 20000;
    const double run = Value("TIME(1)");
    const double trajectory = Value("TIME(0)");
    EXPECT_GE(run, 50000);
    EXPECT_LT(run, 60000);
    EXPECT_GE(trajectory, 20000);
    EXPECT_LT(trajectory, 30000);
    EXPECT_GE(Value("TIME(NAN())"), 20000);
    const double program = Value("TIME(-1)");
    EXPECT_GE(program, 0);
    EXPECT_LE(program, static_cast<double>(TickCount() - gProgramStartTick));
    gRunStartTick = gTrajectoryStartTick = 0;
}

// A graph window stand-in that records what the commands ask of it.
struct FakeGraph {
    std::vector<std::string> calls;
    PackedColor color = 0;
    int width = 0;
} gFakeGraph;

std::string Fmt(const char *what, double a, double b, int c) {
    char text[96];
    std::snprintf(text, sizeof text, "%s %g %g %d", what, a, b, c);
    return text;
}

const DrawingTarget kFakeTarget = {
    [](int redraw) { gFakeGraph.calls.push_back(redraw ? "redraw" : "erase"); },
    [](int which) { return 10.0 + which; },
    [](PackedColor c) { gFakeGraph.color = c; },
    [](int w) { gFakeGraph.width = w; },
    [] { gFakeGraph.calls.push_back("new path"); },
    [](double x, double y, int line) { gFakeGraph.calls.push_back(Fmt("plot", x, y, line)); },
    [] { gFakeGraph.calls.push_back("start animation"); },
    [] { gFakeGraph.calls.push_back("end animation"); },
};

TEST_F(InterpreterTest, DrawingCommandsActOnTheGraphBeingDrawnAndAreZeroWithout) {
    SetDrawingCommandsEnabled(1);
    const char *all = "ERASE() + REDRAW() + LASTT() + MINX() + MAXX() + MINY() + MAXY() + "
                      "STARTANIMATION() + ENDANIMATION() + PENCOLOR(1) + PENWIDTH(2) + MOVETO(1, 2) + "
                      "LINETO(3, 4) + NEWPATH(1, 5) + HSV(0, 1, 1) + RGB(1, 2, 3)";
    gLastOutputTime = 3.5;
    EXPECT_EQ(Value(all), 0);

    gFakeGraph = FakeGraph{};
    gDrawingTarget = &kFakeTarget;
    EXPECT_EQ(Value("MINX() + 10 * MAXX() + 100 * MINY() + 1000 * MAXY()"), 10 + 110 + 1200 + 13000);
    EXPECT_EQ(Value("LASTT()"), 3.5);
    EXPECT_EQ(Value("ERASE() + REDRAW() + MOVETO(1, 2) + LINETO(3, 4) + NEWPATH(0, 6) + NEWPATH(NAN(), 7) + "
                    "STARTANIMATION() + ENDANIMATION()"),
              13);
    const std::vector<std::string> expected = {"erase", "redraw", "new path", "plot 1 2 0", "plot 3 4 1",
                                               "new path", "start animation", "end animation"};
    EXPECT_EQ(gFakeGraph.calls, expected);
    EXPECT_EQ(Value("PENWIDTH(3.9)"), 0);
    EXPECT_EQ(gFakeGraph.width, 3);
    EXPECT_EQ(Value("PENWIDTH(-1e30)"), 0);  // no overflow on the way to int
    EXPECT_LT(gFakeGraph.width, 0);

    const struct {
        const char *text;
        PackedColor color;
    } colours[] = {
        {"PENCOLOR(65280)", 0x00FF00},
        {"PENCOLOR(-2)", 0x0000FF},   // palette entry 1, red
        {"PENCOLOR(-17)", 0xFFFFFF},  // entry 16 wraps to white
        {"RGB(1, 2, 259)", 0x030201},
        {"HSV(0, 1, 1)", 0x0000FF},
        {"HSV(0.5, 0, 1)", 0xFFFFFF},
        // Rounded to doubles, as stored values are, before any truncation.
        {"HSV(1 / 6, 1, 1)", 0x00FFFF},  // 6h is 1: sector 1, yellow
        {"HSV(0, 0, 0.6)", 0x999999},    // 0.6 * 255 is 153
        {"PENCOLOR(-1e16)", 0xFFFFFF},   // -x - 1 is 1e16: entry 0
    };
    for (const auto &c : colours) {
        gFakeGraph.color = 0x12345678;
        EXPECT_EQ(Value(c.text), 0) << c.text;
        EXPECT_EQ(gFakeGraph.color, c.color) << c.text;
    }
}

}  // namespace
