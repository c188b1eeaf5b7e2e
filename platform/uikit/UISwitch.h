#pragma once
// The platform's on/off switch, and the on/off contract that the Preferences
// framework binds to a row's stored value: any control offering isOn, setOn:animated:
// and the value-changed event can stand in a switch row.

#include "platform/uikit/UIControl.h"

namespace kavro::platform::uikit {
class OnOffControl {
 public:
  virtual ~OnOffControl() = default;
  virtual bool isOn() const = 0;
  virtual void setOn(bool on, bool animated) = 0;
};
}  // namespace kavro::platform::uikit

class UISwitch : public UIControl, public kavro::platform::uikit::OnOffControl {
  KAVRO_OBJC_CLASS(UISwitch)
 public:
  static constexpr CGFloat kWidth = 51;
  static constexpr CGFloat kHeight = 31;

  std::shared_ptr<UISwitch> initWithFrame(CGRect frame);
  bool isOn() const override { return on_; }
  void setOn(bool on, bool animated) override;
  void setOn(bool on) { setOn(on, false); }
  std::shared_ptr<UIColor> onTintColor() const { return onTintColor_; }
  void setOnTintColor(const std::shared_ptr<UIColor>& color) { onTintColor_ = color; }

  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

 private:
  bool on_ = false;
  std::shared_ptr<UIColor> onTintColor_;
};
