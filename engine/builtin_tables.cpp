#include "builtin_tables.h"

#include <cctype>
#include <cstring>

namespace {

// Each entry's function is checked against its table's signature here.
#define FN0(name, f) {name, reinterpret_cast<BuiltinFunction>(static_cast<BuiltinFunction0>(f))}
#define FN1(name, f) {name, reinterpret_cast<BuiltinFunction>(static_cast<BuiltinFunction1>(f))}
#define FN2(name, f) {name, reinterpret_cast<BuiltinFunction>(static_cast<BuiltinFunction2>(f))}
#define FN3(name, f) {name, reinterpret_cast<BuiltinFunction>(static_cast<BuiltinFunction3>(f))}

// Alphabetical by usable spelling; drawing commands start under their
// placeholders (see SetDrawingCommandsEnabled).
BuiltinFunctionEntry gBuiltins0[] = {
    FN0("BACKWARD", BuiltinStub0),
    FN0("ENDANIMATI7O3N1", BuiltinStub0),
    FN0("ERA7S3E1", BuiltinStub0),
    FN0("INF", BuiltinStub0),
    FN0("INFINITY", BuiltinStub0),
    FN0("ITERATIONORDER", BuiltinStub0),
    FN0("LAS7T3T1", BuiltinStub0),
    FN0("MA7X3X1", BuiltinStub0),
    FN0("MA7X3Y1", BuiltinStub0),
    FN0("MI7N3X1", BuiltinStub0),
    FN0("MI7N3Y1", BuiltinStub0),
    FN0("NAN", BuiltinStub0),
    FN0("REDR7A3W1", BuiltinStub0),
    FN0("STARTANIMATI7O3N1", BuiltinStub0),
};

BuiltinFunctionEntry gBuiltins1[] = {
    FN1("ABS", BuiltinStub1),       FN1("ACOS", BuiltinStub1),      FN1("ACOSH", BuiltinStub1),
    FN1("ARCCOS", BuiltinStub1),    FN1("ARCCOSH", BuiltinStub1),   FN1("ARCSIN", BuiltinStub1),
    FN1("ARCSINH", BuiltinStub1),   FN1("ARCTAN", BuiltinStub1),    FN1("ARCTANH", BuiltinStub1),
    FN1("ASIN", BuiltinStub1),      FN1("ASINH", BuiltinStub1),     FN1("ATAN", BuiltinStub1),
    FN1("ATANH", BuiltinStub1),     FN1("CEIL", BuiltinStub1),      FN1("CEILING", BuiltinStub1),
    FN1("CHOP", BuiltinStub1),      FN1("COS", BuiltinStub1),       FN1("COSH", BuiltinStub1),
    FN1("ERF", BuiltinStub1),       FN1("ERFC", BuiltinStub1),      FN1("EXP", BuiltinStub1),
    FN1("FABS", BuiltinStub1),      FN1("FACTORIAL", BuiltinStub1), FN1("FINITE", BuiltinStub1),
    FN1("FLOOR", BuiltinStub1),     FN1("FRACC", BuiltinStub1),     FN1("GAMMA", BuiltinStub1),
    FN1("INPUT", BuiltinStub1),     FN1("INT", BuiltinStub1),       FN1("ISNAN", BuiltinStub1),
    FN1("LAMBERTW", BuiltinStub1),  FN1("LAMBERTW1", BuiltinStub1), FN1("LN", BuiltinStub1),
    FN1("LNGAMMA", BuiltinStub1),   FN1("LOG", BuiltinStub1),       FN1("LOG10", BuiltinStub1),
    FN1("MESSAGE", BuiltinStub1),   FN1("PAUSE", BuiltinStub1),     FN1("PENCOL7O3R1", BuiltinStub1),
    FN1("PENWID7T3H1", BuiltinStub1), FN1("READ", BuiltinStub1),    FN1("ROUND", BuiltinStub1),
    FN1("SEED", BuiltinStub1),      FN1("SGN", BuiltinStub1),       FN1("SIGN", BuiltinStub1),
    FN1("SIN", BuiltinStub1),       FN1("SINGLE", BuiltinStub1),    FN1("SINH", BuiltinStub1),
    FN1("SQR", BuiltinStub1),       FN1("SQRT", BuiltinStub1),      FN1("STEP", BuiltinStub1),
    FN1("TAN", BuiltinStub1),       FN1("TANH", BuiltinStub1),      FN1("TIME", BuiltinStub1),
};

BuiltinFunctionEntry gBuiltins2[] = {
    FN2("ARCTAN2", BuiltinStub2),   FN2("ATAN2", BuiltinStub2),      FN2("BMP", BuiltinStub2),
    FN2("BREAK", BuiltinStub2),     FN2("CHOP2", BuiltinStub2),      FN2("CONTINUE", BuiltinStub2),
    FN2("DELETEWRITE", BuiltinStub2), FN2("DIV", BuiltinStub2),      FN2("HYPOT", BuiltinStub2),
    FN2("LINE7T3O1", BuiltinStub2), FN2("MOD", BuiltinStub2),        FN2("MOVE7T3O1", BuiltinStub2),
    FN2("NEWPATH7N3Y1", BuiltinStub2), FN2("NROOT", BuiltinStub2),   FN2("OPENBMP", BuiltinStub2),
    FN2("OPENREAD", BuiltinStub2),  FN2("OPENWRITE", BuiltinStub2),  FN2("POW", BuiltinStub2),
    FN2("RANDOM", BuiltinStub2),    FN2("RESETBMP", BuiltinStub2),   FN2("RESETREAD", BuiltinStub2),
    FN2("ROUNDMULTIPLE", BuiltinStub2), FN2("SKIP", BuiltinStub2),   FN2("STOP", BuiltinStub2),
    FN2("WRITE", BuiltinStub2),
};

// Entries 0 and 1 are "HSV" and "RGB" in a drawing context, nameless otherwise.
BuiltinFunctionEntry gBuiltins3[] = {
    FN3("", BuiltinStub3),
    FN3("", BuiltinStub3),
    FN3("RANDOM3", BuiltinStub3),
};

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
