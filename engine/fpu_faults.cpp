#include "fpu_faults.h"

#include <cstdio>

#include "eval_errors.h"
#include "messages.h"
#include "platform.h"
#include "settings.h"
#include "string_ids.h"

namespace {

constexpr unsigned kExceptionMasks = 0x3F;
constexpr unsigned kPrecision64 = 0x300;
constexpr unsigned kControlFieldMask = 0x33F;  // exception masks and precision
constexpr int kSubcodeBase = 10146;

void LoadFpuControlWord(unsigned word) {
    unsigned short w = static_cast<unsigned short>(word);
    __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(w) : "memory");
}

// Copies id's text: the shared resource buffer is reused by the box itself.
void ShowFloatingPointMessage() {
    char text[kMessageBufferSize];
    std::snprintf(text, sizeof text, "%s", LoadTextResource(gLastStringId));
    char caption[kMessageBufferSize];
    std::snprintf(caption, sizeof caption, "%s", LoadTextResource(IDS_FLOATING_POINT_EXCEPTION));
    ShowMessageBox(text, caption, kMbOk | kMbIconError);
}

[[noreturn]] void AbortWithMessage(int id) {
    gLastStringId = id;
    char text[kMessageBufferSize];
    std::snprintf(text, sizeof text, "%s", LoadTextResource(id));
    AbortEvaluation(text, kAbortFloatingPoint);
}

}  // namespace

unsigned ReadFpuControlWord() {
    unsigned short w;
    __asm__ volatile("fnstcw %0" : "=m"(w) : : "memory");
    return w;
}

unsigned ReadFpuStatusWord() {
    unsigned short w;
    __asm__ volatile("fnstsw %0" : "=m"(w) : : "memory");
    return w;
}

void ApplyFpuOptions() {
    unsigned word = ReadFpuControlWord();
    word = (word & ~kControlFieldMask) | ((static_cast<unsigned>(gControl87) | kPrecision64) & kControlFieldMask);
    if (gMask87) word |= kExceptionMasks;
    LoadFpuControlWord(word);
}

void CheckFpuStatus() {
    unsigned short status;
    __asm__ volatile("fnstsw %0\n\tfnclex" : "=m"(status) : : "memory");
    static const struct {
        unsigned bit;
        int id;
    } kOrder[] = {
        {0x01, IDS_FPE_INVALID_OPERATION},
        {0x04, IDS_FPE_DIVISION_BY_ZERO},
        {0x08, IDS_FPE_OVERFLOW},
        {0x10, IDS_FPE_UNDERFLOW},
    };
    for (const auto &o : kOrder)
        if (status & o.bit) AbortWithMessage(o.id);
}

void OnFloatingPointSignal(int, int subcode) {
    // Nothing to reinstall: the Win32 route stays in place, and the host tree
    // never takes the signal.
    AbortWithMessage(kSubcodeBase + subcode);
}

int FloatingPointSubcode(unsigned long code) {
    switch (code) {
    case 0xC000008DUL: return 130;  // denormal operand
    case 0xC000008EUL: return 131;  // float divide by zero
    case 0xC000008FUL: return 134;  // inexact result
    case 0xC0000090UL: return 129;  // invalid operation
    case 0xC0000091UL: return 132;  // float overflow
    case 0xC0000092UL: return 135;  // float stack check
    case 0xC0000093UL: return 133;  // float underflow
    case 0xC0000094UL: return 127;  // integer divide by zero
    case 0xC0000095UL: return 126;  // integer overflow
    default: return 0;
    }
}

int MapExceptionCode(unsigned long code) {
    int id = 0;
    switch (code) {
    case 0xC000008DUL: id = IDS_FPE_DENORMAL_OPERAND; break;
    case 0xC000008EUL: id = IDS_FPE_DIVISION_BY_ZERO; break;
    case 0xC000008FUL: id = IDS_FPE_INEXACT_RESULT; break;
    case 0xC0000090UL: id = IDS_FPE_INVALID_OPERATION; break;
    case 0xC0000091UL: id = IDS_OVERFLOW_RANGE_ERROR; break;
    case 0xC0000092UL: id = IDS_FPE_STACK_FAULT; break;
    case 0xC0000093UL: id = IDS_FPE_UNDERFLOW; break;
    case 0xC0000094UL: id = IDS_FPE_INTEGER_DIVISION_BY_ZERO; break;
    case 0xC0000095UL: id = IDS_FPE_INTEGER_OVERFLOW; break;
    default: return 0;
    }
    gLastStringId = id;
    return 1;
}

void RecoverFromFpException() {
    __asm__ volatile("fninit" : : : "memory");
    ApplyFpuOptions();
    gEvaluating = 0;
    RunEvalAbortHooks();
    ShowFloatingPointMessage();
}

#if !defined(_WIN32)
void InstallFloatingPointHandler() {}
void RemoveFloatingPointHandler() {}
#endif
