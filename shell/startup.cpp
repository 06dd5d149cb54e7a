// Start-up, the message loop and shut-down of the main program, all inside
// the crash guard whose handler saves the problem and restarts the program.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app.h"
#include "editor_windows.h"
#include "problem_files.h"
#include "browsers_win32.h"
#include "code_libraries.h"
#include "crash_recovery.h"
#include "fault_guard.h"
#include "file_channels.h"
#include "fpu_faults.h"
#include "instance_check.h"
#include "mail_win32.h"
#include "math_libraries.h"
#include "mathlink_win32.h"
#include "memory.h"
#include "messages.h"
#include "msgbox_win32.h"
#include "run_host_win32.h"
#include "graph_window_win32.h"
#include "platform_win32.h"
#include "printing_win32.h"
#include "file_dialogs.h"
#include "install_win32.h"
#include "resource_ids.h"
#include "run_engine.h"
#include "run_host.h"
#include "settings.h"
#include "settings_files.h"
#include "solver_dll.h"
#include "string_ids.h"
#include "stroke_font_files.h"
#include "stroke_font_table.h"
#include "text_layout.h"
#include "toolbars.h"
#include "ui_lock.h"
#include "workspace.h"

HINSTANCE gInstance;
CommandLine gCommandLine;
int gFileNamePending;
char gProblemPath[kPathSize];
char gCaption[kPathSize];
PendingPlacement gPending;
HMENU gFrameMenu, gDrawMenu, gEditorPopupMenu;
HCURSOR gHelpCursor;
HBITMAP gCaretBitmap;
int gTestHooks;

