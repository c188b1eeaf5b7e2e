#include "platform/uikit/UIScrollView.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"
#include "platform/uikit/ScrollViewPhysics.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIScrollViewPrivate.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIScrollView, UIView, )

using kavro::platform::uikit::ScrollViewInternals;

namespace {

using kavro::platform::uikit::ScrollViewPhysics;

// Times closer than this count as the same moment.
constexpr double kTimeEpsilon = 1e-9;

double now() { return kavro::platform::Device::current().now(); }

std::uint64_t nextMotionGeneration() {
  static std::uint64_t generation = 0;
  return ++generation;
}

}  // namespace

// Motion after a lift: each axis on its own (ScrollViewPhysics), stepped once a
// frame on the run loop of the process that started it. A generation tells a step
// of this motion from one of a motion already stopped.
struct UIScrollView::Motion {
  ScrollViewPhysics::Axis x, y;
  std::uint64_t generation = nextMotionGeneration();
  kavro::platform::Process* process = nullptr;
  kavro::platform::RunLoop::Handle handle = 0;
};

UIScrollView::UIScrollView() = default;
UIScrollView::~UIScrollView() = default;

// ---------------------------------------------------------------------------
// Offset, size and insets

void UIScrollView::setContentOffset(CGPoint offset) {
  CGRect bounds = this->bounds();
  if (bounds.origin == offset) return;
  bounds.origin = offset;
  setBounds(bounds);
  setNeedsLayout();
  // Containers may change with the scroll (a search field that folds away).
  for (auto view = superview(); view; view = view->superview()) view->setNeedsLayout();
  didScroll();
  if (auto delegate = this->delegate()) delegate->scrollViewDidScroll(self<UIScrollView>());
}

void UIScrollView::setContentOffset(CGPoint offset, bool animated) {
  stopMotion();
  if (!animated || offset == contentOffset()) {
    setContentOffset(offset);
    return;
  }
  std::weak_ptr<UIScrollView> weak = self<UIScrollView>();
  UIView::animateWithDuration(
      0.3, [&] { setContentOffset(offset); },
      [weak](bool finished) {
        auto view = weak.lock();
        if (!view || !finished) return;
        if (auto delegate = view->delegate()) delegate->scrollViewDidEndScrollingAnimation(view);
      });
}

void UIScrollView::setContentSize(CGSize size) {
  contentSize_ = size;
  setNeedsLayout();
}

void UIScrollView::setContentInset(UIEdgeInsets inset) {
  contentInset_ = inset;
  setNeedsLayout();
}

void UIScrollView::setDecelerationRate(UIScrollViewDecelerationRate rate) {
  // The rate is a fraction kept per millisecond: 0 stops at once, 1 never stops.
  decelerationRate_ = std::clamp<CGFloat>(rate, 0.01, 0.9999);
}

UIEdgeInsets UIScrollView::adjustedContentInset() const {
  UIEdgeInsets inset = contentInset_;
  if (adjustment_ != UIScrollViewContentInsetAdjustmentNever) {
    UIEdgeInsets safe = safeAreaInsets();
    inset.top += safe.top;
    inset.bottom += safe.bottom;
  }
  return inset;
}

CGPoint UIScrollView::minimumContentOffset() const {
  UIEdgeInsets inset = adjustedContentInset();
  return {-inset.left, -inset.top};
}

CGPoint UIScrollView::maximumContentOffset() const {
  UIEdgeInsets inset = adjustedContentInset();
  CGPoint minimum = minimumContentOffset();
  CGFloat maxY = contentSize_.height + inset.bottom - bounds().size.height;
  CGFloat maxX = contentSize_.width + inset.right - bounds().size.width;
  return {std::max(minimum.x, maxX), std::max(minimum.y, maxY)};
}

bool UIScrollView::canScrollVertically() const {
  return alwaysBounceVertical_ || maximumContentOffset().y > minimumContentOffset().y;
}

bool UIScrollView::canScrollHorizontally() const {
  return alwaysBounceHorizontal_ || maximumContentOffset().x > minimumContentOffset().x;
}

