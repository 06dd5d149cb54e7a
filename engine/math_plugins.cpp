#include "math_plugins.h"

MathFunctionEntry *gMathFunctions;
int gMathFunctionCount;
