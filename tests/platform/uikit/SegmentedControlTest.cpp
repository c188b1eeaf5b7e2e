// Segments under a finger: a lift on another segment selects it and reports the
// change; the selected one, a lift off the control and code report nothing; the
// selection plate and separators follow the selection.

#include "platform/objc/Class.h"
#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UISegmentedControl.h"
#include "platform/uikit/UISegmentedControlPrivate.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

namespace kavro::test {

class SegmentChanges : public NSObject {
  KAVRO_OBJC_CLASS(SegmentChanges)
 public:
  void changed(const id& sender) {
    selections.push_back(std::dynamic_pointer_cast<UISegmentedControl>(sender)->selectedSegmentIndex());
  }
  std::vector<long> selections;
};

KAVRO_OBJC_CLASS_IMPLEMENTATION(SegmentChanges, NSObject, .method("changed:", &SegmentChanges::changed))

namespace {

using kavro::platform::uikit::SegmentedControlInternals;

class SegmentedControlTest : public DeviceTest {
 protected:
  SegmentedControlTest() {
    window = alloc<UIWindow>()->init();
    window->makeKeyAndVisible();
    control = alloc<UISegmentedControl>()->initWithItems({"Small", "Medium", "Large"});
    control->setFrame(CGRectMake(45, 300, 300, UISegmentedControl::kHeight));
    changes = alloc<SegmentChanges>();
    control->addTarget(changes, "changed:", UIControlEventValueChanged);
    window->addSubview(control);
    window->layoutIfNeeded();
    finger.emplace(settings(), window);
  }
  CGPoint segmentCentre(long segment) { return {45 + 50 + 100 * static_cast<CGFloat>(segment), 316}; }
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UISegmentedControl> control;
  std::shared_ptr<SegmentChanges> changes;
  std::optional<kavro::platform::uikit::TouchDriver> finger;
};

TEST_F(SegmentedControlTest, SegmentsShareTheWidthAndNothingIsSelectedAtFirst) {
  EXPECT_EQ(control->numberOfSegments(), 3);
  EXPECT_EQ(control->selectedSegmentIndex(), UISegmentedControlNoSegment);
  EXPECT_TRUE(SegmentedControlInternals::selectionIndicator(*control)->isHidden());
  const auto& labels = SegmentedControlInternals::segmentLabels(*control);
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_EQ(labels[1]->text(), "Medium");
  EXPECT_NEAR(CGRectGetMidX(labels[1]->frame()), 150, 1e-9);
  EXPECT_EQ(control->segmentAtPoint({299, 5}), 2);
  EXPECT_EQ(control->segmentAtPoint({301, 5}), UISegmentedControlNoSegment);
  EXPECT_EQ(control->titleForSegmentAtIndex(5), "");
  // Made to fit its titles.
  auto fitted = alloc<UISegmentedControl>()->initWithItems({"A", "A much longer title"});
  EXPECT_GT(fitted->frame().size.width, 2 * fitted->sizeThatFits({0, 0}).width / 2 - 1);
  EXPECT_EQ(fitted->frame().size.height, UISegmentedControl::kHeight);
}

TEST_F(SegmentedControlTest, ALiftOnAnotherSegmentSelectsIt) {
  finger->tap(segmentCentre(2));
  EXPECT_EQ(control->selectedSegmentIndex(), 2);
  EXPECT_EQ(changes->selections, std::vector<long>{2});
  auto indicator = SegmentedControlInternals::selectionIndicator(*control);
  EXPECT_FALSE(indicator->isHidden());
  EXPECT_NEAR(CGRectGetMidX(indicator->frame()), 250, 1e-9);
  EXPECT_EQ(control->accessibilityValue(), "Large");

  finger->tap(segmentCentre(2));  // already selected
  finger->down(segmentCentre(0));
  finger->moveTo({segmentCentre(0).x, 500});  // lifted off the control
  finger->up();
  EXPECT_EQ(changes->selections, std::vector<long>{2});
  // Down on one segment, up on another: the one under the lift.
  finger->down(segmentCentre(0));
  finger->moveTo(segmentCentre(1));
  finger->up();
  EXPECT_EQ(changes->selections, (std::vector<long>{2, 1}));
}

TEST_F(SegmentedControlTest, CodeSelectsWithinTheSegmentsAndReportsNothing) {
  control->setSelectedSegmentIndex(1);
  EXPECT_EQ(control->selectedSegmentIndex(), 1);
  control->setSelectedSegmentIndex(3);
  EXPECT_EQ(control->selectedSegmentIndex(), UISegmentedControlNoSegment);
  control->setSelectedSegmentIndex(0);
  control->insertSegmentWithTitle("Tiny", 0, false);
  EXPECT_EQ(control->selectedSegmentIndex(), 1);
  EXPECT_EQ(control->titleForSegmentAtIndex(0), "Tiny");
  control->removeAllSegments();
  EXPECT_EQ(control->selectedSegmentIndex(), UISegmentedControlNoSegment);
  window->layoutIfNeeded();
  finger->tap({100, 316});
  EXPECT_TRUE(changes->selections.empty());
  control->setEnabled(false);
}

TEST_F(SegmentedControlTest, ADisabledControlTakesNoTaps) {
  control->setEnabled(false);
  finger->tap(segmentCentre(1));
  EXPECT_EQ(control->selectedSegmentIndex(), UISegmentedControlNoSegment);
  EXPECT_TRUE(changes->selections.empty());
}

}  // namespace
}  // namespace kavro::test
