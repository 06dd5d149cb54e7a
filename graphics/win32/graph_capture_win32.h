// The picture of a graph window as a bitmap: for printing, EPS and the
// clipboard.
#pragma once
#include <windows.h>

// A 24-bit bottom-up DIB section of the current graph's client size with
// what the window shows: its off-screen bitmap, or else its background, its
// display list and the full redraw. Null when there is no current graph or
// no memory. The caller deletes it.
HBITMAP CaptureGraphBitmap();
