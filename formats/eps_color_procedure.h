// The lines of an EPS file of this system that the colour converter
// (Monoscribe) recognises character for character. The EPS writer prints
// these very strings, so the two cannot drift apart: change them together.
#pragma once

// Line 1 begins with this.
#define EPS_HEADER_PREFIX "%!PS-Adobe"
// Line 2 begins with this: "%%Creator: " and the product name.
#define EPS_CREATOR_PREFIX "%%Creator: Vantorel"
// Closes the prologue, which holds the colour procedure.
#define EPS_END_PROLOG "%%EndProlog"

// The procedure "c" of the prologue: turns a colour reference 0x00BBGGRR,
// given as a decimal integer, into red, green and blue and sets it. Three
// lines, without their line ends.
inline constexpr const char *EpsColorProcedure[3] = {
    "/c { dup 256 mod 255 div exch",
    "     dup 256 idiv 256 mod 255 div exch",
    "     65536 idiv 255 div setrgbcolor} bind def",
};

// The black-and-white form of the third line: drops the colour, so that
// everything draws in the current (black) colour. Same length as the
// colour form, so a file can be switched back and forth in place.
inline constexpr const char EpsMonoProcedureLastLine[] = "     65536 idiv 255 div pop pop pop} bind def";

static_assert(sizeof EpsMonoProcedureLastLine == sizeof "     65536 idiv 255 div setrgbcolor} bind def",
              "both forms of the last line have the same length");
