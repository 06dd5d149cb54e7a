// The working list of the extension-lists dialog (code libraries, math
// libraries, plotter drivers, font files): its kinds, moves and the check
// before it is stored. Portable, so that it is tested natively.
#pragma once
#include <string>
#include <vector>

enum ExtensionListKind { kCodeLibraryList = 0, kMathLibraryList = 1, kPlotterDriverList = 2, kFontFileList = 3 };

struct ExtensionKind {
    const char *listSection;
    const char *helpSection;
    int captionId;
    int fileButtonId;
    const char *filter;  // file chooser filter, pairs separated by '|'
};
extern const ExtensionKind kExtensionKinds[4];

// An entry as the settings hold it: paths kept as typed.
struct ExtensionEntry {
    std::string name, file, help;
};

// A name that the settings file can hold as a key: not empty, no "=", not
// starting with ";" or "[" (either would read back as something else).
bool IsStorableExtensionName(const std::string &name);

// The first entry that may not be stored (bad name or empty file), or -1.
int FirstBadExtensionEntry(const std::vector<ExtensionEntry> &entries);

// Up (step -1) or Down (+1): swaps the selected entry with its neighbour and
// returns the new selection; -1 (a beep) at the end or with no selection.
int MoveExtensionEntry(std::vector<ExtensionEntry> &entries, int selected, int step);

// Removes the selected entry; returns the new selection (the entry after it,
// else the new last one; -1 when the list became empty), or -2 (a beep) with
// nothing selected.
int RemoveExtensionEntry(std::vector<ExtensionEntry> &entries, int selected);
