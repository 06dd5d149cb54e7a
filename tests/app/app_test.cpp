// The whole program under Wine: Vantorel.exe is started as a process of its
// own from a folder with its own settings file, driven through its windows
// (commands posted to the frame, texts read from its controls, boxes
// answered), and its files and exit codes are read back. Test hooks of the
// frame (VR_TEST_HOOKS=1) answer the x87 control word and inject a fault.
#include <windows.h>
#include <winspool.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "crash_recovery.h"
#include "resource_ids.h"
#include "test_hooks.h"
#include "test_printer.h"

namespace {

std::string AppFolder() {
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
        std::string command = "\"" + AppFolder() + "Vantorel.exe\" " + arguments;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        std::vector<char> buffer(command.begin(), command.end());
        buffer.push_back(0);
        if (CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, AppFolder().c_str(), &si, &pi_)) {
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

    // A run that began since the last wait for one counts even when it has
    // ended already: a short run may begin and end between two looks.
    bool WaitRunning(bool running, DWORD timeoutMs = 240000) {
        for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs && Alive(); Sleep(200)) {
            const LRESULT now = Hook(kTestHookRunning);
            if (!running) {
                // Over when the menus are given back too: Stop is greyed last
                // but one. A hook that timed out (-1) under load says nothing.
                const LRESULT stop = now == 0 ? Hook(kTestHookMenuState, IDM_STOP) : -1;
                if (stop != -1 && (stop & MF_GRAYED)) return true;
                continue;
            }
            const LRESULT started = Hook(kTestHookRunsStarted);
            if (now == 1 || started > runsSeen_) {
                runsSeen_ = started;
                return true;
            }
        }
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
    LRESULT runsSeen_ = 0;
};

// New graph or text window: the command goes on to the new window's format
// dialog, which is left with Cancel (the window stays).
void NewWindowCommand(Program &p, int command) {
    PostMessageA(p.Frame(), WM_COMMAND, command, 0);
    Box format = p.WaitBox(60000);
    ASSERT_NE(format.window, nullptr) << command;
    p.Press(format, IDCANCEL);
    for (int i = 0; i < 600 && IsWindow(format.window) && IsWindowVisible(format.window); ++i) Sleep(100);
}

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

// x' = 1 from x(0) = 0 to 0.75, a family of `members` trajectories (all the
// same: t and x = t at 0, 0.25, 0.5, 0.75), the status line showing t and x
// at every point, and four text windows of the two columns "%g " and "%g":
// "All" (every row, the default Separator), "Seven" (Lines 7), "One"
// (Lines 1) and "Captured" (no Separator, rows ending in a line break,
// copied to the file `captured`).
std::string FamilyProblem(int members, const std::string &captured) {
    auto window = [](const char *title, const char *formats, const char *separator, int lines,
                     const std::string &file) {
        char text[2048];
        std::snprintf(text, sizeof text,
                      "[Text window]  = 0.5,0,0.5,0.5,0\r\nTitle          = %s\r\nExpressions    = 2\r\nt\r\nx\r\n"
                      "Format strings:\r\n%s\r\nSeparator      = %s\r\nFrequency      = 1\r\nLines          = %d\r\n"
                      "Capture        = %s\r\nOutput file    = %s\r\n;\r\n",
                      title, formats, separator, lines, file.empty() ? "No" : "Yes", file.c_str());
        return std::string(text);
    };
    char head[4096];
    std::snprintf(head, sizeof head,
                  "Version = 200\r\nIdentifier      = \r\n;\r\n[Type]\r\nSingle ODE      = No\r\n"
                  "System of ODEs  = Yes\r\nMap             = No\r\nDimension/Order = 1\r\n"
                  "Stack length    = 1000\r\nP-code length   = 10000\r\nHeaviside(0)    = 0.5\r\n;\r\n"
                  "[Variables]\r\nIndependent variable      = t\r\nDependent variable(s)     = v\r\n"
                  "Individual names:\r\nx\r\nIndependent variable(0)   = t0\r\nDependent variable(0)     = x0\r\n"
                  "Individual names(0):\r\n\r\n\r\n\r\n;\r\n[Parameters]\r\nParameters                = 0\r\n"
                  "Poincare/Bifurcation time = tp\r\nPhase-portrait x min      = 0\r\nPhase-portrait x name     = nx\r\n"
                  "Phase-portrait x max      = 0\r\nPhase-portrait y min      = 1\r\nPhase-portrait y name     = ny\r\n"
                  "Phase-portrait y max      = %d\r\n;\r\n[Equations]\r\nDefinitions:\r\n1\r\n"
                  "Delay                     = 0\r\nDiscontinuities           = \r\n;\r\n[Initial values]\r\n"
                  "Independent variable      = 0\r\nDependent variable(s):\r\n0\r\n0\r\n0\r\nInitial functions:\r\n\r\n"
                  "Point                     = 0\r\nIterations                = 0\r\nError                     = 1e-08\r\n"
                  "Boundary functions:\r\n\r\n;\r\n[Range]\r\nFirst value               = 0\r\n"
                  "Last value                = 0.75\r\nInfinity                  = 10000000000\r\n"
                  "Interpolate               = Yes\r\nStep                      = 0.25\r\n"
                  "Retarded points           = 1\r\n;\r\n[Method]\r\n"
                  "Tolerance                 = 1e-10\r\nh                         = 0.01\r\n"
                  "h max.                    = 1\r\n;\r\n[Status line]\r\nFirst expression          = t\r\n"
                  "Second expression         = x\r\nNumerical format          = t = %%g   x = %%g\r\n"
                  "Frequency                 = 1\r\n;\r\n",
                  members);
    return head + window("All", "%g \r\n%g", "\\r\\n", 0, "") + window("Seven", "%g \r\n%g", "\\r\\n", 7, "") +
           window("One", "%g \r\n%g", "\\r\\n", 1, "") + window("Captured", "%g \r\n%g\\r\\n", "", 0, captured);
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
        WriteFile(AppFolder() + "Vantorel.ini", "[Options]\r\nTip=0\r\nCheck previous=1\r\nSave position=0\r\n" +
                                                 options + "[Math libraries]\r\n");
    }

    static std::string Path(const std::string &name) { return AppFolder() + name; }

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

// Pixels of the window's client area on the screen that `counts` accepts
// (0x00RRGGBB): the screen is read, as the window belongs to another process.
int CountClientPixels(HWND window, bool (*counts)(DWORD rgb)) {
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
    int n = 0;
    const DWORD *pixel = static_cast<const DWORD *>(bits);
    for (int i = 0; i < w * h; ++i)
        if (counts(pixel[i] & 0xFFFFFF)) ++n;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return n;
}

// Pixels that differ from white.
int InkPixels(HWND window) {
    return CountClientPixels(window, [](DWORD rgb) { return rgb != 0xFFFFFF; });
}

// Rows of t, x, y, z, each "%10.4f" with a blank between: every tenth point,
// t going up by 0.1.
void ExpectLorenzRows(const std::string &listed, int count) {
    std::istringstream lines(listed);
    std::string row;
    double previous = -1;
    int rows = 0;
    while (std::getline(lines, row) && rows < count) {
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
    EXPECT_EQ(rows, count);
}

size_t LineCount(const std::string &text) { return std::count(text.begin(), text.end(), '\n') + (text.empty() ? 0 : 1); }

TEST_F(AppTest, ExitAfterRunDrawsAndListsTheLorenzAttractorAndEndsWithZero) {
    Program p("/x \"" + Source("examples/lorenz.vr") + "\"");
    ASSERT_TRUE(p.Started());
    HWND frame = p.WaitFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    EXPECT_NE(Text(frame).find("lorenz.vr"), std::string::npos) << Text(frame);
    HWND graph = ChildOfClass(frame, "VR_Graph");
    HWND text = ChildOfClass(frame, "VR_Text");
    ASSERT_NE(graph, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Text(graph), "Lorenz attractor");
    EXPECT_EQ(Text(text), "Lorenz values");
    EXPECT_EQ(p.WaitExit(600000), 0u);
}

// A long run shows itself while it goes: the graph fills, rows arrive and
// the status line moves on; the menus are locked; Esc in the text window
// stops the run, and Continue goes on from there.
TEST_F(AppTest, ALongRunShowsItselfWhileItGoesAndEscStopsIt) {
    std::string problem = ReadFile(VR_SOURCE_DIR "/examples/lorenz.vr");
    const std::string last = "Last value                = 50";
    ASSERT_NE(problem.find(last), std::string::npos);
    problem.replace(problem.find(last), last.size(), "Last value                = 1000000");
    WriteFile(Path("long.vr"), problem);
    Program p("/r \"" + Path("long.vr") + "\"");
    HWND frame = p.WaitFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    ASSERT_TRUE(p.WaitRunning(true));

    // Menus and status texts of another process, through the hooks and
    // the status bar's own text.
    EXPECT_NE(p.Hook(kTestHookMenuState, -2) & MF_GRAYED, 0);  // Edit is locked during the run
    EXPECT_EQ(p.Hook(kTestHookMenuState, -1) & MF_GRAYED, 0);  // File is not
    EXPECT_EQ(p.Hook(kTestHookMenuState, IDM_STOP) & MF_GRAYED, 0);
    EXPECT_NE(p.Hook(kTestHookMenuState, IDM_START) & MF_GRAYED, 0);
    HWND status = FindWindowExA(frame, nullptr, "msctls_statusbar32", nullptr);
    HWND graph = ChildOfClass(frame, "VR_Graph");
    HWND control = FindWindowExA(ChildOfClass(frame, "VR_Text"), nullptr, "RICHEDIT", nullptr);
    ASSERT_NE(status, nullptr);
    ASSERT_NE(graph, nullptr);
    ASSERT_NE(control, nullptr);

    // Twenty rows listed, then twenty more, and the status line moved on
    // with them.
    std::string listed;
    for (int i = 0; i < 1200 && LineCount(listed) < 20; ++i) {
        Sleep(100);
        listed = Text(control);
    }
    ExpectLorenzRows(listed, 20);
    const size_t first = LineCount(listed);
    const std::string firstStatus = Text(status);
    EXPECT_EQ(firstStatus.substr(0, 4), "t = ") << firstStatus;
    for (int i = 0; i < 1200 && LineCount(listed) < first + 20; ++i) {
        Sleep(100);
        listed = Text(control);
    }
    ExpectLorenzRows(listed, static_cast<int>(first) + 20);
    std::string later = Text(status);
    for (int i = 0; i < 1200 && later == firstStatus; ++i) {
        Sleep(100);
        later = Text(status);
    }
    EXPECT_NE(later, firstStatus);
    EXPECT_EQ(later.substr(0, 4), "t = ") << later;
    EXPECT_GT(InkPixels(graph), 100);

    // Esc where the keys go: the run stops long before its end, and its rows
    // stop with it.
    auto lastRowTime = [&] {
        const std::string rows = Text(control);
        size_t at = rows.rfind('\n');
        at = at == std::string::npos ? 0 : at + 1;
        double t = -1, x, y, z;
        return std::sscanf(rows.c_str() + at, "%lf %lf %lf %lf", &t, &x, &y, &z) == 4 ? t : -1.0;
    };
    PostMessageA(control, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(p.WaitRunning(false, 120000));
    const double stoppedAt = lastRowTime();
    EXPECT_GT(stoppedAt, 0);
    EXPECT_LT(stoppedAt, 1000000);
    EXPECT_EQ(p.Hook(kTestHookMenuState, IDM_CONTINUE) & MF_GRAYED, 0);
    Sleep(1000);
    EXPECT_EQ(lastRowTime(), stoppedAt);

    // Continue goes on from there.
    PostMessageA(frame, WM_COMMAND, IDM_CONTINUE, 0);
    ASSERT_TRUE(p.WaitRunning(true));
    PostMessageA(frame, WM_COMMAND, IDM_STOP, 0);
    ASSERT_TRUE(p.WaitRunning(false));
    EXPECT_GE(lastRowTime(), stoppedAt);
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

// However the rows reach the controls, each window ends with the text it
// would hold had every row been shown by itself: rows joined by line breaks,
// the Separator (a line break) before each trajectory after the first, and
// with Lines the oldest lines gone before each row; the file gets every row;
// the status line ends with the last point.
TEST_F(AppTest, WindowsFileAndStatusLineEndAsIfEveryRowWereShownAlone) {
    const int members = 40;
    DeleteFileA(Path("family.txt").c_str());
    WriteFile(Path("family.vr"), FamilyProblem(members, Path("family.txt")));
    Program p("/r \"" + Path("family.vr") + "\"");
    HWND frame = p.WaitFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(p.WaitChildren(4));
    ASSERT_TRUE(p.WaitRunning(true));
    ASSERT_TRUE(p.WaitRunning(false));

    const char *rows[] = {"0 0", "0.25 0.25", "0.5 0.5", "0.75 0.75"};
    // The one-row-at-a-time rule over lines split at "\r\n".
    auto shown = [&](int lines) {
        std::vector<std::string> text;  // lines; none when empty
        for (int m = 0; m < members; ++m)
            for (int r = 0; r < 4; ++r) {
                if (lines > 0 && static_cast<int>(std::max<size_t>(text.size(), 1)) >= lines) {
                    const size_t count = std::max<size_t>(text.size(), 1);
                    const size_t drop = lines == 1 ? count : count - lines + 1;
                    if (drop >= count) text.clear();
                    else text.erase(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(drop));
                }
                const bool empty = text.empty() || (text.size() == 1 && text[0].empty());
                if (empty) text.assign(1, rows[r]);
                else {
                    if (r == 0) text.push_back("");  // the Separator
                    text.push_back(rows[r]);
                }
            }
        std::string joined;
        for (size_t i = 0; i < text.size(); ++i) joined += (i ? "\r\n" : "") + text[i];
        return joined;
    };
    for (auto [title, lines] : {std::pair<const char *, int>{"All", 0}, {"Seven", 7}, {"One", 1}}) {
        SCOPED_TRACE(title);
        HWND window = nullptr;
        for (HWND c : Children(frame))
            if (ClassOf(c) == "VR_Text" && Text(c) == title) window = c;
        ASSERT_NE(window, nullptr);
        HWND control = FindWindowExA(window, nullptr, "RICHEDIT", nullptr);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(Text(control), shown(lines));
    }
    std::string file;
    for (int m = 0; m < members; ++m) file += "0 0\r\n0.25 0.25\r\n0.5 0.5\r\n0.75 0.75\r\n";
    EXPECT_EQ(ReadFile(Path("family.txt")), file);
    HWND status = FindWindowExA(frame, nullptr, "msctls_statusbar32", nullptr);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(Text(status), "t = 0.75   x = 0.75");
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
    NewWindowCommand(p, IDM_NEW_TEXT);
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
        for (int id : {IDM_NEW, IDM_OPEN, IDM_SAVE, IDM_SAVE_AS, IDM_NEW_GRAPH, IDM_NEW_TEXT, IDM_START,
                       IDM_CASCADE, IDM_ABOUT, IDM_PREFERENCES, IDM_GRAPHICS_FORMAT, IDM_PRINT, IDM_PRINTER_SETUP,
                       IDM_CALCULATOR})
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
    std::string ini = ReadFile(AppFolder() + "Vantorel.ini");
    ini.replace(ini.find("Tip=0"), 5, "Tip=31");
    // A start without a file would otherwise offer any other running copy.
    ini.replace(ini.find("Check previous=1"), 16, "Check previous=0");
    WriteFile(AppFolder() + "Vantorel.ini", ini);
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
    EXPECT_NE(ReadFile(AppFolder() + "Vantorel.ini").find("Tip=2"), std::string::npos);

    PostMessageA(p.Frame(), WM_COMMAND, IDM_ABOUT, 0);
    Box about = p.WaitBox();
    ASSERT_NE(about.window, nullptr);
    EXPECT_EQ(Text(GetDlgItem(about.window, IDC_ABOUT_VERSION)), "2.00");
    // The links show whole in their font (Helv 12, underlined) inside the box.
    HFONT linkFont = CreateFontA(12, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH | FF_ROMAN, "Helv");
    HDC screen = GetDC(nullptr);
    HGDIOBJ before = SelectObject(screen, linkFont);
    RECT box;
    GetClientRect(about.window, &box);
    MapWindowPoints(about.window, nullptr, reinterpret_cast<POINT *>(&box), 2);
    for (int id : {IDC_ABOUT_WEB, IDC_ABOUT_MAIL}) {
        HWND link = GetDlgItem(about.window, id);
        const std::string address = Text(link);
        SIZE size = {};
        GetTextExtentPoint32A(screen, address.c_str(), static_cast<int>(address.size()), &size);
        RECT r;
        GetWindowRect(link, &r);
        EXPECT_GE(r.right - r.left, size.cx) << address;
        EXPECT_LE(r.right, box.right) << address;
    }
    SelectObject(screen, before);
    ReleaseDC(nullptr, screen);
    DeleteObject(linkFont);
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
    std::string folder = AppFolder() + "long";
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

// ---- The editor windows.

// The top-level editor window of the process, once it is there; skip: one
// that is not wanted (say, a window being destroyed).
HWND WaitEditor(DWORD pid, HWND skip = nullptr, DWORD timeoutMs = 60000) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs; Sleep(100))
        if (HWND e = FindOf(pid, "VR_Edit", skip)) return e;
    return nullptr;
}

bool WaitGone(HWND window, DWORD timeoutMs = 60000) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs; Sleep(100))
        if (!IsWindow(window)) return true;
    return false;
}

struct EditorCount {
    DWORD pid;
    int count;
};

BOOL CALLBACK CountEditors(HWND w, LPARAM data) {
    auto *c = reinterpret_cast<EditorCount *>(data);
    if (ProcessOf(w) == c->pid && ClassOf(w) == "VR_Edit") ++c->count;
    return TRUE;
}

int EditorsOf(DWORD pid) {
    EditorCount c = {pid, 0};
    EnumWindows(CountEditors, reinterpret_cast<LPARAM>(&c));
    return c.count;
}

// The decay problem with a rate parameter a: x' = -a x.
std::string RateProblem(double a, const std::string &outputFile) {
    std::string text = DecayProblem(2, outputFile, "-a*x");
    const std::string none = "Parameters                = 0\r\n";
    char with[128];
    std::snprintf(with, sizeof with, "Parameters                = 1\r\na = %g\r\n", a);
    text.replace(text.find(none), none.size(), with);
    return text;
}

// What the user types replaces the control's text (the editor's own
// control, in the other process) and marks it modified.
void TypeInto(HWND control, const std::string &text) {
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(control, EM_SETMODIFY, TRUE, 0);
}

TEST_F(AppTest, AllSettingsOpensOnceAndItsAcceptedTextIsWhatTheNextRunUses) {
    const std::string problem = Path("rate.vr");
    DeleteFileA(Path("rate.double").c_str());
    WriteFile(problem, RateProblem(0.5, Path("rate.double")));
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));

    PostMessageA(p.Frame(), WM_COMMAND, IDM_ALL_SETTINGS, 0);
    HWND editor = WaitEditor(p.Pid());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(editor), "Vantorel: All Settings - " + problem);
    HWND control = FindWindowExA(editor, nullptr, "RICHEDIT", nullptr);
    ASSERT_NE(control, nullptr);
    const std::string text = Text(control);
    ASSERT_NE(text.find("\r\na = 0.5\r\n"), std::string::npos) << text;

    // Opening it again, minimised, only brings the same window back.
    ShowWindow(editor, SW_MINIMIZE);
    Sleep(500);
    ASSERT_TRUE(IsIconic(editor));
    PostMessageA(p.Frame(), WM_COMMAND, IDM_ALL_SETTINGS, 0);
    for (int i = 0; i < 100 && IsIconic(editor); ++i) Sleep(100);
    EXPECT_FALSE(IsIconic(editor));
    EXPECT_EQ(EditorsOf(p.Pid()), 1);
    EXPECT_EQ(Text(control), text);  // not built anew

    std::string changed = text;
    changed.replace(changed.find("\r\na = 0.5\r\n"), 11, "\r\na = 2\r\n");
    TypeInto(control, changed);
    PostMessageA(editor, WM_COMMAND, IDM_EXIT, 0);  // Accept changes
    ASSERT_TRUE(WaitGone(editor));
    for (int i = 0; i < 100 && p.Hook(kTestHookProblemChanged) != 1; ++i) Sleep(100);
    EXPECT_EQ(p.Hook(kTestHookProblemChanged), 1);
    EXPECT_EQ(p.Hook(kTestHookChildCount), 2);  // the same windows, by their handles

    PostMessageA(p.Frame(), WM_COMMAND, IDM_START, 0);
    std::string data;
    for (int i = 0; i < 1200 && data.size() < 8u * 19; ++i, Sleep(100)) data = ReadFile(Path("rate.double"));
    ASSERT_TRUE(p.WaitRunning(false));
    data = ReadFile(Path("rate.double"));
    ASSERT_EQ(data.size(), 8u * (1 + 2 * 9));
    std::vector<double> v(data.size() / 8);
    std::memcpy(v.data(), data.data(), data.size());
    for (size_t i = 1; i + 1 < v.size(); i += 2) EXPECT_NEAR(v[i + 1], std::exp(-2 * v[i]), 1e-7) << "t = " << v[i];
}

