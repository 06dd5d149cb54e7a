// The problem file: build-parse-build identity of a rich problem, window
// stacking and links through the window double, line errors with their line
// numbers, version rules, filters, value forms, line rules, escaping and the
// checks of counts read from a file.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compile_problem.h"
#include "compiler.h"
#include "graph_drawing.h"
#include "graph_elements.h"
#include "graph_pipeline.h"
#include "graphics_host.h"
#include "memory.h"
#include "platform.h"
#include "platform_recorder.h"
#include "problem_file.h"
#include "problem_settings.h"
#include "recording_surface.h"
#include "run_engine.h"
#include "run_host.h"
#include "solver_method.h"
#include "test_heap.h"
#include "settings.h"
#include "text_window_state.h"
#include "window_host_double.h"
#include "workspace.h"

namespace {

std::string Str(const char *s) { return s ? s : "(null)"; }

class ProblemFileTest : public ::testing::Test {
protected:
    WindowHostDouble host;

    void SetUp() override {
        gRecorder.Reset();
        host.Install();
        std::strcpy(gIdentifier, "me");
        NewProblem(kSingleOde, 2);
    }
    void TearDown() override {
        host.DestroyAll();
        WindowHostDouble::Uninstall();
        FreeProblemWorkspace();
        ResetProblemSettings();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gStackLength = 1000;
        gPcodeLength = 10000;
        gIdentifier[0] = 0;
        gAskForProblemName = 0;
        gProblemChanged = 0;
        gGraphWorkCopy = GraphWindowState();
        gTextWorkCopy = TextWindowState();
        gElementDialogCopy = GraphicsElement();
        gElementWorkCopy = GraphicsElement();
        gCurrentGraph = nullptr;
    }

    // What the file commands do before a load: no windows, a new problem.
    void NewProblem(int kind, unsigned n) {
        host.DestroyAll();
        ResetProblemSettings();
        gProblemKind = kind;
        gDimension = n;
        gStackLength = 1000;
        gPcodeLength = 10000;
        ASSERT_EQ(NewProblemWorkspace(), 1);
    }

    int Parse(const std::string &text) {
        FreeAndNull(gProblemTextBuffer);
        gProblemTextBuffer = AllocTextBuffer(text.size());
        std::memcpy(gProblemTextBuffer, text.data(), text.size());
        return ParseProblemText();
    }

    std::string Build(int withHandles = 0) {
        EXPECT_EQ(BuildProblemText(withHandles), 1);
        return gProblemTextBuffer ? std::string(gProblemTextBuffer, gProblemTextLength) : "";
    }

    FakeChild *Child(int i) { return i < static_cast<int>(host.children.size()) ? &host.children[i] : nullptr; }

    std::vector<std::string> GraphTitlesTopFirst() {
        std::vector<std::string> out;
        for (FakeChild &c : host.children) out.push_back(Str(c.graph ? c.graph->title : c.text->title));
        return out;
    }

    static void SetText(char *&slot, const char *text) { SetNonEmptyStringCopy(slot, text); }

