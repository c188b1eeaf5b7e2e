#pragma once
// A preference page: a view controller that knows the specifier it was opened for
// and the pages it belongs to (the page that opened it and the root of the stack).

#include "platform/preferences/PSSpecifier.h"
#include "platform/uikit/UIViewController.h"

#include <memory>

class PSViewController : public UIViewController {
  KAVRO_OBJC_CLASS(PSViewController)
 public:
  std::shared_ptr<PSSpecifier> specifier() const { return specifier_; }
  // Keeps the specifier; a page opened for a named row takes the row's label as
  // its title.
  virtual void setSpecifier(const std::shared_ptr<PSSpecifier>& specifier);

  // The page that opened this one, and the first page of its stack. Not retained.
  std::shared_ptr<UIViewController> parentController() const { return parentController_.lock(); }
  void setParentController(const std::shared_ptr<UIViewController>& controller) { parentController_ = controller; }
  std::shared_ptr<UIViewController> rootController() const { return rootController_.lock(); }
  void setRootController(const std::shared_ptr<UIViewController>& controller) { rootController_ = controller; }

 private:
  std::shared_ptr<PSSpecifier> specifier_;
  std::weak_ptr<UIViewController> parentController_;
  std::weak_ptr<UIViewController> rootController_;
};
