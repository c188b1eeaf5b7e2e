#include "platform/foundation/BinaryPropertyListReader.h"

#include "platform/foundation/Utf8Text.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kavro::platform::foundation {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;

enum ObjectType : unsigned {
  kSimple = 0x0,  // false, true (null and fill are not property-list values)
  kInteger = 0x1,
  kReal = 0x2,
  kDate = 0x3,
  kData = 0x4,
  kAsciiString = 0x5,
  kUtf16String = 0x6,
  kUid = 0x8,
  kArray = 0xA,
  kOrderedSet = 0xB,
  kSet = 0xC,
  kDictionary = 0xD,
};

bool hasCount(unsigned type) {
  switch (type) {
    case kData:
    case kAsciiString:
    case kUtf16String:
    case kArray:
    case kOrderedSet:
    case kSet:
    case kDictionary: return true;
    default: return false;
  }
}

bool isValidWidth(unsigned size) { return size >= 1 && size <= 8; }

}  // namespace

BinaryPropertyListReader::BinaryPropertyListReader(std::span<const std::uint8_t> data, Limits limits)
    : data_(data), limits_(limits) {}

bool BinaryPropertyListReader::fail(const std::string& reason) {
  if (error_.empty()) error_ = reason;
  return false;
}

std::uint64_t BinaryPropertyListReader::readBigEndian(std::size_t offset, unsigned size) const {
  std::uint64_t value = 0;
  for (unsigned i = 0; i < size; ++i) value = (value << 8) | data_[offset + i];
  return value;
}

bool BinaryPropertyListReader::readTrailer() {
  if (data_.size() < kHeaderSize + 1 + kTrailerSize)
    return fail("it is too short (" + std::to_string(data_.size()) + " bytes)");
  if (std::memcmp(data_.data(), "bplist00", kHeaderSize) != 0)
    return fail("it does not start with \"bplist00\"");
  const std::size_t trailer = data_.size() - kTrailerSize;
  trailer_.offsetSize = data_[trailer + 6];
  trailer_.referenceSize = data_[trailer + 7];
  trailer_.objectCount = readBigEndian(trailer + 8, 8);
  trailer_.rootObject = readBigEndian(trailer + 16, 8);
  trailer_.offsetTableOffset = readBigEndian(trailer + 24, 8);
  if (!isValidWidth(trailer_.offsetSize) || !isValidWidth(trailer_.referenceSize))
    return fail("its trailer gives offsets of " + std::to_string(trailer_.offsetSize) +
                " and references of " + std::to_string(trailer_.referenceSize) +
                " bytes (1 to 8 expected)");
  if (trailer_.offsetTableOffset <= kHeaderSize || trailer_.offsetTableOffset > trailer)
    return fail("its offset table starts at byte " + std::to_string(trailer_.offsetTableOffset) +
                ", outside the data");
  const std::uint64_t tableSpace = trailer - trailer_.offsetTableOffset;
  if (trailer_.objectCount == 0 || trailer_.objectCount > tableSpace / trailer_.offsetSize)
    return fail("its trailer declares " + std::to_string(trailer_.objectCount) +
                " objects, more than its offset table holds");
  if (trailer_.rootObject >= trailer_.objectCount)
    return fail("its root object " + std::to_string(trailer_.rootObject) + " does not exist");
  return true;
}

bool BinaryPropertyListReader::objectHeader(std::uint64_t object, ObjectHeader& header) {
  if (object >= trailer_.objectCount)
    return fail("a reference names object " + std::to_string(object) + " of " +
                std::to_string(trailer_.objectCount));
  const std::size_t entry =
      static_cast<std::size_t>(trailer_.offsetTableOffset + object * trailer_.offsetSize);
  const std::uint64_t offset = readBigEndian(entry, trailer_.offsetSize);
  const std::uint64_t end = trailer_.offsetTableOffset;
  if (offset < kHeaderSize || offset >= end)
    return fail("object " + std::to_string(object) + " lies at byte " + std::to_string(offset) +
                ", outside the object area");
  const std::uint8_t marker = data_[offset];
  header.type = marker >> 4;
  header.info = marker & 0x0F;
  header.count = header.info;
  header.contentOffset = static_cast<std::size_t>(offset + 1);
  if (hasCount(header.type) && header.info == 0x0F) {
    // The count follows as an integer object of 1, 2, 4 or 8 bytes.
    if (offset + 2 > end || (data_[offset + 1] >> 4) != kInteger || (data_[offset + 1] & 0x0F) > 3)
      return fail("object " + std::to_string(object) + " has a malformed length");
    const unsigned width = 1u << (data_[offset + 1] & 0x0F);
    if (offset + 2 + width > end)
      return fail("the length of object " + std::to_string(object) + " runs past the objects");
    header.count = readBigEndian(static_cast<std::size_t>(offset + 2), width);
    header.contentOffset = static_cast<std::size_t>(offset + 2 + width);
  }
  return true;
}