TEST_F(AppTest, AnErrorAtLineTwelveReopensAllSettingsAtThatLineWithTheTextKept) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    PostMessageA(p.Frame(), WM_COMMAND, IDM_ALL_SETTINGS, 0);
    HWND editor = WaitEditor(p.Pid());
    ASSERT_NE(editor, nullptr);
    HWND control = FindWindowExA(editor, nullptr, "RICHEDIT", nullptr);
    ASSERT_NE(control, nullptr);

    // Line 12 of this text lies in [Type]: a dimension out of range there.
    std::string wrong = DecayProblem(2, "");
    size_t at = 0;
    for (int line = 1; line < 12; ++line) at = wrong.find("\r\n", at) + 2;
    wrong.replace(at, wrong.find("\r\n", at) - at, "Dimension/Order = 10001");
    TypeInto(control, wrong);
    PostMessageA(editor, WM_COMMAND, IDM_EXIT, 0);
    ASSERT_TRUE(WaitGone(editor));
    Box box = p.WaitBox();
    ASSERT_NE(box.window, nullptr);
    EXPECT_NE(box.text.find("line #12"), std::string::npos) << box.text;
    p.Press(box, IDYES);

    HWND again = WaitEditor(p.Pid(), editor);
    ASSERT_NE(again, nullptr);
    HWND control2 = FindWindowExA(again, nullptr, "RICHEDIT", nullptr);
    ASSERT_NE(control2, nullptr);
    EXPECT_EQ(Text(control2), wrong);
    Sleep(500);
    const auto s = SelectionOf(control2);
    EXPECT_EQ(s.first, s.second);
    EXPECT_EQ(SendMessageA(control2, EM_LINEFROMCHAR, s.first, 0), 11);
    EXPECT_EQ(SendMessageA(control2, EM_LINEINDEX, 11, 0), s.first);
    EXPECT_NE(SendMessageA(control2, EM_GETMODIFY, 0, 0), 0);
    HWND status = FindWindowExA(again, nullptr, "msctls_statusbar32", nullptr);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(Text(status), "Line = 12  Col = 1");
}

TEST_F(AppTest, AbandonKeepsTheOldNotesAndAcceptStoresTheNewOnes) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, "") + "[Notes]\r\nOld notes of the project.\r\n");
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    ASSERT_EQ(p.Hook(kTestHookProblemChanged), 0);

    PostMessageA(p.Frame(), WM_COMMAND, IDM_NOTES, 0);
    HWND editor = WaitEditor(p.Pid());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(editor), "Vantorel: Project Notes - " + problem);
    HWND control = FindWindowExA(editor, nullptr, "RICHEDIT", nullptr);
    EXPECT_EQ(Text(control), "Old notes of the project.\r\n");
    TypeInto(control, "New notes");
    PostMessageA(editor, WM_COMMAND, IDM_EDITOR_ABANDON, 0);
    ASSERT_TRUE(WaitGone(editor));
    Sleep(500);
    EXPECT_EQ(p.Hook(kTestHookProblemChanged), 0);

    PostMessageA(p.Frame(), WM_COMMAND, IDM_NOTES, 0);
    editor = WaitEditor(p.Pid(), editor);
    ASSERT_NE(editor, nullptr);
    control = FindWindowExA(editor, nullptr, "RICHEDIT", nullptr);
    EXPECT_EQ(Text(control), "Old notes of the project.\r\n");
    TypeInto(control, "Accepted notes");
    PostMessageA(editor, WM_CLOSE, 0, 0);  // the close box accepts
    ASSERT_TRUE(WaitGone(editor));
    for (int i = 0; i < 50 && p.Hook(kTestHookProblemChanged) != 1; ++i) Sleep(100);
    EXPECT_EQ(p.Hook(kTestHookProblemChanged), 1);

    PostMessageA(p.Frame(), WM_COMMAND, IDM_NOTES, 0);
    editor = WaitEditor(p.Pid(), editor);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(FindWindowExA(editor, nullptr, "RICHEDIT", nullptr)), "Accepted notes");
}

// Notes longer than the editor holds: accepting would store them cut, so
// it is refused with a message and the notes stay whole.
TEST_F(AppTest, NotesLongerThanTheEditorHoldsAreNeverStoredCut) {
    const std::string problem = Path("decay.vr");
    std::string notes;
    const std::string line(62, 'n');
    while (notes.size() <= 0x100000) notes += line + "\r\n";
    WriteFile(problem, DecayProblem(2, "") + "[Notes]\r\n" + notes);
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    PostMessageA(p.Frame(), WM_COMMAND, IDM_NOTES, 0);
    HWND editor = WaitEditor(p.Pid());
    ASSERT_NE(editor, nullptr);
    PostMessageA(editor, WM_COMMAND, IDM_EXIT, 0);
    Box refused = p.WaitBox();
    ASSERT_NE(refused.window, nullptr);
    EXPECT_NE(refused.text.find("longer than the editor holds"), std::string::npos) << refused.text;
    p.Press(refused, IDOK);
    Sleep(500);
    EXPECT_TRUE(IsWindow(editor));
    PostMessageA(editor, WM_COMMAND, IDM_EDITOR_ABANDON, 0);
    ASSERT_TRUE(WaitGone(editor));
    Sleep(500);
    EXPECT_EQ(p.Hook(kTestHookProblemChanged), 0);
    // Saved whole: the notes come back as they were.
    const std::string saved = Path("decay saved.vr");
    DeleteFileA(saved.c_str());
    PostMessageA(p.Frame(), WM_COMMAND, IDM_SAVE, 0);
    Sleep(2000);
    const std::string written = ReadFile(problem);
    ASSERT_NE(written.find("[Notes]\r\n"), std::string::npos);
    EXPECT_EQ(written.substr(written.find("[Notes]\r\n") + 9), notes);
}

// ---- Dialog 750, customising the toolbars.

std::string ListLine(HWND dialog, int id, int line) {
    // Wide: the list belongs to another process (see the instance offer).
    wchar_t entry[64] = L"";
    if (SendDlgItemMessageW(dialog, id, LB_GETTEXTLEN, line, 0) >= 64) return "";
    SendDlgItemMessageW(dialog, id, LB_GETTEXT, line, reinterpret_cast<LPARAM>(entry));
    char narrow[64] = "";
    WideCharToMultiByte(CP_ACP, 0, entry, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

int ListCount(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, LB_GETCOUNT, 0, 0)); }

