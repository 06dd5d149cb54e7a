#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridges.h"
#include "builtin_tables.h"
#include "compiler.h"
#include "guarded_call.h"
#include "math_plugins.h"
#include "memory.h"
#include "platform_recorder.h"
#include "solver_method.h"
#include "workspace.h"

namespace {

// A problem whose equations, initial functions and boundary conditions are
// compiled one after the other into the shared P-code buffer.
class BridgesTest : public ::testing::Test {
protected:
    void MakeProblem(int kind, unsigned n, std::vector<const char *> equations,
                     std::vector<const char *> initial = {}, std::vector<const char *> boundary = {}) {
        gRecorder.Reset();
        gProblemKind = kind;
        gDimension = n;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        used_ = 0;
        for (unsigned i = 0; i < n; ++i) {
            gEquationCode[i] = Compile(i < equations.size() ? equations[i] : "0");
            gInitialFunctionCode[i] = Compile(i < initial.size() ? initial[i] : "0");
            gBoundaryCode[i] = Compile(i < boundary.size() ? boundary[i] : "0");
        }
    }
    unsigned char *Compile(const char *text) {
        unsigned char *at = gPcodeBuffer + used_;
        int length = CompileExpression(text, at, static_cast<int>(gPcodeLength - used_));
        EXPECT_GT(length, 0) << text << " error " << gEvalError;
        used_ += length;
        return at;
    }
    void TearDown() override {
        gSolverMethod = SolverMethod{};
        gUseInitialFunctions = 0;
        FreeProblemWorkspace();
        gProblemKind = kSingleOde;
        gDimension = 2;
    }
    unsigned used_ = 0;
};

TEST_F(BridgesTest, RhsEvaluatesAtThePointAndRestoresTheCells) {
    MakeProblem(kOdeSystem, 2, {"x[2] + t", "-x[1]"});
    gTime = 5;
    gVariables[0] = 7;
    gVariables[1] = 8;
    double y[2] = {1, 2}, dydt[2];
    RhsCallback(10, y, dydt);
    EXPECT_EQ(dydt[0], 12);
    EXPECT_EQ(dydt[1], -1);
    EXPECT_EQ(gTime, 5);
    EXPECT_EQ(gVariables[0], 7);
    EXPECT_EQ(gVariables[1], 8);
}

// An error inside the equations leaves the run's state exactly as it was, so
// Continue never resumes from a half-evaluated point.
TEST_F(BridgesTest, EveryBridgeRestoresItsCellsWhenTheCodeRaisesAnError) {
    MakeProblem(kOdeSystem, 2, {"x[1]", "LAMBERTW(x[1])"}, {"LAMBERTW(t)", "1"}, {"LAMBERTW(x0[1])", "0"});
    gTime = 5;
    gVariables[0] = 7;
    gVariables[1] = 8;
    gInitialValues[0] = 3;
    gInitialValues[1] = 4;
    double y[2] = {-1, 0}, out[2];
    const double bad[2] = {-1, 0};
    struct Bridge {
        const char *name;
        std::function<void()> call;
    } bridges[] = {
        {"rhs", [&] { RhsCallback(0, y, out); }},
        {"direction", [&] {
             gInitialValues[0] = -1;
             EvaluateDirectionVector(0, -1, 0, out);
         }},
        {"initial function", [&] { EvaluateInitialFunction(0, -1); }},
        {"boundary", [&] { EvaluateBoundaryConditions(bad, out); }},
    };
    for (Bridge &b : bridges) {
        gRecorder.Reset();
        gInitialValues[0] = 3;
        GuardedResult r = CallGuarded([&] {
            b.call();
            return 0.0;
        });
        EXPECT_EQ(r.jump, kEvaluatorErrorJump) << b.name;
        EXPECT_EQ(gTime, 5) << b.name;
        EXPECT_EQ(gVariables[0], 7) << b.name;
        EXPECT_EQ(gVariables[1], 8) << b.name;
        EXPECT_EQ(gInitialValues[1], 4) << b.name;
    }
}

// What a window repainted during a modal INPUT in the equations does: it
// evaluates under a recovery point of its own, and fails there. Only that
// evaluation's bridge is undone; the equations' point stays in place.
double VR_PLUGIN_CALL FailNested(double) {
    EXPECT_EQ(CallGuarded([] { return EvaluateInitialFunction(0, -1); }).jump, kEvaluatorErrorJump);
    return gTime * 100 + gVariables[0];
}

TEST_F(BridgesTest, AnErrorUnderANestedRecoveryPointUndoesOnlyItsOwnBridge) {
    MathFunctionEntry nested = {"Nested", 1, reinterpret_cast<MathFunction>(FailNested)};
    gMathFunctions = &nested;
    gMathFunctionCount = 1;
    MakeProblem(kOdeSystem, 2, {"Nested(0)", "x[2]"}, {"LAMBERTW(t)", "1"});
    gMathFunctions = nullptr;
    gMathFunctionCount = 0;
    gTime = 5;
    gVariables[0] = 7;
    gVariables[1] = 8;
    double y[2] = {1, 2}, out[2];
    GuardedResult r = CallGuarded([&] {
        RhsCallback(10, y, out);
        return 0.0;
    });
    EXPECT_EQ(r.jump, 0);
    EXPECT_EQ(out[0], 1001);  // t = 10 and x[1] = 1 inside the equations
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(gTime, 5);
    EXPECT_EQ(gVariables[0], 7);
    EXPECT_EQ(gVariables[1], 8);
}

// The same repaint without an error: its bridge saves and restores the
// variables while the equations' bridge holds its own saved copy.
double VR_PLUGIN_CALL DrawNested(double inner) {
    if (inner != 0) return 0;
    double direction[2];
    EvaluateDirectionVector(0, 30, 40, direction);
    return direction[1] * 100 + gVariables[0];
}

TEST_F(BridgesTest, NestedBridgesEachRestoreTheirOwnCells) {
    MathFunctionEntry nested = {"Nested", 1, reinterpret_cast<MathFunction>(DrawNested)};
    gMathFunctions = &nested;
    gMathFunctionCount = 1;
    MakeProblem(kOdeSystem, 2, {"Nested(t - 10)", "x[2]"});
    gMathFunctions = nullptr;
    gMathFunctionCount = 0;
    gTime = 5;
    gVariables[0] = 7;
    gVariables[1] = 8;
    double y[2] = {1, 2}, out[2];
    GuardedResult r = CallGuarded([&] {
        RhsCallback(10, y, out);
        return 0.0;
    });
    EXPECT_EQ(r.jump, 0);
    EXPECT_EQ(out[0], 4001);  // the direction (0, 40), then x[1] = 1 again
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(gVariables[0], 7);
    EXPECT_EQ(gVariables[1], 8);
    EXPECT_EQ(gValueStack.top, gValueStack.base);
}

// The output point handed to the windows may be the variables themselves.
TEST_F(BridgesTest, AnExpressionAtTheVariablesThemselves) {
    MakeProblem(kOdeSystem, 2, {"x[2] + t", "x[1]"});
    gTime = 5;
    gVariables[0] = 7;
    gVariables[1] = 8;
    double out[2];
    EvaluateExpressionsAt(2, 1, gVariables, out, gEquationCode);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[1], 7);
    EXPECT_EQ(gTime, 5);
    EXPECT_EQ(gVariables[1], 8);
}

