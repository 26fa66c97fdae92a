#pragma once

// Data moving in and out of the window: the grid's clipboard, its in-place editor's paste,
// dropped files and the names the save dialogs return.

#include <QLineEdit>
#include <QMimeData>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

#include "data/cell_block.h"
#include "shell/grid_model.h"

namespace tarvolen {

// Whether pasted text is a block of cells rather than one cell's text: it holds a tab or a line
// end before its last character (a single cell copied from a spreadsheet ends in a line end).
bool IsCellBlock(const QString& text);

// The grid's in-place editor. A paste (the keys or the pop-up menu) of a block of cells goes to
// `OnPasteBlock` rather than into this one cell; a single cell's text is inserted without the
// line end a spreadsheet adds.
class TCellEditor : public QLineEdit {
  Q_OBJECT

 public:
  using QLineEdit::QLineEdit;

  std::function<void(const QString& text)> OnPasteBlock;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void PasteClipboard();
};

// The grid's item delegate: makes TCellEditors whose block pastes go to `OnPasteBlock` with their
// cell. An edited text that holds a block anyway (dropped into the editor, say) goes there too
// when it is committed, instead of into the one cell, once the commit has ended.
class TGridCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  std::function<void(const QString& text, const QModelIndex& at)> OnPasteBlock;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;
};

// The grid cells of the view's selection, a rectangle (the current cell when nothing is
// selected); empty when there is no cell at all.
CellRange SelectedCells(const QTableView& view, const StringGridModel& model);

// The cells of `range` as tab-separated lines, each ending in a line end, for the clipboard.
QString CopiedCells(const GridTable& grid, const CellRange& range);

// The local files among dropped data, in their order; none for anything else (text, web
// addresses).
QStringList DroppedFiles(const QMimeData& data);

// A name chosen in a save dialog: as it is when its file name has an extension, else with
// `extension` (".txt", say) appended.
QString WithExtension(const QString& name, const QString& extension);

}  // namespace tarvolen
