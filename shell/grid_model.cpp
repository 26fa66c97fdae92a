#include "shell/grid_model.h"

#include <QHelpEvent>
#include <QStringDecoder>
#include <QToolTip>
#include <string>
#include <utility>

namespace tarvolen {
namespace {

// A cell of many megabytes (a file line without blanks) shows only its beginning: laying out the
// whole text on every repaint would freeze the window. Editing still gets the whole text.
constexpr qsizetype kShownCellLength = 1000;

}  // namespace

QString FromGridText(const std::string& text) {
  const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString decoded = utf8.decode(bytes);
  if (!utf8.hasError()) return decoded;
  return QString::fromLatin1(bytes);
}

std::string ToGridText(const QString& text) { return text.toStdString(); }

StringGridModel::StringGridModel(GridTable& table, QObject* parent)
    : QAbstractTableModel(parent),
      table_(table),
      shown_rows_(table.RowCount()),
      shown_fixed_rows_(table.FixedRows()) {}

void StringGridModel::Refresh() {
  if (table_.RowCount() != shown_rows_ || table_.FixedRows() != shown_fixed_rows_) {
    beginResetModel();
    shown_rows_ = table_.RowCount();
    shown_fixed_rows_ = table_.FixedRows();
    endResetModel();
    return;
  }
  if (rowCount() > 0) {
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                     {Qt::DisplayRole, Qt::EditRole});
  }
  emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
  if (rowCount() > 0) emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

int StringGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_rows_ - shown_fixed_rows_;
}

int StringGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.ColCount() - table_.FixedCols();
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  const std::string& text = table_.Cell(GridCol(index.column()), GridRow(index.row()));
  if (role == Qt::DisplayRole && static_cast<qsizetype>(text.size()) > kShownCellLength) {
    return FromGridText(text.substr(0, kShownCellLength)) + QChar(0x2026);
  }
  return FromGridText(text);
}

bool StringGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  const int col = GridCol(index.column());
  const int row = GridRow(index.row());
  if (!table_.IsEditable(col, row)) return false;
  std::string text = ToGridText(value.toString());
  // An editor closed without a change writes nothing: the data are as they were.
  if (text == table_.Cell(col, row)) return true;
  table_.SetCell(col, row, std::move(text));
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  emit CellsEdited();
  return true;
}

void StringGridModel::ClearCells(const QItemSelection& selection) {
  bool cleared = false;
  for (const QItemSelectionRange& range : selection) {
    for (int model_row = range.top(); model_row <= range.bottom(); ++model_row) {
      for (int model_col = range.left(); model_col <= range.right(); ++model_col) {
        const int col = GridCol(model_col);
        const int row = GridRow(model_row);
        if (table_.IsEditable(col, row) && !table_.Cell(col, row).empty()) {
          table_.SetCell(col, row, std::string());
          cleared = true;
        }
      }
    }
    emit dataChanged(range.topLeft(), range.bottomRight(), {Qt::DisplayRole, Qt::EditRole});
  }
  if (cleared) emit CellsEdited();
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

void TStringGridView::CommitOpenEditor() {
  if (state() != QAbstractItemView::EditingState) return;
  QWidget* editor = indexWidget(currentIndex());
  if (!editor) return;
  commitData(editor);
  closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool TStringGridView::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTableView::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = indexAt(help->pos());
  const QString text = index.data(Qt::DisplayRole).toString();
  const QRect cell = visualRect(index);
  // The room the text has: the cell less the margins the style keeps on either side.
  const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  if (index.isValid() && fontMetrics().horizontalAdvance(text) > cell.width() - 2 * margin) {
    QToolTip::showText(help->globalPos(), text, viewport(), cell);
  } else {
    QToolTip::hideText();
  }
  return true;
}

}  // namespace tarvolen
