#pragma once
// The simulator as the web server shares it among its clients: one lock around
// every use of the simulator (it is single-threaded), a device clock that follows a
// real clock, the frames of the front-most screen, and the inputs a person gives.
// Every call takes the lock and first brings the device's clock up to the real
// time, so an input happens at the device time it happened for the person.

#include "platform/coregraphics/CGGeometry.h"
#include "sim/host/RenderTree.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>

class UISearchBar;

namespace kavro::sim {

class Simulator;
class Dumper;

// An input that cannot apply to the device as it is now (a move with no finger
// down, typing with no field being edited). Nothing was changed.
struct InputRefused : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class LiveDevice {
 public:
  // Seconds on a monotonic real clock.
  using Clock = std::function<double()>;
  enum class TouchPhase { down, move, up, cancel };

  // The simulator's device clock follows `clock` from now on; without one it
  // follows the steady clock.
  explicit LiveDevice(Simulator& simulator, Clock clock = {});
  ~LiveDevice();
  LiveDevice(const LiveDevice&) = delete;
  LiveDevice& operator=(const LiveDevice&) = delete;

  // Runs what has fallen due on the device since the last call (the ticker).
  void tick();

  // The front-most screen now: {"seq", "t", "process", "appearance", "root"}. `seq`
  // changes only when the picture does. A frame is made at most once per
  // `kFrameInterval` of real time unless an input came in since.
  struct Frame {
    std::uint64_t sequence = 0;
    std::shared_ptr<const std::string> json;
  };
  static constexpr double kFrameInterval = 1.0 / 120;
  Frame frame();

  // The state as `dump` shows it, without consuming the log; the log holds the
  // latest `kStateLogLength` events.
  static constexpr std::size_t kStateLogLength = 200;
  nlohmann::json state();
  // What the page shows beside the phone: the stored domain, the appearance, the
  // front process and the events after sequence `after` (at most kStateLogLength),
  // with "last", the sequence to ask after next time.
  nlohmann::json panel(std::uint64_t after);

  // Inputs. A touch point is in window points, held to the screen. Throw
  // InputRefused when the input cannot apply now.
  void touch(TouchPhase phase, std::optional<CGPoint> point);
  // Types into the field being edited, one character (UTF-8 sequence) at a time.
  void type(const std::string& text);
  void backspace(long count);
  void setDarkAppearance(bool dark);
  void openSettings();
  void openSpringboard();

  ImageAssets& assets() { return assets_; }

 private:
  void catchUp();
  std::shared_ptr<UISearchBar> editedField();

  std::mutex mutex_;
  Simulator& simulator_;
  Clock clock_;
  double lastClock_ = 0;
  ImageAssets assets_;
  RenderTree renderTree_;
  std::unique_ptr<Dumper> dumper_;

  // The latest frame, and what it was made from.
  Frame frame_;
  std::string frameTree_;
  std::uint64_t changes_ = 0;  // counts inputs
  std::uint64_t frameChanges_ = ~std::uint64_t{0};
  double frameClock_ = -1;
};

}  // namespace kavro::sim
