// Section "Options" and the lists ReadOptions reads: every key with its
// stored name and default, defaults from an empty file, round trips, the
// recent problems, the toolbar layouts and the escape-sequence macros.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "messages.h"
#include "settings_fixture.h"
#include "settings_store.h"
#include "string_ids.h"

namespace {

// The file format: key names and defaults as users' files have them.
const std::map<std::string, int> kIntKeys = {
    {"Hide browsers", 1}, {"Point Size", 8}, {"Fixed point", 1}, {"Enter key", 1},
    {"Save position", 1}, {"Show extensions", 0}, {"Draw while editing", 1}, {"Double click", 1},
    {"Filename length", 50}, {"Power denominator", 0}, {"No My Docs", 0}, {"Use scroll bars", 1},
    {"Mask 87", 0}, {"Ignore Auto Start", 0}, {"Help on top", 0}, {"Infinity warning", 1},
    {"Change cursor", 0}, {"Big buttons", 0}, {"Disabled buttons", 2}, {"Show hints", 0},
    {"Show popup hints", 2}, {"Bold status line", 0}, {"Bold edit windows", 0}, {"Bold text windows", 0},
    {"Put BMP", 1}, {"Put DIB", 1}, {"Put MetaFile", 1}, {"Aspect ratio", 0},
    {"Output bitmap", 2}, {"Output metafile", 1}, {"Axes", 0}, {"Axes element", 0},
    {"Tip", 1}, {"Transparency", 30}, {"X position", 0}, {"Y position", 0},
    {"Width", 0}, {"Height", 0}, {"Maximized", 0}, {"Check previous", 1},
    {"Own DC", 1}, {"Control 87", 50},
};
const std::map<std::string, std::string> kTextKeys = {{"Identifier", ""}, {"Vantorel extensions", "*.vr"}};

std::string Key(const OptionEntry &e) { return LoadTextResource(e.keyId); }

TEST(OptionTable, HoldsEveryKeyOnceWithItsDefault) {
    std::map<std::string, int> ints;
    std::map<std::string, std::string> texts;
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        ASSERT_TRUE((e.value != nullptr) != (e.text != nullptr)) << Key(e);
        const std::string key = Key(e);  // LoadTextResource shares one buffer
        bool added = e.value ? ints.emplace(key, e.defaultValue).second
                             : texts.emplace(key, e.defaultValue ? LoadTextResource(e.defaultValue) : "").second;
        EXPECT_TRUE(added) << "twice: " << Key(e);
    }
    EXPECT_EQ(ints, kIntKeys);
    EXPECT_EQ(texts, kTextKeys);
}

// Reads every option the way start-up does.
void ReadAllOptions() {
    ReadCheckPreviousOption();
    ReadDcAndFpuOptions();
    ReadOptions();
}

TEST_F(SettingsFixture, EveryOptionReadsItsDefaultFromAnEmptyFileAndRoundTrips) {
    UseFileBesideProgram();
    // Keys whose default is the value held keep it; the rest take the table's.
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        if (e.value) *e.value = e.flags & kOptionDefaultIsCurrent ? 1000 + i : -777;
        else std::strcpy(e.text, "junk");
    }
    ReadAllOptions();
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        if (e.value)
            EXPECT_EQ(*e.value, e.flags & kOptionDefaultIsCurrent ? 1000 + i : e.defaultValue) << Key(e);
        else
            EXPECT_EQ(std::string(e.text), kTextKeys.at(Key(e))) << Key(e);
    }

    // Distinct values, one negative, through the writer of each key.
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        if (e.value) *e.value = e.defaultValue + 11 + i;
        else std::snprintf(e.text, e.textSize, "T%d", i);
    }
    gOutputMetafile = -1;
    WriteOptions();
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        const std::string key = Key(e);
        if (e.flags & kOptionNotWritten) {
            EXPECT_EQ(RawValue("Options", key.c_str()), kMissing) << "WriteOptions wrote " << key;
            WriteOptionInt(e.keyId, *e.value);
        } else {
            EXPECT_EQ(RawValue("Options", key.c_str()), e.value ? std::to_string(*e.value) : e.text) << key;
        }
    }
    std::map<int, int> written;
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        if (e.value) {
            written[e.keyId] = *e.value;
            *e.value = -777;
        } else {
            std::strcpy(e.text, "junk");
        }
    }
    ReadAllOptions();
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        if (e.value) EXPECT_EQ(*e.value, written[e.keyId]) << Key(e);
        else EXPECT_EQ(std::string(e.text), "T" + std::to_string(i)) << Key(e);
    }
    EXPECT_EQ(gOutputMetafile, -1);
}

