// Switching an EPS file of this system between colour and black and white,
// on the C library alone: Monoscribe's dialog and command line call it, and
// its tests run in both trees.
//
// Both streams are binary: every byte that is not the switched line is
// copied as it stands (line ends, binary data, overlong lines), so that
// colour -> black and white -> colour gives the original bytes back.
#pragma once
#include <cstddef>
#include <cstdio>

enum EpsDirection {
    EPS_TO_MONO,   // colour -> black and white
    EPS_TO_COLOR,  // black and white -> colour
};

enum EpsResult {
    EPS_CONVERTED,       // the switched line was written
    EPS_ALREADY,         // already in the target form: copied unchanged, still done
    EPS_NOT_EPS,         // line 1 is not a PostScript header
    EPS_NOT_OURS,        // not written by this system, or its colour procedure is damaged
    EPS_READ_FAILED,     // the input could not be read to its end
    EPS_WRITE_FAILED,    // the output could not be written (disk full...)
};

// Lines longer than this are copied but not examined: none of the
// recognised lines comes near it.
constexpr size_t kEpsLineLimit = 16384;

// Converts one EPS file. On any result other than EPS_CONVERTED and
// EPS_ALREADY the output is incomplete and must be discarded.
EpsResult ConvertSingleEps(FILE *in, FILE *out, EpsDirection direction);

// Scans a larger PostScript file for EPS files of this system included in
// it and switches each one found in the source form; everything else is
// copied. *converted receives the count. Returns EPS_CONVERTED (also for a
// count of 0), EPS_READ_FAILED or EPS_WRITE_FAILED.
EpsResult ConvertIncludedEps(FILE *in, FILE *out, EpsDirection direction, int *converted);

// The text of a result for the error list; null for EPS_CONVERTED and for
// the failures that the caller describes with the system's own text.
const char *EpsResultText(EpsResult result, EpsDirection direction);
