#include "settings_files.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "messages.h"
#include "platform.h"
#include "command_ids.h"
#include "settings_store.h"
#include "string_ids.h"

namespace {

constexpr int kKeyTextSize = 64;
// The section names of a settings file, as one list.
constexpr int kSectionNamesSize = 20480;
constexpr int kFullScreenCommand = IDM_FULL_SCREEN;

void LoadKey(int id, char *key) {
    PlatformLoadString(id, key, kKeyTextSize);
}

// The settings files are the system's private-profile files.
int ProfileRead(const char *path, const char *section, const char *key, const char *def, char *buffer, int size) {
    return static_cast<int>(GetPrivateProfileStringA(section, key, def, buffer, static_cast<DWORD>(size), path));
}
int ProfileKeys(const char *path, const char *section, char *buffer, int size) {
    return static_cast<int>(GetPrivateProfileStringA(section, nullptr, "", buffer, static_cast<DWORD>(size), path));
}
void ProfileWrite(const char *path, const char *section, const char *key, const char *text) {
    WritePrivateProfileStringA(section, key, text, path);
}
const SettingsStore kProfileStore = {ProfileRead, ProfileKeys, ProfileWrite};

// Drive and folder of base, with the trailing separator.
void FolderOf(const char *base, char *folder) {
    const char *end = base;
    for (const char *p = base; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') end = p + 1;
    size_t length = static_cast<size_t>(end - base);
    std::memcpy(folder, base, length);
    folder[length] = 0;
}

// folder + "\Quorvale" (created when missing) + "\Vantorel.ini" into path;
// false, with path empty, when the folder is unknown or the path too long.
bool AppDataFile(int csidl, char *path) {
    char folder[MAX_PATH];
    path[0] = 0;
    if (FAILED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, folder))) return false;
    char quorvale[kSettingsPathSize];
    int n = std::snprintf(quorvale, sizeof quorvale, "%s\\Quorvale", folder);
    int m = n < kSettingsPathSize ? std::snprintf(path, kSettingsPathSize, "%s\\Vantorel.ini", quorvale) : n;
    if (m >= kSettingsPathSize) {
        path[0] = 0;
        ShowErrorBoxFormatted(IDS_SETTINGS_PATH_TOO_LONG, folder);
        return false;
    }
    CreateDirectoryA(quorvale, nullptr);
    return true;
}

bool FileExists(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void ChooseSettingsFiles(const char *base) {
    SettingsLocations &loc = gSettingsLocations;
    loc = SettingsLocations();
    if (std::snprintf(loc.file[0], kSettingsPathSize, "%s.ini", base) >= kSettingsPathSize) {
        loc.file[0][0] = 0;
        ShowErrorBoxFormatted(IDS_SETTINGS_PATH_TOO_LONG, base);
        return;
    }
    if (FileExists(loc.file[0])) {
        FolderOf(base, loc.programFolder);
        std::memcpy(loc.file[1], loc.file[0], sizeof loc.file[1]);
        return;
    }
    AppDataFile(CSIDL_APPDATA, loc.file[0]);
    AppDataFile(CSIDL_COMMON_APPDATA, loc.file[1]);
}

int LocateSettingsFiles() {
    char base[kSettingsPathSize];
    DWORD n = GetModuleFileNameA(nullptr, base, sizeof base);
    // A cut name may come back without its terminator: end it before showing it.
    base[sizeof base - 1] = 0;
    if (n == 0 || n >= sizeof base - 1) {
        gSettingsLocations = SettingsLocations();
        ShowErrorBoxFormatted(IDS_SETTINGS_PATH_TOO_LONG, base);
        return 0;
    }
    // The extension starts at the last '.' after the last separator.
    char *dot = std::strrchr(base, '.');
    if (dot && !std::strpbrk(dot, "\\/")) *dot = 0;
    ChooseSettingsFiles(base);
    char section[kKeyTextSize], key[kKeyTextSize];
    LoadKey(IDS_SECTION_OPTIONS, section);
    LoadKey(IDS_KEY_HELP_FILE, key);
    ReadSettingString(section, key, base, gHelpFile, sizeof gHelpFile, kSettingsShared);
    return 1;
}

const char *ProgramFolder() {
    static char folder[kSettingsPathSize];
    char path[kSettingsPathSize];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path - 1) return nullptr;
    path[n] = 0;
    FolderOf(path, folder);
    return folder;
}

