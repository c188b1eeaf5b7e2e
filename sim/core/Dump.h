#pragma once
// The simulator's state as one JSON object: the stored domain, the front-most page
// and what it shows, and the device's events since the previous dump. Each member
// is one entry of a table: the core's own (in Dump.cpp) followed by those the
// applications add (the home screen's `menu`).

#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/UITraitCollection.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string_view>
#include <vector>

namespace kavro::platform {
struct DeviceEvent;
class Process;
}  // namespace kavro::platform

namespace kavro::sim {

class Screen;
class Simulator;

// What a member of the dump is read from: the front-most process (current while
// members are read), its screen, laid out, and the style its views show in.
struct DumpContext {
  Simulator& simulator;
  kavro::platform::Process& process;
  const Screen& screen;
  UIUserInterfaceStyle style;
};

// One member of the dump: its name and its value now.
struct DumpMember {
  std::string_view name;
  nlohmann::json (*value)(const DumpContext& context);
};

class Dumper {
 public:
  explicit Dumper(Simulator& simulator) : simulator_(simulator) {}
  // The state now. With `consumeLog`, the events it reports count as seen, so the
  // next dump starts after them.
  nlohmann::json dump(bool consumeLog);

  // The core's own members, but the log (which the dumper keeps the cursor of).
  static const std::vector<DumpMember>& coreMembers();

  // A number as the dump shows it: whole numbers as integers, others rounded to
  // 1e-6 (no 0.30000000000000004).
  static nlohmann::json number(double value);
  // A frame as the dump shows it: [x, y, width, height].
  static nlohmann::json frame(const CGRect& frame);
  // An event of the device's log as the dump shows it.
  static nlohmann::json event(const kavro::platform::DeviceEvent& event);
  // The preference domain as stored, {} when it has no values (the current
  // process's view of it).
  static nlohmann::json storedPreferences();

 private:
  Simulator& simulator_;
  std::uint64_t lastEvent_ = 0;
};

}  // namespace kavro::sim
