// Dialog 300 on real compile errors, driven from a watcher thread.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "compile_problem.h"
#include "memory.h"
#include "platform_win32.h"
#include "resource_ids.h"
#include "settings.h"
#include "win32_modal.h"
#include "workspace.h"

namespace {

class CompilerErrorDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        gFrameWindow = nullptr;
        gProblemKind = kOdeSystem;
        gDimension = 2;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
    }
    void TearDown() override {
        gShootingIterations = 0;
        gEnterKey = 0;
        FreeProblemWorkspace();
    }
    // Where the compiler puts the error in text: position and cursor.
    static std::pair<int, int> ErrorSpan(const char *text) {
        unsigned char code[256];
        EXPECT_EQ(CompileExpression(text, code, sizeof code), 0);
        return {static_cast<int>(gCompileErrorPos - text), static_cast<int>(gCompileCursor - text)};
    }
};

TEST_F(CompilerErrorDialogTest, CorrectedThenCancelled) {
    const char *failing = "x[1] + foo * 2";
    const std::pair<int, int> span = ErrorSpan(failing);
    SetNonEmptyStringCopy(gEquationTexts[0], "x[2]");
    SetNonEmptyStringCopy(gEquationTexts[1], failing);
    gShootingIterations = 3;
    SetNonEmptyStringCopy(gBoundaryTexts[0], "x[1]");
    SetNonEmptyStringCopy(gBoundaryTexts[1], "x[2] +");

    ModalScript script({{IDOK, {{IDC_COMPILE_TEXT, "x[1] + 2 * 2"}}}, {IDCANCEL, {}}});
    EXPECT_EQ(CompileProblem(), 0);
    const std::vector<ModalCapture> &seen = script.Results();
    ASSERT_EQ(seen.size(), 2u);

    EXPECT_EQ(seen[0].caption, "Compiler Error");
    EXPECT_EQ(seen[0].controlTexts.at(IDC_COMPILE_LABEL), "dx[2]/dt =");
    EXPECT_EQ(seen[0].controlTexts.at(IDC_COMPILE_MESSAGE), "Unknown identifier");
    EXPECT_EQ(seen[0].controlTexts.at(IDC_COMPILE_TEXT), failing);
    EXPECT_EQ(span.first, 7);
    EXPECT_EQ(seen[0].editSelections.at(IDC_COMPILE_TEXT), span);
    EXPECT_EQ(std::string(gEquationTexts[1]), "x[1] + 2 * 2");

    EXPECT_EQ(seen[1].controlTexts.at(IDC_COMPILE_LABEL), "Boundary condition #2");
    EXPECT_EQ(seen[1].controlTexts.at(IDC_COMPILE_MESSAGE), "Unexpected end of expression");
    EXPECT_EQ(seen[1].editSelections.at(IDC_COMPILE_TEXT), std::make_pair(6, 6));
    EXPECT_EQ(std::string(gBoundaryTexts[1]), "x[2] +");
}

TEST_F(CompilerErrorDialogTest, LineBreaksShowAsCrLfAndTheSelectionFollows) {
    const char *failing = "x[1] +\n  foo";
    SetNonEmptyStringCopy(gEquationTexts[0], failing);
    ModalScript script(std::vector<ModalStep>{{IDCANCEL, {}}});
    EXPECT_EQ(CompileProblem(), 0);
    const std::vector<ModalCapture> &seen = script.Results();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].controlTexts.at(IDC_COMPILE_TEXT), "x[1] +\r\n  foo");
    EXPECT_EQ(seen[0].editSelections.at(IDC_COMPILE_TEXT), std::make_pair(10, 13));
    EXPECT_EQ(std::string(gEquationTexts[0]), failing);
}

// Enter presses OK, unless the option "Enter key" makes it a line break.
TEST_F(CompilerErrorDialogTest, EnterKeyOptionTypesALineBreak) {
    for (int option = 0; option <= 1; ++option) {
        SCOPED_TRACE(option ? "Enter key on" : "Enter key off");
        gEnterKey = option;
        SetNonEmptyStringCopy(gEquationTexts[0], "x[2]");
        SetNonEmptyStringCopy(gEquationTexts[1], "x[1] +");
        // With the option on, only the button ends the dialog.
        ModalScript script({ModalStep(option ? IDOK : IDCANCEL, {{IDC_COMPILE_TEXT, "x[1] + 1"}},
                                      {{IDC_COMPILE_TEXT, VK_RETURN}})});
        EXPECT_EQ(CompileProblem(), 1);
        ASSERT_EQ(script.Results().size(), 1u);
        const std::string corrected = gEquationTexts[1];
        EXPECT_EQ(corrected.find("\r\n") != std::string::npos, option == 1) << corrected;
    }
}

}  // namespace
