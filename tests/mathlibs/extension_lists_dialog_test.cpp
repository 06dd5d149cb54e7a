// Dialog 700 on real windows under Wine, for the math libraries: what OK
// stores takes effect at once (the libraries are reloaded), and Cancel
// reloads them too.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "compiler.h"
#include "drive_dialog.h"
#include "eval_errors.h"
#include "extension_list_logic.h"
#include "extension_lists_win32.h"
#include "math_libraries.h"
#include "math_plugins.h"
#include "resource_ids.h"
#include "settings_fixture.h"
#include "workspace.h"

namespace {

class ExtensionListsDialogTest : public SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        UseFileBesideProgram();
        InstallEvalAbortHandler();
        gProblemKind = kOdeSystem;
        gDimension = 1;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        elliptic_ = folder + MATHLIBS_BIN_DIR "\\Elliptic.dll";
        for (char &c : elliptic_)
            if (c == '/') c = '\\';
        ASSERT_NE(GetFileAttributesA(elliptic_.c_str()), INVALID_FILE_ATTRIBUTES) << elliptic_;
    }
    void TearDown() override {
        UnloadMathLibraries();
        FreeProblemWorkspace();
        gProblemKind = kSingleOde;
        gDimension = 2;
        SettingsFixture::TearDown();
    }
    static bool Compiles(const char *text) {
        unsigned char code[2000];
        return CompileExpression(text, code, sizeof code) != 0;
    }
    static void Command(HWND d, int id) { SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    static void Type(HWND d, int id, const std::string &text) {
        SendDlgItemMessageA(d, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::string elliptic_;
};

TEST_F(ExtensionListsDialogTest, AddedLibraryCompilesAtOnceAndRemovingItMakesTheNameUnknown) {
    LoadMathLibraries();  // the empty list of the new file
    ASSERT_EQ(gMathLibraryCount, 0);
    EXPECT_FALSE(Compiles("EllipticK(0.5)"));

    std::string caption, button;
    DialogDriver add("Install Mathematical DLLs", [&](HWND d) {
        caption = "seen";
        button = ItemText(d, IDC_EXT_FILE_BUTTON);
        Command(d, IDC_EXT_ADD);
        Type(d, IDC_EXT_NAME, "Elliptic");
        Type(d, IDC_EXT_FILE, elliptic_);
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(RunExtensionListsDialog(nullptr, kMathLibraryList), 1);
    ASSERT_TRUE(add.Wait());
    EXPECT_EQ(button, "DLL &file");
    EXPECT_EQ(RawValue("Math libraries", "Elliptic"), elliptic_);
    EXPECT_EQ(RawValue("Math help", "Elliptic"), kMissing);
    EXPECT_EQ(gMathLibraryCount, 1);
    EXPECT_TRUE(Compiles("EllipticK(0.5)"));

    // Cancel after removing it: nothing stored, the library loaded again.
    DialogDriver cancel("Install Mathematical DLLs", [&](HWND d) {
        Command(d, IDC_EXT_REMOVE);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(RunExtensionListsDialog(nullptr, kMathLibraryList), 0);
    ASSERT_TRUE(cancel.Wait());
    EXPECT_EQ(gMathLibraryCount, 1);
    EXPECT_TRUE(Compiles("EllipticK(0.5)"));

    std::string shownName;
    DialogDriver remove("Install Mathematical DLLs", [&](HWND d) {
        shownName = ItemText(d, IDC_EXT_NAME);
        Command(d, IDC_EXT_REMOVE);
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(RunExtensionListsDialog(nullptr, kMathLibraryList), 1);
    ASSERT_TRUE(remove.Wait());
    EXPECT_EQ(shownName, "Elliptic");
    EXPECT_EQ(RawValue("Math libraries", "Elliptic"), kMissing);
    EXPECT_EQ(gMathLibraryCount, 0);
    EXPECT_FALSE(Compiles("EllipticK(0.5)"));
}

// A name the settings file cannot hold is refused with the message, and the
// dialog stays open with the entry selected; a ":" path is stored as typed.
TEST_F(ExtensionListsDialogTest, BadNamesAreRefusedAndPathsStoredAsTyped) {
    std::string box;
    DWORD testThread = GetCurrentThreadId();
    DialogDriver driver("Install Font Files", [&](HWND d) {
        Command(d, IDC_EXT_ADD);
        Type(d, IDC_EXT_NAME, "Good");
        Type(d, IDC_EXT_FILE, ":fonts\\good.ft");
        Type(d, IDC_EXT_HELP_FILE, ":fonts\\good.chm");
        Command(d, IDC_EXT_ADD);
        Type(d, IDC_EXT_NAME, "a=b");
        Type(d, IDC_EXT_FILE, "C:\\x.ft");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
        if (HWND b = WaitForOtherDialog(testThread, d)) {
            box = ItemText(b, 0xFFFF);
            CloseBox(b, IDOK);
        }
        Type(d, IDC_EXT_NAME, "Second");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(RunExtensionListsDialog(nullptr, kFontFileList), 1);
    ASSERT_TRUE(driver.Wait());
    EXPECT_EQ(box, "Bad name or file");
    EXPECT_EQ(RawValue("Font files", "Good"), ":fonts\\good.ft");
    EXPECT_EQ(RawValue("Font help", "Good"), ":fonts\\good.chm");
    EXPECT_EQ(RawValue("Font files", "Second"), "C:\\x.ft");
    EXPECT_EQ(RawValue("Font files", "a"), kMissing);
}

}  // namespace
