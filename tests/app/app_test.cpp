// The whole program under Wine: Vantorel.exe is started as a process of its
// own from a folder with its own settings file, driven through its windows
// (commands posted to the frame, texts read from its controls, boxes
// answered), and its files and exit codes are read back. Test hooks of the
// frame (VR_TEST_HOOKS=1) answer the x87 control word and inject a fault.
#include <windows.h>
#include <winspool.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "crash_recovery.h"
#include "resource_ids.h"
#include "test_hooks.h"

namespace {

std::string Folder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string Text(HWND w) {
    const int n = static_cast<int>(SendMessageA(w, WM_GETTEXTLENGTH, 0, 0));
    std::string s(n + 1, '\0');
    SendMessageA(w, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(&s[0]));
    s.resize(std::strlen(s.c_str()));
    return s;
}

std::string ClassOf(HWND w) {
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    return cls;
}

DWORD ProcessOf(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    return pid;
}

struct Search {
    DWORD pid;
    const char *cls;
    HWND found;
    HWND skip;
};

BOOL CALLBACK FindTopLevel(HWND w, LPARAM data) {
    Search *s = reinterpret_cast<Search *>(data);
    if (w != s->skip && IsWindowVisible(w) && ProcessOf(w) == s->pid && ClassOf(w) == s->cls) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND FindOf(DWORD pid, const char *cls, HWND skip = nullptr) {
    Search s = {pid, cls, nullptr, skip};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// A frame of a process other than the given ones.
struct NewFrame {
    std::vector<DWORD> known;
    HWND found;
};

BOOL CALLBACK FindNewFrame(HWND w, LPARAM data) {
    NewFrame *s = reinterpret_cast<NewFrame *>(data);
    if (ClassOf(w) != "VR_Frame") return TRUE;
    for (DWORD pid : s->known)
        if (ProcessOf(w) == pid) return TRUE;
    s->found = w;
    return FALSE;
}

struct Box {
    HWND window = nullptr;
    std::string caption, text;
    std::vector<std::string> controls;
};

BOOL CALLBACK ReadBoxChild(HWND w, LPARAM data) {
    Box *b = reinterpret_cast<Box *>(data);
    if (GetDlgCtrlID(w) == 0xFFFF) b->text = Text(w);
    b->controls.push_back(Text(w));
    return TRUE;
}

// The frame's children: graph and text windows, topmost first.
std::vector<HWND> Children(HWND frame) {
    std::vector<HWND> out;
    HWND client = FindWindowExA(frame, nullptr, "MDICLIENT", nullptr);
    for (HWND c = client ? GetWindow(client, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
    return out;
}

HWND ChildOfClass(HWND frame, const char *cls) {
    for (HWND c : Children(frame))
        if (ClassOf(c) == cls) return c;
    return nullptr;
}

class Program {
public:
    explicit Program(const std::string &arguments) {
        std::string command = "\"" + Folder() + "Vantorel.exe\" " + arguments;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        std::vector<char> buffer(command.begin(), command.end());
        buffer.push_back(0);
        if (CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, Folder().c_str(), &si, &pi_)) {
            started_ = GetTickCount();
        }
    }
    ~Program() {
        if (pi_.hProcess) {
            if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
            WaitForSingleObject(pi_.hProcess, 10000);
            CloseHandle(pi_.hProcess);
            CloseHandle(pi_.hThread);
        }
    }
    bool Started() const { return pi_.hProcess != nullptr; }
    DWORD Pid() const { return pi_.dwProcessId; }
    DWORD Elapsed() const { return GetTickCount() - started_; }

    HWND WaitFrame(DWORD timeoutMs = 120000) {
        for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs && Alive(); Sleep(100))
            if (HWND f = FindOf(Pid(), "VR_Frame")) return frame_ = f;
        return nullptr;
    }
    HWND Frame() const { return frame_; }

    // The frame's children as a loaded problem has them.
    bool WaitChildren(size_t count, DWORD timeoutMs = 120000) {
        for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs && Alive(); Sleep(200))
            if (frame_ && Children(frame_).size() >= count) return true;
        return false;
    }

    LRESULT Hook(int hook, LPARAM argument = 0) {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(frame_, kTestHookMessage, hook, argument, SMTO_ABORTIFHUNG, 30000, &answer))
            return -1;
        return static_cast<LRESULT>(answer);
    }

    bool WaitRunning(bool running, DWORD timeoutMs = 240000) {
        for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs && Alive(); Sleep(200))
            if (Hook(kTestHookRunning) == (running ? 1 : 0)) return true;
        return false;
    }

    // A visible dialog box of this process; its texts once they are filled.
    Box WaitBox(DWORD timeoutMs = 120000, HWND skip = nullptr) {
        Box b;
        for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs; Sleep(100)) {
            if ((b.window = FindOf(Pid(), "#32770", skip)) != nullptr) break;
            if (!Alive()) return b;
        }
        if (!b.window) return b;
        Sleep(300);
        b.caption = Text(b.window);
        EnumChildWindows(b.window, ReadBoxChild, reinterpret_cast<LPARAM>(&b));
        return b;
    }

    void Press(const Box &b, int id) { PostMessageA(b.window, WM_COMMAND, id, 0); }

    bool Alive() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

    DWORD WaitExit(DWORD timeoutMs = 240000) {
        if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return 999;
        DWORD code = 999;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_ = {};
    DWORD started_ = 0;
    HWND frame_ = nullptr;
};

