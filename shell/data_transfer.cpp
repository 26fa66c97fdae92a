#include "shell/data_transfer.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QRect>
#include <QUrl>
#include <algorithm>

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

// Whether text is a block of cells rather than one cell's text: it holds a tab or a line end
// before its last character (a single cell copied from a spreadsheet ends in a line end).
bool IsCellBlock(const QString& text) {
  return HoldsBlock(WithoutFinalLineEnd(text));
}

}  // namespace

TCellEditor::TCellEditor(QWidget* parent) : QLineEdit(parent) {
  // An edit reports its new text before the change does: `before_` is still the old text then.
  connect(this, &QLineEdit::textChanged, this, [this] { before_ = text(); });
  connect(this, &QLineEdit::textEdited, this, [this](const QString& now) { Edited(now); });
}

void TCellEditor::Edited(const QString& now) {
  // What the edit put in: the text between the parts before and after it that stayed.
  const qsizetype shorter = std::min(before_.size(), now.size());
  qsizetype head = 0;
  while (head < shorter && before_[head] == now[head]) ++head;
  qsizetype tail = 0;
  while (tail < shorter - head &&
         before_[before_.size() - 1 - tail] == now[now.size() - 1 - tail]) {
    ++tail;
  }
  const QString inserted = now.mid(head, now.size() - head - tail);
  if (!HoldsBlock(inserted)) return;
  if (!IsCellBlock(inserted)) {  // one cell with the line end a spreadsheet adds
    const QString cell = WithoutFinalLineEnd(inserted);
    setText(now.left(head) + cell + now.right(tail));
    setCursorPosition(static_cast<int>(head + cell.size()));
    return;
  }
  const QString kept = before_;
  setText(kept);
  setCursorPosition(static_cast<int>(head));
  if (OnPasteBlock) OnPasteBlock(inserted);
}

QWidget* TGridCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex& index) const {
  auto* editor = new TCellEditor(parent);
  editor->setFrame(false);
  // The block is pasted after the edit has ended: the paste closes this editor.
  editor->OnPasteBlock = [this, parent, cell = QPersistentModelIndex(index)](const QString& text) {
    QMetaObject::invokeMethod(
        parent,
        [this, cell, text] {
          if (OnPasteBlock && cell.isValid()) OnPasteBlock(text, cell);
        },
        Qt::QueuedConnection);
  };
  return editor;
}

CellRange SelectedCells(const QTableView& view, const StringGridModel& model) {
  // The selection's ranges, not its cells: a selection of a million rows is one range.
  const QItemSelection selection = view.selectionModel()->selection();
  QRect box;
  for (const QItemSelectionRange& range : selection) {
    box |= QRect(QPoint(range.left(), range.top()), QPoint(range.right(), range.bottom()));
  }
  if (box.isEmpty() && view.currentIndex().isValid()) {
    box = QRect(view.currentIndex().column(), view.currentIndex().row(), 1, 1);
  }
  if (box.isEmpty()) return {};
  return {model.GridCol(box.left()), model.GridRow(box.top()), model.GridCol(box.right()),
          model.GridRow(box.bottom())};
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
