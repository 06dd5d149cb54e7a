// A graph surface with state of its own, for tests: derive from
// SurfaceDouble and install SurfaceRecord(&double) in gGraphSurface. The
// record's entries forward to the double last passed to SurfaceRecord.
#pragma once
#include <cstdint>

#include "graph_pipeline.h"

class SurfaceDouble {
public:
    virtual ~SurfaceDouble() = default;
    virtual void MoveTo(DcHandle dc, int32_t x, int32_t y) = 0;
    virtual void LineTo(DcHandle dc, int32_t x, int32_t y) = 0;
    virtual void SelectSolidPen(DcHandle dc, int32_t color, int32_t width) = 0;
    virtual void SelectStockPen(DcHandle dc) = 0;
    virtual void ScreenAspect(int *ax, int *ay) = 0;
    virtual WindowId FindGraphWindow() = 0;
    virtual void ResizeClient(WindowId w, int32_t newMaxX, int32_t newMaxY, int32_t oldMaxX, int32_t oldMaxY) = 0;
};

inline SurfaceDouble *gSurfaceDouble;

inline GraphSurface SurfaceRecord(SurfaceDouble *surface) {
    gSurfaceDouble = surface;
    return {
        [](DcHandle dc, int32_t x, int32_t y) { gSurfaceDouble->MoveTo(dc, x, y); },
        [](DcHandle dc, int32_t x, int32_t y) { gSurfaceDouble->LineTo(dc, x, y); },
        [](DcHandle dc, int32_t color, int32_t width) { gSurfaceDouble->SelectSolidPen(dc, color, width); },
        [](DcHandle dc) { gSurfaceDouble->SelectStockPen(dc); },
        [](int *ax, int *ay) { gSurfaceDouble->ScreenAspect(ax, ay); },
        [] { return gSurfaceDouble->FindGraphWindow(); },
        [](WindowId w, int32_t newMaxX, int32_t newMaxY, int32_t oldMaxX, int32_t oldMaxY) {
            gSurfaceDouble->ResizeClient(w, newMaxX, newMaxY, oldMaxX, oldMaxY);
        },
    };
}
