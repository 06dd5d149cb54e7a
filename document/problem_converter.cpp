#include "problem_converter.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "graph_state.h"
#include "memory.h"
#include "messages.h"
#include "problem_keys.h"
#include "problem_settings.h"
#include "string_ids.h"
#include "workspace.h"

unsigned gOldProblemFormat;

namespace {

// What an entry writes; see ConvertEntry.
enum ConversionKind : uint32_t {
    kConvLiteral,        // the new key as a whole line
    kConvCopyValue,      // "key = " and the old value
    kConvAdjustedIndex,  // a 0-based old axis index, made 1-based for single ODEs
    kConvNotSystem,      // "key = 1" unless the problem is a system
    kConvSystem,         // "key = 1" for a system
    kConvFixedValue,     // "key = " and the entry's fixed value (in oldKey)
    kConvLines,          // "key:" and n old lines
    kConvDefinitions,    // "key:" and n lines (system, map) or 1 (single ODE)
    kConvLinesPlus2,     // "key:" and n + 2 old lines
    kConvParameters,     // "key:count" and count old lines
    kConvLineAfterNext,  // the second line after "old key:"
    kConvYesNo,          // "key = 1" when the old value starts with Y
    kConvMarker,         // detection only
    kConvNotes,          // the leading ";" lines, without the ";"
    kConvElements,       // format C: the graphics elements
};

constexpr uint32_t A = kOldFormatOde, B = kOldFormatMap, C = kOldFormatElements;
constexpr uint32_t kMachine = 0x80;  // never converted: the file came from elsewhere
constexpr uint32_t kAll = 0;

struct ConversionEntry {
    uint32_t kind;       // ConversionKind
    const char *newKey;  // null for markers
    const char *oldKey;  // null: the new key itself; kConvFixedValue: the value
    uint32_t formats;    // A, B, C, kMachine; kAll for every format
};

// In output order, which is the reader's table order. ORDER matters.
const ConversionEntry kConversionTable[] = {
    {kConvCopyValue, "Identifier", nullptr, kMachine},
    {kConvLiteral, "[Type]", nullptr, kAll},
    {kConvNotSystem, "Single ODE", nullptr, A},
    {kConvSystem, "System of ODEs", "Type", A},
    {kConvFixedValue, "Map", "1", B},
    {kConvCopyValue, "Dimension/Order", "Order/number", A},
    {kConvCopyValue, "Dimension/Order", "Dimension", B},
    {kConvMarker, nullptr, "Number of parameters", kAll},
    {kConvMarker, nullptr, "\\(", kAll},
    {kConvMarker, nullptr, "File/device name", kAll},
    {kConvLiteral, "Dimension/Order = 1", nullptr, C},
    {kConvCopyValue, "Stack length", nullptr, kMachine},
    {kConvCopyValue, "P-code length", nullptr, kMachine},
    {kConvCopyValue, "Heaviside(0)", nullptr, kAll},
    {kConvLiteral, "[Variables]", nullptr, kAll},
    {kConvCopyValue, "Independent variable", "Indep. variable", A},
    {kConvCopyValue, "Independent variable", "Index name", B},
    {kConvCopyValue, "Dependent variable(s)", "dep. Variable(s)", A},
    {kConvCopyValue, "Dependent variable(s)", "Variable(s)", B},
    {kConvLines, "Individual names", "individual Names", kAll},
    {kConvCopyValue, "Independent variable(0)", "Name for t0", A},
    {kConvCopyValue, "Independent variable(0)", "Name for n0", B},
    {kConvCopyValue, "Dependent variable(0)", "Initial value(s)", kAll},
    {kConvLinesPlus2, "Individual names(0)", "Names for initial values", kAll},
    {kConvCopyValue, "Poincare/Bifurcation time", "Poincar\x82 time", A},
    {kConvCopyValue, "Poincare/Bifurcation time", "Bifurcation par.", B},
    {kConvParameters, "Parameters", nullptr, kAll},
    {kConvLiteral, "[Equations]", nullptr, kAll},
    {kConvDefinitions, "Definitions", "Edit definitions", kAll},
    {kConvCopyValue, "Delay", "delaY", A},
    {kConvCopyValue, "Power", nullptr, B},
    {kConvCopyValue, "Discontinuities", nullptr, A},
    {kConvLiteral, "[Initial values]", nullptr, kAll},
    {kConvCopyValue, "Independent variable", "t0", A},
    {kConvCopyValue, "Independent variable", "n0", B},
    {kConvLinesPlus2, "Dependent variable(s)", "Change initial values", kAll},
    {kConvLines, "Initial functions", "Edit initial functions", kAll},
    {kConvLiteral, "[Range]", nullptr, kAll},
    {kConvCopyValue, "First value", "t1", A},
    {kConvCopyValue, "First value", "n1", B},
    {kConvCopyValue, "Last value", "tmaX", A},
    {kConvCopyValue, "Last value", "nmaX", B},
    {kConvCopyValue, "Infinity", "infinitY", A},
    {kConvCopyValue, "Infinity", nullptr, B},
    {kConvCopyValue, "Interpolate", nullptr, A},
    {kConvCopyValue, "Step", "\xEBt", A},
    {kConvCopyValue, "Pause", nullptr, kAll},
    {kConvCopyValue, "Retarded points", nullptr, kAll},
    {kConvLiteral, "[Method]", nullptr, A},
    {kConvCopyValue, "Tolerance", "tolerancE", A},
    {kConvCopyValue, "h", nullptr, A},
    {kConvCopyValue, "h max.", "hMax", A},
    {kConvLiteral, "[Status line]", nullptr, kAll},
    {kConvCopyValue, "First expression", "numerical Results", kAll},
    {kConvLineAfterNext, "Second expression", "numerical Results", kAll},
    {kConvCopyValue, "Numerical format", "format strinG", kAll},
    {kConvCopyValue, "Frequency", "frequencY", kAll},
    {kConvLiteral, "[Graphics window]", nullptr, kAll},
    {kConvFixedValue, "Title", "Graph window", kAll},
    {kConvCopyValue, "Min. X", "Xmin", kAll},
    {kConvCopyValue, "X axis", "Variables in axes", kAll},
    {kConvCopyValue, "Max. X", "Xmax", kAll},
    {kConvCopyValue, "Min. Y", "Ymin", kAll},
    {kConvLineAfterNext, "Y axis", "Variables in axes", kAll},
    {kConvCopyValue, "Max. Y", "Ymax", kAll},
    {kConvYesNo, "Continuous line", nullptr, kAll},
    {kConvCopyValue, "Axes location", nullptr, A},
    {kConvCopyValue, "Axes location", nullptr, B},
    {kConvLiteral, "Axes location =", nullptr, C},
    {kConvLiteral, "Square = Yes", nullptr, C},
    {kConvYesNo, "Poincare section", "Poincar\x82 section", A},
    {kConvCopyValue, "Condition", nullptr, A},
    {kConvCopyValue, "Error", nullptr, A},
    {kConvYesNo, "Increasing", nullptr, A},
    {kConvYesNo, "Decreasing", nullptr, A},
    {kConvCopyValue, "Direct", "Direct graph", B},
    {kConvCopyValue, "Inverse", "Inverse graph", B},
    {kConvCopyValue, "Histogram", nullptr, B},
    {kConvYesNo, "Average", nullptr, B},
    {kConvAdjustedIndex, "Select in X axis", "X variable is number", kAll},
    {kConvAdjustedIndex, "Select in Y axis", "Y variable is number", kAll},
    // One old value serves both steps.
    {kConvCopyValue, "Step in X axis", "\xEBx = \xEBy =", kAll},
    {kConvCopyValue, "Step in Y axis", "\xEBx = \xEBy =", kAll},
    {kConvYesNo, "Plotter", nullptr, kMachine},
    {kConvCopyValue, "Color", nullptr, kMachine},
    {kConvCopyValue, "Speed", nullptr, kMachine},
    {kConvCopyValue, "Line type", nullptr, kMachine},
    {kConvCopyValue, "Device", nullptr, kMachine},
    {kConvCopyValue, "Driver", "Select", kMachine},
    {kConvCopyValue, "Phi", nullptr, kAll},
    {kConvCopyValue, "Theta", nullptr, kAll},
    {kConvCopyValue, "Psi", "pSi", kAll},
    {kConvCopyValue, "Origin", nullptr, kAll},
    {kConvCopyValue, "Distance", "Dist.", kAll},
    {kConvElements, nullptr, nullptr, kAll},
    {kConvLiteral, "[Notes]", nullptr, kAll},
    {kConvNotes, ";", nullptr, kAll},
};
constexpr int kConversionTableCount = sizeof kConversionTable / sizeof *kConversionTable;
static_assert(kConversionTableCount == 97, "conversion table");

// One graphics element of format C; the first entry opens it. ORDER: the
// reader's element table.
const ConversionEntry kElementConversionTable[] = {
    {kConvCopyValue, "Graphics element", "Type", C},
    {kConvCopyValue, "x", "X0", C},
    {kConvCopyValue, "y", "Y0", C},
    {kConvCopyValue, "size", "Size", C},
    {kConvCopyValue, "radius", "Radius", C},
    {kConvCopyValue, "begin", "Begin", C},
    {kConvCopyValue, "end", "End", C},
    {kConvCopyValue, "direction", "Direction", C},
    {kConvFixedValue, "color", "0", C},  // old colours meant other things
    {kConvCopyValue, "line", "Line type", C},
    {kConvCopyValue, "steps", "Number of steps", C},
};
constexpr int kElementConversionCount = sizeof kElementConversionTable / sizeof *kElementConversionTable;
static_assert(kElementConversionCount == 11, "element conversion table");

constexpr size_t kGrowStep = 20480;
// The longest element kind an old file could hold.
constexpr size_t kMaxKindLength = 23;
constexpr unsigned char kOldPiByte = 0xE3;

// ---- Working state of one conversion

const char *gOld;      // the old text
size_t gOldLength;
size_t gPos;           // read position in the old text
unsigned gFormat;
int gCount;            // n: the dimension, at least 1
int gSystem;
char *gOut;            // the new text
size_t gOutLength, gOutCapacity;
int gOutFailed;        // memory ran out or the size overflowed
// The first malformed spot: message id, its old line, the key concerned.
int gBadId;
size_t gBadPos;
const char *gBadKey;
// The last key found had "key:" with its value on the next line.
bool gColonForm;
// Where the last key found stands, and its name, for the messages.
size_t gKeyPos;
const char *gKeyName;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// CR LF, LF CR, CR or LF at p; 0 when none.
size_t LineEndLength(size_t p) {
    if (p >= gOldLength || !IsLineEnd(gOld[p])) return 0;
    if (p + 1 < gOldLength && IsLineEnd(gOld[p + 1]) && gOld[p + 1] != gOld[p]) return 2;
    return 1;
}

size_t EndOfLine(size_t p) {
    while (p < gOldLength && !IsLineEnd(gOld[p])) ++p;
    return p;
}

// Past the rest of the line at p and its line end.
size_t NextLine(size_t p) {
    p = EndOfLine(p);
    return p + LineEndLength(p);
}

unsigned LineNumber(size_t pos) {
    unsigned line = 1;
    for (size_t p = 0; p < pos && p < gOldLength;) {
        if (size_t e = LineEndLength(p)) {
            p += e;
            if (p <= pos) ++line;
        } else {
            ++p;
        }
    }
    return line;
}

// Notes the first malformed spot; the conversion is then abandoned.
void Malformed(int id, size_t pos, const char *key) {
    if (gBadId) return;
    gBadId = id;
    gBadPos = pos;
    gBadKey = key;
}

bool Failed() { return gOutFailed || gBadId; }

// ---- The new text

void Append(const char *text, size_t n) {
    if (gOutFailed) return;
    if (n > SIZE_MAX - gOutLength - 1) {
        gOutFailed = 1;
        return;
    }
    const size_t need = gOutLength + n + 1;
    if (need > gOutCapacity) {
        const size_t steps = (need + kGrowStep - 1) / kGrowStep;
        if (steps > SIZE_MAX / kGrowStep || !ResizeBlock(gOut, steps * kGrowStep)) {
            gOutFailed = 1;
            return;
        }
        gOutCapacity = steps * kGrowStep;
    }
    std::memcpy(gOut + gOutLength, text, n);
    gOutLength += n;
    gOut[gOutLength] = 0;
}

void AppendText(const char *text) { Append(text, std::strlen(text)); }

void AppendLine(const char *text) {
    AppendText(text);
    Append("\r\n", 2);
}

// "key = value" or "key:value" for the short values the converter makes.
void AppendKeyNumber(const char *key, const char *separator, int value) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", value);
    AppendText(key);
    AppendText(separator);
    AppendLine(number);
}

