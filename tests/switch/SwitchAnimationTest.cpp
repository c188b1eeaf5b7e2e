// The two-stage animated change, its timeline and thumb path, overlapping changes,
// the enabled fade and the refresh when the switch moves to or from a parent view.

#include "tests/switch/SwitchHarness.h"

#include <gtest/gtest.h>

namespace kavro::test {
namespace {

constexpr double kJustBefore = -1e-6;
constexpr double kJustAfter = 1e-6;

using SwitchAnimationTest = SwitchTest;

TEST_F(SwitchAnimationTest, TapTimelineReportsFirstFlipsAtTheOvershootAndUnblocksAtTheSettle) {
  place(KavroSwitchSizeLarge, KavroSwitchStateOff);
  finger->tap(thumbCenter());
  markStart();

  // t = 0: the delegate has the old state, nothing else has changed, touches are off.
  EXPECT_EQ(delegate->arguments, std::vector<std::int32_t>{0});
  EXPECT_EQ(delegate->eventsBeforeCall, std::vector<std::size_t>{0});
  EXPECT_FALSE(switchControl->getSwitchState());
  EXPECT_FALSE(switchControl->isUserInteractionEnabled());
  EXPECT_EQ(thumbX(), 22);
  EXPECT_EQ(shownThumbX(), 0);

  waitUntil(0.05);
  EXPECT_NEAR(shownThumbX(), 0, 1e-9);
  // Half way through the overshoot stage the ease-in-out curve is half way too.
  waitUntil(0.125);
  EXPECT_NEAR(shownThumbX(), 11, 1e-6);
  EXPECT_EQ(valueChanged->count(), 0u);

  waitUntil(0.2 + kJustBefore);
  EXPECT_FALSE(switchControl->isOn());
  waitUntil(0.2 + kJustAfter);
  EXPECT_TRUE(switchControl->isOn());
  // The event goes out after the flip, once.
  EXPECT_EQ(valueChanged->states, std::vector<bool>{true});
  EXPECT_EQ(thumbX(), 19);
  EXPECT_NEAR(shownThumbX(), 22, 1e-3);
  EXPECT_FALSE(switchControl->isUserInteractionEnabled());

  waitUntil(0.35 + kJustBefore);
  EXPECT_FALSE(switchControl->isUserInteractionEnabled());
  waitUntil(0.35 + kJustAfter);
  EXPECT_TRUE(switchControl->isUserInteractionEnabled());
  EXPECT_EQ(shownThumbX(), 19);
  EXPECT_EQ(valueChanged->count(), 1u);
  EXPECT_EQ(delegate->arguments.size(), 1u);
  EXPECT_TRUE(UIColorEqual(switchControl->switchThumb()->backgroundColor(),
                           switchControl->thumbOnTintColor()));
  EXPECT_TRUE(UIColorEqual(switchControl->track()->backgroundColor(),
                           switchControl->trackOnTintColor()));
}

TEST_F(SwitchAnimationTest, ThumbOvershootsByThreePointsInEachSizeClass) {
  struct Path {
    std::int32_t size;
    double onPosition;
  };
  for (Path path : {Path{KavroSwitchSizeLarge, 19}, Path{KavroSwitchSizeMedium, 16},
                    Path{KavroSwitchSizeSmall, 12}, Path{9, 20}}) {
    SCOPED_TRACE(path.size);
    place(path.size, KavroSwitchStateOff);
    for (bool on : {true, false}) {
      double end = on ? path.onPosition : 0;
      switchControl->setOn(on, true);
      markStart();
      EXPECT_EQ(thumbX(), on ? path.onPosition + 3 : -3);
      waitUntil(0.2 + kJustAfter);
      EXPECT_NEAR(shownThumbX(), on ? path.onPosition + 3 : -3, 1e-3);
      EXPECT_EQ(thumbX(), end);
      waitUntil(0.35 + kJustAfter);
      EXPECT_EQ(shownThumbX(), end);
      EXPECT_EQ(switchControl->isOn(), on);
    }
    EXPECT_EQ(valueChanged->states, (std::vector<bool>{true, false}));
    switchControl->removeFromSuperview();
  }
}

TEST_F(SwitchAnimationTest, ChangesToTheCurrentStateStillRunButSendNothing) {
  place(KavroSwitchSizeLarge, KavroSwitchStateOn);
  switchControl->setOn(true, false);
  EXPECT_EQ(thumbX(), 19);
  switchControl->setOn(true, true);
  markStart();
  EXPECT_EQ(thumbX(), 22);
  EXPECT_FALSE(switchControl->isUserInteractionEnabled());
  waitUntil(0.35 + kJustAfter);
  EXPECT_EQ(thumbX(), 19);
  EXPECT_TRUE(switchControl->isUserInteractionEnabled());
  EXPECT_EQ(valueChanged->count(), 0u);

  // The immediate change sends its event after the flip.
  switchControl->setOn(false);
  EXPECT_EQ(thumbX(), 0);
  EXPECT_EQ(valueChanged->states, std::vector<bool>{false});
}

TEST_F(SwitchAnimationTest, OverlappingChangesEachFlipAtTheirOwnOvershootAndTheFirstSettleUnblocks) {
  place(KavroSwitchSizeLarge, KavroSwitchStateOff);
  switchControl->setOn(true, true);
  markStart();
  waitUntil(0.1);
  switchControl->setOn(false, true);  // calls from code are not blocked
  EXPECT_EQ(thumbX(), -3);

  waitUntil(0.2 + kJustAfter);
  EXPECT_EQ(valueChanged->states, std::vector<bool>{true});
  waitUntil(0.3 + kJustAfter);
  EXPECT_EQ(valueChanged->states, (std::vector<bool>{true, false}));
  // The first settle completion turns touches back on while the second still runs.
  waitUntil(0.35 + kJustAfter);
  EXPECT_TRUE(switchControl->isUserInteractionEnabled());
  EXPECT_TRUE(kavro::platform::uikit::ViewInternals::isAnimating(*switchControl->switchThumb()));
  waitUntil(0.45 + kJustAfter);
  EXPECT_FALSE(switchControl->isOn());
  EXPECT_EQ(shownThumbX(), 0);
  EXPECT_EQ(valueChanged->count(), 2u);
}

TEST_F(SwitchAnimationTest, DisabledSwitchFadesToDisabledColoursAndStillToggles) {
  place(KavroSwitchSizeLarge, KavroSwitchStateOn);
  auto thumb = switchControl->switchThumb();
  auto onColour = switchControl->thumbOnTintColor()->rgba();
  auto disabled = switchControl->thumbDisabledTintColor()->rgba();

  switchControl->setEnabled(false);
  markStart();
  EXPECT_FALSE(switchControl->isEnabled());
  EXPECT_TRUE(switchControl->isOn());
  EXPECT_TRUE(UIColorEqual(thumb->backgroundColor(), switchControl->thumbDisabledTintColor()));
  EXPECT_TRUE(UIColorEqual(switchControl->track()->backgroundColor(),
                           switchControl->trackDisabledTintColor()));
  waitUntil(0.05);
  auto halfway = kavro::platform::uikit::ViewInternals::presentationBackgroundColor(*thumb, UIUserInterfaceStyleLight);
  ASSERT_TRUE(halfway);
  EXPECT_NEAR(halfway->red, (onColour.red + disabled.red) / 2, 1e-6);
  EXPECT_NEAR(halfway->blue, (onColour.blue + disabled.blue) / 2, 1e-6);
  waitUntil(0.1 + kJustAfter);
  EXPECT_EQ(valueChanged->count(), 0u);

  // The thumb itself stays enabled: a tap still turns the switch, in disabled colours.
  finger->tap(thumbCenter());
  markStart();
  EXPECT_EQ(delegate->arguments, std::vector<std::int32_t>{1});
  EXPECT_TRUE(UIColorEqual(thumb->backgroundColor(), switchControl->thumbDisabledTintColor()));
  waitUntil(0.35 + kJustAfter);
  EXPECT_FALSE(switchControl->isOn());
  EXPECT_EQ(thumbX(), 0);
  EXPECT_TRUE(UIColorEqual(thumb->backgroundColor(), switchControl->thumbDisabledTintColor()));

  switchControl->setEnabled(true);
  EXPECT_TRUE(UIColorEqual(thumb->backgroundColor(), switchControl->thumbOffTintColor()));
}

TEST_F(SwitchAnimationTest, EnablingAnUnrefreshedSwitchReplacesTheConstructionGrey) {
  auto loose = alloc<KavroSwitch>()->initWithSize(KavroSwitchSizeSmall, KavroSwitchStateOff);
  loose->setEnabled(true);
  EXPECT_TRUE(UIColorEqual(loose->track()->backgroundColor(), loose->trackOffTintColor()));
}

// The refresh: what the switch does when it moves to or from a parent view.
using SwitchRefreshTest = SwitchTest;

TEST_F(SwitchRefreshTest, ColoursSetAfterConstructionShowOnlyAtTheRefresh) {
  place(KavroSwitchSizeLarge, KavroSwitchStateOff);
  switchControl->setThumbOffTintColor(UIColor::redColor());
  EXPECT_FALSE(UIColorEqual(switchControl->switchThumb()->backgroundColor(), UIColor::redColor()));
  switchControl->removeFromSuperview();
  EXPECT_TRUE(UIColorEqual(switchControl->switchThumb()->backgroundColor(), UIColor::redColor()));
}

TEST_F(SwitchRefreshTest, PutsTheThumbOfAnOffSwitchBackAtItsEnd) {
  place(KavroSwitchSizeLarge, KavroSwitchStateOff);
  finger->down(thumbCenter());
  finger->move(12, 0);
  EXPECT_EQ(thumbX(), 12);
  switchControl->removeFromSuperview();
  EXPECT_EQ(thumbX(), 0);
  finger->cancel();
  window->addSubview(switchControl);
  wait(0.4);
  EXPECT_EQ(thumbX(), 0);
  EXPECT_EQ(valueChanged->count(), 0u);
}

TEST_F(SwitchRefreshTest, TheOnFlagAlonePaintsOnColoursWithoutMovingTheThumb) {
  place(KavroSwitchSizeLarge, KavroSwitchStateOff);
  switchControl->setIsOn(true);
  switchControl->removeFromSuperview();
  EXPECT_EQ(thumbX(), 0);
  EXPECT_TRUE(UIColorEqual(switchControl->track()->backgroundColor(), switchControl->trackOnTintColor()));
}

TEST_F(SwitchRefreshTest, TurningBounceOffTakesEffectAtTheNextRefreshAndBothStagesStillRun) {
  place(KavroSwitchSizeLarge, KavroSwitchStateOff);
  switchControl->setIsBounceEnabled(false);
  switchControl->setOn(true, true);
  EXPECT_EQ(thumbX(), 22);  // still bouncing past the end
  wait(0.4);
  switchControl->removeFromSuperview();
  window->addSubview(switchControl);
  switchControl->setOn(false, true);
  markStart();
  EXPECT_EQ(thumbX(), 0);  // no bounce now
  // Both stages still run: touches stay blocked for the whole change.
  waitUntil(0.35 + kJustBefore);
  EXPECT_FALSE(switchControl->isUserInteractionEnabled());
  waitUntil(0.35 + kJustAfter);
  EXPECT_TRUE(switchControl->isUserInteractionEnabled());
}

TEST_F(SwitchRefreshTest, ADisabledSwitchIsRefreshedInTheDisabledColours) {
  place(KavroSwitchSizeLarge, KavroSwitchStateOn);
  switchControl->setIsEnabled(false);
  switchControl->removeFromSuperview();
  EXPECT_TRUE(UIColorEqual(switchControl->switchThumb()->backgroundColor(), switchControl->thumbDisabledTintColor()));
  EXPECT_TRUE(UIColorEqual(switchControl->track()->backgroundColor(), switchControl->trackDisabledTintColor()));
}

}  // namespace
}  // namespace kavro::test
