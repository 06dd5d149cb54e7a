// The described-dialog engine: fill, check-then-store, row lists and pages.
#include "described_dialog.h"

#include <cctype>
#include <cstdarg>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "memory.h"
#include "messages.h"
#include "platform.h"
#include "resource_ids.h"
#include "problem_settings.h"
#include "problem_windows.h"
#include "resource_ids.h"
#include "settings.h"
#include "string_ids.h"
#include "text_window_state.h"
#include "workspace.h"
#include "compiler.h"
#include "graph_state.h"

bool EqualNoCase(const char *a, const char *b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}

DialogShell gDialogShell;

void ShellSyncActiveChild(int toWindow) {
    if (gDialogShell.syncActiveChild) gDialogShell.syncActiveChild(toWindow);
}
void ShellSetActiveChildTitle(const char *title) {
    if (gDialogShell.setActiveChildTitle) gDialogShell.setActiveChildTitle(title);
}
bool ShellQuerySaveProblem() { return gDialogShell.querySaveProblem ? gDialogShell.querySaveProblem() : true; }
void ShellShowHelp(int topic) {
    if (gDialogShell.showHelp) gDialogShell.showHelp(topic);
}
std::vector<std::string> ShellOtherGraphTitles() {
    return gDialogShell.otherGraphTitles ? gDialogShell.otherGraphTitles() : std::vector<std::string>();
}
void ShellLinkGraph(int index) {
    if (gDialogShell.linkGraph) gDialogShell.linkGraph(index);
}
int ShellLinkedGraphIndex() { return gDialogShell.linkedGraphIndex ? gDialogShell.linkedGraphIndex() : 0; }
std::vector<std::string> ShellSectionKeys(int sectionStringId) {
    return gDialogShell.sectionKeys ? gDialogShell.sectionKeys(sectionStringId) : std::vector<std::string>();
}
std::string ShellSectionValue(int sectionStringId, const std::string &key) {
    return gDialogShell.sectionValue ? gDialogShell.sectionValue(sectionStringId, key) : std::string();
}
void ShellRebuildToolbars() {
    if (gDialogShell.rebuildToolbars) gDialogShell.rebuildToolbars();
}
void ShellSetStatusFont() {
    if (gDialogShell.setStatusFont) gDialogShell.setStatusFont();
}
void ShellApplyTransparency() {
    if (gDialogShell.applyTransparency) gDialogShell.applyTransparency();
}
void ShellBuildRecentFilesMenu() {
    if (gDialogShell.buildRecentFilesMenu) gDialogShell.buildRecentFilesMenu();
}
void ShellSetBackwardButton(bool checked, bool enabled) {
    if (gDialogShell.setBackwardButton) gDialogShell.setBackwardButton(checked, enabled);
}
void ShellSetBackingBitmapMode(int mode) {
    if (gDialogShell.setBackingBitmapMode) gDialogShell.setBackingBitmapMode(mode);
}
void ShellSelectCodeLibrary(int index, const std::string &entry) {
    if (gDialogShell.selectCodeLibrary) gDialogShell.selectCodeLibrary(index, entry);
    else HostSelectCodeLibrary(index);
}
void ShellClosePlotterSession() {
    if (gDialogShell.closePlotterSession) gDialogShell.closePlotterSession();
}
bool ShellPeekCodeLibraryParameters(const std::string &entry, std::vector<std::string> *names,
                                    std::vector<double> *values) {
    return gDialogShell.peekCodeLibraryParameters && gDialogShell.peekCodeLibraryParameters(entry, names, values);
}
void ShellParametersChanged() {
    if (gDialogShell.parametersChanged) gDialogShell.parametersChanged();
}
void ShellGraphFormatApplied() {
    if (gDialogShell.graphFormatApplied) gDialogShell.graphFormatApplied();
}
int ShellAvailablePictureFormats() {
    return gDialogShell.availablePictureFormats ? gDialogShell.availablePictureFormats() : 7;
}

// ---- Texts and numbers

std::string TrimTrailing(const std::string &text) {
    size_t n = text.size();
    while (n > 0 && static_cast<unsigned char>(text[n - 1]) <= 32) --n;
    return text.substr(0, n);
}

bool DialogTextStorable(const std::string &text) {
    for (unsigned char c : text)
        if (c < 32 && c != '\t' && c != '\r' && c != '\n') return false;
    return true;
}

