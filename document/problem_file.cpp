#include "problem_file.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "graph_elements.h"
#include "memory.h"
#include "messages.h"
#include "platform.h"
#include "problem_converter.h"
#include "problem_settings.h"
#include "problem_windows.h"
#include "settings.h"
#include "solver_dll.h"
#include "solver_method.h"
#include "string_ids.h"
#include "text_window_state.h"
#include "workspace.h"

int gProgramVersion = 200;
int gSameUserFile;
int gLoadingProblem;
unsigned gProblemErrorLine;

namespace {

constexpr size_t kGrowStep = 20480;
constexpr int kMaxChildren = 1024;
// Largest coordinate a window placement read from a file may give.
constexpr double kMaxPlacementPixels = 1e6;

// ---- Writer state
size_t gCapacity;
int gBuildFailed;

// The fractions each window was placed by when a file made it. Written back
// while they still give the window's rectangle, so that the pixel rounding
// of a window that was not moved or sized never changes the file.
struct PlacedWindow {
    WindowId window;
    double fractions[4];
};
PlacedWindow gPlaced[64];
int gPlacedNext;

// Null when no host is installed.
const ProblemWindowHost *Host() { return gProblemWindowHost.childrenTopFirst ? &gProblemWindowHost : nullptr; }

bool IsMap() { return gProblemKind == kMap; }

// ---- Escaping. A text value is one line: CR LF inside it becomes "\n".
// Texts that the reader decodes (expressions, texts with line breaks, the
// element texts other than a Text's) also double a run of backslashes before
// an "n" (or before a CR LF), so that a literal "\n", as in x\n (x DIV n),
// does not read back as a line break. Reading halves such a run; an odd run
// ends in the line break. A single backslash before "n" still reads as a line
// break, as in older files. Texts stored as read (titles, formats,
// separators, the text-window lists, a Text element's layout codes) keep
// their backslashes as they are: they are decoded where they are used.

// Length of the line break at p: CR LF, or a lone CR or LF (written as the
// same "\n"); 0 when there is none.
size_t BreakLength(const char *p) {
    if (p[0] == '\r' && p[1] == '\n') return 2;
    return p[0] == '\r' || p[0] == '\n' ? 1 : 0;
}

// The one walker of escaping: writes the escaped text and its terminator
// into out when out is given, and returns the escaped length either way, so
// that the length reserved and the text written cannot disagree.
size_t Escape(const char *t, char *out, bool reversible) {
    size_t n = 0;
    auto put = [&](char c, size_t count) {
        if (out) std::memset(out + n, c, count);
        n += count;
    };
    for (const char *p = t; *p;) {
        if (reversible && *p == '\\') {
            const char *q = p;
            while (*q == '\\') ++q;
            const size_t run = q - p;
            put('\\', *q == 'n' || BreakLength(q) ? 2 * run : run);
            p = q;
        } else if (size_t b = BreakLength(p)) {
            put('\\', 1);
            put('n', 1);
            p += b;
        } else {
            put(*p++, 1);
        }
    }
    if (out) out[n] = 0;
    return n;
}

// Decodes into out; the result is never longer than t.
void UnescapeInto(const char *t, char *out) {
    char *o = out;
    for (const char *p = t; *p;) {
        if (*p == '\\') {
            const char *q = p;
            while (*q == '\\') ++q;
            size_t run = q - p;
            if (*q == 'n') {
                for (size_t i = 0; i < run / 2; ++i) *o++ = '\\';
                if (run % 2) {
                    *o++ = '\r';
                    *o++ = '\n';
                } else {
                    *o++ = 'n';
                }
                p = q + 1;
            } else {
                for (size_t i = 0; i < run; ++i) *o++ = '\\';
                p = q;
            }
        } else {
            *o++ = *p++;
        }
    }
    *o = 0;
}

// Strings, the text-window lists and a Text element's text, as read.
void SetRawString(char *&slot, const char *text) { SetNonEmptyStringCopy(slot, text); }

// ---- Writer

int Reserve(size_t more) {
    if (gBuildFailed) return 0;
    if (more > SIZE_MAX - gProblemTextLength - 1) {
        gBuildFailed = 1;
        return 0;
    }
    size_t need = gProblemTextLength + more + 1;
    if (need <= gCapacity && gProblemTextBuffer) return 1;
    size_t steps = (need + kGrowStep - 1) / kGrowStep;
    if (steps > SIZE_MAX / kGrowStep) {
        gBuildFailed = 1;
        return 0;
    }
    size_t capacity = steps * kGrowStep;
    if (!ResizeBlock(gProblemTextBuffer, capacity)) {
        gBuildFailed = 1;
        gCapacity = 0;
        return 0;
    }
    gCapacity = capacity;
    return 1;
}

// A line longer than the reader takes would make the saved file unreadable:
// the whole build is refused, once, rather than written.
size_t gLineStart;
unsigned gLinesWritten;

int Append(const char *text, size_t n) {
    if (!Reserve(n)) return 0;
    std::memcpy(gProblemTextBuffer + gProblemTextLength, text, n);
    for (size_t i = 0; i < n; ++i) {
        if (text[i] != '\n') continue;
        size_t end = gProblemTextLength + i;
        if (end > gLineStart && gProblemTextBuffer[end - 1] == '\r') --end;
        if (end - gLineStart > static_cast<size_t>(kProblemLineSize)) {
            gBuildFailed = 1;
            ShowErrorBoxWithNumber(IDS_PROBLEM_LINE_TOO_LONG, static_cast<int>(gLinesWritten + 1));
            return 0;
        }
        gLineStart = gProblemTextLength + i + 1;
        ++gLinesWritten;
    }
    gProblemTextLength += n;
    gProblemTextBuffer[gProblemTextLength] = 0;
    return 1;
}

int AppendText(const char *text) { return Append(text, std::strlen(text)); }

int AppendFormat(const char *format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) return 0;
    if (static_cast<size_t>(n) >= sizeof buffer) {
        // Only names and numbers pass through here; a longer line is a fault.
        gBuildFailed = 1;
        return 0;
    }
    return Append(buffer, n);
}

// How a text value is written: for the reader to decode, or to keep as read.
enum TextForm { kTextDecoded, kTextAsRead };

