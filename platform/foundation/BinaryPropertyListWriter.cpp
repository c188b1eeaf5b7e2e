#include "platform/foundation/BinaryPropertyListWriter.h"

#include "platform/foundation/Utf8Text.h"

#include <bit>
#include <unordered_map>

namespace kavro::foundation {

namespace {

using Bytes = std::vector<std::uint8_t>;

void appendBigEndian(std::string& out, std::uint64_t value, unsigned size) {
  for (unsigned i = size; i-- > 0;) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void appendBigEndian(Bytes& out, std::uint64_t value, unsigned size) {
  for (unsigned i = size; i-- > 0;) out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
}

// The width, of 1, 2, 4 and 8 bytes, that holds every number up to `largest`.
unsigned widthFor(std::uint64_t largest) {
  if (largest <= 0xFF) return 1;
  if (largest <= 0xFFFF) return 2;
  if (largest <= 0xFFFFFFFF) return 4;
  return 8;
}

// An integer object, in the smallest form the format reads back as the same value:
// 1, 2 and 4 bytes are unsigned, 8 bytes signed.
void appendInteger(std::string& out, std::uint64_t value) {
  const unsigned width = value > static_cast<std::uint64_t>(INT64_MAX) ? 8 : widthFor(value);
  out += static_cast<char>(0x10 | std::countr_zero(width));
  appendBigEndian(out, value, width);
}

// A marker with the count in its low half, or 0xF followed by the count as an integer.
void appendMarker(std::string& out, unsigned type, std::uint64_t count) {
  if (count < 15) {
    out += static_cast<char>(type << 4 | count);
    return;
  }
  out += static_cast<char>(type << 4 | 0xF);
  appendInteger(out, count);
}

bool isAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// UTF-8 (checked) to UTF-16 big-endian code units.
void appendUtf16(std::string& out, const std::string& text, std::size_t units) {
  appendMarker(out, 0x6, units);
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t codePoint = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    for (std::size_t k = 1; k < length; ++k) codePoint = (codePoint << 6) | (text[i + k] & 0x3F);
    i += length;
    if (codePoint >= 0x10000) {
      codePoint -= 0x10000;
      appendBigEndian(out, 0xD800 + (codePoint >> 10), 2);
      appendBigEndian(out, 0xDC00 + (codePoint & 0x3FF), 2);
    } else {
      appendBigEndian(out, codePoint, 2);
    }
  }
}

std::size_t utf16Length(const std::string& text) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

class Flattener {
 public:
  // The objects in the order they are written: the root first, then depth first.
  struct Object {
    std::string scalar;  // the encoded bytes of a scalar
    unsigned containerType = 0;  // 0xA or 0xD for a container
    std::vector<std::uint64_t> references;  // a dictionary's keys, then its values
  };

  bool add(const PlistValue& value, std::uint64_t& index, std::string* error) {
    switch (value.type()) {
      case PlistValue::Type::nil:
        if (error) *error = "nil cannot be stored in a property list";
        return false;
      case PlistValue::Type::array: {
        index = newContainer(0xA);
        std::vector<std::uint64_t> references;
        references.reserve(value.asArray()->size());
        for (const PlistValue& element : *value.asArray()) {
          std::uint64_t child = 0;
          if (!add(element, child, error)) return false;
          references.push_back(child);
        }
        objects_[index].references = std::move(references);
        return true;
      }
      case PlistValue::Type::dictionary: {
        index = newContainer(0xD);
        const auto& dictionary = *value.asDictionary();
        std::vector<std::uint64_t> references(dictionary.size() * 2);
        std::size_t at = 0;
        for (const auto& [key, element] : dictionary) {
          if (!addString(key, references[at], error)) return false;
          if (!add(element, references[dictionary.size() + at], error)) return false;
          ++at;
        }
        objects_[index].references = std::move(references);
        return true;
      }
      case PlistValue::Type::string: return addString(*value.asString(), index, error);
      default: {
        std::string encoded;
        encodeScalar(value, encoded);
        index = unique(std::move(encoded));
        return true;
      }
    }
  }

  std::vector<Object>& objects() { return objects_; }