// Copies the old line from p (its rest, when p is inside it) as one new
// line, the byte of pi as "pi", and returns the position past its line end.
// A line of any length goes over whole.
size_t CopyLine(size_t p) {
    size_t run = p;
    for (; p < gOldLength && !IsLineEnd(gOld[p]); ++p) {
        if (static_cast<unsigned char>(gOld[p]) != kOldPiByte) continue;
        Append(gOld + run, p - run);
        AppendText("pi");
        run = p + 1;
    }
    Append(gOld + run, p - run);
    Append("\r\n", 2);
    return p + LineEndLength(p);
}

// ---- Searching the old text

enum SearchMode { kValue, kColonOnly };

// Finds key at a line start in [from, limit) followed by blanks and "=" or
// ":" (kColonOnly: ":" only). On success *value is where the value starts:
// after "=" and blanks on the same line, or at the line after a ":" (for
// kColonOnly, right after the ":"); *keyPos is the key's position. Candidates
// that fail the test are passed over.
bool FindKey(const char *key, size_t from, size_t limit, SearchMode mode, size_t *value, size_t *keyPos = nullptr) {
    const size_t n = std::strlen(key);
    for (size_t s = from; s < limit; s = NextLine(s)) {
        if (s > 0 && !IsLineEnd(gOld[s - 1])) continue;  // from inside a line: go to the next
        if (n > gOldLength - s || std::memcmp(gOld + s, key, n) != 0) continue;
        size_t p = s + n;
        while (p < gOldLength && IsBlank(gOld[p])) ++p;
        gColonForm = false;
        if (p >= gOldLength) continue;
        if (mode == kColonOnly) {
            if (gOld[p] != ':') continue;
            *value = p + 1;
        } else if (gOld[p] == '=') {
            ++p;
            while (p < gOldLength && IsBlank(gOld[p])) ++p;
            *value = p;
        } else if (gOld[p] == ':') {
            *value = NextLine(p);
            gColonForm = true;
        } else {
            continue;
        }
        if (keyPos) *keyPos = s;
        gKeyPos = s;
        gKeyName = key;
        return true;
    }
    return false;
}