// A one-dimensional problem x' = -x, x(0) = 1 from 0 to last, listed by a
// text window that may also write a point-data file.
std::string DecayProblem(double last, const std::string &outputFile, const char *equation = "-x") {
    char text[4096];
    std::snprintf(text, sizeof text,
                  "Version = 200\r\nIdentifier      = \r\n;\r\n[Type]\r\nSingle ODE      = No\r\n"
                  "System of ODEs  = Yes\r\nMap             = No\r\nDimension/Order = 1\r\n"
                  "Stack length    = 1000\r\nP-code length   = 10000\r\nHeaviside(0)    = 0.5\r\n;\r\n"
                  "[Variables]\r\nIndependent variable      = t\r\nDependent variable(s)     = v\r\n"
                  "Individual names:\r\nx\r\nIndependent variable(0)   = t0\r\nDependent variable(0)     = x0\r\n"
                  "Individual names(0):\r\n\r\n\r\n\r\n;\r\n[Parameters]\r\nParameters                = 0\r\n"
                  "Poincare/Bifurcation time = tp\r\n;\r\n[Equations]\r\nDefinitions:\r\n%s\r\n"
                  "Delay                     = 0\r\nDiscontinuities           = \r\n;\r\n[Initial values]\r\n"
                  "Independent variable      = 0\r\nDependent variable(s):\r\n1\r\n0\r\n0\r\nInitial functions:\r\n\r\n"
                  "Point                     = 0\r\nIterations                = 0\r\nError                     = 1e-08\r\n"
                  "Boundary functions:\r\n\r\n;\r\n[Range]\r\nFirst value               = 0\r\n"
                  "Last value                = %g\r\nInfinity                  = 10000000000\r\n"
                  "Interpolate               = Yes\r\nStep                      = 0.25\r\n"
                  "Retarded points           = 1\r\n;\r\n[Method]\r\n"
                  "Tolerance                 = 1e-10\r\nh                         = 0.01\r\n"
                  "h max.                    = 1\r\n;\r\n[Graphics window]     = 0,0,0.5,0.5,0\r\n"
                  "Title                 = Decay graph\r\nMin. X                = 0\r\nX axis                = t\r\n"
                  "Max. X                = %g\r\nMin. Y                = 0\r\nY axis                = x\r\n"
                  "Max. Y                = 1\r\n;\r\n[Text window]  = 0.5,0,0.5,0.5,0\r\nTitle          = Decay\r\n"
                  "Expressions    = 2\r\nt\r\nx\r\nFormat strings:\r\n%%g \r\n%%.9g\r\nSeparator      = \\r\\\\n\r\n"
                  "Frequency      = 1\r\nLines          = 0\r\nCapture        = %s\r\nOutput file    = %s\r\n",
                  equation, last, last, outputFile.empty() ? "No" : "Yes", outputFile.c_str());
    return text;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableA("VR_TEST_HOOKS", "1");
        WriteSettings("");
        DeleteFileA(Path("decay.double").c_str());
    }

    // The settings file beside the program serves it alone: no tips, the
    // single-instance check on, no plug-ins, and whatever a test adds.
    void WriteSettings(const std::string &options) {
        WriteFile(Folder() + "Vantorel.ini", "[Options]\r\nTip=0\r\nCheck previous=1\r\nSave position=0\r\n" +
                                                 options + "[Math libraries]\r\n");
    }

    static std::string Path(const std::string &name) { return Folder() + name; }

    static std::string Source(const std::string &relative) {
        std::string s = VR_SOURCE_DIR "/" + relative;
        char windows[MAX_PATH];
        // The source tree is reached through Wine's drive for the root.
        std::snprintf(windows, sizeof windows, "Z:%s", s.c_str());
        for (char *p = windows; *p; ++p)
            if (*p == '/') *p = '\\';
        return windows;
    }
};

// Pixels of the window's client area on the screen that differ from white:
// the screen is read, as the window belongs to another process.
int InkPixels(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    const int w = r.right, h = r.bottom;
    if (w <= 0 || h <= 0) return 0;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    int ink = 0;
    const DWORD *pixel = static_cast<const DWORD *>(bits);
    for (int i = 0; i < w * h; ++i)
        if ((pixel[i] & 0xFFFFFF) != 0xFFFFFF) ++ink;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ink;
}

TEST_F(AppTest, ExitAfterRunDrawsAndListsTheLorenzAttractorAndEndsWithZero) {
    Program p("/x \"" + Source("examples/lorenz.vr") + "\"");
    ASSERT_TRUE(p.Started());
    HWND frame = p.WaitFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    ASSERT_TRUE(p.WaitRunning(true));
    Sleep(8000);  // mid-run

    EXPECT_NE(Text(frame).find("lorenz.vr"), std::string::npos) << Text(frame);
    // Menus and status texts of another process, through the hooks and
    // the status bar's own text.
    EXPECT_NE(p.Hook(kTestHookMenuState, -2) & MF_GRAYED, 0);  // Edit is locked during the run
    EXPECT_EQ(p.Hook(kTestHookMenuState, -1) & MF_GRAYED, 0);  // File is not
    EXPECT_EQ(p.Hook(kTestHookMenuState, IDM_STOP) & MF_GRAYED, 0);
    EXPECT_NE(p.Hook(kTestHookMenuState, IDM_START) & MF_GRAYED, 0);
    HWND status = FindWindowExA(frame, nullptr, "msctls_statusbar32", nullptr);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(Text(status).substr(0, 4), "t = ") << Text(status);

    HWND graph = ChildOfClass(frame, "VR_Graph");
    HWND text = ChildOfClass(frame, "VR_Text");
    ASSERT_NE(graph, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Text(graph), "Lorenz attractor");
    EXPECT_EQ(Text(text), "Lorenz values");
    EXPECT_GT(InkPixels(graph), 100);

    // Every tenth point, four columns of "%10.4f", t going up by 0.1.
    HWND control = FindWindowExA(text, nullptr, "RICHEDIT", nullptr);
    ASSERT_NE(control, nullptr);
    // Mid-run: twenty lines listed, however slow the machine.
    std::string listed;
    for (int i = 0; i < 600 && std::count(listed.begin(), listed.end(), '\n') < 20; ++i) {
        Sleep(200);
        listed = Text(control);
    }
    std::istringstream lines(listed);
    std::string row;
    double previous = -1;
    int rows = 0;
    while (std::getline(lines, row) && rows < 20) {
        if (!row.empty() && row.back() == '\r') row.pop_back();
        double t, x, y, z;
        ASSERT_EQ(std::sscanf(row.c_str(), "%lf %lf %lf %lf", &t, &x, &y, &z), 4) << row;
        EXPECT_EQ(row.size(), 43u) << row;
        if (previous >= 0) {
            EXPECT_NEAR(t - previous, 0.1, 1e-9) << row;
        }
        previous = t;
        ++rows;
    }
    EXPECT_EQ(rows, 20);

    EXPECT_EQ(p.WaitExit(600000), 0u);
}

TEST_F(AppTest, ATextWindowWritesItsPointsAsDoublesWithANanBeforeEachTrajectory) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, Path("decay.double")));
    Program p("/x \"" + problem + "\"");
    ASSERT_TRUE(p.Started());
    EXPECT_EQ(p.WaitExit(), 0u);

    const std::string data = ReadFile(Path("decay.double"));
    ASSERT_GE(data.size(), 8u * 5);
    ASSERT_EQ(data.size() % 16, 8u);  // the NaN, then pairs
    ASSERT_EQ(data.size(), 8u * (1 + 2 * 9));  // t = 0, 0.25, ..., 2
    std::vector<double> v(data.size() / 8);
    std::memcpy(v.data(), data.data(), data.size());
    EXPECT_TRUE(std::isnan(v[0]));
    for (size_t i = 1; i + 1 < v.size(); i += 2) {
        EXPECT_NEAR(v[i + 1], std::exp(-v[i]), 1e-7) << "t = " << v[i];
    }
    for (size_t i = 1; i + 1 < v.size(); i += 2) EXPECT_DOUBLE_EQ(v[i], 0.25 * (i / 2)) << i;
}

