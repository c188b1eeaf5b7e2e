#pragma once
// What the device records for observers (the simulator's log): sounds played,
// haptic taps, notifications posted, relaunch requests, presentations and
// dismissals, and what its host adds (applications opened).

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace kavro::platform {

struct DeviceEvent {
  // A list of names (the files of a reload) is the one field that is no scalar.
  using Field = std::variant<std::int64_t, double, std::string, bool, std::vector<std::string>>;
  std::uint64_t sequence = 0;
  double time = 0;
  std::string process;
  std::string event;
  std::vector<std::pair<std::string, Field>> fields;

  const Field* field(const std::string& name) const {
    for (auto& [key, value] : fields)
      if (key == name) return &value;
    return nullptr;
  }
};

}  // namespace kavro::platform
