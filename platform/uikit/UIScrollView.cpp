#include "platform/uikit/UIScrollView.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIScrollViewPrivate.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIScrollView, UIView, )

using kavro::platform::uikit::ScrollViewInternals;

// ---------------------------------------------------------------------------
// Motion
//
// Each axis moves on its own, in segments that are closed forms of time, so that a
// position depends only on the clock and never on how often it was sampled:
// - coasting: the velocity v (points per second) shrinks by the rate r every
//   millisecond, v·r^n after n ms; the content has then gone (v/1000)·(1−r^n)/(1−r)
//   and comes to rest (v/1000)/(1−r) from where it started;
// - a spring: critically damped, towards an edge or a page, x(t) = (x0 + (v0 + ωx0)t)·e^(−ωt).
// Coasting past an end turns into a spring back to that end at the moment it
// crosses it, with the velocity it has there.

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Times closer than this count as the same moment.
constexpr double kTimeEpsilon = 1e-9;
// A spring rests once it is this slow (points per second) and close to its end.
constexpr CGFloat kRestVelocity = 10;
// How stiff the springs are (natural frequency, per second): the spring back
// from past an end settles in about half a second, a page a little faster.
constexpr double kBounceFrequency = 14;
constexpr double kPagingFrequency = 20;
// Faster than this (points per second), a lift turns the page in its direction
// even if the drag has not crossed half the page.
constexpr CGFloat kPageFlickVelocity = 250;
// Resistance past an end: the classic rubber-band coefficient.
constexpr CGFloat kRubberBandCoefficient = 0.55;

double now() { return kavro::platform::Device::current().now(); }

CGFloat restDistance(CGFloat velocity, CGFloat rate) { return velocity / 1000 / (1 - rate); }

CGFloat unstretch(CGFloat stretched, CGFloat dimension) {
  if (dimension <= 0) return stretched;
  CGFloat magnitude = std::min(std::abs(stretched), dimension * 0.999);
  return std::copysign((1 / (1 - magnitude / dimension) - 1) * dimension / kRubberBandCoefficient, stretched);
}

// The slope of the rubber band where it is stretched by `stretched`: how much of a
// finger's speed the content shows there.
CGFloat rubberBandSlope(CGFloat stretched, CGFloat dimension) {
  if (dimension <= 0) return 1;
  CGFloat rest = 1 - std::min(std::abs(stretched), dimension) / dimension;
  return kRubberBandCoefficient * rest * rest;
}

std::uint64_t nextMotionGeneration() {
  static std::uint64_t generation = 0;
  return ++generation;
}

}  // namespace

struct UIScrollView::Motion {
  struct Axis {
    enum class Kind { resting, coasting, spring };
    Kind kind = Kind::resting;
    double start = 0;     // when this segment began
    CGFloat from = 0;     // where it was then
    CGFloat velocity = 0; // points per second then
    CGFloat target = 0;   // where it comes to rest
    double duration = 0;  // coasting: how long until it rests
    double crossing = kInfinity;  // coasting: when it passes `edge`
    CGFloat edge = 0;
    bool bounces = true;
    double frequency = 0;  // spring
    CGFloat position = 0;  // at the latest step

    static Axis resting(CGFloat position) {
      Axis axis;
      axis.target = axis.position = position;
      return axis;
    }

    static Axis spring(double start, CGFloat from, CGFloat velocity, CGFloat target, double frequency) {
      Axis axis;
      axis.kind = Kind::spring;
      axis.start = start;
      axis.from = axis.position = from;
      axis.velocity = velocity;
      axis.target = target;
      axis.frequency = frequency;
      return axis;
    }

    // Coasting from `from` at `velocity`, between the ends `low` and `high`.
    static Axis coasting(double start, CGFloat from, CGFloat velocity, CGFloat rate, CGFloat low, CGFloat high,
                         bool bounces) {
      CGFloat distance = restDistance(velocity, rate);
      if (std::abs(distance) < ScrollViewInternals::kRestDistance) return resting(from);
      Axis axis;
      axis.kind = Kind::coasting;
      axis.start = start;
      axis.from = axis.position = from;
      axis.velocity = velocity;
      axis.target = from + distance;
      axis.bounces = bounces;
      // What is left of the way after n ms is distance·r^n.
      axis.duration = std::log(ScrollViewInternals::kRestDistance / std::abs(distance)) / std::log(rate) / 1000;
      bool pastHigh = axis.target > high, pastLow = axis.target < low;
      if (pastHigh || pastLow) {
        axis.edge = pastHigh ? high : low;
        double left = 1 - (axis.edge - from) / distance;  // r^n at the crossing
        double crossing = left > 0 ? std::log(std::min(1.0, left)) / std::log(rate) / 1000 : kInfinity;
        if (crossing < axis.duration)
          axis.crossing = crossing;
        else
          axis.target = axis.edge;  // it would cross only in its last half point
      }
      return axis;
    }

