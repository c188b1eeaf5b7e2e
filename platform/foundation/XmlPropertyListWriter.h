#pragma once
// Writes a property list as the platform's XML ("<plist version="1.0">"), indented
// with tabs as the platform writes it. Integers from -2^63 to 2^64 - 1, reals in
// their shortest exact form ("nan", "inf" and "-inf" for the special ones), data as
// base64, and dates as whole seconds in UTC ("2023-03-08T20:26:40Z"), the only form
// the XML format has for them: a fraction of a second is dropped.
//
// XML 1.0 has no form for the control characters other than tab, line feed and
// carriage return: they are written as character references (&#1;), which this
// project's reader takes back but strict XML readers refuse; NUL is refused. Text that is not valid
// UTF-8 is written with U+FFFD in place of each ill-formed sequence.

#include "platform/foundation/PlistValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kavro::platform::foundation {

class XmlPropertyListWriter {
 public:
  // Nothing, with the reason in `error`, for nil, a date that is not finite or
  // text holding a NUL character. Callers limit the nesting depth.
  static std::optional<std::vector<std::uint8_t>> write(const PlistValue& root, std::string* error);
};

}  // namespace kavro::platform::foundation