TEST_F(SettingsFixture, SavePositionOffIgnoresTheStoredPlacement) {
    UseFileBesideProgram();
    WriteOptionInt(IDS_KEY_X_POSITION, 100);
    WriteOptionInt(IDS_KEY_Y_POSITION, 50);
    WriteOptionInt(IDS_KEY_WIDTH, 640);
    WriteOptionInt(IDS_KEY_HEIGHT, 480);
    WriteOptionInt(IDS_KEY_MAXIMIZED, 1);
    ReadOptions();
    EXPECT_EQ(gFrameWidth, 640);
    EXPECT_EQ(gFrameMaximized, 1);

    WriteOptionInt(IDS_KEY_SAVE_POSITION, 0);
    ReadOptions();
    EXPECT_EQ(gSavePosition, 0);
    for (int v : {gFrameXPosition, gFrameYPosition, gFrameWidth, gFrameHeight, gFrameMaximized}) EXPECT_EQ(v, 0);
}

TEST_F(SettingsFixture, ToolbarLayoutsDefaultToTheBuiltInOnesAndRoundTrip) {
    UseFileBesideProgram();
    ReadOptions();
    EXPECT_STREQ(gToolbarLayouts[0], "1000102-10525-11716-18485-10813-141424344-12021-12930192328-180-173");
    EXPECT_STREQ(gToolbarLayouts[1], "0");
    EXPECT_STREQ(gToolbarLayouts[2], "04546-16475-170-147484950-1525354");
    EXPECT_STREQ(gToolbarLayouts[3], "0555657-1585960616263-17677-17879-174");
    EXPECT_STREQ(gToolbarLayouts[4], "0");

    std::strcpy(gToolbarLayouts[1], "1000102-141");
    std::strcpy(gToolbarLayouts[4], "0");
    WriteToolbarLayouts();
    EXPECT_EQ(RawValue("Options", "TOOLBAR1"), "1000102-141");
    EXPECT_EQ(RawValue("Options", "TOOLBAR4"), "0");
    std::strcpy(gToolbarLayouts[1], "x");
    ReadToolbarLayouts();
    EXPECT_STREQ(gToolbarLayouts[1], "1000102-141");
}

TEST_F(SettingsFixture, RecentProblemsAreCompactedOnReadingAndWrittenAsNineSlots) {
    UseFileBesideProgram();
    WriteSettingString("Problems", "Problem2", "C:\\p\\second.vr", kSettingsUser);
    ReadOptions();
    ASSERT_EQ(gRecentProblemCount, 1);
    EXPECT_STREQ(gRecentProblems[0], "C:\\p\\second.vr");

    WriteRecentProblems();
    EXPECT_EQ(RawValue("Problems", "Problem1"), "C:\\p\\second.vr");
    for (int slot = 2; slot <= 9; ++slot)
        EXPECT_EQ(RawValue("Problems", ("Problem" + std::to_string(slot)).c_str()), "") << slot;

    // A full list keeps its order.
    for (int i = 0; i < kRecentProblemMax; ++i) std::snprintf(gRecentProblems[i], kRecentPathSize, "C:\\%d.vr", i);
    gRecentProblemCount = kRecentProblemMax;
    WriteRecentProblems();
    ReadRecentProblems();
    ASSERT_EQ(gRecentProblemCount, kRecentProblemMax);
    EXPECT_STREQ(gRecentProblems[8], "C:\\8.vr");
}

