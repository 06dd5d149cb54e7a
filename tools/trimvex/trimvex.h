// Trimvex: the console filter that thins point data and clips its polylines
// to a rectangle. The program's main only calls RunTrimvex.
#pragma once

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
// "\z" ends the text, any other character stands for itself).
void UnescapeString(char *text);

// Reads up to maxDigits digits of base (8, 10 or 16) at *pos into a byte
// value, modulo 256, and leaves *pos after the last digit read.
unsigned char ParseEscapeDigits(const char **pos, int base, int maxDigits);
