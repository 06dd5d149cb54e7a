// The one list of P-code opcodes. The compiler, the interpreter and the test
// disassembler all derive from VR_PCODE_OPS, so they cannot drift apart.
//
// A program is a byte sequence: an opcode byte, its operands inline and
// unaligned, little-endian. Doubles take 8 bytes; addresses and offsets 4
// (the code runs in a 32-bit process only). A jump offset is added to the
// address of the offset word itself; both offsets of If count from the
// first offset word.
#pragma once
#include <cstdint>
#include <cstring>

#ifndef VR_LOW_ADDRESSES
static_assert(sizeof(void *) == 4, "P-code stores addresses in 4 bytes");
#endif

// Operand layouts.
enum PcodeOperands {
    kOperandsNone,         // -
    kOperandsDouble,       // 8-byte constant
    kOperandsAddress,      // 4-byte address of a double cell or a function
    kOperandsOffset,       // 4-byte jump offset
    kOperandsTwoOffsets,   // If: offset to the zero branch, offset to the negative/NaN branch
    kOperandsCountAddress, // 1-byte argument count, 4-byte function address
    kOperandsNameCount,    // NUL-terminated name, 4-byte argument count
};

// Stack effect of the operations whose effect depends on an operand count
// (1 - count).
constexpr int kStackEffectVaries = 99;

// X(name, value, operands, stack effect). The effect of And and Or is that of
// the path that falls through (they pop); when they jump the value stays.
// ORDER OP: values are the numbers the interpreter dispatches on.
#define VR_PCODE_OPS(X)                                               \
    X(End, 0, kOperandsNone, -1)             /* pop and return */     \
    X(PushConst, 1, kOperandsDouble, 1)                               \
    X(PushCell, 2, kOperandsAddress, 1)      /* push *address */      \
    X(Add, 3, kOperandsNone, -1)                                      \
    X(Sub, 4, kOperandsNone, -1)                                      \
    X(Mul, 5, kOperandsNone, -1)                                      \
    X(Div, 6, kOperandsNone, -1)                                      \
    X(IntDiv, 7, kOperandsNone, -1)          /* DIV(a, b), "\" */     \
    X(Mod, 8, kOperandsNone, -1)             /* MOD(a, b), "%" */     \
    X(Pow, 9, kOperandsNone, -1)             /* POW(a, b), "^" */     \
    X(Negate, 10, kOperandsNone, 0)                                   \
    X(Unused, 11, kOperandsNone, 0)          /* never emitted */      \
    X(Call0, 12, kOperandsAddress, 1)        /* f() */                \
    X(Call1, 13, kOperandsAddress, 0)        /* f(a) */               \
    X(Call2, 14, kOperandsAddress, -1)       /* f(a, b) */            \
    X(Call3, 15, kOperandsAddress, -2)       /* f(a, b, c) */         \
    X(CallMath, 16, kOperandsCountAddress, kStackEffectVaries)        \
    X(If, 17, kOperandsTwoOffsets, -1)       /* pop c; >0 on, 0, <0 */ \
    X(Max, 18, kOperandsNone, -1)                                     \
    X(Min, 19, kOperandsNone, -1)                                     \
    X(Less, 20, kOperandsNone, -1)                                    \
    X(Greater, 21, kOperandsNone, -1)                                 \
    X(LessEqual, 22, kOperandsNone, -1)                               \
    X(GreaterEqual, 23, kOperandsNone, -1)                            \
    X(Equal, 24, kOperandsNone, -1)                                   \
    X(NotEqual, 25, kOperandsNone, -1)                                \
    X(And, 26, kOperandsOffset, -1)          /* top 0: jump, keep it */ \
    X(Or, 27, kOperandsOffset, -1)           /* top not 0: jump, keep */ \
    X(Not, 28, kOperandsNone, 0)                                      \
    X(JumpIfZero, 29, kOperandsOffset, -1)   /* pop; 0: jump */       \
    X(Jump, 30, kOperandsOffset, 0)                                   \
    X(MathLink, 31, kOperandsNameCount, kStackEffectVaries)           \
    X(CalculatorResult, 32, kOperandsNone, 0) /* top k -> result k */ \
    X(NthRoot, 33, kOperandsNone, -1)        /* NROOT(a, 1/b), "^^" */

enum PcodeOp : unsigned char {
#define VR_OP_ENUM(name, value, operands, stack) kOp##name = value,
    VR_PCODE_OPS(VR_OP_ENUM)
#undef VR_OP_ENUM
};

constexpr int kPcodeOpCount = 34;  // opcodes 0 .. 33; anything above is invalid
#define VR_OP_COUNT(name, value, operands, stack) +1
static_assert(0 VR_PCODE_OPS(VR_OP_COUNT) == kPcodeOpCount, "opcodes are numbered without gaps");
#undef VR_OP_COUNT

struct PcodeOpInfo {
    const char *name;
    PcodeOperands operands;
    int stackEffect;
};

// Indexed by opcode value.
inline const PcodeOpInfo &PcodeOpInfoOf(int op) {
    static const PcodeOpInfo kInfo[kPcodeOpCount] = {
#define VR_OP_INFO(name, value, operands, stack) {#name, operands, stack},
        VR_PCODE_OPS(VR_OP_INFO)
#undef VR_OP_INFO
    };
    return kInfo[op];
}

// Bytes of the instruction at code, opcode included; 0 for an invalid opcode.
inline int PcodeInstructionLength(const unsigned char *code) {
    if (*code >= kPcodeOpCount) return 0;
    switch (PcodeOpInfoOf(*code).operands) {
    case kOperandsNone: return 1;
    case kOperandsDouble: return 9;
    case kOperandsAddress:
    case kOperandsOffset: return 5;
    case kOperandsTwoOffsets: return 9;
    case kOperandsCountAddress: return 6;
    case kOperandsNameCount: return 1 + static_cast<int>(std::strlen(reinterpret_cast<const char *>(code + 1))) + 1 + 4;
    }
    return 0;
}

// Unaligned operand access.
inline double ReadPcodeDouble(const unsigned char *p) {
    double v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline int32_t ReadPcodeInt(const unsigned char *p) {
    int32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline uint32_t ReadPcodeWord(const unsigned char *p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
