// Equations, integrator and text output side by side, in one process:
//
// 1. Right-hand sides in the built-in integrator: native C++ against the
//    problem's P-code (through the fused form reading the integrator's state
//    in place, as runs use it; through the fused form with the variables
//    saved, copied in and restored at each evaluation, as runs used it
//    before; and through the interpreter alone, as before the fused form),
//    on Lorenz (sigma 10, rho 28, beta 8/3, t in [0, 10000], output every
//    0.01 from the dense output) and on Lorenz-96 rings of N = 100 and 1000
//    (F = 8). The P-code paths must
//    end in the same state, bit for bit.
// 2. The built-in integrator against a plain DOP853 with dense output
//    written here as the reference, both with the native Lorenz and the
//    same output marks.
// 3. The whole Lorenz run writing its 1,000,001 text rows (t, x, y, z with
//    the example problem's formats) to a file: the path of a run now
//    (fused equations, the text window's output) against a replica of the
//    path before (interpreted equations, one printf per value, one flush
//    per line). The two files must be byte-identical.
//
// Every comparison runs its configurations interleaved for several rounds
// and keeps the best time of each. Tolerance 1e-9 throughout.
//
// For counting instructions (under an emulator's counter or callgrind), one
// problem and one right-hand side can run alone: argument 3 is then 1, and
// arguments 4 and 5 the problem (1 Lorenz, 2 Lorenz-96 N = 100, 3 N = 1000)
// and the right-hand side (native, fused, copying, interpreter). The cost
// of an evaluation is then the difference of the counts at two scales over
// the difference of their evaluations, free of start-up and set-up.
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bridges.h"
#include "compiler.h"
#include "console_platform.h"
#include "dop853.h"
#include "dop853_coefficients.h"
#include "fused_equations.h"
#include "interpreter.h"
#include "memory.h"
#include "run_engine.h"
#include "solver_method.h"
#include "text_window_output.h"
#include "text_window_state.h"
#include "workspace.h"

