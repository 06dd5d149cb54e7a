#include "command_state.h"

#include <cctype>
#include <cstdio>

#include "resource_ids.h"  // the toolbar bitmaps, the first child window

namespace {
bool InRange(int id, int first, int last) { return id >= first && id <= last; }

struct CommandRow {
    int id, slot;  // slot -1: no button
    CommandRule rule;
};

constexpr CommandRow kCommandRows[] = {
#define VR_ROW_BUTTON(name, id, slot, rule, tooltip) {id, slot, rule},
#define VR_ROW_NONE(name, id, rule) {id, -1, rule},
    VR_COMMANDS(VR_ROW_BUTTON, VR_ROW_NONE)
#undef VR_ROW_BUTTON
#undef VR_ROW_NONE
};
constexpr int kCommandRowCount = sizeof kCommandRows / sizeof *kCommandRows;

constexpr bool RowsAscend() {
    for (int i = 1; i < kCommandRowCount; ++i)
        if (kCommandRows[i].id <= kCommandRows[i - 1].id) return false;
    return true;
}
static_assert(RowsAscend(), "the rows of VR_COMMANDS go by ascending id");

struct ToolbarTable {
    int rows[kToolbarCommandCount][2];
};

// Each slot taken by exactly one button.
constexpr bool SlotsComplete() {
    int uses[kToolbarCommandCount] = {};
    for (const CommandRow &c : kCommandRows)
        if (c.slot >= kToolbarCommandCount) return false;
        else if (c.slot >= 0) ++uses[c.slot];
    for (int u : uses)
        if (u != 1) return false;
    return true;
}
static_assert(SlotsComplete(), "the toolbar slots of VR_COMMANDS are 0 to the count of buttons, once each");

constexpr ToolbarTable MakeToolbarTable() {
    ToolbarTable t = {};
    for (const CommandRow &c : kCommandRows)
        if (c.slot >= 0) {
            t.rows[c.slot][0] = c.id;
            t.rows[c.slot][1] = c.slot;
        }
    return t;
}
constexpr ToolbarTable kToolbarTable = MakeToolbarTable();

constexpr int CountStated() {
    int n = 0;
    for (const CommandRow &c : kCommandRows) n += c.rule != kRuleNone;
    return n;
}

struct StatedList {
    int ids[CountStated() + 1];  // ended by 0
};

constexpr StatedList MakeStatedList() {
    StatedList list = {};
    int n = 0;
    for (const CommandRow &c : kCommandRows)
        if (c.rule != kRuleNone) list.ids[n++] = c.id;
    return list;
}
constexpr StatedList kStatedList = MakeStatedList();

const CommandRow *FindCommandRow(int id) {
    for (const CommandRow &c : kCommandRows)
        if (c.id == id) return &c;
    return nullptr;
}

// Help contexts by command range: the recent slots share a topic, the Help
// menu's own items (and Mathematica) have theirs, the code libraries' and
// plug-ins' items below it share one, any other command one, and the Window
// menu's child windows one.
constexpr int kRecentHelpLast = 200;
constexpr int kHelpMenuOwnLast = 930;
constexpr int kHelpMenuLast = 998;
constexpr int kOtherCommandHelp = 999;
}  // namespace

const int (&kToolbarCommandTable)[kToolbarCommandCount][2] = kToolbarTable.rows;
const int *const kStatedCommands = kStatedList.ids;

int ToolbarIndexOfCommand(int command) {
    const CommandRow *row = FindCommandRow(command);
    return row ? row->slot : -1;
}

ToolbarLine ParseToolbarLayout(const char *layout) {
    ToolbarLine line = {};
    if (!layout || !*layout) return line;
    line.created = layout[0] != '0';
    line.visible = layout[0] == '1';
    for (const char *p = layout + 1; p[0] && p[1] && line.count < kMaxToolbarEntries; p += 2) {
        const char pair[3] = {p[0], p[1], 0};
        int value;
        if (std::sscanf(pair, "%d", &value) != 1) continue;
        line.entries[line.count++] = value < 0 ? kToolbarSeparator : value;
    }
    return line;
}

