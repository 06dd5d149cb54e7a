// Dialog 810 on real windows under Wine: entries chosen by the scroll bar,
// OK storing the table in the settings file beside the program, Cancel
// leaving it as it was; a stored macro used by a graphics text.
#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drive_dialog.h"
#include "escape_sequences_win32.h"
#include "help_engine.h"
#include "resource_ids.h"
#include "settings.h"
#include "settings_files.h"
#include "settings_fixture.h"
#include "text_layout.h"

namespace {

class EscapeSequencesTest : public SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        UseFileBesideProgram();
        std::memcpy(saved_, gEscapeMacros, sizeof saved_);
    }
    void TearDown() override {
        std::memcpy(gEscapeMacros, saved_, sizeof saved_);
        SettingsFixture::TearDown();
    }
    static void Scroll(HWND dialog, int code, int position = 0) {
        SendMessageA(dialog, WM_VSCROLL, MAKEWPARAM(code, position),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_ESC_SCROLL)));
    }
    static void SetText(HWND dialog, const char *text) {
        SendDlgItemMessageA(dialog, IDC_ESC_TEXT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    // The entry the dialog shows: label, text and scroll position.
    struct Shown {
        std::string label, text;
        int position;
    };
    static Shown Show(HWND dialog) {
        return {ItemText(dialog, IDC_ESC_LABEL), ItemText(dialog, IDC_ESC_TEXT),
                static_cast<int>(SendDlgItemMessageA(dialog, IDC_ESC_SCROLL, SBM_GETPOS, 0, 0))};
    }
    EscapeMacro saved_[kEscapeMacroCount];
};

TEST_F(EscapeSequencesTest, ScrollingWalksTheTableAndOkStoresIt) {
    std::vector<Shown> seen;
    DialogDriver driver("Escape Sequences", [&](HWND d) {
        seen.push_back(Show(d));              // \! at entry 0
        Scroll(d, SB_LINEUP);                 // nothing before entry 0
        seen.push_back(Show(d));
        SetText(d, "\\_5");                   // \! gets a text
        Scroll(d, SB_THUMBTRACK, 7);          // \(
        seen.push_back(Show(d));
        Scroll(d, SB_PAGEDOWN);               // \)
        seen.push_back(Show(d));
        Scroll(d, SB_THUMBPOSITION, 23);      // \~
        SetText(d, "AB");
        Scroll(d, SB_LINEDOWN);               // nothing after entry 23
        seen.push_back(Show(d));
        Scroll(d, SB_LINEUP);                 // \} : \~ was stored on the way
        Scroll(d, SB_LINEDOWN);
        seen.push_back(Show(d));
        SetText(d, "\\^3");                   // stored by OK itself
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(EditEscapeSequences(nullptr), 1);
    ASSERT_TRUE(driver.Wait());
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0].label, "\\! =");
    EXPECT_EQ(seen[0].text, "");
    EXPECT_EQ(seen[0].position, 0);
    EXPECT_EQ(seen[1].label, "\\! =");
    EXPECT_EQ(seen[2].label, "\\( =");
    EXPECT_EQ(seen[2].text, "\\_20\\/1.2");
    EXPECT_EQ(seen[2].position, 7);
    EXPECT_EQ(seen[3].label, "\\) =");
    EXPECT_EQ(seen[3].text, "\\^30\\/1.2");
    EXPECT_EQ(seen[4].label, "\\~ =");
    EXPECT_EQ(seen[4].position, 23);
    EXPECT_EQ(seen[5].text, "AB");

    EXPECT_STREQ(gEscapeMacros[0].text, "\\_5");
    EXPECT_STREQ(gEscapeMacros[23].text, "\\^3");
    EXPECT_EQ(RawValue("Macros", "33"), "\\_5");
    EXPECT_EQ(RawValue("Macros", "126"), "\\^3");
    EXPECT_EQ(RawValue("Macros", "40"), "\\_20\\/1.2");
    EXPECT_EQ(RawValue("Macros", "92"), "\\92");
    EXPECT_EQ(RawValue("Macros", "36"), "");  // "$" written, empty

    // Read back as the next start would.
    std::memcpy(gEscapeMacros, saved_, sizeof saved_);
    ReadEscapeSequences();
    EXPECT_STREQ(gEscapeMacros[0].text, "\\_5");
    EXPECT_STREQ(gEscapeMacros[23].text, "\\^3");
}

TEST_F(EscapeSequencesTest, CancelLeavesTableAndSettingsAsTheyWere) {
    DialogDriver driver("Escape Sequences", [&](HWND d) {
        SetText(d, "one");
        Scroll(d, SB_LINEDOWN);
        SetText(d, "two");
        Scroll(d, SB_THUMBTRACK, 7);
        SetText(d, "three");
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(EditEscapeSequences(nullptr), 0);
    ASSERT_TRUE(driver.Wait());
    EXPECT_EQ(std::memcmp(gEscapeMacros, saved_, sizeof saved_), 0);
    EXPECT_EQ(RawValue("Macros", "33"), kMissing);
}

// Blanks and quotes at the ends of a macro survive the settings file.
TEST_F(EscapeSequencesTest, TextsWithBlanksAndQuotesAtTheEndsReadBackWhole) {
    const char *texts[] = {" x", "y ", "\"q\"", "a \"b\" c", "plain"};
    for (int i = 0; i < 5; ++i) std::strcpy(gEscapeMacros[i].text, texts[i]);
    WriteEscapeSequences();
    for (int i = 0; i < 5; ++i) gEscapeMacros[i].text[0] = 0;
    ReadEscapeSequences();
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(gEscapeMacros[i].text, texts[i]) << i;
}

// A graphics text that calls \~ draws the macro's text in its place.
TEST_F(EscapeSequencesTest, AStoredMacroIsUsedByAGraphicsText) {
    DialogDriver driver("Escape Sequences", [&](HWND d) {
        Scroll(d, SB_THUMBPOSITION, 23);
        SetText(d, "XY");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    ASSERT_EQ(EditEscapeSequences(nullptr), 1);
    ASSERT_TRUE(driver.Wait());
    EXPECT_EQ(RawValue("Macros", "126"), "XY");
    TextLayoutState s;
    BeginTextLayout(s, "a\\~b", 0, 1, 1);
    std::string codes;
    for (int code; (code = NextTextCode(s)) != 0; ++s.cursor) codes += static_cast<char>(code & 0xFF);
    EXPECT_EQ(codes, "aXYb");
}

// "Show fonts": the first help file among the first ten keys of "Font
// help" that opens, at its index; empty values are passed over.
TEST_F(EscapeSequencesTest, ShowFontsOpensTheFirstFontHelpThatOpens) {
    const std::string log = folder + "fonts_help.log";
    const std::string library = folder + "help_standin.dll";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("VR_HELP_LOG", log.c_str());
    UnloadHtmlHelp();
    gHelpEngines.htmlHelpLibrary = library.c_str();
    auto calls = [&] {
        std::ifstream in(log);
        std::stringstream text;
        text << in.rdbuf();
        std::string files;
        for (std::string line; std::getline(text, line);) {
            const size_t at = line.find("|file=") + 6;
            files += line.substr(at, line.find("|command=") - at) + " " +
                     line.substr(line.find("|command=") + 9, line.find("|data=") - line.find("|command=") - 9) + ";";
        }
        return files;
    };

    EXPECT_EQ(ShowFontsHelp(), 0);  // no section: nothing
    WriteSettingString("Font help", "Empty", "", kSettingsShared);
    WriteSettingString("Font help", "Missing", "C:\\help\\missing.chm", kSettingsShared);
    WriteSettingString("Font help", "Roman", "C:\\help\\roman.chm", kSettingsShared);
    WriteSettingString("Font help", "Script", "C:\\help\\script.chm", kSettingsShared);
    EXPECT_EQ(ShowFontsHelp(), 1);
    EXPECT_EQ(calls(), "C:\\help\\missing.chm 1;C:\\help\\roman.chm 1;");

    // Only the first ten keys are tried.
    DeleteFileA(log.c_str());
    DeleteSettingsSection("Font help", kSettingsShared);
    for (int i = 0; i < 10; ++i)
        WriteSettingString("Font help", ("F" + std::to_string(i)).c_str(), "missing.chm", kSettingsShared);
    WriteSettingString("Font help", "Eleventh", "roman.chm", kSettingsShared);
    EXPECT_EQ(ShowFontsHelp(), 0);
    EXPECT_EQ(calls().find("roman"), std::string::npos);

    UnloadHtmlHelp();
    gHelpEngines.htmlHelpLibrary = "hhctrl.ocx";
    DeleteFileA(log.c_str());
}

}  // namespace
