#include "platform/foundation/XmlPropertyListWriter.h"

#include "platform/foundation/ReferenceDateCalendar.h"
#include "platform/foundation/Utf8Text.h"

#include <charconv>
#include <cmath>

namespace kavro::platform::foundation {

namespace {

bool appendEscaped(std::string& out, const std::string& raw, std::string* error) {
  if (raw.find('\0') != std::string::npos) {
    if (error) *error = "a string holds a NUL character, which XML cannot hold";
    return false;
  }
  std::string repaired;
  for (char c : validUtf8View(raw, repaired)) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default:
        if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r')
          out += "&#" + std::to_string(byte) + ";";
        else
          out += c;
    }
  }
  return true;
}

std::string realText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

class Writer {
 public:
  explicit Writer(std::string* error) : error_(error) {}

  bool write(const PlistValue& value, int depth) {
    indent(depth);
    switch (value.type()) {
      case PlistValue::Type::nil: return fail("nil cannot be stored in a property list");
      case PlistValue::Type::boolean: out_ += *value.asBoolean() ? "<true/>\n" : "<false/>\n"; return true;
      case PlistValue::Type::integer:
        out_ += "<integer>";
        if (const std::uint64_t* large = value.asLargeUnsignedInteger())
          out_ += std::to_string(*large);
        else
          out_ += std::to_string(*value.asInteger());
        out_ += "</integer>\n";
        return true;
      case PlistValue::Type::real: out_ += "<real>" + realText(*value.asReal()) + "</real>\n"; return true;
      case PlistValue::Type::string:
        out_ += "<string>";
        if (!appendEscaped(out_, *value.asString(), error_)) return false;
        out_ += "</string>\n";
        return true;
      case PlistValue::Type::data:
        out_ += "<data>";
        out_ += value.asData()->base64EncodedString();
        out_ += "</data>\n";
        return true;
      case PlistValue::Type::date: {
        const double seconds = value.asDate()->timeIntervalSinceReferenceDate;
        auto text = std::isfinite(seconds) ? ReferenceDateCalendar::formatISO8601(std::floor(seconds)) : std::nullopt;
        if (!text) return fail("a date that is not finite or lies too far away cannot be written as XML");
        out_ += "<date>" + *text + "</date>\n";
        return true;
      }
      case PlistValue::Type::array: return writeArray(*value.asArray(), depth);
      case PlistValue::Type::dictionary: return writeDictionary(*value.asDictionary(), depth);
    }
    return fail("the value has an unknown type");
  }

  std::string& text() { return out_; }

 private:
  bool writeArray(const PlistValue::Array& array, int depth) {
    if (array.empty()) {
      out_ += "<array/>\n";
      return true;
    }
    out_ += "<array>\n";
    for (const PlistValue& element : array)
      if (!write(element, depth + 1)) return false;
    indent(depth);
    out_ += "</array>\n";
    return true;
  }

  bool writeDictionary(const PlistValue::Dictionary& dictionary, int depth) {
    if (dictionary.empty()) {
      out_ += "<dict/>\n";
      return true;
    }
    out_ += "<dict>\n";
    for (const auto& [key, element] : dictionary) {
      indent(depth + 1);
      out_ += "<key>";
      if (!appendEscaped(out_, key, error_)) return false;
      out_ += "</key>\n";
      if (!write(element, depth + 1)) return false;
    }
    indent(depth);
    out_ += "</dict>\n";
    return true;
  }

  void indent(int depth) { out_.append(static_cast<std::size_t>(depth), '\t'); }
  bool fail(const std::string& reason) {
    if (error_) *error_ = reason;
    return false;
  }

  std::string* error_;
  std::string out_ =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n";
};

}  // namespace

std::optional<std::vector<std::uint8_t>> XmlPropertyListWriter::write(const PlistValue& root, std::string* error) {
  Writer writer(error);
  if (!writer.write(root, 0)) return std::nullopt;
  writer.text() += "</plist>\n";
  if (error) error->clear();
  return std::vector<std::uint8_t>(writer.text().begin(), writer.text().end());
}

}  // namespace kavro::platform::foundation
