#pragma once
// The home screen of the simulated device, standing in for SpringBoard and for the
// home-screen extension: a grid of the visible applications' icons; a long press on
// an icon offers "Edit Shortcuts", which presents the picker for the list keyed by
// that application's identifier.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

#include <memory>
#include <string>
#include <vector>

namespace kavro::sim {

class HomeScreenController : public UIViewController {
  KAVRO_OBJC_CLASS(HomeScreenController)
 public:
  static constexpr CGFloat kIconSize = 60;

  std::shared_ptr<UIViewController> init() override;
  void loadView() override;

  // The icon of an application, or nullptr.
  std::shared_ptr<UIView> iconForIdentifier(const std::string& identifier) const;
  // Scrolls the grid so that an icon is in view.
  void scrollIconIntoView(const std::string& identifier);
  const std::vector<std::pair<std::string, std::shared_ptr<UIView>>>& icons() const { return icons_; }

  // Presents the shortcut menu of an application (an action sheet titled with its
  // name, whose "Edit Shortcuts" opens the picker for its list).
  void showShortcutMenu(const std::string& identifier);
  // Presents the picker for a list, as the extension does.
  void presentPicker(const std::string& key);
  // Presents a picker for `key` inside a navigation controller from `host`.
  static void presentPickerFrom(const std::shared_ptr<UIViewController>& host, const std::string& key);

 private:
  void iconLongPressed(const std::shared_ptr<NSObject>& recognizer);
  std::shared_ptr<UIView> makeIcon(const std::string& identifier, const std::string& name);
  std::shared_ptr<UIScrollView> grid_;
  std::vector<std::pair<std::string, std::shared_ptr<UIView>>> icons_;
};

class SpringBoardApp {
 public:
  SpringBoardApp();
  const std::shared_ptr<UIWindow>& window() const { return window_; }
  std::shared_ptr<HomeScreenController> homeScreen() const { return home_; }

 private:
  std::shared_ptr<UIWindow> window_;
  std::shared_ptr<HomeScreenController> home_;
};

}  // namespace kavro::sim