TEST_F(AppTest, RunStaysOpenAndRefusesNewWindowsWhileRunningAndClosingAsksToSave) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(1e6, ""));
    Program p("/r \"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    ASSERT_TRUE(p.WaitRunning(true));

    // The set of windows that the run serves does not change under it.
    PostMessageA(p.Frame(), WM_COMMAND, IDM_NEW_TEXT, 0);
    PostMessageA(p.Frame(), WM_COMMAND, IDM_NEW_GRAPH, 0);
    Sleep(2000);
    EXPECT_EQ(p.Hook(kTestHookChildCount), 2);

    PostMessageA(p.Frame(), WM_COMMAND, IDM_STOP, 0);
    ASSERT_TRUE(p.WaitRunning(false));
    EXPECT_TRUE(p.Alive());
    PostMessageA(p.Frame(), WM_COMMAND, IDM_NEW_TEXT, 0);
    for (int i = 0; i < 100 && p.Hook(kTestHookChildCount) != 3; ++i) Sleep(100);
    EXPECT_EQ(p.Hook(kTestHookChildCount), 3);
    EXPECT_EQ(p.Hook(kTestHookProblemChanged), 1);

    // Cancel keeps the program; No ends it without a save.
    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    Box ask = p.WaitBox();
    ASSERT_NE(ask.window, nullptr);
    EXPECT_NE(ask.text.find("The problem has been changed"), std::string::npos) << ask.text;
    p.Press(ask, IDCANCEL);
    Sleep(2000);
    EXPECT_TRUE(p.Alive());
    const std::string before = ReadFile(problem);
    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    ask = p.WaitBox();
    ASSERT_NE(ask.window, nullptr);
    p.Press(ask, IDNO);
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_EQ(ReadFile(problem), before);
}

TEST_F(AppTest, APlainFileOpensWithoutRunningAndTheControlWordFollowsTheOptions) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    {
        Program p("\"" + problem + "\"");
        ASSERT_NE(p.WaitFrame(), nullptr);
        ASSERT_TRUE(p.WaitChildren(2));
        Sleep(2000);
        EXPECT_EQ(p.Hook(kTestHookRunning), 0);
        HWND text = ChildOfClass(p.Frame(), "VR_Text");
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(Text(FindWindowExA(text, nullptr, "RICHEDIT", nullptr)), "");
        EXPECT_EQ(p.Hook(kTestHookProblemChanged), 0);
        // Commands whose parts are not there yet are greyed, never dead.
        for (int id : {IDM_OPEN, IDM_SAVE_AS, IDM_PRINT, IDM_CALCULATOR})
            EXPECT_NE(p.Hook(kTestHookMenuState, id) & MF_GRAYED, 0) << id;
        for (int id : {IDM_NEW, IDM_SAVE, IDM_NEW_GRAPH, IDM_NEW_TEXT, IDM_START, IDM_CASCADE, IDM_ABOUT,
                       IDM_PREFERENCES, IDM_GRAPHICS_FORMAT})
            EXPECT_EQ(p.Hook(kTestHookMenuState, id) & MF_GRAYED, 0) << id;
        // "Control 87" 0x32 with 64-bit precision: invalid, zero-divide and
        // overflow trap.
        EXPECT_EQ(p.Hook(kTestHookControlWord) & 0x33F, 0x332);
        PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
        EXPECT_EQ(p.WaitExit(), 0u);
    }
    WriteSettings("Mask 87=1\r\n");
    {
        Program p("\"" + problem + "\"");
        ASSERT_NE(p.WaitFrame(), nullptr);
        EXPECT_EQ(p.Hook(kTestHookControlWord) & 0x3F, 0x3F);
        PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
        EXPECT_EQ(p.WaitExit(), 0u);
    }
}

TEST_F(AppTest, AMissingFileIsReportedAndLeavesAnEmptyUnnamedProblem) {
    Program p("\"" + Path("no such problem") + "\"");
    Box box = p.WaitBox();
    ASSERT_NE(box.window, nullptr);
    EXPECT_FALSE(box.text.empty());
    p.Press(box, IDOK);
    ASSERT_NE(p.WaitFrame(), nullptr);
    Sleep(1000);
    EXPECT_EQ(Text(p.Frame()), "Vantorel");
    EXPECT_EQ(p.Hook(kTestHookChildCount), 0);
    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}

// Without a printer in the prefix both forms end in the same report, without
// a frame; with one (the printing tests install one) both print and end.
TEST_F(AppTest, PrintSwitchWithThreeArgumentsActsAsPrint) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    char printer[256];
    DWORD size = sizeof printer;
    const bool hasPrinter = GetDefaultPrinterA(printer, &size) != 0;
    std::string texts[2];
    const char *switches[2] = {"/p", "/pt"};
    for (int i = 0; i < 2; ++i) {
        Program p(std::string(switches[i]) + " \"" + problem + "\"");
        if (hasPrinter) {
            EXPECT_EQ(p.WaitExit(), 0u) << switches[i];
            continue;
        }
        Box box = p.WaitBox();
        ASSERT_NE(box.window, nullptr) << switches[i];
        texts[i] = box.text;
        EXPECT_EQ(FindOf(p.Pid(), "VR_Frame"), nullptr);
        p.Press(box, IDOK);
        EXPECT_EQ(p.WaitExit(), 0u) << switches[i];
    }
    if (hasPrinter) return;
    EXPECT_FALSE(texts[0].empty());
    EXPECT_EQ(texts[0], texts[1]);
}

TEST_F(AppTest, ASecondInstanceOnTheSameProblemIsOfferedTheFirstAndEndsWithOne) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    Program first("\"" + problem + "\"");
    ASSERT_NE(first.WaitFrame(), nullptr);
    ASSERT_TRUE(first.WaitChildren(2));

    // The same file by its short name, in another case.
    char shortPath[MAX_PATH] = "";
    ASSERT_GT(GetShortPathNameA(problem.c_str(), shortPath, sizeof shortPath), 0u);
    CharLowerA(shortPath);
    Program second(std::string("\"") + shortPath + "\"");
    Box offer = second.WaitBox();
    ASSERT_NE(offer.window, nullptr);
    EXPECT_NE(GetDlgItem(offer.window, 28601), nullptr);
    const std::string listed = [&] {
        // Wide: the list box belongs to another process, and its text
        // crosses in the list's own form.
        wchar_t entry[MAX_PATH] = L"";
        SendDlgItemMessageW(offer.window, 28601, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(entry));
        char narrow[MAX_PATH] = "";
        WideCharToMultiByte(CP_ACP, 0, entry, -1, narrow, sizeof narrow, nullptr, nullptr);
        return std::string(narrow);
    }();
    EXPECT_NE(listed.find("decay.vr"), std::string::npos) << listed;
    second.Press(offer, 28602);
    EXPECT_EQ(second.WaitExit(), 1u);
    EXPECT_EQ(FindOf(second.Pid(), "VR_Frame"), nullptr);
    PostMessageA(first.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitExit(), 0u);
}

