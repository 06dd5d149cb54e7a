// Printing for real under Wine: a PostScript printer in the test prefix
// whose port is a file, a Lorenz graph in an MDI frame of the test's own,
// and Ghostscript (started from the Wine side as the Unix program it is)
// rendering what was printed, so that pictures are compared, not bytes.
#include <windows.h>

#include <richedit.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "compile_helper.h"
#include "compiler.h"
#include "display_list.h"
#include "graph_pictures.h"
#include "graph_pipeline.h"
#include "graph_window_win32.h"
#include "plotting.h"
#include "printing_win32.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "run_engine.h"
#include "run_host.h"
#include "run_host_win32.h"
#include "solver_method.h"
#include "test_printer.h"
#include "win32_modal.h"
#include "window_helpers.h"
#include "workspace.h"

namespace {

// The window's picture as the printing code captures it.
Image WindowPicture(HWND window) {
    Image image;
    HBITMAP picture = CaptureGraphBitmap(window, false);
    if (!picture) return image;
    BITMAP bm;
    GetObjectA(picture, sizeof bm, &bm);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = -bm.bmHeight;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    const int stride = (bm.bmWidth * 3 + 3) & ~3;
    std::vector<unsigned char> rows(static_cast<size_t>(stride) * bm.bmHeight);
    HDC screen = GetDC(nullptr);
    const int got = GetDIBits(screen, picture, 0, bm.bmHeight, rows.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(picture);
    if (got != bm.bmHeight) return image;
    image.width = bm.bmWidth;
    image.height = bm.bmHeight;
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const unsigned char *p = &rows[static_cast<size_t>(y) * stride + 3 * x];
            unsigned char *q = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
        }
    return image;
}

void Drain(DWORD milliseconds = 0) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (milliseconds) Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

LRESULT CALLBACK FrameProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        CLIENTCREATESTRUCT client = {nullptr, 9001};
        gMdiClient = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 0, 0,
                                     w, reinterpret_cast<HMENU>(1), GetModuleHandleA(nullptr), &client);
        return 0;
    }
    return DefFrameProcA(w, gMdiClient, message, wParam, lParam);
}

HWND gPrintFrame, gPrintClient;
bool gPrinterReady, gGhostscriptReady;
int gTotalX, gTotalY, gOffsetX, gOffsetY;

// A red Lorenz attractor, x across and z up over -25..25 and 0..50, in a
// 300 x 300 graph window.
class Printing : public ::testing::Test {
protected:
    HWND graph = nullptr;
    unsigned used = 0;