int AppendEscaped(const char *text, TextForm form = kTextDecoded) {
    if (!text) return 1;
    const bool reversible = form == kTextDecoded;
    const size_t n = Escape(text, nullptr, reversible);
    if (!Reserve(n)) return 0;
    Escape(text, gProblemTextBuffer + gProblemTextLength, reversible);
    gProblemTextLength += n;
    return 1;
}

int AppendLineEnd() { return Append("\r\n", 2); }

// An expression line that began with ";" would read back as a comment: a
// blank in front keeps it, and blanks mean nothing to the compiler.
int AppendExpressionLine(const char *text, TextForm form = kTextDecoded) {
    if (text && *text == ';' && !Append(" ", 1)) return 0;
    return AppendEscaped(text, form) && AppendLineEnd();
}

// The notes: the reader takes them whole, so their lines may be of any length.
int AppendNotes(const char *text) {
    const size_t n = std::strlen(text);
    if (!Reserve(n)) return 0;
    std::memcpy(gProblemTextBuffer + gProblemTextLength, text, n + 1);
    gProblemTextLength += n;
    return 1;
}

int KeyWidth(const ProblemKeyDescriptor *table, int count) {
    size_t w = 0;
    for (int i = 0; i < count; ++i) w = std::max(w, std::strlen(table[i].name));
    return static_cast<int>(w);
}

template <class T> T Cell(const ProblemKeyDescriptor &e) {
    T v{};
    if (void *p = e.target ? e.target() : nullptr) std::memcpy(&v, p, sizeof v);
    return v;
}

template <class T> void SetCell(const ProblemKeyDescriptor &e, T v) {
    if (void *p = e.target ? e.target() : nullptr) std::memcpy(p, &v, sizeof v);
}

char *&StringCell(const ProblemKeyDescriptor &e) {
    static char *none;
    none = nullptr;
    void *p = e.target ? e.target() : nullptr;
    return p ? *static_cast<char **>(p) : none;
}

const char *ColumnName(int i) {
    return gColumnTable && i < gColumnCount && gColumnTable[i].name ? gColumnTable[i].name : "";
}

char **ExpressionArray(int arg) {
    switch (arg) {
    case kArgEquations: return gEquationTexts;
    case kArgInitialFunctions: return gInitialFunctionTexts;
    default: return gBoundaryTexts;
    }
}

// Single ODE definitions: only the last equation is the problem's.
int ExpressionFirst(int arg) {
    const int n = gTextArrayCount;
    return arg == kArgEquations && gProblemKind == kSingleOde && n > 0 ? n - 1 : 0;
}

int WriteMethod(const ProblemKeyDescriptor &e, int width) {
    const ProblemWindowHost *h = Host();
    const char *key = gCodeLibraryIndex > 0 && h ? HostCodeLibraryKey(gCodeLibraryIndex) : nullptr;
    if (!key || !*key) key = nullptr;
    if (!AppendFormat("%-*s = ", width, e.name) ||
        !AppendText(key ? key : LoadTextResource(IDS_BUILTIN_METHOD)) || !AppendLineEnd())
        return 0;
    if (!key) return 1;
    for (int i = 0; const char *name = HostLibraryParamName(i); ++i) {
        const double *v = HostLibraryParamValue(i);
        if (!AppendText(name) || !AppendFormat(" = %.15lg\r\n", v ? *v : 0.0)) return 0;
    }
    return 1;
}

// Kinds 5, 6 and 9-12 have a second text line; kind 6 a third.
bool HasSecondText(int k) { return k == kElement2Curve || k == kElement3Curve || k >= kElementFractal; }

int WriteElement(const GraphicsElement *el) {
    const int k = el->kind >= 0 && el->kind < kElementKindCount ? el->kind : 0;
    gElementWorkCopy = *el;
    if (!AppendFormat("Graphics element = %s\r\n", kElementKindNames[k])) return 0;
    const TextForm first = k == kElementText ? kTextAsRead : kTextDecoded;
    if (k >= kElementText && (!AppendEscaped(el->text1, first) || !AppendLineEnd())) return 0;
    if (HasSecondText(k) && (!AppendEscaped(el->text2) || !AppendLineEnd())) return 0;
    if (k == kElement3Curve && (!AppendEscaped(el->text3) || !AppendLineEnd())) return 0;
    return WriteKeyTable(kElementTable, kElementTableCount, nullptr);
}

int WriteElements() {
    for (GraphicsElement *el = gGraphWorkCopy.elements; el; el = el->next)
        if (!WriteElement(el)) return 0;
    return 1;
}