void UIScrollView::scrollRectToVisible(CGRect rect, bool animated) {
  CGPoint offset = contentOffset();
  UIEdgeInsets inset = adjustedContentInset();
  CGFloat visibleTop = offset.y + inset.top;
  CGFloat visibleBottom = offset.y + bounds().size.height - inset.bottom;
  if (CGRectGetMinY(rect) < visibleTop)
    offset.y = CGRectGetMinY(rect) - inset.top;
  else if (CGRectGetMaxY(rect) > visibleBottom)
    offset.y = CGRectGetMaxY(rect) - bounds().size.height + inset.bottom;
  offset.y = std::clamp(offset.y, minimumContentOffset().y, maximumContentOffset().y);
  setContentOffset(offset, animated);
}

void UIScrollView::adjustInsetsIfNeeded() {
  UIEdgeInsets adjusted = adjustedContentInset();
  if (insetsApplied_ && adjusted == lastAdjusted_) return;
  // A view resting at the top stays at the top as the bars around it change.
  bool atTop = !insetsApplied_ || std::abs(contentOffset().y + lastAdjusted_.top) < 0.5;
  lastAdjusted_ = adjusted;
  insetsApplied_ = true;
  if (atTop) setContentOffset({contentOffset().x, -adjusted.top});
}

void UIScrollView::safeAreaInsetsDidChange() {
  if (!window()) return;
  if (!insetsApplied_ || adjustedContentInset() != lastAdjusted_) setNeedsLayout();
}

void UIScrollView::layoutSubviews() {
  if (window()) adjustInsetsIfNeeded();
  UIView::layoutSubviews();
}

void UIScrollView::willMoveToWindow(const std::shared_ptr<UIWindow>& newWindow) {
  if (!newWindow) stopMotion();
}

// ---------------------------------------------------------------------------
// Touches: drag with rubber band past the ends, then release into motion

std::shared_ptr<UIView> UIScrollView::hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event) {
  auto hit = UIView::hitTest(point, event);
  if (hit && motion_ && scrollEnabled_) return self<UIView>();
  return hit;
}

bool UIScrollView::shouldBeginScrolling(CGPoint start, CGPoint current) const {
  if (!scrollEnabled_) return false;
  return (canScrollVertically() && std::abs(current.y - start.y) > kScrollThreshold) ||
         (canScrollHorizontally() && std::abs(current.x - start.x) > kScrollThreshold);
}

void UIScrollView::recordSample(double time, CGPoint location) {
  samples_.push_back({time, location});
  while (samples_.size() > 2 && samples_[1].time < time - ScrollViewInternals::kVelocityWindow) samples_.pop_front();
}

CGPoint UIScrollView::releaseVelocity(double time) const {
  // From the earliest sample of the last 100 ms to the lift: the finger's recent
  // velocity, or nothing if it rested (or every sample came at one instant).
  const TouchSample* first = nullptr;
  for (auto& sample : samples_)
    if (sample.time >= time - ScrollViewInternals::kVelocityWindow - kTimeEpsilon) {
      first = &sample;
      break;
    }
  if (!first) return {0, 0};
  const TouchSample& last = samples_.back();
  double elapsed = last.time - first->time;
  if (elapsed <= 1e-6) return {0, 0};
  // The content moves against the finger.
  CGPoint velocity{-(last.location.x - first->location.x) / elapsed,
                   -(last.location.y - first->location.y) / elapsed};
  if (!canScrollHorizontally()) velocity.x = 0;
  if (!canScrollVertically()) velocity.y = 0;
  return velocity;
}

void UIScrollView::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) {
  if (touches.empty()) return;
  const auto& touch = touches.front();
  stopMotion();
  tracking_ = true;
  dragging_ = false;
  touchStart_ = touch->locationInView(nullptr);
  // Content caught past an end takes up the finger where the rubber band has it.
  CGPoint offset = contentOffset(), low = minimumContentOffset(), high = maximumContentOffset();
  CGSize size = bounds().size;
  unstretchedOffsetAtTouchStart_ = {ScrollViewPhysics::unstretchedPosition(offset.x, low.x, high.x, size.width),
                                    ScrollViewPhysics::unstretchedPosition(offset.y, low.y, high.y, size.height)};
  samples_.clear();
  recordSample(touch->timestamp(), touchStart_);
}

