// Loading of math-function plug-ins under Wine: the real loader, real
// libraries (stand-in plug-ins built beside this program, and the Elliptic
// library from the tree's bin folder), the settings file beside the program
// and expressions compiled and run against the collected table.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "compiler.h"
#include "eval_errors.h"
#include "interpreter.h"
#include "math_libraries.h"
#include "math_plugins.h"
#include "memory.h"
#include "messages.h"
#include "settings_fixture.h"
#include "test_heap.h"
#include "win32_modal.h"
#include "window_helpers.h"
#include "workspace.h"

namespace {

struct Outcome {
    int compileError;  // 0: compiled
    int jump;          // 0: returned
    double value;
};

std::string BinFolder(const std::string &testFolder) {
    std::string bin = testFolder + MATHLIBS_BIN_DIR "\\";
    for (char &c : bin)
        if (c == '/') c = '\\';
    return bin;
}

bool IsFile(const std::string &path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

class MathLibrariesTest : public SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        UseFileBesideProgram();
        InstallEvalAbortHandler();
        gProblemKind = kOdeSystem;
        gDimension = 1;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
    }

    void TearDown() override {
        FailHeapAfter(-1);
        UnloadMathLibraries();
        FreeProblemWorkspace();
        gProblemKind = kSingleOde;
        gDimension = 2;
        SettingsFixture::TearDown();
    }

    // Lists the libraries, in this order, in "Math libraries".
    void List(const std::vector<std::pair<const char *, std::string>> &entries) {
        DeleteSettingsSection(kMathLibrariesSection, kSettingsShared);
        for (const auto &e : entries) WriteSettingString(kMathLibrariesSection, e.first, e.second.c_str(), kSettingsShared);
    }

    std::string EllipticPath() { return BinFolder(folder) + "Elliptic.dll"; }

    Outcome Run(const char *text) {
        unsigned char code[2000];
        if (CompileExpression(text, code, sizeof code) == 0) return {gEvalError, 0, 0};
        volatile double value = 0;
        EvalRecovery r;
        BeginEvalRecovery(&r);
        volatile int jump = VR_SETJMP(gEvalJmpBuf);
        if (jump == 0) value = RunPcode(code);
        EndEvalRecovery(&r);
        return {0, jump, value};
    }

    double Value(const char *text) {
        Outcome o = Run(text);
        EXPECT_EQ(o.compileError, 0) << text;
        EXPECT_EQ(o.jump, 0) << text;
        return o.value;
    }

    std::vector<std::string> FunctionNames() {
        std::vector<std::string> names;
        for (int i = 0; i < gMathFunctionCount; ++i) names.push_back(gMathFunctions[i].name);
        return names;
    }
};

TEST_F(MathLibrariesTest, EllipticFunctionsCompileAndRunThroughTheRealLibrary) {
    ASSERT_TRUE(IsFile(EllipticPath())) << EllipticPath();
    List({{"Elliptic", EllipticPath()}});
    LoadMathLibraries();
    ASSERT_EQ(gMathLibraryCount, 1);
    EXPECT_TRUE(gMathLibraries[0].module);
    ASSERT_EQ(gMathFunctionCount, 17);
    EXPECT_STREQ(gMathFunctions[3].name, "EllipticK");
    EXPECT_STREQ(gMathFunctions[16].name, "JacobiSN");

    const double k = Value("EllipticK(0.5)");
    EXPECT_NEAR(k, 1.8540746773013719, 1e-13 * k);
    const double sn = Value("JacobiSN(0.5, 0.3)");
    EXPECT_NEAR(sn, 0.47421562271182066, 1e-13 * sn);
    // Names from plug-ins keep their case.
    EXPECT_EQ(Run("elliptick(0.5)").compileError, kCompileUnknownFunction);

    UnloadMathLibraries();
    EXPECT_EQ(gMathFunctionCount, 0);
    EXPECT_EQ(gMathFunctions, nullptr);
    EXPECT_EQ(gMathLibraryCount, 0);
    EXPECT_EQ(gMathLibraries, nullptr);
    EXPECT_EQ(Run("EllipticK(0.5)").compileError, kCompileUnknownFunction);
}

