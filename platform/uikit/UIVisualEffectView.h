#pragma once
// Blur effects and the views that show them (drawn as a translucent material; see
// UIVisualEffectViewPrivate.h for how).

#include "platform/objc/NSObject.h"
#include "platform/uikit/UIView.h"

#include <memory>

enum UIBlurEffectStyle : long {
  UIBlurEffectStyleExtraLight = 0,
  UIBlurEffectStyleLight = 1,
  UIBlurEffectStyleDark = 2,
  UIBlurEffectStyleRegular = 4,
  UIBlurEffectStyleProminent = 5,
  UIBlurEffectStyleSystemUltraThinMaterial = 6,
  UIBlurEffectStyleSystemThinMaterial = 7,
  UIBlurEffectStyleSystemMaterial = 8,
  UIBlurEffectStyleSystemThickMaterial = 9,
  UIBlurEffectStyleSystemChromeMaterial = 10,
};

class UIVisualEffect : public NSObject {
  KAVRO_OBJC_CLASS(UIVisualEffect)
};

class UIBlurEffect : public UIVisualEffect {
  KAVRO_OBJC_CLASS(UIBlurEffect)
 public:
  static std::shared_ptr<UIBlurEffect> effectWithStyle(UIBlurEffectStyle style);
  UIBlurEffectStyle style() const { return style_; }

 private:
  UIBlurEffectStyle style_ = UIBlurEffectStyleRegular;
};

class UIVisualEffectView : public UIView {
  KAVRO_OBJC_CLASS(UIVisualEffectView)
 public:
  std::shared_ptr<UIVisualEffectView> initWithFrame(CGRect frame);
  std::shared_ptr<UIVisualEffectView> initWithEffect(const std::shared_ptr<UIVisualEffect>& effect);
  std::shared_ptr<UIVisualEffect> effect() const { return effect_; }
  // A dark or light effect shows its content in that style (UIVisualEffectViewPrivate.h).
  void setEffect(const std::shared_ptr<UIVisualEffect>& effect);
  // Subviews of an effect view go in its content view.
  std::shared_ptr<UIView> contentView();
  void layoutSubviews() override;

 private:
  std::shared_ptr<UIVisualEffect> effect_;
  std::shared_ptr<UIView> contentView_;
};
