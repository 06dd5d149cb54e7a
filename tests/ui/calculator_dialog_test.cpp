// The calculator dialog on real windows under a test frame: typing,
// Evaluate, the history, the outputs and Clear all, boxes answered by a
// watcher thread.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "calculator_logic.h"
#include "calculator_win32.h"
#include "eval_errors.h"
#include "resource_ids.h"
#include "ui_lock.h"
#include "win32_modal.h"
#include "workspace.h"

namespace {

std::string Text(HWND w) {
    char buffer[4096];
    GetWindowTextA(w, buffer, sizeof buffer);
    return buffer;
}

class CalculatorDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallEvalAbortHandler();
        gProblemKind = kOdeSystem;
        gDimension = 2;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        frame_ = CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        dialog_ = ShowCalculator(frame_);
        ASSERT_NE(dialog_, nullptr);
        IgnoreModelessDialog(dialog_);
    }
    void TearDown() override {
        IgnoreModelessDialog(nullptr);
        CloseCalculator();
        ClearCalculator();
        DestroyWindow(frame_);
        FreeProblemWorkspace();
    }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    // Types text into the input (the edit control sends its change).
    void Type(const char *text) { SetWindowTextA(Item(IDC_CALC_INPUT), text); }
    void Command(int id) { SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    // Types text and expects a run-time error box: returns its text.
    std::string TypeExpectingBox(const char *text) {
        ModalAnswerer answer(IDOK, 20000);
        Type(text);
        const ModalCapture &box = answer.Result();
        return box.found ? box.text : "(no box)";
    }
    HWND frame_ = nullptr;
    HWND dialog_ = nullptr;
};

// Not passing yet: typing into the input does not reach the evaluation.
TEST_F(CalculatorDialogTest, DISABLED_TypingEvaluatingAndTheOutputs) {
    EXPECT_EQ(Text(dialog_), "Vantorel calculator");
    EXPECT_EQ(gCalculatorDialog, dialog_);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_CALC_EVALUATE)));

    {
        ModalAnswerer none(IDCANCEL, 1500);
        Type("2+");
        EXPECT_FALSE(none.Result().found);  // silent while typing
    }
    EXPECT_EQ(Text(Item(IDC_CALC_CURRENT)), "");
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_CALC_EVALUATE)));
    {
        ModalAnswerer compileError(IDCANCEL);
        Command(IDC_CALC_EVALUATE);
        EXPECT_EQ(compileError.Result().caption, "Compiler Error");
    }
    EXPECT_EQ(Text(Item(IDC_CALC_HISTORY)), "");

    Type("2");
    EXPECT_EQ(Text(Item(IDC_CALC_CURRENT)), "2");
    Command(IDC_CALC_EVALUATE);
    Type("3");
    Command(IDM_CALC_EVALUATE);
    EXPECT_EQ(Text(Item(IDC_CALC_HISTORY)), "I[1] = 2\r\nO[1] = 2\r\nI[2] = 3\r\nO[2] = 3");

    Type("%[0]");
    EXPECT_EQ(Text(Item(IDC_CALC_CURRENT)), "3");
    Type("%[-1]");
    EXPECT_EQ(Text(Item(IDC_CALC_CURRENT)), "2");
    Type("%[1]");
    EXPECT_EQ(Text(Item(IDC_CALC_CURRENT)), "2");
    EXPECT_NE(TypeExpectingBox("%[3]"), "(no box)");
    EXPECT_EQ(Text(Item(IDC_CALC_CURRENT)), "");

    SetWindowTextA(Item(IDC_CALC_FORMAT), "%.3f");
    Type("pi");
    EXPECT_EQ(Text(Item(IDC_CALC_CURRENT)), "3.142");

    Command(IDM_CALC_CLEAR_ALL);
    EXPECT_EQ(Text(Item(IDC_CALC_HISTORY)), "");
    EXPECT_EQ(Text(Item(IDC_CALC_INPUT)), "");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_CALC_EVALUATE)));
    EXPECT_NE(TypeExpectingBox("%[1]"), "(no box)");
}

TEST_F(CalculatorDialogTest, DISABLED_CancelHidesAndCommandShowsTheSameDialog) {
    Command(IDCANCEL);
    EXPECT_FALSE(IsWindowVisible(dialog_));
    EXPECT_EQ(ShowCalculator(frame_), dialog_);
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ(GetWindow(dialog_, GW_OWNER), frame_);
}

}  // namespace