    static void SetUpTestSuite() {
        gPrinterReady = InstallTestPrinter(VR_SOURCE_DIR);
        gGhostscriptReady = GhostscriptInstalled();
        if (gPrinterReady) {
            HDC dc = CreateDCA(nullptr, kPrinterName, nullptr, nullptr);
            if (dc) {
                gTotalX = GetDeviceCaps(dc, HORZRES);
                gTotalY = GetDeviceCaps(dc, VERTRES);
                gOffsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
                gOffsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
                DeleteDC(dc);
            }
        }
    }
    static void TearDownTestSuite() {
        if (gPrintFrame) DestroyWindow(gPrintFrame);
        gFrameWindow = gMdiClient = gPrintFrame = gPrintClient = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(gPrinterReady) << "the test printer could not be installed";
        ASSERT_GT(gTotalX, 0);
        if (!gGhostscriptReady) GTEST_SKIP() << "Ghostscript is not installed";
        HINSTANCE instance = GetModuleHandleA(nullptr);
        UnregisterClassA(kGraphWindowClass, instance);
        ASSERT_TRUE(RegisterGraphWindowClass(instance));
        InstallCursorHost();  // as the platform installs it
        if (!gPrintFrame) {
            WNDCLASSA c = {};
            c.hInstance = instance;
            c.hCursor = LoadCursor(nullptr, IDC_ARROW);
            c.lpfnWndProc = FrameProc;
            c.lpszClassName = "VR_TestPrintFrame";
            RegisterClassA(&c);
            gFrameWindow = CreateWindowExA(0, "VR_TestPrintFrame", "Frame",
                                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 900, 700,
                                           nullptr, nullptr, instance, nullptr);
            ASSERT_TRUE(gFrameWindow);
            gPrintFrame = gFrameWindow;
            gPrintClient = gMdiClient;
        }
        gFrameWindow = gPrintFrame;
        gMdiClient = gPrintClient;
        gProblemKind = kOdeSystem;
        gDimension = 3;
        gParameterCount = 0;
        gRunHost = RunHost{};
        InstallWin32RunHost(nullptr, nullptr);
        gRunState = RunState{};
        gGraphWindowHooks = GraphWindowHooks{};
        gPrintWithoutDialog = 0;
        IgnoreDialogsCaptioned("Vantorel is printing");
        DeleteFileA(kPortFile);
        DrawLorenz();
    }
    void TearDown() override {
        IgnoreDialogsCaptioned(nullptr);
        if (graph) SendMessageA(gMdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(graph), 0);
        Drain();
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

    unsigned char *Code(const char *text) { return reinterpret_cast<unsigned char *>(CompileIntoBuffer(text, &used)); }

    void DrawLorenz() {
        ASSERT_EQ(NewProblemWorkspace(), 1);
        ResetProblemSettings();
        const char *equations[] = {"10*(x[2]-x[1])", "x[1]*(28-x[3])-x[2]", "x[1]*x[2]-2.66666666666667*x[3]"};
        for (int i = 0; i < 3; ++i) {
            gEquationCode[i] = Code(equations[i]);
            gInitialFunctionCode[i] = Code("1");
            gInitialValues[i] = 1;
        }
        gShootingIterations = 0;
        gStatusFrequency = 0;
        gLastValue = 20;
        gOutputStep = 0.01;
        gInterpolate = 1;
        gRetardedPoints = 10;
        gTolerance = 1e-8;
        gRunHost.compileProblem = [] { return 1; };

        MDICREATESTRUCTA create = {};
        create.szClass = kGraphWindowClass;
        create.szTitle = "Lorenz";
        create.hOwner = GetModuleHandleA(nullptr);
        create.cx = 340;
        create.cy = 360;
        graph = reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
        ASSERT_TRUE(graph);
        RECT window, client;
        GetWindowRect(graph, &window);
        GetClientRect(graph, &client);
        SetWindowPos(graph, nullptr, 0, 0, window.right - window.left + 300 - client.right,
                     window.bottom - window.top + 300 - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
        Drain(300);
        GraphWindowState *g = GraphStateOf(graph);
        ASSERT_TRUE(g);
        g->aspectMode = 0;
        g->capture = -1;
        SetBackingBitmapMode(g, 0);
        g->drawingColor = 0x0000FF;
        g->drawingWidth = 0;
        g->axisCode[0] = CompileIntoBuffer("x[1]", &used);
        g->axisCode[1] = CompileIntoBuffer("x[3]", &used);
        g->xMin = -25;
        g->xMax = 25;
        g->yMin = 0;
        g->yMax = 50;
        gCurrentGraph = g;
        UpdateGraphMapping();
        StartSolving();
        Drain(100);
        ASSERT_TRUE(g->displayFirst);
        ASSERT_EQ(g->clientMaxX, 299);
        ASSERT_EQ(g->clientMaxY, 299);
    }

    // Own print settings of the window: the area in printer pixels.
    void Settings(int mode, int left, int top, int width, int height) {
        PrintSettings &p = GraphStateOf(graph)->print;
        p.ownSettings = 1;
        p.totalX = gTotalX;
        p.totalY = gTotalY;
        p.leftMargin = left;
        p.topMargin = top;
        p.printWidth = width;
        p.printHeight = height;
        p.mode = mode;
        p.pixelsPerPoint = 10;
        p.basicWidth = 1;
        p.frameWidth = 0;
        p.includeElements = 0;
        p.preserveAspect = 0;
        p.eps = 0;
    }
    void SetEps(const char *file, const char *program = nullptr, const char *parameters = nullptr, int del = 0) {
        PrintSettings &p = GraphStateOf(graph)->print;
        p.eps = 1;
        std::free(p.epsFile);
        p.epsFile = _strdup(file);
        std::free(p.postProgram);
        p.postProgram = _strdup(program ? program : "");
        std::free(p.postArguments);
        p.postArguments = _strdup(parameters ? parameters : "");
        p.postProcess = program != nullptr;
        p.postDelete = del;
    }

    // The attractor's box in printer pixels for an area, from the points.
    RECT ExpectedBox(int left, int top, int width, int height) {
        GraphWindowState *g = GraphStateOf(graph);
        RECT r = {1 << 30, 1 << 30, -(1 << 30), -(1 << 30)};
        WalkDisplayList(g, [](const DisplayRecord &d, void *c) {
            RECT *r = static_cast<RECT *>(c);
            if (d.opcode != kDisplayPoint && d.opcode != kDisplayLine) return 0;
            const LONG x = static_cast<LONG>((d.x + 25) / 50 * 100000), y = static_cast<LONG>((50 - d.y) / 50 * 100000);
            r->left = std::min(r->left, x);
            r->right = std::max(r->right, x);
            r->top = std::min(r->top, y);
            r->bottom = std::max(r->bottom, y);
            return 0;
        }, &r);
        return RECT{left + MulDiv(r.left, width - 1, 100000), top + MulDiv(r.top, height - 1, 100000),
                    left + MulDiv(r.right, width - 1, 100000), top + MulDiv(r.bottom, height - 1, 100000)};
    }
};

// Printer pixels to pixels of a 60-dpi rendering of the page.
int PageX(int x) { return (gOffsetX + x + 5) / 10; }
int PageY(int y) { return (gOffsetY + y + 5) / 10; }

void ExpectBoxNear(const RECT &a, const RECT &b, int tolerance, const char *what) {
    EXPECT_NEAR(a.left, b.left, tolerance) << what;
    EXPECT_NEAR(a.top, b.top, tolerance) << what;
    EXPECT_NEAR(a.right, b.right, tolerance) << what;
    EXPECT_NEAR(a.bottom, b.bottom, tolerance) << what;
}

TEST_F(Printing, TheGraphPrintedAsVectorsAndAsABitmapLiesInThePrintArea) {
    const int left = 1000, top = 1200, width = 2400, height = 2400;
    const RECT expected = ExpectedBox(left, top, width, height);
    const RECT onPage = {PageX(expected.left), PageY(expected.top), PageX(expected.right), PageY(expected.bottom)};
    struct Case {
        int mode;
        const char *what;
        int tolerance;
    } cases[] = {{1, "vectors", 1}, {2, "bitmap stretched", 3}};
    for (const Case &c : cases) {
        Settings(c.mode, left, top, width, height);
        DeleteFileA(kPortFile);
        {
            ModalScript answer({ModalStep(IDOK)});
            PrintGraphWindow(gFrameWindow, graph);
            ASSERT_EQ(answer.Results().size(), 1u) << c.what;
            EXPECT_EQ(answer.Results()[0].caption, "Print");
        }
        EXPECT_TRUE(IsWindowEnabled(gFrameWindow));
        EXPECT_FALSE(gPrintingDialog);
        const Image page = Render(kPortFile, 60, false);
        ASSERT_GT(page.width, 0) << c.what;
        EXPECT_EQ(page.width, 496);
        const RECT box = page.Box();
        ExpectBoxNear(box, onPage, c.tolerance, c.what);
        EXPECT_GT(page.Count(), 1000) << c.what;
        // The attractor's red comes through.
        bool red = false;
        for (int y = box.top; y <= box.bottom && !red; ++y)
            for (int x = box.left; x <= box.right && !red; ++x) {
                const unsigned char *p = page.at(x, y);
                red = p[0] > 150 && p[1] < 100 && p[2] < 100;
            }
        EXPECT_TRUE(red) << c.what;
    }
}

// A device that scales by a power of two takes the clip rectangle in its
// scaled coordinates: with factor 1 the area is clipped to half its
// coordinates, and only the part of the picture inside that shows.
TEST_F(Printing, TheClipFollowsTheScalingFactorTheDeviceReports) {
    const int left = 1000, top = 1200, width = 2400, height = 2400;
    const RECT expected = ExpectedBox(left, top, width, height);
    const RECT clip = {left >> 1, top >> 1, (left + width) >> 1, (top + height) >> 1};
    ASSERT_LT(clip.right, expected.right);
    ASSERT_LT(clip.bottom, expected.bottom);
    bool (*const saved)(HDC, POINT *) = gQueryPrinterScaling;
    gQueryPrinterScaling = [](HDC, POINT *factor) {
        factor->x = factor->y = 1;
        return true;
    };
    Settings(1, left, top, width, height);
    {
        ModalScript answer({ModalStep(IDOK)});
        PrintGraphWindow(gFrameWindow, graph);
        answer.Results();
    }
    gQueryPrinterScaling = saved;
    const Image page = Render(kPortFile, 60, false);
    ASSERT_GT(page.width, 0);
    ASSERT_GT(page.Count(), 100);
    const RECT box = page.Box();
    EXPECT_GE(box.left, PageX(expected.left) - 1);
    EXPECT_GE(box.top, PageY(expected.top) - 1);
    EXPECT_LE(box.right, PageX(clip.right) + 1);
    EXPECT_LE(box.bottom, PageY(clip.bottom) + 1);
}

TEST_F(Printing, BitmapTimesTwoPrintsAtTwicePixelSizeFromTheCorner) {
    Settings(4, 1200, 1000, 100, 100);
    ASSERT_EQ(WindowPicture(graph).width, 300);
    ModalScript answer({ModalStep(IDOK)});
    PrintGraphWindow(gFrameWindow, graph);
    answer.Results();
    const Image page = Render(kPortFile, 60, false);
    ASSERT_GT(page.width, 0);
    // The area's size follows the window: 600 printer pixels at factor 2.
    const RECT expected = ExpectedBox(1200, 1000, 600, 600);
    ExpectBoxNear(page.Box(), RECT{PageX(expected.left), PageY(expected.top), PageX(expected.right),
                                  PageY(expected.bottom)}, 3, "bitmap x 2");
}

struct FindCaption {
    const char *caption;
    HWND found;
};
BOOL CALLBACK FindCaptionProc(HWND w, LPARAM l) {
    FindCaption *f = reinterpret_cast<FindCaption *>(l);
    char text[64], cls[16];
    GetWindowTextA(w, text, sizeof text);
    GetClassNameA(w, cls, sizeof cls);
    if (IsWindowVisible(w) && !std::strcmp(cls, "#32770") && !std::strcmp(text, f->caption)) {
        f->found = w;
        return FALSE;
    }
    return TRUE;
}

// Finds the dialog of thread that shows caption; null after timeout.
HWND WaitForDialog(DWORD thread, const char *caption, DWORD timeout = 30000) {
    FindCaption find = {caption, nullptr};
    const DWORD start = GetTickCount();
    while (!find.found && GetTickCount() - start < timeout) {
        EnumThreadWindows(thread, FindCaptionProc, reinterpret_cast<LPARAM>(&find));
        if (!find.found) Sleep(20);
    }
    return find.found;
}

// The light grey of the print area in the preview.
RECT GreyBox(HWND page) {
    RECT client;
    GetClientRect(page, &client);
    HDC dc = GetDC(page);
    RECT r = {client.right, client.bottom, -1, -1};
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x)
            if (GetPixel(dc, x, y) == RGB(192, 192, 192)) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x);
                r.bottom = std::max<LONG>(r.bottom, y);
            }
    ReleaseDC(page, dc);
    return r;
}

