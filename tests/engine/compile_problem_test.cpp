#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builtin_tables.h"
#include "compile_problem.h"
#include "memory.h"
#include "opcodes.h"
#include "pcode_listing.h"
#include "platform.h"
#include "platform_recorder.h"
#include "settings.h"
#include "test_heap.h"
#include "workspace.h"

namespace {

std::string Text(const char *s) { return s ? s : "(null)"; }

// Length of the code that text compiles to on its own.
int CodeLength(const char *text) {
    unsigned char scratch[1000];
    return CompileExpression(text, scratch, sizeof scratch);
}

class CompileProblemTest : public ::testing::Test {
protected:
    void TearDown() override {
        gCompileHooks.windowExpressions = nullptr;
        gCompileHooks.elements = nullptr;
        gShootingIterations = 0;
        gStatusFrequency = 0;
        gCalculatorQuietMode = 0;
        gEnterKey = 0;
        SetDrawingCommandsEnabled(0);
        FreeProblemWorkspace();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gPcodeLength = 10000;
        gRecorder.Reset();
    }

    void MakeProblem(int kind, unsigned n) {
        gRecorder.Reset();
        // What these tests assume, whatever ran before: no boundary
        // conditions, no status line.
        gShootingIterations = 0;
        gStatusFrequency = 0;
        gProblemKind = kind;
        gDimension = n;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
    }
    void SetName(int entry, const char *name) { SetNonEmptyStringCopy(gColumnTable[entry].name, name); }
    void SetEquations(std::vector<const char *> texts) {
        for (size_t i = 0; i < texts.size(); ++i) SetNonEmptyStringCopy(gEquationTexts[i], texts[i]);
    }
    void Answer(int button, const char *text = "") { gRecorder.compilerAnswers.push_back({button, text}); }
    bool InBuffer(const PcodeProgram *p) const { return p >= gPcodeBuffer && p < gPcodeBuffer + gPcodeLength; }
};

// Corrected once, then cancelled: the code laid so far is packed from the
// buffer's start, and the corrected text is the problem's own.
TEST_F(CompileProblemTest, CorrectionIsCompiledInPlaceAndCancelEndsTheCompile) {
    MakeProblem(kOdeSystem, 3);
    SetEquations({"x[2]", "x[1]+", "-x[3]*2"});
    gShootingIterations = 5;
    SetNonEmptyStringCopy(gBoundaryTexts[0], "x[1]");
    SetNonEmptyStringCopy(gBoundaryTexts[1], "x[2] x");
    SetNonEmptyStringCopy(gBoundaryTexts[2], "x[3]");
    Answer(kIdOk, "x[1]+1");
    Answer(kIdCancel);

    EXPECT_EQ(CompileProblem(), 0);

    EXPECT_EQ(Text(gEquationTexts[1]), "x[1]+1");
    const char *compiled[] = {"x[2]", "x[1]+1", "-x[3]*2"};
    const PcodeProgram *expected = gPcodeBuffer;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(gEquationCode[i], expected) << "equation " << i;
        EXPECT_TRUE(InBuffer(gEquationCode[i]));
        expected += CodeLength(compiled[i]);
    }
    EXPECT_EQ(gBoundaryCode[0], expected);
    EXPECT_TRUE(InBuffer(gBoundaryCode[0] + CodeLength("x[1]") - 1));
    EXPECT_EQ(gEquationCode[1][CodeLength("x[1]+1") - 1], kOpEnd);

    ASSERT_EQ(gRecorder.compilerErrors.size(), 2u);
    const RecordedCompilerError &first = gRecorder.compilerErrors[0];
    EXPECT_EQ(first.label, "dx[2]/dt =");
    EXPECT_EQ(first.message, "Unexpected end of expression");
    EXPECT_EQ(first.text, "x[1]+");
    EXPECT_EQ(first.selectionStart, 5);
    EXPECT_EQ(first.helpId, 10048);
    EXPECT_FALSE(first.ownedByCalculator);
    const RecordedCompilerError &second = gRecorder.compilerErrors[1];
    EXPECT_EQ(second.label, "Boundary condition #2");
    EXPECT_EQ(second.message, "Extra character(s)");
    EXPECT_EQ(second.selectionStart, 5);
    EXPECT_EQ(Text(gBoundaryTexts[1]), "x[2] x");  // a cancel changes nothing
}

