// Small routines that all windows of the main program share.
#pragma once
#include <windows.h>

// The frame window and its multi-document client, once created.
extern HWND gFrameWindow;
extern HWND gMdiClient;
// The frame's status bar: part 0 the shared text, 1 the cursor, 2 the mouse.
extern HWND gStatusBar;

// string id + " #" + n with the first n from 1 to 100 that no unowned child
// of the multi-document client has as its title (100 when all are taken).
// The result lives in one buffer, valid until the next call.
const char *MakeUniqueTitle(int id);
BOOL CALLBACK MatchTitleProc(HWND window, LPARAM title);

// The i-th submenu of the frame menu; a maximised child's system menu in
// front (its first item is the restore command) shifts the count by one.
HMENU GetFrameSubmenu(int index);

// Focus the active child; the frame when there is none or it refuses.
void FocusActiveChild();

// Opens help topic id of the program's help file.
void ShowHelpTopic(int id);

// Help topics of a window's non-client parts, shared by all windows.
enum WindowPartHelpTopic {
    kHelpMaximizeBox = 5001,
    kHelpMinimizeBox = 5002,
    kHelpSystemMenu = 5005,
    kHelpCaption = 5006,
    kHelpSizingBorder = 5007,
    kHelpScrollBar = 5008,
    kHelpMenuBar = 5009,
};
// Context help by hit-test code: the part's topic, clientTopic for the
// client and places of no part, 0 for a code without a topic.
int WindowPartHelpTopic(int hitTest, int clientTopic);
// A click on the non-client area while *helpMode is set: shows the part's
// topic and ends the mode; false when the mode is off or the part has no
// topic (the click is then handled as usual).
bool ShowWindowPartHelp(int *helpMode, int hitTest, int clientTopic);

// Reference rectangle (screen coordinates) for the next CenterDialogInFrame;
// empty means the frame's client area. Emptied after each use.
extern RECT gCenterReference;
void CenterDialogInFrame(HWND dialog);

bool IsStaticControl(int id, HWND control);

// Context help for a control of a dialog; returns the topic id handed to
// help (the control found: the child under (x, y) for a paged dialog's frame
// and group, the next tab-stop control for a static label).
int ShowControlHelp(HWND control, HWND dialog, UINT command, int x, int y);
void OnDialogHelp(HWND dialog, const HELPINFO *info);
void OnDialogContextMenu(HWND dialog, int x, int y, HWND control);

// File-name completion in the settings dialogs' file edit boxes, through
// the shell's optional library (nothing happens without it).
void EnableAutoCompleteAll(HWND dialog);
void EnableAutoComplete(HWND dialog, int id);
HRESULT CallSHAutoComplete(HWND edit, DWORD flags);
void UnloadShlwapi();

// The mapping-mode calls, returning the previous value packed as low 16 bits
// x, high 16 bits y.
int SetWindowExtent(HDC dc, int x, int y);
int SetViewportExtent(HDC dc, int x, int y);
int SetViewportOrigin(HDC dc, int x, int y);
