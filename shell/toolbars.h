// The toolbars, the graph windows' popup menu and the command states.
#pragma once
#include <windows.h>

#include "command_state.h"

// The left column doubles as the popup menu until the user chooses another:
// its buttons are the graph windows' own commands.
constexpr int kDefaultPopupToolbar = 2;

extern HWND gToolbars[kToolbarCount];
extern HWND gToolbarHolders[kToolbarCount];
extern int gPopupToolbar;  // -1: no popup menu
extern ToolbarMetrics gToolbarMetrics;

void ComputeToolbarMetricsFromOptions();
// Builds the toolbars from gToolbarLayouts, then lays out the frame.
void CreateToolbars(HWND frame);
void DestroyToolbars();
void DestroyCommandPopup();
// Places the shown toolbars along the edges of a width x height client and
// answers the rectangle left for the client.
RECT LayoutToolbars(HDWP &defer, int width, int height);

// checked / enabled -1: left as it is. "Disabled buttons" decides whether a
// disabled button is greyed, hidden or left alone.
void SetToolbarButtonState(int command, int checked, int enabled);
// Greys menu items and disables, hides or checks buttons from the state of
// the program: the run, the children and the active one, the problem, the
// clipboard. Nothing changes while all windows are being closed.
void UpdateCommandStates();
// Put screen (414) and Paste window (426) from the clipboard's formats.
void UpdatePasteCommands();
int IsMenuCommandEnabled(int command);
bool IsCommandChecked(int command);
// The popup menu from the chosen toolbar's layout (null when none); filled
// anew on each call.
HMENU BuildCommandPopupMenu();
// Right-click menu at client point (x, y) of window; (-1, -1): at the cursor.
void ShowCommandPopupMenu(HWND window, int x, int y);
// Tooltip and status help of a button; true when the notification was one.
bool HandleToolbarTooltip(NMHDR *header);
// Set while the status line shows menu or button help, which the next mouse
// move over the frame, the client or a graph window takes away.
extern int gStatusReadoutShown;
void ClearStatusReadout();

// Command 702: dialog 750 on working copies of the layouts; after OK the
// toolbars are built anew and the layouts written.
void CustomizeToolbars();

// Whether a command's handler is there (frame.cpp).
bool IsCommandBuilt(int id);
