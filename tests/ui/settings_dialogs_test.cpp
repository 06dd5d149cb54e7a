// The settings dialogs on real windows under Wine: opened from their menu
// commands over a frame with a multi-document client, driven from a watcher
// thread with messages, their controls read back.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builtin_math.h"
#include "described_dialog_win32.h"
#include "drive_dialog.h"
#include "graph_window_win32.h"
#include "mathlink.h"
#include "settings_files.h"
#include "memory.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "settings.h"
#include "settings_commands.h"
#include "settings_tables.h"
#include "view_color_dialogs.h"
#include "window_helpers.h"
#include "workspace.h"

namespace {

// ---- Driving a modal dialog of the test thread from a watcher thread

struct Driver {
    DWORD thread;
    std::function<void(HWND)> script;
};

DWORD WINAPI RunDriver(LPVOID param) {
    Driver *d = static_cast<Driver *>(param);
    HWND dialog = WaitForOtherDialog(d->thread, nullptr);
    if (!dialog) return 0;
    Sleep(50);
    d->script(dialog);
    return 0;
}

// Runs body (which opens a modal dialog) while script drives that dialog.
template <class Body> void Drive(std::function<void(HWND)> script, Body body) {
    Driver d{GetCurrentThreadId(), std::move(script)};
    HANDLE watcher = CreateThread(nullptr, 0, RunDriver, &d, 0, nullptr);
    body();
    WaitForSingleObject(watcher, 60000);
    CloseHandle(watcher);
}

std::string TextOf(HWND dialog, int id) {
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}
void Type(HWND dialog, int id, const char *text) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}
void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
HWND FocusOf(DWORD thread) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(thread, &info);
    return info.hwndFocus;
}

// Presses OK, answers the message box that follows and returns its text.
std::string OkIntoMessage(HWND dialog, DWORD thread) {
    Press(dialog, IDOK);
    HWND box = WaitForOtherDialog(thread, dialog);
    if (!box) return "(no box)";
    Sleep(50);
    std::string text;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetDlgCtrlID(c) == 0xFFFF) text = TextOf(box, 0xFFFF);
    CloseBox(box, IDOK);
    return text;
}

LRESULT CALLBACK FrameProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefFrameProcA(w, gMdiClient, m, wp, lp);
}

LRESULT CALLBACK GraphProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
    case WM_CREATE:
        if (OnGraphCreate(w) < 0) return -1;
        break;
    case WM_DESTROY: OnGraphDestroy(w); break;
    case SyncStateMessage: OnSyncState(w, wp); break;
    }
    return DefMDIChildProcA(w, m, wp, lp);
}

class SettingsDialogsTest : public ::testing::Test {
protected:
    DWORD thread = GetCurrentThreadId();
    HWND graph = nullptr;

    void SetUp() override {
        InitCommonControls();
        WNDCLASSA wc = {};
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpfnWndProc = FrameProc;
        wc.lpszClassName = "VR_TestSettingsFrame";
        RegisterClassA(&wc);
        UnregisterClassA(kGraphWindowClass, wc.hInstance);
        wc.lpfnWndProc = GraphProc;
        wc.cbWndExtra = kGraphWindowExtraBytes;
        wc.lpszClassName = kGraphWindowClass;
        ASSERT_TRUE(RegisterClassA(&wc));
        gFrameWindow = CreateWindowA("VR_TestSettingsFrame", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700,
                                     500, nullptr, nullptr, nullptr, nullptr);
        CLIENTCREATESTRUCT ccs = {};
        gMdiClient = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 680, 460,
                                   gFrameWindow, nullptr, nullptr, &ccs);
        ASSERT_TRUE(gMdiClient);
        gProblemKind = kOdeSystem;
        gDimension = 3;
        ResetProblemSettings();
        ASSERT_EQ(NewProblemWorkspace(), 1);
        gProblemChanged = 0;
    }
    void TearDown() override {
        DestroyWindow(gFrameWindow);
        gFrameWindow = gMdiClient = nullptr;
        UnregisterClassA(kGraphWindowClass, GetModuleHandleA(nullptr));
        FreeProblemWorkspace();
        ResetProblemSettings();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gProblemChanged = 0;
    }
    HWND NewGraph(const char *title) {
        graph = CreateMDIWindowA(kGraphWindowClass, title, WS_VISIBLE, 0, 0, 300, 200, gMdiClient,
                                 GetModuleHandleA(nullptr), 0);
        GraphWindowState *g = GraphStateOf(graph);
        if (g) SetNonEmptyStringCopy(g->title, title);
        return graph;
    }
};

