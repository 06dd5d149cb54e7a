// Hardware faults of computations on Win32. gcc has no structured-exception
// blocks, so one vectored handler takes the arithmetic faults of a guarded
// computation: it clears the x87 status in the faulting context and resumes
// the thread in a landing routine that reports the fault and jumps to the
// innermost evaluation recovery point (gEvalJmpBuf).
//
// Two kinds of guard choose the report:
// - RunFaultGuarded (calculator, graph drawing): MapExceptionCode and
//   RecoverFromFpException, as a structured-exception filter and handler.
// - InstallFloatingPointHandler (fpu_faults.h; run engine, calculator): the
//   floating-point signal, OnFloatingPointSignal with the fault's subcode.
// The innermost one wins: a recovery point set inside a RunFaultGuarded
// block while the signal route is installed takes the signal's report.
//
// Faults of other kinds, or outside any recovery point, go on to the other
// handlers and in the end to the crash guard.
#pragma once

// Runs work(context) as a guarded evaluation: a recovery point is set for
// it, so an evaluation error or an arithmetic fault inside ends it there.
// Returns 0 when work finished, else the jump value (10032 + abort kind;
// 10032 for a fault, whose message id is then gLastStringId).
int RunFaultGuarded(void (*work)(void *), void *context);

// Runs body(context) under the crash guard of the program's main body: an
// unexpected fault that no other handler takes leaves body and returns
// onFault() instead (HandleFatalError's caller). Not nested.
int RunCrashGuarded(int (*body)(void *), void *context, int (*onFault)());
