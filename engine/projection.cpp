#include "projection.h"

#include <cmath>
#include <limits>

#include "builtin_tables.h"

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

// Coordinates on the view plane before the perspective division.
struct PlanePoint {
    double x, y;
};

PlanePoint Rotate(const ViewPoint &v, double x, double y, double z) {
    const double a = x * v.cosPhiCosTheta + y * v.sinPhiCosTheta - z * v.sinTheta;
    const double b = y * v.cosPhi - x * v.sinPhi;
    return {a * v.cosPsi + b * v.sinPsi, -a * v.sinPsi + b * v.cosPsi};
}

// The perspective factor's denominator: depth of the point seen from the eye.
double Depth(const ViewPoint &v, double x, double y, double z) {
    return v.origin - x * v.sinThetaCosPhi - y * v.sinThetaSinPhi - z * v.cosTheta;
}

double Perspective(const ViewPoint &v, double planeValue, double x, double y, double z) {
    if (v.distance == 0) return planeValue;
    const double d = Depth(v, x, y, z);
    if (d == 0) return std::numeric_limits<double>::infinity();
    return v.distance * planeValue / d;
}

}  // namespace

// The view of a new window until one is copied in.
ViewPoint gViewPoint = {30, 60, 90, 0, 0, 2.0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

void SetDefaultViewPoint(ViewPoint &v) {
    v = ViewPoint();
    v.phi = 30;
    v.theta = 60;
    v.psi = 90;
    v.setupMarker = 2.0;
}

void SetupProjection(ViewPoint &v) {
    if (v.setupMarker != 2.0) return;
    const double theta = v.theta * kRadiansPerDegree;
    const double phi = v.phi * kRadiansPerDegree;
    const double psi = v.psi * kRadiansPerDegree;
    v.sinTheta = std::sin(theta);
    v.cosTheta = std::cos(theta);
    v.sinPhi = std::sin(phi);
    v.cosPhi = std::cos(phi);
    v.sinPsi = std::sin(psi);
    v.cosPsi = std::cos(psi);
    v.sinThetaSinPhi = v.sinTheta * v.sinPhi;
    v.sinThetaCosPhi = v.sinTheta * v.cosPhi;
    v.sinPhiCosTheta = v.sinPhi * v.cosTheta;
    v.cosPhiCosTheta = v.cosPhi * v.cosTheta;
    v.setupMarker = 0;
}

// A view whose angles changed since its set-up (marker 2.0) is set up
// first, so that no expression projects with stale angles.
double projx(double x, double y, double z) {
    SetupProjection(gViewPoint);
    return Perspective(gViewPoint, Rotate(gViewPoint, x, y, z).x, x, y, z);
}

double projy(double x, double y, double z) {
    SetupProjection(gViewPoint);
    return Perspective(gViewPoint, Rotate(gViewPoint, x, y, z).y, x, y, z);
}
