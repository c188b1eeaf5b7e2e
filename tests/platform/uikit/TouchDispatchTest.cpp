// Touch routing through a window: hit testing, a touch staying with its view,
// recognisers before views, control events and target-action under mutation.

#include "platform/objc/Class.h"
#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kavro::test {

// Logs the phases of the touches a view receives.
class RecordingView : public UIView {
 public:
  void touchesBegan(const UITouchSet&, const std::shared_ptr<UIEvent>&) override { log.push_back("began"); }
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) override {
    log.push_back("moved");
  }
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) override {
    log.push_back("ended");
    const auto& touch = touches.front();
    liftMovement = touch->locationInView(nullptr).x - touch->previousLocationInView(nullptr).x;
  }
  void touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) override {
    log.push_back("cancelled");
  }
  std::vector<std::string> log;
  double liftMovement = -1;
};

// A target whose actions log their names; `onAction` runs inside each action.
class ActionLog : public NSObject {
  KAVRO_OBJC_CLASS(ActionLog)
 public:
  void down(const id&) { note("down"); }
  void dragInside(const id&) { note("drag inside"); }
  void dragOutside(const id&) { note("drag outside"); }
  void dragEnter(const id&) { note("enter"); }
  void dragExit(const id&) { note("exit"); }
  void upInside(const id&) { note("up inside"); }
  void upOutside(const id&) { note("up outside"); }
  void cancel(const id&) { note("cancel"); }
  void tapped(const id&) { note("tapped"); }
  void note(const std::string& name) {
    entries.push_back(name);
    if (onAction) onAction();
  }
  std::vector<std::string> entries;
  std::function<void()> onAction;
};

KAVRO_OBJC_CLASS_IMPLEMENTATION(ActionLog, NSObject,
                                .method("down:", &ActionLog::down)
                                    .method("dragInside:", &ActionLog::dragInside)
                                    .method("dragOutside:", &ActionLog::dragOutside)
                                    .method("dragEnter:", &ActionLog::dragEnter)
                                    .method("dragExit:", &ActionLog::dragExit)
                                    .method("upInside:", &ActionLog::upInside)
                                    .method("upOutside:", &ActionLog::upOutside)
                                    .method("cancel:", &ActionLog::cancel)
                                    .method("tapped:", &ActionLog::tapped))

