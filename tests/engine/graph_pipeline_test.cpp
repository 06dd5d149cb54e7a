// World-to-device mapping, aspect rules, plotter clipping, pens and the 3-D
// projection, checked against closed forms on a recording surface.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builtin_tables.h"
#include "graph_pipeline.h"
#include "surface_double.h"
#include "projection.h"
#include "settings.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Writes down every call; a resize reaches the record as the window's size
// message would.
class RecordingSurface : public SurfaceDouble {
public:
    std::vector<std::string> calls;
    int ax = 1, ay = 1;
    WindowId window = 0x51;

    void Add(const char *what, DcHandle dc, long a, long b) {
        calls.push_back(std::string(what) + " " + std::to_string(dc) + " " + std::to_string(a) +
                        " " + std::to_string(b));
    }
    void MoveTo(DcHandle dc, int32_t x, int32_t y) override { Add("move", dc, x, y); }
    void LineTo(DcHandle dc, int32_t x, int32_t y) override { Add("line", dc, x, y); }
    void SelectSolidPen(DcHandle dc, int32_t color, int32_t width) override {
        Add("pen", dc, color, width);
    }
    void SelectStockPen(DcHandle dc) override { Add("stock", dc, 0, 0); }
    void ScreenAspect(int *x, int *y) override { *x = ax, *y = ay; }
    WindowId FindGraphWindow() override { return window; }
    void ResizeClient(WindowId w, int32_t newMaxX, int32_t newMaxY, int32_t, int32_t) override {
        Add("resize", w, newMaxX, newMaxY);
        SetClientExtent(newMaxX, newMaxY);
    }
};

class Pipeline : public ::testing::Test {
protected:
    GraphWindowState g{};
    RecordingSurface surface;

    void SetUp() override {
        g.xMin = g.yMin = -1;
        g.xMax = g.yMax = 1;
        g.clientMaxX = 200;
        g.clientMaxY = 100;
        g.penWidth = -1;
        gCurrentGraph = &g;
        gGraphSurface = SurfaceRecord(&surface);
        gDrawDc = 0;
        gPrinterDc = 0;
    }
    void TearDown() override {
        gCurrentGraph = nullptr;
        gGraphSurface = GraphSurface{};
        gDrawDc = 0;
    }
    std::pair<int32_t, int32_t> Map(double x, double y) {
        MapToDevice(x, y);
        return {g.deviceX, g.deviceY};
    }
    std::pair<int32_t, int32_t> MapPlotter(double x, double y) {
        MapToDevice(x, y);
        return {g.plotter.pointX, g.plotter.pointY};
    }
    using P = std::pair<int32_t, int32_t>;
};

TEST_F(Pipeline, CornersAndCentreMapToTheirPixels) {
    UpdateGraphMapping();
    EXPECT_EQ(Map(0, 0), P(100, 50));
    EXPECT_EQ(Map(-1, 1), P(0, 0));
    EXPECT_EQ(Map(1, -1), P(200, 100));
    EXPECT_EQ(Map(0.5, 0.5), P(150, 25));
    // A backward range mirrors the picture.
    g.xMin = 1, g.xMax = -1;
    UpdateGraphMapping();
    EXPECT_EQ(Map(1, 1), P(0, 0));
    EXPECT_EQ(Map(-0.5, 0), P(150, 50));
    EXPECT_TRUE(surface.calls.empty());
}

TEST_F(Pipeline, FarAndInvalidPointsStopAtTheDeviceLimit) {
    UpdateGraphMapping();
    EXPECT_EQ(Map(1e7, -1e7), P(kDeviceLimit, kDeviceLimit));
    EXPECT_EQ(Map(-1e7, 1e7), P(-kDeviceLimit, -kDeviceLimit));
    EXPECT_EQ(Map(kInf, -kInf), P(kDeviceLimit, kDeviceLimit));
    EXPECT_EQ(Map(kNaN, kNaN), P(-kDeviceLimit, -kDeviceLimit));
    // Just inside the limit: truncated toward zero.
    g.scaleX = 1, g.offsetX = 0;
    EXPECT_EQ(Map(67108862.9, 0).first, 67108862);
    EXPECT_EQ(Map(-67108862.9, 0).first, -67108862);
}

