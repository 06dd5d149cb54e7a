#include "dop853.h"

#include <climits>
#include <cmath>

#include "dop853_coefficients.h"
#include "memory.h"
#include "solver_dll_entry.h"

namespace {

constexpr int kStageArrays = 11;  // k1..k10 and the stage argument
constexpr int kHistories = 8;     // state at the step's start and cont1..cont7
constexpr int kMaxDerivative = 7;
constexpr double kMinTolerance = 2.99e-15;
constexpr double kEndReached = 2.3e-16;

struct Integrator {
    Dop853Rhs rhs;
    Dop853Output output;

    // What Dop853Configure gave, and what the storage was prepared for: a
    // later Configure takes effect at the next Dop853Init only.
    int configN;
    int configIsSystem;
    int configDepth;
    int n;
    int isSystem;
    int depth;

    // Stage derivatives. k2, k3 are reused for stages 11, 12; k4 holds the
    // weighted sum and then stage 13 (the next step's first stage); k5 holds
    // the new state y1; after an accepted step k10, k2, k3 take stages 14-16.
    double *k[kStageArrays - 1];
    double *arg;  // argument of the stage being evaluated

    // Ring: start time of each record, and one block of depth records of
    // n x 8 doubles (per variable the state at the step's start and cont1..
    // cont7 side by side, so that a step writes and a lookup reads one
    // stretch of memory). Record of step number r lies in slot r mod depth.
    double *startTime;
    double *history;

