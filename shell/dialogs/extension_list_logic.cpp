#include "extension_list_logic.h"

#include <utility>

#include "string_ids.h"

const ExtensionKind kExtensionKinds[4] = {
    {"Code libraries", "Code help", IDS_EXTENSIONS_CODE_CAPTION, IDS_EXTENSIONS_DLL_BUTTON,
     "Libraries (*.dll)|*.dll|All files (*.*)|*.*|"},
    {"Math libraries", "Math help", IDS_EXTENSIONS_MATH_CAPTION, IDS_EXTENSIONS_DLL_BUTTON,
     "Libraries (*.dll)|*.dll|All files (*.*)|*.*|"},
    {"Plotter drivers", "Plotter help", IDS_EXTENSIONS_PLOTTER_CAPTION, IDS_EXTENSIONS_DRV_BUTTON,
     "Plotter drivers (*.drv)|*.drv|All files (*.*)|*.*|"},
    {"Font files", "Font help", IDS_EXTENSIONS_FONT_CAPTION, IDS_EXTENSIONS_FONT_BUTTON,
     "Stroke fonts (*.ft)|*.ft|All files (*.*)|*.*|"},
};

bool IsStorableExtensionName(const std::string &name) {
    if (name.empty() || name[0] == ';' || name[0] == '[') return false;
    return name.find('=') == std::string::npos;
}

int FirstBadExtensionEntry(const std::vector<ExtensionEntry> &entries) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (!IsStorableExtensionName(entries[i].name) || entries[i].file.empty()) return static_cast<int>(i);
    return -1;
}

int MoveExtensionEntry(std::vector<ExtensionEntry> &entries, int selected, int step) {
    const int count = static_cast<int>(entries.size());
    const int target = selected + step;
    if (selected < 0 || selected >= count || target < 0 || target >= count) return -1;
    std::swap(entries[selected], entries[target]);
    return target;
}

int RemoveExtensionEntry(std::vector<ExtensionEntry> &entries, int selected) {
    const int count = static_cast<int>(entries.size());
    if (selected < 0 || selected >= count) return -2;
    entries.erase(entries.begin() + selected);
    return selected < count - 1 ? selected : count - 2;
}
