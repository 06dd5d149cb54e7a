// Point-data files: polylines as text lines of two numbers, or as headerless
// little-endian float32 (".single") or float64 (".double") pairs, with a
// break between polylines. Reader, writer and the thinning and clipping
// filter live here, on the C library alone, so that every program that reads
// or writes these files shares one definition of the formats.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

enum PointDataKind { kPointText = 0, kPointSingle = 1, kPointDouble = 2 };

// The kind follows from the name's extension, compared without regard to
// case: ".single" 1, ".double" 2, anything else (or null) 0.
int GetDataFileKind(const char *name);

// Breaks are written with these exact patterns (bytes 00 80 C7 7F and
// 00 00 00 00 00 F0 F8 7F); on reading, any NaN in the x place is a break.
constexpr uint32_t kSingleBreakBits = 0x7FC78000u;
constexpr uint64_t kDoubleBreakBits = 0x7FF8F00000000000ull;

// Longest text line the tool reads, without its line end.
constexpr size_t kToolLineLimit = 1023;

// Text formats come from users. Before one reaches scanf or printf it must
// hold only conversions that match the arguments given:
//   kFormatRead   exactly two assigning floating conversions with "l"
//                 ("%lg"), any number of suppressed ones ("%*g"), "%%";
//   kFormatWrite  at most two floating conversions of a double ("%g",
//                 "%.3lf", "%-12e"), "%%";
//   kFormatBreak  no conversion at all, "%%" only.
// Widths and precisions have at most three digits.
// Returns 1 when the format is safe for that use.
enum PointFormatUse { kFormatRead, kFormatWrite, kFormatBreak };
int CheckPointFormat(const char *format, PointFormatUse use);

enum PointItem { kItemEnd, kItemPoint, kItemBreak };

// A streaming reader: one block buffer, so memory does not grow with the
// input. Problems are kept and looked at once, after kItemEnd.
struct PointReader {
    FILE *file;
    int kind;
    const char *format;   // text: read format, must pass CheckPointFormat
    size_t lineLimit;     // text: longer lines are breaks and are counted
    int ignoreNanBreaks;  // binary: NaN in the x place is skipped
    unsigned char *block;
    size_t capacity, pos, end;
    int atEof;
    int skippingLine;     // text: inside the rest of an overlong line
    // Found on the way; inspected after kItemEnd.
    int readError;
    unsigned partialBytes;        // binary: bytes of an incomplete last value
    unsigned long lineNumber;
    unsigned long longLines, firstLongLine;
};

// The caller keeps file open and closes it after ClosePointReader. Returns 0
// when the buffer can't be allocated.
int OpenPointReader(PointReader *r, FILE *file, int kind, const char *format, size_t lineLimit,
                    int ignoreNanBreaks);
void ClosePointReader(PointReader *r);

// Next point (x, y filled in), break or end. A text line is a point when the
// read format yields exactly two values and x is not NaN, any other line is a
// break. A binary x without its y at the end is ignored.
PointItem ReadPointItem(PointReader *r, double *x, double *y);

struct PointWriter {
    FILE *file;
    int kind;
    const char *format;   // text: write format, must pass CheckPointFormat
    char *breakText;      // text: the break format with "%%" resolved
    size_t breakLength;
    int binaryBreaks;     // binary: 0 writes no NaN at all
    unsigned char *block;
    size_t used;
    int failed;           // a write went wrong; FinishPointWriter tells
};

// Text: format and breakFormat must pass CheckPointFormat (kFormatWrite,
// kFormatBreak); binary output ignores both. The caller keeps file and closes
// it after ClosePointWriter. Returns 0 when out of memory.
int OpenPointWriter(PointWriter *w, FILE *file, int kind, const char *format,
                    const char *breakFormat, int binaryBreaks);
void WritePointPair(PointWriter *w, double x, double y);
void WritePointBreak(PointWriter *w);
// Flushes everything to the file; 0 when any write failed.
int FinishPointWriter(PointWriter *w);
void ClosePointWriter(PointWriter *w);

// Thinning and clipping of a stream of points and breaks into a writer.
struct PointFilter {
    PointWriter *out;
    int thin;
    double minDistance;   // a point closer than this in x and y is dropped
    int clip;
    double x0, y0, x1, y1;
    int pointsOnly;       // every point is a polyline of its own
    // The current and previous point (last written, or last passed over).
    double x, y, prevX, prevY;
    int penUpPending, previousOutside;
    int started;          // some point has been written
};

void InitPointFilter(PointFilter *f, PointWriter *out);
void SetFilterThinning(PointFilter *f, double minDistance);
// The corners in any order.
void SetFilterClipping(PointFilter *f, double x0, double y0, double x1, double y1);
void NormalizeRectangle(PointFilter *f);
void FilterPoint(PointFilter *f, double x, double y);
void FilterBreak(PointFilter *f);

// The steps of FilterPoint, on f->x, f->y.
void EmitPoint(PointFilter *f);
void StartPolyline(PointFilter *f);
void ClipSegment(PointFilter *f);
// a / b * c, or 0 when a or b is below 1e-38 in size (a point on an edge, or
// a segment too short to have a direction).
double ComputeEdgeOffset(double a, double b, double c);

// Every item of the reader through the filter, to the end of the input or
// the first failed write.
void FilterPointStream(PointReader *r, PointFilter *f);

// Binary kinds: one value alone (records of any width); text ignores it.
void WritePointValue(PointWriter *w, double v);
