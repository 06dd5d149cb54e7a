#include "platform_recorder.h"

#include <cstdio>
#include <cstring>

#include "memory.h"
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

int PlatformCompilerErrorDialog(CompilerErrorRequest *request) {
    gRecorder.compilerErrors.push_back({request->label, request->message, request->text,
                                        request->selectionStart, request->selectionEnd, request->helpId,
                                        request->maxLength, request->ownedByCalculator});
    if (gRecorder.whileCompilerErrorShown) gRecorder.whileCompilerErrorShown();
    // Unscripted dialogs are cancelled: a failing text never loops.
    if (gRecorder.compilerAnswers.empty()) return kIdCancel;
    CompilerErrorAnswer answer = gRecorder.compilerAnswers.front();
    gRecorder.compilerAnswers.erase(gRecorder.compilerAnswers.begin());
    if (answer.button != kIdOk) return answer.button;
    request->corrected = AllocTextBuffer(answer.text.size());
    if (!request->corrected) return kIdCancel;
    std::memcpy(request->corrected, answer.text.c_str(), answer.text.size() + 1);
    return kIdOk;
}
