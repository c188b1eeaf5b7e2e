#include "rootpage/KavroStyle.h"

#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIColor.h"

namespace kavro {

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

}  // namespace kavro
