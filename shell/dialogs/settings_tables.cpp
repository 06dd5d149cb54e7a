// Description tables of the settings dialogs and the hooks they name.
#include "settings_tables.h"

#include <cstdio>

#include "display_list.h"
#include "fpu_faults.h"
#include "mathlink.h"
#include "graph_state.h"
#include "messages.h"
#include "platform.h"
#include "problem_settings.h"
#include "problem_windows.h"
#include "resource_ids.h"
#include "settings.h"
#include "solver_method.h"
#include "string_ids.h"
#include "text_window_state.h"
#include "workspace.h"

int32_t gDialogScratch[4];
int32_t gPasteFormat, gPasteRasterOp, gPasteResize, gPastePriority;

namespace {

GraphWindowState &G = gGraphWorkCopy;
TextWindowState &T = gTextWorkCopy;
int32_t *const S = gDialogScratch;

// An item bound to one problem setting: its target and type come from the
// setting's entry, the table keeps the control, page and hooks.
void BindSetting(DialogItem &item, ProblemSettingId id) {
    item.type = ItemTypeOfValue(kProblemSettings[id].kind);
    item.target = kProblemSettings[id].cell;
    item.targetSize = 0;
}

DialogItem MakeSetting(int page, int control, ProblemSettingId id, DialogHook init = nullptr,
                       DialogHook apply = nullptr) {
    DialogItem item = {uint8_t(page), kItemEnd, control, nullptr, 0, init, apply};
    BindSetting(item, id);
    return item;
}

void FillCombo(DialogSession &s, int id, int firstString, int lastString) {
    s.controls->ClearCombo(id);
    const int step = firstString <= lastString ? 1 : -1;
    for (int k = firstString;; k += step) {
        s.controls->AddComboString(id, LoadTextResource(k));
        if (k == lastString) break;
    }
}

// ---- Dialog 110

void BeginProblemTypeEdit(DialogSession &, DialogItem &) {
    S[0] = gProblemKind;
    S[1] = static_cast<int32_t>(gDimension);
    S[2] = static_cast<int32_t>(gStackLength);
    S[3] = static_cast<int32_t>(gPcodeLength);
}

void ApplyProblemType(DialogSession &, DialogItem &) {
    const int kind = S[0];
    const unsigned dimension = S[1] ? static_cast<unsigned>(S[1]) : 1;
    const unsigned stack = static_cast<unsigned>(S[2]), pcode = static_cast<unsigned>(S[3]);
    const bool stackChanged = stack != gStackLength, pcodeChanged = pcode != gPcodeLength;
    // The lengths are stored together with their reallocation, so that a
    // length never describes a buffer of another size.
    gStackLength = stack;
    gPcodeLength = pcode;
    if ((kind != gProblemKind || dimension != gDimension) && ShellQuerySaveProblem()) {
        ResetSolverMethod(1);
        FreeProblemArrays();
        gProblemKind = kind;
        gDimension = dimension;
        NewProblemWorkspace();
    } else {
        if (stackChanged && !AllocValueStack()) gWorkspaceReady = 0;
        if (pcodeChanged) {
            // Code compiled into the old buffer is gone with it.
            if (!AllocPcodeBuffer()) gWorkspaceReady = 0;
            for (int i = 0; i < gTextArrayCount; ++i) {
                if (gEquationCode) gEquationCode[i] = nullptr;
                if (gInitialFunctionCode) gInitialFunctionCode[i] = nullptr;
                if (gBoundaryCode) gBoundaryCode[i] = nullptr;
            }
        }
    }
    PlatformSetChoiceState(kChoiceMethod, gProblemKind != kMap);
    PlatformSetChoiceState(kChoiceBackward, gProblemKind != kMap);
}

// ---- Dialog 130

void InitDefinitionsNames(DialogSession &s, DialogItem &) {
    static const int kIds[kFixedColumnCount] = {IDC_DEF_VARIABLES_NAME, IDC_DEF_TIME_NAME, IDC_DEF_INITIAL_NAME, IDC_DEF_INITIAL_TIME_NAME, IDC_DEF_TRAJECTORY_NAME, IDC_DEF_PHASE_X_NAME, IDC_DEF_PHASE_Y_NAME};
    const bool ready = gColumnTable && gColumnCount == 2 * static_cast<int>(gDimension) + 9;
    for (int k = 0; k < kFixedColumnCount; ++k)
        if (DialogItem *item = FindItem(s, kIds[k])) item->target = ready ? &gColumnTable[k].name : nullptr;
    const bool map = gProblemKind == kMap;
    s.controls->SetText(IDC_DEF_TIME_LABEL, LoadTextResource(map ? IDS_MAP_INDEX : IDS_INDEPENDENT_VARIABLE));
    s.controls->SetText(IDC_DEF_TRAJECTORY_LABEL, LoadTextResource(map ? IDS_BIFURCATION_PARAMETER : IDS_LAST_POINCARE_TIME));
}

void InitDelayItem(DialogSession &s, DialogItem &item) {
    const bool map = gProblemKind == kMap;
    s.controls->SetText(IDC_DEF_DELAY_LABEL, LoadTextResource(map ? IDS_POWER_LABEL : IDS_DELAY_LABEL));
    if (map) {
        BindSetting(item, kSettingMapPower);
        for (int id : {IDC_DEF_DISCONTINUITIES_LABEL, IDC_DEF_DISCONTINUITIES}) {
            s.controls->Show(id, false);
            s.keptHidden.push_back(id);
        }
        s.controls->Enable(IDC_DEF_DISCONTINUITIES, false);
    } else {
        BindSetting(item, kSettingDelay);
    }
}

// ---- Dialogs 140 and 150

void FillCodeLibraryCombo(DialogSession &s, DialogItem &item) {
    S[0] = gCodeLibraryIndex;
    s.controls->ClearCombo(item.control);
    s.controls->AddComboString(item.control, LoadTextResource(IDS_BUILTIN_METHOD));
    for (const std::string &key : ShellSectionKeys(IDS_SECTION_CODE_LIBRARIES))
        s.controls->AddComboString(item.control, key);
}

void ApplyCodeLibraryChoice(DialogSession &s, DialogItem &item) {
    if (S[0] != gCodeLibraryIndex)
        ShellSelectCodeLibrary(S[0], s.controls->ComboString(item.control, S[0]));
}

// One string per value of the setting; their ids run down from idle.
constexpr int kLastPriorityString = IDS_PRIORITY_IDLE - (kProblemSettings[kSettingRunPriority].choices - 1);
static_assert(kLastPriorityString == IDS_PRIORITY_TIME_CRITICAL, "a priority string per run priority");

void FillPriorityCombo(DialogSession &s, DialogItem &item) {
    FillCombo(s, item.control, IDS_PRIORITY_IDLE, kLastPriorityString);
}

uint32_t gOldRetardedPoints;
void BeginSavedPointsEdit(DialogSession &, DialogItem &) { gOldRetardedPoints = gRetardedPoints; }
void ApplySavedPoints(DialogSession &, DialogItem &) {
    if (gRetardedPoints != gOldRetardedPoints) ResetSolverMethod(0);
}

void ApplyBackwardFlag(DialogSession &, DialogItem &) {
    ShellSetBackwardButton(gBackward != 0, gProblemKind != kMap);
}

// ---- Dialogs 170 and 180

void FillAspectCombo(DialogSession &s, DialogItem &item) {
    FillCombo(s, item.control, IDS_ASPECT_ARBITRARY, IDS_ASPECT_ADJUST_HEIGHT);
}

void FillBitmapModeCombo(DialogSession &s, DialogItem &item) {
    FillCombo(s, item.control, IDS_BITMAP_NONE, IDS_BITMAP_STRETCH);
}

void BeginBitmapModeEdit(DialogSession &s, DialogItem &item) {
    FillBitmapModeCombo(s, item);
    S[1] = G.bitmapMode;
}

void ApplyBitmapMode(DialogSession &, DialogItem &) {
    if (S[1] != G.bitmapMode) ShellSetBackingBitmapMode(S[1]);
}

int32_t gOldLinkedIndex;
void FillLinkedWindowCombo(DialogSession &s, DialogItem &item) {
    s.controls->ClearCombo(item.control);
    s.controls->AddComboString(item.control, LoadTextResource(IDS_THIS_WINDOW));
    for (const std::string &title : ShellOtherGraphTitles()) s.controls->AddComboString(item.control, title);
    S[2] = gOldLinkedIndex = ShellLinkedGraphIndex();
}

void ApplyLinkedWindow(DialogSession &, DialogItem &) {
    if (S[2] != gOldLinkedIndex) ShellLinkGraph(S[2]);
}

void FillAxisVariableCombo(DialogSession &s, DialogItem &item) {
    const int id = item.control;
    s.controls->ClearCombo(id);
    const int n = static_cast<int>(gDimension);
    const bool ready = gColumnTable && gColumnCount == 2 * n + 9;
    if (ready) {
        s.controls->AddComboString(id, gColumnTable[kColumnInitialTime].name ? gColumnTable[kColumnInitialTime].name : "");
        const ColumnEntry &x0 = gColumnTable[kColumnInitial];
        for (int i = 0; i < n + 2; ++i) {
            const char *own = gColumnTable[kFixedColumnCount + n + i].name;
            char text[128];
            if (own && *own) std::snprintf(text, sizeof text, "%s", own);
            else if (i + x0.low) std::snprintf(text, sizeof text, "%s[%d]", x0.name ? x0.name : "", i + x0.low);
            else std::snprintf(text, sizeof text, "%s", x0.name ? x0.name : "");
            s.controls->AddComboString(id, text);
        }
    }
    int32_t *selection = static_cast<int32_t *>(item.target);
    if (selection && (*selection > n + 2 || *selection < 0)) *selection = 0;
}

int32_t gOldCapture;
void BeginCaptureEdit(DialogSession &, DialogItem &) { S[0] = gOldCapture = G.capture; }
void ApplyCapture(DialogSession &, DialogItem &) {
    const int32_t now = S[0];
    if (now == gOldCapture) return;
    if ((now < 0 || now < G.displayBlockCount) && gOldCapture != 0 && G.displayFirst) FreeDisplayList(&G);
    G.capture = now;
}

void ApplyWindowTitle(DialogSession &, DialogItem &item) {
    const char *title = item.target ? *static_cast<char **>(item.target) : nullptr;
    if (title) ShellSetActiveChildTitle(title);
}

// ---- Dialog 400

void BeginButtonSizeEdit(DialogSession &, DialogItem &) { S[0] = gBigButtons; }
void ApplyButtonSize(DialogSession &, DialogItem &) {
    if (S[0] == gBigButtons) return;
    gBigButtons = S[0];
    ShellRebuildToolbars();
}
void BeginDisabledButtonsEdit(DialogSession &, DialogItem &) { S[1] = gDisabledButtons; }
void ApplyDisabledButtons(DialogSession &, DialogItem &) { gDisabledButtons = S[1]; }
void BeginBoldStatusEdit(DialogSession &, DialogItem &) { S[2] = gBoldStatusLine; }
void ApplyBoldStatus(DialogSession &, DialogItem &) {
    if (S[2] == gBoldStatusLine) return;
    gBoldStatusLine = S[2];
    ShellSetStatusFont();
}
int gOldTransparency;
void BeginTransparencyEdit(DialogSession &, DialogItem &) { gOldTransparency = gTransparency; }
void ApplyTransparency(DialogSession &, DialogItem &) {
    if (gTransparency < 0) gTransparency = 0;
    if (gTransparency > 100) gTransparency = 100;
    if (gTransparency != gOldTransparency) ShellApplyTransparency();
}
void ApplyFilenameLength(DialogSession &, DialogItem &) { ShellBuildRecentFilesMenu(); }
void ApplyFpuMask(DialogSession &, DialogItem &) { ApplyFpuOptions(); }

// ---- Dialog 500

void EnablePasteGroups(DialogSession &s, int format) {
    const bool bitmap = format == 0 || format == 1;
    for (int id = IDC_MODE_ROP_GROUP; id <= IDC_MODE_ERASE; ++id) s.controls->Enable(id, bitmap);
    for (int id = IDC_MODE_PRIORITY_GROUP; id <= IDC_MODE_WHITE; ++id) s.controls->Enable(id, bitmap);
}

void InitCopyFormatChoice(DialogSession &s, DialogItem &) {
    const int formats = ShellAvailablePictureFormats();
    gPasteFormat = (formats & 1) ? 0 : (formats & 2) ? 1 : 2;
    for (int k = 0; k < 3; ++k) s.controls->Enable(IDC_MODE_DDB + k, (formats >> k) & 1);
    EnablePasteGroups(s, gPasteFormat);
}

// ---- Dialog 830

void FillElementKindCombo(DialogSession &s, DialogItem &item) {
    s.controls->ClearCombo(item.control);
    for (const char *name : kElementKindNames) s.controls->AddComboString(item.control, name);
}

}  // namespace

