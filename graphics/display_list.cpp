#include "display_list.h"

#include <cstring>

#include "graph_pipeline.h"
#include "heap.h"
#include "settings.h"

int gMetafileRecording;
DisplayReplayHooks gDisplayReplayHooks;
int gReplayInProgress;
static const GraphWindowState *gReplayedGraph;

namespace {

unsigned char *BlockEnd(DisplayBlock *b) { return b->records + kDisplayBlockBytes; }

// A record and the end byte after it fit when at least 10 bytes remain.
bool HasRoom(const GraphWindowState *g) {
    return g->displayCurrent && g->displayWrite &&
           BlockEnd(g->displayCurrent) - g->displayWrite > kDisplayRecordBytes;
}

void Write(GraphWindowState *g, int opcode, const void *a, const void *b) {
    unsigned char *p = g->displayWrite;
    p[0] = static_cast<unsigned char>(opcode);
    std::memcpy(p + 1, a, 4);
    std::memcpy(p + 5, b, 4);
    p[kDisplayRecordBytes] = kDisplayEnd;
    g->displayWrite = p + kDisplayRecordBytes;
}

void WritePen(GraphWindowState *g, int32_t color, int32_t width) { Write(g, kDisplayPen, &width, &color); }

// The oldest block, unlinked, to be written again from its start; null
// when there is none.
DisplayBlock *RecycleOldest(GraphWindowState *g) {
    DisplayBlock *b = g->displayFirst;
    if (!b) return nullptr;
    if (b->next) g->displayFirst = b->next;
    b->next = nullptr;
    return b;
}

// The pen a new block starts with: the last one recorded, else the one in
// force (a released pen has width -1, which no replay can draw with).
void StartPen(const GraphWindowState *g, int32_t &color, int32_t &width) {
    if (g->displayPenWidth >= 0) {
        color = g->displayPenColor;
        width = g->displayPenWidth;
    } else {
        color = g->penColor;
        width = g->penWidth < 0 ? 0 : g->penWidth;
    }
}

}  // namespace

int AddDisplayBlock() {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return 0;
    if (g->displayWrite) *g->displayWrite = kDisplayContinue;
    DisplayBlock *b = nullptr;
    if (g->capture > 0 && g->displayBlockCount >= g->capture) {
        b = RecycleOldest(g);
    } else {
        // Silently: a run must not stop, nor lose its method's storage, for
        // want of memory to record; the list becomes a ring instead.
        b = static_cast<DisplayBlock *>(HeapAllocZeroed(sizeof(DisplayBlock)));
        if (b)
            ++g->displayBlockCount;
        else
            b = RecycleOldest(g);
    }
    if (!b) {
        // Nothing to write into: the continue written above would lead
        // nowhere.
        if (g->displayWrite) *g->displayWrite = kDisplayEnd;
        return 0;
    }
    if (g->displayCurrent && g->displayFirst != b)
        g->displayCurrent->next = b;
    else
        g->displayFirst = b;
    g->displayCurrent = b;
    g->displayWrite = b->records;
    int32_t color, width;
    StartPen(g, color, width);
    WritePen(g, color, width);
    return 1;
}

void AppendDisplayPoint(int opcode, double x, double y) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    if (!HasRoom(g) && !AddDisplayBlock()) return;
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    Write(g, opcode, &fx, &fy);
}

void AppendDisplayPen(int32_t color, int32_t width) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    g->displayPenColor = color;
    g->displayPenWidth = width;
    // A new block starts with this pen already.
    if (!HasRoom(g)) {
        AddDisplayBlock();
        return;
    }
    WritePen(g, color, width);
}

void FreeDisplayList(GraphWindowState *state) {
    if (!state) return;
    if (!gMetafileRecording) {
        for (DisplayBlock *b = state->displayFirst; b;) {
            DisplayBlock *next = b->next;
            HeapRelease(b);
            b = next;
        }
        state->displayFirst = nullptr;
    }
    state->displayCurrent = nullptr;
    state->displayWrite = nullptr;
    state->displayBlockCount = 0;
    state->displayPenWidth = -1;
    state->displayPenColor = 0;
}

