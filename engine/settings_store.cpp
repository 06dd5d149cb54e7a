#include "settings_store.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "messages.h"
#include "platform.h"
#include "settings.h"
#include "string_ids.h"

namespace {

constexpr int kKeyTextSize = 64;
// The longest value the program reads (a font path may take 20,479
// characters) and the key-name list of a section.
constexpr int kSettingsTextSize = 20480;

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

// "Problems" with its last letter replaced by the slot's digit.
void RecentProblemKey(const char *section, int slot, char *key) {
    std::snprintf(key, kKeyTextSize, "%s", section);
    size_t length = std::strlen(key);
    if (length) key[length - 1] = static_cast<char>('1' + slot);
}

// The profile reader strips blanks around a value and one pair of quotes
// (either kind) around what is left: a text that starts or ends with either
// is written in double quotes, so it reads back as it was.
bool NeedsQuotes(const char *text) {
    const size_t n = std::strlen(text);
    auto special = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; };
    return n && (special(text[0]) || special(text[n - 1]));
}

void WriteTextValue(const SettingsStore &store, const char *section, const char *key, const char *text, int file) {
    if (!NeedsQuotes(text)) {
        StoreWriteString(store, section, key, text, file);
        return;
    }
    static char quoted[kSettingsTextSize + 2];
    std::snprintf(quoted, sizeof quoted, "\"%s\"", text);
    StoreWriteString(store, section, key, quoted, file);
}

void ReadTextOption(const SettingsStore &store, const char *section, const OptionEntry &e) {
    char key[kKeyTextSize], def[kSettingsPathSize];
    LoadKey(e.keyId, key);
    def[0] = 0;
    if (e.defaultValue) PlatformLoadString(e.defaultValue, def, sizeof def);
    StoreReadString(store, section, key, def, e.text, e.textSize, kSettingsUser, true);
}

}  // namespace

int StoreReadString(const SettingsStore &store, const char *section, const char *key, const char *def,
                    char *buffer, int size, int file, bool expand) {
    if (size <= 0) return 0;
    const char *fallback = def ? def : "";
    const char *path = FilePath(file);
    int length = -1;
    // A value the profile call had to cut fills its buffer: too long for any.
    bool cut = false;
    if (path && key) {
        int n = store.readString(path, section, key, fallback, gRawValue, sizeof gRawValue);
        cut = n >= static_cast<int>(sizeof gRawValue) - 1;
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

int ParseSettingInt(const char *text, int def) {
    if (!text[0]) return def;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *end = p + std::strlen(text);
    if (end - p > kSettingsIntTextSize - 1) end = p + kSettingsIntTextSize - 1;
    while (p < end && *p <= ' ') ++p;
    bool minus = false;
    if (p < end && (*p == '+' || *p == '-')) minus = *p++ == '-';
    // "0b", "0o" and "0x" (lower case only) choose base 2, 8 and 16.
    uint32_t base = 10;
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'b' || p[1] == 'o' || p[1] == 'x')) {
        base = p[1] == 'b' ? 2 : p[1] == 'o' ? 8 : 16;
        p += 2;
    }
    uint32_t total = 0;
    for (; p < end; ++p) {
        uint32_t digit = 99;
        if (*p >= '0' && *p <= '9') digit = *p - '0';
        else if (*p >= 'A' && *p <= 'Z') digit = *p - 'A' + 10;
        else if (*p >= 'a' && *p <= 'z') digit = *p - 'a' + 10;
        if (digit >= base) break;
        total = total * base + digit;
    }
    return static_cast<int>(minus ? 0u - total : total);
}

int StoreReadInt(const SettingsStore &store, const char *section, const char *key, int def, int file) {
    const char *path = FilePath(file);
    if (!path || !key) return def;
    char text[kSettingsIntTextSize];
    store.readString(path, section, key, "", text, sizeof text);
    return ParseSettingInt(text, def);
}

void StoreWriteString(const SettingsStore &store, const char *section, const char *key, const char *text,
                      int file) {
    if (const char *path = FilePath(file)) store.writeString(path, section, key, text);
}

const char *StoreEnumKeys(const SettingsStore &store, const char *section, int next, int file) {
    if (next) {
        if (*gKeyCursor) gKeyCursor += std::strlen(gKeyCursor) + 1;
        return gKeyCursor;
    }
    gKeyNames[0] = gKeyNames[1] = 0;
    gKeyCursor = gKeyNames;
    const char *path = FilePath(file);
    if (!path) return gKeyCursor;
    int n = store.readKeys(path, section, gKeyNames, sizeof gKeyNames);
    // A list that did not fit ends in a cut name: drop it.
    if (n >= static_cast<int>(sizeof gKeyNames) - 2) {
        char *last = gKeyNames + n;
        while (last > gKeyNames && last[-1]) --last;
        *last = 0;
        ShowErrorBoxFormatted(IDS_SETTINGS_KEY_LIST_TOO_LONG, section, kSettingsTextSize);
    }
    return gKeyCursor;
}

int StoreGetOptionInt(const SettingsStore &store, int keyId, int def) {
    char section[kKeyTextSize], key[kKeyTextSize];
    LoadKey(IDS_SECTION_OPTIONS, section);
    LoadKey(keyId, key);
    return StoreReadInt(store, section, key, def, kSettingsUser);
}

