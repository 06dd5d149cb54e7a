#include "eval_errors.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <math.h>  // the runtime's math-error hook (Win32)
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "messages.h"
#include "platform.h"
#include "string_ids.h"
#include "value_stack.h"

EvalJmpBuf gEvalJmpBuf;
int gEvalError;
int gEvaluating;

// Nesting depth of recovery points: a jump with none set would land nowhere.
int gRecoveryDepth;

namespace {

double *gRecoveryStackTop;

constexpr int kMaxAbortHooks = 8;
EvalAbortHook gAbortHooks[kMaxAbortHooks];
int gAbortHookCount;

}  // namespace

void BeginEvalRecovery(EvalRecovery *recovery) {
    std::memcpy(&recovery->saved, &gEvalJmpBuf, sizeof(EvalJmpBuf));
    recovery->wasActive = gRecoveryDepth;
    recovery->outerStackTop = gRecoveryStackTop;
    gRecoveryStackTop = gValueStack.top;
    ++gRecoveryDepth;
}

void EndEvalRecovery(EvalRecovery *recovery) {
    std::memcpy(&gEvalJmpBuf, &recovery->saved, sizeof(EvalJmpBuf));
    gRecoveryDepth = recovery->wasActive;
    gRecoveryStackTop = recovery->outerStackTop;
}

double *EvalRecoveryStackTop() { return gRecoveryDepth ? gRecoveryStackTop : nullptr; }

void RunEvalAbortHooks() {
    for (int i = 0; i < gAbortHookCount; ++i) gAbortHooks[i]();
}

void AddEvalAbortHook(EvalAbortHook hook) {
    for (int i = 0; i < gAbortHookCount; ++i)
        if (gAbortHooks[i] == hook) return;
    if (gAbortHookCount < kMaxAbortHooks) gAbortHooks[gAbortHookCount++] = hook;
}

void AbortEvaluation(const char *text, int kind) {
    gEvaluating = 0;
    RunEvalAbortHooks();
    if (text) {
        char message[kMessageBufferSize];
        std::snprintf(message, sizeof message, "\n\n%s", text);
        char caption[kMessageBufferSize];
        std::snprintf(caption, sizeof caption, "%s", LoadTextResource(IDS_FLOATING_POINT_EXCEPTION + kind));
        ShowMessageBox(message, caption, kMbOk | kMbIconError);
    }
    if (gRecoveryDepth == 0) {
        // Every evaluating caller sets a recovery point; reaching this is a
        // defect, and jumping through a stale buffer would be worse.
        std::fputs("evaluation error outside a guarded computation\n", stderr);
        std::abort();
    }
#if defined(_WIN32)
    longjmp(gEvalJmpBuf, IDS_FLOATING_POINT_EXCEPTION + kind);
#else
    siglongjmp(gEvalJmpBuf, IDS_FLOATING_POINT_EXCEPTION + kind);
#endif
}

EvalErrorMessage EvalErrorStringId(int code) {
    if (code >= 0 && code <= 7) return {IDS_ROOT_FINDING_FAILED + code, kAbortEvaluator, false, false};
    if (code >= 8) return {10220 + code, kAbortMethod, false, false};
    if (code >= -9) return {10223 - code, kAbortMethod, true, false};
    if (code >= -15) return {10246 - code, kAbortMethod, true, false};
    if (code >= -100) return {10259 - code, kAbortMethod, true, false};
    if (code >= -1000) return {IDS_CODE_DLL_ERROR, kAbortMethod, true, true};
    return {0, kAbortMethod, false, false};
}

void OnEvalAbortSignal(int) {
    InstallEvalAbortHandler();
    int code = gEvalError;
    EvalErrorMessage m = EvalErrorStringId(code);
    if (m.withNumber) {
        ShowErrorBoxWithNumber(m.stringId, code);
    } else if (m.separateBox) {
        ShowErrorBox(m.stringId);
    } else if (m.stringId) {
        gLastStringId = m.stringId;
        char text[kMessageBufferSize];
        std::snprintf(text, sizeof text, "%s", LoadTextResource(m.stringId));
        AbortEvaluation(text, m.kind);
    }
    AbortEvaluation(nullptr, m.kind);
}

#if defined(_WIN32)
namespace {

// The C runtime's report of a failed math-library call (sqrt(-1), exp(1000)
// from an expression). Outside an evaluation nothing could catch the jump:
// the runtime's default result stands.
int __cdecl OnMathLibraryError(struct _exception *e) {
    if (gRecoveryDepth == 0) return 0;
    MathErrorRecord record = {e->type, e->name, e->arg1, e->arg2, e->retval};
    const int handled = ReportMathError(&record);  // returns for underflow only
    e->retval = record.retval;
    return handled;
}

}  // namespace
#endif

#if !defined(_WIN32)
double CheckLibraryResult(const char *name, double a1, double a2, double result) {
    const int error = errno;
    if (!error || gRecoveryDepth == 0) return result;
    int type;
    if (error == EDOM) type = kMathDomain;
    else if (error != ERANGE) return result;
    else if (!std::isinf(result)) type = kMathUnderflow;
    else type = kMathOverflow;  // log(0) too, as the Win32 runtime reports it
    MathErrorRecord record = {type, name, a1, a2, result};
    ReportMathError(&record);  // returns for underflow only
    return record.retval;
}
#endif

void InstallEvalAbortHandler() {
#if defined(_WIN32)
    std::signal(SIGABRT, OnEvalAbortSignal);
    __mingw_setusermatherr(OnMathLibraryError);
#endif
}

void RaiseEvalError(int code) {
    gEvalError = code;
#if defined(_WIN32)
    // The runtime resets the handler each time it fires, and without one
    // the signal would end the process: make sure it is there.
    InstallEvalAbortHandler();
    std::raise(SIGABRT);
#endif
    // The host build calls the handler itself: its signals are asynchronous
    // and leaving a handler by a jump is what the Win32 runtime allows.
    OnEvalAbortSignal(SIGABRT);
    std::abort();  // not reached: the handler jumps to the recovery point
}

int ReportMathError(MathErrorRecord *record) {
    if (record->type == kMathUnderflow) {
        record->retval = 0;
        return 1;
    }
    // A plug-in's name can be any length: cut it so that the message itself
    // still fits the box's buffer.
    constexpr int kMaxNameShown = 128;
    gLastStringId = IDS_ARGUMENT_DOMAIN_ERROR - 1 + record->type;
    char message[kMessageBufferSize];
    std::snprintf(message, sizeof message, "%s", LoadTextResource(gLastStringId));
    char text[kMessageBufferSize];
    if (IsOneArgumentBuiltin(record->name))
        std::snprintf(text, sizeof text, "%.*s(%g)\n%s.", kMaxNameShown, record->name, record->arg1, message);
    else
        std::snprintf(text, sizeof text, "%.*s(%g,%g)\n%s.", kMaxNameShown, record->name, record->arg1,
                      record->arg2, message);
    AbortEvaluation(text, kAbortLibraryFunction);
}
