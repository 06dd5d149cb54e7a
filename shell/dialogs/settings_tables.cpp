// Description tables of the settings dialogs and the hooks they name.
#include "settings_tables.h"

#include <cstdio>

#include "display_list.h"
#include "graph_state.h"
#include "messages.h"
#include "platform.h"
#include "problem_settings.h"
#include "problem_windows.h"
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
    if ((kind != gProblemKind || dimension != gDimension) && gDialogShell->QuerySaveProblem()) {
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
    PlatformSetCommandState(kCmdMethod, gProblemKind != kMap);
    PlatformSetCommandState(kCmdBackward, gProblemKind != kMap);
}

// ---- Dialog 130

void InitDefinitionsNames(DialogSession &s, DialogItem &) {
    static const int kIds[kFixedColumnCount] = {22008, 22004, 22009, 22005, 22109, 22112, 22115};
    const bool ready = gColumnTable && gColumnCount == 2 * static_cast<int>(gDimension) + 9;
    for (int k = 0; k < kFixedColumnCount; ++k)
        if (DialogItem *item = FindItem(s, kIds[k])) item->target = ready ? &gColumnTable[k].name : nullptr;
    const bool map = gProblemKind == kMap;
    s.controls->SetText(22002, LoadTextResource(map ? IDS_MAP_INDEX : IDS_INDEPENDENT_VARIABLE));
    s.controls->SetText(22108, LoadTextResource(map ? IDS_BIFURCATION_PARAMETER : IDS_LAST_POINCARE_TIME));
}

void InitDelayItem(DialogSession &s, DialogItem &item) {
    const bool map = gProblemKind == kMap;
    s.controls->SetText(22207, LoadTextResource(map ? IDS_POWER_LABEL : IDS_DELAY_LABEL));
    if (map) {
        item.type = kItemUnsigned;
        item.target = &gMapPower;
        item.targetSize = 0;
        for (int id : {22208, 22209}) {
            s.controls->Show(id, false);
            s.keptHidden.push_back(id);
        }
        s.controls->Enable(22209, false);
    } else {
        item.type = kItemDouble;
        item.target = &gDelay;
    }
}

// ---- Dialogs 140 and 150

void FillCodeLibraryCombo(DialogSession &s, DialogItem &item) {
    S[0] = gCodeLibraryIndex;
    s.controls->ClearCombo(item.control);
    s.controls->AddComboString(item.control, LoadTextResource(IDS_BUILTIN_METHOD));
    for (const std::string &key : gDialogShell->SectionKeys(IDS_SECTION_CODE_LIBRARIES))
        s.controls->AddComboString(item.control, key);
}

void ApplyCodeLibraryChoice(DialogSession &s, DialogItem &item) {
    if (S[0] != gCodeLibraryIndex)
        gDialogShell->SelectCodeLibrary(S[0], s.controls->ComboString(item.control, S[0]));
}

void FillPriorityCombo(DialogSession &s, DialogItem &item) {
    FillCombo(s, item.control, IDS_PRIORITY_IDLE, IDS_PRIORITY_TIME_CRITICAL);
}

uint32_t gOldRetardedPoints;
void BeginSavedPointsEdit(DialogSession &, DialogItem &) { gOldRetardedPoints = gRetardedPoints; }
void ApplySavedPoints(DialogSession &, DialogItem &) {
    if (gRetardedPoints != gOldRetardedPoints) ResetSolverMethod(0);
}

void ApplyBackwardFlag(DialogSession &, DialogItem &) {
    gDialogShell->SetBackwardButton(gBackward != 0, gProblemKind != kMap);
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
    if (S[1] != G.bitmapMode) gDialogShell->SetBackingBitmapMode(S[1]);
}

int32_t gOldLinkedIndex;
void FillLinkedWindowCombo(DialogSession &s, DialogItem &item) {
    s.controls->ClearCombo(item.control);
    s.controls->AddComboString(item.control, LoadTextResource(IDS_THIS_WINDOW));
    for (const std::string &title : gDialogShell->OtherGraphTitles()) s.controls->AddComboString(item.control, title);
    S[2] = gOldLinkedIndex = gDialogShell->LinkedGraphIndex();
}

