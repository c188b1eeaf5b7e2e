#pragma once
// The commands that change one domain: `write` (every form), `rename` and
// `delete`. Each parses all of its arguments before it touches the store, and
// makes its change as one locked read-modify-write of the whole domain, so a
// refused command writes nothing and concurrent writers never lose each other's
// changes.

#include "sim/defaults/CommandContext.h"
#include "sim/defaults/ValueArguments.h"

namespace kavro::defaults {

class WriteCommands {
 public:
  static int write(CommandContext& context, Arguments arguments);
  static int rename(CommandContext& context, Arguments arguments);
  static int remove(CommandContext& context, Arguments arguments);

 private:
  // `write DOMAIN PLIST`: the domain replaced with the dictionary PLIST holds.
  static int replaceDomain(CommandContext& context, const std::string& domain, const std::string& text);
  static int store(CommandContext& context, const std::string& domain, const std::string& key,
                   const ValueRequest& request);
};

}  // namespace kavro::defaults
