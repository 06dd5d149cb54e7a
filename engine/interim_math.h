// Stand-ins for the numerical built-ins until their real bodies are merged;
// this file goes away then.
#pragma once
#include <cstdint>

double ROUND(double x);
double ROUNDMULTIPLE(double a, double b);
double FRACC(double x);
double MOD(double a, double b);
double DIV(double a, double b);
double SGN(double x);
double STEP(double x);
double SQR(double x);
double SINGLE(double x);
double CHOP(double x);
double CHOP2(double a, double b);
double INF();
double NAN_();
double ISNAN(double x);
double FINITE(double x);
double POW(double a, double b);
double NROOT(double a, double n);
double LNGAMMA(double x);
double FACTORIAL(double x);
double GAMMA(double x);
double ERF(double x);
double ERFC(double x);
double LAMBERTW(double x);
double LAMBERTW1(double x);
double SEED(double x);
double RANDOM(double a, double b);
double RANDOM3(double s, double a, double b);
double ARCSINH(double x);
double ARCCOSH(double x);
double ARCTANH(double x);
typedef uint32_t PackedColor;
PackedColor RgbToColor(double r, double g, double b);
PackedColor HsvToColor(double h, double s, double v);
PackedColor PenColorFromValue(double x);
