// The one place where the portable parts meet their Win32 implementations:
// InstallWin32Platform fills every host record (platform.h, run_host.h,
// plotting.h, display_list.h, graphics_host.h, ui_lock.h, the graph windows'
// hooks, the graph surface, the text windows' control, the problem windows,
// the settings dialogs' shell, the compile walks, the code libraries, the
// crash path), and nothing else in the program sets them. Entries a record
// marks optional may stay null; a test checks that no other entry does.
#pragma once
#include <windows.h>

// Start-up, before the first window: accelerators and editorControls are
// the frame's (see InstallWin32RunHost); null while it has none.
void InstallWin32Platform(HACCEL *accelerators = nullptr, HWND *editorControls = nullptr);
