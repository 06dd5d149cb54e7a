// The portable logic of graph windows on a recording surface: cursor
// rounding and moves, status texts, zoom arithmetic, the direction-field
// grid, axes and histogram drawing, and picking.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compile_helper.h"
#include "compiler.h"
#include "graph_commands.h"
#include "graph_cursor.h"
#include "graph_drawing.h"
#include "graph_pipeline.h"
#include "surface_double.h"
#include "graphics_host.h"
#include "pick_shapes.h"
#include "platform_recorder.h"
#include "problem_settings.h"
#include "settings.h"
#include "workspace.h"

namespace {

// Segments as the surface sees them: a move, then a line.
class Segments : public SurfaceDouble {
public:
    struct Segment {
        int32_t x1, y1, x2, y2;
    };
    std::vector<Segment> segments;
    int32_t x = 0, y = 0;
    void MoveTo(DcHandle, int32_t nx, int32_t ny) override {
        x = nx;
        y = ny;
    }
    // A point is drawn as a line of one pixel down and right: not a segment.
    void LineTo(DcHandle, int32_t nx, int32_t ny) override {
        if (nx != x + 1 || ny != y + 1) segments.push_back({x, y, nx, ny});
        x = nx;
        y = ny;
    }
    void SelectSolidPen(DcHandle, int32_t, int32_t) override {}
    void SelectStockPen(DcHandle) override {}
    void ScreenAspect(int *ax, int *ay) override { *ax = *ay = 1; }
    WindowId FindGraphWindow() override { return 0; }
    void ResizeClient(WindowId, int32_t, int32_t, int32_t, int32_t) override {}
};

class GraphCore : public ::testing::Test {
protected:
    GraphWindowState g{};
    Segments surface;
    unsigned used = 0;

