// The interface lock and the escape pump on a small frame of the test's own:
// a menu bar of eight menus, a multi-document client, a graph and a text
// child, and two browser windows.
#include <windows.h>

#include <set>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "platform_win32.h"
#include "settings.h"
#include "solver_method.h"
#include "ui_lock.h"

namespace {

const char *const kMenuNames[] = {"&File", "&Edit", "&Output", "&Window", "&Draw", "&Configuration", "&Action", "&Help"};
constexpr int kMenuCount = 8;

// What the children and the hooks saw.
struct Seen {
    std::vector<std::pair<HWND, UINT>> childMessages;
    std::vector<std::tuple<int, int, int>> toolbar;
    std::vector<std::pair<HWND, int>> caret;
    std::vector<HWND> madeCurrent;
    int updates = 0;
    int pauseEnds = 0;
    int refreshes = 0;
    void *currentGraph = nullptr;  // what the hooks keep across dispatching
    void *currentText = nullptr;
};
Seen gSeen;

LRESULT CALLBACK TestFrameProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        CLIENTCREATESTRUCT client = {GetSubMenu(GetMenu(w), 3), 9001};
        gMdiClient = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 0, 0,
                                     w, reinterpret_cast<HMENU>(1), GetModuleHandleA(nullptr), &client);
        return 0;
    }
    return DefFrameProcA(w, gMdiClient, message, wParam, lParam);
}

LRESULT CALLBACK TestChildProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER || message == WM_KEYDOWN) {
        gSeen.childMessages.emplace_back(w, message);
        gSeen.currentGraph = w;  // a dispatched message may switch windows
    }
    return DefMDIChildProcA(w, message, wParam, lParam);
}

void RegisterClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSA c = {};
    c.hInstance = GetModuleHandleA(nullptr);
    c.hCursor = LoadCursor(nullptr, IDC_ARROW);
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    c.lpfnWndProc = TestFrameProc;
    c.lpszClassName = "VR_TestFrame";
    RegisterClassA(&c);
    c.lpfnWndProc = TestChildProc;
    c.lpszClassName = "VR_Graph";
    RegisterClassA(&c);
    c.lpszClassName = "VR_Text";
    RegisterClassA(&c);
    c.lpfnWndProc = DefWindowProcA;
    c.lpszClassName = "VR_TestBrowser";
    RegisterClassA(&c);
}

void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

class UiLockTest : public ::testing::Test {
protected:
    HMENU menus[kMenuCount] = {};
    HWND graph = nullptr, text = nullptr;

