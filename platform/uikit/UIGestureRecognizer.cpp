#include "platform/uikit/UIGestureRecognizer.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIGestureRecognizerPrivate.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UIView.h"

#include <cmath>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIGestureRecognizer, NSObject, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(UITapGestureRecognizer, UIGestureRecognizer, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(UILongPressGestureRecognizer, UIGestureRecognizer, )

namespace {
constexpr CGFloat kAllowableMovement = 10;

CGFloat distance(CGPoint a, CGPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }
}  // namespace

std::shared_ptr<UIGestureRecognizer> UIGestureRecognizer::initWithTarget(const id& target,
                                                                         const SEL& action) {
  if (!action.isNull()) addTarget(target, action);
  return self<UIGestureRecognizer>();
}

void UIGestureRecognizer::addTarget(const id& target, const SEL& action) {
  targets_.push_back({target, action});
}

void UIGestureRecognizer::removeTarget(const id& target, const SEL& action) {
  std::erase_if(targets_, [&](const Target& t) {
    return (!target || t.target.lock() == target) && (action.isNull() || t.action == action);
  });
}

CGPoint UIGestureRecognizer::locationInView(const std::shared_ptr<UIView>& view) const {
  return touch_ ? touch_->locationInView(view) : CGPointZero;
}

void UIGestureRecognizer::touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) {
  if (state_ == UIGestureRecognizerStateBegan || state_ == UIGestureRecognizerStateChanged)
    setState(UIGestureRecognizerStateCancelled);
  else
    setState(UIGestureRecognizerStateFailed);
}

void UIGestureRecognizer::reset() {
  state_ = UIGestureRecognizerStatePossible;
  touch_.reset();
}

void UIGestureRecognizer::setState(UIGestureRecognizerState state) {
  state_ = state;
  bool sendsActions = state == UIGestureRecognizerStateBegan ||
                      state == UIGestureRecognizerStateChanged ||
                      state == UIGestureRecognizerStateEnded ||
                      state == UIGestureRecognizerStateCancelled;
  if (!sendsActions) return;
  // A target may remove itself or others while its action runs.
  auto keepAlive = self<UIGestureRecognizer>();
  auto targets = targets_;
  for (auto& entry : targets)
    if (auto target = entry.target.lock()) target->performSelector(entry.action, keepAlive);
}

bool UIGestureRecognizer::touchedViewsAllowBegin() const {
  auto attached = view();
  if (!touch_ || !attached) return false;
  auto recognizer = std::const_pointer_cast<UIGestureRecognizer>(self<UIGestureRecognizer>());
  for (auto view = touch_->view(); view && view != attached; view = view->superview())
    if (!view->gestureRecognizerShouldBegin(recognizer)) return false;
  return attached->gestureRecognizerShouldBegin(recognizer);
}

void UITapGestureRecognizer::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) {
  if (touches.empty()) return;
  setTrackedTouch(touches.front());
  start_ = touches.front()->locationInView(nullptr);
}

void UITapGestureRecognizer::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) {
  if (state() != UIGestureRecognizerStatePossible || touches.empty()) return;
  if (distance(touches.front()->locationInView(nullptr), start_) > kAllowableMovement)
    setState(UIGestureRecognizerStateFailed);
}

void UITapGestureRecognizer::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) {
  if (state() != UIGestureRecognizerStatePossible) return;
  if (!touchedViewsAllowBegin()) {
    setState(UIGestureRecognizerStateFailed);
    return;
  }
  setState(UIGestureRecognizerStateRecognized);
}

UILongPressGestureRecognizer::~UILongPressGestureRecognizer() { cancelTimer(); }

void UILongPressGestureRecognizer::cancelTimer() {
  if (timer_ && kavro::platform::Process::currentOrNull())
    kavro::platform::Process::current().mainRunLoop().cancel(timer_);
  timer_ = 0;
}

void UILongPressGestureRecognizer::touchesBegan(const UITouchSet& touches,
                                                const std::shared_ptr<UIEvent>&) {
  if (touches.empty()) return;
  setTrackedTouch(touches.front());
  start_ = touches.front()->locationInView(nullptr);
  std::weak_ptr<UILongPressGestureRecognizer> weak = self<UILongPressGestureRecognizer>();
  timer_ = kavro::platform::Process::current().mainRunLoop().performAfter(minimumPressDuration_, [weak] {
    auto recognizer = weak.lock();
    if (!recognizer) return;
    recognizer->timer_ = 0;
    if (recognizer->state() != UIGestureRecognizerStatePossible) return;
    if (recognizer->touchedViewsAllowBegin())
      recognizer->setState(UIGestureRecognizerStateBegan);
    else
      recognizer->setState(UIGestureRecognizerStateFailed);
  });
}

void UILongPressGestureRecognizer::touchesMoved(const UITouchSet& touches,
                                                const std::shared_ptr<UIEvent>&) {
  if (touches.empty()) return;
  CGPoint location = touches.front()->locationInView(nullptr);
  if (state() == UIGestureRecognizerStatePossible) {
    if (distance(location, start_) > kAllowableMovement) {
      cancelTimer();
      setState(UIGestureRecognizerStateFailed);
    }
  } else if (state() == UIGestureRecognizerStateBegan || state() == UIGestureRecognizerStateChanged) {
    setState(UIGestureRecognizerStateChanged);
  }
}

void UILongPressGestureRecognizer::touchesEnded(const UITouchSet&, const std::shared_ptr<UIEvent>&) {
  cancelTimer();
  if (state() == UIGestureRecognizerStateBegan || state() == UIGestureRecognizerStateChanged)
    setState(UIGestureRecognizerStateEnded);
  else if (state() == UIGestureRecognizerStatePossible)
    setState(UIGestureRecognizerStateFailed);
}

void UILongPressGestureRecognizer::reset() {
  cancelTimer();
  UIGestureRecognizer::reset();
}

namespace kavro::platform::uikit {
bool GestureRecognizerInternals::hasRecognized(const UIGestureRecognizer& recognizer) {
  auto state = recognizer.state_;
  return state == UIGestureRecognizerStateBegan || state == UIGestureRecognizerStateChanged ||
         state == UIGestureRecognizerStateEnded;
}
}  // namespace kavro::platform::uikit
