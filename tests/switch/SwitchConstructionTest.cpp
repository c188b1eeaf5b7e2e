// Geometry of each size class, the two palettes and the initial state.

#include "tests/switch/SwitchHarness.h"

#include <gtest/gtest.h>

namespace kavro::test {
namespace {

using SwitchConstructionTest = DeviceTest;

struct Geometry {
  std::int32_t size;
  CGRect frame, track, thumbOff;
  double onPosition, trackRadius, thumbRadius;
};

TEST_F(SwitchConstructionTest, EachSizeClassHasItsOwnGeometryAndUnknownCodesTakeTheFallback) {
  const Geometry rows[] = {
      {KavroSwitchSizeLarge, {{0, 0}, {50, 40}}, {{0, 8.5}, {50, 23}}, {{0, 4.5}, {31, 31}}, 19, 11.5, 15.5},
      {KavroSwitchSizeMedium, {{0, 0}, {40, 30}}, {{0, 6.5}, {40, 17}}, {{0, 3}, {24, 24}}, 16, 8.5, 12},
      {KavroSwitchSizeSmall, {{0, 0}, {30, 25}}, {{0, 6}, {30, 13}}, {{0, 3.5}, {18, 18}}, 12, 6.5, 9},
      {7, {{0, 0}, {40, 30}}, {{0, 8.5}, {40, 13}}, {{0, 5}, {20, 20}}, 20, 6.5, 10},
      {-1, {{0, 0}, {40, 30}}, {{0, 8.5}, {40, 13}}, {{0, 5}, {20, 20}}, 20, 6.5, 10},
  };
  for (const Geometry& row : rows) {
    SCOPED_TRACE(row.size);
    auto off = alloc<KavroSwitch>()->initWithSize(row.size, KavroSwitchStateOff);
    ASSERT_TRUE(off);
    EXPECT_EQ(off->frame(), row.frame);
    EXPECT_EQ(off->track()->frame(), row.track);
    EXPECT_EQ(off->switchThumb()->frame(), row.thumbOff);
    EXPECT_EQ(off->trackThickness(), row.track.size.height);
    EXPECT_EQ(off->thumbSize(), row.thumbOff.size.width);
    EXPECT_EQ(off->track()->layer()->cornerRadius(), row.trackRadius);
    EXPECT_EQ(off->switchThumb()->layer()->cornerRadius(), row.thumbRadius);
    // The thumb draws above the track.
    ASSERT_EQ(off->subviews().size(), 2u);
    EXPECT_EQ(off->subviews()[0], off->track());
    EXPECT_EQ(off->subviews()[1], off->switchThumb());
    EXPECT_FALSE(off->isOn());

    auto on = alloc<KavroSwitch>()->initWithSize(row.size, KavroSwitchStateOn);
    CGRect thumbOn = row.thumbOff;
    thumbOn.origin.x = row.onPosition;
    EXPECT_EQ(on->switchThumb()->frame(), thumbOn);
    EXPECT_TRUE(on->getSwitchState());
  }
}

TEST_F(SwitchConstructionTest, ThumbShowsTheInitialStateAndTheTrackStaysGreyUntilPainted) {
  auto on = alloc<KavroSwitch>()->initWithSize(KavroSwitchSizeMedium, KavroSwitchStateOn);
  EXPECT_TRUE(UIColorEqual(on->switchThumb()->backgroundColor(), on->thumbOnTintColor()));
  EXPECT_TRUE(UIColorEqual(on->track()->backgroundColor(), UIColor::grayColor()));
  // Any state code but "on" means off.
  for (std::int32_t state : {std::int32_t{KavroSwitchStateOff}, 2, -1}) {
    auto off = alloc<KavroSwitch>()->initWithSize(KavroSwitchSizeSmall, state);
    EXPECT_FALSE(off->isOn());
    EXPECT_TRUE(UIColorEqual(off->switchThumb()->backgroundColor(), off->thumbOffTintColor()));
  }
}

TEST_F(SwitchConstructionTest, InitIsAMediumStyledSwitchThatStillShowsTheDefaultOnColour) {
  auto styled = alloc<KavroSwitch>()->init();
  ASSERT_TRUE(styled);
  EXPECT_EQ(styled->frame().size, CGSizeMake(40, 30));
  EXPECT_TRUE(styled->isOn());
  EXPECT_EQ(styled->thumbOnTintColor()->rgba(), (UIColor::RGBA{0.2, 0.6, 0.86, 1.0}));
  EXPECT_TRUE(UIColorEqual(styled->trackOffTintColor(), UIColor::systemGrayColor()));
  // The thumb keeps the default palette's on colour until it is next painted.
  EXPECT_EQ(styled->switchThumb()->backgroundColor()->rgba(),
            (UIColor::RGBA{52 / 255.0, 109 / 255.0, 241 / 255.0, 1.0}));
}

}  // namespace
}  // namespace kavro::test
