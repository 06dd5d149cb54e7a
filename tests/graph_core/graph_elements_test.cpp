// Graphics elements on a recording surface: the list operations, the
// drawing of every kind (counts, coordinates, closed forms), data curves
// through the point-data files, the fault guard, and mouse editing.
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graphics_host.h"
#include "compile_problem.h"
#include "display_list.h"
#include "eval_errors.h"
#include "fontfile.h"
#include "builtin_tables.h"
#include "graph_cursor.h"
#include "graph_drawing.h"
#include "graph_elements.h"
#include "graph_pipeline.h"
#include "memory.h"
#include "platform_recorder.h"
#include "pointdata.h"
#include "recording_surface.h"
#include "problem_settings.h"
#include "settings.h"
#include "stroke_font_table.h"
#include "text_layout.h"
#include "trimvex.h"
#include "workspace.h"

namespace {

using Prim = DevicePrimitive;
constexpr double kPi = 3.14159265358979323846;

int OpenDescriptors() {
    int n = 0;
    if (DIR *d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

int gPumpCalls;
int gJumpOnPump = -1;  // the pump call that ends the evaluation like a fault
int JumpingPump() {
    if (gPumpCalls++ == gJumpOnPump) longjmp(gEvalJmpBuf, 10032);
    return 0;
}

class Elements : public ::testing::Test {
protected:
    GraphWindowState g{};
    RecordingSurface surface;

    void SetUp() override {
        gRecorder.Reset();
        gOutOfMemory = 0;
        gGraphSurface = SurfaceRecord(&surface);
        gDrawDc = 1;
        gCurrentGraph = &g;
        gMouseMode = gPreviousMouseMode = 0;
        gDrawWhileEditing = 1;
        g.xMin = g.yMin = -1;
        g.xMax = g.yMax = 1;
        g.stepX = g.stepY = 0.01;
        g.angularStep = 15;
        g.currentElementIndex = -1;
        g.penWidth = -1;
        SetClientExtent(200, 200);
        UpdateGraphMapping();
        SetDefaultViewPoint(g.viewPoint);
        gProblemKind = kOdeSystem;
        gDimension = 2;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        InstallGraphicsElements();
        gNewElementKind = 0;
        gElementCursorX = gElementCursorY = 0;
        gPumpCalls = 0;
        gJumpOnPump = -1;
    }
    void TearDown() override {
        gDisplayReplayHooks.pumpCheckEscape = nullptr;
        FreeGraphState(&g);
        gGraphicsHost.drawElements = nullptr;
        gCompileHooks.elements = nullptr;
        gElementEditHooks = ElementEditHooks{};
        gGraphSurface = GraphSurface{};
        gCurrentGraph = nullptr;
        gDrawDc = 0;
        gMouseMode = gPreviousMouseMode = 0;
        FreeProblemWorkspace();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gGraphicsHost.loadStrokeFont = nullptr;
        FreeStrokeFontTable();
    }
    GraphicsElement *Add(int kind) {
        gNewElementKind = kind;
        return AddGraphicsElement(0);
    }
    std::pair<int32_t, int32_t> Device(double x, double y) {
        MapToDevice(x, y);
        return {g.deviceX, g.deviceY};
    }
    void Draw() {
        surface.prims.clear();
        DrawAllGraphicsElements();
    }
    void SetText(char *&slot, const char *text) { SetNonEmptyStringCopy(slot, text); }
    std::string TempFile(const char *name) { return ::testing::TempDir() + name; }
};

// ---- List

TEST_F(Elements, RemovingEveryElementLeavesNoIndexAndTheNextAddIsTheFirst) {
    for (int i = 0; i < 3; ++i) Add(kElementSegment)->x = i;
    ASSERT_EQ(g.elementCount, 3);
    ASSERT_EQ(g.currentElementIndex, 2);
    // The middle one: its predecessor is selected.
    g.currentElementIndex = 1;
    SeekCurrentElement();
    ASSERT_EQ(g.currentElement->x, 1);
    EXPECT_EQ(RemoveCurrentElement(), 1);
    EXPECT_EQ(g.elementCount, 2);
    EXPECT_EQ(g.currentElementIndex, 0);
    EXPECT_EQ(g.currentElement->x, 0);
    EXPECT_EQ(g.currentElement->next->x, 2);
    // The first one: the new head.
    EXPECT_EQ(RemoveCurrentElement(), 1);
    EXPECT_EQ(g.currentElementIndex, 0);
    EXPECT_EQ(g.currentElement->x, 2);
    EXPECT_EQ(g.elements, g.currentElement);
    // The last one.
    EXPECT_EQ(RemoveCurrentElement(), 1);
    EXPECT_EQ(g.elementCount, 0);
    EXPECT_EQ(g.currentElementIndex, -1);
    EXPECT_EQ(g.currentElement, nullptr);
    EXPECT_EQ(g.elements, nullptr);
    EXPECT_EQ(RemoveCurrentElement(), 0);
    EXPECT_EQ(MoveElementBack(), 0);
    // Then one add: index 0 of 1, and nothing to swap with.
    ASSERT_NE(Add(kElementCircle), nullptr);
    EXPECT_EQ(g.currentElementIndex, 0);
    EXPECT_EQ(g.elementCount, 1);
    EXPECT_EQ(MoveElementBack(), 0);
    EXPECT_EQ(MoveElementForward(), 0);
}

TEST_F(Elements, SeekingClampsAndMovingSwapsContentsKeepingLinks) {
    for (int i = 0; i < 3; ++i) Add(kElementSegment)->x = i;
    GraphicsElement *first = g.elements, *second = first->next, *third = second->next;
    struct Case {
        int index, expected;
    } cases[] = {{-5, 0}, {0, 0}, {2, 2}, {9, 2}};
    for (const Case &c : cases) {
        g.currentElementIndex = c.index;
        SeekCurrentElement();
        EXPECT_EQ(g.currentElementIndex, c.expected);
        EXPECT_EQ(g.currentElement->x, c.expected);
    }
    g.currentElementIndex = 0;
    SeekCurrentElement();
    EXPECT_EQ(MoveElementBack(), 0);  // the first stays
    EXPECT_EQ(MoveElementForward(), 1);
    EXPECT_EQ(g.currentElementIndex, 1);
    EXPECT_EQ(g.currentElement, second);  // the record is where it was
    EXPECT_EQ(second->x, 0);
    EXPECT_EQ(first->x, 1);
    EXPECT_EQ(first->next, second);
    EXPECT_EQ(second->next, third);
    EXPECT_EQ(MoveElementForward(), 1);
    EXPECT_EQ(MoveElementForward(), 0);  // the last stays
    EXPECT_EQ(third->x, 0);
    EXPECT_EQ(SelectNextElement(), 0);
    EXPECT_EQ(SelectPreviousElement(), 1);
    EXPECT_EQ(g.currentElement, second);
}

TEST_F(Elements, CopiesAreDeepAndFreeingCodeEmptiesEverySlot) {
    GraphicsElement *e = Add(kElement2Curve);
    SetText(e->text1, "t");
    SetText(e->text2, "t*t");
    GraphicsElement *copy = CopyElementList(g.elements);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy->text1, "t");
    EXPECT_NE(copy->text1, e->text1);
    FreeElementList(copy);
    Draw();  // compiles
    EXPECT_NE(e->code1, nullptr);
    EXPECT_NE(e->code2, nullptr);
    FreeElementCode();
    EXPECT_EQ(e->code1, nullptr);
    EXPECT_EQ(e->code2, nullptr);
    EXPECT_STREQ(e->text2, "t*t");
}

// ---- Drawing by kind

TEST_F(Elements, SegmentsAreWholeOrDashedByTheirLine) {
    GraphicsElement *e = Add(kElementSegment);
    e->size = 1;
    e->steps = 5;
    Draw();
    EXPECT_EQ(e->steps, 1);  // a solid segment is one piece
    ASSERT_EQ(surface.Count('L'), 1);
    const Prim &line = surface.prims.back();
    EXPECT_EQ(std::make_pair(line.x1, line.y1), Device(0, 0));
    EXPECT_EQ(std::make_pair(line.x2, line.y2), Device(1, 0));

    e->line = -1;
    e->steps = 5;
    e->direction = 90;
    Draw();
    EXPECT_EQ(e->steps, 5);
    std::vector<Prim> lines;
    for (const Prim &p : surface.prims)
        if (p.kind == 'L') lines.push_back(p);
    ASSERT_EQ(lines.size(), 3u);  // pieces 1, 3, 5
    const double starts[] = {0, 0.4, 0.8};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(std::make_pair(lines[i].x1, lines[i].y1), Device(0, starts[i])) << i;
        EXPECT_EQ(std::make_pair(lines[i].x2, lines[i].y2), Device(0, starts[i] + 0.2)) << i;
    }
}

TEST_F(Elements, CirclesCloseOnTheirRadiusAndDashWithANegativeLine) {
    GraphicsElement *e = Add(kElementCircle);
    e->radius = 0.5;
    e->x = 0.2;
    Draw();
    EXPECT_EQ(e->size, 0.5);  // the radius is the vertical semi-axis too
    ASSERT_EQ(surface.Count('L'), 100);
    EXPECT_EQ(surface.Count('P'), 1);
    const Prim &first = surface.prims.front(), &last = surface.prims.back();
    EXPECT_NEAR(last.x2, first.x1, 1);  // back where it began
    EXPECT_NEAR(last.y2, first.y1, 1);
    const auto centre = Device(0.2, 0);
    for (const Prim &p : surface.prims) {
        const double r = std::hypot(p.x2 - centre.first, p.y2 - centre.second);
        if (p.kind == 'L') EXPECT_NEAR(r, 50, 1.5);
    }
    e->line = -1;
    Draw();
    EXPECT_EQ(surface.Count('L'), 50);
}

TEST_F(Elements, AnArrowGetsAFifteenDegreeHeadMeetingAtItsTip) {
    GraphicsElement *e = Add(kElementArrow);
    e->x = 0.5;
    e->y = 0.5;
    e->size = 0.2;
    Draw();
    EXPECT_EQ(e->begin, 15);
    ASSERT_EQ(surface.Count('L'), 2);
    const Prim &a = surface.prims[1], &b = surface.prims[2];
    EXPECT_EQ(std::make_pair(a.x2, a.y2), Device(0.5, 0.5));
    EXPECT_EQ(std::make_pair(b.x1, b.y1), Device(0.5, 0.5));
    const double c = 0.2 * std::cos(195 * kPi / 180), s = 0.2 * std::sin(195 * kPi / 180);
    EXPECT_EQ(std::make_pair(a.x1, a.y1), Device(0.5 + c, 0.5 + s));
    EXPECT_EQ(std::make_pair(b.x2, b.y2), Device(0.5 + c, 0.5 - s));
}

TEST_F(Elements, CurvesFollowTheirExpressionsAndEndExactlyOnT2) {
    GraphicsElement *e = Add(kElement2Curve);
    SetText(e->text1, "r*cos(t)");
    SetText(e->text2, "s*sin(t)");
    e->radius = 0.8;
    e->size = 0.4;
    e->begin = 0;
    e->end = 2 * kPi;
    e->steps = 64;
    Draw();
    ASSERT_EQ(surface.Count('L'), 64);
    const auto centre = Device(0, 0);
    for (const Prim &p : surface.prims) {
        const double u = (p.x2 - centre.first) / 80.0, v = (p.y2 - centre.second) / 40.0;
        EXPECT_NEAR(std::sqrt(u * u + v * v), 1, 1.5 / 40);  // a pixel and a half
    }
    // A step that overshoots: the last t is t2 itself.
    SetText(e->text1, "t");
    SetText(e->text2, "t*t");
    FreeElementCode();
    e->begin = 0;
    e->end = 0.95;
    e->steps = 3;
    Draw();
    ASSERT_EQ(surface.Count('L'), 3);
    EXPECT_EQ(std::make_pair(surface.prims.back().x2, surface.prims.back().y2), Device(0.95, 0.95 * 0.95));

    // A projected curve with the default view.
    GraphicsElement *c3 = Add(kElement3Curve);
    SetText(c3->text1, "t");
    SetText(c3->text2, "0");
    SetText(c3->text3, "0");
    c3->begin = 0;
    c3->end = 1;
    c3->steps = 4;
    Draw();
    EXPECT_EQ(surface.Count('L'), 3 + 4);
    gViewPoint = g.viewPoint;
    SetupProjection(gViewPoint);
    EXPECT_EQ(std::make_pair(surface.prims.back().x2, surface.prims.back().y2),
              Device(projx(1, 0, 0), projy(1, 0, 0)));
}

TEST_F(Elements, FractalsDrawKToTheNSegmentsAndAnUnboundedOrderNone) {
    GraphicsElement *e = Add(kElementFractal);
    SetText(e->text1, "2 2");
    SetText(e->text2, "0 0");
    e->size = 0.8;
    e->x = -0.4;
    e->begin = 3;
    e->end = 3;
    Draw();
    EXPECT_EQ(e->steps, 2);
    ASSERT_EQ(surface.Count('L'), 8);
    EXPECT_EQ(std::make_pair(surface.prims.back().x2, surface.prims.back().y2), Device(0.4, 0));

    struct Case {
        int32_t base, exponent, expected;
    } cases[] = {{2, 0, 1}, {2, -3, 1}, {3, 4, 81}, {2, 30, 1 << 30}, {2, 31, 0}, {4, 1000000, 0},
                 {-2, 3, -8}, {1, 1 << 30, 1}};
    for (const Case &c : cases) EXPECT_EQ(IntPower(c.base, c.exponent), c.expected) << c.base << "^" << c.exponent;
    e->begin = e->end = 40;  // 2^40 segments: not drawn, no division by zero
    Draw();
    EXPECT_EQ(surface.Count('L'), 0);
}

TEST_F(Elements, AxesOnTheUnitSquareTickEveryFifthAndSkipTheOriginLabel) {
    GraphicsElement *e = Add(kElementAxes);
    Draw();
    // No font: only the strokes of the axes and marks. Majors at i != 0
    // (10 per axis), one minor per interval (m = 20 pixels gives 2 parts).
    const int axes = 2, majors = 20, minors = 20;
    EXPECT_EQ(surface.Count('L'), axes + majors + minors);
    EXPECT_GT(e->size, 0);  // 12 pixels stored
    EXPECT_NEAR(e->size, 12 * 2.0 / 200, 1e-12);
    bool found = false;
    for (const Prim &p : surface.prims)
        if (std::make_pair(p.x1, p.y1) == Device(0.2, 0) && std::make_pair(p.x2, p.y2) == Device(0.2, 0.2 * 0.2)) found = true;
    EXPECT_TRUE(found) << "a major mark at x = 0.2";
}

// ---- Data curves

TEST_F(Elements, DataCurvesDrawWhatTheFileHolds) {
    const std::string path = TempFile("elements_curve.double");
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    PointWriter w;
    ASSERT_EQ(OpenPointWriter(&w, f, kPointDouble, nullptr, nullptr, 1), 1);
    const double points[][2] = {{0, 0}, {0.5, 0.25}, {0.75, -0.5}};
    for (auto &p : points) WritePointPair(&w, p[0], p[1]);
    WritePointBreak(&w);
    WritePointPair(&w, -0.5, -0.5);
    WritePointPair(&w, -0.25, -0.5);
    const int finished = FinishPointWriter(&w);
    ClosePointWriter(&w);
    std::fclose(f);
    ASSERT_EQ(finished, 1);

    GraphicsElement *e = Add(kElementData);
    SetText(e->text1, path.c_str());
    Draw();
    ASSERT_EQ(surface.Count('P'), 2);  // one start per polyline
    ASSERT_EQ(surface.Count('L'), 3);
    EXPECT_EQ(std::make_pair(surface.prims[2].x2, surface.prims[2].y2), Device(0.75, -0.5));
    EXPECT_EQ(std::make_pair(surface.prims[3].x1, surface.prims[3].y1), Device(-0.5, -0.5));

    // Scaled and placed: y by size, x by radius, then moved.
    e->radius = 2;
    e->size = 0.5;
    e->x = 0.1;
    Draw();
    EXPECT_EQ(std::make_pair(surface.prims[1].x2, surface.prims[1].y2), Device(1.1, 0.125));
    // Segments 0: dots only.
    e->radius = e->size = e->x = 0;
    e->steps = 0;
    Draw();
    EXPECT_EQ(surface.Count('P'), 5);
    EXPECT_EQ(surface.Count('L'), 0);
    std::remove(path.c_str());
}

// A .double file that Trimvex thinned and clipped: the curve draws exactly
// the points the file holds, a new polyline at each NaN.
TEST_F(Elements, ADataCurveFromTrimvexDrawsThePointsItsFileHolds) {
    const std::string input = TempFile("elements_trimvex_in.txt");
    const std::string output = TempFile("elements_trimvex_out.double");
    FILE *f = std::fopen(input.c_str(), "w");
    ASSERT_NE(f, nullptr);
    for (int i = 0; i <= 40; ++i) std::fprintf(f, "%.17g %.17g\n", -1.5 + 0.075 * i, std::sin(0.3 * i));
    std::fputs("\n", f);  // a break
    for (int i = 0; i <= 10; ++i) std::fprintf(f, "%.17g %.17g\n", 0.05 * i, -0.5 + 0.001 * i);
    std::fclose(f);
    std::vector<std::string> args = {"Trimvex", "/I", input, "/O", output, "/D", "0.1", "/C", "-1,-0.9,1,0.9"};
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(&a[0]);
    ASSERT_EQ(RunTrimvex(static_cast<int>(argv.size()), argv.data()), 0);

    // The file as it lies on the disk: x, y pairs, a NaN in place of an x
    // between polylines.
    std::vector<std::vector<std::pair<double, double>>> polylines(1);
    f = std::fopen(output.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    double x, y;
    while (std::fread(&x, sizeof x, 1, f) == 1) {
        if (std::isnan(x)) {
            if (!polylines.back().empty()) polylines.emplace_back();
            continue;
        }
        ASSERT_EQ(std::fread(&y, sizeof y, 1, f), 1u);
        polylines.back().push_back({x, y});
    }
    std::fclose(f);
    if (polylines.back().empty()) polylines.pop_back();
    size_t points = 0;
    for (const auto &p : polylines) points += p.size();
    ASSERT_GE(polylines.size(), 3u) << "the clip box cuts the sine into pieces";
    ASSERT_GT(points, 20u);

    GraphicsElement *e = Add(kElementData);
    SetText(e->text1, output.c_str());
    Draw();
    std::vector<std::pair<int32_t, int32_t>> want, got;
    for (const auto &p : polylines)
        for (const auto &q : p) want.push_back(Device(q.first, q.second));
    for (const Prim &p : surface.prims)
        if (p.kind == 'P' || p.kind == 'L') got.push_back({p.kind == 'P' ? p.x1 : p.x2, p.kind == 'P' ? p.y1 : p.y2});
    EXPECT_EQ(got, want);
    EXPECT_EQ(surface.Count('P'), static_cast<int>(polylines.size()));
    std::remove(input.c_str());
    std::remove(output.c_str());
}

TEST_F(Elements, AClipBoxCutsPolylinesAtItsEdges) {
    const std::string path = TempFile("elements clip.txt");
    FILE *f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    // Outside left, inside, out above, out above again, inside. A polyline
    // starts at its first point inside: the piece from the left is left out.
    std::fputs("-0.5 0.5\n0.5 0.5\n0.5 1.5\n0.6 1.5\n0.5 0.5\nnot a point\n2 2\n", f);
    std::fclose(f);
    GraphicsElement *e = Add(kElementData);
    const std::string text = path + " 1 1 0 0";  // corners in any order
    SetText(e->text1, text.c_str());
    Draw();
    EXPECT_STREQ(e->text1, text.c_str());
    std::vector<Prim> lines;
    for (const Prim &p : surface.prims)
        if (p.kind == 'L') lines.push_back(p);
    ASSERT_EQ(lines.size(), 2u);
    // Leaves at the top, drops the piece above, comes back from the top.
    EXPECT_EQ(std::make_pair(lines[0].x1, lines[0].y1), Device(0.5, 0.5));
    EXPECT_EQ(std::make_pair(lines[0].x2, lines[0].y2), Device(0.5, 1));
    EXPECT_EQ(std::make_pair(lines[1].x1, lines[1].y1), Device(0.55, 1));
    EXPECT_EQ(std::make_pair(lines[1].x2, lines[1].y2), Device(0.5, 0.5));
    // (2, 2) after the break lies outside: nothing more.
    EXPECT_EQ(ClipCut(0, 5, 5), 0);
    EXPECT_EQ(ClipCut(1, 0, 5), 1e38);
    EXPECT_EQ(ClipCut(1, 2, 4), 2);
    std::remove(path.c_str());
}

TEST_F(Elements, AFaultInsideADataCurveClosesItsFileAndKeepsItsText) {
    const std::string path = TempFile("elements_fault.txt");
    FILE *f = std::fopen(path.c_str(), "w");
    for (int i = 0; i < 2000; ++i) std::fprintf(f, "%g %g\n", i / 2000.0, 0.0);
    std::fclose(f);
    GraphicsElement *e = Add(kElementData);
    const std::string text = path + " 0 0 1 1";
    SetText(e->text1, text.c_str());
    Add(kElementSegment)->size = 1;  // after the fault: not drawn
    gDisplayReplayHooks.pumpCheckEscape = JumpingPump;
    gJumpOnPump = 3;  // some way into the file
    const int before = OpenDescriptors();
    (void)before;
    Draw();
    EXPECT_EQ(gPumpCalls, 4);
#ifndef _WIN32
    EXPECT_EQ(OpenDescriptors(), before);
#endif
    // An open file can't be renamed on Windows.
    const std::string moved = path + ".moved";
    ASSERT_EQ(std::rename(path.c_str(), moved.c_str()), 0);
    ASSERT_EQ(std::rename(moved.c_str(), path.c_str()), 0);
    EXPECT_STREQ(e->text1, text.c_str());
    EXPECT_GT(surface.Count('L'), 0);
    EXPECT_LT(surface.Count('L'), 1999);
    EXPECT_EQ(g.capture, 0);
    EXPECT_EQ(gElementsBeingDrawn, 0);
    EXPECT_EQ(gElementActionInProgress, 0);
    EXPECT_EQ(EvalRecoveryDepth(), 0);
    // The next redraw draws everything.
    gJumpOnPump = -1;
    Draw();
    EXPECT_EQ(surface.Count('L'), 1999 + 1);
    std::remove(path.c_str());
}

TEST_F(Elements, SpecialTextsDecodeThePlotterEscapes) {
    struct Case {
        const char *text;
        std::vector<int> bytes;
    } cases[] = {
        {"A\\n", {'A', 10}},
        {"\\a\\b\\e\\f\\r\\t\\v", {7, 8, 27, 12, 13, 9, 11}},
        {"\\z.", {0, '.'}},
        {"\\65\\0659", {65, 65, '9'}},
        {"\\o101\\o7x", {65, 7, 'x'}},
        {"\\x4a\\x4Bg\\xg", {0x4A, 0x4B, 'g', 0, 'g'}},
        {"\\q\\\\", {'q', '\\'}},
        {"end\\", {'e', 'n', 'd'}},
    };
    for (const Case &c : cases) {
        char out[32];
        const int n = DecodeSpecialText(c.text, out, sizeof out);
        ASSERT_EQ(n, static_cast<int>(c.bytes.size())) << c.text;
        for (int i = 0; i < n; ++i) EXPECT_EQ(static_cast<unsigned char>(out[i]), c.bytes[i]) << c.text << " " << i;
    }
    // Written only into a plotter stream that records.
    GraphicsElement *e = Add(kElementSpecial);
    SetText(e->text1, "IN;\\x1b.");
    FILE *stream = std::tmpfile();
    g.plotter.stream = stream;
    Draw();
    EXPECT_EQ(std::ftell(stream), 0);
    g.plotter.recording = 1;
    Draw();
    EXPECT_EQ(std::ftell(stream), 5);
    g.plotter.recording = 0;
    g.plotter.stream = nullptr;
    std::fclose(stream);
}

// ---- Mouse editing

TEST_F(Elements, ModesFollowWhatTheElementAdmits) {
    EXPECT_EQ(AdjustMouseMode(kModeOrigin), kModeInitialConditions);
    EXPECT_EQ(AdjustMouseMode(kModeMove), kModeMove);
    EXPECT_EQ(AdjustMouseMode(kModeRotate), kModeInitialConditions);
    GraphicsElement *e = Add(kElementSegment);
    struct Case {
        int kind, mode, expected;
    } cases[] = {
        {kElementSegment, kModeThird, kModePoint},     {kElementArrow, kModeLast, kModeFirst},
        {kElementArrow, kModePoint, kModeOrigin},      {kElementFractal, kModeThird, kModePoint},
        {kElementEllipse, kModeThird, kModeThird},     {kElementText, kModeFirst, kModeOrigin},
        {kElementCircle, kModeLast, kModeLast},        {kElementAxes, kModeRotate, kModeOrigin},
        {kElementParameters, kModeRotate, kModeOrigin}, {kElementData, kModeThird, kModeThird},
        // Special has no handle at all, not even for Rotate.
        {kElementSpecial, kModeRotate, kModeMove},     {kElementSpecial, kModeOrigin, kModeMove},
        {kElementSpecial, kModeSelect, kModeSelect},
    };
    for (const Case &c : cases) {
        e->kind = c.kind;
        EXPECT_EQ(AdjustMouseMode(c.mode), c.expected) << "kind " << c.kind << " mode " << c.mode;
    }
    // Every figure keeps Rotate.
    for (int k = 0; k < kElementKindCount; ++k) {
        if (k == kElementSpecial || k >= kElementAxes) continue;
        e->kind = k;
        EXPECT_EQ(AdjustMouseMode(kModeRotate), kModeRotate) << k;
    }
}

TEST_F(Elements, ClickingInOriginModeMovesTheElementByTheDraggedDistance) {
    GraphicsElement *e = Add(kElementCircle);
    e->x = 0.1;
    e->y = 0.2;
    e->radius = 0.3;
    gMouseMode = AdjustMouseMode(kModeOrigin);
    PlaceElementCursor(0);
    EXPECT_EQ(gElementCursorX, 0.1);
    gElementEditHooks.clickAt(kModeOrigin, 0.4, -0.3);
    EXPECT_DOUBLE_EQ(e->x - 0.1, 0.3);
    EXPECT_DOUBLE_EQ(e->y - 0.2, -0.5);
    EXPECT_EQ(e->radius, 0.3);
    EXPECT_GT(surface.Count('L'), 0);  // erased and drawn again

    // The point of a circle: radius and direction.
    gMouseMode = kModePoint;
    gElementEditHooks.clickAt(kModePoint, 0.4, 0.3);
    EXPECT_NEAR(e->radius, 0.6, 1e-12);
    EXPECT_NEAR(e->direction, 90, 1e-12);
}

TEST_F(Elements, ArrowKeysRotateByTheAngularStepAndMoveOnTheScreen) {
    GraphicsElement *e = Add(kElementSegment);
    e->size = 0.5;
    gMouseMode = kModeRotate;
    int32_t dx = 1, dy = 0;
    MoveElementCursor(&dx, &dy, 0);
    EXPECT_EQ(e->direction, 15);
    dx = 0, dy = -1;  // up
    MoveElementCursor(&dx, &dy, 0);
    EXPECT_EQ(e->direction, 30);
    dx = -1, dy = 0;
    MoveElementCursor(&dx, &dy, 0);
    dx = 0, dy = 1;
    MoveElementCursor(&dx, &dy, 0);
    EXPECT_EQ(e->direction, 0);

    // A backwards x range: Right still goes right on the screen.
    gMouseMode = kModeOrigin;
    g.xMin = 1;
    g.xMax = -1;
    UpdateGraphMapping();
    gElementCursorX = 0;
    dx = 0, dy = 0;
    MoveElementCursor(&dx, &dy, 0);
    const int32_t before = dx;
    dx = 1, dy = 0;
    MoveElementCursor(&dx, &dy, 0);
    EXPECT_GT(dx, before);
    EXPECT_DOUBLE_EQ(e->x, -0.01);
    // Within 1e-6 of a step from 0: exactly 0.
    gElementCursorX = -0.01 + 1e-12;
    dx = -1, dy = 0;
    MoveElementCursor(&dx, &dy, 0);
    EXPECT_EQ(gElementCursorX, 0.0);
    EXPECT_EQ(PointToAngle(0, 0), 0);
    EXPECT_DOUBLE_EQ(PointToAngle(1, 0), 90);
}

TEST_F(Elements, RotatingATextByNinetyDegreesSwapsItsBoxAndItsPointEndsItAtTheCursor) {
    std::vector<FChar> font(kFontCharCount);
    FChar c;
    c.SetWidth(50);
    Stroke s;
    s.points = {{0, 0}, {50, 0}, {50, 25}};
    c.strokes.push_back(s);
    font['A'] = c;
    const std::string path = TempFile("elements_font.ft");
    ASSERT_EQ(StrokeFontFile::Write(path.c_str(), font.data()), kFontFileOk);
    static std::string gPath;
    gPath = path;
    gGraphicsHost.loadStrokeFont = [](int n) { return n == 1 ? LoadStrokeFontFile(1, gPath.c_str()) : 0; };

    GraphicsElement *e = Add(kElementText);
    SetText(e->text1, "AA");
    e->size = 0.2;
    e->radius = 0.2;
    auto box = [&](double *w, double *h) {
        Draw();
        int32_t x0 = 1 << 30, x1 = -(1 << 30), y0 = x0, y1 = x1;
        for (const Prim &p : surface.prims)
            for (auto q : {std::make_pair(p.x1, p.y1), std::make_pair(p.x2, p.y2)}) {
                x0 = std::min(x0, q.first), x1 = std::max(x1, q.first);
                y0 = std::min(y0, q.second), y1 = std::max(y1, q.second);
            }
        *w = x1 - x0;
        *h = y1 - y0;
    };
    double w0, h0, w1, h1;
    box(&w0, &h0);
    ASSERT_GT(w0, 0);
    EXPECT_NEAR(w0, 40, 2);  // two glyphs of 0.2 each: 0.4 = 40 pixels
    EXPECT_NEAR(h0, 10, 2);
    gMouseMode = kModeRotate;
    int32_t dx = 6, dy = 0;  // 6 x 15 degrees
    MoveElementCursor(&dx, &dy, 0);
    EXPECT_EQ(e->direction, 90);
    box(&w1, &h1);
    EXPECT_NEAR(w1, h0, 2);
    EXPECT_NEAR(h1, w0, 2);

    // The point handle stretches the text to end at the cursor.
    e->direction = 0;
    gMouseMode = kModePoint;
    gElementEditHooks.clickAt(kModePoint, 0.8, 0);
    EXPECT_NEAR(e->radius, 0.4, 1e-12);
    EXPECT_NEAR(MeasureElementText(*e) * e->radius, 0.8, 1e-12);
    std::remove(path.c_str());
}

}  // namespace

namespace {

std::string gTableFont;

TEST_F(Elements, TablesDrawOneLinePerValueStepDownBySizeAndDistance) {
    std::vector<FChar> font(kFontCharCount);
    for (int c = 33; c < kFontCharCount; ++c) {
        font[c].SetWidth(10);
        Stroke s;
        s.points = {{0, 0}};
        font[c].strokes.push_back(s);
    }
    font[' '].SetWidth(10);
    gTableFont = TempFile("elements_table.ft");
    ASSERT_EQ(StrokeFontFile::Write(gTableFont.c_str(), font.data()), kFontFileOk);
    gGraphicsHost.loadStrokeFont = [](int n) { return LoadStrokeFontFile(n, gTableFont.c_str()); };
    gParameterCount = 3;
    AllocArray(gParameters, 3);
    SetNonEmptyStringCopy(gParameters[0].name, "a");
    SetNonEmptyStringCopy(gParameters[2].name, "b");
    gPhaseXMin = 0;
    gPhaseXMax = 3;
    gPhaseYMin = gPhaseYMax = 1;
    auto baselines = [&]() {
        Draw();
        std::vector<int32_t> ys;
        for (const Prim &p : surface.prims)
            if (std::find(ys.begin(), ys.end(), p.y1) == ys.end()) ys.push_back(p.y1);
        return ys;
    };
    GraphicsElement *e = Add(kElementParameters);
    e->y = 0.8;
    e->size = 0.1;
    e->direction = 0.05;  // the distance between lines
    SetNonEmptyStringCopy(e->text1, "Caption");
    // The caption, a and b (the unnamed one is left out), the x counter.
    std::vector<int32_t> ys = baselines();
    ASSERT_EQ(ys.size(), 4u);
    for (size_t i = 0; i < ys.size(); ++i) EXPECT_NEAR(ys[i], Device(0, 0.8 - 0.15 * i).second, 1) << i;
    // Chosen lines only, unknown names drawing nothing.
    SetNonEmptyStringCopy(e->text2, "b, nobody;ny");
    EXPECT_EQ(baselines().size(), 3u);

    // Initial values: the time, then n + 2 values, here all by index.
    e->kind = kElementInitialValues;
    FreeAndNull(e->text2);
    EXPECT_EQ(baselines().size(), 1u + 1 + gDimension + 2);
    gPhaseXMin = gPhaseXMax = gPhaseYMin = gPhaseYMax = 0;
    std::remove(gTableFont.c_str());
}

}  // namespace
