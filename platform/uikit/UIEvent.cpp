#include "platform/uikit/UIEvent.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UITouch.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIEvent, NSObject, )

std::shared_ptr<UIEvent> UIEvent::eventWithTouches(UITouchSet touches, double timestamp) {
  auto event = alloc<UIEvent>();
  event->touches_ = std::move(touches);
  event->timestamp_ = timestamp;
  return event;
}

UITouchSet UIEvent::touchesForView(const std::shared_ptr<UIView>& view) const {
  UITouchSet result;
  for (auto& touch : touches_)
    if (touch->view() == view) result.push_back(touch);
  return result;
}
