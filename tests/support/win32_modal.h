// Answers the next modal box or dialog of the calling thread from a watcher
// thread, so that a Win32 test never waits for a person: it records what the
// box showed and presses the given button.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct ModalCapture {
    bool found = false;
    std::string caption;
    std::string text;                  // the message text (control 0xFFFF)
    std::vector<std::string> buttons;  // texts of the box's buttons, in z-order
    HWND window = nullptr;
};

class ModalAnswerer {
public:
    // Starts watching the calling thread; presses buttonId on the first
    // dialog that appears within timeoutMs.
    explicit ModalAnswerer(int buttonId, DWORD timeoutMs = 10000);
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