namespace {

std::string TrimBoth(const std::string &text) {
    size_t b = 0;
    while (b < text.size() && static_cast<unsigned char>(text[b]) <= 32) ++b;
    return TrimTrailing(text.substr(b));
}

// Whole decimal number with an optional sign, blanks around allowed.
bool ParseWhole(const std::string &text, bool allowMinus, long long lo, long long hi, long long *out) {
    const std::string t = TrimBoth(text);
    size_t i = 0;
    bool minus = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        minus = t[i] == '-';
        if (minus && !allowMinus) return false;
        ++i;
    }
    if (i >= t.size()) return false;
    long long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return false;
        v = v * 10 + (t[i] - '0');
        if (v > 10000000000LL) return false;
    }
    if (minus) v = -v;
    if (v < lo || v > hi) return false;
    *out = v;
    return true;
}

}  // namespace

bool ParseDialogInt(const std::string &text, int32_t *out) {
    long long v;
    if (!ParseWhole(text, true, INT32_MIN, INT32_MAX, &v)) return false;
    *out = static_cast<int32_t>(v);
    return true;
}

bool ParseDialogUnsigned(const std::string &text, uint32_t *out) {
    long long v;
    if (!ParseWhole(text, false, 0, UINT32_MAX, &v)) return false;
    *out = static_cast<uint32_t>(v);
    return true;
}

bool ParseDialogDouble(const std::string &text, double *out) {
    // At most 40 characters are read, as the edit's buffer holds; a text
    // that begins with a number is taken.
    const std::string head = text.substr(0, 40);
    double v;
    if (std::sscanf(head.c_str(), "%lg", &v) != 1) return false;
    *out = v;
    return true;
}

std::string FormatDialogDouble(double v) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.15lg", v);
    return buffer;
}

// ---- Items

DialogItem *FindItem(DialogSession &session, int control) {
    for (DialogItem &item : session.items)
        if (item.type != kItemEnd && item.control == control) return &item;
    return nullptr;
}

