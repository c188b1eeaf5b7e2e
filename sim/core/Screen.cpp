#include "sim/core/Screen.h"

#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UISearchController.h"
#include "sim/springboard/SpringBoardApp.h"
#include "switch/KavroSwitch.h"

#include <algorithm>

namespace kavro::sim {

Screen::Screen(std::shared_ptr<UIWindow> window) : window_(std::move(window)) {
  if (!window_) return;
  auto controller = window_->rootViewController();
  std::shared_ptr<UIViewController> page;
  while (controller) {
    frontMost_ = controller;
    if (std::dynamic_pointer_cast<UIAlertController>(controller)) {
      alert_ = controller;
      break;
    }
    if (auto navigation = std::dynamic_pointer_cast<UINavigationController>(controller)) {
      navigation_ = navigation;
      page = navigation->topViewController();
    } else {
      navigation_ = nullptr;
      page = controller;
    }
    controller = controller->presentedViewController();
  }
  topPage_ = page;
}

std::shared_ptr<UIView> Screen::topPageView() const { return topPage_ ? topPage_->viewIfLoaded() : nullptr; }

bool Screen::isShown(const UIView& view) {
  for (const UIView* current = &view; current; current = current->superview().get())
    if (current->isHidden() || current->alpha() <= 0.01) return false;
  return true;
}

CGPoint Screen::centerInWindow(const UIView& view) {
  CGRect frame = view.frameInWindow();
  return {CGRectGetMidX(frame), CGRectGetMidY(frame)};
}

std::string Screen::buttonLabel(const UIButton& button) {
  std::string title = button.currentTitle();
  if (!title.empty()) return title;
  if (auto image = button.currentImage(); image && image->isSymbolImage()) return image->symbolName();
  if (auto image = button.currentBackgroundImage(); image && image->isSymbolImage()) return image->symbolName();
  return "";
}

std::vector<std::shared_ptr<KavroSwitch>> Screen::switches() const {
  std::vector<std::shared_ptr<KavroSwitch>> found;
  visitViews(topPageView(), [&](const std::shared_ptr<UIView>& view) {
    if (auto control = std::dynamic_pointer_cast<KavroSwitch>(view)) found.push_back(control);
    return true;
  });
  return found;
}

std::shared_ptr<UITableView> Screen::table() const {
  std::shared_ptr<UITableView> found;
  visitViews(topPageView(), [&](const std::shared_ptr<UIView>& view) {
    if (found) return false;
    if (auto table = std::dynamic_pointer_cast<UITableView>(view)) found = table;
    return !found;
  });
  return found;
}

std::shared_ptr<UISearchBar> Screen::searchBar() const {
  if (!topPage_) return nullptr;
  auto controller = topPage_->navigationItem()->searchController();
  return controller ? controller->searchBar() : nullptr;
}

std::vector<TappableButton> Screen::buttons() const {
  std::vector<TappableButton> result;
  if (!window_) return result;
  // Only what the front-most presentation shows can be tapped; the window's hit
  // testing decides whether a button is covered.
  std::shared_ptr<UIView> root = window_;
  if (frontMost_ && frontMost_ != window_->rootViewController())
    if (auto view = frontMost_->viewIfLoaded()) root = view;
  std::vector<std::shared_ptr<UIView>> candidates;
  visitViews(root, [&](const std::shared_ptr<UIView>& view) {
    if (!isShown(*view) || !view->isUserInteractionEnabled()) return false;
    candidates.push_back(view);
    return true;
  });
  // Front-most first: later in depth-first order is drawn above.
  std::reverse(candidates.begin(), candidates.end());
  auto home = homeScreen();
  for (auto& view : candidates) {
    std::string label;
    if (auto button = std::dynamic_pointer_cast<UIButton>(view)) {
      if (!button->isEnabled()) continue;
      label = buttonLabel(*button);
    } else if (auto icon = std::dynamic_pointer_cast<HomeScreenIconView>(view); icon && home && frontMost_ == home) {
      // Home-screen icons and the menu's shortcut icons, by their application.
      label = icon->applicationIdentifier();
    }
    if (label.empty()) continue;
    CGRect frame = view->frameInWindow();
    CGPoint center{CGRectGetMidX(frame), CGRectGetMidY(frame)};
    auto hit = window_->hitTest(center, nullptr);
    if (!hit || !hit->isDescendantOfView(view.get())) continue;
    result.push_back({label, view, frame});
  }
  return result;
}

std::shared_ptr<HomeScreenController> Screen::homeScreen() const {
  return std::dynamic_pointer_cast<HomeScreenController>(window_ ? window_->rootViewController() : nullptr);
}

std::shared_ptr<QuickActionMenuView> Screen::openMenu() const {
  auto home = homeScreen();
  return home && frontMost_ == home ? home->menu() : nullptr;
}

}  // namespace kavro::sim
