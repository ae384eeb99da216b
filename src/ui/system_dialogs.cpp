#include "ui/system_dialogs.h"

#include <QMessageBox>

#include "ui/app_title.h"

namespace kdsp::ui {

bool MessageBoxDialogs::Ask(const QString& caption, const QString& text, Buttons buttons) {
  const bool yes_no = buttons == Buttons::kYesNo;
  const QMessageBox::StandardButton yes = yes_no ? QMessageBox::Yes : QMessageBox::Ok;
  const QMessageBox::StandardButton no = yes_no ? QMessageBox::No : QMessageBox::Cancel;
  return QMessageBox::question(parent_, caption, text, yes | no, no) == yes;
}

void MessageBoxDialogs::Inform(const QString& caption, const QString& text) {
  QMessageBox::information(parent_, caption, text);
}

void MessageBoxDialogs::Error(const QString& text) {
  QMessageBox::critical(parent_, QString::fromUtf8(kAppTitle), text);
}

}  // namespace kdsp::ui
