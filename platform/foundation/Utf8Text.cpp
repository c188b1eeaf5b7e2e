#include "platform/foundation/Utf8Text.h"

#include <cstdint>

namespace kavro::platform::foundation {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The length of the well-formed sequence at `at`, or 0 when it is ill-formed; then
// `consumed` is the length of its maximal ill-formed prefix (at least 1).
std::size_t sequenceLength(std::string_view text, std::size_t at, std::size_t& consumed) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(at);
  consumed = 1;
  if (lead < 0x80) return 1;
  std::size_t length;
  std::uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  for (std::size_t k = 1; k < length; ++k) {
    if (at + k >= text.size()) return 0;
    const std::uint8_t next = byte(at + k);
    const bool fits = k == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xBF);
    if (!fits) return 0;
    consumed = k + 1;
  }
  return length;
}

}  // namespace

bool isValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    std::size_t consumed = 0;
    const std::size_t length = sequenceLength(text, at, consumed);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string repairedUtf8(std::string_view text, std::size_t* replacements) {
  std::string repaired;
  repaired.reserve(text.size());
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t consumed = 0;
    const std::size_t length = sequenceLength(text, at, consumed);
    if (length == 0) {
      repaired += kReplacementCharacter;
      ++count;
      at += consumed;
    } else {
      repaired.append(text.substr(at, length));
      at += length;
    }
  }
  if (replacements) *replacements = count;
  return repaired;
}

void appendUtf8(std::string& text, char32_t codePoint) {
  if (codePoint < 0x80) {
    text += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    text += static_cast<char>(0xC0 | (codePoint >> 6));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    text += static_cast<char>(0xE0 | (codePoint >> 12));
    text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (codePoint >> 18));
    text += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

std::string utf8FromUtf16(std::string_view bytes, bool bigEndian, bool* oddByte) {
  const std::size_t units = bytes.size() / 2;
  auto unitAt = [&](std::size_t index) -> char32_t {
    const auto first = static_cast<std::uint8_t>(bytes[2 * index]);
    const auto second = static_cast<std::uint8_t>(bytes[2 * index + 1]);
    return bigEndian ? (char32_t(first) << 8) | second : (char32_t(second) << 8) | first;
  };
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 2);
  for (std::size_t i = 0; i < units; ++i) {
    const char32_t unit = unitAt(i);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
      const char32_t low = unitAt(i + 1);
      if (low >= 0xDC00 && low < 0xE000) {
        appendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    appendUtf8(text, unit);
  }
  if (oddByte) *oddByte = bytes.size() % 2 != 0;
  return text;
}

std::string_view validUtf8View(std::string_view text, std::string& storage) {
  if (isValidUtf8(text)) return text;
  storage = repairedUtf8(text);
  return storage;
}

}  // namespace kavro::platform::foundation
