#include "interpreter.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#include "builtin_math.h"
#include "builtin_tables.h"
#include "eval_errors.h"
#include "mathlink.h"
#include "opcodes.h"
#include "workspace.h"

// Every error leaves by a jump to the caller's recovery point: nothing in
// this file may hold an object with a destructor.

namespace {

constexpr double kPlusInfinity = std::numeric_limits<double>::infinity();

// A plug-in function of N doubles, called through a pointer typed for
// exactly N, so the compiler emits the convention's own call sequence: the
// callee pops its arguments on Win32 and nothing here has to know how many.
template <std::size_t... I>
double CallWithArguments(MathFunction f, [[maybe_unused]] const double *args, std::index_sequence<I...>) {
    typedef double(VR_PLUGIN_CALL * Typed)(decltype(static_cast<void>(I), 0.0)...);
    return reinterpret_cast<Typed>(f)(args[I]...);
}

template <std::size_t N>
double CallWithCount(MathFunction f, const double *args) {
    return CallWithArguments(f, args, std::make_index_sequence<N>());
}

typedef double (*MathCaller)(MathFunction, const double *);

template <class Counts>
struct MathCallerTable;
template <std::size_t... N>
struct MathCallerTable<std::index_sequence<N...>> {
    static constexpr MathCaller kByCount[] = {&CallWithCount<N>...};
};

// Indexed by argument count.
typedef MathCallerTable<std::make_index_sequence<kMaxMathFunctionArguments + 1>> MathCallers;

template <class F>
F FunctionAt(const unsigned char *pc) {
    return reinterpret_cast<F>(static_cast<uintptr_t>(ReadPcodeWord(pc)));
}

// The cold paths, kept out of the dispatch loop.

[[noreturn]] __attribute__((noinline)) void StackOverflow() { RaiseEvalError(kEvalStackOverflow); }

// Opcode 16 at pc (just past the opcode byte), sp the stack top. Returns the
// new top.
__attribute__((noinline)) double *RunMathCall(const unsigned char *pc, double *sp, double *limit) {
    return CallMathOnStack(FunctionAt<MathFunction>(pc + 1), pc[0], sp, limit);
}

// Opcode 31 with its operands at pc (the caller steps over them: pc stays
// in a register in the loop).
__attribute__((noinline)) double *RunMathLinkCall(const unsigned char *pc, double *sp, double *limit) {
    const char *name = reinterpret_cast<const char *>(pc);
    const int32_t count = ReadPcodeInt(pc + std::strlen(name) + 1);
    gValueStack.top = sp;  // the link may pump messages while it waits
    double *first = sp - count;
    sp = first + 1;  // a call without arguments claims a slot
    if (sp > limit) StackOverflow();
    if (!BeginMathLinkCall(name, count)) RaiseEvalError(kEvalSilentAbort);
    for (int32_t i = 0; i < count; ++i) PutMathLinkArgument(first[i]);
    const double r = FinishMathLinkCall();
    if (r == kPlusInfinity) RaiseEvalError(kEvalSilentAbort);
    *first = r;
    return sp;
}

}  // namespace

double *CallMathOnStack(MathFunction function, int count, double *sp, double *limit) {
    if (count > kMaxMathFunctionArguments) RaiseEvalError(kEvalStackOverflow);
    gValueStack.top = sp;  // as for the built-ins: the callee may lead to more evaluation
    double *first = sp - count;
    sp = first + 1;  // a call without arguments claims a slot
    if (sp > limit) StackOverflow();
    const double r = MathCallers::kByCount[count](function, first);
    if (r == kPlusInfinity) RaiseEvalError(kEvalSilentAbort);
    *first = r;
    return sp;
}

double CallMathFunction(MathFunction function, int count, const double *args) {
    if (count < 0 || count > kMaxMathFunctionArguments) RaiseEvalError(kEvalStackOverflow);
    return MathCallers::kByCount[count](function, args);
}

