#pragma once
// A view whose bounds origin is the content offset. Dragging a finger scrolls it;
// past an end the content follows the finger with rubber-band resistance. When the
// finger lifts moving, the content coasts on, slowing down by the deceleration rate
// every millisecond, and springs back to the edge it coasted past; a paging scroll
// view settles on a page instead. All motion runs on the process's virtual clock,
// one step per frame of the run loop. The content inset is adjusted by the bars and
// screen edges that cover the view.

#include "platform/uikit/UIView.h"

#include <deque>
#include <memory>

class UIScrollView;
namespace kavro::platform::uikit {
struct ScrollViewInternals;
}

enum UIScrollViewKeyboardDismissMode : long {
  UIScrollViewKeyboardDismissModeNone = 0,
  UIScrollViewKeyboardDismissModeOnDrag = 1,
  UIScrollViewKeyboardDismissModeInteractive = 2,
};

enum UIScrollViewContentInsetAdjustmentBehavior : long {
  UIScrollViewContentInsetAdjustmentAutomatic = 0,
  UIScrollViewContentInsetAdjustmentScrollableAxes = 1,
  UIScrollViewContentInsetAdjustmentNever = 2,
  UIScrollViewContentInsetAdjustmentAlways = 3,
};

// The fraction of its velocity that coasting content keeps after each millisecond.
using UIScrollViewDecelerationRate = CGFloat;
inline constexpr UIScrollViewDecelerationRate UIScrollViewDecelerationRateNormal = 0.998;
inline constexpr UIScrollViewDecelerationRate UIScrollViewDecelerationRateFast = 0.99;

// What a scroll view tells its delegate, in this order for a flick:
// willBeginDragging, didScroll…, willEndDragging, didEndDragging(decelerate true),
// willBeginDecelerating, didScroll…, didEndDecelerating. A drag that ends still
// within range ends with didEndDragging(decelerate false) and nothing after it.
class UIScrollViewDelegate {
 public:
  virtual ~UIScrollViewDelegate() = default;
  virtual void scrollViewDidScroll(const std::shared_ptr<UIScrollView>& scrollView) {}
  virtual void scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>& scrollView) {}
  // The finger lifts with `velocity` (points per millisecond); the delegate may move
  // `targetContentOffset`, where the content will come to rest.
  virtual void scrollViewWillEndDragging(const std::shared_ptr<UIScrollView>& scrollView, CGPoint velocity,
                                         CGPoint* targetContentOffset) {}
  virtual void scrollViewDidEndDragging(const std::shared_ptr<UIScrollView>& scrollView, bool decelerate) {}
  virtual void scrollViewWillBeginDecelerating(const std::shared_ptr<UIScrollView>& scrollView) {}
  virtual void scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>& scrollView) {}
  // An animated setContentOffset (or scrollRectToVisible) has finished.
  virtual void scrollViewDidEndScrollingAnimation(const std::shared_ptr<UIScrollView>& scrollView) {}
};

class UIScrollView : public UIView {
  KAVRO_OBJC_CLASS(UIScrollView)
 public:
  // How far a finger must move before the touch becomes a scroll.
  static constexpr CGFloat kScrollThreshold = 10;

  UIScrollView();
  ~UIScrollView() override;

