#include "compile_problem.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "builtin_tables.h"
#include "fused_equations.h"
#include "memory.h"
#include "messages.h"
#include "platform.h"
#include "settings.h"
#include "string_ids.h"

CompileDialogState gCompileState;
int gCalculatorQuietMode;
CompileHooks gCompileHooks;

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

// Stands in for a null name while the problem compiles; writable, so that
// hiding it (below) is harmless.
char gEmptyName[1];

bool HasText(const char *text) { return text && *text; }
const char *NameOf(const ColumnEntry &e) { return e.name ? e.name : ""; }
int Dimension() { return static_cast<int>(gDimension); }

// A name is hidden for the time of a compile by cutting it at its first
// character, so every borrowed pointer to it (the delayed-value names, the
// collective name) goes quiet with it.
struct HiddenName {
    char *name;
    char first;
};

void HideName(HiddenName &h, char *name) {
    h.name = name;
    h.first = name ? *name : 0;
    if (name) *name = 0;
}

void RestoreName(const HiddenName &h) {
    if (h.name) *h.name = h.first;
}

// The tables the problem's compiles need are there and agree on n.
bool WorkspaceComplete() {
    const int n = Dimension();
    return gColumnTable && gColumnCount >= 2 * n + 9 && gPcodeBuffer && gVariables && gInitialValues &&
           gEquationTexts && gInitialFunctionTexts && gBoundaryTexts && gTextArrayCount >= n &&
           gEquationCode && gInitialFunctionCode && gBoundaryCode && gDelayedNames && gDelayedNameCount >= n;
}

// Names bound to their cells for a compile: null names become empty, the
// variable and initial-value names get their addresses, and the delayed-value
// table borrows the individual names (the collective one for x(k, t)).
// Unbinding drops the borrowed names, so a later rename cannot leave them
// dangling. Binding nests: a compile that runs inside the compile-error
// dialog of another (a repaint drawing graphics elements, the calculator)
// leaves the outer one's binding alone.
int gBindDepth;

void BindProblemNames() {
    if (gBindDepth++ > 0) return;
    const int n = Dimension();
    if (!gColumnTable || !gDelayedNames || gColumnCount < 2 * n + 9 || gDelayedNameCount < n) return;
    gNameTable = gColumnTable;
    for (int i = 0; i < gColumnCount; ++i)
        if (!gColumnTable[i].name) gColumnTable[i].name = gEmptyName;
    if (gVariables)
        for (int i = 0; i < n; ++i) gColumnTable[kFixedColumnCount + i].address = gVariables + i;
    if (gInitialValues)
        for (int i = 0; i < n + 2; ++i) gColumnTable[kFixedColumnCount + n + i].address = gInitialValues + i;
    for (int i = 0; i < n; ++i) gDelayedNames[i].name = gColumnTable[kFixedColumnCount + i].name;
    gCollectiveDelayedName.name = gColumnTable[kColumnVariables].name;
    gCollectiveDelayedCount = 1;
}

void UnbindProblemNames() {
    if (gBindDepth <= 0 || --gBindDepth > 0) return;
    for (int i = 0; gDelayedNames && i < gDelayedNameCount; ++i) gDelayedNames[i].name = nullptr;
    gCollectiveDelayedName.name = nullptr;
    gCollectiveDelayedCount = 0;
    for (int i = 0; gColumnTable && i < gColumnCount; ++i)
        if (gColumnTable[i].name == gEmptyName) gColumnTable[i].name = nullptr;
}

// Text of resource id formatted with n (when the text asks for it).
void FormatResource(char *out, int size, int id, int n) {
    char format[kMessageBufferSize];
    std::snprintf(format, sizeof format, "%s", LoadTextResource(id));
    std::snprintf(out, static_cast<size_t>(size), format, n);
}