void PressButton(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

std::string IniValue(const std::string &key) {
    const std::string ini = ReadFile(AppFolder() + "Vantorel.ini");
    const size_t at = ini.find("\n" + key + "=");
    if (at == std::string::npos) return "";
    const size_t start = at + key.size() + 2;
    return ini.substr(start, ini.find_first_of("\r\n", start) - start);
}

TEST_F(AppTest, CustomizingRemovesAButtonAddsASpaceShowsAColumnAndCancelLeavesNoTrace) {
    Program p("");
    ASSERT_NE(p.WaitFrame(), nullptr);
    Sleep(1500);
    const std::string defaultRow = "1000102-10525-11716-18485-10813-141424344-12021-12930192328-180-173";

    // Cancel after removing a button: nothing changes.
    PostMessageA(p.Frame(), WM_COMMAND, IDM_TOOLBARS, 0);
    Box box = p.WaitBox();
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.caption, "Customize Toolbars and Popup Menu");
    HWND d = box.window;
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_TOOLBAR_LINE, CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_TOOLBAR_VISIBLE), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_TOOLBAR_POPUP), BST_UNCHECKED);  // the left column is the popup
    ASSERT_EQ(ListCount(d, IDC_TOOLBAR_CURRENT), 33);
    EXPECT_EQ(ListCount(d, IDC_TOOLBAR_AVAILABLE), 98 - 24);  // 24 buttons, 9 separators
    EXPECT_EQ(ListLine(d, IDC_TOOLBAR_CURRENT, 0), "000101");
    EXPECT_EQ(ListLine(d, IDC_TOOLBAR_CURRENT, 3), "-1");
    SendDlgItemMessageA(d, IDC_TOOLBAR_CURRENT, LB_SETCURSEL, 0, 0);
    PressButton(d, IDC_TOOLBAR_REMOVE);
    EXPECT_EQ(ListCount(d, IDC_TOOLBAR_CURRENT), 32);
    EXPECT_EQ(ListLine(d, IDC_TOOLBAR_AVAILABLE, 0), "000101");  // back first, in table order
    PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitGone(d));
    HWND bar = ToolbarOf(p.Frame(), 0);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 33);
    EXPECT_EQ(IniValue("TOOLBAR0"), "");

    // OK: New removed, a space at the end; the left column shown with Stop
    // added after its first button.
    PostMessageA(p.Frame(), WM_COMMAND, IDM_TOOLBARS, 0);
    box = p.WaitBox();
    ASSERT_NE(box.window, nullptr);
    d = box.window;
    SendDlgItemMessageA(d, IDC_TOOLBAR_CURRENT, LB_SETCURSEL, 0, 0);
    PressButton(d, IDC_TOOLBAR_REMOVE);
    SendDlgItemMessageA(d, IDC_TOOLBAR_CURRENT, LB_SETCURSEL, 31, 0);
    PressButton(d, IDC_TOOLBAR_SPACE);
    EXPECT_EQ(ListLine(d, IDC_TOOLBAR_CURRENT, 32), "-1");
    SendDlgItemMessageA(d, IDC_TOOLBAR_LINE, CB_SETCURSEL, 2, 0);
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_TOOLBAR_LINE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_TOOLBAR_LINE)));
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_TOOLBAR_VISIBLE), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_TOOLBAR_POPUP), BST_CHECKED);
    ASSERT_EQ(ListCount(d, IDC_TOOLBAR_CURRENT), 16);  // "04546-16475-170-147484950-1525354"
    CheckDlgButton(d, IDC_TOOLBAR_VISIBLE, BST_CHECKED);
    int stop = -1;
    for (int i = 0; i < ListCount(d, IDC_TOOLBAR_AVAILABLE); ++i)
        if (ListLine(d, IDC_TOOLBAR_AVAILABLE, i) == "000502") stop = i;
    ASSERT_GE(stop, 0);
    SendDlgItemMessageA(d, IDC_TOOLBAR_AVAILABLE, LB_SETCURSEL, stop, 0);
    SendDlgItemMessageA(d, IDC_TOOLBAR_CURRENT, LB_SETCURSEL, 0, 0);
    PressButton(d, IDC_TOOLBAR_ADD);
    EXPECT_EQ(ListLine(d, IDC_TOOLBAR_CURRENT, 1), "000502");
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_TOOLBAR_CURRENT, LB_GETCURSEL, 0, 0), 1);
    PostMessageA(d, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitGone(d));
    Sleep(1000);

    EXPECT_EQ(IniValue("TOOLBAR0"), "1" + defaultRow.substr(3) + "-1");
    EXPECT_EQ(IniValue("TOOLBAR2"), "1454246-16475-170-147484950-1525354");
    EXPECT_EQ(IniValue("TOOLBAR1"), "0");
    bar = ToolbarOf(p.Frame(), 0);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 33);
    EXPECT_LT(SendMessageA(bar, TB_COMMANDTOINDEX, IDM_NEW, 0), 0);
    HWND column = ToolbarOf(p.Frame(), 2);
    ASSERT_NE(column, nullptr);
    EXPECT_TRUE(IsWindowVisible(column));
    EXPECT_EQ(SendMessageA(column, TB_BUTTONCOUNT, 0, 0), 17);
    // The new buttons have their states: nothing runs, so Stop is greyed.
    EXPECT_EQ(ButtonState(column, IDM_STOP) & TBSTATE_ENABLED, 0);
    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}

TEST_F(AppTest, AnEditorSearchesItsOwnTextAndStaysOpenThroughARun) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(1e6, "") + "[Notes]\r\nalpha beta alpha gamma alpha\r\n");
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    PostMessageA(p.Frame(), WM_COMMAND, IDM_NOTES, 0);
    HWND editor = WaitEditor(p.Pid());
    ASSERT_NE(editor, nullptr);
    HWND control = FindWindowExA(editor, nullptr, "RICHEDIT", nullptr);
    HWND status = FindWindowExA(editor, nullptr, "msctls_statusbar32", nullptr);
    ASSERT_NE(control, nullptr);
    ASSERT_NE(status, nullptr);
    SendMessageA(control, EM_SETSEL, 6, 10);
    Sleep(300);
    EXPECT_EQ(Text(status), "Line = 1  Col = 7  --  Line = 1  Col = 11");
    SendMessageA(control, EM_SETSEL, 0, 0);
    Sleep(300);
    EXPECT_EQ(Text(status), "Line = 1  Col = 1");

    PostMessageA(editor, WM_COMMAND, IDM_EDIT_REPLACE, 0);
    Box replace = p.WaitBox();
    ASSERT_NE(replace.window, nullptr);
    SendMessageA(GetDlgItem(replace.window, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("alpha"));
    SendMessageA(GetDlgItem(replace.window, 0x481), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("omega"));
    SendMessageA(replace.window, WM_COMMAND, 0x401, 0);  // Replace All
    Sleep(500);
    EXPECT_EQ(Text(control), "omega beta omega gamma omega\r\n");
    SendMessageA(replace.window, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitGone(replace.window));

    // During a run the editor refuses to close and the editor commands are greyed.
    PostMessageA(p.Frame(), WM_COMMAND, IDM_START, 0);
    ASSERT_TRUE(p.WaitRunning(true));
    EXPECT_NE(p.Hook(kTestHookMenuState, IDM_NOTES) & MF_GRAYED, 0);
    EXPECT_NE(p.Hook(kTestHookMenuState, IDM_ALL_SETTINGS) & MF_GRAYED, 0);
    PostMessageA(editor, WM_CLOSE, 0, 0);
    Sleep(1000);
    EXPECT_TRUE(IsWindow(editor));
    PostMessageA(p.Frame(), WM_COMMAND, IDM_STOP, 0);
    ASSERT_TRUE(p.WaitRunning(false));
    EXPECT_EQ(p.Hook(kTestHookMenuState, IDM_NOTES) & MF_GRAYED, 0);
    PostMessageA(editor, WM_CLOSE, 0, 0);  // accepts: the replaced notes are the problem's now
    ASSERT_TRUE(WaitGone(editor));
    PostMessageA(p.Frame(), WM_COMMAND, IDM_NOTES, 0);
    editor = WaitEditor(p.Pid(), editor);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(FindWindowExA(editor, nullptr, "RICHEDIT", nullptr)), "omega beta omega gamma omega\r\n");
}

// Quitting with notes typed but not accepted: they are taken before the
// save question, which then saves them.
TEST_F(AppTest, QuittingWithAnOpenEditorAppliesItsTextBeforeTheSaveQuestion) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    PostMessageA(p.Frame(), WM_COMMAND, IDM_NOTES, 0);
    HWND editor = WaitEditor(p.Pid());
    ASSERT_NE(editor, nullptr);
    TypeInto(FindWindowExA(editor, nullptr, "RICHEDIT", nullptr), "Typed, never accepted");
    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    Box ask = p.WaitBox();
    ASSERT_NE(ask.window, nullptr);
    EXPECT_FALSE(IsWindow(editor));
    p.Press(ask, IDYES);
    EXPECT_EQ(p.WaitExit(), 0u);
    const std::string written = ReadFile(problem);
    EXPECT_NE(written.find("[Notes]\r\nTyped, never accepted"), std::string::npos) << written;
}

// Save in "All Settings" writes exactly the editor's text to the problem's
// own file, without a question.
TEST_F(AppTest, SaveInAllSettingsWritesExactlyTheEditorsText) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    PostMessageA(p.Frame(), WM_COMMAND, IDM_ALL_SETTINGS, 0);
    HWND editor = WaitEditor(p.Pid());
    ASSERT_NE(editor, nullptr);
    HWND control = FindWindowExA(editor, nullptr, "RICHEDIT", nullptr);
    const std::string text = DecayProblem(3, "");
    TypeInto(control, text);
    PostMessageA(editor, WM_COMMAND, IDM_SAVE, 0);
    std::string written;
    for (int i = 0; i < 100 && written != text; ++i, Sleep(100)) written = ReadFile(problem);
    EXPECT_EQ(written, text);
    EXPECT_EQ(FindOf(p.Pid(), "#32770"), nullptr);  // no question
    EXPECT_TRUE(IsWindow(editor));
}

// Printer pixels of the test printer's page and its unprintable margin.
struct PrinterPage {
    int totalX = 0, totalY = 0, offsetX = 0, offsetY = 0;
};

PrinterPage ReadPrinterPage() {
    PrinterPage page;
    if (HDC dc = CreateDCA(nullptr, kPrinterName, nullptr, nullptr)) {
        page.totalX = GetDeviceCaps(dc, HORZRES);
        page.totalY = GetDeviceCaps(dc, VERTRES);
        page.offsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
        page.offsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
        DeleteDC(dc);
    }
    return page;
}

// "&Print..." of the frame prints the active graph window on the default
// printer after the print dialog; the dialog's "&Setup..." runs the printer
// setup and brings the dialog back; with "&Encapsulated PostScript" the
// same command writes the EPS file, and the choice is kept in the settings.
TEST_F(AppTest, ThePrintCommandPrintsTheActiveGraphWindowAndWritesItsEps) {
    ASSERT_TRUE(InstallTestPrinter(VR_SOURCE_DIR));
    const PrinterPage page = ReadPrinterPage();
    ASSERT_GT(page.totalX, 0);
    DeleteFileA(kPortFile);
    const std::string eps = Path("decay.eps");
    DeleteFileA(eps.c_str());
    // Vectors, in the default area of the first print: the middle 7/9.
    WriteFile(AppFolder() + "Vantorel.ini",
              "[Options]\r\nTip=0\r\nCheck previous=1\r\nSave position=0\r\n[Math libraries]\r\n[Printer]\r\nMode=1\r\n");
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    Program p("/r \"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    HWND graph = ChildOfClass(p.Frame(), "VR_Graph");
    HWND text = ChildOfClass(p.Frame(), "VR_Text");
    ASSERT_NE(graph, nullptr);
    ASSERT_NE(text, nullptr);
    HWND control = FindWindowExA(text, nullptr, "RICHEDIT", nullptr);
    ASSERT_NE(control, nullptr);
    // The run has ended when its nine lines are listed and it says so.
    for (int i = 0; i < 1200 && (p.Hook(kTestHookRunning) || CountOf(Text(control), "\n") < 8); ++i) Sleep(100);
    ASSERT_EQ(p.Hook(kTestHookRunning), 0);
    SendMessageA(FindWindowExA(p.Frame(), nullptr, "MDICLIENT", nullptr), WM_MDIACTIVATE,
                 reinterpret_cast<WPARAM>(graph), 0);

    PostMessageA(p.Frame(), WM_COMMAND, IDM_PRINT, 0);
    Box dialog = p.WaitBox();
    ASSERT_NE(dialog.window, nullptr);
    EXPECT_EQ(dialog.caption, "Print");
    EXPECT_EQ(Text(GetDlgItem(dialog.window, IDC_PRINT_DEVICE)), kPrinterName);
    p.Press(dialog, IDC_PRINT_SETUP);
    Box setup = p.WaitBox(120000, dialog.window);
    ASSERT_NE(setup.window, nullptr);
    EXPECT_NE(setup.caption, "Print");
    p.Press(setup, IDCANCEL);
    Box again = p.WaitBox(120000, setup.window);
    ASSERT_NE(again.window, nullptr);
    EXPECT_EQ(again.caption, "Print");
    const int left = std::atoi(Text(GetDlgItem(again.window, IDC_PRINT_LEFT)).c_str());
    const int top = std::atoi(Text(GetDlgItem(again.window, IDC_PRINT_TOP)).c_str());
    EXPECT_NEAR(left, page.totalX / 9, 1);
    EXPECT_NEAR(top, page.totalY / 9, 1);
    p.Press(again, IDOK);
    ASSERT_TRUE(WaitForFile(kPortFile));
    const std::string printed = ReadWholeFile(kPortFile);
    EXPECT_EQ(printed.compare(0, 4, "%!PS"), 0);
    EXPECT_NE(printed.find("Decay graph"), std::string::npos);
    if (GhostscriptInstalled()) {
        // At 60 dpi a printer pixel of 600 dpi is a tenth of a page pixel;
        // the curve lies inside the area.
        const Image picture = Render(kPortFile, 60, false);
        ASSERT_GT(picture.width, 0);
        EXPECT_GT(picture.Count(), 50);
        const RECT box = picture.Box();
        EXPECT_GE(box.left, (page.offsetX + left) / 10 - 1);
        EXPECT_GE(box.top, (page.offsetY + top) / 10 - 1);
        EXPECT_LE(box.right, (page.offsetX + page.totalX - left) / 10 + 1);
        EXPECT_LE(box.bottom, (page.offsetY + page.totalY - top) / 10 + 1);
    }

    // The same command writes EPS when the dialog asks for it.
    PostMessageA(p.Frame(), WM_COMMAND, IDM_PRINT, 0);
    Box epsDialog = p.WaitBox(120000, again.window);
    ASSERT_NE(epsDialog.window, nullptr);
    HWND check = GetDlgItem(epsDialog.window, IDC_PRINT_EPS);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(epsDialog.window, WM_COMMAND, MAKEWPARAM(IDC_PRINT_EPS, BN_CLICKED), reinterpret_cast<LPARAM>(check));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(epsDialog.window, IDC_PRINT_SETUP)));
    SendMessageA(GetDlgItem(epsDialog.window, IDC_PRINT_FILE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(eps.c_str()));
    p.Press(epsDialog, IDOK);
    ASSERT_TRUE(WaitForFile(eps.c_str()));
    const std::string written = ReadWholeFile(eps.c_str());
    EXPECT_EQ(written.compare(0, 25, "%!PS-Adobe-2.0 EPSF-2.0\r\n"), 0);
    EXPECT_NE(written.find("%%Title: Decay graph\r\n"), std::string::npos);
    EXPECT_NE(written.find(" l\r\n"), std::string::npos);  // the curve as lines
    EXPECT_NE(written.find("%%Trailer"), std::string::npos);
    // Confirmed settings go to the settings file.
    EXPECT_NE(ReadWholeFile((AppFolder() + "Vantorel.ini").c_str()).find("EPS=1"), std::string::npos);
}

