// The seam between the portable parts and Win32: after InstallWin32Platform
// every entry of every host record is set, except those the record marks
// optional and those whose Win32 side does not exist yet (kNotYetProvided,
// which must shrink: an entry listed there that is set fails the test too).
// Records are structs of function pointers only, walked slot by slot; each
// is listed with the names of its slots, and a slot added without a name
// stops the build.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "code_libraries.h"
#include "compile_problem.h"
#include "crash_recovery.h"
#include "described_dialog.h"
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
#include "platform.h"
#include "plotting.h"
#include "problem_windows.h"
#include "run_host.h"
#include "solver_dll.h"
#include "text_layout.h"
#include "text_window_output.h"
#include "ui_lock.h"

namespace {

typedef void (*AnyEntry)();

#define ENTRY(Record, field) (std::string(#Record ".") + #field)

// What the records themselves call optional.
const std::set<std::string> kOptional = {
    ENTRY(RunHost, tickCount),
    ENTRY(ProblemWindowHost, libraryParamName),
    ENTRY(ProblemWindowHost, libraryParamValue),
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
    FIELD(GraphicsHost, drawElements),
};
const Field kGraphWindowFields[] = {
    FIELD(GraphWindowHooks, running), FIELD(GraphWindowHooks, showPopupMenu),
    FIELD(GraphWindowHooks, refreshInitialValueRows), FIELD(GraphWindowHooks, elementActionInProgress),
    FIELD(GraphWindowHooks, elementCommand), FIELD(GraphWindowHooks, elementCommandAvailable),
    FIELD(GraphWindowHooks, adjustMouseMode), FIELD(GraphWindowHooks, placeElementCursor),
    FIELD(GraphWindowHooks, clearStatusReadout),
    FIELD(GraphWindowHooks, refreshCommandStates), FIELD(GraphWindowHooks, elementDialogCommand),
    FIELD(GraphWindowHooks, pasteDialog),
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
const Field kCodeLibraryFields[] = {
    FIELD(CodeLibraryHooks, solverInit), FIELD(CodeLibraryHooks, menuChanged),
};
const Field kCompileFields[] = {
    FIELD(CompileHooks, windowExpressions), FIELD(CompileHooks, elements),
};
const Field kCrashFields[] = {
    FIELD(CrashHooks, writeProblem), FIELD(CrashHooks, releaseResources),
};
const Field kGraphSurfaceFields[] = {
    FIELD(GraphSurface, moveTo), FIELD(GraphSurface, lineTo), FIELD(GraphSurface, selectSolidPen),
    FIELD(GraphSurface, selectStockPen), FIELD(GraphSurface, screenAspect), FIELD(GraphSurface, findGraphWindow),
    FIELD(GraphSurface, resizeClient),
};
const Field kTextWindowControlFields[] = {
    FIELD(TextWindowControl, lineCount), FIELD(TextWindowControl, textLength),
    FIELD(TextWindowControl, deleteLinesBefore), FIELD(TextWindowControl, appendText),
};
const Field kPlatformHostFields[] = {
    FIELD(PlatformHost, messageBox), FIELD(PlatformHost, pumpMessages), FIELD(PlatformHost, setChoiceState),
    FIELD(PlatformHost, loadString), FIELD(PlatformHost, compilerErrorDialog), FIELD(PlatformHost, channelDialog),
    FIELD(PlatformHost, inputDialog),
};
const Field kProblemWindowHostFields[] = {
    FIELD(ProblemWindowHost, childrenTopFirst), FIELD(ProblemWindowHost, childKind),
    FIELD(ProblemWindowHost, childNormalRect), FIELD(ProblemWindowHost, childShowState),
    FIELD(ProblemWindowHost, clientRect), FIELD(ProblemWindowHost, createChild),
    FIELD(ProblemWindowHost, destroyChild), FIELD(ProblemWindowHost, syncState),
    FIELD(ProblemWindowHost, setCaption), FIELD(ProblemWindowHost, graphTitle),
    FIELD(ProblemWindowHost, bringToTop), FIELD(ProblemWindowHost, graphSectionRead),
    FIELD(ProblemWindowHost, beginProblemText), FIELD(ProblemWindowHost, endProblemText),
    FIELD(ProblemWindowHost, codeLibraryKey), FIELD(ProblemWindowHost, selectCodeLibrary),
    FIELD(ProblemWindowHost, libraryParamName), FIELD(ProblemWindowHost, libraryParamValue),
};
const Field kDialogShellFields[] = {
    FIELD(DialogShell, syncActiveChild), FIELD(DialogShell, setActiveChildTitle),
    FIELD(DialogShell, querySaveProblem), FIELD(DialogShell, showHelp), FIELD(DialogShell, otherGraphTitles),
    FIELD(DialogShell, linkGraph), FIELD(DialogShell, linkedGraphIndex), FIELD(DialogShell, sectionKeys),
    FIELD(DialogShell, sectionValue), FIELD(DialogShell, rebuildToolbars), FIELD(DialogShell, setStatusFont),
    FIELD(DialogShell, applyTransparency), FIELD(DialogShell, buildRecentFilesMenu),
    FIELD(DialogShell, setBackwardButton), FIELD(DialogShell, setBackingBitmapMode),
    FIELD(DialogShell, selectCodeLibrary), FIELD(DialogShell, closePlotterSession),
    FIELD(DialogShell, peekCodeLibraryParameters), FIELD(DialogShell, parametersChanged),
    FIELD(DialogShell, graphFormatApplied), FIELD(DialogShell, availablePictureFormats),
};

// Every host record: its type, its global and the names of its slots. A
// record that is not listed here is not a seam.
#define SEAM_RECORDS(X)                                          \
    X(RunHost, gRunHost, kRunHostFields)                         \
    X(PlotHost, gPlotHost, kPlotHostFields)                      \
    X(DisplayReplayHooks, gDisplayReplayHooks, kReplayFields)    \
    X(GraphPictureHooks, gGraphPictureHooks, kPictureFields)     \
    X(UiLockHooks, gUiLockHooks, kUiLockFields)                  \
    X(GraphicsHost, gGraphicsHost, kGraphicsFields)              \
    X(GraphWindowHooks, gGraphWindowHooks, kGraphWindowFields)   \
    X(ElementClipboardHooks, gElementClipboard, kElementClipboardFields) \
    X(CursorHost, gCursorHost, kCursorHostFields)                \
    X(MathLinkHost, gMathLinkHost, kMathLinkHostFields)          \
    X(ElementDcHooks, gElementDcHooks, kElementDcFields)         \
    X(ElementEditHooks, gElementEditHooks, kElementEditFields)   \
    X(CodeLibraryHooks, gCodeLibraryHooks, kCodeLibraryFields)   \
    X(CompileHooks, gCompileHooks, kCompileFields)               \
    X(CrashHooks, gCrashHooks, kCrashFields)                     \
    X(TextWindowControl, gTextWindowControl, kTextWindowControlFields) \
    X(GraphSurface, gGraphSurface, kGraphSurfaceFields)                \
    X(PlatformHost, gPlatformHost, kPlatformHostFields)                \
    X(ProblemWindowHost, gProblemWindowHost, kProblemWindowHostFields) \
    X(DialogShell, gDialogShell, kDialogShellFields)

std::string Expect(const std::string &name, bool set) {
    if (kNotYetProvided.count(name))
        return set ? name + " is installed now: take it off kNotYetProvided" : "";
    if (!set && !kOptional.count(name)) return name + " is left null";
    return "";
}

template <typename Record, size_t N>
void CheckRecord(const char *recordName, const Record &record, const Field (&fields)[N], std::string *faults) {
    // A slot added to a record without a name here stops the build.
    static_assert(sizeof(Record) == N * sizeof(AnyEntry), "a host record holds function pointers only, all named");
    for (size_t i = 0; i < N; ++i) {
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

class SeamTest : public ::testing::Test {
protected:
    // Starts from nothing installed and leaves the process as it found it.
    void SetUp() override {
#define SAVE_AND_CLEAR(Record, global, fields) saved.global = global, global = Record{};
        SEAM_RECORDS(SAVE_AND_CLEAR)
#undef SAVE_AND_CLEAR
    }
    void TearDown() override {
#define RESTORE(Record, global, fields) global = saved.global;
        SEAM_RECORDS(RESTORE)
#undef RESTORE
    }
    struct Saved {
#define MEMBER(Record, global, fields) Record global;
        SEAM_RECORDS(MEMBER)
#undef MEMBER
    } saved;
};

TEST_F(SeamTest, InstallWin32PlatformSetsEveryEntryNotMarkedOptional) {
    InstallWin32Platform();
    std::string faults;
#define CHECK_RECORD(Record, global, fields) CheckRecord(#Record, global, fields, &faults);
    SEAM_RECORDS(CHECK_RECORD)
#undef CHECK_RECORD
    EXPECT_EQ(faults, "");
}

// The check itself: an installer that forgets an entry is caught.
TEST_F(SeamTest, AForgottenEntryIsReported) {
    InstallWin32Platform();
    gRunHost.pumpOne = nullptr;
    gGraphicsHost.loadStrokeFont = nullptr;
    gPlatformHost.compilerErrorDialog = nullptr;
    gProblemWindowHost.createChild = nullptr;
    gDialogShell.rebuildToolbars = nullptr;
    std::string faults;
    CheckRecord("RunHost", gRunHost, kRunHostFields, &faults);
    CheckRecord("GraphicsHost", gGraphicsHost, kGraphicsFields, &faults);
    CheckRecord("PlatformHost", gPlatformHost, kPlatformHostFields, &faults);
    CheckRecord("ProblemWindowHost", gProblemWindowHost, kProblemWindowHostFields, &faults);
    CheckRecord("DialogShell", gDialogShell, kDialogShellFields, &faults);
    EXPECT_EQ(faults, "RunHost.pumpOne is left null\nGraphicsHost.loadStrokeFont is left null\n"
                      "PlatformHost.compilerErrorDialog is left null\nProblemWindowHost.createChild is left null\n"
                      "DialogShell.rebuildToolbars is left null\n");
}

}  // namespace