bool FindKey(const char *key, size_t *value) { return FindKey(key, 0, gOldLength, kValue, value); }

// "%d" at p on its line: blanks, a sign, digits. Values beyond int are held
// at its limits, where every reader check rejects them.
bool ReadNumber(size_t p, int *out) {
    while (p < gOldLength && IsBlank(gOld[p])) ++p;
    bool negative = false;
    if (p < gOldLength && (gOld[p] == '-' || gOld[p] == '+')) negative = gOld[p++] == '-';
    if (p >= gOldLength || gOld[p] < '0' || gOld[p] > '9') return false;
    long long v = 0;
    for (; p < gOldLength && gOld[p] >= '0' && gOld[p] <= '9'; ++p)
        if (v <= INT32_MAX) v = v * 10 + (gOld[p] - '0');
    if (v > INT32_MAX) v = INT32_MAX;
    *out = static_cast<int>(negative ? -v : v);
    return true;
}

// ---- Writing the entries

// count old lines from p; a text that ends first is truncated.
size_t CopyLines(size_t p, long long count) {
    const size_t keyPos = gKeyPos;
    const char *key = gKeyName;
    for (long long i = 0; i < count && !Failed(); ++i) {
        if (p >= gOldLength) {
            Malformed(IDS_OLD_PROBLEM_TRUNCATED, keyPos, key);
            break;
        }
        p = CopyLine(p);
    }
    return p;
}

