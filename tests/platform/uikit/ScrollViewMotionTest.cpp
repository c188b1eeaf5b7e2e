// Scroll views on the virtual clock, one behaviour a test: coasting after a flick as
// the deceleration rate says, rubber band past the ends and the spring back, paging,
// a touch that stops the motion, the delegate's calls in order, and the mouse wheel.
// (The motion's shape itself is tested on generated motions in
// ScrollViewPhysicsTest.)

#include "platform/uikit/ScrollViewPhysics.h"
#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

using kavro::test::DeviceTest;
using kavro::platform::uikit::ScrollViewPhysics;
using kavro::platform::uikit::TouchDriver;

// Logs the delegate calls (runs of scrolls as one entry) and the farthest offsets.
class ScrollLog : public UIScrollViewDelegate {
 public:
  std::vector<std::string> events;
  CGPoint velocity{};
  CGPoint target{};
  std::optional<CGPoint> redirect;
  CGFloat highestY = -std::numeric_limits<CGFloat>::infinity();
  CGFloat lowestY = std::numeric_limits<CGFloat>::infinity();
  CGFloat highestX = -std::numeric_limits<CGFloat>::infinity();

  void scrollViewDidScroll(const std::shared_ptr<UIScrollView>& view) override {
    if (events.empty() || events.back() != "scroll") events.push_back("scroll");
    highestY = std::max(highestY, view->contentOffset().y);
    lowestY = std::min(lowestY, view->contentOffset().y);
    highestX = std::max(highestX, view->contentOffset().x);
  }
  void scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>&) override { events.push_back("begin drag"); }
  void scrollViewWillEndDragging(const std::shared_ptr<UIScrollView>&, CGPoint v, CGPoint* offset) override {
    events.push_back("will end drag");
    velocity = v;
    target = *offset;
    if (redirect) *offset = *redirect;
  }
  void scrollViewDidEndDragging(const std::shared_ptr<UIScrollView>&, bool decelerate) override {
    events.push_back(decelerate ? "end drag, decelerate" : "end drag");
  }
  void scrollViewWillBeginDecelerating(const std::shared_ptr<UIScrollView>&) override {
    events.push_back("begin decelerating");
  }
  void scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>&) override {
    events.push_back("end decelerating");
  }
  void scrollViewDidEndScrollingAnimation(const std::shared_ptr<UIScrollView>&) override {
    events.push_back("end animation");
  }
};

using Events = std::vector<std::string>;

// Content that counts the touches that reach it, and passes them on (to the
// scroll view, its next responder).
class TouchCounter : public UIView {
 public:
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override {
    ++touches_;
    UIView::touchesBegan(touches, event);
  }
  int touches_ = 0;
};

class ScrollViewMotionTest : public DeviceTest {
 protected:
  ScrollViewMotionTest() {
    window = alloc<UIWindow>()->init();
    window->makeKeyAndVisible();
    scrollView = alloc<UIScrollView>();
    scrollView->initWithFrame(CGRectMake(0, 100, 390, 400));
    scrollView->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentNever);
    scrollView->setContentSize({390, 10000});
    log = std::make_shared<ScrollLog>();
    scrollView->setDelegate(log);
    window->addSubview(scrollView);
    window->layoutIfNeeded();
    finger.emplace(settings(), window);
  }
  // The distance coasting covers in `seconds` from `velocity` points per second.
  static CGFloat coasted(CGFloat velocity, double seconds, CGFloat rate = UIScrollViewDecelerationRateNormal) {
    return velocity / 1000 * (1 - std::pow(rate, 1000 * seconds)) / (1 - rate);
  }
  void waitUntilResting(double limit = 10) {
    for (double waited = 0; scrollView->isDecelerating() && waited < limit; waited += 0.1) wait(0.1);
  }
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIScrollView> scrollView;
  std::shared_ptr<ScrollLog> log;
  std::optional<TouchDriver> finger;
};

