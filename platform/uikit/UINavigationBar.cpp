#include "platform/uikit/UINavigationBar.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UISearchBarHosting.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UINavigationBar, UIView,
                                .method("backButtonTapped:", &UINavigationBar::backButtonTapped))

UINavigationBar::UINavigationBar() = default;

void UINavigationBar::setPrefersLargeTitles(bool prefers) {
  if (prefersLargeTitles_ == prefers) return;
  prefersLargeTitles_ = prefers;
  setNeedsLayout();
  if (auto navigation = navigationController_.lock())
    if (auto view = navigation->viewIfLoaded()) view->setNeedsLayout();
}

void UINavigationBar::setItems(const std::vector<std::shared_ptr<UINavigationItem>>& items) {
  for (auto& item : items_)
    if (item->navigationBar().get() == this) item->setNavigationBar(nullptr);
  items_ = items;
  for (auto& item : items_) item->setNavigationBar(self<UINavigationBar>());
  setNeedsLayout();
}

void UINavigationBar::itemDidChange(const UINavigationItem& item) {
  if (&item != topItem().get() && &item != backItem().get()) return;
  setNeedsLayout();
  if (auto navigation = navigationController_.lock())
    if (auto view = navigation->viewIfLoaded()) view->setNeedsLayout();
}

std::shared_ptr<UINavigationBarAppearance> UINavigationBar::effectiveAppearance() const {
  if (auto item = topItem())
    if (item->standardAppearance()) return item->standardAppearance();
  return standardAppearance_;
}

bool UINavigationBar::showsLargeTitle() const {
  if (!prefersLargeTitles_ || items_.empty()) return false;
  // An automatic item shows its title as the item before it did; the first item large.
  for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
    switch ((*it)->largeTitleDisplayMode()) {
      case UINavigationItemLargeTitleDisplayModeAlways: return true;
      case UINavigationItemLargeTitleDisplayModeNever: return false;
      default: break;
    }
  }
  return true;
}

void UINavigationBar::setSearchFieldCollapsed(bool collapsed) {
  if (searchFieldCollapsed_ == collapsed) return;
  searchFieldCollapsed_ = collapsed;
  setNeedsLayout();
}

bool UINavigationBar::showsSearchField() const {
  auto item = topItem();
  if (!item || !kavro::platform::uikit::searchBarViewOf(item)) return false;
  return !(searchFieldCollapsed_ && item->hidesSearchBarWhenScrolling());
}

CGFloat UINavigationBar::barHeight() const {
  CGFloat height = kStandardHeight;
  if (showsLargeTitle()) height += kLargeTitleHeight;
  if (showsSearchField()) height += kSearchFieldHeight;
  return height;
}

CGSize UINavigationBar::sizeThatFits(CGSize size) const {
  return {size.width > 0 ? size.width : frame().size.width, barHeight()};
}

void UINavigationBar::layoutSubviews() {
  UIView::layoutSubviews();
  rebuild();
}

void UINavigationBar::backButtonTapped(const std::shared_ptr<UIButton>&) {
  if (auto navigation = navigationController_.lock()) navigation->popViewControllerAnimated(true);
}

namespace {

// The colour a title's attributes ask for, or nullptr.
std::shared_ptr<UIColor> foregroundColorOf(const NSAttributedString::Attributes& attributes) {
  auto found = attributes.find(NSForegroundColorAttributeName);
  return found == attributes.end() ? nullptr : std::dynamic_pointer_cast<UIColor>(found->second);
}

}  // namespace

void UINavigationBar::rebuild() {
  removeItemViews();
  auto item = topItem();
  if (!item) return;
  CGFloat leadingEdge = kEdgeMargin;
  if (item->leftBarButtonItems().empty() && backItem() && !item->hidesBackButton()) leadingEdge = placeBackButton();
  leadingEdge = placeBarButtonItems(item->leftBarButtonItems(), leadingEdge, true);
  // The first right item stands outermost.
  CGFloat trailingEdge = placeBarButtonItems(item->rightBarButtonItems(), bounds().size.width - kEdgeMargin, false);
  placeTitle(*item, leadingEdge, trailingEdge);
  placeSearchField(item);
}