int WriteEntry(const ProblemKeyDescriptor &e, int width, const char *headerValue) {
    const int n = static_cast<int>(gDimension);
    switch (e.type) {
    case kKeyIdentifier: return AppendFormat("%-*s = %s\r\n", width, e.name, gIdentifier);
    case kKeyHeader:
        if (!AppendText(";\r\n")) return 0;
        if (headerValue) return AppendFormat("%-*s = %s\r\n", width, e.name, headerValue);
        return AppendFormat("%s\r\n", e.name);
    case kKeyUnsigned: return AppendFormat("%-*s = %u\r\n", width, e.name, Cell<unsigned>(e));
    case kKeyInteger: return AppendFormat("%-*s = %d\r\n", width, e.name, Cell<int>(e));
    case kKeyDouble: return AppendFormat("%-*s = %.15lg\r\n", width, e.name, Cell<double>(e));
    case kKeyString:
    case kKeyText:
        return AppendFormat("%-*s = ", width, e.name) &&
               AppendEscaped(StringCell(e), e.type == kKeyText ? kTextDecoded : kTextAsRead) && AppendLineEnd();
    case kKeyNotes: return StringCell(e) ? AppendNotes(StringCell(e)) : 1;
    case kKeyYesNo:
        return AppendFormat("%-*s = %s\r\n", width, e.name, Cell<int>(e) ? "Yes" : "No");
    case kKeyRadio:
        return AppendFormat("%-*s = %s\r\n", width, e.name,
                            Cell<int>(e) == (e.flags & kKeyRadioValueMask) ? "Yes" : "No");
    case kKeyHex:
        return AppendFormat("%-*s = %lX\r\n", width, e.name, static_cast<unsigned long>(Cell<uint32_t>(e)));
    case kKeyLink: {
        const char *title = "";
        if (gGraphWorkCopy.linkedWindow && Host()) title = Host()->graphTitle(gGraphWorkCopy.linkedWindow);
        return AppendFormat("%-*s = ", width, e.name) && AppendEscaped(title, kTextAsRead) && AppendLineEnd();
    }
    case kKeyParameters:
        if (!AppendFormat("%-*s = %d\r\n", width, e.name, gParameterCount)) return 0;
        for (int i = 0; i < gParameterCount; ++i) {
            // A missing name is written as the name reading would give it.
            const char *name = gParameters[i].name;
            int ok = name && *name ? AppendText(name) : AppendFormat("par%d", i);
            if (!ok || !AppendFormat(" = %.15lg\r\n", gParameters[i].value)) return 0;
        }
        return 1;
    case kKeyNames: {
        const int first = e.arg == kArgVariableNames ? kFixedColumnCount : kFixedColumnCount + n;
        const int count = e.arg == kArgVariableNames ? n : n + 2;
        if (!AppendFormat("%s:\r\n", e.name)) return 0;
        for (int i = 0; i < count; ++i)
            if (!AppendText(ColumnName(first + i)) || !AppendLineEnd()) return 0;
        return 1;
    }
    case kKeyExpressions: {
        char **texts = ExpressionArray(e.arg);
        if (!AppendFormat("%s:\r\n", e.name)) return 0;
        for (int i = ExpressionFirst(e.arg); i < gTextArrayCount; ++i)
            if (!AppendExpressionLine(texts ? texts[i] : nullptr)) return 0;
        return 1;
    }
    case kKeyInitialValues:
        if (!AppendFormat("%s:\r\n", e.name)) return 0;
        for (int i = 0; i < n + 2; ++i)
            if (!AppendFormat("%.15lg\r\n", gInitialValues ? gInitialValues[i] : 0.0)) return 0;
        return 1;
    case kKeyTextList: {
        const TextWindowState &t = gTextWorkCopy;
        char **texts = e.arg == kArgExpressions ? t.expressions : t.formats;
        int ok = e.arg == kArgExpressions ? AppendFormat("%-*s = %d\r\n", width, e.name, t.count)
                                          : AppendFormat("%-*s:\r\n", width, e.name);
        for (int i = 0; ok && i < t.count; ++i) {
            const char *text = texts ? texts[i] : nullptr;
            ok = e.arg == kArgExpressions ? AppendExpressionLine(text, kTextAsRead)
                                          : AppendEscaped(text, kTextAsRead) && AppendLineEnd();
        }
        return ok;
    }
    case kKeyMethod: return WriteMethod(e, width);
    case kKeyElements: return WriteElements();
    default: return 1;  // unknown types are not written
    }
}

bool PassesTypeFilter(const ProblemKeyDescriptor &e) {
    if ((e.flags & kKeyNotMap) && IsMap()) return false;
    if ((e.flags & kKeyMapOnly) && !IsMap()) return false;
    return true;
}

bool InVersion(const ProblemKeyDescriptor &e, long long version) {
    return version >= e.firstVersion && version <= e.lastVersion;
}

}  // namespace

int AppendProblemLine(const char *text, int escape) {
    if (!(escape ? AppendEscaped(text) : AppendText(text ? text : ""))) return 0;
    return AppendLineEnd();
}

void EscapeProblemText(const char *text, char *out, size_t size) {
    if (Escape(text, nullptr, true) + 1 > size) {
        if (size) *out = 0;
        return;
    }
    Escape(text, out, true);
}

void SetUnescapedString(char *&slot, const char *text) {
    if (!text || !*text) {
        FreeAndNull(slot);
        return;
    }
    char *copy = AllocTextBuffer(std::strlen(text) + 1);
    if (!copy) {
        FreeAndNull(slot);
        return;
    }
    UnescapeInto(text, copy);
    AdoptStringBuffer(slot, copy);
}

int WriteKeyTable(const ProblemKeyDescriptor *table, int count, const char *headerValue) {
    const int width = KeyWidth(table, count);
    for (int i = 0; i < count; ++i) {
        const ProblemKeyDescriptor &e = table[i];
        if ((e.noWrite & 1) || !InVersion(e, gProgramVersion) || !PassesTypeFilter(e)) continue;
        if (!WriteEntry(e, width, e.type == kKeyHeader ? headerValue : nullptr)) return 0;
    }
    return !gBuildFailed;
}

namespace {

// Pixel value of a fraction of a client size, as a file placement gives it.
double PlacementPixels(double size, double fraction) { return std::floor(size * fraction + 0.5); }

void RememberPlacement(WindowId w, const double *fractions) {
    PlacedWindow *slot = nullptr;
    for (PlacedWindow &p : gPlaced)
        if (p.window == w) slot = &p;
    if (!slot) {
        slot = &gPlaced[gPlacedNext];
        gPlacedNext = (gPlacedNext + 1) % static_cast<int>(sizeof gPlaced / sizeof *gPlaced);
    }
    slot->window = w;
    std::memcpy(slot->fractions, fractions, sizeof slot->fractions);
}

// The fractions the window was placed by, when they still give its rectangle
// in the client of this size.
const double *RememberedPlacement(WindowId w, const WindowRect &r, double W, double H) {
    for (const PlacedWindow &p : gPlaced) {
        if (p.window != w || !w) continue;
        const double *f = p.fractions;
        if (PlacementPixels(W, f[0]) == r.left && PlacementPixels(H, f[1]) == r.top &&
            PlacementPixels(W, f[2]) == r.width && PlacementPixels(H, f[3]) == r.height)
            return f;
    }
    return nullptr;
}

}  // namespace

