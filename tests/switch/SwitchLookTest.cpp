// What a person sees of a switch at each size: a pill-shaped track across the whole
// switch with a round thumb above it, resting at the track's left end when off and
// its right end when on, moved there by a tap; and the colours it shows before and
// after it is first placed in a view.

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

TEST_F(SwitchLookTest, BeforeItIsPlacedASwitchShowsItsStateOnAGreyTrackInTheDefaultColours) {
  // Any state code but "on" means off.
  for (std::int32_t state : {std::int32_t{KavroSwitchStateOff}, 2, -1}) {
    auto off = alloc<KavroSwitch>()->initWithSize(KavroSwitchSizeSmall, state);
    EXPECT_FALSE(off->isOn());
    EXPECT_TRUE(UIColorEqual(off->switchThumb()->backgroundColor(), off->thumbOffTintColor()));
    EXPECT_TRUE(UIColorEqual(off->track()->backgroundColor(), UIColor::grayColor()));
  }
  // init() is an on, medium switch whose palette is the styled one, but its thumb
  // keeps the default palette's blue until it is first placed in a view.
  auto styled = alloc<KavroSwitch>()->init();
  ASSERT_TRUE(styled);
  EXPECT_TRUE(styled->isOn());
  EXPECT_EQ(styled->frame().size, alloc<KavroSwitch>()->initWithSize(KavroSwitchSizeMedium, 0)->frame().size);
  const UIColor::RGBA defaultBlue{52 / 255.0, 109 / 255.0, 241 / 255.0, 1.0};
  EXPECT_EQ(styled->switchThumb()->backgroundColor()->rgba(), defaultBlue);
  window->addSubview(styled);
  EXPECT_EQ(styled->switchThumb()->backgroundColor()->rgba(), (UIColor::RGBA{0.2, 0.6, 0.86, 1.0}));
  EXPECT_TRUE(UIColorEqual(styled->track()->backgroundColor(), styled->trackOnTintColor()));
}

}  // namespace
}  // namespace kavro::test
