// The slider under a finger: a drag of the thumb keeps the grab point, a touch on
// the track moves the thumb there first, values stay in range whatever the finger
// does, continuous and lift-only reporting, and code that sets the value reports
// nothing.

#include "platform/objc/Class.h"
#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UISliderPrivate.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <random>

namespace kavro::test {

// Records the slider's value at each value-changed event, and touch-ups.
class SliderChanges : public NSObject {
  KAVRO_OBJC_CLASS(SliderChanges)
 public:
  void changed(const id& sender) { values.push_back(std::dynamic_pointer_cast<UISlider>(sender)->value()); }
  void lifted(const id&) { ++lifts; }
  std::vector<double> values;
  int lifts = 0;
};

KAVRO_OBJC_CLASS_IMPLEMENTATION(SliderChanges, NSObject,
                                .method("changed:", &SliderChanges::changed).method("lifted:", &SliderChanges::lifted))

namespace {

using kavro::platform::uikit::SliderInternals;

class SliderTest : public DeviceTest {
 protected:
  static constexpr CGFloat kLeft = 40, kWidth = 300, kTop = 400;
  SliderTest() {
    window = alloc<UIWindow>()->init();
    window->makeKeyAndVisible();
    slider = alloc<UISlider>()->initWithFrame(CGRectMake(kLeft, kTop, kWidth, 10));
    slider->setMinimumValue(10);
    slider->setMaximumValue(20);
    changes = alloc<SliderChanges>();
    slider->addTarget(changes, "changed:", UIControlEventValueChanged);
    slider->addTarget(changes, "lifted:", UIControlEventTouchUpInside | UIControlEventTouchUpOutside);
    window->addSubview(slider);
    window->layoutIfNeeded();
    finger.emplace(settings(), window);
  }
  // The window point over the track where the thumb's centre stands at `value`.
  CGPoint pointFor(double value) {
    CGFloat travel = kWidth - UISlider::kThumbSize;
    return {kLeft + UISlider::kThumbSize / 2 + travel * (value - 10) / 10, kTop + UISlider::kHeight / 2};
  }
  CGPoint thumbCentre() {
    CGRect frame = SliderInternals::thumbView(*slider)->frameInWindow();
    return {CGRectGetMidX(frame), CGRectGetMidY(frame)};
  }
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UISlider> slider;
  std::shared_ptr<SliderChanges> changes;
  std::optional<kavro::platform::uikit::TouchDriver> finger;
};

TEST_F(SliderTest, TheThumbAndTracksFollowTheValue) {
  EXPECT_EQ(slider->frame().size.height, UISlider::kHeight);
  EXPECT_EQ(slider->value(), 10);
  slider->setValue(15);
  window->layoutIfNeeded();
  EXPECT_DOUBLE_EQ(thumbCentre().x, pointFor(15).x);
  auto minimumTrack = SliderInternals::minimumTrackView(*slider), maximumTrack = SliderInternals::maximumTrackView(*slider);
  EXPECT_DOUBLE_EQ(CGRectGetMaxX(minimumTrack->frame()), CGRectGetMinX(maximumTrack->frame()));
  EXPECT_DOUBLE_EQ(minimumTrack->frame().size.width + maximumTrack->frame().size.width, kWidth);
  EXPECT_TRUE(UIColorEqual(minimumTrack->backgroundColor(), slider->tintColor()));
  slider->setMinimumTrackTintColor(UIColor::systemRedColor());
  EXPECT_TRUE(UIColorEqual(minimumTrack->backgroundColor(), UIColor::systemRedColor()));
  EXPECT_EQ(slider->accessibilityValue(), "50%");
  EXPECT_TRUE(slider->accessibilityTraits() & UIAccessibilityTraitAdjustable);

  // Code reports nothing, and never leaves the range.
  slider->setValue(99);
  EXPECT_EQ(slider->value(), 20);
  slider->setValue(std::nan(""));
  EXPECT_EQ(slider->value(), 20);
  slider->setMaximumValue(5);
  EXPECT_EQ(slider->minimumValue(), 5);
  EXPECT_EQ(slider->value(), 5);
  slider->setMinimumValue(std::numeric_limits<double>::infinity());
  EXPECT_EQ(slider->minimumValue(), 5);
  EXPECT_TRUE(changes->values.empty());
}

TEST_F(SliderTest, ADragOfTheThumbMovesItByTheFingersWay) {
  slider->setValue(12);
  window->layoutIfNeeded();
  // Taken a few points off the thumb's centre: the offset is kept.
  CGPoint grab{thumbCentre().x + 5, thumbCentre().y};
  finger->down(grab);
  EXPECT_TRUE(changes->values.empty());
  finger->moveTo({pointFor(16).x + 5, grab.y + 30});
  EXPECT_NEAR(slider->value(), 16, 1e-9);
  finger->moveTo({pointFor(14).x + 5, grab.y});
  EXPECT_NEAR(slider->value(), 14, 1e-9);
  finger->up();
  EXPECT_EQ(changes->values.size(), 2u);
  EXPECT_EQ(changes->lifts, 1);
  EXPECT_FALSE(SliderInternals::isDragging(*slider));
}

TEST_F(SliderTest, ATapOnTheTrackSetsTheValueThere) {
  finger->tap(pointFor(17.5));
  EXPECT_NEAR(slider->value(), 17.5, 1e-9);
  ASSERT_EQ(changes->values.size(), 1u);
  // Past either end the thumb stops at the end.
  finger->tap({kLeft + 1, kTop + 5});
  EXPECT_EQ(slider->value(), 10);
  finger->down(pointFor(12));
  finger->moveTo({kLeft + kWidth + 200, kTop});
  EXPECT_EQ(slider->value(), 20);
  finger->up();
  EXPECT_EQ(changes->lifts, 3);
}

TEST_F(SliderTest, ASliderThatIsNotContinuousReportsOnceOnLifting) {
  slider->setContinuous(false);
  finger->down(thumbCentre());
  finger->drag(120, 0, 0.2);
  EXPECT_TRUE(changes->values.empty());
  finger->up();
  ASSERT_EQ(changes->values.size(), 1u);
  EXPECT_GT(changes->values[0], 10);
  // Back where it started: no change to report.
  double start = slider->value();
  finger->down(thumbCentre());
  finger->move(60, 0);
  finger->move(-60, 0);
  finger->up();
  EXPECT_NEAR(slider->value(), start, 1e-9);
  EXPECT_EQ(changes->values.size(), 1u);
}

TEST_F(SliderTest, ADisabledOrCancelledSliderStaysPut) {
  slider->setEnabled(false);
  finger->tap(pointFor(18));
  EXPECT_EQ(slider->value(), 10);
  EXPECT_LT(SliderInternals::thumbView(*slider)->alpha(), 1);
  EXPECT_TRUE(slider->accessibilityTraits() & UIAccessibilityTraitNotEnabled);
  slider->setEnabled(true);
  finger->down(thumbCentre());
  finger->cancel();
  EXPECT_FALSE(SliderInternals::isDragging(*slider));
  EXPECT_EQ(changes->lifts, 0);
}

TEST_F(SliderTest, RandomFingersNeverLeaveTheRange) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> x(-100, 500), y(300, 500);
  for (int round = 0; round < 200; ++round) {
    finger->down({x(random), y(random)});
    for (int step = 0; step < 4; ++step) finger->moveTo({x(random), y(random)});
    if (round % 5 == 0)
      finger->cancel();
    else
      finger->up();
    ASSERT_GE(slider->value(), 10);
    ASSERT_LE(slider->value(), 20);
    CGRect thumb = SliderInternals::thumbView(*slider)->frame();
    ASSERT_GE(thumb.origin.x, 0);
    ASSERT_LE(CGRectGetMaxX(thumb), kWidth + 1e-9);
  }
  for (double value : changes->values) EXPECT_TRUE(value >= 10 && value <= 20);
}

}  // namespace
}  // namespace kavro::test
