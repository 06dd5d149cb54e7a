// Older problem files: each of the three formats converted to the exact
// current text and read into the problem, converted problems that build and
// read back identically, and malformed old texts that are reported and left
// as they were.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "memory.h"
#include "platform.h"
#include "platform_recorder.h"
#include "problem_converter.h"
#include "problem_file.h"
#include "problem_settings.h"
#include "string_ids.h"
#include "test_heap.h"
#include "text_window_state.h"
#include "window_host_double.h"
#include "workspace.h"

namespace {

std::string Str(const char *s) { return s ? s : "(null)"; }

// Lines joined with the line end given.
std::string Lines(const std::vector<std::string> &lines, const std::string &end = "\r\n") {
    std::string text;
    for (const std::string &l : lines) text += l + end;
    return text;
}

class ProblemConverterTest : public ::testing::Test {
protected:
    WindowHostDouble host;

    void SetUp() override {
        gRecorder.Reset();
        host.Install();
        NewProblem();
    }
    void TearDown() override {
        FailHeapAfter(-1);
        host.DestroyAll();
        WindowHostDouble::Uninstall();
        FreeAndNull(gProblemTextBuffer);
        FreeProblemWorkspace();
        ResetProblemSettings();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gAskForProblemName = 0;
        gGraphWorkCopy = GraphWindowState();
        gTextWorkCopy = TextWindowState();
        gElementWorkCopy = GraphicsElement();
        gCurrentGraph = nullptr;
    }

    // What the file commands do before a load: no windows, a new problem.
    void NewProblem() {
        host.DestroyAll();
        ResetProblemSettings();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gStackLength = 1000;
        gPcodeLength = 10000;
        gAskForProblemName = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
    }

    static void SetBuffer(const std::string &text) {
        FreeAndNull(gProblemTextBuffer);
        gProblemTextBuffer = AllocTextBuffer(text.size());
        std::memcpy(gProblemTextBuffer, text.data(), text.size());
    }
    static std::string Buffer() { return gProblemTextBuffer ? gProblemTextBuffer : ""; }

    std::string Convert(const std::string &text, int expected = kConvertDone) {
        SetBuffer(text);
        EXPECT_EQ(ConvertOldProblemText(), expected);
        return Buffer();
    }

    // Converts and reads, as a load does (the reader converts first).
    void Load(const std::string &text) {
        NewProblem();
        SetBuffer(text);
        ASSERT_EQ(ParseProblemText(), kParseLoaded)
            << (gRecorder.boxes.empty() ? "" : gRecorder.boxes[0].text);
        EXPECT_TRUE(gRecorder.boxes.empty());
    }

    std::string Build() {
        EXPECT_EQ(BuildProblemText(0), 1);
        return Buffer();
    }

    // A converted problem, written and read again, writes the same text.
    void ExpectRoundTrip() {
        const std::string first = Build();
        NewProblem();
        SetBuffer(first);
        ASSERT_EQ(ConvertOldProblemText(), kConvertNotNeeded);
        ASSERT_EQ(ParseProblemText(), kParseLoaded);
        EXPECT_EQ(Build(), first);
    }