int WriteWindowSection(WindowId w, int withHandles, int offset) {
    const ProblemWindowHost *h = Host();
    const int kind = h->childKind(w);
    if (kind != kChildGraph && kind != kChildText) return 1;
    char header[160] = "";
    if (withHandles) {
        std::snprintf(header, sizeof header, "%X", static_cast<unsigned>(w));
    } else {
        WindowRect r = h->childNormalRect(w);
        const WindowRect c = h->clientRect();
        if (offset) {
            r.left += 10;
            r.top += 10;
        }
        if (c.width && c.height) {
            const double W = c.width, H = c.height;
            double f[4] = {r.left / W, r.top / H, r.width / W, r.height / H};
            if (const double *placed = offset ? nullptr : RememberedPlacement(w, r, W, H))
                std::memcpy(f, placed, sizeof f);
            std::snprintf(header, sizeof header, "%lg,%lg,%lg,%lg,%d", f[0], f[1], f[2], f[3],
                          h->childShowState(w));
        }
    }
    h->syncState(w, 0);
    if (kind == kChildText) {
        gViewPoint = gTextWorkCopy.viewPoint;
        return WriteKeyTable(kTextTable, kTextTableCount, header);
    }
    gViewPoint = gGraphWorkCopy.viewPoint;
    return WriteKeyTable(kGraphTable, kGraphTableCount, header);
}

namespace {

void BeginBuild() {
    gBuildFailed = 0;
    FreeAndNull(gProblemTextBuffer);
    gProblemTextLength = 0;
    gCapacity = 0;
    gLineStart = 0;
    gLinesWritten = 0;
}

int EndBuild(int ok) {
    if (!ok) {
        FreeAndNull(gProblemTextBuffer);
        gProblemTextLength = 0;
        gCapacity = 0;
    }
    return ok;
}

}  // namespace

int BuildProblemText(int withHandles) {
    const ProblemWindowHost *h = Host();
    if (h) HostBeginProblemText();
    gFileVersion = gProgramVersion;
    BeginBuild();
    int ok = Reserve(0) && WriteKeyTable(kVersionTable, kVersionTableCount, nullptr) &&
             WriteKeyTable(kTypeTable, kTypeTableCount, nullptr) &&
             WriteKeyTable(kGlobalTable, kGlobalTableCount, nullptr);
    if (ok && h) {
        WindowId children[kMaxChildren];
        const int count = h->childrenTopFirst(children, kMaxChildren);
        for (int i = 0; ok && i < count; ++i) ok = WriteWindowSection(children[i], withHandles, 0);
    }
    ok = EndBuild(ok && WriteKeyTable(kNotesTable, kNotesTableCount, nullptr));
    if (h) HostEndProblemText();
    return ok;
}

int BuildWindowSectionText(WindowId window) {
    if (!Host()) return 0;
    BeginBuild();
    return EndBuild(Reserve(0) && WriteWindowSection(window, 0, 1));
}

int BuildElementText(const GraphicsElement *element) {
    if (!element) return 0;
    BeginBuild();
    return EndBuild(Reserve(0) && WriteElement(element));
}

// ---- Reader

// The reader's working state over one text: the whole problem, or one
// pasted window or element. Each parse makes its own.
struct ProblemReader {
    size_t readPos = 0;
    unsigned lineCounter = 0;  // lines read, comment lines counted
    char line[kProblemLineSize + 1];
    char key[kProblemLineSize + 1];
    const char *value = nullptr;  // into line, or null
    int linePending = 0;
    int parseStatus = 1;          // 1 until a line error
    int declined = 0;             // the user chose not to correct the error
    WindowId sectionWindow = 0;   // window whose section is being read
    WindowPlacement nextPlacement;
    double nextFractions[4];      // the fractions nextPlacement was made from
    WindowId created[kMaxChildren];  // windows made by this parse, in file order
    int createdCount = 0;
};

void SkipLineEnd(ProblemReader &r) {
    const char *t = gProblemTextBuffer;
    while (t[r.readPos] == '\r') ++r.readPos;
    if (t[r.readPos] == '\n') ++r.readPos;
}

void ReportProblemLineError(ProblemReader &r) {
    if (!r.parseStatus) return;  // one message per parse
    const ProblemWindowHost *h = Host();
    if (r.sectionWindow && h) {
        h->syncState(r.sectionWindow, 1);
        h->destroyChild(r.sectionWindow);
        for (int i = 0; i < r.createdCount; ++i)
            if (r.created[i] == r.sectionWindow) {
                std::memmove(r.created + i, r.created + i + 1, (r.createdCount - i - 1) * sizeof *r.created);
                --r.createdCount;
                break;
            }
        r.sectionWindow = 0;
        // The copies pointed into the destroyed window's record.
        gGraphWorkCopy = GraphWindowState();
        gTextWorkCopy = TextWindowState();
    }
    gProblemErrorLine = r.lineCounter;
    ShowErrorBoxWithNumber(IDS_PROBLEM_LINE_ERROR, static_cast<int>(r.lineCounter));
    if (gLastLineErrorAnswer == kIdNo) r.declined = 1;
    r.parseStatus = 0;
}

namespace {

void SplitLine(ProblemReader &r) {
    const char *sep = std::strpbrk(r.line, "=:");
    size_t keyLength = sep ? static_cast<size_t>(sep - r.line) : std::strlen(r.line);
    std::memcpy(r.key, r.line, keyLength);
    while (keyLength && r.key[keyLength - 1] == ' ') --keyLength;
    r.key[keyLength] = 0;
    if (!*r.line) {
        r.value = r.line;  // an empty line: empty key, empty value
        return;
    }
    r.value = nullptr;
    if (!sep) return;
    const char *v = sep + 1;
    if (*v == ' ') ++v;
    if (*v) r.value = v;
}

}  // namespace

// A line is the run of characters from the blank up (tabs too, so that a
// tab typed into a text survives); a longer run than the line buffer, any
// other control character, or the end of the text before a line end is a
// line error: nothing of a value is ever cut silently.
int ReadProblemLine(ProblemReader &r, int mode) {
    if (!r.parseStatus) return 0;
    const char *t = gProblemTextBuffer;
    for (;;) {
        if (!t || !t[r.readPos]) return 0;
        ++r.lineCounter;
        size_t n = 0;
        const char *p = t + r.readPos;
        while ((static_cast<unsigned char>(p[n]) >= 32 || p[n] == '\t') && n < kProblemLineSize) ++n;
        std::memcpy(r.line, p, n);
        r.line[n] = 0;
        r.readPos += n;
        const char next = t[r.readPos];
        if (next != '\r' && next != '\n') {
            ReportProblemLineError(r);
            return 0;
        }
        SkipLineEnd(r);
        if (mode != kLineVerbatim && r.line[0] == ';') continue;
        if (mode == kLineSplit) SplitLine(r);
        return 1;
    }
}

