// The expression language's built-in vocabulary: four tables of functions by
// argument count and one of constants, searched by the compiler with the
// name in upper case. Linear search, first match wins.
#pragma once

typedef double (*BuiltinFunction0)();
typedef double (*BuiltinFunction1)(double);
typedef double (*BuiltinFunction2)(double, double);
typedef double (*BuiltinFunction3)(double, double, double);

// A table's functions all take the table's number of arguments; the entry
// holds the address type-erased, as P-code does, and the caller casts it
// back to the BuiltinFunctionK of the table.
typedef void (*BuiltinFunction)();

struct BuiltinFunctionEntry {
    const char *name;  // upper case; switched for the drawing commands
    BuiltinFunction function;
};

struct BuiltinConstantEntry {
    const char *name;  // upper case
    double value;
};

constexpr int kBuiltinMaxArguments = 3;

// The table of k arguments (0 to 3) and its entry count.
BuiltinFunctionEntry *BuiltinTable(int arguments);
int BuiltinTableCount(int arguments);

// The entry named upperName in the table of k arguments, or null.
const BuiltinFunctionEntry *FindBuiltinFunction(int arguments, const char *upperName);
// The constant named upperName, or null.
const BuiltinConstantEntry *FindBuiltinConstant(const char *upperName);
extern const BuiltinConstantEntry kBuiltinConstants[];
extern const int kBuiltinConstantCount;

// 1 when name (any case) is a keyword of the one-argument table.
int IsOneArgumentBuiltin(const char *name);

// The drawing commands sit in the tables under placeholder spellings that no
// expression can type. With flag 1 they get their usable names (for a graph
// window's axis expressions), with 0 the placeholders come back.
void SetDrawingCommandsEnabled(int flag);

// --- Functions the compiler binds by address outside the tables; their
// bodies come with the evaluation bridges and the 3-D projection.

// The built-in behind name(t) and x(k, t): variable k's value at time t.
double EvaluateDelayedValue(double k, double t);
// Screen coordinates of a 3-D point under the current view point.
double projx(double x, double y, double z);
double projy(double x, double y, double z);
