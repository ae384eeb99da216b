#include "kdsp-tool/json_value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace kdsp::tool {

JsonValue JsonValue::Boolean(bool b) {
  JsonValue v;
  v.v_ = b;
  return v;
}

JsonValue JsonValue::Number(double d, std::optional<std::int64_t> integer) {
  JsonValue v;
  v.v_ = Num{d, integer};
  return v;
}

JsonValue JsonValue::String(std::string s) {
  JsonValue v;
  v.v_ = std::move(s);
  return v;
}

JsonValue JsonValue::MakeArray(Array a) {
  JsonValue v;
  v.v_ = std::make_shared<Array>(std::move(a));
  return v;
}

JsonValue JsonValue::MakeObject(Object o) {
  JsonValue v;
  v.v_ = std::make_shared<Object>(std::move(o));
  return v;
}

const JsonValue::Array* JsonValue::AsArray() const {
  const auto* p = std::get_if<std::shared_ptr<Array>>(&v_);
  return p ? p->get() : nullptr;
}

const JsonValue::Object* JsonValue::AsObject() const {
  const auto* p = std::get_if<std::shared_ptr<Object>>(&v_);
  return p ? p->get() : nullptr;
}

std::optional<std::int64_t> JsonValue::AsInteger() const {
  const Num* n = std::get_if<Num>(&v_);
  return n ? n->i : std::nullopt;
}

const JsonValue* JsonValue::Find(std::string_view key) const {
  const Object* o = AsObject();
  if (!o) return nullptr;
  const auto it = o->find(std::string(key));
  return it == o->end() ? nullptr : &it->second;
}

namespace {

constexpr int kMaxDepth = 64;

class Parser {
 public:
  explicit Parser(std::string_view text) : t_(text) {}

  JsonParse Run() {
    JsonParse result;
    SkipSpace();
    std::optional<JsonValue> v = Value(0);
    if (v) {
      SkipSpace();
      if (pos_ != t_.size()) Fail("unexpected text after the document");
    }
    if (!error_.empty()) {
      result.error = error_;
      result.offset = error_at_;
      return result;
    }
    result.value = std::move(v);
    return result;
  }

 private:
  std::optional<JsonValue> Fail(const char* what) {
    if (error_.empty()) {
      error_ = what;
      error_at_ = pos_;
    }
    return std::nullopt;
  }

  void SkipSpace() {
    while (pos_ < t_.size() &&
           (t_[pos_] == ' ' || t_[pos_] == '\t' || t_[pos_] == '\n' || t_[pos_] == '\r')) {
      ++pos_;
    }
  }

