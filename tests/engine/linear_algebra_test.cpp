#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "linear_algebra.h"
#include "workspace.h"

namespace {

// A matrix as row pointers into rows of its own.
struct Matrix {
    std::vector<std::vector<double>> rows;
    std::vector<double *> pointers;
    explicit Matrix(std::vector<std::vector<double>> values) : rows(std::move(values)) {
        for (auto &r : rows) pointers.push_back(r.data());
    }
    double **get() { return pointers.data(); }
};

// The row scales come from the shooting work space: a vector of its own
// here, restored afterwards.
class LinearAlgebraTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = gSolverWork;
        gSolverWork = SolverWorkspace{};
        gSolverWork.vectors[kRowScaleVector] = scales_;
        gSolverWork.rows = 8;
    }
    void TearDown() override { gSolverWork = saved_; }
    SolverWorkspace saved_;
    double scales_[8] = {};
};

TEST_F(LinearAlgebraTest, KnownSystemsAreSolvedWithTheirExchanges) {
    struct Case {
        std::vector<std::vector<double>> a;
        std::vector<double> x;  // the solution; b = a x
        std::vector<int> index;
        int sign;
    } cases[] = {
        {{{2}}, {2}, {0}, 1},
        {{{0, 1}, {1, 0}}, {3, -5}, {1, 0}, -1},
        // Without the row scales the first row (2 > 1) would be the pivot.
        {{{2, 1e6}, {1, 1}}, {1, 2}, {1, 0}, -1},
        // A tie keeps the earlier row.
        {{{1, 0}, {1, 1}}, {4, -1}, {0, 1}, 1},
        {{{1e-20, 1}, {1, 1}}, {1, 1}, {1, 0}, -1},
        {{{2, 1, 1}, {4, -6, 0}, {-2, 7, 2}}, {1, 1, 2}, {0, 1, 2}, 1},
        {{{4, -2, 1, 3}, {3, 6, -4, 2}, {2, 1, 8, -5}, {1, -3, 2, 7}}, {1, -2, 0.5, 3}, {}, 0},
    };
    for (Case &c : cases) {
        const int n = static_cast<int>(c.x.size());
        std::vector<double> b(n), x(n);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) b[i] += c.a[i][j] * c.x[j];
        Matrix a(c.a), lu(std::vector<std::vector<double>>(n, std::vector<double>(n)));
        std::vector<int> index(n);
        int sign = 7;
        ASSERT_EQ(SolveLinearSystem(0, n, a.get(), lu.get(), index.data(), b.data(), x.data(), &sign), 0);
        for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], c.x[i], 1e-14 * (1 + std::fabs(c.x[i]))) << n << " " << i;
        if (!c.index.empty()) {
            EXPECT_EQ(index, c.index) << n;
            EXPECT_EQ(sign, c.sign) << n;
        }
        EXPECT_EQ(a.rows, c.a);  // a separate output leaves the input alone

        // In place, then decomposition and substitution apart: the same.
        std::vector<double> y(n);
        ASSERT_EQ(SolveLinearSystem(1, n, a.get(), a.get(), index.data(), nullptr, nullptr, &sign), 0);
        ASSERT_EQ(SolveLinearSystem(2, n, nullptr, a.get(), index.data(), b.data(), y.data(), nullptr), 0);
        EXPECT_EQ(y, x);
    }
}

// The determinant from the sign and the diagonal of the permuted factor.
TEST_F(LinearAlgebraTest, SignAndDiagonalGiveTheDeterminant) {
    Matrix a({{0, 2, 1}, {1, 1, 0}, {3, 0, 1}});  // det = -5
    std::vector<int> index(3);
    int sign = 0;
    ASSERT_EQ(LuDecompose(3, a.get(), a.get(), index.data(), &sign), 0);
    double det = sign;
    for (int i = 0; i < 3; ++i) det *= a.get()[i][i];
    EXPECT_NEAR(det, -5, 1e-14);
}

TEST_F(LinearAlgebraTest, FailuresAreReportedByCode) {
    std::vector<int> index(2);
    double b[2] = {1, 1}, x[2];
    int sign = 7;

    Matrix zeroRow({{1, 2}, {0, 0}});
    EXPECT_EQ(LuDecompose(2, zeroRow.get(), zeroRow.get(), index.data(), &sign), kLinearZeroRow);
    sign = 7;
    Matrix equalRows({{1, 2}, {1, 2}});
    EXPECT_EQ(SolveLinearSystem(0, 2, equalRows.get(), equalRows.get(), index.data(), b, x, &sign),
              kLinearSingular);
    EXPECT_EQ(sign, 0);
    Matrix withNaN({{NAN, 1}, {1, NAN}});
    EXPECT_EQ(LuDecompose(2, withNaN.get(), withNaN.get(), index.data(), &sign), kLinearSingular);

    Matrix good({{1, 2}, {3, 4}});
    EXPECT_EQ(SolveLinearSystem(7, 2, good.get(), good.get(), index.data(), b, x, &sign), kLinearBadMode);
    EXPECT_EQ(SolveLinearSystem(0, 0, good.get(), good.get(), index.data(), b, x, &sign), kLinearBadArguments);
    EXPECT_EQ(LuDecompose(-1, good.get(), good.get(), index.data(), &sign), kLinearBadArguments);
    EXPECT_EQ(LuDecompose(2, nullptr, good.get(), index.data(), &sign), kLinearBadArguments);
    EXPECT_EQ(LuDecompose(2, good.get(), good.get(), nullptr, &sign), kLinearBadArguments);
    double *missingRow[2] = {good.rows[0].data(), nullptr};
    EXPECT_EQ(LuDecompose(2, good.get(), missingRow, index.data(), &sign), kLinearBadArguments);
    EXPECT_EQ(LuSolve(2, missingRow, index.data(), b, x), kLinearBadArguments);
    EXPECT_EQ(LuSolve(2, good.get(), index.data(), b, b), kLinearBadArguments);
    int badIndex[2] = {0, 2};
    EXPECT_EQ(LuSolve(2, good.get(), badIndex, b, x), kLinearBadArguments);

    // A factor with a zero on its diagonal.
    Matrix zeroDiagonal({{1, 2}, {0.5, 0}});
    int identity[2] = {0, 1};
    EXPECT_EQ(LuSolve(2, zeroDiagonal.get(), identity, b, x), kLinearZeroRow);

    // Row scales: missing, or shorter than the matrix.
    gSolverWork.rows = 1;
    EXPECT_EQ(LuDecompose(2, good.get(), good.get(), index.data(), &sign), kLinearNoWorkVector);
    gSolverWork.rows = 8;
    gSolverWork.vectors[kRowScaleVector] = nullptr;
    EXPECT_EQ(LuDecompose(2, good.get(), good.get(), index.data(), &sign), kLinearNoWorkVector);
    EXPECT_EQ(good.rows[0][0], 1);
}

}  // namespace
