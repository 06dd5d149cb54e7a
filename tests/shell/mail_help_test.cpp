// Mail through a stand-in simple mail library and help through a stand-in
// help control, both built beside this program, under Wine.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app.h"
#include "code_libraries.h"
#include "eval_errors.h"
#include "help_engine.h"
#include "mail_win32.h"
#include "memory.h"
#include "problem_file.h"
#include "resource_ids.h"
#include "settings.h"
#include "win32_modal.h"
#include "workspace.h"

namespace {

std::string ProgramFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.erase(folder.rfind('\\') + 1);
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// "key=value|key=value" of one log line.
std::map<std::string, std::string> Fields(const std::string &line) {
    std::map<std::string, std::string> fields;
    std::stringstream in(line);
    for (std::string item; std::getline(in, item, '|');) {
        const size_t eq = item.find('=');
        if (eq != std::string::npos) fields[item.substr(0, eq)] = item.substr(eq + 1);
    }
    return fields;
}

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The "VRM" entries of the temporary folder.
int MailFolderCount() {
    char temporary[MAX_PATH];
    GetTempPathA(sizeof temporary, temporary);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((std::string(temporary) + "VRM*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do ++n;
    while (FindNextFileA(find, &data));
    FindClose(find);
    return n;
}

constexpr char kProfileSection[] = "VantorelTestMail";

class MailTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallEvalAbortHandler();
        log_ = ProgramFolder() + "mail.log";
        DeleteFileA(log_.c_str());
        SetEnvironmentVariableA("VR_MAIL_LOG", log_.c_str());
        SetEnvironmentVariableA("VR_MAIL_RESULT", nullptr);
        library_ = ProgramFolder() + "mail_standin.dll";
        gMailSystem = {library_.c_str(), kProfileSection};
        WriteProfileStringA(kProfileSection, nullptr, nullptr);
        gProblemPath[0] = 0;
        gProblemKind = kOdeSystem;
        gDimension = 2;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        foldersBefore_ = MailFolderCount();
    }
    void TearDown() override {
        UnloadMail();
        WriteProfileStringA(kProfileSection, nullptr, nullptr);
        gMailSystem = {"MAPI32.DLL", "Mail"};
        gProblemPath[0] = 0;
        FreeProblemWorkspace();
        DeleteFileA(log_.c_str());
    }
    void Offer() { WriteProfileStringA(kProfileSection, "MAPI", "1"); }
    std::map<std::string, std::string> OnlyCall() {
        const std::vector<std::string> lines = Lines(ReadFile(log_));
        EXPECT_EQ(lines.size(), 1u);
        return lines.empty() ? std::map<std::string, std::string>() : Fields(lines[0]);
    }
    // The first line of the problem text as the program builds it.
    static std::string FirstProblemLine() {
        if (!BuildProblemText(0)) return "(no text)";
        std::string text(gProblemTextBuffer, gProblemTextLength);
        FreeAndNull(gProblemTextBuffer);
        return text.substr(0, text.find_first_of("\r\n"));
    }
    std::string log_, library_;
    int foldersBefore_ = 0;
};

TEST_F(MailTest, WithoutTheProfileValueTheLibraryIsNeverLoaded) {
    EXPECT_FALSE(IsMailAvailable());
    EXPECT_EQ(GetModuleHandleA("mail_standin.dll"), nullptr);
    WriteProfileStringA(kProfileSection, "MAPI", "0");
    EXPECT_FALSE(IsMailAvailable());
    EXPECT_EQ(GetModuleHandleA("mail_standin.dll"), nullptr);
    // Mail is then refused with its message.
    ModalAnswerer box(IDOK);
    EXPECT_EQ(MailProblem(nullptr), 0);
    EXPECT_EQ(box.Result().text, "Could not send the mail");
    EXPECT_FALSE(Exists(log_));
}

TEST_F(MailTest, AMissingLibraryOrEntryIsNoMail) {
    Offer();
    const std::string missing = ProgramFolder() + "no_such_mail.dll";
    gMailSystem.library = missing.c_str();
    EXPECT_FALSE(IsMailAvailable());
    const std::string other = ProgramFolder() + "help_standin.dll";  // no MAPISendDocuments
    gMailSystem.library = other.c_str();
    EXPECT_FALSE(IsMailAvailable());
}

TEST_F(MailTest, AnUnnamedProblemGoesAsNoNameAndTheFolderIsGoneAfterwards) {
    Offer();
    ASSERT_TRUE(IsMailAvailable());
    EXPECT_NE(GetModuleHandleA("mail_standin.dll"), nullptr);
    const std::string first = FirstProblemLine();
    HWND owner = GetDesktopWindow();
    EXPECT_EQ(MailProblem(owner), 1);
    std::map<std::string, std::string> call = OnlyCall();
    EXPECT_EQ(call["ui"], std::to_string(reinterpret_cast<ULONG_PTR>(owner)));
    EXPECT_EQ(call["delimiter"], ";");
    EXPECT_EQ(call["name"], "NoName.vr");
    EXPECT_EQ(call["reserved"], "0");
    EXPECT_EQ(call["exists"], "1");  // the file was there during the call
    EXPECT_EQ(call["first"], first);
    const std::string path = call["path"];
    char temporary[MAX_PATH];
    GetTempPathA(sizeof temporary, temporary);
    EXPECT_EQ(path.rfind(std::string(temporary) + "VRM", 0), 0u) << path;
    EXPECT_EQ(path.substr(path.rfind('\\')), "\\NoName.vr");
    EXPECT_FALSE(Exists(path));
    EXPECT_FALSE(Exists(path.substr(0, path.rfind('\\'))));
    EXPECT_EQ(MailFolderCount(), foldersBefore_);
}

TEST_F(MailTest, ANamedProblemKeepsItsNameAndTheResultsDecide) {
    Offer();
    ASSERT_TRUE(IsMailAvailable());
    std::snprintf(gProblemPath, sizeof gProblemPath, "C:\\problems\\Lorenz attractor.vr");
    SetEnvironmentVariableA("VR_MAIL_RESULT", "1");  // the user cancelled: no message
    EXPECT_EQ(MailProblem(nullptr), 1);
    EXPECT_EQ(OnlyCall()["name"], "Lorenz attractor.vr");
    DeleteFileA(log_.c_str());

    SetEnvironmentVariableA("VR_MAIL_RESULT", "3");  // a failure
    ModalAnswerer box(IDOK);
    EXPECT_EQ(MailProblem(nullptr), 0);
    EXPECT_EQ(box.Result().text, "Could not send the mail");
    EXPECT_EQ(OnlyCall()["exists"], "1");
    EXPECT_EQ(MailFolderCount(), foldersBefore_);
}

// A name that does not fit the folder is reported; no folder stays behind.
TEST_F(MailTest, AFailedWriteLeavesNoFolderBehind) {
    Offer();
    ASSERT_TRUE(IsMailAvailable());
    std::string name(240, 'n');
    std::snprintf(gProblemPath, sizeof gProblemPath, "C:\\%s.vr", name.c_str());
    ModalAnswerer box(IDOK);
    EXPECT_EQ(MailProblem(nullptr), 0);
    EXPECT_TRUE(box.Result().found);
    EXPECT_FALSE(Exists(log_));
    EXPECT_EQ(MailFolderCount(), foldersBefore_);
}

// ---- Help ----

struct WinHelpCall {
    HWND owner;
    std::string file;
    UINT command;
    ULONG_PTR data;
    std::string folder;
};
std::vector<WinHelpCall> gWinHelpCalls;

BOOL WINAPI RecordWinHelp(HWND owner, LPCSTR file, UINT command, ULONG_PTR data) {
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    gWinHelpCalls.push_back({owner, file, command, data, folder});
    return TRUE;
}

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        log_ = ProgramFolder() + "help.log";
        DeleteFileA(log_.c_str());
        SetEnvironmentVariableA("VR_HELP_LOG", log_.c_str());
        library_ = ProgramFolder() + "help_standin.dll";
        examples_ = ProgramFolder() + "Examples";
        CreateDirectoryA(examples_.c_str(), nullptr);
        UnloadHtmlHelp();
        gHelpEngines = {RecordWinHelp, library_.c_str()};
        gWinHelpCalls.clear();
        savedOnTop_ = gHelpOnTop;
        gHelpOnTop = 0;
        gHelpUsed = 0;
        GetCurrentDirectoryA(sizeof before_, before_);
    }
    void TearDown() override {
        UnloadHtmlHelp();
        gHelpEngines = {WinHelpA, "hhctrl.ocx"};
        gHelpOnTop = savedOnTop_;
        SetCurrentDirectoryA(before_);
        DeleteFileA(log_.c_str());
    }
    std::vector<std::map<std::string, std::string>> Calls() {
        std::vector<std::map<std::string, std::string>> calls;
        for (const std::string &line : Lines(ReadFile(log_))) calls.push_back(Fields(line));
        return calls;
    }
    static std::string Hex(HWND w) {
        char text[32];
        std::snprintf(text, sizeof text, "%p", static_cast<void *>(w));
        return text;
    }
    std::string log_, library_, examples_;
    char before_[MAX_PATH];
    int savedOnTop_ = 0;
};

