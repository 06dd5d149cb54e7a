// The description tables of the settings dialogs and their hooks, and which
// menu command opens which of them.
#pragma once
#include "described_dialog.h"
#include "problem_settings.h"

// Four cells that hooks use to keep a live value between init and apply:
// the item edits the cell, the apply hook compares and carries it out.
extern int32_t gDialogScratch[4];

// Paste options of dialog 500 "Mode": clipboard format, raster operation,
// resizing and stretch priority (indices into their lists).
extern int32_t gPasteFormat, gPasteRasterOp, gPasteResize, gPastePriority;

// The item type that edits a problem setting of the given kind: a choice
// is a combo box.
constexpr DialogItemType ItemTypeOfValue(ProblemValueKind kind) {
    return PerValueKind(kind, kItemDouble, kItemInt, kItemUnsigned, kItemCheck, kItemCombo);
}

// Dialog ids.
enum SettingsDialogId {
    kDialogProblemType = 110,
    kDialogDefinitions = 130,
    kDialogMethod = 140,
    kDialogIterationRange = 150,
    kDialogStatusLine = 160,
    kDialogGraphFormat = 170,
    kDialogMapGraphFormat = 180,
    kDialogTextFormat = 190,
    kDialogMapTextFormat = 200,
    kDialogPreferences = 400,
    kDialogPasteMode = 500,
    kDialogNewElement = 830,
    kDialogMathematica = 820,
};

extern const DialogItem kProblemTypeTable[];
extern const DialogPage kProblemTypePages[];
extern const DialogItem kDefinitionsTable[];
extern const DialogPage kDefinitionsPages[];
extern const DialogItem kMethodTable[];
extern const DialogPage kMethodPages[];
extern const DialogItem kIterationRangeTable[];
extern const DialogItem kStatusLineTable[];
extern const DialogItem kGraphFormatTable[];
extern const DialogPage kGraphFormatPages[];
extern const DialogItem kTextFormatTable[];
extern const DialogItem kPreferencesTable[];
extern const DialogPage kPreferencesPages[];
extern const DialogItem kPasteModeTable[];
extern const DialogItem kNewElementTable[];
extern const DialogItem kMathematicaTable[];
extern const DialogPage kMathematicaPages[];

// What a menu command opens.
enum SettingsTarget { kForProblem = 0, kForGraph = 1, kForText = 2 };
struct SettingsDialogChoice {
    const DialogItem *table;
    int dialogId;
    const DialogPage *pages;
    int pageCount;
    int firstPage;
    int helpContext;
    int target;       // SettingsTarget: the active child it needs
};

// The dialog of a menu command for the current problem kind; false for a
// command that opens none.
bool FindSettingsDialog(int command, SettingsDialogChoice *out);

// The parameter rows of the Method page for entry of the code-library
// combo: none for the built-in method (0), the loaded library's for the one
// in use, else those of the entry's library, looked at without selecting it.
// An entry whose library cannot be loaded puts the combo back to 0.
void ShowSolverParameterPage(DialogSession &session, int entry);

// Commands from controls of an open dialog that the tables' hooks handle
// (page selectors are the engine's): name edits relabel the rows, the paste
// format enables its groups, the code-library combo shows its parameters.
// True when handled.
bool SettingsDialogCommand(DialogSession &session, int control, int notification);

// Notification codes the command handler knows (the Win32 values).
constexpr int kNotifyEditUpdate = 0x400;     // EN_UPDATE
constexpr int kNotifySelectionChange = 1;    // CBN_SELCHANGE
constexpr int kNotifyClicked = 0;            // BN_CLICKED
