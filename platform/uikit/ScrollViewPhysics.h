#pragma once
// How scroll-view content moves under a finger past an end (the rubber band) and on
// its own after the finger lifts (coasting, the spring back, settling on a page).
// Every motion is a closed form of the time since it began, so a position depends
// only on the clock and never on how often it was sampled:
// - coasting: the velocity v (points per second) shrinks by the rate r every
//   millisecond, v·r^n after n ms; the content has then gone (v/1000)·(1−r^n)/(1−r)
//   and comes to rest (v/1000)/(1−r) from where it started;
// - a spring: critically damped, towards an edge or a page,
//   x(t) = (x0 + (v0 + ωx0)t)·e^(−ωt).
// Coasting past an end turns into a spring back to that end at the moment it
// crosses it, with the velocity it has there.
// Only UIScrollView and its tests include this; the bundle never does.

#include "platform/coregraphics/CGGeometry.h"

#include <limits>

namespace kavro::platform::uikit {

struct ScrollViewPhysics {
  // Motion ends when less than half a point of it is left.
  static constexpr CGFloat kRestDistance = 0.5;
  // A spring rests once it is this slow (points per second) and close to its end.
  static constexpr CGFloat kRestVelocity = 10;
  // How stiff the springs are (natural frequency, per second): the spring back
  // from past an end settles in about half a second, a page a little faster.
  static constexpr double kBounceFrequency = 14;
  static constexpr double kPagingFrequency = 20;
  // Faster than this (points per second), a lift turns the page in its direction
  // even if the drag has not crossed half the page.
  static constexpr CGFloat kPageFlickVelocity = 250;
  // Resistance past an end: the classic rubber-band coefficient.
  static constexpr CGFloat kRubberBandCoefficient = 0.55;

  // How far content dragged `overshoot` points past an end is drawn past it, for a
  // view `dimension` points long on that axis (less than both).
  static CGFloat rubberBand(CGFloat overshoot, CGFloat dimension);
  // The inverse: how far past the end a finger must be for the content to show
  // `stretched` (held below the view's length, where the band would need infinity).
  static CGFloat unstretch(CGFloat stretched, CGFloat dimension);
  // The slope of the rubber band where it is stretched by `stretched`: how much of a
  // finger's speed the content shows there.
  static CGFloat rubberBandSlope(CGFloat stretched, CGFloat dimension);

  // The same along an axis whose ends are `low` and `high`, for a view `dimension`
  // points long: where content shows that a finger has taken to `unstretched`
  // (held at the end without `bounces`); where the finger would have it for content
  // shown at `position`; and how much of a finger's `velocity` the content has at
  // `position`.
  static CGFloat stretchedPosition(CGFloat unstretched, CGFloat low, CGFloat high, CGFloat dimension,
                                   bool bounces);
  static CGFloat unstretchedPosition(CGFloat position, CGFloat low, CGFloat high, CGFloat dimension);
  static CGFloat stretchedVelocity(CGFloat velocity, CGFloat position, CGFloat low, CGFloat high,
                                   CGFloat dimension);

  // The whole way content coasting at `velocity` (points per second) covers at
  // `rate` before it rests, and the speed that covers exactly `distance`.
  static CGFloat coastingDistance(CGFloat velocity, CGFloat rate);
  static CGFloat coastingVelocity(CGFloat distance, CGFloat rate);
  // Where content let go at `position` with `velocity` would rest, on its own,
  // before it is held to the ends: a way shorter than kRestDistance counts as none.
  static CGFloat coastingRest(CGFloat position, CGFloat velocity, CGFloat rate);
  // The page boundary (a multiple of `page`) a paging view let go at `position`
  // with `velocity` settles on: the next one in a flick's direction when faster
  // than kPageFlickVelocity, the nearest otherwise.
  static CGFloat pageRest(CGFloat position, CGFloat velocity, CGFloat page);

  // The motion of one axis: resting, coasting, or a spring.
  struct Axis {
    enum class Kind { resting, coasting, spring };
    static constexpr double kNever = std::numeric_limits<double>::infinity();

    Kind kind = Kind::resting;
    double start = 0;       // when this segment began
    CGFloat from = 0;       // where it was then
    CGFloat velocity = 0;   // points per second then
    CGFloat target = 0;     // where it comes to rest
    double duration = 0;    // coasting: how long until it rests
    double crossing = kNever;  // coasting: when it passes `edge`
    CGFloat edge = 0;
    bool bounces = true;
    double frequency = 0;   // spring
    CGFloat position = 0;   // at the latest advance

    static Axis resting(CGFloat position);
    static Axis spring(double start, CGFloat from, CGFloat velocity, CGFloat target, double frequency);
    // Coasting from `from` at `velocity` and `rate`, between the ends `low` and
    // `high`: past an end it springs back to it (or stops there without `bounces`).
    static Axis coasting(double start, CGFloat from, CGFloat velocity, CGFloat rate, CGFloat low, CGFloat high,
                         bool bounces);
    // Coasting that rests at `goal` (a place a delegate chose), leaving as fast as
    // that needs.
    static Axis coastingTo(double start, CGFloat from, CGFloat goal, CGFloat rate, CGFloat low, CGFloat high,
                           bool bounces);
    // Springing to the page boundary `goal` from `from`, starting with the finger's
    // `velocity` where that goes towards the page, but never so fast as to pass it.
    static Axis paging(double start, CGFloat from, CGFloat velocity, CGFloat goal);
    // Springing back to the end `edge` of content let go past it.
    static Axis bounceBack(double start, CGFloat from, CGFloat velocity, CGFloat edge);

    // Moves on to time `t`, passing from segment to segment as they end; returns
    // whether the axis still moves. `rate` is the view's deceleration rate.
    bool advance(double t, CGFloat rate);
    // The next moment at which the segment changes (coasting ends or crosses an
    // end), or kNever.
    double nextChange() const;
  };
};

}  // namespace kavro::platform::uikit
