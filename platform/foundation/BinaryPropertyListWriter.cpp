#include "platform/foundation/BinaryPropertyListWriter.h"

#include "platform/foundation/Utf8Text.h"

#include <bit>
#include <string_view>
#include <unordered_map>

namespace kavro::platform::foundation {

namespace {

using Bytes = std::vector<std::uint8_t>;

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
void appendInteger(Bytes& out, std::uint64_t value) {
  const unsigned width = value > static_cast<std::uint64_t>(INT64_MAX) ? 8 : widthFor(value);
  out.push_back(static_cast<std::uint8_t>(0x10 | std::countr_zero(width)));
  appendBigEndian(out, value, width);
}

// A marker with the count in its low half, or 0xF followed by the count as an integer.
void appendMarker(Bytes& out, unsigned type, std::uint64_t count) {
  if (count < 15) {
    out.push_back(static_cast<std::uint8_t>(type << 4 | count));
    return;
  }
  out.push_back(static_cast<std::uint8_t>(type << 4 | 0xF));
  appendInteger(out, count);
}

bool isAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::size_t utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

// Text (checked UTF-8) as an ASCII string object, or as UTF-16 big-endian.
void appendString(Bytes& out, std::string_view text) {
  if (isAscii(text)) {
    appendMarker(out, 0x5, text.size());
    out.insert(out.end(), text.begin(), text.end());
    return;
  }
  appendMarker(out, 0x6, utf16Length(text));
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

// Numbers the object table in the order the objects are written: the root first,
// then depth first. Equal scalars get one number, found through views of the value
// being written, which outlives the writing, so nothing is copied.
class Flattener {
 public:
  enum class Kind : std::uint8_t { scalar, string, array, dictionary };
  struct Object {
    Kind kind;
    const PlistValue* value = nullptr;   // a scalar
    std::string_view text;               // a string or key
    std::size_t firstReference = 0;      // a container's references in `references()`
    std::size_t referenceCount = 0;
  };

  bool add(const PlistValue& value, std::uint64_t& index, std::string* error) {
    switch (value.type()) {
      case PlistValue::Type::nil:
        if (error) *error = "nil cannot be stored in a property list";
        return false;
      case PlistValue::Type::array: {
        const auto& array = *value.asArray();
        index = newContainer(Kind::array, array.size());
        const std::size_t first = objects_[index].firstReference;
        for (std::size_t i = 0; i < array.size(); ++i) {
          std::uint64_t child = 0;
          if (!add(array[i], child, error)) return false;
          references_[first + i] = child;
        }
        return true;
      }
      case PlistValue::Type::dictionary: {
        const auto& dictionary = *value.asDictionary();
        index = newContainer(Kind::dictionary, dictionary.size() * 2);
        const std::size_t first = objects_[index].firstReference;
        std::size_t at = 0;
        for (const auto& [key, element] : dictionary) {
          std::uint64_t keyIndex = 0, valueIndex = 0;
          if (!addString(key, keyIndex, error)) return false;
          references_[first + at] = keyIndex;
          if (!add(element, valueIndex, error)) return false;
          references_[first + dictionary.size() + at] = valueIndex;
          ++at;
        }
        return true;
      }
      case PlistValue::Type::string: return addString(*value.asString(), index, error);
      default: index = addScalar(value); return true;
    }
  }

  const std::vector<Object>& objects() const { return objects_; }
  const std::vector<std::uint64_t>& references() const { return references_; }

 private:
  std::uint64_t newContainer(Kind kind, std::size_t referenceCount) {
    Object& object = objects_.emplace_back();
    object.kind = kind;
    object.firstReference = references_.size();
    object.referenceCount = referenceCount;
    references_.resize(references_.size() + referenceCount);
    return objects_.size() - 1;
  }

  bool addString(const std::string& text, std::uint64_t& index, std::string* error) {
    if (!isValidUtf8(text)) {
      if (error) *error = "a string is not valid UTF-8 text";
      return false;
    }
    auto [entry, inserted] = strings_.try_emplace(std::string_view(text), objects_.size());
    if (inserted) objects_.push_back({Kind::string, nullptr, text});
    index = entry->second;
    return true;
  }

  // One number for equal values: booleans, integers, reals and dates by their bits
  // (so -0.0 and 0.0 stay apart), data by its bytes.
  std::uint64_t addScalar(const PlistValue& value) {
    std::uint64_t* slot = nullptr;
    switch (value.type()) {
      case PlistValue::Type::boolean: slot = &booleans_[*value.asBoolean() ? 1 : 0]; break;
      case PlistValue::Type::integer:
        if (const std::uint64_t* large = value.asLargeUnsignedInteger())
          slot = &largeIntegers_.try_emplace(*large, kNone).first->second;
        else
          slot = &integers_.try_emplace(static_cast<std::uint64_t>(*value.asInteger()), kNone).first->second;
        break;
      case PlistValue::Type::real:
        slot = &reals_.try_emplace(std::bit_cast<std::uint64_t>(*value.asReal()), kNone).first->second;
        break;
      case PlistValue::Type::date:
        slot = &dates_.try_emplace(std::bit_cast<std::uint64_t>(value.asDate()->timeIntervalSinceReferenceDate), kNone)
                    .first->second;
        break;
      case PlistValue::Type::data: {
        const auto& bytes = value.asData()->bytes;
        std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        slot = &data_.try_emplace(view, kNone).first->second;
        break;
      }
      default: break;
    }
    if (*slot == kNone) {
      *slot = objects_.size();
      objects_.push_back({Kind::scalar, &value, {}});
    }
    return *slot;
  }

  static constexpr std::uint64_t kNone = ~std::uint64_t{0};
  std::vector<Object> objects_;
  std::vector<std::uint64_t> references_;
  std::unordered_map<std::string_view, std::uint64_t> strings_;
  std::unordered_map<std::string_view, std::uint64_t> data_;
  std::unordered_map<std::uint64_t, std::uint64_t> integers_, largeIntegers_, reals_, dates_;
  std::uint64_t booleans_[2] = {kNone, kNone};
};

void appendScalar(Bytes& out, const PlistValue& value) {
  switch (value.type()) {
    case PlistValue::Type::boolean: out.push_back(*value.asBoolean() ? 0x09 : 0x08); break;
    case PlistValue::Type::integer:
      if (const std::uint64_t* large = value.asLargeUnsignedInteger()) {
        out.push_back(0x14);
        appendBigEndian(out, 0, 8);
        appendBigEndian(out, *large, 8);
      } else {
        appendInteger(out, static_cast<std::uint64_t>(*value.asInteger()));
      }
      break;
    case PlistValue::Type::real:
      out.push_back(0x23);
      appendBigEndian(out, std::bit_cast<std::uint64_t>(*value.asReal()), 8);
      break;
    case PlistValue::Type::date:
      out.push_back(0x33);
      appendBigEndian(out, std::bit_cast<std::uint64_t>(value.asDate()->timeIntervalSinceReferenceDate), 8);
      break;
    case PlistValue::Type::data: {
      const auto& bytes = value.asData()->bytes;
      appendMarker(out, 0x4, bytes.size());
      out.insert(out.end(), bytes.begin(), bytes.end());
      break;
    }
    default: break;
  }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> BinaryPropertyListWriter::write(const PlistValue& root,
                                                                         std::string* error) {
  Flattener flattener;
  std::uint64_t rootIndex = 0;
  if (!flattener.add(root, rootIndex, error)) return std::nullopt;
  const auto& objects = flattener.objects();
  const auto& references = flattener.references();
  const unsigned referenceSize = widthFor(objects.size() - 1);

  Bytes file{'b', 'p', 'l', 'i', 's', 't', '0', '0'};
  file.reserve(objects.size() * 16 + references.size() * referenceSize + 64);
  std::vector<std::uint64_t> offsets;
  offsets.reserve(objects.size());
  for (const auto& object : objects) {
    offsets.push_back(file.size());
    switch (object.kind) {
      case Flattener::Kind::scalar: appendScalar(file, *object.value); break;
      case Flattener::Kind::string: appendString(file, object.text); break;
      case Flattener::Kind::array:
      case Flattener::Kind::dictionary: {
        const std::size_t count =
            object.kind == Flattener::Kind::dictionary ? object.referenceCount / 2 : object.referenceCount;
        appendMarker(file, object.kind == Flattener::Kind::dictionary ? 0xD : 0xA, count);
        for (std::size_t i = 0; i < object.referenceCount; ++i)
          appendBigEndian(file, references[object.firstReference + i], referenceSize);
        break;
      }
    }
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

}  // namespace kavro::platform::foundation