TEST_F(ScrollViewMotionTest, AFlickCoastsAsTheDecelerationRateSaysAndRestsWhereItSaid) {
  // 100 points up in 50 ms: the content leaves at 2000 points a second.
  finger->down({200, 300});
  finger->flick(0, -100);
  EXPECT_EQ(scrollView->contentOffset().y, 100);
  EXPECT_TRUE(scrollView->isDecelerating());
  EXPECT_NEAR(log->velocity.y, 2.0, 1e-9);  // points per millisecond
  EXPECT_NEAR(log->target.y, 100 + 2000.0 / 1000 / (1 - 0.998), 1e-9);

  // Half a second later (30 frames) it has gone v·(1−r^500)/(1−r) per ms.
  wait(0.5 + 1e-4);
  EXPECT_NEAR(scrollView->contentOffset().y, 100 + coasted(2000, 0.5), 1e-6);
  // It stops once less than half a point is left: after ln(0.5/1000)/ln(0.998) ms.
  double stop = std::log(0.5 / 1000) / std::log(0.998) / 1000;
  wait(stop - 0.5 - 0.01);
  EXPECT_TRUE(scrollView->isDecelerating());
  wait(0.02);
  EXPECT_FALSE(scrollView->isDecelerating());
  EXPECT_NEAR(scrollView->contentOffset().y, 1100, 1e-6);
}

TEST_F(ScrollViewMotionTest, TheFastRateCoastsAsItsRateSays) {
  // The fast rate keeps 0.99 a millisecond: a hundredth of the velocity in points.
  scrollView->setDecelerationRate(UIScrollViewDecelerationRateFast);
  finger->down({200, 300});
  finger->flick(0, -100);
  wait(0.1 + 1e-4);
  EXPECT_NEAR(scrollView->contentOffset().y, 100 + coasted(2000, 0.1, 0.99), 1e-6);
  waitUntilResting();
  EXPECT_NEAR(scrollView->contentOffset().y, 100 + 200, 1e-6);
}

TEST_F(ScrollViewMotionTest, TheDelegateHearsAFlickInOrder) {
  finger->down({200, 300});
  finger->flick(0, -100);
  waitUntilResting();
  EXPECT_EQ(log->events, (Events{"begin drag", "scroll", "will end drag", "end drag, decelerate", "begin decelerating",
                                 "scroll", "end decelerating"}));
}

TEST_F(ScrollViewMotionTest, ADragWhoseMovesCameAtOneInstantEndsWhereItIs) {
  // Moves at one instant carry no speed.
  finger->down({200, 300});
  finger->move(0, -50);
  finger->up();
  wait(1);
  EXPECT_EQ(log->events, (Events{"begin drag", "scroll", "will end drag", "end drag"}));
  EXPECT_FALSE(scrollView->isDecelerating());
  EXPECT_EQ(scrollView->contentOffset().y, 50);
}

TEST_F(ScrollViewMotionTest, ADelegateThatMovesTheTargetHasTheContentRestThere) {
  log->redirect = CGPoint{0, 500};
  finger->down({200, 300});
  finger->flick(0, -100);
  EXPECT_NEAR(log->target.y, 100 + 1000, 1e-9);  // what it was told first
  waitUntilResting();
  EXPECT_EQ(scrollView->contentOffset().y, 500);
}

TEST_F(ScrollViewMotionTest, AnAnimatedScrollEndsWithACallOfItsOwn) {
  scrollView->setContentOffset({0, 300});
  log->events.clear();
  scrollView->setContentOffset({0, 0}, true);
  wait(0.31);
  EXPECT_EQ(log->events, (Events{"scroll", "end animation"}));
}

