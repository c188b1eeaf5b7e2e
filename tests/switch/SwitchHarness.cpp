#include "tests/switch/SwitchHarness.h"

#include "platform/objc/Class.h"

namespace kavro::test {

KAVRO_OBJC_CLASS_IMPLEMENTATION(ActionRecorder, NSObject, .method("record:", &ActionRecorder::record))

void ActionRecorder::record(const id&) {
  auto observedSwitch = observed.lock();
  states.push_back(observedSwitch && observedSwitch->isOn());
}

void DelegateRecorder::switchStateChanged(std::int32_t state) {
  arguments.push_back(state);
  eventsBeforeCall.push_back(valueChanged ? valueChanged->count() : 0);
}

SwitchTest::SwitchTest() {
  window = alloc<UIWindow>()->initWithFrame(CGRectMake(0, 0, 390, 844));
  finger.emplace(settings(), window);
}

std::shared_ptr<KavroSwitch> SwitchTest::place(std::int32_t size, std::int32_t state) {
  switchControl = alloc<KavroSwitch>()->initWithSize(size, state);
  CGRect frame = switchControl->frame();
  frame.origin = CGPointMake(100, 200);
  switchControl->setFrame(frame);

  valueChanged = alloc<ActionRecorder>();
  valueChanged->observed = switchControl;
  switchControl->addTarget(valueChanged, "record:", UIControlEventValueChanged);
  delegate = std::make_shared<DelegateRecorder>();
  delegate->observed = switchControl;
  delegate->valueChanged = valueChanged;
  switchControl->setDelegate(delegate);

  window->addSubview(switchControl);
  markStart();
  return switchControl;
}

CGPoint SwitchTest::thumbCenter() const {
  CGRect frame = switchControl->switchThumb()->frameInWindow();
  return CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame));
}

CGPoint SwitchTest::trackAwayFromThumb() const {
  CGRect track = switchControl->track()->frameInWindow();
  bool thumbOnLeft = thumbX() < switchControl->frame().size.width / 4;
  CGFloat x = thumbOnLeft ? CGRectGetMaxX(track) - 2 : CGRectGetMinX(track) + 2;
  return CGPointMake(x, CGRectGetMidY(track));
}

void SwitchTest::waitUntil(double seconds) {
  double remaining = start + seconds - device().now();
  if (remaining > 0) wait(remaining);
}

}  // namespace kavro::test
