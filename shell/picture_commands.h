// The frame's picture and point commands on the active child: Get screen
// (copy), Put screen (paste), Save screen, Load screen and Save points;
// dialog 880 of Save points, and dialog 500 "Mode" on the described-dialog
// engine for every paste and picture load.
#pragma once
#include <windows.h>

#include "graph_pictures.h"

// Frame commands; each beeps when the active child is of the wrong kind.
void CopyActiveWindow();
void PastePicture();
void SaveScreenCommand();
void LoadScreenCommand();
void SavePointsCommand();

// All text of a text window to the clipboard (toFile 0) or into the file
// named by path (toFile 1, replaced in one step). 1 on success; a file that
// cannot be written shows the system's message.
int CopyTextWindow(HWND window, int toFile, const char *path = nullptr);

// Dialog 880; OK stores the file name, distance, clip flag and rectangle
// only when every field reads. lParam: the graph window's state.
INT_PTR CALLBACK SavePointsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Dialog 500 on the described-dialog engine, offering the formats of
// enabledFormats (bit 1 << PasteFormat); IDOK or IDCANCEL.
int RunModeDialog(HWND owner, PasteOptions *options, unsigned enabledFormats);

// Makes every paste and picture load ask through RunModeDialog.
void InstallPictureCommands();