namespace {

bool Live(DialogSession &s, const DialogItem &item) {
    return s.controls->Exists(item.control) && s.controls->Enabled(item.control);
}

bool IsRowType(int type) { return type >= kItemNameRows && type <= kItemSolverParamRows; }

// Length of the radio group starting at index i.
size_t RadioGroupEnd(const DialogSession &s, size_t i) {
    size_t j = i + 1;
    while (j < s.items.size() && s.items[j].type == kItemRadio && s.items[j].target == s.items[i].target) ++j;
    return j;
}

std::string Format(int id, const std::string &arg) {
    char buffer[kMessageBufferSize];
    std::snprintf(buffer, sizeof buffer, LoadTextResource(id), arg.c_str());
    return buffer;
}

// ---- Row lists: where each kind lives and how many rows it has.

int Dimension() { return static_cast<int>(gDimension); }

bool ColumnsReady() { return gColumnTable && gColumnCount == 2 * Dimension() + 9; }

// First column entry of a name row list, and its row count.
int NameBase(const DialogItem &item) {
    return kFixedColumnCount + (item.control == IDC_DEF_VARIABLE_ROWS ? 0 : Dimension());
}
int NameCount(const DialogItem &item) { return item.control == IDC_DEF_VARIABLE_ROWS ? Dimension() : Dimension() + 2; }

char **TextArrayOf(int type) {
    if (type == kItemEquationRows) return gEquationTexts;
    if (type == kItemInitialFunctionRows) return gInitialFunctionTexts;
    return gBoundaryTexts;
}

std::string OrEmpty(const char *s) { return s ? s : ""; }

int RowCount(const DialogSession &s, int index) {
    const DialogItem &item = s.items[index];
    const RowListCopy &c = s.rows.at(index);
    switch (item.type) {
    case kItemNameRows: return static_cast<int>(c.first.size());
    case kItemParameterRows:
    case kItemExpressionRows: return static_cast<int>(c.first.size());
    case kItemInitialValueRows:
    case kItemSolverParamRows: return static_cast<int>(c.values.size());
    default: return static_cast<int>(c.first.size());
    }
}

bool Growable(int type) { return type == kItemParameterRows || type == kItemExpressionRows; }

void MakeRowCopy(DialogSession &s, int index) {
    const DialogItem &item = s.items[index];
    RowListCopy c;
    const int n = Dimension();
    switch (item.type) {
    case kItemNameRows:
        if (ColumnsReady())
            for (int i = 0; i < NameCount(item); ++i) c.first.push_back(OrEmpty(gColumnTable[NameBase(item) + i].name));
        break;
    case kItemParameterRows:
        for (int i = 0; i < gParameterCount; ++i) {
            c.first.push_back(OrEmpty(gParameters[i].name));
            c.values.push_back(gParameters[i].value);
        }
        if (c.first.empty()) {
            c.first.push_back("");
            c.values.push_back(0);
        }
        break;
    case kItemEquationRows:
    case kItemInitialFunctionRows:
    case kItemBoundaryRows: {
        char **texts = TextArrayOf(item.type);
        if (texts && gTextArrayCount == n)
            for (int i = 0; i < n; ++i) c.first.push_back(OrEmpty(texts[i]));
        if (item.type == kItemEquationRows && gProblemKind == kSingleOde && n > 0) c.firstRow = n - 1;
        break;
    }
    case kItemInitialValueRows:
        if (gInitialValues)
            for (int i = 0; i < n + 2; ++i) c.values.push_back(gInitialValues[i]);
        break;
    case kItemExpressionRows:
        for (int i = 0; i < gTextWorkCopy.count; ++i) {
            c.first.push_back(OrEmpty(gTextWorkCopy.expressions ? gTextWorkCopy.expressions[i] : nullptr));
            c.second.push_back(OrEmpty(gTextWorkCopy.formats ? gTextWorkCopy.formats[i] : nullptr));
        }
        if (c.first.empty()) {
            c.first.push_back("");
            c.second.push_back("");
        }
        break;
    case kItemSolverParamRows:
        if (gCodeLibraryIndex)
            for (int i = 0; const char *name = HostLibraryParamName(i); ++i) {
                const double *v = HostLibraryParamValue(i);
                c.first.push_back(name);
                c.values.push_back(v ? *v : 0);
            }
        break;
    }
    c.row = c.firstRow;
    s.rows[index] = c;
}

// Text of a name edit of the Definitions dialog, or the column entry's name.
std::string LiveName(DialogSession &s, int column) {
    static const int kNameControls[kFixedColumnCount] = {IDC_DEF_VARIABLES_NAME, IDC_DEF_TIME_NAME, IDC_DEF_INITIAL_NAME, IDC_DEF_INITIAL_TIME_NAME, IDC_DEF_TRAJECTORY_NAME, IDC_DEF_PHASE_X_NAME, IDC_DEF_PHASE_Y_NAME};
    const int id = kNameControls[column];
    if (FindItem(s, id) && s.controls->Exists(id)) return TrimTrailing(s.controls->Text(id));
    return ColumnsReady() ? OrEmpty(gColumnTable[column].name) : "";
}

int LowIndex(int column) { return ColumnsReady() ? gColumnTable[column].low : 0; }

// Individual name of dependent variable i (names 0) or initial-value quantity
// i (names 1), from the open name list when there is one.
std::string IndividualName(DialogSession &s, int which, int i) {
    const int control = which == 0 ? IDC_DEF_VARIABLE_ROWS : IDC_DEF_INITIAL_ROWS;
    for (auto &entry : s.rows) {
        const DialogItem &item = s.items[entry.first];
        if (item.type == kItemNameRows && item.control == control) {
            if (item.control == control && entry.second.row == i) {
                // The shown row may be edited right now.
                if (s.controls->Exists(control)) return TrimTrailing(s.controls->Text(control));
            }
            return i < static_cast<int>(entry.second.first.size()) ? entry.second.first[i] : "";
        }
    }
    if (!ColumnsReady()) return "";
    const int base = kFixedColumnCount + (which == 0 ? 0 : Dimension());
    return OrEmpty(gColumnTable[base + i].name);
}

std::string Printf(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char *format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::string RowLabel(DialogSession &s, int index) {
    const DialogItem &item = s.items[index];
    const RowListCopy &c = s.rows[index];
    const int row = c.row;
    switch (item.type) {
    case kItemNameRows: {
        const int column = item.control == IDC_DEF_VARIABLE_ROWS ? kColumnVariables : kColumnInitial;
        const std::string base = LiveName(s, column);
        const int k = row + LowIndex(column);
        return k ? Printf("%s[%d]", base.c_str(), k) : base;
    }
    case kItemParameterRows: return Printf(LoadTextResource(IDS_PARAMETER_ROW), row + 1);
    case kItemBoundaryRows: return Printf(LoadTextResource(IDS_CONDITION_ROW), row + 1);
    case kItemExpressionRows: return Printf(LoadTextResource(IDS_EXPRESSION_ROW), row + 1);
    case kItemSolverParamRows: return row < static_cast<int>(c.first.size()) ? c.first[row] : "";
    case kItemInitialValueRows: {
        const std::string q = IndividualName(s, 1, row);
        if (!q.empty()) return q + " =";
        const std::string x0 = LiveName(s, kColumnInitial);
        const int k = row + LowIndex(kColumnInitial);
        return k ? Printf("%s[%d] =", x0.c_str(), k) : x0 + " =";
    }
    default: {  // equations and initial functions
        const bool initial = item.type == kItemInitialFunctionRows;
        const bool map = gProblemKind == kMap;
        const std::string t = LiveName(s, kColumnTime), x = LiveName(s, kColumnVariables),
                          x0 = LiveName(s, kColumnInitial);
        const std::string q = IndividualName(s, 0, row);
        if (!q.empty()) {
            if (initial) return Printf("%s(%s) =", q.c_str(), t.c_str());
            if (map) return Printf("%s <-", q.c_str());
            return Printf("d%s/d%s =", q.c_str(), t.c_str());
        }
        if (!initial && gProblemKind == kSingleOde) return Printf("%s[%d] =", x.c_str(), row + 1);
        const int k = row + LowIndex(kColumnVariables);
        if (k) {
            if (initial) return Printf("%s[%d](%s) =", x0.c_str(), k, t.c_str());
            if (map) return Printf("%s[%d] <-", x.c_str(), k);
            return Printf("d%s[%d]/d%s =", x.c_str(), k, t.c_str());
        }
        if (initial) return Printf("%s(%s) =", x0.c_str(), t.c_str());
        if (map) return Printf("%s <-", x.c_str());
        return Printf("d%s/d%s =", x.c_str(), t.c_str());
    }
    }
}

// Reads the shown row back into the copy; false (nothing changed) when it
// cannot be kept, with the message id in *message.
bool StoreRowFromEdit(DialogSession &s, int index, int *message, std::string *arg) {
    const DialogItem &item = s.items[index];
    RowListCopy &c = s.rows[index];
    const int row = c.row;
    const int id = item.control;
    if (row < 0 || row >= RowCount(s, index)) return true;
    switch (item.type) {
    case kItemParameterRows: {
        const std::string name = TrimTrailing(s.controls->Text(id));
        double v = 0;
        if (!DialogTextStorable(name)) {
            *message = IDS_DIALOG_CONTROL_CHARACTER;
            return false;
        }
        const std::string valueText = s.controls->Text(id + 1);
        if (!ParseDialogDouble(valueText, &v)) {
            // An unnamed row is dropped on OK, whatever its value.
            if (name.empty()) {
                c.first[row].clear();
                return true;
            }
            *message = IDS_DIALOG_PARAMETER_VALUE;
            *arg = name;
            return false;
        }
        c.first[row] = name;
        c.values[row] = v;
        return true;
    }
    case kItemInitialValueRows:
    case kItemSolverParamRows: {
        double v;
        const std::string text = s.controls->Text(id);
        if (!ParseDialogDouble(text, &v)) {
            *message = IDS_DIALOG_NOT_A_NUMBER;
            *arg = TrimTrailing(text);
            return false;
        }
        c.values[row] = v;
        return true;
    }
    default: {
        const std::string text = TrimTrailing(s.controls->Text(id));
        if (!DialogTextStorable(text)) {
            *message = IDS_DIALOG_CONTROL_CHARACTER;
            return false;
        }
        std::string second;
        if (item.type == kItemExpressionRows) {
            second = TrimTrailing(s.controls->Text(id + 1));
            if (!DialogTextStorable(second)) {
                *message = IDS_DIALOG_CONTROL_CHARACTER;
                return false;
            }
            c.second[row] = second;
        }
        c.first[row] = text;
        return true;
    }
    }
}

void OpenRowList(DialogSession &s, int index) {
    MakeRowCopy(s, index);
    const DialogItem &item = s.items[index];
    const RowListCopy &c = s.rows[index];
    const int count = Growable(item.type) ? 32767 : RowCount(s, index);
    s.controls->SetRowRange(item.control - 1, c.firstRow, count - 1, c.firstRow);
    s.controls->Enable(item.control - 1, c.firstRow < count - 1);
    if (gFixedPoint) s.controls->SetFixedFont(item.control);
    if (gEnterKey && item.type >= kItemEquationRows && item.type <= kItemBoundaryRows)
        s.controls->SetWantReturn(item.control);
    RefreshRowList(s, index, true);
}

// ---- Filling

void FillItem(DialogSession &s, size_t i) {
    DialogItem &item = s.items[i];
    DialogControls &c = *s.controls;
    const int id = item.control;
    const bool text = item.type == kItemString || item.type == kItemCharArray || item.type == kItemDeviceText;
    if (text && gFixedPoint) c.SetFixedFont(id);
    switch (item.type) {
    case kItemCheck: c.SetChecked(id, item.target && *static_cast<int32_t *>(item.target) != 0); break;
    case kItemInt:
        if (item.target) c.SetText(id, std::to_string(*static_cast<int32_t *>(item.target)));
        break;
    case kItemUnsigned:
        if (item.target && item.targetSize == 1) c.SetText(id, std::to_string(*static_cast<int32_t *>(item.target)));
        else if (item.target) c.SetText(id, std::to_string(*static_cast<uint32_t *>(item.target)));
        break;
    case kItemDouble:
        if (item.target) c.SetText(id, FormatDialogDouble(*static_cast<double *>(item.target)));
        break;
    case kItemString:
        if (item.target) c.SetText(id, OrEmpty(*static_cast<char **>(item.target)));
        break;
    case kItemDeviceText: c.SetText(id, OrEmpty(gGraphWorkCopy.plotter.device)); break;
    case kItemCharArray:
        if (item.target) c.SetText(id, std::string(static_cast<char *>(item.target),
                                                   strnlen(static_cast<char *>(item.target), item.targetSize)));
        break;
    case kItemCombo:
        if (item.target) c.SetComboSelection(id, *static_cast<int32_t *>(item.target));
        break;
    case kItemDriverCombo: {
        c.ClearCombo(id);
        const std::vector<std::string> keys = ShellSectionKeys(IDS_SECTION_PLOTTER_DRIVERS);
        int selected = -1;
        for (size_t k = 0; k < keys.size(); ++k) {
            c.AddComboString(id, keys[k]);
            if (gGraphWorkCopy.plotter.driver && EqualNoCase(keys[k].c_str(), gGraphWorkCopy.plotter.driver))
                selected = static_cast<int>(k);
        }
        c.SetComboSelection(id, selected);
        break;
    }
    default:
        if (IsRowType(item.type)) OpenRowList(s, static_cast<int>(i));
        break;
    }
}

// ---- Checking and storing

struct Pending {
    bool set = false;
    int32_t i = 0;
    uint32_t u = 0;
    double d = 0;
    std::string s;
};

// Reads item i (or its radio group) into p; false with the message when it
// cannot be stored.
bool CheckItem(DialogSession &s, size_t i, Pending &p, int *message, std::string *arg) {
    DialogItem &item = s.items[i];
    DialogControls &c = *s.controls;
    const int id = item.control;
    switch (item.type) {
    case kItemCheck: p.i = c.Checked(id) ? 1 : 0; p.set = true; return true;
    case kItemInt:
        if (!ParseDialogInt(c.Text(id), &p.i)) {
            *message = IDS_DIALOG_NOT_AN_INTEGER;
            *arg = TrimTrailing(c.Text(id));
            return false;
        }
        p.set = true;
        return true;
    case kItemUnsigned:
        if (!ParseDialogUnsigned(c.Text(id), &p.u) || (item.targetSize == 1 && p.u > INT32_MAX)) {
            *message = IDS_DIALOG_NOT_AN_INTEGER;
            *arg = TrimTrailing(c.Text(id));
            return false;
        }
        p.set = true;
        return true;
    case kItemDouble:
        if (!ParseDialogDouble(c.Text(id), &p.d)) {
            *message = IDS_DIALOG_NOT_A_NUMBER;
            *arg = TrimTrailing(c.Text(id));
            return false;
        }
        p.set = true;
        return true;
    case kItemString:
    case kItemCharArray:
    case kItemDeviceText:
        p.s = TrimTrailing(c.Text(id));
        if (!DialogTextStorable(p.s)) {
            *message = IDS_DIALOG_CONTROL_CHARACTER;
            return false;
        }
        if (item.type == kItemCharArray && static_cast<int>(p.s.size()) >= item.targetSize) {
            *message = IDS_DIALOG_TEXT_TOO_LONG;
            *arg = std::to_string(item.targetSize - 1);
            return false;
        }
        p.set = true;
        return true;
    case kItemRadio: {
        const size_t end = RadioGroupEnd(s, i);
        for (size_t k = i; k < end; ++k)
            if (Live(s, s.items[k]) && c.Checked(s.items[k].control)) {
                p.i = static_cast<int32_t>(k - i);
                p.set = true;
            }
        return true;  // none checked: the target keeps its value
    }
    case kItemCombo: {
        const int sel = c.ComboSelection(id);
        // No selection keeps the value: an index of 65535 would point
        // past every table indexed by it.
        if (sel >= 0) {
            p.i = sel;
            p.set = true;
        }
        return true;
    }
    case kItemDriverCombo: {
        const std::string device = TrimTrailing(c.Text(IDC_PLOTTER_DEVICE));
        p.s = TrimTrailing(c.Text(id));
        if (!DialogTextStorable(device) || !DialogTextStorable(p.s)) {
            *message = IDS_DIALOG_CONTROL_CHARACTER;
            return false;
        }
        p.set = true;
        return true;
    }
    default:
        if (IsRowType(item.type) && s.rows.count(static_cast<int>(i)))
            return StoreRowFromEdit(s, static_cast<int>(i), message, arg);
        return true;
    }
}

// Differs, case-insensitively, from the held string (null reads as "").
bool DiffersNoCase(const std::string &text, const char *held) {
    return !EqualNoCase(text.c_str(), held ? held : "");
}

void StoreRowList(DialogSession &s, int index) {
    const DialogItem &item = s.items[index];
    RowListCopy &c = s.rows[index];
    const int n = Dimension();
    switch (item.type) {
    case kItemNameRows:
        if (ColumnsReady() && static_cast<int>(c.first.size()) == NameCount(item))
            for (int i = 0; i < NameCount(item); ++i)
                SetNonEmptyStringCopy(gColumnTable[NameBase(item) + i].name, c.first[i].c_str());
        break;
    case kItemParameterRows: {
        int kept = 0;
        for (const std::string &name : c.first) kept += !name.empty();
        ParameterEntry *table = nullptr;
        if (kept) table = static_cast<ParameterEntry *>(AllocZeroed(sizeof(ParameterEntry) * kept));
        if (kept && !table) break;  // reported; the old table stays
        int k = 0;
        for (size_t i = 0; i < c.first.size(); ++i) {
            if (c.first[i].empty()) continue;
            SetNonEmptyStringCopy(table[k].name, c.first[i].c_str());
            table[k].value = c.values[i];
            ++k;
        }
        for (int i = gParameterCount - 1; i >= 0; --i) FreeAndNull(gParameters[i].name);
        FreeAndNull(gParameters);
        gParameters = table;
        gParameterCount = kept;
        // Parameter values are compiled into the code.
        ShellParametersChanged();
        break;
    }
    case kItemEquationRows:
    case kItemInitialFunctionRows:
    case kItemBoundaryRows: {
        char **texts = TextArrayOf(item.type);
        if (texts && gTextArrayCount == n && static_cast<int>(c.first.size()) == n)
            for (int i = 0; i < n; ++i) SetNonEmptyStringCopy(texts[i], c.first[i].c_str());
        break;
    }
    case kItemInitialValueRows:
        if (gInitialValues && static_cast<int>(c.values.size()) == n + 2)
            for (int i = 0; i < n + 2; ++i) gInitialValues[i] = c.values[i];
        break;
    case kItemExpressionRows: {
        FreeTextColumns(&gTextWorkCopy);
        int kept = 0;
        for (size_t i = 0; i < c.first.size(); ++i) kept += !c.first[i].empty() || !c.second[i].empty();
        if (!kept) break;
        gOutOfMemory = 0;
        AllocArray(gTextWorkCopy.expressions, kept);
        AllocArray(gTextWorkCopy.codes, kept);
        AllocArray(gTextWorkCopy.formats, kept);
        if (gOutOfMemory) {
            FreeTextColumns(&gTextWorkCopy);
            break;
        }
        gTextWorkCopy.count = kept;
        int k = 0;
        for (size_t i = 0; i < c.first.size(); ++i) {
            if (c.first[i].empty() && c.second[i].empty()) continue;
            SetNonEmptyStringCopy(gTextWorkCopy.expressions[k], c.first[i].c_str());
            SetNonEmptyStringCopy(gTextWorkCopy.formats[k], c.second[i].c_str());
            ++k;
        }
        break;
    }
    case kItemSolverParamRows:
        if (gCodeLibraryIndex)
            for (size_t i = 0; i < c.values.size(); ++i)
                if (double *v = HostLibraryParamValue(static_cast<int>(i))) *v = c.values[i];
        break;
    }
}

void StoreItem(DialogSession &s, size_t i, const Pending &p) {
    DialogItem &item = s.items[i];
    switch (item.type) {
    case kItemCheck:
    case kItemInt:
    case kItemRadio:
    case kItemCombo:
        if (p.set && item.target) *static_cast<int32_t *>(item.target) = p.i;
        break;
    case kItemUnsigned:
        if (item.target && item.targetSize == 1) *static_cast<int32_t *>(item.target) = static_cast<int32_t>(p.u);
        else if (item.target) *static_cast<uint32_t *>(item.target) = p.u;
        break;
    case kItemDouble:
        if (item.target) *static_cast<double *>(item.target) = p.d;
        break;
    case kItemString:
        if (item.target) SetNonEmptyStringCopy(*static_cast<char **>(item.target), p.s.c_str());
        break;
    case kItemCharArray:
        if (item.target) {
            char *array = static_cast<char *>(item.target);
            std::memset(array, 0, item.targetSize);
            std::memcpy(array, p.s.data(), p.s.size());
        }
        break;
    case kItemDriverCombo: {
        PlotterDriver &d = gGraphWorkCopy.plotter;
        const std::string device = TrimTrailing(s.controls->Text(IDC_PLOTTER_DEVICE));
        const bool deviceChanged = DiffersNoCase(device, d.device);
        const bool driverChanged = DiffersNoCase(p.s, d.driver);
        // The open job ends on the device and with the driver it began with.
        if (deviceChanged || driverChanged) ShellClosePlotterSession();
        if (deviceChanged) SetNonEmptyStringCopy(d.device, device.c_str());
        if (driverChanged) SetNonEmptyStringCopy(d.driver, p.s.c_str());
        if (deviceChanged || driverChanged) {
            d.sessionOpen = 0;
            if (driverChanged) d.loaded = 0;
        }
        break;
    }
    default:
        if (IsRowType(item.type) && s.rows.count(static_cast<int>(i))) StoreRowList(s, static_cast<int>(i));
        break;
    }
}

}  // namespace

void FailDialogItem(DialogSession &s, int itemIndex, int messageId, const std::string &arg) {
    const DialogItem &item = s.items[itemIndex];
    if (!s.pages.empty() && item.page != s.currentPage) ShowDialogPage(s, item.page);
    s.controls->Focus(item.control);
    s.controls->Beep();
    s.failedControl = item.control;
    s.failure = messageId ? Format(messageId, arg) : std::string();
    if (messageId) ShowErrorBoxFormatted(messageId, arg.c_str());
    s.controls->Focus(item.control);
}

// ---- Opening, OK, Cancel

void OpenDescribedDialog(DialogSession &s, const DialogItem *table, int dialogId, int helpContext,
                         const DialogPage *pages, int pageCount, int firstPage, DialogControls *controls) {
    s.items.clear();
    for (const DialogItem *p = table;; ++p) {
        s.items.push_back(*p);
        if (p->type == kItemEnd) break;
    }
    s.dialogId = dialogId;
    s.helpContext = helpContext;
    s.pages.assign(pages, pages + (pages ? pageCount : 0));
    s.currentPage = s.pages.empty() ? 0 : firstPage;
    s.controls = controls;
    s.rows.clear();
    s.savedTexts.clear();
    s.keptHidden.clear();
    s.result = -1;
    s.failure.clear();
    s.failedControl = 0;
    ShellSyncActiveChild(0);
    for (size_t i = 0; i < s.items.size() && s.items[i].type != kItemEnd;) {
        DialogItem &item = s.items[i];
        if (item.type == kItemRadio) {
            const size_t end = RadioGroupEnd(s, i);
            if (Live(s, item) && item.init) item.init(s, item);
            const int32_t value = item.target ? *static_cast<int32_t *>(item.target) : -1;
            for (size_t k = i; k < end; ++k)
                if (controls->Exists(s.items[k].control))
                    controls->SetChecked(s.items[k].control, static_cast<int32_t>(k - i) == value);
            i = end;
            continue;
        }
        if (Live(s, item)) {
            if (item.init) item.init(s, item);
            FillItem(s, i);
        }
        ++i;
    }
    for (int p = 0; p < static_cast<int>(s.pages.size()); ++p)
        if (p != s.currentPage) ShowControlRange(s, s.pages[p].first, s.pages[p].last, false);
    if (!s.pages.empty()) controls->SelectTab(s.currentPage);
}

int OkDescribedDialog(DialogSession &s) {
    const size_t count = s.items.size() - 1;
    std::vector<Pending> pending(count);
    std::vector<bool> live(count);
    // First every item is read and checked: nothing is stored before all pass.
    for (size_t i = 0; i < count;) {
        const DialogItem &item = s.items[i];
        const size_t end = item.type == kItemRadio ? RadioGroupEnd(s, i) : i + 1;
        live[i] = Live(s, item);
        // A group is stored while any of its buttons can be used.
        for (size_t k = i + 1; k < end; ++k) live[i] = live[i] || Live(s, s.items[k]);
        if (!item.target && item.type == kItemRadio) live[i] = false;
        if (live[i]) {
            int message = 0;
            std::string arg;
            if (!CheckItem(s, i, pending[i], &message, &arg)) {
                FailDialogItem(s, static_cast<int>(i), message, arg);
                return 0;
            }
        }
        i = end;
    }
    for (size_t i = 0; i < count;) {
        DialogItem &item = s.items[i];
        const size_t end = item.type == kItemRadio ? RadioGroupEnd(s, i) : i + 1;
        if (live[i]) {
            StoreItem(s, i, pending[i]);
            DialogItem &last = s.items[end - 1];
            if (last.apply) last.apply(s, last);
        }
        i = end;
    }
    s.rows.clear();
    if (s.items.back().control == 1) gProblemChanged = 1;
    ShellSyncActiveChild(1);
    if (s.dialogId == IDD_GRAPH_FORMAT || s.dialogId == IDD_MAP_GRAPH_FORMAT) ShellGraphFormatApplied();
    EndDialogPages(s);
    s.result = 1;
    return 1;
}

void CancelDescribedDialog(DialogSession &s) {
    s.rows.clear();
    EndDialogPages(s);
    s.result = 0;
}

void HelpDescribedDialog(DialogSession &s) {
    if (!s.pages.empty()) ShellShowHelp(s.pages[s.currentPage].helpContext);
    else ShellShowHelp(s.helpContext);
}

// ---- Pages

void ShowControlRange(DialogSession &s, int first, int last, bool show) {
    DialogControls &c = *s.controls;
    for (int id = first; id <= last; ++id) {
        if (!c.Exists(id)) continue;
        const bool label = c.IsLabelLike(id);
        if (!show) {
            c.Show(id, false);
            if (label && !s.savedTexts.count(id)) {
                s.savedTexts[id] = c.Text(id);
                c.SetText(id, "");
            }
        } else {
            auto saved = s.savedTexts.find(id);
            if (label && saved != s.savedTexts.end()) {
                c.SetText(id, saved->second);
                s.savedTexts.erase(saved);
            }
            bool kept = false;
            for (int k : s.keptHidden) kept |= k == id;
            if (!kept) c.Show(id, true);
        }
    }
}

void ShowDialogPage(DialogSession &s, int index) {
    if (index < 0 || index == s.currentPage || index >= static_cast<int>(s.pages.size())) return;
    const DialogPage &old = s.pages[s.currentPage];
    ShowControlRange(s, old.first, old.last, false);
    s.currentPage = index;
    ShowControlRange(s, s.pages[index].first, s.pages[index].last, true);
    s.controls->SelectTab(index);
    // The labels of row lists follow the names typed on other pages.
    for (auto &entry : s.rows) RefreshRowList(s, entry.first, false);
}

bool SelectDialogPageBySelector(DialogSession &s, int selector) {
    for (size_t p = 0; p < s.pages.size(); ++p)
        if (s.pages[p].selector == selector) {
            ShowDialogPage(s, static_cast<int>(p));
            return true;
        }
    return false;
}

void EndDialogPages(DialogSession &s) { s.savedTexts.clear(); }

// ---- Row lists

int RowItemOfControl(DialogSession &s, int control) {
    for (auto &entry : s.rows) {
        const DialogItem &item = s.items[entry.first];
        if (item.control == control) return entry.first;
        if ((item.type == kItemParameterRows || item.type == kItemExpressionRows) && item.control + 1 == control)
            return entry.first;
    }
    return -1;
}

void RefreshRowList(DialogSession &s, int index, bool fill) {
    if (!s.rows.count(index)) return;
    const DialogItem &item = s.items[index];
    RowListCopy &c = s.rows[index];
    DialogControls &ctl = *s.controls;
    ctl.SetText(item.control - 2, RowLabel(s, index));
    if (!fill) return;
    const int row = c.row;
    const bool inRange = row >= 0 && row < RowCount(s, index);
    switch (item.type) {
    case kItemParameterRows:
        ctl.SetText(item.control, inRange ? c.first[row] : "");
        ctl.SetText(item.control + 1, inRange ? FormatDialogDouble(c.values[row]) : "");
        break;
    case kItemInitialValueRows:
    case kItemSolverParamRows: ctl.SetText(item.control, inRange ? FormatDialogDouble(c.values[row]) : ""); break;
    case kItemExpressionRows:
        ctl.SetText(item.control, inRange ? c.first[row] : "");
        ctl.SetText(item.control + 1, inRange ? c.second[row] : "");
        break;
    default: ctl.SetText(item.control, inRange ? c.first[row] : ""); break;
    }
}

bool MoveRow(DialogSession &s, int index, int key, int target) {
    if (!s.rows.count(index)) return false;
    const DialogItem &item = s.items[index];
    RowListCopy &c = s.rows[index];
    int next = key == kRowBack ? c.row - 1 : key == kRowOn ? c.row + 1 : target;
    const int count = RowCount(s, index);
    const int last = Growable(item.type) ? count : count - 1;
    if (next < c.firstRow || next > last || next == c.row) return false;
    int message = 0;
    std::string arg;
    if (!StoreRowFromEdit(s, index, &message, &arg)) {
        FailDialogItem(s, index, message, arg);
        return false;
    }
    if (next == count) {  // one row past the end: a new empty row
        c.first.push_back("");
        if (item.type == kItemParameterRows) c.values.push_back(0);
        if (item.type == kItemExpressionRows) c.second.push_back("");
    }
    c.row = next;
    s.controls->SetRowPosition(item.control - 1, next);
    RefreshRowList(s, index, true);
    return true;
}
