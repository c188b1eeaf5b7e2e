// Taps, drags and releases on a switch in a window, through the window's touch
// routing: which handler runs, what the delegate hears and when the state flips.

#include "tests/switch/SwitchHarness.h"

#include <gtest/gtest.h>

namespace kavro::test {
namespace {

using SwitchTouchTest = SwitchTest;

// Far enough below the thumb to be outside the control's tracking margin.
constexpr CGFloat kOutside = 150;

TEST_F(SwitchTouchTest, TrackAndThumbTapsBothToggleOnceButOnlyTheTrackTapUsesTheRecognizer) {
  place(KavroSwitchSizeLarge, KavroSwitchStateOff);
  auto recognized = alloc<ActionRecorder>();
  switchControl->gestureRecognizers().front()->addTarget(recognized, "record:");
  auto touchUpInside = alloc<ActionRecorder>();
  switchControl->addTarget(touchUpInside, "record:", UIControlEventTouchUpInside);

  finger->tap(trackAwayFromThumb());
  EXPECT_EQ(recognized->count(), 1u);
  EXPECT_EQ(delegate->arguments, std::vector<std::int32_t>{0});
  wait(0.4);
  EXPECT_TRUE(switchControl->isOn());

  finger->tap(thumbCenter());
  EXPECT_EQ(recognized->count(), 1u);
  EXPECT_EQ(delegate->arguments, (std::vector<std::int32_t>{0, 1}));
  wait(0.4);
  EXPECT_FALSE(switchControl->isOn());
  EXPECT_EQ(valueChanged->states, (std::vector<bool>{true, false}));
  // The switch sends no touch-up-inside of its own for either tap.
  EXPECT_EQ(touchUpInside->count(), 0u);
}

TEST_F(SwitchTouchTest, TapsDuringAnAnimatedChangeAreIgnored) {
  place(KavroSwitchSizeMedium, KavroSwitchStateOff);
  CGPoint track = trackAwayFromThumb();
  finger->tap(track);
  markStart();
  waitUntil(0.1);
  finger->tap(track);
  waitUntil(0.3);
  finger->tap(thumbCenter());
  waitUntil(0.35 + 1e-6);
  EXPECT_EQ(delegate->arguments.size(), 1u);
  EXPECT_TRUE(switchControl->isOn());
  EXPECT_EQ(valueChanged->count(), 1u);

  finger->tap(thumbCenter());
  EXPECT_EQ(delegate->arguments, (std::vector<std::int32_t>{0, 1}));
}

TEST_F(SwitchTouchTest, DelegateThatHasGoneAwayIsSkipped) {
  place(KavroSwitchSizeSmall, KavroSwitchStateOff);
  valueChanged.reset();
  delegate.reset();
  EXPECT_FALSE(switchControl->delegate());
  finger->tap(thumbCenter());
  wait(0.4);
  EXPECT_TRUE(switchControl->isOn());
}

TEST_F(SwitchTouchTest, DragFollowsTheFingerWithinTheTwoEnds) {
  place(KavroSwitchSizeLarge, KavroSwitchStateOff);
  finger->down(thumbCenter());
  EXPECT_EQ(thumbX(), 0);  // touch-down alone changes nothing
  finger->move(30, 0);
  EXPECT_EQ(thumbX(), 19);
  finger->move(-50, 0);
  EXPECT_EQ(thumbX(), 0);
  finger->move(7.25, 0);
  EXPECT_EQ(thumbX(), 7.25);
  // Vertical movement within the margin moves nothing.
  finger->move(0, 20);
  EXPECT_EQ(thumbX(), 7.25);
  EXPECT_FALSE(switchControl->isOn());
  EXPECT_TRUE(delegate->arguments.empty());
  EXPECT_EQ(valueChanged->count(), 0u);
  EXPECT_TRUE(switchControl->isUserInteractionEnabled());
  // A movement reported outside the thumb is not a drag.
  finger->move(0, kOutside);
  finger->move(5, 0);
  EXPECT_EQ(thumbX(), 7.25);
}

TEST_F(SwitchTouchTest, ReleaseOutsideGoesToTheNearerEndAndHalfWayCountsAsOff) {
  struct Case {
    std::int32_t state;
    CGFloat drag;
    bool endsOn;
    double overshootFrom;
  };
  const Case cases[] = {{KavroSwitchStateOff, 9.5, false, 9.5},
                        {KavroSwitchStateOff, 9.6, true, 9.6},
                        {KavroSwitchStateOn, -4, true, 15}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.drag);
    place(KavroSwitchSizeLarge, c.state);
    finger->down(thumbCenter());
    finger->move(c.drag, 0);
    finger->move(0, kOutside);
    finger->up();
    markStart();
    EXPECT_NEAR(shownThumbX(), c.overshootFrom, 1e-5);
    EXPECT_EQ(thumbX(), c.endsOn ? 22 : -3);
    waitUntil(0.2 + 1e-6);
    bool flips = c.endsOn != (c.state == KavroSwitchStateOn);
    EXPECT_EQ(valueChanged->count(), flips ? 1u : 0u);
    waitUntil(0.35 + 1e-6);
    EXPECT_EQ(switchControl->isOn(), c.endsOn);
    EXPECT_EQ(thumbX(), c.endsOn ? 19 : 0);
    EXPECT_TRUE(delegate->arguments.empty());
    switchControl->removeFromSuperview();
  }
}

TEST_F(SwitchTouchTest, CancelMidDragIsHandledLikeAReleaseOutside) {
  for (CGFloat drag : {5.0, 12.0}) {
    SCOPED_TRACE(drag);
    place(KavroSwitchSizeLarge, KavroSwitchStateOff);
    finger->down(thumbCenter());
    finger->move(drag, 0);
    finger->cancel();
    EXPECT_EQ(thumbX(), drag > 9.5 ? 22 : -3);
    wait(0.4);
    EXPECT_EQ(switchControl->isOn(), drag > 9.5);
    EXPECT_TRUE(delegate->arguments.empty());
    switchControl->removeFromSuperview();
  }
}

TEST_F(SwitchTouchTest, ReleaseOnTheThumbAfterADragIsATap) {
  place(KavroSwitchSizeLarge, KavroSwitchStateOff);
  finger->down(thumbCenter());
  finger->move(5, 0);
  finger->up();
  markStart();
  EXPECT_EQ(delegate->arguments, std::vector<std::int32_t>{0});
  EXPECT_EQ(delegate->eventsBeforeCall, std::vector<std::size_t>{0});
  // The overshoot starts from where the drag left the thumb.
  waitUntil(0.05);
  EXPECT_NEAR(shownThumbX(), 5, 1e-9);
  waitUntil(0.35 + 1e-6);
  EXPECT_TRUE(switchControl->isOn());
  EXPECT_EQ(thumbX(), 19);
  EXPECT_EQ(valueChanged->count(), 1u);
}

}  // namespace
}  // namespace kavro::test
