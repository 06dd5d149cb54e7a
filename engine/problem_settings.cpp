#include "problem_settings.h"

#include "memory.h"

// The values of a new problem, in one table: the definitions below and
// ResetProblemSettings both take them from here.
#define VR_PROBLEM_DEFAULTS(X)        \
    X(double, gHeavisideZero, 0.5)    \
    X(int, gPhaseXMin, 0)             \
    X(int, gPhaseXMax, 0)             \
    X(int, gPhaseYMin, 0)             \
    X(int, gPhaseYMax, 0)             \
    X(double, gDelay, 0)              \
    X(unsigned, gMapPower, 1)         \
    X(double, gBoundaryPoint, 0)      \
    X(int, gShootingIterations, 0)    \
    X(double, gShootingError, 1e-8)   \
    X(double, gFirstValue, 0)         \
    X(double, gLastValue, 10)         \
    X(double, gInfinityLimit, 1e10)   \
    X(int, gInterpolate, 0)           \
    X(int, gBifurcationDiagram, 0)    \
    X(double, gScanBegin, 0)          \
    X(double, gScanEnd, 0)            \
    X(double, gOutputStep, 0.1)       \
    X(int, gBackward, 0)              \
    X(int, gPauseSetting, 0)          \
    X(unsigned, gRetardedPoints, 0)   \
    X(double, gRealTime, 0)           \
    X(int, gAutoStart, 0)             \
    X(int, gRunPriority, 3)           \
    X(int, gPreferredProcessor, 0)    \
    X(double, gTolerance, 1e-8)       \
    X(double, gInitialStep, 0.01)     \
    X(double, gMaxStep, 1)            \
    X(int, gCodeLibraryIndex, 0)      \
    X(unsigned, gStatusFrequency, 1)

#define VR_DEFINE_SETTING(type, name, value) type name = value;
VR_PROBLEM_DEFAULTS(VR_DEFINE_SETTING)
#undef VR_DEFINE_SETTING
char *gMathematicaInit;
char *gProjectNotes;
int gProblemChanged;
int gAskForProblemName;

void ResetProblemSettings() {
#define VR_RESET_SETTING(type, name, value) name = value;
    VR_PROBLEM_DEFAULTS(VR_RESET_SETTING)
#undef VR_RESET_SETTING
    FreeAndNull(gMathematicaInit);
    FreeAndNull(gProjectNotes);
}
