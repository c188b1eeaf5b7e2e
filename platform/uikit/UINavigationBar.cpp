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

void UINavigationBar::rebuild() {
  for (auto& view : itemViews_) view->removeFromSuperview();
  itemViews_.clear();
  if (titleLabel_) titleLabel_->removeFromSuperview();
  if (largeTitleLabel_) largeTitleLabel_->removeFromSuperview();
  if (backButton_) backButton_->removeFromSuperview();
  titleLabel_ = nullptr;
  largeTitleLabel_ = nullptr;
  backButton_ = nullptr;
  auto item = topItem();
  if (!item) return;
  CGFloat width = bounds().size.width;

  // Leading side: the back button, or the item's left items.
  CGFloat x = kEdgeMargin;
  if (item->leftBarButtonItems().empty() && backItem() && !item->hidesBackButton()) {
    backButton_ = UIButton::buttonWithType(UIButtonTypeSystem);
    backButton_->setImage(UIImage::systemImageNamed("chevron.left"), UIControlStateNormal);
    std::string title = backItem()->title().empty() ? "Back" : backItem()->title();
    backButton_->setTitle(title, UIControlStateNormal);
    backButton_->addTarget(self<UINavigationBar>(), "backButtonTapped:", UIControlEventTouchUpInside);
    CGSize size = backButton_->sizeThatFits({0, 0});
    backButton_->setFrame(CGRectMake(8, (kStandardHeight - 30) / 2, size.width, 30));
    addSubview(backButton_);
    x = 8 + size.width + kItemSpacing;
  }
  for (auto& barItem : item->leftBarButtonItems()) {
    if (barItem->isFixedSpace()) {
      x += barItem->width();
      continue;
    }
    auto view = barItem->barView();
    if (!view) continue;
    CGSize size = view->frame().size;
    view->setFrame(CGRectMake(x, (kStandardHeight - size.height) / 2, size.width, size.height));
    addSubview(view);
    itemViews_.push_back(view);
    x += size.width + kItemSpacing;
  }
  CGFloat leadingEdge = x;

  // Trailing side: the first right item stands outermost.
  x = width - kEdgeMargin;
  for (auto& barItem : item->rightBarButtonItems()) {
    if (barItem->isFixedSpace()) {
      x -= barItem->width();
      continue;
    }
    auto view = barItem->barView();
    if (!view) continue;
    CGSize size = view->frame().size;
    x -= size.width;
    view->setFrame(CGRectMake(x, (kStandardHeight - size.height) / 2, size.width, size.height));
    addSubview(view);
    itemViews_.push_back(view);
    x -= kItemSpacing;
  }
  CGFloat trailingEdge = x;

  auto appearance = effectiveAppearance();
  auto colorFrom = [](const NSAttributedString::Attributes& attributes) -> std::shared_ptr<UIColor> {
    auto found = attributes.find(NSForegroundColorAttributeName);
    return found == attributes.end() ? nullptr : std::dynamic_pointer_cast<UIColor>(found->second);
  };
  if (showsLargeTitle()) {
    largeTitleLabel_ = alloc<UILabel>()->initWithFrame(
        CGRectMake(kEdgeMargin, kStandardHeight, width - 2 * kEdgeMargin, 41));
    largeTitleLabel_->setFont(UIFont::systemFontOfSize(34, UIFontWeightBold));
    largeTitleLabel_->setText(item->title());
    largeTitleLabel_->setAccessibilityTraits(UIAccessibilityTraitStaticText | UIAccessibilityTraitHeader);
    if (appearance)
      if (auto color = colorFrom(appearance->largeTitleTextAttributes())) largeTitleLabel_->setTextColor(color);
    addSubview(largeTitleLabel_);
  } else {
    CGFloat side = std::max(leadingEdge, width - trailingEdge);
    titleLabel_ = alloc<UILabel>()->initWithFrame(
        CGRectMake(side, (kStandardHeight - 22) / 2, std::max<CGFloat>(0, width - 2 * side), 22));
    titleLabel_->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
    titleLabel_->setTextAlignment(NSTextAlignmentCenter);
    titleLabel_->setText(item->title());
    titleLabel_->setAccessibilityTraits(UIAccessibilityTraitStaticText | UIAccessibilityTraitHeader);
    if (appearance)
      if (auto color = colorFrom(appearance->titleTextAttributes())) titleLabel_->setTextColor(color);
    addSubview(titleLabel_);
  }

  auto searchBar = kavro::platform::uikit::searchBarViewOf(item);
  if (searchBar && !showsSearchField() && searchBar->superview().get() == this) searchBar->removeFromSuperview();
  if (searchBar && showsSearchField()) {
    CGFloat top = kStandardHeight + (showsLargeTitle() ? kLargeTitleHeight : 0);
    searchBar->setFrame(CGRectMake(0, top, width, kSearchFieldHeight));
    if (searchBar->superview().get() != this) addSubview(searchBar);
    itemViews_.push_back(searchBar);
  }
}
