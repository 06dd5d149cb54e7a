// A run of a compiled problem into a real graph window under Wine: the
// built-in integrator, the Win32 run host and the GDI surface; the pixels
// of the window and its display list are read back.
#include <windows.h>

#include <cmath>

#include <gtest/gtest.h>

#include "compiler.h"
#include "display_list.h"
#include "graph_window_win32.h"
#include "plotting.h"
#include "problem_settings.h"
#include "run_engine.h"
#include "run_host.h"
#include "run_host_win32.h"
#include "settings.h"
#include "solver_method.h"
#include "window_helpers.h"
#include "workspace.h"

namespace {

LRESULT CALLBACK GraphProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
    case WM_CREATE: return OnGraphCreate(w);
    case WM_DESTROY: OnGraphDestroy(w); break;
    default: break;
    }
    return DefWindowProcA(w, m, wp, lp);
}

struct RecordMax {
    double radiusError = 0;
    int lines = 0, points = 0;
};

int CheckOnCircle(const DisplayRecord &r, void *context) {
    RecordMax *m = static_cast<RecordMax *>(context);
    if (r.opcode == kDisplayPen) return 0;
    r.opcode == kDisplayLine ? ++m->lines : ++m->points;
    const double e = std::fabs(std::hypot(r.x, r.y) - 1);
    if (e > m->radiusError) m->radiusError = e;
    return 0;
}

class PlottingRun : public ::testing::Test {
protected:
    HWND graph = nullptr;
    unsigned used = 0;
    int ownDc = 0;

    void SetUp() override {
        // Pens stay selected in the class context between points.
        ownDc = gOwnDc;
        gOwnDc = 1;
        // The graph class of this suite only: other suites of the program
        // register it with procedures of their own.
        UnregisterClassA(kGraphWindowClass, GetModuleHandleA(nullptr));
        WNDCLASSA wc = {};
        wc.style = CS_OWNDC;  // as with the option "Own DC"
        wc.lpfnWndProc = GraphProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.cbWndExtra = kGraphWindowExtraBytes;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kGraphWindowClass;
        ASSERT_TRUE(RegisterClassA(&wc));
        wc.lpfnWndProc = DefWindowProcA;
        wc.style = 0;
        wc.cbWndExtra = 0;
        wc.lpszClassName = "VR_TestPlotFrame";
        RegisterClassA(&wc);
        gFrameWindow = CreateWindowA("VR_TestPlotFrame", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                     400, 400, nullptr, nullptr, nullptr, nullptr);
        CLIENTCREATESTRUCT ccs = {};
        gMdiClient = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 300, 300, gFrameWindow,
                                   nullptr, nullptr, &ccs);
        ASSERT_TRUE(gMdiClient);

        // x'' = -x from (1, 0): the unit circle in the (x, x') plane.
        gProblemKind = kOdeSystem;
        gDimension = 2;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        ResetProblemSettings();
        gEquationCode[0] = Compile("x[2]");
        gEquationCode[1] = Compile("-x[1]");
        gInitialFunctionCode[0] = Compile("1");
        gInitialFunctionCode[1] = Compile("0");
        gInitialValues[0] = 1;
        gInitialValues[1] = 0;
        gShootingIterations = 0;
        gStatusFrequency = 0;
        gLastValue = 6.3;
        gOutputStep = 0.01;
        gInterpolate = 1;
        gRetardedPoints = 10;  // interpolation needs a history
        gTolerance = 1e-10;

        graph = CreateWindowA(kGraphWindowClass, "circle", WS_CHILD | WS_VISIBLE, 0, 0, 201, 201, gMdiClient,
                              nullptr, nullptr, nullptr);
        ASSERT_TRUE(graph);
        GraphWindowState *g = GraphStateOf(graph);
        ASSERT_TRUE(g);
        g->xMin = g->yMin = -2;
        g->xMax = g->yMax = 2;
        g->clientMaxX = g->clientMaxY = 200;
        g->aspectMode = 0;
        g->capture = -1;
        g->drawingColor = 0x0000FF;
        g->drawingWidth = 1;
        g->axisCode[0] = Compile("x[1]");
        g->axisCode[1] = Compile("x[2]");
        // Wine's first exposures arrive late; a paint during the run would
        // erase what it drew (this window has no repaint of its own).
        for (DWORD start = GetTickCount(); GetTickCount() - start < 300;) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            Sleep(10);
        }
        UpdateWindow(graph);

        gRunHost = RunHost{};
        InstallWin32RunHost(nullptr, nullptr);
        gRunHost.compileProblem = [] { return 1; };  // compiled above
        gRunState = RunState{};
        ResetSolverMethod(1);
    }
    void TearDown() override {
        DestroyWindow(gFrameWindow);
        gFrameWindow = gMdiClient = nullptr;
        gOwnDc = ownDc;
        UnregisterClassA(kGraphWindowClass, GetModuleHandleA(nullptr));
        gRunHost = RunHost{};
        gPlotHost = PlotHost{};
        gGraphSurface = GraphSurface{};
        gCurrentGraph = nullptr;
        ResetSolverMethod(1);
        gRunState = RunState{};
        FreeProblemWorkspace();
        ResetProblemSettings();
        gProblemKind = kSingleOde;
        gDimension = 2;
    }
    PcodeProgram *Compile(const char *text) {
        unsigned char *at = gPcodeBuffer + used;
        const int length = CompileExpression(text, at, static_cast<int>(gPcodeLength - used));
        EXPECT_GT(length, 0) << text;
        used += length;
        return reinterpret_cast<PcodeProgram *>(at);
    }
    // A pixel of the drawing colour within one pixel of (x, y).
    bool RedNear(HDC dc, int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (GetPixel(dc, x + dx, y + dy) == RGB(255, 0, 0)) return true;
        return false;
    }
};

TEST_F(PlottingRun, ARunDrawsTheTrajectoryIntoTheWindowAndItsDisplayList) {
    StartSolving();
    GraphWindowState *g = GraphStateOf(graph);
    ASSERT_TRUE(g);
    RecordMax m;
    WalkDisplayList(g, CheckOnCircle, &m);
    EXPECT_EQ(m.points, 1);  // the start of the one trajectory
    EXPECT_GE(m.lines, 600);
    EXPECT_LT(m.radiusError, 1e-6);

    // The circle of radius 1 is 50 pixels round the centre (100, 100); the
    // centre and the corners stay white.
    HDC dc = GetDC(graph);
    EXPECT_TRUE(RedNear(dc, 150, 100));
    EXPECT_TRUE(RedNear(dc, 100, 50));
    EXPECT_TRUE(RedNear(dc, 50, 100));
    EXPECT_TRUE(RedNear(dc, 100, 150));
    EXPECT_TRUE(RedNear(dc, 135, 65));  // 45 degrees
    EXPECT_EQ(GetPixel(dc, 100, 100), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 255, 255));

    // A replay after erasing draws the same circle again from the list.
    RECT r = {0, 0, 201, 201};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_FALSE(RedNear(dc, 150, 100));
    gCurrentGraph = g;
    gDrawDc = FromHdc(dc);
    ReplayDisplayList();
    gDrawDc = 0;
    EXPECT_TRUE(RedNear(dc, 150, 100));
    EXPECT_TRUE(RedNear(dc, 100, 150));
    ReleaseDC(graph, dc);
}

}  // namespace
