#include "sim/springboard/HomeScreenController.h"

#include "platform/device/Device.h"
#include "platform/mobilecoreservices/LSApplicationProxy.h"
#include "platform/objc/Class.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIVisualEffectView.h"
#include "platform/uikit/UIWindow.h"
#include "sim/core/Application.h"
#include "sim/core/Screen.h"
#include "sim/springboard/HomeScreenPlacement.h"

#include <algorithm>
#include <cmath>

using kavro::sim::HomeScreenController;
KAVRO_OBJC_CLASS_IMPLEMENTATION(HomeScreenController, UIViewController,
                                .method("pageControlChanged:", &HomeScreenController::pageControlChanged))

namespace kavro::sim {

namespace {

std::shared_ptr<UIImage> iconImage(const std::string& identifier) {
  return UIImage::_applicationIconImageForBundleIdentifier(identifier, 1, UIScreen::mainScreen()->scale());
}

// An icon's size in the middle of the screen, where an application without a
// visible icon opens from and closes into.
CGRect middleOfScreen(CGRect screen) {
  return CGRectMake(CGRectGetMidX(screen) - HomeScreenLayout::kIconSize / 2,
                    CGRectGetMidY(screen) - HomeScreenLayout::kIconSize / 2, HomeScreenLayout::kIconSize,
                    HomeScreenLayout::kIconSize);
}

}  // namespace

const std::vector<std::string>& HomeScreenController::dockApplications() {
  static const std::vector<std::string> identifiers = {"com.apple.mobilephone", "com.apple.mobilesafari",
                                                       "com.apple.MobileSMS", "com.apple.Music"};
  return identifiers;
}

std::shared_ptr<UIViewController> HomeScreenController::init() {
  UIViewController::init();
  return self<UIViewController>();
}

std::shared_ptr<HomeScreenIconView> HomeScreenController::makeIcon(const std::string& identifier,
                                                                   const std::string& name, CGFloat size,
                                                                   bool showsName) {
  auto icon = alloc<HomeScreenIconView>()->initWithApplication(identifier, name, size, showsName);
  std::weak_ptr<HomeScreenController> weak = self<HomeScreenController>();
  icon->setLongPressHandler([weak, identifier] {
    if (auto home = weak.lock()) home->showShortcutMenu(identifier);
  });
  icon->setTapHandler([weak, identifier] {
    if (auto home = weak.lock()) home->iconTapped(identifier);
  });
  icons_.push_back(icon);
  return icon;
}

void HomeScreenController::loadView() {
  UIViewController::loadView();
  view()->setBackgroundColor(UIColor::colorWithRed(0.16, 0.14, 0.32, 1));
  HomeScreenLayout layout(view()->bounds(),
                          UIEdgeInsetsMake(UIWindow::kStatusBarHeight, 0, UIWindow::kHomeIndicatorHeight, 0));
  HomeScreenPlacement placement =
      HomeScreenPlacement::place(visibleApplications(), dockApplications(), HomeScreenLayout::kDockIcons);
  icons_.clear();
  buildPages(layout, placement.grid);
  buildPageControl(layout, HomeScreenLayout::pageCount(placement.grid.size()));
  buildDock(layout, placement.dock);
}

void HomeScreenController::buildPages(const HomeScreenLayout& layout, const std::vector<HomeScreenApplication>& grid) {
  CGRect gridFrame = layout.gridFrame();
  pages_ = alloc<UIScrollView>()->initWithFrame(gridFrame)->self<UIScrollView>();
  pages_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentNever);
  pages_->setPagingEnabled(true);
  pages_->setAlwaysBounceHorizontal(true);
  pages_->setDelegate(self<HomeScreenController>());
  std::size_t pageCount = HomeScreenLayout::pageCount(grid.size());
  pages_->setContentSize({static_cast<CGFloat>(pageCount) * gridFrame.size.width, gridFrame.size.height});
  view()->addSubview(pages_);
  for (std::size_t i = 0; i < grid.size(); ++i) {
    auto icon = makeIcon(grid[i].identifier, grid[i].name, HomeScreenLayout::kIconSize, true);
    icon->setFrame(layout.iconFrame(i));
    pages_->addSubview(icon);
  }
}

