#pragma once
// What is on the front-most screen, found the way a person sees it: the front-most
// page, its table, switches and search field, the alert or sheet over it, and every
// button that a tap would reach now. The queries and the dump read the screen
// through this; what an application shows of its own (the home screen's icons and
// menu) it finds from here too, through the window's controllers.

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

class Screen;

struct TappableButton {
  std::string label;  // title, symbol name, or an icon's application identifier
  std::shared_ptr<UIView> view;
  CGRect frame;  // in window coordinates
};

// What names a view a tap reaches as a button: its label when the view is a
// button of the sort the function knows, else "". The core knows the platform's
// buttons (Screen::platformButtonLabel); an application adds its own sorts.
using ButtonLabel = std::string (*)(const Screen& screen, const UIView& view);

class Screen {
 public:
  // The screen of `window`, whose buttons are the views one of `buttonLabels`
  // names (the platform's buttons when none are given).
  explicit Screen(std::shared_ptr<UIWindow> window, std::vector<ButtonLabel> buttonLabels = {platformButtonLabel});

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
  // Every button a tap reaches now, front-most first, each named by the first of
  // the screen's button labels that names it.
  std::vector<TappableButton> buttons() const;

  // The top of the chain of controllers presented from `controller` (itself when
  // it presents none), and from a window's root controller.
  static std::shared_ptr<UIViewController> frontMostController(std::shared_ptr<UIViewController> controller);
  static std::shared_ptr<UIViewController> frontMostController(const std::shared_ptr<UIWindow>& window);

  // The centre of a view in window coordinates.
  static CGPoint centerInWindow(const UIView& view);
  // A button's label: its title, else the symbol of its image or background image.
  static std::string buttonLabel(const UIButton& button);
  // The platform's buttons, enabled ones only, by buttonLabel.
  static std::string platformButtonLabel(const Screen& screen, const UIView& view);
  // Whether a view and its ancestors are shown.
  static bool isShown(const UIView& view);

 private:
  std::shared_ptr<UIView> topPageView() const;
  // The views a tap may reach, front-most first.
  std::vector<std::shared_ptr<UIView>> buttonCandidates() const;
  std::string labelOf(const UIView& view) const;

  std::shared_ptr<UIWindow> window_;
  std::vector<ButtonLabel> buttonLabels_;
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
