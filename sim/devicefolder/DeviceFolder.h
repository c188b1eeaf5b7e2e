#pragma once
// Which folder holds the simulated device: the one rule kavro-sim and kavro-defaults
// both follow, so that a person who edits a device with one program looks at the
// same device with the other.
//
// 1. `--device DIR` when given; an empty DIR is an error, never "no option".
// 2. else $KAVRO_DEVICE when set and not empty;
// 3. else $XDG_DATA_HOME/kavroprefs/device when XDG_DATA_HOME is an absolute path
//    (the XDG base-directory rules ignore a relative one);
// 4. else $HOME/.local/share/kavroprefs/device when HOME is an absolute path;
// 5. else an error: there is no usable home to put a device in.
//
// Relative folders from --device and KAVRO_DEVICE are kept as given, relative to the
// working folder, as a person typing them means.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace kavro::sim {

// The reason no device folder could be chosen, in words a person can act on.
struct DeviceFolderError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// `deviceOption` is the --device option's value, nothing when it was not given.
// Throws DeviceFolderError.
std::filesystem::path chooseDeviceFolder(const std::optional<std::string>& deviceOption);

}  // namespace kavro::sim
