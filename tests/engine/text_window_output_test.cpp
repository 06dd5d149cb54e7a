#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compile_problem.h"
#include "memory.h"
#include "messages.h"
#include "platform_recorder.h"
#include "pointdata.h"
#include "problem_settings.h"
#include "run_control.h"
#include "run_engine.h"
#include "run_host.h"
#include "solver_method.h"
#include "string_ids.h"
#include "text_window_output.h"
#include "workspace.h"

namespace {

// End to end: y' = 1 from t = 0 to 1, output every 0.25, compiled by the real
// compiler and integrated by the built-in integrator; one text child whose
// control is a string.

struct RecordingControl {
    std::string text;
    int LineCount(WindowId) {
        int n = 1;
        for (char c : text) n += c == '\n';
        return n;
    }
    int TextLength(WindowId) { return static_cast<int>(text.size()); }
    void DeleteLinesBefore(WindowId, int line) {
        size_t at = 0;
        for (int i = 0; i < line; ++i) {
            at = text.find('\n', at);
            if (at == std::string::npos) {
                text.clear();
                return;
            }
            ++at;
        }
        text.erase(0, at);
    }
    void AppendText(WindowId, const char *t) { text += t; }
};

TextWindowState window;
RecordingControl control;
int textChild;

class TextWindowOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorder.Reset();
        control.text.clear();
        window = TextWindowState{};
        ASSERT_EQ(InitTextWindowState(&window), 1);
        gTextWindowControl = {[](WindowId c) { return control.LineCount(c); },
                              [](WindowId c) { return control.TextLength(c); },
                              [](WindowId c, int line) { control.DeleteLinesBefore(c, line); },
                              [](WindowId c, const char *t) { control.AppendText(c, t); }};
        gRunHost = RunHost{};
        gRunHost.compileProblem = CompileProblem;
        gRunHost.forEachChild = [](RunChildProc proc, int arg) { proc(&textChild, arg); };
        gRunHost.childKind = [](void *) { return int{kRunChildText}; };
        gRunHost.addTextOdePoint = [](void *, const RunPoint *p) { AddTextWindowOdePoint(&window, *p); };
        gRunHost.addTextMapPoint = [](void *, const RunPoint *p) { AddTextWindowMapPoint(&window, *p); };
        gRunHost.textWindowFiles = [](void *, int close) { TextWindowRunEnumProc(&window, close); };
        gCompileHooks.windowExpressions = [] {
            return CompileTextWindowTexts(window.expressions, window.codes, window.count, &window.condition,
                                          &window.conditionCode, window.increasing || window.decreasing);
        };
        gRunState = RunState{};
        gProblemKind = kSingleOde;
        gDimension = 1;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        ResetProblemSettings();
        gStatusFrequency = 0;
        gTolerance = 1e-12;
        gLastValue = 1;
        gOutputStep = 0.25;
        gInterpolate = 1;
        gRetardedPoints = 100;
        gInitialTime = 0;
        gInitialValues[0] = 0;
        SetNonEmptyStringCopy(gEquationTexts[0], "1");
        gMethodReady = 0;
    }
    void TearDown() override {
        for (const std::string &f : files_) std::remove(f.c_str());
        gCompileHooks.windowExpressions = nullptr;
        gTextWindowControl = TextWindowControl{};
        gRunHost = RunHost{};
        gRunState = RunState{};
        FreeTextWindowState(&window);
        window = TextWindowState{};
        FreeProblemWorkspace();
        ResetProblemSettings();
        gSolverMethod = SolverMethod{};
        gMethodReady = 0;
        gProblemKind = kSingleOde;
        gDimension = 2;
    }
    void Columns(std::vector<const char *> expressions, std::vector<const char *> formats) {
        FreeTextColumns(&window);
        const int n = static_cast<int>(expressions.size());
        window.count = n;
        window.expressions = static_cast<char **>(std::calloc(n, sizeof(char *)));
        window.formats = static_cast<char **>(std::calloc(n, sizeof(char *)));
        window.codes = static_cast<PcodeProgram **>(std::calloc(n, sizeof(PcodeProgram *)));
        for (int i = 0; i < n; ++i) {
            SetNonEmptyStringCopy(window.expressions[i], expressions[i]);
            SetNonEmptyStringCopy(window.formats[i], formats[i]);
        }
    }
    void Run() {
        gRunState.canContinue = 0;
        StartSolving();
    }
    std::string TempFile(const char *name) {
        std::string f = ::testing::TempDir() + name;
        std::remove(f.c_str());
        files_.push_back(f);
        return f;
    }
    static std::string ReadFile(const std::string &name) {
        std::string out;
        if (FILE *f = std::fopen(name.c_str(), "rb")) {
            char buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
            std::fclose(f);
        }
        return out;
    }
    std::vector<std::string> Boxes() const {
        EXPECT_TRUE(gRecorder.compilerErrors.empty());
        std::vector<std::string> out;
        for (const RecordedBox &b : gRecorder.boxes) out.push_back(b.text);
        return out;
    }
    std::vector<std::string> files_;
};

