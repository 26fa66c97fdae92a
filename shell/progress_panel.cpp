#include "shell/progress_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace tarvolen {

TProgressPanel::TProgressPanel(QWidget* parent)
    : QWidget(parent),
      caption_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton(u"Cancel"_qs, this)) {
  setObjectName(u"ProgressPanel"_qs);
  bar_->setRange(0, 1000);
  bar_->setTextVisible(false);
  bar_->setFixedHeight(16);
  cancel_->setObjectName(u"CancelButton"_qs);
  cancel_->setToolTip(u"Stop, leaving the window as it was (Esc)"_qs);
  cancel_->setFocusPolicy(Qt::NoFocus);
  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(bar_, 1);
  row->addWidget(cancel_);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(3);
  column->addWidget(caption_);
  column->addLayout(row);
  connect(cancel_, &QPushButton::clicked, this, &TProgressPanel::CancelClicked);
  hide();
}

void TProgressPanel::Begin(const QString& caption) {
  caption_->setText(caption);
  bar_->setValue(0);
  cancel_->setEnabled(true);
}

void TProgressPanel::SetFraction(double fraction) {
  bar_->setValue(static_cast<int>(std::lround(fraction * 1000)));
}

void TProgressPanel::ShowCancelling() {
  caption_->setText(u"Cancelling\u2026"_qs);
  cancel_->setEnabled(false);
}

QString TProgressPanel::Caption() const { return caption_->text(); }

int TProgressPanel::Value() const { return bar_->value(); }

}  // namespace tarvolen