    // Moves on to time `t`; returns whether the axis still moves.
    bool advance(double t, CGFloat rate) {
      for (;;) {
        switch (kind) {
          case Kind::resting: position = target; return false;
          case Kind::coasting: {
            double elapsed = t - start;
            if (elapsed >= crossing - kTimeEpsilon) {
              CGFloat speed = velocity * std::pow(rate, 1000 * crossing);
              double at = start + crossing;
              *this = bounces ? spring(at, edge, speed, edge, kBounceFrequency) : resting(edge);
              continue;
            }
            if (elapsed >= duration - kTimeEpsilon) {
              *this = resting(target);
              continue;
            }
            position = from + restDistance(velocity, rate) * (1 - std::pow(rate, 1000 * elapsed));
            return true;
          }
          case Kind::spring: {
            double tau = std::max(0.0, t - start);
            double x0 = from - target;
            double b = velocity + frequency * x0;
            double fade = std::exp(-frequency * tau);
            double x = (x0 + b * tau) * fade;
            double v = (b - frequency * (x0 + b * tau)) * fade;
            if (std::abs(x) < ScrollViewInternals::kRestDistance && std::abs(v) < kRestVelocity) {
              *this = resting(target);
              continue;
            }
            position = target + x;
            return true;
          }
        }
      }
    }

    // The next moment at which the segment changes, or infinity.
    double nextChange() const {
      return kind == Kind::coasting ? start + std::min(crossing, duration) : kInfinity;
    }
  };

  Axis x, y;
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
  auto unstretched = [](CGFloat position, CGFloat lowEnd, CGFloat highEnd, CGFloat dimension) {
    if (position < lowEnd) return lowEnd - unstretch(lowEnd - position, dimension);
    if (position > highEnd) return highEnd + unstretch(position - highEnd, dimension);
    return position;
  };
  unstretchedOffsetAtTouchStart_ = {unstretched(offset.x, low.x, high.x, bounds().size.width),
                                    unstretched(offset.y, low.y, high.y, bounds().size.height)};
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
  CGPoint low = minimumContentOffset(), high = maximumContentOffset();
  auto stretched = [this](CGFloat raw, CGFloat lowEnd, CGFloat highEnd, CGFloat dimension) {
    if (raw < lowEnd) return bounces_ ? lowEnd - ScrollViewInternals::rubberBand(lowEnd - raw, dimension) : lowEnd;
    if (raw > highEnd) return bounces_ ? highEnd + ScrollViewInternals::rubberBand(raw - highEnd, dimension) : highEnd;
    return raw;
  };
  CGPoint offset = contentOffset();
  if (canScrollHorizontally())
    offset.x = stretched(unstretchedOffsetAtTouchStart_.x - (current.x - touchStart_.x), low.x, high.x,
                         bounds().size.width);
  if (canScrollVertically())
    offset.y = stretched(unstretchedOffsetAtTouchStart_.y - (current.y - touchStart_.y), low.y, high.y,
                         bounds().size.height);
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
    auto slowed = [](CGFloat speed, CGFloat position, CGFloat lowEnd, CGFloat highEnd, CGFloat dimension) {
      CGFloat beyond = position < lowEnd ? lowEnd - position : position > highEnd ? position - highEnd : 0;
      return beyond > 0 ? speed * rubberBandSlope(beyond, dimension) : speed;
    };
    velocity = {slowed(velocity.x, offset.x, low.x, high.x, bounds().size.width),
                slowed(velocity.y, offset.y, low.y, high.y, bounds().size.height)};
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
    if (pagingEnabled_ && page > 0) {
      double index = position / page;
      index = speed > kPageFlickVelocity    ? std::ceil(index - 1e-6)
              : speed < -kPageFlickVelocity ? std::floor(index + 1e-6)
                                            : std::round(index);
      return std::clamp<CGFloat>(static_cast<CGFloat>(index) * page, lowEnd, highEnd);
    }
    CGFloat distance = restDistance(speed, decelerationRate_);
    if (std::abs(distance) < ScrollViewInternals::kRestDistance) distance = 0;
    return std::clamp(position + distance, lowEnd, highEnd);
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
  using Axis = Motion::Axis;
  double t = now();
  CGFloat rate = decelerationRate_;
  CGPoint offset = contentOffset(), low = minimumContentOffset(), high = maximumContentOffset();
  auto axis = [&](bool scrolls, CGFloat position, CGFloat speed, CGFloat goal, CGFloat lowEnd, CGFloat highEnd) {
    if (!scrolls) return Axis::resting(position);
    if (pagingEnabled_) {
      // Towards the page as fast as the finger went, but never past it.
      CGFloat way = goal - position;
      CGFloat limit = static_cast<CGFloat>(kPagingFrequency) * std::abs(way);
      if (speed * way > 0) speed = std::copysign(std::min(std::abs(speed), limit), speed);
      return Axis::spring(t, position, speed, goal, kPagingFrequency);
    }
    if (position < lowEnd || position > highEnd)
      return Axis::spring(t, position, speed, position < lowEnd ? lowEnd : highEnd, kBounceFrequency);
    if (targetMoved) {
      // The delegate chose where to rest: coast there, starting as fast as needed.
      CGFloat needed = (goal - position) * 1000 * (1 - rate);
      Axis coasting = Axis::coasting(t, position, needed, rate, lowEnd, highEnd, bounces_);
      coasting.target = goal;
      return coasting;
    }
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

CGFloat ScrollViewInternals::rubberBand(CGFloat overshoot, CGFloat dimension) {
  if (dimension <= 0) return 0;
  CGFloat magnitude = std::abs(overshoot);
  return std::copysign((1 - 1 / (magnitude * kRubberBandCoefficient / dimension + 1)) * dimension, overshoot);
}

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