TEST_F(Pipeline, EmptyRangesAreWidenedWithoutDividingByZero) {
    struct Case {
        double lo, hi, expectedHi;
    };
    const Case cases[] = {
        {3, 3, 4},
        {-2.5, -2.5, -1.5},
        {1e300, 1e300, 1e300 + std::fabs(1e300) * 0x1p-40},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lo);
        g.xMin = g.yMin = c.lo;
        g.xMax = g.yMax = c.hi;
        for (int mode = 0; mode <= 5; ++mode) {
            g.aspectMode = mode;
            g.clientMaxX = 200, g.clientMaxY = 100;
            g.xMin = g.yMin = c.lo;
            g.xMax = g.yMax = c.hi;
            UpdateGraphMapping();
            EXPECT_LT(g.xMin, g.xMax);
            EXPECT_LT(g.yMin, g.yMax);
            EXPECT_TRUE(std::isfinite(g.scaleX) && std::isfinite(g.offsetX));
            EXPECT_TRUE(std::isfinite(g.scaleY) && std::isfinite(g.offsetY));
        }
        g.aspectMode = 0;
        g.clientMaxX = 200, g.clientMaxY = 100;
        g.xMin = g.yMin = c.lo;
        g.xMax = g.yMax = c.hi;
        UpdateGraphMapping();
        EXPECT_EQ(g.xMax, c.expectedHi);
        if (c.lo == 3) {
            EXPECT_EQ(Map(3, 4), P(0, 0));
            EXPECT_EQ(Map(4, 3), P(200, 100));
        }
    }
    // Bounds that are not finite map everything to the corner.
    g.aspectMode = 0;
    g.xMin = -kInf, g.xMax = kInf, g.yMin = kNaN, g.yMax = 1;
    UpdateGraphMapping();
    EXPECT_EQ(g.scaleX, 0);
    EXPECT_EQ(g.scaleY, 0);
    EXPECT_EQ(Map(5, 5), P(0, 0));
    // A client of one pixel.
    g.xMin = g.yMin = -1, g.xMax = g.yMax = 1;
    g.clientMaxX = g.clientMaxY = 0;
    UpdateGraphMapping();
    EXPECT_EQ(Map(1, -1), P(0, 0));
}

TEST_F(Pipeline, PlotterTransformHasYGrowingUpwards) {
    SetPlotterRange(100, 50, 1100, 550);
    EXPECT_EQ(MapPlotter(-1, -1), P(100, 50));
    EXPECT_EQ(MapPlotter(1, 1), P(1100, 550));
    EXPECT_EQ(MapPlotter(0, 0.5), P(600, 425));
    // The screen mapping is recomputed with it.
    EXPECT_EQ(Map(0, 0), P(100, 50));
}

// After an aspect rule a world unit is as long across the screen as it is
// down, measured in pixel widths ax and pixel heights ay.
void ExpectSameUnitLength(const GraphWindowState &g, int ax, int ay, double tolerance) {
    const double across = (g.xMax - g.xMin) / (double(g.clientMaxX) * ax);
    const double down = (g.yMax - g.yMin) / (double(g.clientMaxY) * ay);
    EXPECT_NEAR(across / down, 1.0, tolerance);
}

TEST_F(Pipeline, AspectModesKeepUnitsEqualOnSquareAndOblongPixels) {
    struct Case {
        int mode, ax, ay;
        double xMin, xMax, yMin, yMax;
        int32_t maxX, maxY;  // client extents after the rule
        double newXMax, newYMax;
    };
    const Case cases[] = {
        {1, 1, 1, -1, 1, -1, 1, 200, 100, 2, 1},
        {1, 2, 1, -1, 1, -1, 1, 200, 100, 4, 1},
        {2, 1, 1, -1, 1, -1, 1, 200, 100, 1, 0.5},
        {2, 1, 2, -1, 1, -1, 1, 200, 100, 1, 1},
        {2, 2, 1, -1, 1, -1, 1, 200, 100, 1, 0.25},
        {3, 1, 1, -1, 1, -1, 1, 100, 100, 1, 1},
        {3, 2, 1, -1, 1, -1, 1, 50, 100, 1, 1},
        {4, 1, 1, -2, 2, -1, 1, 200, 100, 2, 1},
        {4, 1, 1, -1, 1, -1, 1, 100, 100, 1, 1},
        {4, 2, 1, -2, 2, -1, 1, 100, 100, 2, 1},
        {5, 1, 1, -1, 1, -2, 2, 200, 400, 1, 2},
        {5, 1, 2, -1, 1, -1, 1, 200, 100, 1, 1},
        {5, 2, 1, -1, 1, -1, 1, 200, 400, 1, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " aspect " << c.ax << ":" << c.ay);
        surface.ax = c.ax, surface.ay = c.ay;
        g.aspectMode = c.mode;
        g.xMin = c.xMin, g.xMax = c.xMax, g.yMin = c.yMin, g.yMax = c.yMax;
        g.clientMaxX = 200, g.clientMaxY = 100;
        UpdateGraphMapping();
        EXPECT_EQ(g.clientMaxX, c.maxX);
        EXPECT_EQ(g.clientMaxY, c.maxY);
        EXPECT_DOUBLE_EQ(g.xMax, c.newXMax);
        EXPECT_DOUBLE_EQ(g.yMax, c.newYMax);
        ExpectSameUnitLength(g, c.ax, c.ay, 1e-12);
        // A second pass finds nothing more to do.
        surface.calls.clear();
        UpdateGraphMapping();
        EXPECT_TRUE(surface.calls.empty());
    }
}

