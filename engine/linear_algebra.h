// Dense linear systems for the shooting method: LU decomposition with
// implicit row scaling and partial pivoting, and the matching substitution.
// A matrix is n row pointers to n doubles each; row exchanges swap the row
// pointers, so a decomposed matrix's rows are in pivot order.
//
// Codes only, no messages: the caller says what failed.
#pragma once

enum LinearSystemResult {
    kLinearOk = 0,
    kLinearBadArguments = 1,  // n <= 0, a null matrix, row, vector or index vector
    kLinearNoWorkVector = 2,  // the row scales are missing or shorter than n
    kLinearZeroRow = 3,       // decomposition: a row of zeros; substitution: a zero diagonal
    kLinearSingular = 4,      // no usable pivot
    kLinearBadMode = 5,
};

// The row scales are the shooting work space's vector in this slot
// (gSolverWork.vectors, workspace.h); n may not exceed its rows.
constexpr int kRowScaleVector = 4;

// Decomposes a into lu (which may be a itself; else a is left as it was).
// index[i] is then the input row now in position i, and *sign (may be
// null) the parity of the exchanges, +1 or -1; 0 when the matrix is
// singular (codes 3 and 4).
int LuDecompose(int n, double **a, double **lu, int *index, int *sign);

// Solves with a decomposition: x = A^-1 b. x and b must not be the same
// vector, since b is read in pivot order while x is written.
int LuSolve(int n, double *const *lu, const int *index, const double *b, double *x);

// mode 0: decompose, then substitute; 1: decompose only; 2: substitute with
// an existing decomposition in lu and index.
int SolveLinearSystem(int mode, int n, double **a, double **lu, int *index, const double *b, double *x,
                      int *sign);
