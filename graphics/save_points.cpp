#include "save_points.h"

#include <cerrno>

#include "display_list.h"
#include "pointdata.h"
#include "safe_save.h"

SavePointsSettings gSavePoints = {{}, 0.0, 1, 0.0, 0.0, 0.0, 0.0};

namespace {

struct Replay {
    PointFilter *filter;
    int escaped;
};

int SaveRecord(const DisplayRecord &record, void *context) {
    Replay *replay = static_cast<Replay *>(context);
    if (record.opcode == kDisplayPoint) {
        // Every move starts a polyline of its own, also the first one: the
        // break sets it apart from what the file held before.
        FilterBreak(replay->filter);
        FilterPoint(replay->filter, record.x, record.y);
    } else if (record.opcode == kDisplayLine) {
        FilterPoint(replay->filter, record.x, record.y);
    }
    if (replay->filter->out->failed) return 1;
    if (gDisplayReplayHooks.pumpCheckEscape && gDisplayReplayHooks.pumpCheckEscape()) {
        replay->escaped = 1;
        return 1;
    }
    return 0;
}

}  // namespace

SavePointsResult SaveDisplayPoints(const GraphWindowState *state, const char *path,
                                   const SavePointsSettings &settings) {
    if (!state || !state->displayFirst) return kSavePointsNothing;
    SafeSave save;
    if (!BeginSafeSave(&save, path, 1)) return kSavePointsOpenFailed;
    PointWriter writer;
    // Text lines end in CR LF, as every text file the program and Trimvex
    // write on Windows; the readers take either end.
    if (!OpenPointWriter(&writer, save.file, GetDataFileKind(path), "%.9lg %.9lg\r\n", "\r\n", 1)) {
        AbandonSafeSave(&save);
        errno = ENOMEM;
        return kSavePointsOpenFailed;
    }
    PointFilter filter;
    InitPointFilter(&filter, &writer);
    if (settings.minDistance > 0) SetFilterThinning(&filter, settings.minDistance);
    if (settings.clip) SetFilterClipping(&filter, settings.xMin, settings.yMin, settings.xMax, settings.yMax);
    if (gDisplayReplayHooks.beginWait) gDisplayReplayHooks.beginWait();
    Replay replay = {&filter, 0};
    WalkDisplayList(state, SaveRecord, &replay);
    if (gDisplayReplayHooks.endWait) gDisplayReplayHooks.endWait();
    const int written = FinishPointWriter(&writer);
    ClosePointWriter(&writer);
    if (!written) {
        AbandonSafeSave(&save);
        return kSavePointsWriteFailed;
    }
    return CommitSafeSave(&save) ? kSavePointsDone : kSavePointsWriteFailed;
}
