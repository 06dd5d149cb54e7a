// Projection of 3-D points onto a graph window's plane under a ViewPoint:
// rotation by Phi about z, Theta about the rotated y and Psi about the line
// of sight, then orthographic (Distance 0) or perspective projection.
#pragma once

// The 3-D view of a window ("Phi" .. "Distance", angles in degrees).
struct ViewPoint {
    double phi, theta, psi;
    double origin, distance;
    // 2.0 until the projection has been set up for these angles; whoever
    // changes an angle stores 2.0 here (SetupProjection, projection.h).
    double setupMarker;
    // Cached by SetupProjection.
    double sinTheta, cosTheta, sinPhi, cosPhi, sinPsi, cosPsi;
    double sinThetaSinPhi, sinThetaCosPhi, sinPhiCosTheta, cosPhiCosTheta;
};

extern ViewPoint gViewPoint;

// Fills a view point with the defaults of a new window.
void SetDefaultViewPoint(ViewPoint &v);

// Fills the cached sines, cosines and products of v when its marker holds
// 2.0; otherwise leaves v alone.
void SetupProjection(ViewPoint &v);

// projx and projy (declared in builtin_tables.h) read gViewPoint, set up
// first when its marker holds 2.0. A point in the eye's plane of a perspective
// view (zero denominator) gives +infinity.
