#include "fault_guard.h"

#include <windows.h>

#include <csetjmp>
#include <csignal>

#include "eval_errors.h"
#include "fpu_faults.h"
#include "string_ids.h"

namespace {

// Guards belong to the thread that set them: the vectored handler also sees
// the faults of every other thread (test watchers, system threads).
DWORD gSignalThread;      // thread of InstallFloatingPointHandler, 0 = none
DWORD gGuardThread;       // thread of the RunFaultGuarded blocks
int gGuardDepth;          // RunFaultGuarded blocks open
int gGuardEvalDepth;      // EvalRecoveryDepth() inside the innermost block
PVOID gVectoredHandler;

// What the landing routines act on; written by the handler just before the
// thread resumes there.
unsigned long gPendingCode;

jmp_buf gCrashLanding;
DWORD gCrashThread;
LPTOP_LEVEL_EXCEPTION_FILTER gPreviousFilter;

constexpr WORD kStatusFlags = 0x80FF;  // busy, summary, stack fault, exceptions

[[noreturn]] void JumpToRecovery() {
    longjmp(gEvalJmpBuf, IDS_FLOATING_POINT_EXCEPTION + kAbortFloatingPoint);
}

[[noreturn]] void __cdecl GuardLanding() {
    MapExceptionCode(gPendingCode);
    RecoverFromFpException();
    JumpToRecovery();
}

[[noreturn]] void __cdecl SignalLanding() {
    // The runtime resets the FPU before it calls a floating-point signal
    // handler; the thread left the fault with whatever the x87 stack held.
    __asm__ volatile("fninit" : : : "memory");
    ApplyFpuOptions();
    OnFloatingPointSignal(SIGFPE, FloatingPointSubcode(gPendingCode));
}

[[noreturn]] void __cdecl CrashLanding() { longjmp(gCrashLanding, 1); }

// Resumes the thread in landing as if called from the faulting instruction,
// on a 16-byte aligned stack below the faulting frame.
LONG ResumeIn(CONTEXT *context, void (*landing)()) {
    context->FloatSave.StatusWord &= ~kStatusFlags;
    DWORD sp = (context->Esp - 64) & ~15UL;
    sp -= 4;
    *reinterpret_cast<DWORD *>(sp) = context->Eip;
    context->Esp = sp;
    context->Eip = reinterpret_cast<DWORD>(landing);
    return EXCEPTION_CONTINUE_EXECUTION;
}

LONG CALLBACK ArithmeticFaultHandler(EXCEPTION_POINTERS *info) {
    unsigned long code = info->ExceptionRecord->ExceptionCode;
    if (!FloatingPointSubcode(code) || EvalRecoveryDepth() == 0) return EXCEPTION_CONTINUE_SEARCH;
    DWORD thread = GetCurrentThreadId();
    bool guard = gGuardDepth > 0 && gGuardThread == thread;
    bool signal = gSignalThread == thread;
    void (*landing)() = nullptr;
    if (guard && (!signal || EvalRecoveryDepth() == gGuardEvalDepth)) landing = GuardLanding;
    else if (signal) landing = SignalLanding;
    if (!landing) return EXCEPTION_CONTINUE_SEARCH;
    gPendingCode = code;
    return ResumeIn(info->ContextRecord, landing);
}

void EnsureVectoredHandler() {
    if (!gVectoredHandler) gVectoredHandler = AddVectoredExceptionHandler(1, ArithmeticFaultHandler);
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS *info) {
    if (gCrashThread != GetCurrentThreadId())
        return gPreviousFilter ? gPreviousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
    gCrashThread = 0;
    return ResumeIn(info->ContextRecord, CrashLanding);
}

struct GuardFrame {
    EvalRecovery recovery;
    int savedDepth;
    int savedEvalDepth;
    DWORD savedThread;
};

void LeaveGuard(GuardFrame *frame) {
    gGuardDepth = frame->savedDepth;
    gGuardEvalDepth = frame->savedEvalDepth;
    gGuardThread = frame->savedThread;
    EndEvalRecovery(&frame->recovery);
}

}  // namespace

void InstallFloatingPointHandler() {
    EnsureVectoredHandler();
    gSignalThread = GetCurrentThreadId();
}

void RemoveFloatingPointHandler() { gSignalThread = 0; }

int RunFaultGuarded(void (*work)(void *), void *context) {
    EnsureVectoredHandler();
    GuardFrame frame;
    frame.savedDepth = gGuardDepth;
    frame.savedEvalDepth = gGuardEvalDepth;
    frame.savedThread = gGuardThread;
    BeginEvalRecovery(&frame.recovery);
    int result = VR_SETJMP(gEvalJmpBuf);
    if (result == 0) {
        gGuardThread = GetCurrentThreadId();
        gGuardDepth = frame.savedDepth + 1;
        gGuardEvalDepth = EvalRecoveryDepth();
        work(context);
        // An unmasked x87 exception of the last store is raised only by the
        // next floating-point instruction: take it here, still guarded.
        FpuWait();
    }
    LeaveGuard(&frame);
    return result;
}

int RunCrashGuarded(int (*body)(void *), void *context, int (*onFault)()) {
    if (setjmp(gCrashLanding) != 0) {
        SetUnhandledExceptionFilter(gPreviousFilter);
        return onFault();
    }
    gCrashThread = GetCurrentThreadId();
    gPreviousFilter = SetUnhandledExceptionFilter(CrashFilter);
    int result = body(context);
    gCrashThread = 0;
    SetUnhandledExceptionFilter(gPreviousFilter);
    return result;
}
