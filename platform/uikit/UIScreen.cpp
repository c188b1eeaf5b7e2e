#include "platform/uikit/UIScreen.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIScreen, NSObject, )

std::shared_ptr<UIScreen> UIScreen::mainScreen() {
  return kavro::platform::Process::current().singleton<UIScreen>([] { return alloc<UIScreen>(); });
}

CGRect UIScreen::bounds() const {
  return CGRectMake(0, 0, kavro::platform::Device::kScreenWidth, kavro::platform::Device::kScreenHeight);
}

CGFloat UIScreen::scale() const { return kavro::platform::Device::kScreenScale; }

std::shared_ptr<UITraitCollection> UIScreen::traitCollection() const {
  return UITraitCollection::currentTraitCollection();
}