// The tip of the day at a start without a file: the stored tip, Next, and
// the number stored at the end; the about box shows the version block's
// version; the updater's absence is reported.
TEST_F(AppTest, TipsAboutBoxAndUpdater) {
    WriteSettings("");
    std::string ini = ReadFile(Folder() + "Vantorel.ini");
    ini.replace(ini.find("Tip=0"), 5, "Tip=31");
    // A start without a file would otherwise offer any other running copy.
    ini.replace(ini.find("Check previous=1"), 16, "Check previous=0");
    WriteFile(Folder() + "Vantorel.ini", ini);
    Program p("");
    Box tips = p.WaitBox();
    ASSERT_NE(tips.window, nullptr);
    EXPECT_EQ(tips.caption, "Tip of the Day");
    EXPECT_EQ(IsDlgButtonChecked(tips.window, IDC_TIP_SHOW), BST_CHECKED);
    const std::string last = Text(GetDlgItem(tips.window, IDC_TIP_TEXT));
    EXPECT_FALSE(last.empty());
    PostMessageA(tips.window, WM_COMMAND, IDC_TIP_NEXT, 0);  // past the last: the first again
    Sleep(1000);
    const std::string first = Text(GetDlgItem(tips.window, IDC_TIP_TEXT));
    EXPECT_NE(first.find("Show tips at startup"), std::string::npos) << first;
    p.Press(tips, IDC_TIP_CLOSE);
    ASSERT_NE(p.WaitFrame(), nullptr);
    Sleep(1000);
    EXPECT_NE(ReadFile(Folder() + "Vantorel.ini").find("Tip=2"), std::string::npos);

    PostMessageA(p.Frame(), WM_COMMAND, IDM_ABOUT, 0);
    Box about = p.WaitBox();
    ASSERT_NE(about.window, nullptr);
    EXPECT_EQ(Text(GetDlgItem(about.window, IDC_ABOUT_VERSION)), "2.00");
    PostMessageA(about.window, WM_COMMAND, IDC_ABOUT_UPDATES, 0);
    Box missing = p.WaitBox(30000, about.window);
    ASSERT_NE(missing.window, nullptr);
    EXPECT_NE(missing.text.find("Updater program not found"), std::string::npos) << missing.text;
    p.Press(missing, IDOK);
    Sleep(500);
    p.Press(about, IDOK);
    Sleep(500);
    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}

// An atom holds at most 255 characters: a longer path is offered by its
// short form, and the instances still find each other.
TEST_F(AppTest, AProblemPathLongerThanAnAtomStillFindsTheFirstInstance) {
    std::string folder = Folder() + "long";
    CreateDirectoryA(folder.c_str(), nullptr);
    const size_t wanted = 257;  // the whole path, below MAX_PATH
    while (folder.size() + 1 + std::strlen("decay.vr") < wanted) {
        const size_t room = wanted - folder.size() - 1 - std::strlen("decay.vr") - 1;
        folder += "\\" + std::string(room > 40 ? 40 : room < 1 ? 1 : room, 'd');
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    const std::string problem = folder + "\\decay.vr";
    ASSERT_GT(problem.size(), 255u);
    ASSERT_LT(problem.size(), static_cast<size_t>(MAX_PATH));
    WriteFile(problem, DecayProblem(2, ""));
    ASSERT_EQ(ReadFile(problem).empty(), false);

    Program first("\"" + problem + "\"");
    ASSERT_NE(first.WaitFrame(), nullptr);
    ASSERT_TRUE(first.WaitChildren(2));
    Program second("\"" + problem + "\"");
    Box offer = second.WaitBox();
    ASSERT_NE(offer.window, nullptr);
    EXPECT_NE(GetDlgItem(offer.window, 28601), nullptr);
    second.Press(offer, 28602);
    EXPECT_EQ(second.WaitExit(), 1u);
    PostMessageA(first.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitExit(), 0u);
}

// The fault is injected while a run is on; the recovery copy goes to a
// temporary folder whose name has a blank.
TEST_F(AppTest, AFaultDuringARunRestartsOnTheSavedProblemUnnamedAndChanged) {
    const std::string temp = Path("vr temp");
    CreateDirectoryA(temp.c_str(), nullptr);
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(1e6, "", "-x*0.5"));
    Program p("/r \"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitRunning(true));
    PostMessageA(p.Frame(), kTestHookMessage, kTestHookFault, 0);
    Box box = p.WaitBox();
    ASSERT_NE(box.window, nullptr);
    EXPECT_NE(box.text.find("unexpected error"), std::string::npos) << box.text;
    p.Press(box, IDOK);
    EXPECT_EQ(p.WaitExit(), 0u);

    // The restarted program: the same problem text, no name, changed.
    NewFrame search = {{p.Pid()}, nullptr};
    for (int i = 0; i < 1200 && !search.found; ++i) {
        EnumWindows(FindNewFrame, reinterpret_cast<LPARAM>(&search));
        Sleep(100);
    }
    ASSERT_NE(search.found, nullptr);
    const DWORD pid = ProcessOf(search.found);
    HANDLE restarted = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    ASSERT_NE(restarted, nullptr);
    for (int i = 0; i < 600 && Children(search.found).size() < 2; ++i) Sleep(200);
    HWND graph = ChildOfClass(search.found, "VR_Graph");
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(Text(graph), "Decay graph");
    EXPECT_EQ(Text(search.found), "Vantorel");
    DWORD_PTR changed = 0;
    SendMessageTimeoutA(search.found, kTestHookMessage, kTestHookProblemChanged, 0, SMTO_ABORTIFHUNG, 30000, &changed);
    EXPECT_EQ(changed, 1u);
    // The recovery copy is gone once loaded.
    WIN32_FIND_DATAA found;
    HANDLE f = FindFirstFileA((temp + "\\VRG*").c_str(), &found);
    EXPECT_EQ(f, INVALID_HANDLE_VALUE) << found.cFileName;
    if (f != INVALID_HANDLE_VALUE) FindClose(f);
    TerminateProcess(restarted, 0);
    WaitForSingleObject(restarted, 10000);
    CloseHandle(restarted);
}

// A fault right after a "/g" start ends the program at once: no box, no save.
TEST_F(AppTest, ASecondFaultSoonAfterARecoveryStartEndsWithoutASave) {
    const std::string temp = Path("vr temp");
    CreateDirectoryA(temp.c_str(), nullptr);
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());
    const std::string copy = temp + "\\VRGtest.tmp";
    WriteFile(copy, DecayProblem(2, ""));
    Program p("/g \"" + copy + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    PostMessageA(p.Frame(), kTestHookMessage, kTestHookFault, 0);
    const DWORD code = p.WaitExit();
    if (p.Elapsed() > kRestartGuardMs) GTEST_SKIP() << "start-up took longer than the guard";
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(FindOf(p.Pid(), "#32770"), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE f = FindFirstFileA((temp + "\\VRG*").c_str(), &found);
    EXPECT_EQ(f, INVALID_HANDLE_VALUE) << found.cFileName;
    if (f != INVALID_HANDLE_VALUE) FindClose(f);
}

}  // namespace

// A toolbar of the frame (control id index); its button state as the
// toolbar answers it, -1 when the command has no button there.
HWND ToolbarOf(HWND frame, int index) {
    for (HWND w = FindWindowExA(frame, nullptr, "ToolbarWindow32", nullptr); w;
         w = FindWindowExA(frame, w, "ToolbarWindow32", nullptr))
        if (GetDlgCtrlID(w) == index) return w;
    for (HWND holder = FindWindowExA(frame, nullptr, "static", nullptr); holder;
         holder = FindWindowExA(frame, holder, "static", nullptr))
        if (HWND w = FindWindowExA(holder, nullptr, "ToolbarWindow32", nullptr))
            if (GetDlgCtrlID(w) == index) return w;
    return nullptr;
}

int ButtonState(HWND toolbar, int command) {
    return static_cast<int>(SendMessageA(toolbar, TB_GETSTATE, command, 0));
}

TEST_F(AppTest, ARunGreysExactlyTheRefusedCommandsInMenusAndOnTheToolbarAndGivesThemBack) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(1e6, ""));
    Program p("/r \"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    ASSERT_TRUE(p.WaitRunning(true));
    HWND bar = ToolbarOf(p.Frame(), 0);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(IsWindowVisible(bar));
    // The default first row: 33 entries, 23 of them buttons.
    EXPECT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 33);
    EXPECT_EQ(ToolbarOf(p.Frame(), 2), nullptr);  // the columns are not created

    // Buttons of the first row whose commands a run refuses, and some it
    // leaves alone (erasing, help).
    const int refused[] = {IDM_NEW, IDM_START, IDM_CONTINUE, IDM_BACKWARD};
    const int allowed[] = {IDM_STOP, IDM_ERASE_WINDOW, IDM_ERASE_ALL, IDM_HELP_INDEX};
    for (int id : refused) {
        EXPECT_NE(p.Hook(kTestHookMenuState, id) & MF_GRAYED, 0) << id;
        EXPECT_EQ(ButtonState(bar, id) & TBSTATE_ENABLED, 0) << id;
    }
    for (int id : allowed) {
        EXPECT_EQ(p.Hook(kTestHookMenuState, id) & MF_GRAYED, 0) << id;
        EXPECT_NE(ButtonState(bar, id) & TBSTATE_ENABLED, 0) << id;
    }

    PostMessageA(p.Frame(), WM_COMMAND, IDM_STOP, 0);
    ASSERT_TRUE(p.WaitRunning(false));
    Sleep(500);
    for (int id : {IDM_NEW, IDM_START, IDM_BACKWARD, IDM_ERASE_WINDOW}) {
        EXPECT_EQ(p.Hook(kTestHookMenuState, id) & MF_GRAYED, 0) << id;
        EXPECT_NE(ButtonState(bar, id) & TBSTATE_ENABLED, 0) << id;
    }
    EXPECT_NE(p.Hook(kTestHookMenuState, IDM_STOP) & MF_GRAYED, 0);
    EXPECT_EQ(ButtonState(bar, IDM_STOP) & TBSTATE_ENABLED, 0);
}

