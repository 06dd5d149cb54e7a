#include "fused_equations.h"

#include <cfloat>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "builtin_math.h"
#include "builtin_tables.h"
#include "eval_errors.h"
#include "interpreter.h"
#include "math_plugins.h"
#include "opcodes.h"
#include "workspace.h"

unsigned gPcodeGeneration;

// Every error leaves by a jump to the caller's recovery point: the
// evaluation loop holds nothing with a destructor.

namespace {

// Where doubles are evaluated in a wider format (x87), each result goes
// through memory once, as a stack slot would take it, so that the next
// operation sees the same double the interpreter's slot holds.
#if defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ != 0
#define VR_ROUND(x) __asm__("" : "+m"(x))
#else
#define VR_ROUND(x) static_cast<void>(0)
#endif

// The instructions. "acc" is the top of the stack, held in a register; sp
// is where RunPcode's stack top would be (one past the top value), so the
// values under the top sit in the slots RunPcode gives them and a built-in
// sees the same gValueStack.top. Load and Pair variants come in two kinds:
// the first value of an equation (nothing to keep) and a further push
// (the old top goes to its slot). Pair: two operands pushed and combined.
// TriYX: a Y (b X c); PmXY: (a X b) Y c, all three operands from memory;
// their Store variants are a whole equation.
#define VR_FUSED_OPS(X)                                                             \
    X(Load) X(LoadPush)                                                             \
    X(PairAdd) X(PairSub) X(PairMul) X(PairDiv)                                     \
    X(PairAddPush) X(PairSubPush) X(PairMulPush) X(PairDivPush)                     \
    X(MemAdd) X(MemSub) X(MemMul) X(MemDiv) X(MemPow)                               \
    X(MemAddStore) X(MemSubStore) X(MemMulStore) X(MemDivStore)                     \
    X(AddStore) X(SubStore) X(MulStore) X(DivStore)                                 \
    X(TriAddAdd) X(TriAddAddPush) X(TriAddSub) X(TriAddSubPush) X(TriAddMul)        \
    X(TriAddMulPush) X(TriAddDiv) X(TriAddDivPush) X(TriSubAdd) X(TriSubAddPush)    \
    X(TriSubSub) X(TriSubSubPush) X(TriSubMul) X(TriSubMulPush) X(TriSubDiv)        \
    X(TriSubDivPush) X(TriMulAdd) X(TriMulAddPush) X(TriMulSub) X(TriMulSubPush)    \
    X(TriMulMul) X(TriMulMulPush) X(TriMulDiv) X(TriMulDivPush) X(TriDivAdd)        \
    X(TriDivAddPush) X(TriDivSub) X(TriDivSubPush) X(TriDivMul) X(TriDivMulPush)    \
    X(TriDivDiv) X(TriDivDivPush)                                                   \
    X(PmAddAdd) X(PmAddAddPush) X(PmAddSub) X(PmAddSubPush) X(PmAddMul)             \
    X(PmAddMulPush) X(PmAddDiv) X(PmAddDivPush) X(PmSubAdd) X(PmSubAddPush)         \
    X(PmSubSub) X(PmSubSubPush) X(PmSubMul) X(PmSubMulPush) X(PmSubDiv)             \
    X(PmSubDivPush) X(PmMulAdd) X(PmMulAddPush) X(PmMulSub) X(PmMulSubPush)         \
    X(PmMulMul) X(PmMulMulPush) X(PmMulDiv) X(PmMulDivPush) X(PmDivAdd)             \
    X(PmDivAddPush) X(PmDivSub) X(PmDivSubPush) X(PmDivMul) X(PmDivMulPush)         \
    X(PmDivDiv) X(PmDivDivPush)                                                     \
    X(TriAddAddStore) X(TriAddSubStore) X(TriAddMulStore) X(TriAddDivStore)         \
    X(TriSubAddStore) X(TriSubSubStore) X(TriSubMulStore) X(TriSubDivStore)         \
    X(TriMulAddStore) X(TriMulSubStore) X(TriMulMulStore) X(TriMulDivStore)         \
    X(TriDivAddStore) X(TriDivSubStore) X(TriDivMulStore) X(TriDivDivStore)         \
    X(PmAddAddStore) X(PmAddSubStore) X(PmAddMulStore) X(PmAddDivStore)             \
    X(PmSubAddStore) X(PmSubSubStore) X(PmSubMulStore) X(PmSubDivStore)             \
    X(PmMulAddStore) X(PmMulSubStore) X(PmMulMulStore) X(PmMulDivStore)             \
    X(PmDivAddStore) X(PmDivSubStore) X(PmDivMulStore) X(PmDivDivStore)             \
    X(Add) X(Sub) X(Mul) X(Div) X(IntDiv) X(Mod) X(Pow) X(NthRoot)                   \
    X(Less) X(Greater) X(LessEqual) X(GreaterEqual) X(Equal) X(NotEqual)            \
    X(Max) X(Min) X(Negate) X(Not)                                                  \
    X(Call0) X(Call0Push) X(Call1) X(Call2) X(Call3)                                \
    X(CallMath) X(CallMath0) X(CallMath0Push) X(CalculatorResult)                   \
    X(Store) X(Pcode) X(Columns) X(Stop)

enum FusedOp : uint16_t {
#define VR_FUSED_ENUM(name) kF##name,
    VR_FUSED_OPS(VR_FUSED_ENUM)
#undef VR_FUSED_ENUM
};

// Threaded: each instruction holds the address of its code. A second
// word carries a further operand (Pair, Store variants, Pcode, CallMath).
struct FusedInstruction {
    const void *label;
    union {
        const double *cell;  // a problem cell or a constant of the pool
        BuiltinFunction0 f0;
        BuiltinFunction1 f1;
        BuiltinFunction2 f2;
        BuiltinFunction3 f3;
        MathFunction math;
        const PcodeProgram *code;  // Pcode
        intptr_t index;            // Store, second words of Pcode and the Store variants
        intptr_t count;            // second word of CallMath
    } a;
};

// The addresses of the loop's instructions, by FusedOp; set by EvaluateEquations.
const void *const *gLabels;

struct FusedForm {
    FusedInstruction *code = nullptr;
    double *constants = nullptr;
    unsigned char *covered = nullptr;
    int count = 0;
    int maxDepth = 0;  // stack slots the fused equations need at once
    PcodeProgram *const *source = nullptr;
    const PcodeProgram *firstCode = nullptr;
    unsigned generation = 0;
    bool built = false;
    // Only cells, constants and arithmetic: nothing but the operands reads
    // the variables, so they may be read from elsewhere (EvaluateEquationsReading).
    bool pure = false;
    const double *builtVariables = nullptr;  // gVariables when it was built
    const double *variables = nullptr;       // what its operands read as the variables now
};
FusedForm gForm;

// Operands that read a variable: instruction words outside the equations
// that stand by for a run of columns, and the runs' sources.
struct VariableWord {
    size_t word;
    int index;
};
std::vector<VariableWord> gVariableWords;
struct VariableSource {
    size_t run, op;
    bool b;
    int index;
};
std::vector<VariableSource> gVariableSources;

// One P-code operation of an equation, decoded.
struct Step {
    int op;          // opcode
    int count;       // CallMath
    int constant;    // PushConst: index into the pool, else -1
    const void *p;   // PushCell: the cell; calls: the function
};

template <class F>
F PointerAt(const unsigned char *pc) {
    return reinterpret_cast<F>(static_cast<uintptr_t>(ReadPcodeWord(pc)));
}

// The stack effect of op, and how many values it needs there first.
bool StackEffect(const Step &s, int *needs, int *effect) {
    switch (s.op) {
    case kOpPushConst:
    case kOpPushCell:
    case kOpCall0: *needs = 0; *effect = 1; return true;
    case kOpNegate:
    case kOpNot:
    case kOpCall1:
    case kOpCalculatorResult: *needs = 1; *effect = 0; return true;
    case kOpCall3: *needs = 3; *effect = -2; return true;
    case kOpCallMath: *needs = s.count; *effect = 1 - s.count; return true;
    case kOpAdd: case kOpSub: case kOpMul: case kOpDiv: case kOpIntDiv: case kOpMod: case kOpPow:
    case kOpNthRoot: case kOpLess: case kOpGreater: case kOpLessEqual: case kOpGreaterEqual:
    case kOpEqual: case kOpNotEqual: case kOpMax: case kOpMin: case kOpCall2:
        *needs = 2; *effect = -1; return true;
    default: return false;
    }
}

// Decodes one equation into steps; false when the form does not cover it
// (an opcode with jumps or a name, an invalid one, a count RunPcode refuses,
// or a stack that would not end with exactly one value).
bool Decode(const PcodeProgram *code, std::vector<Step> &steps, std::vector<double> &pool, int *maxDepth) {
    steps.clear();
    int depth = 0, deepest = 0;
    for (const unsigned char *pc = code;; ) {
        const int op = *pc;
        if (op == kOpEnd) break;
        Step s{op, 0, -1, nullptr};
        switch (op) {
        case kOpPushConst:
            s.constant = static_cast<int>(pool.size());
            pool.push_back(ReadPcodeDouble(pc + 1));
            break;
        case kOpPushCell:
        case kOpCall0: case kOpCall1: case kOpCall2: case kOpCall3:
            s.p = PointerAt<const void *>(pc + 1);
            break;
        case kOpCallMath:
            s.count = pc[1];
            if (s.count > kMaxMathFunctionArguments) return false;
            s.p = PointerAt<const void *>(pc + 2);
            break;
        default: break;
        }
        int needs, effect;
        if (!StackEffect(s, &needs, &effect) || depth < needs) return false;
        depth += effect;
        if (depth > deepest) deepest = depth;
        steps.push_back(s);
        pc += PcodeInstructionLength(pc);
    }
    if (depth != 1) return false;
    if (deepest > *maxDepth) *maxDepth = deepest;
    return true;
}

// The instruction of a binary arithmetic opcode in one of the fused shapes;
// -1 when that shape has none.
int PairOp(int op, bool push) {
    switch (op) {
    case kOpAdd: return push ? kFPairAddPush : kFPairAdd;
    case kOpSub: return push ? kFPairSubPush : kFPairSub;
    case kOpMul: return push ? kFPairMulPush : kFPairMul;
    case kOpDiv: return push ? kFPairDivPush : kFPairDiv;
    default: return -1;
    }
}
// 0 to 3 for + - * /, else -1: the order of the Tri and Pm instructions.
int ArithIndex(int op) {
    switch (op) {
    case kOpAdd: return 0;
    case kOpSub: return 1;
    case kOpMul: return 2;
    case kOpDiv: return 3;
    default: return -1;
    }
}
int MemOp(int op) {
    switch (op) {
    case kOpAdd: return kFMemAdd;
    case kOpSub: return kFMemSub;
    case kOpMul: return kFMemMul;
    case kOpDiv: return kFMemDiv;
    case kOpPow: return kFMemPow;
    default: return -1;
    }
}
int PlainOp(int op) {
    switch (op) {
    case kOpAdd: return kFAdd;
    case kOpSub: return kFSub;
    case kOpMul: return kFMul;
    case kOpDiv: return kFDiv;
    case kOpIntDiv: return kFIntDiv;
    case kOpMod: return kFMod;
    case kOpPow: return kFPow;
    case kOpNthRoot: return kFNthRoot;
    case kOpLess: return kFLess;
    case kOpGreater: return kFGreater;
    case kOpLessEqual: return kFLessEqual;
    case kOpGreaterEqual: return kFGreaterEqual;
    case kOpEqual: return kFEqual;
    case kOpNotEqual: return kFNotEqual;
    case kOpMax: return kFMax;
    case kOpMin: return kFMin;
    case kOpNegate: return kFNegate;
    case kOpNot: return kFNot;
    case kOpCall1: return kFCall1;
    case kOpCall2: return kFCall2;
    case kOpCall3: return kFCall3;
    case kOpCalculatorResult: return kFCalculatorResult;
    default: return -1;
    }
}

// An operand during the build: a cell address, or a constant's pool index
// (the pool moves until the form is final).
struct Operand {
    const double *cell;
    int constant;
};
Operand OperandOf(const Step &s) { return {static_cast<const double *>(s.p), s.constant}; }

struct Emitter {
    std::vector<FusedInstruction> code;
    std::vector<int> ops;         // per instruction: its FusedOp
    std::vector<int> constantOf;  // per instruction: pool index, or -1
    std::vector<unsigned char> isCell;  // per instruction: its word is a problem cell

