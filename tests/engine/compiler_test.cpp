#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builtin_tables.h"
#include "compiler.h"
#include "drawing_commands.h"
#include "math_plugins.h"
#include "mathlink.h"
#include "memory.h"
#include "opcodes.h"
#include "pcode_listing.h"
#include "platform_recorder.h"
#include "workspace.h"

namespace {

double Marker1(double) { return 0; }
double VR_PLUGIN_CALL PluginFunction(double, double) { return 0; }

// A problem of the given kind and size, with the individual name "u" for
// the first variable (also known to delayed values, as compiling a problem
// arranges) and the parameters a = 2, N = 2, t = 7 and PI = 3.
class CompilerTest : public ::testing::Test {
protected:
    void SetUp() override { MakeProblem(kOdeSystem, 3); }

    void TearDown() override {
        gMathLinkOn = 0;
        gMathFunctions = nullptr;
        gMathFunctionCount = 0;
        gCollectiveDelayedCount = 0;
        gCollectiveDelayedName = DelayedValueName{};
        SetDrawingCommandsEnabled(0);
        FreeProblemWorkspace();
        gProblemKind = kSingleOde;
        gDimension = 2;
    }

    void MakeProblem(int kind, unsigned n) {
        gRecorder.Reset();
        gProblemKind = kind;
        gDimension = n;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        ColumnEntry &u = gColumnTable[kFixedColumnCount];
        SetNonEmptyStringCopy(u.name, "u");
        u.address = &gVariables[0];
        gDelayedNames[0].name = u.name;
        const char *names[] = {"a", "N", "t", "PI"};
        const double values[] = {2, 2, 7, 3};
        gParameterCount = 4;
        AllocArray(gParameters, 4);
        for (int i = 0; i < 4; ++i) {
            SetNonEmptyStringCopy(gParameters[i].name, names[i]);
            gParameters[i].value = values[i];
        }
    }

    AddressNames Names() const {
        AddressNames names = {
            {AddressOf(gVariables), "x[first]"},
            {AddressOf(gVariables + 1), "x[first+1]"},
            {AddressOf(gVariables + 2), "x[first+2]"},
            {AddressOf(gInitialValues + 4), "x0[first+4]"},
            {AddressOf(&gTime), "t"},
            {AddressOf(EvaluateDelayedValue), "EvaluateDelayedValue"},
            {AddressOf(projx), "projx"},
            {AddressOf(FindBuiltinFunction(0, "NAN")->function), "nan"},
            {AddressOf(FindBuiltinFunction(1, "SQRT")->function), "sqrt"},
            {AddressOf(FindBuiltinFunction(2, "ATAN2")->function), "atan2"},
            {AddressOf(FindBuiltinFunction(3, "RANDOM3")->function), "random3"},
            {AddressOf(DrawErase), "erase"},
            {AddressOf(DrawLineTo), "lineto"},
            {AddressOf(DrawHsv), "hsv"},
            {AddressOf(Marker1), "marker"},
            {AddressOf(PluginFunction), "plugin"},
        };
        return names;
    }