// ---- Tables (page ranges are control-id bounds: a page is every control
// whose id lies between them)

const DialogItem kProblemTypeTable[] = {
    MakeRadio(0, IDC_TYPE_SINGLE_ODE, &S[0], BeginProblemTypeEdit),
    MakeRadio(0, IDC_TYPE_ODE_SYSTEM, &S[0]),
    MakeRadio(0, IDC_TYPE_MAP, &S[0]),
    MakeUnsigned(0, IDC_TYPE_DIMENSION, &S[1]),
    MakeUnsigned(1, IDC_TYPE_STACK, &S[2]),
    MakeUnsigned(1, IDC_TYPE_PCODE, &S[3]),
    MakeSetting(1, IDC_TYPE_HEAVISIDE, kSettingHeavisideZero, nullptr, ApplyProblemType),
    MakeEnd(1),
};
const DialogPage kProblemTypePages[] = {{IDC_PAGE_FIRST, 21001, 21006, 2000}, {IDC_TYPE_ADVANCED_PAGE, 21101, 21109, 2001}};

const DialogItem kDefinitionsTable[] = {
    MakeString(0, IDC_DEF_VARIABLES_NAME, nullptr, InitDefinitionsNames),
    MakeString(0, IDC_DEF_TIME_NAME, nullptr),
    MakeString(0, IDC_DEF_INITIAL_NAME, nullptr),
    MakeString(0, IDC_DEF_INITIAL_TIME_NAME, nullptr),
    MakeString(1, IDC_DEF_TRAJECTORY_NAME, nullptr),
    MakeRows(0, kItemNameRows, IDC_DEF_VARIABLE_ROWS),
    MakeRows(0, kItemNameRows, IDC_DEF_INITIAL_ROWS),
    MakeRows(1, kItemParameterRows, IDC_DEF_PARAMETER_ROWS),
    MakeRows(2, kItemEquationRows, IDC_DEF_EQUATION_ROWS),
    MakeSetting(2, IDC_DEF_DELAY, kSettingDelay, InitDelayItem),
    MakeString(2, IDC_DEF_DISCONTINUITIES, &gDiscontinuities),
    MakeDouble(3, IDC_DEF_INITIAL_TIME, &gInitialTime),
    MakeRows(3, kItemInitialValueRows, IDC_DEF_INITIAL_VALUE_ROWS),
    MakeRows(3, kItemInitialFunctionRows, IDC_DEF_INITIAL_FUNCTION_ROWS),
    MakeSetting(1, IDC_DEF_PHASE_X_MIN, kSettingPhaseXMin),
    MakeString(1, IDC_DEF_PHASE_X_NAME, nullptr),
    MakeSetting(1, IDC_DEF_PHASE_X_MAX, kSettingPhaseXMax),
    MakeSetting(1, IDC_DEF_PHASE_Y_MIN, kSettingPhaseYMin),
    MakeString(1, IDC_DEF_PHASE_Y_NAME, nullptr),
    MakeSetting(1, IDC_DEF_PHASE_Y_MAX, kSettingPhaseYMax),
    MakeSetting(4, IDC_DEF_BOUNDARY_POINT, kSettingBoundaryPoint),
    MakeSetting(4, IDC_DEF_ITERATIONS, kSettingShootingIterations),
    MakeSetting(4, IDC_DEF_BOUNDARY_ERROR, kSettingShootingError),
    MakeRows(4, kItemBoundaryRows, IDC_DEF_BOUNDARY_ROWS),
    MakeEnd(1),
};
const DialogPage kDefinitionsPages[] = {{IDC_PAGE_FIRST, 22001, 22017, 2011}, {IDC_DEF_PARAMETERS_PAGE, 22101, 22122, 2012},
                                        {IDC_DEF_EQUATIONS_PAGE, 22201, 22210, 2013}, {IDC_DEF_INITIAL_PAGE, 22301, 22310, 2014},
                                        {IDC_DEF_BOUNDARY_PAGE, 22401, 22411, 2015}};