int ParseWindowPlacement(ProblemReader &r, const char *value) {
    double f[4];
    int show = 0;
    const int got = value ? std::sscanf(value, "%lg,%lg,%lg,%lg,%d", &f[0], &f[1], &f[2], &f[3], &show) : 0;
    if (got < 4 || !Host()) return 0;
    const WindowRect c = Host()->clientRect();
    const double W = c.width, H = c.height;
    double px[4] = {W * f[0], H * f[1], W * f[2], H * f[3]};
    // A value that is no number or lies far beyond any screen would not
    // even convert to a pixel count: no placement, the default one is used.
    for (double &v : px) {
        v = std::floor(v + 0.5);
        if (!(std::fabs(v) <= kMaxPlacementPixels)) return 0;
    }
    std::memcpy(r.nextFractions, f, sizeof f);
    r.nextPlacement.rect.left = static_cast<int>(px[0]);
    r.nextPlacement.rect.top = static_cast<int>(px[1]);
    r.nextPlacement.rect.width = static_cast<int>(px[2]);
    r.nextPlacement.rect.height = static_cast<int>(px[3]);
    r.nextPlacement.showState = got == 5 ? show : 0;
    return 1;
}

void ResolveLinkedWindows() {
    const ProblemWindowHost *h = Host();
    if (!h) return;
    WindowId children[kMaxChildren];
    const int count = h->childrenTopFirst(children, kMaxChildren);
    for (int i = 0; i < count; ++i) {
        if (h->childKind(children[i]) != kChildGraph) continue;
        h->syncState(children[i], 0);
        char *pending = gGraphWorkCopy.linkTitle;
        if (!pending) continue;
        gGraphWorkCopy.linkedWindow = 0;
        for (int j = 0; j < count; ++j) {
            if (j == i || h->childKind(children[j]) != kChildGraph) continue;
            if (std::strncmp(h->graphTitle(children[j]), pending, 255) == 0) {
                gGraphWorkCopy.linkedWindow = children[j];
                break;
            }
        }
        FreeAndNull(gGraphWorkCopy.linkTitle);
        h->syncState(children[i], 1);
    }
}