void ConvertParameters(const ConversionEntry &e, size_t value) {
    const size_t keyPos = gKeyPos;
    const char *key = gKeyName;
    size_t countAt;
    int count;
    if (!FindKey("Number of parameters", &countAt) || !ReadNumber(countAt, &count) || count < 0 ||
        count > kMaxParameters) {
        Malformed(IDS_OLD_PROBLEM_PARAMETER_COUNT, keyPos, key);
        return;
    }
    AppendKeyNumber(e.newKey, ":", count);
    gKeyPos = keyPos;
    gKeyName = key;
    gPos = CopyLines(value, count);
}

// Writes one entry that needs the old value at value.
void ConvertFoundEntry(const ConversionEntry &e, size_t value) {
    int v;
    if (gColonForm && value >= gOldLength && e.kind != kConvParameters) {
        // "key:" as the last line: its value or lines are missing.
        Malformed(IDS_OLD_PROBLEM_TRUNCATED, gKeyPos, gKeyName);
        return;
    }
    switch (e.kind) {
    case kConvCopyValue:
        AppendText(e.newKey);
        AppendText(" = ");
        gPos = CopyLine(value);
        return;
    case kConvAdjustedIndex:
        gPos = NextLine(value);
        if (!ReadNumber(value, &v)) return;
        if (v < 0) v = 0;
        else if (!gSystem && gFormat != B && v < INT32_MAX) ++v;
        AppendKeyNumber(e.newKey, " = ", v);
        return;
    case kConvYesNo:
        AppendKeyNumber(e.newKey, " = ", value < gOldLength && (gOld[value] == 'Y' || gOld[value] == 'y'));
        gPos = NextLine(value);
        return;
    case kConvLines:
    case kConvLinesPlus2:
    case kConvDefinitions: {
        long long count = gCount;
        if (e.kind == kConvLinesPlus2) count += 2;
        else if (e.kind == kConvDefinitions && !gSystem && gFormat != B) count = 1;
        AppendText(e.newKey);
        AppendLine(":");
        gPos = CopyLines(value, count);
        return;
    }
    case kConvParameters: ConvertParameters(e, value); return;
    case kConvLineAfterNext: {
        // value is just after the ":": the wanted line is the second below.
        size_t p = NextLine(value);
        if (p < gOldLength) p = NextLine(p);
        AppendText(e.newKey);
        AppendText(" = ");
        if (p >= gOldLength) {
            Malformed(IDS_OLD_PROBLEM_TRUNCATED, gKeyPos, gKeyName);
            return;
        }
        gPos = CopyLine(p);
        return;
    }
    default: return;
    }
}

