#pragma once
// UIKit's private blurred backdrop: a view that blurs and desaturates what lies
// behind it, with its settings. Drawn by renderers as a translucent material. It
// backs its superview: a backdrop of a dark or light style shows the superview and
// everything in it in that style (see UIVisualEffectViewPrivate.h).

#include "platform/uikit/UIView.h"

#include <memory>
#include <string>

class _UIBackdropViewSettings : public NSObject {
  KAVRO_OBJC_CLASS(_UIBackdropViewSettings)
 public:
  static std::shared_ptr<_UIBackdropViewSettings> settingsForStyle(long style);
  long style() const { return style_; }
  bool blurRadiusSetOnce() const { return blurRadiusSetOnce_; }
  void setBlurRadiusSetOnce(bool once) { blurRadiusSetOnce_ = once; }
  double blurRadius() const { return blurRadius_; }
  void set_blurRadius(double radius) { blurRadius_ = radius; }
  const std::string& blurQuality() const { return blurQuality_; }
  void set_blurQuality(const std::string& quality) { blurQuality_ = quality; }
  double saturationDeltaFactor() const { return saturationDeltaFactor_; }
  void set_saturationDeltaFactor(double factor) { saturationDeltaFactor_ = factor; }

 private:
  long style_ = 0;
  bool blurRadiusSetOnce_ = true;
  double blurRadius_ = 20;
  std::string blurQuality_ = "default";
  double saturationDeltaFactor_ = 1.8;
};

class _UIBackdropView : public UIView {
  KAVRO_OBJC_CLASS(_UIBackdropView)
 public:
  // With `autosizes`, the backdrop follows its superview's bounds.
  std::shared_ptr<_UIBackdropView> initWithFrame(CGRect frame, bool autosizes,
                                                 const std::shared_ptr<_UIBackdropViewSettings>& settings);
  std::shared_ptr<_UIBackdropViewSettings> inputSettings() const { return settings_; }
  void setBlurRadiusSetOnce(bool once) { settings_->setBlurRadiusSetOnce(once); }
  void set_blurRadius(double radius) { settings_->set_blurRadius(radius); }
  void set_blurQuality(const std::string& quality) { settings_->set_blurQuality(quality); }
  void set_saturationDeltaFactor(double factor) { settings_->set_saturationDeltaFactor(factor); }
  void willMoveToSuperview(const std::shared_ptr<UIView>& newSuperview) override;
  void didMoveToSuperview() override;

 private:
  std::shared_ptr<_UIBackdropViewSettings> settings_;
  bool autosizes_ = false;
};
