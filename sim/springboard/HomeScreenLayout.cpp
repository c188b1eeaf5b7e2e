#include "sim/springboard/HomeScreenLayout.h"

#include "platform/uikit/UIPageControl.h"

namespace kavro::sim {

CGRect HomeScreenLayout::dockFrame() const {
  CGFloat bottom = CGRectGetMaxY(screen_) - safeArea_.bottom;
  return CGRectMake(screen_.origin.x + kDockSideInset, bottom - kDockHeight, screen_.size.width - 2 * kDockSideInset,
                    kDockHeight);
}

CGRect HomeScreenLayout::pageControlFrame() const {
  return CGRectMake(screen_.origin.x, dockFrame().origin.y - UIPageControl::kHeight, screen_.size.width,
                    UIPageControl::kHeight);
}

CGRect HomeScreenLayout::gridFrame() const {
  return CGRectMake(screen_.origin.x, screen_.origin.y, screen_.size.width,
                    pageControlFrame().origin.y - screen_.origin.y);
}

CGFloat HomeScreenLayout::columnPitch() const {
  return (screen_.size.width - 2 * kSideInset - kIconSize) / static_cast<CGFloat>(kColumns - 1);
}

CGFloat HomeScreenLayout::rowPitch() const {
  // The rows spread evenly over the height between the status bar and the dots.
  CGFloat top = safeArea_.top + kGridTopInset;
  CGFloat bottom = pageControlFrame().origin.y - kGridBottomInset;
  return (bottom - top - iconViewSize().height) / static_cast<CGFloat>(kRows - 1);
}

CGFloat HomeScreenLayout::columnCentre(CGFloat column) const {
  return kSideInset + kIconSize / 2 + column * columnPitch();
}

CGRect HomeScreenLayout::iconFrame(std::size_t index) const {
  std::size_t page = index / kIconsPerPage, place = index % kIconsPerPage;
  CGSize size = iconViewSize();
  CGFloat x = static_cast<CGFloat>(page) * screen_.size.width +
              columnCentre(static_cast<CGFloat>(place % kColumns)) - size.width / 2;
  CGFloat y = safeArea_.top + kGridTopInset + static_cast<CGFloat>(place / kColumns) * rowPitch();
  return CGRectMake(x, y, size.width, size.height);
}

CGRect HomeScreenLayout::dockIconFrame(std::size_t index, std::size_t count) const {
  CGRect dock = dockFrame();
  // A full dock takes the grid's columns; fewer icons are centred on the screen.
  CGFloat first = static_cast<CGFloat>(kColumns - count) / 2;
  CGFloat centre = columnCentre(first + static_cast<CGFloat>(index)) - (dock.origin.x - screen_.origin.x);
  return CGRectMake(centre - kIconSize / 2, (dock.size.height - kIconSize) / 2, kIconSize, kIconSize);
}

}  // namespace kavro::sim
