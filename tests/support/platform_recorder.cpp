#include "platform_recorder.h"

#include <cstdio>
#include <cstring>

#include "command_state.h"  // CommandOfChoice
#include "memory.h"
#include "platform.h"
#include "string_table.h"

PlatformRecorder gRecorder;

namespace {

int RecordBox(const char *text, const char *caption, unsigned style, int helpId) {
    gRecorder.boxes.push_back({text, caption, style, helpId});
    if (gRecorder.answers.empty()) return gRecorder.defaultAnswer;
    int answer = gRecorder.answers.front();
    gRecorder.answers.erase(gRecorder.answers.begin());
    return answer;
}

void RecordPump() { ++gRecorder.pumps; }

void RecordChoice(RunChoice choice, bool enabled) {
    gRecorder.commandStates.emplace_back(CommandOfChoice(choice), enabled);
}

int RecordCompilerError(CompilerErrorRequest *request) {
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

int RecordChannelDialog(ChannelDialogRequest *request) {
    gRecorder.channelDialogs.push_back({request->dialogId, request->channel, request->name, request->format});
    // Unscripted dialogs are cancelled, as a user who gives up would.
    if (gRecorder.channelAnswers.empty()) return kIdCancel;
    ChannelDialogAnswer answer = gRecorder.channelAnswers.front();
    gRecorder.channelAnswers.erase(gRecorder.channelAnswers.begin());
    if (answer.button != kIdOk) return answer.button;
    std::snprintf(request->name, sizeof request->name, "%s", answer.name.c_str());
    std::snprintf(request->format, sizeof request->format, "%s", answer.format.c_str());
    return kIdOk;
}

int RecordInput(const char *prompt, double *value) {
    gRecorder.inputPrompts.push_back(prompt);
    if (gRecorder.inputAnswers.empty()) return kIdCancel;
    InputAnswer answer = gRecorder.inputAnswers.front();
    gRecorder.inputAnswers.erase(gRecorder.inputAnswers.begin());
    if (answer.button == kIdOk) *value = answer.value;
    return answer.button;
}

// Every program that links the recorder has it as its platform from the start.
const bool gInstalled = [] {
    gPlatformHost = {RecordBox, RecordPump, RecordChoice, CopyStringText, RecordCompilerError,
                     RecordChannelDialog, RecordInput};
    return true;
}();

}  // namespace
