// Stand-ins for math-function plug-ins, one library per FAKE_PLUGIN value,
// each exporting GetParamDLL through a .def file as a real plug-in does.
#include <cstdint>

#include "math_plugins.h"

#define FAKE_FIRST 1       // "Shared" = 1, "Twice", "Diff", "Sum20"
#define FAKE_SECOND 2      // "Shared" = 2, "Half"; exported as _GetParamDLL@4 only
#define FAKE_BROKEN 3      // broken records around one good one
#define FAKE_ENDLESS 4     // never ends its list
#define FAKE_EMPTY 5       // an empty list
#define FAKE_NO_EXPORT 6   // no GetParamDLL at all

namespace {

[[maybe_unused]] double __stdcall SharedFirst() { return 1; }
[[maybe_unused]] double __stdcall SharedSecond() { return 2; }
[[maybe_unused]] double __stdcall Twice(double x) { return 2 * x; }
[[maybe_unused]] double __stdcall Half(double x) { return x / 2; }
[[maybe_unused]] double __stdcall Diff(double a, double b) { return a - b; }
// Weights show that every argument arrives in its place.
[[maybe_unused]] double __stdcall Sum20(double a1, double a2, double a3, double a4, double a5, double a6, double a7,
                       double a8, double a9, double a10, double a11, double a12, double a13, double a14,
                       double a15, double a16, double a17, double a18, double a19, double a20) {
    const double a[] = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16, a17, a18, a19, a20};
    double sum = 0;
    for (int i = 0; i < 20; ++i) sum += (i + 1) * a[i];
    return sum;
}

template <class T> MathFunction F(T f) { return reinterpret_cast<MathFunction>(f); }

[[maybe_unused]] char gLongName[400];

#if FAKE_PLUGIN == FAKE_FIRST
const MathFunctionEntry kTable[] = {
    {"Shared", 0, F(SharedFirst)}, {"Twice", 1, F(Twice)}, {"Diff", 2, F(Diff)}, {"Sum20", 20, F(Sum20)}};
#elif FAKE_PLUGIN == FAKE_SECOND
const MathFunctionEntry kTable[] = {{"Shared", 0, F(SharedSecond)}, {"Half", 1, F(Half)}};
#elif FAKE_PLUGIN == FAKE_BROKEN
MathFunctionEntry kTable[] = {
    {nullptr, 1, F(Twice)},        // no name
    {"Many", 21, F(Twice)},        // too many arguments
    {"Negative", -1, F(Twice)},    // negative count
    {"NoFunction", 1, nullptr},    // no function
    {gLongName, 1, F(Twice)},      // name of 399 characters
    {"", 1, F(Twice)},             // empty name
    {"Good", 1, F(Twice)},
    {"Limit", 20, F(Sum20)},       // the most arguments a plug-in may take
};
#elif FAKE_PLUGIN == FAKE_ENDLESS
const MathFunctionEntry kTable[] = {{"Again", 1, F(Twice)}};
#endif

}  // namespace

#if FAKE_PLUGIN != FAKE_NO_EXPORT
extern "C" const MathFunctionEntry *__stdcall GetParamDLL(int32_t index) {
#if FAKE_PLUGIN == FAKE_EMPTY
    (void)index;
    return nullptr;
#elif FAKE_PLUGIN == FAKE_ENDLESS
    return index >= 0 ? &kTable[0] : nullptr;
#else
#if FAKE_PLUGIN == FAKE_BROKEN
    for (char &c : gLongName) c = 'x';
    gLongName[sizeof gLongName - 1] = 0;
#endif
    const int32_t count = sizeof kTable / sizeof kTable[0];
    return index >= 0 && index < count ? &kTable[index] : nullptr;
#endif
}
#else
extern "C" double __stdcall Unrelated(double x) { return x; }
#endif
