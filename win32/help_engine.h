// Opens help files with the engine their name asks for: WinHelp for a name
// ending in "p" (".hlp"), HTML Help otherwise, with the examples folder as
// the current folder while the engine runs. HTML Help's library is loaded on
// first use; on a system without it, or without a help file, a request does
// nothing.
#pragma once
#include <windows.h>

// The file is "Help file" (gHelpFile, empty: no help) and help windows keep
// their owner when "Help on top" is set (gHelpOnTop), both in settings.h.
extern int gHelpUsed;  // help was opened; close it at exit

// The two engines: WinHelpA and the library that exports HtmlHelpA
// ("hhctrl.ocx"). Tests put stand-ins of their own here.
struct HelpEngines {
    BOOL(WINAPI *winHelp)(HWND, LPCSTR, UINT, ULONG_PTR);
    const char *htmlHelpLibrary;
};
extern HelpEngines gHelpEngines;

// command is a WinHelp command (1 context, 2 quit, 10 context menu, 12
// WM_HELP, ...); HTML Help gets its counterpart. Returns the engine's result.
UINT_PTR ShowHelp(HWND owner, const char *file, UINT command, ULONG_PTR data);

// The HTML Help command for a WinHelp command.
UINT HtmlHelpCommand(UINT winHelpCommand);

// Frees the HTML Help library; the next request looks for it again.
void UnloadHtmlHelp();

// The examples folder: the program's folder + "Examples" (with a backslash).
extern char gExamplesFolder[MAX_PATH];
void SetExamplesDirectory();
// Makes the path's drive and then the path current.
void SetCurrentFolder(const char *path);
