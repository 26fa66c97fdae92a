#include "shell/comparison_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "shell/text_table.h"

namespace tarvolen {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TComparisonDialog::TComparisonDialog(const ModelComparison& comparison, char decimal_separator,
                                     QWidget* parent)
    : QDialog(parent), heading_(new QLabel(this)), table_(new TTextTable(this)) {
  setObjectName(u"ComparisonDialog"_qs);
  setWindowTitle(u"Compare Models"_qs);
  std::optional<std::size_t> rows_fitted;
  for (const ComparedModel& entry : comparison.models) {
    models_.push_back(entry.model);
    if (entry.statistics) rows_fitted = entry.statistics->n;
  }
  QString heading = u"The ten models fitted to "_qs;
  heading += rows_fitted ? QStringLiteral("the %1 data rows").arg(*rows_fitted)
                         : u"the data rows"_qs;
  heading += u", best first: lowest AICc on Y (see the manual's Statistics page). "
             "Double-click a model or press Enter to fit it."_qs;
  heading_->setText(heading);
  heading_->setWordWrap(true);

  std::vector<QStringList> rows;
  for (const ComparisonRow& row : ComparisonRows(comparison, decimal_separator)) {
    rows.push_back({Text(row.rank), Text(row.model), Text(row.aicc), Text(row.delta_aicc),
                    Text(row.std_error), Text(row.r_squared), Text(row.note)});
  }
  table_->SetRows({u"Rank"_qs, u"Model"_qs, u"AICc"_qs, u"\u0394AICc"_qs, u"Standard Error"_qs,
                   u"R\u00b2"_qs, u"Note"_qs},
                  rows);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  if (!rows.empty()) table_->selectRow(0);
  connect(table_, &QAbstractItemView::doubleClicked, this, [this] { Choose(); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  // The default button: Enter in the table chooses the current row.
  fit_ = buttons->addButton(u"Fit This Model"_qs, QDialogButtonBox::AcceptRole);
  fit_->setDefault(true);
  QPushButton* copy_all = buttons->addButton(u"Copy All"_qs, QDialogButtonBox::ActionRole);
  copy_all->setAutoDefault(false);
  connect(copy_all, &QPushButton::clicked, table_, &TTextTable::CopyAll);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { Choose(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addWidget(table_, 1);
  layout->addWidget(buttons);
  // Wide enough for every column, the note given room for a sentence (it wraps beyond), but
  // never wider than the screen.
  const QMargins margins = layout->contentsMargins();
  int width = margins.left() + margins.right() + table_->ContentWidth(300);
  if (const QScreen* shown_on = parent ? parent->screen() : screen()) {
    width = std::min(width, shown_on->availableGeometry().width() * 9 / 10);
  }
  resize(std::max(width, 600), 420);
  table_->setFocus();
}

std::optional<Model> TComparisonDialog::CurrentModel() const {
  const int row = table_->currentRow();
  if (row < 0 || row >= static_cast<int>(models_.size())) return std::nullopt;
  return models_[static_cast<std::size_t>(row)];
}

QString TComparisonDialog::Heading() const { return heading_->text(); }

void TComparisonDialog::Choose() {
  const std::optional<Model> model = CurrentModel();
  if (!model) return;
  accept();
  emit ModelChosen(*model);
}

}  // namespace tarvolen
