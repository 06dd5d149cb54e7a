// Built-in integrator on the Lorenz system (sigma 10, rho 28, beta 8/3, from
// (1, 1, 1)) over [0, 10000], tolerance 1e-9, with output every 0.01 taken
// from the dense output the way interpolated run output is. Prints steps,
// right-hand-side evaluations and the cost per evaluation.
//
// Each variant supplies a right-hand side; to add one (the compiled
// equations through the P-code interpreter, say) write its Rhs and an entry
// in kVariants, with a setup function if it needs to prepare state first.
#include <chrono>
#include <cinttypes>
#include <cstdio>

#include "dop853.h"
#include "solver_method.h"

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
};

int Run(const Variant &v) {
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
    std::printf("%s: %.3f s total, %.1f ns per evaluation (checksum %.6g)\n", v.name, ns * 1e-9,
                static_cast<double>(ns) / static_cast<double>(gRhsCalls), gChecksum);
    return rc == 0 ? 0 : 1;
}

}  // namespace

int main() {
    int status = 0;
    for (const Variant &v : kVariants) status |= Run(v);
    return status;
}