    void Add(int op, const Operand &o) {
        FusedInstruction i{};
        i.a.cell = o.cell;
        Push(op, i, o.constant);
        isCell.back() = o.constant < 0 && o.cell;
    }
    void AddFunction(int op, const void *f) {
        FusedInstruction i{};
        i.a.f0 = reinterpret_cast<BuiltinFunction0>(const_cast<void *>(f));
        Push(op, i, -1);
    }
    void AddWord(int op, intptr_t index, const PcodeProgram *program = nullptr) {
        FusedInstruction i{};
        if (program) i.a.code = program;
        else i.a.index = index;
        Push(op, i, -1);
    }
    void Push(int op, const FusedInstruction &i, int constant) {
        code.push_back(i);
        ops.push_back(op);
        constantOf.push_back(constant);
        isCell.push_back(0);
    }
};

// The fused instructions of one decoded equation.
void EmitEquation(const std::vector<Step> &steps, Emitter &e) {
    int depth = 0;
    const size_t n = steps.size();
    for (size_t k = 0; k < n; ++k) {
        const Step &s = steps[k];
        const bool isPush = s.op == kOpPushCell || s.op == kOpPushConst;
        if (isPush) {
            auto pushAt = [&](size_t j) { return j < n && (steps[j].op == kOpPushCell || steps[j].op == kOpPushConst); };
            auto arithAt = [&](size_t j) { return j < n ? ArithIndex(steps[j].op) : -1; };
            // push, push, push, arithmetic, arithmetic: a Y (b X c)
            if (pushAt(k + 1) && pushAt(k + 2) && arithAt(k + 3) >= 0 && arithAt(k + 4) >= 0) {
                e.Add(kFTriAddAdd + (arithAt(k + 4) * 4 + arithAt(k + 3)) * 2 + (depth > 0), OperandOf(s));
                e.Add(kFStop, OperandOf(steps[k + 1]));  // further words: the operands only
                e.Add(kFStop, OperandOf(steps[k + 2]));
                depth += 1;
                k += 4;
                continue;
            }
            // push, push, arithmetic, push, arithmetic: (a X b) Y c
            if (pushAt(k + 1) && arithAt(k + 2) >= 0 && pushAt(k + 3) && arithAt(k + 4) >= 0) {
                e.Add(kFPmAddAdd + (arithAt(k + 2) * 4 + arithAt(k + 4)) * 2 + (depth > 0), OperandOf(s));
                e.Add(kFStop, OperandOf(steps[k + 1]));
                e.Add(kFStop, OperandOf(steps[k + 3]));
                depth += 1;
                k += 4;
                continue;
            }
            // push, push, arithmetic: both operands at once
            if (k + 2 < n && (steps[k + 1].op == kOpPushCell || steps[k + 1].op == kOpPushConst) &&
                PairOp(steps[k + 2].op, false) >= 0) {
                e.Add(PairOp(steps[k + 2].op, depth > 0), OperandOf(s));
                e.Add(kFStop, OperandOf(steps[k + 1]));  // second word: the operand only
                depth += 1;
                k += 2;
                continue;
            }
            // push, arithmetic: the operand straight from its cell
            if (k + 1 < n && depth > 0 && MemOp(steps[k + 1].op) >= 0) {
                e.Add(MemOp(steps[k + 1].op), OperandOf(s));
                k += 1;
                continue;
            }
            e.Add(depth > 0 ? kFLoadPush : kFLoad, OperandOf(s));
            depth += 1;
            continue;
        }
        int needs = 0, effect = 0;
        StackEffect(s, &needs, &effect);
        switch (s.op) {
        case kOpCall0: e.AddFunction(depth > 0 ? kFCall0Push : kFCall0, s.p); break;
        case kOpCallMath:
            if (s.count == 0) e.AddFunction(depth > 0 ? kFCallMath0Push : kFCallMath0, s.p);
            else {
                e.AddFunction(kFCallMath, s.p);
                e.AddWord(kFStop, s.count);  // second word: the count only
            }
            break;
        case kOpCall1: case kOpCall2: case kOpCall3: e.AddFunction(PlainOp(s.op), s.p); break;
        default: e.AddWord(PlainOp(s.op), 0); break;
        }
        depth += effect;
    }
}

// ---- Runs of equations of one shape, a column at a time ----------------
//
// Consecutive equations that differ only in the variables they read, the
// equation at position e of a run of L reading x[(e + k) mod L] or one fixed
// cell or constant per operand (a ring, such as a discretised field), and
// doing nothing but + - * / and negation: the run goes one operation at a
// time over all its equations, each operation one plain loop. Each equation
// still sees the same operations in the same order on the same doubles
// (every intermediate result is stored as a double, as its stack slot holds
// it); only the equations interleave, which nothing observes: the
// operations raise nothing here, a run whose outputs overlap the cells it
// reads runs one equation after the other, and where an operation would
// trap (unmasked x87 exceptions) the run is done again equation by
// equation, so the trap comes where the interpreter's would.

constexpr int kMinColumnRun = 4;
constexpr int kMaxColumnSlots = 8;

struct ColumnSource {
    enum Kind : unsigned char { kNone, kRing, kBroadcast, kSlot };
    Kind kind = kNone;
    int shift = 0;      // kRing: equation e reads base[(e + shift) mod L]
    int slot = -1;      // kSlot
    int constant = -1;  // kBroadcast of a constant: its pool index until the pool is final
    const double *base = nullptr;  // kRing: the first cell; kBroadcast: the cell
};

// dst = a X b (kSet), dst = dst X b (kInPlace), dst = b X dst (kReversed),
// dst = a (kCopy), dst = -dst (kNegate); X by arith: + - * /.
struct ColumnOp {
    enum Form : unsigned char { kSet, kInPlace, kReversed, kCopy, kNegate };
    Form form;
    unsigned char arith;
    int dst;
    ColumnSource a, b;
};

struct ColumnRun {
    int first = 0, length = 0;
    int slots = 0, result = -1;
    std::vector<ColumnOp> ops;
    std::vector<double> temp;  // slots * length
    std::vector<uintptr_t> reads;  // byte ranges [begin, end) of the cells read, in pairs
};
std::vector<ColumnRun> gRuns;

bool PureColumnOp(int op) {
    switch (op) {
    case kOpPushConst: case kOpPushCell: case kOpAdd: case kOpSub: case kOpMul: case kOpDiv: case kOpNegate:
        return true;
    default: return false;
    }
}

bool PureEquation(const std::vector<Step> &steps) {
    for (const Step &s : steps)
        if (!PureColumnOp(s.op)) return false;
    return !steps.empty();
}

bool SameShape(const std::vector<Step> &a, const std::vector<Step> &b, const std::vector<double> &pool) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k) {
        if (a[k].op != b[k].op) return false;
        if (a[k].op == kOpPushConst &&
            std::memcmp(&pool[static_cast<size_t>(a[k].constant)], &pool[static_cast<size_t>(b[k].constant)],
                        sizeof(double)) != 0)
            return false;
    }
    return true;
}

