// A graph or text window, or one graphics element, on the clipboard as the
// text the problem file holds for it: under a private registered format
// ("Vantorel window", "Vantorel element") and as plain text, so that it
// pastes back here, into another running instance, or into an editor.
#pragma once
#include <windows.h>

#include "graph_state.h"

// Registered on first use; 0 when registration fails.
UINT GetWindowClipboardFormat();
UINT GetElementClipboardFormat();

// 1 on success; clipboard or memory failures answer 0 without a message.
int CopyWindowToClipboard(HWND window);
// A new window from the private format; text that is no window section
// creates nothing and counts as done. A malformed text is reported at its
// line. 0 when the clipboard holds no such text.
int PasteWindowFromClipboard();
// Copy and paste in one step (wait cursor), the clipboard untouched.
int DuplicateWindow(HWND window);

int CopyElementToClipboard(const GraphicsElement *element);
// Inserts the element after the current one of gCurrentGraph.
int PasteElementFromClipboard();
