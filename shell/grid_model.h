#pragma once

#include <QAbstractTableModel>
#include <QItemSelection>
#include <QTableView>

#include "data/grid_table.h"

namespace tarvolen {

// Shows the cell table behind `StringGrid1` in a QTableView. The fixed column 0 (row numbers)
// is the view's vertical header and the fixed row 0 ("X", "Y") its horizontal header; once the
// grid has no fixed row, row 0 is an ordinary, editable row and the horizontal header is empty.
//
// Cells hold bytes. They show as UTF-8 when they are valid UTF-8 and byte for byte as Latin-1
// otherwise, so whatever a file held is shown and kept unchanged; typed text is stored as UTF-8.
class StringGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit StringGridModel(GridTable& table, QObject* parent = nullptr);

  GridTable& Table() { return table_; }
  // Call after the table changed behind the model's back (a load, an exchange, the headers):
  // the view is rebuilt only when the number of rows or of fixed rows changed, and otherwise
  // keeps its current cell, selection and scroll position.
  void Refresh();
  bool HasFixedRow() const { return table_.FixedRows() > 0; }
  // Empties the editable cells of `selection`; a cell that is empty already is not written.
  void ClearCells(const QItemSelection& selection);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Grid coordinates of a model index, and back.
  int GridRow(int model_row) const { return model_row + table_.FixedRows(); }
  int GridCol(int model_col) const { return model_col + 1; }

 signals:
  // The user wrote cells through the model (an edit, Delete); Refresh says nothing.
  void CellsEdited();

 private:
  GridTable& table_;
  int shown_rows_ = 0;
  int shown_fixed_rows_ = 0;
};

// The grid's view: a table view whose open in-place editor can be committed on demand, so a
// command started by a button that takes no focus still reads what the user typed. A cell whose
// text does not fit shows it whole in its tool tip.
class TStringGridView : public QTableView {
  Q_OBJECT

 public:
  using QTableView::QTableView;
  // Writes the text of the open in-place editor, if any, into the table and closes the editor.
  void CommitOpenEditor();

 protected:
  bool viewportEvent(QEvent* event) override;
};

// A cell's bytes as shown, and typed text as stored.
QString FromGridText(const std::string& text);
std::string ToGridText(const QString& text);

}  // namespace tarvolen