    const char *Column(int i) { return gColumnTable[i].name; }
    GraphWindowState *OnlyGraph() {
        EXPECT_EQ(host.children.size(), 1u);
        return host.children.empty() ? nullptr : host.children[0].graph;
    }
};

// Format A: a system of two equations with every key the format has.
const std::vector<std::string> kOdeFile = {
    "; Two coupled equations",
    "; second comment",
    "Type = System",
    "Order/number = 2",
    "Number of parameters = 2",
    "Heaviside(0) = 0.25",
    "Stack length = 5",
    "Indep. variable = t",
    "dep. Variable(s) = x",
    "individual Names:",
    "u",
    "v",
    "Name for t0 = t0",
    "Initial value(s) = x0",
    "Names for initial values:",
    "u0",
    "v0",
    "s0",
    "s1",
    "Poincar\x82 time = tp",
    "Parameters:",
    "a = 0.5",
    "b = 2",
    "Edit definitions:",
    "a*v",
    "-\xE3*u",
    "delaY = 0",
    "Discontinuities = t>1",
    "t0 = 0.5",
    "Change initial values:",
    "1",
    "2",
    "3",
    "4",
    "Edit initial functions:",
    "sin(t)",
    "cos(t)",
    "t1 = 0",
    "tmaX = 20",
    "infinitY = 1e10",
    "Interpolate = 1",
    "\xEBt = 0.1",
    "Pause = 3",
    "Retarded points = 0",
    "tolerancE = 1e-9",
    "h = 0.01",
    "hMax = 0.5",
    "numerical Results:",
    "u",
    "v",
    "format strinG = %g",
    "frequencY = 5",
    "Xmin = -2",
    "Variables in axes:",
    "u",
    "v",
    "Xmax = 2",
    "Ymin = -3",
    "Ymax = 3",
    "Continuous line = Yes",
    "Axes location = 0,0",
    "Poincar\x82 section = No",
    "Condition = u",
    "Error = 1e-6",
    "Increasing = yes",
    "Decreasing = n",
    "X variable is number = 1",
    "Y variable is number = 2",
    "\xEBx = \xEBy = = 0.5",
    "Color = 3",
    "Phi = 10",
    "Theta = 20",
    "pSi = 30",
    "Origin = 1",
    "Dist. = 5",
    "; a later comment",
};

const std::vector<std::string> kOdeConverted = {
    "Version = 0",
    "[Type]",
    "Single ODE = 0",
    "System of ODEs = 1",
    "Dimension/Order = 2",
    "Heaviside(0) = 0.25",
    "[Variables]",
    "Independent variable = t",
    "Dependent variable(s) = x",
    "Individual names:",
    "u",
    "v",
    "Independent variable(0) = t0",
    "Dependent variable(0) = x0",
    "Individual names(0):",
    "u0",
    "v0",
    "s0",
    "s1",
    "Poincare/Bifurcation time = tp",
    "Parameters:2",
    "a = 0.5",
    "b = 2",
    "[Equations]",
    "Definitions:",
    "a*v",
    "-pi*u",
    "Delay = 0",
    "Discontinuities = t>1",
    "[Initial values]",
    "Independent variable = 0.5",
    "Dependent variable(s):",
    "1",
    "2",
    "3",
    "4",
    "Initial functions:",
    "sin(t)",
    "cos(t)",
    "[Range]",
    "First value = 0",
    "Last value = 20",
    "Infinity = 1e10",
    "Interpolate = 1",
    "Step = 0.1",
    "Pause = 3",
    "Retarded points = 0",
    "[Method]",
    "Tolerance = 1e-9",
    "h = 0.01",
    "h max. = 0.5",
    "[Status line]",
    "First expression = u",
    "Second expression = v",
    "Numerical format = %g",
    "Frequency = 5",
    "[Graphics window]",
    "Title = Graph window",
    "Min. X = -2",
    "X axis = u",
    "Max. X = 2",
    "Min. Y = -3",
    "Y axis = v",
    "Max. Y = 3",
    "Continuous line = 1",
    "Axes location = 0,0",
    "Poincare section = 0",
    "Condition = u",
    "Error = 1e-6",
    "Increasing = 1",
    "Decreasing = 0",
    "Select in X axis = 1",
    "Select in Y axis = 2",
    "Step in X axis = 0.5",
    "Step in Y axis = 0.5",
    "Phi = 10",
    "Theta = 20",
    "Psi = 30",
    "Origin = 1",
    "Distance = 5",
    "[Notes]",
    " Two coupled equations",
    " second comment",
};

TEST_F(ProblemConverterTest, OdeFileConvertsToTheCurrentTextAndReads) {
    EXPECT_EQ(Convert(Lines(kOdeFile)), Lines(kOdeConverted));
    EXPECT_EQ(gOldProblemFormat, kOldFormatOde);
    EXPECT_EQ(gAskForProblemName, 1);
    EXPECT_TRUE(gRecorder.boxes.empty());

    Load(Lines(kOdeFile));
    EXPECT_EQ(gAskForProblemName, 1);
    EXPECT_EQ(gProblemKind, kOdeSystem);
    EXPECT_EQ(gDimension, 2u);
    EXPECT_EQ(gStackLength, 1000u);  // machine-specific: never converted
    EXPECT_EQ(gHeavisideZero, 0.25);
    EXPECT_STREQ(Column(kColumnTime), "t");
    EXPECT_STREQ(Column(kColumnVariables), "x");
    EXPECT_STREQ(Column(kColumnInitialTime), "t0");
    EXPECT_STREQ(Column(kColumnInitial), "x0");
    EXPECT_STREQ(Column(kColumnTrajectory), "tp");
    const char *names[] = {"u", "v", "u0", "v0", "s0", "s1"};
    for (int i = 0; i < 6; ++i) EXPECT_STREQ(Column(kFixedColumnCount + i), names[i]);
    ASSERT_EQ(gParameterCount, 2);
    EXPECT_STREQ(gParameters[0].name, "a");
    EXPECT_EQ(gParameters[0].value, 0.5);
    EXPECT_STREQ(gParameters[1].name, "b");
    EXPECT_EQ(gParameters[1].value, 2);
    EXPECT_STREQ(gEquationTexts[0], "a*v");
    EXPECT_STREQ(gEquationTexts[1], "-pi*u");
    EXPECT_STREQ(gInitialFunctionTexts[1], "cos(t)");
    EXPECT_STREQ(gDiscontinuities, "t>1");
    EXPECT_EQ(gInitialTime, 0.5);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(gInitialValues[i], i + 1);
    EXPECT_EQ(gLastValue, 20);
    EXPECT_EQ(gInfinityLimit, 1e10);
    EXPECT_EQ(gInterpolate, 1);
    EXPECT_EQ(gOutputStep, 0.1);
    EXPECT_EQ(gPauseSetting, 3);
    EXPECT_EQ(gTolerance, 1e-9);
    EXPECT_EQ(gMaxStep, 0.5);
    EXPECT_STREQ(gStatusFirstExpression, "u");
    EXPECT_STREQ(gStatusSecondExpression, "v");
    EXPECT_STREQ(gStatusFormat, "%g");
    EXPECT_EQ(gStatusFrequency, 5u);
    EXPECT_STREQ(gProjectNotes, " Two coupled equations\r\n second comment\r\n");

    GraphWindowState *g = OnlyGraph();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(Str(g->title), "Graph window");
    EXPECT_EQ(host.children[0].caption, "Graph window");
    EXPECT_EQ(g->xMin, -2);
    EXPECT_EQ(g->yMax, 3);
    EXPECT_EQ(Str(g->axisText[0]), "u");
    EXPECT_EQ(Str(g->axisText[1]), "v");
    EXPECT_EQ(g->continuousLine, 1);
    EXPECT_EQ(Str(g->axesLocation), "0,0");
    EXPECT_EQ(g->poincareSection, 0);
    EXPECT_EQ(Str(g->conditionText), "u");
    EXPECT_EQ(g->crossingError, 1e-6);
    EXPECT_EQ(g->increasing, 1);
    EXPECT_EQ(g->decreasing, 0);
    EXPECT_EQ(g->selectX, 1);  // a system keeps the old index
    EXPECT_EQ(g->selectY, 2);
    EXPECT_EQ(g->stepX, 0.5);
    EXPECT_EQ(g->stepY, 0.5);
    EXPECT_EQ(g->viewPoint.psi, 30);
    EXPECT_EQ(g->viewPoint.distance, 5);

    ExpectRoundTrip();
}

// Format A single ODE: one definition line, 0-based axis indexes made 1-based;
// every kind of line end converts alike.
TEST_F(ProblemConverterTest, SingleOdeWithAnyLineEnds) {
    const std::vector<std::string> old = {
        "Type = Equation", "Order/number = 2", "Edit definitions:", "-x",
        "X variable is number = 0", "Y variable is number = 1", "Continuous line = no",
    };
    const std::string expected = Lines({
        "Version = 0", "[Type]", "Single ODE = 1", "System of ODEs = 0", "Dimension/Order = 2",
        "[Variables]", "[Equations]", "Definitions:", "-x", "[Initial values]", "[Range]", "[Method]",
        "[Status line]", "[Graphics window]", "Title = Graph window", "Continuous line = 0",
        "Select in X axis = 1", "Select in Y axis = 2", "[Notes]",
    });
    for (const char *end : {"\r\n", "\n", "\r", "\n\r"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(end)));
        EXPECT_EQ(Convert(Lines(old, end)), expected);
    }
    Load(Lines(old, "\n"));
    EXPECT_EQ(gProblemKind, kSingleOde);
    EXPECT_STREQ(gEquationTexts[1], "-x");  // a single ODE keeps its last line
    GraphWindowState *g = OnlyGraph();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->selectX, 1);
    EXPECT_EQ(g->selectY, 2);
    ExpectRoundTrip();
}