    int count;          // records stored; in [depth, 2 depth) once wrapped
    int oldest;         // step number of the oldest valid record
    int hint;           // last record found
    double newestEnd;   // end time of the newest record
    double trajectoryStart;
    int backward;       // the integration runs towards decreasing time
    int extrapolate;    // "h max." was negative on the last Dop853Step
};

Integrator s;

inline double *K(int stage) { return s.k[stage - 1]; }

// Comparison in double precision even where the x87 keeps intermediates in
// extended precision: without it t + 0.1 H could differ from t for ever.
inline bool SameDouble(double a, double b) {
    volatile double va = a;
    volatile double vb = b;
    return va == vb;
}

// Twelve stages from k1 = f(t, y); leaves the new state in k5, the order-8
// weighted sum in k4, stages 11 and 12 in k2 and k3.
void ComputeStages(double t, const double *y, double h) {
    using namespace dop853::coef;
    const int n = s.n;
    double *k1 = K(1), *k2 = K(2), *k3 = K(3), *k4 = K(4), *k5 = K(5), *k6 = K(6),
           *k7 = K(7), *k8 = K(8), *k9 = K(9), *k10 = K(10), *a = s.arg;
    for (int i = 0; i < n; ++i) a[i] = y[i] + h * a2_1 * k1[i];
    s.rhs(t + c2 * h, a, k2);
    for (int i = 0; i < n; ++i) a[i] = y[i] + h * (a3_1 * k1[i] + a3_2 * k2[i]);
    s.rhs(t + c3 * h, a, k3);
    for (int i = 0; i < n; ++i) a[i] = y[i] + h * (a4_1 * k1[i] + a4_3 * k3[i]);
    s.rhs(t + c4 * h, a, k4);
    for (int i = 0; i < n; ++i) a[i] = y[i] + h * (a5_1 * k1[i] + a5_3 * k3[i] + a5_4 * k4[i]);
    s.rhs(t + c5 * h, a, k5);
    for (int i = 0; i < n; ++i) a[i] = y[i] + h * (a6_1 * k1[i] + a6_4 * k4[i] + a6_5 * k5[i]);
    s.rhs(t + c6 * h, a, k6);
    for (int i = 0; i < n; ++i)
        a[i] = y[i] + h * (a7_1 * k1[i] + a7_4 * k4[i] + a7_5 * k5[i] + a7_6 * k6[i]);
    s.rhs(t + c7 * h, a, k7);
    for (int i = 0; i < n; ++i)
        a[i] = y[i] + h * (a8_1 * k1[i] + a8_4 * k4[i] + a8_5 * k5[i] + a8_6 * k6[i] + a8_7 * k7[i]);
    s.rhs(t + c8 * h, a, k8);
    for (int i = 0; i < n; ++i)
        a[i] = y[i] + h * (a9_1 * k1[i] + a9_4 * k4[i] + a9_5 * k5[i] + a9_6 * k6[i] + a9_7 * k7[i] +
                           a9_8 * k8[i]);
    s.rhs(t + c9 * h, a, k9);
    for (int i = 0; i < n; ++i)
        a[i] = y[i] + h * (a10_1 * k1[i] + a10_4 * k4[i] + a10_5 * k5[i] + a10_6 * k6[i] +
                           a10_7 * k7[i] + a10_8 * k8[i] + a10_9 * k9[i]);
    s.rhs(t + c10 * h, a, k10);
    for (int i = 0; i < n; ++i)
        a[i] = y[i] + h * (a11_1 * k1[i] + a11_4 * k4[i] + a11_5 * k5[i] + a11_6 * k6[i] +
                           a11_7 * k7[i] + a11_8 * k8[i] + a11_9 * k9[i] + a11_10 * k10[i]);
    s.rhs(t + c11 * h, a, k2);
    for (int i = 0; i < n; ++i)
        a[i] = y[i] + h * (a12_1 * k1[i] + a12_4 * k4[i] + a12_5 * k5[i] + a12_6 * k6[i] +
                           a12_7 * k7[i] + a12_8 * k8[i] + a12_9 * k9[i] + a12_10 * k10[i] +
                           a12_11 * k2[i]);
    s.rhs(t + h, a, k3);
    for (int i = 0; i < n; ++i) {
        k4[i] = b1 * k1[i] + b6 * k6[i] + b7 * k7[i] + b8 * k8[i] + b9 * k9[i] + b10 * k10[i] +
                b11 * k2[i] + b12 * k3[i];
        k5[i] = y[i] + h * k4[i];
    }
}

// Scaled error of the step just computed (both estimators combined); NaN
// when a stage was not finite.
double ErrorNorm(const double *y, double h, double tol) {
    using namespace dop853::coef;
    double *k1 = K(1), *k2 = K(2), *k3 = K(3), *k4 = K(4), *k5 = K(5), *k6 = K(6),
           *k7 = K(7), *k8 = K(8), *k9 = K(9), *k10 = K(10);
    double e5 = 0, e3 = 0;
    for (int i = 0; i < s.n; ++i) {
        // Not std::fmax, a library call here: a NaN gives a NaN norm either way.
        const double ay = std::fabs(y[i]), a5 = std::fabs(k5[i]);
        double sk = tol * (1 + (ay > a5 ? ay : a5));
        double d3 = k4[i] - bhh1 * k1[i] - bhh2 * k9[i] - bhh3 * k3[i];
        double d5 = er1 * k1[i] + er6 * k6[i] + er7 * k7[i] + er8 * k8[i] + er9 * k9[i] +
                    er10 * k10[i] + er11 * k2[i] + er12 * k3[i];
        e3 += (d3 / sk) * (d3 / sk);
        e5 += (d5 / sk) * (d5 / sk);
    }
    double deno = e5 + 0.01 * e3;
    if (deno <= 0) deno = 1;  // both zero: err is 0 anyway
    return std::fabs(h) * e5 * std::sqrt(1.0 / (s.n * deno));
}

// Step numbers stay below 2 depth, so a subtraction finds the slot.
inline int SlotOf(int record) { return record < s.depth ? record : record - s.depth; }
inline double StartOf(int record) { return s.startTime[SlotOf(record)]; }

// The coefficients of ring slot slot: n groups of kHistories doubles.
inline double *Record(int slot) { return s.history + static_cast<size_t>(slot) * s.n * kHistories; }

// a lies before b in the direction of integration.
inline bool Before(double a, double b) { return s.backward ? a > b : a < b; }

// Record whose interval holds t, or -1 when t lies before the oldest one and
// no extrapolation is allowed. Times after the newest step extend it.
int FindRecord(double t) {
    int r = s.hint;
    if (r < s.oldest) r = s.oldest;
    if (r > s.count - 1) r = s.count - 1;
    if (Before(t, StartOf(s.oldest))) {
        if (!s.extrapolate) return -1;
        r = s.oldest;
    } else {
        while (r > s.oldest && Before(t, StartOf(r))) --r;
        while (r < s.count - 1 && !Before(t, StartOf(r + 1))) ++r;
    }
    s.hint = r;
    return r;
}

// Variable and derivative order of index j, or order -1 for a bad index.
void SplitIndex(int j, int *var, int *order) {
    const int n = s.n;
    if (j < 0 || n <= 0) {
        *var = 0;
        *order = -1;
    } else if (j < n) {
        *var = j;
        *order = 0;
    } else if (s.isSystem) {
        *var = j % n;
        *order = j / n;
    } else {
        *var = n - 1;
        *order = j - (n - 1);
    }
}

// Value (order 0) or t-derivative of the dense polynomial
//   c0 + s (c1 + s1 (c2 + s (c3 + s1 (c4 + s (c5 + s1 (c6 + s c7))))))
// for the step of length step.
double EvalDense(const double *c, double sv, double step, int order) {
    if (order == 0) {
        double s1 = 1 - sv;
        return c[0] + sv * (c[1] + s1 * (c[2] + sv * (c[3] + s1 * (c[4] + sv * (c[5] + s1 * (c[6] + sv * c[7]))))));
    }
    // Expand into powers of s from the inside out, multiplying alternately
    // by s and by 1 - s, then differentiate term by term.
    double p[kHistories] = {c[7]};
    for (int level = 6, degree = 0; level >= 0; --level, ++degree) {
        double q[kHistories] = {};
        for (int m = 0; m <= degree; ++m) {
            q[m + 1] += level % 2 == 0 ? p[m] : -p[m];
            if (level % 2 != 0) q[m] += p[m];
        }
        q[0] += c[level];
        for (int m = 0; m <= degree + 1; ++m) p[m] = q[m];
    }
    double value = 0;
    for (int m = kHistories - 1; m >= order; --m) {
        double f = 1;
        for (int r = 0; r < order; ++r) f *= m - r;
        value = value * sv + f * p[m];
    }
    return value / std::pow(step, order);
}

int AnswerFromRing(int first, int countWanted, double t, double *out) {
    if (s.count == 0) return -1;
    int r = FindRecord(t);
    if (r < 0) return -1;
    double start = StartOf(r);
    double end = r < s.count - 1 ? StartOf(r + 1) : s.newestEnd;
    double step = end - start;
    double sv = step != 0 ? (t - start) / step : 0;
    const double *record = Record(SlotOf(r));
    // Values only, the usual request: the polynomial written out.
    if (first + countWanted <= s.n) {
        const double s1 = 1 - sv;
        for (int j = 0; j < countWanted; ++j) {
            const double *c = record + (first + j) * kHistories;
            out[j] = c[0] + sv * (c[1] + s1 * (c[2] + sv * (c[3] + s1 * (c[4] + sv * (c[5] + s1 * (c[6] + sv * c[7]))))));
        }
        return 0;
    }
    for (int j = 0; j < countWanted; ++j) {
        int var, order;
        SplitIndex(first + j, &var, &order);
        out[j] = EvalDense(record + var * kHistories, sv, step, order);
    }
    return 0;
}

}  // namespace