TEST_F(ScrollViewMotionTest, PastAnEndTheContentStretchesLessThanTheFingerAndSpringsBack) {
  // Pulled down at the top: the content follows at a growing resistance.
  finger->down({200, 150});
  finger->move(0, 100);
  CGFloat first = -scrollView->contentOffset().y;
  finger->move(0, 100);
  CGFloat second = -scrollView->contentOffset().y;
  EXPECT_GT(first, 0);
  EXPECT_LT(first, 100);
  EXPECT_GT(second, first);
  EXPECT_LT(second - first, first);
  EXPECT_LT(second, 400);  // never more than the view's height
  EXPECT_NEAR(second, ScrollViewPhysics::rubberBand(200, 400), 1e-9);

  // Let go, it springs back to the edge, as a deceleration.
  finger->up();
  EXPECT_EQ(log->events.back(), "begin decelerating");
  EXPECT_TRUE(scrollView->isDecelerating());
  wait(1);
  EXPECT_FALSE(scrollView->isDecelerating());
  EXPECT_EQ(scrollView->contentOffset().y, 0);
  EXPECT_EQ(log->events.back(), "end decelerating");
  EXPECT_LE(log->highestY, 0);  // it came back without passing the edge
}

TEST_F(ScrollViewMotionTest, WithoutBouncingTheEndHolds) {
  scrollView->setBounces(false);
  finger->down({200, 150});
  finger->move(0, 200);
  EXPECT_EQ(scrollView->contentOffset().y, 0);
  finger->up();
  EXPECT_FALSE(scrollView->isDecelerating());
}

TEST_F(ScrollViewMotionTest, ContentThatFitsTheViewDoesNotDrag) {
  scrollView->setContentSize({390, 300});
  finger->down({200, 150});
  finger->move(0, -100);
  EXPECT_FALSE(scrollView->isDragging());
  finger->up();
}

TEST_F(ScrollViewMotionTest, CoastingPastAnEndOvershootsAndComesBackToIt) {
  // 1000 points of coasting from 1350 pass the end at 9600 and come back.
  scrollView->setContentOffset({0, 9500});
  CGFloat end = scrollView->maximumContentOffset().y;
  ASSERT_EQ(end, 9600);
  finger->down({200, 300});
  finger->flick(0, -100);
  EXPECT_EQ(log->target.y, end);  // where it will rest
  waitUntilResting(3);
  EXPECT_FALSE(scrollView->isDecelerating());
  EXPECT_EQ(scrollView->contentOffset().y, end);
  EXPECT_GT(log->highestY, end + 5);
  EXPECT_LT(log->highestY, end + 200);
}

TEST_F(ScrollViewMotionTest, CoastingWithoutBouncingStopsAtTheEnd) {
  scrollView->setBounces(false);
  scrollView->setContentOffset({0, 9500});
  CGFloat end = scrollView->maximumContentOffset().y;
  finger->down({200, 300});
  finger->flick(0, -100);
  waitUntilResting(3);
  EXPECT_EQ(scrollView->contentOffset().y, end);
  EXPECT_EQ(log->highestY, end);
}

class PagingScrollViewTest : public ScrollViewMotionTest {
 protected:
  PagingScrollViewTest() {
    scrollView->setContentSize({390 * 4, 400});
    scrollView->setPagingEnabled(true);
  }
};

TEST_F(PagingScrollViewTest, ALiftAtRestSettlesOnTheNearestPage) {
  // Dragged less than half a page and let go still: back to the page it left.
  finger->down({300, 300});
  finger->move(-150, 0);
  finger->up();
  EXPECT_EQ(log->target.x, 0);
  waitUntilResting();
  EXPECT_EQ(scrollView->contentOffset().x, 0);
  // More than half: on to the next.
  finger->down({300, 300});
  finger->move(-250, 0);
  finger->up();
  waitUntilResting();
  EXPECT_EQ(scrollView->contentOffset().x, 390);
}

TEST_F(PagingScrollViewTest, AShortFlickTurnsOnePageWithoutPassingIt) {
  scrollView->setContentOffset({390, 0});
  log->highestX = 0;
  finger->down({300, 300});
  finger->flick(-60, 0, 0.02);
  EXPECT_EQ(log->target.x, 780);
  waitUntilResting();
  EXPECT_EQ(scrollView->contentOffset().x, 780);
  EXPECT_LE(log->highestX, 780);
  EXPECT_EQ(log->events.back(), "end decelerating");
}

