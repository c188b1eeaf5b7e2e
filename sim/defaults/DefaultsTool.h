#pragma once
// kavro-defaults: reads and writes the preference domains of a simulated device from
// the command line, in the language of the platform's `defaults` tool. This class
// reads the options and hands the command to its handler (ReadCommands,
// WriteCommands, TransferCommands, FindCommand); docs/kavro-defaults.md is the
// manual, CommandContext says what the exit statuses mean.

#include "sim/defaults/CommandContext.h"

#include <iostream>
#include <ostream>
#include <string>
#include <vector>

namespace kavro::defaults {

class DefaultsTool {
 public:
  static constexpr int kSuccess = CommandContext::kSuccess;
  static constexpr int kFailure = CommandContext::kFailure;
  static constexpr int kBadArguments = CommandContext::kBadArguments;

  DefaultsTool(std::ostream& out, std::ostream& err, std::istream& in = std::cin) : out_(out), err_(err), in_(in) {}
  // `arguments` without the program name.
  int run(const std::vector<std::string>& arguments);

 private:
  std::ostream& out_;
  std::ostream& err_;
  std::istream& in_;
};

}  // namespace kavro::defaults
