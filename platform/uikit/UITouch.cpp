#include "platform/uikit/UITouch.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UITouchPrivate.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/UIWindow.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UITouch, NSObject, )

CGPoint UITouch::locationInView(const std::shared_ptr<UIView>& view) const {
  if (!view) return location_;
  return view->convertPointFromView(location_, nullptr);
}

CGPoint UITouch::previousLocationInView(const std::shared_ptr<UIView>& view) const {
  if (!view) return previousLocation_;
  return view->convertPointFromView(previousLocation_, nullptr);
}

namespace kavro::platform::uikit {

void TouchInternals::begin(UITouch& touch, const std::shared_ptr<UIWindow>& window,
                           CGPoint location, double time) {
  touch.window_ = window;
  touch.location_ = location;
  touch.previousLocation_ = location;
  touch.phase_ = UITouchPhaseBegan;
  touch.timestamp_ = time;
}

void TouchInternals::moveTo(UITouch& touch, CGPoint location, double time) {
  touch.previousLocation_ = touch.location_;
  touch.location_ = location;
  touch.phase_ = UITouchPhaseMoved;
  touch.timestamp_ = time;
}

void TouchInternals::setPhase(UITouch& touch, UITouchPhase phase, double time) {
  touch.phase_ = phase;
  touch.timestamp_ = time;
}

}  // namespace kavro::platform::uikit