TEST_F(HelpTest, TheNameChoosesTheEngineAndCommandsAreMapped) {
    HWND owner = GetDesktopWindow();
    EXPECT_NE(ShowHelp(owner, "C:\\help\\Vantorel.HLP", 1, 2920), 0u);
    EXPECT_NE(ShowHelp(owner, "Fonts.hlp", 3, 0), 0u);
    ASSERT_EQ(gWinHelpCalls.size(), 2u);
    EXPECT_EQ(gWinHelpCalls[0].file, "C:\\help\\Vantorel.HLP");
    EXPECT_EQ(gWinHelpCalls[0].command, 1u);  // WinHelp gets the command as it is
    EXPECT_EQ(gWinHelpCalls[0].data, 2920u);
    EXPECT_EQ(gWinHelpCalls[0].owner, owner);
    EXPECT_EQ(gWinHelpCalls[1].command, 3u);
    EXPECT_TRUE(gHelpUsed);

    struct Case {
        const char *file;
        UINT command, mapped;
    };
    const Case cases[] = {
        {"Vantorel.chm", 2, 18}, {"Vantorel.chm", 3, 1},    {"Vantorel.chm", 10, 16}, {"Vantorel.chm", 11, 0},
        {"Vantorel.chm", 12, 17}, {"Vantorel.chm", 261, 2}, {"Vantorel.chm", 1, 15},  {"Vantorel.chm", 257, 15},
        {"Vantorel", 1, 15},     {"p", 1, 15},              {"help.chp", 1, 0xFFFF},
    };
    for (const Case &c : cases) ShowHelp(owner, c.file, c.command, 7);
    EXPECT_EQ(gWinHelpCalls.size(), 3u);  // "help.chp" only: a one-letter "p" is no WinHelp file
    const auto calls = Calls();
    ASSERT_EQ(calls.size(), 10u);
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].at("file"), cases[i].file) << i;
        EXPECT_EQ(calls[i].at("command"), std::to_string(cases[i].mapped)) << i;
        EXPECT_EQ(calls[i].at("data"), "7") << i;
    }
}

