#pragma once

#include <QAbstractTableModel>

#include "data/grid_table.h"

namespace tarvolen {

// Shows the cell table behind `StringGrid1` in a QTableView. The fixed column 0 (row numbers)
// is the view's vertical header and the fixed row 0 ("X", "Y") its horizontal header; once the
// grid has no fixed row, row 0 is an ordinary, editable row and the horizontal header is empty.
// Texts are single-byte: each byte shows as the Latin-1 character of the same code, so whatever a
// file held comes back unchanged.
class StringGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit StringGridModel(GridTable& table, QObject* parent = nullptr);

  GridTable& Table() { return table_; }
  // Call after the table changed behind the model's back (a load, an exchange).
  void Reload();
  bool HasFixedRow() const { return table_.FixedRows() > 0; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Grid coordinates of a model index, and back.
  int GridRow(int model_row) const { return model_row + table_.FixedRows(); }
  int GridCol(int model_col) const { return model_col + 1; }

 private:
  GridTable& table_;
};

QString FromGridText(const std::string& text);
std::string ToGridText(const QString& text);

}  // namespace tarvolen