TEST_F(CompileProblemTest, ErrorSelectionRunsFromTheErrorToTheCursor) {
    MakeProblem(kOdeSystem, 2);
    SetEquations({"x[1] + foo * 2", "x[1]"});
    EXPECT_EQ(CompileProblem(), 0);
    ASSERT_EQ(gRecorder.compilerErrors.size(), 1u);
    EXPECT_EQ(gRecorder.compilerErrors[0].message, "Unknown identifier");
    EXPECT_EQ(gRecorder.compilerErrors[0].selectionStart, 7);
    EXPECT_GE(gRecorder.compilerErrors[0].selectionEnd, 7);
    EXPECT_EQ(gCompileErrorPos, nullptr);  // selected once
}

TEST_F(CompileProblemTest, SingleOdeGeneratesAllButTheLastEquation) {
    MakeProblem(kSingleOde, 3);
    SetEquations({nullptr, nullptr, "-x"});
    ASSERT_EQ(CompileProblem(), 1);
    EXPECT_EQ(Text(gEquationTexts[0]), "x[1]");
    EXPECT_EQ(Text(gEquationTexts[1]), "x[2]");
    EXPECT_EQ(Text(gEquationTexts[2]), "-x");
    const AddressNames names = {{AddressOf(gVariables + 1), "x1"}, {AddressOf(gVariables + 2), "x2"}};
    EXPECT_EQ(ListPcode(gEquationCode[0], 6, names), "0 PushCell x1\n5 End\n");
    EXPECT_EQ(ListPcode(gEquationCode[1], 6, names), "0 PushCell x2\n5 End\n");

    // Individual names are preferred, and the check is on the name the text
    // uses: variable i + 1's.
    SetName(kColumnVariables, "");
    SetName(kFixedColumnCount + 1, "v");
    SetName(kFixedColumnCount + 2, "a");
    SetEquations({nullptr, nullptr, "-v"});
    ASSERT_EQ(CompileProblem(), 1) << gRecorder.compilerErrors.size();
    EXPECT_EQ(Text(gEquationTexts[0]), "v");
    EXPECT_EQ(Text(gEquationTexts[1]), "a");
    EXPECT_TRUE(gRecorder.boxes.empty());

    SetName(kFixedColumnCount + 0, "y");
    SetName(kFixedColumnCount + 2, "");
    EXPECT_EQ(CompileProblem(), 0);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_NE(gRecorder.boxes[0].text.find("Variable with no name"), std::string::npos);
    EXPECT_TRUE(gRecorder.compilerErrors.empty());
}

TEST_F(CompileProblemTest, NamesAreBoundForTheCompileAndReleasedAfter) {
    MakeProblem(kOdeSystem, 2);
    SetName(kFixedColumnCount + 0, "u");
    SetEquations({"u(t - 1) + x(2, t - 1)", "tp"});
    EXPECT_EQ(CompileProblem(), 0);  // "tp" is hidden from the equations
    ASSERT_EQ(gRecorder.compilerErrors.size(), 1u);
    EXPECT_EQ(gRecorder.compilerErrors[0].message, "Unknown identifier");
    EXPECT_EQ(gRecorder.compilerErrors[0].label, "dx[2]/dt =");
    EXPECT_EQ(Text(gColumnTable[kColumnTrajectory].name), "tp");
    // Null names are null again, and no name stays borrowed.
    EXPECT_EQ(gColumnTable[kFixedColumnCount + 1].name, nullptr);
    EXPECT_EQ(gDelayedNames[0].name, nullptr);
    EXPECT_EQ(gCollectiveDelayedCount, 0);
    EXPECT_EQ(gColumnTable[kFixedColumnCount + 1].address, gVariables + 1);
    EXPECT_EQ(gColumnTable[kFixedColumnCount + 2 + 3].address, gInitialValues + 3);

    // The status line may name "tp".
    gRecorder.Reset();
    SetEquations({"x[1]", "x[2]"});
    gStatusFrequency = 1;
    SetNonEmptyStringCopy(gStatusSecondExpression, "tp");
    ASSERT_EQ(CompileProblem(), 1);
    EXPECT_EQ(gStatusLineCode[1], gStatusLineCode[0] + CodeLength("t"));
}

