// Monoscribe under Wine: the real program on real files, the command line
// in-process (its boxes answered by a watcher) and the dialog.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "eps_fixture.h"
#include "monoscribe.h"
#include "monoscribe_ids.h"
#include "win32_modal.h"

namespace {

const char kErrorCaption[] = "Monoscribe: the following file(s) could not be handled as requested";

std::string MonoEps() {
    EpsShape s;
    s.mono = true;
    return MakeEps(s);
}

void WriteBytes(const std::string &path, const std::string &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string ReadBytes(const std::string &path) {
    std::string bytes;
    if (FILE *f = fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Names in a folder matching a pattern, such as leftover temporary files.
std::vector<std::string> Matching(const std::string &pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, "..")) names.push_back(found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return names;
}

// A fresh empty folder of the test's own, as a relative path with a
// trailing backslash.
std::string FreshFolder(const char *name) {
    std::string folder = std::string("monoscribe_scratch\\") + name + "\\";
    CreateDirectoryA("monoscribe_scratch", nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string &f : Matching(folder + "*")) {
        SetFileAttributesA((folder + f).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((folder + f).c_str());
    }
    return folder;
}

// Runs the in-process command line as the program does, its error box
// answered; returns what the box showed (found false: no box).
ModalCapture RunLine(std::vector<std::string> args) {
    ResetOptions();
    args.insert(args.begin(), "Monoscribe.exe");
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(&a[0]);
    ModalAnswerer answer(IDOK, 3000);
    RunCommandLine(static_cast<int>(argv.size()), argv.data());
    return answer.Result();
}

FILETIME LastWrite(const std::string &path) {
    FILETIME t = {};
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(h, nullptr, nullptr, &t);
    CloseHandle(h);
    return t;
}

void SetOldTime(const std::string &path) {
    SYSTEMTIME st = {2001, 2, 0, 3, 4, 5, 6, 0};
    FILETIME t;
    SystemTimeToFileTime(&st, &t);
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &t);
    CloseHandle(h);
}

// Starts the real program and waits for it; -1 when it did not end.
int RunProgram(const std::string &arguments) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string exe(self);
    exe.erase(exe.find_last_of('\\') + 1);
    std::string line = "\"" + exe + MONOSCRIBE_EXE + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -2;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 1);  // a box nobody answers
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

TEST(Monoscribe, TheProgramSwitchesAFileInPlaceAndBack) {
    const std::string dir = FreshFolder("program");
    const std::string colour = MakeEps({});
    WriteBytes(dir + "a b.eps", colour);
    EXPECT_EQ(RunProgram("-B \"" + dir + "a b.eps\""), 0);
    EXPECT_TRUE(ReadBytes(dir + "a b.eps") == MonoEps());
    EXPECT_EQ(RunProgram("/c \"" + dir + "a b.eps\""), 0);
    EXPECT_TRUE(ReadBytes(dir + "a b.eps") == colour);
    EXPECT_EQ(Matching(dir + "*").size(), 1u) << "no temporary file is left behind";
}

TEST(Monoscribe, FailuresAreListedTogetherAndLeaveTheirFilesAlone) {
    const std::string dir = FreshFolder("errors");
    const std::string foreign = Replace(MakeEps({}), "%%Creator: Vantorel", "%%Creator: Other");
    WriteBytes(dir + "foreign.eps", foreign);
    WriteBytes(dir + "mono.eps", MonoEps());
    WriteBytes(dir + "good.eps", MakeEps({}));
    WriteBytes(dir + "empty.eps", "");
    SetOldTime(dir + "good.eps");
    const FILETIME before = LastWrite(dir + "good.eps");

    ModalCapture box = RunLine({"-K", dir + "foreign.eps", "-t", dir + "mono.eps", dir + "good.eps",
                                dir + "empty.eps", dir + "missing.eps"});
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.caption, kErrorCaption);
    const std::string expected = "\n" + dir + "foreign.eps: Not created by Vantorel\n" + dir +
                                 "mono.eps: Already black and white!\n" + dir + "empty.eps: Not an EPS file\n" + dir +
                                 "missing.eps: ";
    EXPECT_EQ(box.text.substr(0, expected.size()), expected);
    EXPECT_GT(box.text.size(), expected.size()) << "the system's text follows";

    EXPECT_TRUE(ReadBytes(dir + "foreign.eps") == foreign);
    EXPECT_FALSE(Exists(dir + "foreign.eps.bak"));
    // Already done: still rewritten, with its backup.
    EXPECT_TRUE(ReadBytes(dir + "mono.eps") == MonoEps());
    EXPECT_TRUE(ReadBytes(dir + "mono.eps.bak") == MonoEps());
    EXPECT_TRUE(ReadBytes(dir + "good.eps") == MonoEps());
    EXPECT_TRUE(ReadBytes(dir + "good.eps.bak") == MakeEps({}));
    const FILETIME after = LastWrite(dir + "good.eps");
    EXPECT_EQ(CompareFileTime(&before, &after), 0) << "-T keeps the time stamp";
    EXPECT_EQ(Matching(dir + "*.tmp").size(), 0u);
}

TEST(Monoscribe, OptionsApplyOnlyToTheFilesAfterThem) {
    const std::string dir = FreshFolder("order");
    WriteBytes(dir + "1.eps", MakeEps({}));
    WriteBytes(dir + "2.eps", MonoEps());
    WriteBytes(dir + "3.eps", MakeEps({}));
    ModalCapture box = RunLine({dir + "1.eps", "-C", dir + "2.eps", "/b", dir + "3.eps"});
    EXPECT_FALSE(box.found) << box.text;
    EXPECT_TRUE(ReadBytes(dir + "1.eps") == MonoEps());
    EXPECT_TRUE(ReadBytes(dir + "2.eps") == MakeEps({}));
    EXPECT_TRUE(ReadBytes(dir + "3.eps") == MonoEps());
    EXPECT_FALSE(Exists(dir + "1.eps.bak"));
}

TEST(Monoscribe, ASubFolderReceivesTheResultsUnderTheirNames) {
    const std::string dir = FreshFolder("subfolder");
    RemoveDirectoryA((dir + "out").c_str());
    WriteBytes(dir + "a.eps", MakeEps({}));
    WriteBytes(dir + "b.eps", MakeEps({}));
    ModalCapture box = RunLine({"-P", "out\\", dir + "a.eps", "-K", dir + "b.eps", "-P"});
    // A -P with nothing after it is a file name.
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text.substr(0, 5), "\n-P: ");
    EXPECT_TRUE(ReadBytes(dir + "a.eps") == MakeEps({}));
    EXPECT_TRUE(ReadBytes(dir + "out\\a.eps") == MonoEps());
    EXPECT_TRUE(ReadBytes(dir + "out\\b.eps") == MonoEps());
    EXPECT_FALSE(Exists(dir + "b.eps"));
    EXPECT_TRUE(ReadBytes(dir + "b.eps.bak") == MakeEps({}));
    EXPECT_EQ(Matching(dir + "out\\*.tmp").size(), 0u);

