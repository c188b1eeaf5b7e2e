#include "platform/uikit/TouchDriver.h"

#include "platform/device/Device.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIScrollViewPrivate.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITouchPrivate.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>

namespace kavro::platform::uikit {

TouchDriver::TouchDriver(kavro::platform::Process& process, std::shared_ptr<UIWindow> window)
    : process_(process), window_(std::move(window)) {}

void TouchDriver::send(int phase) {
  auto touch = touch_;
  auto window = window_;
  CGPoint location = location_;
  process_.device().dispatch(process_, [&] {
    double now = process_.device().now();
    if (phase == UITouchPhaseBegan)
      TouchInternals::begin(*touch, window, location, now);
    else if (phase == UITouchPhaseMoved)
      TouchInternals::moveTo(*touch, location, now);
    else {
      // Lifting the finger (or losing the touch) is reported where the finger
      // rests: no movement since the previous report.
      TouchInternals::moveTo(*touch, location, now);
      TouchInternals::setPhase(*touch, static_cast<UITouchPhase>(phase), now);
    }
    window->sendEvent(UIEvent::eventWithTouches({touch}, now));
  });
}

void TouchDriver::down(CGPoint point) {
  if (touch_) cancel();
  {
    kavro::platform::ProcessScope scope(process_);
    touch_ = alloc<UITouch>();
  }
  location_ = point;
  send(UITouchPhaseBegan);
}

void TouchDriver::move(CGFloat dx, CGFloat dy) { moveTo({location_.x + dx, location_.y + dy}); }

void TouchDriver::moveTo(CGPoint point) {
  if (!touch_) return;
  location_ = point;
  send(UITouchPhaseMoved);
}

void TouchDriver::up() {
  if (!touch_) return;
  send(UITouchPhaseEnded);
  touch_.reset();
}

void TouchDriver::cancel() {
  if (!touch_) return;
  send(UITouchPhaseCancelled);
  touch_.reset();
}

void TouchDriver::tap(CGPoint point) {
  down(point);
  up();
}

void TouchDriver::drag(CGFloat dx, CGFloat dy, double duration, int steps) {
  if (!touch_) return;
  duration = std::max(0.0, duration);
  if (steps <= 0) steps = std::max(1, static_cast<int>(std::lround(duration / ScrollViewInternals::kFrameInterval)));
  kavro::platform::Device& device = process_.device();
  double start = device.now();
  CGPoint from = location_;
  for (int i = 1; i <= steps && touch_; ++i) {
    double fraction = static_cast<double>(i) / steps;
    // Each movement at its own moment, measured from the start so nothing drifts.
    device.advance(std::max(0.0, start + duration * fraction - device.now()));
    moveTo({from.x + dx * fraction, from.y + dy * fraction});
  }
}

void TouchDriver::flick(CGFloat dx, CGFloat dy, double duration) {
  drag(dx, dy, duration);
  up();
}

bool TouchDriver::wheel(CGPoint point, CGFloat dx, CGFloat dy) {
  bool scrolled = false;
  auto window = window_;
  process_.device().dispatch(process_, [&] { scrolled = ScrollViewInternals::scrollWheel(*window, point, dx, dy); });
  return scrolled;
}

}  // namespace kavro::platform::uikit
