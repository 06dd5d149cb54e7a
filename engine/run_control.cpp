#include "run_control.h"

#include <chrono>
#include <cstdint>

#include "builtin_math.h"
#include "run_state.h"

int gForward = 1;
int gSkipOutputPoint;
int gPause;
void (*gStartPauseHook)(int milliseconds);
unsigned gProgramStartTick = TickCount();
unsigned gRunStartTick;
unsigned gTrajectoryStartTick;
double gLastOutputTime;

unsigned TickCount() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<unsigned>(static_cast<uint64_t>(ms));
}

double STOP(double a, double b) {
    if (a != 0) gRunState.stopRequested = 1;
    return b;
}

double BREAK(double a, double b) {
    if (a != 0) gRunState.trajectoryAborted = 1;
    return b;
}

double CONTINUE(double a, double b) {
    if (a == 0) gRunState.trajectoryAborted = 1;
    return b;
}

double SKIP(double a, double b) {
    if (a != 0) gSkipOutputPoint = 1;
    return b;
}

double PAUSE(double x) {
    const int saved = gPause;
    const double r = ROUND(x);
    // Out of int range (or NaN): the longest wait of its sign.
    gPause = r >= 2147483647.0 ? 2147483647 : r <= -2147483647.0 ? -2147483647 : r == r ? static_cast<int>(r) : 0;
    if (gStartPauseHook) gStartPauseHook(0);
    gPause = saved;
    return 0;
}

double BACKWARD() { return gForward ? 0 : 1; }

double TIME(double x) {
    const unsigned since = x > 0 ? gRunStartTick : x < 0 ? gProgramStartTick : gTrajectoryStartTick;
    return static_cast<double>(TickCount() - since);
}