// How the operand at step k is read across the run's equations; false when
// it is neither one cell for all nor a ring over the run's length.
bool ClassifyOperand(const std::vector<std::vector<Step>> &decoded, int first, int length, size_t k,
                     ColumnSource *src) {
    const Step &s0 = decoded[static_cast<size_t>(first)][k];
    if (s0.op == kOpPushConst) {
        src->kind = ColumnSource::kBroadcast;
        src->constant = s0.constant;
        return true;
    }
    const uintptr_t c0 = reinterpret_cast<uintptr_t>(s0.p);
    bool same = true;
    for (int e = 1; e < length && same; ++e)
        same = reinterpret_cast<uintptr_t>(decoded[static_cast<size_t>(first + e)][k].p) == c0;
    if (same) {
        src->kind = ColumnSource::kBroadcast;
        src->base = static_cast<const double *>(s0.p);
        return true;
    }
    // c(e) = c0 + e up to the wrap at w, c0 + e - L from there on
    int wrap = length;
    for (int e = 1; e < length; ++e) {
        const uintptr_t c = reinterpret_cast<uintptr_t>(decoded[static_cast<size_t>(first + e)][k].p);
        const uintptr_t expected = wrap == length ? c0 + static_cast<uintptr_t>(e) * sizeof(double)
                                                  : c0 - static_cast<uintptr_t>(length - e) * sizeof(double);
        if (c == expected) continue;
        if (wrap != length || c != c0 - static_cast<uintptr_t>(length - e) * sizeof(double)) return false;
        wrap = e;
    }
    src->kind = ColumnSource::kRing;
    src->shift = wrap == length ? 0 : length - wrap;
    src->base = wrap == length ? static_cast<const double *>(s0.p)
                               : static_cast<const double *>(decoded[static_cast<size_t>(first + wrap)][k].p);
    return true;
}

