#include "shell/help_window.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tarvolen {

THelpWindow::THelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
  setObjectName(u"HelpWindow"_qs);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(720, 600);
  // Pages name their style sheet and each other relatively: they resolve against the page shown.
  browser_->setOpenLinks(true);
  browser_->setOpenExternalLinks(true);  // an address on the web goes to the system
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? u"Tarvolen Manual"_qs : title + u" - Tarvolen Manual"_qs);
  });
  new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
}

void THelpWindow::ShowPage(const QUrl& page) {
  browser_->setSource(page);
  show();
  raise();
  activateWindow();
}

}  // namespace tarvolen
