// The Find/Replace dialog shared by the editors and the text windows, and
// the searches it runs in their rich-edit controls.
#pragma once
#include <windows.h>

#include "command_ids.h"

constexpr int kFindKind = IDM_EDIT_FIND;
constexpr int kReplaceKind = IDM_EDIT_REPLACE;
constexpr int kFindTextSize = 90;

// Opens the system's modeless dialog of kind for owner, or activates the one
// open for the same owner and kind; another one open leaves things as they are.
void OpenFindReplaceDialog(HWND owner, int kind);
// Whether Find or Replace may be opened for owner now (no dialog of another
// owner or kind is open).
bool FindReplaceAvailable(HWND owner, int kind);
// The owner's part of the dialog's messages: true when message was one of
// them (the notification, handled on control, or the help request).
bool HandleFindReplaceMessage(HWND owner, HWND control, UINT message, LPARAM lParam);
// The owner goes: so does its dialog.
void ForgetFindReplaceOwner(HWND owner);

bool FindNextInRichEdit(HWND control, bool beep, bool matchCase, bool wholeWord);
bool IsSelectionMatch(HWND control, bool matchCase);
bool ReplaceSelectionMatch(HWND control, bool matchCase, bool wholeWord);

// The search and replace texts, for the program's own tests.
void SetFindReplaceTexts(const char *find, const char *replace);
