#pragma once
// A finger on the screen. Its location is kept in window coordinates and converted
// to any view's coordinates on request.

#include "platform/coregraphics/CGGeometry.h"
#include "platform/objc/NSObject.h"

#include <memory>
#include <vector>

class UIView;
class UIWindow;
class UIGestureRecognizer;
namespace kavro::platform::uikit {
struct TouchInternals;
}

enum UITouchPhase : long {
  UITouchPhaseBegan = 0,
  UITouchPhaseMoved = 1,
  UITouchPhaseStationary = 2,
  UITouchPhaseEnded = 3,
  UITouchPhaseCancelled = 4,
};

class UITouch : public NSObject {
  KAVRO_OBJC_CLASS(UITouch)
 public:
  UITouchPhase phase() const { return phase_; }
  // The view the touch began in (the hit-test view); it keeps the touch until it ends.
  std::shared_ptr<UIView> view() const { return view_.lock(); }
  std::shared_ptr<UIWindow> window() const { return window_.lock(); }
  double timestamp() const { return timestamp_; }
  long tapCount() const { return tapCount_; }

  // Locations in a view's coordinates; a null view means the window.
  CGPoint locationInView(const std::shared_ptr<UIView>& view) const;
  CGPoint previousLocationInView(const std::shared_ptr<UIView>& view) const;

  const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const {
    return gestureRecognizers_;
  }

 private:
  friend struct kavro::platform::uikit::TouchInternals;
  UITouchPhase phase_ = UITouchPhaseBegan;
  std::weak_ptr<UIView> view_;
  std::weak_ptr<UIWindow> window_;
  CGPoint location_{};
  CGPoint previousLocation_{};
  double timestamp_ = 0;
  long tapCount_ = 1;
  std::vector<std::shared_ptr<UIGestureRecognizer>> gestureRecognizers_;
};
