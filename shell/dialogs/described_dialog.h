// The described-dialog engine: every settings dialog is one template plus one
// table of items. The engine fills the controls from the variables the items
// name, and on OK reads and checks every control first and stores only when
// all of them pass, so a refused OK leaves the problem and the windows as
// they were. Portable: it reaches the controls through DialogControls, which
// the Win32 side implements on real dialog controls and tests implement on
// a table of fake ones.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

enum DialogItemType : uint8_t {
    kItemEnd = 0,
    kItemCheck = 1,          // int: 1 or 0
    kItemInt = 2,            // int32_t
    kItemUnsigned = 3,       // uint32_t
    kItemDouble = 4,         // double
    kItemString = 5,         // owned char *
    kItemRadio = 6,          // int: index of the checked button of the group
    kItemCombo = 7,          // int: selected index
    kItemCompanion = 8,      // second edit of the type-19 item before it
    kItemCharArray = 10,     // char[targetSize]
    kItemDeviceText = 11,    // owned char *, stored by the type-12 item
    kItemDriverCombo = 12,   // plotter driver of the graph work copy
    kItemNameRows = 13,      // individual names of the column table
    kItemParameterRows = 14, // the problem's parameters
    kItemEquationRows = 15,
    kItemInitialFunctionRows = 16,
    kItemBoundaryRows = 17,
    kItemInitialValueRows = 18,
    kItemExpressionRows = 19,    // a text window's expressions and formats
    kItemSolverParamRows = 20,   // parameters of the chosen code library
};

struct DialogSession;
struct DialogItem;
typedef void (*DialogHook)(DialogSession &session, DialogItem &item);

// One entry of a description table. The target's type follows from the item
// type (see DialogItemType); the Make* helpers below check it at compile time,
// so that every store writes exactly its target's width.
struct DialogItem {
    uint8_t page;
    uint8_t type;
    int32_t control;  // in the terminator: 1 = OK marks the problem changed
    void *target;
    int32_t targetSize;  // bytes of a char array; 1 for an unsigned item on an int32_t
    DialogHook init;
    DialogHook apply;
};

inline DialogItem MakeCheck(int page, int id, int32_t *t, DialogHook init = nullptr, DialogHook apply = nullptr) {
    return {uint8_t(page), kItemCheck, id, t, 0, init, apply};
}
inline DialogItem MakeInt(int page, int id, int32_t *t, DialogHook init = nullptr, DialogHook apply = nullptr) {
    return {uint8_t(page), kItemInt, id, t, 0, init, apply};
}
inline DialogItem MakeUnsigned(int page, int id, uint32_t *t, DialogHook init = nullptr,
                               DialogHook apply = nullptr) {
    return {uint8_t(page), kItemUnsigned, id, t, 0, init, apply};
}
// An unsigned field held in a signed int: 0 to INT32_MAX.
inline DialogItem MakeUnsigned(int page, int id, int32_t *t, DialogHook init = nullptr, DialogHook apply = nullptr) {
    return {uint8_t(page), kItemUnsigned, id, t, 1, init, apply};
}
inline DialogItem MakeDouble(int page, int id, double *t, DialogHook init = nullptr, DialogHook apply = nullptr) {
    return {uint8_t(page), kItemDouble, id, t, 0, init, apply};
}
inline DialogItem MakeString(int page, int id, char **t, DialogHook init = nullptr, DialogHook apply = nullptr) {
    return {uint8_t(page), kItemString, id, t, 0, init, apply};
}
inline DialogItem MakeRadio(int page, int id, int32_t *t, DialogHook init = nullptr, DialogHook apply = nullptr) {
    return {uint8_t(page), kItemRadio, id, t, 0, init, apply};
}
inline DialogItem MakeCombo(int page, int id, int32_t *t, DialogHook init = nullptr, DialogHook apply = nullptr) {
    return {uint8_t(page), kItemCombo, id, t, 0, init, apply};
}
template <int N> inline DialogItem MakeCharArray(int page, int id, char (&t)[N]) {
    return {uint8_t(page), kItemCharArray, id, t, N, nullptr, nullptr};
}
inline DialogItem MakeRows(int page, int type, int id) {
    return {uint8_t(page), uint8_t(type), id, nullptr, 0, nullptr, nullptr};
}
inline DialogItem MakeDeviceText(int page, int id) { return {uint8_t(page), kItemDeviceText, id, nullptr, 0, nullptr, nullptr}; }
inline DialogItem MakeDriverCombo(int page, int id) { return {uint8_t(page), kItemDriverCombo, id, nullptr, 0, nullptr, nullptr}; }
inline DialogItem MakeEnd(int marksChanged) { return {0, kItemEnd, marksChanged, nullptr, 0, nullptr, nullptr}; }

