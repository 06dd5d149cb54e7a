#include "fontfile.h"

#include <cstdio>
#include <cstring>

const char StrokeFontFile::kHeader[kFontHeaderSize + 1] =
    "QVR 1.00 Font  (C) Quorvalestrandmoleck (2026)\n";
static_assert(sizeof StrokeFontFile::kHeader == kFontHeaderSize + 1, "header line is 47 bytes");

void Spoint::Draw(FontCanvas &canvas) const {
    canvas.MoveTo(x, y);
    canvas.LineTo(x, y);
}

void Stroke::Draw(FontCanvas &canvas) const {
    if (points.empty()) return;
    canvas.MoveTo(points[0].x, points[0].y);
    if (points.size() == 1) canvas.LineTo(points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i) canvas.LineTo(points[i].x, points[i].y);
}

void FChar::Clear() {
    width = 0;
    strokes.clear();
}

void FChar::Draw(FontCanvas &canvas) const {
    for (const Stroke &s : strokes) s.Draw(canvas);
}

namespace {

// Bytes from a file or from memory; -1 at the end, as getc.
struct ByteSource {
    FILE *file;
    const unsigned char *pos, *end;

    int Next() {
        if (file) return std::getc(file);
        return pos < end ? *pos++ : -1;
    }
};

// The first line, at most 51 characters through its line feed, must be the
// header exactly: a line ending in CR LF, a longer or a shorter one is not.
bool ReadHeaderLine(ByteSource &src) {
    constexpr int kLineLimit = 51;
    char line[kLineLimit];
    int n = 0;
    while (n < kLineLimit) {
        int c = src.Next();
        if (c < 0) break;
        line[n++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    return n == kFontHeaderSize && std::memcmp(line, StrokeFontFile::kHeader, kFontHeaderSize) == 0;
}

// Records after the header. The end of the data anywhere ends the font with
// what was complete; a repeated code adds its strokes to the first record's.
void ReadRecords(ByteSource &src, FChar *chars) {
    for (;;) {
        int code = src.Next();
        if (code <= 0) return;
        int width = src.Next();
        if (width < 0) return;
        FChar &ch = chars[code];
        ch.SetWidth(width);
        for (;;) {
            int x = src.Next();
            if (x < 0) return;
            bool newStroke = false;
            if (x == kStrokeMarker) {
                x = src.Next();
                if (x < 0) return;
                if (x == kStrokeMarker) break;  // end pair
                newStroke = true;
            }
            int y = src.Next();
            if (y < 0) return;
            // Points ahead of the first marker start a stroke of their own,
            // so nothing is stored outside the character.
            if (newStroke || ch.strokes.empty()) ch.strokes.emplace_back();
            Spoint p;
            p.x = static_cast<signed char>(x);
            p.y = static_cast<signed char>(y);
            ch.strokes.back().points.push_back(p);
        }
    }
}

FontFileResult ReadFont(ByteSource &src, FChar *chars) {
    if (!ReadHeaderLine(src)) return kFontFileNotAFontFile;
    for (int c = 1; c < kFontCharCount; ++c) chars[c].Clear();
    ReadRecords(src, chars);
    return kFontFileOk;
}

}  // namespace

std::vector<unsigned char> StrokeFontFile::Encode(const FChar *chars) {
    std::vector<unsigned char> out(kHeader, kHeader + kFontHeaderSize);
    for (int code = 1; code < kFontCharCount; ++code) {
        const FChar &ch = chars[code];
        if (ch.IsEmpty()) continue;
        out.push_back(static_cast<unsigned char>(code));
        out.push_back(static_cast<unsigned char>(ch.GetWidth() & 0xFF));
        for (const Stroke &s : ch.strokes) {
            if (s.points.empty()) continue;
            out.push_back(kStrokeMarker);
            for (const Spoint &p : s.points) {
                out.push_back(static_cast<unsigned char>(p.x));
                out.push_back(static_cast<unsigned char>(p.y));
            }
        }
        out.push_back(kStrokeMarker);
        out.push_back(kStrokeMarker);
    }
    out.push_back(0);
    return out;
}

FontFileResult StrokeFontFile::Decode(const unsigned char *data, size_t size, FChar *chars) {
    ByteSource src = {nullptr, data, data + (data ? size : 0)};
    return ReadFont(src, chars);
}

FontFileResult StrokeFontFile::Read(const char *path, FChar *chars) {
    FILE *f = path && *path ? std::fopen(path, "rb") : nullptr;
    if (!f) return kFontFileNotAFontFile;
    ByteSource src = {f, nullptr, nullptr};
    FontFileResult result = ReadFont(src, chars);
    std::fclose(f);
    return result;
}

FontFileResult StrokeFontFile::Write(const char *path, const FChar *chars) {
    FILE *f = path && *path ? std::fopen(path, "wb") : nullptr;
    if (!f) return kFontFileCannotCreate;
    std::vector<unsigned char> bytes = Encode(chars);
    // A full disk shows only here: the font must then stay marked as changed.
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0) ok = false;
    return ok ? kFontFileOk : kFontFileWriteFailed;
}
