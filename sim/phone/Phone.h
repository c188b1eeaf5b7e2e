#pragma once
// The simulated iPhone put together: the core (sim/core) with its two
// applications, Settings (sim/settings) and the home screen (sim/springboard).
// The one place that knows all three; kavro-sim, the tests and the benchmarks
// make their phone here, and the front ends take it as the core's Simulator.

#include "sim/core/Simulator.h"

#include <filesystem>
#include <vector>

namespace kavro::sim {

class SettingsApp;
class SpringBoardApp;

class Phone : public Simulator {
 public:
  // The phone's applications, Settings first (the order messages list them in).
  static std::vector<ApplicationKind> applications();

  // A phone on the device in `deviceFolder` (made from the sample device when it
  // is new), its home screen started.
  explicit Phone(const std::filesystem::path& deviceFolder);

  // The applications, each started with its process on first use.
  SettingsApp& settingsApp();
  SpringBoardApp& springBoardApp();
  kavro::platform::Process& settingsProcess();
  kavro::platform::Process& springBoardProcess();
};

}  // namespace kavro::sim
