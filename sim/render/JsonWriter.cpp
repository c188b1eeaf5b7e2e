#include "sim/render/JsonWriter.h"

#include "platform/foundation/Utf8Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace kavro::sim {

void JsonWriter::separate() {
  if (afterValue_) out_ += ',';
  afterValue_ = true;
}

JsonWriter& JsonWriter::beginObject() {
  separate();
  out_ += '{';
  afterValue_ = false;
  return *this;
}

JsonWriter& JsonWriter::endObject() {
  out_ += '}';
  afterValue_ = true;
  return *this;
}

JsonWriter& JsonWriter::beginArray() {
  separate();
  out_ += '[';
  afterValue_ = false;
  return *this;
}

JsonWriter& JsonWriter::endArray() {
  out_ += ']';
  afterValue_ = true;
  return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
  string(name);
  out_ += ':';
  afterValue_ = false;  // the member's value follows without a comma
  return *this;
}

JsonWriter& JsonWriter::number(double value) {
  separate();
  if (!std::isfinite(value)) {
    out_ += '0';
    return *this;
  }
  double rounded = std::round(value * 1000) / 1000;
  if (rounded == 0) rounded = 0;  // no "-0"
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, 3);
  if (error != std::errc()) {
    out_ += '0';
    return *this;
  }
  // Trim "12.500" to "12.5" and "12.000" to "12".
  char* last = end - 1;
  while (*last == '0') --last;
  if (*last == '.') --last;
  out_.append(buffer, static_cast<std::size_t>(last - buffer + 1));
  return *this;
}

// Text that is not UTF-8 (an application's name, say) shows with U+FFFD, as JSON
// and the page's WebSocket carry only Unicode text.
JsonWriter& JsonWriter::string(std::string_view raw) {
  separate();
  std::string repaired;
  const std::string_view text = kavro::platform::foundation::validUtf8View(raw, repaired);
  out_ += '"';
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out_ += '\\';
      out_ += c;
    } else if (byte < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      out_ += escape;
    } else {
      out_ += c;
    }
  }
  out_ += '"';
  return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
  separate();
  out_ += value ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::color(const UIColor::RGBA& color) {
  separate();
  auto channel = [](double value) {
    return std::isfinite(value) ? static_cast<unsigned>(std::lround(std::clamp(value, 0.0, 1.0) * 255)) : 0u;
  };
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "\"#%02X%02X%02X%02X\"", channel(color.red), channel(color.green),
                channel(color.blue), channel(color.alpha));
  out_ += buffer;
  return *this;
}

JsonWriter& JsonWriter::rect(CGRect rect) {
  beginArray();
  number(rect.origin.x).number(rect.origin.y).number(rect.size.width).number(rect.size.height);
  return endArray();
}

JsonWriter& JsonWriter::raw(std::string_view json) {
  separate();
  out_ += json;
  return *this;
}

}  // namespace kavro::sim
