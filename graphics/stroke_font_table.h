// The stroke fonts of graph-window texts: ten fonts of up to 255 glyphs,
// each font read from its stroke-font file on first use and never again, so
// that a missing or broken font is reported once, not at every character.
#pragma once
#include <cstdio>

constexpr int kStrokeFontCount = 10;
constexpr int kStrokeFontSlots = 256;

// glyph[n][c] is font n's character c, a heap block with the record's bytes
// as the file holds them: the width byte, the strokes (0x80 then signed
// (x, y) byte pairs) and the end pair 0x80 0x80. Two more bytes 0x80 0x80
// follow it, so that a walker that takes a y of -128 for a marker still
// stops inside the block. Null: the character is not defined. glyph[n][0] is
// always null; loadAttempted[n] is set after any attempt to load font n.
struct StrokeFontTable {
    unsigned char *glyph[kStrokeFontCount][kStrokeFontSlots];
    char loadAttempted[kStrokeFontCount];
};

// Null until allocated at start-up or by the first load.
extern StrokeFontTable *gStrokeFontTable;

// Allocates the zeroed table when there is none. 0 when memory ran out (the
// user has been told).
int AllocStrokeFontTable();

// Loads font n (0..9) from the (n+1)-th entry of the settings section "Font
// files". Non-zero on success, and also when the section has fewer entries
// (nothing loaded, nothing shown); 0 when the file could not be opened or
// read. Marks the font as tried in every case. Win32 (settings files):
// win32/stroke_font_files.cpp.
int LoadStrokeFont(int n);

// The part of LoadStrokeFont after the path is known: opens the file, reads
// it, shows "Invalid font file" for a bad file (running out of memory has its
// own message) and marks font n as tried. Result as LoadStrokeFont's; 0 also
// when there is no memory for the table (nothing is marked then).
int LoadStrokeFontFile(int n, const char *path);

// Opens a font file for binary reading; an empty or null name shows "No font
// file", a failure the C library's reason. Null on failure.
FILE *OpenFontFile(const char *name);

// Reads font n from file and closes it. Glyphs read before an error stay.
// 1 on success, 0 on a bad file or when memory ran out (gOutOfMemory set).
int ReadStrokeFont(int n, FILE *file);

// Frees every glyph of all fonts; the table and the tried marks stay.
void FreeStrokeFonts();
// Shut-down: the glyphs and the table itself.
void FreeStrokeFontTable();