    // A problem that uses every kind of key: names, parameters (one without
    // a name), texts with line breaks and with a literal backslash-n, a code
    // library, a text window and two graph windows, the upper linked to the
    // lower one (a link forward in the file), and one element of each kind.
    void MakeRichProblem(int kind) {
        NewProblem(kind, 3);
        const char *names[] = {"x", "y", "z", "x0", "y0", "z0", "s0", "s1"};
        for (int i = 0; i < 8; ++i) SetText(gColumnTable[kFixedColumnCount + i].name, names[i]);
        SetText(gColumnTable[kColumnTime].name, "time");
        gParameterCount = 3;
        AllocArray(gParameters, 3);
        SetText(gParameters[0].name, "sigma");
        gParameters[0].value = 10;
        gParameters[1].value = 2.5;  // no name
        SetText(gParameters[2].name, "beta");
        gParameters[2].value = 8.0 / 3;
        SetText(gEquationTexts[0], "sigma*(y-x)");
        SetText(gEquationTexts[1], "x\\n");  // x DIV n
        SetText(gEquationTexts[2], "a\r\nb\\\\n c");
        SetText(gInitialFunctionTexts[0], "sin(t)");
        SetText(gBoundaryTexts[2], "x[1]-1");
        for (int i = 0; i < 5; ++i) gInitialValues[i] = i + 0.25;
        gInitialTime = -1.5;
        SetText(gDiscontinuities, "t>1");
        SetText(gStatusFormat, "t = %g\\n");
        SetText(gMathematicaInit, "Needs[\"A\"]\r\nf[x_] := x\\n");
        SetText(gProjectNotes, "Notes\r\n; not a comment\r\nlast line without end");
        gMapPower = 4;
        gScanBegin = 1;
        gScanEnd = 2;
        gInterpolate = 2;
        gRunPriority = 5;
        gPreferredProcessor = 2;
        host.libraries = {"Other", "MyLib"};
        host.libraryParams = {{}, {{"alpha", 0.5}, {"beta", 2}}};
        gCodeLibraryIndex = 2;

        const WindowRect rect{100, 80, 500, 400};
        WindowId text = host.Add(kChildText, &rect);
        WindowId lower = host.Add(kChildGraph, &rect, 1);
        WindowId upper = host.Add(kChildGraph);
        TextWindowState *t = host.Find(text)->text;
        SetText(t->title, "Table\r\nTwo");
        t->count = 2;
        AllocArray(t->expressions, 2);
        AllocArray(t->codes, 2);
        AllocArray(t->formats, 2);
        SetText(t->expressions[0], "x");
        SetText(t->expressions[1], "y\\n");
        SetText(t->formats[0], "%g\\t");
        SetText(t->formats[1], "%g\r\n");
        t->viewPoint.phi = 12.5;
        GraphWindowState *a = host.Find(upper)->graph;
        GraphWindowState *b = host.Find(lower)->graph;
        SetText(a->title, "Graph A");
        SetText(b->title, "Graph B");
        a->linkedWindow = lower;
        a->drawingColor = 0xFF00FF;
        a->viewPoint.distance = 7;
        b->xMin = -20;
        gCurrentGraph = b;
        for (int k = 0; k < kElementKindCount; ++k) {
            gNewElementKind = k;
            GraphicsElement *e = AddGraphicsElement(0);
            ASSERT_NE(e, nullptr);
            e->x = k + 0.5;
            e->color = 0x123456 + k;
            e->line = -2;
            SetText(e->text1, k == kElementText ? "\\b{Text}\\n" : "t1\r\nnext");
            SetText(e->text2, "u\\n");
            SetText(e->text3, "z3");
        }
        gCurrentGraph = nullptr;
    }
};

int LineOf(const std::string &text, const std::string &line) {
    size_t at = text.find("\r\n" + line + "\r\n");
    if (at == std::string::npos) return -1;
    int n = 2;
    for (size_t i = 0; i < at; ++i) n += text[i] == '\n';
    return n;
}

bool HasLine(const std::string &text, const std::string &start) {
    return text.compare(0, start.size(), start) == 0 || text.find("\n" + start) != std::string::npos;
}

TEST_F(ProblemFileTest, RichProblemsBuildParseBuildIdentically) {
    for (int kind : {kOdeSystem, kMap}) {
        SCOPED_TRACE(kind);
        MakeRichProblem(kind);
        std::vector<std::string> stacking = GraphTitlesTopFirst();
        // A title's line break reads back as its escape.
        for (std::string &title : stacking)
            for (size_t at; (at = title.find("\r\n")) != std::string::npos;) title.replace(at, 2, "\\n");
        const std::string first = Build();
        NewProblem(kSingleOde, 2);
        ASSERT_EQ(Parse(first), kParseLoaded) << (gRecorder.boxes.empty() ? "" : gRecorder.boxes[0].text);
        EXPECT_TRUE(gRecorder.boxes.empty());
        EXPECT_EQ(GraphTitlesTopFirst(), stacking);  // the file's first window is on top
        EXPECT_EQ(Build(), first);

        // Texts come back byte for byte.
        EXPECT_STREQ(gEquationTexts[1], "x\\n");
        EXPECT_STREQ(gEquationTexts[2], "a\r\nb\\\\n c");
        EXPECT_STREQ(gMathematicaInit, "Needs[\"A\"]\r\nf[x_] := x\\n");
        EXPECT_STREQ(gProjectNotes, "Notes\r\n; not a comment\r\nlast line without end");
        EXPECT_STREQ(gStatusFormat, "t = %g\\n");
        EXPECT_STREQ(gParameters[1].name, "par1");
        FakeChild *upper = Child(0), *lower = Child(1), *text = Child(2);
        ASSERT_TRUE(upper && lower && text);
        EXPECT_EQ(upper->graph->linkedWindow, lower->id);
        EXPECT_EQ(upper->graph->linkTitle, nullptr);
        EXPECT_EQ(upper->caption, "Graph A");
        EXPECT_DOUBLE_EQ(upper->graph->viewPoint.distance, 7);
        EXPECT_EQ(lower->rect.left, 100);
        EXPECT_EQ(lower->showState, 1);
        // Strings are kept as read: a line break typed into one comes back
        // as its escape, which the places that use the text decode.
        EXPECT_STREQ(text->text->title, "Table\\nTwo");
        EXPECT_STREQ(text->text->formats[0], "%g\\t");
        EXPECT_STREQ(text->text->formats[1], "%g\\n");
        EXPECT_STREQ(text->text->expressions[1], "y\\n");
        EXPECT_DOUBLE_EQ(text->text->viewPoint.phi, 12.5);
        ASSERT_EQ(lower->graph->elementCount, kElementKindCount);
        int k = 0;
        for (GraphicsElement *e = lower->graph->elements; e; e = e->next, ++k) {
            EXPECT_EQ(e->kind, k);
            EXPECT_EQ(e->line, -2);
            if (k >= kElementText) {
                EXPECT_STREQ(e->text1, k == kElementText ? "\\b{Text}\\n" : "t1\r\nnext");
            }
        }

        // Type filters: a map has no method and no ODE-only keys.
        const bool map = kind == kMap;
        EXPECT_EQ(HasLine(first, "[Method]"), !map);
        EXPECT_EQ(HasLine(first, "Integration code          = MyLib\r\nalpha = 0.5\r\nbeta = 2"), !map);
        EXPECT_EQ(HasLine(first, "Delay"), !map);
        EXPECT_EQ(HasLine(first, "Direction field color"), !map);
        EXPECT_EQ(HasLine(first, "Power"), map);
        EXPECT_EQ(HasLine(first, "Average"), map);
        // Version, alignment, radio groups, aliases never written.
        EXPECT_EQ(first.compare(0, 15, "Version = 200\r\n"), 0);
        EXPECT_TRUE(HasLine(first, "Identifier      = me\r\n;\r\n[Type]\r\n"));
        EXPECT_TRUE(HasLine(first, "Highest                   = Yes\r\n"));
        EXPECT_TRUE(HasLine(first, "Normal                    = No\r\n"));
        for (const char *alias : {"Backwards", "Ask bitmap", "Miny", "Color ="}) EXPECT_FALSE(HasLine(first, alias)) << alias;
        EXPECT_EQ(first.find("Poincare/Bifurcation time"), first.rfind("Poincare/Bifurcation time"));
    }
}

TEST_F(ProblemFileTest, HandlesReplacePlacementsAndNameTheWindowsAgain) {
    MakeRichProblem(kOdeSystem);
    const std::string withHandles = Build(1);
    char header[64];
    std::snprintf(header, sizeof header, "[Graphics window]     = %X\r\n", Child(0)->id);
    EXPECT_TRUE(HasLine(withHandles, header));
    // The All settings editor reads them back into the same windows.
    const WindowId top = Child(0)->id;
    ASSERT_EQ(Parse(withHandles), kParseLoaded);
    EXPECT_EQ(host.children.size(), 3u);
    EXPECT_EQ(Child(0)->id, top);
}

TEST_F(ProblemFileTest, ZeroClientAreaWritesNoPlacementAndReadsAsDefault) {
    host.Add(kChildGraph);
    host.client = WindowRect{0, 0, 0, 0};
    const std::string text = Build();
    EXPECT_TRUE(HasLine(text, "[Graphics window]     = \r\n"));
    NewProblem(kSingleOde, 2);
    host.client = WindowRect{0, 0, 1000, 800};
    ASSERT_EQ(Parse(text), kParseLoaded);
    ASSERT_EQ(host.children.size(), 1u);
    EXPECT_EQ(Child(0)->rect.width, 400);  // the double's default placement
}

// Fractions that give no window position (not numbers, or far beyond any
// screen) are not a placement: the window opens at the default one.
TEST_F(ProblemFileTest, PlacementsNoScreenCanTakeReadAsTheDefault) {
    for (const char *value : {"nan,0.1,0.5,0.5", "0.1,inf,0.5,0.5", "0.1,0.1,1e300,0.5", "0,0,0.5,-1e12,1"}) {
        SCOPED_TRACE(value);
        NewProblem(kSingleOde, 2);
        ASSERT_EQ(Parse(std::string("Version = 200\r\n[Graphics window] = ") + value + "\r\n"), kParseLoaded);
        ASSERT_EQ(host.children.size(), 1u);
        EXPECT_EQ(Child(0)->rect.left, 20);  // the double's default placement
        EXPECT_EQ(Child(0)->rect.width, 400);
        EXPECT_EQ(Child(0)->showState, 0);
    }
    NewProblem(kSingleOde, 2);
    ASSERT_EQ(Parse("Version = 200\r\n[Graphics window] = 0.1,0.25,0.5,0.5,-1\r\n"), kParseLoaded);
    EXPECT_EQ(Child(0)->rect.top, 200);
    EXPECT_EQ(Child(0)->showState, -1);
}

// A window that was not moved or sized is written with the fractions it was
// read with, however its pixels rounded (421 / 674 is 0.624629); one that
// was moved gets its new place.
TEST_F(ProblemFileTest, AnUnchangedWindowKeepsTheFractionsItWasReadWith) {
    NewProblem(kOdeSystem, 3);
    host.client = WindowRect{0, 0, 1013, 674};
    ASSERT_EQ(Parse("Version = 200\r\n[Graphics window] = 0,0,0.6,0.625,0\r\nTitle = G\r\n"
                    "[Text window] = 0.6,0.1,0.4,0.625,0\r\nTitle = T\r\n"),
              kParseLoaded);
    ASSERT_EQ(host.children.size(), 2u);
    EXPECT_EQ(Child(0)->rect.height, 421);
    std::string text = Build();
    EXPECT_TRUE(HasLine(text, "[Graphics window]     = 0,0,0.6,0.625,0\r\n")) << text;
    EXPECT_TRUE(HasLine(text, "[Text window]  = 0.6,0.1,0.4,0.625,0\r\n")) << text;
    // Read again, the same text comes back.
    NewProblem(kOdeSystem, 3);
    ASSERT_EQ(Parse(text), kParseLoaded);
    EXPECT_EQ(Build(), text);

    FakeChild *graph = host.Find(host.children[0].kind == kChildGraph ? host.children[0].id : host.children[1].id);
    graph->rect.height += 1;
    text = Build();
    EXPECT_TRUE(HasLine(text, "[Graphics window]     = 0,0,0.600197,0.626113,0\r\n")) << text;
    // In a client of another size the old fractions no longer give the window.
    host.client = WindowRect{0, 0, 1013, 675};
    graph->rect.height -= 1;
    text = Build();
    EXPECT_FALSE(HasLine(text, "[Graphics window]     = 0,0,0.6,0.625,0\r\n")) << "the client changed";
}

TEST_F(ProblemFileTest, SwappedKeysGiveTheLineErrorAtTheLineNoTableTakes) {
    std::string text = Build();
    const size_t a = text.find("First value"), b = text.find("Last value");
    const size_t aEnd = text.find("\r\n", a) + 2, bEnd = text.find("\r\n", b) + 2;
    const std::string firstLine = text.substr(a, aEnd - a), lastLine = text.substr(b, bEnd - b);
    text = text.substr(0, a) + lastLine + firstLine + text.substr(bEnd);
    const int line = LineOf(text, firstLine.substr(0, firstLine.size() - 2));
    for (int answer : {kIdYes, kIdNo}) {
        gRecorder.Reset();
        gRecorder.answers = {answer};
        gLastValue = 10;
        EXPECT_EQ(Parse(text), answer == kIdYes ? kParseCorrect : kParseDeclined);
        ASSERT_EQ(gRecorder.boxes.size(), 1u);
        EXPECT_EQ(gRecorder.boxes[0].text, "Error in problem line #" + std::to_string(line) +
                                               "\nDo you want to correct it?");
        EXPECT_EQ(gProblemErrorLine, static_cast<unsigned>(line));
        EXPECT_NE(gProblemTextBuffer, nullptr);  // kept for the editor
    }
}

TEST_F(ProblemFileTest, NewerFileAsksAndNoLeavesTheProblemUntouched) {
    MakeRichProblem(kOdeSystem);
    const std::string before = Build();
    const std::string newer = "Version = 250\r\n[Type]\r\nMap = Yes\r\nDimension/Order = 1\r\n";
    gRecorder.answers = {kIdNo};
    EXPECT_EQ(Parse(newer), kParseRefused);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].text,
              "To read correctly this problem file,\nversion 2.50 or newer is required.\nContinue anyway?");
    EXPECT_EQ(Build(), before);
    EXPECT_EQ(host.children.size(), 3u);
    EXPECT_EQ(host.begins, host.ends);

    gRecorder.Reset();
    gRecorder.answers = {kIdYes};
    EXPECT_EQ(Parse(newer), kParseLoaded);
    EXPECT_EQ(gProblemKind, kMap);
    EXPECT_EQ(gDimension, 1u);
}