TEST_F(CompileProblemTest, StatusLineCorrectionReplacesItsText) {
    MakeProblem(kMap, 1);
    SetEquations({"x*2"});
    gStatusFrequency = 3;
    SetNonEmptyStringCopy(gStatusFirstExpression, "n +");
    Answer(kIdOk, "n + 1");
    ASSERT_EQ(CompileProblem(), 1);
    EXPECT_EQ(Text(gStatusFirstExpression), "n + 1");
    EXPECT_EQ(gRecorder.compilerErrors[0].label, "Numerical expression #1");
}

TEST_F(CompileProblemTest, InitialFunctionsCompileOnlyWhenGiven) {
    MakeProblem(kOdeSystem, 2);
    SetEquations({"x[2]", "x[1]"});
    SetNonEmptyStringCopy(gInitialFunctionTexts[1], "oops(");  // first text not set: skipped
    ASSERT_EQ(CompileProblem(), 1);
    SetNonEmptyStringCopy(gInitialFunctionTexts[0], "sin(t)");
    EXPECT_EQ(CompileProblem(), 0);
    ASSERT_EQ(gRecorder.compilerErrors.size(), 1u);
    EXPECT_EQ(gRecorder.compilerErrors[0].label, "x0[2](t) =");
}

TEST_F(CompileProblemTest, FullBufferShowsPcodeTooLong) {
    gPcodeLength = 20;
    MakeProblem(kOdeSystem, 2);
    SetEquations({"x[2]", "x[1] + 1 + 2"});
    EXPECT_EQ(CompileProblem(), 0);
    ASSERT_EQ(gRecorder.compilerErrors.size(), 1u);
    EXPECT_EQ(gRecorder.compilerErrors[0].message, "P-code too long");
}

struct LabelCase {
    int problemKind;
    unsigned n;
    int kind;
    int index;
    const char *ownName;  // individual name of the entry the label uses, or null
    const char *label;
};

TEST_F(CompileProblemTest, DialogLabelsByKind) {
    const LabelCase cases[] = {
        {kOdeSystem, 3, kExprEquation, 1, nullptr, "dx[2]/dt ="},
        {kOdeSystem, 3, kExprEquation, 1, "v", "dv/dt ="},
        {kOdeSystem, 1, kExprEquation, 0, nullptr, "dx/dt ="},
        {kMap, 2, kExprEquation, 0, nullptr, "x[1] <-"},
        {kMap, 2, kExprEquation, 0, "p", "p <-"},
        {kMap, 1, kExprEquation, 0, nullptr, "x <-"},
        {kSingleOde, 3, kExprEquation, 2, nullptr, "x[3] ="},
        {kOdeSystem, 2, kExprInitialFunction, 1, nullptr, "x0[2](t) ="},
        {kOdeSystem, 2, kExprInitialFunction, 1, "q", "q(t) ="},
        {kSingleOde, 2, kExprInitialFunction, 0, nullptr, "x0(t) ="},
        {kMap, 2, kExprInitialFunction, 0, nullptr, "x0[1](n) ="},
        {kOdeSystem, 2, kExprBoundaryCondition, 0, nullptr, "Boundary condition #1"},
        {kOdeSystem, 2, kExprStatusLine, 1, nullptr, "Numerical expression #2"},
        {kOdeSystem, 2, kExprAxis, 0, nullptr, "Expression in horizontal axis"},
        {kOdeSystem, 2, kExprAxis, 1, nullptr, "Expression in vertical axis"},
        {kOdeSystem, 2, kExprPoincare, 0, nullptr, "Poincar\351 condition"},
        {kOdeSystem, 2, kExprTextColumn, 3, nullptr, "Text window expression #4"},
        {kOdeSystem, 2, kExprCalculator, 0, nullptr, "Calculator expression"},
    };
    for (const LabelCase &c : cases) {
        MakeProblem(c.problemKind, c.n);
        const int entry = kFixedColumnCount + (c.kind == kExprInitialFunction ? static_cast<int>(c.n) : 0) + c.index;
        if (c.ownName) SetName(entry, c.ownName);
        gCompileState.kind = c.kind;
        gCompileState.index = c.index;
        char label[256];
        BuildCompileErrorLabel(label, sizeof label);
        EXPECT_STREQ(label, c.label) << "kind " << c.kind << " index " << c.index;
    }
    gCompileState.kind = kExprGraphicsElement;
    gCompileState.elementNumber = 2;
    char label[256];
    BuildCompileErrorLabel(label, sizeof label);
    EXPECT_STREQ(label, "Graphics element #3");
}

