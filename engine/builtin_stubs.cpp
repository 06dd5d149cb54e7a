// Placeholders until the function library and the evaluation bridges are
// linked in: every function here evaluates to NaN. The library replaces the
// table entries that point at BuiltinStubK and this file goes away.
#include <limits>

#include "builtin_tables.h"

namespace {
double NotYet() { return std::numeric_limits<double>::quiet_NaN(); }
}  // namespace

double BuiltinStub0() { return NotYet(); }
double BuiltinStub1(double) { return NotYet(); }
double BuiltinStub2(double, double) { return NotYet(); }
double BuiltinStub3(double, double, double) { return NotYet(); }

double EvaluateDelayedValue(double, double) { return NotYet(); }
double projx(double, double, double) { return NotYet(); }
double projy(double, double, double) { return NotYet(); }