void ApplyLinkedWindow(DialogSession &, DialogItem &) {
    if (S[2] != gOldLinkedIndex) gDialogShell->LinkGraph(S[2]);
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
    if (title) gDialogShell->SetActiveChildTitle(title);
}

// ---- Dialog 400

void BeginButtonSizeEdit(DialogSession &, DialogItem &) { S[0] = gBigButtons; }
void ApplyButtonSize(DialogSession &, DialogItem &) {
    if (S[0] == gBigButtons) return;
    gBigButtons = S[0];
    gDialogShell->RebuildToolbars();
}
void BeginDisabledButtonsEdit(DialogSession &, DialogItem &) { S[1] = gDisabledButtons; }
void ApplyDisabledButtons(DialogSession &, DialogItem &) { gDisabledButtons = S[1]; }
void BeginBoldStatusEdit(DialogSession &, DialogItem &) { S[2] = gBoldStatusLine; }
void ApplyBoldStatus(DialogSession &, DialogItem &) {
    if (S[2] == gBoldStatusLine) return;
    gBoldStatusLine = S[2];
    gDialogShell->SetStatusFont();
}
int gOldTransparency;
void BeginTransparencyEdit(DialogSession &, DialogItem &) { gOldTransparency = gTransparency; }
void ApplyTransparency(DialogSession &, DialogItem &) {
    if (gTransparency < 0) gTransparency = 0;
    if (gTransparency > 100) gTransparency = 100;
    if (gTransparency != gOldTransparency) gDialogShell->ApplyTransparency();
}
void ApplyFilenameLength(DialogSession &, DialogItem &) { gDialogShell->BuildRecentFilesMenu(); }
void ApplyFpuMask(DialogSession &, DialogItem &) { gDialogShell->ApplyFpuControl(); }

// ---- Dialog 500

void EnablePasteGroups(DialogSession &s, int format) {
    const bool bitmap = format == 0 || format == 1;
    for (int id = 29104; id <= 29111; ++id) s.controls->Enable(id, bitmap);
    for (int id = 29115; id <= 29118; ++id) s.controls->Enable(id, bitmap);
}

void InitCopyFormatChoice(DialogSession &s, DialogItem &) {
    const int formats = gDialogShell->AvailablePictureFormats();
    gPasteFormat = (formats & 1) ? 0 : (formats & 2) ? 1 : 2;
    for (int k = 0; k < 3; ++k) s.controls->Enable(29101 + k, (formats >> k) & 1);
    EnablePasteGroups(s, gPasteFormat);
}

// ---- Dialog 830

void FillElementKindCombo(DialogSession &s, DialogItem &item) {
    s.controls->ClearCombo(item.control);
    for (const char *name : kElementKindNames) s.controls->AddComboString(item.control, name);
}

}  // namespace

// ---- Tables

const DialogItem kProblemTypeTable[] = {
    MakeRadio(0, 21002, &S[0], BeginProblemTypeEdit),
    MakeRadio(0, 21003, &S[0]),
    MakeRadio(0, 21004, &S[0]),
    MakeUnsigned(0, 21006, &S[1]),
    MakeUnsigned(1, 21103, &S[2]),
    MakeUnsigned(1, 21105, &S[3]),
    MakeDouble(1, 21108, &gHeavisideZero, nullptr, ApplyProblemType),
    MakeEnd(1),
};
const DialogPage kProblemTypePages[] = {{20099, 21001, 21006, 2000}, {21100, 21101, 21109, 2001}};