// Format B: a map.
TEST_F(ProblemConverterTest, MapFileConvertsAndReads) {
    const std::vector<std::string> old = {
        ";Logistic map",
        "Dimension = 1",
        "Number of parameters = 1",
        "Index name = n",
        "Variable(s) = x",
        "individual Names:",
        "y",
        "Name for n0 = n0",
        "Initial value(s) = x0",
        "Names for initial values:",
        "y0",
        "s0",
        "s1",
        "Bifurcation par. = r",
        "Parameters:",
        "r = 3.5",
        "Edit definitions:",
        "r*y*(1-y)",
        "Power = 2",
        "n0 = 1",
        "Change initial values:",
        "0.2",
        "0",
        "0",
        "n1 = 0",
        "nmaX = 100",
        "Infinity = 1e6",
        "Xmin = 0",
        "Variables in axes:",
        "n",
        "y",
        "Direct graph = 1",
        "Inverse graph = 0",
        "Histogram = 3",
        "Average = Yes",
        "X variable is number = 0",
        "Y variable is number = 1",
    };
    const std::string converted = Convert(Lines(old));
    EXPECT_EQ(gOldProblemFormat, kOldFormatMap);
    EXPECT_NE(converted.find("\r\nMap = 1\r\nDimension/Order = 1\r\n"), std::string::npos) << converted;
    EXPECT_EQ(converted.find("[Method]"), std::string::npos);
    EXPECT_EQ(converted.find("Single ODE"), std::string::npos);

    Load(Lines(old));
    EXPECT_EQ(gProblemKind, kMap);
    EXPECT_EQ(gDimension, 1u);
    EXPECT_STREQ(Column(kColumnTime), "n");
    EXPECT_STREQ(Column(kFixedColumnCount), "y");
    EXPECT_STREQ(Column(kFixedColumnCount + 1), "y0");
    ASSERT_EQ(gParameterCount, 1);
    EXPECT_EQ(gParameters[0].value, 3.5);
    EXPECT_STREQ(gEquationTexts[0], "r*y*(1-y)");
    EXPECT_EQ(gMapPower, 2u);
    EXPECT_EQ(gInitialTime, 1);
    EXPECT_EQ(gInitialValues[0], 0.2);
    EXPECT_EQ(gLastValue, 100);
    EXPECT_EQ(gInfinityLimit, 1e6);
    EXPECT_STREQ(gProjectNotes, "Logistic map\r\n");
    GraphWindowState *g = OnlyGraph();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->directPower, 1u);
    EXPECT_EQ(g->histogramPeriod, 3u);
    EXPECT_EQ(g->average, 1);
    EXPECT_EQ(g->selectX, 0);  // maps keep the old index
    EXPECT_EQ(g->selectY, 1);
    ExpectRoundTrip();
}