    // The listing of text's code, or "error code at offset".
    std::string Compile(const char *text, int size = 1000) {
        std::vector<unsigned char> buffer(size, 0xCC);
        int length = CompileExpression(text, buffer.data(), static_cast<int>(buffer.size()));
        if (length == 0)
            return "error " + std::to_string(gEvalError) + " at " +
                   (gCompileErrorPos ? std::to_string(gCompileErrorPos - text) : "null");
        EXPECT_EQ(buffer[length - 1], kOpEnd);
        return ListPcode(buffer.data(), length, Names());
    }
};

// --- Errors: code and position, a row per code.

enum Setup { kSystem3, kSingleOde3, kWithMathLink, kTenByteBuffer };

struct ErrorCase {
    const char *text;
    int code;
    int position;
    Setup setup;
};

const ErrorCase kErrorCases[] = {
    {"", 1, 0, kSystem3},
    {"   ", 1, 3, kSystem3},
    {"1+", 1, 2, kSystem3},
    {"sin(", 1, 4, kSystem3},
    {"1 + 2", 2, 5, kTenByteBuffer},
    {"--x[1]", 3, 1, kSystem3},
    {"1+#", 3, 2, kSystem3},
    {"1+\xe9", 3, 2, kSystem3},
    {"$f(1)", 3, 0, kSystem3},
    {"sin()", 3, 4, kSystem3},
    {"x[-1]", 3, 2, kSystem3},
    {"x", 4, 1, kSystem3},
    {"x0 + 1", 4, 3, kSystem3},
    {"(1", 5, 2, kSystem3},
    {"sin(1, 2)", 5, 5, kSystem3},
    {"IF(1, 2, 3, 4, 5)", 5, 13, kSystem3},
    {"MAX(1, 2", 5, 8, kSystem3},
    {"x[1", 6, 3, kSystem3},
    {"%[-3", 6, 4, kSystem3},
    {"atan2(1)", 7, 7, kSystem3},
    {"IF(1, 2)", 7, 7, kSystem3},
    {"foo(1)", 8, 0, kSystem3},
    {"2 * ERASE()", 8, 4, kSystem3},
    {"PROJX(1, 2, 3)", 8, 0, kSystem3},
    {"foo", 9, 0, kSystem3},
    {"1 + A", 9, 4, kSystem3},
    {"x[1.5]", 10, 2, kSystem3},
    {"x[ u ]", 10, 3, kSystem3},
    {"x[sin(1)]", 10, 2, kSystem3},
    {"x[0]", 11, 2, kSystem3},
    {"x[4]", 11, 2, kSystem3},
    {"x'''", 11, 3, kSingleOde3},
    {"2^3^2", 12, 3, kSystem3},
    {"a=N", 12, 1, kSystem3},
    {"a<N<3", 12, 3, kSystem3},
    {"2x", 12, 1, kSystem3},
    {"u[1]", 12, 1, kSystem3},
    {"u'", 12, 1, kSystem3},
    {"1 & 2", 12, 2, kSystem3},
    {"1 ? 2", 13, 5, kSystem3},
    {"1 ? 2 , 3", 13, 6, kSystem3},
    {"$f", 14, 0, kWithMathLink},
    {"1 + $ (2)", 14, 4, kWithMathLink},
};

TEST_F(CompilerTest, ErrorsCarryTheirCodeAndPosition) {
    for (const ErrorCase &c : kErrorCases) {
        if (c.setup == kSingleOde3) {
            FreeProblemWorkspace();
            MakeProblem(kSingleOde, 3);
        }
        gMathLinkOn = c.setup == kWithMathLink;
        std::string expected = "error " + std::to_string(c.code) + " at " + std::to_string(c.position);
        EXPECT_EQ(Compile(c.text, c.setup == kTenByteBuffer ? 10 : 1000), expected) << "text: " << c.text;
        if (c.setup == kSingleOde3) {
            FreeProblemWorkspace();
            MakeProblem(kOdeSystem, 3);
        }
    }
}

TEST_F(CompilerTest, NullTextIsAnErrorWithoutPosition) {
    unsigned char buffer[16];
    EXPECT_EQ(CompileExpression(nullptr, buffer, sizeof buffer), 0);
    EXPECT_EQ(gEvalError, kCompileUnexpectedEnd);
    EXPECT_EQ(gCompileErrorPos, nullptr);
}

// The buffer is allocated to the byte, so ASan sees any write past it.
TEST_F(CompilerTest, ProgramFitsExactlyItsBufferAndOneByteLessIsTooLong) {
    const char *texts[] = {"1 + 2", "u ? 1 : 2", "IF(u, 1, 2, 3)", "$f(1, 2)", "x[1] && u || 2"};
    gMathLinkOn = 1;
    for (const char *text : texts) {
        std::vector<unsigned char> big(1000);
        const int length = CompileExpression(text, big.data(), 1000);
        ASSERT_GT(length, 0) << text;
        for (int size = 0; size <= length; ++size) {
            unsigned char *exact = static_cast<unsigned char *>(std::malloc(size ? size : 1));
            const int got = CompileExpression(text, exact, size);
            if (size == length) {
                EXPECT_EQ(got, length) << text;
                EXPECT_EQ(std::memcmp(exact, big.data(), length), 0) << text;
            } else {
                EXPECT_EQ(got, 0) << text << " in " << size;
                EXPECT_EQ(gEvalError, kCompilePcodeTooLong) << text << " in " << size;
            }
            std::free(exact);
        }
    }
}

TEST_F(CompilerTest, OverlongNamesAndNumbersAreErrorsNotOverruns) {
    std::string name(kMaxTokenLength, 'q');
    EXPECT_EQ(Compile(name.c_str()), "error 9 at 0");
    SetNonEmptyStringCopy(gParameters[0].name, name.c_str());
    EXPECT_EQ(Compile(name.c_str()), "0 PushConst 2\n9 End\n");
    std::string longer = name + "q";
    EXPECT_EQ(Compile(longer.c_str()), "error 9 at 0");
    EXPECT_EQ(Compile((longer + "(1)").c_str()), "error 8 at 0");

    std::string number = std::string(kMaxTokenLength - 1, '0') + "5";
    EXPECT_EQ(Compile(number.c_str()), "0 PushConst 5\n9 End\n");
    EXPECT_EQ(Compile(("0" + number).c_str()), "error 3 at 1023");
}

TEST_F(CompilerTest, DeepNestingIsRefusedBeforeTheStackRunsOut) {
    std::string ok = std::string(kMaxNesting - 1, '(') + "1" + std::string(kMaxNesting - 1, ')');
    EXPECT_EQ(Compile(ok.c_str()), "0 PushConst 1\n9 End\n");
    std::string deep = std::string(20000, '(') + "1" + std::string(20000, ')');
    EXPECT_EQ(Compile(deep.c_str()).substr(0, 8), "error 2 ");
    std::string indices;
    for (int i = 0; i < 20000; ++i) indices += "x[";
    EXPECT_EQ(Compile(indices.c_str()).substr(0, 8), "error 2 ");
}

// Random texts over the language's characters into buffers of random exact
// sizes: every result is a well-formed program within its buffer, or an
// error with a position inside the text (ASan watches the buffer bounds).
TEST_F(CompilerTest, RandomTextsGiveWellFormedCodeOrAnError) {
    static const char kAlphabet[] = "xu0123456789.eE+-*/\\%^!<>=&|?:,()[]$' taNIFMAXsinprojx";
    gMathLinkOn = 1;
    unsigned seed = 12345;
    auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    int compiled = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (unsigned n = 1 + next(24); n > 0; --n) text += kAlphabet[next(sizeof kAlphabet - 1)];
        const int size = 1 + static_cast<int>(next(80));
        unsigned char *code = static_cast<unsigned char *>(std::malloc(size));
        const int length = CompileExpression(text.c_str(), code, size);
        if (length > 0) {
            ++compiled;
            ASSERT_LE(length, size) << text;
            int at = 0;
            while (at < length && code[at] != kOpEnd) {
                const int step = PcodeInstructionLength(code + at);
                ASSERT_GT(step, 0) << text;
                at += step;
            }
            EXPECT_EQ(at, length - 1) << text;
        } else {
            ASSERT_GE(gEvalError, 1) << text;
            ASSERT_LE(gEvalError, 14) << text;
            ASSERT_NE(gCompileErrorPos, nullptr) << text;
            EXPECT_GE(gCompileErrorPos, text.c_str()) << text;
            EXPECT_LE(gCompileErrorPos, text.c_str() + text.size()) << text;
        }
        std::free(code);
    }
    EXPECT_GT(compiled, 100);
}