TEST_F(AppTest, ALayoutWithAnUnknownIndexBuildsTheRestAndHiddenDisabledButtonsFollowTheOption) {
    // New, an unknown index, a separator, Start, Stop; the left column shown.
    WriteSettings("TOOLBAR0=100-199-14142\r\nTOOLBAR2=14546\r\nTOOLBAR3=0\r\nDisabled buttons=0\r\n");
    Program p("");
    ASSERT_NE(p.WaitFrame(), nullptr);
    Sleep(1500);
    HWND bar = ToolbarOf(p.Frame(), 0);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 5);  // New, two separators, Start, Stop
    EXPECT_GE(SendMessageA(bar, TB_COMMANDTOINDEX, IDM_START, 0), 0);
    // Hidden, not greyed: Stop has nothing to stop.
    EXPECT_NE(ButtonState(bar, IDM_STOP) & TBSTATE_HIDDEN, 0);
    EXPECT_NE(ButtonState(bar, IDM_STOP) & TBSTATE_ENABLED, 0);
    EXPECT_EQ(ButtonState(bar, IDM_START) & TBSTATE_HIDDEN, 0);
    HWND column = ToolbarOf(p.Frame(), 2);
    ASSERT_NE(column, nullptr);
    EXPECT_TRUE(IsWindowVisible(column));
    EXPECT_EQ(SendMessageA(column, TB_BUTTONCOUNT, 0, 0), 2);
    // The client lies right of the column and below the row.
    RECT client, columnRect, barRect;
    GetWindowRect(FindWindowExA(p.Frame(), nullptr, "MDICLIENT", nullptr), &client);
    GetWindowRect(column, &columnRect);
    GetWindowRect(bar, &barRect);
    EXPECT_GE(client.left, columnRect.right - 1);
    EXPECT_GE(client.top, barRect.bottom - 1);
    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}