const DialogItem kMethodTable[] = {
    MakeSetting(0, IDC_RANGE_FIRST, kSettingFirstValue),
    MakeSetting(0, IDC_RANGE_LAST, kSettingLastValue),
    MakeSetting(0, IDC_RANGE_INFINITY, kSettingInfinityLimit),
    MakeSetting(0, IDC_RANGE_INTERPOLATE, kSettingInterpolate),
    MakeSetting(0, IDC_RANGE_STEP, kSettingOutputStep),
    MakeSetting(0, IDC_RANGE_BACKWARD, kSettingBackward, nullptr, ApplyBackwardFlag),
    MakeSetting(0, IDC_RANGE_PAUSE, kSettingPauseSetting),
    MakeSetting(0, IDC_RANGE_RETARDED, kSettingRetardedPoints, BeginSavedPointsEdit, ApplySavedPoints),
    MakeCombo(1, IDC_METHOD_LIBRARY, &S[0], FillCodeLibraryCombo, ApplyCodeLibraryChoice),
    MakeSetting(1, IDC_METHOD_TOLERANCE, kSettingTolerance),
    MakeSetting(1, IDC_METHOD_H, kSettingInitialStep),
    MakeSetting(1, IDC_METHOD_H_MAX, kSettingMaxStep),
    MakeRows(1, kItemSolverParamRows, IDC_METHOD_PARAM_ROWS),
    MakeSetting(0, IDC_RANGE_REAL_TIME, kSettingRealTime),
    MakeSetting(0, IDC_RANGE_AUTO_START, kSettingAutoStart),
    MakeSetting(0, IDC_RANGE_PRIORITY, kSettingRunPriority, FillPriorityCombo),
    MakeSetting(0, IDC_RANGE_PROCESSOR, kSettingPreferredProcessor),
    MakeEnd(1),
};
const DialogPage kMethodPages[] = {{IDC_PAGE_FIRST, 23001, 23024, 2021}, {IDC_METHOD_PAGE, 23101, 23114, 2023}};

