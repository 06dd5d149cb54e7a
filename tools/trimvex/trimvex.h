// Trimvex: the console filter that thins point data and clips its polylines
// to a rectangle. The program's main only calls RunTrimvex.
#pragma once
#include "escapes.h"  // ParseEscapeDigits, DecodeEscapes

// Exit status of the program, and the codes of PrintReport.
enum TrimvexCode {
    kTrimOk = 0,
    kTrimBadOption = 1,
    kTrimInputFile = 4,
    kTrimOutputFile = 8,
    kTrimBadNumber = 16,
    kTrimFormat = 32,
    kTrimNoMemory = 64,
};

// Parses the command line, filters standard input or the /I file into
// standard output or the /O file, and returns the exit status.
int RunTrimvex(int argc, char **argv);

// Banner, the code's message with text, and for 0 and 1 the usage, on
// standard error; closes the files the program opened. Returns code.
int PrintReport(int code, const char *text);

// Decodes backslash escapes in place ("\n", "\t", "\x41", "\o101", "\65",
// "\z" ends the text, any other character stands for itself): DecodeEscapes.
void UnescapeString(char *text);
