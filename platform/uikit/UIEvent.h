#pragma once
// A touch event: the touches that changed together.

#include "platform/objc/NSObject.h"
#include "platform/uikit/UIResponder.h"

#include <memory>

class UIView;

enum UIEventType : long { UIEventTypeTouches = 0 };

class UIEvent : public NSObject {
  KAVRO_OBJC_CLASS(UIEvent)
 public:
  static std::shared_ptr<UIEvent> eventWithTouches(UITouchSet touches, double timestamp);

  UIEventType type() const { return UIEventTypeTouches; }
  double timestamp() const { return timestamp_; }
  const UITouchSet& allTouches() const { return touches_; }
  // The touches of this event that belong to `view` (began in it).
  UITouchSet touchesForView(const std::shared_ptr<UIView>& view) const;

 private:
  UITouchSet touches_;
  double timestamp_ = 0;
};
