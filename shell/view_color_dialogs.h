// Dialog 175 "View Point for Projections" with its VR_VP preview and dialog
// 176 "Colors" with its VR_Color swatches.
#pragma once
#include <windows.h>

#include "graph_state.h"

constexpr char kViewPointClass[] = "VR_VP";
constexpr char kColorSwatchClass[] = "VR_Color";

// Registers VR_VP and VR_Color (once; later calls do nothing).
void RegisterViewColorClasses();

// Edits a copy of the block in gViewPoint; on OK (1) the set-up result is
// copied back; on Cancel (0) the block is untouched.
int ShowViewPointDialog(HWND owner, ViewPoint *block);

// Edits the four colours and three widths of the record; on OK (1) they are
// stored back (and with "Own DC" the current graph's pens are released).
int ShowColorsDialog(HWND owner, GraphWindowState *state);

LRESULT CALLBACK ViewPointWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ColorSwatchWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ViewPointDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ColorsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
