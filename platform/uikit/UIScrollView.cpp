#include "platform/uikit/UIScrollView.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UITouch.h"

#include <algorithm>
#include <cmath>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIScrollView, UIView, )

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
  if (!animated) {
    setContentOffset(offset);
    return;
  }
  UIView::animateWithDuration(0.3, [&] { setContentOffset(offset); });
}

void UIScrollView::setContentSize(CGSize size) {
  contentSize_ = size;
  setNeedsLayout();
}

void UIScrollView::setContentInset(UIEdgeInsets inset) {
  contentInset_ = inset;
  setNeedsLayout();
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

bool UIScrollView::shouldBeginScrolling(CGPoint start, CGPoint current) const {
  return scrollEnabled_ && std::abs(current.y - start.y) > kScrollThreshold;
}

void UIScrollView::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) {
  if (touches.empty()) return;
  touchStart_ = touches.front()->locationInView(nullptr);
  offsetAtTouchStart_ = contentOffset();
  dragging_ = false;
}

void UIScrollView::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) {
  if (touches.empty()) return;
  CGPoint current = touches.front()->locationInView(nullptr);
  if (!dragging_) {
    if (!shouldBeginScrolling(touchStart_, current)) return;
    dragging_ = true;
    if (keyboardDismissMode_ != UIScrollViewKeyboardDismissModeNone)
      if (auto responder = UIResponder::currentFirstResponder()) responder->resignFirstResponder();
    if (auto delegate = this->delegate()) delegate->scrollViewWillBeginDragging(self<UIScrollView>());
  }
  CGFloat y = offsetAtTouchStart_.y - (current.y - touchStart_.y);
  y = std::clamp(y, minimumContentOffset().y, maximumContentOffset().y);
  setContentOffset({contentOffset().x, y});
}

void UIScrollView::touchesEnded(const UITouchSet&, const std::shared_ptr<UIEvent>&) {
  if (dragging_) {
    dragging_ = false;
    if (auto delegate = this->delegate()) delegate->scrollViewDidEndDragging(self<UIScrollView>(), false);
  }
}

void UIScrollView::touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  touchesEnded(touches, event);
}
