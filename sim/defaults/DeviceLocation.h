#pragma once
// Which device folder a command-line tool works on, chosen as the simulator
// chooses it: the --device option, else $KAVRO_DEVICE, else
// $XDG_DATA_HOME/kavroprefs/device with XDG_DATA_HOME defaulting to ~/.local/share.

#include <filesystem>
#include <optional>
#include <string>

namespace kavro::defaults {

class DeviceLocation {
 public:
  // Nothing, with the reason in `error`, when no rule gives a folder (no option,
  // no variables and no home folder).
  static std::optional<std::filesystem::path> choose(const std::optional<std::string>& option,
                                                     std::string* error);
};

}  // namespace kavro::defaults
