// Built-in integrator on the Lorenz system (sigma 10, rho 28, beta 8/3, from
// (1, 1, 1)) over [0, 10000], tolerance 1e-9, with output every 0.01 taken
// from the dense output the way interpolated run output is. Prints steps,
// right-hand-side evaluations and the cost per evaluation.
//
// Each variant supplies a right-hand side; to add one write its Rhs and an
// entry in kVariants, with a setup function if it needs to prepare state
// first. Compare the cost per evaluation of "P-code" with "native C++".
#include <chrono>
#include <cinttypes>
#include <cstdio>

#include "compiler.h"
#include "bridges.h"
#include "dop853.h"
#include "interpreter.h"
#include "solver_method.h"
#include "workspace.h"

namespace {

constexpr int kN = 3;
constexpr double kEnd = 10000;
constexpr double kTolerance = 1e-9;
constexpr double kOutputStep = 0.01;
constexpr int kRetardedPoints = 100;

long long gRhsCalls;
long long gSteps;
double gNextMark;
double gChecksum;  // keeps the output work from being optimised away
long long gMarks;

void VR_PLUGIN_CALL LorenzNative(double, double *y, double *dydt) {
    ++gRhsCalls;
    dydt[0] = 10 * (y[1] - y[0]);
    dydt[1] = y[0] * (28 - y[2]) - y[1];
    dydt[2] = y[0] * y[1] - 8.0 / 3 * y[2];
}

// The same equations as the user types them, compiled into a problem
// workspace of three variables and run by the interpreter, the way the run
// engine's right-hand side does. No recovery point is set: these equations
// cannot fail, and an error would end the benchmark with its message.
const char *const kLorenzTexts[kN] = {
    "10 * (x[2] - x[1])",
    "x[1] * (28 - x[3]) - x[2]",
    "x[1] * x[2] - 8 / 3 * x[3]",
};

int SetUpLorenzPcode() {
    gProblemKind = kOdeSystem;
    gDimension = kN;
    if (!NewProblemWorkspace()) return 0;
    unsigned char *out = gPcodeBuffer;
    int left = static_cast<int>(gPcodeLength);
    for (int i = 0; i < kN; ++i) {
        const int length = CompileExpression(kLorenzTexts[i], out, left);
        if (length == 0) {
            std::printf("\"%s\": compile error %d\n", kLorenzTexts[i], gEvalError);
            return 0;
        }
        gEquationCode[i] = out;
        out += length;
        left -= length;
    }
    return 1;
}

// Through the evaluation bridge that runs hand the integrator.
void VR_PLUGIN_CALL LorenzPcode(double t, double *y, double *dydt) {
    ++gRhsCalls;
    RhsCallback(t, y, dydt);
}

// The interpreter alone, without the bridge's saving of the cells.
void VR_PLUGIN_CALL LorenzPcodeDirect(double t, double *y, double *dydt) {
    ++gRhsCalls;
    gTime = t;
    for (int i = 0; i < kN; ++i) gVariables[i] = y[i];
    for (int i = 0; i < kN; ++i) dydt[i] = RunPcode(gEquationCode[i]);
}

// Hands out every mark passed by the step just accepted, from the history.
int VR_PLUGIN_CALL OutputEveryMark(double t, const double *) {
    ++gSteps;
    while (gNextMark < t) {
        double v[kN];
        int rc = gSolverMethod.interpolate(-kN, gNextMark, v, nullptr);
        if (rc != 0) return rc - 3;
        gChecksum += v[0] + v[1] + v[2];
        ++gMarks;
        gNextMark = gMarks * kOutputStep;  // no drift from repeated addition
    }
    return 0;
}

struct Variant {
    const char *name;
    Dop853Rhs rhs;
    int (*setup)();  // null: nothing to prepare; else nonzero when ready
};

const Variant kVariants[] = {
    {"native C++", LorenzNative, nullptr},
    {"P-code", LorenzPcode, SetUpLorenzPcode},
    {"P-code without the bridge", LorenzPcodeDirect, SetUpLorenzPcode},
};

// Lowest cost per evaluation seen of each variant.
double gBestNs[sizeof kVariants / sizeof *kVariants];

int Run(const Variant &v, double &bestNs) {
    if (v.setup && !v.setup()) {
        std::printf("%s: setup failed\n", v.name);
        return 1;
    }
    Dop853SetCallbacks(v.rhs, OutputEveryMark);
    Dop853Configure(kN, 1, kRetardedPoints);
    if (!gSolverMethod.init()) return 1;
    Dop853BeginTrajectory(0);
    gRhsCalls = gSteps = gMarks = 0;
    gNextMark = 0;
    gChecksum = 0;
    double t = 0, y[kN] = {1, 1, 1};
    auto start = std::chrono::steady_clock::now();
    int rc = gSolverMethod.step(&t, y, kEnd, kTolerance, kEnd, 1e-3, kRetardedPoints);
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                  std::chrono::steady_clock::now() - start).count();
    gSolverMethod.cleanup();
    std::printf("%s: rc %d, t %g, accepted steps %lld, rhs evaluations %lld, output points %lld\n",
                v.name, rc, t, gSteps - 1, gRhsCalls, gMarks);
    const double perEvaluation = static_cast<double>(ns) / static_cast<double>(gRhsCalls);
    std::printf("%s: %.3f s total, %.1f ns per evaluation (checksum %.6g)\n", v.name, ns * 1e-9,
                perEvaluation, gChecksum);
    if (bestNs == 0 || perEvaluation < bestNs) bestNs = perEvaluation;
    return rc == 0 ? 0 : 1;
}

}  // namespace

// Five rounds, alternating the variants, so that a busy moment of the
// machine does not decide the comparison; the best of each counts.
int main() {
    constexpr int kRounds = 5;
    constexpr int kVariantCount = sizeof kVariants / sizeof *kVariants;
    int status = 0;
    for (int round = 0; round < kRounds; ++round)
        for (int i = 0; i < kVariantCount; ++i) status |= Run(kVariants[i], gBestNs[i]);
    for (int i = 0; i < kVariantCount; ++i)
        std::printf("best %s: %.1f ns per evaluation, %.2f times %s\n", kVariants[i].name, gBestNs[i],
                    gBestNs[i] / gBestNs[0], kVariants[0].name);
    return status;
}