const DialogItem kIterationRangeTable[] = {
    MakeSetting(0, IDC_RANGE_FIRST, kSettingFirstValue),
    MakeSetting(0, IDC_RANGE_LAST, kSettingLastValue),
    MakeSetting(0, IDC_RANGE_INFINITY, kSettingInfinityLimit),
    MakeSetting(0, IDC_RANGE_BIFURCATION, kSettingBifurcationDiagram),
    MakeSetting(0, IDC_RANGE_BEGIN, kSettingScanBegin),
    MakeSetting(0, IDC_RANGE_STEP, kSettingOutputStep),
    MakeSetting(0, IDC_RANGE_END, kSettingScanEnd),
    MakeSetting(0, IDC_RANGE_PAUSE, kSettingPauseSetting),
    MakeSetting(0, IDC_RANGE_RETARDED, kSettingRetardedPoints, BeginSavedPointsEdit, ApplySavedPoints),
    MakeSetting(0, IDC_RANGE_REAL_TIME, kSettingRealTime),
    MakeSetting(0, IDC_RANGE_AUTO_START, kSettingAutoStart),
    MakeSetting(0, IDC_RANGE_PRIORITY, kSettingRunPriority, FillPriorityCombo),
    MakeSetting(0, IDC_RANGE_PROCESSOR, kSettingPreferredProcessor),
    MakeEnd(1),
};

const DialogItem kStatusLineTable[] = {
    MakeString(0, IDC_STATUS_FIRST, &gStatusFirstExpression),
    MakeString(0, IDC_STATUS_SECOND, &gStatusSecondExpression),
    MakeString(0, IDC_STATUS_FORMAT, &gStatusFormat),
    MakeSetting(0, IDC_STATUS_FREQUENCY, kSettingStatusFrequency),
    MakeEnd(1),
};

