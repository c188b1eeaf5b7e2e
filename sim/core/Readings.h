#pragma once
// Everything the front ends read from the simulated iPhone: the dump (the state as
// scripts see it), the stored domain, the device's events, and the picture of the
// front-most screen as a render tree. Reading changes nothing on the device (only
// a consuming dump moves the dump's own cursor through the events).

#include "sim/render/RenderTree.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
#include <string>

namespace kavro::sim {

class Simulator;
class Dumper;

class Readings {
 public:
  // How many of the latest events a non-consuming state holds.
  static constexpr std::size_t kStateLogLength = 200;

  explicit Readings(Simulator& simulator);
  ~Readings();
  Readings(const Readings&) = delete;
  Readings& operator=(const Readings&) = delete;

  // The state with the events since the previous consuming dump; they then count
  // as seen (the script's `dump`).
  nlohmann::json dump();
  // The state without consuming anything, its log cut to the latest
  // kStateLogLength events (`expect`, `GET /api/state`).
  nlohmann::json state();
  // {"prefs": the stored domain, "prefsFile": whether its file exists}.
  nlohmann::json prefs();
  // The events after sequence `after`, at most `limit` (the latest), as the dump
  // shows them plus their "seq".
  nlohmann::json eventsAfter(std::uint64_t after, std::size_t limit = kStateLogLength);
  std::uint64_t lastEventSequence() const;
  // The bundles whose latest reinstall failed (their files could not be read),
  // sorted by name: [{"bundle", "file", "line", "error"}]; empty when none did.
  nlohmann::json reloadProblems() const;

  // The front-most screen as JSON members (no braces): "process", "appearance",
  // "w", "h", "root" (the window's render tree) and "chrome" (the system's drawing
  // over it). Lays the window out first.
  std::string picture();
  // When the animations of the latest picture end, on the device's clock.
  double pictureAnimationsEnd() const { return renderTree_.animationsEnd(); }
  ImageAssets& assets() { return assets_; }

 private:
  Simulator& simulator_;
  std::unique_ptr<Dumper> dumper_;
  ImageAssets assets_;
  RenderTree renderTree_;
};

}  // namespace kavro::sim
