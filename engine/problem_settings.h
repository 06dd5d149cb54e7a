// The problem's settings beyond its workspace: range, method, run and
// status-line values, texts and flags that the problem file carries and the
// run engine reads. Initial values are those of a new problem.
#pragma once

// How a setting holds its value. The problem file derives its key type and
// the settings dialogs their item type from it.
enum ProblemValueKind : unsigned char {
    kValueDouble,    // double
    kValueInteger,   // int
    kValueUnsigned,  // unsigned
    kValueFlag,      // int, 1 or 0
    kValueChoice,    // int, index of one of `choices` values
};

// A layer above names its own type for each kind: one value per kind, in
// the order of ProblemValueKind.
template <typename T>
constexpr T PerValueKind(ProblemValueKind kind, T forDouble, T forInteger, T forUnsigned, T forFlag, T forChoice) {
    const T each[] = {forDouble, forInteger, forUnsigned, forFlag, forChoice};
    return each[kind];
}

template <ProblemValueKind kind> struct ProblemValueType { typedef int Type; };
template <> struct ProblemValueType<kValueDouble> { typedef double Type; };
template <> struct ProblemValueType<kValueUnsigned> { typedef unsigned Type; };

// The one list of the problem settings: X(id, variable, kind, initial value,
// choices). The variables, the reset, the problem file's keys and the
// dialogs' items are all derived from it; higher layers keep only their own
// facts (key texts, controls) and name the entry by its id.
#define VR_PROBLEM_SETTINGS(X)                                                            \
    X(HeavisideZero, gHeavisideZero, kValueDouble, 0.5, 0)      /* value of STEP at 0 */   \
    X(PhaseXMin, gPhaseXMin, kValueInteger, 0, 0)                                          \
    X(PhaseXMax, gPhaseXMax, kValueInteger, 0, 0)                                          \
    X(PhaseYMin, gPhaseYMin, kValueInteger, 0, 0)                                          \
    X(PhaseYMax, gPhaseYMax, kValueInteger, 0, 0)                                          \
    X(Delay, gDelay, kValueDouble, 0, 0)                                                   \
    X(MapPower, gMapPower, kValueUnsigned, 1, 0)      /* map applications per point */     \
    X(BoundaryPoint, gBoundaryPoint, kValueDouble, 0, 0)                                   \
    X(ShootingIterations, gShootingIterations, kValueInteger, 0, 0) /* 0: no conditions */ \
    X(ShootingError, gShootingError, kValueDouble, 1e-8, 0)                                \
    X(FirstValue, gFirstValue, kValueDouble, 0, 0)                                         \
    X(LastValue, gLastValue, kValueDouble, 10, 0)                                          \
    X(InfinityLimit, gInfinityLimit, kValueDouble, 1e10, 0)                                \
    X(Interpolate, gInterpolate, kValueFlag, 0, 0)                                         \
    X(BifurcationDiagram, gBifurcationDiagram, kValueFlag, 0, 0)                           \
    X(ScanBegin, gScanBegin, kValueDouble, 0, 0)                                           \
    X(ScanEnd, gScanEnd, kValueDouble, 0, 0)                                               \
    X(OutputStep, gOutputStep, kValueDouble, 0.1, 0)                                       \
    X(Backward, gBackward, kValueFlag, 0, 0)                                               \
    X(PauseSetting, gPauseSetting, kValueInteger, 0, 0) /* tenths of a second */           \
    X(RetardedPoints, gRetardedPoints, kValueUnsigned, 0, 0)                               \
    X(RealTime, gRealTime, kValueDouble, 0, 0)                                             \
    X(AutoStart, gAutoStart, kValueFlag, 0, 0)                                             \
    X(RunPriority, gRunPriority, kValueChoice, 3, 7)  /* idle 0 .. time critical 6 */      \
    X(PreferredProcessor, gPreferredProcessor, kValueInteger, 0, 0) /* 0: none */          \
    X(Tolerance, gTolerance, kValueDouble, 1e-8, 0)                                        \
    X(InitialStep, gInitialStep, kValueDouble, 0.01, 0)                                    \
    X(MaxStep, gMaxStep, kValueDouble, 1, 0)                                               \
    /* 0 built-in, k: the k-th code library; the file names the library. */               \
    X(CodeLibraryIndex, gCodeLibraryIndex, kValueInteger, 0, 0)                            \
    X(StatusFrequency, gStatusFrequency, kValueUnsigned, 1, 0) /* of the status line */

#define VR_DECLARE_SETTING(id, variable, kind, initial, choices) \
    extern ProblemValueType<kind>::Type variable;
VR_PROBLEM_SETTINGS(VR_DECLARE_SETTING)
#undef VR_DECLARE_SETTING

enum ProblemSettingId {
#define VR_SETTING_ID(id, variable, kind, initial, choices) kSetting##id,
    VR_PROBLEM_SETTINGS(VR_SETTING_ID)
#undef VR_SETTING_ID
    kProblemSettingCount
};

struct ProblemSetting {
    ProblemValueKind kind;
    void *cell;      // the variable, of ProblemValueType<kind>
    double initial;  // its value in a new problem
    int choices;     // kValueChoice: the number of values, else 0
};

inline constexpr ProblemSetting kProblemSettings[kProblemSettingCount] = {
#define VR_SETTING_ROW(id, variable, kind, initial, choices) {kind, &variable, initial, choices},
    VR_PROBLEM_SETTINGS(VR_SETTING_ROW)
#undef VR_SETTING_ROW
};

// The entry whose variable is cell, or null.
const ProblemSetting *FindProblemSetting(const void *cell);

extern char *gMathematicaInit;        // "Initialization", owned
extern char *gProjectNotes;           // [Notes], owned

// Problem flags of the file commands.
extern int gProblemChanged;
extern int gAskForProblemName;        // the next save asks for a file name

// Back to the values of a new problem (texts freed).
void ResetProblemSettings();
