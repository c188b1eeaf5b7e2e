#include "sim/devicefolder/DeviceFolder.h"

#include <cstdlib>

namespace kavro::sim {

namespace fs = std::filesystem;

namespace {

// A variable that is set and not empty (an empty one counts as unset, as the XDG
// rules and most shells' users mean it).
std::optional<std::string> variable(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

std::optional<fs::path> absoluteVariable(const char* name) {
  auto value = variable(name);
  if (!value || !fs::path(*value).is_absolute()) return std::nullopt;
  return fs::path(*value);
}

}  // namespace

fs::path chooseDeviceFolder(const std::optional<std::string>& deviceOption) {
  if (deviceOption) {
    if (deviceOption->empty()) throw DeviceFolderError("--device needs a folder, not an empty name");
    return fs::path(*deviceOption);
  }
  if (auto device = variable("KAVRO_DEVICE")) return fs::path(*device);
  if (auto dataHome = absoluteVariable("XDG_DATA_HOME")) return *dataHome / "kavroprefs" / "device";
  if (auto home = absoluteVariable("HOME")) return *home / ".local" / "share" / "kavroprefs" / "device";
  throw DeviceFolderError(
      "no device folder: give --device DIR or set KAVRO_DEVICE (neither XDG_DATA_HOME nor HOME is an "
      "absolute path)");
}

}  // namespace kavro::sim
