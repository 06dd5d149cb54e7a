#include "map_stepper.h"

#include <cmath>

#include "memory.h"

namespace {

MapRhs gRhs;
MapOutput gOutput;
int gN;
int *gRetardedPoints;
double gTrajectoryStartN;

// The ring: state of step k (counted from the trajectory's first state) in
// slot k mod depth. count stays in [depth, 2 depth) once wrapped.
int gDepth;
double *gScratch;
double **gHistory;
int gHistoryRows;  // rings allocated: n may change before the next release
int gCount;
double gHistoryStart;
double gNewest;

void StoreState(const double *x) {
    int slot = gCount % gDepth;
    for (int i = 0; i < gN; ++i) gHistory[i][slot] = x[i];
    if (gCount >= gDepth) gHistoryStart += 1;
    if (++gCount >= 2 * gDepth) gCount -= gDepth;
}

}  // namespace

void MapSetCallbacks(MapRhs rhs, MapOutput output) {
    gRhs = rhs;
    gOutput = output;
}

void MapConfigure(int n, int *retardedPoints) {
    gN = n;
    gRetardedPoints = retardedPoints;
}

void MapBeginTrajectory(double n0) {
    gTrajectoryStartN = n0;
    gCount = 0;
}

void FreeMapHistory() {
    if (gHistory)
        for (int i = gHistoryRows - 1; i >= 0; --i) FreeAndNull(gHistory[i]);
    gHistoryRows = 0;
    FreeAndNull(gHistory);
    FreeAndNull(gScratch);
    gCount = 0;
}

int InitMapMethod() {
    gSolverMethod.interpolate = MapHistoryLookup;
    gSolverMethod.step = IterateMap;
    gSolverMethod.cleanup = FreeMapHistory;
    if (*gRetardedPoints <= 0) *gRetardedPoints = 2;
    FreeMapHistory();
    gDepth = *gRetardedPoints;
    gOutOfMemory = 0;
    AllocArray(gScratch, gN);
    AllocArray(gHistory, gN);
    if (gHistory) gHistoryRows = gN;
    // A memory report inside the batch runs the cleanup hook, which frees the
    // pointer array: allocate each ring into a local and store it only while
    // the array is still there.
    for (int i = 0; i < gN && !gOutOfMemory; ++i) {
        double *ring = nullptr;
        AllocArray(ring, gDepth);
        if (gHistory) gHistory[i] = ring;
        else FreeAndNull(ring);
    }
    gCount = 0;
    return !gOutOfMemory;
}

int IterateMap(double *n, double *x, double nEnd, double, double, double, int power) {
    if (gCount == 0) {
        gHistoryStart = gNewest = *n;
        for (int i = 0; i < gN; ++i) gHistory[i][0] = x[i];
        gCount = 1;
    }
    if (int rc = gOutput(*n, x)) return rc;
    while (*n < nEnd) {
        // A negative "Power" applies the map no times, like 0.
        for (int k = 0; k < power; ++k) {
            gRhs(*n, x, gScratch);
            for (int i = 0; i < gN; ++i) x[i] = gScratch[i];
        }
        *n += 1;
        gNewest = *n;
        StoreState(x);
        if (int rc = gOutput(*n, x)) return rc;
    }
    return 0;
}

int MapHistoryLookup(int which, double t, double *out, InitialFunctionFallback fallback) {
    int first = which >= 0 ? which : 0;
    int last = which >= 0 ? which : -which - 1;
    if (last >= gN) return -2;
    if (std::isnan(t)) return -1;
    if (fallback && (t < gTrajectoryStartN || (t == gTrajectoryStartN && gCount == 0))) {
        for (int j = first; j <= last; ++j) *out++ = fallback(j, t);
        return 0;
    }
    if (gCount == 0 || t < gHistoryStart) return -1;
    // Nothing is stored beyond the newest state.
    if (std::trunc(t) > std::trunc(gNewest)) return -1;
    long long offset = static_cast<long long>(std::trunc(t)) - static_cast<long long>(std::trunc(gNewest));
    long long slot = ((gCount + offset - 1) % gDepth + gDepth) % gDepth;
    for (int j = first; j <= last; ++j) *out++ = gHistory[j][slot];
    return 0;
}
