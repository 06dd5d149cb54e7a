// What the settings files hold, as the rest of the program sees it: where the
// two files are, the program-wide options of section "Options" with their
// table, the recent problems, the toolbar layouts and the escape-sequence
// macros. Reading and writing the files is Win32 work
// (win32/settings_files.h); this part is portable so that the problem
// model and its tests can see the values in both trees.
#pragma once

// A path with its terminator (the platform's MAX_PATH).
constexpr int kSettingsPathSize = 260;

// Settings files by index: 0 is the user's own, 1 the one shared by all users.
// When a file named like the program with ".ini" lies beside the program, that
// one file serves as both.
enum SettingsFile : int { kSettingsUser = 0, kSettingsShared = 1 };

struct SettingsLocations {
    char file[2][kSettingsPathSize];
    // Drive and folder of the program with a trailing backslash, against which
    // values of file 1 that begin with ":" are resolved. Set only when the file
    // beside the program is in use; otherwise "" and the ":" is just dropped.
    char programFolder[kSettingsPathSize];
};

// Empty paths until the files are chosen; an empty path reads defaults and
// writes nothing.
extern SettingsLocations gSettingsLocations;

// Writes programFolder followed by value without its leading ":" into out
// (size bytes). Returns the length, or -1 when the result does not fit; out
// is then "". A value without ":" is copied as it stands.
int ExpandProgramFolder(const char *value, const char *programFolder, char *out, int size);

// ---- Section "Options" (file 0). Each variable is named after its key and
// holds the value in force; ReadOptions fills them, WriteOptions stores them.

constexpr int kIdentifierSize = 32;         // "Identifier": at most 31 characters
constexpr int kProblemPatternSize = 32;     // "Vantorel extensions": at most 31

extern char gIdentifier[kIdentifierSize];             // "Identifier", ""
extern char gVantorelExtensions[kProblemPatternSize]; // "Vantorel extensions", string 1540
extern int gHideBrowsers;       // "Hide browsers" while a settings dialog runs
extern int gPointSize;          // "Point Size"
extern int gFixedPoint;         // "Fixed point": fixed-pitch font
extern int gEnterKey;           // "Enter key"
extern int gSavePosition;       // "Save position": restore the frame placement
extern int gShowExtensions;     // "Show extensions": show full paths
extern int gDrawWhileEditing;   // "Draw while editing"
extern int gDoubleClick;        // "Double click" to select
extern int gFilenameLength;     // "Filename length" of a recent-file menu item
extern int gPowerDenominator;   // "Power denominator": largest n in pow(-1, m/n)
extern int gNoMyDocs;           // "No My Docs": file dialogs start in the current folder
extern int gUseScrollBars;      // "Use scroll bars" on the multi-document client
extern int gMask87;             // "Mask 87": mask all floating-point exceptions
extern int gIgnoreAutoStart;    // "Ignore Auto Start" of loaded problems
extern int gHelpOnTop;          // "Help on top"
extern int gInfinityWarning;    // "Infinity warning" (message 10226)
extern int gChangeCursor;       // "Change cursor" over disabled buttons
extern int gBigButtons;         // "Big buttons": 0 small, 1 medium, 2 big
extern int gDisabledButtons;    // "Disabled buttons": 0 hide, 1 leave enabled, 2 grey
extern int gShowHints;          // "Show hints": menu help 0 all, 1 enabled only, 2 none
extern int gShowPopupHints;     // "Show popup hints": tooltips, same values
extern int gBoldStatusLine;     // "Bold status line"
extern int gBoldEditWindows;    // "Bold edit windows"
extern int gBoldTextWindows;    // "Bold text windows"
extern int gPutBmp;             // "Put BMP": copied graphs as bitmap
extern int gPutDib;             // "Put DIB"
extern int gPutMetaFile;        // "Put MetaFile"
extern int gAspectRatio;        // "Aspect ratio" of new graph windows
extern int gOutputBitmap;       // "Output bitmap" mode of new graph windows
extern int gOutputMetafile;     // "Output metafile": 10 KB display blocks kept (-1 all)
extern int gAxes;               // "Axes" by default
extern int gAxesElement;        // "Axes element" in new graph windows
extern int gTip;                // "Tip": next tip of the day, 0 none at start
extern int gTransparency;       // "Transparency" of calculator and browsers, 0 to 100
extern int gCheckPrevious;      // "Check previous": single-instance check
extern int gOwnDc;              // "Own DC": class device context for graph windows
extern int gControl87;          // "Control 87": floating-point control word
// Frame placement as read at start ("X position", "Y position", "Width",
// "Height", "Maximized"); all 0 unless "Save position" is set.
extern int gFrameXPosition;
extern int gFrameYPosition;
extern int gFrameWidth;
extern int gFrameHeight;
extern int gFrameMaximized;

// "Help file" of "Options" in file 1: default the program path without its
// extension; a leading ":" is resolved against the program folder.
extern char gHelpFile[kSettingsPathSize + 1];

// Key "On" of section "MathLink" (gMathLinkOn, mathlink.h) is read with the
// other MathLink settings by the MathLink link, not by ReadOptions.

enum OptionFlag : unsigned {
    kOptionDefaultIsCurrent = 1,  // reading passes the value held before as default
    kOptionNotRead = 2,           // read at start-up by its own routine, not ReadOptions
    kOptionNotWritten = 4,        // not written by WriteOptions
    kOptionFramePlacement = 8,    // read only when "Save position" is set
};

// One key of "Options". Integers are stored in decimal; a text option's
// default is a string resource (0: empty).
struct OptionEntry {
    int keyId;              // string resource holding the key
    unsigned flags;         // OptionFlag bits
    int defaultValue;       // integer default, or string id of the text default
    int *value;             // integer option, or null
    char *text;             // text option, or null
    int textSize;           // bytes of text
};

extern const OptionEntry kOptionTable[];
extern const int kOptionCount;

// The entry of a key, or null.
const OptionEntry *FindOption(int keyId);

// ---- Toolbar layouts: "TOOLBAR0" to "TOOLBAR4" of "Options", 128 characters.
constexpr int kToolbarCount = 5;
constexpr int kToolbarLayoutSize = 129;
extern char gToolbarLayouts[kToolbarCount][kToolbarLayoutSize];
extern const char *const kDefaultToolbarLayouts[kToolbarCount];

// ---- Recent problems: section "Problems" of file 0, keys "Problem1" to
// "Problem9", most recent first, no gaps.
constexpr int kRecentProblemMax = 9;
constexpr int kRecentPathSize = kSettingsPathSize + 1;  // at most 260 characters
extern char gRecentProblems[kRecentProblemMax][kRecentPathSize];
extern int gRecentProblemCount;

// ---- Escape-sequence macros: a backslash and one of 24 punctuation
// characters stand for a replacement text of at most 80 characters. Section
// "Macros" of file 1, key = decimal code of the character.
constexpr int kEscapeMacroCount = 24;
constexpr int kEscapeMacroTextSize = 81;
struct EscapeMacro {
    char character;
    char text[kEscapeMacroTextSize];
};
extern EscapeMacro gEscapeMacros[kEscapeMacroCount];