bool SettingsSectionExists(const char *section, int file) {
    if (file != kSettingsUser && file != kSettingsShared) return false;
    const char *path = gSettingsLocations.file[file];
    if (!path[0]) return false;
    // The names, each ended by a NUL and the list by a second one.
    static char names[kSectionNamesSize];
    names[0] = names[1] = 0;
    const DWORD n = GetPrivateProfileSectionNamesA(names, sizeof names, path);
    // A list too long for the buffer: say yes rather than overwrite a section.
    if (n >= sizeof names - 2) return true;
    for (const char *name = names; *name; name += std::strlen(name) + 1)
        if (lstrcmpiA(name, section) == 0) return true;
    return false;
}

int ReadSettingString(const char *section, const char *key, const char *def, char *buffer,
                      int size, int file) {
    return StoreReadString(kProfileStore, section, key, def, buffer, size, file, true);
}

int ReadSettingStringAsStored(const char *section, const char *key, const char *def, char *buffer,
                              int size, int file) {
    return StoreReadString(kProfileStore, section, key, def, buffer, size, file, false);
}

int ReadSettingInt(const char *section, const char *key, int def, int file) {
    return StoreReadInt(kProfileStore, section, key, def, file);
}

void WriteSettingString(const char *section, const char *key, const char *text, int file) {
    StoreWriteString(kProfileStore, section, key, text, file);
}

void DeleteSettingsSection(const char *section, int file) {
    WriteSettingString(section, nullptr, nullptr, file);
}

const char *EnumSettingsKeys(const char *section, int next, int file) {
    return StoreEnumKeys(kProfileStore, section, next, file);
}

int GetOptionInt(int keyId, int def) { return StoreGetOptionInt(kProfileStore, keyId, def); }
void WriteOptionInt(int keyId, int value) { StoreWriteOptionInt(kProfileStore, keyId, value); }
void ReadOptions() { StoreReadOptions(kProfileStore); }
void WriteOptions() { StoreWriteOptions(kProfileStore); }
void ReadCheckPreviousOption() { StoreReadCheckPrevious(kProfileStore); }
void ReadDcAndFpuOptions() { StoreReadDcAndFpu(kProfileStore); }
void ReadRecentProblems() { StoreReadRecentProblems(kProfileStore); }
void WriteRecentProblems() { StoreWriteRecentProblems(kProfileStore); }
void ReadToolbarLayouts() { StoreReadToolbarLayouts(kProfileStore); }
void WriteToolbarLayouts() { StoreWriteToolbarLayouts(kProfileStore); }
void ReadEscapeSequences() { StoreReadEscapeSequences(kProfileStore); }
void WriteEscapeSequences() { StoreWriteEscapeSequences(kProfileStore); }

void SaveFramePlacement(HWND frame) {
    if (!frame || !IsWindow(frame)) return;
    // The full-screen command is a toggle whose menu item is checked while on.
    HMENU menu = GetMenu(frame);
    UINT state = menu ? GetMenuState(menu, kFullScreenCommand, MF_BYCOMMAND) : static_cast<UINT>(-1);
    if (state != static_cast<UINT>(-1) && (state & MF_CHECKED))
        SendMessageA(frame, WM_COMMAND, kFullScreenCommand, 0);
    RECT r;
    int maximized = 0;
    if (IsIconic(frame) || IsZoomed(frame)) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        GetWindowPlacement(frame, &placement);
        r = placement.rcNormalPosition;
        maximized = placement.showCmd == SW_SHOWMAXIMIZED;
    } else {
        GetWindowRect(frame, &r);
    }
    WriteOptionInt(IDS_KEY_X_POSITION, r.left);
    WriteOptionInt(IDS_KEY_Y_POSITION, r.top);
    WriteOptionInt(IDS_KEY_WIDTH, r.right - r.left);
    WriteOptionInt(IDS_KEY_HEIGHT, r.bottom - r.top);
    WriteOptionInt(IDS_KEY_MAXIMIZED, maximized);
}

void RegisterRunOnceRestart(const char *problemPath) {
    char program[kSettingsPathSize];
    if (!problemPath || !problemPath[0]) {
        DWORD n = GetModuleFileNameA(nullptr, program, sizeof program);
        if (n == 0 || n >= sizeof program) return;
        problemPath = program;
    }
    char data[2 * kSettingsPathSize];
    int length = std::snprintf(data, sizeof data, "\"%s\"", problemPath);
    if (length < 0 || length >= static_cast<int>(sizeof data)) return;
    char name[32];
    std::snprintf(name, sizeof name, "Vantorel%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    HKEY version, runOnce;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &version, nullptr) != ERROR_SUCCESS)
        return;
    if (RegCreateKeyExA(version, "RunOnce", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &runOnce, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExA(runOnce, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(data),
                       static_cast<DWORD>(length + 1));
        RegCloseKey(runOnce);
    }
    RegCloseKey(version);
}