TEST_F(ProblemFileTest, OldFilesReadTheirAliasesAndAskForANewName) {
    const std::string old =
        "Version = 60\r\nIdentifier = me\r\n[Type]\r\nSystem of ODEs = 1\r\nDimension/Order = 2\r\n"
        "[Range]\r\nBackwards = Yes\r\n[Graphics window]\r\nMiny = -3\r\nColor = 4\r\nAsk bitmap = Yes\r\n";
    ASSERT_EQ(Parse(old), kParseLoaded);
    EXPECT_EQ(gBackward, 1);
    ASSERT_EQ(host.children.size(), 1u);
    EXPECT_EQ(Child(0)->graph->bitmapMode, 3);
    EXPECT_EQ(Child(0)->graph->yMin, -1);  // "Miny" is of version 0 only
    EXPECT_EQ(Child(0)->graph->plotter.pen, 1);  // "Color" of versions up to 56
    EXPECT_EQ(gAskForProblemName, 1);
    NewProblem(kSingleOde, 2);
    ASSERT_EQ(Parse("[Graphics window]\r\nMiny = -3\r\nColor = 4\r\n"), kParseLoaded);  // version 0
    EXPECT_EQ(Child(0)->graph->yMin, -3);
    EXPECT_EQ(Child(0)->graph->plotter.pen, 4);
    const std::string current = Build();
    for (const char *alias : {"Backwards", "Ask bitmap", "Miny", "Color ="}) EXPECT_FALSE(HasLine(current, alias));

    // Version 70 does not ask; an alias of older versions is consumed
    // without effect.
    NewProblem(kSingleOde, 2);
    gAskForProblemName = 0;
    ASSERT_EQ(Parse("Version = 70\r\n[Range]\r\nBackward = No\r\nBackwards = Yes\r\n"), kParseLoaded);
    EXPECT_EQ(gBackward, 0);
    EXPECT_EQ(gAskForProblemName, 0);
}

TEST_F(ProblemFileTest, MachineKeysApplyOnlyInThisUsersFiles) {
    for (const char *id : {"someone", "me"}) {
        SCOPED_TRACE(id);
        NewProblem(kSingleOde, 2);
        const std::string text = std::string("Version = 200\r\nIdentifier = ") + id +
                                 "\r\n[Type]\r\nStack length = 5000\r\nP-code length = 777\r\n"
                                 "[Range]\r\nIdle = Yes\r\nProcessor = 2\r\n"
                                 "[Graphics window]\r\nCapture = 7\r\nPlotter = Yes\r\nDevice = LPT1\r\n"
                                 "[Text window]\r\nCapture = Yes\r\nOutput file = out.txt\r\n";
        ASSERT_EQ(Parse(text), kParseLoaded);
        const bool mine = std::strcmp(id, "me") == 0;
        EXPECT_EQ(gStackLength, mine ? 5000u : 1000u);
        EXPECT_EQ(gPcodeLength, mine ? 777u : 10000u);
        EXPECT_EQ(gRunPriority, mine ? 0 : 3);
        EXPECT_EQ(gPreferredProcessor, mine ? 2 : 0);
        FakeChild *graph = Child(0), *text_ = Child(1);
        ASSERT_TRUE(text_ && graph);
        EXPECT_EQ(graph->graph->capture, mine ? 7 : gOutputMetafile);
        EXPECT_EQ(graph->graph->plotterOutput, mine ? 1 : 0);
        EXPECT_EQ(Str(graph->graph->plotter.device), mine ? "LPT1" : "(null)");
        EXPECT_EQ(text_->text->capture, mine ? 1 : 0);
        EXPECT_EQ(Str(text_->text->outputFile), mine ? "out.txt" : "(null)");
    }
}

