#include "settings_files.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "messages.h"
#include "platform.h"
#include "command_ids.h"
#include "string_ids.h"

namespace {

constexpr int kKeyTextSize = 64;
// The longest value the program reads (a font path may take 20,479
// characters) and the key-name list of a section.
constexpr int kSettingsTextSize = 20480;
constexpr int kFullScreenCommand = IDM_FULL_SCREEN;

// Two spare bytes: a value of the longest length must not look cut.
char gRawValue[kSettingsTextSize + 2];
char gKeyNames[kSettingsTextSize];
const char *gKeyCursor = gKeyNames;

// Null when the file is not known: reads then give defaults, writes nothing.
// (An empty name would make the profile calls use WIN.INI.)
const char *FilePath(int file) {
    if (file != kSettingsUser && file != kSettingsShared) return nullptr;
    const char *path = gSettingsLocations.file[file];
    return path[0] ? path : nullptr;
}

void LoadKey(int id, char *key) {
    PlatformLoadString(id, key, kKeyTextSize);
}

// Copies text into buffer when it fits; else "" and -1.
int CopyIfFits(const char *text, char *buffer, int size) {
    size_t length = std::strlen(text);
    if (length >= static_cast<size_t>(size)) {
        buffer[0] = 0;
        return -1;
    }
    std::memcpy(buffer, text, length + 1);
    return static_cast<int>(length);
}

int ReadValue(const char *section, const char *key, const char *def, char *buffer, int size,
              int file, bool expand) {
    if (size <= 0) return 0;
    const char *fallback = def ? def : "";
    const char *path = FilePath(file);
    int length = -1;
    // A value the profile call had to cut fills its buffer: too long for any.
    bool cut = false;
    if (path && key) {
        DWORD n = GetPrivateProfileStringA(section, key, fallback, gRawValue, sizeof gRawValue, path);
        cut = n >= sizeof gRawValue - 1;
    } else {
        std::snprintf(gRawValue, sizeof gRawValue, "%s", fallback);
    }
    if (!cut) {
        // Only file 1 holds paths relative to the program folder.
        bool relative = expand && file == kSettingsShared && gRawValue[0] == ':';
        length = relative ? ExpandProgramFolder(gRawValue, gSettingsLocations.programFolder, buffer, size)
                          : CopyIfFits(gRawValue, buffer, size);
    }
    if (length < 0) {
        ShowErrorBoxFormatted(IDS_SETTING_TOO_LONG, key ? key : "", section ? section : "", size - 1);
        length = CopyIfFits(fallback, buffer, size);
        if (length < 0) length = 0;
    }
    return length;
}

// "Problems" with its last letter replaced by the slot's digit.
void RecentProblemKey(const char *section, int slot, char *key) {
    std::snprintf(key, kKeyTextSize, "%s", section);
    size_t length = std::strlen(key);
    if (length) key[length - 1] = static_cast<char>('1' + slot);
}

void ReadTextOption(const char *section, const OptionEntry &e) {
    char key[kKeyTextSize], def[kSettingsPathSize];
    LoadKey(e.keyId, key);
    def[0] = 0;
    if (e.defaultValue) PlatformLoadString(e.defaultValue, def, sizeof def);
    ReadSettingString(section, key, def, e.text, e.textSize, kSettingsUser);
}

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

int ReadSettingString(const char *section, const char *key, const char *def, char *buffer,
                      int size, int file) {
    return ReadValue(section, key, def, buffer, size, file, true);
}

int ReadSettingStringAsStored(const char *section, const char *key, const char *def, char *buffer,
                              int size, int file) {
    return ReadValue(section, key, def, buffer, size, file, false);
}

int ReadSettingInt(const char *section, const char *key, int def, int file) {
    const char *path = FilePath(file);
    if (!path || !key) return def;
    return static_cast<int>(GetPrivateProfileIntA(section, key, def, path));
}

void WriteSettingString(const char *section, const char *key, const char *text, int file) {
    if (const char *path = FilePath(file)) WritePrivateProfileStringA(section, key, text, path);
}

void DeleteSettingsSection(const char *section, int file) {
    WriteSettingString(section, nullptr, nullptr, file);
}

const char *EnumSettingsKeys(const char *section, int next, int file) {
    if (next) {
        if (*gKeyCursor) gKeyCursor += std::strlen(gKeyCursor) + 1;
        return gKeyCursor;
    }
    gKeyNames[0] = gKeyNames[1] = 0;
    gKeyCursor = gKeyNames;
    const char *path = FilePath(file);
    if (!path) return gKeyCursor;
    DWORD n = GetPrivateProfileStringA(section, nullptr, "", gKeyNames, sizeof gKeyNames, path);
    // A list that did not fit ends in a cut name: drop it.
    if (n >= sizeof gKeyNames - 2) {
        char *last = gKeyNames + n;
        while (last > gKeyNames && last[-1]) --last;
        *last = 0;
        ShowErrorBoxFormatted(IDS_SETTINGS_KEY_LIST_TOO_LONG, section, kSettingsTextSize);
    }
    return gKeyCursor;
}

int GetOptionInt(int keyId, int def) {
    char section[kKeyTextSize], key[kKeyTextSize];
    LoadKey(IDS_SECTION_OPTIONS, section);
    LoadKey(keyId, key);
    return ReadSettingInt(section, key, def, kSettingsUser);
}

void WriteOptionInt(int keyId, int value) {
    char section[kKeyTextSize], key[kKeyTextSize], text[16];
    LoadKey(IDS_SECTION_OPTIONS, section);
    LoadKey(keyId, key);
    std::snprintf(text, sizeof text, "%d", value);
    WriteSettingString(section, key, text, kSettingsUser);
}

void ReadOptions() {
    char section[kKeyTextSize];
    LoadKey(IDS_SECTION_OPTIONS, section);
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        if (e.flags & (kOptionNotRead | kOptionFramePlacement)) continue;
        if (e.text)
            ReadTextOption(section, e);
        else
            *e.value = GetOptionInt(e.keyId, e.flags & kOptionDefaultIsCurrent ? *e.value : e.defaultValue);
    }
    // "Save position" is known now: without it the stored rectangle is
    // ignored and the frame starts at its default placement.
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        if (e.flags & kOptionFramePlacement)
            *e.value = gSavePosition ? GetOptionInt(e.keyId, e.defaultValue) : e.defaultValue;
    }
    ReadRecentProblems();
    ReadToolbarLayouts();
    ReadEscapeSequences();
}