  CGPoint contentOffset() const { return bounds().origin; }
  // Sets the offset at once; motion in progress goes on from there.
  void setContentOffset(CGPoint offset);
  // Stops any motion, then moves to `offset`, animated or at once.
  void setContentOffset(CGPoint offset, bool animated);
  CGSize contentSize() const { return contentSize_; }
  void setContentSize(CGSize size);
  UIEdgeInsets contentInset() const { return contentInset_; }
  void setContentInset(UIEdgeInsets inset);
  UIEdgeInsets adjustedContentInset() const;
  UIScrollViewContentInsetAdjustmentBehavior contentInsetAdjustmentBehavior() const { return adjustment_; }
  void setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior behavior) {
    adjustment_ = behavior;
  }
  bool isScrollEnabled() const { return scrollEnabled_; }
  void setScrollEnabled(bool enabled) { scrollEnabled_ = enabled; }
  UIScrollViewKeyboardDismissMode keyboardDismissMode() const { return keyboardDismissMode_; }
  void setKeyboardDismissMode(UIScrollViewKeyboardDismissMode mode) { keyboardDismissMode_ = mode; }
  std::shared_ptr<UIScrollViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<UIScrollViewDelegate>& delegate) { delegate_ = delegate; }

  // Bouncing: past an end the content stretches and springs back. An axis whose
  // content fits the view scrolls (and bounces) only when told to always bounce.
  bool bounces() const { return bounces_; }
  void setBounces(bool bounces) { bounces_ = bounces; }
  bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
  void setAlwaysBounceVertical(bool bounce) { alwaysBounceVertical_ = bounce; }
  bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
  void setAlwaysBounceHorizontal(bool bounce) { alwaysBounceHorizontal_ = bounce; }
  // Paging: a drag or flick comes to rest on a multiple of the view's size.
  bool isPagingEnabled() const { return pagingEnabled_; }
  void setPagingEnabled(bool enabled) { pagingEnabled_ = enabled; }
  UIScrollViewDecelerationRate decelerationRate() const { return decelerationRate_; }
  void setDecelerationRate(UIScrollViewDecelerationRate rate);

  // A finger is on the view (it may not have moved far enough to drag yet).
  bool isTracking() const { return tracking_; }
  bool isDragging() const { return dragging_; }
  // The content moves on its own: coasting, springing back or settling on a page.
  bool isDecelerating() const { return motion_ != nullptr; }

  // The smallest and largest offsets scrolling reaches.
  CGPoint minimumContentOffset() const;
  CGPoint maximumContentOffset() const;
  // Scrolls just enough for `rect` (content coordinates) to be visible.
  void scrollRectToVisible(CGRect rect, bool animated);

  void layoutSubviews() override;
  // Re-reads the insets of the bars and screen edges that cover the view; a change
  // asks for a layout, and a view resting at the top stays at the top.
  void safeAreaInsetsDidChange();
  // A touch on moving content belongs to the scroll view: it stops the motion and
  // is no tap on what lies under it.
  std::shared_ptr<UIView> hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event) override;
  void willMoveToWindow(const std::shared_ptr<UIWindow>& newWindow) override;
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

  // Motion after the finger lifts, per axis (opaque outside the stand-in).
  struct Motion;

 protected:
  // Hooks for subclasses: the offset changed, whether a drag should become a
  // scroll, and a person began to scroll (by finger or wheel).
  virtual void didScroll() {}
  virtual bool shouldBeginScrolling(CGPoint start, CGPoint current) const;
  virtual void willBeginUserScrolling() {}
  CGPoint touchStart() const { return touchStart_; }
  bool isScrollingTouch() const { return dragging_; }
  // Whether the content can move along each axis (it is larger than the view, or
  // is told to always bounce).
  bool canScrollVertically() const;
  bool canScrollHorizontally() const;

 private:
  friend struct kavro::platform::uikit::ScrollViewInternals;
  struct TouchSample {
    double time;
    CGPoint location;
  };

  void adjustInsetsIfNeeded();
  void applyOffset(CGPoint offset);
  void recordSample(double time, CGPoint location);
  CGPoint releaseVelocity(double time) const;
  CGPoint restingOffset(CGPoint velocity) const;
  void release(CGPoint velocity);
  void startMotion(CGPoint velocity, CGPoint target, bool targetMoved);
  void scheduleStep();
  void step();
  void stopMotion();

  CGSize contentSize_{};
  UIEdgeInsets contentInset_{};
  UIEdgeInsets lastAdjusted_{};
  bool insetsApplied_ = false;
  UIScrollViewContentInsetAdjustmentBehavior adjustment_ = UIScrollViewContentInsetAdjustmentAutomatic;
  bool scrollEnabled_ = true;
  UIScrollViewKeyboardDismissMode keyboardDismissMode_ = UIScrollViewKeyboardDismissModeNone;
  std::weak_ptr<UIScrollViewDelegate> delegate_;
  bool bounces_ = true;
  bool alwaysBounceVertical_ = false;
  bool alwaysBounceHorizontal_ = false;
  bool pagingEnabled_ = false;
  UIScrollViewDecelerationRate decelerationRate_ = UIScrollViewDecelerationRateNormal;

  bool tracking_ = false;
  bool dragging_ = false;
  CGPoint touchStart_{};
  // The offset the finger would have reached without resistance past the ends.
  CGPoint unstretchedOffsetAtTouchStart_{};
  std::deque<TouchSample> samples_;
  std::unique_ptr<Motion> motion_;
};