bool BinaryPropertyListReader::contentFits(const ObjectHeader& header, std::uint64_t unitSize) {
  const std::uint64_t end = trailer_.offsetTableOffset;
  if (header.contentOffset > end || header.count > (end - header.contentOffset) / unitSize)
    return fail("an object declares " + std::to_string(header.count) +
                " elements, more than the data holds");
  return true;
}

bool BinaryPropertyListReader::countObject() {
  if (++objects_ > limits_.maximumObjects)
    return fail("it expands to more than " + std::to_string(limits_.maximumObjects) + " objects");
  return true;
}

bool BinaryPropertyListReader::countBytes(std::uint64_t bytes) {
  bytes_ += bytes;
  if (bytes_ > limits_.maximumBytes)
    return fail("it expands to more than " + std::to_string(limits_.maximumBytes >> 20) +
                " MiB of strings and data");
  return true;
}

bool BinaryPropertyListReader::readInteger(const ObjectHeader& header, PlistValue& out) {
  if (header.info > 4) return fail("an integer has an invalid size");
  const unsigned size = 1u << header.info;
  ObjectHeader fixed = header;
  fixed.count = 1;
  if (!contentFits(fixed, size)) return false;
  if (size <= 4) {
    out = PlistValue(static_cast<long long>(readBigEndian(header.contentOffset, size)));
  } else if (size == 8) {
    out = PlistValue(static_cast<long long>(std::bit_cast<std::int64_t>(readBigEndian(header.contentOffset, 8))));
  } else {
    // Sixteen bytes, signed: the platform writes unsigned values from 2^63 this way.
    const std::uint64_t high = readBigEndian(header.contentOffset, 8);
    const std::uint64_t low = readBigEndian(header.contentOffset + 8, 8);
    if (high == 0)
      out = PlistValue(static_cast<unsigned long long>(low));
    else if (high == ~std::uint64_t{0} && (low >> 63) != 0)
      out = PlistValue(static_cast<long long>(std::bit_cast<std::int64_t>(low)));
    else
      return fail("an integer lies outside -2^63 to 2^64 - 1");
  }
  return true;
}

bool BinaryPropertyListReader::readString(const ObjectHeader& header, std::string& out) {
  if (header.type == kAsciiString) {
    if (!contentFits(header, 1) || !countBytes(header.count)) return false;
    const auto* start = reinterpret_cast<const char*>(data_.data() + header.contentOffset);
    out.assign(start, static_cast<std::size_t>(header.count));
    return true;
  }
  if (!contentFits(header, 2) || !countBytes(header.count * 2)) return false;
  out.clear();
  out.reserve(static_cast<std::size_t>(header.count));
  for (std::uint64_t i = 0; i < header.count; ++i) {
    char32_t unit = static_cast<char32_t>(readBigEndian(static_cast<std::size_t>(header.contentOffset + 2 * i), 2));
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < header.count) {
      const auto low = static_cast<char32_t>(
          readBigEndian(static_cast<std::size_t>(header.contentOffset + 2 * (i + 1)), 2));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    appendUtf8(out, unit);
  }
  return true;
}

bool BinaryPropertyListReader::readScalar(const ObjectHeader& header, PlistValue& out) {
  ObjectHeader fixed = header;
  fixed.count = 1;
  switch (header.type) {
    case kSimple:
      if (header.info == 0x8 || header.info == 0x9) {
        out = PlistValue(header.info == 0x9);
        return true;
      }
      return fail("it holds a null or fill object, which is no property-list value");
    case kInteger: return readInteger(header, out);
    case kReal: {
      if (header.info != 2 && header.info != 3) return fail("a real number has an invalid size");
      if (!contentFits(fixed, 1u << header.info)) return false;
      if (header.info == 2)
        out = PlistValue(static_cast<double>(
            std::bit_cast<float>(static_cast<std::uint32_t>(readBigEndian(header.contentOffset, 4)))));
      else
        out = PlistValue(std::bit_cast<double>(readBigEndian(header.contentOffset, 8)));
      return true;
    }
    case kDate:
      if (header.info != 3 || !contentFits(fixed, 8)) return fail("a date is malformed");
      out = PlistValue(NSDate{std::bit_cast<double>(readBigEndian(header.contentOffset, 8))});
      return true;
    case kData: {
      if (!contentFits(header, 1) || !countBytes(header.count)) return false;
      const auto* start = data_.data() + header.contentOffset;
      out = PlistValue(NSData{{start, start + header.count}});
      return true;
    }
    case kAsciiString:
    case kUtf16String: {
      std::string text;
      if (!readString(header, text)) return false;
      out = PlistValue(std::move(text));
      return true;
    }
    case kUid: {
      if (header.info > 7) return fail("a UID has an invalid size");
      if (!contentFits(fixed, header.info + 1)) return false;
      // As the platform shows a keyed archiver's reference.
      PlistValue::Dictionary reference;
      reference["CF$UID"] =
          PlistValue(static_cast<unsigned long long>(readBigEndian(header.contentOffset, header.info + 1)));
      out = PlistValue(std::move(reference));
      return true;
    }
    case kOrderedSet:
    case kSet: return fail("it holds a set, which property lists of the platform do not use");
    default: return fail("it holds an object of unknown type " + std::to_string(header.type));
  }
}

