// The settings files on the real private-profile calls under Wine: choice of
// files, ":" values, bounds, EnumSettingsKeys, help file, RunOnce and the
// frame placement. The test program's folder plays the program folder.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings_fixture.h"
#include "win32_modal.h"

namespace {

std::string AppDataFolder(int csidl) {
    char folder[MAX_PATH];
    EXPECT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, folder)));
    return std::string(folder) + "\\Quorvale";
}

bool IsFile(const std::string &path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string &path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Read(const char *section, const char *key, int file, const char *def = "") {
    char buffer[kSettingsPathSize + 1];
    int n = ReadSettingString(section, key, def, buffer, sizeof buffer, file);
    EXPECT_EQ(n, static_cast<int>(std::strlen(buffer)));
    return buffer;
}

TEST_F(SettingsFixture, FileBesideTheProgramServesBothIndices) {
    UseFileBesideProgram();
    EXPECT_EQ(gSettingsLocations.file[0], besideFile);
    EXPECT_EQ(gSettingsLocations.file[1], besideFile);
    EXPECT_EQ(gSettingsLocations.programFolder, folder);

    WriteSettingString("Test", "A", "one", kSettingsUser);
    WriteSettingString("Test", "B", ":fonts\\a.ft", kSettingsShared);
    EXPECT_EQ(Read("Test", "A", kSettingsShared), "one");
    EXPECT_EQ(RawValue("Test", "B"), ":fonts\\a.ft");
    // Only file 1 resolves ":" against the program folder.
    EXPECT_EQ(Read("Test", "B", kSettingsShared), folder + "fonts\\a.ft");
    EXPECT_EQ(Read("Test", "B", kSettingsUser), ":fonts\\a.ft");
    EXPECT_EQ(ReadSettingInt("Test", "Missing", -5, kSettingsShared), -5);
}

TEST_F(SettingsFixture, WithoutFileBesideTheProgramTheTwoApplicationDataFilesAreCreated) {
    const std::string userFolder = AppDataFolder(CSIDL_APPDATA);
    const std::string sharedFolder = AppDataFolder(CSIDL_COMMON_APPDATA);
    const std::string userFile = userFolder + "\\Vantorel.ini", sharedFile = sharedFolder + "\\Vantorel.ini";
    // Keep whatever another program run left there.
    for (const std::string &f : {userFile, sharedFile}) {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, f.c_str());
        MoveFileExA(f.c_str(), (f + ".keep").c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    RemoveDirectoryA(userFolder.c_str());
    RemoveDirectoryA(sharedFolder.c_str());

    ChooseSettingsFiles((folder + "Vantorel").c_str());
    EXPECT_EQ(gSettingsLocations.file[0], userFile);
    EXPECT_EQ(gSettingsLocations.file[1], sharedFile);
    EXPECT_STREQ(gSettingsLocations.programFolder, "");
    EXPECT_TRUE(IsFolder(userFolder));
    EXPECT_TRUE(IsFolder(sharedFolder));

    WriteSettingString("Test", "Who", "user", kSettingsUser);
    WriteSettingString("Test", "Who", "shared", kSettingsShared);
    WriteSettingString("Test", "Path", ":examples\\lorenz.vr", kSettingsShared);
    EXPECT_TRUE(IsFile(userFile));
    EXPECT_TRUE(IsFile(sharedFile));
    EXPECT_EQ(Read("Test", "Who", kSettingsUser), "user");
    EXPECT_EQ(Read("Test", "Who", kSettingsShared), "shared");
    // No program folder here: the ":" is only dropped.
    EXPECT_EQ(Read("Test", "Path", kSettingsShared), "examples\\lorenz.vr");

    for (const std::string &f : {userFile, sharedFile}) {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, f.c_str());
        DeleteFileA(f.c_str());
        MoveFileExA((f + ".keep").c_str(), f.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

TEST_F(SettingsFixture, OverlongValuesAreRefusedWithAMessageAndTheDefaultUsed) {
    UseFileBesideProgram();
    const int room = kSettingsPathSize - 1 - static_cast<int>(folder.size());
    const std::string fits(room, 'f'), tooLong(room + 1, 'x');
    char buffer[kSettingsPathSize];

    WriteSettingString("Options", "Help file", (":" + fits).c_str(), kSettingsShared);
    {
        ModalAnswerer none(IDOK, 300);
        EXPECT_EQ(ReadSettingString("Options", "Help file", "dflt", buffer, sizeof buffer, kSettingsShared),
                  kSettingsPathSize - 1);
        EXPECT_FALSE(none.Result().found);
        EXPECT_EQ(std::string(buffer), folder + fits);
    }

    WriteSettingString("Options", "Help file", (":" + tooLong).c_str(), kSettingsShared);
    {
        ModalAnswerer ok(IDOK);
        EXPECT_EQ(ReadSettingString("Options", "Help file", "dflt", buffer, sizeof buffer, kSettingsShared), 4);
        const ModalCapture &box = ok.Result();
        ASSERT_TRUE(box.found);
        EXPECT_EQ(box.caption, "Vantorel Error");
        EXPECT_NE(box.text.find("\"Help file\" in section \"Options\" is longer than 259"), std::string::npos)
            << box.text;
        EXPECT_STREQ(buffer, "dflt");
    }

    // A plain value longer than its buffer is refused too, not cut.
    WriteSettingString("Test", "Short", "123456789", kSettingsUser);
    {
        ModalAnswerer ok(IDOK);
        char small[8];
        EXPECT_EQ(ReadSettingString("Test", "Short", "no", small, sizeof small, kSettingsUser), 2);
        EXPECT_TRUE(ok.Result().found);
        EXPECT_STREQ(small, "no");
    }
}

TEST_F(SettingsFixture, EnumSettingsKeysListsKeysInFileOrderAndDeleteRemovesTheSection) {
    UseFileBesideProgram();
    EXPECT_STREQ(EnumSettingsKeys("Font files", 0, kSettingsShared), "");
    WriteSettingString("Font files", "Serif", "a.ft", kSettingsShared);
    WriteSettingString("Font files", "Mono", "b.ft", kSettingsShared);
    WriteSettingString("Font files", "Greek", "c.ft", kSettingsShared);
    WriteSettingString("Font files", "Mono", nullptr, kSettingsShared);  // null text deletes the key

    std::string names;
    for (const char *k = EnumSettingsKeys("Font files", 0, kSettingsShared); *k;
         k = EnumSettingsKeys("Font files", 1, kSettingsShared))
        names += std::string(k) + ";";
    EXPECT_EQ(names, "Serif;Greek;");
    EXPECT_STREQ(EnumSettingsKeys("Font files", 1, kSettingsShared), "");  // stays at the end

    DeleteSettingsSection("Font files", kSettingsShared);
    EXPECT_STREQ(EnumSettingsKeys("Font files", 0, kSettingsShared), "");
    EXPECT_EQ(RawValue("Font files", "Serif"), kMissing);
}

TEST_F(SettingsFixture, KeyListTooLongForItsBufferEndsBeforeTheCutNameWithAMessage) {
    UseFileBesideProgram();
    // 300 names of 99 characters: 30,000 bytes of names.
    std::string text;
    for (int i = 0; i < 300; ++i) {
        char name[128];
        std::snprintf(name, sizeof name, "%03d%s=x", i, std::string(96, 'k').c_str());
        text += name;
        text.push_back(0);
    }
    text.push_back(0);
    WritePrivateProfileSectionA("Many", text.c_str(), besideFile.c_str());

    ModalAnswerer ok(IDOK);
    int count = 0;
    for (const char *k = EnumSettingsKeys("Many", 0, kSettingsShared); *k; k = EnumSettingsKeys("Many", 1, kSettingsShared)) {
        EXPECT_EQ(std::strlen(k), 99u) << count;
        ++count;
    }
    EXPECT_TRUE(ok.Result().found);
    EXPECT_EQ(count, 20480 / 100);
}

TEST_F(SettingsFixture, LocateSettingsFilesReadsTheHelpFileOfTheSharedFile) {
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::string base(program);
    base.erase(base.rfind('.'));
    const std::string own = base + ".ini";
    WritePrivateProfileStringA("Options", "Unused", "1", own.c_str());

    ASSERT_EQ(LocateSettingsFiles(), 1);
    EXPECT_EQ(gSettingsLocations.file[0], own);
    EXPECT_EQ(gSettingsLocations.file[1], own);
    EXPECT_EQ(gHelpFile, base);  // default: the program path without extension

    WritePrivateProfileStringA("Options", "Help file", ":doc\\vantorel.chm", own.c_str());
    ASSERT_EQ(LocateSettingsFiles(), 1);
    EXPECT_EQ(gHelpFile, folder + "doc\\vantorel.chm");

    WritePrivateProfileStringA(nullptr, nullptr, nullptr, own.c_str());
    DeleteFileA(own.c_str());
}

std::string RunCapture(const std::string &command) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return "";
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;
    PROCESS_INFORMATION pi = {};
    std::string line = command, out;
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
        CloseHandle(writeEnd);
        writeEnd = nullptr;
        char chunk[512];
        DWORD n;
        while (ReadFile(readEnd, chunk, sizeof chunk, &n, nullptr) && n) out.append(chunk, n);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    if (writeEnd) CloseHandle(writeEnd);
    CloseHandle(readEnd);
    return out;
}

std::string RunOnceValue(const std::string &name) {
    char data[1024] = "";
    DWORD size = sizeof data, type = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return "<no value>";
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    return data;
}

void DeleteRunOnceValue(const std::string &name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0,
                      KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, name.c_str());
        RegCloseKey(key);
    }
}

TEST(RunOnceRestart, WritesTheQuotedProblemPathUnderVantorelAndTheProcessId) {
    const std::string name = "Vantorel" + std::to_string(GetCurrentProcessId());
    RegisterRunOnceRestart("C:\\My Problems\\lorenz.vr");
    EXPECT_EQ(RunOnceValue(name), "\"C:\\My Problems\\lorenz.vr\"");
    // The same through the registry tool.
    std::string listing = RunCapture("reg.exe query HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce /v " + name);
    EXPECT_NE(listing.find(name), std::string::npos) << listing;
    EXPECT_NE(listing.find("REG_SZ"), std::string::npos) << listing;
    EXPECT_NE(listing.find("\"C:\\My Problems\\lorenz.vr\""), std::string::npos) << listing;

    // Without a problem the program itself restarts.
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    RegisterRunOnceRestart(nullptr);
    EXPECT_EQ(RunOnceValue(name), "\"" + std::string(program) + "\"");
    // Never leave it behind: Wine would run it at the next start of the prefix.
    DeleteRunOnceValue(name);
}

// A stand-in frame: records the full-screen command and unchecks it, as the
// real toggle does.
int gFullScreenCommands;
LRESULT CALLBACK FrameProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && LOWORD(wp) == 603) {
        ++gFullScreenCommands;
        CheckMenuItem(GetMenu(w), 603, MF_BYCOMMAND | MF_UNCHECKED);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

TEST_F(SettingsFixture, SaveFramePlacementStoresTheNormalRectangleAndMaximized) {
    UseFileBesideProgram();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VR_TestFrame";
    RegisterClassA(&wc);
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING | MF_CHECKED, 603, "&Full screen");
    HWND frame = CreateWindowA("VR_TestFrame", "frame", WS_OVERLAPPEDWINDOW, 40, 30, 500, 300, nullptr, menu,
                               wc.hInstance, nullptr);
    ASSERT_TRUE(frame);
    ShowWindow(frame, SW_SHOWNORMAL);

    gFullScreenCommands = 0;
    SaveFramePlacement(frame);
    EXPECT_EQ(gFullScreenCommands, 1);  // left full-screen mode first
    EXPECT_EQ(RawValue("Options", "X position"), "40");
    EXPECT_EQ(RawValue("Options", "Y position"), "30");
    EXPECT_EQ(RawValue("Options", "Width"), "500");
    EXPECT_EQ(RawValue("Options", "Height"), "300");
    EXPECT_EQ(RawValue("Options", "Maximized"), "0");

    ShowWindow(frame, SW_MAXIMIZE);
    SaveFramePlacement(frame);
    EXPECT_EQ(gFullScreenCommands, 1);  // not in full-screen mode any more
    EXPECT_EQ(RawValue("Options", "X position"), "40");
    EXPECT_EQ(RawValue("Options", "Width"), "500");
    EXPECT_EQ(RawValue("Options", "Maximized"), "1");

    DestroyWindow(frame);
    SaveFramePlacement(nullptr);  // no frame: nothing to do
}

}  // namespace
