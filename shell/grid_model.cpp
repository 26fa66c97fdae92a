#include "shell/grid_model.h"

namespace tarvolen {

QString FromGridText(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToGridText(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

StringGridModel::StringGridModel(GridTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

void StringGridModel::Reload() {
  beginResetModel();
  endResetModel();
}

int StringGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.RowCount() - table_.FixedRows();
}

int StringGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.ColCount() - table_.FixedCols();
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole || role == Qt::EditRole) {
    return FromGridText(table_.Cell(GridCol(index.column()), GridRow(index.row())));
  }
  return {};
}

bool StringGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  const int col = GridCol(index.column());
  const int row = GridRow(index.row());
  if (!table_.IsEditable(col, row)) return false;
  table_.SetCell(col, row, ToGridText(value.toString()));
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  return true;
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (table_.IsEditable(GridCol(index.column()), GridRow(index.row()))) {
    flags |= Qt::ItemIsEditable;
  }
  return flags;
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return FromGridText(table_.Cell(0, GridRow(section)));
  if (!HasFixedRow()) return QString();
  return FromGridText(table_.Cell(GridCol(section), 0));
}

}  // namespace tarvolen
