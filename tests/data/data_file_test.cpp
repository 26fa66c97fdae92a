#include "data/data_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/errors.h"

namespace tarvolen {
namespace {

// The texts of one row: columns 0 to `columns` - 1.
std::vector<std::string> Row(const GridTable& grid, int row, int columns = 4) {
  std::vector<std::string> cells;
  for (int c = 0; c < columns; ++c) cells.push_back(grid.Cell(c, row));
  return cells;
}

using Cells = std::vector<std::string>;

TEST(FillGridFromText, SplitsALineIntoFields) {
  struct Case {
    std::string line;
    Cells cells;  // columns 0..3 of row 1, over a row that held "old" in every cell
  };
  const Case cases[] = {
      {"1 2.5", {"1", "1", "2.5", ""}},
      {"   4\t9   ", {"1", "4", "9", ""}},
      {"3", {"1", "3", "", ""}},  // the old Y does not stay behind
      {"1 2 7", {"1", "1", "2", "7"}},
      {"  \t ", {"1", "", "", ""}},
      {"1,5 2,5", {"1", "1,5", "2,5", ""}},
      {"1;2", {"1", "1;2", "", ""}},
      {"\"1 2\" 3", {"1", "1 2", "3", ""}},
      {"\"say \"\"hi\"\"\" 3", {"1", "say \"hi\"", "3", ""}},
      {"\"\" 5", {"1", "", "5", ""}},
      {"\"open to the end", {"1", "open to the end", "", ""}},
      {"\"ab\"cd", {"1", "ab", "cd", ""}},
      {"ab\"cd\" e", {"1", "ab\"cd\"", "e", ""}},
      {"1\x01\x1f 2", {"1", "1", "2", ""}},
      {"\xc3\xa9 \x80", {"1", "\xc3\xa9", "\x80", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    GridTable grid;
    for (int col = 0; col < 5; ++col) grid.SetCell(col, 1, "old");
    FillGridFromText(c.line, grid);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(Row(grid, 1), c.cells);
    EXPECT_EQ(grid.Cell(4, 1), "");
  }
}

TEST(FillGridFromText, CountsLines) {
  const std::pair<std::string, int> cases[] = {
      {"", 1},
      {"\r\n", 2},
      {"\n", 2},
      {"\r", 2},
      {"1 2", 2},
      {"1 2\n", 2},
      {"1 2\r\n3 4", 3},
      {"1 2\r\n3 4\r\n", 3},
      {"a\rb\nc\r\nd", 5},
      {"a\n\nb", 4},
      {"a\r\rb", 4},
      {"a\n\r", 3},  // LF, then a lone CR: two line ends
      {std::string("1 2\n3 4\0\n5 6\n", 12), 3},  // the text ends at the first NUL
      {std::string("\0abc", 4), 1},
  };
  for (const auto& [text, rows] : cases) {
    GridTable grid;
    FillGridFromText(text, grid);
    EXPECT_EQ(grid.RowCount(), rows) << "text of " << text.size() << " bytes";
  }
}

TEST(FillGridFromText, EmptyLinesLeaveEmptyRows) {
  GridTable grid;
  FillGridFromText("1 1\n2 2\n3 3\n", grid);
  FillGridFromText("9 9\n\n  \n", grid);
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(Row(grid, 1), (Cells{"1", "9", "9", ""}));
  EXPECT_EQ(Row(grid, 2), (Cells{"", "", "", ""}));   // empty line: no row number either
  EXPECT_EQ(Row(grid, 3), (Cells{"3", "", "", ""}));  // blanks only: the row number only
}

// Rows past a shorter file are empty when a longer grid shows them again.
TEST(FillGridFromText, ALoadReplacesTheRowsOfTheLoadBefore) {
  GridTable grid;
  std::string thirty;
  for (int i = 1; i <= 30; ++i) thirty += std::to_string(i) + " " + std::to_string(i * i) + " h\n";
  FillGridFromText(thirty, grid);
  EXPECT_EQ(grid.RowCount(), 31);
  FillGridFromText("1 1\n2 2\n3 3\n4 4\n5 5\n6 6\n7 7\n8 8\n9 9\n10 10\n", grid);
  EXPECT_EQ(grid.RowCount(), 11);
  EXPECT_EQ(grid.Cell(3, 1), "");  // hidden columns too
  EXPECT_EQ(Row(grid, 20), (Cells{"", "", "", ""}));
  grid.SetRowCount(31);
  EXPECT_EQ(Row(grid, 30), (Cells{"", "", "", ""}));
}

TEST(FillGridFromText, AnEmptyFileLeavesOnlyAnEditableHeaderRow) {
  GridTable grid;
  grid.WriteHeaders();
  grid.SetCell(1, 1, "5");
  FillGridFromText("", grid);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.FixedRows(), 0);
  EXPECT_EQ(grid.Cell(1, 1), "");
  EXPECT_EQ(grid.Cell(1, 0), "X");
  FillGridFromText("1 2\n", grid);
  EXPECT_EQ(grid.FixedRows(), 0);
}

TEST(FillGridFromText, EncodingsAreNotDecoded) {
  GridTable grid;
  FillGridFromText("\xEF\xBB\xBF" "1 2\n", grid);
  EXPECT_EQ(grid.Cell(1, 1), "\xEF\xBB\xBF" "1");
  // UTF-16 LE with its byte-order mark: cut at the first NUL, after "\xFF\xFE" "1".
  FillGridFromText(std::string("\xFF\xFE" "1\0 \0" "2\0", 8), grid);
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.Cell(1, 1), "\xFF\xFE" "1");
}

TEST(LoadDataFile, AFileThatCannotBeOpenedLeavesTheGridUntouched) {
  GridTable grid;
  grid.SetCell(1, 1, "kept");
  const std::string path = "/nonexistent-folder/data.txt";
  try {
    LoadDataFile(path, grid);
    ADD_FAILURE();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.what(), "Cannot open file \"" + path + "\". No such file or directory");
  }
  EXPECT_EQ(grid.RowCount(), 21);
  EXPECT_EQ(grid.Cell(1, 1), "kept");
}

TEST(LoadDataFile, ReadsAFileAsItsNameSays) {
  const std::string folder = ::testing::TempDir() + "tarvolen-load-" + std::to_string(::getpid());
  std::filesystem::create_directories(folder);
  const std::string bytes = "x,y\r\n1,2\r\n2,4\r\n3,5\r\n4,4\r\n5,5\r\n";
  struct Case {
    const char* name;
    int rows;
    const char* x1;
  };
  const Case cases[] = {{"data.txt", 7, "x,y"},
                        {"data.csv", 6, "1"},
                        {"DATA.CSV", 6, "1"},
                        {"data.csv.txt", 7, "x,y"}};
  for (const Case& c : cases) {
    const std::string path = folder + "/" + c.name;
    std::ofstream(path, std::ios::binary) << bytes;
    GridTable grid;
    LoadDataFile(path, grid);
    EXPECT_EQ(grid.RowCount(), c.rows) << c.name;
    EXPECT_EQ(grid.Cell(1, 1), c.x1) << c.name;
    EXPECT_EQ(grid.Cell(0, c.rows - 1), std::to_string(c.rows - 1)) << c.name;
  }
  std::filesystem::remove_all(folder);
}

// Records the fractions of a load; says stop from its `stop_at`-th question on (0: never), asked
// on any thread.
class LoadRecorder : public ProgressObserver {
 public:
  explicit LoadRecorder(int stop_at) : stop_at_(stop_at) {}
  void Progressed(double fraction) override { fractions.push_back(fraction); }
  bool StopRequested() const override { return stop_at_ != 0 && ++asked_ >= stop_at_; }
  std::vector<double> fractions;