namespace {

int LineError(ProblemReader &r) {
    ReportProblemLineError(r);
    return 0;
}

// Reads "%u"/"%i" into a long long; false when the value is unreadable.
bool ReadInteger(const char *value, bool isUnsigned, long long &out) {
    if (!value) return false;
    if (isUnsigned) {
        unsigned u;
        if (std::sscanf(value, "%u", &u) != 1) return false;
        out = u;
        // A sign makes %u wrap; keep the value as written for the checks.
        const char *v = value;
        while (*v == ' ') ++v;
        if (*v == '-') out = static_cast<int>(u);
        return true;
    }
    int i;
    if (std::sscanf(value, "%i", &i) != 1) return false;
    out = i;
    return true;
}

WindowId OpenWindowSection(ProblemReader &r, int kind) {
    const ProblemWindowHost *h = Host();
    if (!h) return 0;
    WindowId w = 0;
    unsigned handle;
    if (r.value && ParseWindowPlacement(r, r.value)) {
        w = h->createChild(kind, &r.nextPlacement);
        if (w) RememberPlacement(w, r.nextFractions);
    } else if (r.value && std::sscanf(r.value, "%X", &handle) == 1 && handle &&
               h->childKind(handle) == kind) {
        WindowId children[kMaxChildren];
        const int count = h->childrenTopFirst(children, kMaxChildren);
        for (int i = 0; i < count; ++i)
            if (children[i] == handle) w = handle;
        if (!w) w = h->createChild(kind, nullptr);
    } else {
        w = h->createChild(kind, nullptr);
    }
    if (!w) return 0;
    bool isNew = true;
    for (int i = 0; i < r.createdCount; ++i) isNew = isNew && r.created[i] != w;
    if (isNew && r.createdCount < kMaxChildren) r.created[r.createdCount++] = w;
    h->syncState(w, 0);
    if (kind == kChildGraph) {
        gViewPoint = gGraphWorkCopy.viewPoint;
        gGraphWorkCopy.bitmapMode = gOutputBitmap;
        FreeGraphicsElements(&gGraphWorkCopy);
    } else {
        gViewPoint = gTextWorkCopy.viewPoint;
    }
    return w;
}

int ReadNames(ProblemReader &r, const ProblemKeyDescriptor &e) {
    const int n = static_cast<int>(gDimension);
    const int first = e.arg == kArgVariableNames ? kFixedColumnCount : kFixedColumnCount + n;
    const int count = e.arg == kArgVariableNames ? n : n + 2;
    for (int i = 0; i < count; ++i) {
        if (!ReadProblemLine(r, kLineSplit)) return r.parseStatus ? LineError(r) : 0;
        if (gColumnTable && first + i < gColumnCount) SetNonEmptyStringCopy(gColumnTable[first + i].name, r.key);
    }
    return 1;
}

int ReadExpressions(ProblemReader &r, const ProblemKeyDescriptor &e) {
    char **texts = ExpressionArray(e.arg);
    for (int i = ExpressionFirst(e.arg); i < gTextArrayCount; ++i) {
        if (!ReadProblemLine(r, kLineValue)) return r.parseStatus ? LineError(r) : 0;
        if (texts) SetUnescapedString(texts[i], r.line);
    }
    return 1;
}

int ReadInitialValues(ProblemReader &r) {
    const int n = static_cast<int>(gDimension);
    for (int i = 0; i < n + 2; ++i) {
        if (!ReadProblemLine(r, kLineValue)) return r.parseStatus ? LineError(r) : 0;
        double v;
        if (std::sscanf(r.line, "%lg", &v) != 1) return LineError(r);
        if (gInitialValues) gInitialValues[i] = v;
    }
    return 1;
}

int ReadParameters(ProblemReader &r, const ProblemKeyDescriptor &e) {
    long long count;
    if (!ReadInteger(r.value, false, count) || !e.valid(count)) return LineError(r);
    for (int i = gParameterCount - 1; i >= 0; --i) FreeAndNull(gParameters[i].name);
    FreeAndNull(gParameters);
    gParameterCount = 0;
    gOutOfMemory = 0;
    AllocArray(gParameters, static_cast<size_t>(count));
    if (gParameters) gParameterCount = static_cast<int>(count);
    for (long long i = 0; i < count; ++i) {
        if (!ReadProblemLine(r, kLineSplit)) return r.parseStatus ? LineError(r) : 0;
        if (!gParameters) continue;
        ParameterEntry &p = gParameters[i];
        p.value = 0;
        if (r.value) std::sscanf(r.value, "%lg", &p.value);
        if (*r.key) {
            SetNonEmptyStringCopy(p.name, r.key);
        } else {
            char name[24];
            std::snprintf(name, sizeof name, "par%d", static_cast<int>(i));
            SetNonEmptyStringCopy(p.name, name);
        }
    }
    return 1;
}

int ReadTextList(ProblemReader &r, const ProblemKeyDescriptor &e) {
    TextWindowState &t = gTextWorkCopy;
    if (e.arg == kArgExpressions) {
        long long count;
        if (!ReadInteger(r.value, false, count) || !e.valid(count)) return LineError(r);
        FreeTextColumns(&t);
        gOutOfMemory = 0;
        AllocArray(t.expressions, static_cast<size_t>(count));
        AllocArray(t.codes, static_cast<size_t>(count));
        AllocArray(t.formats, static_cast<size_t>(count));
        if (gOutOfMemory || !count) {
            FreeAndNull(t.expressions);
            FreeAndNull(t.codes);
            FreeAndNull(t.formats);
        } else {
            t.count = static_cast<int>(count);
        }
    }
    char **texts = e.arg == kArgExpressions ? t.expressions : t.formats;
    // A format may begin with ";": format lines are taken verbatim.
    const int mode = e.arg == kArgExpressions ? kLineValue : kLineVerbatim;
    for (int i = 0; i < t.count; ++i) {
        if (!ReadProblemLine(r, mode)) return r.parseStatus ? LineError(r) : 0;
        SetRawString(texts[i], r.line);
    }
    return 1;
}

int ReadMethod(ProblemReader &r) {
    if (!r.value) return LineError(r);
    const ProblemWindowHost *h = Host();
    int index = 0;
    if (strcasecmp(r.value, LoadTextResource(IDS_BUILTIN_METHOD)) != 0) {
        for (int k = 1; h; ++k) {
            const char *key = HostCodeLibraryKey(k);
            if (!key) break;
            if (strcasecmp(key, r.value) == 0) {
                index = k;
                break;
            }
        }
        if (!index) return LineError(r);
    }
    HostSelectCodeLibrary(index);
    if (!index) return 1;
    for (int i = 0; const char *name = HostLibraryParamName(i); ++i) {
        if (!ReadProblemLine(r, kLineSplit)) return r.parseStatus ? LineError(r) : 0;
        if (strcasecmp(r.key, name) != 0) return LineError(r);
        double v = 0;
        if (r.value) std::sscanf(r.value, "%lg", &v);
        if (double *cell = HostLibraryParamValue(i)) *cell = v;
    }
    return 1;
}

// The kind named by the value of a "Graphics element" line (its first three
// letters); -1 when none.
int ElementKindOf(const char *value) {
    for (int k = 0; value && k < kElementKindCount; ++k)
        if (strncasecmp(value, kElementKindNames[k], 3) == 0) return k;
    return -1;
}

// The text lines and keys of one element after its "Graphics element" line,
// into el (inserted already); 0 after a line error.
int ReadElementBody(ProblemReader &r, GraphicsElement *el, int kind) {
    el->kind = kind;
    if (kind >= kElementText) {
        if (!ReadProblemLine(r, kLineVerbatim)) return r.parseStatus ? LineError(r) : 0;
        if (kind == kElementText) SetRawString(el->text1, r.line);
        else SetUnescapedString(el->text1, r.line);
    }
    if (HasSecondText(kind)) {
        if (!ReadProblemLine(r, kLineVerbatim)) return r.parseStatus ? LineError(r) : 0;
        SetUnescapedString(el->text2, r.line);
    }
    if (kind == kElement3Curve) {
        if (!ReadProblemLine(r, kLineVerbatim)) return r.parseStatus ? LineError(r) : 0;
        SetUnescapedString(el->text3, r.line);
    }
    gElementWorkCopy = *el;
    if (!ReadKeyTable(r, kElementTable, kElementTableCount)) return 0;
    GraphicsElement kept = *el;
    *el = gElementWorkCopy;
    el->kind = kind;
    el->text1 = kept.text1;
    el->text2 = kept.text2;
    el->text3 = kept.text3;
    el->code1 = kept.code1;
    el->code2 = kept.code2;
    el->code3 = kept.code3;
    el->next = kept.next;
    return 1;
}

int ReadElements(ProblemReader &r) {
    gCurrentGraph = &gGraphWorkCopy;
    while (r.parseStatus) {
        if (!r.linePending) {
            if (!ReadProblemLine(r, kLineSplit)) return r.parseStatus;
            r.linePending = 1;
        }
        if (strcasecmp(r.key, "Graphics element") != 0) return 1;
        if (!r.value) return LineError(r);
        const int kind = ElementKindOf(r.value);
        if (kind < 0) return LineError(r);
        r.linePending = 0;
        GraphicsElement *el = AddGraphicsElement(0);
        if (!el) return LineError(r);
        if (!ReadElementBody(r, el, kind)) return 0;
    }
    return 0;
}

int ReadHeader(ProblemReader &r, const ProblemKeyDescriptor &e) {
    switch (e.arg) {
    case kArgGraphHeader:
    case kArgTextHeader:
        r.sectionWindow = OpenWindowSection(r, e.arg == kArgGraphHeader ? kChildGraph : kChildText);
        return r.sectionWindow ? 1 : LineError(r);
    case kArgNotesHeader: {
        // The rest of the text, raw, is the notes.
        const char *rest = gProblemTextBuffer + r.readPos;
        SetNonEmptyStringCopy(gProjectNotes, rest);
        r.readPos += std::strlen(rest);
        return 1;
    }
    default: return 1;
    }
}

// Applies the pending line to one entry that passed the filters.
int ApplyEntry(ProblemReader &r, const ProblemKeyDescriptor &e) {
    long long v;
    switch (e.type) {
    case kKeyIdentifier:
        // Exact, so an empty identifier matches only an empty one.
        if (std::strcmp(r.value ? r.value : "", gIdentifier) == 0) gSameUserFile = 1;
        return 1;
    case kKeyHeader: return ReadHeader(r, e);
    case kKeyUnsigned:
        if (!ReadInteger(r.value, true, v)) return LineError(r);
        if (e.arg == kArgDimension) {
            if (v <= 0) v = 1;
            if (v > kMaxDimension) return LineError(r);
        } else if (e.valid && !e.valid(v)) {
            return LineError(r);
        }
        SetCell(e, static_cast<unsigned>(v));
        return 1;
    case kKeyInteger:
        if (!ReadInteger(r.value, false, v) || (e.valid && !e.valid(v))) return LineError(r);
        SetCell(e, static_cast<int>(v));
        return 1;
    case kKeyDouble: {
        double d;
        if (!r.value || std::sscanf(r.value, "%lg", &d) != 1) return LineError(r);
        SetCell(e, d);
        return 1;
    }
    case kKeyString: SetRawString(StringCell(e), r.value); return 1;
    case kKeyText: SetUnescapedString(StringCell(e), r.value); return 1;
    case kKeyLink: SetRawString(gGraphWorkCopy.linkTitle, r.value); gGraphWorkCopy.linkedWindow = 0; return 1;
    case kKeyYesNo:
    case kKeyRadio: {
        if (!r.value) return LineError(r);
        int i, yes;
        if (std::sscanf(r.value, "%i", &i) == 1) yes = i != 0;
        else if (*r.value == 'Y' || *r.value == 'y') yes = 1, i = 1;
        else if (*r.value == 'N' || *r.value == 'n') yes = 0, i = 0;
        else return LineError(r);
        if (e.type == kKeyYesNo) SetCell(e, i);
        else if (yes) SetCell(e, static_cast<int>(e.flags & kKeyRadioValueMask));
        return 1;
    }
    case kKeyHex: {
        unsigned long u;
        if (!r.value || std::sscanf(r.value, "%lX", &u) != 1) return LineError(r);
        SetCell(e, static_cast<uint32_t>(u));
        return 1;
    }
    case kKeyParameters: return ReadParameters(r, e);
    case kKeyNames: return ReadNames(r, e);
    case kKeyExpressions: return ReadExpressions(r, e);
    case kKeyInitialValues: return ReadInitialValues(r);
    case kKeyTextList: return ReadTextList(r, e);
    case kKeyMethod: return ReadMethod(r);
    default: return 1;
    }
}

bool PassesReadFilters(const ProblemKeyDescriptor &e) {
    if (!InVersion(e, gFileVersion)) return false;
    if ((e.flags & kKeyMachine) && !gSameUserFile) return false;
    return PassesTypeFilter(e);
}

}  // namespace

