// Win32 test programs have the platform services and the settings dialogs'
// shell on real windows from the start, as the program has once
// InstallWin32Platform has run (the shell's entries that need the frame
// program keep their defaults).
#include "described_dialog_win32.h"
#include "platform_win32.h"

namespace {

const bool gInstalled = [] {
    InstallWin32PlatformHost();
    InstallWin32DialogShell();
    return true;
}();

}  // namespace