// The column operations of a run of equations of the shape of its first.
bool CompileColumnRun(const std::vector<std::vector<Step>> &decoded, ColumnRun &run) {
    const std::vector<Step> &steps = decoded[static_cast<size_t>(run.first)];
    struct Entry {
        bool pending;  // an operand not yet in a slot
        ColumnSource src;
        int slot;
    };
    std::vector<Entry> stack;
    auto newSlot = [&run] { return run.slots++; };
    auto slotSource = [](int slot) {
        ColumnSource s;
        s.kind = ColumnSource::kSlot;
        s.slot = slot;
        return s;
    };
    auto materialise = [&](Entry &x) {
        if (!x.pending) return;
        x.slot = newSlot();
        run.ops.push_back({ColumnOp::kCopy, 0, x.slot, x.src, {}});
        x.pending = false;
    };
    for (size_t k = 0; k < steps.size(); ++k) {
        const Step &s = steps[k];
        if (s.op == kOpPushConst || s.op == kOpPushCell) {
            Entry x{true, {}, -1};
            if (!ClassifyOperand(decoded, run.first, run.length, k, &x.src)) return false;
            if (x.src.kind == ColumnSource::kRing) {
                const uintptr_t begin = reinterpret_cast<uintptr_t>(x.src.base);
                run.reads.push_back(begin);
                run.reads.push_back(begin + static_cast<uintptr_t>(run.length) * sizeof(double));
            } else if (x.src.constant < 0) {
                const uintptr_t begin = reinterpret_cast<uintptr_t>(x.src.base);
                run.reads.push_back(begin);
                run.reads.push_back(begin + sizeof(double));
            }
            stack.push_back(x);
            continue;
        }
        if (s.op == kOpNegate) {
            materialise(stack.back());
            run.ops.push_back({ColumnOp::kNegate, 0, stack.back().slot, {}, {}});
            continue;
        }
        const unsigned char arith = static_cast<unsigned char>(ArithIndex(s.op));
        Entry top = stack.back();
        stack.pop_back();
        Entry &below = stack.back();
        if (!below.pending) {
            run.ops.push_back({ColumnOp::kInPlace, arith, below.slot, {}, top.pending ? top.src : slotSource(top.slot)});
        } else if (!top.pending) {
            run.ops.push_back({ColumnOp::kReversed, arith, top.slot, {}, below.src});
            below = top;
        } else {
            const int slot = newSlot();
            run.ops.push_back({ColumnOp::kSet, arith, slot, below.src, top.src});
            below = Entry{false, {}, slot};
        }
    }
    if (stack.size() != 1) return false;
    materialise(stack.back());
    if (run.slots > kMaxColumnSlots) return false;
    run.result = stack.back().slot;
    run.temp.assign(static_cast<size_t>(run.slots) * static_cast<size_t>(run.length), 0.0);
    return true;
}

// The runs among the decoded equations (an empty vector: not covered).
void FindColumnRuns(const std::vector<std::vector<Step>> &decoded, const std::vector<double> &pool) {
    const int count = static_cast<int>(decoded.size());
    for (int i = 0; i < count;) {
        if (!PureEquation(decoded[static_cast<size_t>(i)])) {
            ++i;
            continue;
        }
        int j = i + 1;
        while (j < count && SameShape(decoded[static_cast<size_t>(i)], decoded[static_cast<size_t>(j)], pool)) ++j;
        if (j - i >= kMinColumnRun) {
            ColumnRun run;
            run.first = i;
            run.length = j - i;
            if (CompileColumnRun(decoded, run)) gRuns.push_back(std::move(run));
        }
        i = j;
    }
}

