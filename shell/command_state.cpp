#include "command_state.h"

#include <cctype>
#include <cstdio>

namespace {
bool InRange(int id, int first, int last) { return id >= first && id <= last; }
}  // namespace

const int kToolbarCommandTable[kToolbarCommandCount][2] = {
    {101, 0}, {102, 1}, {103, 2}, {104, 3}, {105, 4}, {106, 5}, {108, 6}, {201, 7},
    {202, 8}, {203, 9}, {204, 10}, {205, 11}, {206, 12}, {208, 13}, {209, 14}, {210, 15},
    {211, 16}, {212, 17}, {301, 18}, {302, 19}, {303, 20}, {304, 21}, {305, 22}, {306, 23},
    {307, 24}, {308, 25}, {310, 26}, {311, 27}, {312, 28}, {411, 29}, {412, 30}, {413, 31},
    {414, 32}, {415, 33}, {416, 34}, {418, 35}, {419, 36}, {420, 37}, {421, 38}, {422, 39},
    {423, 40}, {501, 41}, {502, 42}, {503, 43}, {504, 44}, {601, 45}, {602, 46}, {605, 47},
    {606, 48}, {609, 49}, {612, 50}, {613, 51}, {661, 52}, {662, 53}, {663, 54}, {641, 55},
    {642, 56}, {643, 57}, {644, 58}, {645, 59}, {646, 60}, {647, 61}, {648, 62}, {649, 63},
    {666, 64}, {701, 65}, {702, 66}, {703, 67}, {704, 68}, {705, 69}, {309, 70}, {706, 71},
    {707, 72}, {901, 73}, {904, 74}, {667, 75}, {607, 76}, {608, 77}, {664, 78}, {665, 79},
    {603, 80}, {107, 81}, {207, 82}, {417, 83}, {221, 84}, {222, 85}, {424, 86}, {425, 87},
    {426, 88}, {708, 89}, {109, 90}, {213, 91}, {610, 92}, {611, 93}, {110, 94}, {111, 95},
    {214, 96}, {230, 97},
};

int ToolbarIndexOfCommand(int command) {
    for (int i = 0; i < kToolbarCommandCount; ++i)
        if (kToolbarCommandTable[i][0] == command) return i;
    return -1;
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
    m.bitmapId = 518 + size;
    return m;
}

int MapCommandToHelpContext(int command) {
    if (ToolbarIndexOfCommand(command) >= 0) return command;
    if (InRange(command, 170, 200)) return 170;
    if (command == 708 || InRange(command, 901, 930)) return command;
    if (InRange(command, 931, 998)) return 931;
    if (command < 9001) return 999;
    return 9001;
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

const int kStatedCommands[] = {
    101, 102, 106, 108, 109, 111, 170, 171, 172, 173, 174, 175, 176, 177, 178, 201, 202, 203, 204, 205, 206,
    207, 208, 209, 210, 211, 212, 213, 221, 222, 301, 302, 303, 304, 305, 306, 307, 308, 309, 310, 311, 312, 411, 412,
    413, 414, 415, 416, 417, 418, 419, 420, 421, 422, 423, 424, 425, 426, 501, 502, 503, 504, 601, 602, 605,
    606, 607, 608, 609, 610, 611, 612, 613, 615, 616, 641, 642, 643, 644, 645, 646, 647, 648, 649, 661, 662,
    663, 664, 665, 666, 667, 0};

int CommandEnabledByState(int id, const CommandStateInputs &in) {
    const bool running = in.running != 0;
    const bool graphActive = in.activeKind == 1 && !running;
    if (InRange(id, 170, 178)) return in.recentExists[id - 170];
    if (InRange(id, 605, 613) || id == 615 || id == 616 || InRange(id, 641, 649) || InRange(id, 661, 667))
        return graphActive;
    switch (id) {
    case 106: case 304: return in.activeKind != 0 && !running;
    case 302: case 303: case 307: case 416: case 417: return graphActive;
    case 306: return in.activeKind == 2 && !running;
    case 411: case 412: return in.activeKind != 0;
    case 413: case 415: case 601: case 602: return in.children > in.minimised && !running;
    case 308: return !running;
    case 309: case 310: case 311: return in.plotterOutput && !running;
    case 418: case 419: case 420: return in.children > in.minimised;
    case 421: return in.minimised != 0;
    case 422: case 423: case 424: case 425: return in.children != 0 && !running;
    case 101: case 102: case 108: case 109: case 201: case 202: case 203: case 204: case 205: case 206:
    case 207: case 208: case 209: case 211: case 212: case 221: case 222: case 301: case 305: case 312:
    case 501:
        return !running;
    case 111: return in.hasFullPath != 0;
    case 213: return in.htmlNotesExists != 0;
    case 210: case 504: return !in.mapProblem && !running;
    case 502: return running;
    case 503: return !running && in.canContinue;
    case 414: return graphActive && in.clipboardPicture;
    case 426: return !running && in.clipboardWindow;
    }
    return -1;
}

ButtonShow ButtonShowFor(int mode, bool enabled) {
    if (mode == 0) return {true, !enabled};
    if (mode == 1) return {true, false};
    return {enabled, false};
}
