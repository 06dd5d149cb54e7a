#include "win32_modal.h"

#include <cstdlib>

namespace {

std::string WindowText(HWND w) {
    char buffer[1024];
    int n = GetWindowTextA(w, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

// Read without a message to the dialog's thread: a static's or a button's
// text is the window's own, and a message across threads can meet the
// dialog between its states.
std::string StoredText(HWND w) {
    WCHAR wide[1024] = L"";
    InternalGetWindowText(w, wide, 1024);
    char text[2048] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

HWND gModelessToIgnore;
const char *gCaptionToIgnore;

bool Ignored(HWND w) {
    if (w == gModelessToIgnore) return true;
    if (!gCaptionToIgnore) return false;
    // Read without a message to the dialog's thread, which may be busy.
    return StoredText(w) == gCaptionToIgnore;
}

BOOL CALLBACK FindDialog(HWND w, LPARAM found) {
    char cls[32];
    if (!Ignored(w) && IsWindowVisible(w) && GetClassNameA(w, cls, sizeof cls) && lstrcmpA(cls, "#32770") == 0) {
        *reinterpret_cast<HWND *>(found) = w;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ReadChild(HWND w, LPARAM capture) {
    ModalCapture *c = reinterpret_cast<ModalCapture *>(capture);
    char cls[32];
    GetClassNameA(w, cls, sizeof cls);
    const int id = GetDlgCtrlID(w);
    const bool plain = lstrcmpiA(cls, "Button") == 0 || lstrcmpiA(cls, "Static") == 0;
    const std::string text = plain ? StoredText(w) : WindowText(w);
    if (id == 0xFFFF) c->text = text;
    else if (lstrcmpiA(cls, "Button") == 0) c->buttons.push_back(text);
    c->controlTexts[id] = text;
    if (lstrcmpiA(cls, "Edit") == 0) {
        DWORD start = 0, end = 0;
        SendMessageA(w, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        c->editSelections[id] = {static_cast<int>(start), static_cast<int>(end)};
    }
    return TRUE;
}

HWND WaitForDialog(DWORD thread, DWORD timeoutMs, HWND previous) {
    DWORD start = GetTickCount();
    HWND dialog = nullptr;
    while (GetTickCount() - start < timeoutMs) {
        dialog = nullptr;
        EnumThreadWindows(thread, FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (dialog && dialog != previous) return dialog;
        Sleep(20);
    }
    return nullptr;
}

}  // namespace

ModalAnswerer::ModalAnswerer(int buttonId, DWORD timeoutMs)
    : target_(GetCurrentThreadId()), button_(buttonId), timeout_(timeoutMs) {
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

ModalAnswerer::~ModalAnswerer() { Result(); }

const ModalCapture &ModalAnswerer::Result() {
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return capture_;
}

// A box is found as soon as it is visible, which is before it is activated:
// the program relabels a message box's buttons on its activation, and under
// load the text may still be on its way. Wait (bounded) until the dialog is
// its thread's active window and its text control, if it has one, holds
// text, then read it all. A machine busy with parallel tests may take
// seconds for that.
static void AwaitSettled(HWND dialog) {
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    const DWORD limit = std::getenv("VR_EMULATED") ? 30000 : 10000;
    const DWORD start = GetTickCount();
    bool active = false, filled = false;
    while (!(active && filled) && IsWindow(dialog) && GetTickCount() - start < limit) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        // A dialog that never becomes active (no focus to take) is read
        // after two seconds all the same.
        active = (GetGUIThreadInfo(thread, &info) && info.hwndActive == dialog) || GetTickCount() - start > 2000;
        // A dialog without controls yet is still being built (or torn down).
        HWND text = GetDlgItem(dialog, 0xFFFF);
        filled = (GetWindow(dialog, GW_CHILD) && (!text || !StoredText(text).empty())) ||
                 GetTickCount() - start > 2000;
        if (!(active && filled)) Sleep(20);
    }
}

static ModalCapture Capture(HWND dialog) {
    AwaitSettled(dialog);
    ModalCapture c;
    c.found = true;
    c.window = dialog;
    c.caption = WindowText(dialog);
    EnumChildWindows(dialog, ReadChild, reinterpret_cast<LPARAM>(&c));
    // A box's text control can come last in the walk as an empty twin of
    // the same id, or be read between its states: the control the box
    // answers for the id is read again (bounded) until it shows its text.
    if (HWND text = c.text.empty() ? GetDlgItem(dialog, 0xFFFF) : nullptr) {
        for (int i = 0; i < 100 && c.text.empty() && IsWindow(text); ++i) {
            c.text = StoredText(text);
            if (c.text.empty()) Sleep(20);
        }
        if (!c.text.empty()) c.controlTexts[0xFFFF] = c.text;
    }
    return c;
}

DWORD WINAPI ModalAnswerer::Watch(LPVOID param) {
    ModalAnswerer *self = static_cast<ModalAnswerer *>(param);
    DWORD start = GetTickCount();
    HWND dialog = nullptr;
    while (!dialog && GetTickCount() - start < self->timeout_) {
        EnumThreadWindows(self->target_, FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) Sleep(20);
    }
    if (!dialog) return 0;
    self->capture_ = Capture(dialog);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(self->button_, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, self->button_)));
    return 0;
}

ModalScript::ModalScript(std::vector<ModalStep> steps, DWORD timeoutMs)
    : target_(GetCurrentThreadId()), steps_(std::move(steps)), timeout_(timeoutMs) {
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

ModalScript::~ModalScript() { Results(); }

const std::vector<ModalCapture> &ModalScript::Results() {
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return captures_;
}

DWORD WINAPI ModalScript::Watch(LPVOID param) {
    ModalScript *self = static_cast<ModalScript *>(param);
    HWND previous = nullptr;
    for (const ModalStep &step : self->steps_) {
        HWND dialog = WaitForDialog(self->target_, self->timeout_, previous);
        if (!dialog) return 0;
        self->captures_.push_back(Capture(dialog));
        for (const auto &typed : step.typeInto)
            SendMessageA(GetDlgItem(dialog, typed.first), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(typed.second.c_str()));
        for (const auto &key : step.keys) {
            HWND control = GetDlgItem(dialog, key.first);
            PostMessageA(control, WM_KEYDOWN, static_cast<WPARAM>(key.second), 1);
            PostMessageA(control, WM_KEYUP, static_cast<WPARAM>(key.second), 0xC0000001);
        }
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(step.buttonId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, step.buttonId)));
        // The next dialog is another window, or this one shown again. A box
        // is hidden before its caller goes on: wait until it is destroyed
        // too, so that what the caller does next (refilling the dialog
        // under it, say) comes before the next step's typing.
        DWORD start = GetTickCount();
        while (IsWindow(dialog) && IsWindowVisible(dialog) && GetTickCount() - start < self->timeout_) Sleep(10);
        start = GetTickCount();
        while (IsWindow(dialog) && GetTickCount() - start < 2000) Sleep(10);
        previous = IsWindow(dialog) ? dialog : nullptr;
    }
    return 0;
}

void IgnoreModelessDialog(HWND dialog) { gModelessToIgnore = dialog; }

void IgnoreDialogsCaptioned(const char *caption) { gCaptionToIgnore = caption; }