const DialogItem kGraphFormatTable[] = {
    MakeString(0, IDC_GRAPH_TITLE, &G.title, nullptr, ApplyWindowTitle),
    MakeDouble(0, IDC_GRAPH_X_MIN, &G.xMin),
    MakeString(0, IDC_GRAPH_X_TEXT, &G.axisText[0]),
    MakeDouble(0, IDC_GRAPH_X_MAX, &G.xMax),
    MakeDouble(0, IDC_GRAPH_Y_MIN, &G.yMin),
    MakeString(0, IDC_GRAPH_Y_TEXT, &G.axisText[1]),
    MakeDouble(0, IDC_GRAPH_Y_MAX, &G.yMax),
    MakeCheck(1, IDC_GRAPH_CONTINUOUS, &G.continuousLine),
    MakeUnsigned(1, IDC_GRAPH_FREQUENCY, &G.frequency),
    MakeString(1, IDC_GRAPH_AXES_LOCATION, &G.axesLocation),
    MakeCombo(1, IDC_GRAPH_ASPECT, &G.aspectMode, FillAspectCombo),
    MakeCheck(0, IDC_GRAPH_POINCARE, &G.poincareSection),
    MakeString(0, IDC_GRAPH_CONDITION, &G.conditionText),
    MakeDouble(0, IDC_GRAPH_ERROR, &G.crossingError),
    MakeCheck(0, IDC_GRAPH_INCREASING, &G.increasing),
    MakeCheck(0, IDC_GRAPH_DECREASING, &G.decreasing),
    MakeCheck(0, IDC_GRAPH_AVERAGE, &G.average),
    MakeUnsigned(0, IDC_GRAPH_DIRECT, &G.directPower),
    MakeUnsigned(0, IDC_GRAPH_INVERSE, &G.inversePower),
    MakeUnsigned(0, IDC_GRAPH_HISTOGRAM, &G.histogramPeriod),
    MakeCombo(0, IDC_GRAPH_LINKED, &S[2], FillLinkedWindowCombo, ApplyLinkedWindow),
    MakeCombo(1, IDC_GRAPH_BITMAP, &S[1], BeginBitmapModeEdit, ApplyBitmapMode),
    MakeCheck(1, IDC_GRAPH_DIRECTION_FIELD, &G.directionField),
    MakeUnsigned(1, IDC_GRAPH_CELL, &G.cellLength),
    MakeUnsigned(1, IDC_GRAPH_MARK, &G.markLength),
    MakeInt(1, IDC_GRAPH_CAPTURE, &S[0], BeginCaptureEdit, ApplyCapture),
    MakeUnsigned(1, IDC_GRAPH_WIDTH, &G.fixedWidth),
    MakeUnsigned(1, IDC_GRAPH_HEIGHT, &G.fixedHeight),
    MakeCombo(2, IDC_GRAPH_SELECT_X, &G.selectX, FillAxisVariableCombo),
    MakeCombo(2, IDC_GRAPH_SELECT_Y, &G.selectY, FillAxisVariableCombo),
    MakeDouble(2, IDC_GRAPH_STEP_X, &G.stepX),
    MakeDouble(2, IDC_GRAPH_STEP_Y, &G.stepY),
    MakeDouble(2, IDC_GRAPH_ANGULAR_STEP, &G.angularStep),
    MakeDouble(2, IDC_GRAPH_ZOOM, &G.zoomFactor),
    MakeInt(2, IDC_GRAPH_FRACTAL_ORDER, &G.fractalOrder),
    MakeCheck(3, IDC_PLOTTER_ON, &G.plotterOutput),
    MakeCheck(3, IDC_PLOTTER_FRAME, &G.plotter.frame),
    MakeInt(3, IDC_PLOTTER_PEN, &G.plotter.pen),
    MakeInt(3, IDC_PLOTTER_WIDTH, &G.plotter.width),
    MakeInt(3, IDC_PLOTTER_SPEED, &G.plotter.speed),
    MakeInt(3, IDC_PLOTTER_LINE_TYPE, &G.plotter.lineType),
    MakeDeviceText(3, IDC_PLOTTER_DEVICE),
    MakeDriverCombo(3, IDC_PLOTTER_DRIVER),
    MakeEnd(1),
};
const DialogPage kGraphFormatPages[] = {{IDC_PAGE_FIRST, 25001, 25037, 2041}, {IDC_GRAPH_FORMAT_PAGE, 25101, 25126, 2043},
                                        {IDC_GRAPH_CURSOR_PAGE, 25201, 25216, 2044}, {IDC_GRAPH_PLOTTER_PAGE, 25701, 25715, 2063}};

