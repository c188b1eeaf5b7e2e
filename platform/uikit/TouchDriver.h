#pragma once
// Drives one finger on a window, as a person does: touch down at a point, move,
// lift or have the touch cancelled. Every touch goes through the window's event
// dispatch (hit testing, recognisers, the touched view), never to a handler
// directly. Each step runs as one event of the window's process, followed by the
// work it made due, as a turn of the run loop. Tests and the simulator share it.

#include "platform/coregraphics/CGGeometry.h"

#include <memory>

class UIWindow;
class UITouch;

namespace platform {
class Process;
}

namespace kavro::uikit {

class TouchDriver {
 public:
  // Drives touches on `window`, which belongs to `process`.
  TouchDriver(platform::Process& process, std::shared_ptr<UIWindow> window);

  // Begins a touch at a point in window coordinates. An unfinished touch is
  // cancelled first.
  void down(CGPoint point);
  // Moves the touch by (dx, dy) in one movement.
  void move(CGFloat dx, CGFloat dy);
  // Moves the touch to a point in one movement.
  void moveTo(CGPoint point);
  void up();
  void cancel();
  // Down and up at the same point and instant.
  void tap(CGPoint point);

  bool isTouching() const { return touch_ != nullptr; }
  CGPoint location() const { return location_; }

 private:
  void send(int phase);
  platform::Process& process_;
  std::shared_ptr<UIWindow> window_;
  std::shared_ptr<UITouch> touch_;
  CGPoint location_{};
};

}  // namespace kavro::uikit
