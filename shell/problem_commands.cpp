// The problem-file commands: Save and Save as through a temporary file,
// the question before a problem is replaced, Load (Open, Open example, a
// recent entry, the command line, a dropped file) and the print mode.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "editor_windows.h"
#include "file_dialogs.h"
#include "file_handles.h"
#include "problem_files.h"
#include "app.h"
#include "memory.h"
#include "messages.h"
#include "msgbox_win32.h"
#include "platform.h"
#include "printing_win32.h"
#include "problem_file.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "string_ids.h"
#include "ui_lock.h"
#include "workspace.h"

namespace {

// Files beyond this are no problem file of this program; the reader's
// block must also fit in memory.
constexpr DWORD kLargestProblemFile = 0x7FFFFFF0u;

// The path and caption as they were: a load that reads nothing keeps them,
// so that a later Save cannot write the old problem over the file refused.
struct SavedName {
    char path[kPathSize];
    char full[MAX_PATH];
    void Take() {
        std::memcpy(path, gProblemPath, sizeof path);
        std::memcpy(full, gProblemFullPath, sizeof full);
    }
    void Restore() const {
        std::memcpy(gProblemPath, path, sizeof path);
        std::memcpy(gProblemFullPath, full, sizeof full);
        UpdateFrameTitle();
    }
};

// The whole open file into a zeroed block 32 bytes longer, closed after;
// null (and *size 0 for an empty file) when it cannot be read, the reason
// shown except for an empty file.
char *ReadWholeFile(HANDLE h, DWORD *size) {
    *size = 0;
    DWORD high = 0;
    const DWORD length = GetFileSize(h, &high);
    char *text = nullptr;
    if (high || length > kLargestProblemFile) {
        ShowSystemError(ERROR_NOT_ENOUGH_MEMORY);
    } else if (length > 0 && (text = static_cast<char *>(AllocZeroed(length + 32))) != nullptr) {
        if (ReadFileBlock(h, text, static_cast<long>(length)) != static_cast<long>(length)) FreeAndNull(text);
    }
    CloseFileHandle(h);
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
    FileRecord record;
    HANDLE h = OpenFileHandle(temporary, &record, kFileWrite | kFileCreate);
    bool ok = h != INVALID_HANDLE_VALUE;
    if (!ok) ShowSystemError(record.error);
    else ok = WriteFileBlock(h, gProblemTextBuffer, static_cast<long>(gProblemTextLength)) ==
              static_cast<long>(gProblemTextLength);
    if (h != INVALID_HANDLE_VALUE && CloseFileHandle(h) != 0) ok = false;
    if (ok && !MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        ShowSystemError(GetLastError());
    }
    if (!ok) DeleteFileA(temporary);
    FreeAndNull(gProblemTextBuffer);
    return ok ? 1 : 0;
}

// Refused during a run, whose windows change under the writer.
int SaveProblemFile(HWND owner, int saveAs) {
    if (gRunning) return 0;
    char name[MAX_PATH];
    if (!ChooseProblemFileForWriting(owner, saveAs || gAskForProblemName, name)) return 0;
    if (!WriteProblemTo(name)) return 0;
    AddRecentProblem(name);
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

int LoadProblemFile(HWND owner, int isExample) {
    if (!QuerySaveProblem(owner)) return 0;
    SavedName before;
    before.Take();
    // A name from the command line or a drop was never the loaded problem's;
    // one from a dialog or the recent list replaces the loaded problem's
    // only once its file is read.
    const bool pending = gFileNamePending != 0;
    HANDLE h = OpenProblemForReading(owner, kProblemFile, isExample);
    if (h == INVALID_HANDLE_VALUE) {
        if (pending) UpdateFrameTitle();
        else before.Restore();
        return 0;
    }
    DWORD size = 0;
    char *text = ReadWholeFile(h, &size);
    FreeAndNull(gProblemTextBuffer);
    gProblemTextBuffer = text;
    // An empty, unreadable or refused newer file loads nothing: the problem
    // that was there stays, under its own name.
    if (!text || !AcceptProblemTextVersion()) {
        FreeAndNull(gProblemTextBuffer);
        before.Restore();
        return 0;
    }
    gProblemTextBuffer = nullptr;
    gSameUserFile = 0;
    gProblemErrorLine = 0;
    if (!gCommandLine.printMode && owner) SendMessageA(owner, WM_COMMAND, IDM_NEW, kNewBeforeLoading);
    FreeAndNull(gProblemTextBuffer);
    gProblemTextBuffer = text;
    if (gCommandLine.printMode) return 1;
    switch (ParseProblemText()) {
    case kParseLoaded: gProblemChanged = 0; break;
    case kParseCorrect: OpenAllSettingsAtError(); break;  // the user corrects the line there
    }
    return 1;
}

// The text as it stands, through the "All settings" editor, printed as the
// editors print (header, monospaced pages) on the printer "/pt" names or the
// default one, without the print dialog.
int PrintProblemFromCommandLine() {
    gFileNamePending = 1;
    if (!LoadProblemFile(nullptr, 0) || !gProblemTextBuffer) return 0;
    gPrintWithoutDialog = 1;
    gPrintWithoutDialogPrinter = {gCommandLine.printerDevice, gCommandLine.printerDriver, gCommandLine.printerPort};
    PrintProblemTextInEditor();
    gPrintWithoutDialog = 0;
    gPrintWithoutDialogPrinter = {};
    return 0;
}
