#include "platform/uikit/UINavigationController.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UINavigationController, UIViewController, )

UINavigationController::UINavigationController() = default;

std::shared_ptr<UINavigationController> UINavigationController::initWithRootViewController(
    const std::shared_ptr<UIViewController>& root) {
  init();
  navigationBar_ = alloc<UINavigationBar>()->initWithFrame(CGRectMake(0, 0, 390, UINavigationBar::kStandardHeight))
                       ->self<UINavigationBar>();
  navigationBar_->setNavigationController(self<UINavigationController>());
  if (root) {
    addChildViewController(root);
    stack_.push_back(root);
    root->didMoveToParentViewController(self<UINavigationController>());
  }
  syncBarItems();
  return self<UINavigationController>();
}

std::shared_ptr<UIViewController> UINavigationController::visibleViewController() const {
  if (auto presented = presentedViewController()) return presented;
  return topViewController();
}

void UINavigationController::syncBarItems() {
  std::vector<std::shared_ptr<UINavigationItem>> items;
  for (auto& controller : stack_) items.push_back(controller->navigationItem());
  navigationBar_->setItems(items);
  if (auto view = viewIfLoaded()) view->setNeedsLayout();
}

void UINavigationController::loadView() {
  setView(alloc<UIView>()->initWithFrame(UIScreen::mainScreen()->bounds()));
  view()->setBackgroundColor(UIColor::systemBackgroundColor());
  view()->addSubview(navigationBar_);
  if (auto top = topViewController()) view()->insertSubview(top->view(), 0);
}

bool UINavigationController::isOnScreen() const {
  auto view = viewIfLoaded();
  return view && view->window() && !isBeingDismissed();
}

std::vector<std::shared_ptr<UIViewController>> UINavigationController::childrenForAppearanceForwarding() const {
  if (auto top = topViewController()) return {top};
  return {};
}

void UINavigationController::viewWillLayoutSubviews() {
  auto view = viewIfLoaded();
  if (!view) return;
  CGRect bounds = view->bounds();
  // The bar sits under the status bar when the navigation controller fills the screen.
  CGFloat top = 0;
  if (view->window()) {
    CGFloat y = view->frameInWindow().origin.y;
    if (y < UIWindow::kStatusBarHeight) top = UIWindow::kStatusBarHeight - y;
  }
  updateSearchFieldCollapse();
  navigationBar_->setFrame(CGRectMake(0, top, bounds.size.width, navigationBar_->barHeight()));
  view->bringSubviewToFront(navigationBar_);
  if (auto topController = topViewController())
    if (auto topView = topController->viewIfLoaded())
      if (topView->superview() == view) topView->setFrame(CGRectMake(topView->frame().origin.x, 0,
                                                                     bounds.size.width, bounds.size.height));
}

void UINavigationController::updateSearchFieldCollapse() {
  // A page that hides its search field while scrolling folds it away once its
  // content has scrolled past the field's height, and shows it again near the top.
  // The distance is measured as if the field were shown, so folding it (which
  // shrinks the inset) does not unfold it again.
  auto top = topViewController();
  std::shared_ptr<UIScrollView> scrollView;
  if (top && top->viewIfLoaded()) {
    std::function<void(const std::shared_ptr<UIView>&)> find = [&](const std::shared_ptr<UIView>& view) {
      if (scrollView) return;
      if (auto found = std::dynamic_pointer_cast<UIScrollView>(view)) {
        scrollView = found;
        return;
      }
      for (auto& subview : view->subviews()) find(subview);
    };
    find(top->viewIfLoaded());
  }
  if (!scrollView || !top->navigationItem()->hidesSearchBarWhenScrolling()) {
    navigationBar_->setSearchFieldCollapsed(false);
    return;
  }
  CGFloat insetIfShown = scrollView->adjustedContentInset().top +
                         (navigationBar_->isSearchFieldCollapsed() ? UINavigationBar::kSearchFieldHeight : 0);
  CGFloat scrolled = scrollView->contentOffset().y + insetIfShown;
  navigationBar_->setSearchFieldCollapsed(scrolled > UINavigationBar::kSearchFieldHeight);
}

CGFloat UINavigationController::coveredTopInWindow() const {
  if (!navigationBar_->window()) return UIViewController::coveredTopInWindow();
  return CGRectGetMaxY(navigationBar_->frameInWindow());
}

