// The Win32 side of a graph window's state: the record in the window's
// first window word, its life with the window, the exchange with
// gGraphWorkCopy, and the GDI surface the coordinate pipeline draws on.
#pragma once
#include <windows.h>

#include "graph_pipeline.h"
#include "command_ids.h"

constexpr char kGraphWindowClass[] = "VR_Graph";
// Window word 0 of the class holds the GraphWindowState pointer.
constexpr int kGraphWindowExtraBytes = sizeof(LONG_PTR);
// wParam 0: the window's record into gGraphWorkCopy; any other: back.
constexpr UINT SyncStateMessage = WM_USER + 10;  // 1034

extern int gGraphWindowCount;
// Refreshes menus and toolbars after a graph window comes or goes; set by
// the shell, null does nothing.
extern void (*gRefreshCommandStates)();

inline HDC ToHdc(DcHandle dc) { return reinterpret_cast<HDC>(static_cast<UINT_PTR>(dc)); }
inline DcHandle FromHdc(HDC dc) { return static_cast<DcHandle>(reinterpret_cast<UINT_PTR>(dc)); }
inline HWND ToHwnd(WindowId w) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(w)); }
inline WindowId FromHwnd(HWND w) { return static_cast<WindowId>(reinterpret_cast<UINT_PTR>(w)); }

// The record of a graph window; null for another window or before creation.
GraphWindowState *GraphStateOf(HWND window);

// Window-procedure handlers of VR_Graph. OnGraphCreate returns what
// WM_CREATE returns: -1 when the record could not be had, which makes the
// creation fail (WM_DESTROY still follows).
LRESULT OnGraphCreate(HWND window);
void OnGraphDestroy(HWND window);
// SyncStateMessage; the caller then passes the message on to the default
// child handling.
void OnSyncState(HWND window, WPARAM wParam);

// GDI drawing, the screen's pixel aspect and graph windows among the
// multi-document client's children.
GraphSurface *GdiGraphSurface();