// One operand at run time: e < wrap reads p[e], from there p2[e - wrap];
// a broadcast reads *p.
struct ColumnInput {
    const double *p;
    const double *p2;
    int wrap;
};

template <int X>
inline double Arith(double a, double b) {
    return X == 0 ? a + b : X == 1 ? a - b : X == 2 ? a * b : a / b;
}

// The loops, one per form, operation and kind of operand (a broadcast reads
// its one value once).
template <int X, bool BA, bool BB>
void SetLoop(double *__restrict d, const double *__restrict a, const double *__restrict b, int n) {
    if (BA && BB) {
        const double x = *a, y = *b;
        for (int e = 0; e < n; ++e) d[e] = Arith<X>(x, y);
    } else if (BA) {
        const double x = *a;
        for (int e = 0; e < n; ++e) d[e] = Arith<X>(x, b[e]);
    } else if (BB) {
        const double y = *b;
        for (int e = 0; e < n; ++e) d[e] = Arith<X>(a[e], y);
    } else {
        for (int e = 0; e < n; ++e) d[e] = Arith<X>(a[e], b[e]);
    }
}
template <int X, bool BB, bool Reversed>
void InPlaceLoop(double *__restrict d, const double *__restrict b, int n) {
    if (BB) {
        const double y = *b;
        for (int e = 0; e < n; ++e) d[e] = Reversed ? Arith<X>(y, d[e]) : Arith<X>(d[e], y);
    } else {
        for (int e = 0; e < n; ++e) d[e] = Reversed ? Arith<X>(b[e], d[e]) : Arith<X>(d[e], b[e]);
    }
}
template <bool BA>
void CopyLoop(double *__restrict d, const double *__restrict a, int n) {
    if (BA) {
        const double x = *a;
        for (int e = 0; e < n; ++e) d[e] = x;
    } else {
        for (int e = 0; e < n; ++e) d[e] = a[e];
    }
}

typedef void (*SetFunction)(double *, const double *, const double *, int);
typedef void (*InPlaceFunction)(double *, const double *, int);
template <int X>
SetFunction SetFor(bool ba, bool bb) {
    return ba ? (bb ? SetLoop<X, true, true> : SetLoop<X, true, false>)
              : (bb ? SetLoop<X, false, true> : SetLoop<X, false, false>);
}
template <int X>
InPlaceFunction InPlaceFor(bool bb, bool reversed) {
    return bb ? (reversed ? InPlaceLoop<X, true, true> : InPlaceLoop<X, true, false>)
              : (reversed ? InPlaceLoop<X, false, true> : InPlaceLoop<X, false, false>);
}

ColumnInput InputOf(const ColumnSource &s, const ColumnRun &run, double *const *slots) {
    switch (s.kind) {
    case ColumnSource::kRing: return {s.base + s.shift, s.base, run.length - s.shift};
    case ColumnSource::kSlot: return {slots[s.slot], nullptr, run.length};
    default: return {s.base, s.base, run.length};
    }
}

void RunColumnOp(const ColumnOp &op, const ColumnRun &run, double *const *slots) {
    double *d = slots[op.dst];
    const int n = run.length;
    if (op.form == ColumnOp::kNegate) {
        for (int e = 0; e < n; ++e) d[e] = -d[e];
        return;
    }
    const bool ba = op.a.kind == ColumnSource::kBroadcast, bb = op.b.kind == ColumnSource::kBroadcast;
    const ColumnInput a = op.form == ColumnOp::kSet || op.form == ColumnOp::kCopy ? InputOf(op.a, run, slots)
                                                                                  : ColumnInput{nullptr, nullptr, n};
    const ColumnInput b = op.form == ColumnOp::kCopy ? ColumnInput{nullptr, nullptr, n} : InputOf(op.b, run, slots);
    // Pieces between the wraps of the two operands.
    for (int e = 0; e < n;) {
        int end = n;
        if (!ba && a.wrap > e && a.wrap < end) end = a.wrap;
        if (!bb && b.wrap > e && b.wrap < end) end = b.wrap;
        const double *pa = ba || e < a.wrap ? a.p + (ba ? 0 : e) : a.p2 + (e - a.wrap);
        const double *pb = bb || e < b.wrap ? b.p + (bb ? 0 : e) : b.p2 + (e - b.wrap);
        const int m = end - e;
        switch (op.form) {
        case ColumnOp::kCopy: (ba ? CopyLoop<true> : CopyLoop<false>)(d + e, pa, m); break;
        case ColumnOp::kSet: {
            const SetFunction f = op.arith == 0 ? SetFor<0>(ba, bb) : op.arith == 1 ? SetFor<1>(ba, bb)
                                : op.arith == 2 ? SetFor<2>(ba, bb) : SetFor<3>(ba, bb);
            f(d + e, pa, pb, m);
            break;
        }
        default: {
            const bool reversed = op.form == ColumnOp::kReversed;
            const InPlaceFunction f = op.arith == 0 ? InPlaceFor<0>(bb, reversed)
                                    : op.arith == 1 ? InPlaceFor<1>(bb, reversed)
                                    : op.arith == 2 ? InPlaceFor<2>(bb, reversed) : InPlaceFor<3>(bb, reversed);
            f(d + e, pb, m);
            break;
        }
        }
        e = end;
    }
}

#if defined(__i386__) && defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ == 2
#define VR_X87_COLUMNS 1
#endif