void Dop853SetCallbacks(Dop853Rhs rhs, Dop853Output output) {
    s.rhs = rhs;
    s.output = output;
}

void Dop853Configure(int n, int isSystem, int depth) {
    s.configN = n > 0 ? n : 0;
    s.configIsSystem = isSystem;
    s.configDepth = depth > 0 ? depth : 0;
}

void Dop853BeginTrajectory(double t0) {
    s.count = 0;
    s.oldest = 0;
    s.hint = 0;
    s.backward = 0;
    s.trajectoryStart = t0;
    s.newestEnd = t0;
}

int Dop853Init() {
    // Storage of an earlier preparation may be sized for another problem.
    Dop853End();
    gSolverMethod.interpolate = Dop853Interpolate;
    gSolverMethod.step = Dop853Step;
    gSolverMethod.cleanup = Dop853End;
    // A loaded solver library's iteration order does not apply to this method.
    gSolverDll.IterOrderDLL = nullptr;
    gOutOfMemory = 0;
    const int n = s.configN;
    s.n = n;
    s.isSystem = s.configIsSystem;
    s.depth = s.configDepth;
    // A failure reports, and the report's reset runs Dop853End: the batch
    // then does nothing more, and the flag tells.
    for (double *&stage : s.k) AllocArray(stage, n);
    AllocArray(s.arg, n);
    AllocArray(s.startTime, s.depth);
    // Through a local slot: a failure's reset frees the stage arrays under
    // our feet. A ring too large to count is a failure too.
    double *ring = nullptr;
    if (s.depth > 0 && n > 0 && !gOutOfMemory) {
        const size_t records = static_cast<size_t>(s.depth);
        if (static_cast<size_t>(n) * kHistories > static_cast<size_t>(-1) / sizeof(double) / records)
            ReportOutOfMemory();
        else
            AllocArray(ring, records * static_cast<size_t>(n) * kHistories);
    }
    if (!gOutOfMemory) s.history = ring;
    Dop853BeginTrajectory(s.trajectoryStart);
    return gOutOfMemory ? 0 : 1;
}

