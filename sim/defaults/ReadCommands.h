#pragma once
// The commands that only read: `read DOMAIN [KEY]`, `read-type DOMAIN KEY` and
// `domains`.

#include "sim/defaults/CommandContext.h"

namespace kavro::defaults {

class ReadCommands {
 public:
  static int read(CommandContext& context, Arguments arguments);
  static int readType(CommandContext& context, Arguments arguments);
  static int domains(CommandContext& context, Arguments arguments);

  // The word `read-type` prints for a value's type ("boolean", "integer",
  // "float", "string", "data", "date", "array", "dictionary").
  static const char* typeWord(const PlistValue& value);
};

}  // namespace kavro::defaults
