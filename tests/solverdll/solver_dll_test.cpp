// Solver libraries under Wine: stand-in libraries built beside this program,
// listed in "Code libraries" of the settings file beside it, loaded by the
// real loader and run through the run engine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "code_libraries.h"
#include "compiler.h"
#include "described_dialog_win32.h"
#include "dop853.h"
#include "fpu_faults.h"
#include "problem_settings.h"
#include "run_engine.h"
#include "run_host.h"
#include "settings_fixture.h"
#include "solver_dll.h"
#include "solver_method.h"
#include "win32_modal.h"
#include "workspace.h"

namespace {

enum Entry { kEuler = 1, kDecorated, kInUse, kNoInterpolate, kMissing, kEmpty };

class SolverDllTest : public SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        UseFileBesideProgram();
        const char *entries[][2] = {
            {"Euler", ":fake_solver_plain.dll"},
            {"Decorated", ":fake_solver_decorated.dll"},
            {"Busy", ":fake_solver_in_use.dll"},
            {"NoInterpolate", ":fake_solver_no_interpolate.dll"},
            {"Missing", ":no_such_solver.dll"},
            {"Empty", ""},
        };
        for (const auto &e : entries) WriteSettingString(kCodeLibrariesSection, e[0], e[1], kSettingsShared);
        gProblemKind = kOdeSystem;
        gDimension = 1;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        ResetProblemSettings();
        ASSERT_GT(CompileExpression("t", gPcodeBuffer, static_cast<int>(gPcodeLength)), 0);
        gEquationCode[0] = gPcodeBuffer;
        gInitialTime = 0;
        gInitialValues[0] = 0;
        gLastValue = 1;
        gOutputStep = 0.25;
        gRetardedPoints = 0;
        gStatusFrequency = 0;
        gShootingIterations = 0;
        gRunHost = RunHost{};
        gRunHost.installFaultHandlers = InstallFloatingPointHandler;
        gCodeLibraryHooks.solverInit = SolverDllInit;  // as the platform installs it
        gRunState = RunState{};
        gSolverMethod = SolverMethod{};
        gMethodReady = 0;
    }
    void TearDown() override {
        SelectSolverLibrary(0);
        gCodeLibraryHooks.solverInit = nullptr;
        RemoveFloatingPointHandler();
        gRunHost = RunHost{};
        gRunState = RunState{};
        gSolverMethod = SolverMethod{};
        gMethodReady = 0;
        FreeProblemWorkspace();
        ResetProblemSettings();
        gProblemKind = kSingleOde;
        gDimension = 2;
        SettingsFixture::TearDown();
    }
    void Start() {
        gRunState.canContinue = 0;
        StartSolving();
    }
};

TEST_F(SolverDllTest, AListedLibraryIntegratesTheProblem) {
    EXPECT_STREQ(CodeLibraryKey(kDecorated), "Decorated");
    EXPECT_EQ(CodeLibraryKey(kEmpty + 1), nullptr);
    for (int entry : {kEuler, kDecorated}) {
        SelectSolverLibrary(entry);
        ASSERT_EQ(gCodeLibraryIndex, entry);
        ASSERT_TRUE(gSolverDll.module);
        EXPECT_TRUE(gSolverDll.InitDLL && gSolverDll.SolveDLL && gSolverDll.InterpolateDLL && gSolverDll.EndDLL);
        // The optional entries are found under the same kind of name.
        ASSERT_NE(GetSolverDllParam(1), nullptr);
        EXPECT_STREQ(GetSolverDllParam(0)->name, "steps");
        EXPECT_EQ(GetSolverDllParam(0)->value, 1000);
        EXPECT_STREQ(GetSolverDllParam(1)->name, "order");
        EXPECT_EQ(GetSolverDllParam(2), nullptr);
        // Fewer steps: the host writes the value the library reads; the same
        // choice again keeps it.
        GetSolverDllParam(0)->value = 100;
        SelectSolverLibrary(entry);
        EXPECT_EQ(GetSolverDllParam(0)->value, 100);
        Start();
        EXPECT_EQ(gSolverMethod.step, &SolverDllStep);
        // Euler on y' = t over [0, 1] in 100 steps: 0.5 - h / 2.
        EXPECT_NEAR(gVariables[0], 0.495, 1e-12) << entry;
        EXPECT_EQ(ITERATIONORDER(), 1);
        // The library's "in use" guard shows that the reset ended it.
        ResetSolverMethod(1);
        ASSERT_EQ(PrepareSolverMethod(), 1);
    }
}

// The entry points remove exactly their own arguments.
TEST_F(SolverDllTest, TheStackIsBalancedAcrossTheLibraryCalls) {
    SelectSolverLibrary(kDecorated);
    ASSERT_TRUE(gSolverDll.module);
    struct Callbacks {
        static void __stdcall Rhs(double t, double *, double *dydt) { dydt[0] = 2 * t; }
        static int __stdcall Output(double, const double *) { return 0; }
        static double __stdcall Fallback(int j, double t) { return j + t; }
    };
    unsigned before, after;
    double t = 0, y = 0, out = 0;
    int results[4];
    __asm__ volatile("movl %%esp, %0" : "=r"(before));
    results[0] = gSolverDll.InitDLL(GetModuleHandleA(nullptr), 1, 1, 0);
    results[1] = gSolverDll.SolveDLL(&t, &y, 1, 1e-8, 1, 0.01, 0, 1, Callbacks::Rhs, Callbacks::Output);
    results[2] = gSolverDll.InterpolateDLL(3, 0.5, &out, Callbacks::Fallback);
    results[3] = gSolverDll.ParamDLL(0) != nullptr;
    const double order = gSolverDll.IterOrderDLL();
    gSolverDll.EndDLL();
    __asm__ volatile("movl %%esp, %0" : "=r"(after));
    EXPECT_EQ(before, after);
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(results[1], 0);
    EXPECT_EQ(results[2], 0);
    EXPECT_EQ(results[3], 1);
    EXPECT_EQ(order, 1);
    EXPECT_EQ(t, 1);
    EXPECT_NEAR(y, 1 - 1e-3, 1e-12);  // Euler on y' = 2t: 1 - h
    EXPECT_EQ(out, 3.5);
}