void Dop853End() {
    FreeAndNull(s.history);
    FreeAndNull(s.startTime);
    FreeAndNull(s.arg);
    for (int i = kStageArrays - 2; i >= 0; --i) FreeAndNull(s.k[i]);
    s.n = 0;
    s.depth = 0;
    s.count = 0;
    s.oldest = 0;
    s.hint = 0;
}

void StoreDenseOutput(double tOld, double tNew, const double *yOld) {
    using namespace dop853::coef;
    const int n = s.n, depth = s.depth;
    if (depth <= 0) return;
    if (s.count == 0) s.backward = tNew < tOld;
    const int slot = s.count % depth;
    // While the extra stages run (their right-hand side may look up delayed
    // values) the record being rewritten must not be found: drop it first
    // and publish the new one only when it is complete.
    if (s.count >= depth) s.oldest = s.count - depth + 1;
    const double h = tNew - tOld;
    double *k1 = K(1), *k2 = K(2), *k3 = K(3), *k4 = K(4), *k5 = K(5), *k6 = K(6),
           *k7 = K(7), *k8 = K(8), *k9 = K(9), *k10 = K(10), *a = s.arg;
    double *const record = Record(slot);
    for (int i = 0; i < n; ++i) {
        double *c = record + i * kHistories;
        double c1 = k5[i] - yOld[i];
        double c2 = h * k1[i] - c1;
        c[0] = yOld[i];
        c[1] = c1;
        c[2] = c2;
        c[3] = c1 - h * k4[i] - c2;
        c[4] = d4_1 * k1[i] + d4_6 * k6[i] + d4_7 * k7[i] + d4_8 * k8[i] + d4_9 * k9[i] +
                        d4_10 * k10[i] + d4_11 * k2[i] + d4_12 * k3[i] + d4_13 * k4[i];
        c[5] = d5_1 * k1[i] + d5_6 * k6[i] + d5_7 * k7[i] + d5_8 * k8[i] + d5_9 * k9[i] +
                        d5_10 * k10[i] + d5_11 * k2[i] + d5_12 * k3[i] + d5_13 * k4[i];
        c[6] = d6_1 * k1[i] + d6_6 * k6[i] + d6_7 * k7[i] + d6_8 * k8[i] + d6_9 * k9[i] +
                        d6_10 * k10[i] + d6_11 * k2[i] + d6_12 * k3[i] + d6_13 * k4[i];
        c[7] = d7_1 * k1[i] + d7_6 * k6[i] + d7_7 * k7[i] + d7_8 * k8[i] + d7_9 * k9[i] +
                        d7_10 * k10[i] + d7_11 * k2[i] + d7_12 * k3[i] + d7_13 * k4[i];
    }
    // Extra stages 14, 15, 16 into k10, k2, k3 (no longer needed by then).
    for (int i = 0; i < n; ++i)
        a[i] = yOld[i] + h * (a14_1 * k1[i] + a14_7 * k7[i] + a14_8 * k8[i] + a14_9 * k9[i] +
                              a14_10 * k10[i] + a14_11 * k2[i] + a14_12 * k3[i] + a14_13 * k4[i]);
    s.rhs(tOld + c14 * h, a, k10);
    for (int i = 0; i < n; ++i)
        a[i] = yOld[i] + h * (a15_1 * k1[i] + a15_6 * k6[i] + a15_7 * k7[i] + a15_8 * k8[i] +
                              a15_11 * k2[i] + a15_12 * k3[i] + a15_13 * k4[i] + a15_14 * k10[i]);
    s.rhs(tOld + c15 * h, a, k2);
    for (int i = 0; i < n; ++i)
        a[i] = yOld[i] + h * (a16_1 * k1[i] + a16_6 * k6[i] + a16_7 * k7[i] + a16_8 * k8[i] +
                              a16_9 * k9[i] + a16_13 * k4[i] + a16_14 * k10[i] + a16_15 * k2[i]);
    s.rhs(tOld + c16 * h, a, k3);
    for (int i = 0; i < n; ++i) {
        double *c = record + i * kHistories;
        c[4] = h * (c[4] + d4_14 * k10[i] + d4_15 * k2[i] + d4_16 * k3[i]);
        c[5] = h * (c[5] + d5_14 * k10[i] + d5_15 * k2[i] + d5_16 * k3[i]);
        c[6] = h * (c[6] + d6_14 * k10[i] + d6_15 * k2[i] + d6_16 * k3[i]);
        c[7] = h * (c[7] + d7_14 * k10[i] + d7_15 * k2[i] + d7_16 * k3[i]);
    }
    s.startTime[slot] = tOld;
    s.newestEnd = tNew;
    s.count += 1;
    if (s.count >= 2 * depth) {
        s.count -= depth;
        s.hint = s.hint >= depth ? s.hint - depth : 0;
    }
    s.oldest = s.count > depth ? s.count - depth : 0;
}

