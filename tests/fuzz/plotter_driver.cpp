// Plotter-driver descriptions: the file is read as a window's driver and,
// when it loads, a short job is written through it (prolog, frame, moves,
// lines, pens, page eject, epilog) to the null device.
#include <unistd.h>

#include <cstring>
#include <string>

#include "fuzz_target.h"
#include "graph_pipeline.h"
#include "graph_state.h"
#include "memory.h"
#include "platform_recorder.h"
#include "plotter.h"
#include "settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static std::string driver;
    if (driver.empty()) driver = "/tmp/vr_fuzz_plotter_" + std::to_string(getpid()) + ".txt";
    FILE *f = std::fopen(driver.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    gRecorder.Reset();
    GraphWindowState g{};
    g.xMin = g.yMin = -1;
    g.xMax = g.yMax = 1;
    g.clientMaxX = g.clientMaxY = 100;
    g.plotter.frame = 1;
    g.plotter.pen = 2;
    g.plotter.lineType = 1;
    g.displayPenWidth = -1;
    SetNonEmptyStringCopy(g.plotter.driver, driver.c_str());
    SetNonEmptyStringCopy(g.plotter.device, "/dev/null");
    gCurrentGraph = &g;
    gPlotterOutputOn = 1;
    StartPlotterStream();
    if (g.plotter.recording) {
        PlotPoint(0, 0);
        PlotLineTo(2, 0);
        PlotLineTo(0, -0.5);
        SetPen(0x0000FF, 2);
        PlotterSetLineType(3);
        StopPlotterStream();
        PlotterEjectPage();
        ClosePlotterJob();
    }
    FreeGraphState(&g);
    gCurrentGraph = nullptr;
    gPlotterOutputOn = 0;
    return 0;
}
