// Win32 test programs have the platform services on real windows from the
// start, as the program has once InstallWin32Platform has run.
#include "platform_win32.h"

namespace {

const bool gInstalled = [] {
    InstallWin32PlatformHost();
    return true;
}();

}  // namespace
