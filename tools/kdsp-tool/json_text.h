#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace kdsp::tool {

/// The result of parsing: a value, or an error with its byte offset.
struct JsonParse {
  std::optional<nlohmann::json> value;
  std::string error;
  std::size_t offset = 0;
};

/// Parses a whole JSON text (RFC 8259; nesting limited to 64 levels; any bytes are safe). A
/// repeated key keeps its last value.
JsonParse ParseJson(std::string_view text);

/// The value of a number written as an integer that fits 64 bits; nothing for anything else
/// ("2.0" and "3e0" are not integers).
std::optional<std::int64_t> JsonInteger(const nlohmann::json& value);

/// Member `key` of an object, or nullptr (also when `value` is not an object).
const nlohmann::json* JsonFind(const nlohmann::json& value, std::string_view key);

/// `s` as a JSON string literal with quotes; control characters escaped, UTF-8 kept as it is,
/// each invalid UTF-8 sequence replaced by U+FFFD.
std::string JsonQuote(std::string_view s);

}  // namespace kdsp::tool
