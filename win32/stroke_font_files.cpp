// Which file holds stroke font n: the (n+1)-th entry of section "Font files"
// of the shared settings file, in the order the file lists them.
#include "stroke_font_files.h"

#include <cstdio>

#include "settings_files.h"
#include "stroke_font_table.h"

const char kShippedFontFile[] = "Plain.ft";

namespace {

const char kFontFilesSection[] = "Font files";
// A path of at most 20,479 characters; longer values are refused by the
// settings reader with its own message.
constexpr int kFontPathSize = 20480;
char gFontPath[kFontPathSize];

}  // namespace

int LoadStrokeFont(int n) {
    if (n < 0 || n >= kStrokeFontCount) return 0;
    if (!AllocStrokeFontTable()) return 0;
    const char *key = EnumSettingsKeys(kFontFilesSection, 0, kSettingsShared);
    for (int i = 0; i < n && *key; ++i) key = EnumSettingsKeys(kFontFilesSection, 1, kSettingsShared);
    if (!*key) {
        // Fewer fonts listed: nothing to load and nothing to say, ever again.
        gStrokeFontTable->loadAttempted[n] = 1;
        return 1;
    }
    // key lives in the enumeration's buffer, which reading a value leaves alone.
    ReadSettingString(kFontFilesSection, key, "", gFontPath, sizeof gFontPath, kSettingsShared);
    return LoadStrokeFontFile(n, gFontPath);
}

void SeedDefaultFontList() {
    if (!gSettingsLocations.file[kSettingsShared][0] || SettingsSectionExists(kFontFilesSection, kSettingsShared))
        return;
    // Only the settings file beside the program resolves ":" to its folder.
    const char *folder = gSettingsLocations.programFolder[0] ? ":" : ProgramFolder();
    char path[kSettingsPathSize];
    if (!folder || std::snprintf(path, sizeof path, "%s%s", folder, kShippedFontFile) >= kSettingsPathSize) return;
    for (int n = 0; n < kDefaultFontCount; ++n) {
        char key[16];
        std::snprintf(key, sizeof key, "Plain %d", n);
        WriteSettingString(kFontFilesSection, key, path, kSettingsShared);
    }
}
