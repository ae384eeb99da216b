#pragma once

#include <string_view>

namespace kdsp {

/// A text of the window in both display languages (UTF-8).
struct BiText {
  std::string_view zh;
  std::string_view en;

  /// The wording for a language: 1 Chinese, anything else English.
  constexpr std::string_view In(int ui_language) const { return ui_language == 1 ? zh : en; }
};

}  // namespace kdsp
