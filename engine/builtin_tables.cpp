#include "builtin_tables.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "builtin_math.h"
#include "drawing_commands.h"
#include "eval_errors.h"
#include "math_routines.h"
#include "file_channels.h"
#include "run_control.h"
#include "solver_dll.h"

namespace {

#if defined(_WIN32)
// The runtime reports failed calls through its math-error hook.
#define LIB(f) std::f
#else
// The host's library sets errno instead: wrappers hand it to the report.
#define LIB(f) Checked_##f
#define CHECKED1(f)                                                   \
    double Checked_##f(double x) {                                    \
        errno = 0;                                                    \
        return CheckLibraryResult(#f, x, 0, std::f(x));               \
    }
#define CHECKED2(f)                                                   \
    double Checked_##f(double a, double b) {                          \
        errno = 0;                                                    \
        return CheckLibraryResult(#f, a, b, std::f(a, b));            \
    }
CHECKED1(acos) CHECKED1(asin) CHECKED1(cos) CHECKED1(cosh) CHECKED1(exp) CHECKED1(log)
CHECKED1(log10) CHECKED1(sin) CHECKED1(sinh) CHECKED1(sqrt) CHECKED1(tan)
CHECKED2(atan2) CHECKED2(hypot)
#undef CHECKED1
#undef CHECKED2
#endif

// Each entry's function is checked against its table's signature here.
#define FN0(name, f) {name, reinterpret_cast<BuiltinFunction>(static_cast<BuiltinFunction0>(f))}
#define FN1(name, f) {name, reinterpret_cast<BuiltinFunction>(static_cast<BuiltinFunction1>(f))}
#define FN2(name, f) {name, reinterpret_cast<BuiltinFunction>(static_cast<BuiltinFunction2>(f))}
#define FN3(name, f) {name, reinterpret_cast<BuiltinFunction>(static_cast<BuiltinFunction3>(f))}

// Alphabetical by usable spelling; drawing commands start under their
// placeholders (see SetDrawingCommandsEnabled).
BuiltinFunctionEntry gBuiltins0[] = {
    FN0("BACKWARD", BACKWARD),
    FN0("ENDANIMATI7O3N1", DrawEndAnimation),
    FN0("ERA7S3E1", DrawErase),
    FN0("INF", INF),
    FN0("INFINITY", INF),
    FN0("ITERATIONORDER", ITERATIONORDER),
    FN0("LAS7T3T1", DrawLastT),
    FN0("MA7X3X1", DrawMaxX),
    FN0("MA7X3Y1", DrawMaxY),
    FN0("MI7N3X1", DrawMinX),
    FN0("MI7N3Y1", DrawMinY),
    FN0("NAN", NAN_),
    FN0("REDR7A3W1", DrawRedraw),
    FN0("STARTANIMATI7O3N1", DrawStartAnimation),
};

// The standard functions are the C library's own (double overloads).
BuiltinFunctionEntry gBuiltins1[] = {
    FN1("ABS", std::fabs),          FN1("ACOS", LIB(acos)),         FN1("ACOSH", ARCCOSH),
    FN1("ARCCOS", LIB(acos)),       FN1("ARCCOSH", ARCCOSH),        FN1("ARCSIN", LIB(asin)),
    FN1("ARCSINH", ARCSINH),        FN1("ARCTAN", std::atan),       FN1("ARCTANH", ARCTANH),
    FN1("ASIN", LIB(asin)),         FN1("ASINH", ARCSINH),          FN1("ATAN", std::atan),
    FN1("ATANH", ARCTANH),          FN1("CEIL", std::ceil),         FN1("CEILING", std::ceil),
    FN1("CHOP", CHOP),              FN1("COS", LIB(cos)),           FN1("COSH", LIB(cosh)),
    FN1("ERF", ERF),                FN1("ERFC", ERFC),              FN1("EXP", LIB(exp)),
    FN1("FABS", std::fabs),         FN1("FACTORIAL", FACTORIAL),    FN1("FINITE", FINITE),
    FN1("FLOOR", std::floor),       FN1("FRACC", FRACC),            FN1("GAMMA", GAMMA),
    FN1("INPUT", ChannelInput),     FN1("INT", std::floor),         FN1("ISNAN", ISNAN),
    FN1("LAMBERTW", LAMBERTW),      FN1("LAMBERTW1", LAMBERTW1),    FN1("LN", LIB(log)),
    FN1("LNGAMMA", LNGAMMA),        FN1("LOG", LIB(log)),           FN1("LOG10", LIB(log10)),
    FN1("MESSAGE", ChannelMessage), FN1("PAUSE", PAUSE),            FN1("PENCOL7O3R1", DrawPenColor),
    FN1("PENWID7T3H1", DrawPenWidth), FN1("READ", ChannelRead),     FN1("ROUND", ROUND),
    FN1("SEED", SEED),              FN1("SGN", SGN),                FN1("SIGN", SGN),
    FN1("SIN", LIB(sin)),           FN1("SINGLE", SINGLE),          FN1("SINH", LIB(sinh)),
    FN1("SQR", SQR),                FN1("SQRT", LIB(sqrt)),         FN1("STEP", STEP),
    FN1("TAN", LIB(tan)),           FN1("TANH", std::tanh),         FN1("TIME", TIME),
};

BuiltinFunctionEntry gBuiltins2[] = {
    FN2("ARCTAN2", LIB(atan2)),     FN2("ATAN2", LIB(atan2)),        FN2("BMP", ChannelBmp),
    FN2("BREAK", BREAK),            FN2("CHOP2", CHOP2),             FN2("CONTINUE", CONTINUE),
    FN2("DELETEWRITE", ChannelDeleteWrite), FN2("DIV", DIV),         FN2("HYPOT", LIB(hypot)),
    FN2("LINE7T3O1", DrawLineTo),   FN2("MOD", MOD),                 FN2("MOVE7T3O1", DrawMoveTo),
    FN2("NEWPATH7N3Y1", DrawNewPath), FN2("NROOT", NROOT),           FN2("OPENBMP", ChannelOpenBmp),
    FN2("OPENREAD", ChannelOpenRead), FN2("OPENWRITE", ChannelOpenWrite), FN2("POW", POW),
    FN2("RANDOM", RANDOM),          FN2("RESETBMP", ChannelResetBmp), FN2("RESETREAD", ChannelResetRead),
    FN2("ROUNDMULTIPLE", ROUNDMULTIPLE), FN2("SKIP", SKIP),          FN2("STOP", STOP),
    FN2("WRITE", ChannelWrite),
};

// Entries 0 and 1 are "HSV" and "RGB" in a drawing context, nameless otherwise.
BuiltinFunctionEntry gBuiltins3[] = {
    FN3("", DrawHsv),
    FN3("", DrawRgb),
    FN3("RANDOM3", RANDOM3),
};

#undef LIB
#undef FN0
#undef FN1
#undef FN2
#undef FN3

static_assert(sizeof gBuiltins0 / sizeof *gBuiltins0 == 14, "0-argument keywords");
static_assert(sizeof gBuiltins1 / sizeof *gBuiltins1 == 54, "1-argument keywords");
static_assert(sizeof gBuiltins2 / sizeof *gBuiltins2 == 25, "2-argument keywords");
static_assert(sizeof gBuiltins3 / sizeof *gBuiltins3 == 3, "3-argument keywords");

struct BuiltinTableRef {
    BuiltinFunctionEntry *entries;
    int count;
};
const BuiltinTableRef kTables[] = {
    {gBuiltins0, sizeof gBuiltins0 / sizeof *gBuiltins0},
    {gBuiltins1, sizeof gBuiltins1 / sizeof *gBuiltins1},
    {gBuiltins2, sizeof gBuiltins2 / sizeof *gBuiltins2},
    {gBuiltins3, sizeof gBuiltins3 / sizeof *gBuiltins3},
};

struct DrawingCommand {
    int arguments;
    const char *placeholder;
    const char *usable;
};
const DrawingCommand kDrawingCommands[] = {
    {0, "ERA7S3E1", "ERASE"},
    {0, "LAS7T3T1", "LASTT"},
    {0, "MA7X3X1", "MAXX"},
    {0, "MA7X3Y1", "MAXY"},
    {0, "MI7N3X1", "MINX"},
    {0, "MI7N3Y1", "MINY"},
    {0, "REDR7A3W1", "REDRAW"},
    {0, "STARTANIMATI7O3N1", "STARTANIMATION"},
    {0, "ENDANIMATI7O3N1", "ENDANIMATION"},
    {1, "PENCOL7O3R1", "PENCOLOR"},
    {1, "PENWID7T3H1", "PENWIDTH"},
    {2, "MOVE7T3O1", "MOVETO"},
    {2, "NEWPATH7N3Y1", "NEWPATH"},
    {2, "LINE7T3O1", "LINETO"},
};
constexpr int kDrawingCommandCount = sizeof kDrawingCommands / sizeof *kDrawingCommands;

// Each command's place in its table, found once by its placeholder.
int gDrawingIndex[kDrawingCommandCount];
bool gDrawingIndexKnown;

void FindDrawingCommands() {
    for (int i = 0; i < kDrawingCommandCount; ++i) {
        const BuiltinTableRef &t = kTables[kDrawingCommands[i].arguments];
        gDrawingIndex[i] = -1;
        for (int j = 0; j < t.count; ++j)
            if (std::strcmp(t.entries[j].name, kDrawingCommands[i].placeholder) == 0) {
                gDrawingIndex[i] = j;
                break;
            }
    }
    gDrawingIndexKnown = true;
}

bool EqualIgnoringCase(const char *a, const char *b) {
    for (; *a && *b; ++a, ++b)
        if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

}  // namespace

const BuiltinConstantEntry kBuiltinConstants[] = {
    {"CATALAN", 0.915965594177219},
    {"DEGREE", 0.017453292519943295},
    {"E", 2.718281828459045},
    {"EULERGAMMA", 0.5772156649015329},
    {"GOLDENRATIO", 1.618033988749895},
    {"PI", 3.141592653589793},
};
const int kBuiltinConstantCount = sizeof kBuiltinConstants / sizeof *kBuiltinConstants;

BuiltinFunctionEntry *BuiltinTable(int arguments) { return kTables[arguments].entries; }
int BuiltinTableCount(int arguments) { return kTables[arguments].count; }

const BuiltinFunctionEntry *FindBuiltinFunction(int arguments, const char *upperName) {
    const BuiltinTableRef &t = kTables[arguments];
    for (int i = 0; i < t.count; ++i)
        if (std::strcmp(t.entries[i].name, upperName) == 0) return &t.entries[i];
    return nullptr;
}

const BuiltinConstantEntry *FindBuiltinConstant(const char *upperName) {
    for (int i = 0; i < kBuiltinConstantCount; ++i)
        if (std::strcmp(kBuiltinConstants[i].name, upperName) == 0) return &kBuiltinConstants[i];
    return nullptr;
}

int IsOneArgumentBuiltin(const char *name) {
    for (int i = 0; i < kTables[1].count; ++i)
        if (EqualIgnoringCase(kTables[1].entries[i].name, name)) return 1;
    return 0;
}

void SetDrawingCommandsEnabled(int flag) {
    if (!gDrawingIndexKnown) FindDrawingCommands();
    for (int i = 0; i < kDrawingCommandCount; ++i) {
        const DrawingCommand &c = kDrawingCommands[i];
        if (gDrawingIndex[i] >= 0)
            kTables[c.arguments].entries[gDrawingIndex[i]].name = flag ? c.usable : c.placeholder;
    }
    gBuiltins3[0].name = flag ? "HSV" : "";
    gBuiltins3[1].name = flag ? "RGB" : "";
}
