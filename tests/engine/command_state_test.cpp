// The toolbars' table and layouts, and the rules that enable commands.
#include "command_state.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(ToolbarTable, NinetyEightDistinctCommandsEachWithItsOwnImage) {
    std::set<int> ids;
    for (int i = 0; i < kToolbarCommandCount; ++i) {
        EXPECT_EQ(kToolbarCommandTable[i][1], i);
        ids.insert(kToolbarCommandTable[i][0]);
        EXPECT_EQ(ToolbarIndexOfCommand(kToolbarCommandTable[i][0]), i);
    }
    EXPECT_EQ(ids.size(), 98u);
    // A few fixed points of the order that stored layouts depend on.
    EXPECT_EQ(kToolbarCommandTable[6][0], 108);
    EXPECT_EQ(kToolbarCommandTable[55][0], 641);
    EXPECT_EQ(kToolbarCommandTable[70][0], 309);
    EXPECT_EQ(kToolbarCommandTable[97][0], 230);
    EXPECT_EQ(ToolbarIndexOfCommand(905), -1);
}

TEST(ToolbarLayout, TheFirstDefaultRowHoldsItsButtonsAndSeparators) {
    const ToolbarLine line = ParseToolbarLayout(kDefaultToolbarLayouts[0]);
    EXPECT_TRUE(line.created);
    EXPECT_TRUE(line.visible);
    const int expected[] = {0, 1, 2, -1, 5, 25, -1, 17, 16, -1, 84, 85, -1, 8, 13, -1, 41, 42, 43, 44, -1,
                            20, 21, -1, 29, 30, 19, 23, 28, -1, 80, -1, 73};
    ASSERT_EQ(line.count, static_cast<int>(sizeof expected / sizeof *expected));
    for (int i = 0; i < line.count; ++i) EXPECT_EQ(line.entries[i], expected[i]) << i;
    // Written back as read.
    EXPECT_EQ(FormatToolbarLayout(1, line.entries, line.count), kDefaultToolbarLayouts[0]);
}

TEST(ToolbarLayout, FlagsOddPairsBadPairsAndUnknownIndices) {
    struct Case {
        const char *layout;
        int created, visible, count;
    } cases[] = {
        {"", 0, 0, 0},          {"0", 0, 0, 0},      {"1", 1, 1, 0},
        {"2", 1, 0, 0},         {"10", 1, 1, 0},     {"10001", 1, 1, 2},  // the odd last character is dropped
        {"1xx05", 1, 1, 1},     {"19905", 1, 1, 2},  {"1-5", 1, 1, 1},
    };
    for (const Case &c : cases) {
        const ToolbarLine line = ParseToolbarLayout(c.layout);
        EXPECT_EQ(line.created, c.created) << c.layout;
        EXPECT_EQ(line.visible, c.visible) << c.layout;
        EXPECT_EQ(line.count, c.count) << c.layout;
    }
    EXPECT_EQ(ParseToolbarLayout("1xx05").entries[0], 5);
    EXPECT_EQ(ParseToolbarLayout("19905").entries[0], 99);  // kept; it gives no button
    EXPECT_EQ(ParseToolbarLayout("1-5").entries[0], kToolbarSeparator);
    // At most 63 entries.
    EXPECT_EQ(ParseToolbarLayout(("1" + std::string(2 * 70, '0')).c_str()).count, kMaxToolbarEntries);
}

TEST(ToolbarLayout, WritingStopsAtTheFirstEmptyEntryAndAnEmptyToolbarIsItsFlag) {
    const int entries[] = {3, -1, 97, 98, kToolbarEmptyEntry, 5};
    EXPECT_EQ(FormatToolbarLayout(0, entries, 6), "003-19798");
    EXPECT_EQ(FormatToolbarLayout(1, entries, 0), "1");
}

TEST(ToolbarMetricsTest, ThreeSizes) {
    const ToolbarMetrics small = ComputeToolbarMetrics(0), medium = ComputeToolbarMetrics(1),
                         big = ComputeToolbarMetrics(2);
    EXPECT_EQ(small.margin, 2);
    EXPECT_EQ(small.height, 22);
    EXPECT_EQ(small.columnWidth, 24);
    EXPECT_EQ(small.buttonWidth, 16);
    EXPECT_EQ(small.buttonHeight, 14);
    EXPECT_EQ(small.bitmapId, 518);
    EXPECT_EQ(medium.height, 33);
    EXPECT_EQ(medium.buttonWidth, 24);
    EXPECT_EQ(medium.buttonHeight, 21);
    EXPECT_EQ(medium.bitmapId, 519);
    EXPECT_EQ(big.margin, 4);
    EXPECT_EQ(big.height, 44);
    EXPECT_EQ(big.columnWidth, 48);
    EXPECT_EQ(big.buttonHeight, 28);
    EXPECT_EQ(big.bitmapId, 520);
}

TEST(HelpContext, TableCommandsRecentSlotsHelpAndWindows) {
    const int cases[][2] = {{101, 101}, {230, 230}, {905, 905}, {170, 170}, {178, 170}, {200, 170},
                            {708, 708}, {931, 931}, {967, 931}, {998, 931}, {999, 999}, {250, 999},
                            {8999, 999}, {9001, 9001}, {9050, 9001}};
    for (const auto &c : cases) EXPECT_EQ(MapCommandToHelpContext(c[0]), c[1]) << c[0];
}

