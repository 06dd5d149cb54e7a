// Stroke fonts loaded through section "Font files" of the settings file
// beside the test program, on the real private-profile calls and message
// boxes under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fontfile.h"
#include "settings_fixture.h"
#include "string_ids.h"
#include "stroke_font_files.h"
#include "stroke_font_table.h"
#include "win32_modal.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadBytes(const std::string &path) {
    Bytes b;
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return b;
    for (int c; (c = std::getc(f)) != EOF;) b.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
    return b;
}

void WriteBytes(const std::string &path, const Bytes &b) {
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!b.empty()) std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

class FontLoadingTest : public SettingsFixture {
protected:
    std::vector<std::string> made;

    void SetUp() override {
        SettingsFixture::SetUp();
        FreeStrokeFontTable();
        UseFileBesideProgram();
    }
    void TearDown() override {
        FreeStrokeFontTable();
        for (const std::string &f : made) DeleteFileA(f.c_str());
        SettingsFixture::TearDown();
    }
    // A font file beside the program.
    void PutFont(const char *name, const Bytes &bytes) {
        made.push_back(folder + name);
        WriteBytes(folder + name, bytes);
    }
    void ListFont(const char *key, const std::string &value) {
        WriteSettingString("Font files", key, value.c_str(), kSettingsShared);
    }
    int Glyphs(int n) const {
        int count = 0;
        for (int c = 0; c < kStrokeFontSlots; ++c) count += gStrokeFontTable->glyph[n][c] != nullptr;
        return count;
    }
};

TEST_F(FontLoadingTest, FontsComeFromTheEntriesInFileOrder) {
    const Bytes sample = ReadBytes(VR_SOURCE_DIR "/tests/data/fonts/sample.ft");
    ASSERT_FALSE(sample.empty());
    PutFont("font_test_sample.ft", sample);
    Bytes single(StrokeFontFile::kHeader, StrokeFontFile::kHeader + kFontHeaderSize);
    single.insert(single.end(), {'x', 20, 0x80, 0, 0, 20, 20, 0x80, 0x80, 0});
    PutFont("font_test_single.ft", single);
    // Keys in an order unlike their names: the position counts.
    ListFont("Sans", ":font_test_single.ft");
    ListFont("Roman", folder + "font_test_sample.ft");

    ModalAnswerer none(IDOK, 300);
    EXPECT_NE(LoadStrokeFont(0), 0);
    EXPECT_NE(LoadStrokeFont(1), 0);
    // Two entries: font 3 has none, loads nothing and shows nothing.
    EXPECT_NE(LoadStrokeFont(3), 0);
    EXPECT_FALSE(none.Result().found) << none.Result().text;

    ASSERT_NE(gStrokeFontTable, nullptr);
    EXPECT_EQ(Glyphs(0), 1);
    ASSERT_NE(gStrokeFontTable->glyph[0]['x'], nullptr);
    EXPECT_EQ(gStrokeFontTable->glyph[0]['x'][0], 20);
    EXPECT_EQ(Glyphs(1), 5);
    EXPECT_NE(gStrokeFontTable->glyph[1]['A'], nullptr);
    EXPECT_EQ(Glyphs(3), 0);
    for (int n : {0, 1, 3}) EXPECT_EQ(gStrokeFontTable->loadAttempted[n], 1) << n;
    EXPECT_EQ(gStrokeFontTable->loadAttempted[2], 0);
}

TEST_F(FontLoadingTest, EmptyMissingAndBrokenEntriesAreReportedOnceEach) {
    Bytes broken(StrokeFontFile::kHeader, StrokeFontFile::kHeader + kFontHeaderSize);
    broken.insert(broken.end(), {'x', 20, 0x80, 0, 0, 20});  // cut inside a record
    PutFont("font_test_broken.ft", broken);
    ListFont("Empty", "");
    ListFont("Missing", folder + "font_test_missing.ft");
    ListFont("Broken", ":font_test_broken.ft");

    const struct {
        int font;
        const char *text;
    } cases[] = {
        {0, "No font file"},
        {1, "font_test_missing.ft"},
        {2, "Invalid font file"},
    };
    for (const auto &c : cases) {
        ModalAnswerer ok(IDOK);
        EXPECT_EQ(LoadStrokeFont(c.font), 0) << c.font;
        const ModalCapture &box = ok.Result();
        ASSERT_TRUE(box.found) << c.font;
        EXPECT_EQ(box.caption, "Vantorel Error");
        EXPECT_NE(box.text.find(c.text), std::string::npos) << box.text;
        EXPECT_EQ(gStrokeFontTable->loadAttempted[c.font], 1);
    }
    EXPECT_EQ(Glyphs(2), 0);
}

// The shipped font (copied beside the test program by the build) becomes
// fonts 0-4 of a settings file that has no font list; a list the file
// holds, a user's own or an empty one, is left as it is.
TEST_F(FontLoadingTest, TheDefaultListNamesTheShippedFontOnlyWhereTheFileHasNone) {
    auto listed = [] {
        std::string s;
        for (const char *k = EnumSettingsKeys("Font files", 0, kSettingsShared); *k;
             k = EnumSettingsKeys("Font files", 1, kSettingsShared))
            s += std::string(k) + ";";
        return s;
    };
    // Beside the program, the entries name it relative to the program folder.
    SeedDefaultFontList();
    EXPECT_EQ(listed(), "Plain 0;Plain 1;Plain 2;Plain 3;Plain 4;");
    for (int n = 0; n < kDefaultFontCount; ++n)
        EXPECT_EQ(RawValue("Font files", ("Plain " + std::to_string(n)).c_str()), ":Plain.ft") << n;
    {
        ModalAnswerer none(IDOK, 300);
        for (int n = 0; n <= kDefaultFontCount; ++n) EXPECT_NE(LoadStrokeFont(n), 0) << n;
        EXPECT_FALSE(none.Result().found) << none.Result().text;
    }
    for (int n = 0; n < kDefaultFontCount; ++n) EXPECT_EQ(Glyphs(n), '~' - ' ' + 1) << n;
    EXPECT_EQ(Glyphs(kDefaultFontCount), 0);

    // Lists of the user's are kept, an emptied one too.
    DeleteSettingsSection("Font files", kSettingsShared);
    ListFont("Mine", ":mine.ft");
    SeedDefaultFontList();
    EXPECT_EQ(listed(), "Mine;");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, besideFile.c_str());
    WriteBytes(besideFile, Bytes{'[', 'F', 'o', 'n', 't', ' ', 'f', 'i', 'l', 'e', 's', ']', '\r', '\n'});
    SeedDefaultFontList();
    EXPECT_EQ(listed(), "");
    EXPECT_EQ(RawValue("Font files", "Plain 0"), kMissing);

    // A shared file away from the program does not resolve ":": the entries
    // name the font by its full path.
    const std::string shared = folder + "font_test_shared.ini";
    made.push_back(shared);
    std::snprintf(gSettingsLocations.file[kSettingsShared], kSettingsPathSize, "%s", shared.c_str());
    gSettingsLocations.programFolder[0] = 0;
    SeedDefaultFontList();
    char value[MAX_PATH];
    GetPrivateProfileStringA("Font files", "Plain 4", kMissing, value, sizeof value, shared.c_str());
    EXPECT_EQ(value, folder + "Plain.ft");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, shared.c_str());
}

}  // namespace
