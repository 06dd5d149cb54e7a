// One window or one graphics element as the text the clipboard carries:
// built with the placement moved by 10 pixels, parsed into a new window or
// an element after the current one, text without a header ignored, line
// errors reported at their line in the pasted text with nothing left
// behind; and the question about a newer file asked before the current
// problem is given up.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "graph_elements.h"
#include "memory.h"
#include "platform.h"
#include "platform_recorder.h"
#include "problem_file.h"
#include "problem_settings.h"
#include "settings.h"
#include "text_window_state.h"
#include "window_host_double.h"
#include "workspace.h"

namespace {

class ProblemClipboardTest : public ::testing::Test {
protected:
    WindowHostDouble host;

    void SetUp() override {
        gRecorder.Reset();
        host.Install();
        ResetProblemSettings();
        gProblemKind = kOdeSystem;
        gDimension = 2;
        gStackLength = 1000;
        gPcodeLength = 10000;
        ASSERT_EQ(NewProblemWorkspace(), 1);
    }
    void TearDown() override {
        host.DestroyAll();
        WindowHostDouble::Uninstall();
        FreeAndNull(gProblemTextBuffer);
        FreeProblemWorkspace();
        ResetProblemSettings();
        gProblemChanged = 0;
        gGraphWorkCopy = GraphWindowState();
        gTextWorkCopy = TextWindowState();
        gElementDialogCopy = GraphicsElement();
        gElementWorkCopy = GraphicsElement();
        gCurrentGraph = nullptr;
        gNewElementKind = 0;
    }

    static std::string Taken() {
        std::string s = gProblemTextBuffer ? std::string(gProblemTextBuffer, gProblemTextLength) : "";
        FreeAndNull(gProblemTextBuffer);
        return s;
    }
    static void Give(const std::string &text) {
        FreeAndNull(gProblemTextBuffer);
        gProblemTextBuffer = AllocTextBuffer(text.size());
        std::memcpy(gProblemTextBuffer, text.data(), text.size());
    }
    std::string SectionOf(WindowId w) {
        EXPECT_EQ(BuildWindowSectionText(w), 1);
        return Taken();
    }
    // The section without its header line (the placement).
    static std::string Body(const std::string &section) {
        const size_t header = section.find("window]");
        return section.substr(section.find("\r\n", header) + 2);
    }