int Dop853Step(double *tp, double *y, double tEnd, double tolerance, double hMax, double h,
               int keepHistory) {
    double t = *tp;
    const double v = tEnd > t ? 1 : -1;
    s.extrapolate = hMax < 0;
    hMax = std::fabs(hMax);
    double H = std::fmin(std::fmax(std::fabs(h), 1e-10), hMax) * v;
    const double tol = std::fmax(tolerance, kMinTolerance);
    const bool store = keepHistory != 0 && s.depth > 0;
    // Lookups during the first step must already know the direction.
    if (s.count == 0) s.backward = v < 0;

    double *k1 = K(1), *k4 = K(4), *k5 = K(5);
    s.rhs(t, y, k1);
    int rc = s.output(t, y);
    if (rc != 0) return rc;

    bool rejected = false;
    while ((tEnd - t) * v > kEndReached) {
        if (SameDouble(t + 0.1 * H, t)) {
            *tp = t;
            return -1;
        }
        bool last = false;
        if (v * (t + H - tEnd) > 0) {
            H = tEnd - t;
            last = true;
        }
        ComputeStages(t, y, H);
        const double err = ErrorNorm(y, H, tol);
        const double fac = std::pow(err, 0.125) / 0.9;
        if (err <= 1) {
            // fac is a number here (err <= 1).
            double hNew = H / (fac < 1.0 / 6 ? 1.0 / 6 : fac > 3.0 ? 3.0 : fac);
            // The clipped last step lands on tEnd itself, not on a neighbour
            // of it that would need one more tiny step.
            const double tNew = last ? tEnd : t + H;
            s.rhs(tNew, k5, k4);
            if (store) StoreDenseOutput(t, tNew, y);
            for (int i = 0; i < s.n; ++i) {
                k1[i] = k4[i];
                y[i] = k5[i];
            }
            t = tNew;
            rc = s.output(t, y);
            if (rc != 0) break;
            if (std::fabs(hNew) > hMax) hNew = hMax * v;
            if (rejected) {
                if (std::fabs(hNew) > std::fabs(H)) hNew = H;
                rejected = false;
            }
            H = hNew;
        } else {
            rejected = true;
            // A NaN error (a stage that is not finite) counts as the worst
            // rejection, so the step shrinks until it underflows and fails.
            H /= std::isnan(fac) ? 3.0 : std::fmin(fac, 3.0);
        }
    }
    *tp = (tEnd - t) * v <= kEndReached ? tEnd : t;
    return rc;
}

int Dop853Interpolate(int which, double t, double *out, InitialFunctionFallback fallback) {
    if (which == INT_MIN) return -2;
    const int first = which >= 0 ? which : 0;
    const int wanted = which >= 0 ? 1 : -which;
    // Values of the newest steps without a fallback, the output's request
    // at every mark: nothing to check.
    if (!fallback && first + wanted <= s.n) return AnswerFromRing(first, wanted, t, out);
    bool derivatives = false;
    for (int j = first; j < first + wanted; ++j) {
        int var, order;
        SplitIndex(j, &var, &order);
        if (order < 0 || order > kMaxDerivative) return -2;
        if (order > 0) derivatives = true;
    }
    if (fallback) {
        const double start = s.trajectoryStart;
        bool useFallback;
        if (Before(t, start))
            useFallback = true;
        else if (t == start)
            useFallback = !derivatives || s.extrapolate;
        else
            useFallback = s.count == 0 && s.extrapolate;
        if (useFallback) {
            for (int j = 0; j < wanted; ++j) {
                out[j] = fallback(first + j, t);
                if (out[j] == -HUGE_VAL) return -2;
            }
            return 0;
        }
    }
    return AnswerFromRing(first, wanted, t, out);
}
