#pragma once
// Views: geometry, hierarchy, colours, tint inheritance, layer, hit testing, layout
// and block animations on the process's virtual clock. Setting a property inside an
// animation block changes the model value at once; what a renderer draws (the
// presentation value, see UIViewPrivate.h) follows the clock.

#include "platform/coregraphics/CGGeometry.h"
#include "platform/quartzcore/CALayer.h"
#include "platform/uikit/UIAccessibility.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIResponder.h"
#include "platform/uikit/UITraitCollection.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class UIWindow;
class UIViewController;
class UIGestureRecognizer;
class NSLayoutConstraint;
class NSLayoutXAxisAnchor;
class NSLayoutYAxisAnchor;
class NSLayoutDimension;
namespace kavro::platform::uikit {
struct ViewInternals;
}

enum UIViewContentMode : long {
  UIViewContentModeScaleToFill = 0,
  UIViewContentModeScaleAspectFit = 1,
  UIViewContentModeScaleAspectFill = 2,
  UIViewContentModeRedraw = 3,
  UIViewContentModeCenter = 4,
};

enum UIViewAutoresizing : unsigned long {
  UIViewAutoresizingNone = 0,
  UIViewAutoresizingFlexibleLeftMargin = 1 << 0,
  UIViewAutoresizingFlexibleWidth = 1 << 1,
  UIViewAutoresizingFlexibleRightMargin = 1 << 2,
  UIViewAutoresizingFlexibleTopMargin = 1 << 3,
  UIViewAutoresizingFlexibleHeight = 1 << 4,
  UIViewAutoresizingFlexibleBottomMargin = 1 << 5,
};

enum UIViewAnimationOptions : unsigned long {
  UIViewAnimationOptionAllowUserInteraction = 1 << 1,
  UIViewAnimationOptionBeginFromCurrentState = 1 << 2,
  UIViewAnimationOptionCurveEaseInOut = 0 << 16,
  UIViewAnimationOptionCurveEaseIn = 1 << 16,
  UIViewAnimationOptionCurveEaseOut = 2 << 16,
  UIViewAnimationOptionCurveLinear = 3 << 16,
};

struct UIEdgeInsets {
  CGFloat top = 0, left = 0, bottom = 0, right = 0;
  friend bool operator==(const UIEdgeInsets&, const UIEdgeInsets&) = default;
};
inline UIEdgeInsets UIEdgeInsetsMake(CGFloat top, CGFloat left, CGFloat bottom, CGFloat right) {
  return {top, left, bottom, right};
}
inline CGRect UIEdgeInsetsInsetRect(const CGRect& rect, const UIEdgeInsets& insets) {
  return CGRectMake(rect.origin.x + insets.left, rect.origin.y + insets.top,
                    rect.size.width - insets.left - insets.right,
                    rect.size.height - insets.top - insets.bottom);
}

class UIView : public UIResponder {
  KAVRO_OBJC_CLASS(UIView)
 public:
  UIView();
  ~UIView() override;

  std::shared_ptr<UIView> initWithFrame(CGRect frame);
  std::shared_ptr<UIView> init() { return initWithFrame(CGRectZero); }

  // Geometry (model values).
  CGRect frame() const { return frame_; }
  virtual void setFrame(CGRect frame);
  CGRect bounds() const { return {boundsOrigin_, frame_.size}; }
  virtual void setBounds(CGRect bounds);
  CGPoint center() const { return {CGRectGetMidX(frame_), CGRectGetMidY(frame_)}; }
  void setCenter(CGPoint center);

  // Hierarchy.
  std::shared_ptr<UIView> superview() const { return superview_.lock(); }
  const std::vector<std::shared_ptr<UIView>>& subviews() const { return subviews_; }
  virtual std::shared_ptr<UIWindow> window() const;
  void addSubview(const std::shared_ptr<UIView>& view);
  void insertSubview(const std::shared_ptr<UIView>& view, long index);
  void insertSubviewBelow(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling);
  void insertSubviewAbove(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling);
  void removeFromSuperview();
  void bringSubviewToFront(const std::shared_ptr<UIView>& view);
  void sendSubviewToBack(const std::shared_ptr<UIView>& view);
  bool isDescendantOfView(const UIView* view) const;
  std::shared_ptr<UIView> viewWithTag(long tag);
  virtual void willMoveToSuperview(const std::shared_ptr<UIView>& newSuperview) {}
  virtual void didMoveToSuperview() {}
  virtual void willMoveToWindow(const std::shared_ptr<UIWindow>& newWindow) {}
  virtual void didMoveToWindow() {}
  virtual void didAddSubview(const std::shared_ptr<UIView>& subview) {}
  virtual void willRemoveSubview(const std::shared_ptr<UIView>& subview) {}