// Kinds 0 and 1 are labelled by the names of the quantity being defined.
void BuildNameLabel(char *out, int size) {
    const CompileDialogState &s = gCompileState;
    const int n = Dimension();
    const int i = s.index;
    if (!gColumnTable || gColumnCount < 2 * n + 9 || i < 0 || i >= n) {
        *out = 0;
        return;
    }
    const bool initial = s.kind == kExprInitialFunction;
    const bool map = gProblemKind == kMap;
    const char *independent = NameOf(gColumnTable[kColumnTime]);
    const char *own = NameOf(gColumnTable[kFixedColumnCount + (initial ? n : 0) + i]);
    const char *x = NameOf(gColumnTable[kColumnVariables]);
    const char *x0 = NameOf(gColumnTable[kColumnInitial]);
    const size_t room = static_cast<size_t>(size);
    const int m = gColumnTable[kColumnVariables].low + i;
    if (*own) {
        if (initial) std::snprintf(out, room, "%s(%s) =", own, independent);
        else if (map) std::snprintf(out, room, "%s <-", own);
        else std::snprintf(out, room, "d%s/d%s =", own, independent);
    } else if (!initial && gProblemKind == kSingleOde) {
        std::snprintf(out, room, "%s[%d] =", x, i + 1);
    } else if (initial) {
        if (m) std::snprintf(out, room, "%s[%d](%s) =", x0, m, independent);
        else std::snprintf(out, room, "%s(%s) =", x0, independent);
    } else if (map) {
        if (m) std::snprintf(out, room, "%s[%d] <-", x, m);
        else std::snprintf(out, room, "%s <-", x);
    } else {
        if (m) std::snprintf(out, room, "d%s[%d]/d%s =", x, m, independent);
        else std::snprintf(out, room, "d%s/d%s =", x, independent);
    }
}

// Runs the dialog on the failing text of gCompileState. 1 when the user gave
// a corrected text (now in the slot), 0 when cancelled.
int AskForCorrection(bool calculator) {
    char label[kMessageBufferSize];
    char message[kMessageBufferSize];
    BuildCompileErrorLabel(label, sizeof label);
    const int messageId = kCompileErrorStringBase + gEvalError;
    std::snprintf(message, sizeof message, "%s", LoadTextResource(messageId));
    char **slot = gCompileState.textSlot;
    const char *text = *slot ? *slot : "";

    CompilerErrorRequest request = {};
    request.label = label;
    request.message = message;
    request.text = text;
    request.selectionStart = request.selectionEnd = -1;
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(text);
    const std::uintptr_t end = begin + std::strlen(text);
    const std::uintptr_t pos = reinterpret_cast<std::uintptr_t>(gCompileErrorPos);
    const std::uintptr_t cursor = reinterpret_cast<std::uintptr_t>(gCompileCursor);
    if (gCompileErrorPos && pos >= begin && pos <= end) {
        request.selectionStart = static_cast<int>(pos - begin);
        request.selectionEnd = cursor >= pos && cursor <= end ? static_cast<int>(cursor - begin)
                                                              : request.selectionStart;
    }
    gCompileErrorPos = nullptr;  // selected once
    request.helpId = messageId;
    const bool intoBuffer = calculator && gCalculatorQuietMode && *slot;
    request.maxLength = intoBuffer ? kCalculatorInputSize - 1 : 0;
    request.enterKeyBreaksLine = gEnterKey != 0;
    request.ownedByCalculator = calculator;

    if (PlatformCompilerErrorDialog(&request) != kIdOk || !request.corrected) {
        FreeAndNull(request.corrected);
        return 0;
    }
    if (intoBuffer) {
        std::snprintf(*slot, kCalculatorInputSize, "%s", request.corrected);
        FreeAndNull(request.corrected);
    } else {
        AdoptStringBuffer(*slot, request.corrected);
    }
    return 1;
}

// Compiles *slot at the free position of the shared buffer into *code, with
// corrections until it compiles; 0 when cancelled.
int CompileIntoSharedBuffer(char **slot, PcodeProgram **code, int kind, int index) {
    PcodeProgram *const bufferEnd = gPcodeBuffer ? gPcodeBuffer + gPcodeLength : nullptr;
    for (;;) {
        PcodeProgram *at = gCompileState.freePosition;
        if (!gPcodeBuffer || at < gPcodeBuffer || at > bufferEnd) return 0;
        *code = at;
        const int length = CompileExpression(*slot, at, static_cast<int>(bufferEnd - at));
        if (length > 0) {
            gCompileState.freePosition = at + length;
            return 1;
        }
        gCompileState.kind = kind;
        gCompileState.index = index;
        gCompileState.textSlot = slot;
        if (!AskForCorrection(false)) return 0;
    }
}

