// The real message-box path under Wine.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "eval_errors.h"
#include "fault_guard.h"
#include "memory.h"
#include "msgbox_win32.h"
#include "messages.h"
#include "solver_method.h"
#include "string_table.h"
#include "win32_modal.h"
#include "window_helpers.h"

namespace {

TEST(Win32MessageBox, OutOfMemoryReportShowsTheStringAndIsAnsweredOk) {
    gRunState.stopRequested = 0;
    ModalAnswerer answer(IDOK);
    ReportOutOfMemory();
    const ModalCapture &box = answer.Result();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, "Not enough memory");
    EXPECT_EQ(box.caption, "Vantorel Error");
    EXPECT_EQ(gRunState.stopRequested, 0);
    gOutOfMemory = 0;
}

TEST(Win32MessageBox, CancelRequestsAStop) {
    gRunState.stopRequested = 0;
    ModalAnswerer answer(IDCANCEL);
    ShowErrorBox(10211);
    ASSERT_TRUE(answer.Result().found);
    EXPECT_EQ(gRunState.stopRequested, 1);
    gRunState.stopRequested = 0;
}

// The resource script and the compiled list come from one source; check that
// windres and the C++ compiler read every text alike.
TEST(Win32Resources, StringTableMatchesTheCompiledList) {
    for (const StringTableEntry *e = kStringTable; e->text; ++e) {
        char buffer[4096];
        int n = LoadStringA(GetModuleHandleA(nullptr), e->id, buffer, sizeof buffer);
        ASSERT_GT(n, 0) << e->id;
        EXPECT_STREQ(buffer, e->text) << e->id;
    }
}

}  // namespace