  // Look.
  std::shared_ptr<UIColor> backgroundColor() const { return backgroundColor_; }
  virtual void setBackgroundColor(const std::shared_ptr<UIColor>& color);
  CGFloat alpha() const { return alpha_; }
  void setAlpha(CGFloat alpha);
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden);
  bool clipsToBounds() const { return layer_->masksToBounds(); }
  void setClipsToBounds(bool clips) { layer_->setMasksToBounds(clips); }
  UIViewContentMode contentMode() const { return contentMode_; }
  void setContentMode(UIViewContentMode mode) { contentMode_ = mode; }
  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }
  const std::shared_ptr<CALayer>& layer() const { return layer_; }

  // Tint: a view without a tint of its own takes its superview's; a window without
  // one uses the system blue.
  std::shared_ptr<UIColor> tintColor() const;
  void setTintColor(const std::shared_ptr<UIColor>& color);
  // Called when the tint the view shows has changed.
  virtual void tintColorDidChange() {}

  // Traits: the device's appearance while the view is in a window, unless the view
  // or an ancestor overrides the interface style (or lies over a dark material,
  // see _UIBackdropView): then that style, for it and its subviews.
  virtual std::shared_ptr<UITraitCollection> traitCollection() const;
  virtual void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) {}
  UIUserInterfaceStyle overrideUserInterfaceStyle() const { return overrideUserInterfaceStyle_; }
  void setOverrideUserInterfaceStyle(UIUserInterfaceStyle style) { overrideUserInterfaceStyle_ = style; }

  // Accessibility: what a screen reader finds. A plain view is no element of its
  // own; labels, buttons, on/off controls and cells are, with defaults from their
  // content. Values set here win over those defaults.
  virtual bool isAccessibilityElement() const { return accessibilityElement_.value_or(false); }
  void setIsAccessibilityElement(bool element) { accessibilityElement_ = element; }
  virtual std::string accessibilityLabel() const { return accessibilityLabel_.value_or(""); }
  void setAccessibilityLabel(const std::string& label) { accessibilityLabel_ = label; }
  virtual std::string accessibilityValue() const { return accessibilityValue_.value_or(""); }
  void setAccessibilityValue(const std::string& value) { accessibilityValue_ = value; }
  virtual UIAccessibilityTraits accessibilityTraits() const {
    return accessibilityTraits_.value_or(UIAccessibilityTraitNone);
  }
  void setAccessibilityTraits(UIAccessibilityTraits traits) { accessibilityTraits_ = traits; }

  // Touches.
  bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
  void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
  virtual std::shared_ptr<UIView> hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event);
  virtual bool pointInside(CGPoint point, const std::shared_ptr<UIEvent>& event) const;
  const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const {
    return gestureRecognizers_;
  }
  void addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
  void removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
  // Whether a recogniser attached to an ancestor may begin for a touch on this view.
  virtual bool gestureRecognizerShouldBegin(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
    return true;
  }
  std::shared_ptr<UIResponder> nextResponder() const override;

  // Coordinates: a null view means the window.
  CGPoint convertPointToView(CGPoint point, const std::shared_ptr<UIView>& view) const;
  CGPoint convertPointFromView(CGPoint point, const std::shared_ptr<UIView>& view) const;
  CGRect convertRectToView(CGRect rect, const std::shared_ptr<UIView>& view) const;
  CGRect convertRectFromView(CGRect rect, const std::shared_ptr<UIView>& view) const;
  // The frame in window coordinates (model values).
  CGRect frameInWindow() const;

  // Layout.
  void setNeedsLayout() { needsLayout_ = true; }
  bool needsLayout() const { return needsLayout_; }
  void layoutIfNeeded();
  virtual void layoutSubviews();
  virtual CGSize sizeThatFits(CGSize size) const { return frame_.size; }
  void sizeToFit();
  virtual CGSize intrinsicContentSize() const { return {-1, -1}; }
  UIViewAutoresizing autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(unsigned long mask) { autoresizingMask_ = static_cast<UIViewAutoresizing>(mask); }
  bool translatesAutoresizingMaskIntoConstraints() const { return translatesAutoresizingMask_; }
  void setTranslatesAutoresizingMaskIntoConstraints(bool translates) {
    translatesAutoresizingMask_ = translates;
  }
  // The insets of the view's bounds covered by bars and the screen's edges.
  virtual UIEdgeInsets safeAreaInsets() const;

  // Auto Layout anchors and the constraints installed on this view.
  std::shared_ptr<NSLayoutXAxisAnchor> leadingAnchor();
  std::shared_ptr<NSLayoutXAxisAnchor> trailingAnchor();
  std::shared_ptr<NSLayoutXAxisAnchor> leftAnchor();
  std::shared_ptr<NSLayoutXAxisAnchor> rightAnchor();
  std::shared_ptr<NSLayoutXAxisAnchor> centerXAnchor();
  std::shared_ptr<NSLayoutYAxisAnchor> topAnchor();
  std::shared_ptr<NSLayoutYAxisAnchor> bottomAnchor();
  std::shared_ptr<NSLayoutYAxisAnchor> centerYAnchor();
  std::shared_ptr<NSLayoutDimension> widthAnchor();
  std::shared_ptr<NSLayoutDimension> heightAnchor();
  const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints() const { return constraints_; }
  void addConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint);
  void removeConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint);

  // Block animations on the current process's clock. The animations block runs at
  // once; the completion runs exactly once, later, on the main run loop.
  static void animateWithDuration(double duration, double delay, unsigned long options,
                                  const std::function<void()>& animations,
                                  std::function<void(bool)> completion);
  static void animateWithDuration(double duration, const std::function<void()>& animations,
                                  std::function<void(bool)> completion);
  static void animateWithDuration(double duration, const std::function<void()>& animations);
  static void performWithoutAnimation(const std::function<void()>& actions);

  // The view's running animations (opaque outside the stand-in).
  struct Animations;

 protected:
  // The accessibility values set on the view, for subclasses' defaults to give way to.
  const std::optional<bool>& explicitAccessibilityElement() const { return accessibilityElement_; }
  const std::optional<std::string>& explicitAccessibilityLabel() const { return accessibilityLabel_; }
  const std::optional<std::string>& explicitAccessibilityValue() const { return accessibilityValue_; }
  const std::optional<UIAccessibilityTraits>& explicitAccessibilityTraits() const { return accessibilityTraits_; }

  // The view controller whose view this is, if any.
  std::shared_ptr<UIViewController> viewController() const { return viewController_.lock(); }

 private:
  friend struct kavro::platform::uikit::ViewInternals;
  friend class UIViewController;

  void setSuperviewLinks(const std::shared_ptr<UIView>& view, long index);
  void notifyTintChange();
  void notifyMoveToWindow(const std::shared_ptr<UIWindow>& newWindow, bool after);
  void resizeSubviewsForAutoresizing(CGSize oldSize);

  CGRect frame_{};
  CGPoint boundsOrigin_{};
  std::weak_ptr<UIView> superview_;
  std::vector<std::shared_ptr<UIView>> subviews_;
  std::shared_ptr<UIColor> backgroundColor_;
  std::shared_ptr<UIColor> tintColor_;
  CGFloat alpha_ = 1;
  bool hidden_ = false;
  bool userInteractionEnabled_ = true;
  bool needsLayout_ = true;
  bool translatesAutoresizingMask_ = true;
  UIViewAutoresizing autoresizingMask_ = UIViewAutoresizingNone;
  UIViewContentMode contentMode_ = UIViewContentModeScaleToFill;
  long tag_ = 0;
  std::shared_ptr<CALayer> layer_;
  std::weak_ptr<UIViewController> viewController_;
  std::vector<std::shared_ptr<UIGestureRecognizer>> gestureRecognizers_;
  std::vector<std::shared_ptr<NSLayoutConstraint>> constraints_;
  std::unique_ptr<Animations> animations_;
  UIUserInterfaceStyle overrideUserInterfaceStyle_ = UIUserInterfaceStyleUnspecified;
  // The style a material the view lies over gives it and its subviews (internal).
  UIUserInterfaceStyle materialStyle_ = UIUserInterfaceStyleUnspecified;
  std::optional<bool> accessibilityElement_;
  std::optional<std::string> accessibilityLabel_;
  std::optional<std::string> accessibilityValue_;
  std::optional<UIAccessibilityTraits> accessibilityTraits_;
  // Tells views apart over their lifetime (internal; see ViewInternals::serial).
  std::uint64_t serial_;
};