// The command-line print goes through the editors' text printing: the
// problem text as it stands, under a header of date, page and title, on the
// default printer without a dialog and without a frame.
TEST_F(AppTest, PrintModePrintsTheProblemTextUnderTheEditorsHeaderWithoutADialog) {
    ASSERT_TRUE(InstallTestPrinter(VR_SOURCE_DIR));
    DeleteFileA(kPortFile);
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    Program p("/p \"" + problem + "\"");
    EXPECT_EQ(p.WaitExit(), 0u);
    ASSERT_TRUE(WaitForFile(kPortFile));
    EXPECT_EQ(ReadFile(problem), DecayProblem(2, ""));
    if (GhostscriptInstalled()) {
        const std::string printed = ExtractText(kPortFile);
        EXPECT_NE(printed.find("Vantorel: All Settings"), std::string::npos) << printed;
        EXPECT_NE(printed.find("1 of "), std::string::npos) << printed;
        EXPECT_NE(printed.find("[Type]"), std::string::npos) << printed;
        EXPECT_NE(printed.find("Decay graph"), std::string::npos) << printed;
    }

    // "/pt" names the printer: one that does not exist prints nothing,
    // not even on the default printer, and says so.
    DeleteFileA(kPortFile);
    Program named("/pt \"" + problem + "\" \"No Such Printer\" WINSPOOL LPT1:");
    Box box = named.WaitBox();
    ASSERT_NE(box.window, nullptr);
    EXPECT_NE(box.text.find("Invalid printer"), std::string::npos) << box.text;
    named.Press(box, IDOK);
    EXPECT_EQ(named.WaitExit(), 0u);
    EXPECT_EQ(GetFileAttributesA(kPortFile), INVALID_FILE_ATTRIBUTES);
}

// The calculator opens from the frame and takes keys through the program's
// own message loop: characters reach its input, and Alt+V, a mnemonic of the
// dialog, presses "Evaluate". Mail is offered only with the "MAPI" profile
// value (Wine's own profile has it, and a simple mail library).
TEST_F(AppTest, TheCalculatorWorksThroughTheProgramsLoopAndMailNeedsTheSystemsMail) {
    char mapi[16];
    GetProfileStringA("Mail", "MAPI", "", mapi, sizeof mapi);
    WriteProfileStringA("Mail", "MAPI", "1");
    {
        Program p("");
        ASSERT_NE(p.WaitFrame(), nullptr);
        EXPECT_EQ(p.Hook(kTestHookMenuState, IDM_MAIL) & MF_GRAYED, 0);
        PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
        EXPECT_EQ(p.WaitExit(), 0u);
    }
    WriteProfileStringA("Mail", "MAPI", "0");
    Program p("");
    const HWND frame = p.WaitFrame();
    WriteProfileStringA("Mail", "MAPI", *mapi ? mapi : nullptr);
    ASSERT_NE(frame, nullptr);
    EXPECT_NE(p.Hook(kTestHookMenuState, IDM_MAIL) & MF_GRAYED, 0);
    for (int id : {IDM_CALCULATOR, IDM_EXTERNAL_CODES, IDM_MATH_EXTENSIONS, IDM_PLOTTER_DRIVERS, IDM_FONT_FILES,
                   IDM_ESCAPE_SEQUENCES, IDM_SHOW_FONTS})
        EXPECT_EQ(p.Hook(kTestHookMenuState, id) & MF_GRAYED, 0) << id;

    PostMessageA(p.Frame(), WM_COMMAND, IDM_CALCULATOR, 0);
    Box calculator = p.WaitBox();
    ASSERT_NE(calculator.window, nullptr);
    EXPECT_EQ(calculator.caption, "Vantorel calculator");
    HWND input = GetDlgItem(calculator.window, IDC_CALC_INPUT);
    HWND current = GetDlgItem(calculator.window, IDC_CALC_CURRENT);
    for (const char *c = "6*7"; *c; ++c) PostMessageA(input, WM_CHAR, static_cast<unsigned char>(*c), 1);
    for (int i = 0; i < 300 && Text(current) != "42"; ++i) Sleep(100);
    EXPECT_EQ(Text(current), "42");
    EXPECT_EQ(Text(input), "6*7");

    // The character of Alt+V (its key-down would be translated into it).
    PostMessageA(input, WM_SYSCHAR, 'v', 0x20000001);
    HWND history = GetDlgItem(calculator.window, IDC_CALC_HISTORY);
    for (int i = 0; i < 300 && Text(history).empty(); ++i) Sleep(100);
    EXPECT_EQ(Text(history), "I[1] = 6*7\r\nO[1] = 42");

    // Closing hides it; the command shows the same dialog again.
    PostMessageA(calculator.window, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && IsWindowVisible(calculator.window); ++i) Sleep(100);
    EXPECT_FALSE(IsWindowVisible(calculator.window));
    PostMessageA(p.Frame(), WM_COMMAND, IDM_CALCULATOR, 0);
    for (int i = 0; i < 100 && !IsWindowVisible(calculator.window); ++i) Sleep(100);
    EXPECT_TRUE(IsWindowVisible(calculator.window));
    EXPECT_EQ(Text(history), "I[1] = 6*7\r\nO[1] = 42");

    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}

// ---- Problem files, the recent list, shortcuts and the window clipboard

namespace {

// The file name box of the common file dialog (edt1 under Wine, the
// combo box cmb13 on Windows) gets name, then OK.
bool AnswerFileDialog(Program &p, const std::string &name, HWND skip = nullptr) {
    Box dialog = p.WaitBox(120000, skip);
    if (!dialog.window) return false;
    HWND box = GetDlgItem(dialog.window, 0x480);
    if (!box) box = GetDlgItem(dialog.window, 0x47C);
    if (!box) return false;
    SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageA(dialog.window, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 300 && IsWindow(dialog.window); ++i) Sleep(100);
    return !IsWindow(dialog.window);
}

std::string MenuText(Program &p, int id) {
    const ATOM atom = static_cast<ATOM>(p.Hook(kTestHookMenuText, id));
    if (!atom) return "";
    char text[256] = "";
    GlobalGetAtomNameA(atom, text, sizeof text);
    GlobalDeleteAtom(atom);
    return text;
}

// The recent items of the File menu, first to last, up to the first gap.
std::vector<std::string> RecentItems(Program &p) {
    std::vector<std::string> items;
    for (int id = IDM_RECENT_FIRST; id <= IDM_RECENT_LAST; ++id) {
        std::string t = MenuText(p, id);
        if (t.empty()) break;
        items.push_back(t);
    }
    return items;
}

bool WaitTitleHas(Program &p, const std::string &part, DWORD timeoutMs = 120000) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs && p.Alive(); Sleep(200))
        if (Text(p.Frame()).find(part) != std::string::npos) return true;
    return false;
}

// The lines of a problem text without its window headers (whose placements
// depend on the size of the client area).
std::string ClipboardText(UINT format) {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(format)) {
        if (const char *p = static_cast<const char *>(GlobalLock(data))) {
            text.assign(p, strnlen(p, GlobalSize(data)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void PutClipboardText(UINT format, const std::string &text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
    std::memcpy(GlobalLock(block), text.data(), text.size());
    GlobalUnlock(block);
    SetClipboardData(format, block);
    CloseClipboard();
}

bool WaitChildCount(Program &p, int count, DWORD timeoutMs = 60000) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs; Sleep(200))
        if (p.Hook(kTestHookChildCount) == count) return true;
    return false;
}

// A pasted window is created under a title of its own and then gets the
// pasted one: its text once it is the expected one, or the last seen.
std::string WaitText(HWND w, const std::string &expected, DWORD timeoutMs = 30000) {
    std::string text = Text(w);
    for (DWORD t0 = GetTickCount(); text != expected && GetTickCount() - t0 < timeoutMs; text = Text(w)) Sleep(100);
    return text;
}

RECT ChildRect(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT *>(&r), 2);
    return r;
}

TEST_F(AppTest, SaveAsOpenAndTheRecentListNewestFirstPersistingAndDroppingAMissingEntry) {
    for (const char *name : {"saved1.vr", "saved2.vr", "gone.vr"}) DeleteFileA(Path(name).c_str());
    const std::string example = ReadFile(Source("examples/logistic.vr"));
    ASSERT_FALSE(example.empty());
    WriteFile(Path("gone.vr"), DecayProblem(2, ""));
    {
        Program p("\"" + Source("examples/logistic.vr") + "\"");
        ASSERT_NE(p.WaitFrame(), nullptr);
        ASSERT_TRUE(p.WaitChildren(2));
        ASSERT_TRUE(WaitTitleHas(p, "logistic.vr"));
        // A name typed without extension gets ".vr".
        PostMessageA(p.Frame(), WM_COMMAND, IDM_SAVE_AS, 0);
        ASSERT_TRUE(AnswerFileDialog(p, Path("saved1")));
        ASSERT_TRUE(WaitTitleHas(p, "saved1.vr"));
        const std::string first = ReadFile(Path("saved1.vr"));
        EXPECT_EQ(first, example) << "an unchanged problem is written as it was read";
        EXPECT_EQ(p.Hook(kTestHookProblemChanged), 0);

        PostMessageA(p.Frame(), WM_COMMAND, IDM_OPEN, 0);
        ASSERT_TRUE(AnswerFileDialog(p, Path("gone.vr")));
        ASSERT_TRUE(WaitTitleHas(p, "gone.vr"));
        PostMessageA(p.Frame(), WM_COMMAND, IDM_OPEN, 0);
        ASSERT_TRUE(AnswerFileDialog(p, Path("saved1.vr")));
        ASSERT_TRUE(WaitTitleHas(p, "saved1.vr"));
        ASSERT_TRUE(p.WaitChildren(2));
        PostMessageA(p.Frame(), WM_COMMAND, IDM_SAVE_AS, 0);
        ASSERT_TRUE(AnswerFileDialog(p, Path("saved2.vr")));
        ASSERT_TRUE(WaitTitleHas(p, "saved2.vr"));
        // Byte for byte: what was saved, read and saved again.
        EXPECT_EQ(ReadFile(Path("saved2.vr")), first);

        // Newest first: saved2, saved1, gone, logistic.
        const std::vector<std::string> items = RecentItems(p);
        ASSERT_EQ(items.size(), 4u);
        EXPECT_NE(items[0].find("saved2.vr"), std::string::npos) << items[0];
        EXPECT_NE(items[1].find("saved1.vr"), std::string::npos) << items[1];
        EXPECT_NE(items[2].find("gone.vr"), std::string::npos) << items[2];
        EXPECT_NE(items[3].find("logistic.vr"), std::string::npos) << items[3];

        // An empty file, and a newer one the user refuses, load nothing:
        // the problem, its windows and its name stay.
        WriteFile(Path("empty.vr"), "");
        WriteFile(Path("newer.vr"), "Version = 250\r\n[Type]\r\nMap = Yes\r\n");
        PostMessageA(p.Frame(), WM_COMMAND, IDM_OPEN, 0);
        ASSERT_TRUE(AnswerFileDialog(p, Path("empty.vr")));
        Sleep(1500);
        PostMessageA(p.Frame(), WM_COMMAND, IDM_OPEN, 0);
        ASSERT_TRUE(AnswerFileDialog(p, Path("newer.vr")));
        Box newer = p.WaitBox();
        ASSERT_NE(newer.window, nullptr);
        EXPECT_NE(newer.text.find("2.50"), std::string::npos) << newer.text;
        p.Press(newer, IDNO);
        Sleep(1500);
        EXPECT_NE(Text(p.Frame()).find("saved2.vr"), std::string::npos) << Text(p.Frame());
        EXPECT_EQ(p.Hook(kTestHookChildCount), 2);
        EXPECT_EQ(p.Hook(kTestHookProblemChanged), 0);

        // Chosen after its file went: a message, and the entries whose files
        // are gone leave the list. "gone.vr" is fifth now, after newer.vr
        // and empty.vr.
        for (const char *name : {"gone.vr", "empty.vr", "newer.vr"}) DeleteFileA(Path(name).c_str());
        PostMessageA(p.Frame(), WM_COMMAND, IDM_RECENT_FIRST + 4, 0);
        Box missing = p.WaitBox();
        ASSERT_NE(missing.window, nullptr);
        EXPECT_FALSE(missing.text.empty());
        p.Press(missing, IDOK);
        Sleep(1000);
        const std::vector<std::string> after = RecentItems(p);
        ASSERT_EQ(after.size(), 3u);
        EXPECT_NE(after[0].find("saved2.vr"), std::string::npos);
        EXPECT_NE(after[2].find("logistic.vr"), std::string::npos);
        EXPECT_NE(Text(p.Frame()).find("saved2.vr"), std::string::npos) << Text(p.Frame());
        EXPECT_EQ(p.Hook(kTestHookChildCount), 2);
        PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
        ASSERT_EQ(p.WaitExit(), 0u);
    }
    const std::string ini = ReadFile(AppFolder() + "Vantorel.ini");
    const size_t a = ini.find("saved2.vr"), b = ini.find("saved1.vr"), c = ini.find("logistic.vr");
    ASSERT_NE(a, std::string::npos) << ini;
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_EQ(ini.find("gone.vr"), std::string::npos);
    {
        Program p("");
        ASSERT_NE(p.WaitFrame(), nullptr);
        Sleep(1500);
        const std::vector<std::string> items = RecentItems(p);
        ASSERT_EQ(items.size(), 3u);
        EXPECT_NE(items[0].find("saved2.vr"), std::string::npos);
        // A recent entry opens without a dialog.
        PostMessageA(p.Frame(), WM_COMMAND, IDM_RECENT_FIRST + 1, 0);
        ASSERT_TRUE(WaitTitleHas(p, "saved1.vr"));
        EXPECT_TRUE(p.WaitChildren(2));
        EXPECT_NE(RecentItems(p)[0].find("saved1.vr"), std::string::npos);
        PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
        EXPECT_EQ(p.WaitExit(), 0u);
    }
}

TEST_F(AppTest, SaveDuringARunIsRefusedQuietlyAndAFailedWriteKeepsTheOldFileAndTheChange) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(1e6, ""));
    const std::string before = ReadFile(problem);
    Program p("/r \"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitRunning(true));
    PostMessageA(p.Frame(), WM_COMMAND, IDM_SAVE, 0);
    PostMessageA(p.Frame(), WM_COMMAND, IDM_SAVE_AS, 0);
    Sleep(3000);
    EXPECT_EQ(FindOf(p.Pid(), "#32770"), nullptr);
    EXPECT_EQ(ReadFile(problem), before);
    PostMessageA(p.Frame(), WM_COMMAND, IDM_STOP, 0);
    ASSERT_TRUE(p.WaitRunning(false));

    NewWindowCommand(p, IDM_NEW_TEXT);
    ASSERT_TRUE(WaitChildCount(p, 3));
    ASSERT_EQ(p.Hook(kTestHookProblemChanged), 1);
    ASSERT_EQ(p.Hook(kTestHookDiskFull, 1), 1);
    PostMessageA(p.Frame(), WM_COMMAND, IDM_SAVE, 0);
    Box full = p.WaitBox();
    ASSERT_NE(full.window, nullptr);
    EXPECT_FALSE(full.text.empty());
    p.Press(full, IDOK);
    Sleep(1000);
    EXPECT_EQ(ReadFile(problem), before);
    EXPECT_EQ(p.Hook(kTestHookProblemChanged), 1);
    WIN32_FIND_DATAA found;
    HANDLE f = FindFirstFileA(Path("VRS*.tmp").c_str(), &found);
    EXPECT_EQ(f, INVALID_HANDLE_VALUE) << found.cFileName;
    if (f != INVALID_HANDLE_VALUE) FindClose(f);

    p.Hook(kTestHookDiskFull, 0);
    PostMessageA(p.Frame(), WM_COMMAND, IDM_SAVE, 0);
    for (int i = 0; i < 300 && p.Hook(kTestHookProblemChanged); ++i) Sleep(100);
    EXPECT_EQ(p.Hook(kTestHookProblemChanged), 0);
    EXPECT_EQ(CountOf(ReadFile(problem), "[Text window]"), 2u);
    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}