int ReadKeyTable(ProblemReader &r, const ProblemKeyDescriptor *table, int count) {
    for (int i = 0; i < count && r.parseStatus; ++i) {
        const ProblemKeyDescriptor &e = table[i];
        if (e.type == kKeyNotes) continue;  // the [Notes] header takes them
        if (e.type == kKeyElements) {
            if (!ReadElements(r)) return 0;
            continue;
        }
        if (!r.linePending) {
            if (!ReadProblemLine(r, kLineSplit)) return r.parseStatus;
            r.linePending = 1;
        }
        if (strcasecmp(r.key, e.name) != 0) continue;
        r.linePending = 0;
        if (PassesReadFilters(e) && !ApplyEntry(r, e)) return 0;
    }
    return r.parseStatus;
}

namespace {

// Makes the windows' stacking that of the file: its first section on top.
void RestoreStacking(const ProblemReader &r) {
    const ProblemWindowHost *h = Host();
    if (!h) return;
    for (int i = r.createdCount - 1; i >= 0; --i) h->bringToTop(r.created[i]);
}

void FinishSection(ProblemReader &r, int kind) {
    const ProblemWindowHost *h = Host();
    WindowId w = r.sectionWindow;
    if (kind == kChildGraph) {
        gGraphWorkCopy.viewPoint = gViewPoint;
        h->syncState(w, 1);
        h->setCaption(w, gGraphWorkCopy.title ? gGraphWorkCopy.title : "");
        HostGraphSectionRead(w);
    } else {
        gTextWorkCopy.viewPoint = gViewPoint;
        h->syncState(w, 1);
        h->setCaption(w, gTextWorkCopy.title ? gTextWorkCopy.title : "");
    }
    r.sectionWindow = 0;
}

void ReadWindowSections(ProblemReader &r) {
    while (r.parseStatus) {
        if (!r.linePending) {
            if (!ReadProblemLine(r, kLineSplit)) return;
            r.linePending = 1;
        }
        int kind;
        if (strcasecmp(r.key, "[Graphics window]") == 0) kind = kChildGraph;
        else if (strcasecmp(r.key, "[Text window]") == 0) kind = kChildText;
        else return;
        const bool ok = kind == kChildGraph ? ReadKeyTable(r, kGraphTable, kGraphTableCount)
                                            : ReadKeyTable(r, kTextTable, kTextTableCount);
        if (!ok) return;
        FinishSection(r, kind);
    }
}

// The names of the first seven column entries (x, t, x0, t0, tp, nx, ny): a
// file that leaves one unset keeps the new problem's name.
struct FixedNames {
    char *names[kFixedColumnCount] = {};

    void Save() {
        for (int i = 0; i < kFixedColumnCount && i < gColumnCount; ++i)
            SetNonEmptyStringCopy(names[i], gColumnTable[i].name);
    }
    void RestoreUnset() {
        for (int i = 0; i < kFixedColumnCount; ++i) {
            if (gColumnTable && i < gColumnCount && !gColumnTable[i].name) {
                gColumnTable[i].name = names[i];
                names[i] = nullptr;
            }
            FreeAndNull(names[i]);
        }
    }
};

int FinishParse(ProblemReader &r) {
    const ProblemWindowHost *h = Host();
    RestoreStacking(r);
    if (r.parseStatus) {
        FreeAndNull(gProblemTextBuffer);
        if (IsMap()) gBackward = 0;
        PlatformSetChoiceState(kChoiceBackward, !IsMap());
        if (gFileVersion <= kAskNameMaxVersion) gAskForProblemName = 1;
    }
    if (h) HostEndProblemText();
    gLoadingProblem = 0;
    if (r.parseStatus) return kParseLoaded;
    return r.declined ? kParseDeclined : kParseCorrect;
}

}  // namespace

