#include "mail_win32.h"

#include <cstdio>
#include <cstring>

#include "app.h"
#include "messages.h"
#include "msgbox_win32.h"
#include "string_ids.h"

MailSystem gMailSystem = {"MAPI32.DLL", "Mail"};

namespace {

// ULONG MAPISendDocuments(ULONG_PTR ui, LPSTR delimiter, LPSTR paths, LPSTR names, ULONG reserved)
typedef ULONG(WINAPI *SendDocumentsProc)(ULONG_PTR, LPSTR, LPSTR, LPSTR, ULONG);

HMODULE gMailLibrary;
SendDocumentsProc gSendDocuments;

constexpr ULONG kMailSuccess = 0;
constexpr ULONG kMailUserAbort = 1;

// A unique empty folder in the temporary folder: the name that the unique
// file name call reserved, its file replaced by a folder.
bool MakeMailFolder(char *folder, size_t size) {
    char temporary[MAX_PATH];
    const DWORD n = GetTempPathA(sizeof temporary, temporary);
    if (n == 0 || n >= sizeof temporary) return false;
    char unique[MAX_PATH];
    if (!GetTempFileNameA(temporary, "VRM", 0, unique)) return false;
    DeleteFileA(unique);
    if (!CreateDirectoryA(unique, nullptr)) return false;
    std::snprintf(folder, size, "%s", unique);
    return true;
}

// The problem file's name and extension, or "NoName.vr".
const char *AttachmentName() {
    const char *slash = std::strrchr(gProblemPath, '\\');
    const char *name = slash ? slash + 1 : gProblemPath;
    return *name ? name : LoadTextResource(IDS_NONAME_PROBLEM);
}

}  // namespace

bool IsMailAvailable() {
    if (gSendDocuments) return true;
    if (GetProfileIntA(gMailSystem.profileSection, "MAPI", 0) == 0) return false;
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    gMailLibrary = LoadLibraryA(gMailSystem.library);
    SetErrorMode(oldMode);
    if (gMailLibrary)
        gSendDocuments = reinterpret_cast<SendDocumentsProc>(
            reinterpret_cast<void *>(GetProcAddress(gMailLibrary, "MAPISendDocuments")));
    if (!gSendDocuments) UnloadMail();
    return gSendDocuments != nullptr;
}

int MailProblem(HWND owner) {
    if (!gMailLibrary || !gSendDocuments) return ShowErrorBox(IDS_MAIL_FAILED);
    char folder[MAX_PATH];
    if (!MakeMailFolder(folder, sizeof folder)) {
        ShowSystemError(GetLastError());
        return 0;
    }
    char name[MAX_PATH], path[MAX_PATH];
    std::snprintf(name, sizeof name, "%s", AttachmentName());
    if (std::snprintf(path, sizeof path, "%s\\%s", folder, name) >= static_cast<int>(sizeof path)) {
        RemoveDirectoryA(folder);
        ShowSystemError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    // Writing reports its own failure; the folder goes in every case.
    if (!WriteProblemTo(path)) {
        RemoveDirectoryA(folder);
        return 0;
    }
    char delimiter[] = ";";
    const ULONG result = gSendDocuments(reinterpret_cast<ULONG_PTR>(owner), delimiter, path, name, 0);
    DeleteFileA(path);
    RemoveDirectoryA(folder);
    if (result == kMailSuccess || result == kMailUserAbort) return 1;
    return ShowErrorBox(IDS_MAIL_FAILED);
}

void UnloadMail() {
    if (gMailLibrary) FreeLibrary(gMailLibrary);
    gMailLibrary = nullptr;
    gSendDocuments = nullptr;
}
