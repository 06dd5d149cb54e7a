// The seam between the portable parts and Win32: after InstallWin32Platform
// every entry of every host record is set, except those the record marks
// optional and those whose Win32 side does not exist yet (kNotYetProvided,
// which must shrink: an entry listed there that is set fails the test too).
// Records are structs of function pointers only, so they are walked slot by
// slot and a new entry is checked without touching this test.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "code_libraries.h"
#include "display_list.h"
#include "graph_cursor.h"
#include "graph_elements.h"
#include "file_channels.h"
#include "graph_pipeline.h"
#include "graph_window_win32.h"
#include "graphics_host.h"
#include "install_win32.h"
#include "mathlink.h"
#include "plotter.h"
#include "plotting.h"
#include "problem_windows.h"
#include "run_host.h"
#include "text_layout.h"
#include "text_window_output.h"
#include "ui_lock.h"

namespace {

typedef void (*AnyEntry)();

#define ENTRY(Record, field) (std::string(#Record ".") + #field)

// What the records themselves call optional.
const std::set<std::string> kOptional = {
    ENTRY(RunHost, tickCount),
};

// Entries whose Win32 side is still to be written; none is left. Add one
// only while its owner is being built, and remove it when
// InstallWin32Platform installs it.
const std::set<std::string> kNotYetProvided = {
};

// Entry names by offset, for the messages and the two lists.
struct Field {
    size_t offset;
    const char *name;
};
#define FIELD(Record, field) {offsetof(Record, field), #field}

const Field kRunHostFields[] = {
    FIELD(RunHost, elementActionInProgress), FIELD(RunHost, lockUi), FIELD(RunHost, unlockUi),
    FIELD(RunHost, compileProblem), FIELD(RunHost, runGuarded), FIELD(RunHost, installFaultHandlers),
    FIELD(RunHost, setThreadPriority), FIELD(RunHost, processorCount), FIELD(RunHost, setIdealProcessor),
    FIELD(RunHost, tickCount), FIELD(RunHost, startPauseTimer), FIELD(RunHost, killPauseTimer),
    FIELD(RunHost, pumpOne), FIELD(RunHost, waitMessage), FIELD(RunHost, messagesDue),
    FIELD(RunHost, flushRunOutput), FIELD(RunHost, setStatusText),
    FIELD(RunHost, getStatusText), FIELD(RunHost, forEachChild), FIELD(RunHost, childKind),
    FIELD(RunHost, plotOdePoint), FIELD(RunHost, plotMapPoint), FIELD(RunHost, addTextOdePoint),
    FIELD(RunHost, addTextMapPoint), FIELD(RunHost, textWindowFiles), FIELD(RunHost, beginPlotterOutput),
    FIELD(RunHost, endPlotterOutput), FIELD(RunHost, postExit),
};
const Field kPlotHostFields[] = {
    FIELD(PlotHost, stateOf), FIELD(PlotHost, getDc), FIELD(PlotHost, releaseDc),
    FIELD(PlotHost, invalidate), FIELD(PlotHost, postKeyDown), FIELD(PlotHost, drawDirectionField),
};
const Field kReplayFields[] = {
    FIELD(DisplayReplayHooks, beginWait), FIELD(DisplayReplayHooks, endWait),
    FIELD(DisplayReplayHooks, pumpCheckEscape),
};
const Field kPictureFields[] = {
    FIELD(GraphPictureHooks, activeChildIsGraph), FIELD(GraphPictureHooks, saveActivePicture),
};
const Field kGraphicsFields[] = {
    FIELD(GraphicsHost, loadStrokeFont), FIELD(GraphicsHost, lookUpPlotterDriver),
    FIELD(GraphicsHost, replaceFile), FIELD(GraphicsHost, forEachGraphState),
    FIELD(GraphicsHost, elementFaultGuard), FIELD(GraphicsHost, elementDataFolder),
};
const Field kGraphWindowFields[] = {
    FIELD(GraphWindowHooks, running), FIELD(GraphWindowHooks, showPopupMenu),
    FIELD(GraphWindowHooks, refreshInitialValueRows), FIELD(GraphWindowHooks, elementActionInProgress),
    FIELD(GraphWindowHooks, elementCommand), FIELD(GraphWindowHooks, elementCommandAvailable),
    FIELD(GraphWindowHooks, adjustMouseMode), FIELD(GraphWindowHooks, placeElementCursor),
    FIELD(GraphWindowHooks, clearStatusReadout),
};
const Field kElementClipboardFields[] = {
    FIELD(ElementClipboardHooks, copy), FIELD(ElementClipboardHooks, paste),
};
const Field kCursorHostFields[] = {
    FIELD(CursorHost, placeCaret), FIELD(CursorHost, setStatusPart), FIELD(CursorHost, refreshInitialValueRows),
};
const Field kMathLinkHostFields[] = {
    FIELD(MathLinkHost, loadLibrary), FIELD(MathLinkHost, findProc), FIELD(MathLinkHost, freeLibrary),
    FIELD(MathLinkHost, startCommand), FIELD(MathLinkHost, showWaitCursor), FIELD(MathLinkHost, restoreCursor),
    FIELD(MathLinkHost, tickCount), FIELD(MathLinkHost, sleep),
};
const Field kElementDcFields[] = {
    FIELD(ElementDcHooks, take), FIELD(ElementDcHooks, give),
};
const Field kElementEditFields[] = {
    FIELD(ElementEditHooks, caretPoint), FIELD(ElementEditHooks, modeValue), FIELD(ElementEditHooks, clickAt),
};
const Field kUiLockFields[] = {
    FIELD(UiLockHooks, endPause), FIELD(UiLockHooks, updateCommandStates),
    FIELD(UiLockHooks, setToolbarButtonState), FIELD(UiLockHooks, refreshBrowsers),
    FIELD(UiLockHooks, setGraphCaret), FIELD(UiLockHooks, makeChildCurrent),
    FIELD(UiLockHooks, saveCurrentWindows), FIELD(UiLockHooks, restoreCurrentWindows),
};

std::string Expect(const std::string &name, bool set) {
    if (kNotYetProvided.count(name))
        return set ? name + " is installed now: take it off kNotYetProvided" : "";
    if (!set && !kOptional.count(name)) return name + " is left null";
    return "";
}

template <typename Record, size_t N>
void CheckRecord(const char *recordName, const Record &record, const Field (&fields)[N], std::string *faults) {
    static_assert(sizeof(Record) % sizeof(AnyEntry) == 0, "a host record holds function pointers only");
    const size_t slots = sizeof(Record) / sizeof(AnyEntry);
    for (size_t i = 0; i < slots; ++i) {
        const size_t offset = i * sizeof(AnyEntry);
        std::string name = std::string(recordName) + ".slot " + std::to_string(i) + " (unnamed here: add it)";
        for (const Field &f : fields)
            if (f.offset == offset) name = std::string(recordName) + "." + f.name;
        AnyEntry entry;
        std::memcpy(&entry, reinterpret_cast<const char *>(&record) + offset, sizeof entry);
        std::string fault = Expect(name, entry != nullptr);
        if (name.find("unnamed") != std::string::npos) fault = name;
        if (!fault.empty()) *faults += fault + "\n";
    }
}

void CheckPointer(const char *name, bool set, std::string *faults) {
    std::string fault = Expect(name, set);
    if (!fault.empty()) *faults += fault + "\n";
}

class SeamTest : public ::testing::Test {
protected:
    // Starts from nothing installed and leaves the process as it found it.
    void SetUp() override {
        run = gRunHost, plot = gPlotHost, replay = gDisplayReplayHooks, graphics = gGraphicsHost;
        picture = gGraphPictureHooks, uiLock = gUiLockHooks, graphWindow = gGraphWindowHooks;
        surface = gGraphSurface, windows = gProblemWindowHost, text = gTextWindowControl;
        commands = gRefreshCommandStates;
        clipboard = gElementClipboard, elementDialogs = gElementDialogCommand;
        codeLibraryMenu = gCodeLibraryMenuHook, gCodeLibraryMenuHook = nullptr;
        gElementClipboard = ElementClipboardHooks{}, gElementDialogCommand = nullptr;
        gRunHost = RunHost{}, gPlotHost = PlotHost{}, gDisplayReplayHooks = DisplayReplayHooks{};
        gGraphicsHost = GraphicsHost{}, gGraphPictureHooks = GraphPictureHooks{}, gUiLockHooks = UiLockHooks{};
        gGraphWindowHooks = GraphWindowHooks{};
        gGraphSurface = nullptr, gProblemWindowHost = nullptr, gTextWindowControl = nullptr;
        gRefreshCommandStates = nullptr;
        cursor = gCursorHost, mathLink = gMathLinkHost, elementDc = gElementDcHooks, elementEdit = gElementEditHooks;
        gCursorHost = CursorHost{}, gMathLinkHost = MathLinkHost{}, gElementDcHooks = ElementDcHooks{};
        gElementEditHooks = ElementEditHooks{};
    }
    void TearDown() override {
        gRunHost = run, gPlotHost = plot, gDisplayReplayHooks = replay, gGraphicsHost = graphics;
        gGraphPictureHooks = picture, gUiLockHooks = uiLock, gGraphWindowHooks = graphWindow;
        gGraphSurface = surface, gProblemWindowHost = windows, gTextWindowControl = text;
        gRefreshCommandStates = commands;
        gElementClipboard = clipboard, gElementDialogCommand = elementDialogs;
        gCodeLibraryMenuHook = codeLibraryMenu;
        gCursorHost = cursor, gMathLinkHost = mathLink, gElementDcHooks = elementDc, gElementEditHooks = elementEdit;
    }
    RunHost run;
    PlotHost plot;
    DisplayReplayHooks replay;
    GraphicsHost graphics;
    GraphPictureHooks picture;
    UiLockHooks uiLock;
    GraphWindowHooks graphWindow;
    GraphSurface *surface;
    ProblemWindowHost *windows;
    TextWindowControl *text;
    void (*commands)();
    ElementClipboardHooks clipboard;
    void (*elementDialogs)(HWND, int);
    void (*codeLibraryMenu)(const char *, const char *);
    CursorHost cursor;
    MathLinkHost mathLink;
    ElementDcHooks elementDc;
    ElementEditHooks elementEdit;
};

TEST_F(SeamTest, InstallWin32PlatformSetsEveryEntryNotMarkedOptional) {
    InstallWin32Platform();
    std::string faults;
    CheckRecord("RunHost", gRunHost, kRunHostFields, &faults);
    CheckRecord("PlotHost", gPlotHost, kPlotHostFields, &faults);
    CheckRecord("DisplayReplayHooks", gDisplayReplayHooks, kReplayFields, &faults);
    CheckRecord("GraphPictureHooks", gGraphPictureHooks, kPictureFields, &faults);
    CheckRecord("UiLockHooks", gUiLockHooks, kUiLockFields, &faults);
    CheckRecord("GraphicsHost", gGraphicsHost, kGraphicsFields, &faults);
    CheckRecord("GraphWindowHooks", gGraphWindowHooks, kGraphWindowFields, &faults);
    CheckPointer("gGraphSurface", gGraphSurface != nullptr, &faults);
    CheckPointer("gProblemWindowHost", gProblemWindowHost != nullptr, &faults);
    CheckPointer("gTextWindowControl", gTextWindowControl != nullptr, &faults);
    CheckPointer("gRefreshCommandStates", gRefreshCommandStates != nullptr, &faults);
    CheckRecord("ElementClipboardHooks", gElementClipboard, kElementClipboardFields, &faults);
    CheckPointer("gElementDialogCommand", gElementDialogCommand != nullptr, &faults);
    CheckPointer("gCodeLibraryMenuHook", gCodeLibraryMenuHook != nullptr, &faults);
    CheckRecord("CursorHost", gCursorHost, kCursorHostFields, &faults);
    CheckRecord("MathLinkHost", gMathLinkHost, kMathLinkHostFields, &faults);
    CheckRecord("ElementDcHooks", gElementDcHooks, kElementDcFields, &faults);
    CheckRecord("ElementEditHooks", gElementEditHooks, kElementEditFields, &faults);
    EXPECT_EQ(faults, "");
}

// The check itself: an installer that forgets an entry is caught.
TEST_F(SeamTest, AForgottenEntryIsReported) {
    InstallWin32Platform();
    gRunHost.pumpOne = nullptr;
    gGraphicsHost.loadStrokeFont = nullptr;
    gTextWindowControl = nullptr;
    std::string faults;
    CheckRecord("RunHost", gRunHost, kRunHostFields, &faults);
    CheckRecord("GraphicsHost", gGraphicsHost, kGraphicsFields, &faults);
    CheckPointer("gTextWindowControl", gTextWindowControl != nullptr, &faults);
    EXPECT_EQ(faults, "RunHost.pumpOne is left null\nGraphicsHost.loadStrokeFont is left null\n"
                      "gTextWindowControl is left null\n");
}

}  // namespace
