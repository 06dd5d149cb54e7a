// The link under Wine: the stand-in link library and protocol module built
// beside this program, named in section "MathLink" of the settings file
// beside it, loaded by the real loader and called through compiled
// expressions. The stand-in logs what it received to a file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "compiler.h"
#include "eval_errors.h"
#include "link_eval.h"
#include "mathlink_win32.h"
#include "platform_recorder.h"
#include "problem_settings.h"
#include "settings_fixture.h"
#include "standin_link.h"
#include "workspace.h"

namespace {

constexpr int kSilentJump = 10035;

class MathLinkWin32Test : public SettingsFixture {
protected:
    std::string log;

    void SetUp() override {
        SettingsFixture::SetUp();
        UseFileBesideProgram();
        gRecorder.Reset();
        MakeLinkProblem();
        log = folder + "mathlink.log";
        DeleteFileA(log.c_str());
        SetEnvironmentVariableA("VR_MATHLINK_LOG", log.c_str());
        Write("On", "1");
        Write("MathLinkDLL0", ":standin_link.dll");
        Write("MathLinkMLL0", ":standin_map.mlp");
        Write("MathLinkPre0", "-linkname");
        Write("MathLinkEXE0", "C:\\Wolfram\\MathKernel.exe");
        Write("MathLinkPst0", "-mathlink");
        InstallWin32MathLinkHost();  // as the platform installs it
        ReadMathLinkSettings();
    }

    void TearDown() override {
        UnloadMathLink();
        EXPECT_EQ(GetModuleHandleA("standin_link.dll"), nullptr);
        EXPECT_EQ(GetModuleHandleA("standin_map.mlp"), nullptr);
        gMathLinkHost = MathLinkHost{};
        gMathLinkSettings = MathLinkSettings{};
        gMathLinkAnswerTimeout = kMathLinkDefaultAnswerTimeout;
        gMathLinkOn = 0;
        SetEnvironmentVariableA("VR_MATHLINK_LOG", nullptr);
        DeleteFileA(log.c_str());
        FreeLinkProblem();
        SettingsFixture::TearDown();
    }

    void Write(const char *key, const char *value) { WriteSettingString(kMathLinkSection, key, value, kSettingsShared); }

    int Eval(const char *text, double *result) { return EvalWithLink(text, result); }

    double Value(const char *text) {
        double v;
        EXPECT_EQ(Eval(text, &v), 0) << text;
        return v;
    }

    std::vector<std::string> Log(const std::string &prefix) {
        std::vector<std::string> lines;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);)
            if (line.rfind(prefix, 0) == 0) lines.push_back(line);
        return lines;
    }
};

TEST_F(MathLinkWin32Test, SettingsKeepEveryKeyAndRefuseChoicesOutOfRange) {
    EXPECT_EQ(gMathLinkOn, 1);
    EXPECT_EQ(std::string(gMathLinkSettings.library[0]), folder + "standin_link.dll");
    EXPECT_STREQ(gMathLinkSettings.kernel, "C:\\Wolfram\\MathKernel.exe");
    Write("MathLinkProt", "7");
    Write("MathLinkMode", "-1");
    Write("On", "2");
    ReadMathLinkSettings();
    EXPECT_EQ(gMathLinkSettings.configuration, 0);
    EXPECT_EQ(gMathLinkSettings.mode, 0);
    EXPECT_EQ(gMathLinkOn, 0);

    // Every key in the table is written, integers as one digit.
    gMathLinkOn = 1;
    gMathLinkSettings.configuration = 2;
    gMathLinkSettings.mode = 1;
    std::strcpy(gMathLinkSettings.initialization[2], "Needs[\"X`\"]");
    std::strcpy(gMathLinkSettings.linkHost, "calc.example");
    WriteMathLinkSettings();
    EXPECT_EQ(RawValue("MathLink", "On"), "1");
    EXPECT_EQ(RawValue("MathLink", "MathLinkProt"), "2");
    EXPECT_EQ(RawValue("MathLink", "MathLinkMode"), "1");
    EXPECT_EQ(RawValue("MathLink", "MathLinkINI2"), "Needs[\"X`\"]");
    EXPECT_EQ(RawValue("MathLink", "MathLinkArgs"), "");
    gMathLinkSettings = MathLinkSettings{};
    ReadMathLinkSettings();
    EXPECT_EQ(gMathLinkSettings.configuration, 2);
    EXPECT_STREQ(gMathLinkSettings.linkHost, "calc.example");
    EXPECT_STREQ(gMathLinkSettings.initialization[2], "Needs[\"X`\"]");
    EXPECT_EQ(kMathLinkSettingKeyCount, 22);
}

