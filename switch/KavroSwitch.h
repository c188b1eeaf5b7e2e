#pragma once
// The bundle's own on/off control: a thin rounded track and a round thumb button
// above it that rests at the track's left end when off and at its right end when on.
// A change of state moves the thumb in two stages, overshooting its end by
// `bounceOffset` points and settling back; the state flips, and the value-changed
// event goes out, between the two. Taps anywhere on the switch toggle it (the
// delegate hears of the tap first); the thumb can be dragged, and a drag released
// off the thumb sends it to the nearer end.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UISwitch.h"

#include <cstdint>
#include <memory>

// Size classes. Any other code takes the fallback geometry (the medium frame with a
// thinner track and a smaller thumb).
enum KavroSwitchSize : std::int32_t {
  KavroSwitchSizeLarge = 0,
  KavroSwitchSizeMedium = 1,
  KavroSwitchSizeSmall = 2,
};

// Initial states. Any code other than KavroSwitchStateOn means off.
enum KavroSwitchState : std::int32_t {
  KavroSwitchStateOn = 0,
  KavroSwitchStateOff = 1,
};

// Told of every tap on the switch, before the switch starts to change. The argument
// is the switch's `isOn` at that moment (1 on, 0 off): the state before the tap.
class KavroSwitchDelegate {
 public:
  virtual ~KavroSwitchDelegate() = default;
  virtual void switchStateChanged(std::int32_t state) = 0;
};

class KavroSwitch : public UIControl, public kavro::platform::uikit::OnOffControl {
  KAVRO_OBJC_CLASS(KavroSwitch)
 public:
  // Durations of the animated change and of the colour fade of setEnabled.
  static constexpr double kOvershootDelay = 0.05;
  static constexpr double kOvershootDuration = 0.15;
  static constexpr double kSettleDuration = 0.15;
  static constexpr double kEnabledFadeDuration = 0.1;
  static constexpr float kDefaultBounceOffset = 3.0f;

  // A medium switch with the styled palette, on.
  std::shared_ptr<KavroSwitch> init();
  // A switch of size class `size` (a KavroSwitchSize code) in state `state` (a
  // KavroSwitchState code) with the default palette; nullptr if the view could
  // not be initialised.
  std::shared_ptr<KavroSwitch> initWithSize(std::int32_t size, std::int32_t state);
  // The same with the styled palette. `style` is kept in `thumbStyle` and selects
  // nothing.
  std::shared_ptr<KavroSwitch> initWithSize(std::int32_t size, std::int32_t style,
                                            std::int32_t state);

