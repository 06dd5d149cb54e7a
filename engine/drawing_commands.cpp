#include "drawing_commands.h"


#include "builtin_math.h"
#include "run_control.h"

const DrawingTarget *gDrawingTarget;

namespace {

double Bound(int which) { return gDrawingTarget ? gDrawingTarget->bound(which) : 0; }

double SetColor(PackedColor c) {
    if (gDrawingTarget) gDrawingTarget->setPenColor(c);
    return 0;
}

// The integer part, clamped into int range (NaN: 0).
int IntegerPart(double x) {
    if (!(x == x)) return 0;
    if (x >= 2147483647.0) return 2147483647;
    if (x <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(x);
}

}  // namespace

double DrawErase() {
    if (gDrawingTarget) gDrawingTarget->erase(0);
    return 0;
}

double DrawRedraw() {
    if (gDrawingTarget) gDrawingTarget->erase(1);
    return 0;
}

double DrawLastT() { return gDrawingTarget ? gLastOutputTime : 0; }
double DrawMinX() { return Bound(kBoundXMin); }
double DrawMaxX() { return Bound(kBoundXMax); }
double DrawMinY() { return Bound(kBoundYMin); }
double DrawMaxY() { return Bound(kBoundYMax); }

double DrawStartAnimation() {
    if (gDrawingTarget) gDrawingTarget->startAnimation();
    return 0;
}

double DrawEndAnimation() {
    if (gDrawingTarget) gDrawingTarget->endAnimation();
    return 0;
}

double DrawPenColor(double x) { return gDrawingTarget ? SetColor(PenColorFromValue(x)) : 0; }
double DrawHsv(double h, double s, double v) { return gDrawingTarget ? SetColor(HsvToColor(h, s, v)) : 0; }
double DrawRgb(double r, double g, double b) { return gDrawingTarget ? SetColor(RgbToColor(r, g, b)) : 0; }

double DrawPenWidth(double x) {
    if (gDrawingTarget) gDrawingTarget->setPenWidth(IntegerPart(x));
    return 0;
}

double DrawMoveTo(double x, double y) {
    if (gDrawingTarget) {
        gDrawingTarget->clearPreviousPoint();
        gDrawingTarget->plotPoint(x, y, 0);
    }
    return 0;
}

double DrawLineTo(double x, double y) {
    if (gDrawingTarget) gDrawingTarget->plotPoint(x, y, 1);
    return 0;
}

double DrawNewPath(double a, double b) {
    if (!gDrawingTarget) return 0;
    if (a != 0) gDrawingTarget->clearPreviousPoint();
    return b;
}
