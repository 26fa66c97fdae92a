#include "fit/matrice2.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/errors.h"

namespace tarvolen {
namespace {

TEST(MatInverse, InvertsSmallMatrices) {
  struct Case {
    RCOMat a;
    RCOMat inverse;
  };
  const Case cases[] = {
      {{{4}}, {{0.25L}}},
      {{{0, 1}, {1, 0}}, {{0, 1}, {1, 0}}},
      {{{2, 0}, {0, 2}}, {{0.5L, 0}, {0, 0.5L}}},
      {{{1, 2}, {3, 4}}, {{-2, 1}, {1.5L, -0.5L}}},
      {{{2, 0, 0}, {0, 4, 0}, {0, 0, 8}}, {{0.5L, 0, 0}, {0, 0.25L, 0}, {0, 0, 0.125L}}},
  };
  for (const Case& c : cases) {
    RCOMat a = c.a;
    RCOMat b;
    EXPECT_EQ(MatInverse(a, b), kMatOk);
    EXPECT_EQ(b, c.inverse);
  }
}

TEST(MatInverse, AThreeByThreeInverseTimesTheMatrixIsTheIdentity) {
  const RCOMat a = {{5, 15, 55}, {15, 55, 225}, {55, 225, 979}};
  RCOMat work = a, inverse, product;
  ASSERT_EQ(MatInverse(work, inverse), kMatOk);
  ASSERT_EQ(MatMult(a, inverse, product), kMatOk);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(static_cast<double>(product[i][j]), i == j, 1e-15);
  }
}

TEST(MatInverse, FailuresLeaveTheOutputUntouched) {
  struct Case {
    RCOMat a;
    int status;
    bool a_untouched;
  };
  const Case cases[] = {
      {{{0}}, kMatSingular, false},
      {{{1, 2}, {2, 4}}, kMatSingular, false},  // the remaining element is exactly 0
      {{{0, 0}, {0, 0}}, kMatSingular, true},
      {{{1, 2, 3}, {4, 5, 6}}, kMatDimensions, true},
      {{}, kMatEmpty, true},
  };
  for (const Case& c : cases) {
    RCOMat a = c.a;
    RCOMat b = {{7, 8}, {9, 10}, {11, 12}};
    const RCOMat before = b;
    EXPECT_EQ(MatInverse(a, b), c.status);
    EXPECT_EQ(b, before);
    if (c.a_untouched) {
      EXPECT_EQ(a, c.a);
    }
  }
  // An inverse never filled before stays empty.
  RCOMat singular = {{1, 2}, {2, 4}}, never_filled;
  EXPECT_EQ(MatInverse(singular, never_filled), kMatSingular);
  EXPECT_TRUE(never_filled.empty());
}

TEST(MatInverse, OverwritesItsInputWithTheFactors) {
  RCOMat a = {{1, 2}, {3, 4}}, b;
  ASSERT_EQ(MatInverse(a, b), kMatOk);
  // Pivot 4 at (1, 1): columns and rows swap to [[4, 3], [2, 1]]; f = 0.5 leaves
  // U = [[4, 3], [0, 1 - 0.5·3]] and -f in the lower part.
  EXPECT_EQ(a, (RCOMat{{4, 3}, {-0.5L, -0.5L}}));
}

TEST(LUDecompose, PivotsByTheFirstLargestElement) {
  struct Case {
    RCOMat a;
    RCoVecE col_perm, row_perm;
  };
  const Case cases[] = {
      {{{0, 1}, {1, 0}}, {1, 0}, {0, 1}},  // the 1 at (0, 1): a column swap only
      {{{2, 0}, {0, 2}}, {0, 1}, {0, 1}},  // ties never replace (k, k)
      {{{1, 0}, {5, 5}}, {0, 1}, {1, 0}},  // (1, 0) comes before (1, 1) row by row
  };
  for (const Case& c : cases) {
    RCOMat a = c.a;
    RCoVecE col(2), row(2);
    EXPECT_EQ(LUDecompose(2, a, col, row), kMatOk);
    EXPECT_EQ(col, c.col_perm);
    EXPECT_EQ(row, c.row_perm);
  }
}

TEST(MatMult, MultipliesAndResizesItsOutput) {
  const RCOMat a = {{1, 2, 3}, {4, 5, 6}};
  const RCOMat b = {{7, 8}, {9, 10}, {11, 12}};
  RCOMat c = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}};  // pre-sized 3 x 3
  EXPECT_EQ(MatMult(a, b, c), kMatOk);
  EXPECT_EQ(c, (RCOMat{{58, 64}, {139, 154}}));
}

TEST(MatMult, FailuresLeaveTheOutputUntouched) {
  const RCOMat two_by_two = {{1, 2}, {3, 4}};
  const RCOMat three_by_one = {{1}, {2}, {3}};
  RCOMat c = {{5}};
  EXPECT_EQ(MatMult(two_by_two, three_by_one, c), kMatDimensions);
  EXPECT_EQ(c, RCOMat{{5}});
  EXPECT_EQ(MatMult(RCOMat{}, three_by_one, c), kMatEmpty);
  EXPECT_EQ(MatMult(two_by_two, RCOMat{}, c), kMatEmpty);
  EXPECT_EQ(c, RCOMat{{5}});
}

TEST(MatTranspose, TransposesAndResizes) {
  RCOMat t = {{9}};
  EXPECT_EQ(MatTranspose(RCOMat{{1, 2, 3}, {4, 5, 6}}, t), kMatOk);
  EXPECT_EQ(t, (RCOMat{{1, 4}, {2, 5}, {3, 6}}));
  EXPECT_EQ(MatTranspose(RCOMat{}, t), kMatEmpty);
  EXPECT_EQ(t, (RCOMat{{1, 4}, {2, 5}, {3, 6}}));
}

TEST(MatSize, ReportsRowsColumnsAndEmptiness) {
  int rows = -1, cols = -1;
  EXPECT_EQ(MatSize(RCOMat{{1, 2, 3}}, rows, cols), kMatOk);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(cols, 3);
  EXPECT_EQ(MatSize(RCOMat{}, rows, cols), kMatEmpty);
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(cols, 0);
}

TEST(MatInverse, CheckedArithmeticStopsAtAnOverflow) {
  // Eliminating gives -big - big.
  const Extended big = std::numeric_limits<Extended>::max() * 0.75L;
  RCOMat a = {{big, big}, {big, -big}}, b;
  EXPECT_THROW(fp::RunChecked([&] { return MatInverse<fp::Checked>(a, b); }), EOverflow);
  EXPECT_TRUE(b.empty());
}

}  // namespace
}  // namespace tarvolen
