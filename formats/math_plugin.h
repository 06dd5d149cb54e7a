// The protocol between the main program and every math-function plug-in: the
// plug-in exports GetParamDLL, which answers an index with a pointer to one
// of its MathFunctionEntry records, or null past the last one. The plug-in
// owns the records and the names; they stay valid while it is loaded.
//
// This header is all a plug-in shares with its host: a plug-in links against
// nothing of the main program.
#pragma once
#include <stdint.h>

#include "plugin_abi.h"

// Plug-in functions remove their own arguments on Win32 (plugin_abi.h).
#define VR_MATH_CALL VR_PLUGIN_CALL

// The function takes argumentCount doubles by value, first argument first,
// and returns a double; the host casts this generic function pointer to the
// signature the count gives before calling it.
typedef void(VR_MATH_CALL *MathFunction)(void);

// Crosses the library boundary: three 32-bit fields, no padding, whatever the
// compiler on either side would choose.
#pragma pack(push, 4)
struct MathFunctionEntry {
    const char *name;         // expression-language identifier, case-sensitive
    int32_t argumentCount;    // 0 to kMaxMathFunctionArguments
    MathFunction function;
};
#pragma pack(pop)

static_assert(sizeof(void *) != 4 || sizeof(MathFunctionEntry) == 12,
              "MathFunctionEntry must be three packed 32-bit fields");

constexpr int kMaxMathFunctionArguments = 20;

// Name of the entry point the host looks up, and the decorated name it tries
// when the plain one is missing.
#define VR_MATH_ENTRY_NAME "GetParamDLL"
#define VR_MATH_ENTRY_DECORATED_NAME "_GetParamDLL@4"

typedef const MathFunctionEntry *(VR_MATH_CALL *GetParamDllFunction)(int32_t index);
