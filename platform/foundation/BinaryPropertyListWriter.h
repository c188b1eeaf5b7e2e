#pragma once
// Writes a property list in the binary format ("bplist00") the platform stores
// preferences in. Every value a PlistValue holds is written exactly: integers from
// -2^63 to 2^64 - 1 (those from 2^63 as 16-byte integers, as the platform does),
// reals and dates as 8-byte doubles whatever their range, data, and strings as
// ASCII or UTF-16. Equal strings, numbers, dates and data are written once and
// referenced wherever they occur; offsets and references take 1, 2, 4 or 8 bytes.
//
// Text that is not valid UTF-8 has no exact form in the format: the writer refuses
// it (callers repair it first, see Utf8Text.h). Nil cannot be written either.

#include "platform/foundation/PlistValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kavro::platform::foundation {

class BinaryPropertyListWriter {
 public:
  // The bytes of `root`; nothing, with the reason in `error`, for nil or text that
  // is not UTF-8. Callers limit the nesting depth.
  static std::optional<std::vector<std::uint8_t>> write(const PlistValue& root, std::string* error);
};

}  // namespace kavro::platform::foundation