// Without "Help on top" only the two popups keep their owner.
TEST_F(HelpTest, HelpOnTopDecidesTheOwnerExceptForPopups) {
    HWND owner = GetDesktopWindow();
    for (UINT command : {1u, 10u, 12u, 3u}) ShowHelp(owner, "Vantorel.chm", command, 0);
    gHelpOnTop = 1;
    ShowHelp(owner, "Vantorel.chm", 1, 0);
    const auto calls = Calls();
    ASSERT_EQ(calls.size(), 5u);
    const std::string none = Hex(nullptr);
    EXPECT_EQ(calls[0].at("owner"), none);
    EXPECT_EQ(calls[1].at("owner"), Hex(owner));
    EXPECT_EQ(calls[2].at("owner"), Hex(owner));
    EXPECT_EQ(calls[3].at("owner"), none);
    EXPECT_EQ(calls[4].at("owner"), Hex(owner));
}

// The engine runs in the examples folder; the caller's folder comes back.
TEST_F(HelpTest, HelpRunsInTheExamplesFolder) {
    char start[MAX_PATH];
    GetTempPathA(sizeof start, start);
    SetCurrentDirectoryA(start);
    char here[MAX_PATH];
    GetCurrentDirectoryA(sizeof here, here);
    EXPECT_NE(ShowHelp(nullptr, "Vantorel.chm", 1, 0), 0u);
    ShowHelp(nullptr, "Vantorel.hlp", 1, 0);
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(lstrcmpiA(Calls()[0].at("folder").c_str(), examples_.c_str()), 0) << Calls()[0].at("folder");
    ASSERT_EQ(gWinHelpCalls.size(), 1u);
    EXPECT_EQ(lstrcmpiA(gWinHelpCalls[0].folder.c_str(), examples_.c_str()), 0);
    char after[MAX_PATH];
    GetCurrentDirectoryA(sizeof after, after);
    EXPECT_STREQ(after, here);
}