TEST_F(AppTest, AShortcutOpensTheProblemItPointsToAndANameWithoutExtensionGetsVr) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    const std::string link = Path("to decay.lnk");
    DeleteFileA(link.c_str());
    {
        CoInitialize(nullptr);
        IShellLinkA *shell = nullptr;
        ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                               reinterpret_cast<void **>(&shell))));
        shell->SetPath(problem.c_str());
        IPersistFile *file = nullptr;
        ASSERT_TRUE(SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))));
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        EXPECT_TRUE(SUCCEEDED(file->Save(wide, TRUE)));
        file->Release();
        shell->Release();
        CoUninitialize();
    }
    for (const std::string &name : {link, Path("decay")}) {
        SCOPED_TRACE(name);
        Program p("/r \"" + name + "\"");
        ASSERT_NE(p.WaitFrame(), nullptr);
        ASSERT_TRUE(p.WaitChildren(2));
        EXPECT_TRUE(WaitTitleHas(p, "decay.vr")) << Text(p.Frame());
        EXPECT_EQ(Text(ChildOfClass(p.Frame(), "VR_Graph")), "Decay graph");
        p.WaitRunning(false);
        PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
        EXPECT_EQ(p.WaitExit(), 0u);
    }
}

TEST_F(AppTest, AGraphWindowCopiedPastesTwiceTenPixelsOnAlsoIntoASecondInstance) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    const UINT windowFormat = RegisterClipboardFormatA("Vantorel window");
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    HWND graph = ChildOfClass(p.Frame(), "VR_Graph");
    ASSERT_NE(graph, nullptr);
    HWND client = GetParent(graph);
    SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(graph), 0);
    Sleep(500);
    const RECT original = ChildRect(graph);

    // Private text without a window header: nothing, and no message.
    PutClipboardText(windowFormat, "Title = not a window\r\n");
    PostMessageA(p.Frame(), WM_COMMAND, IDM_PASTE_WINDOW, 0);
    Sleep(2000);
    EXPECT_EQ(p.Hook(kTestHookChildCount), 2);
    EXPECT_EQ(FindOf(p.Pid(), "#32770"), nullptr);
    EXPECT_EQ(p.Hook(kTestHookProblemChanged), 0);

    PostMessageA(p.Frame(), WM_COMMAND, IDM_COPY_WINDOW, 0);
    Sleep(3000);  // the clipboard is not held open while the program copies
    std::string copied;
    for (int i = 0; i < 60 && copied.compare(0, 1, ";") != 0; ++i, Sleep(500)) copied = ClipboardText(windowFormat);
    ASSERT_EQ(copied.compare(0, 20, ";\r\n[Graphics window]"), 0) << copied;
    EXPECT_NE(copied.find("= Decay graph\r\n"), std::string::npos) << copied;
    EXPECT_EQ(ClipboardText(CF_TEXT), copied);

    for (int n = 3; n <= 4; ++n) {
        PostMessageA(p.Frame(), WM_COMMAND, IDM_PASTE_WINDOW, 0);
        ASSERT_TRUE(WaitChildCount(p, n)) << n;
    }
    EXPECT_EQ(p.Hook(kTestHookProblemChanged), 1);
    int pasted = 0;
    for (HWND c : Children(p.Frame())) {
        if (c == graph || ClassOf(c) != "VR_Graph") continue;
        ++pasted;
        EXPECT_EQ(WaitText(c, "Decay graph"), "Decay graph");
        const RECT r = ChildRect(c);
        EXPECT_NEAR(r.left, original.left + 10, 1);
        EXPECT_NEAR(r.top, original.top + 10, 1);
        EXPECT_NEAR(r.right - r.left, original.right - original.left, 1);
        EXPECT_NEAR(r.bottom - r.top, original.bottom - original.top, 1);
    }
    EXPECT_EQ(pasted, 2);

    // Another running instance takes the same window from the clipboard.
    Program second("/r");
    ASSERT_NE(second.WaitFrame(), nullptr);
    Sleep(1500);
    PostMessageA(second.Frame(), WM_COMMAND, IDM_PASTE_WINDOW, 0);
    ASSERT_TRUE(WaitChildCount(second, 1));
    HWND other = ChildOfClass(second.Frame(), "VR_Graph");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(WaitText(other, "Decay graph"), "Decay graph");

    // Clone: one more window, the clipboard as it was.
    PostMessageA(p.Frame(), WM_COMMAND, IDM_CLONE, 0);
    EXPECT_TRUE(WaitChildCount(p, 5));
    EXPECT_EQ(ClipboardText(windowFormat), copied);
    for (Program *q : {&p, &second}) {
        PostMessageA(q->Frame(), WM_CLOSE, 0, 0);
        Box ask = q->WaitBox(20000);
        if (ask.window) q->Press(ask, IDNO);
        EXPECT_EQ(q->WaitExit(), 0u);
    }
}

// An element copied and pasted lands after the current element, which
// stays; the saved file shows the order.
TEST_F(AppTest, AnElementPastedGoesAfterTheCurrentOne) {
    const std::string problem = Path("decay.vr");
    std::string text = DecayProblem(2, "");
    const std::string elements =
        "Graphics element = Circle\r\nx = 0.5\r\ny = 0.5\r\nsize = 1\r\nradius = 0.25\r\nbegin = 0\r\n"
        "end = 360\r\ndirection = 0\r\ncolor = FF\r\nline = 0\r\nsteps = 20\r\n"
        "Graphics element = Segment\r\nx = 0\r\ny = 0\r\nsize = 1\r\nradius = 1\r\nbegin = 0\r\n"
        "end = 0\r\ndirection = 0\r\ncolor = 0\r\nline = 0\r\nsteps = 0\r\n";
    text.insert(text.find(";\r\n[Text window]"), elements);
    WriteFile(problem, text);
    const UINT elementFormat = RegisterClipboardFormatA("Vantorel element");
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    HWND graph = ChildOfClass(p.Frame(), "VR_Graph");
    ASSERT_NE(graph, nullptr);
    SendMessageA(GetParent(graph), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(graph), 0);
    Sleep(500);
    // The segment, read last, is current: back to the circle, and copy it.
    PostMessageA(p.Frame(), WM_COMMAND, IDM_PREVIOUS_ELEMENT, 0);
    PostMessageA(p.Frame(), WM_COMMAND, IDM_ELEMENT_TO_CLIPBOARD, 0);
    Sleep(3000);
    std::string copied;
    for (int i = 0; i < 60 && copied.empty(); ++i, Sleep(500)) copied = ClipboardText(elementFormat);
    ASSERT_EQ(copied.compare(0, 27, "Graphics element = Circle\r\n"), 0) << copied;
    EXPECT_EQ(ClipboardText(CF_TEXT), copied);
    PostMessageA(p.Frame(), WM_COMMAND, IDM_ELEMENT_FROM_CLIPBOARD, 0);
    for (int i = 0; i < 100 && p.Hook(kTestHookProblemChanged) != 1; ++i) Sleep(200);
    ASSERT_EQ(p.Hook(kTestHookProblemChanged), 1);
    PostMessageA(p.Frame(), WM_COMMAND, IDM_SAVE, 0);
    for (int i = 0; i < 100 && p.Hook(kTestHookProblemChanged) != 0; ++i) Sleep(200);
    const std::string saved = ReadFile(problem);
    const size_t first = saved.find("Graphics element = Circle");
    const size_t second = saved.find("Graphics element = Circle", first + 1);
    const size_t segment = saved.find("Graphics element = Segment");
    ASSERT_NE(second, std::string::npos) << saved;
    EXPECT_LT(second, segment);
    EXPECT_EQ(saved.substr(second, copied.size()), copied);
    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}

}  // namespace


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

bool WaitGoneOrHidden(HWND window, DWORD timeoutMs = 60000) {
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
    EXPECT_TRUE(WaitGoneOrHidden(b.window)) << title;
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
    EXPECT_TRUE(WaitGoneOrHidden(mode.window));
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
    HWND listing = nullptr;
    for (int i = 0; i < 600 && !listing; ++i, Sleep(100))
        if (HWND text = ChildOfClass(frame, "VR_Text")) listing = FindWindowExA(text, nullptr, "RICHEDIT", nullptr);
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
    NewWindowCommand(p, IDM_NEW_GRAPH);
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
        ASSERT_TRUE(WaitGoneOrHidden(mode.window));
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
    NewWindowCommand(p, IDM_NEW_GRAPH);
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
        ASSERT_TRUE(WaitGoneOrHidden(mode.window));
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
        ASSERT_TRUE(WaitGoneOrHidden(mode.window));
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
        ASSERT_TRUE(WaitGoneOrHidden(dialog.window));
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
            while (std::getline(lines, line)) {
                EXPECT_TRUE(!line.empty() && line.back() == '\r') << "CR LF line ends: " << line;
                if (std::sscanf(line.c_str(), "%lf %lf", &x, &y) == 2) read.push_back({x, y});
            }
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
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, AppFolder().c_str(), &si, &pi));
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

// ---- The plotter commands of the frame: the switch (308) gates drawing to
// the plotter (309), ejecting the page (310) and writing the epilog (311).
TEST_F(AppTest, PlotterOutputSwitchGatesDrawingEjectAndEpilog) {
    const std::string driver = Path("plotter.txt"), output = Path("plotter.out");
    WriteFile(driver, "Prolog:1\nIN;\\n\nEpilog:1\nEP;\\n\nMoveto:\nPU%d,%d;\\n\nLineto:\nPD%d,%d;\\n\n"
                      "Eject:\nPG;\\n\nXmin:0\nYmin:0\nXmax:1000\nYmax:500\n");
    DeleteFileA(output.c_str());
    std::string text = DecayProblem(2, "");
    const std::string after = "Max. Y                = 1\r\n";
    text.insert(text.find(after) + after.size(),
                "Plotter               = Yes\r\nDevice                = " + output +
                    "\r\nDriver                = " + driver + "\r\n");
    const std::string problem = Path("plotter.vr");
    WriteFile(problem, text);
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    auto checked = [&] { return (p.Hook(kTestHookMenuState, IDM_PLOTTER_OUTPUT) & MF_CHECKED) != 0; };
    auto greyed = [&](int id) { return (p.Hook(kTestHookMenuState, id) & MF_GRAYED) != 0; };
    EXPECT_FALSE(checked());
    for (int id : {IDM_DRAW_TO_PLOTTER, IDM_EJECT_PAGE, IDM_WRITE_EPILOG}) EXPECT_TRUE(greyed(id)) << id;

    PostMessageA(p.Frame(), WM_COMMAND, IDM_PLOTTER_OUTPUT, 0);
    for (int i = 0; i < 100 && !checked(); ++i) Sleep(100);
    EXPECT_TRUE(checked());
    for (int id : {IDM_DRAW_TO_PLOTTER, IDM_EJECT_PAGE, IDM_WRITE_EPILOG}) EXPECT_FALSE(greyed(id)) << id;

    PostMessageA(p.Frame(), WM_COMMAND, IDM_DRAW_TO_PLOTTER, 0);
    std::string written;
    for (int i = 0; i < 300 && written.find("PD") == std::string::npos; ++i, Sleep(100)) written = ReadFile(output);
    EXPECT_EQ(written.compare(0, 3, "IN;"), 0) << written;  // text mode: lines end in CR LF
    EXPECT_NE(written.find("PD"), std::string::npos) << written;
    PostMessageA(p.Frame(), WM_COMMAND, IDM_EJECT_PAGE, 0);
    for (int i = 0; i < 100 && written.find("PG;") == std::string::npos; ++i, Sleep(100)) written = ReadFile(output);
    EXPECT_NE(written.find("PG;"), std::string::npos) << written;
    // The epilog closes the job: written once however often it is asked for.
    PostMessageA(p.Frame(), WM_COMMAND, IDM_WRITE_EPILOG, 0);
    PostMessageA(p.Frame(), WM_COMMAND, IDM_WRITE_EPILOG, 0);
    for (int i = 0; i < 100 && written.find("EP;") == std::string::npos; ++i, Sleep(100)) written = ReadFile(output);
    Sleep(500);
    written = ReadFile(output);
    EXPECT_EQ(CountOf(written, "EP;"), 1u) << written;

    PostMessageA(p.Frame(), WM_COMMAND, IDM_PLOTTER_OUTPUT, 0);
    for (int i = 0; i < 100 && checked(); ++i) Sleep(100);
    EXPECT_FALSE(checked());
    EXPECT_TRUE(greyed(IDM_DRAW_TO_PLOTTER));
    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    if (Box ask = p.WaitBox(20000); ask.window) p.Press(ask, IDNO);
    EXPECT_EQ(p.WaitExit(), 0u);
}