namespace {

constexpr double kTolerance = 1e-9;
constexpr double kOutputStep = 0.01;
constexpr int kRetardedPoints = 100;
double gEnd;  // of the Lorenz runs

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long long gRhsCalls;
long long gSteps;
long long gMarks;
double gNextMark;
double gChecksum;  // keeps the work from being optimised away
int gN;

// ---- Right-hand sides -------------------------------------------------

void VR_PLUGIN_CALL LorenzNative(double, double *y, double *dydt) {
    ++gRhsCalls;
    dydt[0] = 10 * (y[1] - y[0]);
    dydt[1] = y[0] * (28 - y[2]) - y[1];
    dydt[2] = y[0] * y[1] - 8.0 / 3 * y[2];
}

void VR_PLUGIN_CALL Lorenz96Native(double, double *y, double *dydt) {
    ++gRhsCalls;
    const int n = gN;
    for (int i = 0; i < n; ++i) {
        const int ip = i + 1 == n ? 0 : i + 1, im = i == 0 ? n - 1 : i - 1, imm = i < 2 ? i + n - 2 : i - 2;
        dydt[i] = (y[ip] - y[imm]) * y[im] - y[i] + 8;
    }
}

// As runs evaluate the equations: the bridge and the fused form.
void VR_PLUGIN_CALL PcodeFused(double t, double *y, double *dydt) {
    ++gRhsCalls;
    RhsCallback(t, y, dydt);
}

// The fused form as runs used it before it read the state in place: the
// variables saved, y copied in, the form run, the variables put back.
std::vector<double> gSavedForCopy;
void VR_PLUGIN_CALL PcodeFusedCopying(double t, double *y, double *dydt) {
    ++gRhsCalls;
    const int n = gN;
    const double savedTime = gTime;
    for (int i = 0; i < n; ++i) gSavedForCopy[static_cast<size_t>(i)] = gVariables[i];
    gTime = t;
    for (int i = 0; i < n; ++i) gVariables[i] = y[i];
    EvaluateEquations(gEquationCode, n, dydt, 1);
    for (int i = 0; i < n; ++i) gVariables[i] = gSavedForCopy[static_cast<size_t>(i)];
    gTime = savedTime;
}

// As before the fused form: the bridge and one RunPcode per equation.
void VR_PLUGIN_CALL PcodeInterpreted(double t, double *y, double *dydt) {
    ++gRhsCalls;
    EvaluateExpressionsAt(gN, t, y, dydt, gEquationCode);
}

// The equations as a user types them, compiled as a run compiles them.
bool CompileEquations(const std::vector<std::string> &texts) {
    gProblemKind = kOdeSystem;
    gDimension = static_cast<unsigned>(texts.size());
    gPcodeLength = static_cast<unsigned>(texts.size() * 64 + 1000);
    if (!NewProblemWorkspace()) return false;
    unsigned char *out = gPcodeBuffer;
    int left = static_cast<int>(gPcodeLength);
    for (size_t i = 0; i < texts.size(); ++i) {
        const int length = CompileExpression(texts[i].c_str(), out, left);
        if (length == 0) {
            std::printf("\"%s\": compile error %d\n", texts[i].c_str(), gEvalError);
            return false;
        }
        gEquationCode[i] = out;
        out += length;
        left -= length;
    }
    return BuildFusedEquations(gEquationCode, static_cast<int>(texts.size())) == 1;
}

std::vector<std::string> LorenzTexts() {
    return {"10 * (x[2] - x[1])", "x[1] * (28 - x[3]) - x[2]", "x[1] * x[2] - 8 / 3 * x[3]"};
}

std::vector<std::string> Lorenz96Texts(int n) {
    std::vector<std::string> texts;
    auto name = [n](int i) { return "x[" + std::to_string((i + n) % n + 1) + "]"; };
    for (int i = 0; i < n; ++i)
        texts.push_back("(" + name(i + 1) + " - " + name(i - 2) + ") * " + name(i - 1) + " - " + name(i) + " + 8");
    return texts;
}

// ---- Output of the marks ----------------------------------------------

// Every mark passed by the step just accepted, from the integrator's history.
int VR_PLUGIN_CALL OutputEveryMark(double t, const double *) {
    ++gSteps;
    double v[3];
    while (gNextMark < t) {
        int rc = gSolverMethod.interpolate(-3, gNextMark, v, nullptr);
        if (rc != 0) return rc - 3;
        gChecksum += v[0] + v[1] + v[2];
        ++gMarks;
        gNextMark = static_cast<double>(gMarks) * kOutputStep;  // no drift from repeated addition
    }
    return 0;
}

int VR_PLUGIN_CALL CountSteps(double, const double *y) {
    ++gSteps;
    gChecksum += y[0];
    return 0;
}

struct Timing {
    double seconds;
    long long evaluations;
    long long steps;
    std::vector<double> end;  // the state at the end
};

Timing Integrate(Dop853Rhs rhs, Dop853Output output, int n, double end, const double *y0, int depth) {
    Dop853SetCallbacks(rhs, output);
    Dop853Configure(n, 1, depth);
    if (!Dop853Init()) std::exit(1);
    Dop853BeginTrajectory(0);
    gN = n;
    gRhsCalls = gSteps = gMarks = 0;
    gNextMark = 0;
    std::vector<double> y(y0, y0 + n);
    double t = 0;
    const auto start = Clock::now();
    const int rc = Dop853Step(&t, y.data(), end, kTolerance, end, 1e-3, depth);
    const double seconds = Seconds(start);
    Dop853End();
    if (rc != 0) std::printf("integration failed: %d\n", rc);
    return {seconds, gRhsCalls, gSteps - 1, y};
}

// ---- The reference DOP853 ---------------------------------------------

// The method as usually written: stages into plain arrays, the two error
// estimators, the step control of the built-in integrator (factors 1/6 to
// 3, safety 0.9), dense output coefficients after every accepted step and
// the marks interpolated from them.
typedef void (*PlainRhs)(double t, const double *y, double *f);

// Called through a pointer, as a library's user function is: not inlined.
__attribute__((noinline)) void LorenzPlain(double, const double *y, double *f) {
    ++gRhsCalls;
    f[0] = 10 * (y[1] - y[0]);
    f[1] = y[0] * (28 - y[2]) - y[1];
    f[2] = y[0] * y[1] - 8.0 / 3 * y[2];
}

__attribute__((noinline)) Timing ReferenceDop853(PlainRhs f, int n, double end, const double *y0) {
    using namespace dop853::coef;
    std::vector<double> store(static_cast<size_t>(n) * 22);
    double *y = store.data(), *k1 = y + n, *k2 = k1 + n, *k3 = k2 + n, *k4 = k3 + n, *k5 = k4 + n,
           *k6 = k5 + n, *k7 = k6 + n, *k8 = k7 + n, *k9 = k8 + n, *k10 = k9 + n, *y1 = k10 + n,
           *yt = y1 + n, *cont = yt + n;  // cont: 8 n
    for (int i = 0; i < n; ++i) y[i] = y0[i];
    gRhsCalls = gSteps = gMarks = 0;
    gNextMark = 0;
    const auto start = Clock::now();
    double t = 0, h = 1e-3;
    const double hmax = end;
    bool rejected = false;
    f(t, y, k1);
    while (end - t > 2.3e-16) {
        if (t + 0.1 * h == t) break;
        if (t + h > end) h = end - t;
        for (int i = 0; i < n; ++i) y1[i] = y[i] + h * a2_1 * k1[i];
        f(t + c2 * h, y1, k2);
        for (int i = 0; i < n; ++i) y1[i] = y[i] + h * (a3_1 * k1[i] + a3_2 * k2[i]);
        f(t + c3 * h, y1, k3);
        for (int i = 0; i < n; ++i) y1[i] = y[i] + h * (a4_1 * k1[i] + a4_3 * k3[i]);
        f(t + c4 * h, y1, k4);
        for (int i = 0; i < n; ++i) y1[i] = y[i] + h * (a5_1 * k1[i] + a5_3 * k3[i] + a5_4 * k4[i]);
        f(t + c5 * h, y1, k5);
        for (int i = 0; i < n; ++i) y1[i] = y[i] + h * (a6_1 * k1[i] + a6_4 * k4[i] + a6_5 * k5[i]);
        f(t + c6 * h, y1, k6);
        for (int i = 0; i < n; ++i) y1[i] = y[i] + h * (a7_1 * k1[i] + a7_4 * k4[i] + a7_5 * k5[i] + a7_6 * k6[i]);
        f(t + c7 * h, y1, k7);
        for (int i = 0; i < n; ++i)
            y1[i] = y[i] + h * (a8_1 * k1[i] + a8_4 * k4[i] + a8_5 * k5[i] + a8_6 * k6[i] + a8_7 * k7[i]);
        f(t + c8 * h, y1, k8);
        for (int i = 0; i < n; ++i)
            y1[i] = y[i] + h * (a9_1 * k1[i] + a9_4 * k4[i] + a9_5 * k5[i] + a9_6 * k6[i] + a9_7 * k7[i] + a9_8 * k8[i]);
        f(t + c9 * h, y1, k9);
        for (int i = 0; i < n; ++i)
            y1[i] = y[i] + h * (a10_1 * k1[i] + a10_4 * k4[i] + a10_5 * k5[i] + a10_6 * k6[i] + a10_7 * k7[i] +
                                a10_8 * k8[i] + a10_9 * k9[i]);
        f(t + c10 * h, y1, k10);
        for (int i = 0; i < n; ++i)
            y1[i] = y[i] + h * (a11_1 * k1[i] + a11_4 * k4[i] + a11_5 * k5[i] + a11_6 * k6[i] + a11_7 * k7[i] +
                                a11_8 * k8[i] + a11_9 * k9[i] + a11_10 * k10[i]);
        f(t + c11 * h, y1, k2);
        const double xph = t + h;
        for (int i = 0; i < n; ++i)
            y1[i] = y[i] + h * (a12_1 * k1[i] + a12_4 * k4[i] + a12_5 * k5[i] + a12_6 * k6[i] + a12_7 * k7[i] +
                                a12_8 * k8[i] + a12_9 * k9[i] + a12_10 * k10[i] + a12_11 * k2[i]);
        f(xph, y1, k3);
        for (int i = 0; i < n; ++i) {
            k4[i] = b1 * k1[i] + b6 * k6[i] + b7 * k7[i] + b8 * k8[i] + b9 * k9[i] + b10 * k10[i] + b11 * k2[i] +
                    b12 * k3[i];
            k5[i] = y[i] + h * k4[i];
        }
        double err = 0, err2 = 0;
        for (int i = 0; i < n; ++i) {
            const double sk = kTolerance * (1 + std::fmax(std::fabs(y[i]), std::fabs(k5[i])));
            const double e2 = (k4[i] - bhh1 * k1[i] - bhh2 * k9[i] - bhh3 * k3[i]) / sk;
            const double e = (er1 * k1[i] + er6 * k6[i] + er7 * k7[i] + er8 * k8[i] + er9 * k9[i] + er10 * k10[i] +
                              er11 * k2[i] + er12 * k3[i]) / sk;
            err2 += e2 * e2;
            err += e * e;
        }
        double deno = err + 0.01 * err2;
        if (deno <= 0) deno = 1;
        err = std::fabs(h) * err * std::sqrt(1.0 / (n * deno));
        const double fac = std::pow(err, 0.125) / 0.9;
        if (err <= 1) {
            double hnew = h / std::fmin(std::fmax(fac, 1.0 / 6), 3.0);
            f(xph, k5, k4);
            // dense output
            for (int i = 0; i < n; ++i) {
                double *c = cont + 8 * i;
                c[0] = y[i];
                const double ydiff = k5[i] - y[i];
                c[1] = ydiff;
                const double bspl = h * k1[i] - ydiff;
                c[2] = bspl;
                c[3] = ydiff - h * k4[i] - bspl;
                c[4] = d4_1 * k1[i] + d4_6 * k6[i] + d4_7 * k7[i] + d4_8 * k8[i] + d4_9 * k9[i] + d4_10 * k10[i] +
                       d4_11 * k2[i] + d4_12 * k3[i] + d4_13 * k4[i];
                c[5] = d5_1 * k1[i] + d5_6 * k6[i] + d5_7 * k7[i] + d5_8 * k8[i] + d5_9 * k9[i] + d5_10 * k10[i] +
                       d5_11 * k2[i] + d5_12 * k3[i] + d5_13 * k4[i];
                c[6] = d6_1 * k1[i] + d6_6 * k6[i] + d6_7 * k7[i] + d6_8 * k8[i] + d6_9 * k9[i] + d6_10 * k10[i] +
                       d6_11 * k2[i] + d6_12 * k3[i] + d6_13 * k4[i];
                c[7] = d7_1 * k1[i] + d7_6 * k6[i] + d7_7 * k7[i] + d7_8 * k8[i] + d7_9 * k9[i] + d7_10 * k10[i] +
                       d7_11 * k2[i] + d7_12 * k3[i] + d7_13 * k4[i];
            }
            for (int i = 0; i < n; ++i)
                y1[i] = y[i] + h * (a14_1 * k1[i] + a14_7 * k7[i] + a14_8 * k8[i] + a14_9 * k9[i] + a14_10 * k10[i] +
                                    a14_11 * k2[i] + a14_12 * k3[i] + a14_13 * k4[i]);
            f(t + c14 * h, y1, k10);
            for (int i = 0; i < n; ++i)
                y1[i] = y[i] + h * (a15_1 * k1[i] + a15_6 * k6[i] + a15_7 * k7[i] + a15_8 * k8[i] + a15_11 * k2[i] +
                                    a15_12 * k3[i] + a15_13 * k4[i] + a15_14 * k10[i]);
            f(t + c15 * h, y1, k2);
            for (int i = 0; i < n; ++i)
                y1[i] = y[i] + h * (a16_1 * k1[i] + a16_6 * k6[i] + a16_7 * k7[i] + a16_8 * k8[i] + a16_9 * k9[i] +
                                    a16_13 * k4[i] + a16_14 * k10[i] + a16_15 * k2[i]);
            f(t + c16 * h, y1, k3);
            for (int i = 0; i < n; ++i) {
                double *c = cont + 8 * i;
                c[4] = h * (c[4] + d4_14 * k10[i] + d4_15 * k2[i] + d4_16 * k3[i]);
                c[5] = h * (c[5] + d5_14 * k10[i] + d5_15 * k2[i] + d5_16 * k3[i]);
                c[6] = h * (c[6] + d6_14 * k10[i] + d6_15 * k2[i] + d6_16 * k3[i]);
                c[7] = h * (c[7] + d7_14 * k10[i] + d7_15 * k2[i] + d7_16 * k3[i]);
            }
            for (int i = 0; i < n; ++i) {
                k1[i] = k4[i];
                y[i] = k5[i];
            }
            const double told = t;
            t = xph;
            ++gSteps;
            while (gNextMark < t) {
                const double s = (gNextMark - told) / h, s1 = 1 - s;
                for (int i = 0; i < n; ++i) {
                    const double *c = cont + 8 * i;
                    gChecksum += c[0] + s * (c[1] + s1 * (c[2] + s * (c[3] + s1 * (c[4] + s * (c[5] + s1 * (c[6] + s * c[7]))))));
                }
                ++gMarks;
                gNextMark = static_cast<double>(gMarks) * kOutputStep;
            }
            if (std::fabs(hnew) > hmax) hnew = hmax;
            if (rejected) {
                if (std::fabs(hnew) > std::fabs(h)) hnew = h;
                rejected = false;
            }
            h = hnew;
        } else {
            rejected = true;
            h /= std::fmin(fac, 3.0);
        }
    }
    return {Seconds(start), gRhsCalls, gSteps, {}};
}

// ---- The whole run with text output -----------------------------------

const char *const kColumns[] = {"t", "x[1]", "x[2]", "x[3]"};
const char *const kFormats[] = {"%10.4f ", "%10.4f ", "%10.4f ", "%10.4f\\r\\n"};
constexpr int kColumnCount = 4;

TextWindowState gWindow;
FILE *gBeforeFile;

// The text path as it was: a line buffer per point, each value decoded,
// checked and printed on its own, one write and one flush per line.
void BeforeLine(double t) {
    char *line = static_cast<char *>(std::malloc(kTextLineSize));
    double *values = static_cast<double *>(std::malloc(sizeof(double) * kColumnCount));
    size_t used = 0;
    line[0] = 0;
    for (int i = 0; i < kColumnCount; ++i) {
        double v = 0;
        EvaluateTextColumn(i, t, gOutputValues, &v);
        const char *format = UnescapeFormat(gWindow.formats[i]);
        if (!IsTextColumnFormatSafe(format)) std::exit(1);
        used += static_cast<size_t>(std::snprintf(line + used, kTextLineSize - used, format, v));
        values[i] = v;
    }
    const size_t length = std::strlen(line);
    if (std::fwrite(line, 1, length, gBeforeFile) != length || std::fflush(gBeforeFile) != 0) std::exit(1);
    size_t n = std::strlen(line);
    char *shown = static_cast<char *>(std::malloc(n + 1));
    std::memcpy(shown, line, n + 1);
    for (size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(shown[i]) < 32) shown[i] = ' ';
    std::free(shown);
    std::free(values);
    std::free(line);
}

bool gBefore;

// The run engine's interpolated output: every mark passed, then the point
// to the text window.
int VR_PLUGIN_CALL OutputRows(double t, const double *y) {
    ++gSteps;
    while (gOutputTime < t) {
        int rc = gSolverMethod.interpolate(-3, gOutputTime, gOutputValues, nullptr);
        if (rc != 0) return rc - 3;
        if (gBefore) BeforeLine(gOutputTime);
        else if (AddTextWindowOdePoint(&gWindow, RunPoint{gOutputTime, gOutputValues, 0}) != 0) return -1;
        ++gMarks;
        gOutputTime = static_cast<double>(gMarks) * kOutputStep;
    }
    (void)y;
    return 0;
}

bool SetUpWindow() {
    if (!InitTextWindowState(&gWindow)) return false;
    gWindow.count = kColumnCount;
    AllocArray(gWindow.expressions, kColumnCount);
    AllocArray(gWindow.codes, kColumnCount);
    AllocArray(gWindow.formats, kColumnCount);
    static unsigned char code[kColumnCount][64];
    for (int i = 0; i < kColumnCount; ++i) {
        SetNonEmptyStringCopy(gWindow.expressions[i], kColumns[i]);
        SetNonEmptyStringCopy(gWindow.formats[i], kFormats[i]);
        if (!CompileExpression(kColumns[i], code[i], sizeof code[i])) return false;
        gWindow.codes[i] = code[i];
    }
    SetNonEmptyStringCopy(gWindow.separator, "");
    gWindow.frequency = 1;
    gTextColumnCode = gWindow.codes;  // as the window's point makes it current
    return true;
}

// One whole run into path; returns its time.
double TextRun(bool before, const char *path) {
    std::remove(path);
    gBefore = before;
    Dop853SetCallbacks(before ? PcodeInterpreted : PcodeFused, OutputRows);
    Dop853Configure(3, 1, kRetardedPoints);
    if (!Dop853Init()) std::exit(1);
    Dop853BeginTrajectory(0);
    gN = 3;
    gRhsCalls = gSteps = gMarks = 0;
    gOutputTime = 0;
    double y[3] = {1, 1, 1}, t = 0;
    const auto start = Clock::now();
    if (before) {
        gBeforeFile = std::fopen(path, "ab");
    } else {
        SetNonEmptyStringCopy(gWindow.outputFile, path);
        gWindow.capture = 1;
        TextWindowRunEnumProc(&gWindow, 0);
    }
    for (int i = 0; i < 3; ++i) gOutputValues[i] = y[i];
    if (!before) AddTextWindowOdePoint(&gWindow, RunPoint{gOutputTime, gOutputValues, 1});
    int rc = Dop853Step(&t, y, gEnd, kTolerance, gEnd, 1e-3, kRetardedPoints);
    // the final point, as the run engine outputs it
    gOutputTime = t;
    for (int i = 0; i < 3; ++i) gOutputValues[i] = y[i];
    if (before) BeforeLine(t);
    else AddTextWindowOdePoint(&gWindow, RunPoint{gOutputTime, gOutputValues, 0});
    ++gMarks;
    if (before) std::fclose(gBeforeFile);
    else TextWindowRunEnumProc(&gWindow, 1);
    const double seconds = Seconds(start);
    Dop853End();
    if (rc != 0) std::printf("run failed: %d\n", rc);
    return seconds;
}

bool SameFiles(const char *a, const char *b, long long *rows) {
    FILE *fa = std::fopen(a, "rb"), *fb = std::fopen(b, "rb");
    bool same = fa && fb;
    *rows = 0;
    while (same) {
        const int ca = std::fgetc(fa), cb = std::fgetc(fb);
        if (ca != cb) same = false;
        if (ca == EOF) break;
        if (ca == '\n') ++*rows;
    }
    if (fa) std::fclose(fa);
    if (fb) std::fclose(fb);
    return same;
}

void Report(const char *what, double best, double reference, const char *referenceName) {
    std::printf("  %-44s %8.3f s  %5.2fx %s\n", what, best, best / reference, referenceName);
}

}  // namespace