// Without the help control a request does nothing, and no file, no request.
TEST_F(HelpTest, WithoutTheControlOrAFileNothingHappens) {
    EXPECT_EQ(ShowHelp(nullptr, "", 1, 0), 0u);
    EXPECT_EQ(ShowHelp(nullptr, nullptr, 1, 0), 0u);
    EXPECT_FALSE(gHelpUsed);
    UnloadHtmlHelp();
    const std::string missing = ProgramFolder() + "no_such_help.dll";
    gHelpEngines.htmlHelpLibrary = missing.c_str();
    EXPECT_EQ(ShowHelp(nullptr, "Vantorel.chm", 1, 0), 0u);
    EXPECT_FALSE(Exists(log_));
}

// The selected code library's item at the end of the Help menu: one
// separator and one item, replaced by the next choice, removed when the
// library has no help; the item shows the library's help contents.
TEST_F(HelpTest, TheCodeLibraryItemOfTheHelpMenuShowsItsHelpContents) {
    HMENU savedMenu = gFrameMenu;
    gFrameMenu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_FRAME));
    ASSERT_TRUE(gFrameMenu);
    HMENU help = GetSubMenu(gFrameMenu, GetMenuItemCount(gFrameMenu) - 1);
    ASSERT_NE(GetMenuState(help, IDM_ABOUT, MF_BYCOMMAND), static_cast<UINT>(-1));
    const int count = GetMenuItemCount(help);
    auto itemText = [&](int position) {
        char text[64] = "";
        GetMenuStringA(help, position, text, sizeof text, MF_BYPOSITION);
        return std::string(text);
    };

    for (const char *entry : {"Euler", "Radau & Co"}) {
        UpdateCodeLibraryHelpItem(entry, "solver.hlp");
        ASSERT_EQ(GetMenuItemCount(help), count + 2) << entry;
        EXPECT_EQ(GetMenuItemID(help, count), static_cast<UINT>(IDM_CODE_LIBRARY_SEPARATOR));
        EXPECT_TRUE(GetMenuState(help, count, MF_BYPOSITION) & MF_SEPARATOR);
        EXPECT_EQ(GetMenuItemID(help, count + 1), static_cast<UINT>(IDM_CODE_LIBRARY_HELP));
        EXPECT_EQ(itemText(count + 1), entry);
    }
    UpdateCodeLibraryHelpItem("Euler", "");
    EXPECT_EQ(GetMenuItemCount(help), count);
    UpdateCodeLibraryHelpItem("Euler", "solver.hlp");
    UpdateCodeLibraryHelpItem("", "");
    EXPECT_EQ(GetMenuItemCount(help), count);

    HWND frame = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND savedClient = gMdiClient;
    gMdiClient = frame;
    std::snprintf(gCodeLibraryHelpFile, MAX_PATH, "%s", "solver.hlp");
    FrameWndProc(frame, WM_COMMAND, IDM_CODE_LIBRARY_HELP, 0);
    ASSERT_EQ(gWinHelpCalls.size(), 1u);
    EXPECT_EQ(gWinHelpCalls[0].file, "solver.hlp");
    EXPECT_EQ(gWinHelpCalls[0].command, static_cast<UINT>(HELP_CONTENTS));
    EXPECT_EQ(gWinHelpCalls[0].data, 0u);
    gCodeLibraryHelpFile[0] = 0;  // no library help: nothing
    FrameWndProc(frame, WM_COMMAND, IDM_CODE_LIBRARY_HELP, 0);
    EXPECT_EQ(gWinHelpCalls.size(), 1u);

    gMdiClient = savedClient;
    DestroyWindow(frame);
    DestroyMenu(gFrameMenu);
    gFrameMenu = savedMenu;
}

// A window that stands in for the frame (the help owner) while the help
// file is the program's; all is as before when it goes.
struct HelpModeWindow {
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND savedClient = gMdiClient;
    char savedHelpFile[sizeof gHelpFile];
    HelpModeWindow() {
        std::memcpy(savedHelpFile, gHelpFile, sizeof savedHelpFile);
        std::snprintf(gHelpFile, sizeof gHelpFile, "%s", "Vantorel.hlp");
        gMdiClient = window;
    }
    ~HelpModeWindow() {
        std::memcpy(gHelpFile, savedHelpFile, sizeof savedHelpFile);
        gMdiClient = savedClient;
        DestroyWindow(window);
    }
};

