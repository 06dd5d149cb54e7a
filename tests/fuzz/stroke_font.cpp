// Stroke-font files, through both readers: the font editor's (read, written,
// read and written again: the two files must be equal) and the main
// program's glyph table, whose glyphs are then all drawn.
#include <cstring>
#include <vector>

#include "counting_sink.h"
#include "fontfile.h"
#include "fuzz_target.h"
#include "memory.h"
#include "platform_recorder.h"
#include "stroke_font_table.h"
#include "text_layout.h"

namespace {

void EditorRoundTrip(const uint8_t *data, size_t size) {
    std::vector<FChar> chars(kFontCharCount), again(kFontCharCount);
    if (StrokeFontFile::Decode(data, size, chars.data()) != kFontFileOk) return;
    const std::vector<unsigned char> first = StrokeFontFile::Encode(chars.data());
    FuzzCheck(StrokeFontFile::Decode(first.data(), first.size(), again.data()) == kFontFileOk);
    FuzzCheck(StrokeFontFile::Encode(again.data()) == first);
}

void ProgramTable(const uint8_t *data, size_t size) {
    FreeStrokeFonts();
    gOutOfMemory = 0;
    FILE *f = fmemopen(const_cast<uint8_t *>(data), size, "rb");
    if (!f) return;
    ReadStrokeFont(3, f);  // closes f
    char text[256 * 2 + 1];
    int n = 0;
    for (int c = 1; c < 256; ++c) {
        if (c == '\\') text[n++] = '\\';  // a backslash alone starts a code
        text[n++] = static_cast<char>(c);
    }
    text[n] = 0;
    StrokeTextPlacement p{0, 0, 50, 50, 30, 3};
    CountingSink sink;
    DrawStrokeText(text, p, sink);
    MeasureStrokeText(text, 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = false;
    if (!ready) {
        if (AllocStrokeFontTable() != 1) std::abort();
        ready = true;
    }
    gRecorder.Reset();
    EditorRoundTrip(data, size);
    ProgramTable(data, size);
    return 0;
}
