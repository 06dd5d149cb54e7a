#include "pending_builtins.h"

#include <limits>

#include "builtin_tables.h"

namespace {
constexpr double kErrorValue = std::numeric_limits<double>::infinity();
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
