#pragma once
// What the window's event dispatch and the touch driver do to a touch: begin it,
// move it, change its phase and view, and read its window location.
// Only the stand-in and the simulator's front ends include this; the bundle never
// does.

#include "platform/uikit/UITouch.h"

namespace kavro::platform::uikit {
struct TouchInternals {
  static void begin(UITouch& touch, const std::shared_ptr<UIWindow>& window, CGPoint location,
                    double time);
  static void setView(UITouch& touch, const std::shared_ptr<UIView>& view) { touch.view_ = view; }
  static void moveTo(UITouch& touch, CGPoint location, double time);
  static void setPhase(UITouch& touch, UITouchPhase phase, double time);
  static void setRecognizers(UITouch& touch, std::vector<std::shared_ptr<UIGestureRecognizer>> list) {
    touch.gestureRecognizers_ = std::move(list);
  }
  static CGPoint windowLocation(const UITouch& touch) { return touch.location_; }
};
}  // namespace kavro::platform::uikit
