#pragma once
// A row of page indicators: one dot per page, the current one drawn in its own
// colour, centred in the control. A tap on either side of the current page's dot
// moves one page that way and sends the value-changed event; setting currentPage
// in code sends nothing. The dots are subviews (round views), so a renderer draws
// them as it draws any view.

#include "platform/uikit/UIControl.h"

#include <memory>
#include <vector>

class UIPageControl : public UIControl {
  KAVRO_OBJC_CLASS(UIPageControl)
 public:
  static constexpr CGFloat kIndicatorDiameter = 7;
  // From one dot's edge to the next one's.
  static constexpr CGFloat kIndicatorSpacing = 9;
  // The height the control asks for.
  static constexpr CGFloat kHeight = 26;

  UIPageControl();
  std::shared_ptr<UIPageControl> initWithFrame(CGRect frame);
  std::shared_ptr<UIPageControl> init() { return initWithFrame(CGRectZero); }

  long numberOfPages() const { return numberOfPages_; }
  // Negative counts are taken as 0; the current page stays within the pages.
  void setNumberOfPages(long pages);
  long currentPage() const { return currentPage_; }
  void setCurrentPage(long page);
  // With one page (or none) the control shows no dots and takes no taps.
  bool hidesForSinglePage() const { return hidesForSinglePage_; }
  void setHidesForSinglePage(bool hides);
  // The dots' colours; nullptr means the defaults (a faint and a strong label colour).
  std::shared_ptr<UIColor> pageIndicatorTintColor() const { return pageIndicatorTintColor_; }
  void setPageIndicatorTintColor(const std::shared_ptr<UIColor>& color);
  std::shared_ptr<UIColor> currentPageIndicatorTintColor() const { return currentPageIndicatorTintColor_; }
  void setCurrentPageIndicatorTintColor(const std::shared_ptr<UIColor>& color);

  // The size the dots of `pages` pages take up.
  CGSize sizeForNumberOfPages(long pages) const;
  // The dot views in page order (for renderers and tests).
  const std::vector<std::shared_ptr<UIView>>& indicatorViews() const { return indicators_; }

  CGSize sizeThatFits(CGSize size) const override;
  void layoutSubviews() override;
  void endTrackingWithTouch(const std::shared_ptr<UITouch>& touch, const std::shared_ptr<UIEvent>& event) override;

 private:
  bool showsIndicators() const;
  void updateIndicators();

  long numberOfPages_ = 0;
  long currentPage_ = 0;
  bool hidesForSinglePage_ = false;
  std::shared_ptr<UIColor> pageIndicatorTintColor_;
  std::shared_ptr<UIColor> currentPageIndicatorTintColor_;
  std::vector<std::shared_ptr<UIView>> indicators_;
};