TEST_F(Pipeline, AspectRuleLeavesArbitraryAndDegenerateClientsAlone) {
    g.aspectMode = 0;
    UpdateGraphMapping();
    EXPECT_EQ(g.xMax, 1);
    EXPECT_TRUE(surface.calls.empty());
    // A client without height has no aspect to keep.
    for (int mode : {1, 2}) {
        g.aspectMode = mode;
        g.clientMaxY = 0;
        ApplyAspectRule(200, 0);
        EXPECT_EQ(g.xMax, 1);
        EXPECT_EQ(g.yMax, 1);
    }
    // Mode 4 with a range empty in y widens it rather than divide by zero.
    g.aspectMode = 4;
    g.yMin = g.yMax = 2;
    ApplyAspectRule(200, 100);
    EXPECT_EQ(g.yMax, 3);
    EXPECT_EQ(g.clientMaxX, 200);
    // A width beyond what a window can have is cut to the largest one.
    g.xMin = -1e9, g.xMax = 1e9;
    ApplyAspectRule(200, 100);
    EXPECT_EQ(g.clientMaxX, kMaxClientExtent);
}

TEST_F(Pipeline, FixedClientSizesAreEnforced) {
    struct Case {
        int mode;
        int32_t fixedWidth, fixedHeight;
        int32_t maxX, maxY;       // extents after the rule
        int32_t storedW, storedH; // fixed sizes after the rule
    };
    const Case cases[] = {
        {0, 300, 0, 299, 100, 300, 0},
        {0, 0, 150, 200, 149, 0, 150},
        {0, 201, 101, 200, 100, 201, 101},  // already that size
        {3, 300, 250, 249, 249, 250, 250},
        {3, 50, 80, 99, 99, 100, 100},
        {4, 300, 0, 299, 100, 300, 0},      // a fixed width overrides "Adjust width"
        {5, 0, 150, 200, 149, 0, 150},
        {0, -5, -1, 200, 100, -5, -1},      // damaged values leave the size free
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " " << c.fixedWidth << "x" << c.fixedHeight);
        g.aspectMode = c.mode;
        g.fixedWidth = c.fixedWidth, g.fixedHeight = c.fixedHeight;
        g.xMin = g.yMin = -1, g.xMax = g.yMax = 1;
        g.clientMaxX = 200, g.clientMaxY = 100;
        UpdateGraphMapping();
        EXPECT_EQ(g.clientMaxX, c.maxX);
        EXPECT_EQ(g.clientMaxY, c.maxY);
        EXPECT_EQ(g.fixedWidth, c.storedW);
        EXPECT_EQ(g.fixedHeight, c.storedH);
    }
}

