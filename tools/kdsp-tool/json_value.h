#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kdsp::tool {

/// A parsed JSON document: null, boolean, number, string, array or object. Numbers keep the
/// double and, when the text was an integer that fits, the exact integer.
class JsonValue {
 public:
  using Array = std::vector<JsonValue>;
  using Object = std::map<std::string, JsonValue>;  ///< a repeated key keeps its last value

  JsonValue() = default;
  static JsonValue Boolean(bool b);
  static JsonValue Number(double d, std::optional<std::int64_t> integer);
  static JsonValue String(std::string s);
  static JsonValue MakeArray(Array a);
  static JsonValue MakeObject(Object o);

  bool IsNull() const { return std::holds_alternative<std::monostate>(v_); }
  const std::string* AsString() const { return std::get_if<std::string>(&v_); }
  const Array* AsArray() const;
  const Object* AsObject() const;
  /// The integer value of an integral number; nothing for any other value.
  std::optional<std::int64_t> AsInteger() const;
  /// Member `key` of an object, or nullptr.
  const JsonValue* Find(std::string_view key) const;

 private:
  struct Num {
    double d;
    std::optional<std::int64_t> i;
  };
  std::variant<std::monostate, bool, Num, std::string, std::shared_ptr<Array>,
               std::shared_ptr<Object>>
      v_;
};

/// The result of parsing: a value, or an error with its byte offset.
struct JsonParse {
  std::optional<JsonValue> value;
  std::string error;
  std::size_t offset = 0;
};

/// Parses a whole JSON text (RFC 8259; nesting limited to 64 levels; any bytes are safe).
JsonParse ParseJson(std::string_view text);

/// `s` as a JSON string literal with quotes; control characters and non-UTF-8 bytes escaped
/// (a stray byte becomes U+FFFD).
std::string JsonQuote(std::string_view s);

}  // namespace kdsp::tool
