#include "style/Style.h"

#include "platform/audiotoolbox/AudioServices.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIWindow.h"

namespace kavro::style {

namespace {

constexpr SystemSoundID kFeedbackSound = 1519;

void setKeyWindowTint(const std::shared_ptr<UIColor>& color) {
  if (auto window = UIApplication::sharedApplication()->keyWindow()) window->setTintColor(color);
}

}  // namespace

std::shared_ptr<UIColor> accentColor() { return UIColor::colorWithRed(0.42, 0.39, 0.76, 1.0); }

std::shared_ptr<UIBarButtonItem> symbolBarButtonItem(const std::string& symbol, const id& target, const SEL& action) {
  auto button = alloc<UIButton>()->init();
  button->setFrame(CGRectMake(0, 0, 30, 30));
  button->imageView()->setContentMode(UIViewContentModeScaleAspectFit);
  button->setImageEdgeInsets(UIEdgeInsetsMake(-2, -2, -2, -2));
  button->setBackgroundImage(UIImage::systemImageNamed(symbol), UIControlStateNormal);
  button->addTarget(target, action, UIControlEventTouchUpInside);
  return alloc<UIBarButtonItem>()->initWithCustomView(button);
}

std::shared_ptr<UILabel> sectionHeaderLabel(const std::string& text) {
  auto label = alloc<UILabel>()->initWithFrame(CGRectMake(0, 0, 200, 30));
  label->setTextColor(UIColor::secondaryLabelColor());
  label->setFont(UIFont::systemFontOfSize(20, UIFontWeightSemibold));
  label->setText(text);
  return label;
}

void tintKeyWindowWithAccent() { setKeyWindowTint(accentColor()); }

void clearKeyWindowTint() { setKeyWindowTint(nullptr); }

void playFeedbackSound() { AudioServicesPlaySystemSound(kFeedbackSound); }

}  // namespace kavro::style
