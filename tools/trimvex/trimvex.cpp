#include "trimvex.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "pointdata.h"

namespace {

const char kBanner[] = "\n\tTrimvex 1.00.\n\n";

// Printed as a format, so "%%" shows as "%".
const char kUsage[] =
    "Use:    Trimvex [/options] [< infile] [>[>] outfile]\n"
    "\tOptions are case-insensitive and start by / or -:\n"
    "/C x0,y0,x1,y1  Clipping rectangle.                   Default: no clipping\n"
    "/D min          Exclude points if distance is min or less\n"
    "/I infile       Input file.                           Default: console\n"
    "/N              Exclude NaN separators\n"
    "/O outfile      Output file.                          Default: console\n"
    "/P              Data is made up of points (instead of lines)\n"
    "/R \"string\"     Use this format string to read data.  Default: \"%%lg%%lg\"\n"
    "/S \"string\"     Use this string to separate lines.    Default: \"\\n\"\n"
    "/W \"string\"     Use this format string to write data. Default: \"%%lg %%lg\"\n"
    "\n";

const char kConsole[] = "console";

// Text streams get large buffers; they live as long as the streams do.
constexpr size_t kStreamBufferSize = 131072;
char gInputBuffer[kStreamBufferSize];
char gOutputBuffer[kStreamBufferSize];

struct TrimvexState {
    const char *inputName, *outputName;  // null: the console
    FILE *input, *output;                // files opened here, closed here
    char *readFormat, *breakFormat, *writeFormat;  // decoded copies; null: default
    int ignoreNanBreaks, pointsOnly;
    int clip;
    double rect[4];
    int thin;
    double minDistance;
};

TrimvexState g;

void CloseFiles() {
    if (g.input) fclose(g.input);
    if (g.output) fclose(g.output);
    g.input = g.output = nullptr;
}

void FreeFormats() {
    free(g.readFormat);
    free(g.breakFormat);
    free(g.writeFormat);
    g.readFormat = g.breakFormat = g.writeFormat = nullptr;
}

// The report behind every failure; message holds one "%s" for text.
int Report(int code, const char *message, const char *text) {
    fputs(kBanner, stderr);
    if (message) fprintf(stderr, message, text ? text : "");
    if (code == kTrimOk || code == kTrimBadOption) fprintf(stderr, kUsage);
    fflush(stderr);
    CloseFiles();
    FreeFormats();
    return code;
}

// Only the value itself, blanks around it aside: "1,2,3,4x" is a typing
// error, not a rectangle. NaN would make every comparison fail.
bool ReadNumbers(const char *value, const char *format, double *v, int count) {
    int used = -1;
    int got = count == 4 ? sscanf(value, format, &v[0], &v[1], &v[2], &v[3], &used)
                         : sscanf(value, format, &v[0], &used);
    if (got != count || used < 0) return false;
    for (const char *p = value + used; *p; ++p)
        if (!isspace(static_cast<unsigned char>(*p))) return false;
    for (int i = 0; i < count; ++i)
        if (std::isnan(v[i])) return false;
    return true;
}

// Keeps a decoded copy of a format value in *slot; 0 (reported) when it is
// missing, unsafe or can't be stored. Messages show the value as typed.
int TakeFormat(char **slot, const char *value, PointFormatUse use, int *code) {
    if (!value) {
        *code = PrintReport(kTrimFormat, nullptr);
        return 0;
    }
    char *copy = static_cast<char *>(malloc(strlen(value) + 1));
    if (!copy) {
        *code = PrintReport(kTrimNoMemory, nullptr);
        return 0;
    }
    strcpy(copy, value);
    UnescapeString(copy);
    free(*slot);
    *slot = copy;
    if (!CheckPointFormat(copy, use)) {
        *code = Report(kTrimFormat, "Bad format string: %s\n\n", value);
        return 0;
    }
    return 1;
}

// Takes the options left to right. Returns 1 to go on, else 0 with the
// reported exit status in *code.
int ParseArguments(int argc, char **argv, int *code) {
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (strlen(arg) < 2 || (arg[0] != '/' && arg[0] != '-')) {
            *code = PrintReport(kTrimBadOption, arg);
            return 0;
        }
        int letter = tolower(static_cast<unsigned char>(arg[1]));
        const char *value = arg + 2;
        if (letter == '?') {
            *code = PrintReport(kTrimOk, nullptr);
            return 0;
        }
        // Switches: they never take the next argument as a value.
        if (letter == 'n' || letter == 'p') {
            if (*value) {
                *code = PrintReport(kTrimBadOption, arg);
                return 0;
            }
            if (letter == 'n') g.ignoreNanBreaks = 1;
            else g.pointsOnly = 1;
            continue;
        }
        if (!strchr("cdiorsw", letter)) {
            *code = PrintReport(kTrimBadOption, arg);
            return 0;
        }
        if (!*value) value = i + 1 < argc ? argv[++i] : nullptr;
        switch (letter) {
        case 'c':
            if (!value || !ReadNumbers(value, "%lg,%lg,%lg,%lg%n", g.rect, 4)) {
                *code = PrintReport(kTrimBadNumber, value ? value : arg);
                return 0;
            }
            g.clip = 1;
            break;
        case 'd':
            if (!value || !ReadNumbers(value, "%lg%n", &g.minDistance, 1)) {
                *code = PrintReport(kTrimBadNumber, value ? value : arg);
                return 0;
            }
            g.thin = 1;
            break;
        case 'i':
            if (!value) {
                *code = PrintReport(kTrimInputFile, arg);
                return 0;
            }
            g.inputName = value;
            break;
        case 'o':
            if (!value) {
                *code = PrintReport(kTrimOutputFile, arg);
                return 0;
            }
            g.outputName = value;
            break;
        case 'r':
            if (!TakeFormat(&g.readFormat, value, kFormatRead, code)) return 0;
            break;
        case 's':
            if (!TakeFormat(&g.breakFormat, value, kFormatBreak, code)) return 0;
            break;
        case 'w':
            if (!TakeFormat(&g.writeFormat, value, kFormatWrite, code)) return 0;
            break;
        }
    }
    return 1;
}

