#pragma once
// A search controller: owns the search bar shown in a navigation item and becomes
// active while the bar is being edited. Cancel ends editing, clears the text (the
// platform's own change, not reported as typing) and makes the controller inactive.

#include "platform/uikit/UISearchBar.h"
#include "platform/uikit/UIViewController.h"

#include <memory>

class UISearchController;

class UISearchControllerDelegate {
 public:
  virtual ~UISearchControllerDelegate() = default;
  virtual void willPresentSearchController(const std::shared_ptr<UISearchController>& controller) {}
  virtual void didDismissSearchController(const std::shared_ptr<UISearchController>& controller) {}
};

class UISearchController : public UIViewController {
  KAVRO_OBJC_CLASS(UISearchController)
 public:
  std::shared_ptr<UISearchController> initWithSearchResultsController(
      const std::shared_ptr<UIViewController>& resultsController);

  std::shared_ptr<UISearchBar> searchBar() const { return searchBar_; }
  std::shared_ptr<UIViewController> searchResultsController() const { return resultsController_; }
  std::shared_ptr<UISearchControllerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<UISearchControllerDelegate>& delegate) { delegate_ = delegate; }
  bool isActive() const { return active_; }
  void setActive(bool active);
  bool hidesNavigationBarDuringPresentation() const { return hidesNavigationBar_; }
  void setHidesNavigationBarDuringPresentation(bool hides) { hidesNavigationBar_ = hides; }
  bool obscuresBackgroundDuringPresentation() const { return obscuresBackground_; }
  void setObscuresBackgroundDuringPresentation(bool obscures) { obscuresBackground_ = obscures; }

 private:
  std::shared_ptr<UISearchBar> searchBar_;
  std::shared_ptr<UIViewController> resultsController_;
  std::weak_ptr<UISearchControllerDelegate> delegate_;
  bool active_ = false;
  bool hidesNavigationBar_ = true;
  bool obscuresBackground_ = false;
};
