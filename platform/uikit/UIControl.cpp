#include "platform/uikit/UIControl.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITouch.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIControl, UIView, )

void UIControl::addTarget(const id& target, const SEL& action, unsigned long events) {
  if (action.isNull() || events == 0) return;
  for (auto& entry : targets_) {
    if (entry.target.lock() == target && entry.hasTarget == bool(target) && entry.action == action) {
      entry.events |= events;
      return;
    }
  }
  targets_.push_back({target, bool(target), action, events});
}

void UIControl::removeTarget(const id& target, const SEL& action, unsigned long events) {
  for (auto& entry : targets_) {
    bool sameTarget = !target || entry.target.lock() == target;
    bool sameAction = action.isNull() || entry.action == action;
    if (sameTarget && sameAction) entry.events &= ~events;
  }
  std::erase_if(targets_, [](const Target& entry) { return entry.events == 0; });
}

std::vector<SEL> UIControl::actionsForTarget(const id& target, unsigned long events) const {
  std::vector<SEL> actions;
  for (auto& entry : targets_)
    if (entry.target.lock() == target && (entry.events & events)) actions.push_back(entry.action);
  return actions;
}

unsigned long UIControl::allControlEvents() const {
  unsigned long events = 0;
  for (auto& entry : targets_) events |= entry.events;
  return events;
}

void UIControl::sendActionsForControlEvents(unsigned long events) { sendEvents(events, nullptr); }

void UIControl::sendEvents(unsigned long events, const std::shared_ptr<UIEvent>& event) {
  // Actions may add or remove targets, or release this control: work on a copy.
  auto keepAlive = self<UIControl>();
  auto targets = targets_;
  for (auto& entry : targets) {
    if (!(entry.events & events)) continue;
    auto target = entry.target.lock();
    if (entry.hasTarget && !target) continue;  // the target has gone away
    sendAction(entry.action, target, event);
  }
}

void UIControl::sendAction(const SEL& action, const id& target, const std::shared_ptr<UIEvent>& event) {
  UIApplication::sharedApplication()->sendAction(action, target, self<UIControl>(), event);
}

unsigned long UIControl::state() const {
  unsigned long state = UIControlStateNormal;
  if (highlighted_) state |= UIControlStateHighlighted;
  if (!isEnabled()) state |= UIControlStateDisabled;
  if (selected_) state |= UIControlStateSelected;
  return state;
}

bool UIControl::touchIsInside(const std::shared_ptr<UITouch>& touch) const {
  CGPoint point = touch->locationInView(std::const_pointer_cast<UIControl>(self<UIControl>()));
  CGRect area = CGRectInset(bounds(), -kTouchInsideMargin, -kTouchInsideMargin);
  return CGRectContainsPoint(area, point);
}

void UIControl::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (touches.empty() || !isEnabled()) return;
  auto touch = touches.front();
  touchInside_ = true;
  tracking_ = beginTrackingWithTouch(touch, event);
  setHighlighted(true);
  unsigned long events = UIControlEventTouchDown;
  if (touch->tapCount() > 1) events |= UIControlEventTouchDownRepeat;
  sendEvents(events, event);
}

void UIControl::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (touches.empty() || !isEnabled()) return;
  auto touch = touches.front();
  bool wasInside = touchInside_;
  touchInside_ = touchIsInside(touch);
  setHighlighted(touchInside_);
  if (tracking_) tracking_ = continueTrackingWithTouch(touch, event);
  unsigned long events;
  if (touchInside_)
    events = wasInside ? UIControlEventTouchDragInside : UIControlEventTouchDragEnter;
  else
    events = wasInside ? UIControlEventTouchDragExit : UIControlEventTouchDragOutside;
  sendEvents(events, event);
}

void UIControl::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (touches.empty() || !isEnabled()) return;
  auto touch = touches.front();
  touchInside_ = touchIsInside(touch);
  setHighlighted(false);
  if (tracking_) endTrackingWithTouch(touch, event);
  tracking_ = false;
  unsigned long events = touchInside_ ? UIControlEventTouchUpInside : UIControlEventTouchUpOutside;
  if (touchInside_) events |= UIControlEventPrimaryActionTriggered;
  sendEvents(events, event);
  touchInside_ = false;
}

void UIControl::touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  setHighlighted(false);
  if (tracking_) cancelTrackingWithEvent(event);
  tracking_ = false;
  touchInside_ = false;
  sendEvents(UIControlEventTouchCancel, event);
}

bool UIControl::gestureRecognizerShouldBegin(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
  auto tap = std::dynamic_pointer_cast<UITapGestureRecognizer>(recognizer);
  if (tap && tap->numberOfTapsRequired() == 1 && tap->view().get() != this &&
      allControlEvents() & (UIControlEventTouchUpInside | UIControlEventPrimaryActionTriggered))
    return false;
  return true;
}

// ---------------------------------------------------------------------------
// Accessibility

bool UIControl::isAccessibilityElement() const {
  return explicitAccessibilityElement().value_or(dynamic_cast<const kavro::platform::uikit::OnOffControl*>(this) != nullptr);
}

std::string UIControl::accessibilityValue() const {
  if (auto value = explicitAccessibilityValue()) return *value;
  auto onOff = dynamic_cast<const kavro::platform::uikit::OnOffControl*>(this);
  return onOff ? (onOff->isOn() ? "1" : "0") : "";
}

UIAccessibilityTraits UIControl::accessibilityTraits() const {
  if (auto traits = explicitAccessibilityTraits()) return *traits;
  UIAccessibilityTraits traits = UIAccessibilityTraitNone;
  if (dynamic_cast<const kavro::platform::uikit::OnOffControl*>(this))
    traits |= UIAccessibilityTraitButton | UIAccessibilityTraitToggleButton;
  if (!isEnabled()) traits |= UIAccessibilityTraitNotEnabled;
  return traits;
}