namespace {

// The number of a leading "Version" line (comment lines skipped); 0 when the
// text has none.
unsigned LeadingVersion(const char *t) {
    while (*t == ';') {
        t += std::strcspn(t, "\r\n");
        t += std::strspn(t, "\r\n");
    }
    if (strncasecmp(t, "Version", 7) != 0) return 0;
    t += 7;
    t += std::strspn(t, " ");
    unsigned v = 0;
    return *t == '=' && std::sscanf(t + 1, "%u", &v) == 1 ? v : 0;
}

}  // namespace

unsigned gNewerVersionAccepted;

int AcceptProblemTextVersion() {
    gNewerVersionAccepted = 0;
    if (!gProblemTextBuffer) return 1;
    const unsigned v = LeadingVersion(gProblemTextBuffer);
    if (v <= static_cast<unsigned>(gProgramVersion)) return 1;
    if (!AskPercent(IDS_NEWER_PROBLEM_FILE, static_cast<double>(v))) {
        FreeAndNull(gProblemTextBuffer);
        return 0;
    }
    gNewerVersionAccepted = v;
    return 1;
}

int ParseProblemText() {
    ConvertOldProblemText();  // an older format is read as this one
    gFileVersion = 0;
    ProblemReader r;
    gSameUserFile = 0;
    const ProblemWindowHost *h = Host();
    if (!gProblemTextBuffer || !*gProblemTextBuffer) {
        FreeAndNull(gProblemTextBuffer);
        if (h) HostEndProblemText();
        return kParseLoaded;
    }
    // The version first: a newer file the user does not want leaves the
    // problem as it was.
    if (!ReadKeyTable(r, kVersionTable, kVersionTableCount)) return r.declined ? kParseDeclined : kParseCorrect;
    const unsigned accepted = gNewerVersionAccepted;
    gNewerVersionAccepted = 0;
    if (static_cast<unsigned>(gProgramVersion) < gFileVersion && accepted != gFileVersion &&
        !AskPercent(IDS_NEWER_PROBLEM_FILE, static_cast<double>(gFileVersion))) {
        FreeAndNull(gProblemTextBuffer);
        return kParseRefused;
    }
    gLoadingProblem = 1;
    if (h) HostBeginProblemText();
    ResetSolverMethod(0);
    FreeProblemArrays();

    ReadKeyTable(r, kTypeTable, kTypeTableCount);
    // Rebuilt even after an error, so that the arrays fit the type and
    // dimension read so far.
    if (!NewProblemWorkspace()) {
        r.parseStatus = 0;
        return FinishParse(r);
    }
    if (r.parseStatus) {
        FixedNames names;
        names.Save();
        ReadKeyTable(r, kGlobalTable, kGlobalTableCount);
        names.RestoreUnset();
    }
    if (r.parseStatus) ReadWindowSections(r);
    ResolveLinkedWindows();
    if (r.parseStatus) ReadKeyTable(r, kNotesTable, kNotesTableCount);
    if (r.parseStatus && (r.linePending || ReadProblemLine(r, kLineSplit))) LineError(r);
    return FinishParse(r);
}

// ---- One window or one element as clipboard text

namespace {

int WindowKindOfHeader(const char *key) {
    if (strcasecmp(key, "[Graphics window]") == 0) return kChildGraph;
    if (strcasecmp(key, "[Text window]") == 0) return kChildText;
    return kChildOther;
}

}  // namespace

int CreateWindowFromSection() {
    const ProblemWindowHost *h = Host();
    if (!gProblemTextBuffer || !h) {
        FreeAndNull(gProblemTextBuffer);
        return 0;
    }
    ProblemReader r;
    // The text is this program's own: every key of this version applies.
    const unsigned savedVersion = gFileVersion;
    gFileVersion = static_cast<unsigned>(gProgramVersion);
    gLoadingProblem = 1;
    int ok = 1;
    if (!ReadProblemLine(r, kLineSplit)) {
        ok = r.parseStatus;  // empty text: nothing to do; an unreadable line was reported
    } else if (const int kind = WindowKindOfHeader(r.key)) {
        HostBeginProblemText();
        r.linePending = 1;
        ok = kind == kChildGraph ? ReadKeyTable(r, kGraphTable, kGraphTableCount) : ReadKeyTable(r, kTextTable, kTextTableCount);
        if (ok && r.sectionWindow) {
            FinishSection(r, kind);
            ResolveLinkedWindows();
        } else {
            ok = 0;
        }
        HostEndProblemText();
    }
    gLoadingProblem = 0;
    gFileVersion = savedVersion;
    FreeAndNull(gProblemTextBuffer);
    return ok;
}

int ParseElementText() {
    if (!gProblemTextBuffer) return 0;
    ProblemReader r;
    const unsigned savedVersion = gFileVersion;
    gFileVersion = static_cast<unsigned>(gProgramVersion);
    gLoadingProblem = 1;
    const ProblemWindowHost *h = Host();
    int ok = 1;
    if (!ReadProblemLine(r, kLineSplit)) {
        ok = r.parseStatus;
    } else if (strcasecmp(r.key, "Graphics element") == 0) {
        if (h) HostBeginProblemText();
        const int kind = ElementKindOf(r.value);
        GraphicsElement *el = kind >= 0 && gCurrentGraph ? AddGraphicsElement(0) : nullptr;
        if (!el) {
            ok = LineError(r);
        } else if (!ReadElementBody(r, el, kind)) {
            // The half-read element goes; the old current one is current again.
            const int changed = gProblemChanged;
            RemoveCurrentElement();
            gProblemChanged = changed;
            ok = 0;
        }
        if (h) HostEndProblemText();
    }
    gLoadingProblem = 0;
    gFileVersion = savedVersion;
    FreeAndNull(gProblemTextBuffer);
    return ok;
}
