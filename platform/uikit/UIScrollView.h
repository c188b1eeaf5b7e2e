#pragma once
// A view whose bounds origin is the content offset. Dragging a finger scrolls it;
// the content inset is adjusted by the bars and screen edges that cover it.

#include "platform/uikit/UIView.h"

#include <memory>

class UIScrollView;

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

class UIScrollViewDelegate {
 public:
  virtual ~UIScrollViewDelegate() = default;
  virtual void scrollViewDidScroll(const std::shared_ptr<UIScrollView>& scrollView) {}
  virtual void scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>& scrollView) {}
  virtual void scrollViewDidEndDragging(const std::shared_ptr<UIScrollView>& scrollView, bool decelerate) {}
};

class UIScrollView : public UIView {
  KAVRO_OBJC_CLASS(UIScrollView)
 public:
  // How far a finger must move before the touch becomes a scroll.
  static constexpr CGFloat kScrollThreshold = 10;

  CGPoint contentOffset() const { return bounds().origin; }
  void setContentOffset(CGPoint offset);
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
  bool isDragging() const { return dragging_; }

  // The smallest and largest offsets scrolling reaches.
  CGPoint minimumContentOffset() const;
  CGPoint maximumContentOffset() const;
  // Scrolls just enough for `rect` (content coordinates) to be visible.
  void scrollRectToVisible(CGRect rect, bool animated);

  void layoutSubviews() override;
  // Re-reads the insets of the bars and screen edges that cover the view; a change
  // asks for a layout, and a view resting at the top stays at the top.
  void safeAreaInsetsDidChange();
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

 protected:
  // Hooks for subclasses: a touch that began in the content, and whether a drag
  // should become a scroll.
  virtual void didScroll() {}
  virtual bool shouldBeginScrolling(CGPoint start, CGPoint current) const;
  CGPoint touchStart() const { return touchStart_; }
  bool isScrollingTouch() const { return dragging_; }

 private:
  void adjustInsetsIfNeeded();
  CGSize contentSize_{};
  UIEdgeInsets contentInset_{};
  UIEdgeInsets lastAdjusted_{};
  bool insetsApplied_ = false;
  UIScrollViewContentInsetAdjustmentBehavior adjustment_ = UIScrollViewContentInsetAdjustmentAutomatic;
  bool scrollEnabled_ = true;
  UIScrollViewKeyboardDismissMode keyboardDismissMode_ = UIScrollViewKeyboardDismissModeNone;
  std::weak_ptr<UIScrollViewDelegate> delegate_;
  bool dragging_ = false;
  CGPoint touchStart_{};
  CGPoint offsetAtTouchStart_{};
};