void UIScrollView::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) {
  if (touches.empty()) return;
  const auto& touch = touches.front();
  CGPoint current = touch->locationInView(nullptr);
  recordSample(touch->timestamp(), current);
  if (!dragging_) {
    if (!shouldBeginScrolling(touchStart_, current)) return;
    dragging_ = true;
    if (keyboardDismissMode_ != UIScrollViewKeyboardDismissModeNone)
      if (auto responder = UIResponder::currentFirstResponder()) responder->resignFirstResponder();
    willBeginUserScrolling();
    if (auto delegate = this->delegate()) delegate->scrollViewWillBeginDragging(self<UIScrollView>());
  }
  // The content moves against the finger, on the rubber band past an end.
  CGPoint low = minimumContentOffset(), high = maximumContentOffset(), offset = contentOffset();
  CGPoint unstretched = {unstretchedOffsetAtTouchStart_.x - (current.x - touchStart_.x),
                         unstretchedOffsetAtTouchStart_.y - (current.y - touchStart_.y)};
  CGSize size = bounds().size;
  if (canScrollHorizontally())
    offset.x = ScrollViewPhysics::stretchedPosition(unstretched.x, low.x, high.x, size.width, bounces_);
  if (canScrollVertically())
    offset.y = ScrollViewPhysics::stretchedPosition(unstretched.y, low.y, high.y, size.height, bounces_);
  setContentOffset(offset);
}

void UIScrollView::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) {
  CGPoint velocity{0, 0};
  if (!touches.empty() && dragging_) {
    const auto& touch = touches.front();
    recordSample(touch->timestamp(), touch->locationInView(nullptr));
    velocity = releaseVelocity(touch->timestamp());
    // Past an end, the content moved only as fast as the rubber band let it.
    CGPoint offset = contentOffset(), low = minimumContentOffset(), high = maximumContentOffset();
    CGSize size = bounds().size;
    velocity = {ScrollViewPhysics::stretchedVelocity(velocity.x, offset.x, low.x, high.x, size.width),
                ScrollViewPhysics::stretchedVelocity(velocity.y, offset.y, low.y, high.y, size.height)};
  }
  tracking_ = false;
  release(velocity);
  samples_.clear();
}

void UIScrollView::touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) {
  tracking_ = false;
  release({0, 0});
  samples_.clear();
}

CGPoint UIScrollView::restingOffset(CGPoint velocity) const {
  CGPoint offset = contentOffset(), low = minimumContentOffset(), high = maximumContentOffset();
  CGSize size = bounds().size;
  auto rest = [this](CGFloat position, CGFloat speed, CGFloat lowEnd, CGFloat highEnd, CGFloat page) {
    CGFloat natural = pagingEnabled_ && page > 0 ? ScrollViewPhysics::pageRest(position, speed, page)
                                                 : ScrollViewPhysics::coastingRest(position, speed, decelerationRate_);
    return std::clamp(natural, lowEnd, highEnd);
  };
  CGPoint target = offset;
  if (canScrollHorizontally()) target.x = rest(offset.x, velocity.x, low.x, high.x, size.width);
  if (canScrollVertically()) target.y = rest(offset.y, velocity.y, low.y, high.y, size.height);
  return target;
}

void UIScrollView::release(CGPoint velocity) {
  auto self = this->self<UIScrollView>();
  auto delegate = this->delegate();
  bool wasDragging = dragging_;
  CGPoint natural = restingOffset(velocity);
  CGPoint target = natural;
  if (wasDragging && delegate)
    delegate->scrollViewWillEndDragging(self, {velocity.x / 1000, velocity.y / 1000}, &target);
  CGPoint low = minimumContentOffset(), high = maximumContentOffset();
  target = {std::clamp(target.x, low.x, high.x), std::clamp(target.y, low.y, high.y)};
  startMotion(velocity, target, target != natural);
  bool decelerate = motion_ != nullptr;
  dragging_ = false;
  if (wasDragging && delegate) delegate->scrollViewDidEndDragging(self, decelerate);
  if (decelerate && motion_ && delegate) delegate->scrollViewWillBeginDecelerating(self);
}

