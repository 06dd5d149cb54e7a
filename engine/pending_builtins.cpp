#include "pending_builtins.h"

#include <limits>

#include "builtin_tables.h"

namespace {
constexpr double kErrorValue = std::numeric_limits<double>::infinity();
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
}  // namespace

double ChannelOpenWrite(double, double) { return kErrorValue; }
double ChannelWrite(double, double) { return kErrorValue; }
double ChannelDeleteWrite(double, double) { return kErrorValue; }
double ChannelOpenRead(double, double) { return kErrorValue; }
double ChannelRead(double) { return kErrorValue; }
double ChannelResetRead(double, double) { return kErrorValue; }
double ChannelOpenBmp(double, double) { return kErrorValue; }
double ChannelBmp(double, double) { return kErrorValue; }
double ChannelResetBmp(double, double) { return kErrorValue; }
double ChannelInput(double) { return kErrorValue; }
double ChannelMessage(double) { return kErrorValue; }

double ITERATIONORDER() { return 0; }

double projx(double, double, double) { return kNoValue; }
double projy(double, double, double) { return kNoValue; }
