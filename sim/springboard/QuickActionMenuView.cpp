#include "sim/springboard/QuickActionMenuView.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIWindow.h"
#include "sim/springboard/HomeScreenLayout.h"

#include <algorithm>

using kavro::sim::QuickActionMenuView;
KAVRO_OBJC_CLASS_IMPLEMENTATION(QuickActionMenuView, UIView,
                                .method("backdropTapped:", &QuickActionMenuView::backdropTapped)
                                    .method("actionTapped:", &QuickActionMenuView::actionTapped)
                                    .method("addTapped:", &QuickActionMenuView::addTapped))

namespace kavro::sim {

namespace {
// The band between the menu's groups.
std::shared_ptr<UIColor> groupGapColor() {
  static auto color = UIColor::dynamicColor("quickActionGroupGap", {0, 0, 0, 0.08}, {0, 0, 0, 0.3});
  return color;
}
}  // namespace

std::shared_ptr<QuickActionMenuView> QuickActionMenuView::initWithContent(CGRect bounds, Content content,
                                                                          CGRect anchor,
                                                                          std::shared_ptr<UIImage> icon) {
  UIView::initWithFrame(bounds);
  content_ = std::move(content);
  anchor_ = anchor;
  auto self = this->self<QuickActionMenuView>();

  // The home screen, blurred and darkened, behind everything.
  backdrop_ = alloc<UIVisualEffectView>()->initWithEffect(UIBlurEffect::effectWithStyle(UIBlurEffectStyleDark));
  backdrop_->setFrame(CGRectMake(0, 0, bounds.size.width, bounds.size.height));
  auto tap = alloc<UITapGestureRecognizer>();
  tap->initWithTarget(self, "backdropTapped:");
  backdrop_->addGestureRecognizer(tap);
  addSubview(backdrop_);

  // The pressed icon, lifted above the blur where it was.
  preview_ = alloc<UIImageView>()->initWithImage(std::move(icon));
  preview_->setFrame(anchor);
  preview_->setContentMode(UIViewContentModeScaleAspectFill);
  preview_->layer()->setCornerRadius(anchor.size.width * HomeScreenLayout::kIconCornerRatio);
  preview_->setClipsToBounds(true);
  preview_->setUserInteractionEnabled(false);
  addSubview(preview_);

  buildPlatter();
  placePlatter();
  return self;
}

std::shared_ptr<UIView> QuickActionMenuView::separator(CGFloat y, CGFloat height,
                                                       const std::shared_ptr<UIColor>& color) {
  auto line = alloc<UIView>()->initWithFrame(CGRectMake(0, y, kWidth, height));
  line->setBackgroundColor(color);
  line->setUserInteractionEnabled(false);
  platter_->addSubview(line);
  return line;
}

CGFloat QuickActionMenuView::platterHeight() const {
  return kTitleHeight + (content_.dock ? kDockHeight + kGroupGap : 0) +
         static_cast<CGFloat>(content_.actions.size()) * QuickActionMenuButton::kHeight;
}

void QuickActionMenuView::buildPlatter() {
  platter_ = alloc<UIView>()->initWithFrame(CGRectMake(0, 0, kWidth, platterHeight()));
  platter_->layer()->setCornerRadius(kCornerRadius);
  platter_->setClipsToBounds(true);
  addSubview(platter_);
  auto material = alloc<UIVisualEffectView>()->initWithEffect(
      UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemMaterial));
  material->setFrame(platter_->bounds());
  platter_->addSubview(material);
  CGFloat y = buildTitle();
  if (content_.dock) y = buildDock(y);
  buildActions(y);
}

CGFloat QuickActionMenuView::buildTitle() {
  auto title = alloc<UILabel>()->initWithFrame(
      CGRectMake(QuickActionMenuButton::kSideInset, 0, kWidth - 2 * QuickActionMenuButton::kSideInset, kTitleHeight));
  title->setText(content_.title);
  title->setFont(UIFont::systemFontOfSize(kTitleFontSize));
  title->setTextColor(UIColor::secondaryLabelColor());
  title->setNumberOfLines(1);
  platter_->addSubview(title);
  separator(kTitleHeight - kHairline, kHairline, UIColor::separatorColor());
  return kTitleHeight;
}

CGFloat QuickActionMenuView::buildDock(CGFloat y) {
  dock_ = alloc<UIScrollView>()->initWithFrame(CGRectMake(0, y, kWidth, kDockHeight))->self<UIScrollView>();
  dock_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentNever);
  platter_->addSubview(dock_);
  CGFloat x = kDockInset;
  for (auto& shortcut : *content_.dock) {
    addShortcut(shortcut, x);
    x += kShortcutSize + kShortcutSpacing;
  }
  if (content_.dock->empty()) {
    addAddButton(x);
    x += kShortcutSize + kShortcutSpacing;
  }
  dock_->setContentSize({std::max(kWidth, x - kShortcutSpacing + kDockInset), kDockHeight});
  y += kDockHeight;
  separator(y, kGroupGap, groupGapColor());
  return y + kGroupGap;
}