    void SetUp() override {
        gRecorder.Reset();
        gGraphSurface = SurfaceRecord(&surface);
        gDrawDc = 1;  // a context: lines reach the surface
        gCurrentGraph = &g;
        gMouseMode = gPreviousMouseMode = 0;
        g.xMin = g.yMin = -1;
        g.xMax = g.yMax = 1;
        g.stepX = g.stepY = 0.01;
        g.zoomFactor = 10;
        g.cellLength = 24;
        g.markLength = 12;
        g.selectX = 1;
        g.selectY = 2;
        g.currentElementIndex = -1;
        SetClient(200, 200);
        gProblemKind = kOdeSystem;
        gDimension = 2;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
    }
    void TearDown() override {
        gGraphicsHost.drawElements = nullptr;
        g.histogramCounts = nullptr;
        g.elements = nullptr;  // the tests' own elements live on the stack
        FreeGraphState(&g);
        gGraphSurface = GraphSurface{};
        gCurrentGraph = nullptr;
        gDrawDc = 0;
        FreeProblemWorkspace();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gFirstValue = 0;
        gScanBegin = gScanEnd = 0;
    }
    void SetClient(int32_t maxX, int32_t maxY) {
        SetClientExtent(maxX, maxY);
        UpdateGraphMapping();
    }
    unsigned char *Compile(const char *text) { return reinterpret_cast<unsigned char *>(CompileIntoBuffer(text, &used)); }
};

// ---- Cursor

TEST_F(GraphCore, WorldCoordinatesKeepTheDecimalsOnePixelResolves) {
    struct Case {
        double w, scale, expected;
    } cases[] = {
        {0.123456, 250, 0.12},     // 250 pixels per unit: two decimals
        {0.125, 250, 0.13},        // halves go up
        {-0.125, 250, -0.12},      // also below zero
        {0.123456, 25, 0.1},
        {12345.678, 0.05, 12300},  // a pixel wider than a unit rounds to hundreds
        {0.123456, -250, 0.12},    // y scales are negative
    };
    for (const Case &c : cases) EXPECT_DOUBLE_EQ(RoundToPixel(c.w, c.scale), c.expected) << c.w << " at " << c.scale;

    // 500 pixels over -1..1: 250 per unit.
    SetClient(500, 500);
    g.mouseX = 137;  // -0.452
    g.mouseY = 137;  // +0.452
    EXPECT_DOUBLE_EQ(MouseToWorldX(), -0.45);
    EXPECT_DOUBLE_EQ(MouseToWorldY(), 0.45);

    // A client without width: the range's start.
    g.scaleX = 0;
    g.scaleY = 0;
    EXPECT_EQ(MouseToWorldX(), -1);
    EXPECT_EQ(MouseToWorldY(), -1);
}

TEST_F(GraphCore, ArrowStepsSnapResidueToZeroAndFollowTheScreen) {
    gInitialValues[0] = 0.03;
    gInitialValues[1] = 0;
    for (int i = 0; i < 3; ++i) {
        int32_t dx = -1, dy = 0;
        MoveCursorSteps(&dx, &dy);
    }
    EXPECT_EQ(gInitialValues[0], 0.0);  // exactly, no residue of 1e-18

    // Right and up move right and up on the screen, on either direction of
    // the range.
    for (bool reversed : {false, true}) {
        if (reversed) {
            std::swap(g.xMin, g.xMax);
            std::swap(g.yMin, g.yMax);
            UpdateGraphMapping();
        }
        int32_t x0 = 0, y0 = 0;
        MoveCursorSteps(&x0, &y0);
        int32_t dx = 1, dy = -1;
        MoveCursorSteps(&dx, &dy);
        EXPECT_GT(dx, x0) << reversed;
        EXPECT_LT(dy, y0) << reversed;
    }
}

TEST_F(GraphCore, ColumnIndexesFromAFileAreCheckedBeforeWriting) {
    gInitialTime = 5;
    gInitialValues[0] = 1;
    gInitialValues[1] = 2;
    for (int bad : {-1, 3, 1000000}) {
        g.selectX = bad;
        g.selectY = 0;  // the independent variable
        int32_t dx = 1, dy = -1;
        MoveCursorSteps(&dx, &dy);
        EXPECT_EQ(gInitialValues[0], 1);
        EXPECT_EQ(gInitialValues[1], 2);
        EXPECT_DOUBLE_EQ(gInitialTime, 5.01 + 0.01 * (bad == -1 ? 0 : bad == 3 ? 1 : 2));
        EXPECT_EQ(ColumnCell(bad), nullptr);
    }
    EXPECT_EQ(ColumnCell(0), &gInitialTime);
    EXPECT_EQ(ColumnCell(2), &gInitialValues[1]);
}

TEST_F(GraphCore, StatusTextsByMode) {
    gInitialValues[0] = 0.5;
    gInitialValues[1] = -0.25;
    char text[128];
    FormatCursorStatus(text, sizeof text);
    EXPECT_STREQ(text, "(0.5 + -0.25)");
    FormatModeText(text, sizeof text);
    EXPECT_STREQ(text, "");

    g.mouseX = 150;  // 0.5
    g.mouseY = 50;   // 0.5
    FormatMouseStatus(text, sizeof text);
    EXPECT_STREQ(text, "0.5 + 0.5");

    gMouseMode = kModeSelect;
    FormatModeText(text, sizeof text);
    EXPECT_STREQ(text, "(Select)");
    gMouseMode = kModeMove;
    FormatModeText(text, sizeof text);
    EXPECT_STREQ(text, "(Move)");

    gMouseMode = kModeOrigin;  // no element selected: nothing
    FormatModeText(text, sizeof text);
    EXPECT_STREQ(text, "");
    GraphicsElement circle{};
    circle.kind = kElementCircle;
    g.currentElement = &circle;
    g.currentElementIndex = 2;
    FormatModeText(text, sizeof text);
    EXPECT_EQ(std::string(text), std::string("3 (") + kElementKindNames[kElementCircle] + " - Origin)");
    gMouseMode = kModeRotate;
    FormatModeText(text, sizeof text);
    EXPECT_EQ(std::string(text), std::string("3 (") + kElementKindNames[kElementCircle] + " - Rotate)");
    g.currentElement = nullptr;

    gClickWorldX = 1.5;
    gClickWorldY = 2;
    gMouseMode = kModePoint;
    FormatCursorStatus(text, sizeof text);
    EXPECT_STREQ(text, "(1.5 + 2)");
    gMouseMode = kModeFirst;  // no element editing yet: 0
    FormatCursorStatus(text, sizeof text);
    EXPECT_STREQ(text, "0");
}

// ---- Zoom

TEST_F(GraphCore, ZoomAroundTheCaretAndBack) {
    // Caret on (0.5, 0): column 150, row 100 of a 201 x 201 client.
    g.caretX = 150;
    g.caretY = 100;
    ZoomAroundCaret(1);
    EXPECT_DOUBLE_EQ(g.xMin, 0.4);
    EXPECT_DOUBLE_EQ(g.xMax, 0.6);
    EXPECT_DOUBLE_EQ(g.yMin, -0.1);
    EXPECT_DOUBLE_EQ(g.yMax, 0.1);
    EXPECT_EQ(g.zoomed, 1);

    // A second zoom keeps the range saved by the first.
    UpdateGraphMapping();
    ZoomAroundCaret(0);
    EXPECT_EQ(g.savedRange[0], -1);
    EXPECT_EQ(g.savedRange[1], 1);
    EXPECT_EQ(RestoreActualSize(), 1);
    EXPECT_EQ(g.xMin, -1);  // exactly
    EXPECT_EQ(g.xMax, 1);
    EXPECT_EQ(g.yMin, -1);
    EXPECT_EQ(g.yMax, 1);
    EXPECT_EQ(g.zoomed, 0);
    EXPECT_EQ(RestoreActualSize(), 0);

    // A factor of 0 counts as 1: the width stays.
    g.zoomFactor = 0;
    ZoomAroundCaret(1);
    EXPECT_DOUBLE_EQ(g.xMax - g.xMin, 2);
}

TEST_F(GraphCore, ARectangleZoomKeepsTheDirectionOfTheRange) {
    EXPECT_EQ(ZoomToRectangle(0.5, 0.2, -0.5, -0.2), 1);
    EXPECT_EQ(g.xMin, -0.5);
    EXPECT_EQ(g.xMax, 0.5);
    EXPECT_EQ(g.yMin, -0.2);
    EXPECT_EQ(g.yMax, 0.2);

    g.xMin = 1;
    g.xMax = -1;  // reversed x
    EXPECT_EQ(ZoomToRectangle(-0.5, 0.2, 0.5, -0.2), 1);
    EXPECT_EQ(g.xMin, 0.5);
    EXPECT_EQ(g.xMax, -0.5);
    EXPECT_EQ(g.yMin, -0.2);

    // Degenerate in x or in y: nothing changes.
    EXPECT_EQ(ZoomToRectangle(0.1, 0.2, 0.1, 0.5), 0);
    EXPECT_EQ(ZoomToRectangle(0.1, 0.2, 0.3, 0.2), 0);
    EXPECT_EQ(g.xMin, 0.5);
}

TEST_F(GraphCore, StepsAndFractalOrder) {
    ChangeStep(1);
    EXPECT_EQ(g.stepX, 0.02);
    EXPECT_EQ(g.stepY, 0.02);
    g.angularStep = 15;
    gMouseMode = kModeRotate;
    ChangeStep(0);
    EXPECT_EQ(g.angularStep, 7.5);
    EXPECT_EQ(g.stepX, 0.02);

    EXPECT_EQ(ChangeFractalOrder(0), 0);  // never below 0
    EXPECT_EQ(g.fractalOrder, 0);
    EXPECT_EQ(ChangeFractalOrder(1), 1);
    EXPECT_EQ(ChangeFractalOrder(0), 1);
    EXPECT_EQ(g.fractalOrder, 0);
}

// ---- Direction field, axes, histogram

TEST_F(GraphCore, DirectionFieldGridIsCentred) {
    SetClient(239, 239);  // 240 pixels: ten cells of 24, eleven columns
    DirectionFieldGrid grid;
    ASSERT_TRUE(DirectionFieldLayout(g, &grid));
    EXPECT_EQ(grid.nx, 10);
    EXPECT_EQ(grid.ny, 10);
    EXPECT_DOUBLE_EQ(grid.x0, -1);
    EXPECT_NEAR(grid.x0 + 5 * grid.dx, 0, 1e-15);  // the middle column on the centre
    EXPECT_DOUBLE_EQ(grid.hx, 12 * 0.5 / 24 * 0.2);

    // An odd count of cells: a column still stands on the centre.
    SetClient(263, 239);  // 264 pixels: 11 cells
    ASSERT_TRUE(DirectionFieldLayout(g, &grid));
    EXPECT_EQ(grid.nx, 11);
    EXPECT_NEAR(grid.x0 + 5 * grid.dx, 0, 1e-15);

    // A cell length of 0 (or less) and a client smaller than one cell have
    // no grid: nothing divides by them.
    g.cellLength = 0;
    EXPECT_FALSE(DirectionFieldLayout(g, &grid));
    g.cellLength = -24;
    EXPECT_FALSE(DirectionFieldLayout(g, &grid));
    g.cellLength = 24;
    SetClient(0, 0);
    EXPECT_FALSE(DirectionFieldLayout(g, &grid));
}

TEST_F(GraphCore, DirectionMarks) {
    DirectionFieldGrid grid{};
    grid.dx = 0.2;
    grid.dy = 0.1;
    grid.hx = 0.05;
    grid.hy = 0.025;
    double ex, ey;
    DirectionMark(0, 0, grid, &ex, &ey);  // a zero vector: horizontal
    EXPECT_EQ(ex, 0.05);
    EXPECT_EQ(ey, 0);
    DirectionMark(0, 3, grid, &ex, &ey);
    EXPECT_EQ(ex, 0);
    EXPECT_EQ(ey, 0.025);
    // A slope of 1 in a cell twice as wide as high: u scaled by dy/dx.
    DirectionMark(1, 1, grid, &ex, &ey);
    const double l = std::hypot(0.5, 1.0);
    EXPECT_DOUBLE_EQ(ex, 0.5 / l * 0.05);
    EXPECT_DOUBLE_EQ(ey, 1 / l * 0.025);
}

TEST_F(GraphCore, DirectionFieldDrawsOneMarkPerGridPoint) {
    // x' = y, y' = 0: marks horizontal everywhere (zero vectors on y = 0).
    gEquationCode[0] = Compile("x[2]");
    gEquationCode[1] = Compile("0");
    SetClient(239, 119);  // 10 x 5 cells
    g.directionField = 1;
    g.directionFieldPending = 1;
    EXPECT_EQ(DrawDirectionField(), 11 * 6);
    EXPECT_EQ(g.directionFieldPending, 0);
    ASSERT_EQ(surface.segments.size(), 66u);
    for (const auto &s : surface.segments) EXPECT_EQ(s.y1, s.y2);
    // The first mark is centred on the grid point (-1, -0.8): five rows of
    // cells, two below the centre.
    EXPECT_EQ((surface.segments[0].x1 + surface.segments[0].x2) / 2, 0);
    EXPECT_NEAR(surface.segments[0].y1, 107, 1);

    // Cell length 0: nothing, no fault.
    surface.segments.clear();
    g.cellLength = 0;
    EXPECT_EQ(DrawDirectionField(), 0);
    RedrawGraphContents(0);
    EXPECT_TRUE(surface.segments.empty());
}

TEST_F(GraphCore, RedrawWithoutCompiledEquationsLeavesTheFieldPending) {
    g.directionField = 1;
    RedrawGraphContents(0);
    EXPECT_EQ(g.directionFieldPending, 1);
    EXPECT_TRUE(surface.segments.empty());
}

TEST_F(GraphCore, AxesTextDrawsCompleteGroupsOnly) {
    EXPECT_EQ(DrawAxesText("-1E10 0 1E10 0     0 -1E10 0 1E10"), 2);
    ASSERT_EQ(surface.segments.size(), 2u);
    // Clamped to the device limit, through the centre of the client.
    EXPECT_EQ(surface.segments[0].y1, 100);
    EXPECT_EQ(surface.segments[0].x1, -kDeviceLimit);
    EXPECT_EQ(surface.segments[1].x1, 100);
    surface.segments.clear();
    EXPECT_EQ(DrawAxesText("0 0 1 1  0.5 0.5 1"), 1);
    EXPECT_EQ(DrawAxesText("nonsense"), 0);
    EXPECT_EQ(DrawAxesText(""), 0);

    // Axes come in the grid pen from RedrawGraphContents and record nothing.
    g.axesLocation = strdup("0 -1 0 1");
    g.capture = -1;
    surface.segments.clear();
    RedrawGraphContents(0);
    EXPECT_EQ(surface.segments.size(), 1u);
    EXPECT_EQ(g.displayFirst, nullptr);
    EXPECT_EQ(g.capture, -1);
    std::free(g.axesLocation);
    g.axesLocation = nullptr;
}

TEST_F(GraphCore, HistogramBars) {
    gProblemKind = kMap;
    gScanBegin = 0;
    gScanEnd = 1;
    uint32_t counts[3] = {1, 2, 1};
    g.histogramCounts = counts;
    g.histogramPeriod = 10;
    g.histogramPoints = 4;
    g.histogramBins = 1;
    EXPECT_EQ(DrawHistogram(), 0);  // one bin: nothing
    g.histogramBins = 3;
    EXPECT_EQ(DrawHistogram(), 3);
    ASSERT_EQ(surface.segments.size(), 3u);
    // Bars at 0, 0.5 and 1 from y = 0; the middle one 2 * 3 / (1 * 4) high.
    EXPECT_EQ(surface.segments[1].x1, 150);
    EXPECT_EQ(surface.segments[1].y1, 100);
    EXPECT_EQ(surface.segments[1].y2, static_cast<int32_t>(-100 * 1.5 + 100));
    g.histogramCounts = nullptr;
}

// ---- Picking


TEST_F(GraphCore, AnOffScreenElementNeverBeatsANearOne) {
    GraphicsElement elements[3]{};
    elements[0].next = &elements[1];
    elements[1].next = &elements[2];
    g.elements = elements;
    gGraphicsHost.drawElements = DrawShapes;
    // Clamped near 2^26 in both coordinates: squared in 32 bits it wraps to
    // a small distance.
    gShapes = {{1e9, 1e9}, {0.2, 0.2, 0.4, 0.2}, {-0.9, -0.9}};
    gPreviousMouseMode = kModeSelect;
    EXPECT_EQ(PickElementAt(130, 78), 1);  // 2 pixels above (0.3, 0.2)
    EXPECT_EQ(g.currentElementIndex, 1);
    EXPECT_EQ(g.currentElement, &elements[1]);
    EXPECT_EQ(gMouseMode, kModeOrigin);  // the previous mode was below Point
    EXPECT_EQ(gPicking, 0);

    // The nearer end of the segment, then the lone point.
    gPreviousMouseMode = kModeLast;
    EXPECT_EQ(PickElementAt(145, 80), 1);
    EXPECT_EQ(gMouseMode, kModeLast);
    EXPECT_EQ(PickElementAt(10, 190), 2);
    EXPECT_TRUE(surface.segments.empty());  // picking measures, draws nothing

    // Without elements nothing is picked.
    gShapes.clear();
    g.currentElementIndex = -1;
    EXPECT_EQ(PickElementAt(10, 10), -1);
    EXPECT_EQ(g.currentElementIndex, -1);
}

TEST_F(GraphCore, LineDistances) {
    // Foot before A: measured with A already; beyond B: distance to B.
    EXPECT_EQ(PickLineDistance(-5, 3, 0, 0, 10, 0), -1);
    EXPECT_EQ(PickLineDistance(13, 4, 0, 0, 10, 0), 25);
    EXPECT_DOUBLE_EQ(PickLineDistance(4, 3, 0, 0, 10, 0), 9);
    // Device points at the clamp limit stay exact in doubles.
    const double far = kDeviceLimit;
    EXPECT_DOUBLE_EQ(PickLineDistance(far, far - 1, -far, far, far, far), 1);
}

TEST_F(GraphCore, OutsidePickingThePrimitivesDraw) {
    PickPlotSegment(-1, 0, 1, 0);
    ASSERT_EQ(surface.segments.size(), 1u);
    EXPECT_EQ(surface.segments[0].x2, 200);
}

}  // namespace
