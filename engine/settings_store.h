// The reading and writing of the settings files' values, apart from the
// files themselves: which key a value lives under, how a value too long for
// its buffer is refused, ":" paths, integers, the "Options" table, the recent
// problems, toolbar layouts and escape-sequence macros. The files are a
// store of three calls; the Win32 side passes its private-profile calls
// (win32/settings_files.h), tests and fuzz targets a table of their own.
#pragma once

struct SettingsStore {
    // The value of key in section of the file at path into buffer (size
    // bytes, terminated), def when the key is missing. Returns the length; a
    // value cut to fit returns size - 1 or more.
    int (*readString)(const char *path, const char *section, const char *key, const char *def, char *buffer,
                      int size);
    // The key names of section, each ended by a NUL and the list by a second
    // one; the length as readString gives it (size - 2 or more: cut).
    int (*readKeys)(const char *path, const char *section, char *buffer, int size);
    // A null key deletes the section, a null text the key.
    void (*writeString)(const char *path, const char *section, const char *key, const char *text);
};

// The routines of win32/settings_files.h, on a given store. A file index
// without a known path reads defaults and writes nothing.
int StoreReadString(const SettingsStore &store, const char *section, const char *key, const char *def,
                    char *buffer, int size, int file, bool expand);
int StoreReadInt(const SettingsStore &store, const char *section, const char *key, int def, int file);
void StoreWriteString(const SettingsStore &store, const char *section, const char *key, const char *text,
                      int file);
const char *StoreEnumKeys(const SettingsStore &store, const char *section, int next, int file);
int StoreGetOptionInt(const SettingsStore &store, int keyId, int def);
void StoreWriteOptionInt(const SettingsStore &store, int keyId, int value);
void StoreReadOptions(const SettingsStore &store);
void StoreWriteOptions(const SettingsStore &store);
void StoreReadCheckPrevious(const SettingsStore &store);
void StoreReadDcAndFpu(const SettingsStore &store);
void StoreReadRecentProblems(const SettingsStore &store);
void StoreWriteRecentProblems(const SettingsStore &store);
void StoreReadToolbarLayouts(const SettingsStore &store);
void StoreWriteToolbarLayouts(const SettingsStore &store);
void StoreReadEscapeSequences(const SettingsStore &store);
void StoreWriteEscapeSequences(const SettingsStore &store);

// An integer as the private-profile calls read it: "" gives def; else
// blanks and control characters skipped, an optional sign, an optional
// "0b", "0o" or "0x", then digits of that base up to the first other
// character, wrapping like the system's 32-bit arithmetic. Only the first
// 29 characters of a value count.
constexpr int kSettingsIntTextSize = 30;
int ParseSettingInt(const char *text, int def);
