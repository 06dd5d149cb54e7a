#include "platform.h"

PlatformHost gPlatformHost;

int PlatformMessageBox(const char *text, const char *caption, unsigned style, int helpId) {
    return gPlatformHost.messageBox ? gPlatformHost.messageBox(text, caption, style, helpId) : 0;
}

void PlatformPumpMessages() {
    if (gPlatformHost.pumpMessages) gPlatformHost.pumpMessages();
}

void PlatformSetChoiceState(RunChoice choice, bool enabled) {
    if (gPlatformHost.setChoiceState) gPlatformHost.setChoiceState(choice, enabled);
}

int PlatformLoadString(int id, char *buffer, int size) {
    if (gPlatformHost.loadString) return gPlatformHost.loadString(id, buffer, size);
    if (size > 0) buffer[0] = 0;
    return 0;
}

int PlatformCompilerErrorDialog(CompilerErrorRequest *request) {
    return gPlatformHost.compilerErrorDialog ? gPlatformHost.compilerErrorDialog(request) : kIdCancel;
}

int PlatformChannelDialog(ChannelDialogRequest *request) {
    return gPlatformHost.channelDialog ? gPlatformHost.channelDialog(request) : kIdCancel;
}

int PlatformInputDialog(const char *prompt, double *value) {
    return gPlatformHost.inputDialog ? gPlatformHost.inputDialog(prompt, value) : kIdCancel;
}