const DialogItem kDefinitionsTable[] = {
    MakeString(0, 22008, nullptr, InitDefinitionsNames),
    MakeString(0, 22004, nullptr),
    MakeString(0, 22009, nullptr),
    MakeString(0, 22005, nullptr),
    MakeString(1, 22109, nullptr),
    MakeRows(0, kItemNameRows, 22013),
    MakeRows(0, kItemNameRows, 22016),
    MakeRows(1, kItemParameterRows, 22104),
    MakeRows(2, kItemEquationRows, 22204),
    MakeDouble(2, 22206, &gDelay, InitDelayItem),
    MakeString(2, 22209, &gDiscontinuities),
    MakeDouble(3, 22303, &gInitialTime),
    MakeRows(3, kItemInitialValueRows, 22306),
    MakeRows(3, kItemInitialFunctionRows, 22309),
    MakeInt(1, 22111, &gPhaseXMin),
    MakeString(1, 22112, nullptr),
    MakeInt(1, 22113, &gPhaseXMax),
    MakeInt(1, 22114, &gPhaseYMin),
    MakeString(1, 22115, nullptr),
    MakeInt(1, 22116, &gPhaseYMax),
    MakeDouble(4, 22401, &gBoundaryPoint),
    MakeInt(4, 22402, &gShootingIterations),
    MakeDouble(4, 22403, &gShootingError),
    MakeRows(4, kItemBoundaryRows, 22406),
    MakeEnd(1),
};
const DialogPage kDefinitionsPages[] = {{20099, 22001, 22017, 2011}, {22100, 22101, 22122, 2012},
                                        {22200, 22201, 22210, 2013}, {22300, 22301, 22310, 2014},
                                        {22400, 22401, 22411, 2015}};

const DialogItem kMethodTable[] = {
    MakeDouble(0, 23001, &gFirstValue),
    MakeDouble(0, 23002, &gLastValue),
    MakeDouble(0, 23003, &gInfinityLimit),
    MakeCheck(0, 23004, &gInterpolate),
    MakeDouble(0, 23007, &gOutputStep),
    MakeCheck(0, 23009, &gBackward, nullptr, ApplyBackwardFlag),
    MakeInt(0, 23010, &gPauseSetting),
    MakeUnsigned(0, 23011, &gRetardedPoints, BeginSavedPointsEdit, ApplySavedPoints),
    MakeCombo(1, 23101, &S[0], FillCodeLibraryCombo, ApplyCodeLibraryChoice),
    MakeDouble(1, 23102, &gTolerance),
    MakeDouble(1, 23103, &gInitialStep),
    MakeDouble(1, 23104, &gMaxStep),
    MakeRows(1, kItemSolverParamRows, 23108),
    MakeDouble(0, 23012, &gRealTime),
    MakeCheck(0, 23020, &gAutoStart),
    MakeCombo(0, 23022, &gRunPriority, FillPriorityCombo),
    MakeInt(0, 23024, &gPreferredProcessor),
    MakeEnd(1),
};
const DialogPage kMethodPages[] = {{20099, 23001, 23024, 2021}, {23100, 23101, 23114, 2023}};

const DialogItem kIterationRangeTable[] = {
    MakeDouble(0, 23001, &gFirstValue),
    MakeDouble(0, 23002, &gLastValue),
    MakeDouble(0, 23003, &gInfinityLimit),
    MakeCheck(0, 23005, &gBifurcationDiagram),
    MakeDouble(0, 23006, &gScanBegin),
    MakeDouble(0, 23007, &gOutputStep),
    MakeDouble(0, 23008, &gScanEnd),
    MakeInt(0, 23010, &gPauseSetting),
    MakeUnsigned(0, 23011, &gRetardedPoints, BeginSavedPointsEdit, ApplySavedPoints),
    MakeDouble(0, 23012, &gRealTime),
    MakeCheck(0, 23020, &gAutoStart),
    MakeCombo(0, 23022, &gRunPriority, FillPriorityCombo),
    MakeInt(0, 23024, &gPreferredProcessor),
    MakeEnd(1),
};

const DialogItem kStatusLineTable[] = {
    MakeString(0, 24000, &gStatusFirstExpression),
    MakeString(0, 24001, &gStatusSecondExpression),
    MakeString(0, 24002, &gStatusFormat),
    MakeUnsigned(0, 24003, &gStatusFrequency),
    MakeEnd(1),
};

