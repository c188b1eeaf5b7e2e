#include "platform/uikit/UIPageControl.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UITouch.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIPageControl, UIControl, )

UIPageControl::UIPageControl() = default;

std::shared_ptr<UIPageControl> UIPageControl::initWithFrame(CGRect frame) {
  UIControl::initWithFrame(frame);
  return self<UIPageControl>();
}

void UIPageControl::setNumberOfPages(long pages) {
  numberOfPages_ = std::max(0L, pages);
  currentPage_ = std::clamp(currentPage_, 0L, std::max(0L, numberOfPages_ - 1));
  updateIndicators();
}

void UIPageControl::setCurrentPage(long page) {
  currentPage_ = std::clamp(page, 0L, std::max(0L, numberOfPages_ - 1));
  updateIndicators();
}

void UIPageControl::setHidesForSinglePage(bool hides) {
  hidesForSinglePage_ = hides;
  updateIndicators();
}

void UIPageControl::setPageIndicatorTintColor(const std::shared_ptr<UIColor>& color) {
  pageIndicatorTintColor_ = color;
  updateIndicators();
}

void UIPageControl::setCurrentPageIndicatorTintColor(const std::shared_ptr<UIColor>& color) {
  currentPageIndicatorTintColor_ = color;
  updateIndicators();
}

bool UIPageControl::showsIndicators() const {
  return numberOfPages_ > 1 || (numberOfPages_ == 1 && !hidesForSinglePage_);
}

CGSize UIPageControl::sizeForNumberOfPages(long pages) const {
  if (pages <= 0) return {0, kHeight};
  auto count = static_cast<CGFloat>(pages);
  return {count * kIndicatorDiameter + (count - 1) * kIndicatorSpacing, kHeight};
}

CGSize UIPageControl::sizeThatFits(CGSize) const { return sizeForNumberOfPages(numberOfPages_); }

void UIPageControl::updateIndicators() {
  // One round view per page, made or dropped as the count changes.
  while (static_cast<long>(indicators_.size()) > numberOfPages_) {
    indicators_.back()->removeFromSuperview();
    indicators_.pop_back();
  }
  while (static_cast<long>(indicators_.size()) < numberOfPages_) {
    auto dot = alloc<UIView>()->initWithFrame(CGRectMake(0, 0, kIndicatorDiameter, kIndicatorDiameter));
    dot->layer()->setCornerRadius(kIndicatorDiameter / 2);
    dot->setUserInteractionEnabled(false);
    addSubview(dot);
    indicators_.push_back(dot);
  }
  auto faint = pageIndicatorTintColor_ ? pageIndicatorTintColor_ : UIColor::tertiaryLabelColor();
  auto strong = currentPageIndicatorTintColor_ ? currentPageIndicatorTintColor_ : UIColor::labelColor();
  bool shows = showsIndicators();
  for (std::size_t i = 0; i < indicators_.size(); ++i) {
    indicators_[i]->setBackgroundColor(static_cast<long>(i) == currentPage_ ? strong : faint);
    indicators_[i]->setHidden(!shows);
  }
  setNeedsLayout();
}

void UIPageControl::layoutSubviews() {
  UIControl::layoutSubviews();
  CGRect area = bounds();
  CGSize dots = sizeForNumberOfPages(numberOfPages_);
  CGFloat x = (area.size.width - dots.width) / 2;
  CGFloat y = (area.size.height - kIndicatorDiameter) / 2;
  for (auto& dot : indicators_) {
    dot->setFrame(CGRectMake(x, y, kIndicatorDiameter, kIndicatorDiameter));
    x += kIndicatorDiameter + kIndicatorSpacing;
  }
}

void UIPageControl::endTrackingWithTouch(const std::shared_ptr<UITouch>& touch, const std::shared_ptr<UIEvent>&) {
  if (!isTouchInside() || !showsIndicators() || currentPage_ < 0 ||
      currentPage_ >= static_cast<long>(indicators_.size()))
    return;
  CGPoint point = touch->locationInView(self<UIPageControl>());
  CGFloat middle = CGRectGetMidX(indicators_[static_cast<std::size_t>(currentPage_)]->frame());
  long page = std::clamp(currentPage_ + (point.x < middle ? -1 : 1), 0L, numberOfPages_ - 1);
  if (page == currentPage_) return;
  setCurrentPage(page);
  sendActionsForControlEvents(UIControlEventValueChanged);
}
