#pragma once
// Gesture recognisers see a touch before its view does. A recogniser that
// recognises sends its actions and, by default, cancels the touches of the view it
// is attached to.

#include "platform/coregraphics/CGGeometry.h"
#include "platform/device/RunLoop.h"
#include "platform/objc/NSObject.h"
#include "platform/uikit/UIResponder.h"

#include <memory>
#include <vector>

class UIView;
class UIEvent;
class UITouch;
namespace kavro::platform::uikit {
struct GestureRecognizerInternals;
}

enum UIGestureRecognizerState : long {
  UIGestureRecognizerStatePossible = 0,
  UIGestureRecognizerStateBegan = 1,
  UIGestureRecognizerStateChanged = 2,
  UIGestureRecognizerStateEnded = 3,
  UIGestureRecognizerStateCancelled = 4,
  UIGestureRecognizerStateFailed = 5,
  UIGestureRecognizerStateRecognized = UIGestureRecognizerStateEnded,
};

class UIGestureRecognizer : public NSObject {
  KAVRO_OBJC_CLASS(UIGestureRecognizer)
 public:
  std::shared_ptr<UIGestureRecognizer> initWithTarget(const id& target, const SEL& action);
  void addTarget(const id& target, const SEL& action);
  void removeTarget(const id& target, const SEL& action);

  std::shared_ptr<UIView> view() const { return view_.lock(); }
  UIGestureRecognizerState state() const { return state_; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
  void setCancelsTouchesInView(bool cancels) { cancelsTouchesInView_ = cancels; }
  CGPoint locationInView(const std::shared_ptr<UIView>& view) const;

  // Touch handling, called by the window before the touched view sees the touch.
  virtual void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {}
  virtual void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {}
  virtual void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {}
  virtual void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
  // Back to Possible after the touches that it saw have ended.
  virtual void reset();

 protected:
  // Moves to a new state; Recognized/Began/Changed/Ended send the actions.
  void setState(UIGestureRecognizerState state);
  // Whether the views under the touch let this recogniser begin (a control's own
  // tap beats a tap recogniser on an ancestor).
  bool touchedViewsAllowBegin() const;
  const std::shared_ptr<UITouch>& trackedTouch() const { return touch_; }
  void setTrackedTouch(const std::shared_ptr<UITouch>& touch) { touch_ = touch; }

 private:
  friend struct kavro::platform::uikit::GestureRecognizerInternals;
  struct Target {
    std::weak_ptr<NSObject> target;
    SEL action;
  };
  std::weak_ptr<UIView> view_;
  std::vector<Target> targets_;
  UIGestureRecognizerState state_ = UIGestureRecognizerStatePossible;
  bool enabled_ = true;
  bool cancelsTouchesInView_ = true;
  std::shared_ptr<UITouch> touch_;
};

// Recognises one tap: touch down and up without moving more than 10 points.
class UITapGestureRecognizer : public UIGestureRecognizer {
  KAVRO_OBJC_CLASS(UITapGestureRecognizer)
 public:
  long numberOfTapsRequired() const { return numberOfTapsRequired_; }
  void setNumberOfTapsRequired(long taps) { numberOfTapsRequired_ = taps; }
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

 private:
  long numberOfTapsRequired_ = 1;
  CGPoint start_{};
};

// Recognises a touch held still for minimumPressDuration (0.5 s by default).
class UILongPressGestureRecognizer : public UIGestureRecognizer {
  KAVRO_OBJC_CLASS(UILongPressGestureRecognizer)
 public:
  ~UILongPressGestureRecognizer() override;
  double minimumPressDuration() const { return minimumPressDuration_; }
  void setMinimumPressDuration(double seconds) { minimumPressDuration_ = seconds; }
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void reset() override;

 private:
  void cancelTimer();
  double minimumPressDuration_ = 0.5;
  CGPoint start_{};
  kavro::platform::RunLoop::Handle timer_ = 0;
};
