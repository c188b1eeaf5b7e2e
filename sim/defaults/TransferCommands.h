#pragma once
// The commands that move a whole domain between the store and a file:
// `import DOMAIN PATH|-` (a property list in any of the three formats, whose top
// level is a dictionary, replaces the domain) and `export DOMAIN PATH|-` (the
// domain as an XML property list, to a file replaced atomically or to standard
// output).

#include "sim/defaults/CommandContext.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace kavro::defaults {

class TransferCommands {
 public:
  static int importDomain(CommandContext& context, Arguments arguments);
  static int exportDomain(CommandContext& context, Arguments arguments);

 private:
  // The property list at `source` ("-" for standard input); nothing, with a
  // message said, when it cannot be read.
  static std::optional<PlistValue> readSource(CommandContext& context, const std::string& source);
  // Standard input, up to the largest property list the reader takes.
  static std::optional<std::vector<std::uint8_t>> readStandardInput(CommandContext& context);
};

}  // namespace kavro::defaults
