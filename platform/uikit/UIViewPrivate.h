#pragma once
// What only the stand-in and its front ends use of a view: the presentation values
// a renderer draws, the own tint, the view controller link and animation state.

#include "platform/uikit/UIView.h"

#include <optional>

namespace kavro::uikit {

struct ViewInternals {
  // The frame as drawn at the current moment of the process's clock.
  static CGRect presentationFrame(const UIView& view);
  static CGPoint presentationBoundsOrigin(const UIView& view);
  static CGFloat presentationAlpha(const UIView& view);
  // The background colour as drawn now, resolved for `style`; nullopt when none.
  static std::optional<UIColor::RGBA> presentationBackgroundColor(const UIView& view,
                                                                  UIUserInterfaceStyle style);
  // Whether any property of the view is animating now.
  static bool isAnimating(const UIView& view);
  // The time at which the view's last running animation ends, or the current time.
  static double animationsEndTime(const UIView& view);

  // The tint set on the view itself (the window's "own" tint), or nullptr.
  static std::shared_ptr<UIColor> ownTintColor(const UIView& view) { return view.tintColor_; }

  static void setViewController(UIView& view, const std::shared_ptr<UIViewController>& controller);
  static std::shared_ptr<UIViewController> viewController(const UIView& view) {
    return view.viewController_.lock();
  }

  // Delivers a trait change to the view and its subviews.
  static void propagateTraitChange(UIView& view,
                                   const std::shared_ptr<UITraitCollection>& previous);
  // Lays out the whole tree under `view` (layoutIfNeeded on every view).
  static void layoutTree(UIView& view);
};

}  // namespace kavro::uikit