  bool Literal(std::string_view word) {
    if (t_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  std::optional<JsonValue> Value(int depth) {
    if (depth > kMaxDepth) return Fail("nesting too deep");
    if (pos_ >= t_.size()) return Fail("unexpected end");
    const char c = t_[pos_];
    if (c == '{') return ObjectValue(depth);
    if (c == '[') return ArrayValue(depth);
    if (c == '"') {
      std::optional<std::string> s = StringValue();
      if (!s) return std::nullopt;
      return JsonValue::String(std::move(*s));
    }
    if (Literal("true")) return JsonValue::Boolean(true);
    if (Literal("false")) return JsonValue::Boolean(false);
    if (Literal("null")) return JsonValue();
    if (c == '-' || (c >= '0' && c <= '9')) return NumberValue();
    return Fail("unexpected character");
  }

  std::optional<JsonValue> ObjectValue(int depth) {
    ++pos_;
    JsonValue::Object members;
    SkipSpace();
    if (pos_ < t_.size() && t_[pos_] == '}') {
      ++pos_;
      return JsonValue::MakeObject(std::move(members));
    }
    while (true) {
      SkipSpace();
      if (pos_ >= t_.size() || t_[pos_] != '"') return Fail("expected a member name");
      std::optional<std::string> key = StringValue();
      if (!key) return std::nullopt;
      SkipSpace();
      if (pos_ >= t_.size() || t_[pos_] != ':') return Fail("expected ':'");
      ++pos_;
      SkipSpace();
      std::optional<JsonValue> v = Value(depth + 1);
      if (!v) return std::nullopt;
      members[std::move(*key)] = std::move(*v);
      SkipSpace();
      if (pos_ < t_.size() && t_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (pos_ < t_.size() && t_[pos_] == '}') {
        ++pos_;
        return JsonValue::MakeObject(std::move(members));
      }
      return Fail("expected ',' or '}'");
    }
  }

  std::optional<JsonValue> ArrayValue(int depth) {
    ++pos_;
    JsonValue::Array items;
    SkipSpace();
    if (pos_ < t_.size() && t_[pos_] == ']') {
      ++pos_;
      return JsonValue::MakeArray(std::move(items));
    }
    while (true) {
      SkipSpace();
      std::optional<JsonValue> v = Value(depth + 1);
      if (!v) return std::nullopt;
      items.push_back(std::move(*v));
      SkipSpace();
      if (pos_ < t_.size() && t_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (pos_ < t_.size() && t_[pos_] == ']') {
        ++pos_;
        return JsonValue::MakeArray(std::move(items));
      }
      return Fail("expected ',' or ']'");
    }
  }

  std::optional<JsonValue> NumberValue() {
    const std::size_t start = pos_;
    auto digits = [&] {
      const std::size_t from = pos_;
      while (pos_ < t_.size() && t_[pos_] >= '0' && t_[pos_] <= '9') ++pos_;
      return pos_ - from;
    };
    if (t_[pos_] == '-') ++pos_;
    if (pos_ < t_.size() && t_[pos_] == '0') {
      ++pos_;
    } else if (digits() == 0) {
      return Fail("bad number");
    }
    bool integral = true;
    if (pos_ < t_.size() && t_[pos_] == '.') {
      ++pos_;
      integral = false;
      if (digits() == 0) return Fail("bad number");
    }
    if (pos_ < t_.size() && (t_[pos_] == 'e' || t_[pos_] == 'E')) {
      ++pos_;
      integral = false;
      if (pos_ < t_.size() && (t_[pos_] == '+' || t_[pos_] == '-')) ++pos_;
      if (digits() == 0) return Fail("bad number");
    }
    const std::string text(t_.substr(start, pos_ - start));
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);
    std::optional<std::int64_t> i;
    if (integral) {
      std::int64_t v = 0;
      const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
      if (ec == std::errc() && end == text.data() + text.size()) i = v;
    }
    return JsonValue::Number(d, i);
  }

  int Hex4() {
    if (pos_ + 4 > t_.size()) return -1;
    int v = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = t_[pos_ + k];
      v <<= 4;
      if (c >= '0' && c <= '9') {
        v |= c - '0';
      } else if (c >= 'a' && c <= 'f') {
        v |= c - 'a' + 10;
      } else if (c >= 'A' && c <= 'F') {
        v |= c - 'A' + 10;
      } else {
        return -1;
      }
    }
    pos_ += 4;
    return v;
  }

  static void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }

  std::optional<std::string> StringValue() {
    ++pos_;  // opening quote
    std::string out;
    while (true) {
      if (pos_ >= t_.size()) {
        Fail("unterminated string");
        return std::nullopt;
      }
      const auto c = static_cast<unsigned char>(t_[pos_++]);
      if (c == '"') return out;
      if (c < 0x20) {
        Fail("control character in string");
        return std::nullopt;
      }
      if (c != '\\') {
        out.push_back(static_cast<char>(c));
        continue;
      }
      if (pos_ >= t_.size()) {
        Fail("unterminated string");
        return std::nullopt;
      }
      const char e = t_[pos_++];
      switch (e) {
        case '"':
          out.push_back('"');
          break;
        case '\\':
          out.push_back('\\');
          break;
        case '/':
          out.push_back('/');
          break;
        case 'b':
          out.push_back('\b');
          break;
        case 'f':
          out.push_back('\f');
          break;
        case 'n':
          out.push_back('\n');
          break;
        case 'r':
          out.push_back('\r');
          break;
        case 't':
          out.push_back('\t');
          break;
        case 'u': {
          int cp = Hex4();
          if (cp < 0) {
            Fail("bad \\u escape");
            return std::nullopt;
          }
          if (cp >= 0xD800 && cp <= 0xDBFF && Literal("\\u")) {
            const int low = Hex4();
            if (low < 0xDC00 || low > 0xDFFF) {
              Fail("bad surrogate pair");
              return std::nullopt;
            }
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
          }
          AppendUtf8(out, static_cast<std::uint32_t>(cp));
          break;
        }
        default:
          Fail("bad escape");
          return std::nullopt;
      }
    }
  }

  std::string_view t_;
  std::size_t pos_ = 0;
  std::string error_;
  std::size_t error_at_ = 0;
};

// Length of the well-formed UTF-8 sequence at s[i], or 0.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  std::size_t n = 0;
  std::uint32_t cp = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2, cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3, cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4, cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3F);
  }
  if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
      (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) {
    return 0;
  }
  return n;
}

}  // namespace

JsonParse ParseJson(std::string_view text) { return Parser(text).Run(); }

std::string JsonQuote(std::string_view s) {
  std::string out = "\"";
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      ++i;
    } else if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
    } else if (const std::size_t n = Utf8Length(s, i); n > 0) {
      out.append(s.substr(i, n));
      i += n;
    } else {
      out += "\\ufffd";
      ++i;
    }
  }
  out.push_back('"');
  return out;
}

}  // namespace kdsp::tool
