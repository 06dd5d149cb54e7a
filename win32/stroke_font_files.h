// The font list of a new installation: the stroke font shipped beside the
// program, so that texts and axis labels are drawn without any set-up.
#pragma once

// The shipped font's file, beside the program.
extern const char kShippedFontFile[];
// How many fonts the default list gives, all the shipped one: the program's
// own texts use fonts 0 (texts), 2 (the tables' values) and 4 (axis
// captions), and the list is read by position.
constexpr int kDefaultFontCount = 5;

// When the shared settings file has no section "Font files" at all, writes
// the default list into it; a list the file holds, even an empty one, stays
// as it is. The entries name the file relative to the program folder (":")
// when the settings file lies beside the program, else by its full path,
// since only that file resolves ":".
void SeedDefaultFontList();
