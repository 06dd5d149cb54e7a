#include "pending_builtins.h"

#include <limits>

#include "builtin_tables.h"

namespace {
constexpr double kErrorValue = std::numeric_limits<double>::infinity();
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
}  // namespace

double ITERATIONORDER() { return 0; }

double projx(double, double, double) { return kNoValue; }
double projy(double, double, double) { return kNoValue; }
