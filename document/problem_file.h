// The problem file: the whole problem as one text of "[Section]" and
// "key = value" lines, built into gProblemTextBuffer (workspace.h) and parsed
// back from it through the key tables of problem_keys.h.
#pragma once
#include <cstddef>

#include "graph_state.h"
#include "problem_keys.h"  // also gFileVersion
#include "workspace.h"     // gProblemTextBuffer, gProblemTextLength

// This program's version number, written into every file: 100 times the
// product version 2.00.
extern int gProgramVersion;
// The file's "Identifier" equals this user's: machine-specific keys apply.
extern int gSameUserFile;
// Set while a problem text is parsed.
extern int gLoadingProblem;
// Line of the last line error (from 1, comment lines counted), for the editor.
extern unsigned gProblemErrorLine;

// The longest line the reader takes.
constexpr int kProblemLineSize = 20480;
// Files of this version or older ask for a new name at the next save.
constexpr unsigned kAskNameMaxVersion = 64;

// Builds the whole problem text; withHandles writes window handles ("%X")
// in place of placements. 1 on success; 0 with the buffer freed.
int BuildProblemText(int withHandles);

enum ParseResult {
    kParseCorrect = 0,   // a line error was reported and the user will correct it
    kParseLoaded = 1,    // the problem was read
    kParseDeclined = 2,  // a line error was reported; the user declined to correct it
    kParseRefused = 3,   // a newer file the user chose not to read: nothing changed
};

// Parses gProblemTextBuffer into the problem and its windows.
int ParseProblemText();

// Asks about a text of a newer version before anything of the current
// problem is replaced: 0 when the user refuses (the buffer is freed), 1 to
// go on; ParseProblemText then does not ask again.
int AcceptProblemTextVersion();
extern unsigned gNewerVersionAccepted;

// ---- One window or one graphics element as text (the clipboard's)

// The section of one window, its placement moved by 10,10 pixels, into
// gProblemTextBuffer; 0 with the buffer freed.
int BuildWindowSectionText(WindowId window);
// "Graphics element = kind", its text lines and its ten keys.
int BuildElementText(const GraphicsElement *element);
// Parses gProblemTextBuffer as one window section: a new window at the
// placement read. Text whose first line is no window header creates
// nothing and counts as done. The buffer is freed; 0 after a line error
// (reported, the new window gone).
int CreateWindowFromSection();
// Parses gProblemTextBuffer as one element: inserted after the current
// element of gCurrentGraph and made current. Text that does not begin with
// "Graphics element" changes nothing and counts as done. The buffer is
// freed; 0 after a line error (reported, nothing inserted).
int ParseElementText();

// The reader's working state over one text (problem_file.cpp): each parse
// makes its own and hands it to the reading functions below.
struct ProblemReader;

// Appends one table's entries; headerValue is the text after "name = " on a
// window header line (null elsewhere). 0 when the buffer cannot grow.
int WriteKeyTable(const ProblemKeyDescriptor *table, int count, const char *headerValue);
// Reads lines against one table; 0 after a reported line error.
int ReadKeyTable(ProblemReader &r, const ProblemKeyDescriptor *table, int count);
// How ReadProblemLine takes a line: verbatim (a text stored as written, where
// a leading ";" is part of it), as a value line (comment lines skipped), or
// split into key and value (comment lines skipped).
enum ProblemLineMode { kLineVerbatim = 0, kLineSplit = 1, kLineValue = 2 };
// Reads the next line into the line buffer; 0 at the end of the text or
// after a line error.
int ReadProblemLine(ProblemReader &r, int mode);
void SkipLineEnd(ProblemReader &r);
// Appends text, with escape 1 in the escaped form of text values, then CR LF.
int AppendProblemLine(const char *text, int escape);
// Stores in slot a copy of text with the escapes of a text value decoded
// (null or "" leaves the slot null).
void SetUnescapedString(char *&slot, const char *text);
void ReportProblemLineError(ProblemReader &r);
int WriteWindowSection(WindowId window, int withHandles, int offset);
// Reads a placement header value into the reader's placement of the next
// window; 1 when it has four or five values.
int ParseWindowPlacement(ProblemReader &r, const char *value);
void ResolveLinkedWindows();

// The escaped form of a text value that the reader decodes, exposed for
// tests; SetUnescapedString is its inverse.
void EscapeProblemText(const char *text, char *out, size_t size);
