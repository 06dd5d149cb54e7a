// Defaults of the records a graph window, a text window and a graphics
// element start with, and the element list.
#include <string>

#include <gtest/gtest.h>

#include "memory.h"
#include "platform_recorder.h"
#include "problem_settings.h"
#include "settings.h"
#include "test_heap.h"
#include "text_window_state.h"
#include "workspace.h"

namespace {

std::string Str(const char *s) { return s ? s : "(null)"; }

TEST(GraphState, DefaultsFollowTheProblem) {
    struct Case {
        int kind;
        unsigned n;
        const char *xAxis, *yAxis;
        int selectX, continuous;
    };
    const Case cases[] = {
        {kSingleOde, 1, "t", "x", 0, 1},
        {kSingleOde, 3, "x", "x[1]", 1, 1},
        {kOdeSystem, 2, "x[1]", "x[2]", 1, 1},
        {kMap, 1, "n", "x", 0, 0},
    };
    const int axes = gAxes;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.xAxis);
        gProblemKind = c.kind;
        gDimension = c.n;
        gAxes = c.kind == kMap;
        GraphWindowState s{};
        ASSERT_EQ(InitGraphState(&s), 1);
        EXPECT_EQ(Str(s.axisText[0]), c.xAxis);
        EXPECT_EQ(Str(s.axisText[1]), c.yAxis);
        EXPECT_EQ(s.selectX, c.selectX);
        EXPECT_EQ(s.selectY, c.selectX + 1);
        EXPECT_EQ(s.continuousLine, c.continuous);
        EXPECT_EQ(Str(s.axesLocation), gAxes ? "-1E10 0 1E10 0     0 -1E10 0 1E10" : "(null)");
        EXPECT_EQ(s.xMin, -1);
        EXPECT_EQ(s.yMax, 1);
        EXPECT_EQ(s.backgroundColor, 0xFFFFFF);
        EXPECT_EQ(s.cellLength, 24);
        EXPECT_EQ(s.plotter.frame, 1);
        EXPECT_EQ(s.viewPoint.psi, 90);
        EXPECT_EQ(s.viewPoint.setupMarker, 2.0);
        EXPECT_EQ(s.currentElementIndex, -1);
        EXPECT_EQ(s.bitmapMode, gOutputBitmap);
        FreeGraphState(&s);
        EXPECT_EQ(s.axisText[0], nullptr);
    }
    gAxes = axes;
    gProblemKind = kSingleOde;
    gDimension = 2;
    FreeGraphState(nullptr);
}

TEST(TextWindowState, DefaultsAndRelease) {
    TextWindowState s{};
    ASSERT_EQ(InitTextWindowState(&s), 1);
    EXPECT_STREQ(s.separator, "\\r\\n");
    EXPECT_EQ(s.frequency, 1u);
    EXPECT_EQ(s.crossingError, 1e-5);
    EXPECT_EQ(s.viewPoint.theta, 60);
    FreeTextWindowState(&s);
    EXPECT_EQ(s.separator, nullptr);
}

TEST(GraphicsElements, DefaultsByKindAndInsertionAfterTheCurrent) {
    GraphWindowState g{};
    g.xMin = 0, g.xMax = 100, g.clientMaxX = 200;
    g.yMin = 0, g.yMax = 10, g.clientMaxY = 100;
    g.currentElementIndex = -1;
    gCurrentGraph = &g;
    struct Case {
        int kind;
        double size, radius, end;
        int steps;
    };
    const Case cases[] = {
        {kElementCircle, 0, 0, 360, 100}, {kElementText, 1.6, 8, 0, 1}, {kElementFractal, 0, 0, 0, 0},
        {kElementAxes, 1.2, 6, 0, 2},     {kElementParameters, 1.6, 8, 0, 4},
    };
    for (const Case &c : cases) {
        gNewElementKind = c.kind;
        GraphicsElement *e = AddGraphicsElement(0);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->kind, c.kind);
        EXPECT_DOUBLE_EQ(e->size, c.size);
        EXPECT_DOUBLE_EQ(e->radius, c.radius);
        EXPECT_EQ(e->end, c.end);
        EXPECT_EQ(e->steps, c.steps);
        EXPECT_EQ(e->line, 1);
    }
    // A copy goes right after the current element, texts duplicated.
    g.currentElement = g.elements;
    g.currentElementIndex = 0;
    SetNonEmptyStringCopy(g.elements->text1, "r");
    GraphicsElement *copy = AddGraphicsElement(1);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(g.elements->next, copy);
    EXPECT_EQ(copy->kind, kElementCircle);
    EXPECT_STREQ(copy->text1, "r");
    EXPECT_NE(copy->text1, g.elements->text1);
    EXPECT_EQ(g.elementCount, 6);
    EXPECT_EQ(g.currentElementIndex, 1);

    // A failed allocation leaves the list as it was.
    gRecorder.Reset();
    FailHeapAfter(0, 10);
    EXPECT_EQ(AddGraphicsElement(0), nullptr);
    FailHeapAfter(-1);
    EXPECT_EQ(g.elementCount, 6);

    gProblemChanged = 0;
    FreeGraphicsElements(&g);
    EXPECT_EQ(gProblemChanged, 1);
    EXPECT_EQ(g.elements, nullptr);
    EXPECT_EQ(g.currentElementIndex, -1);
    gProblemChanged = 0;
    gCurrentGraph = nullptr;
    gNewElementKind = 0;
    gElementDialogCopy = GraphicsElement();
}

}  // namespace