 private:
  std::uint64_t newContainer(unsigned type) {
    objects_.emplace_back().containerType = type;
    return objects_.size() - 1;
  }

  std::uint64_t unique(std::string encoded) {
    auto [entry, inserted] = scalars_.try_emplace(encoded, objects_.size());
    if (inserted) objects_.emplace_back().scalar = std::move(encoded);
    return entry->second;
  }

  bool addString(const std::string& text, std::uint64_t& index, std::string* error) {
    std::string encoded;
    if (isAscii(text)) {
      appendMarker(encoded, 0x5, text.size());
      encoded += text;
    } else if (isValidUtf8(text)) {
      appendUtf16(encoded, text, utf16Length(text));
    } else {
      if (error) *error = "a string is not valid UTF-8 text";
      return false;
    }
    index = unique(std::move(encoded));
    return true;
  }

  static void encodeScalar(const PlistValue& value, std::string& out) {
    switch (value.type()) {
      case PlistValue::Type::boolean: out += static_cast<char>(*value.asBoolean() ? 0x09 : 0x08); break;
      case PlistValue::Type::integer:
        if (const std::uint64_t* large = value.asLargeUnsignedInteger()) {
          out += static_cast<char>(0x14);
          appendBigEndian(out, 0, 8);
          appendBigEndian(out, *large, 8);
        } else {
          appendInteger(out, static_cast<std::uint64_t>(*value.asInteger()));
        }
        break;
      case PlistValue::Type::real:
        out += static_cast<char>(0x23);
        appendBigEndian(out, std::bit_cast<std::uint64_t>(*value.asReal()), 8);
        break;
      case PlistValue::Type::date:
        out += static_cast<char>(0x33);
        appendBigEndian(out, std::bit_cast<std::uint64_t>(value.asDate()->timeIntervalSinceReferenceDate), 8);
        break;
      case PlistValue::Type::data: {
        const auto& bytes = value.asData()->bytes;
        appendMarker(out, 0x4, bytes.size());
        out.append(bytes.begin(), bytes.end());
        break;
      }
      default: break;
    }
  }

  std::vector<Object> objects_;
  std::unordered_map<std::string, std::uint64_t> scalars_;
};

}  // namespace

std::optional<std::vector<std::uint8_t>> BinaryPropertyListWriter::write(const PlistValue& root,
                                                                         std::string* error) {
  Flattener flattener;
  std::uint64_t rootIndex = 0;
  if (!flattener.add(root, rootIndex, error)) return std::nullopt;
  auto& objects = flattener.objects();
  const unsigned referenceSize = widthFor(objects.size() - 1);

  Bytes file{'b', 'p', 'l', 'i', 's', 't', '0', '0'};
  std::vector<std::uint64_t> offsets;
  offsets.reserve(objects.size());
  std::string container;
  for (auto& object : objects) {
    offsets.push_back(file.size());
    if (object.containerType == 0) {
      file.insert(file.end(), object.scalar.begin(), object.scalar.end());
      std::string().swap(object.scalar);
      continue;
    }
    const std::uint64_t count =
        object.containerType == 0xD ? object.references.size() / 2 : object.references.size();
    container.clear();
    appendMarker(container, object.containerType, count);
    for (std::uint64_t reference : object.references) appendBigEndian(container, reference, referenceSize);
    file.insert(file.end(), container.begin(), container.end());
  }
  const std::uint64_t tableOffset = file.size();
  const unsigned offsetSize = widthFor(tableOffset);
  for (std::uint64_t offset : offsets) appendBigEndian(file, offset, offsetSize);
  // The trailer: six unused bytes, the two widths, the object count, the root and
  // where the offset table starts.
  file.insert(file.end(), 6, 0);
  file.push_back(static_cast<std::uint8_t>(offsetSize));
  file.push_back(static_cast<std::uint8_t>(referenceSize));
  appendBigEndian(file, objects.size(), 8);
  appendBigEndian(file, rootIndex, 8);
  appendBigEndian(file, tableOffset, 8);
  if (error) error->clear();
  return file;
}

}  // namespace kavro::foundation
