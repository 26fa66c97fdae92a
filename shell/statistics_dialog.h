#pragma once

#include <QDialog>
#include <vector>

#include "fit/statistics.h"

class QLabel;
class QPushButton;

namespace tarvolen {

class TTextTable;

// The Statistics command's read-only window: the figures of the fit whose report is in the
// results box, one (figure, value) row each, that copy as text; or a sentence saying why there
// is nothing to show.
class TStatisticsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TStatisticsDialog(QWidget* parent = nullptr);

  // Shows `statistics` with their numbers in the report's format with `decimal_separator`.
  void ShowStatistics(const FitStatistics& statistics, char decimal_separator);
  // Shows no figures, only `why`.
  void ShowNothing(const QString& why);

  QString Heading() const;
  TTextTable& Table() const { return *table_; }
  QPushButton& CopyAllButton() const { return *copy_all_; }

 private:
  QLabel* heading_;
  TTextTable* table_;
  QPushButton* copy_all_;
};

}  // namespace tarvolen