int WalkDisplayList(const GraphWindowState *state, DisplayRecordProc proc, void *context) {
    DisplayBlock *b = state ? state->displayFirst : nullptr;
    const unsigned char *p = b ? b->records : nullptr;
    while (p) {
        if (*p == kDisplayEnd) break;
        if (*p == kDisplayContinue) {
            b = b->next;
            p = b ? b->records : nullptr;
            continue;
        }
        // A record that would run past its block means damage: stop there.
        if (BlockEnd(b) - p < kDisplayRecordBytes) break;
        DisplayRecord r = {*p, 0, 0, 0, 0};
        if (r.opcode == kDisplayPoint || r.opcode == kDisplayLine) {
            float x, y;
            std::memcpy(&x, p + 1, 4);
            std::memcpy(&y, p + 5, 4);
            r.x = x;
            r.y = y;
        } else if (r.opcode == kDisplayPen) {
            std::memcpy(&r.width, p + 1, 4);
            std::memcpy(&r.color, p + 5, 4);
        } else {
            break;
        }
        if (proc(r, context)) return 1;
        p += kDisplayRecordBytes;
    }
    return 0;
}

namespace {

struct Replay {
    GraphWindowState *g;
    bool noPointYet;
    bool windowGone;
};

int ReplayRecord(const DisplayRecord &r, void *context) {
    Replay *replay = static_cast<Replay *>(context);
    GraphWindowState *g = replay->g;
    switch (r.opcode) {
    case kDisplayPoint:
        PlotPoint(r.x, r.y);
        replay->noPointYet = false;
        break;
    case kDisplayLine:
        // The ring may have dropped the point this line started from.
        if (replay->noPointYet)
            PlotPoint(r.x, r.y);
        else
            PlotLineTo(r.x, r.y);
        replay->noPointYet = false;
        break;
    case kDisplayPen:
        g->penWidth = r.width;
        if (gDrawDc && gGraphSurface) gGraphSurface->SelectSolidPen(gDrawDc, r.color, r.width);
        break;
    }
    const int escape = gDisplayReplayHooks.pumpCheckEscape ? gDisplayReplayHooks.pumpCheckEscape() : 0;
    if (!gReplayInProgress) {
        // The window was destroyed while messages were dispatched: its
        // record and blocks are gone.
        replay->windowGone = true;
        return 1;
    }
    // Whatever the dispatched messages made current, the replay goes on here.
    gCurrentGraph = g;
    return escape;
}

}  // namespace

void EndReplayOf(const GraphWindowState *state) {
    if (state && state == gReplayedGraph) gReplayInProgress = 0;
}

void ReplayDisplayList() {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    gReplayInProgress = 1;
    gReplayedGraph = g;
    if (gDisplayReplayHooks.beginWait) gDisplayReplayHooks.beginWait();
    const uint32_t memoryDc = g->memoryDc;
    const int32_t capture = g->capture;
    g->memoryDc = 0;
    g->capture = 0;
    if (gOwnDc) ReleasePens();
    if (gDrawDc && gGraphSurface) gGraphSurface->SelectSolidPen(gDrawDc, 0, 0);
    Replay replay = {g, true, false};
    WalkDisplayList(g, ReplayRecord, &replay);
    if (!replay.windowGone) {
        if (gDrawDc && gGraphSurface) gGraphSurface->SelectStockPen(gDrawDc);
        if (gOwnDc) g->penWidth = -1;
        g->capture = capture;
        g->memoryDc = memoryDc;
    }
    if (gDisplayReplayHooks.endWait) gDisplayReplayHooks.endWait();
    gReplayInProgress = 0;
    gReplayedGraph = nullptr;
}
