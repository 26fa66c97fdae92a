#include "shell/text_table.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>
#include <map>

namespace tarvolen {
namespace {

// A cell as copied: a tab or line end inside it would split it in two.
QString CopiedCell(QString text) {
  for (QChar& c : text) {
    if (c == u'\t' || c == u'\n' || c == u'\r') c = u' ';
  }
  return text;
}

QString Line(const QStringList& cells) {
  QStringList copied;
  for (const QString& cell : cells) copied << CopiedCell(cell);
  return copied.join(u'\t') + u'\n';
}

}  // namespace

TTextTable::TTextTable(QWidget* parent) : QTableWidget(parent) {
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setTabKeyNavigation(false);  // Tab moves on to the dialog's buttons
  // The last column takes the width left and wraps a long note or reason onto more lines.
  setWordWrap(true);
  horizontalHeader()->setStretchLastSection(true);
  verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  verticalHeader()->hide();
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  auto* copy = new QAction(u"Copy"_qs, this);
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  connect(copy, &QAction::triggered, this, &TTextTable::CopySelection);
  auto* copy_all = new QAction(u"Copy All"_qs, this);
  connect(copy_all, &QAction::triggered, this, &TTextTable::CopyAll);
  addActions({copy, copy_all});
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TTextTable::SetRows(const QStringList& titles, const std::vector<QStringList>& rows) {
  clear();
  setColumnCount(static_cast<int>(titles.size()));
  setRowCount(static_cast<int>(rows.size()));
  setHorizontalHeaderLabels(titles);
  for (int row = 0; row < rowCount(); ++row) {
    const QStringList& cells = rows[static_cast<std::size_t>(row)];
    for (int col = 0; col < columnCount() && col < cells.size(); ++col) {
      auto* item = new QTableWidgetItem(cells[col]);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      item->setToolTip(cells[col]);  // a long note or reason is read whole here
      setItem(row, col, item);
    }
  }
  resizeColumnsToContents();
}

QString TTextTable::SelectedText() const {
  std::map<int, std::map<int, QString>> cells;  // row, column: in the table's order
  for (const QModelIndex& index : selectedIndexes()) {
    cells[index.row()][index.column()] = index.data(Qt::DisplayRole).toString();
  }
  QString text;
  for (const auto& [row, columns] : cells) {
    QStringList line;
    for (const auto& [col, cell] : columns) line << cell;
    text += Line(line);
  }
  return text;
}

QString TTextTable::AllText() const {
  QStringList titles;
  for (int col = 0; col < columnCount(); ++col) {
    const QTableWidgetItem* title = horizontalHeaderItem(col);
    titles << (title ? title->text() : QString());
  }
  QString text = Line(titles);
  for (int row = 0; row < rowCount(); ++row) {
    QStringList line;
    for (int col = 0; col < columnCount(); ++col) {
      const QTableWidgetItem* cell = item(row, col);
      line << (cell ? cell->text() : QString());
    }
    text += Line(line);
  }
  return text;
}

int TTextTable::ContentWidth(int last_column_most) const {
  int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
  const int last = columnCount() - 1;
  for (int col = 0; col < last; ++col) width += columnWidth(col);
  if (last >= 0) width += std::min(sizeHintForColumn(last), last_column_most);
  return width;
}

void TTextTable::CopySelection() {
  const QString text = SelectedText();
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void TTextTable::CopyAll() { QGuiApplication::clipboard()->setText(AllText()); }

}  // namespace tarvolen
