#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridges.h"
#include "compile_problem.h"
#include "memory.h"
#include "platform_recorder.h"
#include "problem_settings.h"
#include "run_engine.h"
#include "run_host.h"
#include "shooting.h"
#include "solver_method.h"
#include "test_heap.h"
#include "workspace.h"

namespace {

// Boundary-value problems end to end: the problem's texts are compiled by
// the real compiler and integrated by the built-in integrator; one graph
// child records what it is handed, and the pump can deliver a quit.

struct Point {
    int first;
    double t, x0, x1;
};
std::vector<Point> *points;
std::vector<int> *pumpScript;
int graphChild;
int boundaryPumps;  // pumps during the trial runs: a measure of their work

void RecordPoint(void *, const RunPoint *p) {
    points->push_back({p->first, p->t, p->values[0], gDimension > 1 ? p->values[1] : 0});
}

class ShootingTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorder.Reset();
        points = &points_;
        pumpScript = &pumps_;
        gRunHost = RunHost{};
        gRunHost.compileProblem = CompileProblem;
        gRunHost.forEachChild = [](RunChildProc proc, int arg) { proc(&graphChild, arg); };
        gRunHost.childKind = [](void *) { return int{kRunChildGraph}; };
        gRunHost.plotOdePoint = RecordPoint;
        gRunHost.plotMapPoint = RecordPoint;
        boundaryPumps = 0;
        gRunHost.pumpOne = [] {
            if (gRunState.boundaryStatusShown) ++boundaryPumps;
            if (pumpScript->empty()) return int{kPumpEmpty};
            const int r = pumpScript->front();
            pumpScript->erase(pumpScript->begin());
            return r;
        };
        gRunState = RunState{};
    }
    void TearDown() override {
        FailHeapAfter(-1);
        gRunHost = RunHost{};
        gRunState = RunState{};
        FreeProblemWorkspace();
        ResetProblemSettings();
        gSolverMethod = SolverMethod{};
        gMethodReady = 0;
        gUseInitialFunctions = 0;
        gProblemKind = kSingleOde;
        gDimension = 2;
    }

    // A problem of the given kind: equations (a null text of a single ODE is
    // generated), boundary conditions at "Point", and the initial guess.
    void MakeProblem(int kind, std::vector<const char *> equations, std::vector<const char *> boundary,
                     double point, std::vector<double> guess) {
        gProblemKind = kind;
        gDimension = static_cast<unsigned>(equations.size());
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        ResetProblemSettings();
        gStatusFrequency = 0;
        gShootingIterations = 10;
        gShootingError = 1e-10;
        gTolerance = 1e-12;
        gBoundaryPoint = point;
        gLastValue = 2 * point;
        gOutputStep = point / 4;
        gRetardedPoints = 100;  // a history, for interpolated output
        gInterpolate = 1;
        gInitialTime = 0;
        for (size_t i = 0; i < equations.size(); ++i) {
            if (equations[i]) SetNonEmptyStringCopy(gEquationTexts[i], equations[i]);
            SetNonEmptyStringCopy(gBoundaryTexts[i], boundary[i]);
            gInitialValues[i] = guess[i];
        }
        gMethodReady = 0;
    }
    void Start() {
        gRunState.canContinue = 0;
        StartSolving();
    }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (const RecordedBox &b : gRecorder.boxes) out.push_back(b.text);
        return out;
    }
    // Points after the first of each trajectory.
    std::vector<Point> Trajectory() const {
        std::vector<Point> out;
        for (const Point &p : points_)
            if (!p.first) out.push_back(p);
        return out;
    }
    std::vector<Point> points_;
    std::vector<int> pumps_;
};

const double kPi = std::acos(-1.0);

