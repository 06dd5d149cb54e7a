// Answers the next modal box or dialog of the calling thread from a watcher
// thread, so that a Win32 test never waits for a person: it records what the
// box showed and presses the given button.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

struct ModalCapture {
    bool found = false;
    std::string caption;
    std::string text;                  // the message text (control 0xFFFF)
    std::vector<std::string> buttons;  // texts of the box's buttons, in z-order
    HWND window = nullptr;
    std::map<int, std::string> controlTexts;          // every child's text by control id
    std::map<int, std::pair<int, int>> editSelections;  // selection of every edit control
};

class ModalAnswerer {
public:
    // Starts watching the calling thread; presses buttonId on the first
    // dialog that appears within timeoutMs.
    explicit ModalAnswerer(int buttonId, DWORD timeoutMs = 30000);
    ~ModalAnswerer();
    // Waits for the watcher and returns what it saw.
    const ModalCapture &Result();

private:
    static DWORD WINAPI Watch(LPVOID self);
    DWORD target_;
    int button_;
    DWORD timeout_;
    HANDLE thread_;
    ModalCapture capture_;
};

// One step of a ModalScript: type texts into controls, press keys in them,
// then press a button.
struct ModalStep {
    ModalStep(int button, std::map<int, std::string> texts = {}, std::vector<std::pair<int, int>> pressed = {})
        : buttonId(button), typeInto(std::move(texts)), keys(std::move(pressed)) {}
    int buttonId;
    std::map<int, std::string> typeInto;   // control id -> new text
    std::vector<std::pair<int, int>> keys;  // control id, virtual key (down and up)
};

// Answers a sequence of modal dialogs of the calling thread, one after the
// other, each only after the previous one has closed.
class ModalScript {
public:
    explicit ModalScript(std::vector<ModalStep> steps, DWORD timeoutMs = 30000);
    ~ModalScript();
    // Waits for the watcher; one capture per dialog answered.
    const std::vector<ModalCapture> &Results();

private:
    static DWORD WINAPI Watch(LPVOID self);
    DWORD target_;
    std::vector<ModalStep> steps_;
    DWORD timeout_;
    HANDLE thread_;
    std::vector<ModalCapture> captures_;
};

// A modeless dialog of the test's own thread (null: none) that the watchers
// must not take for the box they wait for: reading its texts from the watcher
// would wait on the test's thread, which waits on the watcher.
void IgnoreModelessDialog(HWND dialog);
// Dialogs with this caption (null: none) are not answered either: a modeless
// progress dialog that comes and goes between the boxes a test answers.
void IgnoreDialogsCaptioned(const char *caption);
