#pragma once
// Haptic feedback: a generator of impact taps. The simulated device has no motor;
// it records each tap (the simulator's log shows it as a "haptic" event).

#include "platform/objc/NSObject.h"

#include <memory>

enum UIImpactFeedbackStyle : long {
  UIImpactFeedbackStyleLight = 0,
  UIImpactFeedbackStyleMedium = 1,
  UIImpactFeedbackStyleHeavy = 2,
  UIImpactFeedbackStyleSoft = 3,
  UIImpactFeedbackStyleRigid = 4,
};

class UIImpactFeedbackGenerator : public NSObject {
  KAVRO_OBJC_CLASS(UIImpactFeedbackGenerator)
 public:
  std::shared_ptr<UIImpactFeedbackGenerator> initWithStyle(UIImpactFeedbackStyle style);
  std::shared_ptr<UIImpactFeedbackGenerator> init() { return initWithStyle(UIImpactFeedbackStyleMedium); }
  UIImpactFeedbackStyle style() const { return style_; }

  // Readies the motor so that the next tap comes without delay; nothing to record.
  void prepare() {}
  // One tap, at once.
  void impactOccurred();

 private:
  UIImpactFeedbackStyle style_ = UIImpactFeedbackStyleMedium;
};
