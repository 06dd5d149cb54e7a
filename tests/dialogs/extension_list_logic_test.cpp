// The extension lists' working list natively: which names the settings can
// hold, the check before OK, and the moves.
#include <gtest/gtest.h>

#include "extension_list_logic.h"

namespace {

std::string Names(const std::vector<ExtensionEntry> &entries) {
    std::string names;
    for (const ExtensionEntry &e : entries) names += e.name;
    return names;
}

TEST(ExtensionList, NamesThatWouldCorruptTheSettingsAreRefused) {
    const struct {
        const char *name;
        bool ok;
    } cases[] = {{"Elliptic", true}, {"a;b [c]", true}, {"", false}, {"a=b", false},
                 {";comment", false}, {"[Section]", false}, {"=", false}};
    for (const auto &c : cases) EXPECT_EQ(IsStorableExtensionName(c.name), c.ok) << c.name;

    std::vector<ExtensionEntry> entries = {{"A", ":A.dll", ""}, {"B", "", "b.chm"}, {"C=", "c.dll", ""}};
    EXPECT_EQ(FirstBadExtensionEntry(entries), 1);  // no file
    entries[1].file = "b.dll";
    EXPECT_EQ(FirstBadExtensionEntry(entries), 2);
    entries[2].name = "C";
    EXPECT_EQ(FirstBadExtensionEntry(entries), -1);
    EXPECT_EQ(FirstBadExtensionEntry({}), -1);  // an empty list deletes both sections
}

TEST(ExtensionList, MovesAndRemovalKeepASelection) {
    std::vector<ExtensionEntry> entries = {{"A", "a", ""}, {"B", "b", ""}, {"C", "c", ""}};
    EXPECT_EQ(MoveExtensionEntry(entries, 0, -1), -1);
    EXPECT_EQ(MoveExtensionEntry(entries, 2, 1), -1);
    EXPECT_EQ(MoveExtensionEntry(entries, -1, 1), -1);
    EXPECT_EQ(Names(entries), "ABC");
    EXPECT_EQ(MoveExtensionEntry(entries, 0, 1), 1);
    EXPECT_EQ(Names(entries), "BAC");
    EXPECT_EQ(MoveExtensionEntry(entries, 2, -1), 1);
    EXPECT_EQ(Names(entries), "BCA");

    EXPECT_EQ(RemoveExtensionEntry(entries, 5), -2);
    EXPECT_EQ(RemoveExtensionEntry(entries, 1), 1);  // the entry after it
    EXPECT_EQ(Names(entries), "BA");
    EXPECT_EQ(RemoveExtensionEntry(entries, 1), 0);  // the new last one
    EXPECT_EQ(RemoveExtensionEntry(entries, 0), -1);
    EXPECT_TRUE(entries.empty());
}

}  // namespace
