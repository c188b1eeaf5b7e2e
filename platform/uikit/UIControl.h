#pragma once
// Controls: target-action by event mask, and the touch tracking that turns touches
// into control events (down, drag inside/outside, up inside/outside, cancel).

#include "platform/uikit/UIView.h"

#include <memory>
#include <vector>

enum UIControlEvents : unsigned long {
  UIControlEventTouchDown = 1 << 0,
  UIControlEventTouchDownRepeat = 1 << 1,
  UIControlEventTouchDragInside = 1 << 2,
  UIControlEventTouchDragOutside = 1 << 3,
  UIControlEventTouchDragEnter = 1 << 4,
  UIControlEventTouchDragExit = 1 << 5,
  UIControlEventTouchUpInside = 1 << 6,
  UIControlEventTouchUpOutside = 1 << 7,
  UIControlEventTouchCancel = 1 << 8,
  UIControlEventValueChanged = 1 << 12,
  UIControlEventPrimaryActionTriggered = 1 << 13,
  UIControlEventEditingDidBegin = 1 << 16,
  UIControlEventEditingChanged = 1 << 17,
  UIControlEventEditingDidEnd = 1 << 18,
  // A text field's return key.
  UIControlEventEditingDidEndOnExit = 1 << 19,
  UIControlEventAllTouchEvents = 0x00000FFF,
  UIControlEventAllEvents = 0xFFFFFFFF,
};

enum UIControlState : unsigned long {
  UIControlStateNormal = 0,
  UIControlStateHighlighted = 1 << 0,
  UIControlStateDisabled = 1 << 1,
  UIControlStateSelected = 1 << 2,
};

class UIControl : public UIView {
  KAVRO_OBJC_CLASS(UIControl)
 public:
  // How far outside its bounds a touch still counts as inside the control.
  static constexpr CGFloat kTouchInsideMargin = 70;

  std::shared_ptr<UIControl> initWithFrame(CGRect frame) {
    UIView::initWithFrame(frame);
    return self<UIControl>();
  }
  // Targets are not retained: a target that has gone away is skipped.
  void addTarget(const id& target, const SEL& action, unsigned long events);
  void removeTarget(const id& target, const SEL& action, unsigned long events);
  // The actions registered for any of `events`, in registration order.
  std::vector<SEL> actionsForTarget(const id& target, unsigned long events) const;
  unsigned long allControlEvents() const;
  std::size_t targetCount() const { return targets_.size(); }

  // Sends the actions registered for `events` to their targets.
  void sendActionsForControlEvents(unsigned long events);
  virtual void sendAction(const SEL& action, const id& target, const std::shared_ptr<UIEvent>& event);

  // Accessibility: a control that keeps the on/off contract (see UISwitch.h) is an
  // element with the toggle trait and the value "1" or "0"; others give their
  // parts (a button's title, say) to be read on their own.
  bool isAccessibilityElement() const override;
  std::string accessibilityValue() const override;
  UIAccessibilityTraits accessibilityTraits() const override;

  virtual bool isEnabled() const { return enabled_; }
  virtual void setEnabled(bool enabled) { enabled_ = enabled; }
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected) { selected_ = selected; }
  unsigned long state() const;
  bool isTracking() const { return tracking_; }
  bool isTouchInside() const { return touchInside_; }

  // Touch tracking.
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  virtual bool beginTrackingWithTouch(const std::shared_ptr<UITouch>& touch,
                                      const std::shared_ptr<UIEvent>& event) {
    return true;
  }
  virtual bool continueTrackingWithTouch(const std::shared_ptr<UITouch>& touch,
                                         const std::shared_ptr<UIEvent>& event) {
    return true;
  }
  virtual void endTrackingWithTouch(const std::shared_ptr<UITouch>& touch,
                                    const std::shared_ptr<UIEvent>& event) {}
  virtual void cancelTrackingWithEvent(const std::shared_ptr<UIEvent>& event) {}

  // A single-tap recogniser on another view does not take a tap from a control.
  bool gestureRecognizerShouldBegin(const std::shared_ptr<UIGestureRecognizer>& recognizer) override;

 private:
  void sendEvents(unsigned long events, const std::shared_ptr<UIEvent>& event);
  bool touchIsInside(const std::shared_ptr<UITouch>& touch) const;

  struct Target {
    std::weak_ptr<NSObject> target;
    bool hasTarget;
    SEL action;
    unsigned long events;
  };
  std::vector<Target> targets_;
  bool enabled_ = true;
  bool highlighted_ = false;
  bool selected_ = false;
  bool tracking_ = false;
  bool touchInside_ = false;
};
