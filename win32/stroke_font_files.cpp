// Which file holds stroke font n: the (n+1)-th entry of section "Font files"
// of the shared settings file, in the order the file lists them.
#include "settings_files.h"
#include "stroke_font_table.h"

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
