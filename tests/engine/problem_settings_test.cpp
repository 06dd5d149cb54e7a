// The problem settings' one list against the problem file's key tables: a
// key that stores a setting has the type of the setting's kind, every
// setting is stored by some key, and a choice by one radio key per value.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "problem_keys.h"
#include "problem_settings.h"

namespace {

struct KeyTable {
    const ProblemKeyDescriptor *keys;
    int count;
};
const KeyTable kKeyTables[] = {
    {kVersionTable, kVersionTableCount}, {kTypeTable, kTypeTableCount}, {kGlobalTable, kGlobalTableCount},
    {kGraphTable, kGraphTableCount},     {kTextTable, kTextTableCount}, {kNotesTable, kNotesTableCount},
    {kElementTable, kElementTableCount},
};

TEST(ProblemSettingKeys, EveryKeyOfASettingHasItsKindAndEverySettingItsKeys) {
    // Written keys per setting, and for a choice the radio values written.
    std::vector<std::vector<std::string>> written(kProblemSettingCount);
    std::vector<std::vector<int>> radioValues(kProblemSettingCount);
    for (const KeyTable &t : kKeyTables) {
        for (int k = 0; k < t.count; ++k) {
            const ProblemKeyDescriptor &key = t.keys[k];
            const ProblemSetting *s = key.target ? FindProblemSetting(key.target()) : nullptr;
            if (!s) continue;
            const int id = static_cast<int>(s - kProblemSettings);
            EXPECT_EQ(key.type, KeyTypeOfValue(s->kind)) << key.name;
            if (s->kind == kValueChoice) {
                const int value = key.flags & kKeyRadioValueMask;
                EXPECT_LT(value, s->choices) << key.name;
                if (!(key.noWrite & 1)) radioValues[id].push_back(value);
            }
            if (!(key.noWrite & 1) && key.lastVersion == kCurrentKey) written[id].push_back(key.name);
        }
    }
    for (int id = 0; id < kProblemSettingCount; ++id) {
        const ProblemSetting &s = kProblemSettings[id];
        if (id == kSettingCodeLibraryIndex) {
            // Stored as the library's name by the method key, not as a number.
            EXPECT_TRUE(written[id].empty());
            continue;
        }
        if (s.kind != kValueChoice) {
            EXPECT_EQ(written[id].size(), 1u) << "setting " << id;
            continue;
        }
        ASSERT_EQ(static_cast<int>(radioValues[id].size()), s.choices) << "setting " << id;
        for (int v = 0; v < s.choices; ++v) EXPECT_EQ(radioValues[id][v], v) << "setting " << id;
    }
    bool methodKey = false;
    for (int k = 0; k < kGlobalTableCount; ++k)
        methodKey = methodKey || (kGlobalTable[k].type == kKeyMethod && !std::strcmp(kGlobalTable[k].name, "Integration code"));
    EXPECT_TRUE(methodKey);
}

}  // namespace
