// The Elliptic plug-in: elliptic integrals and Jacobi elliptic functions for
// the expression language, on Carlson's symmetric integrals (duplication) and
// the descending Landen transformation. Parameter convention: m = k^2.
//
// Invalid arguments show one error box each (ShowEllipticErrorBox) and give
// +infinity, which makes the host end its evaluation without a message.
#pragma once
#include "math_plugin.h"

extern "C" const MathFunctionEntry *VR_MATH_CALL GetParamDLL(int32_t index);

// Number of entries GetParamDLL hands out (indexes 0 to count - 1).
constexpr int kEllipticFunctionCount = 17;

// Shows the invalid-arguments box and returns +infinity.
double ReportInvalidArguments();

// Carlson's integrals; arguments outside their limits report invalid
// arguments. R_C with y < 0 and R_J with p <= 0 give the principal value.
double CarlsonRC(double x, double y);
double CarlsonRD(double x, double y, double z);
double CarlsonRF(double x, double y, double z);
double CarlsonRJ(double x, double y, double z, double p);

// sn, cn and dn of u for the complementary parameter mc = 1 - m; any mc.
void JacobiSnCnDn(double u, double mc, double *sn, double *cn, double *dn);

// The functions of the table (phi enters only through its sine and cosine).
double VR_MATH_CALL EllipticE(double phi, double m);
double VR_MATH_CALL EllipticE1(double m);
double VR_MATH_CALL EllipticF(double phi, double m);
double VR_MATH_CALL EllipticK(double m);
double VR_MATH_CALL EllipticPi(double n, double phi, double m);
double VR_MATH_CALL JacobiCD(double u, double m);
double VR_MATH_CALL JacobiCN(double u, double m);
double VR_MATH_CALL JacobiCS(double u, double m);
double VR_MATH_CALL JacobiDC(double u, double m);
double VR_MATH_CALL JacobiDN(double u, double m);
double VR_MATH_CALL JacobiDS(double u, double m);
double VR_MATH_CALL JacobiNC(double u, double m);
double VR_MATH_CALL JacobiND(double u, double m);
double VR_MATH_CALL JacobiNS(double u, double m);
double VR_MATH_CALL JacobiSC(double u, double m);
double VR_MATH_CALL JacobiSD(double u, double m);
double VR_MATH_CALL JacobiSN(double u, double m);
