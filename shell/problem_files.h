// Problem files by name: the questions of Open and Save as, shell links,
// the list of the nine most recent problems (File menu, settings, the
// frame's caption) and the shell's recent documents.
#pragma once
#include <windows.h>

// Slot 1 .. 9 of the recent list chosen in the File menu (commands 170 to
// 178), 0 when none; the next Open takes it.
extern int gRecentSlotToOpen;
// The full path of the current problem as the file system reported it at
// its last open or save.
extern char gProblemFullPath[MAX_PATH];
// File-name slot 0: the text file of the notes editor.
extern char gNotesTextFile[MAX_PATH];

enum ProblemFileKind { kNotesTextFile = 0, kProblemFile = 1 };

// Opens the problem file for reading: the pending name (command line,
// dropped file), the chosen recent entry, or the one the Open dialog gives
// (of the examples folder for isExample). A failure is reported and the
// name cleared; the handle, or INVALID_HANDLE_VALUE.
HANDLE OpenProblemForReading(HWND owner, int kind, int isExample);
// The name a save writes to: name (MAX_PATH) starts as the current one;
// the Save as dialog when saveAs is set or there is none; the overwrite
// question for a file that is not the current problem's. 0 when cancelled.
int ChooseProblemFileForWriting(HWND owner, int saveAs, char *name);

// Replaces a shell-link path by its target, in place; any failure leaves
// the path as it was.
void ResolveShortcut(char *path);
// Writes a shell link at linkPath to target; 1 on success.
int CreateShortcut(const char *linkPath, const char *target);

// After a problem file was opened or saved under path: it becomes the
// current problem path, the caption's file and the first recent entry.
void AddRecentProblem(const char *path);
// Drops the entries whose files are gone, keeping the order.
void CompactRecentList();
// The recent entries after a separator at the end of the File menu.
void BuildRecentFilesMenu();
void AddToRecentDocuments(const char *path);
// The shell's display name of an existing file, else the path; into a
// shared buffer that the next call overwrites.
const char *GetDisplayName(const char *path);
// The display text of path; with more characters than the smaller of
// maximum and 260 (0: 260), only its name. Shared buffer as above.
const char *ShortenPathForMenu(const char *path, int maximum);
// Releases the shell allocator (at exit).
void ReleaseShellAllocator();