// The run's results into out; false (nothing of out written) when the run
// must go equation by equation instead.
__attribute__((noinline)) bool RunColumns(ColumnRun &run, double *out) {
    const int n = run.length;
    double *const result = out + run.first;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(result), end = begin + static_cast<uintptr_t>(n) * sizeof(double);
    for (size_t k = 0; k < run.reads.size(); k += 2)
        if (begin < run.reads[k + 1] && run.reads[k] < end) return false;
    bool direct = true;
#ifdef VR_X87_COLUMNS
    // Exceptions that would trap are masked while the columns run and
    // looked for afterwards: the results reach out only when there was none.
    unsigned short control;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    const bool traps = (control & 0x3F) != 0x3F;
    if (traps) {
        const unsigned short masked = static_cast<unsigned short>(control | 0x3F);
        __asm__ volatile("fldcw %0" : : "m"(masked));
        direct = false;
    }
#endif
    double *slots[kMaxColumnSlots];
    for (int s = 0; s < run.slots; ++s)
        slots[s] = s == run.result && direct ? result : run.temp.data() + static_cast<size_t>(s) * static_cast<size_t>(n);
    for (const ColumnOp &op : run.ops) RunColumnOp(op, run, slots);
#ifdef VR_X87_COLUMNS
    if (traps) {
        unsigned short status;
        __asm__ volatile("fnstsw %0" : "=m"(status));
        const bool trapped = (status & ~control & 0x3F) != 0;
        if (trapped) __asm__ volatile("fnclex");
        __asm__ volatile("fldcw %0" : : "m"(control));
        if (trapped) return false;
        const double *r = slots[run.result];
        for (int e = 0; e < n; ++e) result[e] = r[e];
    }
#endif
    return true;
}

void Release() {
    std::free(gForm.code);
    gForm = FusedForm{};
    gRuns.clear();
    gVariableWords.clear();
    gVariableSources.clear();
}

// Points the operands that read variables at variables[0 .. n-1].
void ReadVariablesFrom(const double *variables) {
    if (gForm.variables == variables) return;
    for (const VariableWord &w : gVariableWords) gForm.code[w.word].a.cell = variables + w.index;
    for (const VariableSource &v : gVariableSources) {
        ColumnOp &op = gRuns[v.run].ops[v.op];
        (v.b ? op.b : op.a).base = variables + v.index;
    }
    gForm.variables = variables;
}

// The index of the variable that cell is, or -1.
int VariableIndexOf(const double *cell) {
    const uintptr_t c = reinterpret_cast<uintptr_t>(cell), v = reinterpret_cast<uintptr_t>(gForm.builtVariables);
    if (!gForm.builtVariables || c < v || (c - v) % sizeof(double) != 0) return -1;
    const uintptr_t index = (c - v) / sizeof(double);
    return index < gDimension ? static_cast<int>(index) : -1;
}

}  // namespace

