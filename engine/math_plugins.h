// Functions that math-function plug-ins add to the expression language,
// collected in load order into one table that the compiler searches by exact
// name and the interpreter calls by address.
#pragma once
#include <cstdint>

#include "plugin_abi.h"

// A function of argumentCount doubles, passed by value first argument first;
// the callee removes them. The interpreter casts to the matching signature.
typedef void(VR_PLUGIN_CALL *MathFunction)();

// The record a plug-in hands out; it and its name belong to the plug-in and
// stay valid while the library is loaded.
#pragma pack(push, 4)
struct MathFunctionEntry {
    const char *name;
    int32_t argumentCount;  // the host accepts 0 to 20
    MathFunction function;
};
#pragma pack(pop)
static_assert(sizeof(MathFunctionEntry) == 12 || sizeof(void *) != 4, "plug-in record layout");

constexpr int kMaxMathFunctionArguments = 20;

// Copies of the plug-ins' records; empty until the plug-ins are loaded.
extern MathFunctionEntry *gMathFunctions;
extern int gMathFunctionCount;
