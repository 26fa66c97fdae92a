#pragma once

// Dense linear algebra of the fits (`Matrice2`): product, transpose and inverse of dynamically
// sized matrices of extended reals. The routines raise nothing: an operation that cannot be
// carried out returns its status (a `MatError` other than kMatOk) and leaves its output exactly
// as it was. They keep no state between calls, so fits on several threads use them at once.
// Floating-point
// faults inside them (an overflow while eliminating, say) reach the caller as the flags or, with
// the checked number type, as the error of the first failing operation.
//
// Every routine is a template on the number type its arithmetic runs in (`Extended`, or
// `fp::Checked` to stop at the first faulting operation); the storage is always `Extended`.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "common/extended.h"
#include "common/fp_check.h"

namespace tarvolen {

using RCOVec = std::vector<Extended>;
using RCoVecE = std::vector<std::int32_t>;

// A matrix of extended reals, [row][column], its rows one after another in one block: the
// refinement's n x 2 Jacobian costs one allocation, not one per row.
class RCOMat {
 public:
  RCOMat() = default;
  // Rows of the given values; a shorter row is filled up with zeros to the longest.
  RCOMat(std::initializer_list<std::initializer_list<Extended>> rows) {
    std::size_t cols = 0;
    for (const auto& row : rows) cols = std::max(cols, row.size());
    Resize(rows.size(), cols);
    std::size_t i = 0;
    for (const auto& row : rows) std::copy(row.begin(), row.end(), (*this)[i++]);
  }

  std::size_t size() const { return rows_; }  // the number of rows
  bool empty() const { return rows_ == 0; }
  std::size_t Cols() const { return cols_; }
  Extended* operator[](std::size_t row) { return values_.data() + row * cols_; }
  const Extended* operator[](std::size_t row) const { return values_.data() + row * cols_; }

  // Re-sizes to rows x cols: elements in both the old and the new shape keep their values, new
  // ones are 0.
  void Resize(std::size_t rows, std::size_t cols) {
    if (cols == cols_) {
      values_.resize(rows * cols, 0);
    } else {
      std::vector<Extended> values(rows * cols, 0);
      for (std::size_t i = 0; i < std::min(rows, rows_); ++i) {
        std::copy_n((*this)[i], std::min(cols, cols_), values.data() + i * cols);
      }
      values_ = std::move(values);
    }
    rows_ = rows;
    cols_ = cols;
  }

  void SwapRows(std::size_t a, std::size_t b) {
    std::swap_ranges((*this)[a], (*this)[a] + cols_, (*this)[b]);
  }

  bool operator==(const RCOMat&) const = default;

 private:
  std::size_t rows_ = 0;
  std::size_t cols_ = 0;
  std::vector<Extended> values_;
};

// The status a routine returns.
enum MatError : int {
  kMatOk = 0,
  kMatSingular = 3,    // a zero pivot
  kMatDimensions = 4,  // operands whose sizes do not fit together
  kMatEmpty = 5,       // an operand without rows
};

// A rows x cols matrix of zeros.
inline RCOMat ZeroMatrix(int rows, int cols) {
  RCOMat m;
  m.Resize(static_cast<std::size_t>(rows), static_cast<std::size_t>(cols));
  return m;
}

// rows := number of rows; cols := number of columns (0 without rows). Returns kMatOk, or
// kMatEmpty when `a` has no rows.
[[nodiscard]] inline MatError MatSize(const RCOMat& a, int& rows, int& cols) {
  cols = 0;
  rows = static_cast<int>(a.size());
  if (rows == 0) return kMatEmpty;
  cols = static_cast<int>(a.Cols());
  return kMatOk;
}

namespace detail {
// Kept elements keep their values, new ones are 0.
inline void Resize(RCOMat& m, int rows, int cols) {
  m.Resize(static_cast<std::size_t>(rows), static_cast<std::size_t>(cols));
}
}  // namespace detail

// c := a * b, re-sized to rows(a) x cols(b). Each element sums a[i][k] * b[k][j] + s for k
// rising. On an empty operand (5) or inner dimensions that differ (4), c is untouched.
template <class T = Extended>
[[nodiscard]] MatError MatMult(const RCOMat& a, const RCOMat& b, RCOMat& c) {
  int ra, ca, rb, cb;
  if (const MatError status = MatSize(a, ra, ca); status != kMatOk) return status;
  if (const MatError status = MatSize(b, rb, cb); status != kMatOk) return status;
  if (ca != rb) return kMatDimensions;
  detail::Resize(c, ra, cb);
  for (int i = 0; i < ra; ++i) {
    for (int j = 0; j < cb; ++j) {
      T s = Extended(0);
      for (int k = 0; k < ca; ++k) s = T(a[i][k]) * T(b[k][j]) + s;
      c[i][j] = fp::Value(s);
    }
  }
  return kMatOk;
}

// t := transpose of a, re-sized to cols(a) x rows(a). On an empty operand t is untouched.
[[nodiscard]] inline MatError MatTranspose(const RCOMat& a, RCOMat& t) {
  int rows, cols;
  if (const MatError status = MatSize(a, rows, cols); status != kMatOk) return status;
  detail::Resize(t, cols, rows);
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) t[j][i] = a[i][j];
  }
  return kMatOk;
}

