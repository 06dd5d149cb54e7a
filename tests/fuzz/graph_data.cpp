// What graph windows read while they draw: a data-curve element (its file
// name with an optional clipping box, and the points of its file) and the
// axes' text of segments. The first byte picks the file's kind and the
// element's scaling, the first line is what follows the file name in the
// element's text, the second the axes' text, the rest the file. Drawing
// must end, with the file closed, and put nothing outside the device range.
#include <cstring>
#include <string>
#include <unistd.h>

#include "fuzz_target.h"
#include "graph_drawing.h"
#include "graph_elements.h"
#include "graph_pipeline.h"
#include "memory.h"
#include "platform_recorder.h"
#include "recording_surface.h"
#include "settings.h"
#include "workspace.h"

namespace {

std::string TakeLine(std::string &rest) {
    const size_t eol = rest.find('\n');
    std::string line = rest.substr(0, eol).c_str();
    rest.erase(0, eol == std::string::npos ? rest.size() : eol + 1);
    return line;
}

std::string gFolder;

void RemoveScratch() {
    for (const char *name : {"/curve.txt", "/curve.single", "/curve.double"}) std::remove((gFolder + name).c_str());
    rmdir(gFolder.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    std::string &folder = gFolder;
    if (folder.empty()) {
        char pattern[] = "/tmp/vr_fuzz_graphXXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        folder = pattern;
        std::atexit(RemoveScratch);
        gProblemKind = kOdeSystem;
        gDimension = 2;
        gParameterCount = 0;
        if (!NewProblemWorkspace()) std::abort();
        InstallGraphicsElements();
    }
    static const char *const kNames[] = {"/curve.txt", "/curve.single", "/curve.double"};
    const std::string path = folder + kNames[data[0] % 3];
    std::string rest(reinterpret_cast<const char *>(data + 1), size - 1);
    const std::string box = TakeLine(rest);
    const std::string axes = TakeLine(rest);
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(rest.data(), 1, rest.size(), f);
    std::fclose(f);

    gRecorder.Reset();
    RecordingSurface surface;
    GraphWindowState g{};
    gGraphSurface = SurfaceRecord(&surface);
    gDrawDc = 1;
    gCurrentGraph = &g;
    g.xMin = g.yMin = -1;
    g.xMax = g.yMax = 1;
    g.currentElementIndex = -1;
    g.penWidth = -1;
    SetClientExtent(200, 200);
    UpdateGraphMapping();
    SetDefaultViewPoint(g.viewPoint);
    gNewElementKind = kElementData;
    GraphicsElement *e = AddGraphicsElement(0);
    FuzzCheck(e != nullptr);
    SetNonEmptyStringCopy(e->text1, (path + box).c_str());
    const unsigned flags = data[0] / 3;
    e->radius = flags & 1 ? 2.5 : 0;
    e->size = flags & 2 ? -0.5 : 0;
    e->steps = flags & 4 ? 0 : 1;
    DrawAllGraphicsElements();
    const int segments = DrawAxesText(axes.c_str());
    FuzzCheck(segments >= 0 && static_cast<size_t>(segments) <= axes.size() / 4 + 1);
    for (const DevicePrimitive &p : surface.prims)
        FuzzCheck(std::abs(p.x1) <= kDeviceLimit + 1 && std::abs(p.y2) <= kDeviceLimit + 1);
    FreeGraphState(&g);
    gCurrentGraph = nullptr;
    gGraphSurface = GraphSurface{};
    gDrawDc = 0;
    return 0;
}
