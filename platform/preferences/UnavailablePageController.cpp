#include "platform/preferences/UnavailablePageController.h"

#include "platform/objc/Class.h"

#include <algorithm>

using kavro::platform::preferences::UnavailablePageController;
KAVRO_OBJC_CLASS_IMPLEMENTATION(UnavailablePageController, PSViewController, )

namespace kavro::platform::preferences {

std::shared_ptr<UnavailablePageController> UnavailablePageController::initWithClassName(const std::string& className) {
  PSViewController::init();
  className_ = className;
  return self<UnavailablePageController>();
}

std::string UnavailablePageController::message() const {
  return "This page is the bundle's own code (" + className_ + ") and cannot be shown.";
}

void UnavailablePageController::loadView() {
  auto view = alloc<UIView>()->initWithFrame(defaultViewFrame());
  view->setBackgroundColor(UIColor::systemGroupedBackgroundColor());
  label_ = alloc<UILabel>()->initWithFrame(CGRectZero);
  label_->setNumberOfLines(0);
  label_->setTextAlignment(NSTextAlignmentCenter);
  label_->setTextColor(UIColor::secondaryLabelColor());
  label_->setText(message());
  view->addSubview(label_);
  setView(view);
}

void UnavailablePageController::viewWillLayoutSubviews() {
  PSViewController::viewWillLayoutSubviews();
  if (!label_) return;
  CGRect area = view()->bounds();
  CGFloat width = std::max<CGFloat>(1, area.size.width - 2 * kSideMargin);
  CGFloat height = label_->sizeThatFits({width, 0}).height;
  label_->setFrame(CGRectMake(kSideMargin, (area.size.height - height) / 2, width, height));
}

}  // namespace kavro::platform::preferences
