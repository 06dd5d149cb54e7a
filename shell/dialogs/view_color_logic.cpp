// View-point arithmetic and the colour dialog's working set.
#include "view_color_logic.h"

#include <cmath>
#include <initializer_list>

double WrapViewValue(double value, double max) {
    if (value >= 0 && value <= max) return value;
    const double m = std::fabs(max);
    if (m == 0) return 0;
    double r = std::fmod(value, m);
    if (r < 0) r += m;
    if (r >= m) r = 0;
    return r;
}

double ScrollViewValue(double value, double max, int code, int thumb) {
    const bool distance = max != 360;
    const double h = distance ? 0.1 : 1, page = distance ? 1.0 : 15;
    double v = WrapViewValue(value, max);
    switch (code) {
    case kScrollLineUp: v -= h; break;
    case kScrollLineDown: v += h; break;
    case kScrollPageUp: v -= page; break;
    case kScrollPageDown: v += page; break;
    case kScrollTop: v = 0; break;
    case kScrollBottom: v = max; break;
    case kScrollThumbPosition:
    case kScrollThumbTrack: v = distance ? thumb / 10.0 : thumb; break;
    default: return value;
    }
    if (v < 0) v = 0;
    // Tenths are summed in binary: 2.1 - 0.1 must not land below 2.
    if (distance) v = std::round(v * 10) / 10;
    if (distance && v > 0 && v < 2) v = 2;
    if (v > max) v = max;
    return v;
}

const CubeEdge kCubeEdges[12] = {
    {{-1, -1, -1}, {1, -1, -1}, 'x'}, {{-1, -1, -1}, {-1, 1, -1}, 'y'}, {{-1, -1, -1}, {-1, -1, 1}, 'z'},
    {{1, -1, -1}, {1, 1, -1}, 0},     {{1, -1, -1}, {1, -1, 1}, 0},     {{-1, 1, -1}, {1, 1, -1}, 0},
    {{-1, 1, -1}, {-1, 1, 1}, 0},     {{-1, -1, 1}, {1, -1, 1}, 0},     {{-1, -1, 1}, {-1, 1, 1}, 0},
    {{1, 1, 1}, {-1, 1, 1}, 0},       {{1, 1, 1}, {1, -1, 1}, 0},       {{1, 1, 1}, {1, 1, -1}, 0},
};

void CubeEdgeVisibility(const ViewPoint &v, bool visible[12]) {
    for (int i = 0; i < 12; ++i) visible[i] = false;
    const double d = v.distance != 0 ? 1 / v.distance : 0;
    // Edge numbers from 1, as the faces list them.
    auto face = [&](bool on, std::initializer_list<int> edges) {
        if (on)
            for (int e : edges) visible[e - 1] = true;
    };
    face(d <= v.sinThetaCosPhi, {4, 5, 11, 12});
    face(-d > v.sinThetaCosPhi, {2, 3, 7, 9});
    face(d <= v.sinThetaSinPhi, {6, 7, 10, 12});
    face(-d > v.sinThetaSinPhi, {1, 3, 5, 8});
    face(d <= v.cosTheta, {8, 9, 10, 11});
    face(-d > v.cosTheta, {1, 2, 4, 6});
}

void DragViewPoint(ViewPoint &v, int dx, int dy, int width, int height) {
    if (width <= 0 || height <= 0) return;
    const int b = static_cast<int>(static_cast<long long>(dx) * 360 / width);
    const int c = static_cast<int>(static_cast<long long>(dy) * 360 / height);
    const double psi = v.psi * 3.14159265358979323846 / 180;
    v.phi = WrapViewValue(v.phi - (b * std::sin(psi) - c * std::cos(psi)), 360);
    v.theta = WrapViewValue(v.theta - (b * std::cos(psi) + c * std::sin(psi)), 360);
    v.setupMarker = 2.0;
}

void ColorSetFromGraph(const GraphWindowState &g, ColorSet &set) {
    set.colors[0] = g.drawingColor;
    set.colors[1] = g.gridColor;
    set.colors[2] = g.directionFieldColor;
    set.colors[3] = g.backgroundColor;
    set.widths[0] = g.drawingWidth;
    set.widths[1] = g.gridWidth;
    set.widths[2] = g.directionFieldWidth;
}

void ColorSetToGraph(const ColorSet &set, GraphWindowState &g) {
    g.drawingColor = set.colors[0];
    g.gridColor = set.colors[1];
    g.directionFieldColor = set.colors[2];
    g.backgroundColor = set.colors[3];
    g.drawingWidth = set.widths[0];
    g.gridWidth = set.widths[1];
    g.directionFieldWidth = set.widths[2];
}
