#include "problem_settings.h"

#include "memory.h"

double gHeavisideZero = 0.5;
int gPhaseXMin, gPhaseXMax, gPhaseYMin, gPhaseYMax;
double gDelay;
unsigned gMapPower = 1;
double gBoundaryPoint;
int gShootingIterations;
double gShootingError = 1e-8;
double gFirstValue;
double gLastValue = 10;
double gInfinityLimit = 1e10;
int gInterpolate;
int gBifurcationDiagram;
double gScanBegin, gScanEnd;
double gOutputStep = 0.1;
int gBackward;
int gPauseSetting;
unsigned gRetardedPoints;
double gRealTime;
int gAutoStart;
int gRunPriority = 3;
int gPreferredProcessor;
double gTolerance = 1e-8;
double gInitialStep = 0.01;
double gMaxStep = 1;
int gCodeLibraryIndex;
unsigned gStatusFrequency = 1;
char *gMathematicaInit;
char *gProjectNotes;
int gProblemChanged;
int gAskForProblemName;

void ResetProblemSettings() {
    gHeavisideZero = 0.5;
    gPhaseXMin = gPhaseXMax = gPhaseYMin = gPhaseYMax = 0;
    gDelay = 0;
    gMapPower = 1;
    gBoundaryPoint = 0;
    gShootingIterations = 0;
    gShootingError = 1e-8;
    gFirstValue = 0;
    gLastValue = 10;
    gInfinityLimit = 1e10;
    gInterpolate = gBifurcationDiagram = 0;
    gScanBegin = gScanEnd = 0;
    gOutputStep = 0.1;
    gBackward = gPauseSetting = 0;
    gRetardedPoints = 0;
    gRealTime = 0;
    gAutoStart = 0;
    gRunPriority = 3;
    gPreferredProcessor = 0;
    gTolerance = 1e-8;
    gInitialStep = 0.01;
    gMaxStep = 1;
    gCodeLibraryIndex = 0;
    gStatusFrequency = 1;
    FreeAndNull(gMathematicaInit);
    FreeAndNull(gProjectNotes);
}