size_t CountOf(const std::string &text, const std::string &what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The selection of a rich-edit control of another process.
std::pair<int, int> SelectionOf(HWND control) {
    const LRESULT r = SendMessageA(control, EM_GETSEL, 0, 0);
    return {LOWORD(r), HIWORD(r)};
}

TEST_F(AppTest, FindNextMovesOnAndStopsAtTheLastHitAndReplaceAllReplacesEveryHit) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(1, ""));
    Program p("/r \"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    HWND text = nullptr, control = nullptr;
    for (int i = 0; i < 300 && !control; ++i, Sleep(100))
        if ((text = ChildOfClass(p.Frame(), "VR_Text")) != nullptr)
            control = FindWindowExA(text, nullptr, "RICHEDIT", nullptr);
    ASSERT_NE(control, nullptr);
    for (int i = 0; i < 600 && (p.Hook(kTestHookRunning) || CountOf(Text(control), "5 ") < 3); ++i) Sleep(100);
    // t = 0.25, 0.5 and 0.75 are each followed by a space.
    const std::string before = Text(control);
    ASSERT_EQ(CountOf(before, "5 "), 3u) << before;

    SendMessageA(control, EM_SETSEL, 0, 0);
    PostMessageA(text, WM_COMMAND, IDM_EDIT_FIND, 0);
    Box find = p.WaitBox();
    ASSERT_NE(find.window, nullptr);
    SendMessageA(GetDlgItem(find.window, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("5 "));
    int last = -1;
    for (int hit = 0; hit < 3; ++hit) {
        SendMessageA(find.window, WM_COMMAND, IDOK, 0);
        Sleep(300);
        const auto s = SelectionOf(control);
        EXPECT_EQ(s.second - s.first, 2) << hit;
        EXPECT_GT(s.first, last) << hit;
        last = s.first;
    }
    const auto lastHit = SelectionOf(control);
    SendMessageA(find.window, WM_COMMAND, IDOK, 0);  // no more: a beep, the selection stays
    Sleep(300);
    EXPECT_EQ(SelectionOf(control), lastHit);
    // The same dialog again for the same window; Replace waits until Find is closed.
    PostMessageA(text, WM_COMMAND, IDM_EDIT_REPLACE, 0);
    Sleep(500);
    EXPECT_EQ(FindOf(p.Pid(), "#32770", find.window), nullptr);
    SendMessageA(find.window, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 50 && IsWindow(find.window); ++i) Sleep(100);

    SendMessageA(control, EM_SETSEL, 0, 0);
    PostMessageA(text, WM_COMMAND, IDM_EDIT_REPLACE, 0);
    Box replace = p.WaitBox();
    ASSERT_NE(replace.window, nullptr);
    SendMessageA(GetDlgItem(replace.window, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("5 "));
    SendMessageA(GetDlgItem(replace.window, 0x481), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("5|"));
    SendMessageA(replace.window, WM_COMMAND, 0x401, 0);  // Replace All
    Sleep(500);
    const std::string after = Text(control);
    EXPECT_EQ(CountOf(after, "5|"), 3u) << after;
    EXPECT_EQ(CountOf(after, "5 "), 0u) << after;
    EXPECT_EQ(after.size(), before.size());
    SendMessageA(replace.window, WM_COMMAND, IDCANCEL, 0);
}

// ---- Picture and point commands of the frame, driven through the menu
// commands and answered through their dialogs.
namespace {

std::string WinePath(const std::string &unixPath) {
    std::string s = "Z:" + unixPath;
    for (char &c : s)
        if (c == '/') c = '\\';
    return s;
}

void EmptyTheClipboard() {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

bool ClipboardHas(UINT format) {
    if (!OpenClipboard(nullptr)) return false;
    const bool has = IsClipboardFormatAvailable(format) != 0;
    CloseClipboard();
    return has;
}

// The bytes of a clipboard format (a packed bitmap, text), empty when absent.
std::string ClipboardBytes(UINT format) {
    std::string bytes;
    if (!OpenClipboard(nullptr)) return bytes;
    if (HGLOBAL block = GetClipboardData(format)) {
        if (const char *p = static_cast<const char *>(GlobalLock(block))) {
            bytes.assign(p, GlobalSize(block));
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return bytes;
}

// Width, height and the pixel rows of a packed bitmap (24 bits, no table).
struct Dib {
    int width = 0, height = 0, bits = 0;
    std::string rows;
};
Dib ParseDib(const std::string &block) {
    Dib d;
    if (block.size() < 40) return d;
    BITMAPINFOHEADER h;
    std::memcpy(&h, block.data(), sizeof h);
    d.width = h.biWidth;
    d.height = h.biHeight;
    d.bits = h.biBitCount;
    const size_t stride = ((static_cast<size_t>(h.biWidth) * h.biBitCount + 31) / 32) * 4;
    const size_t table = h.biBitCount <= 8 ? 4u * (h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount) : 0;
    const size_t start = h.biSize + table;
    if (block.size() >= start + stride * h.biHeight) d.rows = block.substr(start, stride * h.biHeight);
    return d;
}

void Activate(HWND frame, HWND child) {
    HWND client = FindWindowExA(frame, nullptr, "MDICLIENT", nullptr);
    SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
}

// A command that opens no dialog, waited for.
void Command(HWND frame, int id) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(frame, WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, 120000, &answer);
}

bool WaitGone(HWND window, DWORD timeoutMs = 60000) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs; Sleep(100))
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
    return false;
}

bool WaitFile(const std::string &path, DWORD timeoutMs = 60000) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs; Sleep(200))
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            Sleep(300);
            return true;
        }
    return false;
}

// The common file dialog of the program: its title, then the name typed
// into its file-name field and OK.
void AnswerFileDialog(Program &p, const std::string &title, const std::string &path) {
    Box b = p.WaitBox();
    ASSERT_NE(b.window, nullptr) << title;
    EXPECT_EQ(b.caption, title);
    HWND edit = GetDlgItem(b.window, 0x47C);  // the name's combo box
    if (edit) {
        if (HWND inner = FindWindowExA(edit, nullptr, "Edit", nullptr)) edit = inner;
    } else {
        edit = GetDlgItem(b.window, 0x480);  // or its plain edit
    }
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(b.window, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitGone(b.window)) << title;
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

// Dialog 500 with the format, colour and resize choices clicked, then OK.
void AnswerModeDialog(Program &p, int format, int colors, int resize) {
    Box mode = p.WaitBox();
    ASSERT_NE(mode.window, nullptr);
    EXPECT_EQ(mode.caption, "Mode");
    Click(mode.window, format);
    if (colors) Click(mode.window, colors);
    Click(mode.window, resize);
    p.Press(mode, IDOK);
    EXPECT_TRUE(WaitGone(mode.window));
}

// Points of a .double file: polylines as read, NaN breaks dropped.
std::vector<std::pair<double, double>> DoublePoints(const std::string &data) {
    std::vector<double> v(data.size() / 8);
    std::memcpy(v.data(), data.data(), v.size() * 8);
    std::vector<std::pair<double, double>> points;
    for (size_t i = 0; i < v.size();) {
        if (std::isnan(v[i])) {
            ++i;
            continue;
        }
        if (i + 1 < v.size()) points.push_back({v[i], v[i + 1]});
        i += 2;
    }
    return points;
}

}  // namespace

class PictureCommands : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        for (const char *name : {"shot.bmp", "shot.wmf", "listing.txt", "decay.double", "decay.single", "decay.txt",
                                 "trimmed.double"})
            DeleteFileA(Path(name).c_str());
        EmptyTheClipboard();
    }
};

