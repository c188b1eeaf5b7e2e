#include "platform/uikit/_UIBackdropView.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIViewPrivate.h"
#include "platform/uikit/UIVisualEffectViewPrivate.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(_UIBackdropViewSettings, NSObject, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(_UIBackdropView, UIView, )

std::shared_ptr<_UIBackdropViewSettings> _UIBackdropViewSettings::settingsForStyle(long style) {
  auto settings = alloc<_UIBackdropViewSettings>();
  settings->style_ = style;
  return settings;
}

std::shared_ptr<_UIBackdropView> _UIBackdropView::initWithFrame(CGRect frame, bool autosizes,
                                                               const std::shared_ptr<_UIBackdropViewSettings>& settings) {
  UIView::initWithFrame(frame);
  settings_ = settings ? settings : _UIBackdropViewSettings::settingsForStyle(0);
  autosizes_ = autosizes;
  setUserInteractionEnabled(false);
  if (autosizes) setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  return self<_UIBackdropView>();
}

void _UIBackdropView::willMoveToSuperview(const std::shared_ptr<UIView>&) {
  if (auto parent = superview())
    kavro::platform::uikit::ViewInternals::setMaterialStyle(*parent, UIUserInterfaceStyleUnspecified);
}

void _UIBackdropView::didMoveToSuperview() {
  auto parent = superview();
  if (!parent) return;
  if (autosizes_) setFrame(parent->bounds());
  kavro::platform::uikit::ViewInternals::setMaterialStyle(
      *parent, kavro::platform::uikit::MaterialInternals::fixedStyle(settings_->style()));
}