// A window walk as the shell will install it: one graph and one text window.
char *gAxisTexts[2];
PcodeProgram *gAxisCode[2];
char *gColumnTexts[2];
PcodeProgram *gColumnCode[2];
char *gConditionText;
PcodeProgram *gConditionCode;
int gPoincareOn;

int WalkTestWindows() {
    return CompileGraphWindowTexts(gAxisTexts, gAxisCode, &gConditionText, &gConditionCode, gPoincareOn) &&
           CompileTextWindowTexts(gColumnTexts, gColumnCode, 2, &gConditionText, &gConditionCode, gPoincareOn);
}

class WindowExpressionTest : public CompileProblemTest {
protected:
    void SetUp() override {
        MakeProblem(kOdeSystem, 12);
        for (int i = 0; i < 12; ++i) {
            SetNonEmptyStringCopy(gEquationTexts[i], "0");
            SetName(kFixedColumnCount + i, ("v" + std::to_string(i + 1)).c_str());
        }
        gCompileHooks.windowExpressions = WalkTestWindows;
        gPoincareOn = 0;
        gShootingIterations = 0;  // no boundary conditions to compile
    }
    void TearDown() override {
        for (char *&t : gAxisTexts) FreeAndNull(t);
        for (char *&t : gColumnTexts) FreeAndNull(t);
        FreeAndNull(gConditionText);
        CompileProblemTest::TearDown();
    }
    void SetTexts(const char *axis, const char *column, const char *condition) {
        SetNonEmptyStringCopy(gAxisTexts[0], "nx");
        SetNonEmptyStringCopy(gAxisTexts[1], axis);
        SetNonEmptyStringCopy(gColumnTexts[0], "nx");
        SetNonEmptyStringCopy(gColumnTexts[1], column);
        SetNonEmptyStringCopy(gConditionText, condition);
    }
    std::string FirstError() const {
        return gRecorder.compilerErrors.empty()
                   ? "none"
                   : gRecorder.compilerErrors[0].label + ": " + gRecorder.compilerErrors[0].message;
    }
};

TEST_F(WindowExpressionTest, DrawingCommandsCompileOnlyInAxisExpressions) {
    SetTexts("x[1] + ERASE()", "x[2]", "x[1]");
    EXPECT_EQ(CompileProblem(), 1) << FirstError();
    EXPECT_TRUE(InBuffer(gColumnCode[1]));
    EXPECT_EQ(gColumnCode[0] - gAxisCode[1], 12);  // PushCell, Call0, Add, End

    gRecorder.Reset();
    SetTexts("x[1]", "ERASE()", "x[1]");
    EXPECT_EQ(CompileProblem(), 0);
    EXPECT_EQ(FirstError(), "Text window expression #2: Unknown function");
}

TEST_F(WindowExpressionTest, PoincareConditionHidesTheCollectiveAndTenIndividualNames) {
    gPoincareOn = 1;
    struct Case {
        const char *condition;
        const char *error;
    } cases[] = {
        {"v11 + v12 - t", "none"},
        {"x[1]", "Poincar\351 condition: Unknown identifier"},
        {"v10", "Poincar\351 condition: Unknown identifier"},
        {"v1(t)", "Poincar\351 condition: Unknown function"},
    };
    for (const Case &c : cases) {
        gRecorder.Reset();
        SetTexts("x[1]", "x[2]", c.condition);
        EXPECT_EQ(CompileProblem(), std::strcmp(c.error, "none") == 0) << c.condition;
        EXPECT_EQ(FirstError(), c.error) << c.condition;
        // Restored after the compile, also after a cancel.
        EXPECT_EQ(Text(gColumnTable[kColumnVariables].name), "x");
        EXPECT_EQ(Text(gColumnTable[kFixedColumnCount + 9].name), "v10");
    }
}

