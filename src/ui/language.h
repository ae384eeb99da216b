#pragma once

#include <QLocale>
#include <QWidget>

namespace kdsp::ui {

/// The display language the console starts in: Chinese (1) for the Chinese locales of China
/// and Taiwan, English (0) for every other locale.
int UiLanguageForLocale(const QLocale& locale);

/// Exchanges the shown and the kept text of every translatable control under `root` (labels,
/// group frames, tab buttons, page sheets with their tab captions).
void SwapTranslatableTexts(QWidget& root);

/// Sets the captions of the picture buttons for language `lang` (1 Chinese, 0 English); the
/// link button keeps its meaning (`linked`: it offers to disconnect).
void ApplyPictureButtonTexts(QWidget& root, int lang, bool linked);

/// The link button's caption for a language and meaning.
QString LinkButtonCaption(int lang, bool linked);

}  // namespace kdsp::ui