  // Properties. Setters only store: what shows changes through the operations
  // below and through the refresh when the switch moves to or from a parent view.
  bool isOn() const override { return isOn_; }
  void setIsOn(bool on) { isOn_ = on; }
  // The switch's own enabled flag, which selects the disabled colours.
  bool isEnabled() const override { return isEnabled_; }
  void setIsEnabled(bool enabled) { isEnabled_ = enabled; }
  bool isBounceEnabled() const { return isBounceEnabled_; }
  void setIsBounceEnabled(bool enabled) { isBounceEnabled_ = enabled; }
  // Not owned: a delegate that has gone away is skipped.
  std::shared_ptr<KavroSwitchDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<KavroSwitchDelegate> delegate) { delegate_ = std::move(delegate); }

  std::shared_ptr<UIColor> thumbOnTintColor() const { return thumbOnTintColor_; }
  void setThumbOnTintColor(std::shared_ptr<UIColor> color) { thumbOnTintColor_ = std::move(color); }
  std::shared_ptr<UIColor> thumbOffTintColor() const { return thumbOffTintColor_; }
  void setThumbOffTintColor(std::shared_ptr<UIColor> color) { thumbOffTintColor_ = std::move(color); }
  std::shared_ptr<UIColor> trackOnTintColor() const { return trackOnTintColor_; }
  void setTrackOnTintColor(std::shared_ptr<UIColor> color) { trackOnTintColor_ = std::move(color); }
  std::shared_ptr<UIColor> trackOffTintColor() const { return trackOffTintColor_; }
  void setTrackOffTintColor(std::shared_ptr<UIColor> color) { trackOffTintColor_ = std::move(color); }
  std::shared_ptr<UIColor> thumbDisabledTintColor() const { return thumbDisabledTintColor_; }
  void setThumbDisabledTintColor(std::shared_ptr<UIColor> color) {
    thumbDisabledTintColor_ = std::move(color);
  }
  std::shared_ptr<UIColor> trackDisabledTintColor() const { return trackDisabledTintColor_; }
  void setTrackDisabledTintColor(std::shared_ptr<UIColor> color) {
    trackDisabledTintColor_ = std::move(color);
  }

  std::shared_ptr<UIButton> switchThumb() const { return switchThumb_; }
  void setSwitchThumb(std::shared_ptr<UIButton> thumb) { switchThumb_ = std::move(thumb); }
  std::shared_ptr<UIView> track() const { return track_; }
  void setTrack(std::shared_ptr<UIView> track) { track_ = std::move(track); }
  double trackThickness() const { return trackThickness_; }
  void setTrackThickness(double thickness) { trackThickness_ = thickness; }
  double thumbSize() const { return thumbSize_; }
  void setThumbSize(double size) { thumbSize_ = size; }
  std::int32_t thumbStyle() const { return thumbStyle_; }
  void setThumbStyle(std::int32_t style) { thumbStyle_ = style; }

  // State changes.
  bool getSwitchState() const { return isOn_; }
  void setOn(bool on) { setOn(on, false); }
  // Runs the matching change operation even when the switch is already in `on`.
  void setOn(bool on, bool animated) override;
  // Base control's setter, then a 0.1 s fade to the colours for `enabled`; the
  // switch's own flag changes at once.
  void setEnabled(bool enabled) override;
  // The animated change to the opposite of `isOn`.
  void changeThumbState();
  void changeThumbStateONwithAnimation();
  void changeThumbStateOFFwithAnimation();
  void changeThumbStateONwithoutAnimation();
  void changeThumbStateOFFwithoutAnimation();

  // Repaints the state colours (and puts an off thumb back at its end) whenever
  // the switch is about to gain or lose a parent view.
  void willMoveToSuperview(const std::shared_ptr<UIView>& newSuperview) override;

  // Touch handling (target-action; registered as methods of the class object).
  void switchAreaTapped(const id& sender);
  void switchThumbTapped(const id& sender);
  void onTouchDown(const id& sender, const std::shared_ptr<UIEvent>& event);
  void onTouchDragInside(const id& sender, const std::shared_ptr<UIEvent>& event);
  void onTouchUpOutsideOrCanceled(const id& sender, const std::shared_ptr<UIEvent>& event);

 private:
  void storeDefaultPalette();
  void storeStyledPalette();
  void buildTrack(CGFloat width, CGFloat height);
  void buildThumb(CGFloat height);
  void registerThumbTargets();
  // The tap: the delegate hears the old state, then the animated toggle starts.
  void tap();
  // Thumb and track backgrounds for a state, or the disabled pair when not enabled.
  void paintColors(bool on, bool enabled);
  void setThumbX(CGFloat x);
  // The two-stage change towards `on`.
  void animateTo(bool on);
  // The immediate change towards `on`.
  void jumpTo(bool on);
  // Flips `isOn` to `on` if it differs and then reports the change.
  void flipTo(bool on);
  // The finger's horizontal movement since its previous report, in the thumb's
  // coordinates; 0 when the event holds no touch of the thumb.
  float thumbTouchMovement(const std::shared_ptr<UIEvent>& event) const;

  float thumbOnPosition_ = 0;
  float thumbOffPosition_ = 0;
  float bounceOffset_ = kDefaultBounceOffset;
  bool isOn_ = false;
  bool isEnabled_ = true;
  bool isBounceEnabled_ = true;
  std::weak_ptr<KavroSwitchDelegate> delegate_;
  std::shared_ptr<UIColor> thumbOnTintColor_;
  std::shared_ptr<UIColor> thumbOffTintColor_;
  std::shared_ptr<UIColor> trackOnTintColor_;
  std::shared_ptr<UIColor> trackOffTintColor_;
  std::shared_ptr<UIColor> thumbDisabledTintColor_;
  std::shared_ptr<UIColor> trackDisabledTintColor_;
  std::shared_ptr<UIButton> switchThumb_;
  std::shared_ptr<UIView> track_;
  double trackThickness_ = 0;
  double thumbSize_ = 0;
  std::int32_t thumbStyle_ = 0;
};
