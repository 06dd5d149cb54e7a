// The escape-sequence macros' dialog (810) and the help of the installed
// stroke fonts.
#pragma once
#include <windows.h>

// Command 707: dialog 810 modally over owner on the whole table; OK writes
// the table to the settings (1), Cancel puts the table back as it was (0).
int EditEscapeSequences(HWND owner);

INT_PTR CALLBACK EscapeSequencesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Command 904: opens, at its index, the first help file among the first ten
// keys of "Font help" that opens. 1 when one opened.
int ShowFontsHelp();