TEST_F(SettingsFixture, EscapeMacrosReadFromTheSharedFileWithBuiltInDefaults) {
    UseFileBesideProgram();
    EscapeMacro saved[kEscapeMacroCount];
    std::memcpy(saved, gEscapeMacros, sizeof saved);
    ReadOptions();
    auto text = [](char c) -> std::string {
        for (const EscapeMacro &m : gEscapeMacros)
            if (m.character == c) return m.text;
        return "<none>";
    };
    EXPECT_EQ(text('('), "\\_20\\/1.2");
    EXPECT_EQ(text('\\'), "\\92");
    EXPECT_EQ(text('!'), "");

    WriteSettingString("Macros", "40", "\\_10", kSettingsShared);  // '('
    WriteSettingString("Macros", "126", ":-)", kSettingsShared);   // '~': not a path
    ReadEscapeSequences();
    EXPECT_EQ(text('('), "\\_10");
    EXPECT_EQ(text('~'), ":-)");
    EXPECT_EQ(text(')'), "\\^30\\/1.2");
    std::memcpy(gEscapeMacros, saved, sizeof saved);
}

// Integers are parsed by the program's own code: each stored text must give
// what the system's own integer reader gives for it.
TEST_F(SettingsFixture, IntegersReadAsTheSystemReadsThem) {
    UseFileBesideProgram();
    const char *const texts[] = {"12", "  -7", "+3x", "0x10", "abc", "", "4294967295", "2147483648",
                                 "-2147483649", "99999999999999999999", "\t 5 6", "\"42\"", "'-1'",
                                 "123456789012345678901234567890123", "- 4", "--4", "+-4", "0X10", "0xfF", "0x", "-0x10",
                                 "0b101", "0b102", "0o17", "0o8", "  0x7fffffffffff", "0xg"};
    for (const char *text : texts) {
        SCOPED_TRACE(text);
        WriteSettingString("Ints", "K", text, kSettingsUser);
        const int system = static_cast<int>(GetPrivateProfileIntA("Ints", "K", -99, besideFile.c_str()));
        EXPECT_EQ(ReadSettingInt("Ints", "K", -99, kSettingsUser), system);
    }
    EXPECT_EQ(ReadSettingInt("Ints", "Missing", -99, kSettingsUser), -99);
}

// Blanks around a value and a pair of quotes around it are dropped by the
// reader: texts that start or end with them are written in quotes.
TEST_F(SettingsFixture, TextValuesWithOuterBlanksOrQuotesComeBackAsTheyWere) {
    UseFileBesideProgram();
    EscapeMacro saved[kEscapeMacroCount];
    std::memcpy(saved, gEscapeMacros, sizeof saved);
    const char *const texts[] = {" lead", "trail ", "\"quoted\"", "'single'", "'", "\"", "\tx", "plain"};
    for (const char *text : texts) {
        SCOPED_TRACE(text);
        std::snprintf(gIdentifier, sizeof gIdentifier, "%s", text);
        std::snprintf(gToolbarLayouts[1], kToolbarLayoutSize, "%s", text);
        std::snprintf(gEscapeMacros[0].text, kEscapeMacroTextSize, "%s", text);
        std::snprintf(gRecentProblems[0], kRecentPathSize, "%s", text);
        gRecentProblemCount = 1;
        WriteOptions();
        WriteToolbarLayouts();
        WriteEscapeSequences();
        WriteRecentProblems();
        gIdentifier[0] = gToolbarLayouts[1][0] = gEscapeMacros[0].text[0] = gRecentProblems[0][0] = 0;
        ReadOptions();
        EXPECT_STREQ(gIdentifier, text);
        EXPECT_STREQ(gToolbarLayouts[1], text);
        EXPECT_STREQ(gEscapeMacros[0].text, text);
        EXPECT_STREQ(gRecentProblems[0], text);
    }
    EXPECT_EQ(RawValue("Options", "Identifier"), "plain");
    std::memcpy(gEscapeMacros, saved, sizeof saved);
    gIdentifier[0] = 0;
    gRecentProblemCount = 0;
}

}  // namespace
