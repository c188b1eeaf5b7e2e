#pragma once
// Reads a binary property list ("bplist00") as the format defines it, trusting
// nothing in it: offsets and references of 1 to 8 bytes, every offset, length and
// reference checked against the data, no reference cycles, no nesting deeper than
// the limit, and no more than a limit of objects and bytes once shared references
// are expanded (each reference to a shared object makes a copy in the result).
//
// The object graph is walked without recursion and each container's references in
// order, so reading costs time in proportion to the objects it yields.
//
// What it yields, by the object's type: booleans; integers of 1, 2 and 4 bytes
// (unsigned), 8 bytes (signed) and 16 bytes (from -2^63 to 2^64 - 1); reals of 4
// and 8 bytes; dates (seconds since 2001 as a double, kept exactly); data; ASCII
// strings byte for byte; UTF-16 strings as UTF-8 (a lone surrogate kept in the
// three-byte form, see Utf8Text.h); UIDs as {"CF$UID": N}, as the platform shows
// them; arrays; dictionaries with string keys (a key given twice keeps its last
// value). Null, fill and set objects are no property-list values and are refused.

#include "platform/foundation/PlistValue.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kavro::platform::foundation {

class BinaryPropertyListReader {
 public:
  // What the caller allows (NSPropertyListSerialization passes its own limits).
  struct Limits {
    int maximumDepth;
    std::size_t maximumObjects;
    // Bytes of strings and data in the result, shared ones counted at every reference.
    std::size_t maximumBytes = 256u << 20;
  };

  BinaryPropertyListReader(std::span<const std::uint8_t> data, Limits limits);

  // The root value; nothing, with the reason in `error`, for data that is not a
  // well-formed binary property list within the limits.
  std::optional<PlistValue> read(std::string* error);

 private:
  struct Trailer {
    unsigned offsetSize = 0;
    unsigned referenceSize = 0;
    std::uint64_t objectCount = 0;
    std::uint64_t rootObject = 0;
    std::uint64_t offsetTableOffset = 0;
  };
  // An object's marker and the place and size of its content.
  struct ObjectHeader {
    unsigned type = 0;
    unsigned info = 0;
    std::uint64_t count = 0;
    std::size_t contentOffset = 0;
  };
  // A container being read: its references are visited in order, a dictionary's
  // keys first, and the values read so far collect here.
  struct Frame {
    std::uint64_t object = 0;
    bool isDictionary = false;
    std::size_t referencesOffset = 0;
    std::uint64_t referenceCount = 0;
    std::uint64_t next = 0;
    PlistValue::Array elements;
    std::vector<std::string> keys;
    PlistValue::Dictionary dictionary;
  };

  bool fail(const std::string& reason);
  std::uint64_t readBigEndian(std::size_t offset, unsigned size) const;
  bool readTrailer();
  bool objectHeader(std::uint64_t object, ObjectHeader& header);
  bool contentFits(const ObjectHeader& header, std::uint64_t unitSize);
  bool countObject();
  bool countBytes(std::uint64_t bytes);
  bool readInteger(const ObjectHeader& header, PlistValue& out);
  bool readString(const ObjectHeader& header, std::string& out);
  bool readScalar(const ObjectHeader& header, PlistValue& out);
  // Reads the object, or opens a frame for it when it is a container.
  bool visit(std::uint64_t object);
  bool visitKey(std::uint64_t object);
  // Hands a finished value to the frame below, or makes it the result.
  void deliver(PlistValue value);

  std::span<const std::uint8_t> data_;
  Limits limits_;
  Trailer trailer_;
  std::vector<Frame> path_;
  std::vector<bool> onPath_;
  std::size_t objects_ = 0;
  std::uint64_t bytes_ = 0;
  std::optional<PlistValue> result_;
  std::string error_;
};

}  // namespace kavro::platform::foundation
