// The link to a computer-algebra kernel: what the compiler needs of it.
#pragma once

// Key "On" of the settings section "MathLink": while set, $name(args) calls
// compile. Off by default.
extern int gMathLinkOn;
