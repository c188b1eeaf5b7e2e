#pragma once
// A slider: a thumb on a horizontal track between a minimum and a maximum value.
// The track left of the thumb is drawn in the minimum track tint (the view's tint
// unless one is set), the rest in the maximum track tint. A finger on the thumb
// drags it; a finger elsewhere on the track first moves the thumb under it, so a tap
// sets the value there. A continuous slider (the default) reports each change of
// value while the finger moves; one that is not reports once, when the finger
// lifts on a value other than the one it started from. Values set by code are not
// reported. Values are doubles, so that what is shown is what is stored.

#include "platform/uikit/UIControl.h"

#include <memory>

namespace kavro::platform::uikit {
struct SliderTracking;
struct SliderInternals;
}  // namespace kavro::platform::uikit

class UISlider : public UIControl {
  KAVRO_OBJC_CLASS(UISlider)
 public:
  static constexpr CGFloat kHeight = 31;
  static constexpr CGFloat kThumbSize = 28;
  static constexpr CGFloat kTrackHeight = 4;

  UISlider();
  ~UISlider() override;
  // A slider as wide as `frame`, always kHeight high; from 0 to 1, at 0.
  std::shared_ptr<UISlider> initWithFrame(CGRect frame);

  double value() const { return value_; }
  // Clamped to the range (and, for sliders that move in steps, to a step); a value
  // that is not a number is ignored.
  void setValue(double value, bool animated);
  void setValue(double value) { setValue(value, false); }
  double minimumValue() const { return minimumValue_; }
  double maximumValue() const { return maximumValue_; }
  // A minimum above the maximum raises the maximum to it, and the reverse; values
  // that are not finite are ignored. The value is kept within the new range.
  void setMinimumValue(double minimum);
  void setMaximumValue(double maximum);
  bool isContinuous() const { return continuous_; }
  void setContinuous(bool continuous) { continuous_ = continuous; }

  std::shared_ptr<UIColor> minimumTrackTintColor() const { return minimumTrackTintColor_; }
  void setMinimumTrackTintColor(const std::shared_ptr<UIColor>& color);
  std::shared_ptr<UIColor> maximumTrackTintColor() const { return maximumTrackTintColor_; }
  void setMaximumTrackTintColor(const std::shared_ptr<UIColor>& color);
  std::shared_ptr<UIColor> thumbTintColor() const { return thumbTintColor_; }
  void setThumbTintColor(const std::shared_ptr<UIColor>& color);

  // Where the track and the thumb go within `bounds`.
  CGRect trackRectForBounds(CGRect bounds) const;
  CGRect thumbRectForBounds(CGRect bounds, CGRect trackRect, double value) const;

  void layoutSubviews() override;
  void tintColorDidChange() override;
  CGSize sizeThatFits(CGSize size) const override;
  void setEnabled(bool enabled) override;

  bool beginTrackingWithTouch(const std::shared_ptr<UITouch>& touch, const std::shared_ptr<UIEvent>& event) override;
  bool continueTrackingWithTouch(const std::shared_ptr<UITouch>& touch,
                                 const std::shared_ptr<UIEvent>& event) override;
  void endTrackingWithTouch(const std::shared_ptr<UITouch>& touch, const std::shared_ptr<UIEvent>& event) override;
  void cancelTrackingWithEvent(const std::shared_ptr<UIEvent>& event) override;

  // Accessibility: an adjustable element whose value is the position as a
  // percentage ("40%").
  bool isAccessibilityElement() const override;
  std::string accessibilityValue() const override;
  UIAccessibilityTraits accessibilityTraits() const override;

 protected:
  // The value the slider takes for `value`: within its range. Sliders that move in
  // steps narrow it further.
  virtual double constrainedValue(double value) const;

 private:
  friend struct kavro::platform::uikit::SliderInternals;
  double valueAtLocation(CGFloat x) const;
  void moveThumbTo(double value);
  void applyColours();

  double value_ = 0;
  double minimumValue_ = 0;
  double maximumValue_ = 1;
  bool continuous_ = true;
  std::shared_ptr<UIColor> minimumTrackTintColor_;
  std::shared_ptr<UIColor> maximumTrackTintColor_;
  std::shared_ptr<UIColor> thumbTintColor_;
  std::shared_ptr<UIView> minimumTrack_;
  std::shared_ptr<UIView> maximumTrack_;
  std::shared_ptr<UIView> thumb_;
  std::unique_ptr<kavro::platform::uikit::SliderTracking> tracking_;
};