TEST_F(ProblemFileTest, KeysOfTheOtherProblemTypeAreConsumedSilently) {
    const std::string text =
        "Version = 200\r\n[Type]\r\nSystem of ODEs = Yes\r\n[Equations]\r\nPower = 9\r\n[Range]\r\n"
        "Bifurcation diagram = Yes\r\nBegin = 3\r\n[Graphics window]\r\nDirect = 5\r\nHistogram = 2\r\n";
    ASSERT_EQ(Parse(text), kParseLoaded);
    EXPECT_TRUE(gRecorder.boxes.empty());
    EXPECT_EQ(gMapPower, 1u);
    EXPECT_EQ(gBifurcationDiagram, 0);
    EXPECT_EQ(gScanBegin, 0);
    EXPECT_EQ(Child(0)->graph->directPower, 0u);

    NewProblem(kSingleOde, 2);
    ASSERT_EQ(Parse("Version = 200\r\n[Type]\r\nMap = Yes\r\n[Equations]\r\nDelay = 2\r\n[Range]\r\n"
                    "Backward = Yes\r\n[Method]\r\nTolerance = 5\r\n"),
              kParseLoaded);
    EXPECT_EQ(gDelay, 0);
    EXPECT_EQ(gTolerance, 1e-8);
}

TEST_F(ProblemFileTest, ValueForms) {
    const std::string text =
        "Version=200\r\n[Type]\r\nSingle ODE = 1\r\nDimension/Order = 0\r\n[Range]\r\nInterpolate = 2\r\n"
        "Pause = 010\r\nAuto start = yes\r\n[Graphics window]\r\nTitle=\r\nContinuous line = n\r\n"
        "Background color = 0xFF\r\n";
    ASSERT_EQ(Parse(text), kParseLoaded);
    EXPECT_EQ(gDimension, 1u);
    EXPECT_EQ(gInterpolate, 2);
    EXPECT_EQ(gPauseSetting, 8);
    EXPECT_EQ(gAutoStart, 1);
    EXPECT_EQ(Child(0)->graph->title, nullptr);
    EXPECT_EQ(Child(0)->graph->backgroundColor, 0xFF);
    EXPECT_EQ(Child(0)->graph->continuousLine, 0);
    const std::string built = Build();
    EXPECT_TRUE(HasLine(built, "Interpolate               = Yes\r\n"));
    EXPECT_TRUE(HasLine(built, "Background color      = FF\r\n"));

    for (const char *bad : {"[Range]\r\nInterpolate = maybe", "[Range]\r\nPause = x", "[Range]\r\nFirst value = ?",
                            "[Type]\r\nMap = perhaps", "[Range]\r\nStep =", "[Graphics window]\r\nGrid color = red"}) {
        SCOPED_TRACE(bad);
        NewProblem(kSingleOde, 2);
        gRecorder.Reset();
        gRecorder.answers = {kIdNo};
        EXPECT_EQ(Parse(std::string("Version = 200\r\n") + bad + "\r\n"), kParseDeclined);
        EXPECT_EQ(gProblemErrorLine, 3u);
    }
}

TEST_F(ProblemFileTest, ImpossibleCountsAreLineErrorsAtTheirLine) {
    struct Case {
        const char *lines;
        unsigned errorLine;
    };
    const Case cases[] = {
        {"[Type]\r\nDimension/Order = 10001\r\n", 3},
        {"[Type]\r\nDimension/Order = 4294967295\r\n", 3},
        {"Identifier = me\r\n[Type]\r\nStack length = 0\r\n", 4},
        {"Identifier = me\r\n[Type]\r\nStack length = 4294967295\r\n", 4},
        {"Identifier = me\r\n[Type]\r\nP-code length = 3\r\n", 4},
        {"[Parameters]\r\nParameters = -1\r\n", 3},
        {"[Parameters]\r\nParameters = 2000000000\r\n", 3},
        {"[Text window]\r\nExpressions = 1000000000\r\n", 3},
        {"[Text window]\r\nExpressions = -2\r\n", 3},
        {"[Graphics window]\r\nSelect in X axis = 3\r\n", 3},
        {"[Graphics window]\r\nSelect in Y axis = -1\r\n", 3},
        {"[Initial values]\r\nDependent variable(s):\r\n1\r\n2\r\n3\r\nnot a number\r\n", 7},
        {"[Parameters]\r\nParameters = 3\r\na = 1\r\n", 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lines);
        NewProblem(kSingleOde, 2);
        gRecorder.Reset();
        gRecorder.answers = {kIdNo};
        EXPECT_EQ(Parse(std::string("Version = 200\r\n") + c.lines), kParseDeclined);
        EXPECT_EQ(gProblemErrorLine, c.errorLine);
        EXPECT_EQ(gRecorder.boxes.size(), 1u);
        EXPECT_LE(gDimension, 10000u);
        EXPECT_EQ(host.children.size(), 0u);  // the window being read is destroyed
    }
    // Within the limits all is well.
    NewProblem(kSingleOde, 2);
    ASSERT_EQ(Parse("Version = 200\r\n[Type]\r\nDimension/Order = 2\r\n[Graphics window]\r\n"
                    "Select in X axis = 2\r\n"),
              kParseLoaded);
    EXPECT_EQ(Child(0)->graph->selectX, 2);
}

TEST_F(ProblemFileTest, LineRules) {
    const std::string head = "Version = 200\r\n[Graphics window]\r\nTitle = ";
    // The longest line reads whole; one character more is a line error,
    // never a cut title.
    std::string longest(kProblemLineSize - 8, 'a');
    ASSERT_EQ(Parse(head + longest + "\r\n"), kParseLoaded);
    EXPECT_EQ(std::strlen(Child(0)->graph->title), longest.size());
    NewProblem(kSingleOde, 2);
    gRecorder.answers = {kIdNo};
    EXPECT_EQ(Parse(head + longest + "b\r\n"), kParseDeclined);
    EXPECT_EQ(gProblemErrorLine, 3u);

    // No final line end.
    NewProblem(kSingleOde, 2);
    gRecorder.Reset();
    gRecorder.answers = {kIdNo};
    EXPECT_EQ(Parse("Version = 200\r\n[Range]\r\nPause = 3"), kParseDeclined);
    EXPECT_EQ(gProblemErrorLine, 3u);

    // LF-only lines, comments counted in line numbers, tabs kept.
    NewProblem(kSingleOde, 2);
    gRecorder.Reset();
    ASSERT_EQ(Parse("Version = 200\n; a comment\n[Graphics window]\nTitle = a\tb\n"), kParseLoaded);
    EXPECT_STREQ(Child(0)->graph->title, "a\tb");
    NewProblem(kSingleOde, 2);
    gRecorder.answers = {kIdNo};
    EXPECT_EQ(Parse("Version = 200\n; a comment\n[Range]\nPause = \x01\n"), kParseDeclined);
    EXPECT_EQ(gProblemErrorLine, 4u);

    // An empty text reads as nothing at all.
    NewProblem(kSingleOde, 2);
    EXPECT_EQ(Parse(""), kParseLoaded);
}

