#include "console_platform.h"

#include <cstdio>

#include "platform.h"
#include "string_table.h"

namespace {

int BoxToStderr(const char *text, const char *caption, unsigned, int) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return kIdOk;
}

}  // namespace

// No queue, no commands and no dialogs on a console: those entries stay null.
void InstallConsolePlatform() {
    gPlatformHost = PlatformHost{};
    gPlatformHost.messageBox = BoxToStderr;
    gPlatformHost.loadString = CopyStringText;
}