TEST_F(ShootingTest, BoundaryValueProblemsMeetTheirConditions) {
    const double b = (2 - std::cosh(1.0)) / std::sinh(1.0);
    struct Case {
        const char *name;
        int kind;
        std::vector<const char *> equations, boundary;
        double point;
        std::vector<double> guess, solution;
    } cases[] = {
        // y'' = -y, y(0) = 0, y(pi/2) = 1: y = sin t.
        {"sine", kSingleOde, {nullptr, "-x"}, {"x0[0]", "x[0] - 1"}, kPi / 2, {0.5, 0.3}, {0, 1}},
        // y'' = y, y(0) = 1, y(1) = 2: y = cosh t + b sinh t.
        {"cosh", kOdeSystem, {"x[2]", "x[1]"}, {"x0[1] - 1", "x[1] - 2"}, 1, {0, 0}, {1, b}},
        // y'' = 3/2 y^2, y(0) = 4, y(1) = 1: y = 4 / (1 + t)^2.
        {"nonlinear", kSingleOde, {nullptr, "1.5 * x * x"}, {"x0[0] - 4", "x[0] - 1"}, 1, {3, -7},
         {4, -8}},
        // x(n + 1) = 2 x(n), x(3) = 8.
        {"map", kMap, {"2 * x"}, {"x - 8"}, 3, {5}, {1}},
        // "Point" at t0: the conditions hold at the initial values; a guess
        // of 0 (or below the threshold) is stepped absolutely, else the
        // difference would be 0 and the Jacobian singular.
        {"at t0", kSingleOde, {nullptr, "-x"}, {"x[0] - 2", "x[1] + 1"}, 0, {0, 1e-300}, {2, -1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MakeProblem(c.kind, c.equations, c.boundary, c.point, c.guess);
        points_.clear();
        Start();
        EXPECT_EQ(Boxes(), std::vector<std::string>{});
        for (size_t i = 0; i < c.solution.size(); ++i) EXPECT_NEAR(gInitialValues[i], c.solution[i], 1e-9) << i;
        // The real trajectory starts from the corrected values.
        ASSERT_FALSE(points_.empty());
        EXPECT_EQ(points_[0].first, 1);
        EXPECT_NEAR(points_[0].x0, c.solution[0], 1e-9);
        FreeProblemWorkspace();
    }
}

// The sine problem's trajectory runs on through "Point" to its end.
TEST_F(ShootingTest, TheTrajectoryFollowsTheSolution) {
    MakeProblem(kSingleOde, {nullptr, "-x"}, {"x0[0]", "x[0] - 1"}, kPi / 2, {0.5, 0.3});
    Start();
    std::vector<Point> trajectory = Trajectory();
    ASSERT_EQ(trajectory.size(), 9u);
    for (const Point &p : trajectory) {
        EXPECT_NEAR(p.x0, std::sin(p.t), 1e-9) << p.t;
        EXPECT_NEAR(p.x1, std::cos(p.t), 1e-9) << p.t;
    }
    EXPECT_EQ(trajectory.back().t, kPi);
}

// Already met: no correction at all, so the guess stays bit for bit.
TEST_F(ShootingTest, ConditionsAlreadyMetChangeNothing) {
    MakeProblem(kSingleOde, {nullptr, "-x"}, {"x0[0]", "x[0] - 1"}, kPi / 2, {0, 1});
    gShootingError = 1e-6;
    Start();
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
    EXPECT_EQ(gInitialValues[0], 0);
    EXPECT_EQ(gInitialValues[1], 1);
}

// Failures: the message, the guess put back, the trajectory abandoned.
TEST_F(ShootingTest, FailuresAreReportedAndLeaveTheGuess) {
    struct Case {
        const char *name;
        const char *equation;
        std::vector<const char *> boundary;
        int iterations;
        const char *message;
    } cases[] = {
        // Two corrections from -7 come near -8, not within "Error".
        {"too few iterations", "1.5 * x * x", {"x0[0] - 4", "x[0] - 1"}, 2, "Newton's method failed"},
        // y(1)^2 + 1 has no root.
        {"no root", "-x", {"x0[0] - 4", "x[0] * x[0] + 1"}, 10, "Newton's method failed"},
        // A condition that depends on no initial value: a zero row.
        {"constant condition", "-x", {"x0[0] - 4", "1"}, 10, "Gauss method failed"},
        // Neither condition depends on y'(0): a zero column.
        {"column of zeros", "-x", {"x0[0] - 4", "2 * x0[0]"}, 10, "Gauss method failed"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MakeProblem(kSingleOde, {nullptr, c.equation}, c.boundary, 1, {3, -7});
        gShootingIterations = c.iterations;
        gRecorder.Reset();
        points_.clear();
        Start();
        EXPECT_EQ(Boxes(), std::vector<std::string>{c.message});
        EXPECT_EQ(gInitialValues[0], 3);
        EXPECT_EQ(gInitialValues[1], -7);
        EXPECT_TRUE(Trajectory().empty());
        EXPECT_EQ(gRunState.boundaryStatusShown, 0);
        FreeProblemWorkspace();
    }
}

// An evaluation error once the guess has moved (here in the equations, which
// fail when y'(0) is more than 1 from the guess: the first correction takes
// it to about -1.4) ends the run with the guess back.
TEST_F(ShootingTest, AnEvaluationErrorLeavesTheGuess) {
    MakeProblem(kSingleOde, {nullptr, "-x + IF(ABS(x0[1] + 7) - 1, LAMBERTW(-1), 0, 0)"},
                {"x0[0] - 4", "x[0] - 1"}, 1, {3, -7});
    gRecorder.Reset();
    Start();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Bad argument in Lambert W function"});
    EXPECT_EQ(gInitialValues[0], 3);
    EXPECT_EQ(gInitialValues[1], -7);
    FreeProblemWorkspace();
}

// A failed member does not end the family; the next starts from the
// user's guess, not from where the failed iteration wandered.
TEST_F(ShootingTest, TheFamilyGoesOnAfterAFailedMember) {
    // y(pi/2) = y'(0) = s; ny = 0: s^2 + 1/2 = 0 has no root, ny = 1: s^2 = 1/2.
    MakeProblem(kSingleOde, {nullptr, "-x"}, {"x0[0]", "x[0] * x[0] + 0.5 - ny"}, kPi / 2, {0, 1});
    gPhaseYMin = 0;
    gPhaseYMax = 1;
    Start();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Newton's method failed"});
    EXPECT_NEAR(gInitialValues[1], std::sqrt(0.5), 1e-9);
    std::vector<Point> trajectory = Trajectory();
    ASSERT_FALSE(trajectory.empty());
    EXPECT_EQ(trajectory.back().t, kPi);
    EXPECT_NEAR(trajectory.back().x1, -std::sqrt(0.5), 1e-9);
}

// "Iterations" 0 allows no correction: a residual above "Error" fails at
// once, after the one trial run that a residual already met takes too. (A
// run shoots only for nonzero "Iterations"; the shooting is called directly
// here.)
TEST_F(ShootingTest, NoIterationsAllowedFailsAtOnce) {
    MakeProblem(kSingleOde, {nullptr, "-x"}, {"x0[0]", "x[0] - 1"}, kPi / 2, {0.5, 0.3});
    gShootingError = 1e300;
    Start();
    ASSERT_EQ(Boxes(), std::vector<std::string>{});
    const int oneTrialRun = boundaryPumps;
    EXPECT_GT(oneTrialRun, 0);

    void (*shooting)() = gSolveBoundaryConditions;
    EXPECT_EQ(shooting, &SolveBoundaryConditions);
    gSolveBoundaryConditions = [] {
        gShootingIterations = 0;
        SolveBoundaryConditions();
    };
    gShootingError = 1e-10;
    boundaryPumps = 0;
    Start();
    gSolveBoundaryConditions = shooting;
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Newton's method failed"});
    EXPECT_EQ(boundaryPumps, oneTrialRun);
    EXPECT_EQ(gInitialValues[1], 0.3);
}

// A stop or a failed trial step ends the shooting without its own message.
TEST_F(ShootingTest, StopsAndFailedStepsEndItQuietly) {
    MakeProblem(kSingleOde, {nullptr, "-x"}, {"x0[0]", "x[0] - 1"}, kPi / 2, {0.5, 0.3});
    pumps_ = {kPumpQuit};
    Start();
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
    EXPECT_EQ(gInitialValues[1], 0.3);
    EXPECT_TRUE(Trajectory().empty());
    FreeProblemWorkspace();

    MakeProblem(kSingleOde, {nullptr, "-x"}, {"x0[0]", "x[0] - 1"}, kPi / 2, {0.5, 0.3});
    gMaxStep = 0;
    Start();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Step too small"});
    EXPECT_EQ(gInitialValues[1], 0.3);
}

// Without its work space the shooting says so and abandons the trajectory.
TEST_F(ShootingTest, MissingWorkSpaceIsAGaussFailure) {
    MakeProblem(kSingleOde, {nullptr, "-x"}, {"x0[0]", "x[0] - 1"}, kPi / 2, {0.5, 0.3});
    gSolveBoundaryConditions = [] {
        FailHeapAfter(3, 1000);  // the work space's allocation fails part way
        SolveBoundaryConditions();
        FailHeapAfter(-1);
    };
    Start();
    gSolveBoundaryConditions = SolveBoundaryConditions;
    std::vector<std::string> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0].find("memory"), std::string::npos) << boxes[0];
    EXPECT_EQ(boxes[1], "Gauss method failed");
    EXPECT_EQ(gInitialValues[1], 0.3);
    EXPECT_TRUE(Trajectory().empty());
    EXPECT_EQ(gRunState.shootingIndex, nullptr);
}

}  // namespace