TEST_F(ProblemFileTest, NamesTheFileLeavesUnsetKeepTheirDefaults) {
    NewProblem(kOdeSystem, 2);
    ASSERT_EQ(Parse("Version = 200\r\n[Type]\r\nSystem of ODEs = Yes\r\nDimension/Order = 2\r\n[Variables]\r\n"
                    "Independent variable = tau\r\nDependent variable(s) =\r\nIndividual names:\r\nu\r\n\r\n"),
              kParseLoaded);
    EXPECT_STREQ(gColumnTable[kColumnTime].name, "tau");
    EXPECT_STREQ(gColumnTable[kColumnVariables].name, "x");
    EXPECT_STREQ(gColumnTable[kColumnInitialTime].name, "t0");
    EXPECT_STREQ(gColumnTable[kFixedColumnCount].name, "u");
    EXPECT_EQ(gColumnTable[kFixedColumnCount + 1].name, nullptr);
}

TEST_F(ProblemFileTest, EmptyTextLinesReadAsNoText) {
    NewProblem(kOdeSystem, 2);
    ASSERT_EQ(Parse("Version = 200\r\n[Type]\r\nSystem of ODEs = Yes\r\n[Equations]\r\nDefinitions:\r\n"
                    "\r\nx[1]\r\n"),
              kParseLoaded);
    EXPECT_EQ(gEquationTexts[0], nullptr);
    EXPECT_STREQ(gEquationTexts[1], "x[1]");
}

// Comment lines may stand anywhere, also between the lines of a list: the
// equations, initial values, initial functions and text-window expressions.
// Format lines are texts of their own, where a leading ";" is kept.
TEST_F(ProblemFileTest, CommentLinesInsideListsAreSkipped) {
    NewProblem(kOdeSystem, 2);
    ASSERT_EQ(Parse("Version = 200\r\n[Type]\r\nSystem of ODEs = Yes\r\nDimension/Order = 2\r\n"
                    "[Equations]\r\nDefinitions:\r\n; the first equation\r\nx[1]\r\n;\r\n-x[0]\r\n"
                    "[Initial values]\r\nDependent variable(s):\r\n; four lines\r\n1\r\n2\r\n;\r\n3\r\n4\r\n"
                    "Initial functions:\r\n;\r\nsin(t)\r\ncos(t)\r\n"
                    "[Text window]\r\nExpressions = 2\r\n; columns\r\nt\r\nx\r\nFormat strings:\r\n;%g\r\n%g\r\n"),
              kParseLoaded)
        << (gRecorder.boxes.empty() ? "" : gRecorder.boxes[0].text);
    EXPECT_STREQ(gEquationTexts[0], "x[1]");
    EXPECT_STREQ(gEquationTexts[1], "-x[0]");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(gInitialValues[i], i + 1);
    EXPECT_STREQ(gInitialFunctionTexts[0], "sin(t)");
    EXPECT_STREQ(gInitialFunctionTexts[1], "cos(t)");
    TextWindowState *t = Child(0)->text;
    EXPECT_STREQ(t->expressions[0], "t");
    EXPECT_STREQ(t->expressions[1], "x");
    EXPECT_STREQ(t->formats[0], ";%g");

    // An expression that begins with ";" is written so that it is no comment.
    SetText(gEquationTexts[0], ";x");
    SetText(t->expressions[1], ";y");
    const std::string first = Build();
    NewProblem(kOdeSystem, 2);
    ASSERT_EQ(Parse(first), kParseLoaded);
    EXPECT_STREQ(gEquationTexts[0], " ;x");
    EXPECT_STREQ(gEquationTexts[1], "-x[0]");
    EXPECT_STREQ(Child(0)->text->expressions[1], " ;y");
    EXPECT_STREQ(Child(0)->text->formats[0], ";%g");
    EXPECT_EQ(Build(), first);
}

// A text that would make a line longer than the reader takes is refused at
// saving, with the line's number, rather than written unreadable.
TEST_F(ProblemFileTest, ALineTooLongToReadBackFailsTheBuild) {
    NewProblem(kOdeSystem, 2);
    const std::string fits(20480, 'y');
    SetText(gEquationTexts[0], fits.c_str());
    const std::string text = Build();
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(Parse(text.c_str()), kParseLoaded);
    EXPECT_EQ(std::string(gEquationTexts[0]), fits);

    // The notes are read whole, not by lines: a long paragraph is no obstacle.
    const std::string notes = std::string(30000, 'n') + "\r\nlast";
    SetText(gProjectNotes, notes.c_str());
    const std::string withNotes = Build();
    ASSERT_FALSE(withNotes.empty());
    ASSERT_EQ(Parse(withNotes), kParseLoaded);
    EXPECT_EQ(Str(gProjectNotes), notes);

    gRecorder.Reset();
    SetText(gEquationTexts[1], (fits + "y").c_str());
    EXPECT_EQ(BuildProblemText(0), 0);
    EXPECT_EQ(gProblemTextBuffer, nullptr);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_NE(gRecorder.boxes[0].text.find("Line #"), std::string::npos);
}

TEST_F(ProblemFileTest, EscapingRoundTripsAndOlderFilesReadAsBefore) {
    const char *texts[] = {"plain", "x\\n", "a\r\nb", "\\\\n", "\\\r\n", "end\\", "\\r\\n", "\\\\\\n\r\n\\"};
    for (const char *t : texts) {
        SCOPED_TRACE(t);
        char escaped[64];
        EscapeProblemText(t, escaped, sizeof escaped);
        EXPECT_EQ(std::strpbrk(escaped, "\r\n"), nullptr);
        char *back = nullptr;
        SetUnescapedString(back, escaped);
        EXPECT_STREQ(back, t);
        FreeAndNull(back);
    }
    // Older files: "\n" is a line break in texts, and string values are
    // taken as written.
    ASSERT_EQ(Parse("Version = 199\r\n[Mathematica]\r\nInitialization = a\\nb\r\n[Text window]\r\n"
                    "Separator = \\r\\n\r\n"),
              kParseLoaded);
    EXPECT_STREQ(gMathematicaInit, "a\r\nb");
    EXPECT_STREQ(Child(0)->text->separator, "\\r\\n");
    // The default separator is written as it is and reads back the same.
    const std::string built = Build();
    EXPECT_TRUE(HasLine(built, "Separator      = \\r\\n\r\n"));
    NewProblem(kSingleOde, 2);
    ASSERT_EQ(Parse(built), kParseLoaded);
    EXPECT_STREQ(Child(0)->text->separator, "\\r\\n");
}