void QuickActionMenuView::addShortcut(const Shortcut& shortcut, CGFloat x) {
  auto icon = alloc<HomeScreenIconView>()->initWithApplication(shortcut.identifier, shortcut.name, kShortcutSize, false);
  icon->setFrame(CGRectMake(x, shortcutTop(), kShortcutSize, kShortcutSize));
  std::weak_ptr<QuickActionMenuView> weak = self<QuickActionMenuView>();
  std::string identifier = shortcut.identifier;
  icon->setTapHandler([weak, identifier] {
    if (auto menu = weak.lock(); menu && !menu->hiding_ && menu->tapHandler_) menu->tapHandler_(identifier);
  });
  icon->setLongPressHandler([weak, identifier] {
    if (auto menu = weak.lock(); menu && !menu->hiding_ && menu->longPressHandler_) menu->longPressHandler_(identifier);
  });
  dock_->addSubview(icon);
  shortcuts_.push_back(icon);
}

void QuickActionMenuView::addAddButton(CGFloat x) {
  addButton_ = UIButton::buttonWithType(UIButtonTypeCustom);
  addButton_->setFrame(CGRectMake(x, shortcutTop(), kShortcutSize, kShortcutSize));
  addButton_->setImage(UIImage::systemImageNamed(kAddSymbol), UIControlStateNormal);
  addButton_->imageView()->setContentMode(UIViewContentModeScaleAspectFit);
  addButton_->addTarget(self<QuickActionMenuView>(), "addTapped:", UIControlEventTouchUpInside);
  dock_->addSubview(addButton_);
}

void QuickActionMenuView::buildActions(CGFloat y) {
  for (std::size_t i = 0; i < content_.actions.size(); ++i) {
    if (i > 0) separator(y - kHairline, kHairline, UIColor::separatorColor());
    auto button = alloc<QuickActionMenuButton>()->initWithTitle(content_.actions[i], kActionSymbol);
    button->setFrame(CGRectMake(0, y, kWidth, QuickActionMenuButton::kHeight));
    button->addTarget(self<QuickActionMenuView>(), "actionTapped:", UIControlEventTouchUpInside);
    platter_->addSubview(button);
    actions_.push_back(button);
    y += QuickActionMenuButton::kHeight;
  }
}

void QuickActionMenuView::placePlatter() {
  CGRect area = bounds();
  CGFloat height = platter_->frame().size.height;
  // Along the icon's edge on the side of the screen it is on.
  CGFloat x = CGRectGetMidX(anchor_) < CGRectGetMidX(area) ? anchor_.origin.x : CGRectGetMaxX(anchor_) - kWidth;
  x = std::clamp(x, area.origin.x + kScreenMargin, CGRectGetMaxX(area) - kScreenMargin - kWidth);
  // Under the icon where it fits above the home indicator, else over it.
  CGFloat top = area.origin.y + UIWindow::kStatusBarHeight;
  CGFloat bottom = CGRectGetMaxY(area) - UIWindow::kHomeIndicatorHeight;
  CGFloat y = CGRectGetMaxY(anchor_) + kGapToIcon;
  platterBelowIcon_ = y + height <= bottom;
  if (!platterBelowIcon_) y = std::max(top, anchor_.origin.y - kGapToIcon - height);
  platter_->setFrame(CGRectMake(x, y, kWidth, height));
}

void QuickActionMenuView::show() {
  CGRect final = platter_->frame();
  CGRect start = CGRectOffset(final, 0, platterBelowIcon_ ? -kSlide : kSlide);
  backdrop_->setAlpha(0);
  platter_->setAlpha(0);
  platter_->setFrame(start);
  auto backdrop = backdrop_;
  auto platter = platter_;
  UIView::animateWithDuration(kShowDuration, 0, UIViewAnimationOptionCurveEaseOut,
                              [backdrop, platter, final] {
                                backdrop->setAlpha(1);
                                platter->setAlpha(1);
                                platter->setFrame(final);
                              },
                              nullptr);
}

void QuickActionMenuView::hide(std::function<void()> completion) {
  if (hiding_) return;
  hiding_ = true;
  setUserInteractionEnabled(false);
  auto self = this->self<QuickActionMenuView>();
  UIView::animateWithDuration(kHideDuration, 0, UIViewAnimationOptionCurveEaseIn, [self] { self->setAlpha(0); },
                              [self, completion = std::move(completion)](bool) {
                                self->removeFromSuperview();
                                if (completion) completion();
                              });
}

std::shared_ptr<HomeScreenIconView> QuickActionMenuView::shortcutView(const std::string& identifier) const {
  for (auto& view : shortcuts_)
    if (view->applicationIdentifier() == identifier) return view;
  return nullptr;
}

std::shared_ptr<UIButton> QuickActionMenuView::actionButton(const std::string& title) const {
  for (auto& button : actions_)
    if (button->currentTitle() == title) return button;
  return nullptr;
}

void QuickActionMenuView::scrollShortcutIntoView(const std::string& identifier) {
  if (auto view = shortcutView(identifier)) dock_->scrollRectToVisible(view->frame(), false);
}

void QuickActionMenuView::backdropTapped(const std::shared_ptr<NSObject>&) {
  if (!hiding_ && dismissHandler_) dismissHandler_();
}

void QuickActionMenuView::actionTapped(const std::shared_ptr<NSObject>& sender) {
  auto button = std::dynamic_pointer_cast<UIButton>(sender);
  if (hiding_ || !button || !actionHandler_) return;
  actionHandler_(button->currentTitle());
}

void QuickActionMenuView::addTapped(const std::shared_ptr<NSObject>&) {
  if (!hiding_ && addHandler_) addHandler_();
}

}  // namespace kavro::sim