void HomeScreenController::buildPageControl(const HomeScreenLayout& layout, std::size_t pageCount) {
  pageControl_ = alloc<UIPageControl>()->initWithFrame(layout.pageControlFrame());
  pageControl_->setNumberOfPages(static_cast<long>(pageCount));
  pageControl_->setHidesForSinglePage(true);
  pageControl_->setCurrentPageIndicatorTintColor(UIColor::whiteColor());
  pageControl_->setPageIndicatorTintColor(UIColor::colorWithWhite(1, 0.35));
  pageControl_->addTarget(self<HomeScreenController>(), "pageControlChanged:", UIControlEventValueChanged);
  view()->addSubview(pageControl_);
}

void HomeScreenController::buildDock(const HomeScreenLayout& layout, const std::vector<HomeScreenApplication>& docked) {
  dock_ = alloc<UIView>()->initWithFrame(layout.dockFrame());
  dock_->layer()->setCornerRadius(HomeScreenLayout::kDockCornerRadius);
  dock_->setClipsToBounds(true);
  auto material = alloc<UIVisualEffectView>()->initWithEffect(
      UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemUltraThinMaterial));
  material->setFrame(dock_->bounds());
  dock_->addSubview(material);
  view()->addSubview(dock_);
  for (std::size_t i = 0; i < docked.size(); ++i) {
    auto icon = makeIcon(docked[i].identifier, docked[i].name, HomeScreenLayout::kIconSize, false);
    icon->setFrame(layout.dockIconFrame(i, docked.size()));
    dock_->addSubview(icon);
  }
}

// ---------------------------------------------------------------------------
// Pages

long HomeScreenController::currentPage() const {
  if (!pages_ || pages_->bounds().size.width <= 0) return 0;
  return std::lround(pages_->contentOffset().x / pages_->bounds().size.width);
}

void HomeScreenController::scrollViewDidScroll(const std::shared_ptr<UIScrollView>&) {
  // The dot follows the page that shows the most.
  if (pageControl_) pageControl_->setCurrentPage(currentPage());
}

void HomeScreenController::pageControlChanged(const std::shared_ptr<NSObject>&) {
  CGFloat width = pages_->bounds().size.width;
  pages_->setContentOffset({static_cast<CGFloat>(pageControl_->currentPage()) * width, 0}, true);
}

std::shared_ptr<HomeScreenIconView> HomeScreenController::iconForIdentifier(const std::string& identifier) const {
  for (auto& icon : icons_)
    if (icon->applicationIdentifier() == identifier) return icon;
  return nullptr;
}

void HomeScreenController::scrollIconIntoView(const std::string& identifier) {
  auto icon = iconForIdentifier(identifier);
  if (!icon || icon->superview() != pages_) return;
  CGFloat width = pages_->bounds().size.width;
  CGFloat page = std::floor(icon->frame().origin.x / width);
  if (page != static_cast<CGFloat>(currentPage())) pages_->setContentOffset({page * width, 0}, false);
}

std::optional<CGRect> HomeScreenController::visibleIconFrame(const std::string& identifier) const {
  auto icon = iconForIdentifier(identifier);
  if (!icon) return std::nullopt;
  CGRect frame = icon->iconFrameInWindow();
  CGRect screen = viewIfLoaded()->bounds();
  if (icon->superview() == pages_ && !CGRectContainsPoint(pages_->frame(), {CGRectGetMidX(frame), CGRectGetMidY(frame)}))
    return std::nullopt;
  if (!CGRectIntersectsRect(frame, screen)) return std::nullopt;
  return frame;
}

// ---------------------------------------------------------------------------
// The quick-action menu

std::shared_ptr<QuickActionMenuView> HomeScreenController::menu() const {
  return menu_ && !menu_->isHiding() ? menu_ : nullptr;
}

