// Math-function plug-ins: the libraries listed in section "Math libraries" of
// the shared settings file, loaded at start-up (and again after the list is
// edited) and asked through their export GetParamDLL for the functions they
// add to the expression language. Their records are copied into
// gMathFunctions (math_plugins.h) in load order, so the first plug-in to
// offer a name wins. A plug-in with a help file ("Math help", same key) gets
// an item in the frame's Help menu.
#pragma once
#include <windows.h>
#include "command_ids.h"

// Settings sections of the list (key: display name, value: library path, ":"
// for the program folder) and of the help files (same keys), in file 1.
extern const char kMathLibrariesSection[];
extern const char kMathHelpSection[];

// What a new installation lists: the elliptic functions beside the program.
extern const char kDefaultMathLibraryKey[];
extern const char kDefaultMathLibraryPath[];

constexpr int kMathHelpSubmenu = 7;

// A plug-in is asked for at most this many records; one whose list never
// ends contributes the records up to here.
constexpr int kMaxMathFunctionsPerLibrary = 1024;
// Longest function name taken from a plug-in; a longer one is a broken record.
constexpr int kMaxMathFunctionNameLength = 255;

struct MathLibrary {
    char *name;      // the key: display name and menu text (owned)
    HMODULE module;  // null when the library could not be loaded
    char *helpFile;  // owned; null when there is none
};

// One entry per key of "Math libraries", in file order.
extern MathLibrary *gMathLibraries;
extern int gMathLibraryCount;

// Loads every listed library and collects its functions. A library that
// cannot be loaded gets message 10214 and the next one is tried; one without
// GetParamDLL stays loaded and adds nothing; records with a null or overlong
// name, an argument count outside 0..20 or a null function are skipped. When
// the table cannot grow, no plug-in function is kept at all. When the shared
// settings file does not exist yet, it is first given the default list.
void LoadMathLibraries();

// Removes the menu items, frees every library, gMathFunctions and the
// plug-in table; both counts end at 0.
void UnloadMathLibraries();

// Help menu command kMathHelpFirstCommand + index: opens the plug-in's help
// file. An index outside the table, or a plug-in without help, does nothing.
void OpenMathLibraryHelp(int index);
