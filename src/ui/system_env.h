#pragma once

#include <QString>

#include "model/bi_text.h"
#include "edit/binding_context.h"
#include "ui/main_window.h"
#include "ui/system_dialogs.h"
#include "ui/system_link.h"

namespace kdsp::ui {

/// What the parts of the system page share: the window with its edit path, the link
/// operations and the message boxes. Owned by `SystemPage`; the parts keep a reference, so a
/// link or dialogs set later reach all of them.
struct SystemEnv {
  explicit SystemEnv(MainWindow& w) : window(w), ctx(w.Context()) {}

  MainWindow& window;
  BindingContext& ctx;
  SystemLink* link = nullptr;
  SystemDialogs* dialogs = nullptr;

  int Lang() const { return ctx.ui_language; }
  /// `LinkOnline`, as the edit path's link reports it.
  bool Online() const { return ctx.link != nullptr && ctx.link->IsOnline(); }
  /// A control of the window by object name, or nullptr.
  template <typename T = QWidget>
  T* Find(const char* name) const {
    return window.findChild<T*>(QString::fromLatin1(name));
  }
  /// The wording of a text in the current language.
  QString Text(const BiText& text) const {
    const std::string_view s = text.In(Lang());
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
  }
};

}  // namespace kdsp::ui