    GraphWindowState *MakeGraph(const WindowRect &rect) {
        WindowId w = host.Add(kChildGraph, &rect);
        GraphWindowState *g = host.Find(w)->graph;
        SetNonEmptyStringCopy(g->title, "Phase plane");
        g->xMin = -3.5;
        g->drawingColor = 0x00FF00;
        gCurrentGraph = g;
        const int kinds[] = {kElementCircle, kElement3Curve, kElementText};
        for (int k : kinds) {
            gNewElementKind = k;
            GraphicsElement *e = AddGraphicsElement(0);
            e->x = k + 0.25;
            e->color = 0x102030 + k;
            SetNonEmptyStringCopy(e->text1, k == kElementText ? "\\b{bold}" : "cos(t)\r\nnext");
            SetNonEmptyStringCopy(e->text2, "sin(t)");
            SetNonEmptyStringCopy(e->text3, "t\\n");
        }
        return g;
    }
};

TEST_F(ProblemClipboardTest, AWindowPastedTwiceGivesTwoWindowsTenPixelsOnWithTheSameSection) {
    const WindowRect rect{100, 80, 500, 400};
    MakeGraph(rect);
    const WindowId original = host.children[0].id;
    const std::string copied = SectionOf(original);
    // A comment line, the header with the moved placement, then the keys.
    EXPECT_EQ(copied.compare(0, 3, ";\r\n"), 0) << copied;
    EXPECT_NE(copied.find("[Graphics window]     = 0.11,0.1125,0.5,0.5,0\r\n"), std::string::npos) << copied;
    EXPECT_NE(copied.find("Graphics element = 3-curve\r\ncos(t)\\nnext\r\nsin(t)\r\nt\\\\n\r\n"), std::string::npos)
        << copied;

    for (int paste = 0; paste < 2; ++paste) {
        Give(copied);
        ASSERT_EQ(CreateWindowFromSection(), 1);
        EXPECT_EQ(gProblemTextBuffer, nullptr);
    }
    EXPECT_TRUE(gRecorder.boxes.empty());
    ASSERT_EQ(host.children.size(), 3u);
    const std::string originalBody = Body(SectionOf(original));
    for (int i = 0; i < 2; ++i) {
        const FakeChild &c = host.children[i];
        EXPECT_EQ(c.kind, kChildGraph);
        EXPECT_EQ(c.rect.left, 110);
        EXPECT_EQ(c.rect.top, 90);
        EXPECT_EQ(c.rect.width, 500);
        EXPECT_EQ(c.rect.height, 400);
        EXPECT_EQ(c.caption, "Phase plane");
        EXPECT_EQ(c.graph->elementCount, 3);
        EXPECT_EQ(Body(SectionOf(c.id)), originalBody);
    }
    EXPECT_EQ(gLoadingProblem, 0);
    EXPECT_EQ(host.begins, host.ends);
}

TEST_F(ProblemClipboardTest, ATextWindowComesBackWithItsColumns) {
    const WindowRect rect{0, 0, 300, 200};
    WindowId w = host.Add(kChildText, &rect);
    TextWindowState *t = host.Find(w)->text;
    SetNonEmptyStringCopy(t->title, "Values");
    t->count = 2;
    AllocArray(t->expressions, 2);
    AllocArray(t->codes, 2);
    AllocArray(t->formats, 2);
    SetNonEmptyStringCopy(t->expressions[0], "t");
    SetNonEmptyStringCopy(t->expressions[1], "x*x");
    SetNonEmptyStringCopy(t->formats[0], "%g ");
    SetNonEmptyStringCopy(t->formats[1], ";%.3f");
    const std::string copied = SectionOf(w);
    EXPECT_NE(copied.find("[Text window]  = 0.01,0.0125,0.3,0.25,0\r\n"), std::string::npos) << copied;
    Give(copied);
    ASSERT_EQ(CreateWindowFromSection(), 1);
    ASSERT_EQ(host.children.size(), 2u);
    const FakeChild &pasted = host.children[0];
    EXPECT_EQ(pasted.caption, "Values");
    ASSERT_EQ(pasted.text->count, 2);
    EXPECT_STREQ(pasted.text->expressions[1], "x*x");
    EXPECT_STREQ(pasted.text->formats[1], ";%.3f");
    EXPECT_EQ(pasted.rect.left, 10);
}

// Private text of another program, or of nothing this program knows:
// nothing is created and nothing is said.
TEST_F(ProblemClipboardTest, TextWithoutAWindowHeaderCreatesNothingAndReportsNothing) {
    for (const char *text : {"", ";\r\n; only comments\r\n", "Title = x\r\n[Graphics window] = 0,0,0.5,0.5\r\n",
                             "Graphics element = Circle\r\n", "[Type]\r\nMap = Yes\r\n"}) {
        SCOPED_TRACE(text);
        Give(text);
        EXPECT_EQ(CreateWindowFromSection(), 1);
        EXPECT_EQ(gProblemTextBuffer, nullptr);
    }
    EXPECT_TRUE(host.children.empty());
    EXPECT_TRUE(gRecorder.boxes.empty());
    EXPECT_EQ(gProblemKind, kOdeSystem);
}

TEST_F(ProblemClipboardTest, AMalformedSectionIsReportedAtItsLineAndLeavesNoWindow) {
    gRecorder.answers = {kIdNo};
    Give(";\r\n[Graphics window] = 0,0,0.5,0.5,0\r\nTitle = t\r\nMin. X = abc\r\n");
    EXPECT_EQ(CreateWindowFromSection(), 0);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].text, "Error in problem line #4\nDo you want to correct it?");
    EXPECT_TRUE(host.children.empty());
    EXPECT_EQ(gProblemTextBuffer, nullptr);
    EXPECT_EQ(gLoadingProblem, 0);
}