// Files open only once every option has been read, so a mistyped option
// never truncates an existing output file.
int OpenInputFile(const char *name) {
    if (!name) return 1;
    g.input = fopen(name, GetDataFileKind(name) == kPointText ? "rt" : "rb");
    return g.input != nullptr;
}

int OpenOutputFile(const char *name) {
    if (!name) return 1;
    g.output = fopen(name, GetDataFileKind(name) == kPointText ? "wt" : "wb");
    return g.output != nullptr;
}

// Filters the whole input; the exit status.
int FilterFiles(FILE *in, FILE *out) {
    const int inKind = GetDataFileKind(g.inputName), outKind = GetDataFileKind(g.outputName);
    if ((inKind == kPointText && setvbuf(in, gInputBuffer, _IOFBF, sizeof gInputBuffer) != 0) ||
        (outKind == kPointText && setvbuf(out, gOutputBuffer, _IOFBF, sizeof gOutputBuffer) != 0))
        return PrintReport(kTrimNoMemory, nullptr);

    PointReader reader;
    PointWriter writer;
    int readerOpen = OpenPointReader(&reader, in, inKind, g.readFormat ? g.readFormat : "%lg%lg",
                                     kToolLineLimit, g.ignoreNanBreaks);
    int writerOpen = OpenPointWriter(&writer, out, outKind, g.writeFormat ? g.writeFormat : "%lg %lg\n",
                                     g.breakFormat ? g.breakFormat : "\n", !g.ignoreNanBreaks);
    if (!readerOpen || !writerOpen) {
        ClosePointReader(&reader);
        ClosePointWriter(&writer);
        return PrintReport(kTrimNoMemory, nullptr);
    }
    PointFilter filter;
    InitPointFilter(&filter, &writer);
    if (g.thin) SetFilterThinning(&filter, g.minDistance);
    if (g.clip) SetFilterClipping(&filter, g.rect[0], g.rect[1], g.rect[2], g.rect[3]);
    filter.pointsOnly = g.pointsOnly;
    FilterPointStream(&reader, &filter);

    // What was read is on its way out even when something went wrong.
    int written = FinishPointWriter(&writer);
    ClosePointWriter(&writer);
    ClosePointReader(&reader);
    if (g.output) {
        written = fclose(g.output) == 0 && written;
        g.output = nullptr;
    }
    const char *inName = g.inputName ? g.inputName : kConsole;
    const char *outName = g.outputName ? g.outputName : kConsole;
    if (reader.readError) return Report(kTrimInputFile, "Can't read input file: %s\n\n", inName);
    if (!written) return Report(kTrimOutputFile, "Can't write output file: %s\n\n", outName);

    // The output is complete; these only tell what the input held.
    if (reader.partialBytes)
        fprintf(stderr, "Warning: incomplete number at the end of the input, %u byte(s) ignored: %s\n",
                reader.partialBytes, inName);
    if (reader.longLines)
        fprintf(stderr,
                "Warning: %lu line(s) longer than %u characters read as breaks, the first is line %lu: %s\n",
                reader.longLines, static_cast<unsigned>(kToolLineLimit), reader.firstLongLine, inName);
    CloseFiles();
    FreeFormats();
    return kTrimOk;
}

}  // namespace

int PrintReport(int code, const char *text) {
    const char *message = nullptr;
    switch (code) {
    case kTrimBadOption: message = "Invalid option: %s\n\n"; break;
    case kTrimInputFile: message = "Can't open input file: %s\n\n"; break;
    case kTrimOutputFile: message = "Can't open output file: %s\n\n"; break;
    case kTrimBadNumber: message = "Bad numeric value(s): %s\n\n"; break;
    case kTrimFormat: message = "Missing format string\n\n"; break;
    case kTrimNoMemory: message = "Not enough memory\n\n"; break;
    }
    return Report(code, message, text);
}

void UnescapeString(char *text) { DecodeEscapes(text, text, std::strlen(text) + 1); }

int RunTrimvex(int argc, char **argv) {
    g = TrimvexState{};
    int code = kTrimOk;
    if (!ParseArguments(argc, argv, &code)) return code;
    if (!OpenInputFile(g.inputName)) return PrintReport(kTrimInputFile, g.inputName);
    if (!OpenOutputFile(g.outputName)) return PrintReport(kTrimOutputFile, g.outputName);
    return FilterFiles(g.input ? g.input : stdin, g.output ? g.output : stdout);
}
