// The few user-interface services the portable core needs, as one host
// record (PlatformHost, at the end) behind portable functions. The program
// installs the services on real windows (InstallWin32Platform); the core's
// tests install a recorder (tests/support/platform_recorder.cpp) that
// captures what was shown and answers as the test scripted, and the
// benchmarks a console. Each function says what it does when its entry is
// null.
#pragma once

// Message box style bits and results carry the Windows values, so the Win32
// side passes them through unchanged.
enum MessageBoxStyle : unsigned {
    kMbOk = 0x0,
    kMbOkCancel = 0x1,
    kMbYesNoCancel = 0x3,
    kMbYesNo = 0x4,
    kMbIconError = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconInformation = 0x40,
    kMbSystemModal = 0x1000,
    kMbHelp = 0x4000,
};

enum MessageBoxResult : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdYes = 6,
    kIdNo = 7,
};

// Shows a modal message and returns the button pressed (0 when no box could
// be created, or with no entry). helpId is the string id whose help topic the
// Help button opens.
int PlatformMessageBox(const char *text, const char *caption, unsigned style, int helpId);

// Dispatches the messages waiting in the queue, with accelerator translation;
// with no entry there is no queue.
void PlatformPumpMessages();

// Choices whose availability the core decides; the shell shows each on its
// commands (menus and toolbars).
enum RunChoice : int {
    kChoiceMethod,    // a method to choose: not for a map
    kChoiceBackward,  // integrating backward: not for a map
    kChoiceContinue,  // continuing the run that was stopped
};
// Offers or withdraws a choice; with no entry no command shows it.
void PlatformSetChoiceState(RunChoice choice, bool enabled);

// Copies string resource id into buffer (always terminated when size > 0) and
// returns its length; 0 when the id has no string, as every id has with no
// entry.
int PlatformLoadString(int id, char *buffer, int size);

// What the compile-error dialog shows, and what it hands back.
struct CompilerErrorRequest {
    const char *label;        // which expression failed
    const char *message;      // why it failed
    const char *text;         // the text as compiled ("" when there was none)
    int selectionStart;       // characters of text to select when the edit field
    int selectionEnd;         // first gets the focus; -1 when no position is known
    int helpId;               // string id of the message: the Help button's topic
    int maxLength;            // longest text the field takes; 0 for no limit
    bool enterKeyBreaksLine;  // option "Enter key": Enter types a line break
    bool ownedByCalculator;   // the calculator owns the dialog, else the frame
    char *corrected;          // on OK: the edited text, a heap block the caller owns
};

// Shows the compile-error dialog modally: kIdOk with request->corrected set,
// or kIdCancel (also when the dialog could not be shown, or with no entry).
int PlatformCompilerErrorDialog(CompilerErrorRequest *request);

// Longest file name, folder, format or pattern a channel dialog takes.
constexpr int kChannelTextSize = 260;

// Dialogs of the file channels: "Output File" and "Input File" ask for a
// file name and a number format, "BMP Files" for a folder and a file-name
// pattern. The shell maps each to its dialog resource.
enum ChannelDialogId : int {
    kDialogOutputFile = 1,
    kDialogInputFile,
    kDialogBmpFiles,
};

struct ChannelDialogRequest {
    int dialogId;                        // a ChannelDialogId
    int channel;                         // shown, not edited
    char name[kChannelTextSize + 1];     // file name or folder, in and out
    char format[kChannelTextSize + 1];   // format or pattern, in and out
};

// Shows a channel dialog modally: kIdOk with both texts non-empty, or
// kIdCancel (also when the dialog could not be shown, or with no entry).
// Cancel also asks the frame to stop a run.
int PlatformChannelDialog(ChannelDialogRequest *request);

// Dialog 860 "Input value": shows prompt and asks for a number. kIdOk with
// *value set, or kIdCancel (also when it could not be shown, or with no
// entry), which also asks the frame to stop a run.
int PlatformInputDialog(const char *prompt, double *value);

// The services, one entry for each function above, which calls it.
struct PlatformHost {
    int (*messageBox)(const char *text, const char *caption, unsigned style, int helpId);
    void (*pumpMessages)();
    void (*setChoiceState)(RunChoice choice, bool enabled);
    int (*loadString)(int id, char *buffer, int size);
    int (*compilerErrorDialog)(CompilerErrorRequest *request);
    int (*channelDialog)(ChannelDialogRequest *request);
    int (*inputDialog)(const char *prompt, double *value);
};

extern PlatformHost gPlatformHost;