TEST(PlotterClip, LinesAreCutAtEachEdgeAndCorner) {
    struct Case {
        int32_t a, b, c, d;
        int kind;
        int32_t x1, y1, x2, y2;
    };
    // Range [0, 100] x [0, 100].
    const Case cases[] = {
        {10, 20, 30, 40, 1, 10, 20, 30, 40},       // inside
        {-10, 5, -1, 90, 0, 0, 0, 0, 0},           // beyond the left edge
        {110, 5, 101, 90, 0, 0, 0, 0, 0},          // beyond the right edge
        {5, -10, 90, -1, 0, 0, 0, 0, 0},           // below
        {5, 101, 90, 200, 0, 0, 0, 0, 0},          // above
        {50, 50, 150, 150, 1, 50, 50, 100, 100},   // leaves through a corner
        {50, 50, 150, 70, 1, 50, 50, 100, 60},     // leaves right
        {50, 50, -50, 30, 1, 50, 50, 0, 40},       // leaves left
        {50, 50, 50, 200, 1, 50, 50, 50, 100},     // leaves at the top
        {50, 50, 70, -50, 1, 50, 50, 60, 0},       // leaves at the bottom
        {-50, 0, 50, 100, 2, 0, 50, 50, 100},      // enters from the left
        {150, 0, 50, 100, 2, 100, 50, 50, 100},    // enters from the right
        {20, 150, 20, -50, 2, 20, 100, 20, 0},     // crosses top to bottom
        {-10, -10, 110, 110, 2, 0, 0, 100, 100},   // corner to corner
        {-10, 5, 5, -10, 0, 0, 0, 0, 0},           // passes outside a corner
        {-20, 50, 40, 170, 2, 0, 90, 5, 100},      // in at the left, out at the top
        {-3, 0, 7, 10, 2, 0, 3, 7, 10},            // truncated cut point
        {0, 0, 100, 100, 1, 0, 0, 100, 100},       // on the edges
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << "," << c.b << " " << c.c << "," << c.d);
        const PlotterClip r = ClipToPlotterRange(c.a, c.b, c.c, c.d, 0, 0, 100, 100);
        ASSERT_EQ(r.kind, c.kind);
        if (!r.kind) continue;
        EXPECT_EQ(r.x2, c.x2);
        EXPECT_EQ(r.y2, c.y2);
        if (r.kind == 2) {
            EXPECT_EQ(r.x1, c.x1);
            EXPECT_EQ(r.y1, c.y1);
        }
    }
    // Cut points are truncated toward zero on the negative side as well.
    const PlotterClip r = ClipToPlotterRange(-3, 0, 7, -10, 0, -100, 100, 100);
    EXPECT_EQ(r.kind, 2);
    EXPECT_EQ(r.y1, -3);
    const PlotterClip s = ClipToPlotterRange(0, 0, 3, -10, 0, -5, 100, 100);
    EXPECT_EQ(s.x2, 1);  // 1.5 truncated
    EXPECT_EQ(s.y2, -5);
}

TEST_F(Pipeline, PrimitivesDrawIntoTheContextAndTheBitmap) {
    UpdateGraphMapping();
    gDrawDc = 7;
    g.memoryDc = 9;
    g.penWidth = 1;
    PlotPoint(0, 0);
    PlotLineTo(1, 1);
    g.penWidth = 3;
    PlotPoint(-1, -1);
    const std::vector<std::string> expected = {
        "move 7 100 50", "line 7 101 51", "move 9 100 50", "line 9 101 51",   // a thin dot: one pixel
        "move 7 100 50", "line 7 200 0", "move 9 100 50", "line 9 200 0",
        "move 7 0 100", "line 7 0 100", "move 9 0 100", "line 9 0 100",       // a wide dot
    };
    EXPECT_EQ(surface.calls, expected);
    // Zoomed: the bitmap keeps the unzoomed picture. No context: bitmap only.
    surface.calls.clear();
    g.zoomed = 1;
    PlotSegment(0, 0, 1, 0);
    g.zoomed = 0;
    gDrawDc = 0;
    DrawDeviceLine(1, 2, 3, 4);
    const std::vector<std::string> expected2 = {
        "move 7 100 50", "line 7 100 50", "move 7 100 50", "line 7 200 50",
        "move 9 1 2", "line 9 3 4",
    };
    EXPECT_EQ(surface.calls, expected2);
    EXPECT_EQ(Map(1, 0), P(200, 50));
}

TEST_F(Pipeline, PensGoToEveryOutput) {
    const int ownDc = gOwnDc;
    gOwnDc = 0;
    g.memoryDc = 9;
    gDrawDc = 7;
    SetPen(0xFF, 2);
    EXPECT_EQ(g.penColor, 0xFF);
    EXPECT_EQ(g.penWidth, 2);
    // The printer's pens are widened by the plotter width factor.
    gPrinterDc = 7;
    g.plotter.width = 3;
    SetPen(0x10, 2);
    EXPECT_EQ(g.penWidth, 6);
    // Without a context of the pass no pen of the window counts as selected.
    gDrawDc = 0;
    SetPen(0x20, 1);
    EXPECT_EQ(g.penWidth, -1);
    const std::vector<std::string> expected = {
        "pen 9 255 2", "pen 7 255 2", "pen 9 16 2", "pen 7 16 6", "pen 9 32 1",
    };
    EXPECT_EQ(surface.calls, expected);

    // With "Own DC" the old pens are put back first; a context shared by the
    // pass and the bitmap is released once.
    surface.calls.clear();
    gOwnDc = 1;
    gDrawDc = 9;
    gPrinterDc = 0;
    SetPen(0x30, 0);
    const std::vector<std::string> expected2 = {"stock 9 0 0", "pen 9 48 0", "pen 9 48 0"};
    EXPECT_EQ(surface.calls, expected2);
    ReleasePens();
    EXPECT_EQ(g.penWidth, -1);
    EXPECT_EQ(g.penColor, 0);
    gOwnDc = ownDc;
}

