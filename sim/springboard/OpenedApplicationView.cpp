#include "sim/springboard/OpenedApplicationView.h"

#include "platform/objc/Class.h"
#include "sim/springboard/HomeScreenLayout.h"

using kavro::sim::OpenedApplicationView;
KAVRO_OBJC_CLASS_IMPLEMENTATION(OpenedApplicationView, UIView, )

namespace kavro::sim {

std::shared_ptr<OpenedApplicationView> OpenedApplicationView::initWithApplication(CGRect bounds,
                                                                                  const std::string& identifier,
                                                                                  const std::string& name,
                                                                                  std::shared_ptr<UIImage> icon) {
  UIView::initWithFrame(bounds);
  identifier_ = identifier;
  screen_ = bounds;
  setBackgroundColor(UIColor::systemBackgroundColor());
  setClipsToBounds(true);
  icon_ = alloc<UIImageView>()->initWithImage(std::move(icon));
  icon_->setContentMode(UIViewContentModeScaleAspectFill);
  icon_->layer()->setCornerRadius(kIconSize * HomeScreenLayout::kIconCornerRatio);
  icon_->setClipsToBounds(true);
  icon_->setFrame(iconRestingFrame());
  addSubview(icon_);
  name_ = alloc<UILabel>()->initWithFrame(nameRestingFrame());
  name_->setText(name);
  name_->setFont(UIFont::systemFontOfSize(kNameFontSize, UIFontWeightSemibold));
  name_->setTextColor(UIColor::labelColor());
  name_->setTextAlignment(NSTextAlignmentCenter);
  name_->setNumberOfLines(1);
  addSubview(name_);
  return self<OpenedApplicationView>();
}

CGRect OpenedApplicationView::iconRestingFrame() const {
  CGFloat total = kIconSize + kNameGap + kNameFontSize * 1.3;
  return CGRectMake((screen_.size.width - kIconSize) / 2, (screen_.size.height - total) / 2, kIconSize, kIconSize);
}

CGRect OpenedApplicationView::nameRestingFrame() const {
  CGRect icon = iconRestingFrame();
  return CGRectMake(0, CGRectGetMaxY(icon) + kNameGap, screen_.size.width, kNameFontSize * 1.3);
}

void OpenedApplicationView::openFrom(CGRect iconFrame) {
  // The screen starts as the icon: the same frame and corners, the icon filling it.
  setFrame(iconFrame);
  layer()->setCornerRadius(iconFrame.size.width * HomeScreenLayout::kIconCornerRatio);
  icon_->setFrame(CGRectMake(0, 0, iconFrame.size.width, iconFrame.size.height));
  name_->setAlpha(0);
  auto self = this->self<OpenedApplicationView>();
  auto icon = icon_;
  auto name = name_;
  CGRect screen = screen_, iconRest = iconRestingFrame();
  UIView::animateWithDuration(
      kOpenDuration, 0, UIViewAnimationOptionCurveEaseOut,
      [self, icon, name, screen, iconRest] {
        self->setFrame(screen);
        icon->setFrame(iconRest);
        name->setAlpha(1);
      },
      [self](bool) {
        if (!self->closing_) self->layer()->setCornerRadius(0);
      });
}

void OpenedApplicationView::closeTo(CGRect iconFrame, std::function<void()> completion) {
  if (closing_) return;
  closing_ = true;
  setUserInteractionEnabled(false);
  layer()->setCornerRadius(iconFrame.size.width * HomeScreenLayout::kIconCornerRatio);
  auto self = this->self<OpenedApplicationView>();
  auto icon = icon_;
  auto name = name_;
  UIView::animateWithDuration(
      kCloseDuration, 0, UIViewAnimationOptionCurveEaseInOut,
      [self, icon, name, iconFrame] {
        self->setFrame(iconFrame);
        icon->setFrame(CGRectMake(0, 0, iconFrame.size.width, iconFrame.size.height));
        name->setAlpha(0);
        self->setAlpha(0);
      },
      [self, completion = std::move(completion)](bool) {
        self->removeFromSuperview();
        if (completion) completion();
      });
}

}  // namespace kavro::sim