// Format C: graphics elements of every text count, each taking only its own
// keys, and kinds whose texts old files lack getting empty ones.
TEST_F(ProblemConverterTest, ElementFileConvertsAndReads) {
    const std::vector<std::string> old = {
        ";Drawing",
        "File/device name = plot.out",
        "Xmin = 0",
        "Xmax = 10",
        "Variables in axes:",
        "t",
        "x",
        "X variable is number = 0",
        "Type = Segment",
        "X0 = 1",
        "Y0 = 2",
        "Color = 7",
        "Line type = 2",
        "Type = text",
        "Hello \xE3",
        "X0 = 4",
        "Type = User",
        "x",
        "y",
        "Number of steps = 50",
        "Type = User 3D",
        "a",
        "b",
        "c",
        "Type = Axes",
        "Size = 9",
    };
    const std::string converted = Convert(Lines(old));
    EXPECT_EQ(gOldProblemFormat, kOldFormatElements);
    EXPECT_NE(converted.find(Lines({"Axes location =", "Square = Yes", "Select in X axis = 1",
                                    "Graphics element = Segment", "x = 1",
                                    "y = 2", "color = 0", "line = 2", "Graphics element = Text", "Hello pi",
                                    "x = 4", "color = 0", "Graphics element = 2-curve", "x", "y", "color = 0",
                                    "steps = 50", "Graphics element = 3-curve", "a", "b", "c", "color = 0",
                                    "Graphics element = Axes", "", "", "size = 9", "color = 0", "[Notes]",
                                    "Drawing"})),
              std::string::npos)
        << converted;

    Load(Lines(old));
    EXPECT_EQ(gDimension, 1u);
    GraphWindowState *g = OnlyGraph();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->xMax, 10);
    EXPECT_EQ(Str(g->axisText[1]), "x");
    EXPECT_EQ(g->aspectMode, 3);
    EXPECT_EQ(g->selectX, 1);  // "Type" names elements here, not a system
    EXPECT_EQ(g->axesLocation, nullptr);
    std::vector<GraphicsElement *> els;
    for (GraphicsElement *e = g->elements; e; e = e->next) els.push_back(e);
    ASSERT_EQ(els.size(), 5u);
    const int kinds[] = {kElementSegment, kElementText, kElement2Curve, kElement3Curve, kElementAxes};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(els[i]->kind, kinds[i]);
    EXPECT_EQ(els[0]->y, 2);
    EXPECT_EQ(els[0]->line, 2);
    EXPECT_EQ(els[0]->color, 0);
    EXPECT_EQ(Str(els[1]->text1), "Hello pi");
    EXPECT_EQ(els[1]->x, 4);
    EXPECT_NE(els[1]->size, 9);  // the next element's size is not taken
    EXPECT_EQ(Str(els[2]->text2), "y");
    EXPECT_EQ(els[2]->steps, 50);
    EXPECT_NE(els[0]->steps, 50);
    EXPECT_EQ(Str(els[3]->text3), "c");
    EXPECT_EQ(els[4]->size, 9);
    EXPECT_EQ(els[4]->text1, nullptr);
    ExpectRoundTrip();
}