// One page of a tabbed dialog: its selector button, its control range and
// its help topic.
struct DialogPage {
    int selector;
    int first;
    int last;
    int helpContext;
};

// The controls of one open dialog, by control id. A missing control reads as
// empty, unchecked and without selection.
class DialogControls {
public:
    virtual ~DialogControls() = default;
    virtual bool Exists(int id) = 0;
    virtual bool Enabled(int id) = 0;
    virtual void Enable(int id, bool on) = 0;
    virtual void Show(int id, bool on) = 0;
    virtual std::string Text(int id) = 0;
    virtual void SetText(int id, const std::string &text) = 0;
    virtual bool Checked(int id) = 0;
    virtual void SetChecked(int id, bool on) = 0;
    virtual void ClearCombo(int id) = 0;
    virtual void AddComboString(int id, const std::string &text) = 0;
    virtual std::string ComboString(int id, int index) = 0;
    virtual int ComboSelection(int id) = 0;  // -1 none
    virtual void SetComboSelection(int id, int index) = 0;
    virtual void Focus(int id) = 0;
    virtual void Beep() = 0;
    // A label, button or group box: its text is kept aside while its page is
    // hidden, so that its mnemonic cannot act.
    virtual bool IsLabelLike(int id) = 0;
    // Spin or scroll control of a row list: rows first..last, showing pos.
    virtual void SetRowRange(int id, int first, int last, int pos) = 0;
    virtual void SetRowPosition(int id, int pos) = 0;
    // Selects tab index of the tab control.
    virtual void SelectTab(int index) = 0;
    // Fixed-pitch font, want-return style (expression rows).
    virtual void SetFixedFont(int) {}
    virtual void SetWantReturn(int) {}
};

// What the dialogs reach outside themselves, as a host record. The frame
// installs it (InstallWin32Platform); tests install their own. Every entry
// has a default, taken when it is null: mostly nothing; the functions after
// the record call them.
struct DialogShell {
    // SyncStateMessage to the active child: 0 copies its record into the
    // work copy, 1 copies the work copy back.
    void (*syncActiveChild)(int toWindow);
    void (*setActiveChildTitle)(const char *title);
    // Asks to save a changed problem before it is replaced; false: keep it.
    // Null: true.
    bool (*querySaveProblem)();
    void (*showHelp)(int topic);
    // Other graph windows (for the linked-window combo), in enumeration order.
    std::vector<std::string> (*otherGraphTitles)();
    // 0: unlink; k: link to the k-th of otherGraphTitles.
    void (*linkGraph)(int index);
    int (*linkedGraphIndex)();
    // Keys of settings sections (in order) and their values.
    std::vector<std::string> (*sectionKeys)(int sectionStringId);
    std::string (*sectionValue)(int sectionStringId, const std::string &key);
    // Consequences of settings that live in the frame.
    void (*rebuildToolbars)();
    void (*setStatusFont)();
    void (*applyTransparency)();
    void (*buildRecentFilesMenu)();
    void (*setBackwardButton)(bool checked, bool enabled);
    // The backing bitmap of the graph work copy.
    void (*setBackingBitmapMode)(int mode);
    // Null: the problem's window host selects it.
    void (*selectCodeLibrary)(int index, const std::string &entry);
    // The plotter session of the graph work copy, before its device or
    // driver is replaced.
    void (*closePlotterSession)();
    // Parameters of the code library of entry (a key of "Code libraries"),
    // loaded only for the look and freed again; false, after message 10214
    // with the path, when the key has no path or the library does not load.
    // Null: false.
    bool (*peekCodeLibraryParameters)(const std::string &entry, std::vector<std::string> *names,
                                      std::vector<double> *values);
    // The parameter table was rebuilt: element code is stale.
    void (*parametersChanged)();
    // OK of a graph-format dialog (170, 180): recompute the mapping of the
    // active graph window and forget its zoom-back range.
    void (*graphFormatApplied)();
    // Picture formats the clipboard can take now (dialog 500): bit 0 DDB,
    // bit 1 DIB, bit 2 metafile. Null: 7.
    int (*availablePictureFormats)();
};

extern DialogShell gDialogShell;