TEST_F(PictureCommands, CopyPasteSaveAndLoadPicturesThroughTheFrameCommands) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    Program p("/r \"" + problem + "\"");
    HWND frame = p.WaitFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    HWND graph = ChildOfClass(frame, "VR_Graph");
    ASSERT_NE(graph, nullptr);
    // The run has listed its last line and ended: new windows are allowed.
    HWND listing = FindWindowExA(ChildOfClass(frame, "VR_Text"), nullptr, "RICHEDIT", nullptr);
    ASSERT_NE(listing, nullptr);
    auto lines = [&] {
        const std::string t = Text(listing);
        return std::count(t.begin(), t.end(), '\n');
    };
    for (int i = 0; i < 600 && lines() < 9; ++i) Sleep(100);
    ASSERT_TRUE(p.WaitRunning(false));

    // Get screen: the three formats of the options, the packed bitmap of
    // the client's size.
    Activate(frame, graph);
    Command(frame, IDM_GET_SCREEN);
    EXPECT_TRUE(ClipboardHas(CF_BITMAP));
    EXPECT_TRUE(ClipboardHas(CF_METAFILEPICT));
    const std::string originalBlock = ClipboardBytes(CF_DIB);
    const Dib original = ParseDib(originalBlock);
    RECT client;
    GetClientRect(graph, &client);
    ASSERT_EQ(original.width, client.right);
    ASSERT_EQ(original.height, client.bottom);
    ASSERT_FALSE(original.rows.empty());

    // Put screen into a new graph window, resized to the picture: the same
    // pixels come back out.
    PostMessageA(frame, WM_COMMAND, IDM_NEW_GRAPH, 0);
    for (int i = 0; i < 300 && p.Hook(kTestHookChildCount) < 3; ++i) Sleep(100);
    HWND fresh = nullptr;
    for (HWND c : Children(frame))
        if (c != graph && ClassOf(c) == "VR_Graph") fresh = c;
    ASSERT_NE(fresh, nullptr);
    Activate(frame, fresh);
    PostMessageA(frame, WM_COMMAND, IDM_PUT_SCREEN, 0);
    {
        Box mode = p.WaitBox();
        ASSERT_NE(mode.window, nullptr);
        EXPECT_EQ(mode.caption, "Mode");
        // Everything on the clipboard is offered; the first one is chosen.
        for (int id : {IDC_MODE_DDB, IDC_MODE_DIB, IDC_MODE_METAFILE}) EXPECT_TRUE(Enabled(mode.window, id)) << id;
        EXPECT_EQ(IsDlgButtonChecked(mode.window, IDC_MODE_DDB), BST_CHECKED);
        // A metafile takes no raster operation.
        Click(mode.window, IDC_MODE_METAFILE);
        EXPECT_FALSE(Enabled(mode.window, IDC_MODE_XOR));
        Click(mode.window, IDC_MODE_DIB);
        EXPECT_TRUE(Enabled(mode.window, IDC_MODE_XOR));
        Click(mode.window, IDC_MODE_COPY);
        Click(mode.window, IDC_MODE_WINDOW);
        p.Press(mode, IDOK);
        ASSERT_TRUE(WaitGone(mode.window));
    }
    Command(frame, IDM_GET_SCREEN);
    const Dib pasted = ParseDib(ClipboardBytes(CF_DIB));
    EXPECT_EQ(pasted.width, original.width);
    EXPECT_EQ(pasted.height, original.height);
    EXPECT_TRUE(pasted.rows == original.rows) << "the pasted picture differs";

    // Xor twice with what the clipboard holds (that same picture): black,
    // then the picture again.
    PostMessageA(frame, WM_COMMAND, IDM_PUT_SCREEN, 0);
    AnswerModeDialog(p, IDC_MODE_DIB, IDC_MODE_XOR, IDC_MODE_NONE);
    Sleep(500);
    PostMessageA(frame, WM_COMMAND, IDM_PUT_SCREEN, 0);
    AnswerModeDialog(p, IDC_MODE_DDB, IDC_MODE_XOR, IDC_MODE_NONE);
    Sleep(500);
    Command(frame, IDM_GET_SCREEN);
    EXPECT_TRUE(ParseDib(ClipboardBytes(CF_DIB)).rows == original.rows) << "Xor twice did not restore";

    // The metafile picture pastes without a message.
    PostMessageA(frame, WM_COMMAND, IDM_PUT_SCREEN, 0);
    AnswerModeDialog(p, IDC_MODE_METAFILE, 0, IDC_MODE_FIGURE);
    EXPECT_EQ(p.WaitBox(3000).window, nullptr);

    // Save screen as BMP: the file is the packed bitmap behind its header.
    Activate(frame, graph);
    PostMessageA(frame, WM_COMMAND, IDM_SAVE_SCREEN, 0);
    AnswerFileDialog(p, "Save Screen as", Path("shot.bmp"));
    ASSERT_TRUE(WaitFile(Path("shot.bmp")));
    const std::string bmp = ReadFile(Path("shot.bmp"));
    ASSERT_GT(bmp.size(), 14u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_TRUE(ParseDib(bmp.substr(14)).rows == original.rows);

    // Load screen from it into a third, empty window (only the packed
    // bitmap is offered): the same pixels.
    PostMessageA(frame, WM_COMMAND, IDM_NEW_GRAPH, 0);
    for (int i = 0; i < 300 && p.Hook(kTestHookChildCount) < 4; ++i) Sleep(100);
    HWND third = nullptr;
    for (HWND c : Children(frame))
        if (c != graph && c != fresh && ClassOf(c) == "VR_Graph") third = c;
    ASSERT_NE(third, nullptr);
    Activate(frame, third);
    PostMessageA(frame, WM_COMMAND, IDM_LOAD_SCREEN, 0);
    AnswerFileDialog(p, "Load Screen from", Path("shot.bmp"));
    {
        Box mode = p.WaitBox();
        ASSERT_NE(mode.window, nullptr);
        EXPECT_EQ(mode.caption, "Mode");
        EXPECT_FALSE(Enabled(mode.window, IDC_MODE_DDB));
        EXPECT_TRUE(Enabled(mode.window, IDC_MODE_DIB));
        EXPECT_FALSE(Enabled(mode.window, IDC_MODE_METAFILE));
        EXPECT_EQ(IsDlgButtonChecked(mode.window, IDC_MODE_DIB), BST_CHECKED);
        Click(mode.window, IDC_MODE_COPY);
        Click(mode.window, IDC_MODE_WINDOW);
        p.Press(mode, IDOK);
        ASSERT_TRUE(WaitGone(mode.window));
    }
    Command(frame, IDM_GET_SCREEN);
    EXPECT_TRUE(ParseDib(ClipboardBytes(CF_DIB)).rows == original.rows) << "the loaded picture differs";

    // Save screen as placeable metafile, and load it back.
    Activate(frame, graph);
    PostMessageA(frame, WM_COMMAND, IDM_SAVE_SCREEN, 0);
    AnswerFileDialog(p, "Save Screen as", Path("shot.wmf"));
    ASSERT_TRUE(WaitFile(Path("shot.wmf")));
    const std::string wmf = ReadFile(Path("shot.wmf"));
    ASSERT_GT(wmf.size(), 22u);
    EXPECT_EQ(wmf.substr(0, 4), std::string("\xD7\xCD\xC6\x9A", 4));
    uint16_t checksum = 0;
    for (int i = 0; i < 11; ++i)
        checksum ^= static_cast<uint16_t>(static_cast<unsigned char>(wmf[2 * i]) |
                                          static_cast<unsigned char>(wmf[2 * i + 1]) << 8);
    EXPECT_EQ(checksum, 0);
    Activate(frame, fresh);
    PostMessageA(frame, WM_COMMAND, IDM_LOAD_SCREEN, 0);
    AnswerFileDialog(p, "Load Screen from", Path("shot.wmf"));
    {
        Box mode = p.WaitBox();
        ASSERT_NE(mode.window, nullptr);
        EXPECT_EQ(mode.caption, "Mode");
        EXPECT_FALSE(Enabled(mode.window, IDC_MODE_DIB));
        EXPECT_TRUE(Enabled(mode.window, IDC_MODE_METAFILE));
        p.Press(mode, IDOK);
        ASSERT_TRUE(WaitGone(mode.window));
    }
    EXPECT_EQ(p.WaitBox(3000).window, nullptr) << "no message";

    PostMessageA(frame, WM_CLOSE, 0, 0);
    if (Box ask = p.WaitBox(20000); ask.window) p.Press(ask, IDNO);
    EXPECT_EQ(p.WaitExit(), 0u);
}

