#include "platform/foundation/LibplistConversion.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace kavro::foundation {

namespace {

bool fail(std::string* error, const std::string& reason) {
  if (error && error->empty()) *error = reason;
  return false;
}

bool checkStorableString(const std::string& text, const char* what, std::string* error) {
  if (text.find('\0') != std::string::npos)
    return fail(error, std::string(what) + " holds a NUL character, which libplist cannot store");
  if (!LibplistConversion::isValidUtf8(text))
    return fail(error, std::string(what) + " is not valid UTF-8 text");
  return true;
}

// libplist 2.2 takes a date as whole seconds and microseconds, both 32-bit.
PlistNode dateNode(double seconds, std::string* error) {
  constexpr double kLimit = std::numeric_limits<std::int32_t>::max();
  double whole = std::trunc(seconds);
  if (!std::isfinite(seconds) || whole > kLimit || whole < -kLimit) {
    fail(error, "a date lies more than 2^31 seconds from 2001 (outside 1933 to 2069), which "
                "libplist cannot store");
    return nullptr;
  }
  auto secondsPart = static_cast<std::int32_t>(whole);
  auto microseconds = static_cast<std::int32_t>(std::llround((seconds - whole) * 1e6));
  return PlistNode(plist_new_date(secondsPart, microseconds));
}

PlistNode makeNode(const PlistValue& value, std::string* error) {
  switch (value.type()) {
    case PlistValue::Type::nil:
      fail(error, "nil cannot be stored in a property list");
      return nullptr;
    case PlistValue::Type::boolean: return PlistNode(plist_new_bool(*value.asBoolean() ? 1 : 0));
    case PlistValue::Type::integer:
      // libplist keeps every integer as 64 unsigned bits; negative values are
      // written and read back as their two's complement, which the format means.
      return PlistNode(plist_new_uint(static_cast<std::uint64_t>(*value.asInteger())));
    case PlistValue::Type::real: return PlistNode(plist_new_real(*value.asReal()));
    case PlistValue::Type::string:
      if (!checkStorableString(*value.asString(), "a string", error)) return nullptr;
      return PlistNode(plist_new_string(value.asString()->c_str()));
    case PlistValue::Type::data: {
      const auto& bytes = value.asData()->bytes;
      return PlistNode(plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    case PlistValue::Type::date: return dateNode(value.asDate()->timeIntervalSinceReferenceDate, error);
    case PlistValue::Type::array: {
      PlistNode array(plist_new_array());
      for (const PlistValue& element : *value.asArray()) {
        PlistNode child = makeNode(element, error);
        if (!child) return nullptr;
        plist_array_append_item(array.get(), child.release());
      }
      return array;
    }
    case PlistValue::Type::dictionary: {
      PlistNode dictionary(plist_new_dict());
      for (const auto& [key, element] : *value.asDictionary()) {
        if (!checkStorableString(key, "a dictionary key", error)) return nullptr;
        PlistNode child = makeNode(element, error);
        if (!child) return nullptr;
        plist_dict_set_item(dictionary.get(), key.c_str(), child.release());
      }
      return dictionary;
    }
  }
  return nullptr;
}

std::size_t countDates(plist_t node) {
  switch (plist_get_node_type(node)) {
    case PLIST_DATE: return 1;
    case PLIST_ARRAY: {
      std::size_t count = 0;
      for (std::uint32_t i = 0, n = plist_array_get_size(node); i < n; ++i)
        count += countDates(plist_array_get_item(node, i));
      return count;
    }
    case PLIST_DICT: {
      std::size_t count = 0;
      plist_dict_iter iterator = nullptr;
      plist_dict_new_iter(node, &iterator);
      for (;;) {
        char* key = nullptr;
        plist_t child = nullptr;
        plist_dict_next_item(node, iterator, &key, &child);
        if (!child) break;
        std::free(key);
        count += countDates(child);
      }
      std::free(iterator);
      return count;
    }
    default: return 0;
  }
}

class NodeReader {
 public:
  NodeReader(const std::vector<std::optional<double>>& exactDates, bool useExactDates)
      : exactDates_(exactDates), useExactDates_(useExactDates) {}

  // Reads `node` into `out`; false, with the reason in `error`, for a node of a
  // type property lists do not have.
  bool read(plist_t node, PlistValue& out, std::string* error) {
    switch (plist_get_node_type(node)) {
      case PLIST_BOOLEAN: {
        std::uint8_t value = 0;
        plist_get_bool_val(node, &value);
        out = PlistValue(value != 0);
        return true;
      }
      case PLIST_UINT: {
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        out = PlistValue(static_cast<long long>(value));
        return true;
      }
      case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        out = PlistValue(value);
        return true;
      }
      case PLIST_STRING:
      case PLIST_KEY: {
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        out = PlistValue(std::string(text ? text : "", text ? length : 0));
        return true;
      }
      case PLIST_DATA: {
        std::uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        NSData data;
        if (bytes) data.bytes.assign(bytes, bytes + length);
        out = PlistValue(std::move(data));
        return true;
      }
      case PLIST_DATE: out = PlistValue(NSDate{nextDate(node)}); return true;
      case PLIST_UID: {
        // As the platform shows a keyed archiver's reference in XML.
        std::uint64_t value = 0;
        plist_get_uid_val(node, &value);
        PlistValue::Dictionary reference;
        reference["CF$UID"] = PlistValue(static_cast<long long>(value));
        out = PlistValue(std::move(reference));
        return true;
      }
      case PLIST_ARRAY: return readArray(node, out, error);
      case PLIST_DICT: return readDictionary(node, out, error);
      default: return fail(error, "it holds a node of unknown type");
    }
  }

 private:
  double nextDate(plist_t node) {
    std::optional<double> exact;
    if (useExactDates_ && next_ < exactDates_.size()) exact = exactDates_[next_++];
    if (exact) return *exact;
    // libplist's own value: microseconds are a magnitude, with the sign of the seconds.
    std::int32_t seconds = 0, microseconds = 0;
    plist_get_date_val(node, &seconds, &microseconds);
    return seconds + (seconds < 0 ? -microseconds : microseconds) / 1e6;
  }

  bool readArray(plist_t node, PlistValue& out, std::string* error) {
    PlistValue::Array array(plist_array_get_size(node));
    for (std::uint32_t i = 0; i < array.size(); ++i)
      if (!read(plist_array_get_item(node, i), array[i], error)) return false;
    out = PlistValue(std::move(array));
    return true;
  }

  bool readDictionary(plist_t node, PlistValue& out, std::string* error) {
    PlistValue::Dictionary dictionary;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(node, &iterator);
    bool ok = true;
    while (ok) {
      char* key = nullptr;
      plist_t child = nullptr;
      plist_dict_next_item(node, iterator, &key, &child);
      if (child) {
        // A key given twice keeps its last value, as the platform's reader does.
        PlistValue element;
        ok = read(child, element, error);
        if (ok && key) dictionary.insert_or_assign(key, std::move(element));
      }
      std::free(key);
      if (!child) break;
    }
    std::free(iterator);
    if (ok) out = PlistValue(std::move(dictionary));
    return ok;
  }

  const std::vector<std::optional<double>>& exactDates_;
  bool useExactDates_;
  std::size_t next_ = 0;
};

}  // namespace

PlistNode LibplistConversion::toNode(const PlistValue& value, std::string* error) {
  return makeNode(value, error);
}

std::optional<PlistValue> LibplistConversion::fromNode(
    plist_t node, const std::vector<std::optional<double>>& exactDates, std::string* error) {
  const bool useExactDates = countDates(node) == exactDates.size();
  NodeReader reader(exactDates, useExactDates);
  PlistValue value;
  if (!reader.read(node, value, error)) return std::nullopt;
  return value;
}

bool LibplistConversion::isValidUtf8(const std::string& text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size;) {
    const unsigned char lead = bytes[i];
    std::size_t length;
    std::uint32_t codePoint;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      codePoint = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > size) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (bytes[i + k] & 0x3F);
    }
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < kSmallest[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

}  // namespace kavro::foundation