// Equation i (< n - 1) of a single ODE says x[i]' = x[i + 1]: its text is the
// name of variable i + 1, individual or indexed.
int GenerateSingleOdeEquation(char *&slot, int i) {
    const int n = Dimension();
    const char *individual = nullptr;
    if (gColumnTable && kFixedColumnCount + i + 1 < gColumnCount && i + 1 < n)
        individual = gColumnTable[kFixedColumnCount + i + 1].name;
    const char *collective = gColumnTable ? gColumnTable[kColumnVariables].name : nullptr;
    if (HasText(individual)) {
        SetNonEmptyStringCopy(slot, individual);
    } else if (HasText(collective)) {
        const size_t size = std::strlen(collective) + 16;
        char *text = AllocTextBuffer(size);
        if (!text) return 0;
        std::snprintf(text, size, "%s[%d]", collective, i + 1);
        AdoptStringBuffer(slot, text);
    } else {
        ShowErrorBox(IDS_VARIABLE_WITH_NO_NAME);
        return 0;
    }
    return slot != nullptr;
}

// Compiles *textSlot into a scratch block of "P-code length" bytes and moves
// the code into a block of exactly its length in *codeSlot (old code freed).
// With ask, a failure opens the dialog (kind set by the caller).
int CompileIntoOwnBlock(char **textSlot, PcodeProgram **codeSlot, bool ask, bool calculator) {
    PcodeProgram *scratch = static_cast<PcodeProgram *>(AllocZeroed(gPcodeLength));
    if (!scratch) return 0;
    int length;
    while ((length = CompileExpression(*textSlot, scratch, static_cast<int>(gPcodeLength))) == 0) {
        gCompileState.textSlot = textSlot;
        if (!ask || !AskForCorrection(calculator)) {
            FreeAndNull(scratch);
            return 0;
        }
    }
    FreeAndNull(*codeSlot);
    *codeSlot = static_cast<PcodeProgram *>(AllocZeroed(static_cast<size_t>(length)));
    if (*codeSlot) std::memcpy(*codeSlot, scratch, static_cast<size_t>(length));
    FreeAndNull(scratch);
    return *codeSlot != nullptr;
}

// ---- Graphics elements.

char gElementNameText[kElementNameCount][3] = {"t", "x0", "y0", "s", "r", "t1", "t2", "d",
                                               "T", "X0", "Y0", "S", "R", "T1", "T2", "D"};
ColumnEntry gElementNames[kElementNameCount];

// The compiler's tables while graphics elements have theirs; depth counts
// nested switches (a repaint inside the compile-error dialog of another).
struct SavedNameTables {
    int depth;
    ColumnEntry *table;
    int columns;
    int collective;
    int parameters;
};
SavedNameTables gSavedTables;

}  // namespace

void BuildCompileErrorLabel(char *out, int size) {
    if (size <= 0) return;
    const CompileDialogState &s = gCompileState;
    *out = 0;
    switch (s.kind) {
    case kExprEquation:
    case kExprInitialFunction: BuildNameLabel(out, size); break;
    case kExprBoundaryCondition: FormatResource(out, size, IDS_LABEL_BOUNDARY_CONDITION, s.index + 1); break;
    case kExprStatusLine: FormatResource(out, size, IDS_LABEL_NUMERICAL_EXPRESSION, s.index + 1); break;
    case kExprAxis:
        FormatResource(out, size, s.index ? IDS_LABEL_VERTICAL_AXIS : IDS_LABEL_HORIZONTAL_AXIS, 0);
        break;
    case kExprPoincare: FormatResource(out, size, IDS_LABEL_POINCARE_CONDITION, 0); break;
    case kExprTextColumn: FormatResource(out, size, IDS_LABEL_TEXT_WINDOW_EXPRESSION, s.index + 1); break;
    case kExprGraphicsElement:
        FormatResource(out, size, IDS_LABEL_GRAPHICS_ELEMENT, s.elementNumber + 1);
        break;
    case kExprCalculator: FormatResource(out, size, IDS_LABEL_CALCULATOR_EXPRESSION, 0); break;
    default: break;
    }
}

