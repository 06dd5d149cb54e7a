// The portable side of the settings: ":" expansion within its buffer and the
// option table's consistency with the string list.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "settings.h"
#include "string_table.h"

namespace {

TEST(ExpandProgramFolder, ResolvesColonAndNeverWritesPastTheBuffer) {
    struct Case {
        const char *value, *folder;
        int size;
        int length;
        const char *out;
    } const cases[] = {
        {":fonts\\a.ft", "C:\\V\\", 64, 15, "C:\\V\\fonts\\a.ft"},
        {":fonts\\a.ft", "", 64, 10, "fonts\\a.ft"},  // no program folder: ":" dropped
        {"D:\\x.ft", "C:\\V\\", 64, 7, "D:\\x.ft"},    // no ":" prefix: as it stands
        {":ab", "C:\\", 6, 5, "C:\\ab"},                // exactly fills the buffer
        {":abc", "C:\\", 6, -1, ""},                    // one too many: refused
        {"abcdef", "", 6, -1, ""},
        {"", "C:\\", 1, 0, ""},
    };
    for (const Case &c : cases) {
        char out[80];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(ExpandProgramFolder(c.value, c.folder, out, c.size), c.length) << c.value;
        EXPECT_STREQ(out, c.out) << c.value;
        EXPECT_EQ(out[c.size], '#') << c.value;  // nothing beyond size
    }
}

TEST(OptionTable, KeysAreDistinctStringsAndFindable) {
    std::set<int> ids;
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        EXPECT_TRUE(ids.insert(e.keyId).second) << e.keyId;
        EXPECT_NE(FindStringText(e.keyId), nullptr) << e.keyId;
        EXPECT_EQ(FindOption(e.keyId), &e);
    }
    EXPECT_EQ(FindOption(1), nullptr);
}

}  // namespace
