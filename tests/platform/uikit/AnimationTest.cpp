// Block animations on the virtual clock: model values at once, presentation values
// along the curve after the delay, and completions queued on the run loop.

#include "platform/uikit/UIView.h"
#include "platform/uikit/UIViewPrivate.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavro::test {
namespace {

class AnimationTest : public DeviceTest {
 protected:
  std::shared_ptr<UIView> makeView() { return alloc<UIView>()->initWithFrame(CGRectMake(0, 0, 10, 10)); }
  static double shownX(const UIView& view) { return kavro::platform::uikit::ViewInternals::presentationFrame(view).origin.x; }
  static void moveTo(const std::shared_ptr<UIView>& view, CGFloat x) {
    view->setFrame(CGRectMake(x, 0, 10, 10));
  }
  // A completion that logs its name and argument.
  std::function<void(bool)> logAs(const std::string& name) {
    return [this, name](bool finished) { log.push_back(name + (finished ? "" : " (cut)")); };
  }
  std::vector<std::string> log;
};

TEST_F(AnimationTest, ModelChangesAtOnceAndPresentationEasesInAndOutAfterTheDelay) {
  auto view = makeView();
  UIView::animateWithDuration(1.0, 0.5, 0, [&] { moveTo(view, 100); }, nullptr);
  EXPECT_EQ(view->frame().origin.x, 100);
  EXPECT_EQ(shownX(*view), 0);
  EXPECT_TRUE(kavro::platform::uikit::ViewInternals::isAnimating(*view));
  EXPECT_EQ(kavro::platform::uikit::ViewInternals::animationsEndTime(*view), 1.5);

  wait(0.5);
  EXPECT_NEAR(shownX(*view), 0, 1e-9);
  wait(0.25);
  double quarter = shownX(*view);
  wait(0.25);
  EXPECT_NEAR(shownX(*view), 50, 1e-6);
  wait(0.25);
  double threeQuarters = shownX(*view);
  // Slow at both ends, symmetric about the middle.
  EXPECT_LT(quarter, 20);
  EXPECT_GT(quarter, 5);
  EXPECT_NEAR(quarter + threeQuarters, 100, 1e-6);
  wait(0.25);
  EXPECT_EQ(shownX(*view), 100);
  EXPECT_FALSE(kavro::platform::uikit::ViewInternals::isAnimating(*view));

  // The linear curve, for comparison, and a new animation starting from what shows.
  UIView::animateWithDuration(1.0, 0, UIViewAnimationOptionCurveLinear, [&] { moveTo(view, 0); }, nullptr);
  wait(0.25);
  EXPECT_NEAR(shownX(*view), 75, 1e-9);
  UIView::animateWithDuration(1.0, [&] { moveTo(view, 175); }, nullptr);
  EXPECT_NEAR(shownX(*view), 75, 1e-9);
  wait(0.5);
  EXPECT_NEAR(shownX(*view), 125, 1e-6);
}

TEST_F(AnimationTest, ColoursFadeBetweenTheShownAndTheNewColour) {
  auto view = makeView();
  view->setBackgroundColor(UIColor::blackColor());
  UIView::animateWithDuration(0.2, [&] { view->setBackgroundColor(UIColor::whiteColor()); });
  EXPECT_TRUE(UIColorEqual(view->backgroundColor(), UIColor::whiteColor()));
  wait(0.1);
  auto shown = kavro::platform::uikit::ViewInternals::presentationBackgroundColor(*view, UIUserInterfaceStyleLight);
  ASSERT_TRUE(shown);
  EXPECT_NEAR(shown->red, 0.5, 1e-6);
  EXPECT_NEAR(shown->alpha, 1, 1e-9);
}

TEST_F(AnimationTest, CompletionsRunOnceOnTheRunLoopByEndTimeThenCreation) {
  auto view = makeView();
  auto other = makeView();
  UIView::animateWithDuration(1.0, [&] { moveTo(view, 10); }, logAs("long"));
  UIView::animateWithDuration(0.25, 0.25, 0, [&] { moveTo(other, 10); }, logAs("delayed"));
  UIView::animateWithDuration(0.5, [&] { view->setAlpha(0.5); }, logAs("same end, later"));
  UIView::animateWithDuration(0.5, [] {}, logAs("nothing animated"));
  // Nothing runs inside the calls, not even the completion of an empty block.
  EXPECT_TRUE(log.empty());

  device().runUntilIdle();
  EXPECT_EQ(log, std::vector<std::string>{"nothing animated"});
  wait(0.5);
  EXPECT_EQ(log, (std::vector<std::string>{"nothing animated", "delayed", "same end, later"}));
  wait(1.0);
  EXPECT_EQ(log, (std::vector<std::string>{"nothing animated", "delayed", "same end, later", "long"}));
}

TEST_F(AnimationTest, SupersededAnimationStillCompletesAtItsOwnEnd) {
  auto view = makeView();
  UIView::animateWithDuration(0.2, [&] { moveTo(view, 100); }, logAs("first"));
  wait(0.1);
  UIView::animateWithDuration(0.4, [&] { moveTo(view, 0); }, logAs("second"));
  EXPECT_NEAR(shownX(*view), 50, 1e-6);
  wait(0.1);
  EXPECT_EQ(log, std::vector<std::string>{"first"});
  wait(0.3);
  EXPECT_EQ(log, (std::vector<std::string>{"first", "second"}));
}

TEST_F(AnimationTest, SettingOutsideAnAnimationCutsItShort) {
  auto view = makeView();
  UIView::animateWithDuration(1.0, [&] { moveTo(view, 100); }, logAs("moved"));
  wait(0.5);
  moveTo(view, 30);
  EXPECT_EQ(shownX(*view), 30);
  EXPECT_TRUE(log.empty());
  device().runUntilIdle();
  EXPECT_EQ(log, std::vector<std::string>{"moved (cut)"});
  wait(1.0);
  EXPECT_EQ(log.size(), 1u);

  // A group of which only one property is cut still ends at its time, not finished.
  UIView::animateWithDuration(1.0, [&] {
    moveTo(view, 0);
    view->setAlpha(0);
  }, logAs("both"));
  UIView::performWithoutAnimation([&] { view->setAlpha(1); });
  wait(0.5);
  EXPECT_EQ(log.size(), 1u);
  wait(0.5);
  EXPECT_EQ(log.back(), "both (cut)");

  // A zero-length animation shows its end value at once.
  UIView::animateWithDuration(0, [&] { moveTo(view, 70); }, logAs("instant"));
  EXPECT_EQ(shownX(*view), 70);
  device().runUntilIdle();
  EXPECT_EQ(log.back(), "instant");
}

TEST_F(AnimationTest, PendingAnimationsHoldTheirViewsUntilTheirCompletionHasRun) {
  auto view = makeView();
  std::weak_ptr<UIView> watched = view;
  UIView::animateWithDuration(0.3, [&] { moveTo(view, 100); }, nullptr);
  view.reset();
  wait(0.2);
  EXPECT_FALSE(watched.expired());
  wait(0.2);
  EXPECT_TRUE(watched.expired());
}

TEST_F(AnimationTest, EndingTheProcessReleasesViewsOfPendingAnimations) {
  std::weak_ptr<UIView> watched;
  {
    kavro::platform::ProcessScope scope(springboard());
    auto view = makeView();
    watched = view;
    // The completion holds the view too, as a control's own blocks hold the control.
    UIView::animateWithDuration(5, [&] { moveTo(view, 100); }, [view](bool) { moveTo(view, 0); });
  }
  EXPECT_FALSE(watched.expired());
  device().terminate("springboard");
  EXPECT_TRUE(watched.expired());
}

}  // namespace
}  // namespace kavro::test
