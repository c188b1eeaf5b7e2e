// The scroll view's physics on generated motions: a position depends only on the
// time, never on how often the motion was sampled; coasting, springs and paging
// never pass where they rest; the rubber band stays short of the finger and of the
// view and undoes exactly.

#include "platform/uikit/ScrollViewPhysics.h"
#include "platform/uikit/UIScrollView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using kavro::platform::uikit::ScrollViewPhysics;
using PhysicsAxis = ScrollViewPhysics::Axis;

// A motion as a scroll view starts one after a lift, drawn from the cases that
// matter: coasting within range, coasting past either end (bouncing or not), a
// delegate's target, a bounce back from a stretch, a page to settle on.
struct GeneratedMotion {
  PhysicsAxis axis;
  CGFloat rate;
  CGFloat low, high;
  std::string description;
};

class MotionGenerator {
 public:
  explicit MotionGenerator(unsigned seed) : random_(seed) {}

  GeneratedMotion next() {
    CGFloat rate = pick({UIScrollViewDecelerationRateNormal, UIScrollViewDecelerationRateFast, 0.95, 0.9995});
    CGFloat low = 0, high = uniform(0, 5000);
    CGFloat from = uniform(low, high);
    CGFloat velocity = uniform(-8000, 8000);
    bool bounces = uniform(0, 1) < 0.7;
    int kind = static_cast<int>(uniform(0, 4));
    std::ostringstream text;
    text << "kind " << kind << " rate " << rate << " range " << high << " from " << from << " velocity " << velocity
         << (bounces ? " bouncing" : "");
    PhysicsAxis axis;
    if (kind == 0) {
      axis = PhysicsAxis::coasting(0, from, velocity, rate, low, high, bounces);
    } else if (kind == 1) {
      CGFloat goal = uniform(low, high);
      text << " to " << goal;
      axis = PhysicsAxis::coastingTo(0, from, goal, rate, low, high, bounces);
    } else if (kind == 2) {
      CGFloat stretched = uniform(-300, 300);
      from = stretched < 0 ? low + stretched : high + stretched;
      text << " stretched to " << from;
      axis = PhysicsAxis::bounceBack(0, from, velocity * 0.1, stretched < 0 ? low : high);
    } else {
      CGFloat page = 390;
      CGFloat goal = std::round(from / page) * page;
      text << " to page " << goal;
      axis = PhysicsAxis::paging(0, from, velocity, goal);
    }
    return {axis, rate, low, high, text.str()};
  }

  double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }

 private:
  CGFloat pick(std::vector<CGFloat> choices) {
    return choices[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(random_)];
  }
  std::mt19937 random_;
};

constexpr int kGeneratedMotions = 400;
// Long enough for the slowest generated motion to come to rest.
constexpr double kMotionHorizon = 20;

TEST(ScrollViewPhysics, WhereContentIsDependsOnTheTimeAloneNotOnHowOftenItWasSampled) {
  MotionGenerator generator(20250101);
  for (int i = 0; i < kGeneratedMotions; ++i) {
    GeneratedMotion motion = generator.next();
    SCOPED_TRACE(motion.description);
    PhysicsAxis stepped = motion.axis;
    double t = 0;
    while (t < kMotionHorizon) {
      t += generator.uniform(0.0005, 0.05);
      bool steppedMoves = stepped.advance(t, motion.rate);
      PhysicsAxis direct = motion.axis;
      bool directMoves = direct.advance(t, motion.rate);
      // While both move they agree exactly; a spring rests once it is within half a
      // point of its end, which one sampling may see a little earlier than another.
      if (steppedMoves && directMoves)
        ASSERT_NEAR(stepped.position, direct.position, 1e-6) << "at " << t;
      else
        ASSERT_NEAR(stepped.position, direct.position, ScrollViewPhysics::kRestDistance) << "at " << t;
      if (!steppedMoves && !directMoves) break;
    }
    EXPECT_FALSE(stepped.advance(kMotionHorizon, motion.rate)) << "still moving after " << kMotionHorizon << " s";
  }
}

TEST(ScrollViewPhysics, MotionComesToRestExactlyWhereItSaidAndNeverBeyondIt) {
  MotionGenerator generator(7);
  for (int i = 0; i < kGeneratedMotions; ++i) {
    GeneratedMotion motion = generator.next();
    SCOPED_TRACE(motion.description);
    PhysicsAxis axis = motion.axis;
    CGFloat from = axis.position;
    bool crosses = axis.kind == PhysicsAxis::Kind::coasting && axis.crossing != PhysicsAxis::kNever;
    // Coasting that crosses an end rests at that end.
    CGFloat promised = crosses ? axis.edge : axis.target;
    // What may go past where it rests: coasting over an end with bouncing, and a
    // spring back launched towards the end faster than its frequency times the
    // distance. A page's spring never does: its launch is held below that.
    CGFloat x0 = from - axis.target;
    bool bounceBack = axis.kind == PhysicsAxis::Kind::spring && axis.frequency == ScrollViewPhysics::kBounceFrequency;
    bool overshoots = (crosses && axis.bounces) || (bounceBack && x0 * (axis.velocity + axis.frequency * x0) < 0);
    for (double t = 0; axis.advance(t, motion.rate) && t < kMotionHorizon; t += 1.0 / 60) {
      if (overshoots) continue;
      if (from <= promised)
        ASSERT_LE(axis.position, promised + 1e-9) << "at " << t;
      else
        ASSERT_GE(axis.position, promised - 1e-9) << "at " << t;
    }
    EXPECT_EQ(axis.position, promised);
  }
}

