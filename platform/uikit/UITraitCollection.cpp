#include "platform/uikit/UITraitCollection.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UITraitCollection, NSObject, )

std::shared_ptr<UITraitCollection> UITraitCollection::traitCollectionWithUserInterfaceStyle(
    UIUserInterfaceStyle style) {
  auto traits = alloc<UITraitCollection>();
  traits->style_ = style;
  return traits;
}

std::shared_ptr<UITraitCollection> UITraitCollection::currentTraitCollection() {
  auto appearance = kavro::platform::Device::current().appearance();
  return traitCollectionWithUserInterfaceStyle(
      appearance == kavro::platform::Appearance::dark ? UIUserInterfaceStyleDark : UIUserInterfaceStyleLight);
}

bool UITraitCollection::hasDifferentColorAppearanceComparedToTraitCollection(
    const std::shared_ptr<UITraitCollection>& other) const {
  auto effective = [](UIUserInterfaceStyle style) {
    return style == UIUserInterfaceStyleDark ? UIUserInterfaceStyleDark : UIUserInterfaceStyleLight;
  };
  return !other || effective(style_) != effective(other->style_);
}
