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

// The grid's in-place editor. Text that the user puts in by any way (the paste keys, the pop-up
// menu, the middle button, a drop) and that holds a block of cells is taken out again and handed
// to `OnPasteBlock` instead of landing in this one cell; a single cell's text keeps no line end.
class TCellEditor : public QLineEdit {
  Q_OBJECT

 public:
  explicit TCellEditor(QWidget* parent = nullptr);

  std::function<void(const QString& text)> OnPasteBlock;

 private:
  void Edited(const QString& now);

  QString before_;  // the text before the edit under way
};

// The grid's item delegate: makes TCellEditors whose blocks go to `OnPasteBlock` with their
// cell, once the edit that brought the block in has ended.
class TGridCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  std::function<void(const QString& text, const QModelIndex& at)> OnPasteBlock;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
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
