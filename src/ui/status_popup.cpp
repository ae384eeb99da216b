#include "ui/status_popup.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

#include "link/core/link_texts.h"

namespace kdsp::ui {

namespace {
QString Text(const BilingualText& text, int lang) {
  const std::string_view s = lang == 1 ? text.zh : text.en;
  return QString::fromUtf8(s.data(), s.size());
}
}  // namespace

StatusPopup::StatusPopup(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint) {
  setObjectName("TForm2");
  setFixedSize(320, 130);
  auto* layout = new QVBoxLayout(this);
  link_label_ = new QLabel(this);
  link_label_->setObjectName("LinkLabel");
  com_label_ = new QLabel(this);
  com_label_->setObjectName("ComLabel");
  progress_ = new QProgressBar(this);
  progress_->setObjectName("RzProgressStatus1");
  progress_->setRange(0, 100);
  warn_label_ = new QLabel(this);
  warn_label_->setObjectName("WarnLabel");
  for (QWidget* w : {static_cast<QWidget*>(link_label_), static_cast<QWidget*>(com_label_),
                     static_cast<QWidget*>(progress_), static_cast<QWidget*>(warn_label_)}) {
    layout->addWidget(w);
  }
  ApplyLanguage(1);
  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

void StatusPopup::ApplyLanguage(int lang) {
  setWindowTitle(Text(kPopupCaption, lang));
  warn_label_->setText(Text(kPopupWarning, lang));
}

void StatusPopup::SetLinkText(const QString& text) { link_label_->setText(text); }
void StatusPopup::SetTransport(const QString& label) { com_label_->setText(label); }
void StatusPopup::SetProgress(int percent) { progress_->setValue(percent); }

void StatusPopup::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}

}  // namespace kdsp::ui
