#include "sim/core/Screen.h"

#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UISearchController.h"
#include "switch/KavroSwitch.h"

#include <algorithm>

namespace kavro::sim {

Screen::Screen(std::shared_ptr<UIWindow> window, std::vector<ButtonLabel> buttonLabels)
    : window_(std::move(window)), buttonLabels_(std::move(buttonLabels)) {
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

std::vector<std::shared_ptr<UIView>> Screen::buttonCandidates() const {
  // Only what the front-most presentation shows can be tapped.
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
  return candidates;
}

std::string Screen::labelOf(const UIView& view) const {
  for (ButtonLabel label : buttonLabels_)
    if (std::string text = label(*this, view); !text.empty()) return text;
  return "";
}

std::string Screen::platformButtonLabel(const Screen&, const UIView& view) {
  auto button = dynamic_cast<const UIButton*>(&view);
  return button && button->isEnabled() ? buttonLabel(*button) : "";
}

std::vector<TappableButton> Screen::buttons() const {
  std::vector<TappableButton> result;
  if (!window_) return result;
  for (auto& view : buttonCandidates()) {
    std::string label = labelOf(*view);
    if (label.empty()) continue;
    // The window's hit testing decides whether a button is covered.
    CGRect frame = view->frameInWindow();
    CGPoint center{CGRectGetMidX(frame), CGRectGetMidY(frame)};
    auto hit = window_->hitTest(center, nullptr);
    if (!hit || !hit->isDescendantOfView(view.get())) continue;
    result.push_back({label, view, frame});
  }
  return result;
}

std::shared_ptr<UIViewController> Screen::frontMostController(std::shared_ptr<UIViewController> controller) {
  while (controller && controller->presentedViewController()) controller = controller->presentedViewController();
  return controller;
}

std::shared_ptr<UIViewController> Screen::frontMostController(const std::shared_ptr<UIWindow>& window) {
  return window ? frontMostController(window->rootViewController()) : nullptr;
}

}  // namespace kavro::sim
