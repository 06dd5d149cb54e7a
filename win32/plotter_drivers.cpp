// Plotter driver names: the value of the name in section "Plotter drivers"
// of the shared settings file is the path of the driver's description.
#include "settings_files.h"

int LookUpPlotterDriver(const char *name, char *path, int size) {
    if (!name || !name[0] || size <= 0) return 0;
    return ReadSettingString("Plotter drivers", name, "", path, size, kSettingsShared);
}