// Factorises the n x n matrix `a` in place by elimination with complete pivoting, storing the
// inverse of the lower factor: afterwards the upper triangle with the diagonal holds U and the
// strict lower triangle holds that of M, with M unit lower triangular and M·P·A·Q = U. P takes
// row row_perm[i] of A to row i, Q column col_perm[j] to column j. Returns kMatOk, or
// kMatSingular for an exact zero pivot or a zero left on the diagonal, leaving `a` partly
// factored.
template <class T = Extended>
[[nodiscard]] MatError LUDecompose(int n, RCOMat& a, RCoVecE& col_perm, RCoVecE& row_perm) {
  for (int i = 0; i < n; ++i) col_perm[i] = row_perm[i] = i;
  for (int k = 0; k + 1 < n; ++k) {
    // The first largest element in row-by-row order wins; (k, k) wins every tie it is part of.
    Extended best = std::abs(a[k][k]);
    int p = k, q = k;
    for (int i = k; i < n; ++i) {
      for (int j = k; j < n; ++j) {
        if (std::abs(a[i][j]) > best) {
          best = std::abs(a[i][j]);
          p = i;
          q = j;
        }
      }
    }
    if (best == 0) return kMatSingular;
    if (q != k) {
      for (int i = 0; i < n; ++i) std::swap(a[i][k], a[i][q]);
      std::swap(col_perm[k], col_perm[q]);
    }
    if (p != k) {
      a.SwapRows(static_cast<std::size_t>(k), static_cast<std::size_t>(p));
      std::swap(row_perm[k], row_perm[p]);
    }
    const T pivot = a[k][k];
    for (int i = k + 1; i < n; ++i) {
      const T f = T(a[i][k]) / pivot;
      for (int j = k + 1; j < n; ++j) a[i][j] = fp::Value(T(a[i][j]) - f * T(a[k][j]));
      for (int j = 0; j < k; ++j) a[i][j] = fp::Value(T(a[i][j]) - f * T(a[k][j]));
      a[i][k] = fp::Value(-f);
    }
  }
  for (int i = 0; i < n; ++i) {
    if (a[i][i] == 0) return kMatSingular;
  }
  return kMatOk;
}

// x := solution of the unfactored system A·x = b, from the factors of LUDecompose. `x` and `b`
// may be the same vector: b is only read while the work vector is written.
template <class T = Extended>
void LUSolve(const RCOMat& a, int n, RCOVec& x, const RCoVecE& row_perm, const RCoVecE& col_perm,
             const RCOVec& b) {
  x.resize(static_cast<std::size_t>(n), 0);
  RCOVec y(static_cast<std::size_t>(n), 0);
  for (int i = n - 1; i >= 0; --i) {
    T s = b[row_perm[i]];
    for (int j = 0; j < i; ++j) s = T(a[i][j]) * T(b[row_perm[j]]) + s;
    for (int j = i + 1; j < n; ++j) s = s - T(a[i][j]) * T(y[j]);
    y[i] = fp::Value(s / T(a[i][i]));
  }
  for (int i = 0; i < n; ++i) x[col_perm[i]] = y[i];
}

// b := inverse of the square matrix a, re-sized to n x n; `a` is overwritten by its factors.
// A non-square a (kMatDimensions) or an empty one (kMatEmpty) leaves both untouched; a singular
// one (kMatSingular) leaves b untouched and a partly factored.
template <class T = Extended>
[[nodiscard]] MatError MatInverse(RCOMat& a, RCOMat& b) {
  int rows, cols;
  if (const MatError status = MatSize(a, rows, cols); status != kMatOk) return status;
  if (rows != cols) return kMatDimensions;
  const int n = rows;
  RCOVec x(static_cast<std::size_t>(n), 0);
  RCoVecE col_perm(static_cast<std::size_t>(n)), row_perm(static_cast<std::size_t>(n));
  if (const MatError status = LUDecompose<T>(n, a, col_perm, row_perm); status != kMatOk) {
    return status;
  }
  detail::Resize(b, n, n);
  for (int c = 0; c < n; ++c) {
    std::fill(x.begin(), x.end(), Extended(0));
    x[c] = 1;
    LUSolve<T>(a, n, x, row_perm, col_perm, x);
    for (int i = 0; i < n; ++i) b[i][c] = x[i];
  }
  return kMatOk;
}

}  // namespace tarvolen
