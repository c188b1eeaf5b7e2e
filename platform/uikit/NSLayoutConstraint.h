#pragma once
// Auto Layout for equality constraints between view anchors (edges, centres, sizes)
// with constants and multipliers. A view lays out the subviews it constrains by
// solving the linear system of the constraints installed on it; when they cannot
// all hold, one is given up, as the platform does, and the message says which.

#include "platform/coregraphics/CGGeometry.h"
#include "platform/objc/NSObject.h"

#include <memory>
#include <string>
#include <vector>

class UIView;

enum NSLayoutAttribute : long {
  NSLayoutAttributeNotAnAttribute = 0,
  NSLayoutAttributeLeft = 1,
  NSLayoutAttributeRight = 2,
  NSLayoutAttributeTop = 3,
  NSLayoutAttributeBottom = 4,
  NSLayoutAttributeLeading = 5,
  NSLayoutAttributeTrailing = 6,
  NSLayoutAttributeWidth = 7,
  NSLayoutAttributeHeight = 8,
  NSLayoutAttributeCenterX = 9,
  NSLayoutAttributeCenterY = 10,
};

enum NSLayoutRelation : long { NSLayoutRelationEqual = 0 };

using UILayoutPriority = float;
inline constexpr UILayoutPriority UILayoutPriorityRequired = 1000;

class NSLayoutConstraint : public NSObject {
  KAVRO_OBJC_CLASS(NSLayoutConstraint)
 public:
  static std::shared_ptr<NSLayoutConstraint> constraintWithItem(
      const std::shared_ptr<UIView>& item1, NSLayoutAttribute attribute1, NSLayoutRelation relation,
      const std::shared_ptr<UIView>& item2, NSLayoutAttribute attribute2, CGFloat multiplier,
      CGFloat constant);
  // Installs each constraint on the nearest common ancestor of its views, in order.
  static void activateConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints);
  static void deactivateConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints);

  std::shared_ptr<UIView> firstItem() const { return firstItem_.lock(); }
  NSLayoutAttribute firstAttribute() const { return firstAttribute_; }
  std::shared_ptr<UIView> secondItem() const { return secondItem_.lock(); }
  NSLayoutAttribute secondAttribute() const { return secondAttribute_; }
  CGFloat multiplier() const { return multiplier_; }
  CGFloat constant() const { return constant_; }
  void setConstant(CGFloat constant);
  UILayoutPriority priority() const { return priority_; }
  void setPriority(UILayoutPriority priority) { priority_ = priority; }
  bool isActive() const { return !installedOn_.expired(); }
  void setActive(bool active);
  // Whether the engine gave this constraint up because it conflicted with others.
  bool isBroken() const { return broken_; }

  std::string description() const override;

 private:
  friend struct LayoutEngineAccess;
  std::weak_ptr<UIView> firstItem_;
  NSLayoutAttribute firstAttribute_ = NSLayoutAttributeNotAnAttribute;
  std::weak_ptr<UIView> secondItem_;
  NSLayoutAttribute secondAttribute_ = NSLayoutAttributeNotAnAttribute;
  CGFloat multiplier_ = 1;
  CGFloat constant_ = 0;
  UILayoutPriority priority_ = UILayoutPriorityRequired;
  std::weak_ptr<UIView> installedOn_;
  bool broken_ = false;
};

// Anchors make constraints: view->topAnchor()->constraintEqualToAnchor(other, 40).
class NSLayoutAnchor : public NSObject {
  KAVRO_OBJC_CLASS(NSLayoutAnchor)
 public:
  std::shared_ptr<NSLayoutConstraint> constraintEqualToAnchor(const std::shared_ptr<NSLayoutAnchor>& anchor,
                                                              CGFloat constant = 0) const;
  std::shared_ptr<UIView> item() const { return item_.lock(); }
  NSLayoutAttribute attribute() const { return attribute_; }

  template <class Anchor>
  static std::shared_ptr<Anchor> make(const std::shared_ptr<UIView>& item, NSLayoutAttribute attribute) {
    auto anchor = alloc<Anchor>();
    anchor->item_ = item;
    anchor->attribute_ = attribute;
    return anchor;
  }

 protected:
  std::weak_ptr<UIView> item_;
  NSLayoutAttribute attribute_ = NSLayoutAttributeNotAnAttribute;
};

class NSLayoutXAxisAnchor : public NSLayoutAnchor {
  KAVRO_OBJC_CLASS(NSLayoutXAxisAnchor)
};

class NSLayoutYAxisAnchor : public NSLayoutAnchor {
  KAVRO_OBJC_CLASS(NSLayoutYAxisAnchor)
};

class NSLayoutDimension : public NSLayoutAnchor {
  KAVRO_OBJC_CLASS(NSLayoutDimension)
 public:
  std::shared_ptr<NSLayoutConstraint> constraintEqualToConstant(CGFloat constant) const;
  std::shared_ptr<NSLayoutConstraint> constraintEqualToAnchor(const std::shared_ptr<NSLayoutDimension>& anchor,
                                                              CGFloat multiplier, CGFloat constant) const;
  using NSLayoutAnchor::constraintEqualToAnchor;
};

namespace kavro::platform::uikit {
// Sets the frames of the views that the constraints installed on `view` place.
void solveConstraints(UIView& view);
}  // namespace kavro::platform::uikit
