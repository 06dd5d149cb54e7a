#include "run_host_win32.h"

#include <cstring>
#include <vector>

#include "compile_problem.h"
#include "display_list.h"
#include "fault_guard.h"
#include "fpu_faults.h"
#include "plotting_win32.h"
#include "run_engine.h"
#include "run_host.h"
#include "ui_lock.h"
#include "window_helpers.h"

namespace {

HACCEL *gAccelerators;
HWND *gEditorControls;

void SetPriority(int priority) { SetThreadPriority(GetCurrentThread(), priority); }

int CountProcessors() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return static_cast<int>(info.dwNumberOfProcessors);
}

void SetIdealProcessor(int processor) {
    SetThreadIdealProcessor(GetCurrentThread(), static_cast<DWORD>(processor));
}

unsigned Ticks() { return GetTickCount(); }

// The timer ends the pause itself, whatever the frame's own WM_TIMER
// handling does: the pump dispatches WM_TIMER straight to this procedure.
void CALLBACK PauseTimerProc(HWND, UINT, UINT_PTR, DWORD) { EndPause(); }

unsigned StartPauseTimer(unsigned milliseconds) {
    // A window timer keeps its own id; a thread timer (no frame yet) gets
    // one from the system.
    UINT_PTR id = SetTimer(gFrameWindow, gFrameWindow ? kPauseTimerId : 0, milliseconds, PauseTimerProc);
    return static_cast<unsigned>(id);
}

void KillPauseTimer(unsigned id) { KillTimer(gFrameWindow, id); }

bool FocusInEditor() {
    if (!gEditorControls) return false;
    HWND focus = GetFocus();
    return focus && (focus == gEditorControls[0] || focus == gEditorControls[1]);
}

int PumpOne() {
    MSG msg;
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) return kPumpEmpty;
    if (msg.message == WM_QUIT) {
        // The run stops; the quit stays for the main loop, which would
        // otherwise never see it.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return kPumpQuit;
    }
    if (!FocusInEditor()) {
        if (gMdiClient && TranslateMDISysAccel(gMdiClient, &msg)) return kPumpDispatched;
        if (gFrameWindow && gAccelerators && *gAccelerators &&
            TranslateAccelerator(gFrameWindow, *gAccelerators, &msg))
            return kPumpDispatched;
    }
    TranslateMessage(&msg);
    DispatchMessage(&msg);
    return kPumpDispatched;
}

void Wait() { WaitMessage(); }

// Looking at the queue costs a round trip to the server and the window
// system; every few milliseconds is soon enough for Esc and the mouse.
constexpr DWORD kPumpIntervalMs = 10;
DWORD gLastPumpTick;

int MessagesDue() {
    const DWORD now = GetTickCount();
    if (now - gLastPumpTick < kPumpIntervalMs) return 0;
    gLastPumpTick = now;
    return 1;
}

// Direct children of the client only (not their controls); the next one is
// taken before the procedure runs, which may not pump but may hide.
void WalkChildren(RunChildProc proc, int arg) {
    for (HWND child = GetWindow(gMdiClient, GW_CHILD); child;) {
        HWND next = GetWindow(child, GW_HWNDNEXT);
        proc(child, arg);
        child = next;
    }
}

// During a run the children are walked in their order at its start: asking
// the window system for each next one costs a round trip per child and
// point. The set cannot change meanwhile (the lock refuses new windows and
// closing), but a child that went anyway is passed over.
std::vector<HWND> gRunChildren;
bool gRunChildrenKnown;

void ForEachChild(RunChildProc proc, int arg) {
    if (!gMdiClient) return;
    if (!gRunning) {
        gRunChildrenKnown = false;
        WalkChildren(proc, arg);
        return;
    }
    if (!gRunChildrenKnown) {
        gRunChildren.clear();
        for (HWND child = GetWindow(gMdiClient, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            gRunChildren.push_back(child);
        gRunChildrenKnown = true;
    }
    for (size_t i = 0; i < gRunChildren.size(); ++i)
        if (IsWindow(gRunChildren[i])) proc(gRunChildren[i], arg);
}

void LockForRun() {
    gRunChildrenKnown = false;
    LockUiForRun();
}

int ChildKind(void *window) {
    char name[16];
    if (!GetClassNameA(static_cast<HWND>(window), name, sizeof name)) return kRunChildOther;
    if (std::strcmp(name, kGraphWindowClass) == 0) return kRunChildGraph;
    if (std::strcmp(name, kTextWindowClass) == 0) return kRunChildText;
    return kRunChildOther;
}

void PostExit() {
    if (gFrameWindow) PostMessage(gFrameWindow, WM_COMMAND, kCmdExit, 0);
}

}  // namespace

void InstallWin32RunHost(HACCEL *accelerators, HWND *editorControls) {
    gAccelerators = accelerators;
    gEditorControls = editorControls;
    gRunHost.lockUi = LockForRun;
    gRunHost.unlockUi = UnlockUiAfterRun;
    gRunHost.compileProblem = CompileProblem;
    gUiLockHooks.endPause = EndPause;
    gRunHost.runGuarded = RunFaultGuarded;
    gRunHost.installFaultHandlers = InstallFloatingPointHandler;
    gRunHost.setThreadPriority = SetPriority;
    gRunHost.processorCount = CountProcessors;
    gRunHost.setIdealProcessor = SetIdealProcessor;
    gRunHost.tickCount = Ticks;
    gRunHost.startPauseTimer = StartPauseTimer;
    gRunHost.killPauseTimer = KillPauseTimer;
    gRunHost.pumpOne = PumpOne;
    gRunHost.waitMessage = Wait;
    gRunHost.messagesDue = MessagesDue;
    gRunHost.forEachChild = ForEachChild;
    gRunHost.childKind = ChildKind;
    gRunHost.postExit = PostExit;
    InstallGraphPlotting();
    gDisplayReplayHooks.pumpCheckEscape = PumpMessagesCheckEscape;
}
