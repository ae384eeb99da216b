#include "edit/translatable.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QVariant>

namespace kdsp {

namespace {
constexpr char kOtherText[] = "kdspOtherText";

void SetShown(QWidget* w, const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    button->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
    group->setTitle(text);
  } else {
    w->setWindowTitle(text);  // page sheets keep their caption as window title
  }
}
}  // namespace

void SetBiText(QWidget* w, const QString& shown, const QString& other) {
  if (w == nullptr) return;
  SetShown(w, shown);
  w->setProperty(kOtherText, other);
}

void SetBiText(QWidget* w, const BiText& text, int ui_language) {
  const std::string_view shown = text.In(ui_language);
  const std::string_view other = text.In(1 - ui_language);
  SetBiText(w, QString::fromUtf8(shown.data(), shown.size()),
            QString::fromUtf8(other.data(), other.size()));
}

bool IsTranslatable(const QWidget* w) { return w != nullptr && w->property(kOtherText).isValid(); }

QString ShownText(const QWidget* w) {
  if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
  if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
  if (auto* group = qobject_cast<const QGroupBox*>(w)) return group->title();
  return w != nullptr ? w->windowTitle() : QString();
}

QString OtherText(const QWidget* w) {
  return w != nullptr ? w->property(kOtherText).toString() : QString();
}

void SwapBiText(QWidget* w) {
  if (!IsTranslatable(w)) return;
  const QString shown = ShownText(w);
  SetShown(w, OtherText(w));
  w->setProperty(kOtherText, shown);
}

}  // namespace kdsp
