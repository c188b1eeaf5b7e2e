#include "platform/uikit/UIVisualEffectView.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIViewPrivate.h"
#include "platform/uikit/UIVisualEffectViewPrivate.h"
#include "platform/uikit/_UIBackdropView.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIVisualEffect, NSObject, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(UIBlurEffect, UIVisualEffect, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(UIVisualEffectView, UIView, )

namespace {

// The blur radius and saturation of the system's blur effects.
constexpr double kBlurEffectRadius = 30;
constexpr double kBlurEffectSaturation = 1.8;
// The tints laid over the blurred picture by dark and light materials: dark enough
// (or light enough) that the label colours of the matching style read on them
// whatever lies behind.
constexpr UIColor::RGBA kDarkMaterialTint{28 / 255.0, 28 / 255.0, 30 / 255.0, 0.8};
constexpr UIColor::RGBA kLightMaterialTint{250 / 255.0, 250 / 255.0, 252 / 255.0, 0.78};

}  // namespace

std::shared_ptr<UIBlurEffect> UIBlurEffect::effectWithStyle(UIBlurEffectStyle style) {
  auto effect = alloc<UIBlurEffect>();
  effect->style_ = style;
  return effect;
}

std::shared_ptr<UIVisualEffectView> UIVisualEffectView::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  contentView();
  return self<UIVisualEffectView>();
}

std::shared_ptr<UIVisualEffectView> UIVisualEffectView::initWithEffect(const std::shared_ptr<UIVisualEffect>& effect) {
  initWithFrame(CGRectZero);
  setEffect(effect);
  return self<UIVisualEffectView>();
}

void UIVisualEffectView::setEffect(const std::shared_ptr<UIVisualEffect>& effect) {
  effect_ = effect;
  // The content shown on a dark or light material takes its style.
  auto blur = std::dynamic_pointer_cast<UIBlurEffect>(effect_);
  kavro::platform::uikit::ViewInternals::setMaterialStyle(
      *this, blur ? kavro::platform::uikit::MaterialInternals::fixedStyle(blur->style()) : UIUserInterfaceStyleUnspecified);
}

std::shared_ptr<UIView> UIVisualEffectView::contentView() {
  if (!contentView_) {
    contentView_ = alloc<UIView>()->initWithFrame(bounds());
    contentView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    addSubview(contentView_);
  }
  return contentView_;
}

void UIVisualEffectView::layoutSubviews() {
  UIView::layoutSubviews();
  if (contentView_) contentView_->setFrame(bounds());
}

// ---------------------------------------------------------------------------
// Materials

namespace kavro::platform::uikit {

UIUserInterfaceStyle MaterialInternals::fixedStyle(long style) {
  // Blur effects: extra light (0) and light (1) are light, dark (2) is dark, the
  // others (regular, prominent, the system materials) follow the appearance. The
  // private backdrop styles 0, 1 and 2 are the same light, light and dark.
  if (style == 0 || style == 1) return UIUserInterfaceStyleLight;
  if (style == 2) return UIUserInterfaceStyleDark;
  return UIUserInterfaceStyleUnspecified;
}

std::optional<MaterialInternals::Look> MaterialInternals::look(const UIView& view, UIUserInterfaceStyle appearance) {
  std::optional<Look> look;
  if (auto effectView = dynamic_cast<const UIVisualEffectView*>(&view)) {
    auto blur = std::dynamic_pointer_cast<UIBlurEffect>(effectView->effect());
    if (!blur) return std::nullopt;  // an effect view without an effect shows only its content
    look = Look{"blur", static_cast<long>(blur->style()), kBlurEffectRadius, kBlurEffectSaturation, {}};
  } else if (auto backdrop = dynamic_cast<const _UIBackdropView*>(&view)) {
    auto settings = backdrop->inputSettings();
    look = Look{"backdrop", settings->style(), settings->blurRadius(), settings->saturationDeltaFactor(), {}};
  } else {
    return std::nullopt;
  }
  UIUserInterfaceStyle fixed = fixedStyle(look->style);
  UIUserInterfaceStyle shown = fixed != UIUserInterfaceStyleUnspecified ? fixed : appearance;
  look->tint = shown == UIUserInterfaceStyleDark ? kDarkMaterialTint : kLightMaterialTint;
  return look;
}

}  // namespace kavro::platform::uikit