// Text lines of an element kind in the old files; the reader wants as many
// as the current writer gives (kinds 10-12 have two that old files lack).
int OldTextLines(int kind) {
    switch (kind) {
    case kElementText: case kElementSpecial: case kElementData: return 1;
    case kElement2Curve: case kElementFractal: return 2;
    case kElement3Curve: return 3;
    default: return 0;
    }
}

int CurrentTextLines(int kind) {
    if (kind < kElementText) return 0;
    if (kind == kElement3Curve) return 3;
    return kind == kElement2Curve || kind >= kElementFractal ? 2 : 1;
}

// The kind named by the old value at p, or -1.
int ElementKind(size_t p) {
    size_t end = EndOfLine(p);
    while (end > p && IsBlank(gOld[end - 1])) --end;
    const size_t n = end - p;
    if (n == 0 || n > kMaxKindLength) return -1;
    char name[kMaxKindLength + 1];
    std::memcpy(name, gOld + p, n);
    name[n] = 0;
    for (int k = 0; k < kElementKindCount; ++k)
        if (strcasecmp(name, kElementKindNames[k]) == 0) return k;
    if (strcasecmp(name, "User") == 0) return kElement2Curve;
    if (strcasecmp(name, "User 3D") == 0) return kElement3Curve;
    return -1;
}

// Converts the elements from the current position on, one per old "Type".
// An element's other keys are looked for only up to the next "Type", so a
// key one element lacks is never taken from the next.
void ConvertElements() {
    const ConversionEntry &open = kElementConversionTable[0];
    size_t value, keyPos;
    // The main entries may have moved past elements that stand before them.
    if (FindKey(open.oldKey, 0, gPos, kValue, &value, &keyPos)) gPos = keyPos;
    while (!Failed() && FindKey(open.oldKey, gPos, gOldLength, kValue, &value, &keyPos)) {
        const int kind = ElementKind(value);
        if (kind < 0) {
            Malformed(IDS_OLD_PROBLEM_ELEMENT_KIND, keyPos, nullptr);
            return;
        }
        AppendText(open.newKey);
        AppendText(" = ");
        AppendLine(kElementKindNames[kind]);
        size_t p = NextLine(value);
        for (int i = 0; i < OldTextLines(kind) && !Failed(); ++i) {
            if (p >= gOldLength) {
                Malformed(IDS_OLD_PROBLEM_TRUNCATED, keyPos, open.oldKey);
                return;
            }
            p = CopyLine(p);
        }
        for (int i = OldTextLines(kind); i < CurrentTextLines(kind); ++i) Append("\r\n", 2);
        gPos = p;
        size_t limit, ignored;
        if (!FindKey(open.oldKey, gPos, gOldLength, kValue, &ignored, &limit)) limit = gOldLength;
        for (int i = 1; i < kElementConversionCount && !Failed(); ++i) {
            const ConversionEntry &e = kElementConversionTable[i];
            if (e.kind == kConvFixedValue) {
                AppendText(e.newKey);
                AppendText(" = ");
                AppendLine(e.oldKey);
            } else if (FindKey(e.oldKey, gPos, limit, kValue, &value)) {
                ConvertFoundEntry(e, value);
            }
        }
    }
}