// --- Golden code.

TEST_F(CompilerTest, ConditionalIsTheDocumentedThirtyFourBytes) {
    ColumnEntry &c = gColumnTable[kFixedColumnCount + 1];
    SetNonEmptyStringCopy(c.name, "c");
    c.address = &gVariables[1];
    unsigned char code[34];
    ASSERT_EQ(CompileExpression("c ? 1 : 2", code, sizeof code), 34);
    const double one = 1, two = 2;
    const uint32_t address = AddressOf(&gVariables[1]);
    std::vector<unsigned char> expected = {2};
    expected.insert(expected.end(), reinterpret_cast<const unsigned char *>(&address),
                    reinterpret_cast<const unsigned char *>(&address) + 4);
    expected.insert(expected.end(), {29, 18, 0, 0, 0, 1});
    expected.insert(expected.end(), reinterpret_cast<const unsigned char *>(&one),
                    reinterpret_cast<const unsigned char *>(&one) + 8);
    expected.insert(expected.end(), {30, 13, 0, 0, 0, 1});
    expected.insert(expected.end(), reinterpret_cast<const unsigned char *>(&two),
                    reinterpret_cast<const unsigned char *>(&two) + 8);
    expected.push_back(0);
    EXPECT_EQ(std::vector<unsigned char>(code, code + 34), expected);
}

