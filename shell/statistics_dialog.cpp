#include "shell/statistics_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "fit/causes.h"
#include "shell/text_table.h"

namespace tarvolen {

TStatisticsDialog::TStatisticsDialog(QWidget* parent)
    : QDialog(parent), heading_(new QLabel(this)), table_(new TTextTable(this)) {
  setObjectName(u"StatisticsDialog"_qs);
  setWindowTitle(u"Statistics"_qs);
  heading_->setWordWrap(true);
  heading_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  copy_all_ = buttons->addButton(u"Copy All"_qs, QDialogButtonBox::ActionRole);
  copy_all_->setAutoDefault(false);
  connect(copy_all_, &QPushButton::clicked, table_, &TTextTable::CopyAll);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addWidget(table_, 1);
  layout->addWidget(buttons);
  resize(560, 520);
}

void TStatisticsDialog::ShowStatistics(const FitStatistics& statistics, char decimal_separator) {
  heading_->setText(QStringLiteral("The %1 model's fit in the results box, on %2 data rows:")
                        .arg(QString::fromStdString(fit::ModelTitle(statistics.model)))
                        .arg(statistics.n));
  std::vector<QStringList> rows;
  for (const StatisticsRow& row : StatisticsRows(statistics, decimal_separator)) {
    rows.push_back({QString::fromStdString(row.label), QString::fromStdString(row.value)});
  }
  table_->SetRows({u"Figure"_qs, u"Value"_qs}, rows);
  table_->show();
  // Grown, never shrunk, to show the values on one line; a long reason wraps.
  const QMargins margins = layout()->contentsMargins();
  const int wanted = margins.left() + margins.right() + table_->ContentWidth(440);
  if (width() < wanted) resize(wanted, height());
  copy_all_->setEnabled(true);
}

void TStatisticsDialog::ShowNothing(const QString& why) {
  heading_->setText(why);
  table_->SetRows({}, {});
  table_->hide();
  copy_all_->setEnabled(false);
}

QString TStatisticsDialog::Heading() const { return heading_->text(); }

}  // namespace tarvolen