void WriteOptions() {
    char section[kKeyTextSize], key[kKeyTextSize];
    LoadKey(IDS_SECTION_OPTIONS, section);
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        if (e.flags & kOptionNotWritten) continue;
        if (e.text) {
            LoadKey(e.keyId, key);
            WriteSettingString(section, key, e.text, kSettingsUser);
        } else {
            WriteOptionInt(e.keyId, *e.value);
        }
    }
}

void ReadCheckPreviousOption() {
    gCheckPrevious = GetOptionInt(IDS_KEY_CHECK_PREVIOUS, FindOption(IDS_KEY_CHECK_PREVIOUS)->defaultValue);
}

void ReadDcAndFpuOptions() {
    gOwnDc = GetOptionInt(IDS_KEY_OWN_DC, FindOption(IDS_KEY_OWN_DC)->defaultValue);
    gControl87 = GetOptionInt(IDS_KEY_CONTROL_87, gControl87);
}

void ReadRecentProblems() {
    char section[kKeyTextSize], key[kKeyTextSize];
    LoadKey(IDS_SECTION_PROBLEMS, section);
    gRecentProblemCount = 0;
    for (int slot = 0; slot < kRecentProblemMax; ++slot) {
        RecentProblemKey(section, slot, key);
        char *entry = gRecentProblems[gRecentProblemCount];
        if (ReadSettingString(section, key, "", entry, kRecentPathSize, kSettingsUser) > 0)
            ++gRecentProblemCount;
    }
    for (int i = gRecentProblemCount; i < kRecentProblemMax; ++i) gRecentProblems[i][0] = 0;
}

void WriteRecentProblems() {
    char section[kKeyTextSize], key[kKeyTextSize];
    LoadKey(IDS_SECTION_PROBLEMS, section);
    for (int slot = 0; slot < kRecentProblemMax; ++slot) {
        RecentProblemKey(section, slot, key);
        WriteSettingString(section, key, slot < gRecentProblemCount ? gRecentProblems[slot] : "",
                           kSettingsUser);
    }
}

void ReadToolbarLayouts() {
    char section[kKeyTextSize], format[kKeyTextSize], key[kKeyTextSize];
    LoadKey(IDS_SECTION_OPTIONS, section);
    LoadKey(IDS_KEY_TOOLBAR, format);
    for (int i = 0; i < kToolbarCount; ++i) {
        std::snprintf(key, sizeof key, format, i);
        ReadSettingString(section, key, kDefaultToolbarLayouts[i], gToolbarLayouts[i], kToolbarLayoutSize,
                          kSettingsUser);
    }
}

void WriteToolbarLayouts() {
    char section[kKeyTextSize], format[kKeyTextSize], key[kKeyTextSize];
    LoadKey(IDS_SECTION_OPTIONS, section);
    LoadKey(IDS_KEY_TOOLBAR, format);
    for (int i = 0; i < kToolbarCount; ++i) {
        std::snprintf(key, sizeof key, format, i);
        WriteSettingString(section, key, gToolbarLayouts[i], kSettingsUser);
    }
}

void ReadEscapeSequences() {
    char section[kKeyTextSize], key[16], def[kEscapeMacroTextSize];
    LoadKey(IDS_SECTION_MACROS, section);
    for (EscapeMacro &m : gEscapeMacros) {
        std::snprintf(key, sizeof key, "%d", static_cast<unsigned char>(m.character));
        std::memcpy(def, m.text, sizeof def);
        // Macro texts are not paths: a leading ":" stays as written.
        ReadValue(section, key, def, m.text, sizeof m.text, kSettingsShared, false);
    }
}

void WriteEscapeSequences() {
    char section[kKeyTextSize], key[16], value[kEscapeMacroTextSize + 2];
    LoadKey(IDS_SECTION_MACROS, section);
    for (const EscapeMacro &m : gEscapeMacros) {
        std::snprintf(key, sizeof key, "%d", static_cast<unsigned char>(m.character));
        // The reader strips blanks around a value and one pair of quotes:
        // a text that starts or ends with either goes in quotes.
        const size_t n = std::strlen(m.text);
        const bool quote = n && (m.text[0] == ' ' || m.text[0] == '"' || m.text[n - 1] == ' ' || m.text[n - 1] == '"');
        std::snprintf(value, sizeof value, quote ? "\"%s\"" : "%s", m.text);
        WriteSettingString(section, key, value, kSettingsShared);
    }
}

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