TEST_F(MathLinkWin32Test, CallsReachTheLinkLibraryAndItsKernel) {
    EXPECT_DOUBLE_EQ(Value("$Sin(1) + 1"), std::sin(1.0) + 1);
    EXPECT_DOUBLE_EQ(Value("$BesselJ(1, 2.5)"), StandinBesselJ(1, 2.5));
    EXPECT_NE(GetModuleHandleA("standin_map.mlp"), nullptr);
    EXPECT_EQ(Log("MLOpen"), std::vector<std::string>{"MLOpen 2 [-linkname] [C:\\Wolfram\\MathKernel.exe -mathlink]"});
    EXPECT_EQ(Log("packet"), (std::vector<std::string>{"packet N[Sin[1]]", "packet N[BesselJ[1, 2.5]]"}));

    // An integer result: the message, and the evaluation ends.
    double v;
    EXPECT_EQ(Eval("$Round(2.5)", &v), kSilentJump);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].text, "The return value from Mathematica was not a real number");

    // A fatal link error closes the link; the next call opens a new one.
    EXPECT_EQ(Eval("$LinkError(10, 0)", &v), kSilentJump);
    EXPECT_EQ(gRecorder.boxes.back().text, "Mathematica error:\nstand-in link error 10");
    EXPECT_EQ(Log("MLClose").size(), 1u);
    EXPECT_DOUBLE_EQ(Value("$Sin(2)"), std::sin(2.0));
    EXPECT_EQ(Log("MLOpen").size(), 2u);

    // Changed settings: the link is unloaded with Exit, and the next call
    // loads the library again.
    UnloadMathLink();
    EXPECT_EQ(GetModuleHandleA("standin_link.dll"), nullptr);
    EXPECT_EQ(Log("packet Exit[]").size(), 2u);
    EXPECT_DOUBLE_EQ(Value("$Sin(3)"), std::sin(3.0));
}

TEST_F(MathLinkWin32Test, ALibraryWithoutOneEntryPointIsUnloaded) {
    Write("MathLinkDLL0", ":standin_no_putmessage.dll");
    ReadMathLinkSettings();
    double v;
    EXPECT_EQ(Eval("$Sin(1)", &v), kSilentJump);
    EXPECT_EQ(GetModuleHandleA("standin_no_putmessage.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleA("standin_map.mlp"), nullptr);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].text,
              "Could not find Mathematica interface libraries\nCheck Configuration/Mathematica interface");
    EXPECT_TRUE(Log("ML").empty());
}

TEST_F(MathLinkWin32Test, TcpLaunchStartsTheCommandLinesAroundTheOpening) {
    const std::string standinLog = folder + "commands.log";
    DeleteFileA(standinLog.c_str());
    SetEnvironmentVariableA("VR_STANDIN_LOG", standinLog.c_str());
    std::string program = RESTART_STANDIN;
    for (char &c : program)
        if (c == '/') c = '\\';
    program = "Z:" + program;
    Write("MathLinkProt", "1");
    Write("MathLinkMode", "2");
    Write("MathLinkDLL1", ":standin_link.dll");
    Write("MathLinkMLL1", ":standin_map.mlp");
    Write("MathLinkName", "2001");
    Write("MathLinkHost", "calc.example");
    Write("MathLinkPre1", (program + " before").c_str());
    Write("MathLinkPst1", (program + " after").c_str());
    ReadMathLinkSettings();
    EXPECT_DOUBLE_EQ(Value("$Sin(1)"), std::sin(1.0));
    EXPECT_EQ(Log("MLOpen"), std::vector<std::string>{"MLOpen 8 [-linkprotocol] [TCP] [-linkmode] [launch] "
                                                      "[-linkname] [2001] [-linkhost] [calc.example]"});
    // Both programs were started; each logs its command line when it runs.
    std::vector<std::string> lines;
    for (int i = 0; i < 200 && lines.size() < 2; Sleep(50), ++i) {
        lines.clear();
        std::ifstream in(standinLog);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 2u);
    std::sort(lines.begin(), lines.end());
    EXPECT_NE(lines[0].find(" after"), std::string::npos);
    EXPECT_NE(lines[1].find(" before"), std::string::npos);
    SetEnvironmentVariableA("VR_STANDIN_LOG", nullptr);
    DeleteFileA(standinLog.c_str());
}

TEST_F(MathLinkWin32Test, AKernelThatNeverAnswersIsGivenUp) {
    gMathLinkAnswerTimeout = 1000;
    const DWORD start = GetTickCount();
    double v;
    EXPECT_EQ(Eval("$Hang()", &v), kSilentJump);
    EXPECT_GE(GetTickCount() - start, 1000u);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].text, "Mathematica did not answer within 1 seconds\n"
                                       "The link to the kernel has been closed");
    EXPECT_EQ(Log("MLPutMessage"), std::vector<std::string>{"MLPutMessage 1"});
    EXPECT_TRUE(Log("MLNextPacket").empty());
    EXPECT_DOUBLE_EQ(Value("$Sin(1)"), std::sin(1.0));
}