int CompileExpressionArray(char **texts, PcodeProgram **codePointers, int last, int kind) {
    // The names a Poincare condition may not use: the collective name and the
    // first individual names, never beyond the column table.
    HiddenName hidden[1 + kPoincareHiddenNames] = {};
    int hiddenCount = 0;
    if (kind == kExprPoincare && gColumnTable) {
        int count = Dimension() < kPoincareHiddenNames ? Dimension() : kPoincareHiddenNames;
        if (count > gColumnCount - kFixedColumnCount) count = gColumnCount - kFixedColumnCount;
        HideName(hidden[hiddenCount++], gColumnTable[kColumnVariables].name);
        for (int i = 0; i < count; ++i) HideName(hidden[hiddenCount++], gColumnTable[kFixedColumnCount + i].name);
    }
    const bool singleOde = kind == kExprEquation && gProblemKind == kSingleOde;
    int ok = 1;
    for (int i = 0; ok && i <= last; ++i) {
        if (singleOde && i < last) ok = GenerateSingleOdeEquation(texts[i], i);
        if (ok) ok = CompileIntoSharedBuffer(&texts[i], &codePointers[i], kind, i);
    }
    while (hiddenCount > 0) RestoreName(hidden[--hiddenCount]);
    return ok;
}

int CompileProblem() {
    if (!WorkspaceComplete()) return 0;
    const int n = Dimension();
    gCompileState.freePosition = gPcodeBuffer;
    BindProblemNames();

    // "tp" means nothing to the problem's own equations.
    HiddenName tp = {};
    if (gProblemKind != kMap) HideName(tp, gColumnTable[kColumnTrajectory].name);
    int ok = CompileExpressionArray(gEquationTexts, gEquationCode, n - 1, kExprEquation);
    if (ok && HasText(gInitialFunctionTexts[0]))
        ok = CompileExpressionArray(gInitialFunctionTexts, gInitialFunctionCode, n - 1, kExprInitialFunction);
    if (ok && gShootingIterations != 0)
        ok = CompileExpressionArray(gBoundaryTexts, gBoundaryCode, n - 1, kExprBoundaryCondition);
    RestoreName(tp);

    if (ok && gStatusFrequency != 0) {
        char *status[2] = {gStatusFirstExpression, gStatusSecondExpression};
        ok = CompileExpressionArray(status, gStatusLineCode, 1, kExprStatusLine);
        // A correction replaced (and freed) the text the slot held.
        gStatusFirstExpression = status[0];
        gStatusSecondExpression = status[1];
    }
    if (ok) ok = CompileAllWindowExpressions();
    UnbindProblemNames();
    // The equations' fast form; when it cannot be had they run as P-code.
    if (ok) BuildFusedEquations(gEquationCode, n);
    return ok;
}

int CompileAllWindowExpressions() { return gCompileHooks.windowExpressions ? gCompileHooks.windowExpressions() : 1; }

int CompileGraphWindowTexts(char **axisTexts, PcodeProgram **axisCode, char **poincareText,
                            PcodeProgram **poincareCode, int poincareOn) {
    SetDrawingCommandsEnabled(1);
    int ok = CompileExpressionArray(axisTexts, axisCode, 1, kExprAxis);
    SetDrawingCommandsEnabled(0);
    if (ok && poincareOn && gProblemKind != kMap)
        ok = CompileExpressionArray(poincareText, poincareCode, 0, kExprPoincare);
    return ok;
}

int CompileTextWindowTexts(char **columnTexts, PcodeProgram **columnCode, int columnCount,
                           char **poincareText, PcodeProgram **poincareCode, int poincareOn) {
    int ok = 1;
    if (columnCount > 0) ok = CompileExpressionArray(columnTexts, columnCode, columnCount - 1, kExprTextColumn);
    if (ok && poincareOn && gProblemKind != kMap)
        ok = CompileExpressionArray(poincareText, poincareCode, 0, kExprPoincare);
    return ok;
}

