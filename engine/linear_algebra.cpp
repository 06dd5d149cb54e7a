#include "linear_algebra.h"

#include <cmath>

#include "workspace.h"

namespace {

// A scaled pivot below the double epsilon is no pivot.
constexpr double kPivotFloor = 2.220446e-16;

bool RowsPresent(int n, double *const *m) {
    if (!m) return false;
    for (int i = 0; i < n; ++i)
        if (!m[i]) return false;
    return true;
}

double *RowScales(int n) {
    if (n > gSolverWork.rows) return nullptr;
    return gSolverWork.vectors[kRowScaleVector];
}

void SwapRows(double **lu, int *index, double *scale, int p, int i) {
    double *row = lu[p];
    lu[p] = lu[i];
    lu[i] = row;
    const int k = index[p];
    index[p] = index[i];
    index[i] = k;
    const double s = scale[p];
    scale[p] = scale[i];
    scale[i] = s;
}

// The row in [i, n) whose entry in column i is largest against its row's
// largest entry; the earliest on ties.
int PivotRow(int n, double *const *lu, const double *scale, int i, double *magnitude) {
    int p = i;
    double best = std::fabs(lu[i][i]) * scale[i];
    for (int r = i + 1; r < n; ++r) {
        const double m = std::fabs(lu[r][i]) * scale[r];
        if (m > best) {
            best = m;
            p = r;
        }
    }
    *magnitude = best;
    return p;
}

}  // namespace

int LuDecompose(int n, double **a, double **lu, int *index, int *sign) {
    if (n <= 0 || !index || !RowsPresent(n, a) || !RowsPresent(n, lu)) return kLinearBadArguments;
    double *scale = RowScales(n);
    if (!scale) return kLinearNoWorkVector;
    if (lu != a)
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) lu[i][j] = a[i][j];

    for (int i = 0; i < n; ++i) {
        index[i] = i;
        double big = 0;
        for (int j = 0; j < n; ++j)
            if (std::fabs(lu[i][j]) > big) big = std::fabs(lu[i][j]);
        if (big == 0) {
            if (sign) *sign = 0;
            return kLinearZeroRow;
        }
        scale[i] = 1 / big;
    }

    int parity = 1;
    for (int i = 0; i < n; ++i) {
        double magnitude;
        const int p = PivotRow(n, lu, scale, i, &magnitude);
        // Written so that a NaN pivot counts as unusable too.
        if (!(magnitude >= kPivotFloor)) {
            if (sign) *sign = 0;
            return kLinearSingular;
        }
        if (p != i) {
            parity = -parity;
            SwapRows(lu, index, scale, p, i);
        }
        for (int j = i + 1; j < n; ++j) {
            if (lu[j][i] == 0) continue;
            lu[j][i] /= lu[i][i];
            const double f = lu[j][i];
            for (int k = i + 1; k < n; ++k) lu[j][k] -= f * lu[i][k];
        }
    }
    if (sign) *sign = parity;
    return kLinearOk;
}

int LuSolve(int n, double *const *lu, const int *index, const double *b, double *x) {
    if (n <= 0 || !index || !b || !x || b == x || !RowsPresent(n, lu)) return kLinearBadArguments;
    // The index may come from the caller (mode 2): it must name rows of b.
    for (int i = 0; i < n; ++i)
        if (index[i] < 0 || index[i] >= n) return kLinearBadArguments;
    for (int i = 0; i < n; ++i) {
        double sum = b[index[i]];
        for (int j = 0; j < i; ++j) sum -= lu[i][j] * x[j];
        x[i] = sum;
    }
    for (int i = n - 1; i >= 0; --i) {
        if (lu[i][i] == 0) return kLinearZeroRow;
        double sum = x[i];
        for (int j = i + 1; j < n; ++j) sum -= lu[i][j] * x[j];
        x[i] = sum / lu[i][i];
    }
    return kLinearOk;
}

int SolveLinearSystem(int mode, int n, double **a, double **lu, int *index, const double *b, double *x,
                      int *sign) {
    if (n <= 0) return kLinearBadArguments;
    switch (mode) {
    case 0: {
        const int rc = LuDecompose(n, a, lu, index, sign);
        return rc != kLinearOk ? rc : LuSolve(n, lu, index, b, x);
    }
    case 1: return LuDecompose(n, a, lu, index, sign);
    case 2: return LuSolve(n, lu, index, b, x);
    default: return kLinearBadMode;
    }
}