void UINavigationBar::removeItemViews() {
  for (auto& view : itemViews_) view->removeFromSuperview();
  itemViews_.clear();
  for (auto* view : {&titleLabel_, &largeTitleLabel_}) {
    if (*view) (*view)->removeFromSuperview();
    *view = nullptr;
  }
  if (backButton_) backButton_->removeFromSuperview();
  backButton_ = nullptr;
}

CGFloat UINavigationBar::placeBackButton() {
  backButton_ = UIButton::buttonWithType(UIButtonTypeSystem);
  backButton_->setImage(UIImage::systemImageNamed("chevron.left"), UIControlStateNormal);
  std::string title = backItem()->title().empty() ? "Back" : backItem()->title();
  backButton_->setTitle(title, UIControlStateNormal);
  backButton_->addTarget(self<UINavigationBar>(), "backButtonTapped:", UIControlEventTouchUpInside);
  CGSize size = backButton_->sizeThatFits({0, 0});
  backButton_->setFrame(CGRectMake(8, (kStandardHeight - 30) / 2, size.width, 30));
  addSubview(backButton_);
  return 8 + size.width + kItemSpacing;
}

CGFloat UINavigationBar::placeBarButtonItems(const std::vector<std::shared_ptr<UIBarButtonItem>>& items,
                                             CGFloat edge, bool leading) {
  for (auto& barItem : items) {
    if (barItem->isFixedSpace()) {
      edge += leading ? barItem->width() : -barItem->width();
      continue;
    }
    auto view = barItem->barView();
    if (!view) continue;
    CGSize size = view->frame().size;
    CGFloat left = leading ? edge : edge - size.width;
    view->setFrame(CGRectMake(left, (kStandardHeight - size.height) / 2, size.width, size.height));
    addSubview(view);
    itemViews_.push_back(view);
    edge = leading ? left + (size.width + kItemSpacing) : left - kItemSpacing;
  }
  return edge;
}

void UINavigationBar::placeTitle(const UINavigationItem& item, CGFloat leadingEdge, CGFloat trailingEdge) {
  CGFloat width = bounds().size.width;
  auto appearance = effectiveAppearance();
  std::shared_ptr<UILabel> label;
  std::shared_ptr<UIColor> color;
  if (showsLargeTitle()) {
    label = largeTitleLabel_ =
        alloc<UILabel>()->initWithFrame(CGRectMake(kEdgeMargin, kStandardHeight, width - 2 * kEdgeMargin, 41));
    label->setFont(UIFont::systemFontOfSize(34, UIFontWeightBold));
    if (appearance) color = foregroundColorOf(appearance->largeTitleTextAttributes());
  } else {
    // Centred in the bar, clear of the items on either side.
    CGFloat side = std::max(leadingEdge, width - trailingEdge);
    label = titleLabel_ = alloc<UILabel>()->initWithFrame(
        CGRectMake(side, (kStandardHeight - 22) / 2, std::max<CGFloat>(0, width - 2 * side), 22));
    label->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
    label->setTextAlignment(NSTextAlignmentCenter);
    if (appearance) color = foregroundColorOf(appearance->titleTextAttributes());
  }
  label->setText(item.title());
  label->setAccessibilityTraits(UIAccessibilityTraitStaticText | UIAccessibilityTraitHeader);
  if (color) label->setTextColor(color);
  addSubview(label);
}

void UINavigationBar::placeSearchField(const std::shared_ptr<UINavigationItem>& item) {
  auto searchBar = kavro::platform::uikit::searchBarViewOf(item);
  if (!searchBar) return;
  if (!showsSearchField()) {
    if (searchBar->superview().get() == this) searchBar->removeFromSuperview();
    return;
  }
  CGFloat top = kStandardHeight + (showsLargeTitle() ? kLargeTitleHeight : 0);
  searchBar->setFrame(CGRectMake(0, top, bounds().size.width, kSearchFieldHeight));
  if (searchBar->superview().get() != this) addSubview(searchBar);
  itemViews_.push_back(searchBar);
}
