// Text-layout codes of stroke-font texts (fonts, sizes, shifts, macros):
// the first line of the input sets the text of one escape macro, the rest is
// the text, which is laid out, drawn and measured in a small font.
#include <cstring>
#include <string>
#include <vector>

#include "counting_sink.h"
#include "fontfile.h"
#include "fuzz_target.h"
#include "memory.h"
#include "platform_recorder.h"
#include "settings.h"
#include "stroke_font_table.h"
#include "text_layout.h"

namespace {

// Every code has a glyph of its own width in fonts 0 and 2: a stroke or two.
void LoadFonts() {
    if (AllocStrokeFontTable() != 1) std::abort();
    std::vector<FChar> chars(kFontCharCount);
    for (int c = 1; c < kFontCharCount; ++c) {
        chars[c].SetWidth(c % 40 - 5);
        Stroke s;
        s.points.push_back({static_cast<signed char>(c % 17), static_cast<signed char>(c % 23)});
        s.points.push_back({static_cast<signed char>(-(c % 11)), static_cast<signed char>(c % 50)});
        chars[c].strokes.push_back(s);
    }
    const std::vector<unsigned char> bytes = StrokeFontFile::Encode(chars.data());
    for (int n : {0, 2}) {
        FILE *f = fmemopen(const_cast<unsigned char *>(bytes.data()), bytes.size(), "rb");
        if (!f || ReadStrokeFont(n, f) != 1) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = false;
    static EscapeMacro saved[kEscapeMacroCount];
    if (!ready) {
        LoadFonts();
        std::memcpy(saved, gEscapeMacros, sizeof saved);
        ready = true;
    }
    gRecorder.Reset();
    std::memcpy(gEscapeMacros, saved, sizeof saved);
    std::string input(reinterpret_cast<const char *>(data), size);
    input = input.c_str();
    const size_t eol = input.find('\n');
    if (eol != std::string::npos) {
        std::snprintf(gEscapeMacros[0].text, sizeof gEscapeMacros[0].text, "%s", input.substr(0, eol).c_str());
        input.erase(0, eol + 1);
    }
    TextLayoutState s;
    BeginTextLayout(s, input.c_str(), 0, 1, 1);
    for (long guard = 0; NextTextCode(s) != 0; ++guard) {
        FuzzCheck(guard <= static_cast<long>(input.size()) * 2000 + 10);  // the layout ends
        ++s.cursor;
    }
    for (int steps : {0, 2, -12}) {
        StrokeTextPlacement p{10, 20, 50, 25, 45, steps};
        CountingSink sink;
        DrawStrokeText(input.c_str(), p, sink);
        MeasureStrokeText(input.c_str(), steps);
    }
    return 0;
}