const DialogItem kGraphFormatTable[] = {
    MakeString(0, 25001, &G.title, nullptr, ApplyWindowTitle),
    MakeDouble(0, 25003, &G.xMin),
    MakeString(0, 25004, &G.axisText[0]),
    MakeDouble(0, 25005, &G.xMax),
    MakeDouble(0, 25006, &G.yMin),
    MakeString(0, 25007, &G.axisText[1]),
    MakeDouble(0, 25008, &G.yMax),
    MakeCheck(1, 25102, &G.continuousLine),
    MakeUnsigned(1, 25103, &G.frequency),
    MakeString(1, 25107, &G.axesLocation),
    MakeCombo(1, 25108, &G.aspectMode, FillAspectCombo),
    MakeCheck(0, 25009, &G.poincareSection),
    MakeString(0, 25010, &G.conditionText),
    MakeDouble(0, 25011, &G.crossingError),
    MakeCheck(0, 25012, &G.increasing),
    MakeCheck(0, 25013, &G.decreasing),
    MakeCheck(0, 25014, &G.average),
    MakeUnsigned(0, 25015, &G.directPower),
    MakeUnsigned(0, 25016, &G.inversePower),
    MakeUnsigned(0, 25017, &G.histogramPeriod),
    MakeCombo(0, 25002, &S[2], FillLinkedWindowCombo, ApplyLinkedWindow),
    MakeCombo(1, 25109, &S[1], BeginBitmapModeEdit, ApplyBitmapMode),
    MakeCheck(1, 25104, &G.directionField),
    MakeUnsigned(1, 25105, &G.cellLength),
    MakeUnsigned(1, 25106, &G.markLength),
    MakeInt(1, 25110, &S[0], BeginCaptureEdit, ApplyCapture),
    MakeUnsigned(1, 25125, &G.fixedWidth),
    MakeUnsigned(1, 25126, &G.fixedHeight),
    MakeCombo(2, 25202, &G.selectX, FillAxisVariableCombo),
    MakeCombo(2, 25204, &G.selectY, FillAxisVariableCombo),
    MakeDouble(2, 25206, &G.stepX),
    MakeDouble(2, 25208, &G.stepY),
    MakeDouble(2, 25209, &G.angularStep),
    MakeDouble(2, 25210, &G.zoomFactor),
    MakeInt(2, 25211, &G.fractalOrder),
    MakeCheck(3, 25701, &G.plotterOutput),
    MakeCheck(3, 25702, &G.plotter.frame),
    MakeInt(3, 25703, &G.plotter.pen),
    MakeInt(3, 25704, &G.plotter.width),
    MakeInt(3, 25705, &G.plotter.speed),
    MakeInt(3, 25706, &G.plotter.lineType),
    MakeDeviceText(3, 25708),
    MakeDriverCombo(3, 25710),
    MakeEnd(1),
};
const DialogPage kGraphFormatPages[] = {{20099, 25001, 25037, 2041}, {25100, 25101, 25126, 2043},
                                        {25200, 25201, 25216, 2044}, {25700, 25701, 25715, 2063}};

const DialogItem kTextFormatTable[] = {
    MakeString(0, 26001, &T.title, nullptr, ApplyWindowTitle),
    MakeRows(0, kItemExpressionRows, 26004),
    {0, kItemCompanion, 26005, nullptr, 0, nullptr, nullptr},
    MakeString(0, 26006, &T.separator),
    MakeUnsigned(0, 26007, &T.frequency),
    MakeCheck(0, 26008, &T.capture),
    MakeCheck(0, 26012, &T.poincare),
    MakeString(0, 26013, &T.condition),
    MakeDouble(0, 26016, &T.crossingError),
    MakeCheck(0, 26017, &T.increasing),
    MakeCheck(0, 26018, &T.decreasing),
    MakeCheck(0, 26014, &T.average),
    MakeUnsigned(0, 26015, &T.histogram),
    // "Lines" is unsigned in the record: a negative count is refused here.
    MakeUnsigned(0, 26009, &T.lines),
    MakeString(0, 26019, &T.outputFile),
    MakeEnd(1),
};

