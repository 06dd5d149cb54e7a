// Stand-ins for solver libraries, one per FAKE_SOLVER value. The signatures
// are spelled out here rather than taken from the host's header, so that the
// decorated export names (their argument sizes) check the host's side.
#include <windows.h>

#define FAKE_EULER 1      // explicit Euler, every entry point
#define FAKE_IN_USE 2     // InitDLL answers "already in use"
#define FAKE_NO_INTERPOLATE 3

namespace {

struct Param {
    const char *name;
    double value;
} __attribute__((packed, aligned(4)));
static_assert(sizeof(Param) == 12, "the record is 12 bytes");

Param gParams[] = {{"steps", 1000}, {"order", 1}};
int gUsers;

}  // namespace

typedef void(__stdcall *Rhs)(double t, double *y, double *dydt);
typedef int(__stdcall *Output)(double t, const double *y);
typedef double(__stdcall *Fallback)(int j, double t);

extern "C" {

int __stdcall InitDLL(HINSTANCE, int isSystem, int dimension, int retardedPoints) {
#if FAKE_SOLVER == FAKE_IN_USE
    (void)isSystem, (void)dimension, (void)retardedPoints;
    return -1;
#else
    if (gUsers) return -1;
    ++gUsers;
    return isSystem == 1 && dimension == 1 ? retardedPoints : -3;
#endif
}

void __stdcall EndDLL() { gUsers = 0; }

// Fixed steps of (tEnd - t) / "steps" towards tEnd through the callback.
int __stdcall SolveDLL(double *t, double *y, double tEnd, double, double, double, double, int firstCall,
                       Rhs rhs, Output output) {
    if (firstCall && output(*t, y)) return 1;
    const int n = static_cast<int>(gParams[0].value);
    const double t0 = *t, h = (tEnd - t0) / n;
    for (int i = 0; i < n; ++i) {
        double dydt;
        rhs(*t, y, &dydt);
        y[0] += h * dydt;
        *t = t0 + (i + 1) * h;
        if (output(*t, y)) return 1;
    }
    return 0;
}

#if FAKE_SOLVER != FAKE_NO_INTERPOLATE
int __stdcall InterpolateDLL(int which, double t, double *out, Fallback fallback) {
    out[0] = fallback ? fallback(which, t) : t;
    return 0;
}
#endif

Param *__stdcall ParamDLL(int index) {
    return index >= 0 && index < 2 ? &gParams[index] : nullptr;
}

double __stdcall IterOrderDLL() { return 1; }

}  // extern "C"