namespace {

class TouchDispatchTest : public DeviceTest {
 protected:
  TouchDispatchTest() {
    window = alloc<UIWindow>()->initWithFrame(CGRectMake(0, 0, 390, 844));
    finger.emplace(settings(), window);
  }
  template <class View = RecordingView>
  std::shared_ptr<View> add(const std::shared_ptr<UIView>& parent, CGRect frame) {
    auto view = alloc<View>();
    view->initWithFrame(frame);
    parent->addSubview(view);
    return view;
  }
  // A control at (100, 100, 50, 50) reporting every touch event to `log`.
  std::shared_ptr<UIControl> trackedControl(const std::shared_ptr<ActionLog>& log) {
    auto control = add<UIControl>(window, CGRectMake(100, 100, 50, 50));
    control->addTarget(log, "down:", UIControlEventTouchDown);
    control->addTarget(log, "dragInside:", UIControlEventTouchDragInside);
    control->addTarget(log, "dragOutside:", UIControlEventTouchDragOutside);
    control->addTarget(log, "dragEnter:", UIControlEventTouchDragEnter);
    control->addTarget(log, "dragExit:", UIControlEventTouchDragExit);
    control->addTarget(log, "upInside:", UIControlEventTouchUpInside);
    control->addTarget(log, "upOutside:", UIControlEventTouchUpOutside);
    control->addTarget(log, "cancel:", UIControlEventTouchCancel);
    return control;
  }
  std::shared_ptr<UIWindow> window;
  std::optional<kavro::platform::uikit::TouchDriver> finger;
};

using Log = std::vector<std::string>;

TEST_F(TouchDispatchTest, TopmostHitViewKeepsTheTouchUntilItEnds) {
  auto below = add(window, CGRectMake(0, 0, 100, 100));
  auto above = add(window, CGRectMake(50, 50, 100, 100));
  finger->down({60, 60});
  finger->moveTo({10, 10});  // over `below` only
  finger->move(5, 0);
  finger->up();
  EXPECT_EQ(above->log, (Log{"began", "moved", "moved", "ended"}));
  EXPECT_TRUE(below->log.empty());
  // A lift reports no movement of its own.
  EXPECT_EQ(above->liftMovement, 0);

  above->setHidden(true);
  finger->tap({60, 60});
  EXPECT_EQ(below->log, (Log{"began", "ended"}));
}

TEST_F(TouchDispatchTest, UserInteractionOffBlocksAViewAndItsSubviews) {
  auto below = add(window, CGRectMake(0, 0, 200, 200));
  auto parent = add(window, CGRectMake(0, 0, 200, 200));
  auto child = add(parent, CGRectMake(10, 10, 50, 50));
  parent->setUserInteractionEnabled(false);
  finger->tap({20, 20});
  EXPECT_TRUE(child->log.empty());
  EXPECT_TRUE(parent->log.empty());
  EXPECT_EQ(below->log, (Log{"began", "ended"}));

  // A touch that began before interaction went off stays with its view.
  parent->setUserInteractionEnabled(true);
  finger->down({20, 20});
  parent->setUserInteractionEnabled(false);
  finger->up();
  EXPECT_EQ(child->log, (Log{"began", "ended"}));
}

TEST_F(TouchDispatchTest, ControlTurnsTouchesIntoControlEventsWithATrackingMargin) {
  auto log = alloc<ActionLog>();
  auto control = trackedControl(log);
  finger->down({125, 125});
  finger->move(10, 0);
  finger->moveTo({125, 125 + 25 + 69});  // still within the margin
  finger->moveTo({125, 125 + 25 + 71});
  finger->move(0, 10);
  finger->moveTo({125, 125});
  finger->up();
  EXPECT_EQ(log->entries, (Log{"down", "drag inside", "drag inside", "exit", "drag outside", "enter",
                               "up inside"}));

  log->entries.clear();
  finger->down({125, 125});
  finger->moveTo({400, 125});
  finger->up();
  EXPECT_EQ(log->entries, (Log{"down", "exit", "up outside"}));

  log->entries.clear();
  finger->down({125, 125});
  finger->cancel();
  EXPECT_EQ(log->entries, (Log{"down", "cancel"}));
  EXPECT_FALSE(control->isHighlighted());
}

TEST_F(TouchDispatchTest, RecognizedTapCancelsTheViewsTouchAndMovementFailsIt) {
  auto view = add(window, CGRectMake(0, 0, 100, 100));
  auto log = alloc<ActionLog>();
  view->addGestureRecognizer(alloc<UITapGestureRecognizer>()->initWithTarget(log, "tapped:"));
  finger->tap({50, 50});
  EXPECT_EQ(log->entries, Log{"tapped"});
  EXPECT_EQ(view->log, (Log{"began", "cancelled"}));

  view->log.clear();
  finger->down({50, 50});
  finger->move(11, 0);
  finger->up();
  EXPECT_EQ(log->entries, Log{"tapped"});
  EXPECT_EQ(view->log, (Log{"began", "moved", "ended"}));
}

TEST_F(TouchDispatchTest, ButtonsOwnTapBeatsATapRecognizerOfItsAncestor) {
  auto container = add(window, CGRectMake(0, 0, 300, 300));
  auto log = alloc<ActionLog>();
  container->addGestureRecognizer(alloc<UITapGestureRecognizer>()->initWithTarget(log, "tapped:"));
  auto button = alloc<UIButton>()->initWithFrame(CGRectMake(10, 10, 40, 40));
  container->addSubview(button);
  button->addTarget(log, "upInside:", UIControlEventTouchUpInside);
  finger->tap({20, 20});
  EXPECT_EQ(log->entries, Log{"up inside"});
  finger->tap({200, 200});
  EXPECT_EQ(log->entries, (Log{"up inside", "tapped"}));

  // A control without a touch-up-inside action leaves the tap to the recogniser.
  auto bare = alloc<UIControl>()->initWithFrame(CGRectMake(100, 10, 40, 40));
  container->addSubview(bare);
  bare->addTarget(log, "cancel:", UIControlEventTouchCancel);
  finger->tap({110, 20});
  EXPECT_EQ(log->entries, (Log{"up inside", "tapped", "tapped", "cancel"}));
}

TEST_F(TouchDispatchTest, TargetsThatHaveGoneAwayAreSkipped) {
  auto kept = alloc<ActionLog>();
  auto gone = alloc<ActionLog>();
  auto control = add<UIControl>(window, CGRectMake(0, 0, 50, 50));
  control->addTarget(gone, "upInside:", UIControlEventTouchUpInside);
  control->addTarget(kept, "upInside:", UIControlEventTouchUpInside);
  auto recognizer = alloc<UITapGestureRecognizer>()->initWithTarget(gone, "tapped:");
  recognizer->addTarget(kept, "tapped:");
  add(window, CGRectMake(100, 0, 50, 50))->addGestureRecognizer(recognizer);
  gone.reset();
  finger->tap({10, 10});
  finger->tap({110, 10});
  EXPECT_EQ(kept->entries, (Log{"up inside", "tapped"}));
}

TEST_F(TouchDispatchTest, ActionsMayRemoveTargetsAndTheControlDuringDispatch) {
  auto first = alloc<ActionLog>();
  auto second = alloc<ActionLog>();
  auto control = add<UIControl>(window, CGRectMake(0, 0, 50, 50));
  control->addTarget(first, "upInside:", UIControlEventTouchUpInside);
  control->addTarget(second, "upInside:", UIControlEventTouchUpInside);
  std::weak_ptr<UIControl> weakControl = control;
  first->onAction = [&] {
    auto self = weakControl.lock();
    self->removeTarget(first, "upInside:", UIControlEventTouchUpInside);
    self->removeFromSuperview();
  };
  control.reset();
  finger->tap({10, 10});
  // The event that was being dispatched still reaches every target it had.
  EXPECT_EQ(first->entries, Log{"up inside"});
  EXPECT_EQ(second->entries, Log{"up inside"});
  EXPECT_TRUE(weakControl.expired());
}

TEST_F(TouchDispatchTest, ProcessEndingMidTouchReleasesTheTouchAndItsRecognizers) {
  std::weak_ptr<UIGestureRecognizer> watched;
  {
    kavro::platform::Process& home = springboard();
    kavro::platform::ProcessScope scope(home);
    auto homeWindow = alloc<UIWindow>()->initWithFrame(CGRectMake(0, 0, 100, 100));
    auto recognizer = alloc<UITapGestureRecognizer>()->initWithTarget(nullptr, "tapped:");
    add(homeWindow, CGRectMake(0, 0, 50, 50))->addGestureRecognizer(recognizer);
    watched = recognizer;
    kavro::platform::uikit::TouchDriver homeFinger(home, homeWindow);
    homeFinger.down({10, 10});
  }
  device().terminate("springboard");
  EXPECT_TRUE(watched.expired());
}

}  // namespace
}  // namespace kavro::test
