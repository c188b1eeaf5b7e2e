#include "sim/defaults/DeviceLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace kavro::defaults {

namespace {

std::optional<std::string> nonEmptyVariable(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

std::optional<std::filesystem::path> homeFolder() {
  if (auto home = nonEmptyVariable("HOME")) return std::filesystem::path(*home);
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && *entry->pw_dir)
    return std::filesystem::path(entry->pw_dir);
  return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> DeviceLocation::choose(const std::optional<std::string>& option,
                                                            std::string* error) {
  if (option) return std::filesystem::path(*option);
  if (auto variable = nonEmptyVariable("KAVRO_DEVICE")) return std::filesystem::path(*variable);
  std::filesystem::path dataHome;
  if (auto variable = nonEmptyVariable("XDG_DATA_HOME")) {
    dataHome = *variable;
  } else if (auto home = homeFolder()) {
    dataHome = *home / ".local" / "share";
  } else {
    if (error) *error = "no device folder: give --device DIR or set KAVRO_DEVICE (HOME is not set)";
    return std::nullopt;
  }
  return dataHome / "kavroprefs" / "device";
}

}  // namespace kavro::defaults