const DialogItem kTextFormatTable[] = {
    MakeString(0, IDC_TEXT_TITLE, &T.title, nullptr, ApplyWindowTitle),
    MakeRows(0, kItemExpressionRows, IDC_TEXT_EXPRESSION_ROWS),
    {0, kItemCompanion, IDC_TEXT_FORMAT, nullptr, 0, nullptr, nullptr},
    MakeString(0, IDC_TEXT_SEPARATOR, &T.separator),
    MakeUnsigned(0, IDC_TEXT_FREQUENCY, &T.frequency),
    MakeCheck(0, IDC_TEXT_CAPTURE, &T.capture),
    MakeCheck(0, IDC_TEXT_POINCARE, &T.poincare),
    MakeString(0, IDC_TEXT_CONDITION, &T.condition),
    MakeDouble(0, IDC_TEXT_ERROR, &T.crossingError),
    MakeCheck(0, IDC_TEXT_INCREASING, &T.increasing),
    MakeCheck(0, IDC_TEXT_DECREASING, &T.decreasing),
    MakeCheck(0, IDC_TEXT_AVERAGE, &T.average),
    MakeUnsigned(0, IDC_TEXT_HISTOGRAM, &T.histogram),
    // "Lines" is unsigned in the record: a negative count is refused here.
    MakeUnsigned(0, IDC_TEXT_LINES, &T.lines),
    MakeString(0, IDC_TEXT_OUTPUT_FILE, &T.outputFile),
    MakeEnd(1),
};

const DialogItem kPreferencesTable[] = {
    MakeCheck(0, IDC_PREF_CHANGE_CURSOR, &gChangeCursor),
    MakeRadio(0, IDC_PREF_SMALL, &S[0], BeginButtonSizeEdit),
    MakeRadio(0, IDC_PREF_MEDIUM, &S[0]),
    MakeRadio(0, IDC_PREF_BIG, &S[0], nullptr, ApplyButtonSize),
    MakeRadio(0, IDC_PREF_HIDDEN, &S[1], BeginDisabledButtonsEdit),
    MakeRadio(0, IDC_PREF_NORMAL, &S[1]),
    MakeRadio(0, IDC_PREF_GRAYED, &S[1], nullptr, ApplyDisabledButtons),
    MakeRadio(0, IDC_PREF_HINTS_ALWAYS, &gShowHints),
    MakeRadio(0, IDC_PREF_HINTS_ENABLED, &gShowHints),
    MakeRadio(0, IDC_PREF_HINTS_NEVER, &gShowHints),
    MakeRadio(0, IDC_PREF_POPUP_ALWAYS, &gShowPopupHints),
    MakeRadio(0, IDC_PREF_POPUP_ENABLED, &gShowPopupHints),
    MakeRadio(0, IDC_PREF_POPUP_NEVER, &gShowPopupHints),
    MakeCheck(1, IDC_PREF_FIXED_FONT, &gFixedPoint),
    MakeCheck(1, IDC_PREF_ENTER_KEY, &gEnterKey),
    MakeCheck(1, IDC_PREF_BOLD_STATUS, &S[2], BeginBoldStatusEdit, ApplyBoldStatus),
    MakeCheck(1, IDC_PREF_BOLD_EDIT, &gBoldEditWindows),
    MakeCheck(1, IDC_PREF_BOLD_TEXT, &gBoldTextWindows),
    MakeInt(1, IDC_PREF_TIP, &gTip),
    MakeCheck(1, IDC_PREF_HIDE_BROWSERS, &gHideBrowsers),
    MakeInt(1, IDC_PREF_TRANSPARENCY, &gTransparency, BeginTransparencyEdit, ApplyTransparency),
    MakeCheck(2, IDC_PREF_PUT_BMP, &gPutBmp),
    MakeCheck(2, IDC_PREF_PUT_DIB, &gPutDib),
    MakeCheck(2, IDC_PREF_PUT_METAFILE, &gPutMetaFile),
    MakeCombo(2, IDC_PREF_ASPECT, &gAspectRatio, FillAspectCombo),
    MakeCombo(2, IDC_PREF_OUTPUT_BITMAP, &gOutputBitmap, FillBitmapModeCombo),
    MakeInt(2, IDC_PREF_OUTPUT_METAFILE, &gOutputMetafile),
    MakeCheck(2, IDC_PREF_AXES, &gAxes),
    MakeCheck(2, IDC_PREF_AXES_ELEMENT, &gAxesElement),
    MakeCheck(2, IDC_PREF_DRAW_WHILE_EDITING, &gDrawWhileEditing),
    MakeCharArray(3, IDC_PREF_IDENTIFIER, gIdentifier),
    MakeCharArray(3, IDC_PREF_EXTENSIONS, gVantorelExtensions),
    MakeCheck(3, IDC_PREF_SHOW_PATHS, &gShowExtensions),
    MakeInt(3, IDC_PREF_FILENAME_LENGTH, &gFilenameLength, nullptr, ApplyFilenameLength),
    MakeInt(3, IDC_PREF_POWER_DENOMINATOR, &gPowerDenominator),
    MakeCheck(3, IDC_PREF_DOUBLE_CLICK, &gDoubleClick),
    MakeCheck(3, IDC_PREF_CHECK_PREVIOUS, &gCheckPrevious),
    MakeCheck(3, IDC_PREF_SAVE_POSITION, &gSavePosition),
    MakeCheck(3, IDC_PREF_INFINITY_WARNING, &gInfinityWarning),
    MakeCheck(3, IDC_PREF_NO_MY_DOCS, &gNoMyDocs),
    MakeCheck(3, IDC_PREF_SCROLL_BARS, &gUseScrollBars),
    MakeCheck(3, IDC_PREF_MASK_87, &gMask87, nullptr, ApplyFpuMask),
    MakeCheck(3, IDC_PREF_IGNORE_AUTO_START, &gIgnoreAutoStart),
    MakeEnd(0),
};
const DialogPage kPreferencesPages[] = {{IDC_PAGE_FIRST, 27101, 27117, 2090}, {IDC_PREF_BOXES_PAGE, 27201, 27218, 2092},
                                        {IDC_PREF_GRAPHICS_PAGE, 27301, 27314, 2094}, {IDC_PREF_OTHER_PAGE, 27401, 27418, 2096}};