// In context-help mode the next command shows its help context: a command
// of the toolbar table its own id, recent problems, the window list and
// other commands their shared topics.
TEST_F(HelpTest, ACommandInHelpModeShowsItsMappedHelpContext) {
    HelpModeWindow helpWindow;
    HWND frame = helpWindow.window;
    const struct {
        int command, context;
    } cases[] = {{IDM_OPEN, IDM_OPEN},     {IDM_RECENT_FIRST + 3, 170}, {IDM_HELP_ON_HELP, IDM_HELP_ON_HELP},
                 {IDM_MATHEMATICA, 708},   {935, 931},                  {IDM_TOOLBARS, IDM_TOOLBARS},
                 {IDM_EDITOR_SWITCH, 999}, {9003, 9001}};
    for (const auto &c : cases) {
        gWinHelpCalls.clear();
        gHelpMode = 1;
        FrameWndProc(frame, WM_COMMAND, static_cast<WPARAM>(c.command), 0);
        EXPECT_EQ(gHelpMode, 0) << c.command;
        ASSERT_EQ(gWinHelpCalls.size(), 1u) << c.command;
        EXPECT_EQ(gWinHelpCalls[0].command, static_cast<UINT>(HELP_CONTEXT)) << c.command;
        EXPECT_EQ(gWinHelpCalls[0].data, static_cast<ULONG_PTR>(c.context)) << c.command;
    }
}

// In context-help mode a click on a window's non-client area shows the
// part's topic, the same for the frame and a text window but for the client
// topic; a part without one leaves the mode on and shows nothing. A text
// window's mode starts with Shift+F1 in its control.
TEST_F(HelpTest, AClickOnAWindowPartInHelpModeShowsThePartsTopic) {
    HelpModeWindow helpWindow;
    HWND frame = helpWindow.window;
    HWND control = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    BYTE keys[256];
    GetKeyboardState(keys);
    const struct {
        int hitTest, topic;
    } parts[] = {{HTCAPTION, 5006},   {HTSYSMENU, 5005},   {HTMENU, 5009},        {HTHSCROLL, 5008},
                 {HTVSCROLL, 5008},   {HTMINBUTTON, 5002}, {HTMAXBUTTON, 5001},   {HTLEFT, 5007},
                 {HTBOTTOMRIGHT, 5007}, {HTCLIENT, 0},     {HTNOWHERE, 0},        {HTHELP, -1}};
    for (bool text : {false, true}) {
        for (const auto &part : parts) {
            SCOPED_TRACE(testing::Message() << (text ? "text window " : "frame ") << part.hitTest);
            gWinHelpCalls.clear();
            if (text) {
                keys[VK_SHIFT] = 0x80;
                SetKeyboardState(keys);
                TextEditWndProc(control, WM_KEYDOWN, VK_F1, 0);
                keys[VK_SHIFT] = 0;
                SetKeyboardState(keys);
                TextWndProc(frame, WM_NCLBUTTONDOWN, static_cast<WPARAM>(part.hitTest), 0);
            } else {
                gHelpMode = 1;
                FrameWndProc(frame, WM_NCLBUTTONDOWN, static_cast<WPARAM>(part.hitTest), 0);
            }
            if (part.topic < 0) {
                // Still in the mode: the next click on the caption answers.
                EXPECT_TRUE(gWinHelpCalls.empty());
                if (text) TextWndProc(frame, WM_NCLBUTTONDOWN, HTCAPTION, 0);
                else FrameWndProc(frame, WM_NCLBUTTONDOWN, HTCAPTION, 0);
                ASSERT_EQ(gWinHelpCalls.size(), 1u);
                EXPECT_EQ(gWinHelpCalls[0].data, 5006u);
                continue;
            }
            EXPECT_EQ(gHelpMode, 0);
            ASSERT_EQ(gWinHelpCalls.size(), 1u);
            EXPECT_EQ(gWinHelpCalls[0].command, static_cast<UINT>(HELP_CONTEXT));
            const int client = text ? 5106 : 5104;
            EXPECT_EQ(gWinHelpCalls[0].data, static_cast<ULONG_PTR>(part.topic ? part.topic : client));
            // The mode has ended: the next click is an ordinary one.
            gWinHelpCalls.clear();
            if (text) TextWndProc(frame, WM_NCLBUTTONDOWN, HTHELP, 0);
            else FrameWndProc(frame, WM_NCLBUTTONDOWN, HTHELP, 0);
            EXPECT_TRUE(gWinHelpCalls.empty());
        }
    }
    DestroyWindow(control);
}

}  // namespace