// The installation that opens ".nb" documents, in a folder beside this
// program, registered for the test only.
class DetectPathsTest : public ::testing::Test {
protected:
    std::string install;
    const char *kClass = "VantorelTest.Notebook";

    void SetUp() override {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, sizeof path);
        install = path;
        install.erase(install.rfind('\\') + 1);
        install += "Fake Mathematica\\";
        const std::string addOns = install + "AddOns\\MathLink\\DeveloperKit\\Windows\\SystemAdditions\\";
        const std::string system = install + "SystemFiles\\Links\\MathLink\\DeveloperKit\\Windows\\SystemAdditions\\";
        for (const std::string &f : {addOns + "ml32i1.dll", addOns + "mlmap32.mlp", system + "ml32i1.dll",
                                     system + "mltcp32.mlp", install + "MathKernel.exe"})
            Touch(f);
        SetClassesValue(".nb", kClass);
        SetClassesValue(std::string(kClass) + "\\shell\\open\\command",
                        "\"" + install + "Mathematica.exe\" \"C:\\Documents\\%1\"");
    }

    void TearDown() override {
        for (const char *key : {"VantorelTest.Notebook\\shell\\open\\command", "VantorelTest.Notebook\\shell\\open",
                                "VantorelTest.Notebook\\shell", "VantorelTest.Notebook", ".nb"})
            RegDeleteKeyA(HKEY_CLASSES_ROOT, key);
    }

    static void Touch(const std::string &file) {
        for (size_t at = file.find('\\', 3); at != std::string::npos; at = file.find('\\', at + 1))
            CreateDirectoryA(file.substr(0, at).c_str(), nullptr);
        HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << file;
        CloseHandle(h);
    }

    static void SetClassesValue(const std::string &key, const std::string &value) {
        ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(), value.size()), ERROR_SUCCESS);
    }
};

TEST_F(DetectPathsTest, TheInstallationFillsTheFieldsThatExist) {
    MathLinkSettings fields{};
    std::strcpy(fields.library[2], "custom.dll");
    std::strcpy(fields.after[0], "-mathlink -noinit");
    ASSERT_EQ(DetectMathematicaPaths(&fields), 1);
    const std::string system = install + "SystemFiles\\Links\\MathLink\\DeveloperKit\\Windows\\SystemAdditions\\";
    const std::string addOns = install + "AddOns\\MathLink\\DeveloperKit\\Windows\\SystemAdditions\\";
    EXPECT_EQ(fields.library[0], system + "ml32i1.dll");
    EXPECT_EQ(fields.library[1], system + "ml32i1.dll");
    EXPECT_EQ(fields.protocolModule[0], addOns + "mlmap32.mlp");
    EXPECT_EQ(fields.protocolModule[1], system + "mltcp32.mlp");
    EXPECT_EQ(fields.kernel, install + "MathKernel.exe");
    EXPECT_STREQ(fields.library[2], "custom.dll");
    EXPECT_STREQ(fields.before[0], "-linkname");
    EXPECT_STREQ(fields.after[0], "-mathlink -noinit");
    EXPECT_STREQ(fields.linkName, "1024");

    // Without a registered installation only the empty texts are filled.
    TearDown();
    MathLinkSettings none{};
    EXPECT_EQ(DetectMathematicaPaths(&none), 0);
    EXPECT_STREQ(none.library[0], "");
    EXPECT_STREQ(none.kernel, "");
    EXPECT_STREQ(none.before[0], "-linkname");
}

}  // namespace