// The leading comment lines become the notes.
void ConvertNotes() {
    size_t p = 0;
    while (p < gOldLength && gOld[p] == ';' && !Failed()) p = CopyLine(p + 1);
}

void ConvertEntry(const ConversionEntry &e) {
    switch (e.kind) {
    case kConvMarker: return;
    case kConvLiteral: AppendLine(e.newKey); return;
    case kConvNotSystem: AppendKeyNumber(e.newKey, " = ", !gSystem); return;
    case kConvSystem: AppendKeyNumber(e.newKey, " = ", gSystem); return;
    case kConvFixedValue:
        AppendText(e.newKey);
        AppendText(" = ");
        AppendLine(e.oldKey);
        return;
    case kConvElements:
        if (gFormat == C) ConvertElements();
        return;
    case kConvNotes: ConvertNotes(); return;
    default: break;
    }
    size_t value;
    const char *key = e.oldKey ? e.oldKey : e.newKey;
    const SearchMode mode = e.kind == kConvLineAfterNext ? kColonOnly : kValue;
    if (FindKey(key, 0, gOldLength, mode, &value)) ConvertFoundEntry(e, value);
}

// Detects the format and the dimension; false when there is nothing to do.
bool Detect() {
    size_t value;
    if (FindKey("Version", &value)) return false;
    const char *marker = nullptr;
    if (FindKey("Order/number", &value)) gFormat = A, marker = "Order/number";
    else if (FindKey("Dimension", &value)) gFormat = B, marker = "Dimension";
    else if (FindKey("\\(", &value) || FindKey("File/device name", &value)) gFormat = C;
    else return false;
    gCount = 1;  // format C declares dimension 1
    if (gFormat == C) return true;
    int n;
    if (!ReadNumber(value, &n)) {
        // Left for the reader, which shows the line.
        gFormat = kOldFormatNone;
        return false;
    }
    if (n > kMaxDimension) {
        size_t keyPos;
        FindKey(marker, 0, gOldLength, kValue, &value, &keyPos);
        Malformed(IDS_OLD_PROBLEM_DIMENSION, keyPos, marker);
        return true;
    }
    // The reader takes a dimension of 0 or less as 1, and so the counts.
    gCount = n > 0 ? n : 1;
    return true;
}

void ReportMalformed() {
    const unsigned line = LineNumber(gBadPos);
    if (gBadId == IDS_OLD_PROBLEM_ELEMENT_KIND) ShowErrorBoxFormatted(gBadId, line);
    else ShowErrorBoxFormatted(gBadId, gBadKey ? gBadKey : "", line);
}

}  // namespace

int ConvertOldProblemText() {
    gOldProblemFormat = kOldFormatNone;
    if (!gProblemTextBuffer) return kConvertNotNeeded;
    gOld = gProblemTextBuffer;
    gOldLength = std::strlen(gOld);
    gPos = 0;
    gFormat = kOldFormatNone;
    gSystem = 0;
    gOut = nullptr;
    gOutLength = gOutCapacity = 0;
    gOutFailed = 0;
    gBadId = 0;
    gBadPos = 0;
    gBadKey = nullptr;

    int result = kConvertNotNeeded;
    if (Detect()) {
        gOldProblemFormat = gFormat;
        size_t value;
        // Only format A has a problem "Type"; in format C it names elements.
        if (gFormat == A && FindKey("Type", &value) && value < gOldLength)
            gSystem = gOld[value] == 'S' || gOld[value] == 's';
        AppendLine("Version = 0");
        for (int i = 0; i < kConversionTableCount && !Failed(); ++i) {
            const ConversionEntry &e = kConversionTable[i];
            if ((e.formats & kMachine) || (e.formats && !(e.formats & gFormat))) continue;
            ConvertEntry(e);
        }
        if (Failed()) {
            if (gBadId) ReportMalformed();
            FreeAndNull(gOut);
            result = kConvertRefused;
        } else {
            FreeAndNull(gProblemTextBuffer);
            gProblemTextBuffer = gOut;
            gProblemTextLength = gOutLength;
            gOut = nullptr;
            gAskForProblemName = 1;
            result = kConvertDone;
        }
    }
    gOld = nullptr;
    gOldLength = 0;
    return result;
}