std::string FormatToolbarLayout(int visible, const int *entries, int count) {
    std::string s(1, visible ? '1' : '0');
    for (int i = 0; i < count && i < kMaxToolbarEntries; ++i) {
        if (entries[i] == kToolbarEmptyEntry) break;
        char pair[16];
        std::snprintf(pair, sizeof pair, "%02d", entries[i] < 0 ? kToolbarSeparator : entries[i]);
        s += pair;
    }
    return s;
}

ToolbarMetrics ComputeToolbarMetrics(int bigButtons) {
    const int size = bigButtons < 0 ? 0 : bigButtons > 2 ? 2 : bigButtons;
    ToolbarMetrics m;
    m.margin = 2 + size;
    m.height = 22 + 11 * size;
    m.columnWidth = m.height + m.margin;
    m.buttonWidth = 16 + 8 * size;
    m.buttonHeight = m.buttonWidth - m.margin;
    m.bitmapId = IDB_TOOLBAR_SMALL + size;
    return m;
}

int MapCommandToHelpContext(int command) {
    if (ToolbarIndexOfCommand(command) >= 0) return command;
    if (InRange(command, IDM_RECENT_FIRST, kRecentHelpLast)) return IDM_RECENT_FIRST;
    if (command == IDM_MATHEMATICA || InRange(command, IDM_HELP_INDEX, kHelpMenuOwnLast)) return command;
    if (InRange(command, IDM_CODE_LIBRARY_SEPARATOR, kHelpMenuLast)) return IDM_CODE_LIBRARY_SEPARATOR;
    if (command < VR_FIRST_CHILD_ID) return kOtherCommandHelp;
    return VR_FIRST_CHILD_ID;
}

std::string AssignMenuMnemonics(const std::string &text, MnemonicSet &used) {
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        bool *slot = nullptr;
        if (c >= '0' && c <= '9') slot = &used.digits[c - '0'];
        else if (c < 128 && std::isalpha(c)) slot = &used.letters[std::toupper(c) - 'A'];
        if (!slot || *slot) continue;
        *slot = true;
        return text.substr(0, i) + '&' + text.substr(i);
    }
    return text;
}

namespace {
bool RuleHolds(CommandRule rule, int id, const CommandStateInputs &in) {
    const bool idle = in.running == 0;
    const bool graph = in.activeKind == 1 && idle;
    const bool shown = in.children > in.minimised;
    switch (rule) {
    case kRuleNone: break;
    case kRuleIdle: return idle;
    case kRuleRunning: return !idle;
    case kRuleGraph: return graph;
    case kRuleWindow: return in.activeKind != 0;
    case kRuleWindowIdle: return in.activeKind != 0 && idle;
    case kRuleTextIdle: return in.activeKind == 2 && idle;
    case kRuleShown: return shown;
    case kRuleShownIdle: return shown && idle;
    case kRuleMinimised: return in.minimised != 0;
    case kRuleChildrenIdle: return in.children != 0 && idle;
    case kRulePlotterIdle: return in.plotterOutput && idle;
    case kRuleFlowIdle: return !in.mapProblem && idle;
    case kRuleContinue: return idle && in.canContinue;
    case kRuleFullPath: return in.hasFullPath != 0;
    case kRuleHtmlNotes: return in.htmlNotesExists != 0;
    case kRuleRecent: return in.recentExists[id - IDM_RECENT_FIRST];
    case kRulePicture: return graph && in.clipboardPicture;
    case kRuleWindowClipboard: return idle && in.clipboardWindow;
    }
    return false;
}
}  // namespace

int CommandEnabledByState(int id, const CommandStateInputs &in) {
    const CommandRow *row = FindCommandRow(id);
    if (!row || row->rule == kRuleNone) return -1;
    return RuleHolds(row->rule, id, in);
}

ButtonShow ButtonShowFor(int mode, bool enabled) {
    if (mode == 0) return {true, !enabled};
    if (mode == 1) return {true, false};
    return {enabled, false};
}