    box = RunLine({"-P", std::string(300, 'x'), dir + "a.eps"});
    EXPECT_EQ(box.text, "\n" + dir + "a.eps: File spec too long");
    EXPECT_TRUE(ReadBytes(dir + "a.eps") == MakeEps({}));
}

TEST(Monoscribe, AFileThatCannotBeReplacedKeepsItsBytes) {
    const std::string dir = FreshFolder("readonly");
    WriteBytes(dir + "locked.eps", MakeEps({}));
    // Open without leave to delete: the file can be read but not replaced.
    HANDLE held = CreateFileA((dir + "locked.eps").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ModalCapture box = RunLine({dir + "locked.eps"});
    CloseHandle(held);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text.substr(0, dir.size() + 13), "\n" + dir + "locked.eps: ");
    EXPECT_TRUE(ReadBytes(dir + "locked.eps") == MakeEps({}));
    EXPECT_EQ(Matching(dir + "*").size(), 1u) << "the partial result is removed";
}

TEST(Monoscribe, ScanModeReportsTheCountOfIncludedFiles) {
    const std::string dir = FreshFolder("scan");
    const std::string document = "%!PS-Adobe-3.0\r\n" + MakeEps({}) + "showpage\r\n";
    WriteBytes(dir + "doc.ps", document);
    WriteBytes(dir + "plain.ps", "%!PS-Adobe-3.0\r\nshowpage\r\n");
    ModalCapture box = RunLine({"-I", dir + "doc.ps"});
    EXPECT_EQ(box.caption, dir + "doc.ps");
    EXPECT_EQ(box.text, "1 included files converted");
    EXPECT_TRUE(ReadBytes(dir + "doc.ps") == "%!PS-Adobe-3.0\r\n" + MonoEps() + "showpage\r\n");
    box = RunLine({"-I", dir + "plain.ps"});
    EXPECT_EQ(box.text, "0 included files converted");
}

