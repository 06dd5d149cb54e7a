// The initial-value and parameter browsers (dialogs 900 and 901): small
// modeless dialogs at the frame's top right that show and edit the problem's
// numbers, refreshed whenever they are shown, activated or told to.
#pragma once
#include <windows.h>

// Commands 221 and 222 (index 0 and 1): creates the browser when it does not
// exist, else focuses it when visible or shows it. Returns its window.
HWND ShowBrowser(int index);

// Both browsers reload their names and values (posted, so that a run or a
// loading problem is not re-entered).
void RefreshBrowsers();

// Rows a and b of the initial-value browser take their values again.
void UpdateInitialValueRows(int a, int b);

INT_PTR CALLBACK ValuesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);


// Settings keys of the browsers' places (file 0, section "Options").
extern const char *const kBrowserXKeys[2];
extern const char *const kBrowserYKeys[2];
