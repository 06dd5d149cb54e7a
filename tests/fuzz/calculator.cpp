// The calculator: the first line is the output format as typed in the
// dialog, the rest the input. Whatever the format, the one in use prints a
// double into the output box's buffer; an input that evaluates gives a
// value that the history records as two lines of the form the dialog shows.
#include <cstdio>
#include <cstring>
#include <string>

#include "calculator_logic.h"
#include "compile_problem.h"
#include "fuzz_target.h"
#include "platform.h"
#include "platform_recorder.h"
#include "workspace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = false;
    if (!ready) {
        gProblemKind = kOdeSystem;
        gDimension = 2;
        gParameterCount = 0;
        if (!NewProblemWorkspace()) std::abort();
        ready = true;
    }
    gRecorder.Reset();
    gRecorder.defaultAnswer = kIdCancel;  // the compiler-error dialog is cancelled
    std::string rest(reinterpret_cast<const char *>(data), size);
    const size_t eol = rest.find('\n');
    std::string format = eol == std::string::npos ? "" : rest.substr(0, eol);
    if (eol != std::string::npos) rest.erase(0, eol + 1);
    format = format.substr(0, kCalculatorFormatLimit).c_str();
    std::snprintf(gCalculator.format, sizeof gCalculator.format, "%s", format.c_str());
    const char *inUse = CalculatorFormatInUse(gCalculator.format);
    FuzzCheck(inUse != nullptr);
    char shown[64];
    std::snprintf(shown, sizeof shown, inUse, -1.5e300);

    rest = rest.c_str();
    if (rest.size() > kCalculatorInputLimit) rest.resize(kCalculatorInputLimit);
    FuzzCheck(SetCalculatorInput(rest.c_str()) == 1);
    char out[256];
    for (int mode : {kCalculatorTyping, kCalculatorEvaluate}) {
        const int ok = EvaluateCalculator(mode, out, sizeof out);
        FuzzCheck((ok != 0) == (out[0] != 0) && std::strlen(out) < sizeof out);
        if (ok && mode == kCalculatorEvaluate) {
            const std::string lines = RecordCalculatorResult(gCalculatorLastValue, out);
            FuzzCheck(lines.empty() || lines.compare(0, 2, "I[") == 0);
            FuzzCheck(lines.empty() || lines.find("O[") != std::string::npos);
        }
    }
    if (gCalculator.count > 1000) ClearCalculator();
    ReleaseCalculator();
    return 0;
}