bool BinaryPropertyListReader::visit(std::uint64_t object) {
  if (!countObject()) return false;
  ObjectHeader header;
  if (!objectHeader(object, header)) return false;
  if (header.type != kArray && header.type != kDictionary) {
    PlistValue value;
    if (!readScalar(header, value)) return false;
    deliver(std::move(value));
    return true;
  }
  if (onPath_[object])
    return fail("object " + std::to_string(object) + " contains itself (a reference cycle)");
  if (path_.size() >= static_cast<std::size_t>(limits_.maximumDepth))
    return fail("it is nested deeper than " + std::to_string(limits_.maximumDepth) + " levels");
  const bool dictionary = header.type == kDictionary;
  if (!contentFits(header, std::uint64_t(trailer_.referenceSize) * (dictionary ? 2 : 1))) return false;
  Frame& frame = path_.emplace_back();
  frame.object = object;
  frame.isDictionary = dictionary;
  frame.referencesOffset = header.contentOffset;
  frame.referenceCount = dictionary ? header.count * 2 : header.count;
  // The count is checked against the data, not yet against the object limit.
  const auto expected = static_cast<std::size_t>(std::min<std::uint64_t>(header.count, limits_.maximumObjects));
  if (dictionary)
    frame.keys.reserve(expected);
  else
    frame.elements.reserve(expected);
  onPath_[object] = true;
  return true;
}

bool BinaryPropertyListReader::visitKey(std::uint64_t object) {
  if (!countObject()) return false;
  ObjectHeader header;
  if (!objectHeader(object, header)) return false;
  if (header.type != kAsciiString && header.type != kUtf16String) return fail("a dictionary key is not a string");
  std::string key;
  if (!readString(header, key)) return false;
  path_.back().keys.push_back(std::move(key));
  return true;
}

void BinaryPropertyListReader::deliver(PlistValue value) {
  if (path_.empty()) {
    result_ = std::move(value);
    return;
  }
  Frame& frame = path_.back();
  if (!frame.isDictionary) {
    frame.elements.push_back(std::move(value));
    return;
  }
  // The reference just visited is value number (next - 1 - keys).
  const std::size_t index = static_cast<std::size_t>(frame.next - 1 - frame.referenceCount / 2);
  frame.dictionary.insert_or_assign(frame.keys[index], std::move(value));
}

std::optional<PlistValue> BinaryPropertyListReader::read(std::string* error) {
  error_.clear();
  path_.clear();
  result_.reset();
  objects_ = 0;
  bytes_ = 0;
  bool ok = readTrailer();
  if (ok) {
    onPath_.assign(static_cast<std::size_t>(trailer_.objectCount), false);
    ok = visit(trailer_.rootObject);
  }
  while (ok && !path_.empty()) {
    Frame& frame = path_.back();
    if (frame.next == frame.referenceCount) {
      onPath_[frame.object] = false;
      PlistValue finished = frame.isDictionary ? PlistValue(std::move(frame.dictionary))
                                               : PlistValue(std::move(frame.elements));
      path_.pop_back();
      deliver(std::move(finished));
      continue;
    }
    const std::size_t at = static_cast<std::size_t>(frame.referencesOffset + frame.next * trailer_.referenceSize);
    const std::uint64_t reference = readBigEndian(at, trailer_.referenceSize);
    const bool isKey = frame.isDictionary && frame.next < frame.referenceCount / 2;
    ++frame.next;  // `frame` may dangle after the visit below opens a new frame
    ok = isKey ? visitKey(reference) : visit(reference);
  }
  if (!ok) {
    if (error) *error = error_;
    path_.clear();
    return std::nullopt;
  }
  if (error) error->clear();
  return std::move(result_);
}

}  // namespace kavro::platform::foundation
