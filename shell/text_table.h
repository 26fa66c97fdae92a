#pragma once

#include <QStringList>
#include <QTableWidget>
#include <vector>

namespace tarvolen {

// A read-only table of texts that copies as text: Ctrl+C (and "Copy" in its right-click menu)
// puts the selected cells on the clipboard, "Copy All" the column titles and every row. Copied
// text has one line per row, its cells separated by tabs, so it pastes into a spreadsheet cell
// by cell; a tab or line end inside a cell is copied as a space.
class TTextTable : public QTableWidget {
  Q_OBJECT

 public:
  explicit TTextTable(QWidget* parent = nullptr);

  // Replaces the table's contents; every row has as many cells as there are titles.
  void SetRows(const QStringList& titles, const std::vector<QStringList>& rows);

  // The selected cells: a line for every row with a selected cell, its selected cells in column
  // order; empty when nothing is selected.
  QString SelectedText() const;
  // The column titles, then every row.
  QString AllText() const;
  // The width that shows every column whole, the last one at most `last_column_most` wide (its
  // texts wrap beyond), with the frame and a vertical scroll bar.
  int ContentWidth(int last_column_most) const;
  void CopySelection();
  void CopyAll();
};

}  // namespace tarvolen
