#include "eps_color.h"

#include <cstring>

#include "eps_color_procedure.h"

namespace {

// One line of the input at a time. A line longer than the buffer keeps its
// head here and the rest is streamed through by CopyLine: such a line can
// never be one of the recognised ones.
struct LineReader {
    FILE *in;
    FILE *out;
    char text[kEpsLineLimit];
    size_t length;   // bytes held, line end included when it fitted
    bool overlong;   // the line goes on past the buffer
    bool writeFailed;
};

bool ReadLine(LineReader &r) {
    r.length = 0;
    r.overlong = false;
    int c;
    while (r.length < sizeof r.text && (c = getc(r.in)) != EOF) {
        r.text[r.length++] = static_cast<char>(c);
        if (c == '\n') return true;
    }
    r.overlong = r.length == sizeof r.text;
    return r.length > 0;
}

// Bytes of the line end held at the end of the line: "\r\n", "\n" or none
// (last line of a file without a final line end).
size_t LineEndLength(const LineReader &r) {
    if (r.overlong || r.length == 0 || r.text[r.length - 1] != '\n') return 0;
    return r.length >= 2 && r.text[r.length - 2] == '\r' ? 2 : 1;
}

bool StartsWith(const LineReader &r, const char *prefix) {
    const size_t n = strlen(prefix);
    return r.length >= n && memcmp(r.text, prefix, n) == 0;
}

bool Equals(const LineReader &r, const char *line) {
    if (r.overlong) return false;
    const size_t n = r.length - LineEndLength(r);
    return n == strlen(line) && memcmp(r.text, line, n) == 0;
}

void Write(LineReader &r, const char *bytes, size_t n) {
    if (n && fwrite(bytes, 1, n, r.out) != n) r.writeFailed = true;
}

void CopyLine(LineReader &r) {
    Write(r, r.text, r.length);
    if (!r.overlong) return;
    int c;
    while ((c = getc(r.in)) != EOF) {
        if (putc(c, r.out) == EOF) r.writeFailed = true;
        if (c == '\n') break;
    }
}

// Writes the replacement with the line end of the line it replaces.
void ReplaceLine(LineReader &r, const char *line) {
    const size_t end = LineEndLength(r);
    Write(r, line, strlen(line));
    Write(r, r.text + r.length - end, end);
}

const char *SourceForm(EpsDirection d) {
    return d == EPS_TO_MONO ? EpsColorProcedure[2] : EpsMonoProcedureLastLine;
}

const char *TargetForm(EpsDirection d) {
    return d == EPS_TO_MONO ? EpsMonoProcedureLastLine : EpsColorProcedure[2];
}

// Copies the rest of the input and settles the result: read and write
// failures outrank what the lines said.
EpsResult Finish(LineReader &r, EpsResult result) {
    while (ReadLine(r)) CopyLine(r);
    if (ferror(r.in)) return EPS_READ_FAILED;
    if (r.writeFailed || fflush(r.out) != 0 || ferror(r.out)) return EPS_WRITE_FAILED;
    return result;
}

// Stops on a file that is not ours; the partial output is discarded.
EpsResult Refuse(LineReader &r, EpsResult result) {
    return ferror(r.in) ? EPS_READ_FAILED : result;
}

}  // namespace

EpsResult ConvertSingleEps(FILE *in, FILE *out, EpsDirection direction) {
    static LineReader r;  // too large for a small stack; the tool is single-threaded
    r.in = in;
    r.out = out;
    r.writeFailed = false;
    if (!ReadLine(r) || !StartsWith(r, EPS_HEADER_PREFIX)) return Refuse(r, EPS_NOT_EPS);
    CopyLine(r);
    if (!ReadLine(r) || !StartsWith(r, EPS_CREATOR_PREFIX)) return Refuse(r, EPS_NOT_OURS);
    CopyLine(r);
    // The procedure's line number depends on the writer's settings
    // (rotation, resolution): look for it anywhere in the prologue.
    for (;;) {
        if (!ReadLine(r) || Equals(r, EPS_END_PROLOG)) return Refuse(r, EPS_NOT_OURS);
        CopyLine(r);
        if (Equals(r, EpsColorProcedure[0])) break;
    }
    if (!ReadLine(r) || !Equals(r, EpsColorProcedure[1])) return Refuse(r, EPS_NOT_OURS);
    CopyLine(r);
    if (!ReadLine(r)) return Refuse(r, EPS_NOT_OURS);
    EpsResult result;
    if (Equals(r, SourceForm(direction))) {
        ReplaceLine(r, TargetForm(direction));
        result = EPS_CONVERTED;
    } else if (Equals(r, TargetForm(direction))) {
        CopyLine(r);
        result = EPS_ALREADY;
    } else {
        return Refuse(r, EPS_NOT_OURS);
    }
    return Finish(r, result);
}

namespace {

// Where the scan stands in a possible included file of ours.
enum ScanState {
    SCAN_OUTSIDE,      // looking for a PostScript header
    SCAN_HEADER,       // header seen: the creator must follow
    SCAN_PROLOGUE,     // ours: looking for the procedure's first line
    SCAN_PROCEDURE_2,  // first line seen: the second must follow
    SCAN_PROCEDURE_3,  // second line seen: the third is switched
};

ScanState ScanLine(LineReader &r, ScanState state, EpsDirection direction, int *converted) {
    switch (state) {
    case SCAN_HEADER:
        if (StartsWith(r, EPS_CREATOR_PREFIX)) return SCAN_PROLOGUE;
        break;
    case SCAN_PROLOGUE:
        if (Equals(r, EpsColorProcedure[0])) return SCAN_PROCEDURE_2;
        if (Equals(r, EPS_END_PROLOG)) return SCAN_OUTSIDE;
        return StartsWith(r, EPS_HEADER_PREFIX) ? SCAN_HEADER : SCAN_PROLOGUE;
    case SCAN_PROCEDURE_2:
        if (Equals(r, EpsColorProcedure[1])) return SCAN_PROCEDURE_3;
        break;
    case SCAN_PROCEDURE_3:
        if (Equals(r, SourceForm(direction))) {
            ReplaceLine(r, TargetForm(direction));
            ++*converted;
            return SCAN_OUTSIDE;
        }
        break;
    case SCAN_OUTSIDE:
        break;
    }
    // Any line that breaks the pattern may itself start a new file.
    return StartsWith(r, EPS_HEADER_PREFIX) ? SCAN_HEADER : SCAN_OUTSIDE;
}

}  // namespace

EpsResult ConvertIncludedEps(FILE *in, FILE *out, EpsDirection direction, int *converted) {
    static LineReader r;
    r.in = in;
    r.out = out;
    r.writeFailed = false;
    *converted = 0;
    ScanState state = SCAN_OUTSIDE;
    while (ReadLine(r)) {
        const int before = *converted;
        state = ScanLine(r, state, direction, converted);
        if (*converted == before) CopyLine(r);
    }
    return Finish(r, EPS_CONVERTED);
}

const char *EpsResultText(EpsResult result, EpsDirection direction) {
    switch (result) {
    case EPS_ALREADY: return direction == EPS_TO_MONO ? "Already black and white!" : "Already color file!";
    case EPS_NOT_EPS: return "Not an EPS file";
    case EPS_NOT_OURS: return "Not created by Vantorel";
    case EPS_WRITE_FAILED: return "Cannot write the converted file";
    default: return nullptr;
    }
}
