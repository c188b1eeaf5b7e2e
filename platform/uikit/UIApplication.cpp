#include "platform/uikit/UIApplication.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewPrivate.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIApplication, UIResponder, )

UIApplication::UIApplication() {
  kavro::platform::Process& process = kavro::platform::Process::current();
  appearanceObserver_ =
      process.device().addAppearanceObserver(process, [this] { appearanceDidChange(); });
  // Every turn of the run loop ends with a layout pass over the windows, as the
  // platform's does before it draws.
  layoutObserver_ = process.mainRunLoop().addTurnObserver([this] {
    auto windows = windows_;
    for (auto& window : windows) {
      // Bars that moved or changed height change what covers the scroll views.
      window->layoutIfNeeded();
      refreshSafeAreas(window);
      window->layoutIfNeeded();
    }
  });
  lastTraits_ = UITraitCollection::currentTraitCollection();
}

UIApplication::~UIApplication() {
  if (kavro::platform::Process* process = kavro::platform::Process::currentOrNull()) {
    process->device().removeAppearanceObserver(appearanceObserver_);
    process->mainRunLoop().removeTurnObserver(layoutObserver_);
  }
}

std::shared_ptr<UIApplication> UIApplication::sharedApplication() {
  return kavro::platform::Process::current().singleton<UIApplication>([] { return alloc<UIApplication>(); });
}

bool UIApplication::sendAction(const SEL& action, const id& target, const id& sender,
                               const std::shared_ptr<UIEvent>& event) {
  if (target) return target->performSelector(action, sender, event);
  // No target: walk the responder chain from the sender.
  auto responder = std::dynamic_pointer_cast<UIResponder>(sender);
  for (; responder; responder = responder->nextResponder())
    if (responder->respondsToSelector(action)) return responder->performSelector(action, sender, event);
  return false;
}

void UIApplication::refreshSafeAreas(const std::shared_ptr<UIView>& view) {
  if (auto scrollView = std::dynamic_pointer_cast<UIScrollView>(view)) scrollView->safeAreaInsetsDidChange();
  for (auto& subview : view->subviews()) refreshSafeAreas(subview);
}

void UIApplication::addWindow(const std::shared_ptr<UIWindow>& window) {
  if (std::find(windows_.begin(), windows_.end(), window) == windows_.end()) windows_.push_back(window);
}

void UIApplication::removeWindow(const std::shared_ptr<UIWindow>& window) {
  std::erase(windows_, window);
  if (keyWindow_.lock() == window) keyWindow_.reset();
}

void UIApplication::setKeyWindow(const std::shared_ptr<UIWindow>& window) {
  addWindow(window);
  keyWindow_ = window;
}

void UIApplication::appearanceDidChange() {
  auto previous = lastTraits_;
  lastTraits_ = UITraitCollection::currentTraitCollection();
  auto windows = windows_;
  for (auto& window : windows) {
    kavro::platform::uikit::ViewInternals::propagateTraitChange(*window, previous);
    if (auto root = window->rootViewController()) root->propagateTraitChange(previous);
  }
}