const DialogItem kPreferencesTable[] = {
    MakeCheck(0, 27101, &gChangeCursor),
    MakeRadio(0, 27102, &S[0], BeginButtonSizeEdit),
    MakeRadio(0, 27103, &S[0]),
    MakeRadio(0, 27104, &S[0], nullptr, ApplyButtonSize),
    MakeRadio(0, 27105, &S[1], BeginDisabledButtonsEdit),
    MakeRadio(0, 27106, &S[1]),
    MakeRadio(0, 27107, &S[1], nullptr, ApplyDisabledButtons),
    MakeRadio(0, 27108, &gShowHints),
    MakeRadio(0, 27109, &gShowHints),
    MakeRadio(0, 27110, &gShowHints),
    MakeRadio(0, 27111, &gShowPopupHints),
    MakeRadio(0, 27112, &gShowPopupHints),
    MakeRadio(0, 27113, &gShowPopupHints),
    MakeCheck(1, 27202, &gFixedPoint),
    MakeCheck(1, 27203, &gEnterKey),
    MakeCheck(1, 27204, &S[2], BeginBoldStatusEdit, ApplyBoldStatus),
    MakeCheck(1, 27206, &gBoldEditWindows),
    MakeCheck(1, 27205, &gBoldTextWindows),
    MakeInt(1, 27213, &gTip),
    MakeCheck(1, 27214, &gHideBrowsers),
    MakeInt(1, 27218, &gTransparency, BeginTransparencyEdit, ApplyTransparency),
    MakeCheck(2, 27301, &gPutBmp),
    MakeCheck(2, 27302, &gPutDib),
    MakeCheck(2, 27303, &gPutMetaFile),
    MakeCombo(2, 27304, &gAspectRatio, FillAspectCombo),
    MakeCombo(2, 27305, &gOutputBitmap, FillBitmapModeCombo),
    MakeInt(2, 27306, &gOutputMetafile),
    MakeCheck(2, 27307, &gAxes),
    MakeCheck(2, 27308, &gAxesElement),
    MakeCheck(2, 27309, &gDrawWhileEditing),
    MakeCharArray(3, 27401, gIdentifier),
    MakeCharArray(3, 27402, gVantorelExtensions),
    MakeCheck(3, 27407, &gShowExtensions),
    MakeInt(3, 27403, &gFilenameLength, nullptr, ApplyFilenameLength),
    MakeInt(3, 27418, &gPowerDenominator),
    MakeCheck(3, 27404, &gDoubleClick),
    MakeCheck(3, 27405, &gCheckPrevious),
    MakeCheck(3, 27406, &gSavePosition),
    MakeCheck(3, 27408, &gInfinityWarning),
    MakeCheck(3, 27409, &gNoMyDocs),
    MakeCheck(3, 27410, &gUseScrollBars),
    MakeCheck(3, 27411, &gMask87, nullptr, ApplyFpuMask),
    MakeCheck(3, 27415, &gIgnoreAutoStart),
    MakeEnd(0),
};
const DialogPage kPreferencesPages[] = {{20099, 27101, 27117, 2090}, {27200, 27201, 27218, 2092},
                                        {27300, 27301, 27314, 2094}, {27400, 27401, 27418, 2096}};

