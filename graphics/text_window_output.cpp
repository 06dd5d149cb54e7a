#include "text_window_output.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bridges.h"
#include "memory.h"
#include "messages.h"
#include "number_format.h"
#include "platform.h"
#include "pointdata.h"
#include "projection.h"
#include "root_finder.h"
#include "run_control.h"
#include "run_engine.h"
#include "problem_settings.h"
#include "solver_method.h"
#include "string_ids.h"
#include "workspace.h"

TextWindowState *gCurrentText;
TextWindowControl gTextWindowControl;

namespace {

// What the record's file handle points at during a run.
struct TextOutputFile {
    FILE *file;
    PointWriter writer;  // binary kinds
    bool holdsText;      // text kind: the file is not empty
};

TextOutputFile *OutputOf(TextWindowState *s) { return static_cast<TextOutputFile *>(s->file); }

void CloseOutput(TextWindowState *s, int report) {
    TextOutputFile *out = OutputOf(s);
    if (!out) return;
    int ok = 1;
    if (s->binaryKind != kPointText) {
        ok = FinishPointWriter(&out->writer) && !out->writer.failed;
        ClosePointWriter(&out->writer);
    }
    if (std::fclose(out->file) != 0) ok = 0;
    std::free(out);
    s->file = nullptr;
    if (!ok && report) ShowErrorBox(IDS_OUTPUT_TO_FILE_FAILED);
}

bool HasSeparator(const TextWindowState *s) { return s->separator && s->separator[0]; }

enum LineResult { kLineReady = 0, kLineSkipped = 1, kLineFailed = -1 };

// Formats the columns at (t, y) into line; the values go to values[] for the
// binary file. A SKIP in a column drops the point.
int BuildLine(TextWindowState *s, double t, const double *y, char *line, double *values, int *valueCount,
              bool average = false) {
    const int savedSkip = gSkipOutputPoint;
    gSkipOutputPoint = 0;
    size_t used = 0;
    line[0] = 0;
    *valueCount = 0;
    int result = kLineReady;
    bool averaged = false;
    const char *timeName = gColumnTable ? gColumnTable[kColumnTrajectory].name : nullptr;
    for (int i = 0; i < s->count; ++i) {
        if (!s->formats || !s->formats[i] || !s->formats[i][0]) continue;
        const char *expression = s->expressions ? s->expressions[i] : nullptr;
        if (!expression || !expression[0] || !s->codes || !s->codes[i]) continue;
        double v = 0;
        EvaluateTextColumn(i, t, y, &v);
        if (average && !averaged && !(timeName && std::strcmp(expression, timeName) == 0)) {
            averaged = true;
            s->averageSum += v;
            v = s->averageSum / (t - gFirstValue + 1);
        }
        const char *format = UnescapeFormat(s->formats[i]);
        if (!IsTextColumnFormatSafe(format)) {
            ShowErrorBoxFormatted(IDS_BAD_TEXT_FORMAT, s->formats[i]);
            result = kLineFailed;
            break;
        }
        const int written = FormatColumnValue(line + used, kTextLineSize - used, format, v);
        if (written < 0 || static_cast<size_t>(written) >= kTextLineSize - used) {
            ShowErrorBox(IDS_TEXT_LINE_TOO_LONG);
            result = kLineFailed;
            break;
        }
        used += static_cast<size_t>(written);
        values[(*valueCount)++] = v;
    }
    if (result == kLineReady && gSkipOutputPoint) result = kLineSkipped;
    gSkipOutputPoint = savedSkip;
    return result;
}

int EmitLine(TextWindowState *s, const char *line, const double *values, int valueCount) {
    if (s->file && s->binaryKind != kPointText) {
        TextOutputFile *out = OutputOf(s);
        if (!s->firstLineWritten && HasSeparator(s)) WritePointBreak(&out->writer);
        for (int i = 0; i < valueCount && s->file; ++i) WriteTextWindowBinary(s, values[i]);
    }
    OutputTextWindowLine(s, line);
    return 0;
}

int StopRun(int code) {
    gRunState.stopRequested = 1;
    return code;
}

// One line buffer serves every point; a point reached while it is in use
// (an evaluation that pumps messages) gets blocks of its own.
char gLineBuffer[kTextLineSize];
double gLineValues[64];
bool gLineBufferBusy;

char *NewLineBuffer(double **values, int count) {
    if (!gLineBufferBusy && count <= static_cast<int>(sizeof gLineValues / sizeof *gLineValues)) {
        gLineBufferBusy = true;
        *values = gLineValues;
        return gLineBuffer;
    }
    char *line = static_cast<char *>(std::malloc(kTextLineSize));
    *values = static_cast<double *>(std::malloc(sizeof(double) * (count ? count : 1)));
    if (!line || !*values) {
        std::free(line);
        std::free(*values);
        ReportOutOfMemory();
        return nullptr;
    }
    return line;
}

void FreeLineBuffer(char *line, double *values) {
    if (line == gLineBuffer) {
        gLineBufferBusy = false;
        return;
    }
    std::free(line);
    std::free(values);
}

}  // namespace