struct GoldenCase {
    const char *text;
    const char *listing;
};

// Offsets are shown with their targets; both offsets of If count from its
// first offset word.
const GoldenCase kGolden[] = {
    {"IF(u, 1, 2)",
     "0 PushCell x[first]\n5 If +22 -> 28, +8 -> 14\n14 PushConst 1\n23 Jump +13 -> 37\n"
     "28 PushConst 2\n37 End\n"},
    {"IF(u, 1, 2, 3)",
     "0 PushCell x[first]\n5 If +22 -> 28, +36 -> 42\n14 PushConst 1\n23 Jump +27 -> 51\n"
     "28 PushConst 2\n37 Jump +13 -> 51\n42 PushConst 3\n51 End\n"},
    {"if(1,2,3)",
     "0 PushConst 1\n9 If +22 -> 32, +8 -> 18\n18 PushConst 2\n27 Jump +13 -> 41\n"
     "32 PushConst 3\n41 End\n"},
    {"u && 1 || 2",
     "0 PushCell x[first]\n5 And +13 -> 19\n10 PushConst 1\n19 Or +13 -> 33\n24 PushConst 2\n33 End\n"},
    {"u || x[2] && 0",
     "0 PushCell x[first]\n5 Or +23 -> 29\n10 PushCell x[first+1]\n15 And +13 -> 29\n"
     "20 PushConst 0\n29 End\n"},
    {"MAX(1, u, 3)",
     "0 PushConst 1\n9 PushCell x[first]\n14 Max\n15 PushConst 3\n24 Max\n25 End\n"},
    {"min(u)", "0 PushCell x[first]\n5 End\n"},
    {"Min(u, 2)", "0 PushCell x[first]\n5 PushConst 2\n14 Min\n15 End\n"},
    {"2^-1", "0 PushConst 2\n9 PushConst -1\n18 Pow\n19 End\n"},
    {"2^-u", "0 PushConst 2\n9 PushCell x[first]\n14 Negate\n15 Pow\n16 End\n"},
    {"2^^+3", "0 PushConst 2\n9 PushConst 3\n18 NthRoot\n19 End\n"},
    {"-u^2", "0 PushCell x[first]\n5 PushConst 2\n14 Pow\n15 Negate\n16 End\n"},
    {"-1", "0 PushConst 1\n9 Negate\n10 End\n"},
    {"!+u", "error 3 at 1"},
    {"!u + +u", "0 PushCell x[first]\n5 Not\n6 PushCell x[first]\n11 Add\n12 End\n"},
    {"u(t)", "0 PushConst 1\n9 PushCell t\n14 Call2 EvaluateDelayedValue\n19 End\n"},
    {"%[-3]", "0 PushConst -3\n9 CalculatorResult\n10 End\n"},
    {"% * 2", "0 PushConst 0\n9 CalculatorResult\n10 PushConst 2\n19 Mul\n20 End\n"},
    {"5 % %[ 12 ]",
     "0 PushConst 5\n9 PushConst 12\n18 CalculatorResult\n19 Mod\n20 End\n"},
    {"1 - 2 - 3 \\ 4 / 5",
     "0 PushConst 1\n9 PushConst 2\n18 Sub\n19 PushConst 3\n28 PushConst 4\n37 IntDiv\n"
     "38 PushConst 5\n47 Div\n48 Sub\n49 End\n"},
    {"a<N==1",
     "0 PushConst 2\n9 PushConst 2\n18 Less\n19 PushConst 1\n28 Equal\n29 End\n"},
    {"1<=2 != 3>=4",
     "0 PushConst 1\n9 PushConst 2\n18 LessEqual\n19 PushConst 3\n28 PushConst 4\n"
     "37 GreaterEqual\n38 NotEqual\n39 End\n"},
    {"1 ? 2 : 3 ? 4 : 5",
     "0 PushConst 1\n9 JumpIfZero +18 -> 28\n14 PushConst 2\n23 Jump +41 -> 65\n"
     "28 PushConst 3\n37 JumpIfZero +18 -> 56\n42 PushConst 4\n51 Jump +13 -> 65\n"
     "56 PushConst 5\n65 End\n"},
    {"x[N] + x0[5] + x[ 3 ]",
     "0 PushCell x[first+1]\n5 PushCell x0[first+4]\n10 Add\n11 PushCell x[first+2]\n16 Add\n17 End\n"},
    {" 1.5e1 + .5 + 2E-1 + 1e", "0 PushConst 15\n9 PushConst 0.5\n18 Add\n19 PushConst 0.20000000000000001\n"
                               "28 Add\n29 PushConst 1\n38 Add\n39 End\n"},
    {"projx(1, 2, 3)",
     "0 PushConst 1\n9 PushConst 2\n18 PushConst 3\n27 Call3 projx\n32 End\n"},
    {"nan() + Sqrt(2) + atan2(1, 2) + random3(1, 2, 3)",
     "0 Call0 nan\n5 PushConst 2\n14 Call1 sqrt\n19 Add\n20 PushConst 1\n29 PushConst 2\n"
     "38 Call2 atan2\n43 Add\n44 PushConst 1\n53 PushConst 2\n62 PushConst 3\n71 Call3 random3\n"
     "76 Add\n77 End\n"},
};