// The escaped length is counted before the text is written: a buffer of just
// the written text and its terminator takes it, one byte less is refused.
// Every text of up to five characters from backslashes, "n", line-break
// parts and a letter, and a few long runs.
TEST_F(ProblemFileTest, EscapedLengthCountedIsTheLengthWritten) {
    std::vector<std::string> texts = {std::string(40, '\\') + "n", std::string(41, '\\') + "\r\n",
                                      "\r\r\n\n\\\r\\\\\n\\n", std::string(30, '\\')};
    const char alphabet[] = {'\\', 'n', '\r', '\n', 'x'};
    std::vector<std::string> shorter = {""};
    for (int length = 1; length <= 5; ++length) {
        std::vector<std::string> longer;
        for (const std::string &s : shorter)
            for (char c : alphabet) longer.push_back(s + c);
        texts.insert(texts.end(), longer.begin(), longer.end());
        shorter.swap(longer);
    }
    for (const std::string &t : texts) {
        SCOPED_TRACE(testing::PrintToString(t));
        char written[256];
        EscapeProblemText(t.c_str(), written, sizeof written);
        const size_t n = std::strlen(written);
        ASSERT_GE(n, t.size());
        char exact[256];
        EscapeProblemText(t.c_str(), exact, n + 1);
        EXPECT_STREQ(exact, written);
        char shortBy1[256] = "unchanged";
        EscapeProblemText(t.c_str(), shortBy1, n);
        EXPECT_STREQ(shortBy1, "");
        char *back = nullptr;
        SetUnescapedString(back, written);
        const std::string asRead = back ? back : "";
        FreeAndNull(back);
        // Lone CR and LF come back as CR LF.
        std::string breaksAsCrLf;
        for (size_t i = 0; i < t.size(); ++i) {
            if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
            breaksAsCrLf += t[i] == '\r' || t[i] == '\n' ? std::string("\r\n") : std::string(1, t[i]);
        }
        EXPECT_EQ(asRead, breaksAsCrLf);
    }
}

// Strings, the text-window lists and a Text element's layout codes are kept
// exactly as read, in a current file too: their escapes are decoded where
// they are used, never twice. The texts the reader decodes keep x\n.
TEST_F(ProblemFileTest, StringsAndTextElementsAreKeptAsRead) {
    NewProblem(kOdeSystem, 1);
    const std::string text =
        "Version = 200\r\n[Type]\r\nSystem of ODEs = Yes\r\nDimension/Order = 1\r\n"
        "[Equations]\r\nDefinitions:\r\nx\\n\r\n[Status line]\r\nNumerical format = t=%g\\tx=%g\r\n"
        "[Text window]\r\nTitle = a\\nb\r\nExpressions = 1\r\nx\\n\r\nFormat strings:\r\n%g\\n\r\n"
        "Separator = \\r\\n\r\n"
        "[Graphics window]\r\nTitle = Phase\\\\n\r\nX axis = \\b{x}\\n\r\n"
        "Graphics element = Text\r\n\\b{Bold}\\n\\\\n\r\n"
        "Graphics element = Special\r\nS\\\\nT\r\n";
    ASSERT_EQ(Parse(text), kParseLoaded) << (gRecorder.boxes.empty() ? "" : gRecorder.boxes[0].text);
    EXPECT_STREQ(gEquationTexts[0], "x\r\n");  // an expression text is decoded
    EXPECT_STREQ(gStatusFormat, "t=%g\\tx=%g");
    FakeChild *table = Child(0)->text ? Child(0) : Child(1);
    FakeChild *graph = Child(0)->graph ? Child(0) : Child(1);
    ASSERT_TRUE(table && table->text && graph && graph->graph);
    EXPECT_STREQ(table->text->title, "a\\nb");
    EXPECT_STREQ(table->text->expressions[0], "x\\n");
    EXPECT_STREQ(table->text->formats[0], "%g\\n");
    EXPECT_STREQ(table->text->separator, "\\r\\n");
    EXPECT_STREQ(graph->graph->title, "Phase\\\\n");
    EXPECT_STREQ(graph->graph->axisText[0], "\\b{x}\\n");
    ASSERT_EQ(graph->graph->elementCount, 2);
    EXPECT_STREQ(graph->graph->elements->text1, "\\b{Bold}\\n\\\\n");
    EXPECT_STREQ(graph->graph->elements->next->text1, "S\\nT");  // other element texts are decoded

    // Written back unchanged, and x DIV n still survives a save.
    SetNonEmptyStringCopy(gEquationTexts[0], "x\\n");
    const std::string first = Build();
    EXPECT_TRUE(HasLine(first, "x\\\\n\r\n"));
    EXPECT_NE(first.find("Separator      = \\r\\n\r\n"), std::string::npos);
    EXPECT_NE(first.find("\r\n\\b{Bold}\\n\\\\n\r\n"), std::string::npos);
    NewProblem(kOdeSystem, 1);
    ASSERT_EQ(Parse(first), kParseLoaded);
    EXPECT_STREQ(gEquationTexts[0], "x\\n");
    EXPECT_EQ(Build(), first);
}

// One element of each kind, saved and read back, draws the same strokes.
TEST_F(ProblemFileTest, AllThirteenElementKindsDrawTheSameAfterASaveAndALoad) {
    NewProblem(kOdeSystem, 2);
    gParameterCount = 1;
    AllocArray(gParameters, 1);
    SetText(gParameters[0].name, "a");
    gParameters[0].value = 0.5;
    const std::string data = ::testing::TempDir() + "problem_elements.txt";
    FILE *f = std::fopen(data.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("0 0\n0.5 0.5\n-0.5 0.5\n", f);
    std::fclose(f);
    const WindowRect rect{0, 0, 300, 300};
    host.Add(kChildGraph, &rect);
    GraphWindowState *g = host.children[0].graph;
    ASSERT_TRUE(g);
    g->xMin = g->yMin = -1;
    g->xMax = g->yMax = 1;
    gCurrentGraph = g;
    const char *texts[kElementKindCount][2] = {
        {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},
        {"no font", nullptr}, {"a*cos(t)", "s*sin(t)"}, {"t", "t*t"}, {"IN;", nullptr},
        {data.c_str(), nullptr}, {"3 -3 3", "60 -120 60"}, {"x", "y"}, {nullptr, "t0"}, {nullptr, "a"},
    };
    for (int k = 0; k < kElementKindCount; ++k) {
        gNewElementKind = k;
        GraphicsElement *e = AddGraphicsElement(0);
        ASSERT_NE(e, nullptr);
        // Values that 15 digits write exactly: a rounding of the file must
        // not move a pixel.
        e->x = k / 32.0 - 0.25;
        e->size = 0.375;
        e->radius = 0.25;
        e->begin = k == kElementFractal ? 2 : 10;
        e->end = k == kElementFractal ? 2 : 300;
        e->direction = k == kElementAxes ? 0 : 20;
        e->steps = k == kElementFractal ? 0 : 24;
        e->line = k % 2 ? -1 : 1;
        SetText(e->text1, texts[k][0]);
        SetText(e->text2, texts[k][1]);
        if (k == kElement3Curve) SetText(e->text3, "1");
    }
    RecordingSurface surface;
    InstallGraphicsElements();
    gGraphSurface = SurfaceRecord(&surface);
    gDrawDc = 1;
    auto draw = [&](GraphWindowState *state) {
        gCurrentGraph = state;
        SetClientExtent(200, 200);
        UpdateGraphMapping();
        surface.prims.clear();
        DrawAllGraphicsElements();
        return surface.prims;
    };
    const std::vector<DevicePrimitive> before = draw(g);
    EXPECT_GT(before.size(), 100u);
    const std::string saved = Build();
    NewProblem(kOdeSystem, 2);
    ASSERT_EQ(Parse(saved), kParseLoaded);
    ASSERT_EQ(host.children.size(), 1u);
    GraphWindowState *loaded = host.children[0].graph;
    ASSERT_EQ(loaded->elementCount, kElementKindCount);
    const std::vector<DevicePrimitive> after = draw(loaded);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i)
        ASSERT_TRUE(after[i] == before[i]) << "primitive " << i << ": " << after[i].x1 << "," << after[i].y1 << " for "
                                           << before[i].x1 << "," << before[i].y1;
    gGraphSurface = GraphSurface{};
    gDrawDc = 0;
    gGraphicsHost.drawElements = nullptr;
    gCompileHooks.elements = nullptr;
    gCurrentGraph = nullptr;
    std::remove(data.c_str());
}

