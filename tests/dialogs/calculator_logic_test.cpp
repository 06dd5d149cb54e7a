// The calculator natively: silent typing, the history lines, the outputs
// list behind the calculator reference and its clearing, and the formats.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "calculator_logic.h"
#include "compile_problem.h"
#include "fpu_faults.h"
#include "platform_recorder.h"
#include "settings.h"
#include "workspace.h"

namespace {

class CalculatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorder.Reset();
        gProblemKind = kOdeSystem;
        gDimension = 2;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        ClearCalculator();
        std::snprintf(gCalculator.format, sizeof gCalculator.format, "%s", kDefaultCalculatorFormat);
    }
    void TearDown() override {
        ClearCalculator();
        FreeProblemWorkspace();
        gRecorder.Reset();
    }
    // Types text, then evaluates it; returns the current value ("" for none).
    std::string Evaluate(const char *text, int mode = kCalculatorEvaluate) {
        EXPECT_EQ(SetCalculatorInput(text), 1);
        char out[256];
        const int ok = EvaluateCalculator(mode, out, sizeof out);
        EXPECT_EQ(ok != 0, out[0] != 0) << text;
        if (ok && mode == kCalculatorEvaluate) lastLines = RecordCalculatorResult(gCalculatorLastValue, out);
        return out;
    }
    std::string lastLines;
};

TEST_F(CalculatorTest, UnfinishedInputIsSilentWhileTypingAndAsksOnEvaluate) {
    EXPECT_EQ(Evaluate("2+", kCalculatorTyping), "");
    EXPECT_TRUE(gRecorder.compilerErrors.empty());
    EXPECT_TRUE(gRecorder.boxes.empty());
    EXPECT_EQ(Evaluate("2+"), "");  // the dialog is cancelled
    EXPECT_EQ(gRecorder.compilerErrors.size(), 1u);
    EXPECT_EQ(gCalculatorResultCount, 0);
    EXPECT_EQ(gCalculator.count, 0);
}

TEST_F(CalculatorTest, OutputsAreCountedFromTheStartAndBackFromTheLast) {
    EXPECT_EQ(Evaluate("2"), "2");
    EXPECT_EQ(lastLines, "I[1] = 2\r\nO[1] = 2");
    EXPECT_EQ(Evaluate("3"), "3");
    EXPECT_EQ(lastLines, "I[2] = 3\r\nO[2] = 3");
    EXPECT_EQ(Evaluate("%[0]", kCalculatorTyping), "3");
    EXPECT_EQ(Evaluate("%[-1]", kCalculatorTyping), "2");
    EXPECT_EQ(Evaluate("%[1]", kCalculatorTyping), "2");
    EXPECT_EQ(Evaluate("%[2]*10", kCalculatorTyping), "30");
    gRecorder.Reset();
    EXPECT_EQ(Evaluate("%[3]", kCalculatorTyping), "");
    ASSERT_EQ(gRecorder.boxes.size(), 1u);  // run-time error 7
    EXPECT_EQ(gCalculatorResultCount, 2);
}

TEST_F(CalculatorTest, ClearAllForgetsTheOutputs) {
    Evaluate("2");
    Evaluate("3");
    ClearCalculator();
    EXPECT_EQ(gCalculator.count, 0);
    gRecorder.Reset();
    EXPECT_EQ(Evaluate("%[1]", kCalculatorTyping), "");
    EXPECT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(Evaluate("5"), "5");
    EXPECT_EQ(lastLines, "I[1] = 5\r\nO[1] = 5");
}

TEST_F(CalculatorTest, LineBreaksOfTheInputBecomeBlanksInTheHistory) {
    EXPECT_EQ(Evaluate("1 +\r\n2"), "3");
    EXPECT_EQ(lastLines, "I[1] = 1 +  2\r\nO[1] = 3");
    EXPECT_EQ(Evaluate("4\n"), "4");
    EXPECT_EQ(lastLines, "I[2] = 4 \r\nO[2] = 4");
}

TEST_F(CalculatorTest, OnlyOneBoundedDoubleConversionIsUsedAsFormat) {
    struct Case {
        const char *format;
        const char *shown;
    } cases[] = {
        {"%.3f", "3.142"},      {"pi=%.2e", "pi=3.14e+00"}, {"%.15g", "3.14159265358979"},
        {"%s", "3.14159265358979"}, {"%n", "3.14159265358979"}, {"%g %g", "3.14159265358979"},
        {"%999999g", "3.14159265358979"}, {"no conversion", "3.14159265358979"},
    };
    for (const Case &c : cases) {
        std::snprintf(gCalculator.format, sizeof gCalculator.format, "%s", c.format);
        EXPECT_EQ(Evaluate("pi", kCalculatorTyping), c.shown) << c.format;
    }
}

TEST_F(CalculatorTest, OverlongInputIsRefusedWhole) {
    ASSERT_EQ(SetCalculatorInput("1"), 1);
    const std::string longText(kCalculatorInputLimit + 1, '1');
    EXPECT_EQ(SetCalculatorInput(longText.c_str()), 0);
    EXPECT_STREQ(gCalculator.input, "1");
    EXPECT_EQ(SetCalculatorInput(std::string(kCalculatorInputLimit, '1').c_str()), 1);
}

TEST_F(CalculatorTest, AFaultLeavesNoValue) {
    // Masked exceptions with the status word tested: the same in both trees.
    gMask87 = 1;
    ApplyFpuOptions();
    EXPECT_EQ(Evaluate("1/0", kCalculatorTyping), "");
    EXPECT_EQ(Evaluate("1/0"), "");
    EXPECT_EQ(gCalculatorResultCount, 0);
    EXPECT_EQ(gRecorder.boxes.size(), 2u);
    gMask87 = kDefaultMask87;
}

}  // namespace