// A new installation keeps its settings in the application-data folders and
// has no shared file yet: the file is created listing the elliptic library,
// which is found beside the program (a ":" value there keeps no folder). Once
// the user has emptied the list, it stays empty.
TEST_F(MathLibrariesTest, NewInstallationGetsTheEllipticLibraryBesideTheProgram) {
    const std::string beside = folder + "Elliptic.dll";
    ASSERT_TRUE(CopyFileA(EllipticPath().c_str(), beside.c_str(), FALSE));
    const std::string fresh = folder + "fresh_settings.ini";
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, fresh.c_str());
    DeleteFileA(fresh.c_str());
    gSettingsLocations = SettingsLocations();
    for (char *file : gSettingsLocations.file) std::strcpy(file, fresh.c_str());

    LoadMathLibraries();
    char raw[MAX_PATH];
    GetPrivateProfileStringA(kMathLibrariesSection, "Elliptic", "", raw, sizeof raw, fresh.c_str());
    EXPECT_STREQ(raw, ":Elliptic.dll");
    ASSERT_EQ(gMathLibraryCount, 1);
    EXPECT_STREQ(gMathLibraries[0].name, "Elliptic");
    ASSERT_TRUE(gMathLibraries[0].module);
    char loaded[MAX_PATH];
    GetModuleFileNameA(gMathLibraries[0].module, loaded, sizeof loaded);
    EXPECT_EQ(lstrcmpiA(loaded, beside.c_str()), 0) << loaded;
    const double k = Value("EllipticK(0.5)");
    EXPECT_NEAR(k, 1.8540746773013719, 1e-13 * k);

    DeleteSettingsSection(kMathLibrariesSection, kSettingsShared);
    LoadMathLibraries();
    EXPECT_EQ(gMathLibraryCount, 0);
    EXPECT_EQ(Run("EllipticK(0.5)").compileError, kCompileUnknownFunction);

    WritePrivateProfileStringA(nullptr, nullptr, nullptr, fresh.c_str());
    DeleteFileA(fresh.c_str());
    DeleteFileA(beside.c_str());
}

TEST_F(MathLibrariesTest, MissingLibraryIsReportedAndTheNextOneStillLoads) {
    const std::string missing = folder + "no_such_plugin.dll";
    List({{"Missing", missing}, {"First", ":fake_first.dll"}});
    ModalAnswerer answer(IDOK);
    LoadMathLibraries();
    const ModalCapture &box = answer.Result();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, missing + " library not found");
    EXPECT_EQ(box.caption, "Vantorel Error");

    ASSERT_EQ(gMathLibraryCount, 2);
    EXPECT_EQ(gMathLibraries[0].module, nullptr);
    EXPECT_TRUE(gMathLibraries[1].module);
    EXPECT_EQ(Value("Twice(21)"), 42);
}

// The message box has a fixed buffer: a long path loses its front, and the
// file name and the sentence stay.
TEST_F(MathLibrariesTest, LongMissingPathIsCutAtItsFrontInTheMessage) {
    const std::string path = "C:\\" + std::string(600, 'd') + "\\far_plugin.dll";
    List({{"Far", path}});
    ModalAnswerer answer(IDOK);
    LoadMathLibraries();
    const ModalCapture &box = answer.Result();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text.substr(0, 6), "...ddd");
    EXPECT_EQ(box.text.substr(box.text.size() - 33), "\\far_plugin.dll library not found");
    EXPECT_EQ(box.text.size(), static_cast<size_t>(kMessageBufferSize - 1));
}

TEST_F(MathLibrariesTest, FirstLibraryToOfferANameWinsAndBothExportNamesAreFound) {
    // The second library exports only the decorated name.
    List({{"First", ":fake_first.dll"}, {"Second", ":fake_second.dll"}});
    LoadMathLibraries();
    EXPECT_EQ(FunctionNames(), std::vector<std::string>({"Shared", "Twice", "Diff", "Sum20", "Shared", "Half"}));
    EXPECT_EQ(Value("Shared()"), 1);
    EXPECT_EQ(Value("Half(5)"), 2.5);
    EXPECT_EQ(Value("Diff(5, 3)"), 2);
    // Sum of i * i for i = 1..20.
    EXPECT_EQ(Value("Sum20(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20)"), 2870);
    EXPECT_EQ(Run("twice(1)").compileError, kCompileUnknownFunction);

    List({{"Second", ":fake_second.dll"}, {"First", ":fake_first.dll"}});
    LoadMathLibraries();
    EXPECT_EQ(Value("Shared()"), 2);

    UnloadMathLibraries();
    EXPECT_EQ(gMathFunctionCount, 0);
    EXPECT_EQ(Run("Shared()").compileError, kCompileUnknownFunction);
}

