#pragma once
// A switch placed in a window of the settings process, a finger to touch it with
// and recorders for what it reports: its value-changed events, its delegate calls
// and the actions of its tap recogniser.

#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIViewPrivate.h"
#include "platform/uikit/UIWindow.h"
#include "switch/KavroSwitch.h"
#include "tests/support/DeviceFixture.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace kavro::test {

// Records each action sent to it, with the switch's state at that moment.
class ActionRecorder : public NSObject {
  KAVRO_OBJC_CLASS(ActionRecorder)
 public:
  void record(const id& sender);
  std::weak_ptr<KavroSwitch> observed;
  // `isOn` of the observed switch at each action.
  std::vector<bool> states;
  std::size_t count() const { return states.size(); }
};

class DelegateRecorder : public KavroSwitchDelegate {
 public:
  void switchStateChanged(std::int32_t state) override;
  std::weak_ptr<KavroSwitch> observed;
  std::vector<std::int32_t> arguments;
  // Value-changed events the switch had sent when each call came.
  std::vector<std::size_t> eventsBeforeCall;
  std::shared_ptr<ActionRecorder> valueChanged;
};

class SwitchTest : public DeviceTest {
 protected:
  SwitchTest();

  // A switch of the size class, in the state, placed at (100, 200) in the window,
  // with recorders for its value-changed event and delegate calls.
  std::shared_ptr<KavroSwitch> place(std::int32_t size, std::int32_t state);

  // The thumb's frame x: the model value, and the value drawn now.
  double thumbX() const { return switchControl->switchThumb()->frame().origin.x; }
  double shownThumbX() const {
    return kavro::platform::uikit::ViewInternals::presentationFrame(*switchControl->switchThumb()).origin.x;
  }
  // Window points: the thumb's centre, and a point of the track at the end away
  // from the thumb.
  CGPoint thumbCenter() const;
  CGPoint trackAwayFromThumb() const;

  // Moves the clock to `seconds` after `start` (the moment of the last action).
  void waitUntil(double seconds);
  void markStart() { start = device().now(); }

  std::shared_ptr<UIWindow> window;
  std::optional<kavro::platform::uikit::TouchDriver> finger;
  std::shared_ptr<KavroSwitch> switchControl;
  std::shared_ptr<ActionRecorder> valueChanged;
  std::shared_ptr<DelegateRecorder> delegate;
  double start = 0;
};

}  // namespace kavro::test