TEST(Projection, SetupRunsOnlyOnMarkedBlocks) {
    ViewPoint v;
    SetDefaultViewPoint(v);
    SetupProjection(v);
    EXPECT_NE(v.setupMarker, 2.0);
    EXPECT_NEAR(v.sinTheta, std::sqrt(3.0) / 2, 1e-15);
    EXPECT_NEAR(v.cosPhi, std::sqrt(3.0) / 2, 1e-15);
    EXPECT_NEAR(v.cosPsi, 0, 1e-15);
    EXPECT_NEAR(v.sinThetaCosPhi, 0.75, 1e-15);
    EXPECT_NEAR(v.sinPhiCosTheta, 0.25, 1e-15);
    // Angles changed without the marker: the cache stays as it was.
    const ViewPoint before = v;
    v.phi = 0;
    SetupProjection(v);
    EXPECT_EQ(v.sinPhi, before.sinPhi);
    EXPECT_EQ(v.cosPhiCosTheta, before.cosPhiCosTheta);
    // projx and projy set up a freshly marked global view themselves.
    const ViewPoint saved = gViewPoint;
    gViewPoint = ViewPoint();
    gViewPoint.sinTheta = 0.5;  // stale
    gViewPoint.setupMarker = 2.0;
    EXPECT_EQ(projx(1, 0, 0), 1);
    EXPECT_EQ(projy(0, 1, 0), 1);
    gViewPoint = saved;
}

TEST(Projection, KnownViewsAndPoints) {
    const double r3 = std::sqrt(3.0);
    struct Case {
        double phi, theta, psi, origin, distance;
        double x, y, z;
        double px, py;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0, 1, 0, 0, 1, 0},            // looking down z
        {0, 0, 0, 0, 0, 0, 1, 0, 0, 1},
        {0, 0, 0, 0, 0, 0, 0, 1, 0, 0},
        {0, 0, 90, 0, 0, 1, 0, 0, 0, -1},          // rolled a quarter turn
        {0, 0, 90, 0, 0, 0, 1, 0, 1, 0},
        {90, 0, 0, 0, 0, 1, 0, 0, 0, -1},          // turned a quarter about z
        {90, 0, 0, 0, 0, 0, 1, 0, 1, 0},
        {0, 90, 0, 0, 0, 0, 0, 1, -1, 0},          // tilted to look along x
        {0, 90, 0, 0, 0, 1, 0, 0, 0, 0},
        {30, 60, 90, 0, 0, 1, 2, 3, r3 - 0.5, 5 * r3 / 4 - 0.5},  // the default view
        {0, 0, 0, 1, 1, 1, 0, 0, 1, 0},            // perspective, depth 1
        {0, 0, 0, 5, 2, 1, 2, 1, 0.5, 1},          // depth 4, scale 2
        {0, 0, 0, 1, 1, 0, 0, 1, kInf, kInf},      // in the eye's plane
    };
    const ViewPoint saved = gViewPoint;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.phi << "/" << c.theta << "/" << c.psi << " D " << c.distance
                                        << " (" << c.x << "," << c.y << "," << c.z << ")");
        gViewPoint = ViewPoint();
        gViewPoint.phi = c.phi, gViewPoint.theta = c.theta, gViewPoint.psi = c.psi;
        gViewPoint.origin = c.origin, gViewPoint.distance = c.distance;
        gViewPoint.setupMarker = 2.0;
        SetupProjection(gViewPoint);
        const double px = projx(c.x, c.y, c.z), py = projy(c.x, c.y, c.z);
        if (std::isinf(c.px)) {
            EXPECT_EQ(px, kInf);
            EXPECT_EQ(py, kInf);
        } else {
            EXPECT_NEAR(px, c.px, 1e-14);
            EXPECT_NEAR(py, c.py, 1e-14);
        }
    }
    gViewPoint = saved;
}

}  // namespace
