#pragma once

#include <QString>
#include <QWidget>

#include "model/bi_text.h"

namespace kdsp {

/// A translatable control shows the text of the current language and keeps the other one
/// (never shown as a tooltip). Labels, buttons, group frames and page sheets can be translatable.
void SetBiText(QWidget* w, const QString& shown, const QString& other);
/// The same from a {Chinese, English} pair for display language `ui_language`.
void SetBiText(QWidget* w, const BiText& text, int ui_language);
/// True when `w` keeps a second text.
bool IsTranslatable(const QWidget* w);
/// The text shown by a translatable control (caption, group title or sheet title).
QString ShownText(const QWidget* w);
/// The text kept for the other language.
QString OtherText(const QWidget* w);
/// Exchanges the shown and the kept text.
void SwapBiText(QWidget* w);

}  // namespace kdsp
