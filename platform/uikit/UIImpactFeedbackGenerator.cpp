#include "platform/uikit/UIImpactFeedbackGenerator.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIImpactFeedbackGenerator, NSObject, )

std::shared_ptr<UIImpactFeedbackGenerator> UIImpactFeedbackGenerator::initWithStyle(UIImpactFeedbackStyle style) {
  style_ = style;
  return self<UIImpactFeedbackGenerator>();
}

void UIImpactFeedbackGenerator::impactOccurred() { kavro::platform::Device::current().record({.event = "haptic"}); }