const DialogItem kPasteModeTable[] = {
    MakeRadio(0, IDC_MODE_DDB, &gPasteFormat, InitCopyFormatChoice),
    MakeRadio(0, IDC_MODE_DIB, &gPasteFormat),
    MakeRadio(0, IDC_MODE_METAFILE, &gPasteFormat),
    MakeRadio(0, IDC_MODE_COPY, &gPasteRasterOp),
    MakeRadio(0, IDC_MODE_OR, &gPasteRasterOp),
    MakeRadio(0, IDC_MODE_AND, &gPasteRasterOp),
    MakeRadio(0, IDC_MODE_NOT, &gPasteRasterOp),
    MakeRadio(0, IDC_MODE_XOR, &gPasteRasterOp),
    MakeRadio(0, IDC_MODE_MERGE, &gPasteRasterOp),
    MakeRadio(0, IDC_MODE_ERASE, &gPasteRasterOp),
    MakeRadio(0, IDC_MODE_FIGURE, &gPasteResize),
    MakeRadio(0, IDC_MODE_WINDOW, &gPasteResize),
    MakeRadio(0, IDC_MODE_NONE, &gPasteResize),
    MakeRadio(0, IDC_MODE_PRIORITY_NONE, &gPastePriority),
    MakeRadio(0, IDC_MODE_BLACK, &gPastePriority),
    MakeRadio(0, IDC_MODE_WHITE, &gPastePriority),
    MakeEnd(0),
};

const DialogItem kNewElementTable[] = {
    MakeCombo(0, IDC_NEW_ELEMENT_KIND, &gNewElementKind, FillElementKindCombo),
    MakeEnd(1),
};

// Dialog 820: the link settings of section "MathLink" and the problem's own
// initialization text.
namespace {
MathLinkSettings &M = gMathLinkSettings;
}
const DialogItem kMathematicaTable[] = {
    MakeCheck(0, IDC_ML_ON, &gMathLinkOn),
    MakeRadio(0, IDC_ML_LOCAL, &M.configuration),
    MakeRadio(0, IDC_ML_TCP, &M.configuration),
    MakeRadio(0, IDC_ML_CUSTOM, &M.configuration),
    MakeString(0, IDC_ML_INIT, &gMathematicaInit),
    MakeCharArray(1, IDC_ML_DLL0, M.library[kMathLinkLocal]),
    MakeCharArray(1, IDC_ML_MLL0, M.protocolModule[kMathLinkLocal]),
    MakeCharArray(1, IDC_ML_PRE0, M.before[kMathLinkLocal]),
    MakeCharArray(1, IDC_ML_EXE0, M.kernel),
    MakeCharArray(1, IDC_ML_PST0, M.after[kMathLinkLocal]),
    MakeCharArray(1, IDC_ML_INI0, M.initialization[kMathLinkLocal]),
    MakeCharArray(2, IDC_ML_DLL1, M.library[kMathLinkTcp]),
    MakeCharArray(2, IDC_ML_MLL1, M.protocolModule[kMathLinkTcp]),
    MakeRadio(2, IDC_ML_LISTEN, &M.mode),
    MakeRadio(2, IDC_ML_CONNECT, &M.mode),
    MakeRadio(2, IDC_ML_LAUNCH, &M.mode),
    MakeCharArray(2, IDC_ML_NAME, M.linkName),
    MakeCharArray(2, IDC_ML_HOST, M.linkHost),
    MakeCharArray(2, IDC_ML_PRE1, M.before[kMathLinkTcp]),
    MakeCharArray(2, IDC_ML_PST1, M.after[kMathLinkTcp]),
    MakeCharArray(2, IDC_ML_INI1, M.initialization[kMathLinkTcp]),
    MakeCharArray(3, IDC_ML_DLL2, M.library[kMathLinkCustom]),
    MakeCharArray(3, IDC_ML_MLL2, M.protocolModule[kMathLinkCustom]),
    MakeCharArray(3, IDC_ML_ARGS, M.arguments),
    MakeCharArray(3, IDC_ML_PRE2, M.before[kMathLinkCustom]),
    MakeCharArray(3, IDC_ML_PST2, M.after[kMathLinkCustom]),
    MakeCharArray(3, IDC_ML_INI2, M.initialization[kMathLinkCustom]),
    MakeEnd(1),
};
const DialogPage kMathematicaPages[] = {{IDC_PAGE_FIRST, 29521, 29528, 2650}, {IDC_ML_LOCAL_PAGE, 29531, 29542, 2651},
                                        {IDC_ML_TCP_PAGE, 29551, 29568, 2652}, {IDC_ML_CUSTOM_PAGE, 29571, 29582, 2653}};