TEST_F(SettingsDialogsTest, MethodDialogShowsTheValuesRefusesABadNumberOnItsPageAndStores) {
    gFirstValue = 1.5;
    gRunPriority = 3;
    std::string first, priority, tab0, tab1, message;
    bool hiddenAtStart = false, shownAfterFailure = false, focused = false, stillOpen = false;
    int tabs = 0;
    int result = -1;
    Drive(
        [&](HWND d) {
            first = TextOf(d, IDC_RANGE_FIRST);
            priority = TextOf(d, IDC_RANGE_PRIORITY);
            HWND tab = GetDlgItem(d, IDC_PAGE_TABS);
            tabs = static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
            char text[64] = {};
            TCITEMA item = {};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(tab, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            tab0 = text;
            SendMessageA(tab, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
            tab1 = text;
            hiddenAtStart = !IsWindowVisible(GetDlgItem(d, IDC_METHOD_TOLERANCE));
            Type(d, IDC_RANGE_FIRST, "2.5");
            Type(d, IDC_METHOD_TOLERANCE, "abc");
            message = OkIntoMessage(d, thread);
            stillOpen = IsWindow(d) && IsWindowVisible(d);
            // The dialog turns to the page and focuses the field after its
            // box has gone, in its own time.
            HWND tolerance = GetDlgItem(d, IDC_METHOD_TOLERANCE);
            for (int i = 0; i < 500 && !(IsWindowVisible(tolerance) && FocusOf(thread) == tolerance); ++i) Sleep(20);
            shownAfterFailure = IsWindowVisible(tolerance);
            focused = FocusOf(thread) == tolerance;
            Type(d, IDC_METHOD_TOLERANCE, "1e-9");
            Press(d, IDOK);
        },
        [&] { result = RunSettingsCommand(gFrameWindow, 208); });
    EXPECT_EQ(first, "1.5");
    EXPECT_EQ(priority, "Normal");
    EXPECT_EQ(tabs, 2);
    EXPECT_EQ(tab0, "&Range");
    EXPECT_EQ(tab1, "&Method");
    EXPECT_TRUE(hiddenAtStart);
    EXPECT_EQ(message, "\"abc\" is not a number.");
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(shownAfterFailure);
    EXPECT_TRUE(focused);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(gFirstValue, 2.5);
    EXPECT_EQ(gTolerance, 1e-9);
    EXPECT_EQ(gProblemChanged, 1);
}

TEST_F(SettingsDialogsTest, CancelChangesNothing) {
    gLastValue = 10;
    int result = -1;
    Drive(
        [&](HWND d) {
            Type(d, IDC_RANGE_LAST, "99");
            Press(d, IDCANCEL);
        },
        [&] { result = RunSettingsCommand(gFrameWindow, 209); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(gLastValue, 10);
    EXPECT_EQ(gProblemChanged, 0);
}

// A graph window's title edited, a bad number elsewhere, OK refused, then
// Cancel: the window keeps its title and closes cleanly.
TEST_F(SettingsDialogsTest, GraphTitleSurvivesARefusedOkAndCancel) {
    ASSERT_TRUE(NewGraph("Old title"));
    std::string shown;
    Drive(
        [&](HWND d) {
            shown = TextOf(d, IDC_GRAPH_TITLE);
            Type(d, IDC_GRAPH_TITLE, "New title");
            Type(d, IDC_GRAPH_STEP_X, "x");
            OkIntoMessage(d, thread);
            Press(d, IDCANCEL);
        },
        [&] { RunSettingsCommand(gFrameWindow, 302); });
    EXPECT_EQ(shown, "Old title");
    EXPECT_STREQ(GraphStateOf(graph)->title, "Old title");
    char caption[64] = {};
    GetWindowTextA(graph, caption, sizeof caption);
    EXPECT_STREQ(caption, "Old title");

    Drive(
        [&](HWND d) {
            Type(d, IDC_GRAPH_TITLE, "New title");
            Type(d, IDC_GRAPH_X_MIN, "-3");
            Press(d, IDOK);
        },
        [&] { EXPECT_EQ(RunSettingsCommand(gFrameWindow, 302), 1); });
    EXPECT_STREQ(GraphStateOf(graph)->title, "New title");
    EXPECT_EQ(GraphStateOf(graph)->xMin, -3);
    GetWindowTextA(graph, caption, sizeof caption);
    EXPECT_STREQ(caption, "New title");
    SendMessageA(gMdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(graph), 0);
}

TEST_F(SettingsDialogsTest, TypeDialogChangesTheDimensionAndParameterRowsPage) {
    int result = -1;
    Drive(
        [&](HWND d) {
            Type(d, IDC_TYPE_DIMENSION, "5");
            Press(d, IDOK);
        },
        [&] { result = RunSettingsCommand(gFrameWindow, 201); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(gDimension, 5u);
    EXPECT_EQ(gTextArrayCount, 5);

    // Parameters: Page Down in the name edit appends a row.
    std::string label1, label2;
    Drive(
        [&](HWND d) {
            Type(d, IDC_DEF_PARAMETER_ROWS, "a");
            Type(d, IDC_DEF_PARAMETER_VALUE, "2");
            label1 = TextOf(d, IDC_DEF_PARAMETER_ROWS_LABEL);
            SendMessageA(GetDlgItem(d, IDC_DEF_PARAMETER_ROWS), WM_KEYDOWN, VK_NEXT, 0);
            label2 = TextOf(d, IDC_DEF_PARAMETER_ROWS_LABEL);
            Type(d, IDC_DEF_PARAMETER_ROWS, "b");
            Type(d, IDC_DEF_PARAMETER_VALUE, "3");
            Press(d, IDOK);
        },
        [&] { result = RunSettingsCommand(gFrameWindow, 204); });
    EXPECT_EQ(label1, "&Parameter #1");
    EXPECT_EQ(label2, "&Parameter #2");
    ASSERT_EQ(gParameterCount, 2);
    EXPECT_STREQ(gParameters[1].name, "b");
    EXPECT_EQ(gParameters[1].value, 3);
}

TEST_F(SettingsDialogsTest, ViewPointWrapsAnglesAndDistanceAndDraggingRotates) {
    ViewPoint v;
    SetDefaultViewPoint(v);
    v.theta = 10;
    v.phi = 20;
    std::string phiBar;
    int result = -1;
    Drive(
        [&](HWND d) {
            Type(d, IDC_VP_PHI, "400");
            phiBar = std::to_string(GetScrollPos(GetDlgItem(d, IDC_VP_PHI_BAR), SB_CTL));
            Type(d, IDC_VP_PSI, "-30");
            Type(d, IDC_VP_DISTANCE, "1.5");
            Press(d, IDOK);
        },
        [&] { result = ShowViewPointDialog(gFrameWindow, &v); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(phiBar, "40");
    EXPECT_EQ(v.phi, 40);
    EXPECT_EQ(v.psi, 330);
    EXPECT_EQ(v.distance, 2);

    // Dragging in the preview turns theta; Cancel leaves the block alone.
    double thetaSeen = -1;
    ViewPoint before = v;
    v.psi = 0;
    Drive(
        [&](HWND d) {
            HWND preview = GetDlgItem(d, IDC_VP_PREVIEW);
            SendMessageA(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
            SendMessageA(preview, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 10));
            SendMessageA(preview, WM_LBUTTONUP, 0, MAKELPARAM(40, 10));
            thetaSeen = std::atof(TextOf(d, IDC_VP_THETA).c_str());
            Press(d, IDCANCEL);
        },
        [&] { result = ShowViewPointDialog(gFrameWindow, &v); });
    EXPECT_EQ(result, 0);
    EXPECT_NE(thetaSeen, before.theta);
    EXPECT_EQ(v.theta, before.theta);
}

// The view point of a graph window from its command: the window's record
// takes it and the window is drawn again with it.
TEST_F(SettingsDialogsTest, ViewPointCommandStoresIntoTheGraphAndRedrawsIt) {
    ASSERT_TRUE(NewGraph("3-D"));
    UpdateWindow(graph);
    ValidateRect(graph, nullptr);
    int result = -1;
    Drive(
        [&](HWND d) {
            Type(d, IDC_VP_PHI, "400");
            Press(d, IDOK);
        },
        [&] { result = RunSettingsCommand(gFrameWindow, 304); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(GraphStateOf(graph)->viewPoint.phi, 40);
    EXPECT_TRUE(GetUpdateRect(graph, nullptr, FALSE));
    SendMessageA(gMdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(graph), 0);
}

TEST_F(SettingsDialogsTest, ColourDialogBackgroundDisablesTheWidthAndTakesAPaletteEntry) {
    ASSERT_TRUE(NewGraph("colours"));
    GraphStateOf(graph)->drawingWidth = 3;
    bool widthEnabled = true;
    std::string widthText = "?", widthBefore;
    int result = -1;
    Drive(
        [&](HWND d) {
            widthBefore = TextOf(d, IDC_COLOR_WIDTH);
            SendMessageA(GetDlgItem(d, IDC_COLOR_BACKGROUND), BM_CLICK, 0, 0);
            widthEnabled = IsWindowEnabled(GetDlgItem(d, IDC_COLOR_WIDTH));
            widthText = TextOf(d, IDC_COLOR_WIDTH);
            HWND teal = GetDlgItem(d, IDC_COLOR_TEAL);
            SendMessageA(teal, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
            SendMessageA(teal, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
            Press(d, IDOK);
        },
        [&] { result = RunSettingsCommand(gFrameWindow, 303); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(widthBefore, "3");
    EXPECT_FALSE(widthEnabled);
    EXPECT_EQ(widthText, "");
    EXPECT_EQ(GraphStateOf(graph)->backgroundColor, static_cast<int32_t>(gColorPalette[14]));
    EXPECT_EQ(GraphStateOf(graph)->backgroundColor, 0x808000);
    EXPECT_EQ(GraphStateOf(graph)->drawingWidth, 3);
}

TEST_F(SettingsDialogsTest, PreferencesPagesStackAndKeepLabelsAside) {
    std::string hiddenLabel = "?", shownLabel;
    RECT first = {}, other = {};
    Drive(
        [&](HWND d) {
            hiddenLabel = TextOf(d, IDC_PREF_IDENTIFIER_LABEL);
            GetWindowRect(GetDlgItem(d, IDC_PREF_CHANGE_CURSOR), &first);
            NMHDR h = {GetDlgItem(d, IDC_PAGE_TABS), IDC_PAGE_TABS, static_cast<UINT>(TCN_SELCHANGE)};
            SendMessageA(h.hwndFrom, TCM_SETCURSEL, 3, 0);
            SendMessageA(d, WM_NOTIFY, IDC_PAGE_TABS, reinterpret_cast<LPARAM>(&h));
            shownLabel = TextOf(d, IDC_PREF_IDENTIFIER_LABEL);
            GetWindowRect(GetDlgItem(d, IDC_PREF_IDENTIFIER_LABEL), &other);
            Press(d, IDCANCEL);
        },
        [&] { RunSettingsCommand(gFrameWindow, 701); });
    EXPECT_EQ(hiddenLabel, "");
    EXPECT_EQ(shownLabel, "&Identifier:");
    EXPECT_EQ(first.left, other.left);  // every page on the first one's place
}

// Each browse button asks its own named question (title and filter) and
// puts the chosen name into the field after it.
TEST_F(SettingsDialogsTest, BrowseButtonsAskTheirNamedQuestionsAndFillTheirFields) {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    struct Case {
        int button, field;
        const char *title, *filter, *file;
    } mathlink[] = {
        {IDC_ML_DLL0_BROWSE, IDC_ML_DLL0, "Library Name", "Library files", "vr_browse.dll"},
        {IDC_ML_MLL1_BROWSE, IDC_ML_MLL1, "Library Name", "MLP library files", "vr_browse.mlp"},
        {IDC_ML_EXE0_BROWSE, IDC_ML_EXE0, "Program Name", "Program files", "vr_browse.exe"},
        {IDC_ML_DLL2_BROWSE, IDC_ML_DLL2, "Library Name", "Library files", "vr_browse.dll"},
    };
    for (const Case &c : mathlink) {
        // The open questions want a file that exists.
        const std::string path = std::string(folder) + c.file;
        FILE *f = std::fopen(path.c_str(), "wb");
        ASSERT_TRUE(f);
        std::fclose(f);
    }
    std::vector<FileQuestion> seen;
    std::vector<std::string> fields;
    Drive(
        [&](HWND d) {
            for (const Case &c : mathlink) {
                Press(d, c.button);
                seen.push_back(AnswerFileQuestion(thread, d, std::string(folder) + c.file));
                fields.push_back(TextOf(d, c.field));
            }
            Press(d, IDCANCEL);
        },
        [&] { RunSettingsCommand(gFrameWindow, 708); });
    ASSERT_EQ(seen.size(), 4u);
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(mathlink[i].file);
        EXPECT_EQ(seen[i].title, mathlink[i].title);
        EXPECT_EQ(seen[i].filter, mathlink[i].filter);
        EXPECT_EQ(fields[i], std::string(folder) + mathlink[i].file);
        DeleteFileA((std::string(folder) + mathlink[i].file).c_str());
    }

    // The plotter page of the graph format: the plotter output file.
    ASSERT_TRUE(NewGraph("g"));
    const std::string out = std::string(folder) + "vr_browse_plot.out";
    FileQuestion plotter;
    std::string device;
    Drive(
        [&](HWND d) {
            Press(d, IDC_PLOTTER_BROWSE);
            plotter = AnswerFileQuestion(thread, d, out);
            device = TextOf(d, IDC_PLOTTER_DEVICE);
            Press(d, IDCANCEL);
        },
        [&] { RunSettingsCommand(gFrameWindow, 307); });
    EXPECT_EQ(plotter.title, "Plotter Output File Name");
    EXPECT_EQ(plotter.filter, "Output files");
    EXPECT_EQ(device, out);
}

// Dialog 820 from its command: the section's values shown page by page, Cancel
// and an unchanged OK keep the link loaded, a changed setting unloads it and
// the section is written.
int gLinkLibrariesFreed;
void CountFreedLibrary(void *) { ++gLinkLibrariesFreed; }

TEST_F(SettingsDialogsTest, MathematicaInterfaceShowsStoresWritesAndUnloadsTheLinkOnChange) {
    char folder[MAX_PATH], ini[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    std::snprintf(ini, sizeof ini, "%svr_mathematica_dialog.ini", folder);
    DeleteFileA(ini);
    const SettingsLocations savedLocations = gSettingsLocations;
    std::snprintf(gSettingsLocations.file[kSettingsShared], kSettingsPathSize, "%s", ini);
    const MathLinkHost savedHost = gMathLinkHost;
    gMathLinkHost = MathLinkHost{};
    gMathLinkHost.freeLibrary = CountFreedLibrary;
    gLinkLibrariesFreed = 0;
    static int fakeLibrary;
    gMathLink.library = &fakeLibrary;  // a link that is loaded
    gMathLinkSettings = MathLinkSettings{};
    gMathLinkOn = 0;
    std::strcpy(gMathLinkSettings.library[kMathLinkLocal], "C:\\link\\ml32i1.dll");
    gMathLinkSettings.configuration = kMathLinkTcp;
    gMathLinkSettings.mode = kMathLinkLaunch;
    std::strcpy(gMathLinkSettings.linkName, "1024");

    // Cancel after typing: nothing stored, the link stays.
    std::string library, name, tab3;
    bool tcp = false, launch = false, localHidden = false;
    int tabs = 0, result = -1;
    Drive(
        [&](HWND d) {
            tcp = IsDlgButtonChecked(d, IDC_ML_TCP) == BST_CHECKED;
            launch = IsDlgButtonChecked(d, IDC_ML_LAUNCH) == BST_CHECKED;
            library = TextOf(d, IDC_ML_DLL0);
            name = TextOf(d, IDC_ML_NAME);
            localHidden = !IsWindowVisible(GetDlgItem(d, IDC_ML_DLL0));
            HWND tab = GetDlgItem(d, IDC_PAGE_TABS);
            tabs = static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
            char text[64] = {};
            TCITEMA item = {};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(tab, TCM_GETITEMA, 3, reinterpret_cast<LPARAM>(&item));
            tab3 = text;
            Type(d, IDC_ML_DLL0, "D:\\other.dll");
            Press(d, IDCANCEL);
        },
        [&] { result = RunSettingsCommand(gFrameWindow, 708); });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(tcp);
    EXPECT_TRUE(launch);
    EXPECT_EQ(library, "C:\\link\\ml32i1.dll");
    EXPECT_EQ(name, "1024");
    EXPECT_TRUE(localHidden);
    EXPECT_EQ(tabs, 4);
    EXPECT_EQ(tab3, "&Custom");
    EXPECT_STREQ(gMathLinkSettings.library[kMathLinkLocal], "C:\\link\\ml32i1.dll");
    EXPECT_EQ(gMathLink.library, &fakeLibrary);
    EXPECT_EQ(GetFileAttributesA(ini), INVALID_FILE_ATTRIBUTES);

    // OK without a change writes the section and keeps the link.
    Drive([&](HWND d) { Press(d, IDOK); }, [&] { result = RunSettingsCommand(gFrameWindow, 708); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(gMathLink.library, &fakeLibrary);
    EXPECT_EQ(gLinkLibrariesFreed, 0);
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA("MathLink", "MathLinkProt", "", value, sizeof value, ini);
    EXPECT_STREQ(value, "1");

    // A changed setting unloads the link; the new values are written.
    Drive(
        [&](HWND d) {
            SendMessageA(GetDlgItem(d, IDC_ML_ON), BM_CLICK, 0, 0);
            SendMessageA(GetDlgItem(d, IDC_ML_CUSTOM), BM_CLICK, 0, 0);
            Type(d, IDC_ML_ARGS, "-linkmode launch -linkname 'math -mathlink'");
            Press(d, IDOK);
        },
        [&] { result = RunSettingsCommand(gFrameWindow, 708); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(gMathLinkOn, 1);
    EXPECT_EQ(gMathLinkSettings.configuration, kMathLinkCustom);
    EXPECT_STREQ(gMathLinkSettings.arguments, "-linkmode launch -linkname 'math -mathlink'");
    EXPECT_EQ(gMathLink.library, nullptr);
    EXPECT_EQ(gLinkLibrariesFreed, 1);
    GetPrivateProfileStringA("MathLink", "On", "", value, sizeof value, ini);
    EXPECT_STREQ(value, "1");
    GetPrivateProfileStringA("MathLink", "MathLinkArgs", "", value, sizeof value, ini);
    EXPECT_STREQ(value, "-linkmode launch -linkname 'math -mathlink'");

    gMathLinkHost = savedHost;
    gSettingsLocations = savedLocations;
    gMathLinkSettings = MathLinkSettings{};
    gMathLinkOn = 0;
    DeleteFileA(ini);
}

}  // namespace