// The loop, with the test whether the form is current in front of it, in
// one function: a call less on every evaluation. When the stack has not the
// room the fused equations need, the P-code runs (RunPcode then raises
// where it would). Called with a null code, it only hands out its labels.
int EvaluateEquations(PcodeProgram *const *code, int count, double *out, int mayRebuild, const double *variables) {
#define VR_FUSED_LABEL(name) &&L##name,
    static const void *const kLabels[] = {VR_FUSED_OPS(VR_FUSED_LABEL)};
#undef VR_FUSED_LABEL
    if (!code) {
        gLabels = kLabels;
        return variables ? 0 : 1;
    }
    if (!(gForm.built && gForm.generation == gPcodeGeneration && gForm.source == code && gForm.count == count &&
          gForm.firstCode == code[0]) &&
        !(mayRebuild && BuildFusedEquations(code, count)))
        goto interpret;
    if (gForm.maxDepth > gValueStack.limit - gValueStack.top) goto interpret;
    if (variables && !gForm.pure) return 0;
    ReadVariablesFrom(variables ? variables : gForm.builtVariables);
    {
    double *const entry = gValueStack.top;
    double *sp = entry;
    double acc = 0, a, m;
    const FusedInstruction *ip = gForm.code;
    gEvalError = 0;
#define NEXT goto *ip->label
#define BINARY(name, expr) \
    L##name: a = sp[-2]; acc = (expr); VR_ROUND(acc); --sp; ++ip; NEXT;
#define MEM(name, expr) \
    L##name: acc = (expr); VR_ROUND(acc); ++ip; NEXT;
#define PAIR(name, oper)                                                          \
    L##name: acc = *ip[0].a.cell oper *ip[1].a.cell; VR_ROUND(acc); ++sp; ip += 2; NEXT; \
    L##name##Push: sp[-1] = acc; acc = *ip[0].a.cell oper *ip[1].a.cell; VR_ROUND(acc); ++sp; ip += 2; NEXT;
    NEXT;

LLoad: acc = *ip->a.cell; ++sp; ++ip; NEXT;
LLoadPush: sp[-1] = acc; acc = *ip->a.cell; ++sp; ++ip; NEXT;
PAIR(PairAdd, +)
PAIR(PairSub, -)
PAIR(PairMul, *)
PAIR(PairDiv, /)
MEM(MemAdd, acc + *ip->a.cell)
MEM(MemSub, acc - *ip->a.cell)
MEM(MemMul, acc * *ip->a.cell)
MEM(MemDiv, acc / *ip->a.cell)
MEM(MemPow, POW(acc, *ip->a.cell))
// The last operation of an equation with its store.
#define MEM_STORE(name, oper) \
    L##name: acc = acc oper *ip->a.cell; VR_ROUND(acc); out[ip[1].a.index] = acc; sp = entry; gEvalError = 0; ip += 2; NEXT;
MEM_STORE(MemAddStore, +)
MEM_STORE(MemSubStore, -)
MEM_STORE(MemMulStore, *)
MEM_STORE(MemDivStore, /)
#undef MEM_STORE
#define BINARY_STORE(name, oper) \
    L##name: acc = sp[-2] oper acc; VR_ROUND(acc); out[ip[1].a.index] = acc; sp = entry; gEvalError = 0; ip += 2; NEXT;
BINARY_STORE(AddStore, +)
BINARY_STORE(SubStore, -)
BINARY_STORE(MulStore, *)
BINARY_STORE(DivStore, /)
#undef BINARY_STORE
// a Y (b X c) and (a X b) Y c, the inner result rounded as its slot holds it.
#define TRI(name, opY, opX)                                                                   \
    L##name: m = *ip[1].a.cell opX *ip[2].a.cell; VR_ROUND(m);                               \
        acc = *ip[0].a.cell opY m; VR_ROUND(acc); ++sp; ip += 3; NEXT;                         \
    L##name##Push: sp[-1] = acc; m = *ip[1].a.cell opX *ip[2].a.cell; VR_ROUND(m);           \
        acc = *ip[0].a.cell opY m; VR_ROUND(acc); ++sp; ip += 3; NEXT;                         \
    L##name##Store: m = *ip[1].a.cell opX *ip[2].a.cell; VR_ROUND(m);                        \
        acc = *ip[0].a.cell opY m; VR_ROUND(acc); out[ip[3].a.index] = acc; gEvalError = 0;    \
        ip += 4; NEXT;
#define PM(name, opX, opY)                                                                    \
    L##name: m = *ip[0].a.cell opX *ip[1].a.cell; VR_ROUND(m);                               \
        acc = m opY *ip[2].a.cell; VR_ROUND(acc); ++sp; ip += 3; NEXT;                         \
    L##name##Push: sp[-1] = acc; m = *ip[0].a.cell opX *ip[1].a.cell; VR_ROUND(m);           \
        acc = m opY *ip[2].a.cell; VR_ROUND(acc); ++sp; ip += 3; NEXT;                         \
    L##name##Store: m = *ip[0].a.cell opX *ip[1].a.cell; VR_ROUND(m);                        \
        acc = m opY *ip[2].a.cell; VR_ROUND(acc); out[ip[3].a.index] = acc; gEvalError = 0;    \
        ip += 4; NEXT;
TRI(TriAddAdd, +, +)
TRI(TriAddSub, +, -)
TRI(TriAddMul, +, *)
TRI(TriAddDiv, +, /)
TRI(TriSubAdd, -, +)
TRI(TriSubSub, -, -)
TRI(TriSubMul, -, *)
TRI(TriSubDiv, -, /)
TRI(TriMulAdd, *, +)
TRI(TriMulSub, *, -)
TRI(TriMulMul, *, *)
TRI(TriMulDiv, *, /)
TRI(TriDivAdd, /, +)
TRI(TriDivSub, /, -)
TRI(TriDivMul, /, *)
TRI(TriDivDiv, /, /)
PM(PmAddAdd, +, +)
PM(PmAddSub, +, -)
PM(PmAddMul, +, *)
PM(PmAddDiv, +, /)
PM(PmSubAdd, -, +)
PM(PmSubSub, -, -)
PM(PmSubMul, -, *)
PM(PmSubDiv, -, /)
PM(PmMulAdd, *, +)
PM(PmMulSub, *, -)
PM(PmMulMul, *, *)
PM(PmMulDiv, *, /)
PM(PmDivAdd, /, +)
PM(PmDivSub, /, -)
PM(PmDivMul, /, *)
PM(PmDivDiv, /, /)
#undef TRI
#undef PM
BINARY(Add, a + acc)
BINARY(Sub, a - acc)
BINARY(Mul, a * acc)
BINARY(Div, a / acc)
BINARY(IntDiv, DIV(a, acc))
BINARY(Mod, MOD(a, acc))
BINARY(Pow, POW(a, acc))
BINARY(NthRoot, NROOT(a, 1 / acc))
BINARY(Less, a < acc ? 1.0 : 0.0)
BINARY(Greater, a > acc ? 1.0 : 0.0)
BINARY(LessEqual, a <= acc ? 1.0 : 0.0)
BINARY(GreaterEqual, a >= acc ? 1.0 : 0.0)
BINARY(Equal, a == acc ? 1.0 : 0.0)
BINARY(NotEqual, a != acc ? 1.0 : 0.0)
// The lower operand stays unless the top is greater (smaller): NaN keeps it.
BINARY(Max, acc > a ? acc : a)
BINARY(Min, acc < a ? acc : a)
LNegate: acc = -acc; ++ip; NEXT;
LNot: acc = acc == 0 ? 1.0 : 0.0; ++ip; NEXT;
LCall0Push: sp[-1] = acc;
LCall0:
    gValueStack.top = sp;
    acc = ip->a.f0();
    VR_ROUND(acc);
    ++sp;
    ++ip;
    NEXT;
LCall1:
    gValueStack.top = sp;
    acc = ip->a.f1(acc);
    VR_ROUND(acc);
    ++ip;
    NEXT;
LCall2:
    gValueStack.top = sp;
    acc = ip->a.f2(sp[-2], acc);
    VR_ROUND(acc);
    --sp;
    ++ip;
    NEXT;
LCall3:
    gValueStack.top = sp;
    acc = ip->a.f3(sp[-3], sp[-2], acc);
    VR_ROUND(acc);
    sp -= 2;
    ++ip;
    NEXT;
LCallMath:
    sp[-1] = acc;
    sp = CallMathOnStack(ip->a.math, static_cast<int>(ip[1].a.count), sp, gValueStack.limit);
    acc = sp[-1];
    ip += 2;
    NEXT;
LCallMath0Push: sp[-1] = acc;
LCallMath0:
    sp = CallMathOnStack(ip->a.math, 0, sp, gValueStack.limit);
    acc = sp[-1];
    ++ip;
    NEXT;
LCalculatorResult:
    acc = GetCalculatorOutput(acc);
    VR_ROUND(acc);
    ++ip;
    NEXT;
LStore:
    out[ip->a.index] = acc;
    sp = entry;
    gEvalError = 0;  // as each RunPcode starts
    ++ip;
    NEXT;
LPcode:
    gValueStack.top = entry;
    out[ip[1].a.index] = RunPcode(ip->a.code);
    ip += 2;
    NEXT;
LColumns:
    gEvalError = 0;
    if (RunColumns(gRuns[static_cast<size_t>(ip->a.index)], out)) ip += ip[1].a.index;
    else if (variables) {
        // The equations standby read the variables themselves.
        gValueStack.top = entry;
        return 0;
    } else ip += 2;
    NEXT;
LStop:
    gValueStack.top = entry;
    return 1;
    }
interpret:
    if (variables) return 0;
    for (int i = 0; i < count; ++i) out[i] = code[i] ? RunPcode(code[i]) : 0;
    return 1;
#undef NEXT
#undef BINARY
#undef MEM
#undef PAIR
}