// Broken records are skipped and the list goes on; a list that never ends is
// asked no further than the cap; an empty list or a library without
// GetParamDLL adds nothing; later libraries are not disturbed.
TEST_F(MathLibrariesTest, BrokenRecordsAreSkippedAndAnEndlessListIsCapped) {
    List({{"Broken", ":fake_broken.dll"},
          {"Endless", ":fake_endless.dll"},
          {"Empty", ":fake_empty.dll"},
          {"NoExport", ":fake_no_export.dll"},
          {"First", ":fake_first.dll"}});
    LoadMathLibraries();
    ASSERT_EQ(gMathLibraryCount, 5);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(gMathLibraries[i].module) << i;

    std::vector<std::string> expected = {"Good", "Limit"};
    expected.insert(expected.end(), kMaxMathFunctionsPerLibrary, "Again");
    expected.insert(expected.end(), {"Shared", "Twice", "Diff", "Sum20"});
    EXPECT_EQ(FunctionNames(), expected);
    EXPECT_EQ(Value("Good(4) + Again(1) + Twice(10)"), 30);
    EXPECT_EQ(Run("Many(1)").compileError, kCompileUnknownFunction);
    EXPECT_EQ(Run("NoFunction(1)").compileError, kCompileUnknownFunction);
}

TEST_F(MathLibrariesTest, OutOfMemoryWhileCollectingLeavesNoPluginFunctions) {
    List({{"First", ":fake_first.dll"}, {"Second", ":fake_second.dll"}});
    // The plug-in table and the two names; then the first growth fails.
    FailHeapAfter(3);
    ModalAnswerer answer(IDOK);
    LoadMathLibraries();
    const ModalCapture &box = answer.Result();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, "Not enough memory");
    EXPECT_EQ(HeapFailuresServed(), 1);
    // The second library's growth would succeed: it must not add anything.
    EXPECT_EQ(gMathFunctionCount, 0);
    ASSERT_EQ(gMathLibraryCount, 2);
    EXPECT_TRUE(gMathLibraries[1].module);
    EXPECT_EQ(Run("Half(1)").compileError, kCompileUnknownFunction);
    gOutOfMemory = 0;
}

// Help menu items go into the frame's Help menu (submenu 7) after one
// separator, one per loaded library with a help file, and all leave again.
TEST_F(MathLibrariesTest, HelpFilesGetHelpMenuItemsThatUnloadingRemoves) {
    List({{"First", ":fake_first.dll"}, {"Missing", folder + "no_such_plugin.dll"}, {"Second", ":fake_second.dll"},
          {"Broken", ":fake_broken.dll"}});
    for (const char *key : {"First", "Missing", "Broken"})
        WriteSettingString(kMathHelpSection, key, ":plugin.chm", kSettingsShared);
    // Without a frame there is no menu to change; the help files are kept.
    {
        ModalAnswerer answer(IDOK);
        LoadMathLibraries();
        ASSERT_TRUE(answer.Result().found);
    }
    EXPECT_STREQ(gMathLibraries[3].helpFile, (folder + "plugin.chm").c_str());
    UnloadMathLibraries();

    gFrameWindow = CreateWindowA("STATIC", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(gFrameWindow);
    HMENU bar = CreateMenu();
    for (int i = 0; i <= kMathHelpSubmenu; ++i) AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), "x");
    HMENU help = GetSubMenu(bar, kMathHelpSubmenu);
    AppendMenuA(help, MF_STRING, 901, "&Index");
    SetMenu(gFrameWindow, bar);
    {
        ModalAnswerer answer(IDOK);
        LoadMathLibraries();
        ASSERT_TRUE(answer.Result().found);
    }
    ASSERT_EQ(GetMenuItemCount(help), 4);
    EXPECT_EQ(GetMenuItemID(help, 1), static_cast<UINT>(kMathHelpSeparatorCommand));
    EXPECT_TRUE(GetMenuState(help, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(help, 2), static_cast<UINT>(kMathHelpFirstCommand + 0));
    EXPECT_EQ(GetMenuItemID(help, 3), static_cast<UINT>(kMathHelpFirstCommand + 3));
    char text[64];
    GetMenuStringA(help, 3, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Broken");
    EXPECT_STREQ(gMathLibraries[0].helpFile, (folder + "plugin.chm").c_str());
    EXPECT_EQ(gMathLibraries[1].helpFile, nullptr);  // not loaded: no help either
    EXPECT_EQ(gMathLibraries[2].helpFile, nullptr);
    // Indices outside the table, or without help, open nothing.
    for (int i : {-1, 2, 4, 1000}) OpenMathLibraryHelp(i);

    UnloadMathLibraries();
    ASSERT_EQ(GetMenuItemCount(help), 1);
    EXPECT_EQ(GetMenuItemID(help, 0), 901u);

    DestroyWindow(gFrameWindow);
    gFrameWindow = nullptr;
}

}  // namespace
