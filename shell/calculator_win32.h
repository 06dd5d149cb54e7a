// The modeless calculator (dialog 920) over the frame.
#pragma once
#include <windows.h>

// Frame command 230: creates the calculator owned by frame when it does not
// exist, shows it when hidden and focuses it. Returns the dialog (also kept
// in gCalculatorDialog, which the message loop passes to IsDialogMessage).
HWND ShowCalculator(HWND frame);

// Destroys the calculator and frees its texts (the frame's end).
void CloseCalculator();

// The dialog procedure, for tests that drive it.
INT_PTR CALLBACK CalculatorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