// The stack top lives in sp while the loop runs; it is written back to the
// shared stack before each built-in call, since a built-in may run P-code of
// its own on top of it (delayed values). Pushes write the slot, advance, and
// then test, so a stack of L slots holds at most L - 1 values.
//
// Dispatch is threaded: each operation ends by jumping through the table
// for the next opcode byte. The table has a label for every byte value:
// the opcodes' own from the opcode list, Invalid for the rest.
double RunPcode(const PcodeProgram *code) {
#define VR_OP_LABEL(name, value, operands, stack) &&Op##name,
#define VR_INVALID1 &&OpInvalid,
#define VR_INVALID2 VR_INVALID1 VR_INVALID1
#define VR_INVALID4 VR_INVALID2 VR_INVALID2
#define VR_INVALID8 VR_INVALID4 VR_INVALID4
#define VR_INVALID16 VR_INVALID8 VR_INVALID8
#define VR_INVALID32 VR_INVALID16 VR_INVALID16
#define VR_INVALID64 VR_INVALID32 VR_INVALID32
#define VR_INVALID128 VR_INVALID64 VR_INVALID64
    static const void *const kDispatch[] = {
        VR_PCODE_OPS(VR_OP_LABEL)
        VR_INVALID128 VR_INVALID64 VR_INVALID16 VR_INVALID8 VR_INVALID4 VR_INVALID2
    };
    static_assert(sizeof kDispatch / sizeof *kDispatch == 256, "one label per byte value");
#undef VR_OP_LABEL
#undef VR_INVALID1
#undef VR_INVALID2
#undef VR_INVALID4
#undef VR_INVALID8
#undef VR_INVALID16
#undef VR_INVALID32
#undef VR_INVALID64
#undef VR_INVALID128
#define NEXT goto *kDispatch[*pc++]

    gEvalError = 0;
    double *const entry = gValueStack.top;
    double *const limit = gValueStack.limit;
    double *sp = entry;
    const unsigned char *pc = code;
    NEXT;

OpEnd:
    if (--sp != entry) RaiseEvalError(kEvalInvalidStack);
    gValueStack.top = entry;
    return *sp;
OpPushConst:
    *sp = ReadPcodeDouble(pc);
    pc += 8;
    if (++sp > limit) StackOverflow();
    NEXT;
OpPushCell:
    *sp = *FunctionAt<const double *>(pc);
    pc += 4;
    if (++sp > limit) StackOverflow();
    NEXT;
OpAdd: --sp; sp[-1] += *sp; NEXT;
OpSub: --sp; sp[-1] -= *sp; NEXT;
OpMul: --sp; sp[-1] *= *sp; NEXT;
OpDiv: --sp; sp[-1] /= *sp; NEXT;
OpIntDiv: --sp; sp[-1] = DIV(sp[-1], *sp); NEXT;
OpMod: --sp; sp[-1] = MOD(sp[-1], *sp); NEXT;
OpPow: --sp; sp[-1] = POW(sp[-1], *sp); NEXT;
OpNegate: sp[-1] = -sp[-1]; NEXT;
OpCall0:
    gValueStack.top = sp;
    *sp = FunctionAt<BuiltinFunction0>(pc)();
    pc += 4;
    if (++sp > limit) StackOverflow();
    NEXT;
OpCall1:
    gValueStack.top = sp;
    sp[-1] = FunctionAt<BuiltinFunction1>(pc)(sp[-1]);
    pc += 4;
    NEXT;
OpCall2:
    gValueStack.top = sp;
    --sp;
    sp[-1] = FunctionAt<BuiltinFunction2>(pc)(sp[-1], *sp);
    pc += 4;
    NEXT;
OpCall3:
    gValueStack.top = sp;
    sp -= 2;
    sp[-1] = FunctionAt<BuiltinFunction3>(pc)(sp[-1], sp[0], sp[1]);
    pc += 4;
    NEXT;
OpCallMath:
    sp = RunMathCall(pc, sp, limit);
    pc += 5;
    NEXT;
OpIf: {
    // Both offsets count from the first offset word, at pc.
    const double c = *--sp;
    if (c > 0) pc += 8;
    else pc += ReadPcodeInt(c == 0 ? pc : pc + 4);
    NEXT;
}
OpMax: --sp; if (*sp > sp[-1]) sp[-1] = *sp; NEXT;
OpMin: --sp; if (*sp < sp[-1]) sp[-1] = *sp; NEXT;
// A NaN operand makes every comparison false but "!=".
OpLess: --sp; sp[-1] = sp[-1] < *sp ? 1.0 : 0.0; NEXT;
OpGreater: --sp; sp[-1] = sp[-1] > *sp ? 1.0 : 0.0; NEXT;
OpLessEqual: --sp; sp[-1] = sp[-1] <= *sp ? 1.0 : 0.0; NEXT;
OpGreaterEqual: --sp; sp[-1] = sp[-1] >= *sp ? 1.0 : 0.0; NEXT;
OpEqual: --sp; sp[-1] = sp[-1] == *sp ? 1.0 : 0.0; NEXT;
OpNotEqual: --sp; sp[-1] = sp[-1] != *sp ? 1.0 : 0.0; NEXT;
// && and || leave the deciding operand as the result.
OpAnd:
    if (sp[-1] == 0) {
        pc += ReadPcodeInt(pc);
    } else {
        --sp;
        pc += 4;
    }
    NEXT;
OpOr:
    if (sp[-1] != 0) {  // NaN is not 0
        pc += ReadPcodeInt(pc);
    } else {
        --sp;
        pc += 4;
    }
    NEXT;
OpNot: sp[-1] = sp[-1] == 0 ? 1.0 : 0.0; NEXT;
OpJumpIfZero:
    if (*--sp == 0) pc += ReadPcodeInt(pc);
    else pc += 4;
    NEXT;
OpJump: pc += ReadPcodeInt(pc); NEXT;
OpMathLink:
    sp = RunMathLinkCall(pc, sp, limit);
    pc += std::strlen(reinterpret_cast<const char *>(pc)) + 1 + 4;
    NEXT;
OpCalculatorResult: sp[-1] = GetCalculatorOutput(sp[-1]); NEXT;
OpNthRoot: --sp; sp[-1] = NROOT(sp[-1], 1 / *sp); NEXT;
OpUnused:
OpInvalid:
    RaiseEvalError(kEvalInvalidCode);
#undef NEXT
}
