#pragma once
// What only the stand-in and its front ends use of scroll views: scrolling by a
// mouse wheel or trackpad, and the cadence of the motion after a finger lifts (its
// shape is ScrollViewPhysics.h).

#include "platform/uikit/UIScrollView.h"

namespace kavro::platform::uikit {

struct ScrollViewInternals {
  // One frame of motion: coasting content moves once per frame of the run loop.
  static constexpr double kFrameInterval = 1.0 / 60;
  // The finger's velocity at lift is measured over its last 100 ms.
  static constexpr double kVelocityWindow = 0.1;

  // Scrolls by a wheel or trackpad delta at `point` (window coordinates), as a
  // browser's wheel event gives it: a positive dy shows content further down (the
  // offset grows), a positive dx content further right. For each axis the deepest
  // scroll view under the point that can still move that way takes the delta,
  // clamped to its range; motion in progress in it stops. No bounce: the browser
  // supplies a trackpad's own momentum. Returns whether anything scrolled.
  static bool scrollWheel(UIWindow& window, CGPoint point, CGFloat dx, CGFloat dy);
};

}  // namespace kavro::platform::uikit