TEST_F(PictureCommands, TextWindowCopyAndSaveScreenAndSavePointsThroughTheFrameCommands) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    Program p("/r \"" + problem + "\"");
    HWND frame = p.WaitFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    ASSERT_TRUE(p.WaitRunning(false));
    HWND graph = ChildOfClass(frame, "VR_Graph");
    HWND text = ChildOfClass(frame, "VR_Text");
    ASSERT_NE(graph, nullptr);
    ASSERT_NE(text, nullptr);
    HWND control = FindWindowExA(text, nullptr, "RICHEDIT", nullptr);
    ASSERT_NE(control, nullptr);
    std::string listed;
    for (int i = 0; i < 300 && std::count(listed.begin(), listed.end(), '\n') < 9; ++i, Sleep(100))
        listed = Text(control);
    ASSERT_FALSE(listed.empty());

    // Get screen of a text window: all of its text, selection or not.
    Activate(frame, text);
    SendMessageA(control, EM_SETSEL, 1, 2);
    const LRESULT before = SendMessageA(control, EM_GETSEL, 0, 0);
    Command(frame, IDM_GET_SCREEN);
    std::string copied = ClipboardBytes(CF_TEXT);
    copied.resize(std::strlen(copied.c_str()));
    EXPECT_EQ(copied, listed);
    EXPECT_EQ(SendMessageA(control, EM_GETSEL, 0, 0), before) << "the selection is kept";

    // Save screen of a text window: the output file question, then the text.
    PostMessageA(frame, WM_COMMAND, IDM_SAVE_SCREEN, 0);
    AnswerFileDialog(p, "Output File Name", Path("listing.txt"));
    ASSERT_TRUE(WaitFile(Path("listing.txt")));
    EXPECT_EQ(ReadFile(Path("listing.txt")), listed);

    // Save points: the graph's range in the rectangle; a bad number keeps
    // the dialog open with nothing stored; then float64, float32 and text.
    Activate(frame, graph);
    const struct {
        const char *name;
        size_t width;  // bytes of a value, 0 for text
    } kinds[] = {{"decay.double", 8}, {"decay.single", 4}, {"decay.txt", 0}};
    std::vector<std::pair<double, double>> points;
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.name);
        PostMessageA(frame, WM_COMMAND, IDM_SAVE_POINTS, 0);
        Box dialog = p.WaitBox();
        ASSERT_NE(dialog.window, nullptr);
        EXPECT_EQ(dialog.caption, "Save points in memory to external file");
        EXPECT_EQ(Text(GetDlgItem(dialog.window, IDC_SAVE_POINTS_X_MIN)), "0");
        EXPECT_EQ(Text(GetDlgItem(dialog.window, IDC_SAVE_POINTS_X_MAX)), "2");
        EXPECT_EQ(Text(GetDlgItem(dialog.window, IDC_SAVE_POINTS_Y_MAX)), "1");
        const std::string path = Path(kind.name);
        SendMessageA(GetDlgItem(dialog.window, IDC_SAVE_POINTS_FILE), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(path.c_str()));
        SendMessageA(GetDlgItem(dialog.window, IDC_SAVE_POINTS_CLIP), BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageA(GetDlgItem(dialog.window, IDC_SAVE_POINTS_DISTANCE), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>("none"));
        p.Press(dialog, IDOK);
        Sleep(1500);
        ASSERT_TRUE(IsWindowVisible(dialog.window)) << "a bad distance keeps the dialog";
        EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
        SendMessageA(GetDlgItem(dialog.window, IDC_SAVE_POINTS_DISTANCE), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>("0"));
        p.Press(dialog, IDOK);
        ASSERT_TRUE(WaitGone(dialog.window));
        ASSERT_TRUE(WaitFile(path));
        const std::string data = ReadFile(path);
        std::vector<std::pair<double, double>> read;
        if (kind.width == 8) {
            read = DoublePoints(data);
            ASSERT_GE(data.size(), 8u);
            double first;
            std::memcpy(&first, data.data(), 8);
            EXPECT_TRUE(std::isnan(first)) << "a break first";
            points = read;
        } else if (kind.width == 4) {
            std::vector<float> v(data.size() / 4);
            std::memcpy(v.data(), data.data(), v.size() * 4);
            for (size_t i = 0; i + 1 < v.size(); i += std::isnan(v[i]) ? 1 : 2)
                if (!std::isnan(v[i])) read.push_back({v[i], v[i + 1]});
        } else {
            std::istringstream lines(data);
            std::string line;
            double x, y;
            while (std::getline(lines, line))
                if (std::sscanf(line.c_str(), "%lf %lf", &x, &y) == 2) read.push_back({x, y});
        }
        ASSERT_GE(read.size(), 9u);
        ASSERT_EQ(read.size(), points.size());
        for (size_t i = 0; i < read.size(); ++i) {
            EXPECT_EQ(static_cast<float>(read[i].first), static_cast<float>(points[i].first)) << i;
            EXPECT_EQ(static_cast<float>(read[i].second), static_cast<float>(points[i].second)) << i;
            EXPECT_NEAR(read[i].second, std::exp(-read[i].first), 1e-6) << i;
        }
    }

    // Trimvex reads the float64 file as the same points.
    std::string command = "\"" + WinePath(TRIMVEX_PATH) + "\" /I \"" + Path("decay.double") + "\" /O \"" +
                          Path("trimmed.double") + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, Folder().c_str(), &si, &pi));
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(DoublePoints(ReadFile(Path("trimmed.double"))), points);

    PostMessageA(frame, WM_CLOSE, 0, 0);
    if (Box ask = p.WaitBox(20000); ask.window) p.Press(ask, IDNO);
    EXPECT_EQ(p.WaitExit(), 0u);
}
