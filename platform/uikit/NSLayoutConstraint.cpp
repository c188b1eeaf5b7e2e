#include "platform/uikit/NSLayoutConstraint.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

KAVRO_OBJC_CLASS_IMPLEMENTATION(NSLayoutConstraint, NSObject, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(NSLayoutAnchor, NSObject, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(NSLayoutXAxisAnchor, NSLayoutAnchor, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(NSLayoutYAxisAnchor, NSLayoutAnchor, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(NSLayoutDimension, NSLayoutAnchor, )

namespace {

const char* attributeName(NSLayoutAttribute attribute) {
  switch (attribute) {
    case NSLayoutAttributeLeft: return "left";
    case NSLayoutAttributeRight: return "right";
    case NSLayoutAttributeTop: return "top";
    case NSLayoutAttributeBottom: return "bottom";
    case NSLayoutAttributeLeading: return "leading";
    case NSLayoutAttributeTrailing: return "trailing";
    case NSLayoutAttributeWidth: return "width";
    case NSLayoutAttributeHeight: return "height";
    case NSLayoutAttributeCenterX: return "centerX";
    case NSLayoutAttributeCenterY: return "centerY";
    default: return "notAnAttribute";
  }
}

std::shared_ptr<UIView> commonAncestor(const std::shared_ptr<UIView>& a, const std::shared_ptr<UIView>& b) {
  if (!b) return a ? (a->superview() ? a->superview() : a) : nullptr;
  for (auto view = a; view; view = view->superview())
    if (b->isDescendantOfView(view.get())) return view;
  return nullptr;
}

}  // namespace

std::shared_ptr<NSLayoutConstraint> NSLayoutConstraint::constraintWithItem(
    const std::shared_ptr<UIView>& item1, NSLayoutAttribute attribute1, NSLayoutRelation,
    const std::shared_ptr<UIView>& item2, NSLayoutAttribute attribute2, CGFloat multiplier,
    CGFloat constant) {
  auto constraint = alloc<NSLayoutConstraint>();
  constraint->firstItem_ = item1;
  constraint->firstAttribute_ = attribute1;
  constraint->secondItem_ = item2;
  constraint->secondAttribute_ = item2 ? attribute2 : NSLayoutAttributeNotAnAttribute;
  constraint->multiplier_ = multiplier;
  constraint->constant_ = constant;
  return constraint;
}

void NSLayoutConstraint::activateConstraints(
    const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints) {
  for (auto& constraint : constraints)
    if (constraint) constraint->setActive(true);
}

void NSLayoutConstraint::deactivateConstraints(
    const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints) {
  for (auto& constraint : constraints)
    if (constraint) constraint->setActive(false);
}

void NSLayoutConstraint::setActive(bool active) {
  if (active == isActive()) return;
  auto self = this->self<NSLayoutConstraint>();
  if (!active) {
    if (auto view = installedOn_.lock()) view->removeConstraint(self);
    installedOn_.reset();
    return;
  }
  auto ancestor = commonAncestor(firstItem(), secondItem());
  if (!ancestor) {
    std::fprintf(stderr,
                 "UIKit: unable to activate constraint %s: its views have no common ancestor\n",
                 description().c_str());
    return;
  }
  installedOn_ = ancestor;
  ancestor->addConstraint(self);
}

void NSLayoutConstraint::setConstant(CGFloat constant) {
  constant_ = constant;
  if (auto view = installedOn_.lock()) view->setNeedsLayout();
}

std::string NSLayoutConstraint::description() const {
  auto describe = [](const std::shared_ptr<UIView>& view) {
    return view ? view->className() : std::string("nil");
  };
  char text[256];
  if (secondItem())
    std::snprintf(text, sizeof text, "<NSLayoutConstraint %s.%s == %s.%s * %g + %g>",
                  describe(firstItem()).c_str(), attributeName(firstAttribute_),
                  describe(secondItem()).c_str(), attributeName(secondAttribute_), multiplier_, constant_);
  else
    std::snprintf(text, sizeof text, "<NSLayoutConstraint %s.%s == %g>", describe(firstItem()).c_str(),
                  attributeName(firstAttribute_), constant_);
  return text;
}

std::shared_ptr<NSLayoutConstraint> NSLayoutAnchor::constraintEqualToAnchor(
    const std::shared_ptr<NSLayoutAnchor>& anchor, CGFloat constant) const {
  return NSLayoutConstraint::constraintWithItem(item(), attribute_, NSLayoutRelationEqual,
                                                anchor ? anchor->item() : nullptr,
                                                anchor ? anchor->attribute() : NSLayoutAttributeNotAnAttribute,
                                                1, constant);
}

std::shared_ptr<NSLayoutConstraint> NSLayoutDimension::constraintEqualToConstant(CGFloat constant) const {
  return NSLayoutConstraint::constraintWithItem(item(), attribute_, NSLayoutRelationEqual, nullptr,
                                                NSLayoutAttributeNotAnAttribute, 1, constant);
}

std::shared_ptr<NSLayoutConstraint> NSLayoutDimension::constraintEqualToAnchor(
    const std::shared_ptr<NSLayoutDimension>& anchor, CGFloat multiplier, CGFloat constant) const {
  return NSLayoutConstraint::constraintWithItem(item(), attribute_, NSLayoutRelationEqual,
                                                anchor ? anchor->item() : nullptr,
                                                anchor ? anchor->attribute() : NSLayoutAttributeNotAnAttribute,
                                                multiplier, constant);
}

// ---------------------------------------------------------------------------
// Anchors of a view

std::shared_ptr<NSLayoutXAxisAnchor> UIView::leadingAnchor() {
  return NSLayoutAnchor::make<NSLayoutXAxisAnchor>(self<UIView>(), NSLayoutAttributeLeading);
}
std::shared_ptr<NSLayoutXAxisAnchor> UIView::trailingAnchor() {
  return NSLayoutAnchor::make<NSLayoutXAxisAnchor>(self<UIView>(), NSLayoutAttributeTrailing);
}
std::shared_ptr<NSLayoutXAxisAnchor> UIView::leftAnchor() {
  return NSLayoutAnchor::make<NSLayoutXAxisAnchor>(self<UIView>(), NSLayoutAttributeLeft);
}
std::shared_ptr<NSLayoutXAxisAnchor> UIView::rightAnchor() {
  return NSLayoutAnchor::make<NSLayoutXAxisAnchor>(self<UIView>(), NSLayoutAttributeRight);
}
std::shared_ptr<NSLayoutXAxisAnchor> UIView::centerXAnchor() {
  return NSLayoutAnchor::make<NSLayoutXAxisAnchor>(self<UIView>(), NSLayoutAttributeCenterX);
}
std::shared_ptr<NSLayoutYAxisAnchor> UIView::topAnchor() {
  return NSLayoutAnchor::make<NSLayoutYAxisAnchor>(self<UIView>(), NSLayoutAttributeTop);
}
std::shared_ptr<NSLayoutYAxisAnchor> UIView::bottomAnchor() {
  return NSLayoutAnchor::make<NSLayoutYAxisAnchor>(self<UIView>(), NSLayoutAttributeBottom);
}
std::shared_ptr<NSLayoutYAxisAnchor> UIView::centerYAnchor() {
  return NSLayoutAnchor::make<NSLayoutYAxisAnchor>(self<UIView>(), NSLayoutAttributeCenterY);
}
std::shared_ptr<NSLayoutDimension> UIView::widthAnchor() {
  return NSLayoutAnchor::make<NSLayoutDimension>(self<UIView>(), NSLayoutAttributeWidth);
}
std::shared_ptr<NSLayoutDimension> UIView::heightAnchor() {
  return NSLayoutAnchor::make<NSLayoutDimension>(self<UIView>(), NSLayoutAttributeHeight);
}

// ---------------------------------------------------------------------------
// The solver
//
// Each view placed by constraints contributes four unknowns (x, y, width, height)
// in the coordinates of the view being laid out; every other view is a constant.
// Constraints are added in installation order to a reduced row-echelon system; each
// row remembers which constraints it was built from, so that a contradiction names
// the constraints behind it. Of those, the engine gives up the latest one that
// relates two positions (a fixed width or height is kept), logs it, and solves again
// without it. Unknowns no constraint determines keep their current values.

struct LayoutEngineAccess {
  static void markBroken(NSLayoutConstraint& constraint) { constraint.broken_ = true; }
};

namespace kavro::platform::uikit {

namespace {

constexpr double kEpsilon = 1e-9;

struct Linear {
  std::map<int, double> terms;  // unknown -> coefficient
  double constant = 0;          // right-hand side
  std::set<std::size_t> sources;
};

// The frames being solved for: x, y, width and height of each view the constraints
// place, in the host's coordinates, with their values now.
struct Unknowns {
  std::map<const UIView*, int> base;  // first of the four unknowns of a view
  std::vector<double> current;
  std::vector<std::shared_ptr<UIView>> placed;
};

bool isHorizontal(NSLayoutAttribute a) {
  return a == NSLayoutAttributeLeft || a == NSLayoutAttributeRight || a == NSLayoutAttributeLeading ||
         a == NSLayoutAttributeTrailing || a == NSLayoutAttributeWidth || a == NSLayoutAttributeCenterX;
}

// Adds `scale` × attribute(view) to `equation`.
void addAttribute(Linear& equation, const UIView& host, const std::shared_ptr<UIView>& view,
                  NSLayoutAttribute attribute, double scale, const Unknowns& unknowns) {
  if (!view || attribute == NSLayoutAttributeNotAnAttribute) return;
  bool horizontal = isHorizontal(attribute);
  double position = 0, size = 0;
  switch (attribute) {
    case NSLayoutAttributeLeft:
    case NSLayoutAttributeLeading:
    case NSLayoutAttributeTop: position = 1; break;
    case NSLayoutAttributeRight:
    case NSLayoutAttributeTrailing:
    case NSLayoutAttributeBottom: position = 1; size = 1; break;
    case NSLayoutAttributeCenterX:
    case NSLayoutAttributeCenterY: position = 1; size = 0.5; break;
    case NSLayoutAttributeWidth:
    case NSLayoutAttributeHeight: size = 1; break;
    default: break;
  }
  auto found = unknowns.base.find(view.get());
  if (found != unknowns.base.end()) {
    int origin = found->second + (horizontal ? 0 : 1);
    int extent = found->second + (horizontal ? 2 : 3);
    if (position != 0) equation.terms[origin] += scale * position;
    if (size != 0) equation.terms[extent] += scale * size;
    return;
  }
  // A known view: the host itself is its bounds, any other its frame in the host.
  CGRect frame = view.get() == &host ? CGRect{{0, 0}, host.bounds().size}
                                     : host.convertRectFromView(view->bounds(), view);
  double origin = horizontal ? frame.origin.x : frame.origin.y;
  double extent = horizontal ? frame.size.width : frame.size.height;
  equation.constant -= scale * (origin * position + extent * size);
}

class System {
 public:
  // Returns false, with the constraints behind the contradiction, when the equation
  // cannot hold together with the rows already in the system.
  bool add(Linear equation, std::set<std::size_t>& conflict) {
    for (auto& row : rows_) eliminate(equation, row);
    prune(equation);
    if (equation.terms.empty()) {
      if (std::abs(equation.constant) < 1e-6) return true;  // redundant
      conflict = equation.sources;
      return false;
    }
    int pivot = equation.terms.begin()->first;
    double best = 0;
    for (auto& [unknown, coefficient] : equation.terms)
      if (std::abs(coefficient) > best + kEpsilon) best = std::abs(coefficient), pivot = unknown;
    double divisor = equation.terms[pivot];
    for (auto& [unknown, coefficient] : equation.terms) coefficient /= divisor;
    equation.constant /= divisor;
    for (auto& row : rows_) eliminate(row.second, {pivot, equation});
    rows_.emplace_back(pivot, std::move(equation));
    return true;
  }

  // Values for every unknown: pivots from their rows, the rest from `current`.
  std::vector<double> solve(std::vector<double> values) const {
    for (auto& [pivot, row] : rows_) {
      double value = row.constant;
      for (auto& [unknown, coefficient] : row.terms)
        if (unknown != pivot) value -= coefficient * values[static_cast<std::size_t>(unknown)];
      values[static_cast<std::size_t>(pivot)] = value;
    }
    return values;
  }

 private:
  static void prune(Linear& equation) {
    std::erase_if(equation.terms, [](auto& term) { return std::abs(term.second) < kEpsilon; });
  }
  static void eliminate(Linear& equation, const std::pair<int, Linear>& row) {
    auto found = equation.terms.find(row.first);
    if (found == equation.terms.end()) return;
    double factor = found->second;
    for (auto& [unknown, coefficient] : row.second.terms) equation.terms[unknown] -= factor * coefficient;
    equation.constant -= factor * row.second.constant;
    equation.sources.insert(row.second.sources.begin(), row.second.sources.end());
    prune(equation);
  }
  std::vector<std::pair<int, Linear>> rows_;
};

bool isFixedSize(const NSLayoutConstraint& constraint) {
  return !constraint.secondItem() && (constraint.firstAttribute() == NSLayoutAttributeWidth ||
                                      constraint.firstAttribute() == NSLayoutAttributeHeight);
}

// Every view the constraints place: those that do not take their frames from
// autoresizing masks, other than the host.
Unknowns placedViews(UIView& host, const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints) {
  Unknowns unknowns;
  auto consider = [&](const std::shared_ptr<UIView>& item) {
    if (!item || item.get() == &host || item->translatesAutoresizingMaskIntoConstraints()) return;
    if (unknowns.base.count(item.get())) return;
    unknowns.base[item.get()] = static_cast<int>(unknowns.current.size());
    CGRect frame = host.convertRectFromView(item->bounds(), item);
    unknowns.current.insert(unknowns.current.end(),
                            {frame.origin.x, frame.origin.y, frame.size.width, frame.size.height});
    unknowns.placed.push_back(item);
  };
  for (auto& constraint : constraints) {
    consider(constraint->firstItem());
    consider(constraint->secondItem());
  }
  return unknowns;
}

// first attribute = multiplier × second attribute + constant, as an equation of
// the unknowns.
Linear equationOf(const NSLayoutConstraint& constraint, std::size_t index, const UIView& host,
                  const Unknowns& unknowns) {
  Linear equation;
  equation.sources.insert(index);
  addAttribute(equation, host, constraint.firstItem(), constraint.firstAttribute(), 1, unknowns);
  addAttribute(equation, host, constraint.secondItem(), constraint.secondAttribute(), -constraint.multiplier(),
               unknowns);
  equation.constant += constraint.constant();
  return equation;
}

// Sets each placed view's frame from the solution (in the host's coordinates).
void applySolution(UIView& host, const Unknowns& unknowns, const std::vector<double>& values) {
  for (auto& item : unknowns.placed) {
    auto index = static_cast<std::size_t>(unknowns.base.at(item.get()));
    CGRect inHost = CGRectMake(values[index], values[index + 1], values[index + 2], values[index + 3]);
    auto parent = item->superview();
    CGRect frame = parent ? parent->convertRectFromView(inHost, host.self<UIView>()) : inHost;
    frame.size = inHost.size;
    item->setFrame(frame);
  }
}

// Of the constraints behind a contradiction (`conflict`, found when adding
// `failed`), the one to give up: the latest positional one, keeping fixed sizes.
std::size_t constraintToBreak(const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints,
                              const std::set<std::size_t>& conflict, std::size_t failed) {
  for (auto it = conflict.rbegin(); it != conflict.rend(); ++it)
    if (!isFixedSize(*constraints[*it])) return *it;
  return failed;
}

void reportBroken(const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints,
                  const std::set<std::size_t>& conflict, std::size_t broken) {
  std::string list;
  for (std::size_t index : conflict) list += "\n    " + constraints[index]->description();
  std::fprintf(stderr,
               "UIKit: unable to simultaneously satisfy constraints:%s\n"
               "Will attempt to recover by breaking constraint %s\n",
               list.c_str(), constraints[broken]->description().c_str());
}

}  // namespace

void solveConstraints(UIView& view) {
  std::vector<std::shared_ptr<NSLayoutConstraint>> constraints;
  for (auto& constraint : view.constraints())
    if (constraint->firstItem()) constraints.push_back(constraint);
  if (constraints.empty()) return;
  Unknowns unknowns = placedViews(view, constraints);
  if (unknowns.placed.empty()) return;

  std::set<std::size_t> givenUp;
  for (std::size_t i = 0; i < constraints.size(); ++i)
    if (constraints[i]->isBroken()) givenUp.insert(i);
  // Add the constraints in order; at a contradiction give one up and start again.
  for (;;) {
    System system;
    std::set<std::size_t> conflict;
    std::size_t failed = constraints.size();
    for (std::size_t i = 0; i < constraints.size() && failed == constraints.size(); ++i)
      if (!givenUp.count(i) && !system.add(equationOf(*constraints[i], i, view, unknowns), conflict)) failed = i;
    if (failed == constraints.size()) {
      applySolution(view, unknowns, system.solve(unknowns.current));
      return;
    }
    std::size_t victim = constraintToBreak(constraints, conflict, failed);
    givenUp.insert(victim);
    if (!constraints[victim]->isBroken()) {
      reportBroken(constraints, conflict, victim);
      LayoutEngineAccess::markBroken(*constraints[victim]);
    }
  }
}

}  // namespace kavro::platform::uikit