// The dialog: a drop while it is open converts with the options shown,
// Exit ends it and its position is saved.
std::string gDropFile;
RECT gOpenRect;

HGLOBAL MakeDrop(const std::string &path) {
    char full[MAX_PATH];
    GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    const size_t size = sizeof(DROPFILES) + strlen(full) + 2;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    DROPFILES *drop = static_cast<DROPFILES *>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    strcpy(reinterpret_cast<char *>(drop + 1), full);
    GlobalUnlock(memory);
    return memory;
}

void CALLBACK DropWhileOpen(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND dialog = gMonoscribe.dialog;
    if (!dialog) return;
    GetWindowRect(dialog, &gOpenRect);
    CheckRadioButton(dialog, IDC_TO_MONO, IDC_TO_COLOR, IDC_TO_COLOR);
    CheckDlgButton(dialog, IDC_BACKUP, BST_CHECKED);  // off again: a sub-folder is given
    SetDlgItemTextA(dialog, IDC_SUB_FOLDER, "colour");
    SendMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(gDropFile)), 0);
}

TEST(Monoscribe, TheDialogConvertsDroppedFilesAndSavesItsPosition) {
    const std::string dir = FreshFolder("dialog");
    gDropFile = dir + "drop.eps";
    WriteBytes(gDropFile, MonoEps());
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quorvale\\Monoscribe", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD saved[2] = {37, 41};
    RegSetValueExA(key, "x", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&saved[0]), sizeof(DWORD));
    RegSetValueExA(key, "y", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&saved[1]), sizeof(DWORD));
    RegCloseKey(key);

    // The drop runs from a timer inside the dialog's own loop, before the
    // watcher presses Exit.
    SetTimer(nullptr, 0, 1, DropWhileOpen);
    ModalAnswerer exit(IDCANCEL);
    ResetOptions();
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MONOSCRIBE), nullptr, MainDialogProc, 0);
    const ModalCapture &seen = exit.Result();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, "Monoscribe");
    EXPECT_EQ(seen.controlTexts.at(IDC_INTRO_TEXT),
              "Drop Vantorel generated EPS files\nover this dialog\nor select them with the Browse button\n"
              "They will be fixed as selected below");
    EXPECT_EQ(seen.controlTexts.at(IDC_TO_MONO), "From color to &black and white");
    EXPECT_EQ(seen.controlTexts.at(IDC_TO_COLOR), "From black and white to &color");
    EXPECT_EQ(seen.controlTexts.at(IDC_BACKUP), "Save bac&kup");
    EXPECT_EQ(seen.controlTexts.at(IDC_KEEP_TIME), "Keep &time stamp");
    EXPECT_EQ(seen.controlTexts.at(IDC_INCLUDED), "&Process included files");
    EXPECT_EQ(seen.controlTexts.at(IDC_PATH_LABEL), "&Append to path");
    // Alt+B belongs to the first radio button; the button takes the next letter.
    EXPECT_EQ(seen.controlTexts.at(IDC_BROWSE), "B&rowse...");
    EXPECT_EQ(seen.controlTexts.at(IDCANCEL), "&Exit");
    EXPECT_EQ(seen.controlTexts.at(IDC_HELP_BUTTON), "Help");

    EXPECT_TRUE(ReadBytes(dir + "colour\\drop.eps") == MakeEps({}));
    EXPECT_TRUE(ReadBytes(gDropFile) == MonoEps());
    EXPECT_FALSE(Exists(gDropFile + ".bak"));
    EXPECT_EQ(gMonoscribe.dialog, nullptr);
    EXPECT_EQ(gOpenRect.left, 37);
    EXPECT_EQ(gOpenRect.top, 41);

    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quorvale\\Monoscribe", 0, KEY_READ, &key), ERROR_SUCCESS);
    for (int i = 0; i < 2; ++i) {
        DWORD type = 0, value = 0, size = sizeof value;
        EXPECT_EQ(RegQueryValueExA(key, i ? "y" : "x", nullptr, &type, reinterpret_cast<BYTE *>(&value), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(value, saved[i]) << "the position it was opened at is saved again";
    }
    RegCloseKey(key);
}

}  // namespace
