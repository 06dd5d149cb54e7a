// Expression compiler and interpreter: the text is compiled as a formula of
// a problem with three variables and, when it compiles, evaluated once inside
// a recovery point, as every evaluating caller does.
#include <cstring>
#include <string>
#include <vector>

#include "builtin_tables.h"
#include "compiler.h"
#include "eval_errors.h"
#include "fuzz_target.h"
#include "interpreter.h"
#include "memory.h"
#include "platform_recorder.h"
#include "problem_settings.h"
#include "workspace.h"

namespace {

void MakeWorkspace() {
    InstallEvalAbortHandler();
    gProblemKind = kOdeSystem;
    gDimension = 3;
    gStackLength = 1000;
    gParameterCount = 0;
    if (!NewProblemWorkspace()) std::abort();
    ColumnEntry &u = gColumnTable[kFixedColumnCount];
    SetNonEmptyStringCopy(u.name, "u");
    u.address = &gVariables[0];
}

void Evaluate(const unsigned char *code) {
    EvalRecovery r;
    BeginEvalRecovery(&r);
    if (VR_SETJMP(gEvalJmpBuf) == 0) RunPcode(code);
    EndEvalRecovery(&r);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = false;
    if (!ready) {
        MakeWorkspace();
        ready = true;
    }
    gRecorder.Reset();
    // The first byte switches the drawing commands on or off.
    SetDrawingCommandsEnabled(size && (data[0] & 1));
    std::string text(reinterpret_cast<const char *>(data), size);
    text = text.c_str();  // a formula ends at its first NUL
    static std::vector<unsigned char> code(4000);
    const int length = CompileExpression(text.c_str(), code.data(), static_cast<int>(code.size()));
    FuzzCheck(length >= 0 && length <= static_cast<int>(code.size()));
    if (length > 0) Evaluate(code.data());
    gValueStack.top = gValueStack.base;
    SetDrawingCommandsEnabled(0);
    return 0;
}