// The entries, each through the record with its default.
void ShellSyncActiveChild(int toWindow);
void ShellSetActiveChildTitle(const char *title);
bool ShellQuerySaveProblem();
void ShellShowHelp(int topic);
std::vector<std::string> ShellOtherGraphTitles();
void ShellLinkGraph(int index);
int ShellLinkedGraphIndex();
std::vector<std::string> ShellSectionKeys(int sectionStringId);
std::string ShellSectionValue(int sectionStringId, const std::string &key);
void ShellRebuildToolbars();
void ShellSetStatusFont();
void ShellApplyTransparency();
void ShellBuildRecentFilesMenu();
void ShellSetBackwardButton(bool checked, bool enabled);
void ShellSetBackingBitmapMode(int mode);
void ShellSelectCodeLibrary(int index, const std::string &entry);
void ShellClosePlotterSession();
bool ShellPeekCodeLibraryParameters(const std::string &entry, std::vector<std::string> *names,
                                    std::vector<double> *values);
void ShellParametersChanged();
void ShellGraphFormatApplied();
int ShellAvailablePictureFormats();

// One row list's working copy while its dialog is open.
struct RowListCopy {
    std::vector<std::string> first;   // names, expressions, parameter names
    std::vector<std::string> second;  // formats (type 19)
    std::vector<double> values;       // parameter values, initial values, solver values
    int row = 0;                      // shown row
    int firstRow = 0;                 // lowest row allowed
};

// One open described dialog.
struct DialogSession {
    std::vector<DialogItem> items;  // the table, copied: hooks may rebind entries
    int dialogId = 0;
    int helpContext = 0;
    std::vector<DialogPage> pages;
    int currentPage = 0;
    DialogControls *controls = nullptr;
    int32_t scratch[4] = {};
    std::map<int, RowListCopy> rows;           // by item index
    std::map<int, std::string> savedTexts;      // label texts of hidden pages
    std::vector<int> keptHidden;                // controls a hook hid for the whole session
    int result = -1;                            // 1 OK, 0 Cancel, -1 open
    std::string failure;                        // message of the last refused OK
    int failedControl = 0;
};

// Item of the session bound to control id; null when none.
DialogItem *FindItem(DialogSession &session, int control);

// WM_INITDIALOG: fills every existing, enabled control (hooks first).
void OpenDescribedDialog(DialogSession &session, const DialogItem *table, int dialogId, int helpContext,
                         const DialogPage *pages, int pageCount, int firstPage, DialogControls *controls);
// OK: reads and checks every item; stores all and runs the apply hooks only
// when every one passed. Returns 1 when the dialog may end with 1.
int OkDescribedDialog(DialogSession &session);
// Cancel: drops the working copies.
void CancelDescribedDialog(DialogSession &session);
// Help button: the current page's topic, or the dialog's.
void HelpDescribedDialog(DialogSession &session);

// Pages: shows page index (hiding the current one); -1 or the current page
// does nothing.
void ShowDialogPage(DialogSession &session, int index);
// Shows the page whose selector is control id; false when no page has it.
bool SelectDialogPageBySelector(DialogSession &session, int selector);
void ShowControlRange(DialogSession &session, int first, int last, bool show);
void EndDialogPages(DialogSession &session);

// Row lists. key: kRowBack, kRowOn, or kRowGoto with row.
enum RowKey { kRowBack = 33, kRowOn = 34, kRowGoto = 21 };
// Moves the row list of item index; false when the move is refused.
bool MoveRow(DialogSession &session, int itemIndex, int key, int row = 0);
// Writes the label (and with fill the edits) of a row list.
void RefreshRowList(DialogSession &session, int itemIndex, bool fill);
// Item index of the row list whose edit is control id (or its second edit); -1.
int RowItemOfControl(DialogSession &session, int control);

// Refuses texts the problem file cannot keep: control characters other than
// tab and line breaks. Returns true when text may be stored.
bool DialogTextStorable(const std::string &text);
// Trailing characters with codes up to 32 cut.
std::string TrimTrailing(const std::string &text);
// Parsing of the numeric item types; false when the text is not a number.
bool ParseDialogInt(const std::string &text, int32_t *out);
bool ParseDialogUnsigned(const std::string &text, uint32_t *out);
bool ParseDialogDouble(const std::string &text, double *out);
std::string FormatDialogDouble(double v);
bool EqualNoCase(const char *a, const char *b);

// Fails item index: shows its page, focuses it, beeps; with messageId shows
// the message (formatted with arg) too.
void FailDialogItem(DialogSession &session, int itemIndex, int messageId, const std::string &arg = "");
