// The calculator's evaluation, its history lines and its outputs list:
// portable, so that it is tested natively. The dialog keeps its texts here
// and shows what these routines produce.
#pragma once
#include <string>

#include "compiler.h"

// Sizes of the input (10,238 characters) and of the output format (1,022).
constexpr int kCalculatorInputLimit = 10238;
constexpr int kCalculatorFormatLimit = 1022;
extern const char kDefaultCalculatorFormat[];  // "%.15g"

// The dialog's state: the input and its code (owned), the format and the
// number of the last I/O pair in the history.
struct CalculatorSession {
    char *input;
    PcodeProgram *code;
    char format[kCalculatorFormatLimit + 1];
    int count;
};
extern CalculatorSession gCalculator;

// A format is used only when it holds exactly one conversion of a double
// with a bounded width and precision; else the default format prints.
const char *CalculatorFormatInUse(const char *format);

// Replaces the input text (an overlong one is refused: 0).
int SetCalculatorInput(const char *text);

// Mode 1 while typing (silent), mode 2 for Evaluate (a compile error opens
// the compiler-error dialog, whose correction may replace the input).
// Writes the formatted value to out and returns 1, or empties out and
// returns 0 when the input is empty, does not compile or faults.
int EvaluateCalculator(int mode, char *out, int outSize);
enum { kCalculatorTyping = 1, kCalculatorEvaluate = 2 };

// After a successful Evaluate: appends the value to the outputs list and
// returns the two history lines ("I[n] = input" with line breaks as blanks,
// "O[n] = current"). Returns "" when the list cannot grow (nothing changed).
std::string RecordCalculatorResult(double value, const char *current);

// The value of the last successful EvaluateCalculator.
extern double gCalculatorLastValue;

// "Clear all": input, history counter and the outputs list.
void ClearCalculator();

// Frees the input and its code (the dialog's end).
void ReleaseCalculator();