int BuildFusedEquations(PcodeProgram *const *code, int count) {
    Release();
    if (!code || count <= 0) return 0;
    try {
        Emitter e;
        std::vector<double> pool;
        std::vector<std::vector<Step>> decoded(static_cast<size_t>(count));
        std::vector<unsigned char> covered(static_cast<size_t>(count));
        int maxDepth = 0;
        for (int i = 0; i < count; ++i) {
            const size_t poolSize = pool.size();
            if (!code[i] || !Decode(code[i], decoded[static_cast<size_t>(i)], pool, &maxDepth)) {
                decoded[static_cast<size_t>(i)].clear();
                pool.resize(poolSize);
            }
        }
        FindColumnRuns(decoded, pool);
        size_t nextRun = 0, runStart = 0;
        for (int i = 0; i < count; ++i) {
            if (nextRun < gRuns.size() && gRuns[nextRun].first == i) {
                // the run's columns, then its equations one by one for when
                // the columns cannot be used
                runStart = e.code.size();
                e.AddWord(kFColumns, static_cast<intptr_t>(nextRun));
                e.AddWord(kFStop, 0);  // second word: the words to skip, set below
            }
            const std::vector<Step> &steps = decoded[static_cast<size_t>(i)];
            if (!steps.empty()) {
                const size_t start = e.code.size();
                EmitEquation(steps, e);
                const int last = e.code.size() > start ? e.ops.back() : -1;
                const int whole = e.code.size() == start + 3 ? e.ops[start] - kFTriAddAdd : -1;
                if (whole >= 0 && whole <= kFPmDivDivPush - kFTriAddAdd && whole % 2 == 0) {
                    // one three-operand shape, first in its equation: the whole equation
                    e.ops[start] = kFTriAddAddStore + whole / 2;
                    e.AddWord(kFStop, i);  // fourth word: the index only
                } else if ((last >= kFMemAdd && last <= kFMemDiv) || (last >= kFAdd && last <= kFDiv)) {
                    e.ops.back() = last >= kFAdd ? last - kFAdd + kFAddStore : last - kFMemAdd + kFMemAddStore;
                    e.AddWord(kFStop, i);  // second word: the index only
                } else {
                    e.AddWord(kFStore, i);
                }
                covered[static_cast<size_t>(i)] = 1;
            } else {
                if (code[i]) {
                    e.AddWord(kFPcode, 0, code[i]);
                    e.AddWord(kFStop, i);  // second word: the index only
                } else {
                    // the bridges evaluate a missing program as 0
                    static const double kZero = 0;
                    e.Add(kFLoad, Operand{&kZero, -1});
                    e.AddWord(kFStore, i);
                    covered[static_cast<size_t>(i)] = 1;
                }
            }
            if (nextRun < gRuns.size() && gRuns[nextRun].first + gRuns[nextRun].length - 1 == i) {
                e.code[runStart + 1].a.index = static_cast<intptr_t>(e.code.size() - runStart);
                ++nextRun;
            }
        }
        e.AddWord(kFStop, 0);
        // One block: instructions, then the constants, then the flags.
        const size_t codeBytes = e.code.size() * sizeof(FusedInstruction);
        const size_t poolBytes = pool.size() * sizeof(double);
        char *block = static_cast<char *>(std::malloc(codeBytes + poolBytes + covered.size()));
        if (!block) {
            Release();
            return 0;
        }
        gForm.code = reinterpret_cast<FusedInstruction *>(block);
        gForm.constants = reinterpret_cast<double *>(block + codeBytes);
        gForm.covered = reinterpret_cast<unsigned char *>(block + codeBytes + poolBytes);
        std::memcpy(gForm.code, e.code.data(), codeBytes);
        if (poolBytes) std::memcpy(gForm.constants, pool.data(), poolBytes);
        std::memcpy(gForm.covered, covered.data(), covered.size());
        if (!gLabels) EvaluateEquations(nullptr, 0, nullptr, 0);
        for (size_t k = 0; k < e.code.size(); ++k) {
            gForm.code[k].label = gLabels[e.ops[k]];
            if (e.constantOf[k] >= 0) gForm.code[k].a.cell = gForm.constants + e.constantOf[k];
        }
        for (ColumnRun &run : gRuns)
            for (ColumnOp &op : run.ops)
                for (ColumnSource *src : {&op.a, &op.b})
                    if (src->constant >= 0) src->base = gForm.constants + src->constant;
        gForm.builtVariables = gVariables;
        gForm.variables = gVariables;
        gForm.pure = true;
        for (size_t k = 0; k < e.code.size(); ++k) {
            const int op = e.ops[k];
            if (op == kFPcode || (op >= kFCall0 && op <= kFCalculatorResult)) gForm.pure = false;
        }
        std::vector<unsigned char> standby(e.code.size());
        for (size_t k = 0; k < e.code.size(); ++k)
            if (e.ops[k] == kFColumns)
                for (size_t j = k + 2; j < k + static_cast<size_t>(e.code[k + 1].a.index); ++j) standby[j] = 1;
        for (size_t k = 0; k < e.code.size(); ++k) {
            const int index = e.isCell[k] && !standby[k] ? VariableIndexOf(e.code[k].a.cell) : -1;
            if (index >= 0) gVariableWords.push_back({k, index});
        }
        for (size_t r = 0; r < gRuns.size(); ++r)
            for (size_t o = 0; o < gRuns[r].ops.size(); ++o)
                for (bool b : {false, true}) {
                    const ColumnSource &src = b ? gRuns[r].ops[o].b : gRuns[r].ops[o].a;
                    if (src.kind != ColumnSource::kRing && src.kind != ColumnSource::kBroadcast) continue;
                    const int index = src.constant < 0 ? VariableIndexOf(src.base) : -1;
                    if (index >= 0) gVariableSources.push_back({r, o, b, index});
                }
        gForm.count = count;
        gForm.maxDepth = maxDepth;
        gForm.source = code;
        gForm.firstCode = code[0];
        gForm.generation = gPcodeGeneration;
        gForm.built = true;
        return 1;
    } catch (const std::bad_alloc &) {
        Release();
        return 0;
    }
}

void FreeFusedEquations() { Release(); }

int FusedEquationCovered(int index) {
    if (!gForm.built || index < 0 || index >= gForm.count) return -1;
    return gForm.covered[index];
}

int FusedEquationInColumns(int index) {
    if (!gForm.built) return 0;
    for (const ColumnRun &run : gRuns)
        if (index >= run.first && index < run.first + run.length) return 1;
    return 0;
}