TEST_F(TextWindowOutputTest, LinesFollowFormatsFrequencyAndLimit) {
    struct Case {
        const char *name;
        std::vector<const char *> formats;
        unsigned frequency, lines;
        const char *text;
    } cases[] = {
        {"t x", {"%g ", "%g"}, 1, 0, "0 0\r\n0.25 0.25\r\n0.5 0.5\r\n0.75 0.75\r\n1 1"},
        // Line breaks and tabs of the formats are blanks in the window.
        {"every second", {"%.2f\\t", "%6.3f\\n"}, 2, 0, "0.25  0.250\r\n0.75  0.750"},
        {"every third", {"%g ", "%g"}, 3, 0, "0.5 0.5"},
        {"never", {"%g ", "%g"}, 0, 0, ""},
        {"empty format leaves the column out", {"", "x=%g%%"}, 1, 0, "x=0%\r\nx=0.25%\r\nx=0.5%\r\nx=0.75%\r\nx=1%"},
        {"last two lines", {"%g ", "%g"}, 1, 2, "0.75 0.75\r\n1 1"},
        {"one line", {"%g ", "%g"}, 1, 1, "1 1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        control.text.clear();
        Columns({"t", "x"}, c.formats);
        window.frequency = c.frequency;
        window.lines = c.lines;
        Run();
        EXPECT_EQ(control.text, c.text);
        EXPECT_TRUE(Boxes().empty());
    }
}

TEST_F(TextWindowOutputTest, EachTrajectoryAfterTheFirstFollowsTheSeparator) {
    Columns({"t", "x"}, {"%g ", "%g\\n"});
    ASSERT_STREQ(window.separator, "\\r\\n");
    window.capture = 1;
    const std::string file = TempFile("vr_text_window.txt");
    SetNonEmptyStringCopy(window.outputFile, file.c_str());
    gLastValue = 0.5;
    Run();
    Run();
    EXPECT_EQ(control.text, "0 0\r\n0.25 0.25\r\n0.5 0.5\r\n\r\n0 0\r\n0.25 0.25\r\n0.5 0.5");
    // The file gets the text exactly as formatted and, as the window, the
    // separator before every trajectory that follows text: not at the top
    // of an empty file, but before the second run appended to it.
    EXPECT_EQ(ReadFile(file), "0 0\n0.25 0.25\n0.5 0.5\n\r\n0 0\n0.25 0.25\n0.5 0.5\n");
    EXPECT_EQ(window.file, nullptr);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(TextWindowOutputTest, SectionsAreLocatedToTheWindowsError) {
    // t^2 = 0.1 is crossed upwards once, between the points 0.25 and 0.5.
    const double root = std::sqrt(0.1);
    struct Case {
        const char *name;
        int poincare, increasing, decreasing;
        const char *condition;
        int lines;
    } cases[] = {
        {"section", 1, 1, 0, "t * t - 0.1", 1},
        {"downward only: none", 1, 0, 1, "t * t - 0.1", 0},
        {"downward crossing", 1, 0, 1, "0.1 - t * t", 1},
        {"every point, tp updated", 0, 1, 0, "t * t - 0.1", 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        control.text.clear();
        Columns({"t", "x", "tp"}, {"%.12f ", "%.12f ", "%.12f"});
        window.poincare = c.poincare;
        window.increasing = c.increasing;
        window.decreasing = c.decreasing;
        SetNonEmptyStringCopy(window.condition, c.condition);
        window.crossingError = 1e-7;
        Run();
        EXPECT_TRUE(Boxes().empty());
        std::vector<std::vector<double>> rows;
        for (const char *p = control.text.c_str(); *p;) {
            double t, x, tp;
            int used = 0;
            ASSERT_EQ(std::sscanf(p, "%lf %lf %lf%n", &t, &x, &tp, &used), 3);
            rows.push_back({t, x, tp});
            p += used;
            while (*p == '\r' || *p == '\n') ++p;
        }
        ASSERT_EQ(static_cast<int>(rows.size()), c.lines);
        if (c.poincare && c.lines == 1) {
            EXPECT_NEAR(rows[0][0], root, 2e-7);
            EXPECT_NEAR(rows[0][1], root, 2e-7);  // the state at the crossing
            EXPECT_NEAR(rows[0][2], root, 2e-7);
        }
        if (!c.poincare) {
            EXPECT_EQ(rows[1][2], 0);  // before the crossing
            EXPECT_NEAR(rows[2][2], root, 2e-7);
            EXPECT_NEAR(rows[4][2], root, 2e-7);
            EXPECT_EQ(rows[4][0], 1);
        }
    }
}

TEST_F(TextWindowOutputTest, BinaryFilesHoldTheValuesWithBreaksPerTrajectory) {
    Columns({"t", "2 * x"}, {"%g ", "%g"});
    window.capture = 1;
    gLastValue = 0.5;
    // Default separator: a break before each trajectory.
    const std::string doubles = TempFile("vr_text_window.double");
    SetNonEmptyStringCopy(window.outputFile, doubles.c_str());
    Run();
    Run();
    std::string bytes = ReadFile(doubles);
    ASSERT_EQ(bytes.size(), 14u * 8);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\0\0\0\0\0\xF0\xF8\x7F", 8));
    EXPECT_EQ(bytes.substr(56, 8), std::string("\0\0\0\0\0\xF0\xF8\x7F", 8));
    FILE *f = std::fopen(doubles.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    PointReader reader;
    ASSERT_EQ(OpenPointReader(&reader, f, kPointDouble, nullptr, 0, 0), 1);
    std::vector<std::string> items;
    double x, y;
    for (PointItem item; (item = ReadPointItem(&reader, &x, &y)) != kItemEnd;) {
        char text[64];
        std::snprintf(text, sizeof text, item == kItemBreak ? "break" : "%g %g", x, y);
        items.push_back(text);
    }
    ClosePointReader(&reader);
    std::fclose(f);
    const std::vector<std::string> expected = {"break", "0 0", "0.25 0.5", "0.5 1",
                                               "break", "0 0", "0.25 0.5", "0.5 1"};
    EXPECT_EQ(items, expected);

    // No separator: no break; floats for ".single".
    FreeAndNull(window.separator);
    const std::string singles = TempFile("vr_text_window.SINGLE");
    SetNonEmptyStringCopy(window.outputFile, singles.c_str());
    Run();
    bytes = ReadFile(singles);
    ASSERT_EQ(bytes.size(), 6u * 4);
    float values[6];
    std::memcpy(values, bytes.data(), sizeof values);
    const float want[6] = {0, 0, 0.25f, 0.5f, 0.5f, 1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(values[i], want[i]) << i;
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(TextWindowOutputTest, UnsafeFormatsAreRefusedAndStopTheRun) {
    const char *bad[] = {"%s", "%g %g", "%d", "%n", "%1234g", "%.1234f", "text", "%", "%lld", "%Lg"};
    for (const char *format : bad) {
        SCOPED_TRACE(format);
        gRecorder.Reset();
        control.text.clear();
        Columns({"t"}, {format});
        Run();
        EXPECT_EQ(control.text, "");
        char message[256];
        std::snprintf(message, sizeof message, LoadTextResource(IDS_BAD_TEXT_FORMAT), format);
        EXPECT_EQ(Boxes(), std::vector<std::string>{message});
    }
    const char *good[] = {"%g", "%%%-+ #012.3lf%%", "%999.999e", "%A\\t"};
    for (const char *format : good) EXPECT_TRUE(IsTextColumnFormatSafe(UnescapeFormat(format))) << format;
}

TEST_F(TextWindowOutputTest, OverlongLinesStopTheRunWithAMessage) {
    // 17 columns of 1300 characters each are more than one line holds.
    std::vector<const char *> expressions(17, "1e300"), formats(17, "%999.999f");
    Columns(expressions, formats);
    Run();
    EXPECT_EQ(control.text, "");
    EXPECT_EQ(Boxes(), std::vector<std::string>{LoadTextResource(IDS_TEXT_LINE_TOO_LONG)});
}

TEST_F(TextWindowOutputTest, AnOutputFileThatCannotBeOpenedLeavesTheWindowWorking) {
    Columns({"t"}, {"%g"});
    gLastValue = 0.25;
    window.capture = 1;
    Run();  // no name
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Output to file failed"});
    EXPECT_EQ(window.capture, 0);
    EXPECT_EQ(control.text, "0\r\n0.25");

    gRecorder.Reset();
    window.capture = 1;
    SetNonEmptyStringCopy(window.outputFile, (::testing::TempDir() + "no such directory/out.txt").c_str());
    Run();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0], "");
    EXPECT_EQ(window.capture, 0);
    EXPECT_EQ(window.file, nullptr);
}

int lastResult;
int FailingInterpolate(int, double, double *, InitialFunctionFallback) { return -2; }

TEST_F(TextWindowOutputTest, AnIntegratorThatCannotGiveTheCrossingStopsTheRun) {
    Columns({"t"}, {"%g"});
    window.poincare = window.increasing = 1;
    SetNonEmptyStringCopy(window.condition, "t - 0.3");
    gLastValue = 10;
    gRunHost.addTextOdePoint = [](void *, const RunPoint *p) {
        const SolverMethod method = gSolverMethod;
        gSolverMethod.interpolate = FailingInterpolate;
        lastResult = AddTextWindowOdePoint(&window, *p);
        gSolverMethod.interpolate = method.interpolate;
    };
    Run();
    EXPECT_EQ(lastResult, -5);
    EXPECT_EQ(control.text, "");
    EXPECT_EQ(gLastOutputTime, 0.5);  // nothing after the crossing's point
}

// Maps: x(n + 1) = x(n) + 1 from x(0) = 0, so x = n.
TEST_F(TextWindowOutputTest, MapsListPointsRunningMeansAndHistograms) {
    FreeProblemWorkspace();
    gProblemKind = kMap;
    gDimension = 1;
    ASSERT_EQ(NewProblemWorkspace(), 1);
    SetNonEmptyStringCopy(gEquationTexts[0], "x + 1");
    gInitialValues[0] = 0;
    gFirstValue = 0;
    gLastValue = 4;
    gOutputStep = 1;

    Columns({"n", "x"}, {"%g:", "%g"});
    window.frequency = 2;
    Run();
    EXPECT_EQ(control.text, "1:1\r\n3:3");

    // The running mean of the first column, every point.
    control.text.clear();
    Columns({"x"}, {"%g"});
    window.frequency = 1;
    window.average = 1;
    Run();
    EXPECT_EQ(control.text, "0\r\n0.5\r\n1\r\n1.5\r\n2");

    // A histogram of x over [0, 10) in steps of 1: 11 bins, one value in each
    // of the first five, listed after every fifth point.
    control.text.clear();
    window.average = 0;
    window.histogram = 5;
    gScanBegin = 0;
    gScanEnd = 10;
    Columns({"x"}, {"%g %.4f"});
    Run();
    // The separator is a line of its own: empty, and lost at the top.
    std::string expected;
    for (int i = 0; i < 11; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%s%d %.4f", i ? "\r\n" : "", i, i < 5 ? 11.0 / 50 : 0.0);
        expected += line;
    }
    EXPECT_EQ(control.text, expected);
    // Later histograms of the trajectory count every point so far and
    // follow an empty line.
    control.text.clear();
    gLastValue = 9;
    Run();
    EXPECT_EQ(control.text.substr(0, 12), "0 0.2200\r\n1 ");
    const size_t second = control.text.find("\r\n\r\n0 ");
    ASSERT_NE(second, std::string::npos);
    std::string all;
    for (int i = 0; i < 11; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "\r\n%s%d %.4f", i ? "" : "\r\n", i, i < 10 ? 11.0 / 100 : 0.0);
        all += line;
    }
    EXPECT_EQ(control.text.substr(second), all);
    EXPECT_TRUE(Boxes().empty());
}

}  // namespace
