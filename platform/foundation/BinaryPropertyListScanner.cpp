#include "platform/foundation/BinaryPropertyListScanner.h"

#include <bit>
#include <cstring>

namespace kavro::foundation {

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

bool isValidWidth(unsigned size) { return size == 1 || size == 2 || size == 4 || size == 8; }

}  // namespace

BinaryPropertyListScanner::BinaryPropertyListScanner(std::span<const std::uint8_t> data,
                                                     int maximumDepth, std::size_t maximumObjects)
    : data_(data), maximumDepth_(maximumDepth), maximumObjects_(maximumObjects) {}

bool BinaryPropertyListScanner::fail(const std::string& reason) {
  if (error_.empty()) error_ = reason;
  return false;
}

std::uint64_t BinaryPropertyListScanner::readBigEndian(std::size_t offset, unsigned size) const {
  std::uint64_t value = 0;
  for (unsigned i = 0; i < size; ++i) value = (value << 8) | data_[offset + i];
  return value;
}

bool BinaryPropertyListScanner::readTrailer() {
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
                " bytes (1, 2, 4 or 8 expected)");
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

bool BinaryPropertyListScanner::objectHeader(std::uint64_t object, ObjectHeader& header) {
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

bool BinaryPropertyListScanner::contentFits(const ObjectHeader& header, std::uint64_t unitSize) {
  const std::uint64_t end = trailer_.offsetTableOffset;
  if (header.contentOffset > end || header.count > (end - header.contentOffset) / unitSize)
    return fail("an object declares " + std::to_string(header.count) +
                " elements, more than the data holds");
  return true;
}

bool BinaryPropertyListScanner::checkUtf16(const ObjectHeader& header) {
  for (std::uint64_t i = 0; i < header.count; ++i) {
    const auto unit = readBigEndian(static_cast<std::size_t>(header.contentOffset + 2 * i), 2);
    if (unit >= 0xDC00 && unit <= 0xDFFF) return fail("a string holds an unpaired UTF-16 surrogate");
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      const auto low = i + 1 < header.count
                           ? readBigEndian(static_cast<std::size_t>(header.contentOffset + 2 * (i + 1)), 2)
                           : 0;
      if (low < 0xDC00 || low > 0xDFFF) return fail("a string holds an unpaired UTF-16 surrogate");
      ++i;
    }
  }
  return true;
}

bool BinaryPropertyListScanner::checkScalar(const ObjectHeader& header) {
  ObjectHeader fixed = header;
  fixed.count = 1;
  switch (header.type) {
    case kSimple:
      if (header.info == 0x8 || header.info == 0x9) return true;
      return fail("it holds a null or fill object, which is no property-list value");
    case kInteger:
      if (header.info > 4) return fail("an integer has an invalid size");
      return contentFits(fixed, 1u << header.info);
    case kReal:
      if (header.info != 2 && header.info != 3) return fail("a real number has an invalid size");
      return contentFits(fixed, 1u << header.info);
    case kDate: {
      if (header.info != 3 || !contentFits(fixed, 8)) return fail("a date is malformed");
      const std::uint64_t bits = readBigEndian(header.contentOffset, 8);
      dates_.push_back(std::bit_cast<double>(bits));
      return true;
    }
    case kData:
    case kAsciiString: return contentFits(header, 1);
    case kUtf16String: return contentFits(header, 2) && checkUtf16(header);
    case kUid:
      if (header.info > 7) return fail("a UID has an invalid size");
      return contentFits(fixed, header.info + 1);
    case kOrderedSet:
    case kSet: return fail("it holds a set, which property lists of the platform do not use");
    default: return fail("it holds an object of unknown type " + std::to_string(header.type));
  }
}

bool BinaryPropertyListScanner::visit(std::uint64_t object) {
  if (++visited_ > maximumObjects_)
    return fail("it expands to more than " + std::to_string(maximumObjects_) + " objects");
  ObjectHeader header;
  if (!objectHeader(object, header)) return false;
  if (header.type != kArray && header.type != kDictionary) return checkScalar(header);
  if (onPath_[object])
    return fail("object " + std::to_string(object) + " contains itself (a reference cycle)");
  if (path_.size() >= static_cast<std::size_t>(maximumDepth_))
    return fail("it is nested deeper than " + std::to_string(maximumDepth_) + " levels");
  const bool dictionary = header.type == kDictionary;
  if (!contentFits(header, std::uint64_t(trailer_.referenceSize) * (dictionary ? 2 : 1)))
    return false;
  Frame frame;
  frame.object = object;
  frame.referencesOffset = header.contentOffset;
  frame.referenceCount = dictionary ? header.count * 2 : header.count;
  frame.keyCount = dictionary ? header.count : 0;
  path_.push_back(frame);
  onPath_[object] = true;
  return true;
}

bool BinaryPropertyListScanner::visitKey(std::uint64_t object) {
  if (++visited_ > maximumObjects_)
    return fail("it expands to more than " + std::to_string(maximumObjects_) + " objects");
  ObjectHeader header;
  if (!objectHeader(object, header)) return false;
  if (header.type != kAsciiString && header.type != kUtf16String)
    return fail("a dictionary key is not a string");
  if (!checkScalar(header)) return false;
  // libplist aborts on a key with a NUL character in it.
  const unsigned unitSize = header.type == kAsciiString ? 1 : 2;
  for (std::uint64_t i = 0; i < header.count; ++i)
    if (readBigEndian(static_cast<std::size_t>(header.contentOffset + i * unitSize), unitSize) == 0)
      return fail("a dictionary key holds a NUL character");
  return true;
}

bool BinaryPropertyListScanner::scan(std::string* error) {
  error_.clear();
  path_.clear();
  dates_.clear();
  visited_ = 0;
  bool ok = readTrailer();
  if (ok) {
    onPath_.assign(static_cast<std::size_t>(trailer_.objectCount), false);
    ok = visit(trailer_.rootObject);
  }
  // Each container is a frame: its references are visited in order, keys first,
  // and the frame is dropped when all have been visited.
  while (ok && !path_.empty()) {
    Frame& frame = path_.back();
    if (frame.next == frame.referenceCount) {
      onPath_[frame.object] = false;
      path_.pop_back();
      continue;
    }
    const std::size_t at =
        static_cast<std::size_t>(frame.referencesOffset + frame.next * trailer_.referenceSize);
    const std::uint64_t reference = readBigEndian(at, trailer_.referenceSize);
    const bool isKey = frame.next < frame.keyCount;
    ++frame.next;  // `frame` may dangle after the visit below pushes a new frame
    ok = isKey ? visitKey(reference) : visit(reference);
  }
  if (!ok && error) *error = error_;
  return ok;
}

}  // namespace kavro::foundation
