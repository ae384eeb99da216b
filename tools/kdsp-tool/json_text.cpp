#include "kdsp-tool/json_text.h"

#include <limits>

namespace kdsp::tool {

namespace {

constexpr int kMaxDepth = 64;

// Thrown from the parser's callback to stop at the nesting limit; nlohmann's own parser is
// iterative, the limit keeps what a hand-written file can make us build small.
struct TooDeep {};

}  // namespace

JsonParse ParseJson(std::string_view text) {
  JsonParse result;
  const auto limit = [](int depth, nlohmann::json::parse_event_t event, nlohmann::json&) {
    if ((event == nlohmann::json::parse_event_t::array_start ||
         event == nlohmann::json::parse_event_t::object_start) &&
        depth >= kMaxDepth) {
      throw TooDeep{};
    }
    return true;
  };
  try {
    result.value = nlohmann::json::parse(text.begin(), text.end(), limit);
  } catch (const nlohmann::json::parse_error& e) {
    result.error = e.what();
    result.offset = e.byte > 0 ? e.byte - 1 : 0;
  } catch (const nlohmann::json::exception& e) {  // a number too large for a double, say
    result.error = e.what();
  } catch (const TooDeep&) {
    result.error = "nested deeper than " + std::to_string(kMaxDepth) + " levels";
  }
  return result;
}

std::optional<std::int64_t> JsonInteger(const nlohmann::json& value) {
  if (value.is_number_integer() && !value.is_number_unsigned()) return value.get<std::int64_t>();
  if (value.is_number_unsigned()) {
    const auto u = value.get<std::uint64_t>();
    if (u <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      return static_cast<std::int64_t>(u);
    }
  }
  return std::nullopt;
}

const nlohmann::json* JsonFind(const nlohmann::json& value, std::string_view key) {
  if (!value.is_object()) return nullptr;
  const auto it = value.find(key);
  return it == value.end() ? nullptr : &*it;
}

std::string JsonQuote(std::string_view s) {
  return nlohmann::json(std::string(s))
      .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace kdsp::tool
