#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "command_ids.h"
#include "memory.h"
#include "platform_recorder.h"
#include "test_heap.h"
#include "workspace.h"

namespace {

class WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorder.Reset();
        gOutOfMemory = 0;
        gParameterCount = 0;
    }
    void TearDown() override {
        FailHeapAfter(-1);
        FreeProblemWorkspace();
        FreeSolverWorkspace();
        ClearCalculatorResults();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gStackLength = 1000;
        gPcodeLength = 10000;
    }
    int OutOfMemoryBoxes() const {
        int n = 0;
        for (const RecordedBox &b : gRecorder.boxes)
            if (b.text.find("Not enough memory") != std::string::npos) ++n;
        return n;
    }
    int MethodCommandState() const {
        int state = -1;
        for (const auto &c : gRecorder.commandStates)
            if (c.first == kCmdMethod) state = c.second;
        return state;
    }
};

struct ColumnExpectation {
    const char *name;  // null: no name
    double *address;
    int low, high;
};

std::string Describe(const ColumnEntry &e) {
    return std::string(e.name ? e.name : "(null)") + " " + std::to_string(e.low) + ".." + std::to_string(e.high);
}

void ExpectColumns(int kind, unsigned n, int f, const char *timeName, const char *initialTimeName,
                   const char *trajectoryName) {
    SCOPED_TRACE("kind " + std::to_string(kind) + ", n " + std::to_string(n));
    gProblemKind = kind;
    gDimension = n;
    ASSERT_EQ(NewProblemWorkspace(), 1);
    const int in = static_cast<int>(n);
    const ColumnExpectation expected[] = {
        {"x", gVariables, f, in - 1 + f},
        {timeName, &gTime, 0, 0},
        {"x0", gInitialValues, f, f + in + 1},
        {initialTimeName, &gInitialTime, 0, 0},
        {trajectoryName, &gTrajectoryValue, 0, 0},
        {"nx", &gFamilyX, 0, 0},
        {"ny", &gFamilyY, 0, 0},
    };
    ASSERT_EQ(gColumnCount, 2 * in + 9);
    for (int i = 0; i < kFixedColumnCount; ++i) {
        const ColumnEntry &e = gColumnTable[i];
        const ColumnExpectation &x = expected[i];
        EXPECT_EQ(Describe(e), std::string(x.name ? x.name : "(null)") + " " + std::to_string(x.low) + ".." +
                                   std::to_string(x.high))
            << "entry " << i;
        EXPECT_EQ(e.address, x.address) << "entry " << i;
    }
    // Individual names come from the problem, their cells at compile time.
    for (int i = kFixedColumnCount; i < gColumnCount; ++i) EXPECT_EQ(Describe(gColumnTable[i]), "(null) 0..0");
    EXPECT_EQ(gDelayedNameCount, in);
    EXPECT_STREQ(gStatusFirstExpression, timeName);
    EXPECT_STREQ(gStatusSecondExpression, f ? "x[1]" : "x");
    EXPECT_STREQ(gStatusFormat, kind == kMap ? "n = %g   x = %g" : "t = %g   x = %g");
    FreeProblemWorkspace();
}

TEST_F(WorkspaceTest, ColumnTableFollowsKindAndDimension) {
    ExpectColumns(kSingleOde, 1, 0, "t", "t0", "tp");
    ExpectColumns(kSingleOde, 3, 0, "t", "t0", "tp");
    ExpectColumns(kOdeSystem, 1, 0, "t", "t0", "tp");
    ExpectColumns(kOdeSystem, 3, 1, "t", "t0", "tp");
    ExpectColumns(kMap, 2, 1, "n", "n0", nullptr);
    EXPECT_TRUE(gRecorder.boxes.empty());
}

TEST_F(WorkspaceTest, SizesOfStackBufferAndMethodCommand) {
    gStackLength = 50;
    gPcodeLength = 300;
    gDimension = 4;
    ASSERT_EQ(NewProblemWorkspace(), 1);
    EXPECT_EQ(gWorkspaceReady, 1);
    EXPECT_EQ(gValueStack.top, gValueStack.base);
    EXPECT_EQ(gValueStack.limit, gValueStack.base + 49);
    gValueStack.limit[0] = 1;      // last slot (ASan checks the bounds)
    gPcodeBuffer[299] = 1;
    gInitialValues[5] = 1;          // n + 2 cells
    gEquationCode[3] = gPcodeBuffer;
    EXPECT_EQ(MethodCommandState(), 1);
    gProblemKind = kMap;
    ASSERT_EQ(NewProblemWorkspace(), 1);
    EXPECT_EQ(MethodCommandState(), 0);
}

