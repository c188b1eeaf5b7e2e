#pragma once
// The simulator's state as one JSON object: the stored domain, the front-most page
// and what it shows, and the device's events since the previous dump.

#include <nlohmann/json.hpp>

#include <cstdint>

namespace kavro::platform {
struct DeviceEvent;
}

namespace kavro::sim {

class Simulator;

class Dumper {
 public:
  explicit Dumper(Simulator& simulator) : simulator_(simulator) {}
  // The state now. With `consumeLog`, the events it reports count as seen, so the
  // next dump starts after them.
  nlohmann::json dump(bool consumeLog);

  // A number as the dump shows it: whole numbers as integers, others rounded to
  // 1e-6 (no 0.30000000000000004).
  static nlohmann::json number(double value);
  // An event of the device's log as the dump shows it.
  static nlohmann::json event(const kavro::platform::DeviceEvent& event);

 private:
  Simulator& simulator_;
  std::uint64_t lastEvent_ = 0;
};

}  // namespace kavro::sim
