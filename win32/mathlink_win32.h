// The link to a computer-algebra kernel on Win32: its settings in section
// "MathLink" of the shared settings file, the platform services it runs on,
// and the search for an installed kernel that the configuration dialog
// offers.
#pragma once
#include "mathlink.h"

// Start-up, after InstallWin32Platform: reads every key of
// kMathLinkSettingKeys. An integer outside its choices reads as 0; a text
// too long for its field is refused with a message and left empty.
void ReadMathLinkSettings();

// Stores every key (integers as one digit). The caller has unloaded the link.
void WriteMathLinkSettings();

// Fills *fields from the installation that opens ".nb" documents: the
// libraries and protocol modules of the local and TCP configurations and the
// kernel, each only when the file exists (the newer folder wins); empty
// first argument, options and link name get their usual values. 1 when the
// registry named an installation folder.
int DetectMathematicaPaths(MathLinkSettings *fields);

// The library loader, GetProcAddress, process start, wait cursor and clock
// for the link, in gMathLinkHost (InstallWin32Platform).
void InstallWin32MathLinkHost();
