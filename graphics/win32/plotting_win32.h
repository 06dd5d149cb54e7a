// The Win32 side of plotting during a run: graph windows' contexts, their
// records and the per-point procedures of the run host.
#pragma once
#include <windows.h>

#include "run_host.h"  // RunPoint

// Fills gPlotHost, the run host's plotOdePoint and plotMapPoint, the wait
// cursor of display-list replays, and the GDI surface when none is set.
void InstallGraphPlotting();

// The run host's per-point procedures for a graph child (an HWND): the
// child's record becomes the current graph; an error the plotting returns
// is shown as a step result and ends the trajectory.
void PlotOdePointProc(void *window, const RunPoint *point);
void PlotMapPointProc(void *window, const RunPoint *point);
