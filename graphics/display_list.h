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

#include "graph_state.h"

constexpr int kDisplayBlockBytes = 10240;
constexpr int kDisplayRecordBytes = 9;

struct DisplayBlock {
    unsigned char records[kDisplayBlockBytes];
    DisplayBlock *next;  // null in the newest block
};

enum DisplayOpcode {
    kDisplayEnd = 0,
    kDisplayContinue = 1,  // the records go on at the start of the next block
    kDisplayPoint = 2,     // x, y
    kDisplayLine = 3,      // x, y: a line from the previous point
    kDisplayPen = 4,       // width, colour (0x00BBGGRR)
};

// While a metafile picture is recorded for a file, its replay still reads
// the blocks: FreeDisplayList then leaves them allocated and linked.
extern int gMetafileRecording;

// ---- Appending to gCurrentGraph's list (callers test capture first).

// Starts a new block (recycling the oldest one in a full ring, or when no
// memory is left) and writes the pen in force at its start; 1, or 0 when no
// block could be had.
int AddDisplayBlock();
// opcode kDisplayPoint or kDisplayLine; nothing when no block can be had.
void AppendDisplayPoint(int opcode, double x, double y);
void AppendDisplayPen(int32_t color, int32_t width);

// Releases every block of a record.
void FreeDisplayList(GraphWindowState *state);

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
