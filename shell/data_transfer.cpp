#include "shell/data_transfer.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QUrl>
#include <algorithm>
#include <memory>

namespace tarvolen {
namespace {

// Clipboard text without the one line end a copied cell or block ends with.
QString WithoutFinalLineEnd(QString text) {
  if (text.endsWith(u"\r\n")) {
    text.chop(2);
  } else if (text.endsWith(u'\n') || text.endsWith(u'\r')) {
    text.chop(1);
  }
  return text;
}

bool HoldsBlock(const QString& text) {
  return text.contains(u'\t') || text.contains(u'\n') || text.contains(u'\r');
}

}  // namespace

bool IsCellBlock(const QString& text) {
  return HoldsBlock(WithoutFinalLineEnd(text));
}

void TCellEditor::PasteClipboard() {
  const QString text = QGuiApplication::clipboard()->text();
  if (IsCellBlock(text) && OnPasteBlock) {
    OnPasteBlock(text);
    return;
  }
  insert(WithoutFinalLineEnd(text));
}

void TCellEditor::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
    PasteClipboard();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TCellEditor::contextMenuEvent(QContextMenuEvent* event) {
  const std::unique_ptr<QMenu> menu(createStandardContextMenu());
  if (QAction* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
    paste->disconnect();
    connect(paste, &QAction::triggered, this, [this] { PasteClipboard(); });
  }
  menu->exec(event->globalPos());
}

QWidget* TGridCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex& index) const {
  auto* editor = new TCellEditor(parent);
  editor->setFrame(false);
  const QPersistentModelIndex cell(index);
  editor->OnPasteBlock = [this, cell](const QString& text) {
    if (OnPasteBlock && cell.isValid()) OnPasteBlock(text, cell);
  };
  return editor;
}

void TGridCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
  const auto* line = qobject_cast<const TCellEditor*>(editor);
  if (line && OnPasteBlock && HoldsBlock(line->text())) {
    // After the commit has ended: the paste may reshape the model the view is committing to.
    QMetaObject::invokeMethod(
        model,
        [this, text = line->text(), cell = QPersistentModelIndex(index)] {
          if (cell.isValid()) OnPasteBlock(text, cell);
        },
        Qt::QueuedConnection);
    return;
  }
  QStyledItemDelegate::setModelData(editor, model, index);
}

CellRange SelectedCells(const QTableView& view, const StringGridModel& model) {
  QModelIndexList cells = view.selectionModel()->selectedIndexes();
  if (cells.isEmpty() && view.currentIndex().isValid()) cells << view.currentIndex();
  if (cells.isEmpty()) return {};
  CellRange range{cells[0].column(), cells[0].row(), cells[0].column(), cells[0].row()};
  for (const QModelIndex& cell : cells) {
    range.left = std::min(range.left, cell.column());
    range.right = std::max(range.right, cell.column());
    range.top = std::min(range.top, cell.row());
    range.bottom = std::max(range.bottom, cell.row());
  }
  return {model.GridCol(range.left), model.GridRow(range.top), model.GridCol(range.right),
          model.GridRow(range.bottom)};
}

QString CopiedCells(const GridTable& grid, const CellRange& range) {
  QString text;
  for (int row = range.top; row <= range.bottom; ++row) {
    for (int col = range.left; col <= range.right; ++col) {
      if (col > range.left) text += u'\t';
      text += FromGridText(TabSeparatedField(grid.Cell(col, row)));
    }
    text += u'\n';
  }
  return text;
}

QStringList DroppedFiles(const QMimeData& data) {
  QStringList files;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) files << url.toLocalFile();
  }
  return files;
}

QString WithExtension(const QString& name, const QString& extension) {
  return QFileInfo(name).suffix().isEmpty() ? name + extension : name;
}

}  // namespace tarvolen
