#pragma once
// The page a row opens when its page is a class of the bundle's own compiled code,
// which the stand-in cannot run, and no specifier list of the bundle could stand
// in for it: titled with the row's label, it says so in one centred line of
// secondary text ("This page is the bundle's own code (CLASS) and cannot be shown.").

#include "platform/preferences/PSViewController.h"
#include "platform/uikit/UILabel.h"

#include <memory>
#include <string>

namespace kavro::platform::preferences {

class UnavailablePageController : public PSViewController {
  KAVRO_OBJC_CLASS(UnavailablePageController)
 public:
  static constexpr CGFloat kSideMargin = 32;

  std::shared_ptr<UnavailablePageController> initWithClassName(const std::string& className);
  const std::string& unavailableClassName() const { return className_; }
  // What the page says.
  std::string message() const;
  std::shared_ptr<UILabel> messageLabel() const { return label_; }

  void loadView() override;
  void viewWillLayoutSubviews() override;

 private:
  std::string className_;
  std::shared_ptr<UILabel> label_;
};

}  // namespace kavro::platform::preferences
