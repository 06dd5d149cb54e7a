// Drives the next modal dialog of the calling thread from a second thread:
// waits for a dialog with the caption, then runs the steps on it (messages
// sent across threads reach the dialog through its own modal loop).
#pragma once
#include <windows.h>

#include <functional>
#include <string>

class DialogDriver {
public:
    DialogDriver(const char *caption, std::function<void(HWND)> steps, DWORD timeoutMs = 60000)
        : caption_(caption), steps_(std::move(steps)), timeout_(timeoutMs), thread_(GetCurrentThreadId()) {
        handle_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~DialogDriver() { Wait(); }
    DWORD thread() const { return thread_; }
    // True when the dialog was found and the steps ran.
    bool Wait() {
        if (handle_) {
            WaitForSingleObject(handle_, INFINITE);
            CloseHandle(handle_);
            handle_ = nullptr;
        }
        return found_;
    }

private:
    struct Search {
        const std::string *caption;
        HWND found;
    };
    static BOOL CALLBACK Match(HWND w, LPARAM p) {
        Search *s = reinterpret_cast<Search *>(p);
        char text[256], cls[32];
        GetClassNameA(w, cls, sizeof cls);
        GetWindowTextA(w, text, sizeof text);
        if (std::string(cls) == "#32770" && IsWindowVisible(w) && *s->caption == text) {
            s->found = w;
            return FALSE;
        }
        return TRUE;
    }
    static DWORD WINAPI Run(LPVOID p) {
        DialogDriver *d = static_cast<DialogDriver *>(p);
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < d->timeout_) {
            Search s = {&d->caption_, nullptr};
            EnumThreadWindows(d->thread_, Match, reinterpret_cast<LPARAM>(&s));
            if (s.found) {
                d->steps_(s.found);
                d->found_ = true;
                return 0;
            }
            Sleep(50);
        }
        return 0;
    }
    std::string caption_;
    std::function<void(HWND)> steps_;
    DWORD timeout_;
    DWORD thread_;
    HANDLE handle_ = nullptr;
    bool found_ = false;
};

struct OtherDialogSearch {
    HWND except, found;
};
inline BOOL CALLBACK MatchOtherDialog(HWND w, LPARAM p) {
    OtherDialogSearch *s = reinterpret_cast<OtherDialogSearch *>(p);
    char cls[32];
    GetClassNameA(w, cls, sizeof cls);
    if (w != s->except && std::string(cls) == "#32770" && IsWindowVisible(w)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

// Waits for a visible dialog of thread other than except (a message box over
// the driven dialog); null after the timeout.
inline HWND WaitForOtherDialog(DWORD thread, HWND except, DWORD timeoutMs = 30000) {
    OtherDialogSearch s = {except, nullptr};
    const DWORD start = GetTickCount();
    while (!s.found && GetTickCount() - start < timeoutMs) {
        EnumThreadWindows(thread, MatchOtherDialog, reinterpret_cast<LPARAM>(&s));
        if (!s.found) Sleep(50);
    }
    return s.found;
}

// Presses a button of a box over the driven dialog and waits until the box is
// gone: what the box's caller does next (say, refilling the dialog's fields)
// then happens before anything the driver sends afterwards, which the
// dialog's thread only takes at its next wait.
inline bool CloseBox(HWND box, int button, DWORD timeoutMs = 30000) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    const DWORD start = GetTickCount();
    while (IsWindow(box) && GetTickCount() - start < timeoutMs) Sleep(20);
    return !IsWindow(box);
}

// The file dialog a browse button opened: its title and the first entry of
// its filter; the name is typed and the dialog closed with OK.
struct FileQuestion {
    std::string title, filter;
};
inline FileQuestion AnswerFileQuestion(DWORD thread, HWND owner, const std::string &name) {
    FileQuestion seen;
    HWND box = WaitForOtherDialog(thread, owner);
    if (!box) return {"(no dialog)", ""};
    Sleep(300);
    char text[256] = {};
    GetWindowTextA(box, text, sizeof text);
    seen.title = text;
    HWND filter = GetDlgItem(box, 0x470);
    text[0] = 0;
    if (filter && SendMessageA(filter, CB_GETLBTEXTLEN, 0, 0) < static_cast<LRESULT>(sizeof text))
        SendMessageA(filter, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    seen.filter = text;
    HWND edit = GetDlgItem(box, 0x480);
    if (!edit) edit = GetDlgItem(box, 0x47C);
    if (edit) SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 300 && IsWindow(box); ++i) Sleep(50);
    return seen;
}

// Text of a dialog's control, read across threads.
inline std::string ItemText(HWND dialog, int id) {
    char text[1024] = "";
    SendDlgItemMessageA(dialog, id, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}
