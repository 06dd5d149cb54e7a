// The settings files on the system's private-profile calls: locating them,
// access by file index, the "Options" section, the recent problems, the
// toolbar layouts, the escape-sequence macros, the frame placement and the
// RunOnce restart. Missing files, sections or keys give the defaults; write
// failures are not reported. A stored value that does not fit the buffer it
// is read into is refused with a message (never cut), and the default used.
#pragma once
#include <windows.h>

#include "settings.h"

// Fills gSettingsLocations from the program path without its extension: the
// file base + ".ini" when it exists (both indices, and the program folder set),
// else the per-user and the shared application-data files
// "...\Quorvale\Vantorel.ini", their folders created when missing. A path
// that would not fit is reported and left empty.
void ChooseSettingsFiles(const char *base);

// Start-up: chooses the files from the program's own path and reads
// "Help file" into gHelpFile. 0 when the program path is too long.
int LocateSettingsFiles();

// The running program's folder with its trailing separator (a static
// buffer); null when its path does not fit kSettingsPathSize.
const char *ProgramFolder();

// Whether the file holds the section, even without keys.
bool SettingsSectionExists(const char *section, int file);

// Reads a value into buffer (size bytes, always terminated) and returns its
// length. In file 1 a value beginning with ":" is resolved against the
// program folder. A value too long for the buffer is refused with a message
// and def is used (or "" when def does not fit either).
int ReadSettingString(const char *section, const char *key, const char *def, char *buffer,
                      int size, int file);
int ReadSettingInt(const char *section, const char *key, int def, int file);
// The same, with the value as stored (a ":" path stays relative): for
// dialogs that write the value back.
int ReadSettingStringAsStored(const char *section, const char *key, const char *def, char *buffer,
                              int size, int file);

// A null key deletes the section, a null text deletes the key.
void WriteSettingString(const char *section, const char *key, const char *text, int file);
void DeleteSettingsSection(const char *section, int file);

// next 0: reads the key names of the section (in file order) and returns the
// first; next 1: the following one. "" marks the end. The names live in one
// shared buffer until the next call with next 0.
const char *EnumSettingsKeys(const char *section, int next, int file);

// The description path of plotter driver name from section "Plotter drivers"
// of the shared file (gGraphicsHost.lookUpPlotterDriver); 0 when the name has no entry.
int LookUpPlotterDriver(const char *name, char *path, int size);

// "Options" of file 0; the key is the text of string keyId.
int GetOptionInt(int keyId, int def);
void WriteOptionInt(int keyId, int value);

// Reads every option of the table except those read by the two start-up
// readers below, the frame placement when "Save position" is set (else it is
// cleared), the recent problems, the toolbar layouts and the macros.
void ReadOptions();
// Writes the options the preferences edit (the table without the frame
// placement, "Own DC" and "Control 87"); run by the preferences command only.
void WriteOptions();
void ReadCheckPreviousOption();
void ReadDcAndFpuOptions();

void ReadRecentProblems();
void WriteRecentProblems();  // all nine slots, empty ones included
void ReadToolbarLayouts();
void WriteToolbarLayouts();
void ReadEscapeSequences();
// Writes all 24 macro texts to "Macros" of the shared file.
void WriteEscapeSequences();

// Stores the frame's normal rectangle and whether it is maximised; leaves
// full-screen mode first. Does nothing without a frame.
void SaveFramePlacement(HWND frame);

// At the end of the Windows session: a RunOnce value "Vantorel<pid>" that
// starts the program again on the problem (the program alone when the path
// is null or empty).
void RegisterRunOnceRestart(const char *problemPath);
