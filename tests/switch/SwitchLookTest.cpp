// What a person sees of a switch at each size: a pill-shaped track across the whole
// switch with a round thumb above it, resting at the track's left end when off and
// its right end when on, moved there by a tap; and the colours it shows: before and
// after it is first placed in a view, on, off and disabled, in either palette and
// appearance.

#include "tests/switch/SwitchHarness.h"

#include <gtest/gtest.h>

namespace kavro::test {
namespace {

using SwitchLookTest = SwitchTest;

// Window frames of the switch's parts.
struct Look {
  CGRect control, track, thumb;
};

TEST_F(SwitchLookTest, AtEverySizeTheThumbRestsAtTheTrackEndOfItsStateAndATapCarriesItAcross) {
  std::optional<Look> previous;
  for (std::int32_t size : {KavroSwitchSizeSmall, KavroSwitchSizeMedium, KavroSwitchSizeLarge}) {
    SCOPED_TRACE(size);
    place(size, KavroSwitchStateOff);
    auto look = [&] {
      return Look{switchControl->frameInWindow(), switchControl->track()->frameInWindow(),
                  switchControl->switchThumb()->frameInWindow()};
    };
    Look off = look();
    // The track spans the switch, centred, a pill; the round thumb is thicker.
    EXPECT_EQ(CGRectGetMinX(off.track), CGRectGetMinX(off.control));
    EXPECT_EQ(CGRectGetMaxX(off.track), CGRectGetMaxX(off.control));
    EXPECT_EQ(CGRectGetMidY(off.track), CGRectGetMidY(off.control));
    EXPECT_EQ(switchControl->track()->layer()->cornerRadius(), off.track.size.height / 2);
    EXPECT_EQ(off.thumb.size.width, off.thumb.size.height);
    EXPECT_EQ(switchControl->switchThumb()->layer()->cornerRadius(), off.thumb.size.width / 2);
    EXPECT_GT(off.thumb.size.height, off.track.size.height);
    EXPECT_EQ(CGRectGetMidY(off.thumb), CGRectGetMidY(off.track));
    // The thumb draws above the track, at its left end while off.
    EXPECT_EQ(switchControl->subviews().back(), switchControl->switchThumb());
    EXPECT_EQ(CGRectGetMinX(off.thumb), CGRectGetMinX(off.track));
    EXPECT_TRUE(UIColorEqual(switchControl->switchThumb()->backgroundColor(), switchControl->thumbOffTintColor()));

    finger->tap(thumbCenter());
    wait(0.4);
    Look on = look();
    EXPECT_TRUE(switchControl->isOn());
    EXPECT_EQ(CGRectGetMaxX(on.thumb), CGRectGetMaxX(on.track));
    EXPECT_EQ(CGRectGetMidY(on.thumb), CGRectGetMidY(off.thumb));
    EXPECT_TRUE(UIColorEqual(switchControl->track()->backgroundColor(), switchControl->trackOnTintColor()));
    finger->tap(trackAwayFromThumb());
    wait(0.4);
    EXPECT_EQ(look().thumb, off.thumb);

    // Each size is larger than the one before in every part.
    if (previous) {
      EXPECT_GT(off.control.size.width, previous->control.size.width);
      EXPECT_GT(off.control.size.height, previous->control.size.height);
      EXPECT_GT(off.track.size.height, previous->track.size.height);
      EXPECT_GT(off.thumb.size.width, previous->thumb.size.width);
    }
    previous = off;
    switchControl->removeFromSuperview();
  }
}

TEST_F(SwitchLookTest, AnUnknownSizeLooksLikeAMediumSwitchWithAThinnerTrackAndSmallerThumb) {
  place(KavroSwitchSizeMedium, KavroSwitchStateOn);
  auto medium = switchControl;
  for (std::int32_t size : {7, -1}) {
    SCOPED_TRACE(size);
    place(size, KavroSwitchStateOn);
    EXPECT_EQ(switchControl->frame().size, medium->frame().size);
    EXPECT_LT(switchControl->track()->frame().size.height, medium->track()->frame().size.height);
    EXPECT_LT(switchControl->switchThumb()->frame().size.width, medium->switchThumb()->frame().size.width);
    // On, its thumb still ends at the track's right end.
    EXPECT_EQ(CGRectGetMaxX(switchControl->switchThumb()->frame()), CGRectGetMaxX(switchControl->track()->frame()));
    finger->tap(thumbCenter());
    wait(0.4);
    EXPECT_FALSE(switchControl->isOn());
    EXPECT_EQ(switchControl->switchThumb()->frame().origin.x, 0);
    switchControl->removeFromSuperview();
  }
}

TEST_F(SwitchLookTest, BeforeItIsPlacedASwitchShowsItsStateOnAGreyTrack) {
  // Any state code but "on" means off.
  for (std::int32_t state : {std::int32_t{KavroSwitchStateOff}, 2, -1}) {
    auto off = alloc<KavroSwitch>()->initWithSize(KavroSwitchSizeSmall, state);
    EXPECT_FALSE(off->isOn());
    EXPECT_TRUE(UIColorEqual(off->switchThumb()->backgroundColor(), off->thumbOffTintColor()));
    EXPECT_TRUE(UIColorEqual(off->track()->backgroundColor(), UIColor::grayColor()));
  }
}

// The colours a switch draws now, as a renderer resolves them for an appearance.
struct ShownColours {
  UIColor::RGBA thumb, track;
  friend bool operator==(const ShownColours&, const ShownColours&) = default;
};

ShownColours shownColours(const KavroSwitch& control, UIUserInterfaceStyle style) {
  using kavro::platform::uikit::ViewInternals;
  return {ViewInternals::presentationBackgroundColor(*control.switchThumb(), style).value_or(UIColor::RGBA{}),
          ViewInternals::presentationBackgroundColor(*control.track(), style).value_or(UIColor::RGBA{})};
}

class SwitchColoursTest : public SwitchTest {
 protected:
  // The colours of the placed switch off, on and disabled, in an appearance.
  struct States {
    ShownColours off, on, disabled;
  };
  States statesOf(bool styled, UIUserInterfaceStyle style) {
    place(KavroSwitchSizeMedium, KavroSwitchStateOff);
    if (styled) restyle();
    States states;
    states.off = shownColours(*switchControl, style);
    finger->tap(thumbCenter());
    wait(0.4);
    states.on = shownColours(*switchControl, style);
    switchControl->setEnabled(false);
    wait(0.4);
    states.disabled = shownColours(*switchControl, style);
    switchControl->removeFromSuperview();
    return states;
  }
  // The placed switch with the styled palette, shown afresh.
  void restyle() {
    switchControl->removeFromSuperview();
    switchControl = alloc<KavroSwitch>()->initWithSize(KavroSwitchSizeMedium, 0, KavroSwitchStateOff);
    CGRect frame = switchControl->frame();
    frame.origin = CGPointMake(100, 200);
    switchControl->setFrame(frame);
    window->addSubview(switchControl);
  }
};

TEST_F(SwitchColoursTest, OnOffAndDisabledEachShowTheirOwnThumbColourInEitherPaletteAndAppearance) {
  for (bool styled : {false, true}) {
    for (UIUserInterfaceStyle style : {UIUserInterfaceStyleLight, UIUserInterfaceStyleDark}) {
      SCOPED_TRACE(testing::Message() << (styled ? "styled" : "default") << " palette, appearance " << style);
      States states = statesOf(styled, style);
      EXPECT_NE(states.on.thumb, states.off.thumb);
      EXPECT_NE(states.on.track, states.off.track);
      EXPECT_NE(states.disabled.thumb, states.on.thumb);
      EXPECT_NE(states.disabled.thumb, states.off.thumb);
    }
  }
}

TEST_F(SwitchColoursTest, TheDefaultPaletteLooksAlikeInDarkAppearanceWhileTheStyledOffColoursDarken) {
  States plainLight = statesOf(false, UIUserInterfaceStyleLight);
  States plainDark = statesOf(false, UIUserInterfaceStyleDark);
  EXPECT_EQ(plainLight.off, plainDark.off);
  EXPECT_EQ(plainLight.on, plainDark.on);
  States styledLight = statesOf(true, UIUserInterfaceStyleLight);
  States styledDark = statesOf(true, UIUserInterfaceStyleDark);
  EXPECT_NE(styledLight.off.thumb, styledDark.off.thumb);
  EXPECT_LT(styledDark.off.thumb.red, styledLight.off.thumb.red);
  // Its on colours are its own, the same in either appearance.
  EXPECT_EQ(styledLight.on, styledDark.on);
  EXPECT_NE(styledLight.on.thumb, plainLight.on.thumb);
}

TEST_F(SwitchColoursTest, AStyledSwitchShowsTheDefaultOnThumbUntilItIsFirstPlaced) {
  // init() is an on, medium switch whose palette is the styled one.
  auto styled = alloc<KavroSwitch>()->init();
  ASSERT_TRUE(styled);
  EXPECT_TRUE(styled->isOn());
  auto medium = alloc<KavroSwitch>()->initWithSize(KavroSwitchSizeMedium, KavroSwitchStateOn);
  EXPECT_EQ(styled->frame().size, medium->frame().size);
  UIColor::RGBA defaultOn = medium->thumbOnTintColor()->rgba();
  EXPECT_EQ(shownColours(*styled, UIUserInterfaceStyleLight).thumb, defaultOn);
  window->addSubview(styled);
  ShownColours placed = shownColours(*styled, UIUserInterfaceStyleLight);
  EXPECT_NE(placed.thumb, defaultOn);
  EXPECT_EQ(placed.thumb, styled->thumbOnTintColor()->rgba());
  EXPECT_EQ(placed.track, styled->trackOnTintColor()->rgba());
}

}  // namespace
}  // namespace kavro::test
