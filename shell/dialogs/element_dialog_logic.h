// Dialog 800 "Graphics Element": the list of the current graph is edited as
// a deep copy, one element at a time through gElementDialogCopy, with the
// rows each kind uses labelled from the string list and the others hidden.
// OK keeps the edited list, Cancel puts the old one back untouched.
// Portable: the controls are reached through DialogControls, the colour
// chooser, file question, kind question, clipboard and help through hooks.
#pragma once
#include <cstdint>
#include <string>

#include "described_dialog.h"
#include "graph_state.h"

// The fields of an element in dialog order: f 0..2 the texts, 3..9 the
// doubles x .. direction, 10 colour, 11 line, 12 steps. The label of field f
// is control 28015 + 2f, its edit 28016 + 2f; the label text of field f of
// kind k is string 3520 + 16k + f (empty: the row is hidden).
constexpr int kElementFieldCount = 13;
constexpr int kElementLabelStrings = 3520;
int ElementFieldLabelId(int field);
int ElementFieldEditId(int field);
int ElementFieldStringId(int kind, int field);

// What the dialog reaches outside itself; a null hook does without (its
// button is disabled).
struct ElementDialogHooks {
    int (*askNewKind)();                            // dialog 830; 1 on OK
    int (*askFileName)(std::string *name);          // input file; 1 when chosen
    int (*chooseColor)(int32_t *color);             // 1 when changed
    int (*copyToClipboard)(const GraphicsElement *e);  // 1 on success
    int (*pasteFromClipboard)();                    // inserts after the current one; 1 on success
    void (*showHelp)(int topic);
    void (*repaintPreview)();
};

struct ElementDialog {
    DialogControls *controls = nullptr;
    ElementDialogHooks hooks = {};
    GraphWindowState *graph = nullptr;
    // The window's own list while the copy is edited.
    GraphicsElement *savedList = nullptr;
    GraphicsElement *savedCurrent = nullptr;
    int savedCount = 0, savedIndex = -1;
    int savedChanged = 0;
    bool filling = false;
    bool open = false;
};

// The dialog's standard buttons (IDOK, IDCANCEL, IDHELP).
enum ElementDialogButton { kElementOk = 1, kElementCancel = 2, kElementHelpButton = 9 };

constexpr int kElementDialogHelp = 2400;
constexpr int kNewElementHelp = 2500;

// Puts a deep copy of gCurrentGraph's list in its place (count and index
// kept), sets the dialog-open flag; then fills the controls (kind combo
// first). False when there is no current graph.
bool BeginElementDialog(ElementDialog &d, DialogControls *controls, const ElementDialogHooks &hooks);
// The controls from the current element (number rewritten when asked).
void FillElementDialog(ElementDialog &d, bool rewriteNumber);
// Checks every field and stores them in the current element; a field that
// is not a number (or a text the problem file cannot keep) is refused with
// a message, focused, and nothing is stored. True without a current
// element or with the combo disabled.
bool ReadElementDialog(ElementDialog &d);
// A command of the dialog (control id, notification). Returns 1 when the
// dialog ends with OK, 0 when it ends with Cancel, -1 when it stays open.
int ElementDialogCommand(ElementDialog &d, int id, int notification);
// OK (1): the edited list stays and the old one is released; Cancel (0):
// the copy is released and the old list, count, index and changed flag come
// back. Either way the current element is sought again.
void EndElementDialog(ElementDialog &d, int ok);
