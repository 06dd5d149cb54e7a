// Every file name the program asks for goes through AskFileName (the title
// and a two-entry filter from the string list) or AskFileNameFromPairs (a
// filter of its own), both on the one common open or save dialog. The named
// questions below are the program's fixed uses of them.
#pragma once
#include <windows.h>

constexpr int kFileNameSize = MAX_PATH;

// The shared answer of the named questions (and their start name where the
// question starts from the buffer).
extern char gFileDialogBuffer[kFileNameSize];
// After each dialog: the chosen filter index (1-based) and the offset of the
// extension in the chosen name, for callers that decide a format by them.
extern int gFileDialogFilterIndex;
extern int gFileDialogExtensionOffset;

// start may be null or empty; result receives the name (kFileNameSize).
// Non-zero when a name was chosen. owner null: the window with the focus.
int AskFileName(const char *start, char *result, int titleId, int filterId, int save, HWND owner);

// The same dialog for a filter given as "name|pattern|" pairs (a list's own
// filter, or a text of the string list) under the dialog's own title; the
// folder must exist for a save too. name (kFileNameSize) holds the start and
// receives the choice; defaultExtension may be null.
int AskFileNameFromPairs(char *name, const char *pairs, const char *defaultExtension, int save, HWND owner);

// The start folder of a dialog: the current folder, taken once, when the
// option to start there is set and the name gives none; else null.
const char *GetInitialDirectory(const char *name);

// Each returns non-zero when a name was chosen, left in gFileDialogBuffer.
int AskOutputFileName(HWND owner);
int AskExportFileName(HWND owner, char *exportName);  // starts from and fills exportName
int AskInputFileName(HWND owner);
int AskPlotterFileName(HWND owner);
int AskLibraryFileName(HWND owner, const char *start);
int AskLinkMapFileName(HWND owner, const char *start);
int AskProgramFileName(HWND owner, const char *start);
int AskDriverFileName(HWND owner, const char *start);
int AskFontFileName(HWND owner, const char *start);
int AskHelpFileName(HWND owner, const char *start);
// A channel dialog's text file, saved (an output file) or opened; name
// (kFileNameSize) holds the start and receives the choice.
int AskChannelFileName(HWND owner, char *name, int save);

// 0 cancelled, 1 BMP, 2 metafile, 3 a format of the image library; saving
// over an existing file asks first.
int AskPictureFileName(HWND owner, int save);

// The extension starts at the last '.' after the last '\'; base and
// extension are kFileNameSize buffers (either may be null).
void SplitExtension(const char *path, char *base, char *extension);
// Appends ".vr" to a name without extension, when it fits.
void AddDefaultExtension(char *path);
// FindFirstFile with the critical-error boxes off.
bool FileExists(const char *path);
