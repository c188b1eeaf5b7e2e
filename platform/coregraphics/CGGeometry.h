#pragma once
// Points, sizes and rectangles in points, as Core Graphics defines them.

#include <algorithm>
#include <cmath>

using CGFloat = double;

struct CGPoint {
  CGFloat x = 0;
  CGFloat y = 0;
  friend bool operator==(const CGPoint&, const CGPoint&) = default;
};

struct CGSize {
  CGFloat width = 0;
  CGFloat height = 0;
  friend bool operator==(const CGSize&, const CGSize&) = default;
};

struct CGRect {
  CGPoint origin;
  CGSize size;
  friend bool operator==(const CGRect&, const CGRect&) = default;
};

inline constexpr CGPoint CGPointZero{};
inline constexpr CGSize CGSizeZero{};
inline constexpr CGRect CGRectZero{};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) { return {x, y}; }
inline CGSize CGSizeMake(CGFloat width, CGFloat height) { return {width, height}; }
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
  return {{x, y}, {width, height}};
}

inline CGFloat CGRectGetMinX(const CGRect& r) { return std::min(r.origin.x, r.origin.x + r.size.width); }
inline CGFloat CGRectGetMaxX(const CGRect& r) { return std::max(r.origin.x, r.origin.x + r.size.width); }
inline CGFloat CGRectGetMinY(const CGRect& r) { return std::min(r.origin.y, r.origin.y + r.size.height); }
inline CGFloat CGRectGetMaxY(const CGRect& r) { return std::max(r.origin.y, r.origin.y + r.size.height); }
inline CGFloat CGRectGetMidX(const CGRect& r) { return r.origin.x + r.size.width / 2; }
inline CGFloat CGRectGetMidY(const CGRect& r) { return r.origin.y + r.size.height / 2; }
inline CGFloat CGRectGetWidth(const CGRect& r) { return std::abs(r.size.width); }
inline CGFloat CGRectGetHeight(const CGRect& r) { return std::abs(r.size.height); }

// Half-open, as the platform tests points: the right and bottom edges are outside.
inline bool CGRectContainsPoint(const CGRect& r, const CGPoint& p) {
  return p.x >= CGRectGetMinX(r) && p.x < CGRectGetMaxX(r) && p.y >= CGRectGetMinY(r) &&
         p.y < CGRectGetMaxY(r);
}

inline bool CGRectIntersectsRect(const CGRect& a, const CGRect& b) {
  return CGRectGetMinX(a) < CGRectGetMaxX(b) && CGRectGetMinX(b) < CGRectGetMaxX(a) &&
         CGRectGetMinY(a) < CGRectGetMaxY(b) && CGRectGetMinY(b) < CGRectGetMaxY(a);
}

inline CGRect CGRectOffset(const CGRect& r, CGFloat dx, CGFloat dy) {
  return {{r.origin.x + dx, r.origin.y + dy}, r.size};
}

inline CGRect CGRectInset(const CGRect& r, CGFloat dx, CGFloat dy) {
  return {{r.origin.x + dx, r.origin.y + dy}, {r.size.width - 2 * dx, r.size.height - 2 * dy}};
}

inline CGRect CGRectIntersection(const CGRect& a, const CGRect& b) {
  CGFloat x0 = std::max(CGRectGetMinX(a), CGRectGetMinX(b));
  CGFloat y0 = std::max(CGRectGetMinY(a), CGRectGetMinY(b));
  CGFloat x1 = std::min(CGRectGetMaxX(a), CGRectGetMaxX(b));
  CGFloat y1 = std::min(CGRectGetMaxY(a), CGRectGetMaxY(b));
  if (x1 <= x0 || y1 <= y0) return CGRectZero;
  return {{x0, y0}, {x1 - x0, y1 - y0}};
}
