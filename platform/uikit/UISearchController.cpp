#include "platform/uikit/UISearchController.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UISearchBarHosting.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UISearchController, UIViewController, )

std::shared_ptr<UISearchController> UISearchController::initWithSearchResultsController(
    const std::shared_ptr<UIViewController>& resultsController) {
  init();
  resultsController_ = resultsController;
  searchBar_ = alloc<UISearchBar>()->initWithFrame(CGRectMake(0, 0, 390, 52));
  std::weak_ptr<UISearchController> weak = self<UISearchController>();
  searchBar_->setEditingHandler([weak](bool editing) {
    if (auto controller = weak.lock(); controller && editing) controller->setActive(true);
  });
  searchBar_->setCancelHandler([weak] {
    if (auto controller = weak.lock()) controller->setActive(false);
  });
  return self<UISearchController>();
}

void UISearchController::setActive(bool active) {
  if (active_ == active) return;
  auto self = this->self<UISearchController>();
  active_ = active;
  if (active) {
    if (auto delegate = this->delegate()) delegate->willPresentSearchController(self);
    searchBar_->setShowsCancelButton(true);
    searchBar_->becomeFirstResponder();
  } else {
    searchBar_->setShowsCancelButton(false);
    searchBar_->setText("");
    searchBar_->resignFirstResponder();
    if (auto delegate = this->delegate()) delegate->didDismissSearchController(self);
  }
}

namespace kavro::platform::uikit {
std::shared_ptr<UIView> searchBarViewOf(const std::shared_ptr<UINavigationItem>& item) {
  if (!item) return nullptr;
  auto controller = item->searchController();
  return controller ? controller->searchBar() : nullptr;
}
}  // namespace kavro::platform::uikit
