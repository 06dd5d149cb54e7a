#include "problem_clipboard_win32.h"

#include <cstring>

#include "memory.h"
#include "problem_file.h"
#include "window_helpers.h"
#include "workspace.h"

namespace {

UINT gWindowFormat;
UINT gElementFormat;

class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }

private:
    HCURSOR old_;
};

// Another program may hold the clipboard open for a moment.
bool OpenClipboardSoon(HWND owner) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(25);
    }
    return false;
}

// A zero-initialised moveable block holding the text and its terminator.
HGLOBAL BlockOfText(const char *text, size_t n) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, n + 1);
    if (!block) return nullptr;
    char *p = static_cast<char *>(GlobalLock(block));
    if (!p) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(p, text, n);
    GlobalUnlock(block);
    return block;
}

// Puts gProblemTextBuffer on the clipboard under format and as CF_TEXT, and
// frees the buffer. A block the clipboard did not take is freed.
int PutProblemText(HWND owner, UINT format) {
    const char *text = gProblemTextBuffer;
    const size_t n = gProblemTextLength;
    int ok = 0;
    if (text && OpenClipboardSoon(owner)) {
        HGLOBAL own = BlockOfText(text, n);
        if (own && EmptyClipboard() && SetClipboardData(format, own)) {
            ok = 1;
            own = nullptr;
        }
        if (own) GlobalFree(own);
        HGLOBAL plain = ok ? BlockOfText(text, n) : nullptr;
        if (plain && !SetClipboardData(CF_TEXT, plain)) GlobalFree(plain);
        CloseClipboard();
    }
    FreeAndNull(gProblemTextBuffer);
    return ok;
}

// The private format's text into gProblemTextBuffer. The data may come from
// another process: it is read no further than its block reaches and always
// gets a terminator. The clipboard is closed before anything is parsed, so
// that no message box keeps it open.
int TakeProblemText(UINT format) {
    if (!format || !IsClipboardFormatAvailable(format) || !OpenClipboardSoon(gMdiClient)) return 0;
    char *copy = nullptr;
    if (HANDLE data = GetClipboardData(format)) {
        const SIZE_T size = GlobalSize(data);
        if (const char *p = static_cast<const char *>(GlobalLock(data))) {
            size_t n = 0;
            while (n < size && p[n]) ++n;
            copy = AllocTextBuffer(n);
            if (copy) std::memcpy(copy, p, n);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    if (!copy) return 0;
    FreeAndNull(gProblemTextBuffer);
    gProblemTextBuffer = copy;
    return 1;
}

WindowId IdOf(HWND window) { return static_cast<WindowId>(reinterpret_cast<UINT_PTR>(window)); }

}  // namespace

UINT GetWindowClipboardFormat() {
    if (!gWindowFormat) gWindowFormat = RegisterClipboardFormatA("Vantorel window");
    return gWindowFormat;
}

UINT GetElementClipboardFormat() {
    if (!gElementFormat) gElementFormat = RegisterClipboardFormatA("Vantorel element");
    return gElementFormat;
}

int CopyWindowToClipboard(HWND window) {
    const UINT format = GetWindowClipboardFormat();
    if (!format || !window) return 0;
    WaitCursor wait;
    if (!BuildWindowSectionText(IdOf(window))) return 0;
    return PutProblemText(window, format);
}

int PasteWindowFromClipboard() {
    const UINT format = GetWindowClipboardFormat();
    if (!format) return 0;
    WaitCursor wait;
    if (!TakeProblemText(format)) return 0;
    return CreateWindowFromSection();
}

int DuplicateWindow(HWND window) {
    if (!window) return 0;
    WaitCursor wait;
    if (!BuildWindowSectionText(IdOf(window))) return 0;
    return CreateWindowFromSection();
}

int CopyElementToClipboard(const GraphicsElement *element) {
    const UINT format = GetElementClipboardFormat();
    if (!format || !element) return 0;
    WaitCursor wait;
    if (!BuildElementText(element)) return 0;
    return PutProblemText(gFrameWindow, format);
}

int PasteElementFromClipboard() {
    const UINT format = GetElementClipboardFormat();
    if (!format) return 0;
    WaitCursor wait;
    if (!TakeProblemText(format)) return 0;
    return ParseElementText();
}
