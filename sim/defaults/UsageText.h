#pragma once
// The usage kavro-defaults prints for `help` and after bad arguments: every command
// and value type in one screen. docs/kavro-defaults.md tells the whole of it.

namespace kavro::defaults {

class UsageText {
 public:
  static const char* usage();
  // One line: the command's shape and where the rest is.
  static const char* shortUsage();
};

}  // namespace kavro::defaults