void UINavigationController::pushViewController(const std::shared_ptr<UIViewController>& controller,
                                                bool animated) {
  if (!controller || std::find(stack_.begin(), stack_.end(), controller) != stack_.end()) return;
  auto from = topViewController();
  addChildViewController(controller);
  stack_.push_back(controller);
  controller->didMoveToParentViewController(self<UINavigationController>());
  syncBarItems();
  transition(from, controller, true, animated, {});
}

std::shared_ptr<UIViewController> UINavigationController::popViewControllerAnimated(bool animated) {
  if (stack_.size() < 2) return nullptr;
  auto from = stack_.back();
  stack_.pop_back();
  syncBarItems();
  transition(from, topViewController(), false, animated, {from});
  return from;
}

void UINavigationController::popToRootViewControllerAnimated(bool animated) {
  if (stack_.size() < 2) return;
  auto from = stack_.back();
  std::vector<std::shared_ptr<UIViewController>> removed(stack_.begin() + 1, stack_.end());
  stack_.resize(1);
  syncBarItems();
  transition(from, topViewController(), false, animated, removed);
}

void UINavigationController::setViewControllers(const std::vector<std::shared_ptr<UIViewController>>& controllers,
                                                bool animated) {
  auto from = topViewController();
  std::vector<std::shared_ptr<UIViewController>> removed;
  for (auto& old : stack_)
    if (std::find(controllers.begin(), controllers.end(), old) == controllers.end()) removed.push_back(old);
  stack_ = controllers;
  for (auto& controller : stack_) {
    if (controller->parentViewController().get() != this) {
      addChildViewController(controller);
      controller->didMoveToParentViewController(self<UINavigationController>());
    }
  }
  syncBarItems();
  if (from != topViewController()) transition(from, topViewController(), true, animated, removed);
  else
    for (auto& old : removed) old->removeFromParentViewController();
}

void UINavigationController::transition(const std::shared_ptr<UIViewController>& from,
                                        const std::shared_ptr<UIViewController>& to, bool forward,
                                        bool animated, std::vector<std::shared_ptr<UIViewController>> removed) {
  auto view = viewIfLoaded();
  bool onScreen = isOnScreen() && isVisible();
  if (!view) {
    for (auto& old : removed) old->removeFromParentViewController();
    return;
  }
  animated = animated && onScreen;
  CGRect bounds = view->bounds();
  auto toView = to ? to->view() : nullptr;
  if (onScreen) {
    if (from) from->beginAppearanceTransition(false, animated);
    if (to) to->beginAppearanceTransition(true, animated);
  }
  if (toView) {
    UIView::performWithoutAnimation([&] {
      toView->setFrame(CGRectMake(animated ? (forward ? bounds.size.width : -bounds.size.width / 3) : 0, 0,
                                  bounds.size.width, bounds.size.height));
    });
    if (forward)
      view->insertSubviewBelow(toView, navigationBar_);
    else if (from && from->viewIfLoaded())
      view->insertSubviewBelow(toView, from->viewIfLoaded());
    else
      view->insertSubviewBelow(toView, navigationBar_);
    toView->layoutIfNeeded();
  }
  auto fromView = from ? from->viewIfLoaded() : nullptr;
  auto self = this->self<UINavigationController>();
  auto finish = [self, from, to, fromView, onScreen, removed](bool) {
    // A later transition may have brought `from` back on top before this one
    // finished (a pop right after a push): its view then stays on screen.
    bool fromOnTopAgain = from && from == self->topViewController();
    if (fromView && fromView != (to ? to->viewIfLoaded() : nullptr) && !fromOnTopAgain)
      fromView->removeFromSuperview();
    if (onScreen) {
      if (from) from->endAppearanceTransition();
      if (to) to->endAppearanceTransition();
    }
    for (auto& old : removed) old->removeFromParentViewController();
  };
  if (animated) {
    UIView::animateWithDuration(kTransitionDuration, 0, 0, [&] {
      if (toView) toView->setFrame(CGRectMake(0, 0, bounds.size.width, bounds.size.height));
      if (fromView)
        fromView->setFrame(CGRectMake(forward ? -bounds.size.width / 3 : bounds.size.width, 0,
                                      bounds.size.width, bounds.size.height));
    }, finish);
  } else if (onScreen) {
    kavro::platform::Process::current().mainRunLoop().performSoon([finish] { finish(true); });
  } else {
    finish(true);
  }
}
