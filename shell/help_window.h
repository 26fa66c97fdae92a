#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace tarvolen {

// The manual's HTML pages in a window of the program's own, for a desktop that has no program set
// up to show them: links between the pages are followed inside the window (Alt+Left and
// Alt+Right go back and forth), and its title follows the page shown. Escape closes it.
class THelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit THelpWindow(QWidget* parent = nullptr);

  // Shows the local HTML file `page` and brings the window to the front.
  void ShowPage(const QUrl& page);
  QTextBrowser& Browser() const { return *browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace tarvolen