// Elements that stand before the last main key are converted all the same.
TEST_F(ProblemConverterTest, ElementsBeforeTheViewKeysAreKept) {
    const std::string old = Lines({"File/device name = p", "Type = Circle", "Radius = 2", "Type = Arrow",
                                   "Direction = 45", "Phi = 30"});
    Load(old);
    GraphWindowState *g = OnlyGraph();
    ASSERT_NE(g, nullptr);
    ASSERT_NE(g->elements, nullptr);
    EXPECT_EQ(g->elements->radius, 2);
    ASSERT_NE(g->elements->next, nullptr);
    EXPECT_EQ(g->elements->next->direction, 45);
    EXPECT_EQ(g->viewPoint.phi, 30);
}

TEST_F(ProblemConverterTest, DetectionByMarkerKeys) {
    struct Case {
        const char *text;
        unsigned format;
    };
    const Case cases[] = {
        {"Version = 200\r\nOrder/number = 2\r\n", kOldFormatNone},
        {";c\r\nOrder/number = 2\r\nDimension = 3\r\n", kOldFormatOde},
        {"Dimension: \r\n3\r\n", kOldFormatMap},
        {"\\( = 1\r\n", kOldFormatElements},
        {"File/device name = p\r\n", kOldFormatElements},
        {"Dimension/Order = 2\r\n", kOldFormatNone},   // a current key
        {" Order/number = 2\r\n", kOldFormatNone},     // not at a line start
        {"Order/number 2\r\n", kOldFormatNone},        // neither "=" nor ":"
        {"x = \\(1)\r\n", kOldFormatNone},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const int expected = c.format ? kConvertDone : kConvertNotNeeded;
        const std::string after = Convert(c.text, expected);
        EXPECT_EQ(gOldProblemFormat, c.format);
        if (!c.format) {
            EXPECT_EQ(after, c.text);
        } else {
            EXPECT_EQ(Convert(after, kConvertNotNeeded), after);  // never twice
        }
    }
    EXPECT_TRUE(gRecorder.boxes.empty());
}

