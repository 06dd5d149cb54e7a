#include "calculator_logic.h"

#include <cstdio>
#include <cstring>

#include "compile_problem.h"
#include "eval_errors.h"
#include "fpu_faults.h"
#include "interpreter.h"
#include "memory.h"
#include "settings.h"
#include "workspace.h"

const char kDefaultCalculatorFormat[] = "%.15g";
CalculatorSession gCalculator = {nullptr, nullptr, "%.15g", 0};
double gCalculatorLastValue;

const char *CalculatorFormatInUse(const char *format) {
    if (!format || std::strlen(format) > static_cast<size_t>(kCalculatorFormatLimit)) return kDefaultCalculatorFormat;
    return CountDoubleConversions(format) == 1 ? format : kDefaultCalculatorFormat;
}

int SetCalculatorInput(const char *text) {
    if (text && std::strlen(text) > static_cast<size_t>(kCalculatorInputLimit)) return 0;
    SetNonEmptyStringCopy(gCalculator.input, text);
    return 1;
}

namespace {

// Runs the compiled input under a recovery point; a fault leaves no value.
int RunCalculatorCode(double *value) {
    volatile int ok = 0;
    volatile double result = 0;
    EvalRecovery r;
    BeginEvalRecovery(&r);
    InstallFloatingPointHandler();
    if (VR_SETJMP(gEvalJmpBuf) == 0) {
        result = RunPcode(gCalculator.code);
        FpuWait();
        if (gMask87) CheckFpuStatus();
        ok = 1;
    }
    RemoveFloatingPointHandler();
    EndEvalRecovery(&r);
    *value = result;
    return ok;
}

}  // namespace

int EvaluateCalculator(int mode, char *out, int outSize) {
    if (outSize > 0) out[0] = 0;
    if (!gCalculator.input || !gCalculator.input[0]) return 0;
    // The silent mode also keeps message boxes of the compile quiet.
    if (!CompileCalculatorExpression(&gCalculator.input, &gCalculator.code, mode == kCalculatorEvaluate)) return 0;
    if (!gCalculator.code) return 0;
    double value;
    if (!RunCalculatorCode(&value)) return 0;
    gCalculatorLastValue = value;
    std::snprintf(out, outSize, CalculatorFormatInUse(gCalculator.format), value);
    return 1;
}

std::string RecordCalculatorResult(double value, const char *current) {
    if (gCalculatorResultCount >= gCalculatorResultCapacity && !GrowCalculatorResults()) return "";
    gCalculatorResults[gCalculatorResultCount++] = value;
    std::string input = gCalculator.input ? gCalculator.input : "";
    for (char &c : input)
        if (c == '\r' || c == '\n') c = ' ';
    ++gCalculator.count;
    char head[32];
    std::snprintf(head, sizeof head, "I[%d] = ", gCalculator.count);
    std::string lines = head + input + "\r\n";
    std::snprintf(head, sizeof head, "O[%d] = ", gCalculator.count);
    return lines + head + current;
}

void ClearCalculator() {
    // The outputs go too: O[k] must never name a value the history no
    // longer shows.
    FreeAndNull(gCalculator.input);
    FreeAndNull(gCalculator.code);
    gCalculator.count = 0;
    ClearCalculatorResults();
}

void ReleaseCalculator() {
    FreeAndNull(gCalculator.input);
    FreeAndNull(gCalculator.code);
}
