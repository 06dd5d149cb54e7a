#include "win32_modal.h"

namespace {

std::string WindowText(HWND w) {
    char buffer[1024];
    int n = GetWindowTextA(w, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

BOOL CALLBACK FindDialog(HWND w, LPARAM found) {
    char cls[32];
    if (IsWindowVisible(w) && GetClassNameA(w, cls, sizeof cls) && lstrcmpA(cls, "#32770") == 0) {
        *reinterpret_cast<HWND *>(found) = w;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ReadChild(HWND w, LPARAM capture) {
    ModalCapture *c = reinterpret_cast<ModalCapture *>(capture);
    char cls[32];
    GetClassNameA(w, cls, sizeof cls);
    if (GetDlgCtrlID(w) == 0xFFFF) c->text = WindowText(w);
    else if (lstrcmpiA(cls, "Button") == 0) c->buttons.push_back(WindowText(w));
    return TRUE;
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

DWORD WINAPI ModalAnswerer::Watch(LPVOID param) {
    ModalAnswerer *self = static_cast<ModalAnswerer *>(param);
    DWORD start = GetTickCount();
    HWND dialog = nullptr;
    while (!dialog && GetTickCount() - start < self->timeout_) {
        EnumThreadWindows(self->target_, FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) Sleep(20);
    }
    if (!dialog) return 0;
    Sleep(50);  // let the box finish initialising (button relabelling)
    ModalCapture &c = self->capture_;
    c.found = true;
    c.window = dialog;
    c.caption = WindowText(dialog);
    EnumChildWindows(dialog, ReadChild, reinterpret_cast<LPARAM>(&c));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(self->button_, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, self->button_)));
    return 0;
}
