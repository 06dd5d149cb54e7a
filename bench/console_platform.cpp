// Platform services for console benchmarks: boxes go to stderr and are
// answered OK; texts come from the compiled string list.
#include <cstdio>

#include "platform.h"
#include "string_table.h"

int PlatformMessageBox(const char *text, const char *caption, unsigned, int) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return kIdOk;
}

void PlatformPumpMessages() {}

void PlatformSetChoiceState(RunChoice, bool) {}

int PlatformLoadString(int id, char *buffer, int size) {
    if (size <= 0) return 0;
    const char *text = FindStringText(id);
    int n = std::snprintf(buffer, static_cast<size_t>(size), "%s", text ? text : "");
    return n < size ? n : size - 1;
}

// No dialogs on a console: they are cancelled.
int PlatformChannelDialog(ChannelDialogRequest *) { return kIdCancel; }

int PlatformInputDialog(const char *, double *) { return kIdCancel; }
