// Win32 side of the platform services: the windows they act on.
#pragma once
#include <windows.h>

#include "platform.h"
#include "window_helpers.h"  // gFrameWindow, gMdiClient

// The dialogs behind the platform's dialog entries (compiler_error_dialog.cpp,
// channel_dialogs.cpp); each answers as its Platform function does.
int ShowCompilerErrorDialog(CompilerErrorRequest *request);
int ShowChannelDialog(ChannelDialogRequest *request);
int ShowInputValueDialog(const char *prompt, double *value);

// Fills gPlatformHost with the services on real windows; part of
// InstallWin32Platform.
void InstallWin32PlatformHost();
