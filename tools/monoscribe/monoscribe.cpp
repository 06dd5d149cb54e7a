#include "monoscribe.h"
#include "monoscribe_ids.h"

#include <cctype>
#include <cstdio>
#include <cstring>

MonoscribeState gMonoscribe;

namespace {

const char kErrorCaption[] = "Monoscribe: the following file(s) could not be handled as requested";
const char kSpecTooLong[] = "File spec too long";

// The entry's texts must leave room for "\n", ": " and the terminator.
constexpr size_t kErrorListLimit = kErrorListSize - 5;

void SystemErrorText(DWORD code, char *text, size_t size) {
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                        static_cast<DWORD>(size), nullptr))
        snprintf(text, size, "Error %lu", static_cast<unsigned long>(code));
    size_t n = strlen(text);
    while (n && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' ')) text[--n] = 0;
}

// Deletes a file; an error entry under `file` when that fails.
bool RemoveFile(const char *path, const char *file) {
    if (DeleteFileA(path)) return true;
    AddFileError(file, nullptr);
    return false;
}

// Moves `from` onto `to`, replacing it in one step, so that no moment has
// neither file on disk.
bool MoveOverFile(const char *from, const char *to, const char *file) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING)) return true;
    AddFileError(file, nullptr);
    return false;
}

// Where the result goes: the file itself, or the sub-folder of the file's
// own folder under the file's name (the sub-folder is created when
// missing). Also the folder for the temporary file, so that the final move
// stays on one volume.
bool MakeOutputPath(const char *file, char *output, char *folder) {
    const MonoscribeOptions &o = gMonoscribe.options;
    char full[MAX_PATH];
    char *name = nullptr;
    DWORD n = GetFullPathNameA(file, MAX_PATH, full, &name);
    if (n == 0 || n >= MAX_PATH || !name || o.subFolderTooLong) {
        AddFileError(file, n == 0 ? nullptr : kSpecTooLong);
        return false;
    }
    char sub[kSubFolderSize];
    strcpy(sub, o.subFolder);
    size_t subLength = strlen(sub);
    if (subLength && (sub[subLength - 1] == '\\' || sub[subLength - 1] == '/')) sub[--subLength] = 0;
    const int folderLength = static_cast<int>(name - full);
    int written;
    if (subLength == 0) {
        written = snprintf(folder, MAX_PATH, "%.*s", folderLength, full);
        if (written < MAX_PATH) written = snprintf(output, MAX_PATH, "%s", full);
    } else {
        written = snprintf(folder, MAX_PATH, "%.*s%s", folderLength, full, sub);
        if (written < MAX_PATH) written = snprintf(output, MAX_PATH, "%s\\%s", folder, name);
    }
    if (written >= MAX_PATH) {
        AddFileError(file, kSpecTooLong);
        return false;
    }
    if (subLength && GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES && !CreateDirectoryA(folder, nullptr)) {
        AddFileError(file, nullptr);
        return false;
    }
    return true;
}

// Gives `to` the last-write time of `from`.
bool CopyFileTime(const char *from, const char *to) {
    bool done = false;
    HANDLE in = CreateFileA(from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in != INVALID_HANDLE_VALUE) {
        FILETIME written;
        HANDLE out = CreateFileA(to, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (out != INVALID_HANDLE_VALUE) {
            done = GetFileTime(in, nullptr, nullptr, &written) && SetFileTime(out, nullptr, nullptr, &written);
            CloseHandle(out);
        }
        CloseHandle(in);
    }
    return done;
}

// Runs the conversion from file to temp; both binary, so that nothing but
// the switched line changes. Error entries for failures.
bool ConvertToTemporary(const char *file, const char *temp) {
    const MonoscribeOptions &o = gMonoscribe.options;
    FILE *in = fopen(file, "rb");
    if (!in) {
        AddFileError(file, nullptr);
        return false;
    }
    FILE *out = fopen(temp, "wb");
    if (!out) {
        AddFileError(file, nullptr);
        fclose(in);
        return false;
    }
    int converted = 0;
    EpsResult result = o.scan ? ConvertIncludedEps(in, out, o.direction, &converted)
                              : ConvertSingleEps(in, out, o.direction);
    fclose(in);
    if (fclose(out) != 0 && (result == EPS_CONVERTED || result == EPS_ALREADY)) result = EPS_WRITE_FAILED;
    const bool done = result == EPS_CONVERTED || result == EPS_ALREADY;
    if (result != EPS_CONVERTED) AddFileError(file, EpsResultText(result, o.direction));
    if (o.scan && done) {
        char text[64];
        snprintf(text, sizeof text, "%d included files converted", converted);
        MessageBoxA(gMonoscribe.dialog, text, file, MB_OK | MB_ICONERROR);
    }
    return done;
}

}  // namespace

