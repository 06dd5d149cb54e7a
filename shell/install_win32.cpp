#include "install_win32.h"

#include "element_dialog_win32.h"
#include "graph_pictures.h"
#include "plotter.h"
#include "run_host_win32.h"
#include "settings_files.h"
#include "text_layout.h"
#include "stroke_font_table.h"

void InstallWin32Platform(HACCEL *accelerators, HWND *editorControls) {
    // The run host, which installs graph plotting and the replay hooks.
    InstallWin32RunHost(accelerators, editorControls);
    gStrokeFontLoader = LoadStrokeFont;
    gPlotterDriverLookup = LookUpPlotterDriver;
    InstallGraphPictures();
    InstallElementDialogs();
}
