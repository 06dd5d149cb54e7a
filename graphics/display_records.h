// Appending to gCurrentGraph's display list (display_list.h describes the
// records, walks and replays them). It sits below the coordinate pipeline,
// which records what it draws through it.
#pragma once
#include <cstdint>

#include "graph_state.h"  // DisplayBlock, FreeDisplayList

constexpr int kDisplayRecordBytes = 9;

inline unsigned char *DisplayBlockEnd(DisplayBlock *b) { return b->records + kDisplayBlockBytes; }

enum DisplayOpcode {
    kDisplayEnd = 0,
    kDisplayContinue = 1,  // the records go on at the start of the next block
    kDisplayPoint = 2,     // x, y
    kDisplayLine = 3,      // x, y: a line from the previous point
    kDisplayPen = 4,       // width, colour (0x00BBGGRR)
};

// Callers test capture first.

// Starts a new block (recycling the oldest one in a full ring, or when no
// memory is left) and writes the pen in force at its start; 1, or 0 when no
// block could be had.
int AddDisplayBlock();
// opcode kDisplayPoint or kDisplayLine; nothing when no block can be had.
void AppendDisplayPoint(int opcode, double x, double y);
void AppendDisplayPen(int32_t color, int32_t width);
