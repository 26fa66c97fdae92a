#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tarvolen {

// What the window shows while a load or a fit runs for more than a moment: what runs, how far it
// got, and a Cancel button (Esc does the same). It sits in the command tool bar, right of the
// tool buttons, over the tool bar's own picture.
class TProgressPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TProgressPanel(QWidget* parent = nullptr);

  // Starts anew for the work `caption` names, at 0; the panel stays hidden until shown.
  void Begin(const QString& caption);
  void SetFraction(double fraction);
  // The work was asked to stop and is finishing its current chunk.
  void ShowCancelling();

  QString Caption() const;
  int Value() const;  // thousandths done
  QPushButton& CancelButton() { return *cancel_; }

 signals:
  void CancelClicked();

 private:
  QLabel* caption_;
  QProgressBar* bar_;
  QPushButton* cancel_;
};

}  // namespace tarvolen