TEST_F(BridgesTest, DirectionVectorOfOneEquationStartsWithExactlyOne) {
    MakeProblem(kSingleOde, 1, {"t * x"});
    gInitialValues[0] = 9;
    double out[2];
    EvaluateDirectionVector(0, 3, 4, out);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 12);

    MakeProblem(kOdeSystem, 2, {"x[2]", "t"}, {}, {});
    EvaluateDirectionVector(6, 3, 4, out);
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(out[1], 6);
}

TEST_F(BridgesTest, InitialValuesAndBoundaryConditions) {
    MakeProblem(kOdeSystem, 2, {"0", "0"}, {"t + 1", "2 * t"}, {"x0[1] - 1", "x0[2] * 3"});
    gTime = 2;
    EvaluateInitialValues();
    EXPECT_EQ(gVariables[0], 3);
    EXPECT_EQ(gVariables[1], 4);
    EXPECT_EQ(gSavedVariables[1], 4);
    gInitialValues[0] = 100;
    const double values[2] = {5, 7};
    double out[2];
    EvaluateBoundaryConditions(values, out);
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(out[1], 21);
    EXPECT_EQ(gInitialValues[0], 100);
}

// A single ODE of order 3: which = 4 is the second derivative of the last
// initial function; a system numbered from 1 takes function which mod n.
TEST_F(BridgesTest, HistoryValuesAndTheirDerivatives) {
    MakeProblem(kSingleOde, 3, {"0", "0", "0"}, {"0", "0", "t^3"});
    gDerivativeStep = 0.1;
    gDerivativeTolerance = 1e-10;
    EXPECT_NEAR(EvaluateHistoryValue(4, 2), 12, 1e-7);  // (t^3)'' = 6t
    EXPECT_EQ(EvaluateHistoryValue(2, 2), 8);

    MakeProblem(kOdeSystem, 2, {"0", "0"}, {"sin(t)", "t^2"});
    EXPECT_NEAR(EvaluateHistoryValue(3, 1), 2, 1e-7);           // (t^2)' for which = 3
    EXPECT_NEAR(EvaluateHistoryValue(2, 1), std::cos(1), 1e-9);  // which = 2: sin'
    // A derivative that does not converge is -infinity for the lookup.
    MakeProblem(kSingleOde, 2, {"0", "0"}, {"0", "ABS(t)"});
    EXPECT_EQ(EvaluateHistoryValue(3, 0), -HUGE_VAL);  // |t|'' at 0
    // The fallback is handed to solver plug-ins: an index that names no
    // initial function fails instead of reading past the code pointers.
    EXPECT_EQ(EvaluateHistoryValue(-1, 0), -HUGE_VAL);
    EXPECT_EQ(EvaluateHistoryValue(-2147483647 - 1, 0), -HUGE_VAL);
    MakeProblem(kMap, 2, {"0", "0"}, {"1", "2"});
    EXPECT_EQ(EvaluateHistoryValue(1, 0), 2);
    EXPECT_EQ(EvaluateHistoryValue(2, 0), -HUGE_VAL);  // a map has no derivatives
}

