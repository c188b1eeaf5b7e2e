#pragma once
// What only the stand-in and its front ends use of a view: the presentation values
// a renderer draws, the own tint, the view controller link and animation state.

#include "platform/uikit/UIView.h"

#include <cstdint>
#include <optional>

namespace kavro::platform::uikit {

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

  // A number no other view of the process's lifetime has had: a view's identity for
  // front ends that follow views from one picture to the next.
  static std::uint64_t serial(const UIView& view) { return view.serial_; }

  // The interface style the view is shown in: its own override, else the style a
  // material it lies over gives it, else its superview's, else `appearance`.
  static UIUserInterfaceStyle interfaceStyle(const UIView& view, UIUserInterfaceStyle appearance);
  // The style a material gives the view and its subviews (Unspecified: none).
  static void setMaterialStyle(UIView& view, UIUserInterfaceStyle style) { view.materialStyle_ = style; }
  // The style the view itself fixes for its subtree (override or material), or Unspecified.
  static UIUserInterfaceStyle ownStyle(const UIView& view) {
    return view.overrideUserInterfaceStyle_ != UIUserInterfaceStyleUnspecified ? view.overrideUserInterfaceStyle_
                                                                                : view.materialStyle_;
  }

  // Delivers a trait change to the view and its subviews.
  static void propagateTraitChange(UIView& view,
                                   const std::shared_ptr<UITraitCollection>& previous);
  // Lays out the whole tree under `view` (layoutIfNeeded on every view).
  static void layoutTree(UIView& view);
};

}  // namespace kavro::platform::uikit
