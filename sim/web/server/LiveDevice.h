#pragma once
// The simulator as the web server runs it: a device clock that follows a real
// clock, the frames of the front-most screen, and what changed since the front
// ends last looked. It is used from one thread only (the server's): nothing here
// locks.
//
// Before an input the server brings the device's clock up to the real time
// (catchUp), so the input happens at the device time it happened for the person,
// then applies it through input() and reports it with inputApplied().

#include "sim/core/Input.h"
#include "sim/core/Readings.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kavro::sim {

class Simulator;

class LiveDevice {
 public:
  // Seconds on a monotonic real clock.
  using Clock = std::function<double()>;

  // The simulator's device clock follows `clock` from now on; without one it
  // follows the steady clock.
  explicit LiveDevice(Simulator& simulator, Clock clock = {});
  LiveDevice(const LiveDevice&) = delete;
  LiveDevice& operator=(const LiveDevice&) = delete;

  Simulator& simulator() { return simulator_; }
  Input& input();
  Readings& readings();

  // Runs what has fallen due on the device since the last call, and brings its
  // clock up to the real time. Work that throws is not run again: the exception
  // comes out of this call, and the next call goes on from there (a clock that
  // goes back is not followed).
  void catchUp();
  // An input (or any change made from outside) was applied.
  void inputApplied() { ++changes_; }
  // Whether the picture may change on its own right now (an animation runs).
  bool isAnimating() const;
  // Real seconds until the device next has work to run (queued work), or a large
  // number when it has none.
  double secondsUntilNextWork() const;
  // Counts the changes that may have altered the screen or the stored values:
  // inputs, and work the device ran.
  std::uint64_t changeCount() const { return changes_; }

  // The front-most screen now: {"type": "frame", "seq", "t", picture members}. A
  // new tree is made only when something may have changed (an input, work that
  // ran, an animation in flight); `seq` changes only when the picture does.
  struct Frame {
    std::uint64_t sequence = 0;
    std::shared_ptr<const std::string> json;
  };
  Frame frame();

  // What the page shows beside the phone: {"type": "panel", "prefs",
  // "prefsFile", "appearance", "process", "address", "bundles", "domains",
  // "reloadErrors", "t"}; "domains" holds the stored values of every domain the
  // bundles name, by name.
  nlohmann::json panel();
  // The screen's size and the system's bars, for the page to lay the phone out.
  static nlohmann::json screen();

 private:
  Simulator& simulator_;
  Clock clock_;
  double lastClock_ = 0;
  // Device time still to make up after work threw.
  double behind_ = 0;
  std::uint64_t changes_ = 0;

  // The latest frame, and what it was made from.
  Frame frame_;
  std::string framePicture_;
  std::uint64_t frameChanges_ = ~std::uint64_t{0};
  double framePictureTime_ = 0;  // the device time of the latest picture
};

}  // namespace kavro::sim
