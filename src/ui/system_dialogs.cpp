#include "ui/system_dialogs.h"

#include <QEventLoop>
#include <QPointer>

#include "ui/app_title.h"
#include "ui/main_window.h"

namespace kdsp::ui {

namespace {

/// A message box of the window, shown without window-system modality; the window's work area
/// is held while it is open.
QMessageBox* OpenBox(MainWindow& window, QMessageBox::Icon icon, const QString& caption,
                     const QString& text, QMessageBox::StandardButtons buttons) {
  auto* box = new QMessageBox(icon, caption, text, buttons, &window);
  box->setWindowModality(Qt::NonModal);
  window.HoldWork(box);
  box->show();
  return box;
}

}  // namespace

void ShowWindowMessage(MainWindow& window, QMessageBox::Icon icon, const QString& caption,
                       const QString& text) {
  QMessageBox* box = OpenBox(window, icon, caption, text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
}

bool MessageBoxDialogs::Ask(const QString& caption, const QString& text, Buttons buttons) {
  const bool yes_no = buttons == Buttons::kYesNo;
  const QMessageBox::StandardButton yes = yes_no ? QMessageBox::Yes : QMessageBox::Ok;
  const QMessageBox::StandardButton no = yes_no ? QMessageBox::No : QMessageBox::Cancel;
  QPointer<QMessageBox> box = OpenBox(window_, QMessageBox::Question, caption, text, yes | no);
  box->setDefaultButton(no);
  box->setEscapeButton(no);
  QEventLoop answered;
  QObject::connect(box, &QDialog::finished, &answered, &QEventLoop::quit);
  answered.exec(QEventLoop::DialogExec);
  // Only a click on Yes (OK) is a yes: a box closed any other way, or answered by the window's
  // close, or an application that is ending, says no.
  const bool result = box != nullptr && box->clickedButton() == box->button(yes);
  if (box != nullptr) box->deleteLater();
  return result;
}

void MessageBoxDialogs::Inform(const QString& caption, const QString& text) {
  ShowWindowMessage(window_, QMessageBox::Information, caption, text);
}

void MessageBoxDialogs::Error(const QString& text) {
  ShowWindowMessage(window_, QMessageBox::Critical, QString::fromUtf8(kAppTitle), text);
}

}  // namespace kdsp::ui