TEST_F(PagingScrollViewTest, AFlickBackPastTheFirstPageComesBackToIt) {
  finger->down({100, 300});
  finger->flick(80, 0);
  EXPECT_EQ(log->target.x, 0);
  waitUntilResting();
  EXPECT_EQ(scrollView->contentOffset().x, 0);
}

TEST_F(ScrollViewMotionTest, ATouchOnMovingContentStopsItAndTapsNothing) {
  auto control = alloc<TouchCounter>();
  control->initWithFrame(CGRectMake(0, 0, 390, 10000));
  scrollView->addSubview(control);
  finger->down({200, 300});
  finger->flick(0, -100);
  ASSERT_EQ(control->touches_, 1);
  wait(0.2);
  ASSERT_TRUE(scrollView->isDecelerating());
  CGFloat caught = scrollView->contentOffset().y;

  finger->tap({200, 300});
  EXPECT_FALSE(scrollView->isDecelerating());
  EXPECT_EQ(control->touches_, 1);
  wait(1);
  EXPECT_EQ(scrollView->contentOffset().y, caught);
  // At rest, the next tap reaches the content.
  finger->tap({200, 300});
  EXPECT_EQ(control->touches_, 2);
}

TEST_F(ScrollViewMotionTest, ContentCaughtWhileItSpringsBackSpringsBackOnceLetGo) {
  auto control = alloc<TouchCounter>();
  control->initWithFrame(CGRectMake(0, 0, 390, 10000));
  scrollView->addSubview(control);
  finger->down({200, 150});
  finger->move(0, 150);
  finger->up();
  EXPECT_EQ(control->touches_, 1);
  wait(0.05);
  ASSERT_LT(scrollView->contentOffset().y, 0);
  finger->down({200, 300});
  wait(0.5);
  EXPECT_LT(scrollView->contentOffset().y, 0);  // held
  finger->up();
  wait(1);
  EXPECT_EQ(scrollView->contentOffset().y, 0);
  EXPECT_EQ(control->touches_, 1);  // the catch touched nothing under it
}

TEST_F(ScrollViewMotionTest, TheWheelScrollsTheDeepestViewThatCanMoveThatWay) {
  auto inner = alloc<UIScrollView>();
  inner->initWithFrame(CGRectMake(0, 0, 390, 200));
  inner->setContentSize({390, 300});
  scrollView->addSubview(inner);
  window->layoutIfNeeded();
  CGPoint overInner{200, 150};

  EXPECT_TRUE(finger->wheel(overInner, 0, 60));
  EXPECT_EQ(inner->contentOffset().y, 60);
  EXPECT_EQ(scrollView->contentOffset().y, 0);
  // Clamped to the inner view's range; once it is at its end the outer view takes over.
  finger->wheel(overInner, 0, 100);
  EXPECT_EQ(inner->contentOffset().y, 100);
  EXPECT_EQ(scrollView->contentOffset().y, 0);
  finger->wheel(overInner, 0, 70);
  EXPECT_EQ(scrollView->contentOffset().y, 70);
  // Upwards the inner view moves first again.
  finger->wheel(overInner, 0, -30);
  EXPECT_EQ(inner->contentOffset().y, 70);
  EXPECT_EQ(scrollView->contentOffset().y, 70);
  // Nothing can move sideways; nothing outside a scroll view scrolls.
  EXPECT_FALSE(finger->wheel(overInner, 40, 0));
  EXPECT_FALSE(finger->wheel({200, 50}, 0, 40));
}

TEST_F(ScrollViewMotionTest, TheWheelStopsAFlickWhereItIsThenMovesTheContent) {
  finger->down({200, 450});
  finger->flick(0, -100);
  wait(0.1);
  CGFloat before = scrollView->contentOffset().y;
  finger->wheel({200, 450}, 0, 10);
  EXPECT_FALSE(scrollView->isDecelerating());
  EXPECT_EQ(scrollView->contentOffset().y, before + 10);
}

}  // namespace