int FieldValue(HWND dialog, int id) {
    char text[32];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return std::atoi(text);
}

TEST_F(Printing, DraggingTheAreaInThePreviewMovesThePrintedPage) {
    const int left = 1000, top = 1200, width = 2400, height = 2400;
    Settings(1, left, top, width, height);
    struct Seen {
        RECT before{}, after{};
        int left = 0, top = 0, width = 0, bottom = 0;
        bool found = false;
    } seen;
    const DWORD thread = GetCurrentThreadId();
    std::thread watcher([&] {
        HWND dialog = WaitForDialog(thread, "Print");
        if (!dialog) return;
        seen.found = true;
        Sleep(300);
        HWND page = GetDlgItem(dialog, IDC_PRINT_PAGE);
        seen.before = GreyBox(page);
        const int x = (seen.before.left + seen.before.right) / 2, y = (seen.before.top + seen.before.bottom) / 2;
        SendMessageA(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(page, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 5, y + 8));
        SendMessageA(page, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 10, y + 16));
        SendMessageA(page, WM_LBUTTONUP, 0, MAKELPARAM(x + 10, y + 16));
        Sleep(200);
        seen.after = GreyBox(page);
        seen.left = FieldValue(dialog, IDC_PRINT_LEFT);
        seen.top = FieldValue(dialog, IDC_PRINT_TOP);
        seen.width = FieldValue(dialog, IDC_PRINT_WIDTH);
        seen.bottom = FieldValue(dialog, IDC_PRINT_BOTTOM);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    PrintGraphWindow(gFrameWindow, graph);
    watcher.join();
    ASSERT_TRUE(seen.found);
    // The preview's scale, per direction: the drag moved the grey area and
    // the margins by the same amount.
    const double scaleX = static_cast<double>(seen.before.right - seen.before.left) / width;
    const double scaleY = static_cast<double>(seen.before.bottom - seen.before.top) / height;
    EXPECT_NEAR(seen.after.left - seen.before.left, 10, 1);
    EXPECT_NEAR(seen.after.top - seen.before.top, 16, 1);
    EXPECT_EQ(seen.after.right - seen.after.left, seen.before.right - seen.before.left);
    // The fields followed, the size did not change.
    EXPECT_NEAR(seen.left - left, 10 / scaleX, 1.5 / scaleX);
    EXPECT_NEAR(seen.top - top, 16 / scaleY, 1.5 / scaleY);
    EXPECT_EQ(seen.width, width);
    EXPECT_EQ(seen.bottom, gTotalY - seen.top - height);
    const PrintSettings &stored = GraphStateOf(graph)->print;
    EXPECT_EQ(stored.leftMargin, seen.left);
    EXPECT_EQ(stored.topMargin, seen.top);

    const RECT expected = ExpectedBox(seen.left, seen.top, width, height);
    const Image page = Render(kPortFile, 60, false);
    ASSERT_GT(page.width, 0);
    ExpectBoxNear(page.Box(), RECT{PageX(expected.left), PageY(expected.top), PageX(expected.right),
                                  PageY(expected.bottom)}, 1, "after the drag");
}

TEST_F(Printing, UnitsShowTheMarginsConverted) {
    Settings(1, 551, 1200, 2400, 2400);
    GraphStateOf(graph)->print.unit = 4;
    ModalScript answer({ModalStep(IDCANCEL)});
    PrintGraphWindow(gFrameWindow, graph);
    ASSERT_EQ(answer.Results().size(), 1u);
    const ModalCapture &c = answer.Results()[0];
    // 551 printer pixels of 600 dpi are 66 points.
    const int page = GetDeviceCaps(CreateDCA(nullptr, kPrinterName, nullptr, nullptr), HORZSIZE) * 10;
    const int expected = MulDiv(MulDiv(551, page, gTotalX), 72, 254);
    EXPECT_EQ(c.controlTexts.at(IDC_PRINT_LEFT), std::to_string(expected));
    EXPECT_EQ(c.controlTexts.at(IDC_PRINT_DEVICE), kPrinterName);
    // Cancel leaves the window's settings alone.
    EXPECT_EQ(GraphStateOf(graph)->print.leftMargin, 551);
    EXPECT_EQ(GraphStateOf(graph)->print.unit, 4);
}

TEST_F(Printing, ATextWindowsLinesReachThePage) {
    LoadLibraryA("riched20.dll");
    HWND window = CreateWindowExA(0, "STATIC", "Results of the run", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    // Unwrapped lines, as a text window keeps them.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_HSCROLL | ES_MULTILINE | ES_AUTOHSCROLL;
    HWND edit = CreateWindowExA(0, RICHEDIT_CLASSA, "", style, 0, 0, 380, 280, window, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
    ASSERT_TRUE(edit);
    std::string text = "first line alpha\r\n\r\nthird line gamma\r\n";
    text += std::string(150, 'x') + "END\r\nlast line omega";
    SetWindowTextA(edit, text.c_str());
    gPrintWithoutDialog = 1;
    PrintTextWindow(nullptr, window, edit);
    const std::string printed = ExtractText(kPortFile);
    EXPECT_NE(printed.find("first line alpha"), std::string::npos) << printed;
    EXPECT_NE(printed.find("third line gamma"), std::string::npos);
    EXPECT_NE(printed.find("last line omega"), std::string::npos);
    EXPECT_NE(printed.find("Results of the run"), std::string::npos);
    EXPECT_NE(printed.find("1 of 1"), std::string::npos);
    // The long line continues on a row marked "+".
    EXPECT_NE(printed.find("+"), std::string::npos);
    EXPECT_NE(printed.find("END"), std::string::npos);

    // Only the selection: from the middle of the first line to the start of
    // the third leaves the third out.
    DeleteFileA(kPortFile);
    SendMessageA(edit, EM_SETSEL, 6, 20);  // "line alpha\r\n\r\n" up to column 0 of line 3
    PrintEditText(nullptr, edit, "Selection");
    // The command-line mode prints everything: no dialog offers "Selection".
    EXPECT_NE(ExtractText(kPortFile).find("third line gamma"), std::string::npos);

    SetWindowTextA(edit, "");
    {
        ModalAnswerer box(IDOK);
        PrintTextWindow(nullptr, window, edit);
        EXPECT_EQ(box.Result().text, "No line to print");
    }
    DestroyWindow(window);
}

TEST_F(Printing, EpsThroughTheDialogRendersToTheWindowsPicture) {
    const int left = 1000, top = 1200, width = 2000, height = 2000;
    const char *eps = "C:\\vr-print\\graph.eps";
    DeleteFileA(eps);
    const Image picture = WindowPicture(graph);
    ASSERT_EQ(picture.width, 300);
    const int windowInk = picture.Count();
    const RECT windowBox = picture.Box();
    ASSERT_GT(windowInk, 1000);
    // At this resolution the print area is the window's 300 x 300 pixels.
    const double dpi = 300.0 * 600 / width;
    for (int mode : {1, 2}) {
        Settings(mode, left, top, width, height);
        SetEps(eps);
        {
            // The second time the file exists: "OK to overwrite?". A step
            // more would press the progress dialog's Cancel.
            std::vector<ModalStep> steps = {ModalStep(IDOK)};
            if (mode == 2) steps.push_back(ModalStep(IDOK));
            ModalScript answer(steps);
            PrintGraphWindow(gFrameWindow, graph);
            ASSERT_EQ(answer.Results().size(), mode == 1 ? 1u : 2u);
        }
        const std::string text = ReadWholeFile(eps);
        ASSERT_EQ(text.compare(0, 23, "%!PS-Adobe-2.0 EPSF-2.0"), 0);
        EXPECT_NE(text.find("%%Title: Lorenz"), std::string::npos);
        const Image image = Render(eps, dpi, true);
        ASSERT_GT(image.width, 0) << mode;
        EXPECT_NEAR(image.width, 300, 2);
        EXPECT_NEAR(image.height, 300, 2);
        ExpectBoxNear(image.Box(), windowBox, 2, mode == 1 ? "EPS vectors" : "EPS bitmap");
        EXPECT_NEAR(image.Count(), windowInk, windowInk * (mode == 1 ? 0.25 : 0.05)) << mode;
    }
}

TEST_F(Printing, ThePostProgramConvertsTheEpsOrKeepsItWhenItFails) {
    const char *eps = "C:\\vr-print\\post.eps";
    DeleteFileA(eps);
    std::string monoscribe = std::string(VR_BINARY_DIR) + "/tools/monoscribe/Monoscribe.exe";
    std::string dosMonoscribe = "Z:" + monoscribe;
    std::replace(dosMonoscribe.begin(), dosMonoscribe.end(), '/', '\\');
    ASSERT_NE(GetFileAttributesA(dosMonoscribe.c_str()), INVALID_FILE_ATTRIBUTES) << dosMonoscribe;
    Settings(1, 1000, 1200, 2000, 2000);
    SetEps(eps, dosMonoscribe.c_str(), "-B %@%");
    {
        ModalScript answer({ModalStep(IDOK)});
        PrintGraphWindow(gFrameWindow, graph);
    }
    ASSERT_NE(GetFileAttributesA(eps), INVALID_FILE_ATTRIBUTES);
    const Image image = Render(eps, 90, true);
    ASSERT_GT(image.Count(), 1000);
    int coloured = 0;
    for (size_t i = 0; i < image.rgb.size(); i += 3)
        coloured += image.rgb[i] != image.rgb[i + 1] || image.rgb[i + 1] != image.rgb[i + 2];
    EXPECT_EQ(coloured, 0) << "the red attractor is black and white after the post program";

    // A post program that cannot be started keeps the file, Post delete or
    // not, and says so.
    Settings(1, 1000, 1200, 2000, 2000);
    SetEps(eps, "C:\\no such folder\\missing.exe", "%@%", 1);
    {
        ModalScript answer({ModalStep(IDOK), ModalStep(IDOK), ModalStep(IDOK)});
        PrintGraphWindow(gFrameWindow, graph);
        const auto &r = answer.Results();
        ASSERT_EQ(r.size(), 3u);
        EXPECT_NE(r[2].text.find("could not be started"), std::string::npos) << r[2].text;
    }
    EXPECT_NE(GetFileAttributesA(eps), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Printing, NoToTheRotationQuestionWritesTheFileUnrotated) {
    const char *eps = "C:\\vr-print\\rotate.eps";
    DeleteFileA(eps);
    Settings(1, 1000, 1200, 2000, 2000);
    SetEps(eps);
    GraphStateOf(graph)->print.rotate = 1;
    {
        ModalScript answer({ModalStep(IDOK), ModalStep(IDNO)});
        PrintGraphWindow(gFrameWindow, graph);
        ASSERT_EQ(answer.Results().size(), 2u);
        EXPECT_NE(answer.Results()[1].text.find("explicit rotation"), std::string::npos);
    }
    const std::string text = ReadWholeFile(eps);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find("90 rotate"), std::string::npos);
    DeleteFileA(eps);
    // Cancel writes nothing.
    {
        ModalScript answer({ModalStep(IDOK), ModalStep(IDCANCEL)});
        PrintGraphWindow(gFrameWindow, graph);
    }
    EXPECT_EQ(GetFileAttributesA(eps), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
