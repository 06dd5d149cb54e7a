// Crash recovery end to end: crash_probe faults inside the crash guard; its
// handler saves the problem and starts restart_standin, which logs the
// command line it was given.
#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string Sibling(const char *name) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1) + name;
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The value of "key|..." lines of the probe's report: the rest of the line.
std::string ReportLine(const std::string &report, const std::string &key) {
    size_t at = report.find(key + "|");
    if (at == std::string::npos) return "";
    size_t end = report.find('\n', at);
    return report.substr(at + key.size() + 1, end == std::string::npos ? std::string::npos : end - at - key.size() - 1);
}

class CrashRecoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH];
        GetTempPathA(sizeof base, base);
        folder_ = std::string(base) + "vr crash test";  // a blank in the folder
        CreateDirectoryA(folder_.c_str(), nullptr);
        log_ = folder_ + "\\standin.log";
        report_ = folder_ + "\\report.txt";
        DeleteFileA(log_.c_str());
        DeleteFileA(report_.c_str());
    }

    DWORD RunProbe(const char *age) {
        SetEnvironmentVariableA("TMP", folder_.c_str());
        SetEnvironmentVariableA("TEMP", folder_.c_str());
        SetEnvironmentVariableA("VR_STANDIN_LOG", log_.c_str());
        std::string command = "\"" + Sibling("crash_probe.exe") + "\" \"" + Sibling("restart_standin.exe") + "\" \"" +
                              report_ + "\" " + age;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::string buffer = command;
        if (!CreateProcessA(nullptr, &buffer[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 999;
        WaitForSingleObject(pi.hProcess, 60000);
        DWORD code = 999;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        return code;
    }

    std::string WaitForLog() {
        for (int i = 0; i < 200 && GetFileAttributesA(log_.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
        Sleep(100);
        return ReadFile(log_);
    }

    std::string folder_, log_, report_;
};

TEST_F(CrashRecoveryTest, FaultSavesTheProblemAndRestartsWithItsQuotedPath) {
    EXPECT_EQ(RunProbe("old"), 3u);
    std::string report = ReadFile(report_);
    EXPECT_EQ(ReportLine(report, "box"),
              "Vantorel|An unexpected error will end this session. The program will try\\n"
              "saving the problem under a new name and then opening it again.\\n"
              "Save it under its former name only once you are sure it is correct. ");
    EXPECT_EQ(ReportLine(report, "guard"), "0");
    EXPECT_EQ(ReportLine(report, "second"), "0|0");  // once only, no second box

    std::string saved = ReportLine(report, "saved");
    ASSERT_EQ(saved.rfind(folder_ + "\\VRG", 0), 0u) << saved;
    EXPECT_EQ(ReadFile(saved), "[Problem]\n");

    // The restarted program gets "/g" and the path as one argument.
    std::string log = WaitForLog();
    ASSERT_FALSE(log.empty());
    std::wstring line(log.begin(), log.begin() + log.find('\n'));
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(line.c_str(), &argc);
    ASSERT_EQ(argc, 3) << log;
    EXPECT_EQ(std::wstring(argv[1]), L"/g");
    EXPECT_EQ(std::wstring(argv[2]), std::wstring(saved.begin(), saved.end()));
    LocalFree(argv);
    DeleteFileA(saved.c_str());
}

// A fault within 5000 ms of a "/g" start ends the program at once: no box,
// no save, no restart, so a failing problem cannot loop.
TEST_F(CrashRecoveryTest, FaultSoonAfterARecoveryStartEndsAtOnce) {
    EXPECT_EQ(RunProbe("recent"), 1u);
    std::string report = ReadFile(report_);
    EXPECT_EQ(ReportLine(report, "box"), "");
    EXPECT_EQ(ReportLine(report, "saved"), "");
    Sleep(300);
    EXPECT_EQ(GetFileAttributesA(log_.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
