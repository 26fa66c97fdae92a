#include "common/errors.h"

#include <cstddef>
#include <utility>

namespace tarvolen {
namespace {

// How many bytes at `i` form one control character to escape: 1 for a C0 control, DEL or a lone
// C1 byte, 2 for a C1 control in UTF-8; 0 for anything else.
std::size_t ControlLength(const std::string& text, std::size_t i) {
  const auto byte = static_cast<unsigned char>(text[i]);
  if (byte < 0x20 || byte == 0x7f) return 1;
  if (byte == 0xc2 && i + 1 < text.size()) {
    const auto next = static_cast<unsigned char>(text[i + 1]);
    if (next >= 0x80 && next <= 0x9f) return 2;
  }
  if (byte >= 0x80 && byte <= 0x9f) {
    // A continuation byte of a longer UTF-8 character is part of a printable character.
    std::size_t lead = i;
    while (lead > 0 && i - lead < 3 &&
           (static_cast<unsigned char>(text[lead - 1]) & 0xc0) == 0x80) {
      --lead;
    }
    if (lead > 0) {
      const auto first = static_cast<unsigned char>(text[lead - 1]);
      const std::size_t length = first >= 0xf0 ? 4 : first >= 0xe0 ? 3 : first >= 0xc2 ? 2 : 0;
      if (length > i - lead + 1) return 0;
    }
    return 1;
  }
  return 0;
}

}  // namespace

const char* Exception::what() const noexcept {
  return cause_.empty() ? Message() : text_.c_str();
}

void Exception::SetCause(std::string cause) {
  cause_ = std::move(cause);
  text_.clear();
  if (cause_.empty()) return;
  text_ = Message();
  if (text_.empty() || text_.back() != '.') text_ += '.';
  text_ += ' ';
  text_ += cause_;
}

std::string EscapeControlCharacters(std::string text) {
  std::size_t i = 0;
  while (i < text.size() && ControlLength(text, i) == 0) ++i;
  if (i == text.size()) return text;
  constexpr char kHex[] = "0123456789abcdef";
  std::string shown(text, 0, i);
  shown.reserve(text.size() + 16);
  while (i < text.size()) {
    const std::size_t length = ControlLength(text, i);
    if (length == 0) {
      shown += text[i++];
      continue;
    }
    for (std::size_t k = 0; k < length; ++k, ++i) {
      const auto byte = static_cast<unsigned char>(text[i]);
      shown += '\\';
      shown += 'x';
      shown += kHex[byte >> 4];
      shown += kHex[byte & 15];
    }
  }
  return shown;
}

// By value: a message naming a cell of many megabytes is extended in place, not copied again.
std::string ErrorBoxText(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  return EscapeControlCharacters(std::move(message));
}

}  // namespace tarvolen