TEST_F(WindowExpressionTest, PoincareHidingStopsAtTheVariableNames) {
    FreeProblemWorkspace();
    MakeProblem(kOdeSystem, 3);
    SetEquations({"0", "0", "0"});
    SetName(kFixedColumnCount + 3, "p0");  // individual name of initial value 0
    gPoincareOn = 1;
    SetTexts("x[1]", "x[2]", "p0 - 1");
    EXPECT_EQ(CompileProblem(), 1) << FirstError();

    // A map has no Poincare condition to compile.
    FreeProblemWorkspace();
    MakeProblem(kMap, 1);
    SetEquations({"x"});
    SetTexts("n", "x", "x(");
    EXPECT_EQ(CompileProblem(), 1) << FirstError();
}

TEST_F(WindowExpressionTest, DrawingCommandsAreOffAgainAfterAFailedAxis) {
    SetTexts("ERASE() +", "x[1]", "x[1]");
    EXPECT_EQ(CompileProblem(), 0);
    EXPECT_EQ(FirstError(), "Expression in vertical axis: Unexpected end of expression");
    unsigned char code[64];
    EXPECT_EQ(CompileExpression("ERASE()", code, sizeof code), 0);
}

TEST_F(CompileProblemTest, CalculatorCompilesIntoItsOwnBlock) {
    MakeProblem(kOdeSystem, 2);
    SetName(kFixedColumnCount + 1, "w");
    char *text = nullptr;
    PcodeProgram *code = nullptr;
    EXPECT_EQ(CompileCalculatorExpression(&text, &code, 1), 1);  // nothing to compile
    EXPECT_EQ(code, nullptr);

    SetNonEmptyStringCopy(text, "w +");
    EXPECT_EQ(CompileCalculatorExpression(&text, &code, 0), 0);
    EXPECT_TRUE(gRecorder.compilerErrors.empty());

    Answer(kIdOk, "w + x[1]");
    ASSERT_EQ(CompileCalculatorExpression(&text, &code, 1), 1);
    EXPECT_EQ(Text(text), "w + x[1]");
    ASSERT_EQ(gRecorder.compilerErrors.size(), 1u);
    EXPECT_EQ(gRecorder.compilerErrors[0].label, "Calculator expression");
    EXPECT_TRUE(gRecorder.compilerErrors[0].ownedByCalculator);
    const AddressNames names = {{AddressOf(gVariables + 1), "w"}, {AddressOf(gVariables), "x1"}};
    EXPECT_EQ(ListPcode(code, 12, names), "0 PushCell w\n5 PushCell x1\n10 Add\n11 End\n");
    EXPECT_EQ(gColumnTable[kFixedColumnCount].name, nullptr);
    FreeAndNull(code);
    FreeAndNull(text);
}

TEST_F(CompileProblemTest, CalculatorQuietModeCorrectsInItsOwnBuffer) {
    MakeProblem(kOdeSystem, 2);
    static char input[kCalculatorInputSize];
    std::strcpy(input, "1 +");
    char *text = input;
    PcodeProgram *code = nullptr;
    gCalculatorQuietMode = 1;
    Answer(kIdOk, "1 + 2");
    ASSERT_EQ(CompileCalculatorExpression(&text, &code, 1), 1);
    EXPECT_EQ(text, input);
    EXPECT_STREQ(input, "1 + 2");
    EXPECT_EQ(gRecorder.compilerErrors[0].maxLength, kCalculatorInputSize - 1);
    FreeAndNull(code);
}

// Element cells as in the element work copy: x .. direction, then t.
double gCells[7];
double gElementT;
char *gElementTexts[3];
PcodeProgram *gElementCode[3];

int WalkTestElement(int index) {
    for (int i = 0; i < 3; ++i)
        if (!CompileElementText(&gElementTexts[i], &gElementCode[i], index)) return 0;
    return 1;
}

