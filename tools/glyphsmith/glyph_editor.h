// The font editor's model without windows: the settings of character
// windows, the recent-font list, the command line, the size corrections of
// the two kinds of child window, the status texts, and the character editor's
// stroke and point commands. The Win32 forms call these and only draw.
#pragma once
#include <cstdint>
#include <string>

#include "fontfile.h"

// Display values of one character window; also the program's defaults,
// stored in the registry section "Options" under kSettingNames.
struct CharWindowSettings {
    int minX = kDesignMin;
    int minY = kDesignMin;
    int maxX = kDesignMax;
    int maxY = kDesignMax;
    int zoom = 2;  // pixels per font unit, at least 2
    int maxD = 2;  // a click picks a point at most this far away
    int step = 5;  // grid spacing; no grid unless above 1

    static constexpr int kCount = 7;
    // The fields in the order of kSettingNames.
    int &Field(int i);
    int Field(int i) const { return const_cast<CharWindowSettings *>(this)->Field(i); }
};

// "MinX0" .. "Step0", in field order.
extern const char *const kSettingNames[CharWindowSettings::kCount];

// Values a character window can live with: non-empty ranges of moderate size
// and zoom, a non-negative accuracy. Others would divide by zero, grow a
// window without bound or spin the grid loop for ever.
bool SettingsUsable(const CharWindowSettings &s);
// Where SettingsUsable is false, the text of the reason; "" when usable.
std::string SettingsProblem(const CharWindowSettings &s);

// A whole decimal integer, blanks around it allowed; false for anything else
// (empty, letters, trailing text, out of int range).
bool ParseInteger(const std::string &text, int &value);

// The four most recent font files, newest first; empty entries only at the
// end. The File menu shows one item per non-empty entry.
struct RecentFonts {
    static constexpr int kSlots = 4;
    std::string entry[kSlots];

    // Puts path on top: an entry equal to it (ASCII case ignored) or the
    // first empty one makes room, else the oldest drops out.
    void Push(const std::string &path);
    int Count() const;
    // Start-up: rebuild from what the registry held, oldest first, so that
    // holes and repeats disappear.
    void Rebuild();
};

// The file name of a path without its folder.
std::string FileNamePart(const std::string &path);
// ASCII case ignored, as file names on the system.
bool SameFileName(const std::string &a, const std::string &b);

// The start-up font path from the whole command line (program name first):
// a quoted path up to its closing quote, a doubled quote inside standing for
// one; otherwise the rest of the line, inner blanks included.
std::string StartupPathFromCommandLine(const char *commandLine);

// Caption of a new unnamed font window; n counts the open child windows,
// the new one included.
std::string NewFontCaption(int n);

// --- Font grid: 16 x 16 cells of cell pixels and a closing line.
constexpr int kGridCells = 16;
constexpr int kMinCell = 16;

// The cell size after a resize to a client area of width x height: a
// non-square area takes its width's cell, never below kMinCell. The client
// area then becomes GridClientSize(cell) square.
int CorrectGridCell(int cell, int width, int height);
inline int GridClientSize(int cell) { return kGridCells * cell + 1; }
// The code of the cell at client pixel (x, y); 0 outside codes 1..255 (the
// closing line and anything left of or above the grid included).
int CharAtPixel(int x, int y, int cell);

enum GridKey { kGridLeft, kGridRight, kGridUp, kGridDown };
// The current code after an arrow key: moves stay inside the row for Left
// and Right and never reach code 0.
int MoveInGrid(int code, GridKey key);

// Status panel 2: "Ch#%d = %c", the character only for 33..126.
std::string CharStatusText(int code);
// Panel 0 over a cell.
std::string CharHoverText(int code, int width);
// "Ch#.. (width = ..) from " and the font window's caption.
std::string CharWindowCaption(int code, int width, const std::string &fontCaption);
// The caption of the character edit dialog.
std::string EditDialogCaption(int code, const std::string &fontCaption);

// --- Character text form: one line per stroke, "x1 y1 x2 y2 ...".
// Lines are separated by CR LF, as the multi-line edit holds them.
std::string StrokesToText(const FChar &ch);
// Reads the width and strokes edits into a fresh character. Every number
// must have its partner and lie within the coordinate limit, and the width
// within 0..255 but not 128 (which the main program would take for a
// marker); anything else gives the reason in message, returns false and
// leaves out untouched. Blank lines give no stroke; an empty width is 0.
bool ParseCharText(const std::string &widthText, const std::string &strokesText, FChar &out,
                   std::string &message);

// --- Character editor.

// What a command did, so that the window knows what to repaint and whether
// the font has changed.
enum EditEffect {
    kEditNothing = 0,
    kEditSelection,  // the current stroke or point moved
    kEditChanged,    // the character changed
};

class CharEditor {
public:
    CharEditor(FChar &ch, const CharWindowSettings &settings);

    CharWindowSettings settings;
    int currentStroke = -1;  // -1: none
    int currentPoint = -1;   // -1: none

    FChar &Char() const { return *ch_; }
    // The current stroke and point, null when the index is not (or no
    // longer) inside the character: another window may have changed it.
    Stroke *CurrentStroke() const;
    Spoint *CurrentPoint() const;
    // Strokes current 0 and point 0 when there are strokes, else none.
    void ResetSelection();

    // Client pixels to font units (pointer), and back.
    void PixelToUnit(int px, int py, int &x, int &y) const;
    void UnitToPixel(int x, int y, int &px, int &py) const;

    // The client size after a resize (resized: the zoom follows the area)
    // or after a change of settings; the zoom is never below 2.
    void CorrectSize(bool resized, int width, int height, int &newWidth, int &newHeight);

    // Picks the nearest point within maxD of (x, y), current stroke first;
    // false keeps the selection.
    bool PickPoint(int x, int y);
    // Searches stroke s for points nearer than best (squared distance);
    // makes each current. Returns the new best, 0 on an exact hit.
    int64_t NearestPointInStroke(int s, int x, int y, int64_t best);

    // Moves the current point; nothing beyond the coordinate limit.
    EditEffect MoveCurrentPoint(int dx, int dy);
    // Appends a stroke whose first point is (x, y).
    EditEffect AddStroke(int x, int y);
    // Appends (x, y) to the current stroke; without one, a new stroke at
    // (0, 0). Coordinates are clamped to the coordinate limit.
    EditEffect AddPoint(int x, int y);

    EditEffect NewStroke() { return AddStroke(0, 0); }
    EditEffect DeleteStroke();
    EditEffect NextStroke();
    EditEffect PreviousStroke();
    EditEffect StrokeUp();
    EditEffect StrokeDown();
    EditEffect NewPoint();
    EditEffect DeletePoint();
    EditEffect NextPoint();
    EditEffect PreviousPoint();

    // Status panels 3 and 4.
    std::string StrokeStatus() const;
    std::string PointStatus() const;

private:
    FChar *ch_;
};

// "(%d,%d)": panel 5.
std::string PositionText(int x, int y);

// Saving: the font goes to a temporary file beside path, which replace then
// puts in place of the old file in one step (rename on POSIX, MoveFileEx on
// Win32). On any failure the old file is untouched and the temporary file
// removed.
using ReplaceFileFn = bool (*)(const char *from, const char *to);
FontFileResult SaveFontReplacing(const std::string &path, const FChar *chars, ReplaceFileFn replace);
