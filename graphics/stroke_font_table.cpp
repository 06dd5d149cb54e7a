#include "stroke_font_table.h"

#include <cerrno>
#include <cstring>

#include "fontfile.h"
#include "memory.h"
#include "messages.h"
#include "platform.h"
#include "string_ids.h"

StrokeFontTable *gStrokeFontTable;

namespace {

// The whole header line, line feed included: after a CR LF line end the LF
// would be taken for a character code and every glyph after it misread.
bool ReadFontHeader(FILE *file) {
    for (int i = 0; i < kFontHeaderSize; ++i)
        if (std::getc(file) != static_cast<unsigned char>(StrokeFontFile::kHeader[i])) return false;
    return true;
}

// One record, width byte through end pair, into record. Returns its length,
// or 0 when it runs past kGlyphRecordLimit bytes or the end of the file.
int ReadGlyphRecord(FILE *file, unsigned char *record) {
    for (int len = 0; len < kGlyphRecordLimit;) {
        int b = std::getc(file);
        if (b == EOF) return 0;
        record[len++] = static_cast<unsigned char>(b);
        // The end pair: 0x80 after 0x80, the second never the width byte.
        if (len >= 2 && b == kStrokeMarker && record[len - 2] == kStrokeMarker) return len;
    }
    return 0;
}

// Records up to the terminating 0. A file that ends before it, even between
// records, is invalid: it was cut off.
int ReadGlyphRecords(unsigned char **glyphs, FILE *file) {
    unsigned char record[kGlyphRecordLimit];
    while (!gOutOfMemory) {
        int code = std::getc(file);
        if (code == 0) return 1;
        int len = code == EOF ? 0 : ReadGlyphRecord(file, record);
        if (!len) return 0;
        // A repeated code replaces the earlier glyph: AllocArray frees the slot.
        AllocArray(glyphs[code], len + 2);
        if (!glyphs[code]) return 0;
        std::memcpy(glyphs[code], record, len);
        glyphs[code][len] = glyphs[code][len + 1] = kStrokeMarker;
    }
    return 0;
}

}  // namespace

int AllocStrokeFontTable() {
    if (!gStrokeFontTable)
        gStrokeFontTable = static_cast<StrokeFontTable *>(AllocZeroed(sizeof(StrokeFontTable)));
    return gStrokeFontTable != nullptr;
}

FILE *OpenFontFile(const char *name) {
    if (!name || !*name) {
        ShowErrorBox(IDS_NO_FONT_FILE);
        return nullptr;
    }
    FILE *file = std::fopen(name, "rb");
    if (!file) {
        // The C library's reason first: a long path may be cut off, the reason not.
        char text[kMessageBufferSize], caption[kMessageBufferSize];
        std::snprintf(text, sizeof text, "\n\n%s\n%s", std::strerror(errno), name);
        std::snprintf(caption, sizeof caption, "%s", LoadTextResource(IDS_ERROR_CAPTION));
        gLastStringId = IDS_NO_FONT_FILE;
        ShowMessageBox(text, caption, kMbOk | kMbIconError);
    }
    return file;
}

int ReadStrokeFont(int n, FILE *file) {
    if (!file) return 0;
    int result = 0;
    if (n >= 0 && n < kStrokeFontCount && AllocStrokeFontTable() && ReadFontHeader(file))
        result = ReadGlyphRecords(gStrokeFontTable->glyph[n], file);
    std::fclose(file);
    return result;
}

int LoadStrokeFontFile(int n, const char *path) {
    if (n < 0 || n >= kStrokeFontCount) return 0;
    gOutOfMemory = 0;
    // The table first, so that even a missing file is marked as tried.
    if (!AllocStrokeFontTable()) return 0;
    int result = 0;
    if (FILE *file = OpenFontFile(path)) {
        result = ReadStrokeFont(n, file);
        // Running out of memory has been reported already; the file may be fine.
        if (!result && !gOutOfMemory) ShowErrorBox(IDS_INVALID_FONT_FILE);
    }
    gStrokeFontTable->loadAttempted[n] = 1;
    return result;
}

void FreeStrokeFonts() {
    if (!gStrokeFontTable) return;
    for (auto &font : gStrokeFontTable->glyph)
        for (int c = 1; c < kStrokeFontSlots; ++c) FreeAndNull(font[c]);
}

void FreeStrokeFontTable() {
    FreeStrokeFonts();
    FreeAndNull(gStrokeFontTable);
}