    void SetUp() override {
        RegisterClasses();
        gSeen = Seen();
        HMENU bar = CreateMenu();
        for (int i = 0; i < kMenuCount; ++i) {
            menus[i] = CreatePopupMenu();
            AppendMenuA(menus[i], MF_STRING, 1000 + i, "Item");
            AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menus[i]), kMenuNames[i]);
        }
        AppendMenuA(menus[6], MF_STRING, kCmdStart, "&Start");
        AppendMenuA(menus[6], MF_STRING | MF_GRAYED, kCmdStop, "S&top");
        AppendMenuA(menus[6], MF_STRING, kCmdContinue, "&Continue");
        gFrameWindow = CreateWindowExA(0, "VR_TestFrame", "Frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                                       0, 0, 800, 600, nullptr, bar, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(gFrameWindow, nullptr);
        ASSERT_NE(gMdiClient, nullptr);
        text = CreateChild("VR_Text");
        graph = CreateChild("VR_Graph");
        gUiLockHooks = UiLockHooks{
            [] { ++gSeen.pauseEnds; },
            [] { ++gSeen.updates; },
            [](int command, int checked, int enabled) { gSeen.toolbar.emplace_back(command, checked, enabled); },
            [] { ++gSeen.refreshes; },
            [](HWND w, int visible) { gSeen.caret.emplace_back(w, visible); },
            [](HWND w) { gSeen.madeCurrent.push_back(w); },
            [](void **g, void **t) {
                *g = gSeen.currentGraph;
                *t = gSeen.currentText;
            },
            [](void *g, void *t) {
                gSeen.currentGraph = g;
                gSeen.currentText = t;
            },
        };
        gRunState = RunState{};
        gUserAbort = 0;
        Drain();
    }

    void TearDown() override {
        for (HWND &b : gBrowserDialogs)
            if (b) {
                DestroyWindow(b);
                b = nullptr;
            }
        DestroyWindow(gFrameWindow);
        gFrameWindow = gMdiClient = nullptr;
        gUiLockHooks = UiLockHooks{};
        gRunning = 0;
        gHideBrowsers = 0;
        Drain();
    }

    HWND CreateChild(const char *className) {
        MDICREATESTRUCTA create = {className, className, GetModuleHandleA(nullptr), 0, 0, 300, 200, 0, 0};
        return reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    }

    // Positions of the menu bar whose items are greyed.
    std::set<int> GreyedPositions() const {
        std::set<int> greyed;
        HMENU bar = GetMenu(gFrameWindow);
        for (int i = 0; i < GetMenuItemCount(bar); ++i)
            if (GetMenuState(bar, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) greyed.insert(i);
        return greyed;
    }
    static bool Greyed(HMENU menu, UINT command) {
        return (GetMenuState(menu, command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) != 0;
    }
    static bool CloseGreyed(HWND w) { return Greyed(GetSystemMenu(w, FALSE), SC_CLOSE); }

    bool Queued(UINT message) const {
        MSG msg;
        return PeekMessageA(&msg, nullptr, message, message, PM_NOREMOVE) != 0;
    }
};

TEST_F(UiLockTest, LockGreysTheRunMenusShiftedByAMaximisedChild) {
    struct Case {
        bool maximised;
        std::set<int> greyed;
        int firstMenu;  // position of "&File"
    } cases[] = {{false, {1, 2, 6}, 0}, {true, {2, 3, 7}, 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.maximised ? "maximised" : "normal");
        gSeen = Seen();
        SendMessageA(gMdiClient, c.maximised ? WM_MDIMAXIMIZE : WM_MDIRESTORE, reinterpret_cast<WPARAM>(graph), 0);
        SendMessageA(gMdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(graph), 0);
        HWND active;
        EXPECT_EQ(GetActiveChild(&active), c.maximised ? 1 : 0);
        EXPECT_EQ(active, graph);
        HMENU bar = GetMenu(gFrameWindow);
        ASSERT_EQ(GetSubMenu(bar, c.firstMenu), menus[0]);

        LockUiForRun();
        EXPECT_EQ(GreyedPositions(), c.greyed);
        EXPECT_EQ(GetSubMenu(bar, c.firstMenu + 1), menus[1]);  // Edit, Output and Action are the greyed ones
        EXPECT_EQ(GetSubMenu(bar, c.firstMenu + 6), menus[6]);
        EXPECT_TRUE(CloseGreyed(gFrameWindow));
        EXPECT_TRUE(CloseGreyed(graph));
        EXPECT_TRUE(CloseGreyed(text));
        EXPECT_TRUE(Greyed(bar, kCmdStart));
        EXPECT_TRUE(Greyed(bar, kCmdContinue));
        EXPECT_FALSE(Greyed(bar, kCmdStop));
        EXPECT_EQ(gRunning, 1);
        EXPECT_EQ(gRunState.stopRequested, 0);
        EXPECT_EQ(gSeen.updates, 1);
        EXPECT_EQ(gSeen.caret, (std::vector<std::pair<HWND, int>>{{graph, 0}}));
        EXPECT_EQ(gSeen.toolbar, (std::vector<std::tuple<int, int, int>>{
                                     {kCmdStart, -1, 0}, {kCmdContinue, -1, 0}, {kCmdStop, -1, 1}}));

        gSeen.toolbar.clear();
        UnlockUiAfterRun();
        EXPECT_TRUE(GreyedPositions().empty());
        EXPECT_FALSE(CloseGreyed(gFrameWindow));
        EXPECT_FALSE(CloseGreyed(graph));
        EXPECT_FALSE(CloseGreyed(text));
        EXPECT_FALSE(Greyed(bar, kCmdStart));
        EXPECT_FALSE(Greyed(bar, kCmdContinue));
        EXPECT_TRUE(Greyed(bar, kCmdStop));
        EXPECT_EQ(gRunning, 0);
        EXPECT_EQ(gRunState.stopRequested, 1);
        EXPECT_EQ(gRunState.canContinue, 1);
        EXPECT_EQ(gSeen.pauseEnds, 1);
        EXPECT_EQ(gSeen.madeCurrent, std::vector<HWND>{graph});
        EXPECT_EQ(gSeen.caret.back(), std::make_pair(graph, 1));
        EXPECT_EQ(gSeen.toolbar, (std::vector<std::tuple<int, int, int>>{
                                     {kCmdStart, -1, 1}, {kCmdStop, -1, 0}, {kCmdContinue, -1, 1}}));
    }
}

TEST_F(UiLockTest, VisibleBrowsersAreHiddenOrDisabledForTheRun) {
    for (int hide = 0; hide <= 1; ++hide) {
        SCOPED_TRACE(hide ? "hide" : "disable");
        gHideBrowsers = hide;
        for (int i = 0; i < 2; ++i) {
            if (gBrowserDialogs[i]) DestroyWindow(gBrowserDialogs[i]);
            gBrowserDialogs[i] = CreateWindowExA(WS_EX_TOOLWINDOW, "VR_TestBrowser", "Browser",
                                                 WS_POPUP | WS_CAPTION | (i == 0 ? WS_VISIBLE : 0), 10, 10, 100,
                                                 100, gFrameWindow, nullptr, GetModuleHandleA(nullptr), nullptr);
        }
        HWND open = gBrowserDialogs[0], closed = gBrowserDialogs[1];
        LockUiForRun();
        EXPECT_EQ(IsWindowVisible(open) != 0, !hide);
        EXPECT_EQ(IsWindowEnabled(open) != 0, hide != 0);
        EXPECT_FALSE(IsWindowVisible(closed));
        UnlockUiAfterRun();
        EXPECT_TRUE(IsWindowVisible(open));
        EXPECT_TRUE(IsWindowEnabled(open));
        EXPECT_FALSE(IsWindowVisible(closed));  // a closed browser stays closed
        EXPECT_EQ(gSeen.refreshes, 0);
    }
    HideToolWindows();
    RestoreToolWindows(1);
    EXPECT_EQ(gSeen.refreshes, 1);
}

TEST_F(UiLockTest, EscapePumpLeavesPaintsCommandsAndQuitQueued) {
    // Other messages are dispatched; the current windows survive that.
    void *current = &gSeen;
    gSeen.currentGraph = current;
    PostMessageA(graph, WM_USER + 5, 0, 0);
    PostMessageA(gFrameWindow, WM_COMMAND, 1001, 0);
    PostMessageA(graph, WM_USER + 6, 0, 0);
    EXPECT_EQ(PumpMessagesCheckEscape(), 0);
    EXPECT_EQ(gSeen.childMessages, (std::vector<std::pair<HWND, UINT>>{{graph, WM_USER + 5}}));
    EXPECT_EQ(gSeen.currentGraph, current);
    EXPECT_TRUE(Queued(WM_COMMAND));
    Drain();

    InvalidateRect(graph, nullptr, TRUE);
    EXPECT_EQ(PumpMessagesCheckEscape(), 0);
    EXPECT_TRUE(GetUpdateRect(graph, nullptr, FALSE));
    EXPECT_TRUE(Queued(WM_PAINT));
    Drain();

    PostQuitMessage(7);
    EXPECT_EQ(PumpMessagesCheckEscape(), 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(UiLockTest, OnlyAnEscapeAimedAtTheFrameEndsThePump) {
    PostMessageA(graph, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(PumpMessagesCheckEscape(), 0);  // dispatched like any other
    EXPECT_EQ(gSeen.childMessages, (std::vector<std::pair<HWND, UINT>>{{graph, WM_KEYDOWN}}));

    gSeen.childMessages.clear();
    PostMessageA(gFrameWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(graph, WM_USER + 8, 0, 0);
    EXPECT_EQ(PumpMessagesCheckEscape(), 1);
    EXPECT_FALSE(Queued(WM_KEYDOWN));
    EXPECT_TRUE(Queued(WM_USER + 8));
    EXPECT_TRUE(gSeen.childMessages.empty());
}

TEST_F(UiLockTest, AbortLatchHoldsWithoutPumpingUntilCleared) {
    EXPECT_EQ(CheckUserAbort(), 0);
    PostMessageA(gFrameWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(CheckUserAbort(), 1);
    PostMessageA(graph, WM_USER + 9, 0, 0);
    EXPECT_EQ(CheckUserAbort(), 1);
    EXPECT_EQ(CheckUserAbort(), 1);
    EXPECT_TRUE(gSeen.childMessages.empty());
    EXPECT_TRUE(Queued(WM_USER + 9));

    gUserAbort = 0;
    EXPECT_EQ(CheckUserAbort(), 0);
    EXPECT_EQ(gSeen.childMessages, (std::vector<std::pair<HWND, UINT>>{{graph, WM_USER + 9}}));
}

}  // namespace