int IsTextColumnFormatSafe(const char *format) { return CountDoubleConversions(format) == 1; }

void WriteTextWindowBinary(TextWindowState *s, double value) {
    TextOutputFile *out = OutputOf(s);
    if (!out) return;
    WritePointValue(&out->writer, value);
    if (out->writer.failed) CloseOutput(s, 1);
}

void AppendTextWindowLine(TextWindowState *s, const char *line) {
    const TextWindowControl &c = gTextWindowControl;
    if (!c.lineCount || !c.textLength || !c.deleteLinesBefore || !c.appendText) return;
    if (s->lines > 0) {
        const int count = c.lineCount(s->control);
        if (count >= static_cast<int>(s->lines))
            c.deleteLinesBefore(s->control, s->lines == 1 ? count : count - static_cast<int>(s->lines) + 1);
    }
    if (c.textLength(s->control) > 0) {
        if (!s->firstLineWritten && HasSeparator(s)) c.appendText(s->control, UnescapeFormat(s->separator));
        c.appendText(s->control, "\r\n");
    }
    c.appendText(s->control, line);
}

void OutputTextWindowLine(TextWindowState *s, const char *line) {
    TextOutputFile *out = OutputOf(s);
    if (out && s->binaryKind == kPointText) {
        bool ok = true;
        // As in the window, the separator sets a trajectory apart from what
        // came before it, so an empty file does not begin with it.
        if (!s->firstLineWritten && HasSeparator(s) && out->holdsText) {
            const char *separator = UnescapeFormat(s->separator);
            const size_t length = std::strlen(separator);
            ok = std::fwrite(separator, 1, length, out->file) == length;
        }
        // Buffered: a flush per line would cost a system call per point. A
        // failed write shows when the buffer goes out, or at the close.
        const size_t length = std::strlen(line);
        if (ok) ok = std::fwrite(line, 1, length, out->file) == length;
        if (!ok) ShowErrorBox(IDS_OUTPUT_TO_FILE_FAILED);
        if (length) out->holdsText = true;
    }
    // The window shows one line per point whatever the formats hold.
    size_t n = std::strlen(line);
    static char shownBuffer[kTextLineSize];
    static bool shownBufferBusy;
    const bool own = n < sizeof shownBuffer && !shownBufferBusy;
    char *shown = own ? shownBuffer : static_cast<char *>(std::malloc(n + 1));
    if (!shown) ReportOutOfMemory();
    else {
        if (own) shownBufferBusy = true;
        std::memcpy(shown, line, n + 1);
        for (size_t i = 0; i < n; ++i)
            if (static_cast<unsigned char>(shown[i]) < 32) shown[i] = ' ';
        while (n > 0 && shown[n - 1] == ' ') shown[--n] = 0;
        AppendTextWindowLine(s, shown);
        if (own) shownBufferBusy = false;
        else std::free(shown);
    }
    s->firstLineWritten = 1;
}

void TextWindowRunEnumProc(TextWindowState *s, int close) {
    if (!s) return;
    if (close) {
        CloseOutput(s, 1);
        return;
    }
    if (!s->capture || s->file) return;
    if (!s->outputFile || !s->outputFile[0]) {
        ShowErrorBox(IDS_OUTPUT_TO_FILE_FAILED);
        s->capture = 0;
        return;
    }
    s->binaryKind = GetDataFileKind(s->outputFile);
    TextOutputFile *out = static_cast<TextOutputFile *>(std::calloc(1, sizeof(TextOutputFile)));
    if (!out) {
        ReportOutOfMemory();
        s->capture = 0;
        return;
    }
    // Binary mode: the text goes out exactly as formatted.
    out->file = std::fopen(s->outputFile, "ab");
    if (out->file) {
        std::setvbuf(out->file, nullptr, _IOFBF, 1 << 16);
        out->holdsText = std::fseek(out->file, 0, SEEK_END) == 0 && std::ftell(out->file) > 0;
    }
    if (!out->file) {
        const int error = errno;
        char caption[kMessageBufferSize];
        std::snprintf(caption, sizeof caption, "%s", LoadTextResource(IDS_ERROR_CAPTION));
        ShowMessageBox(std::strerror(error), caption, kMbOkCancel | kMbIconError);
        std::free(out);
        s->capture = 0;
        return;
    }
    if (s->binaryKind != kPointText && !OpenPointWriter(&out->writer, out->file, s->binaryKind, nullptr, nullptr, 1)) {
        std::fclose(out->file);
        std::free(out);
        ReportOutOfMemory();
        s->capture = 0;
        return;
    }
    s->file = out;
}