// Texts and names held by the old workspace are freed, however the
// dimension changed in between (LeakSanitizer checks at exit).
TEST_F(WorkspaceTest, RebuildFreesEverythingOfTheOldDimension) {
    gDimension = 3;
    ASSERT_EQ(NewProblemWorkspace(), 1);
    SetNonEmptyStringCopy(gEquationTexts[2], "x[3]");
    SetNonEmptyStringCopy(gInitialFunctionTexts[2], "1");
    SetNonEmptyStringCopy(gBoundaryTexts[2], "x0[3]");
    SetNonEmptyStringCopy(gColumnTable[gColumnCount - 1].name, "last");
    SetNonEmptyStringCopy(gDiscontinuities, "1; 2");
    gParameterCount = 2;
    AllocArray(gParameters, 2);
    SetNonEmptyStringCopy(gParameters[1].name, "b");
    SetNonEmptyStringCopy(gProblemTextBuffer, "[Type]");
    gDimension = 1;
    ASSERT_EQ(NewProblemWorkspace(), 1);
    EXPECT_EQ(gParameterCount, 0);
    EXPECT_EQ(gColumnCount, 11);
    gDimension = 5;
    ASSERT_EQ(NewProblemWorkspace(), 1);
    SetNonEmptyStringCopy(gEquationTexts[4], "x[5]");
    FreeProblemWorkspace();
    EXPECT_EQ(gColumnTable, nullptr);
    EXPECT_EQ(gEquationTexts, nullptr);
    EXPECT_EQ(gProblemTextBuffer, nullptr);
    EXPECT_EQ(gWorkspaceReady, 0);
}

// Each allocation of the rebuild failing in turn: one message, result 0,
// and the release afterwards leaves no block behind.
TEST_F(WorkspaceTest, FailedAllocationReportsOnceAndLeaksNothing) {
    gProblemKind = kOdeSystem;
    gDimension = 3;
    int failurePoints = 0;
    for (int k = 0;; ++k) {
        gRecorder.Reset();
        FailHeapAfter(k);
        const int ok = NewProblemWorkspace();
        const bool failed = HeapFailuresServed() > 0;
        FailHeapAfter(-1);
        if (!failed) {
            EXPECT_EQ(ok, 1);
            break;
        }
        ++failurePoints;
        EXPECT_EQ(ok, 0) << "failure at allocation " << k;
        EXPECT_EQ(gWorkspaceReady, 0);
        EXPECT_EQ(OutOfMemoryBoxes(), 1) << "failure at allocation " << k;
        FreeProblemWorkspace();
        ASSERT_LT(k, 200);
    }
    EXPECT_GT(failurePoints, 20);
}

TEST_F(WorkspaceTest, SolverWorkspaceAllocatesAndFreesItsMatrices) {
    gDimension = 3;
    ASSERT_EQ(AllocSolverWorkspace(), 1);
    for (double **m : gSolverWork.matrices) m[2][2] = 1;
    gSolverWork.indices[3][2] = 1;
    gSolverWork.vectors[4][2] = 1;
    for (int k = 0;; ++k) {
        gRecorder.Reset();
        FailHeapAfter(k);
        const int ok = AllocSolverWorkspace();
        const bool failed = HeapFailuresServed() > 0;
        FailHeapAfter(-1);
        if (!failed) {
            EXPECT_EQ(ok, 1);
            break;
        }
        EXPECT_EQ(ok, 0);
        EXPECT_EQ(OutOfMemoryBoxes(), 1);
        FreeSolverWorkspace();
    }
    gDimension = 1;  // freeing goes by the rows allocated, not the current n
    FreeSolverWorkspace();
    EXPECT_EQ(gSolverWork.matrices[0], nullptr);
}

TEST_F(WorkspaceTest, FailedGrowthOfCalculatorResultsKeepsThem) {
    ASSERT_EQ(GrowCalculatorResults(), 1);
    ASSERT_EQ(GrowCalculatorResults(), 1);
    EXPECT_EQ(gCalculatorResultCapacity, 20);
    for (int i = 0; i < 20; ++i) gCalculatorResults[i] = i;
    gCalculatorResultCount = 20;
    FailHeapAfter(0, 2);  // the allocation and its retry
    EXPECT_EQ(GrowCalculatorResults(), 0);
    FailHeapAfter(-1);
    EXPECT_EQ(OutOfMemoryBoxes(), 1);
    ASSERT_NE(gCalculatorResults, nullptr);
    EXPECT_EQ(gCalculatorResultCount, 20);
    EXPECT_EQ(gCalculatorResultCapacity, 20);
    EXPECT_EQ(gCalculatorResults[19], 19);
    ASSERT_EQ(GrowCalculatorResults(), 1);
    EXPECT_EQ(gCalculatorResults[19], 19);
    EXPECT_EQ(gCalculatorResultCapacity, 30);
    ClearCalculatorResults();
    EXPECT_EQ(gCalculatorResults, nullptr);
    EXPECT_EQ(gCalculatorResultCount + gCalculatorResultCapacity, 0);
}

}  // namespace
