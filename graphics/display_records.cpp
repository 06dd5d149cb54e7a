#include "display_records.h"

#include <cstring>

#include "heap.h"
#include "settings.h"

namespace {

// A record and the end byte after it fit when at least 10 bytes remain.
bool HasRoom(const GraphWindowState *g) {
    return g->displayCurrent && g->displayWrite &&
           DisplayBlockEnd(g->displayCurrent) - g->displayWrite > kDisplayRecordBytes;
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
