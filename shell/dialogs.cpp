#include "shell/dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
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

std::optional<QString> TDialogs::SaveFileName(QWidget* owner, const QString& filter,
                                              const QString& default_suffix) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setNameFilters(NameFilters(filter));
  dialog.setDefaultSuffix(default_suffix);
  return RunFileDialog(dialog);
}

std::optional<TSaveChoice> TDialogs::SaveFileChoice(QWidget* owner, const QString& filter) {
  QFileDialog dialog(owner);
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
  box.exec();
}

void TDialogs::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

}  // namespace tarvolen