int gLookupStatus;
double gLookupValue;
int gLookupWhich;
int FakeLookup(int which, double, double *out, InitialFunctionFallback) {
    gLookupWhich = which;
    *out = gLookupValue;
    return gLookupStatus;
}

TEST_F(BridgesTest, DelayedValuesCheckTheIndexAndMapTheLookupStatus) {
    MakeProblem(kOdeSystem, 2, {"0", "0"});
    gSolverMethod.interpolate = FakeLookup;
    gLookupStatus = 0;
    gLookupValue = 42;
    GuardedResult ok = CallGuarded([] { return EvaluateDelayedValue(2, 1); });
    EXPECT_EQ(ok.jump, 0);
    EXPECT_EQ(ok.value, 42);
    EXPECT_EQ(gLookupWhich, 1);  // x[2], numbered from 1

    struct Case {
        double k;
        int status;
        const char *message;
    } cases[] = {
        {1.5, 0, "Argument out of range"},
        {0, 0, "Argument out of range"},  // below the lowest index
        {NAN, 0, "Argument out of range"},
        {1e12, 0, "Argument out of range"},
        {-5, 0, "Argument out of range"},
        {1, -1, "Argument out of range"},
        {1, -2, "Order too high"},
    };
    for (const Case &c : cases) {
        gRecorder.Reset();
        gLookupStatus = c.status;
        GuardedResult r = CallGuarded([&] { return EvaluateDelayedValue(c.k, 0); });
        EXPECT_NE(r.jump, 0) << c.k;
        ASSERT_EQ(gRecorder.boxes.size(), 1u) << c.k;
        EXPECT_EQ(gRecorder.boxes[0].text, c.message) << c.k;
    }
}

}  // namespace
