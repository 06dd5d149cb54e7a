#include "win32_modal.h"

namespace {

std::string WindowText(HWND w) {
    char buffer[1024];
    int n = GetWindowTextA(w, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

HWND gModelessToIgnore;
const char *gCaptionToIgnore;

bool Ignored(HWND w) {
    if (w == gModelessToIgnore) return true;
    if (!gCaptionToIgnore) return false;
    // Read without a message to the dialog's thread, which may be busy.
    WCHAR wide[128] = L"";
    InternalGetWindowText(w, wide, 128);
    char caption[128] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, caption, sizeof caption, nullptr, nullptr);
    return lstrcmpA(caption, gCaptionToIgnore) == 0;
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
    if (id == 0xFFFF) c->text = WindowText(w);
    else if (lstrcmpiA(cls, "Button") == 0) c->buttons.push_back(WindowText(w));
    c->controlTexts[id] = WindowText(w);
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

// A box is found as soon as it is visible; under load its texts may still be
// on their way (a message box sets its text and relabels its buttons while
// activating). Wait until the text control, if it has one, holds text; a
// machine busy with parallel tests may take seconds for that. Under load the
// text once read back empty all the same, after its length had been seen:
// it is read again then.
static ModalCapture Capture(HWND dialog) {
    Sleep(50);
    HWND text = GetDlgItem(dialog, 0xFFFF);
    for (int i = 0; text && i < 500 && GetWindowTextLengthA(text) == 0; ++i) Sleep(20);
    const bool filled = text && GetWindowTextLengthA(text) > 0;
    ModalCapture c;
    c.found = true;
    c.window = dialog;
    c.caption = WindowText(dialog);
    EnumChildWindows(dialog, ReadChild, reinterpret_cast<LPARAM>(&c));
    for (int i = 0; filled && i < 500 && c.text.empty(); ++i) {
        Sleep(20);
        c.text = c.controlTexts[0xFFFF] = WindowText(text);
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
