#include "platform_recorder.h"

#include <cstdio>

#include "platform.h"
#include "string_table.h"

PlatformRecorder gRecorder;

int PlatformMessageBox(const char *text, const char *caption, unsigned style, int helpId) {
    gRecorder.boxes.push_back({text, caption, style, helpId});
    if (gRecorder.answers.empty()) return gRecorder.defaultAnswer;
    int answer = gRecorder.answers.front();
    gRecorder.answers.erase(gRecorder.answers.begin());
    return answer;
}

void PlatformPumpMessages() { ++gRecorder.pumps; }

void PlatformSetCommandState(int command, bool enabled) {
    gRecorder.commandStates.emplace_back(command, enabled);
}

int PlatformLoadString(int id, char *buffer, int size) {
    if (size <= 0) return 0;
    const char *text = FindStringText(id);
    int n = std::snprintf(buffer, static_cast<size_t>(size), "%s", text ? text : "");
    return n < size ? n : size - 1;
}
