#pragma once
// What is on the front-most screen, found the way a person sees it: the front-most
// page, its table, switches and search field, the alert or sheet over it, and every
// button that a tap would reach now. The script runner's queries, the dump and the
// web front end all read the screen through this.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UISearchBar.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class KavroSwitch;

namespace kavro::sim {

class HomeScreenController;
class QuickActionMenuView;

struct TappableButton {
  std::string label;  // title, symbol name, or an icon's application identifier
  std::shared_ptr<UIView> view;
  CGRect frame;  // in window coordinates
};

class Screen {
 public:
  explicit Screen(std::shared_ptr<UIWindow> window);

  const std::shared_ptr<UIWindow>& window() const { return window_; }
  // The top of the chain of presented controllers (an alert included).
  std::shared_ptr<UIViewController> frontMost() const { return frontMost_; }
  // The front-most page: the top view controller of the front-most navigation
  // controller, or the front-most presented controller that is neither a navigation
  // controller nor an alert.
  std::shared_ptr<UIViewController> topPage() const { return topPage_; }
  // The navigation controller that holds the top page, if any.
  std::shared_ptr<UINavigationController> navigationController() const { return navigation_; }
  // The presented alert controller, or nullptr.
  std::shared_ptr<UIViewController> alert() const { return alert_; }

  // Views of the top page, depth first.
  std::vector<std::shared_ptr<KavroSwitch>> switches() const;
  std::shared_ptr<UITableView> table() const;
  std::shared_ptr<UISearchBar> searchBar() const;
  // Every button a tap reaches now, front-most first.
  std::vector<TappableButton> buttons() const;
  // The home screen when it is the window's root, else nullptr.
  std::shared_ptr<HomeScreenController> homeScreen() const;
  // The home screen's open quick-action menu, when nothing is presented over it.
  std::shared_ptr<QuickActionMenuView> openMenu() const;

  // The centre of a view in window coordinates.
  static CGPoint centerInWindow(const UIView& view);
  // A button's label: its title, else the symbol of its image or background image.
  static std::string buttonLabel(const UIButton& button);
  // Whether a view and its ancestors are shown.
  static bool isShown(const UIView& view);

 private:
  std::shared_ptr<UIView> topPageView() const;
  std::shared_ptr<UIWindow> window_;
  std::shared_ptr<UIViewController> frontMost_;
  std::shared_ptr<UIViewController> topPage_;
  std::shared_ptr<UINavigationController> navigation_;
  std::shared_ptr<UIViewController> alert_;
};

// Depth-first visit of a view tree; the visitor returns false to skip a subtree.
template <class Visitor>
void visitViews(const std::shared_ptr<UIView>& view, Visitor&& visitor) {
  if (!view || !visitor(view)) return;
  for (auto& subview : view->subviews()) visitViews(subview, visitor);
}

}  // namespace kavro::sim
