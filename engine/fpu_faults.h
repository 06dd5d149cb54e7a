// The x87 control word of computations and the floating-point faults that
// end an evaluation. Both trees run on the x87 unit, so the control and
// status words are read and written with the FPU's own instructions: the
// options hold raw control-word bits, not a runtime library's encoding.
#pragma once

// The options "Control 87" (gControl87: exception-mask bits of the x87
// control word, bit 0 invalid, 2 zero-divide, 3 overflow, ..., set = masked;
// default 0x32 traps invalid, zero-divide and overflow) and "Mask 87"
// (gMask87: mask all six and test the status word after each point) are the
// settings' (settings.h).
constexpr int kDefaultControl87 = 0x32;
constexpr int kDefaultMask87 = 0;

unsigned ReadFpuControlWord();
unsigned ReadFpuStatusWord();

// Clears pending exception flags, then loads the control word from the
// options: "Control 87" with the precision bits 0x300 under the mask 0x33F,
// and all six exceptions masked when "Mask 87" is set. Clearing first keeps
// a flag left by earlier masked work from trapping at once.
void ApplyFpuOptions();

// Reads and clears the status word; invalid, zero-divide, overflow or
// underflow (first in that order) aborts the evaluation with its message.
void CheckFpuStatus();

// The floating-point signal: subcode is the signal's floating-point subcode
// in the numbering where the message is 10146 + subcode (126 integer
// overflow ... 135 stack fault). Shows the message and jumps to the recovery
// point; does not return.
[[noreturn]] void OnFloatingPointSignal(int signal, int subcode);

// Subcode of OnFloatingPointSignal for a hardware exception code; 0 when the
// code is not an arithmetic fault.
int FloatingPointSubcode(unsigned long exceptionCode);

// Filter of the guards around the calculator and graph drawing: arithmetic
// exception codes set gLastStringId to their message and return 1 (handle);
// any other code returns 0 (continue search).
int MapExceptionCode(unsigned long exceptionCode);

// Body of that guard: reinitialises the FPU, reloads the control word from
// the options, runs the evaluation's abort hooks (value stack, plotter
// output) and shows the message of gLastStringId.
void RecoverFromFpException();

// Makes hardware floating-point faults of the calling thread reach
// OnFloatingPointSignal while an evaluation recovery point is set (the run
// engine before a run, the calculator). An unmasked x87 exception is raised
// by the floating-point instruction after the faulting one, so a guarded
// caller ends its block with an fwait (FpuWait). The host tree runs with the
// exceptions masked and tests the status word instead: there it does nothing.
void InstallFloatingPointHandler();
void RemoveFloatingPointHandler();

// Raises a pending unmasked x87 exception now.
inline void FpuWait() { __asm__ volatile("fwait" : : : "memory"); }
