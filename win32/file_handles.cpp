#include "file_handles.h"

#include <cstring>

#include "msgbox_win32.h"

int gSimulateDiskFull;

HANDLE OpenFileHandle(const char *path, FileRecord *record, int mode) {
    record->error = 0;
    const size_t n = path ? std::strlen(path) : 0;
    if (n == 0 || n >= sizeof record->path) {
        record->path[0] = 0;
        record->error = n ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_NAME;
        return INVALID_HANDLE_VALUE;
    }
    std::memcpy(record->path, path, n + 1);
    static const DWORD kAccess[4] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE, 0};
    const int access = mode & 3;
    const DWORD share = access == kFileRead ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : 0;
    const DWORD disposition = (mode & kFileCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    HANDLE h = CreateFileA(path, kAccess[access], share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        record->error = GetLastError();
        return h;
    }
    if (mode & kFileCloseAtOnce) CloseHandle(h);
    return h;
}

long ReadFileBlock(HANDLE file, void *buffer, long n) {
    DWORD read = 0;
    if (n < 0 || !ReadFile(file, buffer, static_cast<DWORD>(n), &read, nullptr)) {
        ShowSystemError(n < 0 ? ERROR_INVALID_PARAMETER : GetLastError());
        return -1;
    }
    return static_cast<long>(read);
}

long WriteFileBlock(HANDLE file, const void *buffer, long n) {
    DWORD wanted = n < 0 ? 0 : static_cast<DWORD>(n);
    if (gSimulateDiskFull) wanted /= 2;
    DWORD written = 0;
    if (n < 0 || !WriteFile(file, buffer, wanted, &written, nullptr)) {
        ShowSystemError(n < 0 ? ERROR_INVALID_PARAMETER : GetLastError());
        return -1;
    }
    if (written != static_cast<DWORD>(n)) {
        ShowSystemError(ERROR_DISK_FULL);
        return -1;
    }
    return n;
}

int CloseFileHandle(HANDLE file) {
    if (!CloseHandle(file)) {
        ShowSystemError(GetLastError());
        return -1;
    }
    return 0;
}

long SeekFileHandle(HANDLE file, long distance, int origin) {
    static const DWORD kMethod[3] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    if (origin < 0 || origin > 2) {
        ShowSystemError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    SetLastError(NO_ERROR);
    const DWORD at = SetFilePointer(file, distance, nullptr, kMethod[origin]);
    if (at == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        ShowSystemError(GetLastError());
        return -1;
    }
    return static_cast<long>(at);
}