TEST_F(CompilerTest, GoldenListings) {
    for (const GoldenCase &g : kGolden) EXPECT_EQ(Compile(g.text), g.listing) << "text: " << g.text;
}

TEST_F(CompilerTest, MathLinkCallCarriesNameAndCount) {
    gMathLinkOn = 1;
    EXPECT_EQ(Compile("$f(1,2)"), "0 PushConst 1\n9 PushConst 2\n18 MathLink \"f\" 2\n25 End\n");
    EXPECT_EQ(Compile("$ Sin [ x ] ()"), "0 MathLink \"Sin [ x ]\" 0\n15 End\n");
    unsigned char code[26];
    ASSERT_EQ(CompileExpression("$f(1,2)", code, sizeof code), 26);
    const unsigned char tail[] = {31, 'f', 0, 2, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(code + 18, tail, sizeof tail), 0);
}

TEST_F(CompilerTest, PluginFunctionsMatchExactlyAndOnlyWithAcceptedCounts) {
    MathFunctionEntry entries[] = {
        {"Wide", 21, reinterpret_cast<MathFunction>(PluginFunction)},
        {"Ell", 2, reinterpret_cast<MathFunction>(PluginFunction)},
        {"Ell", 1, reinterpret_cast<MathFunction>(PluginFunction)},
    };
    gMathFunctions = entries;
    gMathFunctionCount = 3;
    EXPECT_EQ(Compile("Ell(1, u)"), "0 PushConst 1\n9 PushCell x[first]\n14 CallMath 2 plugin\n20 End\n");
    EXPECT_EQ(Compile("Ell(1)"), "error 7 at 5");
    EXPECT_EQ(Compile("ell(1, 2)"), "error 8 at 0");
    EXPECT_EQ(Compile("Wide(1)"), "error 8 at 0");
}