void StoreWriteOptionInt(const SettingsStore &store, int keyId, int value) {
    char section[kKeyTextSize], key[kKeyTextSize], text[16];
    LoadKey(IDS_SECTION_OPTIONS, section);
    LoadKey(keyId, key);
    std::snprintf(text, sizeof text, "%d", value);
    StoreWriteString(store, section, key, text, kSettingsUser);
}

void StoreReadOptions(const SettingsStore &store) {
    char section[kKeyTextSize];
    LoadKey(IDS_SECTION_OPTIONS, section);
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        if (e.flags & (kOptionNotRead | kOptionFramePlacement)) continue;
        if (e.text)
            ReadTextOption(store, section, e);
        else
            *e.value = StoreGetOptionInt(store, e.keyId, e.flags & kOptionDefaultIsCurrent ? *e.value : e.defaultValue);
    }
    // "Save position" is known now: without it the stored rectangle is
    // ignored and the frame starts at its default placement.
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        if (e.flags & kOptionFramePlacement)
            *e.value = gSavePosition ? StoreGetOptionInt(store, e.keyId, e.defaultValue) : e.defaultValue;
    }
    StoreReadRecentProblems(store);
    StoreReadToolbarLayouts(store);
    StoreReadEscapeSequences(store);
}

void StoreWriteOptions(const SettingsStore &store) {
    char section[kKeyTextSize], key[kKeyTextSize];
    LoadKey(IDS_SECTION_OPTIONS, section);
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        if (e.flags & kOptionNotWritten) continue;
        if (e.text) {
            LoadKey(e.keyId, key);
            WriteTextValue(store, section, key, e.text, kSettingsUser);
        } else {
            StoreWriteOptionInt(store, e.keyId, *e.value);
        }
    }
}

void StoreReadCheckPrevious(const SettingsStore &store) {
    gCheckPrevious = StoreGetOptionInt(store, IDS_KEY_CHECK_PREVIOUS, FindOption(IDS_KEY_CHECK_PREVIOUS)->defaultValue);
}

void StoreReadDcAndFpu(const SettingsStore &store) {
    gOwnDc = StoreGetOptionInt(store, IDS_KEY_OWN_DC, FindOption(IDS_KEY_OWN_DC)->defaultValue);
    gControl87 = StoreGetOptionInt(store, IDS_KEY_CONTROL_87, gControl87);
}

void StoreReadRecentProblems(const SettingsStore &store) {
    char section[kKeyTextSize], key[kKeyTextSize];
    LoadKey(IDS_SECTION_PROBLEMS, section);
    gRecentProblemCount = 0;
    for (int slot = 0; slot < kRecentProblemMax; ++slot) {
        RecentProblemKey(section, slot, key);
        char *entry = gRecentProblems[gRecentProblemCount];
        if (StoreReadString(store, section, key, "", entry, kRecentPathSize, kSettingsUser, true) > 0)
            ++gRecentProblemCount;
    }
    for (int i = gRecentProblemCount; i < kRecentProblemMax; ++i) gRecentProblems[i][0] = 0;
}

void StoreWriteRecentProblems(const SettingsStore &store) {
    char section[kKeyTextSize], key[kKeyTextSize];
    LoadKey(IDS_SECTION_PROBLEMS, section);
    for (int slot = 0; slot < kRecentProblemMax; ++slot) {
        RecentProblemKey(section, slot, key);
        WriteTextValue(store, section, key, slot < gRecentProblemCount ? gRecentProblems[slot] : "", kSettingsUser);
    }
}

void StoreReadToolbarLayouts(const SettingsStore &store) {
    char section[kKeyTextSize], format[kKeyTextSize], key[kKeyTextSize];
    LoadKey(IDS_SECTION_OPTIONS, section);
    LoadKey(IDS_KEY_TOOLBAR, format);
    for (int i = 0; i < kToolbarCount; ++i) {
        std::snprintf(key, sizeof key, format, i);
        StoreReadString(store, section, key, kDefaultToolbarLayouts[i], gToolbarLayouts[i], kToolbarLayoutSize,
                        kSettingsUser, true);
    }
}

void StoreWriteToolbarLayouts(const SettingsStore &store) {
    char section[kKeyTextSize], format[kKeyTextSize], key[kKeyTextSize];
    LoadKey(IDS_SECTION_OPTIONS, section);
    LoadKey(IDS_KEY_TOOLBAR, format);
    for (int i = 0; i < kToolbarCount; ++i) {
        std::snprintf(key, sizeof key, format, i);
        WriteTextValue(store, section, key, gToolbarLayouts[i], kSettingsUser);
    }
}

void StoreReadEscapeSequences(const SettingsStore &store) {
    char section[kKeyTextSize], key[16], def[kEscapeMacroTextSize];
    LoadKey(IDS_SECTION_MACROS, section);
    for (EscapeMacro &m : gEscapeMacros) {
        std::snprintf(key, sizeof key, "%d", static_cast<unsigned char>(m.character));
        std::memcpy(def, m.text, sizeof def);
        // Macro texts are not paths: a leading ":" stays as written.
        StoreReadString(store, section, key, def, m.text, sizeof m.text, kSettingsShared, false);
    }
}

void StoreWriteEscapeSequences(const SettingsStore &store) {
    char section[kKeyTextSize], key[16];
    LoadKey(IDS_SECTION_MACROS, section);
    for (const EscapeMacro &m : gEscapeMacros) {
        std::snprintf(key, sizeof key, "%d", static_cast<unsigned char>(m.character));
        WriteTextValue(store, section, key, m.text, kSettingsShared);
    }
}
