#include "data/grid_table.h"

#include <algorithm>
#include <utility>

#include "common/huge_pages.h"

namespace tarvolen {
namespace {
const std::string kEmpty;
}

GridTable::GridTable() = default;

void GridTable::SetRowCount(int count) {
  row_count_ = std::max(count, 1);
  if (row_count_ <= fixed_rows_) fixed_rows_ = row_count_ - 1;
}

bool GridTable::IsEditable(int col, int row) const {
  return col >= FixedCols() && col < kColCount && row >= fixed_rows_ && row < row_count_;
}

const std::string& GridTable::Cell(int col, int row) const {
  if (col < 0 || row < 0) return kEmpty;
  if (col < kColCount) {
    const auto& column = columns_[col];
    return static_cast<std::size_t>(row) < column.size() ? column[row] : kEmpty;
  }
  if (static_cast<std::size_t>(row) >= hidden_.size()) return kEmpty;
  const auto& cells = hidden_[row];
  const auto index = static_cast<std::size_t>(col - kColCount);
  return index < cells.size() ? cells[index] : kEmpty;
}

std::string& GridTable::MutableCell(int col, int row) {
  const auto r = static_cast<std::size_t>(row);
  if (col < kColCount) {
    auto& column = columns_[col];
    if (r >= column.size()) column.resize(r + 1);
    return column[r];
  }
  if (r >= hidden_.size()) hidden_.resize(r + 1);
  auto& cells = hidden_[r];
  const auto index = static_cast<std::size_t>(col - kColCount);
  if (index >= cells.size()) cells.resize(index + 1);
  return cells[index];
}

void GridTable::SetCell(int col, int row, std::string text) {
  if (col < 0 || row < 0) return;
  MutableCell(col, row) = std::move(text);
}

void GridTable::SwapCells(int col_a, int col_b, int row) {
  // Shown columns only: two references into one hidden row could not both stay valid.
  if (col_a < 0 || col_b < 0 || row < 0 || col_a >= kColCount || col_b >= kColCount) return;
  if (Cell(col_a, row).empty() && Cell(col_b, row).empty()) return;  // nothing to grow for
  std::swap(MutableCell(col_a, row), MutableCell(col_b, row));
}

void GridTable::ClearRowsFrom(int row) {
  const auto keep = static_cast<std::size_t>(std::max(row, 0));
  for (auto& column : columns_) {
    if (column.size() > keep) column.resize(keep);
  }
  if (hidden_.size() > keep) hidden_.resize(keep);
}

void GridTable::ClearCellsFrom(int col, int row) {
  if (row < 0) return;
  const auto r = static_cast<std::size_t>(row);
  for (int c = std::max(col, 0); c < kColCount; ++c) {
    if (r < columns_[c].size()) columns_[c][r].clear();
  }
  if (r < hidden_.size()) {
    const auto keep = static_cast<std::size_t>(std::max(col - kColCount, 0));
    if (hidden_[r].size() > keep) hidden_[r].resize(keep);
  }
}

void GridTable::ReserveRows(int rows) {
  const auto count = static_cast<std::size_t>(std::max(rows, 0));
  for (auto& column : columns_) ReserveOnHugePages(column, count);
}

void GridTable::SetStoredRows(int col, int rows) {
  if (col < 0 || col >= kColCount) return;
  columns_[col].resize(static_cast<std::size_t>(std::max(rows, 0)));
}

void GridTable::OwnColumns() {
  // Any write access takes the elements; these write nothing.
  for (auto& column : columns_) static_cast<void>(column.data());
  static_cast<void>(hidden_.data());
}

int GridTable::StoredRows(int col) const {
  if (col < 0 || col >= kColCount) return 0;
  return static_cast<int>(columns_[col].size());
}

void GridTable::WriteHeaders() {
  SetCell(1, 0, "X");
  SetCell(2, 0, "Y");
}

void ExchangeXY(GridTable& grid) {
  const int rows = grid.RowCount();
  for (int r = 1; r < rows; ++r) grid.SwapCells(1, 2, r);
}

}  // namespace tarvolen