TEST_F(CompileProblemTest, GraphicsElementsCompileAgainstTheirOwnNames) {
    MakeProblem(kOdeSystem, 2);
    gParameterCount = 1;
    AllocArray(gParameters, 1);
    SetNonEmptyStringCopy(gParameters[0].name, "k");
    gParameters[0].value = 4;
    SetElementNameCells(gCells, &gElementT);
    gCompileHooks.elements = WalkTestElement;
    SetNonEmptyStringCopy(gElementTexts[0], "x0 + T * s");
    SetNonEmptyStringCopy(gElementTexts[1], "D - k");
    Answer(kIdOk, "t1");

    SetNonEmptyStringCopy(gElementTexts[2], "x[1]");  // the problem's names are gone
    ASSERT_EQ(CompileGraphicsElements(2, 1), 1);
    CompileGraphicsElements(2, 0);
    const AddressNames names = {{AddressOf(&gCells[0]), "x0"}, {AddressOf(&gCells[2]), "s"},
                                {AddressOf(&gElementT), "t"},  {AddressOf(&gCells[6]), "d"},
                                {AddressOf(&gCells[4]), "t1"}};
    EXPECT_EQ(ListPcode(gElementCode[0], 100, names),
              "0 PushCell x0\n5 PushCell t\n10 PushCell s\n15 Mul\n16 Add\n17 End\n");
    EXPECT_EQ(ListPcode(gElementCode[1], 100, names), "0 PushCell d\n5 PushConst 4\n14 Sub\n15 End\n");
    EXPECT_EQ(ListPcode(gElementCode[2], 100, names), "0 PushCell t1\n5 End\n");
    ASSERT_EQ(gRecorder.compilerErrors.size(), 1u);
    EXPECT_EQ(gRecorder.compilerErrors[0].label, "Graphics element #3");
    EXPECT_EQ(gRecorder.compilerErrors[0].message, "Unknown identifier");

    // Code already there is kept; x(k, t) is not available.
    PcodeProgram *kept = gElementCode[0];
    FreeAndNull(gElementCode[1]);
    SetNonEmptyStringCopy(gElementTexts[1], "x(1, t)");
    EXPECT_EQ(CompileGraphicsElements(0, 1), 0);
    EXPECT_EQ(gElementCode[0], kept);
    EXPECT_EQ(gRecorder.compilerErrors.back().message, "Unknown function");

    CompileGraphicsElements(0, 0);
    EXPECT_EQ(gColumnCount, 2 * 2 + 9);
    EXPECT_EQ(gParameterCount, 1);
    unsigned char code[64];
    EXPECT_GT(CompileExpression("x[2] + k", code, sizeof code), 0);
    for (int i = 0; i < 3; ++i) {
        FreeAndNull(gElementTexts[i]);
        FreeAndNull(gElementCode[i]);
    }
}

TEST_F(CompileProblemTest, FractalListsAreReciprocalLengthsAndRadians) {
    gRecorder.Reset();
    double *lengths = nullptr, *angles = nullptr;
    ASSERT_EQ(BuildFractalArrays(" 2 0 0.25", "90 -45 180 7", 0, &lengths, &angles), 3);
    const double pi = std::acos(-1.0);
    const double expectedLengths[] = {0.5, 1, 4};
    const double expectedAngles[] = {pi / 2, -pi / 4, pi};
    for (int i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(lengths[i], expectedLengths[i]);
        EXPECT_NEAR(angles[i], expectedAngles[i], 1e-15);
    }
    FreeAndNull(lengths);
    FreeAndNull(angles);
    EXPECT_TRUE(gRecorder.boxes.empty());

    struct Case {
        const char *lengths, *angles, *message;
    } cases[] = {
        {"", "90", "No segment length in element #5"},
        {nullptr, "90", "No segment length in element #5"},
        {"1 2", "90", "Too few angles in element #5"},
        {"1 2", nullptr, "Too few angles in element #5"},
    };
    for (const Case &c : cases) {
        gRecorder.Reset();
        EXPECT_EQ(BuildFractalArrays(c.lengths, c.angles, 4, &lengths, &angles), 0);
        EXPECT_EQ(lengths, nullptr);
        EXPECT_EQ(angles, nullptr);
        ASSERT_EQ(gRecorder.boxes.size(), 1u);
        EXPECT_NE(gRecorder.boxes[0].text.find(c.message), std::string::npos) << gRecorder.boxes[0].text;
    }
}

