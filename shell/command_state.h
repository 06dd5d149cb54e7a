// The toolbars' command table and layouts, and the rules that enable the
// frame's commands from the program's state. Portable, so that the rules are
// tested apart from the windows that show them.
#pragma once
#include <string>

#include "command_ids.h"
#include "platform.h"  // RunChoice
#include "settings.h"  // kToolbarCount, the default layouts

// What enables a command from the program's state; each row of VR_COMMANDS
// names one. "Idle": no run in progress. "Graph": a graph window is active
// and no run is in progress.
enum CommandRule {
    kRuleNone,             // no rule: the command is left as it is
    kRuleIdle,
    kRuleRunning,
    kRuleGraph,
    kRuleWindow,           // any window active, also while running
    kRuleWindowIdle,       // any window active
    kRuleTextIdle,         // a text window active
    kRuleShown,            // some child window not minimised, also while running
    kRuleShownIdle,
    kRuleMinimised,        // some child window minimised
    kRuleChildrenIdle,     // some child window
    kRulePlotterIdle,      // plotter output on
    kRuleFlowIdle,         // not a map (no method, no direction)
    kRuleContinue,         // idle and the run may continue
    kRuleFullPath,         // the problem has a full path
    kRuleHtmlNotes,        // its HTML notes file exists
    kRuleRecent,           // the file of the command's recent slot exists
    kRulePicture,          // graph and a picture on the clipboard
    kRuleWindowClipboard,  // idle and a window on the clipboard
};

#define VR_COUNT_BUTTON(name, id, slot, rule, tooltip) +1
#define VR_COUNT_NONE(name, id, rule)
constexpr int kToolbarCommandCount = 0 VR_COMMANDS(VR_COUNT_BUTTON, VR_COUNT_NONE);
#undef VR_COUNT_BUTTON
#undef VR_COUNT_NONE
constexpr int kMaxToolbarEntries = 63;
constexpr int kToolbarSeparator = -1;
constexpr int kToolbarEmptyEntry = -2;
// A command's tooltip and its status-line help are strings at these offsets.
constexpr int kTooltipStringOffset = VR_TOOLTIP_STRING_OFFSET;
constexpr int kStatusHelpStringOffset = 12800;

// {command id, bitmap index} by toolbar slot; the bitmap index of entry i
// is i.
extern const int (&kToolbarCommandTable)[kToolbarCommandCount][2];
// Index of a command in the table, -1 when it has no button.
int ToolbarIndexOfCommand(int command);

// One toolbar's layout: '1' shown, '0' not created, then pairs of
// characters read with "%d" (0-97 a button, -1 a separator). Pairs that do
// not parse are left out; indices of 98 and more are kept (they give no
// button) so that customising writes back what it was given.
struct ToolbarLine {
    int created;  // first character neither NUL nor '0'
    int visible;  // first character '1'
    int count;
    int entries[kMaxToolbarEntries];
};
ToolbarLine ParseToolbarLayout(const char *layout);
// '1' or '0', then each entry as "%02d" ("-1" for a separator).
std::string FormatToolbarLayout(int visible, const int *entries, int count);

struct ToolbarMetrics {
    int margin, height, columnWidth, buttonWidth, buttonHeight, bitmapId;
};
// bigButtons: 0 small, 1 medium, 2 big (others clamp to the nearest).
ToolbarMetrics ComputeToolbarMetrics(int bigButtons);

int MapCommandToHelpContext(int command);

// The command that shows a choice of the run.
constexpr int CommandOfChoice(RunChoice choice) {
    return choice == kChoiceMethod ? IDM_METHOD : choice == kChoiceBackward ? IDM_BACKWARD : IDM_CONTINUE;
}

// Mnemonics already given in one popup menu: ten digits, 26 letters.
struct MnemonicSet {
    bool digits[10];
    bool letters[26];
};
// The text with '&' before its first character that is a free digit or a
// free letter (taken upper-cased), which becomes used; unchanged when no
// character is free.
std::string AssignMenuMnemonics(const std::string &text, MnemonicSet &used);

// What the enabling rules look at. activeKind: 0 none, 1 graph, 2 text.
struct CommandStateInputs {
    int running;
    int children, minimised, activeKind;
    int plotterOutput;
    int mapProblem;
    int canContinue;
    int hasFullPath;
    int htmlNotesExists;
    bool recentExists[9];
    int clipboardPicture;  // bitmap, metafile picture or DIB
    int clipboardWindow;   // the program's window format
};
// 1 enabled, 0 disabled, -1 when no rule speaks of the command.
int CommandEnabledByState(int command, const CommandStateInputs &in);
// Every command that some rule speaks of, in ascending order, ended by 0.
extern const int *const kStatedCommands;

// "Disabled buttons": 0 hidden (never disabled), 1 normal (always enabled
// and shown), 2 grayed (disabled as asked, never hidden).
struct ButtonShow {
    bool enabled;
    bool hidden;
};
ButtonShow ButtonShowFor(int disabledButtonsMode, bool enabled);
