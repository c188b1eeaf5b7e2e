// The master switch and the stored `enabled`: taps, drags, stray control events and
// reappearances leave the store equal to what the switch shows; showing the stored
// value writes nothing; on, its thumb shows the page's accent.

#include "platform/uikit/UIViewPrivate.h"
#include "store/Preferences.h"
#include "style/Style.h"
#include "tests/rootpage/RootPageHarness.h"

#include <gtest/gtest.h>

namespace kavro::test {
namespace {

class MasterSwitchTest : public RootPageTest {
 protected:
  MasterSwitchTest() {
    store(PlistValue::Array{}, "blacklist");  // the domain's file exists: no guide
    openPage();
    control = page->enableSwitch();
  }
  CGPoint trackEnd(bool right) {
    CGRect track = control->track()->frameInWindow();
    return CGPointMake(right ? CGRectGetMaxX(track) - 2 : CGRectGetMinX(track) + 2, CGRectGetMidY(track));
  }
  // Drags the thumb by dx and lets go far below the switch.
  void dragThumb(CGFloat dx) {
    finger->down(centreOf(control->switchThumb()));
    finger->move(dx, 0);
    finger->move(0, 150);
    finger->up();
    wait(0.4);
  }
  void expectShownAndStored(bool on) {
    EXPECT_EQ(control->isOn(), on);
    EXPECT_EQ(storedFlag("enabled"), on);
  }
  std::shared_ptr<KavroSwitch> control;
};

TEST_F(MasterSwitchTest, TapsStoreTheStateTheSwitchEndsIn) {
  EXPECT_EQ(storedFlag("enabled"), std::nullopt);
  EXPECT_FALSE(control->isOn());
  tap(control->switchThumb());
  EXPECT_EQ(storedFlag("enabled"), true);  // at the tap, before the switch flips
  wait(0.1);
  finger->tap(trackEnd(true));  // during the animation: ignored
  wait(0.3);
  expectShownAndStored(true);
  finger->tap(trackEnd(false));
  wait(0.4);
  expectShownAndStored(false);
}

TEST_F(MasterSwitchTest, DragsAndStrayTouchUpInsideKeepStoreAndSwitchTogether) {
  dragThumb(12);  // past the midpoint: the switch goes on by itself
  expectShownAndStored(true);
  // Touch-up-inside without a tap: sent directly, and by a touch on the track that
  // strays too far for a tap and comes back.
  control->sendActionsForControlEvents(UIControlEventTouchUpInside);
  finger->down(trackEnd(false));
  finger->move(0, 40);
  finger->move(0, -40);
  finger->up();
  wait(0.4);
  expectShownAndStored(true);
  dragThumb(-12);
  expectShownAndStored(false);
  dragThumb(3);  // short of the midpoint: stays off
  expectShownAndStored(false);
}

TEST_F(MasterSwitchTest, ReappearanceShowsTheStoredValueWithoutAnimationOrWrite) {
  auto file = device().resolve(store::kPreferencesFilePath);
  for (bool value : {true, false}) {
    navigation->pushViewController(alloc<UIViewController>()->init(), false);
    wait(1);
    store(value, "enabled");
    auto written = std::filesystem::last_write_time(file);
    navigation->popViewControllerAnimated(true);
    EXPECT_EQ(kavro::platform::uikit::ViewInternals::presentationFrame(*control->switchThumb()).origin.x, value ? 19 : 0);
    wait(1);
    expectShownAndStored(value);
    EXPECT_EQ(std::filesystem::last_write_time(file), written);
  }
}

TEST_F(MasterSwitchTest, TheThumbShowsThePagesAccentWhileOnAndAnotherColourWhileOff) {
  auto shown = [&] {
    return *kavro::platform::uikit::ViewInternals::presentationBackgroundColor(*control->switchThumb(),
                                                                                UIUserInterfaceStyleLight);
  };
  UIColor::RGBA accent = kavro::style::accentColor()->rgba();
  EXPECT_NE(shown(), accent);
  finger->tap(centreOf(control->switchThumb()));
  wait(0.4);
  EXPECT_EQ(shown(), accent);
  finger->tap(trackEnd(false));
  wait(0.4);
  EXPECT_NE(shown(), accent);
}

}  // namespace
}  // namespace kavro::test
