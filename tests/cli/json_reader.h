#pragma once

// A strict reader of JSON text (RFC 8259) for checking what tarvolen-fit --json prints: one
// value with whitespace around it and nothing else, no raw control character and only UTF-8 in
// strings. Anything else throws std::runtime_error naming the offset.

#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolen::testing {

struct Json {
  enum Kind { kNull, kLiteral, kNumber, kString, kArray, kObject } kind = kNull;
  std::string text;  // a string's value; a number, true or false as written
  std::vector<Json> items;
  std::map<std::string, Json> members;

  bool IsNull() const { return kind == kNull; }
  double Number() const { return std::strtod(text.c_str(), nullptr); }
  const Json& operator[](const std::string& key) const { return members.at(key); }
  const Json& operator[](std::size_t index) const { return items.at(index); }

  static Json Parse(std::string_view text) {
    std::size_t at = 0;
    Json value = Read(text, at);
    if (Skip(text, at) != text.size()) Fail(at, "text after the value");
    return value;
  }

 private:
  [[noreturn]] static void Fail(std::size_t at, const std::string& what) {
    throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(at));
  }
  static std::size_t Skip(std::string_view text, std::size_t& at) {
    while (at < text.size() &&
           (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r')) {
      ++at;
    }
    return at;
  }
  static void Expect(std::string_view text, std::size_t& at, std::string_view word) {
    if (text.substr(at, word.size()) != word) Fail(at, "expected " + std::string(word));
    at += word.size();
  }
  static void Digits(std::string_view text, std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    if (at == start) Fail(at, "expected a digit");
  }

  static Json Read(std::string_view text, std::size_t& at) {
    Json value;
    Skip(text, at);
    const char c = at < text.size() ? text[at] : '\0';
    if (c == 'n' || c == 't' || c == 'f') {
      const std::string_view word = c == 'n' ? "null" : c == 't' ? "true" : "false";
      Expect(text, at, word);
      if (c != 'n') value = {kLiteral, std::string(word), {}, {}};
    } else if (c == '"') {
      value = {kString, String(text, at), {}, {}};
    } else if (c == '[' || c == '{') {
      value.kind = c == '[' ? kArray : kObject;
      const char close = c == '[' ? ']' : '}';
      ++at;
      for (bool first = true; Skip(text, at) >= text.size() || text[at] != close; first = false) {
        if (!first) Expect(text, at, ",");
        if (value.kind == kArray) {
          value.items.push_back(Read(text, at));
          continue;
        }
        Skip(text, at);
        if (at >= text.size() || text[at] != '"') Fail(at, "expected a member name");
        const std::string key = String(text, at);
        Skip(text, at);
        Expect(text, at, ":");
        if (!value.members.emplace(key, Read(text, at)).second) Fail(at, "member twice: " + key);
      }
      ++at;
    } else {
      const std::size_t start = at;
      if (c == '-') ++at;
      if (at < text.size() && text[at] == '0') {
        ++at;  // no digit may follow a leading zero
      } else {
        Digits(text, at);
      }
      if (at < text.size() && text[at] == '.') Digits(text, ++at);
      if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        if (++at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        Digits(text, at);
      }
      value = {kNumber, std::string(text.substr(start, at - start)), {}, {}};
    }
    return value;
  }

  static std::string String(std::string_view text, std::size_t& at) {
    std::string out;
    for (++at;; ++at) {
      if (at >= text.size()) Fail(at, "unterminated string");
      const unsigned char c = static_cast<unsigned char>(text[at]);
      if (c == '"') break;
      if (c < 0x20) Fail(at, "raw control character");
      if (c == '\\') {
        const std::size_t escape = std::string_view("\"\\/bfnrtu").find(text.substr(++at, 1));
        if (escape == std::string_view::npos) Fail(at, "bad escape");
        if (escape < 8) {
          out += "\"\\/\b\f\n\r\t"[escape];
          continue;
        }
        // Only \u00XX is expected: a control character or a byte read as Latin-1.
        const std::string hex(text.substr(at + 1, 4));
        if (hex.size() != 4 || hex.rfind("00", 0) != 0 ||
            hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
          Fail(at, "unexpected \\u escape");
        }
        const unsigned code = static_cast<unsigned>(std::strtoul(hex.c_str(), nullptr, 16));
        if (code >= 0x80) out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(code < 0x80 ? code : 0x80 | (code & 0x3F));
        at += 4;
        continue;
      }
      const std::size_t length = c < 0x80                 ? 1
                                 : c >= 0xC2 && c <= 0xDF ? 2
                                 : c >= 0xE0 && c <= 0xEF ? 3
                                 : c >= 0xF0 && c <= 0xF4 ? 4
                                                          : 0;
      if (length == 0 || at + length > text.size()) Fail(at, "invalid UTF-8");
      for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) Fail(at, "invalid UTF-8");
      }
      out.append(text.substr(at, length));
      at += length - 1;
    }
    ++at;
    return out;
  }
};

}  // namespace tarvolen::testing
