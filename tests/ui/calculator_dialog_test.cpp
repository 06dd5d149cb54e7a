// The calculator dialog on real windows under a test frame: typing,
// Evaluate, the history, the outputs and Clear all, boxes answered by a
// watcher thread.
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "calculator_logic.h"
#include "calculator_win32.h"
#include "described_dialog_win32.h"
#include "drive_dialog.h"
#include "eval_errors.h"
#include "resource_ids.h"
#include "settings.h"
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
        std::snprintf(gCalculator.format, sizeof gCalculator.format, "%s", kDefaultCalculatorFormat);
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
    // Types text into the input as the keyboard would: the input is a
    // multi-line edit, which reports no change for WM_SETTEXT, only for edits
    // of its text.
    void Type(const char *text) {
        SendMessageA(Item(IDC_CALC_INPUT), EM_SETSEL, 0, -1);
        SendMessageA(Item(IDC_CALC_INPUT), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }
    void Command(int id) { SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    // Evaluates and expects a run-time error box: returns its text.
    std::string EvaluateExpectingBox() {
        ModalAnswerer answer(IDOK, 20000);
        Command(IDC_CALC_EVALUATE);
        const ModalCapture &box = answer.Result();
        return box.found ? box.text : "(no box)";
    }
    HWND frame_ = nullptr;
    HWND dialog_ = nullptr;
};

// While typing, messages are quiet (into the current value); Evaluate shows
// them in a box.
TEST_F(CalculatorDialogTest, TypingEvaluatingAndTheOutputs) {
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
    {
        ModalAnswerer none(IDCANCEL, 1500);
        Type("%[3]");
        EXPECT_FALSE(none.Result().found);
    }
    EXPECT_EQ(Text(Item(IDC_CALC_CURRENT)), "No such calculator result");
    EXPECT_EQ(EvaluateExpectingBox(), "No such calculator result");
    EXPECT_EQ(Text(Item(IDC_CALC_HISTORY)), "I[1] = 2\r\nO[1] = 2\r\nI[2] = 3\r\nO[2] = 3");

    SetWindowTextA(Item(IDC_CALC_FORMAT), "%.3f");
    Type("pi");
    EXPECT_EQ(Text(Item(IDC_CALC_CURRENT)), "3.142");

    Command(IDM_CALC_CLEAR_ALL);
    EXPECT_EQ(Text(Item(IDC_CALC_HISTORY)), "");
    EXPECT_EQ(Text(Item(IDC_CALC_INPUT)), "");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_CALC_EVALUATE)));
    Type("%[1]");
    EXPECT_EQ(Text(Item(IDC_CALC_CURRENT)), "No such calculator result");
    EXPECT_EQ(EvaluateExpectingBox(), "No such calculator result");

    // Lines of a several-line input are recorded with blanks.
    Type("1+\r\n2");
    EXPECT_EQ(Text(Item(IDC_CALC_CURRENT)), "3.000");
    Command(IDC_CALC_EVALUATE);
    EXPECT_EQ(Text(Item(IDC_CALC_HISTORY)), "I[1] = 1+  2\r\nO[1] = 3.000");
}

TEST_F(CalculatorDialogTest, CancelHidesAndCommandShowsTheSameDialog) {
    Command(IDCANCEL);
    EXPECT_FALSE(IsWindowVisible(dialog_));
    EXPECT_EQ(ShowCalculator(frame_), dialog_);
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ(GetWindow(dialog_, GW_OWNER), frame_);
}

}  // namespace

namespace {

// "Transparency" 30: the calculator is opaque while active and has alpha
// 178 while inactive.
TEST_F(CalculatorDialogTest, InactiveTransparency) {
    const int saved = gTransparency;
    gTransparency = 30;
    SendMessageA(dialog_, WM_ACTIVATE, WA_INACTIVE, 0);
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(GetWindowLongA(dialog_, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(GetLayeredWindowAttributes(dialog_, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 178);
    EXPECT_TRUE(flags & LWA_ALPHA);
    SendMessageA(dialog_, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_FALSE(GetWindowLongA(dialog_, GWL_EXSTYLE) & WS_EX_LAYERED);
    gTransparency = 0;
    SendMessageA(dialog_, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(GetWindowLongA(dialog_, GWL_EXSTYLE) & WS_EX_LAYERED);
    // A new value from the preferences reaches the open calculator at once.
    gTransparency = 60;
    ShellApplyTransparency();
    EXPECT_TRUE(GetLayeredWindowAttributes(dialog_, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 102);
    gTransparency = saved;
}

}  // namespace

namespace {

// "Save..." writes exactly the history's text to the chosen file.
TEST_F(CalculatorDialogTest, SaveWritesExactlyTheHistory) {
    Type("2");
    Command(IDC_CALC_EVALUATE);
    Type("3");
    Command(IDC_CALC_EVALUATE);
    char temporary[MAX_PATH];
    GetTempPathA(sizeof temporary, temporary);
    const std::string path = std::string(temporary) + "calculator_history.txt";
    DeleteFileA(path.c_str());
    DialogDriver driver("Save as", [&](HWND d) {
        Sleep(300);
        for (int id : {0x47C, 0x480})  // the name's combo box or edit, whichever the dialog has
            SendDlgItemMessageA(d, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    Command(IDM_CALC_SAVE);
    ASSERT_TRUE(driver.Wait());
    std::string saved;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char buffer[256];
        const size_t n = std::fread(buffer, 1, sizeof buffer, f);
        saved.assign(buffer, n);
        std::fclose(f);
    }
    EXPECT_EQ(saved, "I[1] = 2\r\nO[1] = 2\r\nI[2] = 3\r\nO[2] = 3");
    DeleteFileA(path.c_str());
}

}  // namespace
