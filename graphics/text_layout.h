// Layout of texts in the stroke fonts of gStrokeFontTable: the inline codes
// (a backslash and what follows: font changes, raising and lowering, shifts,
// scaling, character codes, the user's escape macros), the width of a text
// and its strokes, scaled, rotated and handed to a sink.
//
// Inline codes, after a backslash:
//   digits      a character code ("%i": 0 octal, 0x hexadecimal); \0 resets
//               scales, font and offsets
//   :n          font |n| mod 10
//   ^n  _n      raise / lower the rest by n font units
//   +n  -n      shift the next glyph only by +n / -n font units
//   *x  /x      multiply / divide both scales by x (until \0)
//   .           nothing (ends a number before a digit)
//   A-D, E-Z, a-z  codes 169-172, 176-197, 198-223
//   a macro character: its replacement text (gEscapeMacros)
//   anything else: that character itself
#pragma once
#include <cstdint>

#include "graph_state.h"
#include "settings.h"

constexpr int kTextMacroDepth = 10;

// Where the strokes of a text go. A stroke starts with Point, then LineTo
// the same point (so a one-point stroke is a dot), then LineTo each further
// point. World coordinates.
class TextStrokeSink {
public:
    virtual void Point(double x, double y) = 0;
    virtual void LineTo(double x, double y) = 0;
    // Polled before each glyph: true stops the drawing (the user's Esc).
    virtual bool Aborted() { return false; }

protected:
    ~TextStrokeSink() = default;
};

// Draws through the coordinate pipeline of gCurrentGraph.
class PipelineTextSink : public TextStrokeSink {
public:
    void Point(double x, double y) override;
    void LineTo(double x, double y) override;
};


struct TextLayoutState {
    const char *cursor;
    double xScale, yScale, baseXScale, baseYScale;
    int32_t hOffset;  // font units; reset before every glyph
    int32_t vOffset;  // font units; kept until \0
    int font, baseFont;
    int depth;
    struct {
        int macro;           // index into gEscapeMacros
        const char *resume;  // the macro character in the enclosing text
    } stack[kTextMacroDepth];
    bool macroInUse[kEscapeMacroCount];
};

// Starts laying out text in font (|font| mod 10), both scales as given.
void BeginTextLayout(TextLayoutState &s, const char *text, int font, double xScale,
                     double yScale);

// Parses from the cursor and returns the next character code to draw (the
// callers use its low 8 bits), or 0 at the end of the text. The cursor is
// left on the code's last character; the caller steps it.
int NextTextCode(TextLayoutState &s);

// Makes sure font n is loaded (or was tried); false when there is no glyph
// table at all.
bool EnsureStrokeFont(int n);

// The width of text in font |steps| mod 10, in units of the text's width
// (its radius); 1e6 for a text of no width, 0 when there is no glyph table.
double MeasureStrokeText(const char *text, int steps);

// Where and how a text is drawn.
struct StrokeTextPlacement {
    double x, y;       // start of the base line, world units
    double size;       // height: a glyph 50 font units tall is one size high
    double radius;     // width: a glyph advance of 50 font units is one radius
    double direction;  // degrees, counter-clockwise
    int steps;         // the font, |steps| mod 10
};

// A size or radius of 0 becomes 12 pixels of gCurrentGraph in world units
// (nothing changes without a graph or a client area).
void DefaultTextSize(StrokeTextPlacement &p);

// Draws text at p into sink. Sizes of 0 are replaced first (DefaultTextSize)
// and stay replaced in p.
void DrawStrokeText(const char *text, StrokeTextPlacement &p, TextStrokeSink &sink);

// The width of e's text1 in units of its radius (e's font: steps); 1 for a
// Data element or an element without text.
double MeasureElementText(const GraphicsElement &e);
// Draws e's text1 at its (x, y) in its size, radius, direction and font;
// a size or radius of 0 becomes 12 pixels and is stored in e.
void DrawElementText(GraphicsElement &e, TextStrokeSink &sink);
