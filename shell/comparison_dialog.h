#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "fit/compare.h"

class QLabel;
class QPushButton;

namespace tarvolen {

class TTextTable;

// Compare Models' window: the ten models ranked by the comparison, best first, the failed ones
// with their message, in a table that copies as text. Choosing a row (a double-click, Enter or
// "Fit This Model") closes the window and says which model was chosen.
class TComparisonDialog : public QDialog {
  Q_OBJECT

 public:
  TComparisonDialog(const ModelComparison& comparison, char decimal_separator,
                    QWidget* parent = nullptr);

  // The model of the current row; none when no row is current.
  std::optional<Model> CurrentModel() const;

  TTextTable& Table() const { return *table_; }
  QPushButton& FitButton() const { return *fit_; }
  QString Heading() const;

 signals:
  // The user chose `model`; the window has closed.
  void ModelChosen(Model model);

 private:
  void Choose();

  std::vector<Model> models_;  // the model of each row
  QLabel* heading_;
  TTextTable* table_;
  QPushButton* fit_;
};

}  // namespace tarvolen
