// The menu commands that open settings dialogs: the frame's command
// dispatch hands them here.
#pragma once
#include <windows.h>

// Runs the dialog of command (201-210 problem, 301/302/307 graph format,
// 303 colours, 304 view point, 305/306 text format, 312 status line, 701
// preferences) for the current problem and active child. Returns 1 after
// OK, 0 after Cancel or when the command needs a window kind that is not
// active (a warning beep), -1 for a command that is not one of these.
int RunSettingsCommand(HWND owner, int command);

// The Definitions dialog hides the browsers while it is open.
int RunSettingsDialog(const struct DialogItem *table, int dialogId, const struct DialogPage *pages, int pageCount,
                      int firstPage);