void ResetOptions() {
    MonoscribeOptions &o = gMonoscribe.options;
    o.direction = EPS_TO_MONO;
    o.backup = o.keepTime = o.scan = o.subFolderTooLong = false;
    o.subFolder[0] = 0;
}

void AddFileError(const char *file, const char *message) {
    char system[261];
    if (!message) {
        SystemErrorText(GetLastError(), system, sizeof system);
        message = system;
    }
    MonoscribeState &s = gMonoscribe;
    s.hasErrors = true;
    if (s.errorLength + strlen(file) + strlen(message) >= kErrorListLimit) return;  // the list is full
    s.errorLength += snprintf(s.errors + s.errorLength, kErrorListSize - s.errorLength, "\n%s: %s", file, message);
}

void BeginBatch() {
    MonoscribeState &s = gMonoscribe;
    s.savedCursor = SetCursor(LoadCursor(nullptr, IDC_APPSTARTING));
    s.errors[0] = 0;
    s.errorLength = 0;
    s.hasErrors = false;
    if (s.dialog) {
        MonoscribeOptions &o = s.options;
        o.direction = IsDlgButtonChecked(s.dialog, IDC_TO_MONO) == BST_CHECKED ? EPS_TO_MONO : EPS_TO_COLOR;
        o.backup = IsDlgButtonChecked(s.dialog, IDC_BACKUP) == BST_CHECKED;
        o.keepTime = IsDlgButtonChecked(s.dialog, IDC_KEEP_TIME) == BST_CHECKED;
        o.scan = IsDlgButtonChecked(s.dialog, IDC_INCLUDED) == BST_CHECKED;
        GetDlgItemTextA(s.dialog, IDC_SUB_FOLDER, o.subFolder, sizeof o.subFolder);
        o.subFolderTooLong = false;
        if (o.subFolder[0]) o.backup = false;
    }
}

void EndBatch() {
    MonoscribeState &s = gMonoscribe;
    SetCursor(s.savedCursor);
    if (!s.hasErrors) return;
    if (s.dialog) SetForegroundWindow(s.dialog);
    MessageBoxA(s.dialog, s.errors, kErrorCaption, MB_OK | MB_ICONERROR);
}

bool ProcessEpsFile(const char *file) {
    const MonoscribeOptions &o = gMonoscribe.options;
    char output[MAX_PATH], folder[MAX_PATH], temp[MAX_PATH], backup[MAX_PATH + 4];
    if (!MakeOutputPath(file, output, folder)) return false;
    // The result is written beside its destination and moved over it only
    // when complete: a failure never touches the input.
    if (!GetTempFileNameA(folder, "msc", 0, temp)) {
        AddFileError(file, nullptr);
        return false;
    }
    if (!ConvertToTemporary(file, temp)) {
        RemoveFile(temp, file);
        return false;
    }
    if (o.keepTime && !CopyFileTime(file, temp)) {
        AddFileError(file, nullptr);
        RemoveFile(temp, file);
        return false;
    }
    if (o.backup) {
        if (strlen(file) + 4 >= MAX_PATH) {
            AddFileError(file, kSpecTooLong);
            RemoveFile(temp, file);
            return false;
        }
        snprintf(backup, sizeof backup, "%s.bak", file);
        if (!MoveOverFile(file, backup, file)) {
            RemoveFile(temp, file);
            return false;
        }
    }
    if (!MoveOverFile(temp, output, file)) {
        RemoveFile(temp, file);
        // Put the input back where it was.
        if (o.backup) MoveFileExA(backup, file, MOVEFILE_REPLACE_EXISTING);
        return false;
    }
    return true;
}

void RunCommandLine(int argc, char **argv) {
    MonoscribeOptions &o = gMonoscribe.options;
    BeginBatch();
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        const bool isSwitch = (arg[0] == '-' || arg[0] == '/') && arg[1] && !arg[2];
        const int letter = isSwitch ? toupper(static_cast<unsigned char>(arg[1])) : 0;
        if (letter == 'B') o.direction = EPS_TO_MONO;
        else if (letter == 'C') o.direction = EPS_TO_COLOR;
        else if (letter == 'K') o.backup = true;
        else if (letter == 'T') o.keepTime = true;
        else if (letter == 'I') o.scan = true;
        else if (letter == 'P' && i + 1 < argc) {
            const char *folder = argv[++i];
            o.subFolderTooLong = strlen(folder) >= sizeof o.subFolder;
            snprintf(o.subFolder, sizeof o.subFolder, "%s", o.subFolderTooLong ? "" : folder);
        } else {
            ProcessEpsFile(arg);
        }
    }
    EndBatch();
}