int main(int argc, char **argv) {
    InstallConsolePlatform();
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // each line at once, also where line buffering is full buffering
    // Arguments: rounds (5), and a scale of the time spans (1) for a quick look.
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    const double scale = argc > 2 ? std::atof(argv[2]) : 1;
    // and which comparisons: 1, 2, 3 (all)
    const int only = argc > 3 ? std::atoi(argv[3]) : 0;
    // and, for counting, one problem of comparison 1 with one right-hand side
    const int onlyProblem = argc > 4 ? std::atoi(argv[4]) : 0;
    const char *const kPaths[] = {"native", "fused", "interpreter", "copying"};
    int onlyPath = -1;
    for (int v = 0; v < 4 && argc > 5; ++v)
        if (std::strcmp(argv[5], kPaths[v]) == 0) onlyPath = v;
    if (onlyProblem < 0 || onlyProblem > 3) {
        std::printf("problem: 1 Lorenz, 2 Lorenz-96 N = 100, 3 Lorenz-96 N = 1000\n");
        return 2;
    }
    if (argc > 5 && onlyPath < 0) {
        std::printf("right-hand side: native, fused, copying or interpreter\n");
        return 2;
    }
    gEnd = 10000 * scale;
    std::printf("best of %d interleaved rounds, Lorenz over [0, %g]\n", rounds, gEnd);

    // 1. Right-hand sides.
    struct Problem {
        const char *name;
        int n;
        double end;
        Dop853Rhs native;
        Dop853Output output;
        int depth;
    } problems[] = {
        {"Lorenz", 3, gEnd, LorenzNative, OutputEveryMark, kRetardedPoints},
        {"Lorenz-96 N=100", 100, 200 * scale, Lorenz96Native, CountSteps, 0},
        {"Lorenz-96 N=1000", 1000, 40 * scale, Lorenz96Native, CountSteps, 0},
    };
    for (const Problem &p : problems) {
        if (only && only != 1) break;
        if (onlyProblem && &p != &problems[onlyProblem - 1]) continue;
        const std::vector<std::string> texts = p.n == 3 ? LorenzTexts() : Lorenz96Texts(p.n);
        if (!CompileEquations(texts)) return 1;
        std::vector<double> y0(static_cast<size_t>(p.n), 1.0);
        if (p.n > 3) y0[0] = 1.01;
        gSavedForCopy.assign(static_cast<size_t>(p.n), 0.0);
        double best[4] = {1e300, 1e300, 1e300, 1e300};
        long long evaluations = 0, steps = 0;
        bool same = true;  // the P-code paths end in the same bits
        for (int r = 0; r < rounds; ++r) {
            const Dop853Rhs rhs[4] = {p.native, PcodeFused, PcodeInterpreted, PcodeFusedCopying};
            std::vector<double> ends[4];
            for (int v = 0; v < 4; ++v) {
                if (onlyPath >= 0 && v != onlyPath) continue;
                Timing tm = Integrate(rhs[v], p.output, p.n, p.end, y0.data(), p.depth);
                best[v] = std::fmin(best[v], tm.seconds);
                evaluations = tm.evaluations;
                steps = tm.steps;
                ends[v] = tm.end;
            }
            for (int v = 2; v < 4 && onlyPath < 0; ++v)
                same = same && std::memcmp(ends[1].data(), ends[v].data(), sizeof(double) * ends[1].size()) == 0;
        }
        if (onlyPath >= 0) {
            std::printf("%s, %s alone: %lld steps, %lld evaluations, %.3f s\n", p.name, kPaths[onlyPath], steps,
                        evaluations, best[onlyPath]);
            FreeProblemWorkspace();
            continue;
        }
        std::printf("%s: %lld steps, %lld evaluations (%.1f ns per evaluation and variable native), "
                    "P-code paths %s\n", p.name, steps, evaluations,
                    best[0] * 1e9 / static_cast<double>(evaluations) / p.n, same ? "bit-identical" : "DIFFERENT");
        if (!same) return 1;
        Report("native C++", best[0], best[0], "native");
        Report("P-code, fused form", best[1], best[0], "native");
        Report("P-code, fused form copying the variables", best[3], best[0], "native");
        Report("P-code, interpreter only", best[2], best[0], "native");
        FreeProblemWorkspace();
    }

    // 2. The integrator against the reference, native Lorenz.
    if (!only || only == 2) {
        const double y0[3] = {1, 1, 1};
        double ours = 1e300, reference = 1e300;
        Timing a{}, b{};
        for (int r = 0; r < rounds; ++r) {
            if (!CompileEquations(LorenzTexts())) return 1;  // a workspace for the history hooks
            a = Integrate(LorenzNative, OutputEveryMark, 3, gEnd, y0, kRetardedPoints);
            ours = std::fmin(ours, a.seconds);
            const double ca = gChecksum;
            gChecksum = 0;
            b = ReferenceDop853(LorenzPlain, 3, gEnd, y0);
            reference = std::fmin(reference, b.seconds);
            gChecksum += ca;
            FreeProblemWorkspace();
        }
        std::printf("Integrator, native Lorenz right-hand side, output every 0.01: built-in %lld steps, "
                    "reference %lld steps\n", a.steps, b.steps);
        Report("reference DOP853 with dense output", reference, reference, "reference");
        Report("built-in integrator", ours, reference, "reference");
    }

    // 3. The whole run with text output.
    if (!only || only == 3) {
        if (!CompileEquations(LorenzTexts()) || !SetUpWindow()) return 1;
        gOutputValues = gWorkVectorA;  // as the run engine hands points out
        const char *beforePath = "vr_bench_before.txt", *afterPath = "vr_bench_after.txt";
        double before = 1e300, after = 1e300;
        for (int r = 0; r < rounds; ++r) {
            before = std::fmin(before, TextRun(true, beforePath));
            after = std::fmin(after, TextRun(false, afterPath));
        }
        long long rows = 0;
        const bool same = SameFiles(beforePath, afterPath, &rows);
        std::printf("Whole Lorenz run, %lld text rows, files %s\n", rows, same ? "byte-identical" : "DIFFERENT");
        Report("before (interpreter, printf per value)", before, before, "before");
        Report("now", after, before, "before");
        std::remove(beforePath);
        std::remove(afterPath);
        FreeTextWindowState(&gWindow);
        FreeProblemWorkspace();
        if (!same) return 1;
    }
    std::printf("checksum %.6g\n", gChecksum);
    return 0;
}
