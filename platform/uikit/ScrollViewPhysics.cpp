#include "platform/uikit/ScrollViewPhysics.h"

#include <algorithm>
#include <cmath>

namespace kavro::platform::uikit {

namespace {
// Times closer than this count as the same moment.
constexpr double kSameMomentTolerance = 1e-9;
}  // namespace

CGFloat ScrollViewPhysics::rubberBand(CGFloat overshoot, CGFloat dimension) {
  if (dimension <= 0) return 0;
  CGFloat magnitude = std::abs(overshoot);
  return std::copysign((1 - 1 / (magnitude * kRubberBandCoefficient / dimension + 1)) * dimension, overshoot);
}

CGFloat ScrollViewPhysics::unstretch(CGFloat stretched, CGFloat dimension) {
  if (dimension <= 0) return stretched;
  CGFloat magnitude = std::min(std::abs(stretched), dimension * 0.999);
  return std::copysign((1 / (1 - magnitude / dimension) - 1) * dimension / kRubberBandCoefficient, stretched);
}

CGFloat ScrollViewPhysics::rubberBandSlope(CGFloat stretched, CGFloat dimension) {
  if (dimension <= 0) return 1;
  CGFloat rest = 1 - std::min(std::abs(stretched), dimension) / dimension;
  return kRubberBandCoefficient * rest * rest;
}

CGFloat ScrollViewPhysics::stretchedPosition(CGFloat unstretched, CGFloat low, CGFloat high, CGFloat dimension,
                                             bool bounces) {
  if (unstretched < low) return bounces ? low - rubberBand(low - unstretched, dimension) : low;
  if (unstretched > high) return bounces ? high + rubberBand(unstretched - high, dimension) : high;
  return unstretched;
}

CGFloat ScrollViewPhysics::unstretchedPosition(CGFloat position, CGFloat low, CGFloat high, CGFloat dimension) {
  if (position < low) return low - unstretch(low - position, dimension);
  if (position > high) return high + unstretch(position - high, dimension);
  return position;
}

CGFloat ScrollViewPhysics::stretchedVelocity(CGFloat velocity, CGFloat position, CGFloat low, CGFloat high,
                                             CGFloat dimension) {
  CGFloat beyond = position < low ? low - position : position > high ? position - high : 0;
  return beyond > 0 ? velocity * rubberBandSlope(beyond, dimension) : velocity;
}

CGFloat ScrollViewPhysics::coastingDistance(CGFloat velocity, CGFloat rate) { return velocity / 1000 / (1 - rate); }

CGFloat ScrollViewPhysics::coastingVelocity(CGFloat distance, CGFloat rate) { return distance * 1000 * (1 - rate); }

CGFloat ScrollViewPhysics::coastingRest(CGFloat position, CGFloat velocity, CGFloat rate) {
  CGFloat distance = coastingDistance(velocity, rate);
  if (std::abs(distance) < kRestDistance) distance = 0;
  return position + distance;
}

CGFloat ScrollViewPhysics::pageRest(CGFloat position, CGFloat velocity, CGFloat page) {
  double index = position / page;
  // The small allowance keeps a view resting on a page from turning one more.
  index = velocity > kPageFlickVelocity    ? std::ceil(index - 1e-6)
          : velocity < -kPageFlickVelocity ? std::floor(index + 1e-6)
                                           : std::round(index);
  return static_cast<CGFloat>(index) * page;
}

// ---------------------------------------------------------------------------
// One axis

auto ScrollViewPhysics::Axis::resting(CGFloat position) -> Axis {
  Axis axis;
  axis.target = axis.position = position;
  return axis;
}

auto ScrollViewPhysics::Axis::spring(double start, CGFloat from, CGFloat velocity, CGFloat target,
                                     double frequency) -> Axis {
  Axis axis;
  axis.kind = Kind::spring;
  axis.start = start;
  axis.from = axis.position = from;
  axis.velocity = velocity;
  axis.target = target;
  axis.frequency = frequency;
  return axis;
}

auto ScrollViewPhysics::Axis::coasting(double start, CGFloat from, CGFloat velocity, CGFloat rate,
                                       CGFloat low, CGFloat high, bool bounces) -> Axis {
  CGFloat distance = coastingDistance(velocity, rate);
  if (std::abs(distance) < kRestDistance) return resting(from);
  Axis axis;
  axis.kind = Kind::coasting;
  axis.start = start;
  axis.from = axis.position = from;
  axis.velocity = velocity;
  axis.target = from + distance;
  axis.bounces = bounces;
  // What is left of the way after n ms is distance·r^n.
  axis.duration = std::log(kRestDistance / std::abs(distance)) / std::log(rate) / 1000;
  bool pastHigh = axis.target > high, pastLow = axis.target < low;
  if (pastHigh || pastLow) {
    axis.edge = pastHigh ? high : low;
    double left = 1 - (axis.edge - from) / distance;  // r^n at the crossing
    double crossing = left > 0 ? std::log(std::min(1.0, left)) / std::log(rate) / 1000 : kNever;
    if (crossing < axis.duration)
      axis.crossing = crossing;
    else
      axis.target = axis.edge;  // it would cross only in its last half point
  }
  return axis;
}

auto ScrollViewPhysics::Axis::coastingTo(double start, CGFloat from, CGFloat goal, CGFloat rate,
                                         CGFloat low, CGFloat high, bool bounces) -> Axis {
  Axis axis = coasting(start, from, coastingVelocity(goal - from, rate), rate, low, high, bounces);
  axis.target = goal;
  return axis;
}

auto ScrollViewPhysics::Axis::paging(double start, CGFloat from, CGFloat velocity, CGFloat goal) -> Axis {
  CGFloat way = goal - from;
  CGFloat limit = static_cast<CGFloat>(kPagingFrequency) * std::abs(way);
  if (velocity * way > 0) velocity = std::copysign(std::min(std::abs(velocity), limit), velocity);
  return spring(start, from, velocity, goal, kPagingFrequency);
}

auto ScrollViewPhysics::Axis::bounceBack(double start, CGFloat from, CGFloat velocity, CGFloat edge) -> Axis {
  return spring(start, from, velocity, edge, kBounceFrequency);
}

bool ScrollViewPhysics::Axis::advance(double t, CGFloat rate) {
  for (;;) {
    switch (kind) {
      case Kind::resting: position = target; return false;
      case Kind::coasting: {
        double elapsed = t - start;
        if (elapsed >= crossing - kSameMomentTolerance) {
          CGFloat speed = velocity * std::pow(rate, 1000 * crossing);
          double at = start + crossing;
          *this = bounces ? bounceBack(at, edge, speed, edge) : resting(edge);
          continue;
        }
        if (elapsed >= duration - kSameMomentTolerance) {
          *this = resting(target);
          continue;
        }
        position = from + coastingDistance(velocity, rate) * (1 - std::pow(rate, 1000 * elapsed));
        return true;
      }
      case Kind::spring: {
        double tau = std::max(0.0, t - start);
        double x0 = from - target;
        double b = velocity + frequency * x0;
        double fade = std::exp(-frequency * tau);
        double x = (x0 + b * tau) * fade;
        double v = (b - frequency * (x0 + b * tau)) * fade;
        if (std::abs(x) < kRestDistance && std::abs(v) < kRestVelocity) {
          *this = resting(target);
          continue;
        }
        position = target + x;
        return true;
      }
    }
  }
}

double ScrollViewPhysics::Axis::nextChange() const {
  return kind == Kind::coasting ? start + std::min(crossing, duration) : kNever;
}

}  // namespace kavro::platform::uikit