namespace {

// Points per listed point; a Frequency beyond the counter's range is cut
// to it, which no run reaches.
int32_t Period(const TextWindowState *s) {
    return s->frequency > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int32_t>(s->frequency);
}

// The start record takes the countdown's first tick, so Frequency n lists
// points n, 2n, ... of the trajectory (the initial point is point 1).
void StartTrajectory(TextWindowState *s) {
    SetupProjection(s->viewPoint);
    s->countdown = Period(s);
}

// Current window for the bridges.
void MakeCurrent(TextWindowState *s) {
    gCurrentText = s;
    gTextColumnCode = s->codes;
    gConditionCode = s->conditionCode;
    gViewPoint = s->viewPoint;
}

// Countdown of "Frequency": true for every n-th point.
bool CountdownReached(TextWindowState *s) {
    if (--s->countdown > 0) return false;
    s->countdown = Period(s);
    return true;
}

int OutputPoint(TextWindowState *s, double t, const double *y) {
    double *values;
    char *line = NewLineBuffer(&values, s->count);
    if (!line) return StopRun(-1);
    int valueCount = 0;
    const int r = BuildLine(s, t, y, line, values, &valueCount);
    if (r == kLineReady) EmitLine(s, line, values, valueCount);
    FreeLineBuffer(line, values);
    return r == kLineFailed ? StopRun(-1) : 0;
}

}  // namespace

int AddTextWindowOdePoint(TextWindowState *s, const RunPoint &point) {
    if (!s) return 0;
    MakeCurrent(s);
    if (point.first) {
        StartTrajectory(s);
        gViewPoint = s->viewPoint;
        s->sign = 0;
        s->firstLineWritten = 0;
        s->previousTime = s->crossingTime = gTime;
        return 0;
    }
    if (s->count == 0 || s->frequency == 0) return 0;
    if (!CountdownReached(s)) return 0;
    const int n = static_cast<int>(gDimension);
    double t = point.t;
    double *saved = nullptr;
    if (s->increasing || s->decreasing) {
        const double value = EvaluateWindowCondition(point.t);
        const int8_t sign = value >= 0 ? 1 : -1;
        const bool crossing = (s->increasing && s->sign == -1 && sign == 1) ||
                              (s->decreasing && s->sign == 1 && sign == -1);
        s->sign = sign;
        if (crossing) {
            double at = point.t;
            if (FindCrossing(EvaluateWindowCondition, s->previousTime, point.t, s->crossingError, &at) != kCrossingFound)
                at = point.t;
            s->crossingTime = at;
            if (s->poincare && gSolverMethod.interpolate) {
                saved = static_cast<double *>(std::malloc(sizeof(double) * (n ? n : 1)));
                if (!saved) {
                    ReportOutOfMemory();
                    return StopRun(-1);
                }
                std::memcpy(saved, point.values, sizeof(double) * n);
                const int r = gSolverMethod.interpolate(-n, at, point.values,
                                                        gUseInitialFunctions ? EvaluateHistoryValue : nullptr);
                if (r < 0) {
                    std::memcpy(point.values, saved, sizeof(double) * n);
                    std::free(saved);
                    s->previousTime = point.t;
                    return StopRun(r - 3);
                }
            }
            // A section line shows the state and the time of the crossing.
            if (s->poincare) t = at;
        }
        s->previousTime = point.t;
        gTrajectoryValue = s->crossingTime;
        if (!crossing && s->poincare) return 0;
    }
    const int r = OutputPoint(s, t, point.values);
    if (saved) {
        std::memcpy(point.values, saved, sizeof(double) * n);
        std::free(saved);
    }
    return r;
}