 private:
  int stop_at_;
  mutable std::atomic<int> asked_{0};
};

TEST(FillGridFromText, TellsHowFarItGotAndStopsWhenAsked) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += std::to_string(i) + " 1\n";
  GridTable grid;
  LoadRecorder recorder(0);
  FillGridFromText(text, grid, Progress(&recorder));
  EXPECT_EQ(grid.Cell(1, 100000), "99999");
  ASSERT_GE(recorder.fractions.size(), 3u);
  EXPECT_EQ(recorder.fractions.front(), 0);
  EXPECT_EQ(recorder.fractions.back(), 1);
  for (std::size_t i = 1; i < recorder.fractions.size(); ++i) {
    EXPECT_GT(recorder.fractions[i], recorder.fractions[i - 1]);
  }

  GridTable stopped;
  LoadRecorder stopper(2);
  EXPECT_THROW(FillGridFromText(text, stopped, Progress(&stopper)), Cancelled);
  EXPECT_NE(stopped.Cell(1, 1), "");       // the first chunk is in
  EXPECT_EQ(stopped.Cell(1, 100000), "");  // the rest is not
}

// Everything a load decides about a grid: its shape, the stored rows of the shown columns and the
// text of every cell up to past the last row and field.
std::string GridImage(const GridTable& grid) {
  std::string image = std::to_string(grid.RowCount()) + "/" + std::to_string(grid.FixedRows());
  for (int col = 0; col < grid.ColCount(); ++col) {
    image += "/" + std::to_string(grid.StoredRows(col));
  }
  for (int row = 0; row < grid.RowCount() + 3; ++row) {
    image += "\n";
    for (int col = 0; col < 8; ++col) image += grid.Cell(col, row) + "|";
  }
  return image;
}

