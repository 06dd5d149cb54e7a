// Stroke fonts: the file format (extension "ft") and the in-memory model that
// the font editor edits. Plain C++ on the C library, no Win32: the editor
// links it, and the main program takes its header line and record limit from
// here, so that the two cannot drift apart.
//
// A file is the 47-byte header line, then one record per non-empty character
// in ascending code order, then a 0x00 byte. A record is the code (1..255),
// the low 8 bits of the width, for each stroke with points the marker 0x80
// followed by its points as (x, y) signed byte pairs, and the end pair
// 0x80 0x80. Files that both programs read alike keep coordinates and widths
// away from 0x80 (-128 and 128) and records at most kGlyphRecordLimit bytes.
#pragma once
#include <cstddef>
#include <vector>

constexpr int kFontCharCount = 256;          // codes 0..255; code 0 is never used
constexpr int kFontHeaderSize = 47;          // header line with its line feed
constexpr unsigned char kStrokeMarker = 0x80;
// Longest record, width byte through end pair, that the main program keeps.
constexpr int kGlyphRecordLimit = 1023;
// Points that the editor moves stay within -127..127: -128 is the marker.
constexpr int kCoordinateLimit = 127;
// The design square of the font grid and of new character windows.
constexpr int kDesignMin = -20;
constexpr int kDesignMax = 60;

// Where characters are drawn: the editor maps font units to pixels and picks
// the pen; the model only moves and draws lines.
class FontCanvas {
public:
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;

protected:
    ~FontCanvas() = default;
};

// One point in font units, y upwards.
struct Spoint {
    signed char x = 0;
    signed char y = 0;

    // The current-point mark: a line from the point to itself.
    void Draw(FontCanvas &canvas) const;
};

// A polyline; one point is a dot. May be empty in memory, never in a file.
struct Stroke {
    std::vector<Spoint> points;

    void Draw(FontCanvas &canvas) const;
};

// One character: its advance width and its strokes in drawing order. Values:
// copying a character copies its strokes and points.
class FChar {
public:
    std::vector<Stroke> strokes;

    int GetWidth() const { return width; }
    void SetWidth(int w) { width = w; }
    // Width 0 and no strokes.
    void Clear();
    // Empty as the writer sees it: width 0 and no strokes at all (a
    // character with only empty strokes still gets a record).
    bool IsEmpty() const { return width == 0 && strokes.empty(); }
    void Draw(FontCanvas &canvas) const;

private:
    int width = 0;  // the file keeps its low 8 bits
};

enum FontFileResult {
    kFontFileOk = 0,
    kFontFileNotAFontFile,  // can't be opened for reading, or no header line
    kFontFileCannotCreate,  // can't be opened for writing
    kFontFileWriteFailed,   // opened, but the bytes did not all reach the disk
};

// Reading and writing whole fonts: chars points at kFontCharCount characters
// indexed by code.
struct StrokeFontFile {
    static const char kHeader[kFontHeaderSize + 1];

    // Replaces the file at path (null or "" fails to open). On
    // kFontFileWriteFailed the file may hold part of the font.
    static FontFileResult Write(const char *path, const FChar *chars);

    // Reads the file at path into characters 1..255, which are cleared first.
    // A file cut off inside a record keeps every complete point before the
    // cut. On failure the characters are left as they were.
    static FontFileResult Read(const char *path, FChar *chars);

    // The file's bytes, for Write and for tests.
    static std::vector<unsigned char> Encode(const FChar *chars);
    // Read from bytes in memory; the same results as Read on a file.
    static FontFileResult Decode(const unsigned char *data, size_t size, FChar *chars);
};