// A marker without a number: left for the reader, which shows the line.
TEST_F(ProblemConverterTest, MarkerWithoutNumberIsLeftToTheReader) {
    const std::string old = Lines({"Order/number = two", "Type = System"});
    Convert(old, kConvertNotNeeded);
    EXPECT_EQ(Buffer(), old);
    SetBuffer(old);
    gRecorder.answers = {kIdNo};
    EXPECT_EQ(ParseProblemText(), kParseDeclined);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].helpId, IDS_PROBLEM_LINE_ERROR);
    EXPECT_EQ(gAskForProblemName, 0);
}

TEST_F(ProblemConverterTest, MalformedOldTextsAreReportedAndKept) {
    struct Case {
        std::string text;
        int id;
        const char *shown;  // part of the message
    };
    const std::string longKind(30, 'S');
    const Case cases[] = {
        {Lines({"Order/number = 2", "individual Names:", "u"}), IDS_OLD_PROBLEM_TRUNCATED,
         "\"individual Names\" (line 2)"},
        {Lines({"Dimension = 1", "Names for initial values:", "a", "b"}), IDS_OLD_PROBLEM_TRUNCATED,
         "\"Names for initial values\" (line 2)"},
        {Lines({"Type = System", "Order/number = 3", "Edit definitions:", "a", "b"}),
         IDS_OLD_PROBLEM_TRUNCATED, "\"Edit definitions\" (line 3)"},
        {Lines({"Order/number = 1", "Xmin:"}), IDS_OLD_PROBLEM_TRUNCATED, "\"Xmin\" (line 2)"},
        {"Order/number = 1\r\nXmin:", IDS_OLD_PROBLEM_TRUNCATED, "\"Xmin\" (line 2)"},
        {Lines({"Order/number = 1", "numerical Results:", "u"}), IDS_OLD_PROBLEM_TRUNCATED,
         "\"numerical Results\" (line 2)"},
        {Lines({"Order/number = 1", "Number of parameters = 3", "Parameters:", "a = 1"}),
         IDS_OLD_PROBLEM_TRUNCATED, "\"Parameters\" (line 3)"},
        {Lines({"Order/number = 1", "Parameters:", "a = 1"}), IDS_OLD_PROBLEM_PARAMETER_COUNT, "(line 2)"},
        {Lines({"Order/number = 1", "Number of parameters = -1", "Parameters:"}),
         IDS_OLD_PROBLEM_PARAMETER_COUNT, "(line 3)"},
        {Lines({"Order/number = 1", "Number of parameters = 99999999999", "Parameters:", "a = 1"}),
         IDS_OLD_PROBLEM_PARAMETER_COUNT, "(line 3)"},
        {Lines({"File/device name = p", "Type = Polygon"}), IDS_OLD_PROBLEM_ELEMENT_KIND, "(line 2)"},
        {Lines({"File/device name = p", "Type = Circle", "Type = " + longKind}), IDS_OLD_PROBLEM_ELEMENT_KIND,
         "(line 3)"},
        {Lines({"File/device name = p", "Type = 3-curve", "a", "b"}), IDS_OLD_PROBLEM_TRUNCATED,
         "\"Type\" (line 2)"},
        {Lines({";x", "Order/number = 20000"}), IDS_OLD_PROBLEM_DIMENSION, "(line 2)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        gRecorder.Reset();
        gAskForProblemName = 0;
        EXPECT_EQ(Convert(c.text, kConvertRefused), c.text);  // byte for byte
        EXPECT_EQ(gAskForProblemName, 0);
        ASSERT_EQ(gRecorder.boxes.size(), 1u);
        EXPECT_EQ(gRecorder.boxes[0].helpId, c.id);
        EXPECT_NE(gRecorder.boxes[0].text.find(c.shown), std::string::npos) << gRecorder.boxes[0].text;
    }
    // The reader then offers the text as it stands for correction.
    gRecorder.Reset();
    SetBuffer(cases[0].text);
    gRecorder.answers = {kIdOk, kIdYes};
    EXPECT_EQ(ParseProblemText(), kParseCorrect);
    ASSERT_EQ(gRecorder.boxes.size(), 2u);
    EXPECT_EQ(gRecorder.boxes[1].helpId, IDS_PROBLEM_LINE_ERROR);
    EXPECT_EQ(Buffer(), cases[0].text);
}

// Every cut of old files (as a broken copy leaves them) converts whole or is
// refused and kept; the sanitizers watch the reads.
TEST_F(ProblemConverterTest, EveryTruncationConvertsOrIsKept) {
    for (const std::string &file : {Lines(kOdeFile), Lines({"File/device name = p", "Type = User 3D", "a", "b",
                                                            "c", "X0 = 1", "Type = Text", "t"})}) {
        for (size_t n = 0; n <= file.size(); ++n) {
            const std::string cut = file.substr(0, n);
            gRecorder.Reset();
            SetBuffer(cut);
            const int result = ConvertOldProblemText();
            if (result != kConvertDone) {
                ASSERT_EQ(Buffer(), cut) << n;
                ASSERT_EQ(gRecorder.boxes.size(), result == kConvertRefused ? 1u : 0u) << n;
            }
        }
    }
}

// Lines longer than any buffer of the converter go over whole.
TEST_F(ProblemConverterTest, LongLinesAreNeverCut) {
    const std::string body(15000, 'x');
    const std::string old = Lines({"Order/number = 1", "Edit definitions:", body + "\xE3" + body.substr(0, 100),
                                   "; not a note"});
    Load(old);
    EXPECT_EQ(Str(gEquationTexts[0]), body + "pi" + body.substr(0, 100));
    EXPECT_EQ(gProjectNotes, nullptr);
}

// Memory running out at any allocation leaves the old text as it was.
TEST_F(ProblemConverterTest, OutOfMemoryKeepsTheOldText) {
    const std::string old = Lines({"Order/number = 1", "Edit definitions:", std::string(30000, 'y')});
    for (int successes = 0; successes < 3; ++successes) {
        SCOPED_TRACE(successes);
        SetBuffer(old);
        gRecorder.Reset();
        FailHeapAfter(successes);
        const int result = ConvertOldProblemText();
        FailHeapAfter(-1);
        if (result == kConvertRefused) {
            EXPECT_EQ(Buffer(), old);
            EXPECT_EQ(gRecorder.boxes.size(), 1u);
        } else {
            EXPECT_EQ(result, kConvertDone);
            EXPECT_NE(Buffer().find(std::string(30000, 'y')), std::string::npos);
        }
    }
}

}  // namespace
