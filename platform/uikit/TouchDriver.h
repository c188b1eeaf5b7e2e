#pragma once
// Drives one finger on a window, as a person does: touch down at a point, move,
// lift or have the touch cancelled. Every touch goes through the window's event
// dispatch (hit testing, recognisers, the touched view), never to a handler
// directly. Each step runs as one event of the window's process, followed by the
// work it made due, as a turn of the run loop. Tests and the simulator share it.
//
// Steps at one instant carry no speed: a scroll view dragged by them stops where
// the finger lifts. `drag` and `flick` spread movements over time on the device's
// clock, so that a scroll view measures their velocity and coasts on. The wheel
// scrolls as a mouse wheel or trackpad does, without any finger.

#include "platform/coregraphics/CGGeometry.h"

#include <memory>

class UIWindow;
class UITouch;

namespace kavro::platform {
class Process;
}

namespace kavro::platform::uikit {

class TouchDriver {
 public:
  // Drives touches on `window`, which belongs to `process`.
  TouchDriver(kavro::platform::Process& process, std::shared_ptr<UIWindow> window);

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

  // The time a flick takes unless told otherwise: three frames.
  static constexpr double kFlickDuration = 0.05;
  // Moves the touch by (dx, dy) in `steps` equal movements spread evenly over
  // `duration` seconds: the device's clock advances before each movement, running
  // what falls due on the way. With 0 steps, one movement a frame (1/60 s).
  void drag(CGFloat dx, CGFloat dy, double duration, int steps = 0);
  // Ends the touch with a velocity: it moves by (dx, dy) over `duration` seconds as
  // `drag` does and lifts where it arrived, at that instant. A scroll view under
  // the finger then coasts on at (dx, dy) / duration points per second.
  void flick(CGFloat dx, CGFloat dy, double duration = kFlickDuration);

  // A mouse wheel or trackpad turned over `point` (window coordinates) by (dx, dy)
  // points, signed as a browser's wheel event (a positive dy shows content further
  // down). The deepest scroll view under the point that can still move that way
  // takes the delta, clamped to its range; no finger is involved and no touch in
  // progress is disturbed. Returns whether anything scrolled.
  bool wheel(CGPoint point, CGFloat dx, CGFloat dy);

  bool isTouching() const { return touch_ != nullptr; }
  CGPoint location() const { return location_; }

 private:
  void send(int phase);
  kavro::platform::Process& process_;
  std::shared_ptr<UIWindow> window_;
  std::shared_ptr<UITouch> touch_;
  CGPoint location_{};
};

}  // namespace kavro::platform::uikit
