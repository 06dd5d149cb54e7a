// Loading, saving and the save question for the problem named by the
// command line or a dropped file. The file dialogs and the recent list come
// later; without them a problem is opened by name only, and saved under the
// name it has.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstring>

#include "editor_windows.h"
#include "file_dialogs.h"
#include "app.h"
#include "memory.h"
#include "messages.h"
#include "msgbox_win32.h"
#include "platform.h"
#include "problem_file.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "string_ids.h"
#include "ui_lock.h"
#include "workspace.h"

namespace {

// Whole file into a zeroed block 32 bytes longer; null (and *size 0 for an
// empty file) when it cannot be read, the reason shown except for an empty
// file.
char *ReadWholeFile(const char *path, DWORD *size) {
    *size = 0;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        ShowSystemError(GetLastError());
        return nullptr;
    }
    DWORD high = 0;
    const DWORD length = GetFileSize(h, &high);
    if (length == 0 || high || length > 0x7FFFFFF0u) {
        CloseHandle(h);
        if (high || length > 0x7FFFFFF0u) ShowSystemError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    char *text = static_cast<char *>(AllocZeroed(length + 32));
    DWORD read = 0;
    if (text && (!ReadFile(h, text, length, &read, nullptr) || read != length)) {
        ShowSystemError(GetLastError());
        FreeAndNull(text);
    }
    CloseHandle(h);
    if (text) *size = length;
    return text;
}

}  // namespace

// Through a temporary file in the same folder, replaced in one step: a
// failure leaves the old file as it was.
int WriteProblemTo(const char *path) {
    if (!BuildProblemText(0)) return 0;
    char folder[kPathSize];
    std::snprintf(folder, sizeof folder, "%s", path);
    char *slash = std::strrchr(folder, '\\');
    if (slash) slash[1] = 0;
    else std::snprintf(folder, sizeof folder, ".");
    char temporary[kPathSize];
    if (!GetTempFileNameA(folder, "VRS", 0, temporary)) {
        ShowSystemError(GetLastError());
        FreeAndNull(gProblemTextBuffer);
        return 0;
    }
    HANDLE h = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool ok = h != INVALID_HANDLE_VALUE &&
              WriteFile(h, gProblemTextBuffer, static_cast<DWORD>(gProblemTextLength), &written, nullptr) &&
              written == gProblemTextLength;
    DWORD error = ok ? 0 : GetLastError();
    if (h != INVALID_HANDLE_VALUE && !CloseHandle(h) && ok) {
        ok = false;
        error = GetLastError();
    }
    if (ok && !MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        error = GetLastError();
    }
    if (!ok) {
        DeleteFileA(temporary);
        ShowSystemError(error ? error : ERROR_WRITE_FAULT);
    }
    FreeAndNull(gProblemTextBuffer);
    return ok ? 1 : 0;
}

int SaveProblemFile(HWND, int askName) {
    if (askName || gAskForProblemName || !*gProblemPath) {
        // No file dialog yet: a problem without a name cannot be saved.
        ShowErrorBox(IDS_PROBLEM_HAS_NO_NAME);
        return 0;
    }
    if (!WriteProblemTo(gProblemPath)) return 0;
    gAskForProblemName = 0;
    gProblemChanged = 0;
    return 1;
}

int QuerySaveProblem(HWND owner) {
    if (gRunning) return 0;
    if (gCommandLine.printMode) return 1;
    if (!gProblemChanged) return 1;
    switch (AskYesNoCancel(IDS_PROBLEM_CHANGED_SAVE)) {
    case kIdYes: return SaveProblemFile(owner, 0);
    case kIdNo: return 1;
    default: return 0;
    }
}

int LoadProblemFile(HWND owner, int) {
    if (!QuerySaveProblem(owner)) return 0;
    if (!gFileNamePending) return 0;
    gFileNamePending = 0;
    DWORD size = 0;
    char *text = ReadWholeFile(gProblemPath, &size);
    if (!text) {
        // A missing or unreadable file leaves no name behind; an empty one
        // loads nothing and keeps the problem that was there.
        if (size == 0 && GetFileAttributesA(gProblemPath) == INVALID_FILE_ATTRIBUTES) gProblemPath[0] = 0;
        UpdateFrameTitle();
        return 0;
    }
    char full[kPathSize];
    if (GetFullPathNameA(gProblemPath, sizeof full, full, nullptr) < sizeof full)
        std::snprintf(gProblemPath, sizeof gProblemPath, "%s", full);
    gSameUserFile = 0;
    gProblemErrorLine = 0;
    if (!gCommandLine.printMode && owner) SendMessageA(owner, WM_COMMAND, IDM_NEW, -1);
    FreeAndNull(gProblemTextBuffer);
    gProblemTextBuffer = text;
    UpdateFrameTitle();
    if (gCommandLine.printMode) return 1;
    switch (ParseProblemText()) {
    case kParseLoaded: gProblemChanged = 0; break;
    case kParseCorrect: OpenAllSettingsAtError(); break;  // the user corrects the line there
    }
    return 1;
}

// Plain GDI on the default printer, or on the one "/pt" names: the file's
// lines as they stand, in the printer's own font, page after page.
int PrintProblemFromCommandLine() {
    gFileNamePending = 1;
    if (!LoadProblemFile(nullptr, 0) || !gProblemTextBuffer) return 0;
    HDC dc = nullptr;
    if (*gCommandLine.printerDevice) {
        dc = CreateDCA(gCommandLine.printerDriver, gCommandLine.printerDevice, gCommandLine.printerPort, nullptr);
    } else {
        char device[512];
        DWORD n = sizeof device;
        if (GetDefaultPrinterA(device, &n)) dc = CreateDCA(nullptr, device, nullptr, nullptr);
    }
    if (!dc) {
        ShowSystemError(ERROR_INVALID_PRINTER_NAME);
        FreeAndNull(gProblemTextBuffer);
        return 0;
    }
    DOCINFOA doc = {sizeof doc, gProblemPath, nullptr, nullptr, 0};
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    const int lineHeight = tm.tmHeight + tm.tmExternalLeading;
    const int pageHeight = GetDeviceCaps(dc, VERTRES);
    const int margin = GetDeviceCaps(dc, LOGPIXELSX) / 2;
    int y = margin;
    bool ok = StartDocA(dc, &doc) > 0 && StartPage(dc) > 0;
    for (const char *line = gProblemTextBuffer; ok && *line;) {
        const char *end = line + std::strcspn(line, "\r\n");
        if (y + lineHeight > pageHeight - margin) {
            ok = EndPage(dc) > 0 && StartPage(dc) > 0;
            y = margin;
        }
        TextOutA(dc, margin, y, line, static_cast<int>(end - line));
        y += lineHeight;
        line = end;
        if (*line == '\r') ++line;
        if (*line == '\n') ++line;
    }
    if (ok) ok = EndPage(dc) > 0 && EndDoc(dc) > 0;
    else AbortDoc(dc);
    DeleteDC(dc);
    FreeAndNull(gProblemTextBuffer);
    if (!ok) ShowSystemError(GetLastError());
    return 0;
}