TEST(Mnemonics, FirstFreeCharacterAndNoneLeft) {
    MnemonicSet used = {};
    EXPECT_EQ(AssignMenuMnemonics("New", used), "&New");
    EXPECT_EQ(AssignMenuMnemonics("next", used), "n&ext");  // N is taken, case aside
    EXPECT_EQ(AssignMenuMnemonics("3-D view", used), "&3-D view");
    EXPECT_EQ(AssignMenuMnemonics("3-D new", used), "3-&D new");
    EXPECT_EQ(AssignMenuMnemonics("Ned", used), "Ned");  // N, E and D are all taken
    EXPECT_EQ(AssignMenuMnemonics("", used), "");
}

CommandStateInputs Idle() {
    CommandStateInputs in = {};
    in.children = 2;
    in.activeKind = 1;
    return in;
}

TEST(CommandStates, ARunRefusesWhatChangesTheProblemAndItsWindows) {
    CommandStateInputs in = Idle();
    in.canContinue = 1;
    in.running = 1;
    // New windows too: a run walks the set of windows after every point.
    const int refused[] = {101, 102, 106, 108, 201, 212, 301, 305, 302, 304, 308, 413, 422, 423, 501, 503, 504, 601, 641, 661};
    for (int id : refused) EXPECT_EQ(CommandEnabledByState(id, in), 0) << id;
    const int allowed[] = {411, 412, 418, 419, 420, 502};
    for (int id : allowed) EXPECT_EQ(CommandEnabledByState(id, in), 1) << id;
    in.running = 0;
    for (int id : refused) EXPECT_EQ(CommandEnabledByState(id, in), 1) << id;
    EXPECT_EQ(CommandEnabledByState(502, in), 0);
}

TEST(CommandStates, WindowCountsKindsAndTheProblem) {
    CommandStateInputs in = Idle();
    in.activeKind = 2;
    EXPECT_EQ(CommandEnabledByState(306, in), 1);
    EXPECT_EQ(CommandEnabledByState(302, in), 0);  // not a graph
    EXPECT_EQ(CommandEnabledByState(106, in), 1);
    in.minimised = 2;  // every child minimised
    EXPECT_EQ(CommandEnabledByState(413, in), 0);
    EXPECT_EQ(CommandEnabledByState(418, in), 0);
    EXPECT_EQ(CommandEnabledByState(421, in), 1);
    in = {};
    EXPECT_EQ(CommandEnabledByState(106, in), 0);
    EXPECT_EQ(CommandEnabledByState(422, in), 0);
    EXPECT_EQ(CommandEnabledByState(411, in), 0);
    in.mapProblem = 1;
    EXPECT_EQ(CommandEnabledByState(210, in), 0);
    EXPECT_EQ(CommandEnabledByState(504, in), 0);
    EXPECT_EQ(CommandEnabledByState(503, in), 0);  // nothing to continue
    EXPECT_EQ(CommandEnabledByState(309, in), 0);
    in.plotterOutput = 1;
    EXPECT_EQ(CommandEnabledByState(309, in), 1);
    in.recentExists[3] = true;
    EXPECT_EQ(CommandEnabledByState(173, in), 1);
    EXPECT_EQ(CommandEnabledByState(174, in), 0);
    EXPECT_EQ(CommandEnabledByState(901, in), -1);  // no rule: left alone
    EXPECT_EQ(CommandEnabledByState(103, in), -1);
}

TEST(CommandStates, PasteFollowsTheClipboard) {
    CommandStateInputs in = Idle();
    EXPECT_EQ(CommandEnabledByState(414, in), 0);
    EXPECT_EQ(CommandEnabledByState(426, in), 0);
    in.clipboardPicture = 1;
    in.clipboardWindow = 1;
    EXPECT_EQ(CommandEnabledByState(414, in), 1);
    EXPECT_EQ(CommandEnabledByState(426, in), 1);
    in.activeKind = 2;
    EXPECT_EQ(CommandEnabledByState(414, in), 0);
    in.running = 1;
    EXPECT_EQ(CommandEnabledByState(426, in), 0);
}

TEST(CommandStates, TheListOfStatedCommandsHasEveryRuleAndNoOther) {
    const CommandStateInputs in = {};
    std::set<int> listed;
    for (const int *p = kStatedCommands; *p; ++p) listed.insert(*p);
    for (int id = 100; id < 1000; ++id)
        EXPECT_EQ(CommandEnabledByState(id, in) != -1, listed.count(id) == 1) << id;
}

TEST(DisabledButtons, HiddenNormalGrayed) {
    EXPECT_TRUE(ButtonShowFor(0, false).hidden);
    EXPECT_TRUE(ButtonShowFor(0, false).enabled);
    EXPECT_FALSE(ButtonShowFor(0, true).hidden);
    EXPECT_TRUE(ButtonShowFor(1, false).enabled);
    EXPECT_FALSE(ButtonShowFor(1, false).hidden);
    EXPECT_FALSE(ButtonShowFor(2, false).enabled);
    EXPECT_FALSE(ButtonShowFor(2, false).hidden);
    EXPECT_TRUE(ButtonShowFor(2, true).enabled);
}

}  // namespace
