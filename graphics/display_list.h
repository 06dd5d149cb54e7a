// Display list of a graph window: what its runs drew, as a chain of
// fixed-size blocks of point, line and pen records in world coordinates.
// Repaints without an off-screen bitmap, vector printing, EPS and metafile
// pictures replay it; saving points exports it.
//
// Records are packed without alignment: one opcode byte, then 8 bytes of
// operands (two 4-byte floats, or width and colour as int32), little-endian
// as the machine stores them. The byte at displayWrite is always an end
// record. A block starts with the pen in force when it was started, so a
// replay from any block, also a recycled one, draws in the right pen.
#pragma once
#include <cstdint>

#include "display_records.h"
#include "graph_state.h"

// ---- Reading

// One record as the walk hands it out: x, y for points and lines, width and
// color for pens.
struct DisplayRecord {
    int opcode;
    double x, y;
    int32_t width, color;
};
// Called for each point, line and pen record in order; nonzero stops.
typedef int (*DisplayRecordProc)(const DisplayRecord &record, void *context);
// Walks the list of state from its oldest block; 1 when proc stopped it.
int WalkDisplayList(const GraphWindowState *state, DisplayRecordProc proc, void *context);

// ---- Screen replay

// What a replay needs from the windowing side. The program sets every entry
// (InstallWin32Platform); a test double may leave some null, which are skipped.
struct DisplayReplayHooks {
    void (*beginWait)();       // wait cursor on
    void (*endWait)();         // cursor back
    int (*pumpCheckEscape)();  // dispatches pending messages; 1 when Esc was pressed
};
extern DisplayReplayHooks gDisplayReplayHooks;

// A replay is running: windows refuse to close; a window being destroyed
// clears it, which ends the replay at the next record.
extern int gReplayInProgress;

// A window's record is going: a replay of its list ends at the next record.
void EndReplayOf(const GraphWindowState *state);

// Redraws gCurrentGraph from its list into gDrawDc (and the plotter when it
// records), recording nothing.
void ReplayDisplayList();
