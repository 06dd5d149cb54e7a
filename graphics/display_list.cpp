#include "display_list.h"

#include <cstring>

#include "graph_pipeline.h"
#include "settings.h"

DisplayReplayHooks gDisplayReplayHooks;
int gReplayInProgress;
static const GraphWindowState *gReplayedGraph;

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
        if (DisplayBlockEnd(b) - p < kDisplayRecordBytes) break;
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
        if (const GraphSurface *surface = gDrawDc ? InstalledGraphSurface() : nullptr)
            surface->selectSolidPen(gDrawDc, r.color, r.width);
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
    if (const GraphSurface *surface = gDrawDc ? InstalledGraphSurface() : nullptr)
        surface->selectSolidPen(gDrawDc, 0, 0);
    Replay replay = {g, true, false};
    WalkDisplayList(g, ReplayRecord, &replay);
    if (!replay.windowGone) {
        if (const GraphSurface *surface = gDrawDc ? InstalledGraphSurface() : nullptr)
            surface->selectStockPen(gDrawDc);
        if (gOwnDc) g->penWidth = -1;
        g->capture = capture;
        g->memoryDc = memoryDc;
    }
    if (gDisplayReplayHooks.endWait) gDisplayReplayHooks.endWait();
    gReplayInProgress = 0;
    gReplayedGraph = nullptr;
}
