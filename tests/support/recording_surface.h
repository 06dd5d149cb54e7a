// A graph surface that keeps what reaches the device: lines, and points
// (a thin pen's line of one pixel down and right).
#pragma once
#include <cstdint>
#include <vector>

#include "graph_pipeline.h"
#include "surface_double.h"

struct DevicePrimitive {
    char kind;  // 'P' point, 'L' line
    int32_t x1, y1, x2, y2;
    bool operator==(const DevicePrimitive &o) const {
        return kind == o.kind && x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2;
    }
};

class RecordingSurface : public SurfaceDouble {
public:
    std::vector<DevicePrimitive> prims;
    int32_t x = 0, y = 0;
    void MoveTo(DcHandle, int32_t nx, int32_t ny) override {
        x = nx;
        y = ny;
    }
    void LineTo(DcHandle, int32_t nx, int32_t ny) override {
        const char kind = nx == x + 1 && ny == y + 1 ? 'P' : 'L';
        prims.push_back({kind, x, y, nx, ny});
        x = nx;
        y = ny;
    }
    void SelectSolidPen(DcHandle, int32_t, int32_t) override {}
    void SelectStockPen(DcHandle) override {}
    void ScreenAspect(int *ax, int *ay) override { *ax = *ay = 1; }
    WindowId FindGraphWindow() override { return 0; }
    void ResizeClient(WindowId, int32_t, int32_t, int32_t, int32_t) override {}
    int Count(char kind) const {
        int n = 0;
        for (const DevicePrimitive &p : prims) n += p.kind == kind;
        return n;
    }
};
