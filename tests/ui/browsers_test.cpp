// The initial-value and parameter browsers on real windows under Wine: their
// rows follow the problem, typed values reach it, their places and their
// transparency.
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "browsers_win32.h"
#include "transparency_win32.h"
#include "memory.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "settings.h"
#include "ui_lock.h"
#include "window_helpers.h"
#include "workspace.h"

namespace {

void Pump() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

std::string TextOf(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool Shown(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

RECT ClientRectOf(HWND dialog, int id) {
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

class BrowsersTest : public ::testing::Test {
protected:
    char ini[MAX_PATH] = {};
    SettingsLocations savedLocations = gSettingsLocations;

    void SetUp() override {
        WNDCLASSA wc = {};
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "VR_TestBrowserFrame";
        RegisterClassA(&wc);
        gFrameWindow = CreateWindowA("VR_TestBrowserFrame", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80,
                                     700, 500, nullptr, nullptr, nullptr, nullptr);
        char folder[MAX_PATH];
        GetTempPathA(sizeof folder, folder);
        std::snprintf(ini, sizeof ini, "%svr_browsers_test.ini", folder);
        DeleteFileA(ini);
        std::snprintf(gSettingsLocations.file[kSettingsUser], kSettingsPathSize, "%s", ini);
        gSavePosition = 0;
        gTransparency = 30;
        gProblemKind = kOdeSystem;
        gDimension = 3;
        ResetProblemSettings();
        ASSERT_EQ(NewProblemWorkspace(), 1);
        gProblemChanged = 0;
    }
    void TearDown() override {
        for (HWND &b : gBrowserDialogs)
            if (b) DestroyWindow(b);
        DestroyWindow(gFrameWindow);
        gFrameWindow = nullptr;
        FreeProblemWorkspace();
        ResetProblemSettings();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gProblemChanged = 0;
        gSettingsLocations = savedLocations;
        DeleteFileA(ini);
    }
    HWND Open(int index) {
        HWND w = ShowBrowser(index);
        Pump();
        return w;
    }
};

TEST_F(BrowsersTest, ThreeEquationsShowRowsOneToFiveWithNamesAndValues) {
    SetNonEmptyStringCopy(gColumnTable[kFixedColumnCount + 3].name, "p");
    gInitialTime = 0.25;
    gInitialValues[0] = 1.5;
    gInitialValues[4] = -2;
    HWND d = Open(0);
    ASSERT_TRUE(d);
    EXPECT_EQ(gBrowserDialogs[0], d);
    char title[64] = {};
    GetWindowTextA(d, title, sizeof title);
    EXPECT_STREQ(title, "Initial Values");
    EXPECT_EQ(TextOf(d, IDC_BROWSER_NAME_FIRST), gColumnTable[kColumnInitialTime].name);
    EXPECT_EQ(TextOf(d, IDC_BROWSER_VALUE_FIRST), "0.25");
    EXPECT_EQ(TextOf(d, IDC_BROWSER_NAME_FIRST + 1), "p");
    EXPECT_EQ(TextOf(d, IDC_BROWSER_VALUE_FIRST + 1), "1.5");
    char second[64];
    std::snprintf(second, sizeof second, "%s[%d]", gColumnTable[kColumnInitial].name,
                  1 + gColumnTable[kColumnInitial].low);
    EXPECT_EQ(TextOf(d, IDC_BROWSER_NAME_FIRST + 2), second);
    EXPECT_EQ(TextOf(d, IDC_BROWSER_VALUE_FIRST + 5), "-2");
    for (int row = 0; row <= 20; ++row)
        EXPECT_EQ(Shown(d, IDC_BROWSER_VALUE_FIRST + row), row <= 5) << row;
    // The help button follows the last row, the dialog ends below it.
    const RECT last = ClientRectOf(d, IDC_BROWSER_VALUE_FIRST + 5), help = ClientRectOf(d, IDHELP);
    EXPECT_GT(help.top, last.bottom);
    RECT client;
    GetClientRect(d, &client);
    EXPECT_GE(client.bottom, help.bottom);
    EXPECT_LT(client.bottom, ClientRectOf(d, IDC_BROWSER_VALUE_FIRST + 8).top);

    // A refresh reloads the values the program changed.
    gInitialValues[0] = 3.125;
    RefreshBrowsers();
    Pump();
    EXPECT_EQ(TextOf(d, IDC_BROWSER_VALUE_FIRST + 1), "3.125");
    gInitialTime = 9;
    UpdateInitialValueRows(0, 1);
    EXPECT_EQ(TextOf(d, IDC_BROWSER_VALUE_FIRST), "9");
}

TEST_F(BrowsersTest, TypedValuesReachTheProblemOnlyWhenTheyReadAsNumbers) {
    HWND d = Open(0);
    SetDlgItemTextA(d, IDC_BROWSER_VALUE_FIRST + 2, "2.5e-3");
    EXPECT_EQ(gInitialValues[1], 2.5e-3);
    EXPECT_EQ(gProblemChanged, 1);
    SetDlgItemTextA(d, IDC_BROWSER_VALUE_FIRST + 2, "abc");
    EXPECT_EQ(gInitialValues[1], 2.5e-3);
    SetDlgItemTextA(d, IDC_BROWSER_VALUE_FIRST, "-4");
    EXPECT_EQ(gInitialTime, -4);

    gParameters = static_cast<ParameterEntry *>(AllocZeroed(2 * sizeof(ParameterEntry)));
    gParameterCount = 2;
    SetNonEmptyStringCopy(gParameters[0].name, "a");
    gParameters[0].value = 0.5;
    gParameters[1].value = 7;
    gPhaseXMin = -3;
    HWND p = Open(1);
    ASSERT_TRUE(p);
    EXPECT_EQ(TextOf(p, IDC_BROWSER_PARAM_NAME), "a");
    EXPECT_EQ(TextOf(p, IDC_BROWSER_PARAM_NAME + 1), "#2");
    EXPECT_EQ(TextOf(p, IDC_BROWSER_PARAM_VALUE + 1), "7");
    EXPECT_EQ(TextOf(p, IDC_BROWSER_PX_MIN), "-3");
    EXPECT_FALSE(Shown(p, IDC_BROWSER_PARAM_VALUE + 2));
    // Rows step by the measured row height; the template's rows round to
    // pixels each on its own.
    EXPECT_NEAR(ClientRectOf(p, IDC_BROWSER_PX_MIN).top, ClientRectOf(p, IDC_BROWSER_PARAM_VALUE + 2).top, 1);
    SetDlgItemTextA(p, IDC_BROWSER_PARAM_VALUE, "0.75");
    EXPECT_EQ(gParameters[0].value, 0.75);
    SetDlgItemTextA(p, IDC_BROWSER_PX_MAX, "12");
    EXPECT_EQ(gPhaseXMax, 12);
    SetDlgItemTextA(p, IDC_BROWSER_PX_MAX, "12.5");  // not an integer
    EXPECT_EQ(gPhaseXMax, 12);
}

TEST_F(BrowsersTest, WithoutParametersThePhaseRowsTakeTheFirstRowsPlace) {
    HWND p = Open(1);
    ASSERT_TRUE(p);
    EXPECT_FALSE(Shown(p, IDC_BROWSER_PARAM_VALUE));
    EXPECT_TRUE(Shown(p, IDC_BROWSER_PX_MIN));
    EXPECT_EQ(ClientRectOf(p, IDC_BROWSER_PX_MIN).top, ClientRectOf(p, IDC_BROWSER_PARAM_VALUE).top);
    EXPECT_GT(ClientRectOf(p, IDC_BROWSER_PY_MIN).top, ClientRectOf(p, IDC_BROWSER_PX_MIN).top);
    EXPECT_EQ(TextOf(p, IDC_BROWSER_PX_NAME), gColumnTable[kColumnFamilyX].name);
}

TEST_F(BrowsersTest, TheyStandAtTheFramesTopRightAndKeepTheirPlaces) {
    HWND initial = Open(0), parameters = Open(1);
    RECT frame, a, b;
    GetWindowRect(gFrameWindow, &frame);
    GetWindowRect(initial, &a);
    GetWindowRect(parameters, &b);
    EXPECT_EQ(b.right, frame.right);
    EXPECT_EQ(b.top, frame.top);
    EXPECT_EQ(a.right - a.left, b.right - b.left);
    EXPECT_EQ(a.left, frame.right - 2 * (b.right - b.left));

    // Closing stores the place; with "Save position" it is used again.
    SetWindowPos(parameters, nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    DestroyWindow(parameters);
    EXPECT_EQ(gBrowserDialogs[1], nullptr);
    EXPECT_EQ(GetPrivateProfileIntA("Options", "BrowserP X position", -1, ini), 40);
    EXPECT_EQ(GetPrivateProfileIntA("Options", "BrowserP Y position", -1, ini), 60);
    gSavePosition = 1;
    parameters = Open(1);
    GetWindowRect(parameters, &b);
    EXPECT_EQ(b.left, 40);
    EXPECT_EQ(b.top, 60);
    gSavePosition = 0;

    // Cancel hides; the command shows it again.
    PostMessageA(parameters, WM_COMMAND, IDCANCEL, 0);
    Pump();
    EXPECT_FALSE(IsWindowVisible(parameters));
    EXPECT_EQ(Open(1), parameters);
    EXPECT_TRUE(IsWindowVisible(parameters));
}

TEST_F(BrowsersTest, InactiveTransparencyThirtyGivesAlpha178) {
    HWND d = Open(0);
    SendMessageA(d, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_TRUE(GetWindowLongA(d, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(d, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 178);
    EXPECT_TRUE(flags & LWA_ALPHA);
    SendMessageA(d, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_FALSE(GetWindowLongA(d, GWL_EXSTYLE) & WS_EX_LAYERED);
    gTransparency = 0;
    SetInactiveTransparency(d, 0);
    EXPECT_FALSE(GetWindowLongA(d, GWL_EXSTYLE) & WS_EX_LAYERED);
}

}  // namespace
