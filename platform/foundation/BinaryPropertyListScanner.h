#pragma once
// Checks a binary property list ("bplist00") before libplist parses it. libplist
// 2.2 follows object references recursively and trusts what it reads, so the
// scanner walks the object graph itself, without recursion: every offset, length
// and reference within bounds, no reference cycles, no nesting deeper than the
// limit and no more objects than the limit (shared references are counted each
// time they are met, as libplist expands them into copies).
//
// It also keeps the exact value of every date, in the order of that walk, because
// libplist 2.2 hands dates out only as whole seconds plus microseconds and loses
// the sign of dates between -1 and 0 seconds.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kavro::foundation {

class BinaryPropertyListScanner {
 public:
  BinaryPropertyListScanner(std::span<const std::uint8_t> data, int maximumDepth,
                            std::size_t maximumObjects);

  // True when the data is a well-formed binary property list within the limits;
  // otherwise false, with the reason in `error`.
  bool scan(std::string* error);
  // Dates in depth-first order: array elements in order, dictionary values in order.
  const std::vector<double>& dates() const { return dates_; }

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
  // A container on the path from the root to the object being visited.
  struct Frame {
    std::uint64_t object = 0;
    std::size_t referencesOffset = 0;
    std::uint64_t referenceCount = 0;
    std::uint64_t keyCount = 0;  // the first keyCount references are dictionary keys
    std::uint64_t next = 0;
  };

  bool fail(const std::string& reason);
  std::uint64_t readBigEndian(std::size_t offset, unsigned size) const;
  bool readTrailer();
  bool objectHeader(std::uint64_t object, ObjectHeader& header);
  bool contentFits(const ObjectHeader& header, std::uint64_t unitSize);
  bool checkScalar(const ObjectHeader& header);
  bool checkUtf16(const ObjectHeader& header);
  bool visit(std::uint64_t object);
  bool visitKey(std::uint64_t object);

  std::span<const std::uint8_t> data_;
  int maximumDepth_;
  std::size_t maximumObjects_;
  Trailer trailer_;
  std::vector<Frame> path_;
  std::vector<bool> onPath_;
  std::size_t visited_ = 0;
  std::vector<double> dates_;
  std::string error_;
};

}  // namespace kavro::foundation
