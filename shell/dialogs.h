#pragma once

#include <optional>

#include <QPoint>
#include <QString>
#include <QUrl>

class QWidget;

namespace tarvolen {

// What a save dialog with several filters returns: the chosen name as typed (no extension added)
// and the index of the filter chosen, from 0.
struct TSaveChoice {
  QString name;
  int filter = 0;
};

// Everything the window asks of the user or hands to the system: file dialogs, error boxes and
// opening documents. The window uses the real ones; tests answer through their own.
class TDialogs {
 public:
  virtual ~TDialogs() = default;

  // The open dialog of Load Data: starts in `folder`; the chosen name need not exist.
  virtual std::optional<QString> OpenFileName(QWidget* owner, const QString& folder,
                                              const QString& filter,
                                              const QString& default_suffix);
  // The save dialog of Save Result: starts in `folder` (the working folder when it is empty);
  // no question before replacing a file.
  virtual std::optional<QString> SaveFileName(QWidget* owner, const QString& folder,
                                              const QString& filter,
                                              const QString& default_suffix);
  // A save dialog with a choice of formats (Save Data, Save Figure): starts in `folder` (the
  // working folder when it is empty); no question before replacing a file; the caller adds the
  // extension.
  virtual std::optional<TSaveChoice> SaveFileChoice(QWidget* owner, const QString& folder,
                                                    const QString& filter);
  // An error box with the error icon; its text can be selected and copied.
  virtual void ShowError(QWidget* owner, const QString& caption, const QString& text);
  // A short note near `global_pos` that goes away by itself and blocks nothing.
  virtual void ShowNote(QWidget* owner, const QPoint& global_pos, const QString& text);
  // Whether the desktop has a program set up to open `mime_type` ("application/vnd.ms-htmlhelp",
  // "text/html", "x-scheme-handler/https"): the freedesktop default application for the type or
  // one of its aliases, as `xdg-mime query default` answers it. For web pages and addresses the
  // browser that xdg-open falls back to ($BROWSER, x-www-browser) counts too.
  virtual bool HasViewer(const QString& mime_type);
  // Opens a document or address with the system's handler; false when none could be started.
  // The handler may still fail on its own after it started: ask `HasViewer` first.
  virtual bool OpenUrl(const QUrl& url);
};

// A filter string "Text(*.ext)|*.ext|..." as file dialog name filters; "*.*" stands for every
// file. The first filter is selected.
QStringList NameFilters(const QString& filter);

}  // namespace tarvolen
