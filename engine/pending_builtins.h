// Built-ins whose real bodies come with later parts of the engine: the file
// channels, the solver plug-in's iteration order and delayed values. Until then each is a stand-in with the documented failure
// result, so the tables and the compiler are complete; whoever builds the
// real one deletes its stand-in from pending_builtins.cpp.
#pragma once

// File channels: +infinity is the expression language's error value.
double ChannelOpenWrite(double channel, double mode);
double ChannelWrite(double channel, double value);
double ChannelDeleteWrite(double channel, double b);
double ChannelOpenRead(double channel, double mode);
double ChannelRead(double channel);
double ChannelResetRead(double channel, double b);
double ChannelOpenBmp(double channel, double mode);
double ChannelBmp(double channel, double value);
double ChannelResetBmp(double channel, double b);
double ChannelInput(double x);
double ChannelMessage(double x);

// The solver plug-in's iteration order; 0 when there is none.
double ITERATIONORDER();

// EvaluateDelayedValue, projx and projy are declared in builtin_tables.h,
// where the compiler finds them.