TEST_F(ProblemFileTest, UnknownLibraryOrElementKindAndFailedWindowAreLineErrors) {
    struct Case {
        const char *lines;
        unsigned errorLine;
    };
    host.libraries = {"Lib"};
    host.libraryParams = {{{"p", 1}}};
    const Case cases[] = {
        {"[Method]\r\nIntegration code = Nowhere\r\n", 3},
        {"[Method]\r\nIntegration code = lib\r\nq = 2\r\n", 4},
        {"[Graphics window]\r\nGraphics element = Blob\r\n", 3},
        {"[Graphics window]\r\nGraphics element =\r\n", 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lines);
        NewProblem(kSingleOde, 2);
        gRecorder.Reset();
        gRecorder.answers = {kIdNo};
        EXPECT_EQ(Parse(std::string("Version = 200\r\n") + c.lines), kParseDeclined);
        EXPECT_EQ(gProblemErrorLine, c.errorLine);
    }
    NewProblem(kSingleOde, 2);
    ASSERT_EQ(Parse("Version = 200\r\n[Method]\r\nIntegration code = LIB\r\nP = 4.5\r\n"), kParseLoaded);
    EXPECT_EQ(gCodeLibraryIndex, 1);
    EXPECT_EQ(host.libraryParams[0][0].second, 4.5);

    NewProblem(kSingleOde, 2);
    host.failCreate = 1;
    gRecorder.Reset();
    gRecorder.answers = {kIdNo};
    EXPECT_EQ(Parse("Version = 200\r\n[Text window]\r\nTitle = t\r\n"), kParseDeclined);
    EXPECT_EQ(gProblemErrorLine, 2u);
}

TEST_F(ProblemFileTest, ABufferThatCannotGrowFailsTheBuildAndFreesIt) {
    NewProblem(kSingleOde, 2);
    gParameterCount = 3000;  // some 60 KB of parameter lines
    AllocArray(gParameters, 3000);
    for (int i = 0; i < 3000; ++i) SetText(gParameters[i].name, "parameter");
    const std::string whole = Build();
    ASSERT_GT(whole.size(), 40960u);
    for (int successes : {0, 1}) {
        SCOPED_TRACE(successes);
        gRecorder.Reset();
        FailHeapAfter(successes, 10);
        EXPECT_EQ(BuildProblemText(0), 0);
        FailHeapAfter(-1);
        EXPECT_EQ(gProblemTextBuffer, nullptr);
        EXPECT_EQ(gProblemTextLength, 0u);
        EXPECT_FALSE(gRecorder.boxes.empty());  // the allocator told the user
    }
    EXPECT_EQ(Build(), whole);
}

// The example problem: the Lorenz system with one graph and one text window.
// VR_WRITE_EXAMPLES=1 writes it afresh with the writer.
class LorenzExampleTest : public ProblemFileTest {
protected:
    void MakeLorenz() {
        gIdentifier[0] = 0;
        NewProblem(kOdeSystem, 3);
        const char *names[] = {"x", "y", "z"};
        for (int i = 0; i < 3; ++i) SetText(gColumnTable[kFixedColumnCount + i].name, names[i]);
        // The vector takes another name than its components.
        SetText(gColumnTable[kColumnVariables].name, "v");
        const char *parameters[] = {"sigma", "rho", "beta"};
        const double values[] = {10, 28, 8.0 / 3};
        gParameterCount = 3;
        AllocArray(gParameters, 3);
        for (int i = 0; i < 3; ++i) {
            SetText(gParameters[i].name, parameters[i]);
            gParameters[i].value = values[i];
        }
        SetText(gEquationTexts[0], "sigma*(y-x)");
        SetText(gEquationTexts[1], "x*(rho-z)-y");
        SetText(gEquationTexts[2], "x*y-beta*z");
        gInitialValues[0] = gInitialValues[1] = gInitialValues[2] = 1;
        gLastValue = 50;
        gOutputStep = 0.01;
        gInterpolate = 1;
        gRetardedPoints = 1;
        SetText(gStatusSecondExpression, "z");
        SetText(gStatusFormat, "t = %g   z = %g");
        SetText(gProjectNotes, "The Lorenz system at the classical parameters.\r\n");
        const WindowRect graphRect{0, 0, 600, 500}, textRect{600, 0, 400, 500};
        WindowId text = host.Add(kChildText, &textRect);
        WindowId graph = host.Add(kChildGraph, &graphRect);
        GraphWindowState *g = host.Find(graph)->graph;
        SetText(g->title, "Lorenz attractor");
        SetText(g->axisText[0], "x");
        SetText(g->axisText[1], "z");
        g->xMin = -25, g->xMax = 25, g->yMin = 0, g->yMax = 50;
        g->drawingColor = 0xC00000;
        TextWindowState *t = host.Find(text)->text;
        SetText(t->title, "Lorenz values");
        const char *columns[] = {"t", "x", "y", "z"};
        t->count = 4;
        AllocArray(t->expressions, 4);
        AllocArray(t->codes, 4);
        AllocArray(t->formats, 4);
        for (int i = 0; i < 4; ++i) {
            SetText(t->expressions[i], columns[i]);
            SetText(t->formats[i], i < 3 ? "%10.4f " : "%10.4f");
        }
        t->frequency = 10;
    }
};

std::string ReadExample(const char *name) {
    const std::string path = std::string(VR_SOURCE_DIR) + "/examples/" + name;
    std::string file;
    if (FILE *in = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) file.append(chunk, n);
        std::fclose(in);
    }
    return file;
}

