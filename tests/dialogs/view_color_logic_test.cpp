// The view-point dialog's arithmetic and the colour dialog's working set,
// natively: wrapping, scrolling, the visible edges of the preview cube,
// dragging, and colours that go through a problem file and come back.
#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "builtin_math.h"
#include "memory.h"
#include "platform_recorder.h"
#include "problem_file.h"
#include "problem_settings.h"
#include "projection.h"
#include "view_color_logic.h"
#include "window_host_double.h"
#include "workspace.h"

namespace {

TEST(ViewPointLogic, ValuesOutsideTheirRangeWrapAndScrollingClamps) {
    struct Case {
        double value, max, expected;
    };
    for (const Case &c : {Case{400, 360, 40}, Case{-30, 360, 330}, Case{360, 360, 360}, Case{720, 360, 0},
                          Case{12.5, 10, 2.5}, Case{0, 10, 0}}) {
        SCOPED_TRACE(c.value);
        EXPECT_DOUBLE_EQ(WrapViewValue(c.value, c.max), c.expected);
    }
    EXPECT_EQ(ScrollViewValue(2, 10, kScrollLineUp, 0), 2);        // 1.9 becomes 2
    EXPECT_EQ(ScrollViewValue(0.1, 10, kScrollLineUp, 0), 0);      // down to 0 stays 0
    EXPECT_EQ(ScrollViewValue(2.5, 10, kScrollLineDown, 0), 2.6);
    EXPECT_EQ(ScrollViewValue(9.5, 10, kScrollPageDown, 0), 10);
    EXPECT_EQ(ScrollViewValue(0, 10, kScrollThumbTrack, 35), 3.5);
    EXPECT_EQ(ScrollViewValue(0, 10, kScrollThumbTrack, 5), 2);    // 0.5 lies in (0, 2)
    EXPECT_EQ(ScrollViewValue(10, 360, kScrollPageUp, 0), 0);
    EXPECT_EQ(ScrollViewValue(350, 360, kScrollPageDown, 0), 360);
    EXPECT_EQ(ScrollViewValue(400, 360, kScrollLineDown, 0), 41);  // wrapped first
    EXPECT_EQ(ScrollViewValue(100, 360, kScrollBottom, 0), 360);
}

TEST(ViewPointLogic, FromTheSideTheThreeLabelledEdgesAreHidden) {
    ViewPoint v;
    SetDefaultViewPoint(v);
    v.distance = 0;
    v.theta = 90;
    v.phi = 0;
    v.setupMarker = 2.0;
    SetupProjection(v);
    bool visible[12];
    CubeEdgeVisibility(v, visible);
    for (int e = 0; e < 12; ++e) {
        SCOPED_TRACE(e);
        EXPECT_EQ(visible[e], e >= 3);
    }
    EXPECT_EQ(kCubeEdges[0].label, 'x');
    EXPECT_EQ(kCubeEdges[2].label, 'z');
}

TEST(ViewPointLogic, DraggingTurnsThetaAcrossAndPhiAlongWithPsi) {
    ViewPoint v;
    SetDefaultViewPoint(v);
    v.theta = 10;
    v.phi = 20;
    v.psi = 0;
    DragViewPoint(v, 50, 0, 180, 180);  // b = 100, c = 0
    EXPECT_DOUBLE_EQ(v.theta, 270);     // 10 - 100 wrapped
    EXPECT_NEAR(v.phi, 20, 1e-12);
    v.psi = 90;
    DragViewPoint(v, 0, 18, 180, 180);  // c = 36: phi += c cos psi, theta -= c sin psi
    EXPECT_NEAR(v.theta, 234, 1e-9);
    EXPECT_NEAR(v.phi, 20, 1e-9);
    EXPECT_EQ(v.setupMarker, 2.0);
}

// A palette colour chosen as background goes into the record and survives a
// problem file.
TEST(ColorSetLogic, AChosenBackgroundSurvivesSaveAndReload) {
    gRecorder.Reset();
    WindowHostDouble host;
    host.Install();
    gProblemKind = kOdeSystem;
    gDimension = 2;
    ASSERT_EQ(NewProblemWorkspace(), 1);
    const WindowId w = host.Add(kChildGraph);
    ColorSet set;
    ColorSetFromGraph(*host.Find(w)->graph, set);
    set.colors[3] = static_cast<int32_t>(gColorPalette[14]);
    set.widths[1] = 12;  // beyond the swatches: kept
    ColorSetToGraph(set, *host.Find(w)->graph);

    ASSERT_EQ(BuildProblemText(0), 1);
    const std::string text(gProblemTextBuffer, gProblemTextLength);
    host.DestroyAll();
    FreeAndNull(gProblemTextBuffer);
    gProblemTextBuffer = AllocTextBuffer(text.size());
    std::memcpy(gProblemTextBuffer, text.data(), text.size());
    ASSERT_EQ(ParseProblemText(), kParseLoaded);
    ASSERT_EQ(host.children.size(), 1u);
    EXPECT_EQ(host.children[0].graph->backgroundColor, 0x808000);
    EXPECT_EQ(host.children[0].graph->gridWidth, 12);

    host.DestroyAll();
    WindowHostDouble::Uninstall();
    FreeProblemWorkspace();
    ResetProblemSettings();
    gProblemKind = kSingleOde;
    gDimension = 2;
    gProblemChanged = 0;
}

}  // namespace