TEST_F(SolverDllTest, ALibraryInUseLeavesTheProblemOnTheBuiltInIntegrator) {
    SelectSolverLibrary(kInUse);
    ASSERT_TRUE(gSolverDll.module);
    ModalAnswerer answer(IDOK);
    Start();
    const ModalCapture &box = answer.Result();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, "Code DLL already in use");
    EXPECT_EQ(box.caption, "Vantorel Error");
    EXPECT_EQ(gCodeLibraryIndex, 0);
    EXPECT_EQ(gSolverMethod.init, &Dop853Init);
    EXPECT_NEAR(gVariables[0], 0.5, 1e-12);  // exact, so not Euler's
    EXPECT_EQ(ITERATIONORDER(), 0);
    // Choosing the built-in method now frees the library it fell back from.
    SelectSolverLibrary(0);
    EXPECT_EQ(gSolverDll.module, nullptr);
}

// The Method page shows the parameters of a library it does not select: the
// library is loaded for the look and freed again; one that does not load is
// reported.
TEST_F(SolverDllTest, TheMethodPageReadsTheParametersOfALibraryNotSelected) {
    std::vector<std::string> names;
    std::vector<double> values;
    ASSERT_TRUE(ShellPeekCodeLibraryParameters("Decorated", &names, &values));
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "steps");
    EXPECT_EQ(values[0], 1000);
    EXPECT_EQ(names[1], "order");
    EXPECT_EQ(gCodeLibraryIndex, 0);
    EXPECT_EQ(gSolverDll.module, nullptr);
    EXPECT_EQ(GetModuleHandleA("fake_solver_decorated.dll"), nullptr);

    ModalAnswerer answer(IDOK);
    names.clear();
    EXPECT_FALSE(ShellPeekCodeLibraryParameters("Missing", &names, &values));
    const ModalCapture &box = answer.Result();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, folder + "no_such_solver.dll library not found");
    EXPECT_TRUE(names.empty());
}

TEST_F(SolverDllTest, ALibraryThatCannotBeUsedIsReportedAndTheBuiltInMethodSelected) {
    for (int entry : {kNoInterpolate, kMissing}) {
        SelectSolverLibrary(kEuler);
        ModalAnswerer answer(IDOK);
        SelectSolverLibrary(entry);
        const ModalCapture &box = answer.Result();
        ASSERT_TRUE(box.found) << entry;
        const std::string file = entry == kMissing ? "no_such_solver.dll" : "fake_solver_no_interpolate.dll";
        EXPECT_EQ(box.text, folder + file + " library not found");
        EXPECT_EQ(gCodeLibraryIndex, 0);
        EXPECT_EQ(gSolverDll.module, nullptr);
        EXPECT_EQ(gSolverDll.SolveDLL, nullptr);
        EXPECT_EQ(GetSolverDllParam(0), nullptr);
        EXPECT_EQ(ITERATIONORDER(), 0);
    }
    // An entry without a path selects the built-in method without a word.
    SelectSolverLibrary(kEmpty);
    EXPECT_EQ(gCodeLibraryIndex, 0);
    EXPECT_EQ(gSolverDll.module, nullptr);
}

// Every new choice tells the frame which library item its Help menu shows:
// the entry and its "Code help" file, or nothing.
TEST_F(SolverDllTest, ANewChoicePassesItsHelpFileToTheMenu) {
    static std::vector<std::string> calls;
    calls.clear();
    gCodeLibraryHooks.menuChanged = [](const char *entry, const char *help) {
        calls.push_back(std::string(entry) + "|" + help);
    };
    WriteSettingString(kCodeHelpSection, "Euler", "euler.hlp", kSettingsShared);
    SelectSolverLibrary(kEuler);
    EXPECT_STREQ(gCodeLibraryHelpFile, "euler.hlp");
    SelectSolverLibrary(kEuler);  // the same choice: nothing new
    SelectSolverLibrary(kDecorated);
    EXPECT_STREQ(gCodeLibraryHelpFile, "");
    SelectSolverLibrary(kEuler);
    SelectSolverLibrary(kEmpty);
    {
        ModalAnswerer answer(IDOK);
        SelectSolverLibrary(kEuler);
        WriteSettingString(kCodeHelpSection, "Missing", "missing.hlp", kSettingsShared);
        SelectSolverLibrary(kMissing);  // fell back: no library, no item
        EXPECT_TRUE(answer.Result().found);
    }
    SelectSolverLibrary(0);  // already the built-in method: nothing new
    gCodeLibraryHooks.menuChanged = nullptr;
    const std::vector<std::string> expected = {"Euler|euler.hlp", "Decorated|", "Euler|euler.hlp", "|",
                                               "Euler|euler.hlp", "|"};
    EXPECT_EQ(calls, expected);
}

}  // namespace
