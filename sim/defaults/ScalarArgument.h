#pragma once
// One value given on the command line after a type flag: `-string TEXT`,
// `-data HEX`, `-int`/`-integer N`, `-float X`, `-bool`/`-boolean WORD` and
// `-date DATE` (DateArgument).

#include "platform/foundation/PlistValue.h"

#include <optional>
#include <string>
#include <string_view>

namespace kavro::defaults {

class ScalarArgument {
 public:
  // Whether `flag` names the type of one value (not -array or -dict).
  static bool isScalarType(std::string_view flag);
  // The value `text` stands for as the type `flag` names; nothing, with what is
  // wrong in `problem`, when it stands for none.
  static std::optional<PlistValue> parse(std::string_view flag, const std::string& text, std::string& problem);

  // yes, no, true, false, 1 or 0, in any letter case.
  static std::optional<PlistValue> parseBoolean(const std::string& text);
  // A decimal integer from -2^63 to 2^63 - 1, with an optional sign.
  static std::optional<PlistValue> parseInteger(const std::string& text);
  // A finite decimal or hexadecimal floating-point number.
  static std::optional<PlistValue> parseReal(const std::string& text);
  // Pairs of hexadecimal digits, in any letter case; none is empty data.
  static std::optional<PlistValue> parseData(const std::string& text);
};

}  // namespace kavro::defaults