// --- Name rules.

TEST_F(CompilerTest, BuiltinKeywordsIgnoreCaseAndProblemNamesDoNot) {
    BuiltinFunctionEntry *sin = nullptr;
    for (int i = 0; i < BuiltinTableCount(1); ++i)
        if (std::strcmp(BuiltinTable(1)[i].name, "SIN") == 0) sin = &BuiltinTable(1)[i];
    ASSERT_NE(sin, nullptr);
    const BuiltinFunction saved = sin->function;
    sin->function = reinterpret_cast<BuiltinFunction>(Marker1);
    for (const char *text : {"sin(1)", "SIN(1)", "Sin (1)"})
        EXPECT_EQ(Compile(text), "0 PushConst 1\n9 Call1 marker\n14 End\n") << text;
    sin->function = saved;

    EXPECT_EQ(Compile("a"), "0 PushConst 2\n9 End\n");
    EXPECT_EQ(Compile("A"), "error 9 at 0");
    EXPECT_EQ(Compile("U"), "error 9 at 0");
    EXPECT_EQ(Compile("U(1)"), "error 8 at 0");
}

TEST_F(CompilerTest, QuantityShadowsParameterWhichShadowsConstant) {
    EXPECT_EQ(Compile("t"), "0 PushCell t\n5 End\n");  // not the parameter t = 7
    EXPECT_EQ(Compile("PI"), "0 PushConst 3\n9 End\n");  // not the constant
    EXPECT_EQ(Compile("pi"), "0 PushConst 3.1415926535897931\n9 End\n");
    EXPECT_EQ(Compile("e + Degree"), "0 PushConst 2.7182818284590451\n9 PushConst 0.017453292519943295\n"
                                     "18 Add\n19 End\n");
}

TEST_F(CompilerTest, QuantitiesTakeIndicesOrPrimesByTheirRange) {
    FreeProblemWorkspace();
    MakeProblem(kSingleOde, 3);
    EXPECT_EQ(Compile("x + x' + x''"), "0 PushCell x[first]\n5 PushCell x[first+1]\n10 Add\n"
                                       "11 PushCell x[first+2]\n16 Add\n17 End\n");
    EXPECT_EQ(Compile("x ' ' + x[2]"), "0 PushCell x[first+2]\n5 PushCell x[first+2]\n10 Add\n11 End\n");
    FreeProblemWorkspace();
    MakeProblem(kOdeSystem, 1);  // one variable: x is scalar
    EXPECT_EQ(Compile("x"), "0 PushCell x[first]\n5 End\n");
    EXPECT_EQ(Compile("x[0]"), "error 12 at 1");
}

TEST_F(CompilerTest, DelayedValuesByIndividualAndCollectiveName) {
    EXPECT_EQ(Compile("x(2, t)"), "error 8 at 0");
    gCollectiveDelayedName.name = gColumnTable[kColumnVariables].name;
    gCollectiveDelayedCount = 1;
    EXPECT_EQ(Compile("x(2, t)"),
              "0 PushConst 2\n9 PushCell t\n14 Call2 EvaluateDelayedValue\n19 End\n");
    EXPECT_EQ(Compile("u(1, 2)"), "error 5 at 3");
}

TEST_F(CompilerTest, DrawingCommandsOnlyInADrawingContext) {
    EXPECT_EQ(Compile("ERASE()"), "error 8 at 0");
    EXPECT_EQ(Compile("RGB(1, 2, 3)"), "error 8 at 0");
    SetDrawingCommandsEnabled(1);
    EXPECT_EQ(Compile("erase()"), "0 Call0 erase\n5 End\n");
    EXPECT_EQ(Compile("LineTo(1, 2)"), "0 PushConst 1\n9 PushConst 2\n18 Call2 lineto\n23 End\n");
    EXPECT_EQ(Compile("hsv(1, 2, 3)"),
              "0 PushConst 1\n9 PushConst 2\n18 PushConst 3\n27 Call3 hsv\n32 End\n");
    EXPECT_EQ(Compile("ERA7S3E1()"), "error 8 at 0");
    SetDrawingCommandsEnabled(0);
    EXPECT_EQ(Compile("penColor(1)"), "error 8 at 0");
    EXPECT_EQ(Compile("HSV(1, 2, 3)"), "error 8 at 0");
}

