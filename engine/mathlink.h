// The link to a computer-algebra kernel: what the compiler and the
// interpreter need of it.
#pragma once

// Key "On" of the settings section "MathLink": while set, $name(args) calls
// compile. Off by default.
extern int gMathLinkOn;

// One call name(arguments): begin it (0 when no link could be opened), put
// the count arguments in order, then finish it for the result. Every failure
// yields +infinity, which ends the evaluation without a further message.
int BeginMathLinkCall(const char *name, int count);
void PutMathLinkArgument(double value);
double FinishMathLinkCall();