TEST(ScrollViewPhysics, CoastingPastAnEndTurnsIntoASpringAtTheEndWithoutAJump) {
  // 2000 points a second from 900 of a 1000-point range: it reaches the end.
  CGFloat rate = UIScrollViewDecelerationRateNormal;
  PhysicsAxis axis = PhysicsAxis::coasting(0, 900, 2000, rate, 0, 1000, true);
  ASSERT_NE(axis.crossing, PhysicsAxis::kNever);
  EXPECT_EQ(axis.edge, 1000);
  double crossing = axis.crossing;
  PhysicsAxis before = axis, after = axis;
  before.advance(crossing - 1e-6, rate);
  after.advance(crossing + 1e-6, rate);
  EXPECT_NEAR(before.position, 1000, 1e-2);
  EXPECT_NEAR(after.position, 1000, 1e-2);
  EXPECT_EQ(after.kind, PhysicsAxis::Kind::spring);
  EXPECT_GT(after.position, 1000);  // it goes on past the end before it comes back

  // Without bouncing it stops at the end, there and then.
  PhysicsAxis held = PhysicsAxis::coasting(0, 900, 2000, rate, 0, 1000, false);
  EXPECT_FALSE(held.advance(crossing + 1e-6, rate));
  EXPECT_EQ(held.position, 1000);
}

TEST(ScrollViewPhysics, CoastingTooSlowToGoHalfAPointIsNoMotion) {
  CGFloat rate = UIScrollViewDecelerationRateNormal;
  // (v/1000)/(1−r) < 0.5: v below 1 point a second at the normal rate.
  PhysicsAxis axis = PhysicsAxis::coasting(3, 100, 0.99, rate, 0, 1000, true);
  EXPECT_FALSE(axis.advance(3, rate));
  EXPECT_EQ(axis.position, 100);
  EXPECT_EQ(ScrollViewPhysics::coastingRest(100, 0.99, rate), 100);
  EXPECT_GT(ScrollViewPhysics::coastingRest(100, 1.01, rate), 100.5);
}

TEST(ScrollViewPhysics, APageFlickTurnsOnePageInItsDirectionAndASlowLiftTheNearest) {
  constexpr CGFloat page = 390;
  MotionGenerator generator(99);
  for (int i = 0; i < kGeneratedMotions; ++i) {
    CGFloat position = generator.uniform(-page, 10 * page);
    CGFloat velocity = generator.uniform(-3000, 3000);
    CGFloat rest = ScrollViewPhysics::pageRest(position, velocity, page);
    SCOPED_TRACE(testing::Message() << "from " << position << " at " << velocity);
    EXPECT_EQ(std::fmod(rest, page), 0);
    EXPECT_LT(std::abs(rest - position), page);
    if (velocity > ScrollViewPhysics::kPageFlickVelocity)
      EXPECT_GE(rest, position - 1e-3);
    else if (velocity < -ScrollViewPhysics::kPageFlickVelocity)
      EXPECT_LE(rest, position + 1e-3);
    else
      EXPECT_LE(std::abs(rest - position), page / 2);
  }
  // Resting on a page, even a fast lift keeps it.
  EXPECT_EQ(ScrollViewPhysics::pageRest(780, 1000, page), 780);
  EXPECT_EQ(ScrollViewPhysics::pageRest(780, -1000, page), 780);
}

TEST(ScrollViewPhysics, TheRubberBandIsShorterThanTheFingerAndTheViewAndUndoesExactly) {
  MotionGenerator generator(3);
  for (int i = 0; i < kGeneratedMotions; ++i) {
    CGFloat dimension = generator.uniform(50, 1000);
    CGFloat overshoot = generator.uniform(-5 * dimension, 5 * dimension);
    SCOPED_TRACE(testing::Message() << overshoot << " past the end of " << dimension);
    CGFloat shown = ScrollViewPhysics::rubberBand(overshoot, dimension);
    EXPECT_LE(std::abs(shown), std::abs(overshoot));
    EXPECT_LT(std::abs(shown), dimension);
    EXPECT_EQ(std::signbit(shown), std::signbit(overshoot));
    EXPECT_NEAR(ScrollViewPhysics::unstretch(shown, dimension), overshoot, 1e-6 * dimension);
    // Further out, it grows ever slower.
    CGFloat further = ScrollViewPhysics::rubberBand(overshoot + std::copysign(10, overshoot), dimension);
    EXPECT_GE(std::abs(further), std::abs(shown));
    EXPECT_LT(ScrollViewPhysics::rubberBandSlope(further, dimension),
              ScrollViewPhysics::rubberBandSlope(shown, dimension) + 1e-12);
  }
  // Within range the finger moves the content one for one; without bouncing the
  // end holds.
  EXPECT_EQ(ScrollViewPhysics::stretchedPosition(250, 0, 1000, 400, true), 250);
  EXPECT_EQ(ScrollViewPhysics::stretchedPosition(-250, 0, 1000, 400, false), 0);
  EXPECT_EQ(ScrollViewPhysics::stretchedPosition(1250, 0, 1000, 400, false), 1000);
  EXPECT_EQ(ScrollViewPhysics::stretchedVelocity(900, 250, 0, 1000, 400), 900);
}

}  // namespace
