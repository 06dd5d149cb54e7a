// Projection of 3-D points onto a graph window's plane under a ViewPoint:
// rotation by Phi about z, Theta about the rotated y and Psi about the line
// of sight, then orthographic (Distance 0) or perspective projection.
#pragma once
#include "graph_state.h"

// Fills the cached sines, cosines and products of v when its marker holds
// 2.0; otherwise leaves v alone.
void SetupProjection(ViewPoint &v);

// projx and projy (declared in builtin_tables.h) read gViewPoint, set up
// first when its marker holds 2.0. A point in the eye's plane of a perspective
// view (zero denominator) gives +infinity.
