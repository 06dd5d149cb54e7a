// Test double of the platform services: records every message box, menu
// change and pump, and answers boxes from a script. Strings come from the
// compiled string list. A program that links it has it installed as its
// platform (gPlatformHost) before main.
#pragma once
#include <functional>
#include <string>
#include <vector>

struct RecordedBox {
    std::string text;
    std::string caption;
    unsigned style;
    int helpId;
};

// What the compile-error dialog was shown.
struct RecordedCompilerError {
    std::string label;
    std::string message;
    std::string text;
    int selectionStart;
    int selectionEnd;
    int helpId;
    int maxLength;
    bool ownedByCalculator;
};

// A scripted answer of the compile-error dialog: the button, and on OK the
// corrected text.
struct CompilerErrorAnswer {
    int button;
    std::string text;
};

// A channel dialog as shown, and a scripted answer: the button, and on OK
// the two texts.
struct RecordedChannelDialog {
    int dialogId;
    int channel;
    std::string name;
    std::string format;
};
struct ChannelDialogAnswer {
    int button;
    std::string name;
    std::string format;
};

// A scripted answer of the INPUT dialog.
struct InputAnswer {
    int button;
    double value;
};

struct PlatformRecorder {
    std::vector<RecordedBox> boxes;
    std::vector<int> answers;           // consumed in order; then defaultAnswer
    int defaultAnswer = 1;              // OK
    std::vector<std::pair<int, bool>> commandStates;
    int pumps = 0;
    std::vector<RecordedCompilerError> compilerErrors;
    std::vector<CompilerErrorAnswer> compilerAnswers;  // consumed in order; then Cancel
    std::function<void()> whileCompilerErrorShown;     // what happens while the user thinks
    std::vector<RecordedChannelDialog> channelDialogs;
    std::vector<ChannelDialogAnswer> channelAnswers;   // consumed in order; then Cancel
    std::vector<std::string> inputPrompts;
    std::vector<InputAnswer> inputAnswers;             // consumed in order; then Cancel

    void Reset() { *this = PlatformRecorder(); }
};

extern PlatformRecorder gRecorder;
