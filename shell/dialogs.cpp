#include "shell/dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QToolTip>
#include <algorithm>

namespace tarvolen {

QStringList NameFilters(const QString& filter) {
  const QStringList parts = filter.split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      if (pattern == u"*.*") pattern = u"*"_qs;
    }
    filters << parts[i] + u" ("_qs + patterns.join(u' ') + u")"_qs;
  }
  return filters;
}

namespace {

std::optional<QString> RunFileDialog(QFileDialog& dialog) {
  // The filters' own texts carry their patterns already.
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setSizeGripEnabled(true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

}  // namespace

std::optional<QString> TDialogs::OpenFileName(QWidget* owner, const QString& folder,
                                              const QString& filter,
                                              const QString& default_suffix) {
  QFileDialog dialog(owner, QString(), folder);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(NameFilters(filter));
  dialog.setDefaultSuffix(default_suffix);
  return RunFileDialog(dialog);
}

std::optional<QString> TDialogs::SaveFileName(QWidget* owner, const QString& folder,
                                              const QString& filter,
                                              const QString& default_suffix) {
  QFileDialog dialog(owner, QString(), folder);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setNameFilters(NameFilters(filter));
  dialog.setDefaultSuffix(default_suffix);
  return RunFileDialog(dialog);
}

std::optional<TSaveChoice> TDialogs::SaveFileChoice(QWidget* owner, const QString& folder,
                                                   const QString& filter) {
  QFileDialog dialog(owner, QString(), folder);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  const QStringList filters = NameFilters(filter);
  dialog.setNameFilters(filters);
  const std::optional<QString> name = RunFileDialog(dialog);
  if (!name) return std::nullopt;
  return TSaveChoice{*name, static_cast<int>(std::max<qsizetype>(
                                filters.indexOf(dialog.selectedNameFilter()), 0))};
}

void TDialogs::ShowNote(QWidget* owner, const QPoint& global_pos, const QString& text) {
  QToolTip::showText(global_pos, text, owner, QRect(), 8000);
}

void TDialogs::ShowError(QWidget* owner, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  box.exec();
}

namespace {

// The desktop file `xdg-mime` names as the default application for `mime_type`, if any.
QString DefaultApplication(const QString& xdg_mime, const QString& mime_type) {
  QProcess query;
  query.start(xdg_mime, {u"query"_qs, u"default"_qs, mime_type});
  // A query reads a few small files; one that hangs must not hang the window.
  if (!query.waitForFinished(3000)) {
    query.kill();
    query.waitForFinished();
    return QString();
  }
  if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) return QString();
  return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

}  // namespace

bool TDialogs::HasViewer(const QString& mime_type) {
  const QString xdg_mime = QStandardPaths::findExecutable(u"xdg-mime"_qs);
  if (!xdg_mime.isEmpty()) {
    // Viewers register under any of a type's names (a help viewer may list only
    // application/x-chm for *.chm).
    QStringList names{mime_type};
    names += QMimeDatabase().mimeTypeForName(mime_type).aliases();
    for (const QString& name : names) {
      if (!DefaultApplication(xdg_mime, name).isEmpty()) return true;
    }
  }
  const bool web = mime_type == u"text/html" || mime_type.startsWith(u"x-scheme-handler/http");
  return web && (!qEnvironmentVariableIsEmpty("BROWSER") ||
                 !QStandardPaths::findExecutable(u"x-www-browser"_qs).isEmpty());
}

bool TDialogs::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

}  // namespace tarvolen