void HomeScreenController::showShortcutMenu(const std::string& identifier) {
  if (presentedViewController() || menu() || !isViewLoaded()) return;
  auto icon = iconForIdentifier(identifier);
  if (!icon) return;
  scrollIconIntoView(identifier);
  view()->layoutIfNeeded();
  auto application = LSApplicationProxy::applicationProxyForIdentifier(identifier);
  QuickActionMenuView::Content content{identifier, application->localizedName(),
                                       extension_ ? extension_->dockFor(identifier) : std::nullopt,
                                       {kEditShortcutsAction}};
  menu_ = alloc<QuickActionMenuView>()->initWithContent(view()->bounds(), std::move(content), icon->iconFrameInWindow(),
                                                        icon->iconImageView()->image());
  std::weak_ptr<HomeScreenController> weak = self<HomeScreenController>();
  menu_->setDismissHandler([weak] {
    if (auto home = weak.lock()) home->closeMenu();
  });
  menu_->setActionHandler([weak, identifier](const std::string& action) {
    auto home = weak.lock();
    if (home && action == kEditShortcutsAction) home->editShortcuts(identifier);
  });
  menu_->setAddHandler([weak, identifier] {
    if (auto home = weak.lock()) home->editShortcuts(identifier);
  });
  menu_->setShortcutLongPressHandler([weak, identifier](const std::string&) {
    if (auto home = weak.lock()) home->editShortcuts(identifier);
  });
  menu_->setShortcutTapHandler([weak](const std::string& shortcut) {
    auto home = weak.lock();
    if (!home || !home->menu_) return;
    auto view = home->menu_->shortcutView(shortcut);
    CGRect from = view ? view->iconFrameInWindow() : CGRectZero;
    if (home->extension_) home->extension_->playOpenFeedback();
    home->closeMenu();
    home->openApplication(shortcut, from);
    kavro::platform::Device::current().record({.event = "open", .fields = {{"app", shortcut}}});
  });
  view()->addSubview(menu_);
  menu_->show();
}

void HomeScreenController::closeMenu(std::function<void()> then) {
  auto open = menu();
  if (!open) {
    if (then) then();
    return;
  }
  std::weak_ptr<HomeScreenController> weak = self<HomeScreenController>();
  open->hide([weak, open, then = std::move(then)] {
    if (auto home = weak.lock(); home && home->menu_ == open) home->menu_.reset();
    if (then) then();
  });
}

void HomeScreenController::editShortcuts(const std::string& application) {
  std::weak_ptr<HomeScreenController> weak = self<HomeScreenController>();
  closeMenu([weak, application] {
    auto home = weak.lock();
    if (!home || home->presentedViewController()) return;
    if (home->extension_) home->extension_->pickerWillOpen(application, true);
    Application::presentPickerFrom(home, application);
  });
}

// ---------------------------------------------------------------------------
// Applications in front

void HomeScreenController::openApplication(const std::string& identifier, CGRect fromIcon) {
  if (application_) closeApplication(false);
  auto proxy = LSApplicationProxy::applicationProxyForIdentifier(identifier);
  application_ = alloc<OpenedApplicationView>()->initWithApplication(view()->bounds(), identifier,
                                                                    proxy->localizedName(), iconImage(identifier));
  view()->addSubview(application_);
  if (fromIcon.size.width <= 0 || fromIcon.size.height <= 0) fromIcon = middleOfScreen(view()->bounds());
  application_->openFrom(fromIcon);
}

void HomeScreenController::iconTapped(const std::string& identifier) {
  if (menu_ || application_) return;
  // An application that runs in a process of its own comes forward as it is.
  if (applicationLauncher_ && applicationLauncher_(identifier)) return;
  CGRect from = visibleIconFrame(identifier).value_or(CGRectZero);
  openApplication(identifier, from);
}

std::string HomeScreenController::frontApplication() const {
  return application_ && !application_->isClosing() ? application_->applicationIdentifier() : "";
}

void HomeScreenController::closeApplication(bool animated) {
  auto closing = std::move(application_);
  application_.reset();
  if (!closing) return;
  if (!animated) {
    closing->removeFromSuperview();
    return;
  }
  // Back into its icon where that shows, else into the middle of the screen.
  CGRect target = visibleIconFrame(closing->applicationIdentifier()).value_or(middleOfScreen(view()->bounds()));
  closing->closeTo(target, nullptr);
}

void HomeScreenController::goHome() {
  if (!frontApplication().empty()) return closeApplication(true);
  if (menu()) return closeMenu();
  if (pages_ && currentPage() != 0) pages_->setContentOffset({0, 0}, true);
}

// ---------------------------------------------------------------------------
// The picker

void HomeScreenController::presentPicker(const std::string& key) {
  if (extension_) extension_->pickerWillOpen(key, false);
  Application::presentPickerFrom(Screen::frontMostController(self<UIViewController>()), key);
}

}  // namespace kavro::sim
