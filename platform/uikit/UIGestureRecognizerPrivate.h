#pragma once
// What views and the window's event dispatch need of a recogniser: attaching it
// to its view and reading whether it has taken a touch over or failed.
// Only the stand-in and the simulator's front ends include this; the bundle never
// does.

#include "platform/uikit/UIGestureRecognizer.h"

namespace kavro::platform::uikit {
struct GestureRecognizerInternals {
  static void attach(UIGestureRecognizer& recognizer, const std::shared_ptr<UIView>& view) {
    recognizer.view_ = view;
  }
  // Whether the recogniser has taken the touch over (so the view's touches are cancelled).
  static bool hasRecognized(const UIGestureRecognizer& recognizer);
  static bool hasFailed(const UIGestureRecognizer& recognizer) {
    return recognizer.state_ == UIGestureRecognizerStateFailed;
  }
};
}  // namespace kavro::platform::uikit
