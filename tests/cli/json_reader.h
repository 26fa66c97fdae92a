#pragma once

// A strict reader of JSON text (RFC 8259) for checking what tarvolen-fit --json prints: one
// value, whitespace around it, nothing else; no raw control characters and only valid UTF-8 in
// strings. Anything else throws std::runtime_error naming the offset.

#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolen::testing {

struct Json {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  bool boolean = false;
  std::string text;  // a string's value, or a number as written
  std::vector<Json> items;
  std::map<std::string, Json> members;

  bool IsNull() const { return kind == kNull; }
  double Number() const { return std::strtod(text.c_str(), nullptr); }
  const Json& operator[](const std::string& key) const {
    const auto found = members.find(key);
    if (kind != kObject || found == members.end()) throw std::runtime_error("no member " + key);
    return found->second;
  }
  const Json& operator[](std::size_t index) const { return items.at(index); }
};

class JsonReader {
 public:
  static Json Parse(std::string_view text) {
    JsonReader reader(text);
    Json value = reader.Value();
    reader.SkipSpace();
    if (reader.at_ != text.size()) reader.Fail("text after the value");
    return value;
  }

 private:
  explicit JsonReader(std::string_view text) : text_(text) {}

  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(at_));
  }
  char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
  void SkipSpace() {
    while (at_ < text_.size() &&
           std::string_view(" \t\r\n").find(text_[at_]) != std::string_view::npos)
      ++at_;
  }
  void Expect(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) Fail("expected " + std::string(word));
    at_ += word.size();
  }
  bool Digit() const { return Peek() >= '0' && Peek() <= '9'; }
  void Digits() {
    if (!Digit()) Fail("expected a digit");
    while (Digit()) ++at_;
  }

  Json Value() {
    SkipSpace();
    Json value;
    switch (Peek()) {
      case 'n':
        Expect("null");
        break;
      case 't':
        Expect("true");
        value.kind = Json::kBool;
        value.boolean = true;
        break;
      case 'f':
        Expect("false");
        value.kind = Json::kBool;
        break;
      case '"':
        value.kind = Json::kString;
        value.text = String();
        break;
      case '[':
        value.kind = Json::kArray;
        ++at_;
        SkipSpace();
        if (Peek() == ']') {
          ++at_;
          break;
        }
        for (;;) {
          value.items.push_back(Value());
          SkipSpace();
          if (Peek() == ']') {
            ++at_;
            break;
          }
          Expect(",");
        }
        break;
      case '{':
        value.kind = Json::kObject;
        ++at_;
        SkipSpace();
        if (Peek() == '}') {
          ++at_;
          break;
        }
        for (;;) {
          SkipSpace();
          if (Peek() != '"') Fail("expected a member name");
          std::string key = String();
          SkipSpace();
          Expect(":");
          if (!value.members.emplace(key, Value()).second) Fail("member twice: " + key);
          SkipSpace();
          if (Peek() == '}') {
            ++at_;
            break;
          }
          Expect(",");
        }
        break;
      default: {
        value.kind = Json::kNumber;
        const std::size_t start = at_;
        if (Peek() == '-') ++at_;
        if (Peek() == '0') {
          ++at_;
        } else {
          Digits();
        }
        if (Peek() == '.') {
          ++at_;
          Digits();
        }
        if (Peek() == 'e' || Peek() == 'E') {
          ++at_;
          if (Peek() == '+' || Peek() == '-') ++at_;
          Digits();
        }
        value.text = std::string(text_.substr(start, at_ - start));
      }
    }
    return value;
  }

  std::string String() {
    Expect("\"");
    std::string out;
    for (;;) {
      if (at_ >= text_.size()) Fail("unterminated string");
      const unsigned char c = static_cast<unsigned char>(text_[at_]);
      if (c == '"') {
        ++at_;
        return out;
      }
      if (c < 0x20) Fail("raw control character");
      if (c == '\\') {
        ++at_;
        const char e = Peek();
        ++at_;
        const std::string_view simple = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
        if (const auto k = simple.find(e); k != std::string_view::npos) {
          out += meaning[k];
        } else if (e == 'u') {
          const std::string hex(text_.substr(at_, 4));
          if (hex.size() != 4 ||
              hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            Fail("bad \\u");
          const unsigned long code = std::strtoul(hex.c_str(), nullptr, 16);
          at_ += 4;
          if (code >= 0xD800 && code <= 0xDFFF) Fail("surrogate escapes are not expected here");
          if (code < 0x80) {
            out += static_cast<char>(code);
          } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
          } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
          }
        } else {
          Fail("bad escape");
        }
        continue;
      }
      // A UTF-8 sequence: its lead byte, then continuation bytes (overlong forms refused).
      const int length = c < 0x80                 ? 1
                         : c >= 0xC2 && c <= 0xDF ? 2
                         : c >= 0xE0 && c <= 0xEF ? 3
                         : c >= 0xF0 && c <= 0xF4 ? 4
                                                  : 0;
      if (length == 0 || at_ + length > text_.size()) Fail("invalid UTF-8");
      for (int i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text_[at_ + i]) & 0xC0) != 0x80) Fail("invalid UTF-8");
      }
      out.append(text_.substr(at_, length));
      at_ += length;
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace tarvolen::testing
