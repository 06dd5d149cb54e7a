// Evaluation errors: the recovery point of a running computation, the codes
// that end an evaluation, and their messages.
//
// An evaluating caller sets the recovery point with VR_SETJMP(gEvalJmpBuf)
// inside a guard that saves and restores the previous one (evaluations nest:
// the calculator, a drawing, a delayed value inside a run). An error shows
// its message and jumps there; the jump crosses frames, so no frame between
// the guard and the error may hold an object with a destructor.
#pragma once
#include <csetjmp>

#if defined(_WIN32)
typedef jmp_buf EvalJmpBuf;
#define VR_SETJMP(buffer) setjmp(buffer)
#else
// glibc's longjmp out of a signal handler leaves the signal blocked; the host
// build never jumps from a handler, but keeps the signal mask saved anyway.
typedef sigjmp_buf EvalJmpBuf;
#define VR_SETJMP(buffer) sigsetjmp(buffer, 1)
#endif

extern EvalJmpBuf gEvalJmpBuf;

// The last evaluator or method error code (see EvalErrorStringId).
extern int gEvalError;

// Set while compiled code is being evaluated; cleared by every abort.
extern int gEvaluating;

// A saved recovery point. Trivially destructible, so it may live in a frame
// that the jump crosses.
struct EvalRecovery {
    EvalJmpBuf saved;
    int wasActive;
    double *outerStackTop;  // the enclosing guard's value-stack level
};

// Save the current recovery point before setting a new one with VR_SETJMP,
// and restore it on every way out:
//     EvalRecovery r;
//     BeginEvalRecovery(&r);
//     if (VR_SETJMP(gEvalJmpBuf) == 0) { ...evaluate... }
//     EndEvalRecovery(&r);
void BeginEvalRecovery(EvalRecovery *recovery);
void EndEvalRecovery(EvalRecovery *recovery);

// Number of recovery points set; 0 means a jump would land nowhere. Inline:
// every right-hand-side evaluation records it.
extern int gRecoveryDepth;
inline int EvalRecoveryDepth() { return gRecoveryDepth; }

// The value stack's top when the innermost recovery point was set (null when
// none is). An abort empties the stack down to it, not to the base: a guard
// set inside a built-in (a window repainted during a modal INPUT) lies above
// the operands of the evaluation that called the built-in.
double *EvalRecoveryStackTop();

// Codes of the evaluator range (message 10230 + code, caption 10034).
enum EvalErrorCode {
    kEvalRootFindingFailed = 0,
    kEvalStackOverflow = 1,
    kEvalInvalidCode = 2,
    kEvalInvalidStack = 3,
    kEvalErfFailed = 4,
    kEvalLambertBadArgument = 5,
    kEvalLambertNoConvergence = 6,
    kEvalNoCalculatorResult = 7,
    kEvalSilentAbort = -2000,  // plug-in or MathLink failure: no message
};

// Kinds of AbortEvaluation; the caption is string 10032 + kind.
enum EvalAbortKind {
    kAbortFloatingPoint = 0,
    kAbortLibraryFunction = 1,
    kAbortEvaluator = 2,
    kAbortMethod = 3,
};

// Run on every abort before the jump: the workspace empties its value stack
// down to the guard's level, graph windows end plotter output.
typedef void (*EvalAbortHook)();
void AddEvalAbortHook(EvalAbortHook hook);
void RunEvalAbortHooks();

// Clears the evaluating mark, runs the abort hooks, shows "\n\n" + text (when
// given) with the kind's caption and the error icon, and jumps to the
// recovery point with 10032 + kind. Does not return.
[[noreturn]] void AbortEvaluation(const char *text, int kind);

// gEvalError := code, then the abort signal. Does not return.
[[noreturn]] void RaiseEvalError(int code);

// The abort-signal handler: shows the message of gEvalError and aborts.
void OnEvalAbortSignal(int signal);

// Installs OnEvalAbortSignal for the abort signal (Win32: the evaluator
// raises the C signal; the handler reinstalls itself each time it runs), and
// on Win32 ReportMathError as the C runtime's math-error hook, so that the
// library functions bound as built-ins report their errors.
void InstallEvalAbortHandler();

// How a code is shown: the string id, and whether it comes as an error box
// (the method and solver bands) rather than with the abort itself. 0: silent.
struct EvalErrorMessage {
    int stringId;
    int kind;           // EvalAbortKind of the abort
    bool separateBox;   // shown by the error box, then aborted without text
    bool withNumber;    // "Code DLL error %d"
};
EvalErrorMessage EvalErrorStringId(int code);

// What the math library reports about a failed call (the fields of the C
// runtime's exception record, by meaning).
enum MathErrorType {
    kMathDomain = 1,
    kMathSingularity = 2,
    kMathOverflow = 3,
    kMathUnderflow = 4,
    kMathTotalLoss = 5,
    kMathPartialLoss = 6,
};

struct MathErrorRecord {
    int type;
    const char *name;
    double arg1;
    double arg2;
    double retval;
};

// Underflow: the result becomes 0 and evaluation goes on (returns 1).
// Otherwise shows "name(arg)\nmessage." (one-argument built-ins) or
// "name(arg1,arg2)\nmessage." and aborts the evaluation.
int ReportMathError(MathErrorRecord *record);

#if !defined(_WIN32)
// The host's C library has no math-error hook: the built-in tables call the
// library through wrappers that clear errno and pass the result here. A
// domain error (EDOM) or an overflow (ERANGE with an infinite result; log(0)
// counts as one, as on Win32) reaches ReportMathError as the Win32 runtime's
// hook would; an underflow gives 0.
// Outside an evaluation the library's result stands. a2 is 0 for functions
// of one argument.
double CheckLibraryResult(const char *name, double a1, double a2, double result);
#endif

// 1 when name is a keyword of the one-argument built-in table (any case).
// Provided by the built-in function tables.
int IsOneArgumentBuiltin(const char *name);