TEST_F(ProblemClipboardTest, AnElementGoesAfterTheCurrentOneWhichStays) {
    GraphWindowState *g = MakeGraph(WindowRect{0, 0, 400, 300});
    // The 3-D curve (index 1) is copied; the circle (index 0) is current.
    GraphicsElement *curve = g->elements->next;
    ASSERT_EQ(BuildElementText(curve), 1);
    const std::string copied = Taken();
    const std::string head = "Graphics element = 3-curve\r\ncos(t)\\nnext\r\nsin(t)\r\nt\\\\n\r\nx ";
    EXPECT_EQ(copied.compare(0, head.size(), head), 0) << copied;
    EXPECT_NE(copied.find("steps"), std::string::npos);
    g->currentElementIndex = 0;
    SeekCurrentElement();
    GraphicsElement *circle = g->currentElement;

    Give(copied);
    ASSERT_EQ(ParseElementText(), 1);
    EXPECT_TRUE(gRecorder.boxes.empty());
    ASSERT_EQ(g->elementCount, 4);
    EXPECT_EQ(g->elements, circle);
    GraphicsElement *pasted = circle->next;
    EXPECT_EQ(g->currentElement, pasted);
    EXPECT_EQ(g->currentElementIndex, 1);
    EXPECT_EQ(pasted->next, curve);
    EXPECT_EQ(pasted->kind, kElement3Curve);
    EXPECT_STREQ(pasted->text1, "cos(t)\r\nnext");
    EXPECT_STREQ(pasted->text2, "sin(t)");
    EXPECT_STREQ(pasted->text3, "t\\n");
    EXPECT_DOUBLE_EQ(pasted->x, curve->x);
    EXPECT_EQ(pasted->color, curve->color);
    EXPECT_NE(pasted->text1, curve->text1);  // a copy of its own
    EXPECT_EQ(gProblemTextBuffer, nullptr);
}

TEST_F(ProblemClipboardTest, ElementTextThatIsNoElementOrIsMalformed) {
    GraphWindowState *g = MakeGraph(WindowRect{0, 0, 400, 300});
    GraphicsElement *current = g->currentElement;
    const int index = g->currentElementIndex;
    Give(";\r\n[Graphics window] = 0,0,0.5,0.5,0\r\n");
    EXPECT_EQ(ParseElementText(), 1);
    EXPECT_TRUE(gRecorder.boxes.empty());
    EXPECT_EQ(g->elementCount, 3);

    struct Case {
        const char *text;
        int line;
    } cases[] = {
        {"Graphics element\r\n", 1},                                 // no kind
        {"Graphics element = Zigzag\r\n", 1},                        // no such kind
        {"Graphics element = 2-curve\r\nx\r\n", 2},  // its second text is missing: the last line read
        {"Graphics element = Circle\r\nx = 1\r\ny = no\r\n", 3},     // not a number
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        gRecorder.Reset();
        gRecorder.answers = {kIdNo};
        gProblemChanged = 0;
        Give(c.text);
        EXPECT_EQ(ParseElementText(), 0);
        ASSERT_EQ(gRecorder.boxes.size(), 1u);
        EXPECT_EQ(gRecorder.boxes[0].text,
                  "Error in problem line #" + std::to_string(c.line) + "\nDo you want to correct it?");
        EXPECT_EQ(g->elementCount, 3);
        EXPECT_EQ(g->currentElement, current);
        EXPECT_EQ(g->currentElementIndex, index);
        EXPECT_EQ(gProblemChanged, 0);
        EXPECT_EQ(gProblemTextBuffer, nullptr);
    }
}

// The file commands ask about a newer file before they start a new problem;
// the parse then does not ask a second time.
TEST_F(ProblemClipboardTest, ANewerTextIsAskedAboutOnceBeforeTheProblemIsReplaced) {
    const std::string newer = "; saved by a newer program\r\nVersion = 250\r\n[Type]\r\nMap = Yes\r\n"
                              "Dimension/Order = 1\r\n";
    gRecorder.answers = {kIdNo};
    Give(newer);
    EXPECT_EQ(AcceptProblemTextVersion(), 0);
    EXPECT_EQ(gProblemTextBuffer, nullptr);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gProblemKind, kOdeSystem);

    gRecorder.Reset();
    gRecorder.answers = {kIdYes};
    Give(newer);
    EXPECT_EQ(AcceptProblemTextVersion(), 1);
    EXPECT_EQ(ParseProblemText(), kParseLoaded);
    EXPECT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gProblemKind, kMap);

    gRecorder.Reset();
    for (const char *same : {"Version = 200\r\n", "Version = 64\r\n", "[Type]\r\n", ""}) {
        Give(same);
        EXPECT_EQ(AcceptProblemTextVersion(), 1) << same;
    }
    EXPECT_TRUE(gRecorder.boxes.empty());
    FreeAndNull(gProblemTextBuffer);
}

}  // namespace