bool FindSettingsDialog(int command, SettingsDialogChoice *out) {
    const bool map = gProblemKind == kMap;
    switch (command) {
    case IDM_TYPE: *out = {kProblemTypeTable, kDialogProblemType, kProblemTypePages, 2, 0, 0, kForProblem}; return true;
    case IDM_VARIABLES:
    case IDM_VARIABLES_KEY:
    case IDM_PARAMETERS:
    case IDM_EQUATIONS:
    case IDM_INITIAL_CONDITIONS:
    case IDM_BOUNDARY_CONDITIONS: {
        const int page = command <= IDM_VARIABLES_KEY ? 0 : command - IDM_VARIABLES_KEY;
        *out = {kDefinitionsTable, kDialogDefinitions, kDefinitionsPages, 5, page, 0, kForProblem};
        return true;
    }
    case IDM_RANGE:
    case IDM_RANGE_KEY:
        if (map) *out = {kIterationRangeTable, kDialogIterationRange, nullptr, 0, 0, 2022, kForProblem};
        else *out = {kMethodTable, kDialogMethod, kMethodPages, 2, 0, 0, kForProblem};
        return true;
    case IDM_METHOD:
        if (map) return false;
        *out = {kMethodTable, kDialogMethod, kMethodPages, 2, 1, 0, kForProblem};
        return true;
    case IDM_STATUS_LINE: *out = {kStatusLineTable, kDialogStatusLine, nullptr, 0, 0, 2031, kForProblem}; return true;
    case IDM_NEW_GRAPH:
    case IDM_GRAPHICS_FORMAT:
    case IDM_PLOTTER_SETTINGS:
        *out = {kGraphFormatTable, map ? kDialogMapGraphFormat : kDialogGraphFormat, kGraphFormatPages, 4,
                command == IDM_PLOTTER_SETTINGS ? 3 : 0, 0, kForGraph};
        return true;
    case IDM_NEW_TEXT:
    case IDM_TEXT_FORMAT:
        *out = {kTextFormatTable, map ? kDialogMapTextFormat : kDialogTextFormat, nullptr, 0, 0,
                map ? 2072 : 2071, kForText};
        return true;
    case IDM_PREFERENCES: *out = {kPreferencesTable, kDialogPreferences, kPreferencesPages, 4, 0, 0, kForProblem}; return true;
    case IDM_MATHEMATICA: *out = {kMathematicaTable, kDialogMathematica, kMathematicaPages, 4, 0, 0, kForProblem}; return true;
    }
    return false;
}

void ShowSolverParameterPage(DialogSession &s, int entry) {
    DialogControls &c = *s.controls;
    DialogItem *item = FindItem(s, IDC_METHOD_PARAM_ROWS);
    if (!item) return;
    const int index = static_cast<int>(item - &s.items[0]);
    RowListCopy rows;
    bool shown = false;
    const std::string key = entry > 0 ? c.ComboString(IDC_METHOD_LIBRARY, entry) : std::string();
    if (entry > 0 && entry == gCodeLibraryIndex) {
        for (int i = 0; const char *name = HostLibraryParamName(i); ++i) {
            const double *v = HostLibraryParamValue(i);
            rows.first.push_back(name);
            rows.values.push_back(v ? *v : 0);
        }
        shown = true;
    } else if (entry > 0) {
        shown = ShellPeekCodeLibraryParameters(key, &rows.first, &rows.values);
        if (!shown) {
            c.SetComboSelection(IDC_METHOD_LIBRARY, 0);
            entry = 0;
        }
    }
    // A library without parameters shows an empty, disabled page.
    shown = shown && !rows.values.empty();
    s.rows[index] = rows;
    for (int id = IDC_METHOD_PARAMS_TITLE; id <= IDC_METHOD_PARAM_ROWS; ++id) c.Enable(id, shown);
    if (shown) {
        const int count = static_cast<int>(rows.values.size());
        c.SetRowRange(IDC_METHOD_PARAM_ROWS_SPIN, 0, count - 1, 0);
        c.Enable(IDC_METHOD_PARAM_ROWS_SPIN, count > 1);
        RefreshRowList(s, index, true);
    } else {
        for (int id = IDC_METHOD_PARAM_ROWS_LABEL; id <= IDC_METHOD_PARAM_ROWS; ++id) c.SetText(id, "");
    }
    c.Enable(IDC_METHOD_LIBRARY_HELP,
             entry > 0 && !ShellSectionValue(IDS_SECTION_CODE_HELP, key).empty());
}

bool SettingsDialogCommand(DialogSession &s, int control, int notification) {
    if ((control == IDC_DEF_VARIABLES_NAME || control == IDC_DEF_INITIAL_NAME || control == IDC_DEF_TIME_NAME || control == IDC_DEF_INITIAL_TIME_NAME) &&
        notification == kNotifyEditUpdate) {
        for (auto &entry : s.rows) RefreshRowList(s, entry.first, false);
        return true;
    }
    if (control >= IDC_MODE_DDB && control <= IDC_MODE_METAFILE && notification == kNotifyClicked) {
        EnablePasteGroups(s, control - IDC_MODE_DDB);
        return true;
    }
    if (control == IDC_METHOD_LIBRARY && notification == kNotifySelectionChange) {
        ShowSolverParameterPage(s, s.controls->ComboSelection(IDC_METHOD_LIBRARY));
        return true;
    }
    return false;
}