TEST_F(LorenzExampleTest, ExampleIsTheWritersTextAndItsEquationsCompile) {
    const std::string path = std::string(VR_SOURCE_DIR) + "/examples/lorenz.vr";
    if (std::getenv("VR_WRITE_EXAMPLES")) {
        MakeLorenz();
        const std::string text = Build();
        FILE *out = std::fopen(path.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }
    FILE *in = std::fopen(path.c_str(), "rb");
    ASSERT_NE(in, nullptr) << path;
    std::string file;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) file.append(chunk, n);
    std::fclose(in);

    gIdentifier[0] = 0;
    NewProblem(kSingleOde, 2);
    ASSERT_EQ(Parse(file), kParseLoaded);
    EXPECT_EQ(Build(), file);
    ASSERT_EQ(host.children.size(), 2u);
    EXPECT_EQ(Child(0)->caption, "Lorenz attractor");
    EXPECT_EQ(Child(1)->caption, "Lorenz values");

    // Bind the individual names as compiling the problem does, then compile
    // every expression of the problem and of its windows.
    ASSERT_EQ(gProblemKind, kOdeSystem);
    ASSERT_EQ(gDimension, 3u);
    for (int i = 0; i < 3; ++i) gColumnTable[kFixedColumnCount + i].address = &gVariables[i];
    std::vector<const char *> texts(gEquationTexts, gEquationTexts + 3);
    texts.push_back(gStatusFirstExpression);
    texts.push_back(gStatusSecondExpression);
    texts.push_back(Child(0)->graph->axisText[0]);
    texts.push_back(Child(0)->graph->axisText[1]);
    for (int i = 0; i < Child(1)->text->count; ++i) texts.push_back(Child(1)->text->expressions[i]);
    for (const char *text : texts) {
        SCOPED_TRACE(Str(text));
        ASSERT_NE(text, nullptr);
        EXPECT_GT(CompileExpression(text, gPcodeBuffer, static_cast<int>(gPcodeLength)), 0);
    }
}

// The example runs: loaded, compiled and integrated, every point handed to
// a recording graph window. The start of the trajectory is checked against
// a classical Runge-Kutta solution with a step small enough to be exact to
// the digits compared.
struct LorenzPoint {
    double t, x, y, z;
};
std::vector<LorenzPoint> gLorenzPoints;
int gGraphChild;

void LorenzReference(double tEnd, double *v) {
    auto f = [](const double *u, double *d) {
        d[0] = 10 * (u[1] - u[0]);
        d[1] = u[0] * (28 - u[2]) - u[1];
        d[2] = u[0] * u[1] - 8.0 / 3 * u[2];
    };
    const int steps = 20000;
    const double h = tEnd / steps;
    for (int k = 0; k < steps; ++k) {
        double k1[3], k2[3], k3[3], k4[3], w[3];
        f(v, k1);
        for (int i = 0; i < 3; ++i) w[i] = v[i] + h / 2 * k1[i];
        f(w, k2);
        for (int i = 0; i < 3; ++i) w[i] = v[i] + h / 2 * k2[i];
        f(w, k3);
        for (int i = 0; i < 3; ++i) w[i] = v[i] + h * k3[i];
        f(w, k4);
        for (int i = 0; i < 3; ++i) v[i] += h / 6 * (k1[i] + 2 * k2[i] + 2 * k3[i] + k4[i]);
    }
}

TEST_F(LorenzExampleTest, ExampleLoadsCompilesAndRuns) {
    const std::string file = ReadExample("lorenz.vr");
    ASSERT_FALSE(file.empty());
    gIdentifier[0] = 0;
    NewProblem(kSingleOde, 2);
    ASSERT_EQ(Parse(file), kParseLoaded);

    gRunHost = RunHost{};
    gRunHost.compileProblem = CompileProblem;
    gRunHost.forEachChild = [](RunChildProc proc, int arg) { proc(&gGraphChild, arg); };
    gRunHost.childKind = [](void *) { return static_cast<int>(kRunChildGraph); };
    gRunHost.plotOdePoint = [](void *, const RunPoint *p) {
        if (!p->first) gLorenzPoints.push_back({p->t, p->values[0], p->values[1], p->values[2]});
    };
    gLorenzPoints.clear();
    gRunState = RunState{};
    StartSolving();
    gRunHost = RunHost{};
    EXPECT_TRUE(gRecorder.boxes.empty());

    // Output every 0.01 from 0 to "Last value" 50, the last point once.
    ASSERT_EQ(gLorenzPoints.size(), 5001u);
    EXPECT_EQ(gLorenzPoints.front().t, 0);
    EXPECT_EQ(gLorenzPoints.front().x, 1);
    EXPECT_DOUBLE_EQ(gLorenzPoints.back().t, 50);
    for (const LorenzPoint &p : gLorenzPoints) {
        ASSERT_LT(std::fabs(p.x), 30) << p.t;  // on the attractor
        ASSERT_GT(p.z, -1) << p.t;
        ASSERT_LT(p.z, 60) << p.t;
    }
    double v[3] = {1, 1, 1};
    LorenzReference(1, v);
    const LorenzPoint &at1 = gLorenzPoints[100];
    EXPECT_NEAR(at1.t, 1, 1e-12);
    EXPECT_NEAR(at1.x, v[0], 1e-6);
    EXPECT_NEAR(at1.y, v[1], 1e-6);
    EXPECT_NEAR(at1.z, v[2], 1e-6);
    ResetSolverMethod(1);
}

}  // namespace

// The other examples are the writer's own text too, and the boundary-value
// example meets its conditions: the Bratu problem's lower solution starts
// with the slope 0.549353 (reference value of the problem's literature).
TEST_F(LorenzExampleTest, EveryExampleIsTheWritersText) {
    for (const char *name : {"logistic.vr", "mackey_glass.vr", "bratu.vr"}) {
        SCOPED_TRACE(name);
        const std::string file = ReadExample(name);
        ASSERT_FALSE(file.empty());
        gIdentifier[0] = 0;
        NewProblem(kSingleOde, 2);
        ASSERT_EQ(Parse(file), kParseLoaded) << "line " << gProblemErrorLine;
        const std::string built = Build();
        if (std::getenv("VR_WRITE_EXAMPLES")) {
            FILE *out = std::fopen((std::string(VR_SOURCE_DIR) + "/examples/" + name).c_str(), "wb");
            ASSERT_NE(out, nullptr);
            std::fwrite(built.data(), 1, built.size(), out);
            std::fclose(out);
            continue;
        }
        EXPECT_EQ(built, file);
        EXPECT_EQ(host.children.size(), 2u);
    }
}

TEST_F(LorenzExampleTest, TheBoundaryValueExampleFindsTheBratuSlope) {
    const std::string file = ReadExample("bratu.vr");
    gIdentifier[0] = 0;
    NewProblem(kSingleOde, 2);
    ASSERT_EQ(Parse(file), kParseLoaded);
    gRunHost = RunHost{};
    gRunHost.compileProblem = CompileProblem;
    gRunState = RunState{};
    StartSolving();
    gRunHost = RunHost{};
    EXPECT_TRUE(gRecorder.boxes.empty());
    EXPECT_NEAR(gInitialValues[0], 0, 1e-10);
    EXPECT_NEAR(gInitialValues[1], 0.5493528, 1e-6);
    EXPECT_NEAR(gVariables[0], 0, 1e-8);  // y(1)
}