void UIScrollView::startMotion(CGPoint velocity, CGPoint target, bool targetMoved) {
  stopMotion();
  using Axis = ScrollViewPhysics::Axis;
  double t = now();
  CGFloat rate = decelerationRate_;
  CGPoint offset = contentOffset(), low = minimumContentOffset(), high = maximumContentOffset();
  auto axis = [&](bool scrolls, CGFloat position, CGFloat speed, CGFloat goal, CGFloat lowEnd, CGFloat highEnd) {
    if (!scrolls) return Axis::resting(position);
    if (pagingEnabled_) return Axis::paging(t, position, speed, goal);
    if (position < lowEnd || position > highEnd)
      return Axis::bounceBack(t, position, speed, position < lowEnd ? lowEnd : highEnd);
    // A target the delegate moved is coasted to, leaving as fast as that needs.
    if (targetMoved) return Axis::coastingTo(t, position, goal, rate, lowEnd, highEnd, bounces_);
    return Axis::coasting(t, position, speed, rate, lowEnd, highEnd, bounces_);
  };
  auto motion = std::make_unique<Motion>();
  motion->x = axis(canScrollHorizontally(), offset.x, velocity.x, target.x, low.x, high.x);
  motion->y = axis(canScrollVertically(), offset.y, velocity.y, target.y, low.y, high.y);
  // A spring already at rest, or coasting too slow to go anywhere, is no motion.
  bool movesX = motion->x.advance(t, rate), movesY = motion->y.advance(t, rate);
  if (!movesX && !movesY) {
    setContentOffset({motion->x.position, motion->y.position});
    return;
  }
  motion->process = &kavro::platform::Process::current();
  motion_ = std::move(motion);
  scheduleStep();
}

void UIScrollView::scheduleStep() {
  double t = now();
  double next = std::min({t + ScrollViewInternals::kFrameInterval, motion_->x.nextChange(), motion_->y.nextChange()});
  std::weak_ptr<UIScrollView> weak = self<UIScrollView>();
  auto generation = motion_->generation;
  motion_->handle = motion_->process->mainRunLoop().schedule(std::max(next, t), [weak, generation] {
    auto view = weak.lock();
    if (view && view->motion_ && view->motion_->generation == generation) view->step();
  });
}

void UIScrollView::step() {
  auto keepAlive = self<UIScrollView>();
  motion_->handle = 0;
  double t = now();
  bool movesX = motion_->x.advance(t, decelerationRate_);
  bool movesY = motion_->y.advance(t, decelerationRate_);
  auto generation = motion_->generation;
  setContentOffset({motion_->x.position, motion_->y.position});
  if (!motion_ || motion_->generation != generation) return;  // stopped from a scroll callback
  if (movesX || movesY) {
    scheduleStep();
    return;
  }
  motion_.reset();
  if (auto delegate = this->delegate()) delegate->scrollViewDidEndDecelerating(keepAlive);
}

void UIScrollView::stopMotion() {
  if (!motion_) return;
  if (motion_->handle && kavro::platform::Process::currentOrNull() == motion_->process)
    motion_->process->mainRunLoop().cancel(motion_->handle);
  motion_.reset();
}

// ---------------------------------------------------------------------------
// Private surface

namespace kavro::platform::uikit {

bool ScrollViewInternals::scrollWheel(UIWindow& window, CGPoint point, CGFloat dx, CGFloat dy) {
  auto hit = window.hitTest(point, nullptr);
  bool scrolled = false;
  auto take = [&](bool vertical, CGFloat delta) {
    if (delta == 0 || !std::isfinite(delta)) return;
    for (auto view = hit; view; view = view->superview()) {
      auto scrollView = std::dynamic_pointer_cast<UIScrollView>(view);
      if (!scrollView || !scrollView->isScrollEnabled()) continue;
      CGPoint offset = scrollView->contentOffset();
      CGPoint low = scrollView->minimumContentOffset(), high = scrollView->maximumContentOffset();
      CGFloat position = vertical ? offset.y : offset.x;
      CGFloat lowEnd = vertical ? low.y : low.x, highEnd = vertical ? high.y : high.x;
      bool room = delta > 0 ? position < highEnd - 0.01 : position > lowEnd + 0.01;
      if (!room) continue;
      scrollView->stopMotion();
      scrollView->willBeginUserScrolling();
      CGFloat moved = std::clamp(position + delta, lowEnd, highEnd);
      scrollView->setContentOffset(vertical ? CGPoint{offset.x, moved} : CGPoint{moved, offset.y});
      scrolled = true;
      return;
    }
  };
  take(true, dy);
  take(false, dx);
  return scrolled;
}

}  // namespace kavro::platform::uikit
