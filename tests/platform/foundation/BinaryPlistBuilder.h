#pragma once
// Builds binary property lists object by object, so that tests can make the
// malformed and hostile ones no writer would produce.

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace kavro::test {

class BinaryPlistBuilder {
 public:
  using Bytes = std::vector<std::uint8_t>;

  unsigned referenceSize = 2;
  unsigned offsetSize = 4;
  std::uint64_t root = 0;

  // Adds an object; returns its number.
  std::uint64_t add(Bytes object) {
    objects_.push_back(std::move(object));
    return objects_.size() - 1;
  }

  Bytes array(const std::vector<std::uint64_t>& references) const {
    Bytes bytes = marker(0xA, references.size());
    for (auto reference : references) append(bytes, reference, referenceSize);
    return bytes;
  }
  Bytes dictionary(const std::vector<std::uint64_t>& keys, const std::vector<std::uint64_t>& values) const {
    Bytes bytes = marker(0xD, keys.size());
    for (auto key : keys) append(bytes, key, referenceSize);
    for (auto value : values) append(bytes, value, referenceSize);
    return bytes;
  }
  static Bytes ascii(const std::string& text) {
    Bytes bytes = marker(0x5, text.size());
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
  }
  static Bytes date(double seconds) {
    Bytes bytes{0x33};
    append(bytes, std::bit_cast<std::uint64_t>(seconds), 8);
    return bytes;
  }
  static Bytes integer(std::uint8_t value) { return Bytes{0x10, value}; }

  // The whole file. `declaredObjects` and `declaredTableOffset`, when given, replace
  // the true values in the trailer.
  Bytes build(std::uint64_t declaredObjects = 0, std::uint64_t declaredTableOffset = 0) const {
    Bytes file{'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    std::vector<std::uint64_t> offsets;
    for (const auto& object : objects_) {
      offsets.push_back(file.size());
      file.insert(file.end(), object.begin(), object.end());
    }
    const std::uint64_t tableOffset = file.size();
    for (auto offset : offsets) append(file, offset, offsetSize);
    Bytes trailer(6, 0);
    trailer.push_back(static_cast<std::uint8_t>(offsetSize));
    trailer.push_back(static_cast<std::uint8_t>(referenceSize));
    append(trailer, declaredObjects ? declaredObjects : objects_.size(), 8);
    append(trailer, root, 8);
    append(trailer, declaredTableOffset ? declaredTableOffset : tableOffset, 8);
    file.insert(file.end(), trailer.begin(), trailer.end());
    return file;
  }

  // A marker with its count, followed by an 8-byte length when the count is large.
  static Bytes marker(std::uint8_t type, std::uint64_t count) {
    if (count < 15) return Bytes{static_cast<std::uint8_t>(type << 4 | count)};
    Bytes bytes{static_cast<std::uint8_t>(type << 4 | 0xF), 0x13};
    append(bytes, count, 8);
    return bytes;
  }
  static void append(Bytes& bytes, std::uint64_t value, unsigned size) {
    for (unsigned i = size; i-- > 0;) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }

 private:
  std::vector<Bytes> objects_;
};

}  // namespace kavro::test