namespace {

// Every box of the program has its buttons named from strings 10400-10408
// (the Help button included), whatever the system calls them.
TEST(Win32MessageBox, ButtonsAreRelabelledFromTheStringTable) {
    struct Case {
        unsigned style;
        std::vector<std::string> buttons;
    } cases[] = {
        {MB_OKCANCEL, {"OK", "Cancel", "Help"}},
        {MB_YESNOCANCEL, {"&Yes", "&No", "Cancel", "Help"}},
        {MB_ABORTRETRYIGNORE, {"&Abort", "&Retry", "&Ignore", "Help"}},
        {MB_YESNO, {"&Yes", "&No", "Help"}},
    };
    for (const Case &c : cases) {
        int press = (c.style == MB_ABORTRETRYIGNORE) ? IDIGNORE : (c.style == MB_YESNO ? IDNO : IDCANCEL);
        ModalAnswerer answer(press);
        gLastStringId = 10211;
        ShowMessageBox("\n\n  text", "caption", c.style);
        const ModalCapture &box = answer.Result();
        ASSERT_TRUE(box.found);
        EXPECT_EQ(box.text, "text");
        std::vector<std::string> sorted = box.buttons, expected = c.buttons;
        std::sort(sorted.begin(), sorted.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(sorted, expected) << c.style;
    }
    gRunState.stopRequested = 0;
}

HWND MakeWindow(const char *title, HWND parent, DWORD style, int id = 0);

// The relabelling itself, on nine buttons that show something else; and the
// hook is gone after a box: a window activated later keeps its texts.
TEST(Win32MessageBox, HookRelabelsControlsOneToNineForOneBoxOnly) {
    HWND later = MakeWindow("later", nullptr, WS_OVERLAPPEDWINDOW);
    for (int id = 1; id <= 9; ++id)
        CreateWindowA("BUTTON", "x", WS_CHILD, 0, 0, 50, 20, later, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                      GetModuleHandleA(nullptr), nullptr);
    {
        ModalAnswerer answer(IDOK);
        ShowMessageBox("text", "caption", MB_OK);
        ASSERT_TRUE(answer.Result().found);
    }
    ShowWindow(later, SW_SHOW);
    SetActiveWindow(later);
    char text[32];
    GetDlgItemTextA(later, 9, text, sizeof text);
    EXPECT_STREQ(text, "x");
    RelabelMessageBoxButtons(later);
    const char *expected[] = {"OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&Yes", "&No", "&Close", "Help"};
    for (int id = 1; id <= 9; ++id) {
        GetDlgItemTextA(later, id, text, sizeof text);
        EXPECT_STREQ(text, expected[id - 1]) << id;
    }
    DestroyWindow(later);
}

// A run is going on; Cancel in any error box asks it to stop, other answers
// do not.
TEST(Win32MessageBox, CancelDuringARunRequestsAStop) {
    struct Case {
        int press;
        int stop;
    } cases[] = {{IDOK, 0}, {IDCANCEL, 1}};
    for (const Case &c : cases) {
        gRunState.stopRequested = 0;
        gRunState.pauseArmed = 1;
        ModalAnswerer answer(c.press);
        ShowErrorBoxWithNumber(10213, -5);
        EXPECT_EQ(answer.Result().text, "Code DLL error -5");
        EXPECT_EQ(gRunState.stopRequested, c.stop) << c.press;
    }
    gRunState = RunState();
}

// A few rows of the code bands through the real box: message and caption.
void RaiseCode(void *code) { RaiseEvalError(*static_cast<int *>(code)); }

TEST(Win32MessageBox, EvaluatorCodesReachTheirMessages) {
    InstallEvalAbortHandler();
    struct Case {
        int code;
        const char *text;
        const char *caption;
        int helpId;
    } cases[] = {
        {1, "Stack overflow", "P-code interpreter error", 10231},
        {-3, "Infinity reached", "Vantorel Error", 10226},
        {-11, "Argument singularity", "Vantorel Error", 10257},
        {-150, "Code DLL error -150", "Vantorel Error", 10213},
    };
    for (Case c : cases) {
        ModalAnswerer answer(IDOK);
        EXPECT_NE(RunFaultGuarded(RaiseCode, &c.code), 0);
        const ModalCapture &box = answer.Result();
        ASSERT_TRUE(box.found) << c.code;
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(gLastStringId, c.helpId);
    }
    gRunState.stopRequested = 0;
}

LRESULT CALLBACK PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

HWND MakeWindow(const char *title, HWND parent, DWORD style, int id) {
    static bool registered;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PlainWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VrTestPlain";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowA("VrTestPlain", title, style, 10, 10, 300, 200, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

// The calculator evaluating silently: the message goes into its output
// control, one line, and no box appears.
TEST(Win32MessageBox, QuietModeWritesIntoTheCalculatorOutput) {
    HWND calculator = MakeWindow("calc", nullptr, WS_OVERLAPPEDWINDOW);
    HWND output = CreateWindowA("EDIT", "", WS_CHILD, 0, 0, 200, 20, calculator,
                                reinterpret_cast<HMENU>(31006), GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(output);
    gQuietMessages = 1;
    gQuietMessageWindow = calculator;
    ModalAnswerer none(IDCANCEL, 500);
    int result = ShowMessageBox("\n\n  Division by zero\nat x = 1", "caption", MB_OKCANCEL);
    gQuietMessages = 0;
    gQuietMessageWindow = nullptr;
    EXPECT_FALSE(none.Result().found);
    char text[256];
    GetWindowTextA(output, text, sizeof text);
    EXPECT_STREQ(text, "Division by zero at x = 1");
    EXPECT_NE(result, IDCANCEL);
    EXPECT_EQ(gRunState.stopRequested, 0);
    DestroyWindow(calculator);
}

TEST(Win32MessageBox, SystemErrorsShowTheSystemTextElseUnknown) {
    {
        ModalAnswerer answer(IDOK);
        ShowSystemError(ERROR_FILE_NOT_FOUND);
        const ModalCapture &box = answer.Result();
        EXPECT_EQ(box.caption, "Vantorel Error");
        EXPECT_FALSE(box.text.empty());
        EXPECT_NE(box.text, "Unknown system error");
        EXPECT_NE(box.text.back(), '\n');
        EXPECT_EQ(gLastStringId, 10067);
    }
    {
        ModalAnswerer answer(IDOK);
        ShowSystemError(0x2000BEEF);
        EXPECT_EQ(answer.Result().text, "Unknown system error");
        EXPECT_EQ(gLastStringId, 10066);
    }
}

TEST(Win32MessageBox, MemoryExhaustedIsAPlainBoxWithoutHelp) {
    ModalAnswerer answer(IDOK);
    ShowMemoryExhausted();
    const ModalCapture &box = answer.Result();
    EXPECT_EQ(box.caption, "Vantorel");
    EXPECT_EQ(box.text, "Memory exhausted");
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(gLastStringId, 10210);
}

TEST(Win32MessageBox, OwnerIsTheFramesPopupElseTheFrameElseTheDesktop) {
    EXPECT_EQ(GetMessageOwnerWindow(), GetDesktopWindow());
    gFrameWindow = MakeWindow("frame", nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    EXPECT_EQ(GetMessageOwnerWindow(), gFrameWindow);
    HWND popup = MakeWindow("popup", gFrameWindow, WS_POPUP | WS_VISIBLE);
    SetActiveWindow(popup);
    EXPECT_EQ(GetMessageOwnerWindow(), popup);
    DestroyWindow(gFrameWindow);
    EXPECT_EQ(GetMessageOwnerWindow(), GetDesktopWindow());
    gFrameWindow = nullptr;
}

}  // namespace