const DialogItem kPasteModeTable[] = {
    MakeRadio(0, 29101, &gPasteFormat, InitCopyFormatChoice),
    MakeRadio(0, 29102, &gPasteFormat),
    MakeRadio(0, 29103, &gPasteFormat),
    MakeRadio(0, 29106, &gPasteRasterOp),
    MakeRadio(0, 29105, &gPasteRasterOp),
    MakeRadio(0, 29107, &gPasteRasterOp),
    MakeRadio(0, 29108, &gPasteRasterOp),
    MakeRadio(0, 29109, &gPasteRasterOp),
    MakeRadio(0, 29110, &gPasteRasterOp),
    MakeRadio(0, 29111, &gPasteRasterOp),
    MakeRadio(0, 29112, &gPasteResize),
    MakeRadio(0, 29113, &gPasteResize),
    MakeRadio(0, 29114, &gPasteResize),
    MakeRadio(0, 29116, &gPastePriority),
    MakeRadio(0, 29117, &gPastePriority),
    MakeRadio(0, 29118, &gPastePriority),
    MakeEnd(0),
};

const DialogItem kNewElementTable[] = {
    MakeCombo(0, 28901, &gNewElementKind, FillElementKindCombo),
    MakeEnd(1),
};

bool FindSettingsDialog(int command, SettingsDialogChoice *out) {
    const bool map = gProblemKind == kMap;
    switch (command) {
    case 201: *out = {kProblemTypeTable, kDialogProblemType, kProblemTypePages, 2, 0, 0, kForProblem}; return true;
    case 202:
    case 203:
    case 204:
    case 205:
    case 206:
    case 207: {
        const int page = command <= 203 ? 0 : command - 203;
        *out = {kDefinitionsTable, kDialogDefinitions, kDefinitionsPages, 5, page, 0, kForProblem};
        return true;
    }
    case 208:
    case 209:
        if (map) *out = {kIterationRangeTable, kDialogIterationRange, nullptr, 0, 0, 2022, kForProblem};
        else *out = {kMethodTable, kDialogMethod, kMethodPages, 2, 0, 0, kForProblem};
        return true;
    case 210:
        if (map) return false;
        *out = {kMethodTable, kDialogMethod, kMethodPages, 2, 1, 0, kForProblem};
        return true;
    case 312: *out = {kStatusLineTable, kDialogStatusLine, nullptr, 0, 0, 2031, kForProblem}; return true;
    case 301:
    case 302:
    case 307:
        *out = {kGraphFormatTable, map ? kDialogMapGraphFormat : kDialogGraphFormat, kGraphFormatPages, 4,
                command == 307 ? 3 : 0, 0, kForGraph};
        return true;
    case 305:
    case 306:
        *out = {kTextFormatTable, map ? kDialogMapTextFormat : kDialogTextFormat, nullptr, 0, 0,
                map ? 2072 : 2071, kForText};
        return true;
    case 701: *out = {kPreferencesTable, kDialogPreferences, kPreferencesPages, 4, 0, 0, kForProblem}; return true;
    }
    return false;
}

bool SettingsDialogCommand(DialogSession &s, int control, int notification) {
    if ((control == 22008 || control == 22009 || control == 22004 || control == 22005) &&
        notification == kNotifyEditUpdate) {
        for (auto &entry : s.rows) RefreshRowList(s, entry.first, false);
        return true;
    }
    if (control >= 29101 && control <= 29103 && notification == kNotifyClicked) {
        EnablePasteGroups(s, control - 29101);
        return true;
    }
    if (control == 23101 && notification == kNotifySelectionChange) {
        // The parameters shown belong to the library in use; another choice
        // shows none until it is applied.
        const int chosen = s.controls->ComboSelection(23101);
        const bool current = chosen == gCodeLibraryIndex && chosen != 0;
        for (int id = 23105; id <= 23108; ++id) s.controls->Enable(id, current);
        if (!current)
            for (int id = 23106; id <= 23108; ++id) s.controls->SetText(id, "");
        else if (DialogItem *item = FindItem(s, 23108)) RefreshRowList(s, static_cast<int>(item - &s.items[0]), true);
        const std::string key = s.controls->ComboString(23101, chosen);
        s.controls->Enable(23109, chosen > 0 &&
                                      !gDialogShell->SectionValue(IDS_SECTION_CODE_HELP, key).empty());
        return true;
    }
    return false;
}