// A top-level window of the process with the given caption.
HWND WindowCaptioned(DWORD pid, const char *caption, DWORD timeoutMs = 30000) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs; Sleep(100)) {
        for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", caption); w;
             w = FindWindowExA(nullptr, w, "#32770", caption))
            if (ProcessOf(w) == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

// The browsers are greyed and disabled while a run is in progress, so a run
// is paused for them by Stop: what they change reaches the trajectory that
// Continue computes next (a family restarts its interrupted member from its
// initial point; the code is compiled again with the parameter's new value).
TEST_F(AppTest, ValuesEditedInTheBrowsersWhileARunIsStoppedActOnTheTrajectoryContinueComputes) {
    std::string text = DecayProblem(1, Path("decay.double"), "-a*x");
    auto replace = [&](const std::string &from, const std::string &to) {
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    replace("Parameters                = 0\r\n", "Parameters                = 1\r\na = 1\r\n");
    replace("Poincare/Bifurcation time = tp\r\n",
            "Poincare/Bifurcation time = tp\r\nPhase-portrait x min      = 0\r\nPhase-portrait x name     = nx\r\n"
            "Phase-portrait x max      = 1\r\nPhase-portrait y min      = 0\r\nPhase-portrait y name     = ny\r\n"
            "Phase-portrait y max      = 0\r\n");
    // Every point waits for a key.
    replace("Step                      = 0.25\r\n", "Step                      = 0.5\r\nPause                     = -1\r\n");
    const std::string problem = Path("browsed.vr");
    WriteFile(problem, text);

    Program p("/r \"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    ASSERT_TRUE(p.WaitRunning(true));
    for (int id : {IDM_INITIAL_BROWSER, IDM_PARAMETER_BROWSER})
        EXPECT_TRUE(p.Hook(kTestHookMenuState, id) & MF_GRAYED) << id;
    PostMessageA(p.Frame(), WM_COMMAND, IDM_STOP, 0);
    ASSERT_TRUE(p.WaitRunning(false));

    PostMessageA(p.Frame(), WM_COMMAND, IDM_INITIAL_BROWSER, 0);
    HWND initial = WindowCaptioned(p.Pid(), "Initial Values");
    ASSERT_NE(initial, nullptr);
    PostMessageA(p.Frame(), WM_COMMAND, IDM_PARAMETER_BROWSER, 0);
    HWND parameters = WindowCaptioned(p.Pid(), "Parameters");
    ASSERT_NE(parameters, nullptr);
    HWND x0 = GetDlgItem(initial, IDC_BROWSER_VALUE_FIRST + 1), a = GetDlgItem(parameters, IDC_BROWSER_PARAM_VALUE);
    for (int i = 0; i < 100 && (Text(x0) != "1" || Text(a) != "1"); ++i) Sleep(100);
    ASSERT_EQ(Text(x0), "1");
    ASSERT_EQ(Text(a), "1");
    SendMessageA(x0, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("5"));
    SendMessageA(a, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0"));

    PostMessageA(p.Frame(), WM_COMMAND, IDM_CONTINUE, 0);
    ASSERT_TRUE(p.WaitRunning(true));
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < 120000 && p.Hook(kTestHookRunning) == 1; Sleep(200))
        PostMessageA(p.Frame(), WM_KEYDOWN, VK_SPACE, 0);
    ASSERT_EQ(p.Hook(kTestHookRunning), 0);

    // Trajectories, each after a NaN: the stopped one from x0 = 1 (none when
    // Stop came before its first point), then both members of the family
    // again with x0 = 5 and a = 0.
    const std::string data = ReadFile(Path("decay.double"));
    ASSERT_EQ(data.size() % 8, 0u);
    std::vector<double> v(data.size() / 8);
    std::memcpy(v.data(), data.data(), data.size());
    std::vector<std::vector<std::pair<double, double>>> trajectories;
    std::string listing;
    for (size_t i = 0; i < v.size();) {
        if (std::isnan(v[i])) {
            trajectories.emplace_back();
            listing += " |";
            ++i;
        } else {
            ASSERT_FALSE(trajectories.empty());
            ASSERT_LT(i + 1, v.size());
            trajectories.back().push_back({v[i], v[i + 1]});
            listing += " " + std::to_string(v[i]) + "," + std::to_string(v[i + 1]);
            i += 2;
        }
    }
    ASSERT_GE(trajectories.size(), 2u) << listing;
    ASSERT_LE(trajectories.size(), 3u) << listing;
    if (trajectories.size() == 3) {
        ASSERT_FALSE(trajectories[0].empty());
        EXPECT_EQ(trajectories[0][0], std::make_pair(0.0, 1.0)) << listing;
    }
    for (size_t k = trajectories.size() - 2; k < trajectories.size(); ++k) {
        ASSERT_FALSE(trajectories[k].empty()) << listing;
        EXPECT_EQ(trajectories[k].front().first, 0) << listing;
        EXPECT_EQ(trajectories[k].back().first, 1) << listing;
        for (const auto &point : trajectories[k]) EXPECT_EQ(point.second, 5) << listing;
    }
    // Cancel hides a browser, so the save question is the only box.
    PostMessageA(initial, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(parameters, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 100 && (IsWindowVisible(initial) || IsWindowVisible(parameters)); ++i) Sleep(100);
    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    if (Box ask = p.WaitBox(20000); ask.window) p.Press(ask, IDNO);
    EXPECT_EQ(p.WaitExit(), 0u);
}

namespace {

std::string Replaced(std::string text, const std::string &from, const std::string &to) {
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

}  // namespace

// The Lorenz example with its text window's capture on, run with /x over
// [0, 1]: the file holds what the window lists, one row per CR LF line whose
// numbers are the window's, and nothing before the first row.
TEST_F(AppTest, TheCapturedFileOfTheLorenzExampleHoldsTheListedRowsOnePerLine) {
    const std::string output = Path("lorenz_capture.txt");
    DeleteFileA(output.c_str());
    std::string problem = ReadFile(Source("examples/lorenz.vr"));
    ASSERT_NE(problem.find("Separator      = \\r\\n\r\n"), std::string::npos) << "the example's separator";
    problem = Replaced(problem, "Last value                = 50", "Last value                = 1");
    problem = Replaced(problem, "Capture        = No\r\nOutput file    = \r\n",
                       "Capture        = Yes\r\nOutput file    = " + output + "\r\n");
    ASSERT_NE(problem.find(output), std::string::npos);
    WriteFile(Path("lorenz_capture.vr"), problem);
    Program p("/x \"" + Path("lorenz_capture.vr") + "\"");
    ASSERT_TRUE(p.Started());
    EXPECT_EQ(p.WaitExit(), 0u);

    const std::string data = ReadFile(output);
    ASSERT_FALSE(data.empty());
    EXPECT_NE(data[0], '\r') << "no separator before the first row";
    ASSERT_EQ(data.substr(data.size() - 2), "\r\n");
    std::vector<std::string> rows;
    for (size_t at = 0; at < data.size();) {
        const size_t end = data.find("\r\n", at);
        ASSERT_NE(end, std::string::npos);
        rows.push_back(data.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_EQ(rows.size(), 10u);  // every tenth of 101 points
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i]);
        double t, x, y, z;
        char rest = 0;
        ASSERT_EQ(std::sscanf(rows[i].c_str(), "%lf %lf %lf %lf %c", &t, &x, &y, &z, &rest), 4);
        EXPECT_NEAR(t, 0.09 + 0.1 * i, 1e-9);
        EXPECT_EQ(rows[i].size(), 43u);
        EXPECT_EQ(rows[i].find('\\'), std::string::npos);
    }
    // The rows are the solution: the Lorenz system integrated here by RK4
    // from (1, 1, 1), compared at the four decimals the format prints.
    double v[3] = {1, 1, 1}, t = 0;
    const double h = 1e-4;
    auto f = [](const double *u, double *d) {
        d[0] = 10 * (u[1] - u[0]);
        d[1] = u[0] * (28 - u[2]) - u[1];
        d[2] = u[0] * u[1] - 8.0 / 3 * u[2];
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        const double until = 0.09 + 0.1 * i;
        while (t < until - h / 2) {
            double k[4][3], u[3];
            f(v, k[0]);
            for (int j = 0; j < 3; ++j) u[j] = v[j] + h / 2 * k[0][j];
            f(u, k[1]);
            for (int j = 0; j < 3; ++j) u[j] = v[j] + h / 2 * k[1][j];
            f(u, k[2]);
            for (int j = 0; j < 3; ++j) u[j] = v[j] + h * k[2][j];
            f(u, k[3]);
            for (int j = 0; j < 3; ++j) v[j] += h / 6 * (k[0][j] + 2 * k[1][j] + 2 * k[2][j] + k[3][j]);
            t += h;
        }
        double row[4];
        ASSERT_EQ(std::sscanf(rows[i].c_str(), "%lf %lf %lf %lf", &row[0], &row[1], &row[2], &row[3]), 4);
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(row[j + 1], v[j], 2e-4) << rows[i] << " column " << j + 1;
    }
}

// Every example, opened and saved without a change, is written back byte
// for byte: window placements included, whatever the pixels rounded to.
TEST_F(AppTest, SaveOfAnUnchangedExampleWritesTheTextItRead) {
    for (const char *name : {"lorenz.vr", "logistic.vr", "mackey_glass.vr", "bratu.vr"}) {
        SCOPED_TRACE(name);
        const std::string example = ReadFile(Source(std::string("examples/") + name));
        ASSERT_FALSE(example.empty());
        // What an example shows at a glance: axes with their labels, and the
        // points of the whole run kept for zooming and repainting.
        EXPECT_NE(example.find("Graphics element = Axes\r\n"), std::string::npos);
        EXPECT_NE(example.find("Capture               = -1\r\n"), std::string::npos);
        const std::string copy = Path(std::string("unchanged_") + name);
        WriteFile(copy, example);
        Program p("\"" + copy + "\"");
        ASSERT_NE(p.WaitFrame(), nullptr);
        ASSERT_TRUE(p.WaitChildren(2));
        ASSERT_TRUE(WaitTitleHas(p, name));
        WriteFile(copy, "");
        PostMessageA(p.Frame(), WM_COMMAND, IDM_SAVE, 0);
        std::string saved;
        for (int i = 0; i < 600 && saved.size() < example.size(); ++i) {
            Sleep(100);
            saved = ReadFile(copy);
        }
        EXPECT_EQ(saved, example);
        EXPECT_EQ(p.Hook(kTestHookProblemChanged), 0);
        PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
        if (Box ask = p.WaitBox(20000); ask.window) p.Press(ask, IDNO);
        EXPECT_EQ(p.WaitExit(), 0u);
    }
}

namespace {

// A dialog's visible labels and buttons as a user reads them: shortcut
// letters used twice, "&" shown as a character, texts cut off by their
// control. The tab captions are the page selectors', not counted.
struct DialogTexts {
    std::vector<std::string> faults;
};

// With VR_DIALOG_SHOTS set to a folder, each page is kept there as a BMP for
// a person to look at.
void KeepDialogShot(HWND dialog, const std::string &where) {
    char folder[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("VR_DIALOG_SHOTS", folder, sizeof folder)) return;
    std::string name = where;
    for (char &ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    RECT r;
    GetWindowRect(dialog, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD size = ((w * 3 + 3) & ~3) * h;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    std::string data(reinterpret_cast<const char *>(&file), sizeof file);
    data.append(reinterpret_cast<const char *>(&info.bmiHeader), sizeof info.bmiHeader);
    data.append(static_cast<const char *>(bits), size);
    WriteFile(std::string(folder) + "\\" + name + ".bmp", data);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

void CheckDialogPage(HWND dialog, const std::string &where, DialogTexts *out) {
    KeepDialogShot(dialog, where);
    std::vector<std::pair<char, std::string>> letters;
    RECT area;
    GetClientRect(dialog, &area);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        // Controls of the other pages wait outside the dialog's client area.
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
        RECT shown;
        if (!IntersectRect(&shown, &r, &area)) continue;
        const std::string cls = ClassOf(c);
        if (cls != "Static" && cls != "Button") continue;
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        if (cls == "Button" && (style & 0xF) == BS_GROUPBOX && Text(c).empty()) continue;
        const std::string text = Text(c);
        if (cls == "Static" && (style & SS_NOPREFIX)) {
            if (text.find('&') != std::string::npos)
                out->faults.push_back(where + ": \"" + text + "\" shows its & as a character");
            continue;
        }
        for (size_t i = 0; i + 1 < text.size(); ++i) {
            if (text[i] != '&') continue;
            if (text[i + 1] == '&') {
                ++i;
                continue;
            }
            const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
            for (const auto &seen : letters)
                if (seen.first == letter)
                    out->faults.push_back(where + ": \"" + seen.second + "\" and \"" + text + "\" share '" +
                                          std::string(1, letter) + "'");
            letters.push_back({letter, text});
            break;
        }
        // A one-line label whose text is wider than the label.
        if (cls == "Static" && (style & SS_TYPEMASK) <= SS_RIGHT && !text.empty() && !(style & SS_NOPREFIX)) {
            RECT r;
            GetClientRect(c, &r);
            HDC dc = GetDC(c);
            // The dialogs' font: 8 points of "MS Shell Dlg".
            HFONT font = CreateFontA(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                     DEFAULT_CHARSET, 0, 0, 0, 0, "MS Shell Dlg");
            HGDIOBJ old = SelectObject(dc, font);
            RECT need = {0, 0, r.right, 0};
            DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK);
            SelectObject(dc, old);
            DeleteObject(font);
            ReleaseDC(c, dc);
            if (need.bottom > r.bottom + 1)
                out->faults.push_back(where + ": \"" + text + "\" is cut off (" + std::to_string(need.bottom) +
                                      " of " + std::to_string(r.bottom) + " pixels high)");
        }
    }
}

// The selectors of the pages of tabbed dialogs.
const int kPageSelectors[] = {20099, 21100, 22100, 22200, 22300, 22400, 23100, 25100, 25200,
                              25700, 27200, 27300, 27400, 29530, 29550, 29570};

// Every page of the open dialog, shown in turn through its selector.
void CheckDialog(HWND dialog, const std::string &name, DialogTexts *out) {
    CheckDialogPage(dialog, name, out);
    for (int selector : kPageSelectors) {
        HWND button = GetDlgItem(dialog, selector);
        if (!button) continue;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(selector, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        Sleep(200);
        CheckDialogPage(dialog, name + " page \"" + Text(button) + "\"", out);
    }
}

}  // namespace

// Each settings dialog of the program, page by page, as a user reads it.
TEST_F(AppTest, EveryDialogShowsEachShortcutLetterOnceAndNoCharacterAmpersand) {
    Program p("\"" + Source("examples/lorenz.vr") + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    HWND frame = p.Frame();
    HWND graph = ChildOfClass(frame, "VR_Graph");
    HWND text = ChildOfClass(frame, "VR_Text");
    ASSERT_TRUE(graph && text);
    struct Command {
        int id;
        HWND active;
        const char *name;
    } commands[] = {
        {IDM_TYPE, graph, "Type"},
        {IDM_VARIABLES, graph, "Definitions"},
        {IDM_RANGE, graph, "Iteration range"},
        {IDM_METHOD, graph, "Method"},
        {IDM_STATUS_LINE, graph, "Status line"},
        {IDM_GRAPHICS_FORMAT, graph, "Graphics output"},
        {IDM_COLOR, graph, "Colors"},
        {IDM_VIEW_POINT, graph, "View point"},
        {IDM_TEXT_FORMAT, text, "Text output"},
        {IDM_PREFERENCES, graph, "Preferences"},
        {IDM_MATHEMATICA, graph, "Mathematica"},
        {IDM_EXTERNAL_CODES, graph, "Code libraries"},
        {IDM_ESCAPE_SEQUENCES, graph, "Escape sequences"},
        {IDM_PRINTER_SETUP, graph, "Print settings"},
        {IDM_ABOUT, graph, "About"},
    };
    DialogTexts found;
    auto check = [&](const Command &c) {
        SCOPED_TRACE(c.name);
        SendMessageA(FindWindowExA(frame, nullptr, "MDICLIENT", nullptr), WM_MDIACTIVATE,
                     reinterpret_cast<WPARAM>(c.active), 0);
        PostMessageA(frame, WM_COMMAND, c.id, 0);
        Box dialog = p.WaitBox(60000);
        ASSERT_NE(dialog.window, nullptr);
        CheckDialog(dialog.window, c.name, &found);
        PostMessageA(dialog.window, WM_COMMAND, c.id == IDM_ABOUT ? IDOK : IDCANCEL, 0);
        ASSERT_TRUE(WaitGoneOrHidden(dialog.window));
    };
    for (const Command &c : commands) check(c);
    // The dialogs of a map differ: the iteration range, histograms.
    PostMessageA(frame, WM_COMMAND, IDM_OPEN, 0);
    ASSERT_TRUE(AnswerFileDialog(p, Source("examples/logistic.vr")));
    ASSERT_TRUE(WaitTitleHas(p, "logistic.vr"));
    ASSERT_TRUE(p.WaitChildren(2));
    graph = ChildOfClass(frame, "VR_Graph");
    text = ChildOfClass(frame, "VR_Text");
    ASSERT_TRUE(graph && text);
    for (const Command &c : {Command{IDM_RANGE, graph, "Map iteration range"},
                             Command{IDM_GRAPHICS_FORMAT, graph, "Map graphics output"},
                             Command{IDM_TEXT_FORMAT, text, "Map text output"}})
        check(c);
    std::string all;
    for (const std::string &f : found.faults) all += f + "\n";
    EXPECT_TRUE(found.faults.empty()) << all;
    PostMessageA(frame, WM_CLOSE, 0, 0);
    if (Box ask = p.WaitBox(20000); ask.window) p.Press(ask, IDNO);
    EXPECT_EQ(p.WaitExit(), 0u);
}

// ---- The frame and graph windows as a user meets them: the status line
// around menus, erasing, full screen, mouse modes, new windows, the popup
// menu and the problem type.

namespace {

RECT ScreenClientRect(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

std::string StatusText(Program &p, int part) {
    const ATOM atom = static_cast<ATOM>(p.Hook(kTestHookStatusText, part));
    if (!atom) return "(no answer)";
    char text[256] = "";
    GlobalGetAtomNameA(atom, text, sizeof text);
    GlobalDeleteAtom(atom);
    return std::string(text) == " " ? "" : text;
}

bool WaitCondition(const std::function<bool()> &done, DWORD timeoutMs = 60000) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < timeoutMs; Sleep(100))
        if (done()) return true;
    return done();
}

// Menu help as the frame gets it while a menu is open, and the close.
void HiliteMenuItem(HWND frame, int id) {
    SendMessageA(frame, WM_MENUSELECT, MAKEWPARAM(id, MF_STRING | MF_HILITE),
                 reinterpret_cast<LPARAM>(GetMenu(frame)));
}
void CloseMenu(HWND frame) { SendMessageA(frame, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0); }

bool Simple(HWND bar) { return SendMessageA(bar, SB_ISSIMPLE, 0, 0) != 0; }

// Coloured pixels of a window's client on the screen: the picture, not the
// black cross-hair of the cursor or a white background.
int ColouredPixels(HWND window) {
    return CountClientPixels(window, [](DWORD rgb) {
        const int c[3] = {static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                          static_cast<int>((rgb >> 16) & 0xFF)};
        return *std::max_element(c, c + 3) - *std::min_element(c, c + 3) > 80;
    });
}

// The visible popup menu of the process, once it is there.
HWND WaitPopupMenu(DWORD pid, DWORD timeoutMs = 30000) {
    HWND found = nullptr;
    WaitCondition([&] { return (found = FindOf(pid, "#32768")) != nullptr; }, timeoutMs);
    return found;
}

bool SameRect(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string RectText(const RECT &r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

}  // namespace

// Menu help takes the status line in simple mode; the menu's close, a mouse
// move over the client or a graph window, and a run give the three parts
// and the read-out back. A click on the frame's caption with a maximised
// graph shows its size; a right click on the client opens the popup menu.
TEST_F(AppTest, MenuHelpGivesWayToTheReadOutAndTheClientHasThePopupMenu) {
    const std::string problem = Path("decay.vr");
    std::string text = DecayProblem(1e6, "");
    text.insert(text.find("[Graphics window]"),
                "[Status line]\r\nFirst expression          = t\r\nSecond expression         = x\r\n"
                "Numerical format          = t = %g   x = %g\r\nFrequency                 = 1\r\n;\r\n");
    WriteFile(problem, text);
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    HWND frame = p.Frame();
    HWND bar = FindWindowExA(frame, nullptr, STATUSCLASSNAMEA, nullptr);
    HWND client = FindWindowExA(frame, nullptr, "MDICLIENT", nullptr);
    HWND graph = ChildOfClass(frame, "VR_Graph");
    ASSERT_TRUE(bar && client && graph);
    Activate(frame, graph);
    Sleep(500);

    HiliteMenuItem(frame, IDM_OPEN);
    EXPECT_TRUE(Simple(bar));
    EXPECT_EQ(StatusText(p, 255), "Open a problem file");
    CloseMenu(frame);
    EXPECT_FALSE(Simple(bar));
    EXPECT_EQ(SendMessageA(bar, SB_GETPARTS, 0, 0), 3);

    struct Mover {
        HWND window;
        const char *what;
    } movers[] = {{client, "client"}, {graph, "graph window"}, {frame, "frame"}};
    for (const Mover &m : movers) {
        HiliteMenuItem(frame, IDM_ERASE_WINDOW);
        ASSERT_TRUE(Simple(bar)) << m.what;
        SendMessageA(m.window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        EXPECT_FALSE(Simple(bar)) << m.what;
    }

    // A run started while menu help shows brings its read-out.
    HiliteMenuItem(frame, IDM_START);
    PostMessageA(frame, WM_COMMAND, IDM_START, 0);
    ASSERT_TRUE(p.WaitRunning(true));
    EXPECT_TRUE(WaitCondition([&] { return !Simple(bar) && StatusText(p, 0).rfind("t = ", 0) == 0; }))
        << StatusText(p, 0);
    PostMessageA(frame, WM_COMMAND, IDM_STOP, 0);
    ASSERT_TRUE(p.WaitRunning(false));

    SendMessageA(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(graph), 0);
    ASSERT_TRUE(WaitCondition([&] { return IsZoomed(graph) != 0; }));
    SendMessageA(frame, WM_NCLBUTTONDOWN, HTNOWHERE, 0);
    RECT r;
    GetClientRect(graph, &r);
    EXPECT_EQ(StatusText(p, 0), std::to_string(r.right) + " x " + std::to_string(r.bottom));

    RECT area = ScreenClientRect(client);
    PostMessageA(client, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(client),
                 MAKELPARAM(area.left + 40, area.top + 40));
    HWND popup = WaitPopupMenu(p.Pid());
    EXPECT_NE(popup, nullptr) << "no popup menu over the client";
    SendMessageA(frame, WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(WaitCondition([&] { return !FindOf(p.Pid(), "#32768"); }));

    PostMessageA(frame, WM_CLOSE, 0, 0);
    if (Box ask = p.WaitBox(20000); ask.window) p.Press(ask, IDNO);
    EXPECT_EQ(p.WaitExit(), 0u);
}

// The Lorenz graph keeps its picture in a bitmap: erasing clears that too,
// so that no repaint brings the picture back.
TEST_F(AppTest, EraseWindowAndEraseAllLeaveTheGraphBlankThroughARepaint) {
    Program p("/r \"" + Source("examples/lorenz.vr") + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    ASSERT_TRUE(p.WaitRunning(true));
    ASSERT_TRUE(p.WaitRunning(false));
    HWND frame = p.Frame();
    HWND graph = ChildOfClass(frame, "VR_Graph");
    HWND text = ChildOfClass(frame, "VR_Text");
    ASSERT_TRUE(graph && text);
    ASSERT_TRUE(WaitCondition([&] { return ColouredPixels(graph) > 1000; })) << ColouredPixels(graph);

    auto blankThroughRepaint = [&](const char *what) {
        EXPECT_TRUE(WaitCondition([&] { return ColouredPixels(graph) == 0; })) << what << ": " << ColouredPixels(graph);
        InvalidateRect(graph, nullptr, FALSE);
        Sleep(1000);
        EXPECT_EQ(ColouredPixels(graph), 0) << what << " after a repaint";
    };
    PostMessageA(frame, WM_COMMAND, IDM_ERASE_WINDOW, reinterpret_cast<LPARAM>(graph));
    blankThroughRepaint("erase window");

    PostMessageA(frame, WM_COMMAND, IDM_START, 0);
    ASSERT_TRUE(p.WaitRunning(true));
    ASSERT_TRUE(p.WaitRunning(false));
    ASSERT_TRUE(WaitCondition([&] { return ColouredPixels(graph) > 1000; }));
    HWND rich = GetWindow(text, GW_CHILD);
    ASSERT_NE(rich, nullptr);
    EXPECT_GT(SendMessageA(rich, WM_GETTEXTLENGTH, 0, 0), 0);
    PostMessageA(frame, WM_COMMAND, IDM_ERASE_ALL, 0);
    blankThroughRepaint("erase all");
    EXPECT_TRUE(WaitCondition([&] { return SendMessageA(rich, WM_GETTEXTLENGTH, 0, 0) == 0; }));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    if (Box ask = p.WaitBox(20000); ask.window) p.Press(ask, IDNO);
    EXPECT_EQ(p.WaitExit(), 0u);
}

// Full screen gives a graph window's client the whole screen and is shown
// checked; with a text window the client covers the screen. Each mouse
// mode is checked as the current element admits it, in the menu and on the
// right column's buttons. New windows go on to their format dialogs.
TEST_F(AppTest, FullScreenMouseModesAndNewWindowsAsAUserSeesThem) {
    WriteSettings("TOOLBAR3=1555657-1585960616263-17677-17879-174\r\n");
    const std::string problem = Path("decay.vr");
    std::string text = DecayProblem(2, "");
    text.insert(text.find(";\r\n[Text window]"),
                "Graphics element = Circle\r\nx = 0.5\r\ny = 0.5\r\nsize = 1\r\nradius = 0.25\r\nbegin = 0\r\n"
                "end = 360\r\ndirection = 0\r\ncolor = FF\r\nline = 0\r\nsteps = 20\r\n");
    WriteFile(problem, text);
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    HWND frame = p.Frame();
    HWND client = FindWindowExA(frame, nullptr, "MDICLIENT", nullptr);
    HWND graph = ChildOfClass(frame, "VR_Graph");
    HWND textWindow = ChildOfClass(frame, "VR_Text");
    HWND row = ToolbarOf(frame, 0), column = ToolbarOf(frame, 3);
    ASSERT_TRUE(client && graph && textWindow && row && column);
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT before;
    GetWindowRect(frame, &before);
    auto fullScreenShown = [&](bool on) {
        EXPECT_EQ((p.Hook(kTestHookMenuState, IDM_FULL_SCREEN) & MF_CHECKED) != 0, on);
        EXPECT_EQ((ButtonState(row, IDM_FULL_SCREEN) & TBSTATE_CHECKED) != 0, on);
        HWND back = FindWindowExA(nullptr, nullptr, "#32770", "Back");
        EXPECT_EQ(back && ProcessOf(back) == p.Pid() && IsWindowVisible(back), on);
    };

    Activate(frame, graph);
    PostMessageA(frame, WM_COMMAND, IDM_FULL_SCREEN, 0);
    EXPECT_TRUE(WaitCondition([&] { return SameRect(ScreenClientRect(graph), screen); }))
        << RectText(ScreenClientRect(graph));
    fullScreenShown(true);
    PostMessageA(frame, WM_COMMAND, IDM_FULL_SCREEN, 0);
    RECT after;
    EXPECT_TRUE(WaitCondition([&] { return GetWindowRect(frame, &after) && SameRect(after, before); }))
        << RectText(after);
    EXPECT_TRUE(WaitCondition([&] { return !IsZoomed(graph); }));
    fullScreenShown(false);

    Activate(frame, textWindow);
    PostMessageA(frame, WM_COMMAND, IDM_FULL_SCREEN, 0);
    EXPECT_TRUE(WaitCondition([&] { return SameRect(ScreenClientRect(client), screen); }))
        << RectText(ScreenClientRect(client));
    fullScreenShown(true);
    PostMessageA(frame, WM_COMMAND, IDM_FULL_SCREEN, 0);
    EXPECT_TRUE(WaitCondition([&] { return GetWindowRect(frame, &after) && SameRect(after, before); }));
    fullScreenShown(false);

    // A circle admits every mode but "Third point", which becomes "Point".
    Activate(frame, graph);
    Sleep(500);
    for (int id = IDM_MODE_INITIAL_CONDITIONS; id <= IDM_MODE_ROTATE; ++id) {
        Command(frame, id);
        const int shown = id == IDM_MODE_THIRD ? IDM_MODE_POINT : id;
        for (int other = IDM_MODE_INITIAL_CONDITIONS; other <= IDM_MODE_ROTATE; ++other) {
            EXPECT_EQ((p.Hook(kTestHookMenuState, other) & MF_CHECKED) != 0, other == shown) << id << " " << other;
            EXPECT_EQ((ButtonState(column, other) & TBSTATE_CHECKED) != 0, other == shown) << id << " " << other;
        }
    }
    Command(frame, IDM_MODE_SELECT);
    EXPECT_EQ(StatusText(p, 0), "(Select)");
    // In "Origin" a double click moves the circle to the clicked point.
    Command(frame, IDM_MODE_ORIGIN);
    EXPECT_EQ(StatusText(p, 0), "1 (Circle - Origin)");
    RECT r;
    GetClientRect(graph, &r);
    SendMessageA(graph, WM_LBUTTONDBLCLK, 0, MAKELPARAM(r.right / 2, r.bottom / 4));
    Command(frame, IDM_MODE_INITIAL_CONDITIONS);
    Command(frame, IDM_SAVE);
    const std::string saved = ReadFile(problem);
    const size_t circle = saved.find("Graphics element = Circle");
    ASSERT_NE(circle, std::string::npos);
    double x = 0, y = 0;
    ASSERT_EQ(std::sscanf(saved.c_str() + saved.find("\nx", circle), "\nx = %lf\r\ny = %lf", &x, &y), 2)
        << saved.substr(circle, 80);
    EXPECT_NEAR(x, 1, 0.02);
    EXPECT_NEAR(y, 0.75, 0.02);

    struct NewWindow {
        int command;
        const char *dialog;
    } windows[] = {{IDM_NEW_GRAPH, "Graphics Output"}, {IDM_NEW_TEXT, "Text Output"}};
    int children = 2;
    for (const NewWindow &w : windows) {
        PostMessageA(frame, WM_COMMAND, w.command, 0);
        Box format = p.WaitBox(60000);
        ASSERT_NE(format.window, nullptr) << w.dialog;
        EXPECT_EQ(format.caption, w.dialog);
        p.Press(format, IDCANCEL);
        EXPECT_TRUE(WaitGoneOrHidden(format.window));
        EXPECT_TRUE(WaitChildCount(p, ++children)) << w.dialog;
    }
    PostMessageA(frame, WM_CLOSE, 0, 0);
    if (Box ask = p.WaitBox(20000); ask.window) p.Press(ask, IDNO);
    EXPECT_EQ(p.WaitExit(), 0u);
}

// Type: a new dimension reaches an open browser. A dimension whose
// workspace cannot be had asks to exit: Cancel chooses again, OK ends the
// program.
TEST_F(AppTest, TypeRefreshesTheBrowserAndAFailedWorkspaceAsksToExit) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    HWND frame = p.Frame();
    PostMessageA(frame, WM_COMMAND, IDM_INITIAL_BROWSER, 0);
    HWND browser = WindowCaptioned(p.Pid(), "Initial Values");
    ASSERT_NE(browser, nullptr);
    // The initial time, then the dimension's values and two more.
    auto rowsShown = [&](int dimension) {
        return WaitCondition([&] {
            for (int k = 0; k <= 7; ++k)
                if ((IsWindowVisible(GetDlgItem(browser, IDC_BROWSER_VALUE_FIRST + k)) != 0) != (k <= dimension + 2))
                    return false;
            return true;
        }, 30000);
    };
    ASSERT_TRUE(rowsShown(1));

    // Dialog 110 with a dimension typed, then OK; boxes on the way are
    // answered OK up to the one that asks to exit, which is returned.
    // Dialog 110 with a dimension typed, then OK.
    auto chooseDimension = [&](const Box &type, const char *dimension) {
        EXPECT_EQ(type.caption, "Dynamical System Type");
        SendMessageA(GetDlgItem(type.window, IDC_TYPE_DIMENSION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(dimension));
        p.Press(type, IDOK);
    };
    // The boxes that follow are answered: whether to save the changed
    // problem (the windows' sizes change it) No, "Not enough memory" OK;
    // up to the one that asks to exit or dialog 110 again, which is
    // returned, or until the dialog has gone and no box is left.
    auto answerBoxes = [&](HWND typeDialog, bool awaited = false) {
        for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < 120000;) {
            Box b = p.WaitBox(3000, browser);
            if (!b.window) {
                if (!awaited && (!IsWindow(typeDialog) || !IsWindowVisible(typeDialog))) return Box();
                continue;
            }
            if (b.window == typeDialog) {
                Sleep(300);
                continue;
            }
            if (b.caption == "Dynamical System Type" || b.text.find("OK to exit") != std::string::npos) return b;
            EXPECT_TRUE(b.text.find("save it?") != std::string::npos || b.text == "Not enough memory") << b.text;
            p.Press(b, b.text.find("save it?") != std::string::npos ? IDNO : IDOK);
            WaitGoneOrHidden(b.window);
        }
        return Box();
    };
    auto typeCommand = [&]() {
        PostMessageA(frame, WM_COMMAND, IDM_TYPE, 0);
        return p.WaitBox(60000, browser);
    };

    Box type = typeCommand();
    chooseDimension(type, "3");
    EXPECT_EQ(answerBoxes(type.window).window, nullptr);
    EXPECT_TRUE(rowsShown(3));

    type = typeCommand();
    chooseDimension(type, "400000000");
    Box exit = answerBoxes(type.window);
    ASSERT_NE(exit.window, nullptr);
    EXPECT_EQ(exit.text, "Not enough memory, OK to exit the program?");
    p.Press(exit, IDCANCEL);
    type = answerBoxes(exit.window, true);
    ASSERT_NE(type.window, nullptr);
    chooseDimension(type, "2");
    EXPECT_EQ(answerBoxes(type.window).window, nullptr);
    EXPECT_TRUE(rowsShown(2));
    EXPECT_TRUE(p.Alive());

    type = typeCommand();
    chooseDimension(type, "400000000");
    exit = answerBoxes(type.window);
    ASSERT_NE(exit.window, nullptr);
    p.Press(exit, IDOK);
    EXPECT_NE(p.WaitExit(), 999u);
}

// A first start draws texts with the font that ships beside the program:
// the settings file, which has no font list, is given one, and a Text
// element inks the graph. With an empty list of the user's, the same graph
// shows no text.
TEST_F(AppTest, TextsAreDrawnWithTheShippedFontOnAFirstStart) {
    const std::string problem = Path("decay.vr");
    std::string text = DecayProblem(2, "");
    text.insert(text.find(";\r\n[Text window]"),
                "Graphics element = Text\r\nDecay 0.5 (x)\r\nx = 0.2\r\ny = 0.4\r\nsize = 0.25\r\n"
                "radius = 0.15\r\nbegin = 0\r\nend = 0\r\ndirection = 0\r\ncolor = 0\r\nline = 0\r\nsteps = 0\r\n");
    WriteFile(problem, text);
    auto graphInk = [&](bool expectText) {
        Program p("\"" + problem + "\"");
        EXPECT_NE(p.WaitFrame(), nullptr);
        EXPECT_TRUE(p.WaitChildren(2));
        HWND graph = ChildOfClass(p.Frame(), "VR_Graph");
        EXPECT_NE(graph, nullptr);
        if (!graph) return -1;
        Activate(p.Frame(), graph);
        int ink = 0;
        if (expectText) {
            WaitCondition([&] { return (ink = InkPixels(graph)) > 300; });
        } else {
            InvalidateRect(graph, nullptr, FALSE);
            Sleep(3000);
            ink = InkPixels(graph);
        }
        PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
        EXPECT_EQ(p.WaitExit(), 0u);
        return ink;
    };

    const int withFont = graphInk(true);
    for (int n = 0; n < 5; ++n) EXPECT_EQ(IniValue("Plain " + std::to_string(n)), ":Plain.ft") << n;
    WriteSettings("[Font files]\r\n");
    const int without = graphInk(false);
    EXPECT_EQ(IniValue("Plain 0"), "");
    EXPECT_GT(withFont, without + 300) << withFont << " with the font, " << without << " without";
}

// A button size chosen in the preferences builds the toolbars again at that
// size, and the client moves below the taller row.
TEST_F(AppTest, AButtonSizeChosenInThePreferencesRebuildsTheToolbars) {
    Program p("");
    ASSERT_NE(p.WaitFrame(), nullptr);
    Sleep(1500);
    HWND bar = ToolbarOf(p.Frame(), 0);
    ASSERT_NE(bar, nullptr);
    const LRESULT small = SendMessageA(bar, TB_GETBUTTONSIZE, 0, 0);
    // Stop has nothing to stop: not a plain enabled button.
    const int stop = ButtonState(bar, IDM_STOP), create = ButtonState(bar, IDM_NEW);
    EXPECT_NE(stop, TBSTATE_ENABLED);

    PostMessageA(p.Frame(), WM_COMMAND, IDM_PREFERENCES, 0);
    Box prefs = p.WaitBox(60000);
    ASSERT_EQ(prefs.caption, "Preferences");
    for (int id : {IDC_PREF_SMALL, IDC_PREF_MEDIUM, IDC_PREF_BIG})
        SendMessageA(GetDlgItem(prefs.window, id), BM_SETCHECK, id == IDC_PREF_BIG ? BST_CHECKED : BST_UNCHECKED, 0);
    p.Press(prefs, IDOK);

    HWND big = nullptr;
    ASSERT_TRUE(WaitCondition([&] {
        big = ToolbarOf(p.Frame(), 0);
        return big && !IsWindow(bar) && SendMessageA(big, TB_GETBUTTONSIZE, 0, 0) != small;
    }, 30000));
    const LRESULT size = SendMessageA(big, TB_GETBUTTONSIZE, 0, 0);
    EXPECT_GT(LOWORD(size), LOWORD(small));
    EXPECT_GT(HIWORD(size), HIWORD(small));
    // Its buttons are the first row's, with their states given back.
    EXPECT_EQ(SendMessageA(big, TB_BUTTONCOUNT, 0, 0), 33);
    EXPECT_EQ(ButtonState(big, IDM_STOP), stop);
    EXPECT_EQ(ButtonState(big, IDM_NEW), create);
    RECT client, barRect;
    ASSERT_TRUE(WaitCondition([&] {
        GetWindowRect(FindWindowExA(p.Frame(), nullptr, "MDICLIENT", nullptr), &client);
        GetWindowRect(big, &barRect);
        return client.top >= barRect.bottom - 1;
    }, 10000)) << client.top << " above " << barRect.bottom;

    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}

// A new dimension replaces the problem: a changed problem is offered for
// saving first; Cancel keeps the old dimension, No takes the new one.
TEST_F(AppTest, ADimensionChangeAsksToSaveTheChangedProblemAndCancelKeepsIt) {
    const std::string problem = Path("decay.vr");
    WriteFile(problem, DecayProblem(2, ""));
    Program p("\"" + problem + "\"");
    ASSERT_NE(p.WaitFrame(), nullptr);
    ASSERT_TRUE(p.WaitChildren(2));
    NewWindowCommand(p, IDM_NEW_TEXT);
    ASSERT_TRUE(WaitCondition([&] { return p.Hook(kTestHookChildCount) == 3; }, 10000));
    ASSERT_EQ(p.Hook(kTestHookProblemChanged), 1);
    const std::string before = ReadFile(problem);

    // Dialog 110 opened; its dimension read, or typed and OK pressed.
    auto openType = [&] {
        PostMessageA(p.Frame(), WM_COMMAND, IDM_TYPE, 0);
        Box type = p.WaitBox(60000);
        EXPECT_EQ(type.caption, "Dynamical System Type");
        return type;
    };
    auto dimensionShown = [&] {
        Box type = openType();
        const std::string shown = Text(GetDlgItem(type.window, IDC_TYPE_DIMENSION));
        p.Press(type, IDCANCEL);
        WaitGoneOrHidden(type.window);
        return shown;
    };
    auto askedOnNewDimension = [&](int answer) {
        Box type = openType();
        SendMessageA(GetDlgItem(type.window, IDC_TYPE_DIMENSION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("3"));
        p.Press(type, IDOK);
        Box ask = p.WaitBox(30000, type.window);
        if (ask.window) {
            p.Press(ask, answer);
            WaitGoneOrHidden(ask.window);
        }
        WaitGoneOrHidden(type.window);
        return ask.text;
    };

    EXPECT_NE(askedOnNewDimension(IDCANCEL).find("The problem has been changed"), std::string::npos);
    EXPECT_EQ(dimensionShown(), "1");
    EXPECT_EQ(p.Hook(kTestHookProblemChanged), 1);
    EXPECT_NE(askedOnNewDimension(IDNO).find("The problem has been changed"), std::string::npos);
    EXPECT_EQ(dimensionShown(), "3");
    EXPECT_EQ(ReadFile(problem), before);  // neither answer saved

    PostMessageA(p.Frame(), WM_CLOSE, 0, 0);
    Box ask = p.WaitBox(10000);
    if (ask.window) p.Press(ask, IDNO);
    EXPECT_EQ(p.WaitExit(), 0u);
}
