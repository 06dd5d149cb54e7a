// Saving a graph window's points: its display list replayed into a point-
// data file through the shared writer, thinned and optionally clipped.
// Points are appended to an existing file; the file is still replaced in one
// step, so an interrupted save loses nothing that was there.
#pragma once
#include "graph_state.h"

constexpr int kSavePointsNameSize = 260;

// Kept while the program runs; dialog 880 edits them.
struct SavePointsSettings {
    char fileName[kSavePointsNameSize + 1];
    double minDistance;  // 0 keeps every point
    int clip;
    double xMin, xMax, yMin, yMax;
};
extern SavePointsSettings gSavePoints;

enum SavePointsResult {
    kSavePointsDone = 0,
    kSavePointsNothing,     // the window keeps no points
    kSavePointsOpenFailed,  // errno tells why
    kSavePointsWriteFailed,
};

// Appends the points of state to path: ".single" as float32, ".double" as
// float64, anything else as text, each polyline preceded by a break. Stops
// early (keeping what was written) when the replay hooks report Esc.
SavePointsResult SaveDisplayPoints(const GraphWindowState *state, const char *path,
                                   const SavePointsSettings &settings);