namespace {

HMENU gEditorMenuResource;
int gComInitialized;

struct StartArguments {
    HINSTANCE previous;
    int showCommand;
};

int EndCom(int code) {
    if (gComInitialized) CoUninitialize();
    gComInitialized = 0;
    return code;
}

int StartFailed() {
    ShowErrorBox(IDS_COULD_NOT_START);
    return EndCom(0);
}

// The named file becomes the problem path, whole: a path that does not fit
// is reported and dropped, never cut. Relative names are made full, so that
// another instance holding the same file recognises it.
void TakeCommandLineFile(const char *file) {
    char full[kPathSize];
    const DWORD n = GetFullPathNameA(file, sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) {
        ShowSystemError(ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    std::snprintf(gProblemPath, sizeof gProblemPath, "%s", full);
    AddDefaultExtension(gProblemPath);
    // A link names the problem it points to, also for the instance check.
    ResolveShortcut(gProblemPath);
    gFileNamePending = 1;
}

void ReadCommandLine() {
    gCommandLine = ParseCommandLine(__argc, __argv);
    if (*gCommandLine.file) TakeCommandLineFile(gCommandLine.file);
    if (!gFileNamePending) gCommandLine.printMode = 0;
    gStartedByRecovery = gCommandLine.startedByRecovery;
    gExitAfterRun = gCommandLine.exitAfterRun;
}

void LoadFrameResources() {
    gFrameAccelerators = LoadAcceleratorsA(gInstance, MAKEINTRESOURCEA(IDR_FRAME));
    gFrameMenu = LoadMenuA(gInstance, MAKEINTRESOURCEA(IDR_FRAME));
    gDrawMenu = gFrameMenu ? GetSubMenu(gFrameMenu, 5) : nullptr;
    gEditorMenuResource = LoadMenuA(gInstance, MAKEINTRESOURCEA(IDR_EDITOR_POPUP));
    gEditorPopupMenu = gEditorMenuResource ? GetSubMenu(gEditorMenuResource, 0) : nullptr;
    if (gDrawMenu) CheckMenuItem(gDrawMenu, IDM_MODE_INITIAL_CONDITIONS, MF_BYCOMMAND | MF_CHECKED);
    gHelpCursor = LoadCursorA(gInstance, MAKEINTRESOURCEA(IDCUR_HELP));
    gCaretBitmap = LoadBitmapA(gInstance, MAKEINTRESOURCEA(IDB_CARET));
}

HWND CreateFrame() {
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, w = CW_USEDEFAULT, h = CW_USEDEFAULT;
    if (gFrameWidth && gFrameHeight) {
        w = gFrameWidth;
        h = gFrameHeight;
        if (!gOtherFrameSeen) {
            x = gFrameXPosition;
            y = gFrameYPosition;
        }
    }
    gPending.width = gPending.height = 0;
    return CreateWindowExA(0, "VR_Frame", gCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, w, h, nullptr,
                           gFrameMenu, gInstance, nullptr);
}


bool OfferToModeless(MSG *msg) {
    const HWND modeless[] = {gFindReplaceDialog, gBrowserDialogs[0], gBrowserDialogs[1], gCalculatorDialog,
                             gBackToolWindow};
    for (HWND dialog : modeless)
        if (dialog && IsDialogMessageA(dialog, msg)) return true;
    return false;
}

bool FocusInEditor() {
    HWND focus = GetFocus();
    return focus && (focus == gEditorTextControls[0] || focus == gEditorTextControls[1]);
}

int MessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (OfferToModeless(&msg)) continue;
        if (!FocusInEditor()) {
            if (gMdiClient && TranslateMDISysAccel(gMdiClient, &msg)) continue;
            if (gFrameWindow && gFrameAccelerators && TranslateAcceleratorA(gFrameWindow, gFrameAccelerators, &msg))
                continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int Body(void *context) {
    const StartArguments *args = static_cast<const StartArguments *>(context);
    // First: texts, settings keys and boxes of the start go through the platform.
    InstallWin32Platform(&gFrameAccelerators, gEditorTextControls);
    if (!args->previous && !RegisterBitmapClass()) return StartFailed();

    LocateSettingsFiles();
    ReadVersionInfo();
    std::snprintf(gCaption, sizeof gCaption, "%s", LoadTextResource(IDS_PROGRAM_CAPTION));
    gComInitialized = SUCCEEDED(CoInitialize(nullptr));

    ReadCommandLine();
    const CommandLine &c = gCommandLine;
    if (!c.startedByRecovery && !c.printMode && !c.runAtStart && !c.exitAfterRun) {
        ReadCheckPreviousOption();
        if (CheckPreviousInstance(gProblemPath)) return EndCom(1);
    }
    if (!c.printMode) ShowSplashWindow(nullptr);

    ReadDcAndFpuOptions();
    if (!RegisterFrameClass() || !RegisterGraphClass() || !RegisterTextWindowClass() || !RegisterEditorClass()) {
        CloseSplashWindow();
        return StartFailed();
    }
    InitCommonControls();
    if (c.printMode) return EndCom(PrintProblemFromCommandLine());

    LoadFrameResources();
    ReadOptions();
    gMailOffered = IsMailAvailable();
    BuildRecentFilesMenu();
    if (!CreateFrame()) {
        CloseSplashWindow();
        return StartFailed();
    }
    DragAcceptFiles(gFrameWindow, TRUE);
    ApplyFpuOptions();
    AllocStrokeFontTable();
    ReadMathLinkSettings();
    LoadMathLibraries();
    // After the math list: that one is seeded only into a file not made yet.
    SeedDefaultFontList();
    ShowWindow(gFrameWindow, gFrameMaximized ? SW_MAXIMIZE : args->showCommand);
    LayoutFrame(0, 0, 1);
    UpdateFrameMenuStates();
    NewProblemWorkspace();
    CloseSplashWindow();
    // The browsers open when the program last closed come back; the frame
    // keeps the focus.
    if (gSavePosition) {
        if (GetOptionInt(IDS_KEY_BROWSER0_VISIBLE, 0)) PostMessageA(gFrameWindow, WM_COMMAND, IDM_INITIAL_BROWSER, kBrowserAtStartup);
        if (GetOptionInt(IDS_KEY_BROWSERP_VISIBLE, 0)) PostMessageA(gFrameWindow, WM_COMMAND, IDM_PARAMETER_BROWSER, kBrowserAtStartup);
    }

    if (gFileNamePending) {
        PostMessageA(gFrameWindow, WM_COMMAND, IDM_OPEN, 0);
        Sleep(100);
    } else if (gTip) {
        DialogBoxParamA(gInstance, MAKEINTRESOURCEA(IDD_TIPS), gFrameWindow, TipDlgProc, 0);
    }

    const int code = MessageLoop();

    FreeProblemWorkspace();
    ReleaseShellResources();
    FreePrinterSelection();
    if (gEditorMenuResource) DestroyMenu(gEditorMenuResource);
    gEditorMenuResource = nullptr;
    FreeFileChannels();
    WriteRecentProblems();
    ReleaseShellAllocator();
    return EndCom(code);
}

int ExitAfterFatalError() {
    HandleFatalError();
    return EndCom(0);
}

}  // namespace

void ReleaseShellResources() {
    UnloadMathLink();
    UnloadMathLibraries();
    CloseSolverDll();
    UnloadMail();
    if (gCaretBitmap) DeleteObject(gCaretBitmap);
    gCaretBitmap = nullptr;
    FreeStrokeFonts();
    FreeAndNull(gStrokeFontTable);
    if (gRichEditLibrary) FreeLibrary(gRichEditLibrary);
    gRichEditLibrary = nullptr;
}

int RunVantorel(HINSTANCE instance, HINSTANCE previous, int showCommand) {
    gInstance = instance;
    gStartTickCount = GetTickCount();
    const char *hooks = std::getenv("VR_TEST_HOOKS");
    gTestHooks = hooks && std::strcmp(hooks, "1") == 0;
    StartArguments args = {previous, showCommand};
    return RunCrashGuarded(Body, &args, ExitAfterFatalError);
}