// The compile-error dialog lets messages through: a repaint compiles graphics
// elements and the calculator compiles what is typed, inside the problem's
// compile. Neither may disturb the names the problem's compile goes on with.
TEST_F(CompileProblemTest, CompilesInsideTheDialogLeaveTheProblemsNamesAlone) {
    MakeProblem(kOdeSystem, 2);
    SetName(kFixedColumnCount, "u");
    SetEquations({"x[2]", "x[1] +"});
    gShootingIterations = 1;
    SetNonEmptyStringCopy(gBoundaryTexts[0], "u(t - 1) - x(2, t)");
    SetNonEmptyStringCopy(gBoundaryTexts[1], "x[2]");
    SetElementNameCells(gCells, &gElementT);
    SetNonEmptyStringCopy(gElementTexts[0], "x0");
    gCompileHooks.elements = [](int) -> int {
        char *text = nullptr;
        PcodeProgram *code = nullptr;
        SetNonEmptyStringCopy(text, "1");
        const int calculator = CompileCalculatorExpression(&text, &code, 1);  // refused: tables switched
        FreeAndNull(text);
        FreeAndNull(code);
        return calculator == 0 && CompileElementText(&gElementTexts[0], &gElementCode[0], 0);
    };
    static int nestedResults[2];
    gRecorder.whileCompilerErrorShown = [] {
        nestedResults[0] = CompileGraphicsElements(-1, 1);
        CompileGraphicsElements(-1, 0);
        char *text = nullptr;
        PcodeProgram *code = nullptr;
        SetNonEmptyStringCopy(text, "u(1) + x[2]");
        nestedResults[1] = CompileCalculatorExpression(&text, &code, 1);
        FreeAndNull(text);
        FreeAndNull(code);
    };
    Answer(kIdOk, "x[1] + 1");
    EXPECT_EQ(CompileProblem(), 1);
    EXPECT_EQ(nestedResults[0], 1);
    EXPECT_EQ(nestedResults[1], 1);
    EXPECT_EQ(gRecorder.compilerErrors.size(), 1u);
    EXPECT_NE(gElementCode[0], nullptr);
    EXPECT_EQ(gNameTable, gColumnTable);
    EXPECT_EQ(gColumnCount, 2 * 2 + 9);
    EXPECT_EQ(gDelayedNames[0].name, nullptr);  // released after all
    FreeAndNull(gElementTexts[0]);
    FreeAndNull(gElementCode[0]);
}

// Out of memory while a text is generated or a block is made: the user is
// told, the compile gives up, and nothing is left half bound.
TEST_F(CompileProblemTest, AllocationFailuresEndTheCompileCleanly) {
    MakeProblem(kSingleOde, 2);
    SetEquations({nullptr, "-x"});
    FailHeapAfter(0, 4);  // the retry after releasing the method fails too
    EXPECT_EQ(CompileProblem(), 0);
    FailHeapAfter(-1);
    EXPECT_EQ(gEquationTexts[0], nullptr);
    EXPECT_EQ(gDelayedNames[0].name, nullptr);
    ASSERT_FALSE(gRecorder.boxes.empty());
    EXPECT_NE(gRecorder.boxes[0].text.find("Not enough memory"), std::string::npos);
    ASSERT_EQ(CompileProblem(), 1);

    char *text = nullptr;
    PcodeProgram *code = nullptr;
    SetNonEmptyStringCopy(text, "x'");
    FailHeapAfter(0, 4);
    EXPECT_EQ(CompileCalculatorExpression(&text, &code, 1), 0);
    FailHeapAfter(-1);
    EXPECT_EQ(code, nullptr);
    EXPECT_EQ(CompileCalculatorExpression(&text, &code, 1), 1);
    FreeAndNull(code);
    FreeAndNull(text);
}

TEST_F(CompileProblemTest, MissingWorkspaceCompilesNothing) {
    FreeProblemWorkspace();
    EXPECT_EQ(CompileProblem(), 0);
    EXPECT_TRUE(gRecorder.compilerErrors.empty());
}

}  // namespace