TEST(BuiltinTables, EveryKeywordResolvesAndCountsMatch) {
    const char *keywords[4][60] = {
        {"BACKWARD", "INF", "INFINITY", "ITERATIONORDER", "NAN"},
        {"ABS", "ACOS", "ACOSH", "ARCCOS", "ARCCOSH", "ARCSIN", "ARCSINH", "ARCTAN", "ARCTANH", "ASIN",
         "ASINH", "ATAN", "ATANH", "CEIL", "CEILING", "CHOP", "COS", "COSH", "ERF", "ERFC", "EXP",
         "FABS", "FACTORIAL", "FINITE", "FLOOR", "FRACC", "GAMMA", "INPUT", "INT", "ISNAN",
         "LAMBERTW", "LAMBERTW1", "LN", "LNGAMMA", "LOG", "LOG10", "MESSAGE", "PAUSE", "READ",
         "ROUND", "SEED", "SGN", "SIGN", "SIN", "SINGLE", "SINH", "SQR", "SQRT", "STEP", "TAN",
         "TANH", "TIME"},
        {"ARCTAN2", "ATAN2", "BMP", "BREAK", "CHOP2", "CONTINUE", "DELETEWRITE", "DIV", "HYPOT", "MOD",
         "NROOT", "OPENBMP", "OPENREAD", "OPENWRITE", "POW", "RANDOM", "RESETBMP", "RESETREAD",
         "ROUNDMULTIPLE", "SKIP", "STOP", "WRITE"},
        {"RANDOM3"},
    };
    for (int k = 0; k < 4; ++k)
        for (const char *const *w = keywords[k]; *w; ++w)
            EXPECT_NE(FindBuiltinFunction(k, *w), nullptr) << *w;
    EXPECT_EQ(BuiltinTableCount(0), 14);
    EXPECT_EQ(BuiltinTableCount(1), 54);
    EXPECT_EQ(BuiltinTableCount(2), 25);
    EXPECT_EQ(BuiltinTableCount(3), 3);
    EXPECT_EQ(kBuiltinConstantCount, 6);
    // Tables are in alphabetical order of the usable spellings.
    SetDrawingCommandsEnabled(1);
    for (int k = 0; k < 3; ++k)
        for (int i = 1; i < BuiltinTableCount(k); ++i)
            EXPECT_LT(std::strcmp(BuiltinTable(k)[i - 1].name, BuiltinTable(k)[i].name), 0)
                << BuiltinTable(k)[i].name;
    SetDrawingCommandsEnabled(0);
    EXPECT_EQ(IsOneArgumentBuiltin("sin"), 1);
    EXPECT_EQ(IsOneArgumentBuiltin("atan2"), 0);
}

TEST(Opcodes, InstructionLengthsFollowTheOperandLayouts) {
    const unsigned char mathLink[] = {kOpMathLink, 'a', 'b', 0, 1, 0, 0, 0};
    const unsigned char samples[][2] = {{kOpEnd, 1},  {kOpPushConst, 9}, {kOpPushCell, 5}, {kOpIf, 9},
                                        {kOpCallMath, 6}, {kOpJump, 5},  {kOpNthRoot, 1}, {34, 0}};
    for (const auto &s : samples) EXPECT_EQ(PcodeInstructionLength(&s[0]), s[1]) << int(s[0]);
    EXPECT_EQ(PcodeInstructionLength(mathLink), 8);
    EXPECT_STREQ(PcodeOpInfoOf(kOpCalculatorResult).name, "CalculatorResult");
}

}  // namespace
