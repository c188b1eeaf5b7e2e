#include "sim/host/SpringBoardApp.h"

#include "platform/mobilecoreservices/LSApplicationProxy.h"
#include "platform/mobilecoreservices/LSApplicationRecord.h"
#include "platform/mobilecoreservices/LSApplicationWorkspace.h"
#include "platform/objc/Class.h"
#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScreen.h"
#include "selector/KavroApplicationSelector.h"

#include <algorithm>

using kavro::sim::HomeScreenController;
KAVRO_OBJC_CLASS_IMPLEMENTATION(HomeScreenController, UIViewController,
                                .method("iconLongPressed:", &HomeScreenController::iconLongPressed))

namespace kavro::sim {

namespace {
constexpr int kColumns = 4;
constexpr CGFloat kCellWidth = 90;
constexpr CGFloat kCellHeight = 100;
constexpr CGFloat kTopMargin = 70;
constexpr CGFloat kLabelHeight = 16;
}  // namespace

std::shared_ptr<UIViewController> HomeScreenController::init() {
  UIViewController::init();
  return self<UIViewController>();
}

std::shared_ptr<UIView> HomeScreenController::makeIcon(const std::string& identifier, const std::string& name) {
  auto icon = alloc<UIView>()->initWithFrame(CGRectMake(0, 0, kCellWidth, kIconSize + kLabelHeight + 6));
  auto image = alloc<UIImageView>()->initWithImage(
      UIImage::_applicationIconImageForBundleIdentifier(identifier, 1, UIScreen::mainScreen()->scale()));
  image->setFrame(CGRectMake((kCellWidth - kIconSize) / 2, 0, kIconSize, kIconSize));
  image->layer()->setCornerRadius(13.5);
  image->setClipsToBounds(true);
  icon->addSubview(image);
  auto label = alloc<UILabel>()->initWithFrame(CGRectMake(0, kIconSize + 6, kCellWidth, kLabelHeight));
  label->setText(name);
  label->setFont(UIFont::systemFontOfSize(12));
  label->setTextColor(UIColor::whiteColor());
  label->setTextAlignment(NSTextAlignmentCenter);
  icon->addSubview(label);
  auto press = alloc<UILongPressGestureRecognizer>();
  press->initWithTarget(self<HomeScreenController>(), "iconLongPressed:");
  icon->addGestureRecognizer(press);
  return icon;
}

void HomeScreenController::loadView() {
  UIViewController::loadView();
  view()->setBackgroundColor(UIColor::colorWithRed(0.16, 0.14, 0.32, 1));
  grid_ = alloc<UIScrollView>()->initWithFrame(view()->bounds())->self<UIScrollView>();
  grid_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentNever);
  view()->addSubview(grid_);
  // The applications a person sees on the home screen: every one not tagged hidden.
  icons_.clear();
  for (auto& application : LSApplicationWorkspace::defaultWorkspace()->allInstalledApplications()) {
    auto record = application->correspondingApplicationRecord();
    auto tags = record ? record->appTags() : std::nullopt;
    if (tags && std::find(tags->begin(), tags->end(), "hidden") != tags->end()) continue;
    icons_.emplace_back(application->applicationIdentifier(),
                        makeIcon(application->applicationIdentifier(), application->localizedName()));
  }
  CGFloat side = (view()->bounds().size.width - kColumns * kCellWidth) / 2;
  for (std::size_t i = 0; i < icons_.size(); ++i) {
    auto& icon = icons_[i].second;
    CGFloat x = side + static_cast<CGFloat>(i % kColumns) * kCellWidth;
    CGFloat y = kTopMargin + static_cast<CGFloat>(i / kColumns) * kCellHeight;
    icon->setFrame(CGRectMake(x, y, kCellWidth, icon->frame().size.height));
    grid_->addSubview(icon);
  }
  auto rows = static_cast<CGFloat>((icons_.size() + kColumns - 1) / kColumns);
  grid_->setContentSize({view()->bounds().size.width, kTopMargin + rows * kCellHeight + 40});
}

std::shared_ptr<UIView> HomeScreenController::iconForIdentifier(const std::string& identifier) const {
  for (auto& [id, icon] : icons_)
    if (id == identifier) return icon;
  return nullptr;
}

void HomeScreenController::scrollIconIntoView(const std::string& identifier) {
  if (auto icon = iconForIdentifier(identifier)) grid_->scrollRectToVisible(icon->frame(), false);
}

void HomeScreenController::iconLongPressed(const std::shared_ptr<NSObject>& sender) {
  auto recognizer = std::dynamic_pointer_cast<UIGestureRecognizer>(sender);
  if (!recognizer || recognizer->state() != UIGestureRecognizerStateBegan) return;
  for (auto& [identifier, icon] : icons_)
    if (icon == recognizer->view()) return showShortcutMenu(identifier);
}

void HomeScreenController::showShortcutMenu(const std::string& identifier) {
  if (presentedViewController()) return;
  auto application = LSApplicationProxy::applicationProxyForIdentifier(identifier);
  auto menu = UIAlertController::alertControllerWithTitle(application->localizedName(), "",
                                                          UIAlertControllerStyleActionSheet);
  auto self = this->self<HomeScreenController>();
  menu->addAction(UIAlertAction::actionWithTitle("Edit Shortcuts", UIAlertActionStyleDefault,
                                                 [self, identifier](auto&) { self->presentPicker(identifier); }));
  menu->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleCancel, nullptr));
  presentViewController(menu, true, nullptr);
}

void HomeScreenController::presentPicker(const std::string& key) {
  auto host = self<UIViewController>();
  while (host->presentedViewController()) host = host->presentedViewController();
  presentPickerFrom(host, key);
}

void HomeScreenController::presentPickerFrom(const std::shared_ptr<UIViewController>& host, const std::string& key) {
  if (!host) return;
  // As the extension does: the picker for the list, in a navigation controller.
  auto selector = alloc<KavroApplicationSelector>()->initWithIdentifier(key);
  auto navigation = alloc<UINavigationController>()->initWithRootViewController(selector);
  navigation->navigationBar()->setPrefersLargeTitles(true);
  host->presentViewController(navigation, true, nullptr);
}

SpringBoardApp::SpringBoardApp() {
  window_ = alloc<UIWindow>()->init();
  home_ = std::static_pointer_cast<HomeScreenController>(alloc<HomeScreenController>()->init());
  window_->setRootViewController(home_);
  window_->makeKeyAndVisible();
}

}  // namespace kavro::sim
