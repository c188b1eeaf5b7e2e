#include "platform/uikit/UISwitch.h"

#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UISwitch, UIControl, )

std::shared_ptr<UISwitch> UISwitch::initWithFrame(CGRect frame) {
  UIView::initWithFrame(CGRectMake(frame.origin.x, frame.origin.y, kWidth, kHeight));
  return self<UISwitch>();
}

void UISwitch::setOn(bool on, bool) { on_ = on; }

void UISwitch::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  // A tap flips the switch and reports the change, then the touch-up events go out.
  bool inside = isTouchInside();
  if (inside && isEnabled()) {
    on_ = !on_;
    sendActionsForControlEvents(UIControlEventValueChanged);
  }
  UIControl::touchesEnded(touches, event);
}
