#pragma once
// A stack of pages under a navigation bar. Pushes and pops slide on the clock and
// send the pages their appearance calls; only the top page appears.

#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UIViewController.h"

#include <memory>
#include <vector>

class UINavigationController : public UIViewController {
  KAVRO_OBJC_CLASS(UINavigationController)
 public:
  UINavigationController();
  std::shared_ptr<UINavigationController> initWithRootViewController(
      const std::shared_ptr<UIViewController>& root);

  const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const { return stack_; }
  void setViewControllers(const std::vector<std::shared_ptr<UIViewController>>& controllers, bool animated);
  std::shared_ptr<UIViewController> topViewController() const {
    return stack_.empty() ? nullptr : stack_.back();
  }
  // The top page, or what is presented over the navigation controller.
  std::shared_ptr<UIViewController> visibleViewController() const;
  std::shared_ptr<UINavigationBar> navigationBar() const { return navigationBar_; }

  void pushViewController(const std::shared_ptr<UIViewController>& controller, bool animated);
  std::shared_ptr<UIViewController> popViewControllerAnimated(bool animated);
  void popToRootViewControllerAnimated(bool animated);

  void loadView() override;
  void viewWillLayoutSubviews() override;
  std::vector<std::shared_ptr<UIViewController>> childrenForAppearanceForwarding() const override;
  CGFloat coveredTopInWindow() const override;

 private:
  void transition(const std::shared_ptr<UIViewController>& from, const std::shared_ptr<UIViewController>& to,
                  bool forward, bool animated, std::vector<std::shared_ptr<UIViewController>> removed);
  void syncBarItems();
  void updateSearchFieldCollapse();
  bool isOnScreen() const;

  std::vector<std::shared_ptr<UIViewController>> stack_;
  std::shared_ptr<UINavigationBar> navigationBar_;
};