namespace {

void StartHistogram(TextWindowState *s) {
    if (s->histogram || gBifurcationDiagram) {
        if (gScanBegin == gScanEnd) gScanEnd = gScanBegin + 1;
        if (gOutputStep == 0) gOutputStep = 1;
    }
    if (!s->histogram) return;
    const double quotient = std::floor(std::fabs(gScanBegin - gScanEnd) / gOutputStep + 0.5);
    // A range of more bins than memory can hold fails the allocation below.
    s->binCount = quotient >= 1 && quotient < 0x7FFFFFF ? static_cast<int32_t>(quotient) + 1 : 2;
    FreeAndNull(s->bins);
    s->bins = static_cast<int32_t *>(AllocZeroed(sizeof(int32_t) * static_cast<size_t>(s->binCount)));
    if (!s->bins) s->histogram = 0;
}

void AddToHistogram(TextWindowState *s, const RunPoint &point) {
    double v = 0;
    if (s->expressions && s->expressions[0] && s->expressions[0][0] && s->codes && s->codes[0])
        EvaluateTextColumn(0, point.t, point.values, &v);
    const double begin = gScanBegin, end = gScanEnd;
    if (s->bins && ((begin < end && begin <= v && v < end) || (begin > end && end <= v && v < begin))) {
        int bin = static_cast<int>(std::floor((v - begin) / (end - begin) * s->binCount));
        if (bin >= s->binCount) bin = s->binCount - 1;  // rounding at the upper end
        if (bin >= 0) ++s->bins[bin];
    }
    ++s->histogramPoints;
}

}  // namespace

int WriteHistogram(TextWindowState *s) {
    if (HasSeparator(s)) {
        if (s->file && s->binaryKind != kPointText) WritePointBreak(&OutputOf(s)->writer);
        const char *decoded = UnescapeFormat(s->separator);
        char *separator = static_cast<char *>(std::malloc(std::strlen(decoded) + 1));
        if (!separator) {
            ReportOutOfMemory();
            return StopRun(-1);
        }
        std::strcpy(separator, decoded);
        s->firstLineWritten = 1;  // the separator is this line
        OutputTextWindowLine(s, separator);
        std::free(separator);
    }
    if (!s->formats || !s->formats[0] || !s->formats[0][0]) return 0;
    const char *format = UnescapeFormat(s->formats[0]);
    const int conversions = CountDoubleConversions(format);
    if (conversions < 1 || conversions > 2) {
        ShowErrorBoxFormatted(IDS_BAD_TEXT_FORMAT, s->formats[0]);
        return StopRun(-1);
    }
    char *pattern = static_cast<char *>(std::malloc(std::strlen(format) + 1));
    char *line = static_cast<char *>(std::malloc(kTextLineSize));
    int result = 0;
    if (!pattern || !line) {
        ReportOutOfMemory();
        result = StopRun(-1);
    }
    if (!result) std::strcpy(pattern, format);
    const double begin = gScanBegin, end = gScanEnd;
    for (int i = 0; !result && i < s->binCount; ++i) {
        const double x = begin + i * (end - begin) / (s->binCount - 1);
        const double density = s->bins[i] * static_cast<double>(s->binCount) /
                               (std::fabs(end - begin) * s->histogramPoints);
        const int written = std::snprintf(line, kTextLineSize, pattern, x, density);
        if (written < 0 || written >= kTextLineSize) {
            ShowErrorBox(IDS_TEXT_LINE_TOO_LONG);
            result = StopRun(-1);
            break;
        }
        if (s->file && s->binaryKind != kPointText) {
            WriteTextWindowBinary(s, x);
            if (s->file) WriteTextWindowBinary(s, density);
        }
        OutputTextWindowLine(s, line);
    }
    std::free(pattern);
    std::free(line);
    return result;
}

int AddTextWindowMapPoint(TextWindowState *s, const RunPoint &point) {
    if (!s) return 0;
    MakeCurrent(s);
    if (point.first) {
        StartTrajectory(s);
        gViewPoint = s->viewPoint;
        s->histogramPoints = 0;
        if (!s->average) s->firstLineWritten = 0;
        s->averageSum = 0;
        StartHistogram(s);
        return 0;
    }
    if (s->count == 0) return 0;
    if (s->histogram) {
        AddToHistogram(s, point);
        if (s->histogramPoints % s->histogram == 0 && gProblemKind == kMap && s->bins && s->binCount > 1)
            return WriteHistogram(s);
        return 0;
    }
    // With Average every point counts towards the mean, listed or not.
    const bool listed = s->frequency != 0 && CountdownReached(s);
    if (!listed && !s->average) return 0;
    double *values;
    char *line = NewLineBuffer(&values, s->count);
    if (!line) return StopRun(-1);
    int valueCount = 0;
    int r = BuildLine(s, point.t, point.values, line, values, &valueCount, s->average != 0);
    // A named scan variable: one line per trajectory, with the final mean.
    const char *timeName = gColumnTable ? gColumnTable[kColumnTrajectory].name : nullptr;
    const bool waiting = s->average && timeName && timeName[0] && !(point.t + 1 > gLastValue);
    if (r == kLineReady && listed && !waiting) EmitLine(s, line, values, valueCount);
    FreeLineBuffer(line, values);
    return r == kLineFailed ? StopRun(-1) : 0;
}