// Texts made of what a loader must keep apart: every kind of line end, empty and blank lines,
// quoted fields with line-end-free quotes in them, fields past the shown columns, a NUL.
std::string RandomText(std::mt19937& random) {
  static const char* const kParts[] = {"1",      "2.5",  "-3e4",  " ",        "\t",      "  ",
                                       "\n",     "\r",   "\r\n",  "\n\n",     "\"q r\"", "\"\"\"\"",
                                       "\"open", "x\"y", "7 8 9", "a b c d e"};
  std::string text;
  const int parts = static_cast<int>(random() % 60);
  for (int i = 0; i < parts; ++i) text += kParts[random() % std::size(kParts)];
  if (random() % 8 == 0) text.insert(random() % (text.size() + 1), 1, '\0');
  return text;
}

// Cut into pieces of any size and filled on several threads, a text leaves the grid exactly as
// the row-by-row fill does: into a fresh grid, and into one holding an earlier load with more
// rows and fields.
TEST(FillGridFromTextInPieces, LeavesTheGridAsTheRowByRowFillDoes) {
  std::mt19937 random(20240611);
  const std::size_t piece_sizes[] = {1, 2, 3, 7, 64};
  for (int round = 0; round < 300; ++round) {
    const std::string text = RandomText(random);
    SCOPED_TRACE(testing::PrintToString(text));
    for (const bool earlier_load : {false, true}) {
      GridTable expected;
      expected.WriteHeaders();
      if (earlier_load) FillGridFromText("1 2 3 4 5\n6 7 8\n\n9\n1 2 3 4 5 6\n7 7 7 7\n", expected);
      GridTable grid = expected;
      FillGridFromText(text, expected);  // a small text: row by row
      for (const std::size_t piece_bytes : piece_sizes) {
        GridTable pieces = grid;
        FillGridFromTextInPieces(text, pieces, piece_bytes);
        ASSERT_EQ(GridImage(pieces), GridImage(expected)) << "pieces of " << piece_bytes;
      }
    }
  }
}

// Progress comes from the calling thread, never falling, ending at 1; a stop asked for on any
// thread ends the load with Cancelled.
TEST(FillGridFromTextInPieces, TellsHowFarItGotAndStopsWhenAsked) {
  std::string text;
  for (int i = 0; i < 200000; ++i) text += std::to_string(i) + " 1\n";
  GridTable grid;
  LoadRecorder recorder(0);
  FillGridFromText(text, grid, Progress(&recorder));  // over a megabyte: in pieces
  EXPECT_EQ(grid.Cell(1, 200000), "199999");
  EXPECT_EQ(grid.Cell(0, 200000), "200000");
  ASSERT_GE(recorder.fractions.size(), 2u);
  EXPECT_EQ(recorder.fractions.front(), 0);
  EXPECT_EQ(recorder.fractions.back(), 1);
  EXPECT_TRUE(std::is_sorted(recorder.fractions.begin(), recorder.fractions.end()));

  GridTable stopped;
  LoadRecorder stopper(3);
  EXPECT_THROW(FillGridFromTextInPieces(text, stopped, 4096, Progress(&stopper)), Cancelled);
}

}  // namespace
}  // namespace tarvolen