void SetElementNameCells(double *cells, double *t) {
    for (int i = 0; i < kElementNameCount; ++i) {
        const int cell = i % (kElementNameCount / 2);
        ColumnEntry &e = gElementNames[i];
        e.name = gElementNameText[i];
        e.address = cell == 0 ? t : cells + (cell - 1);
        e.low = e.high = 0;
    }
}

int CompileGraphicsElements(int index, int flag) {
    if (!flag) {
        if (gSavedTables.depth > 0 && --gSavedTables.depth == 0) {
            gNameTable = gSavedTables.table;
            gColumnCount = gSavedTables.columns;
            gCollectiveDelayedCount = gSavedTables.collective;
            gParameterCount = gSavedTables.parameters;
            UnbindProblemNames();
        }
        return 1;
    }
    if (gSavedTables.depth++ == 0) {
        // Individual names keep their delayed values; the tables switch.
        BindProblemNames();
        gSavedTables.table = gNameTable;
        gSavedTables.columns = gColumnCount;
        gSavedTables.collective = gCollectiveDelayedCount;
        gSavedTables.parameters = gParameterCount;
        gNameTable = gElementNames;
        gColumnCount = kElementNameCount;
        gCollectiveDelayedCount = 0;  // x(k, t) needs a run
    }
    return gCompileHooks.elements ? gCompileHooks.elements(index) : 1;
}

int CompileElementText(char **textSlot, PcodeProgram **codeSlot, int elementNumber) {
    if (*codeSlot || !HasText(*textSlot)) return 1;
    gCompileState.kind = kExprGraphicsElement;
    gCompileState.index = 0;
    gCompileState.elementNumber = elementNumber;
    return CompileIntoOwnBlock(textSlot, codeSlot, true, false);
}

int BuildFractalArrays(const char *lengthText, const char *angleText, int elementNumber, double **lengths,
                       double **angles) {
    *lengths = *angles = nullptr;
    int count = 0;
    double value;
    int used;
    for (const char *p = lengthText; p && std::sscanf(p, "%lg%n", &value, &used) == 1; p += used) ++count;
    if (count == 0) {
        ShowErrorBoxWithNumber(IDS_NO_SEGMENT_LENGTH, elementNumber + 1);
        return 0;
    }
    *lengths = static_cast<double *>(AllocZeroed(count * sizeof(double)));
    *angles = static_cast<double *>(AllocZeroed(count * sizeof(double)));
    if (!*lengths || !*angles) {
        FreeAndNull(*lengths);
        FreeAndNull(*angles);
        return 0;
    }
    const char *p = lengthText;
    for (int i = 0; i < count; ++i, p += used) {
        std::sscanf(p, "%lg%n", &value, &used);
        (*lengths)[i] = value == 0 ? 1 : 1 / value;
    }
    int angleCount = 0;
    for (p = angleText; p && angleCount < count && std::sscanf(p, "%lg%n", &value, &used) == 1; p += used)
        (*angles)[angleCount++] = value * kRadiansPerDegree;
    if (angleCount < count) {
        FreeAndNull(*lengths);
        FreeAndNull(*angles);
        ShowErrorBoxWithNumber(IDS_TOO_FEW_ANGLES, elementNumber + 1);
        return 0;
    }
    return count;
}

int CompileCalculatorExpression(char **textSlot, PcodeProgram **codeSlot, int retry) {
    if (!HasText(*textSlot)) return 1;
    // Not while graphics elements have switched the tables (only a compile
    // inside their error dialog gets here then).
    if (gSavedTables.depth > 0) return 0;
    // The problem's current names, bound as for a run.
    ColumnEntry *savedTable = gNameTable;
    BindProblemNames();
    gCompileState.kind = kExprCalculator;
    gCompileState.index = 0;
    const int ok = CompileIntoOwnBlock(textSlot, codeSlot, retry != 0, true);
    UnbindProblemNames();
    gNameTable = savedTable;
    return ok;
}
