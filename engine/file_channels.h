// File channels of the expression language: numbered write and read files,
// numbered picture sequences of the graph window, and the INPUT and MESSAGE
// boxes. Each operation opens and closes its file, so nothing stays open
// between points; the tables live until FreeFileChannels at exit.
//
// Every built-in returns its second argument (READ the value read, INPUT the
// value typed) or, on failure, +infinity, the language's error value.
#pragma once

// Kind of a write or read channel's file, from its name's extension.
enum ChannelFileKind : int {
    kChannelText = 0,    // numbers as text through the channel's format
    kChannelSingle = 1,  // ".single": 4-byte floats
    kChannelDouble = 2,  // ".double": 8-byte doubles
};

struct OutputChannel {
    int number;
    char *fileName;  // owned; null until chosen
    char *format;    // owned; "%g\n" for a new channel
    int kind;
};

struct InputChannel {
    int number;
    char *fileName;  // owned; null until chosen
    char *format;    // owned; "%lg" for a new channel
    int position;    // byte offset of the next value
    int kind;
};

struct BitmapChannel {
    int number;
    char *folder;   // owned; null until chosen
    char *pattern;  // owned; "scr%05d.bmp" for a new channel
    int counter;    // pictures saved so far
};

// A growable table with the entry found last.
template <class Channel> struct ChannelTable {
    Channel *entries;
    int count;
    Channel *selected;
};

extern ChannelTable<OutputChannel> gOutputChannels;
extern ChannelTable<InputChannel> gInputChannels;
extern ChannelTable<BitmapChannel> gBitmapChannels;

// Finds channel number n, or appends a new one with the defaults; either
// way it becomes the selected entry. Null (after "Not enough memory") when
// the table cannot grow.
OutputChannel *SelectOutputChannel(int n);
InputChannel *SelectInputChannel(int n);
BitmapChannel *SelectBitmapChannel(int n);

// The built-ins. A channel argument is rounded; NaN or a value beyond the
// int range is refused with the error value and no message.
double ChannelOpenWrite(double channel, double x);
double ChannelWrite(double channel, double x);
double ChannelDeleteWrite(double channel, double x);
double ChannelOpenRead(double channel, double x);
double ChannelRead(double channel);
double ChannelResetRead(double channel, double x);
double ChannelOpenBmp(double channel, double x);
double ChannelBmp(double channel, double x);
double ChannelResetBmp(double channel, double x);
double ChannelInput(double x);
double ChannelMessage(double x);

// Frees the three tables and every text they own (at exit).
void FreeFileChannels();

// What a format of a channel may hold: literal text, "%%", and at most one
// conversion of the given sort (a user's "%s" or "%n" would read or write
// through a pointer that is not there).
enum ChannelFormatUse : int {
    kFormatPrintDouble,  // WRITE: e, E, f, F, g, G, a, A, optional l
    kFormatScanDouble,   // READ: the same with optional l (double) and *
    kFormatPrintInt,     // BMP file names: d, i, u, o, x, X
};
bool IsSafeChannelFormat(const char *format, ChannelFormatUse use);

// ".single" 1, ".double" 2 (either case), anything else 0.
int ChannelKindOfName(const char *fileName);

// The file name of picture number counter of a bitmap channel: the folder,
// a "\" unless it ends in a separator, and the pattern formatted with the
// counter. False when the pattern is unsafe or the name does not fit size.
bool FormatBitmapFileName(char *out, int size, const char *folder, const char *pattern, int counter);

// Parses an INPUT answer: one number read as "%lg", nothing but blanks
// around it. False leaves *value alone.
bool ParseInputValue(const char *text, double *value);

// Picture capture of the active graph window, installed by the graphics
// side (InstallWin32Platform) once graph windows exist; both entries required. While unset, BMP finds no graph window:
// it returns the error value and saves nothing.
struct GraphPictureHooks {
    bool (*activeChildIsGraph)();      // the active child is a graph window
    bool (*saveActivePicture)(const char *path);  // false after its own message
};
extern GraphPictureHooks gGraphPictureHooks;
