#include "platform/uikit/UIView.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIGestureRecognizerPrivate.h"
#include "platform/uikit/UIViewAnimationPrivate.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewPrivate.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIView, UIResponder, )

// ---------------------------------------------------------------------------
// Construction, geometry

namespace {
std::atomic<std::uint64_t> nextViewSerial{1};
}

UIView::UIView() : layer_(alloc<CALayer>()), serial_(nextViewSerial.fetch_add(1, std::memory_order_relaxed)) {}

UIView::~UIView() = default;

std::shared_ptr<UIView> UIView::initWithFrame(CGRect frame) {
  frame_ = frame;
  return self<UIView>();
}

namespace {
std::shared_ptr<UIView> selfOrNull(UIView& view) {
  // During destruction, or before a shared owner exists, there is no shared self.
  auto weak = view.weak_from_this();
  return std::static_pointer_cast<UIView>(weak.lock());
}
}  // namespace

void UIView::setFrame(CGRect frame) {
  CGRect old = frame_;
  kavro::platform::uikit::recordAnimatableChange(*this, animations_, kavro::platform::uikit::AnimatableProperty::frame, old, frame, selfOrNull(*this));
  frame_ = frame;
  if (old.size != frame.size) {
    setNeedsLayout();
    resizeSubviewsForAutoresizing(old.size);
  }
}

void UIView::setBounds(CGRect bounds) {
  CGPoint oldOrigin = boundsOrigin_;
  if (oldOrigin != bounds.origin)
    kavro::platform::uikit::recordAnimatableChange(*this, animations_, kavro::platform::uikit::AnimatableProperty::boundsOrigin, oldOrigin, bounds.origin,
                 selfOrNull(*this));
  boundsOrigin_ = bounds.origin;
  if (bounds.size != frame_.size) {
    CGPoint middle = center();
    setFrame(CGRectMake(middle.x - bounds.size.width / 2, middle.y - bounds.size.height / 2,
                        bounds.size.width, bounds.size.height));
  }
}

void UIView::setCenter(CGPoint center) {
  setFrame(CGRectMake(center.x - frame_.size.width / 2, center.y - frame_.size.height / 2,
                      frame_.size.width, frame_.size.height));
}

void UIView::resizeSubviewsForAutoresizing(CGSize oldSize) {
  CGFloat dw = frame_.size.width - oldSize.width;
  CGFloat dh = frame_.size.height - oldSize.height;
  for (auto& subview : subviews_) {
    unsigned long mask = subview->autoresizingMask_;
    if (mask == UIViewAutoresizingNone || !subview->translatesAutoresizingMask_) continue;
    CGRect f = subview->frame_;
    auto share = [](unsigned long m, unsigned long a, unsigned long b, unsigned long c) {
      int count = ((m & a) ? 1 : 0) + ((m & b) ? 1 : 0) + ((m & c) ? 1 : 0);
      return count;
    };
    int horizontal = share(mask, UIViewAutoresizingFlexibleLeftMargin, UIViewAutoresizingFlexibleWidth,
                           UIViewAutoresizingFlexibleRightMargin);
    if (horizontal) {
      CGFloat part = dw / horizontal;
      if (mask & UIViewAutoresizingFlexibleLeftMargin) f.origin.x += part;
      if (mask & UIViewAutoresizingFlexibleWidth) f.size.width += part;
    }
    int vertical = share(mask, UIViewAutoresizingFlexibleTopMargin, UIViewAutoresizingFlexibleHeight,
                         UIViewAutoresizingFlexibleBottomMargin);
    if (vertical) {
      CGFloat part = dh / vertical;
      if (mask & UIViewAutoresizingFlexibleTopMargin) f.origin.y += part;
      if (mask & UIViewAutoresizingFlexibleHeight) f.size.height += part;
    }
    subview->setFrame(f);
  }
}

// ---------------------------------------------------------------------------
// Hierarchy

std::shared_ptr<UIWindow> UIView::window() const {
  for (auto view = superview(); view; view = view->superview())
    if (auto window = std::dynamic_pointer_cast<UIWindow>(view)) return window;
  return nullptr;
}

void UIView::addSubview(const std::shared_ptr<UIView>& view) {
  insertSubview(view, static_cast<long>(subviews_.size()));
}

void UIView::insertSubview(const std::shared_ptr<UIView>& view, long index) {
  if (!view || view.get() == this) return;
  setSuperviewLinks(view, index);
}

void UIView::insertSubviewBelow(const std::shared_ptr<UIView>& view,
                                const std::shared_ptr<UIView>& sibling) {
  auto found = std::find(subviews_.begin(), subviews_.end(), sibling);
  long index = found == subviews_.end() ? 0 : static_cast<long>(found - subviews_.begin());
  if (view && view->superview().get() == this) {
    auto current = std::find(subviews_.begin(), subviews_.end(), view);
    if (current - subviews_.begin() < index) --index;
  }
  insertSubview(view, index);
}

void UIView::insertSubviewAbove(const std::shared_ptr<UIView>& view,
                                const std::shared_ptr<UIView>& sibling) {
  auto found = std::find(subviews_.begin(), subviews_.end(), sibling);
  long index = found == subviews_.end() ? static_cast<long>(subviews_.size())
                                        : static_cast<long>(found - subviews_.begin()) + 1;
  if (view && view->superview().get() == this) {
    auto current = std::find(subviews_.begin(), subviews_.end(), view);
    if (current - subviews_.begin() < index) --index;
  }
  insertSubview(view, index);
}

void UIView::setSuperviewLinks(const std::shared_ptr<UIView>& view, long index) {
  auto self = this->self<UIView>();
  auto oldSuperview = view->superview();
  if (oldSuperview.get() == this) {
    // Reordering among siblings: no move notifications.
    auto current = std::find(subviews_.begin(), subviews_.end(), view);
    subviews_.erase(current);
    index = std::clamp<long>(index, 0, static_cast<long>(subviews_.size()));
    subviews_.insert(subviews_.begin() + index, view);
    return;
  }
  auto oldWindow = view->window();
  auto newWindow = std::dynamic_pointer_cast<UIWindow>(self);
  if (!newWindow) newWindow = window();
  auto oldTint = view->tintColor();

  view->willMoveToSuperview(self);
  if (oldWindow != newWindow) view->notifyMoveToWindow(newWindow, false);
  if (oldSuperview) {
    oldSuperview->willRemoveSubview(view);
    std::erase(oldSuperview->subviews_, view);
  }
  index = std::clamp<long>(index, 0, static_cast<long>(subviews_.size()));
  subviews_.insert(subviews_.begin() + index, view);
  view->superview_ = self;
  didAddSubview(view);
  view->didMoveToSuperview();
  if (oldWindow != newWindow) view->notifyMoveToWindow(newWindow, true);
  if (!UIColorEqual(oldTint, view->tintColor())) view->notifyTintChange();
}

void UIView::removeFromSuperview() {
  auto oldSuperview = superview();
  if (!oldSuperview) return;
  auto keepAlive = self<UIView>();
  auto oldWindow = window();
  auto oldTint = tintColor();
  willMoveToSuperview(nullptr);
  if (oldWindow) notifyMoveToWindow(nullptr, false);
  oldSuperview->willRemoveSubview(keepAlive);
  std::erase(oldSuperview->subviews_, keepAlive);
  superview_.reset();
  didMoveToSuperview();
  if (oldWindow) notifyMoveToWindow(nullptr, true);
  if (!UIColorEqual(oldTint, tintColor())) notifyTintChange();
}

void UIView::notifyMoveToWindow(const std::shared_ptr<UIWindow>& newWindow, bool after) {
  if (after)
    didMoveToWindow();
  else
    willMoveToWindow(newWindow);
  auto subviews = subviews_;
  for (auto& subview : subviews) subview->notifyMoveToWindow(newWindow, after);
}

void UIView::bringSubviewToFront(const std::shared_ptr<UIView>& view) {
  auto found = std::find(subviews_.begin(), subviews_.end(), view);
  if (found == subviews_.end()) return;
  subviews_.erase(found);
  subviews_.push_back(view);
}

void UIView::sendSubviewToBack(const std::shared_ptr<UIView>& view) {
  auto found = std::find(subviews_.begin(), subviews_.end(), view);
  if (found == subviews_.end()) return;
  subviews_.erase(found);
  subviews_.insert(subviews_.begin(), view);
}

bool UIView::isDescendantOfView(const UIView* view) const {
  for (const UIView* current = this; current; current = current->superview_.lock().get())
    if (current == view) return true;
  return false;
}

std::shared_ptr<UIView> UIView::viewWithTag(long tag) {
  if (tag_ == tag) return self<UIView>();
  for (auto& subview : subviews_)
    if (auto found = subview->viewWithTag(tag)) return found;
  return nullptr;
}

// ---------------------------------------------------------------------------
// Look

void UIView::setBackgroundColor(const std::shared_ptr<UIColor>& color) {
  kavro::platform::uikit::recordAnimatableChange(*this, animations_, kavro::platform::uikit::AnimatableProperty::backgroundColor, backgroundColor_, color,
               selfOrNull(*this));
  backgroundColor_ = color;
}

void UIView::setAlpha(CGFloat alpha) {
  kavro::platform::uikit::recordAnimatableChange(*this, animations_, kavro::platform::uikit::AnimatableProperty::alpha, alpha_, alpha, selfOrNull(*this));
  alpha_ = alpha;
}

void UIView::setHidden(bool hidden) { hidden_ = hidden; }

std::shared_ptr<UIColor> UIView::tintColor() const {
  for (const UIView* view = this; view; view = view->superview_.lock().get())
    if (view->tintColor_) return view->tintColor_;
  return UIColor::systemBlueColor();
}

void UIView::setTintColor(const std::shared_ptr<UIColor>& color) {
  auto old = tintColor();
  tintColor_ = color;
  if (!UIColorEqual(old, tintColor())) notifyTintChange();
}

void UIView::notifyTintChange() {
  tintColorDidChange();
  auto subviews = subviews_;
  for (auto& subview : subviews)
    if (!subview->tintColor_) subview->notifyTintChange();
}

std::shared_ptr<UITraitCollection> UIView::traitCollection() const {
  auto appearance = kavro::platform::Process::currentOrNull() ? UITraitCollection::currentTraitCollection()
                                                       : UITraitCollection::traitCollectionWithUserInterfaceStyle(
                                                             UIUserInterfaceStyleLight);
  UIUserInterfaceStyle style = kavro::platform::uikit::ViewInternals::interfaceStyle(*this, appearance->userInterfaceStyle());
  if (style == appearance->userInterfaceStyle()) return appearance;
  return UITraitCollection::traitCollectionWithUserInterfaceStyle(style);
}

// ---------------------------------------------------------------------------
// Touches

std::shared_ptr<UIView> UIView::hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event) {
  if (hidden_ || !userInteractionEnabled_ || alpha_ < 0.01) return nullptr;
  if (!pointInside(point, event)) return nullptr;
  auto subviews = subviews_;
  for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
    CGPoint local = (*it)->convertPointFromView(point, self<UIView>());
    if (auto hit = (*it)->hitTest(local, event)) return hit;
  }
  return self<UIView>();
}

bool UIView::pointInside(CGPoint point, const std::shared_ptr<UIEvent>&) const {
  return CGRectContainsPoint(bounds(), point);
}

void UIView::addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
  if (!recognizer) return;
  if (auto previous = recognizer->view()) previous->removeGestureRecognizer(recognizer);
  gestureRecognizers_.push_back(recognizer);
  kavro::platform::uikit::GestureRecognizerInternals::attach(*recognizer, self<UIView>());
}

void UIView::removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
  auto found = std::find(gestureRecognizers_.begin(), gestureRecognizers_.end(), recognizer);
  if (found == gestureRecognizers_.end()) return;
  gestureRecognizers_.erase(found);
  kavro::platform::uikit::GestureRecognizerInternals::attach(*recognizer, nullptr);
}

std::shared_ptr<UIResponder> UIView::nextResponder() const {
  if (auto controller = viewController_.lock()) return controller;
  return superview();
}

// ---------------------------------------------------------------------------
// Coordinates

namespace {
// The offset that turns the view's own coordinates into window coordinates.
CGPoint originInWindow(const UIView& view) {
  CGPoint origin{0, 0};
  const UIView* current = &view;
  while (current) {
    auto parent = current->superview();
    if (!parent) {
      // The root of the tree: a window's frame places it on the screen, but window
      // coordinates start at the window itself.
      if (!dynamic_cast<const UIWindow*>(current)) {
        origin.x += current->frame().origin.x;
        origin.y += current->frame().origin.y;
      }
      break;
    }
    origin.x += current->frame().origin.x - parent->bounds().origin.x;
    origin.y += current->frame().origin.y - parent->bounds().origin.y;
    current = parent.get();
  }
  return origin;
}
}  // namespace

CGPoint UIView::convertPointToView(CGPoint point, const std::shared_ptr<UIView>& view) const {
  // A point in the view's bounds space is (point - bounds origin) past the view's
  // own origin in the window.
  CGPoint mine = originInWindow(*this);
  CGPoint windowPoint{point.x + mine.x - boundsOrigin_.x, point.y + mine.y - boundsOrigin_.y};
  if (!view) return windowPoint;
  CGPoint theirs = originInWindow(*view);
  return {windowPoint.x - theirs.x + view->boundsOrigin_.x,
          windowPoint.y - theirs.y + view->boundsOrigin_.y};
}

CGPoint UIView::convertPointFromView(CGPoint point, const std::shared_ptr<UIView>& view) const {
  CGPoint windowPoint = view ? view->convertPointToView(point, nullptr) : point;
  CGPoint mine = originInWindow(*this);
  return {windowPoint.x - mine.x + boundsOrigin_.x, windowPoint.y - mine.y + boundsOrigin_.y};
}

CGRect UIView::convertRectToView(CGRect rect, const std::shared_ptr<UIView>& view) const {
  return {convertPointToView(rect.origin, view), rect.size};
}

CGRect UIView::convertRectFromView(CGRect rect, const std::shared_ptr<UIView>& view) const {
  return {convertPointFromView(rect.origin, view), rect.size};
}

CGRect UIView::frameInWindow() const {
  auto parent = superview();
  if (!parent) return dynamic_cast<const UIWindow*>(this) ? CGRect{{0, 0}, frame_.size} : frame_;
  return parent->convertRectToView(frame_, nullptr);
}

// ---------------------------------------------------------------------------
// Layout

void UIView::layoutIfNeeded() {
  // A layout may ask for another (a table whose header changed while it made its
  // cells); a few passes settle it.
  for (int pass = 0; needsLayout_ && pass < 4; ++pass) {
    needsLayout_ = false;
    layoutSubviews();
  }
  auto subviews = subviews_;
  for (auto& subview : subviews) subview->layoutIfNeeded();
}

void UIView::sizeToFit() {
  CGSize size = sizeThatFits(frame_.size);
  setFrame(CGRectMake(frame_.origin.x, frame_.origin.y, size.width, size.height));
}

UIEdgeInsets UIView::safeAreaInsets() const {
  auto window = this->window();
  if (!window) return {};
  UIEdgeInsets screen = window->safeAreaInsets();
  CGRect mine = frameInWindow();
  // The top is also covered by the navigation bar of the page that holds the view.
  CGFloat coveredTop = screen.top;
  for (const UIView* view = this; view; view = view->superview_.lock().get()) {
    if (auto controller = view->viewController_.lock()) {
      coveredTop = std::max(coveredTop, controller->coveredTopInWindow());
      break;
    }
  }
  UIEdgeInsets insets;
  insets.top = std::max(0.0, coveredTop - mine.origin.y);
  insets.bottom = std::max(0.0, CGRectGetMaxY(mine) - (window->bounds().size.height - screen.bottom));
  return insets;
}

void UIView::layoutSubviews() {
  // A controller's view tells its controller around its layout.
  auto controller = viewController_.lock();
  if (controller) controller->viewWillLayoutSubviews();
  kavro::platform::uikit::solveConstraints(*this);
  if (controller) controller->viewDidLayoutSubviews();
}

void UIView::addConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint) {
  if (constraint && std::find(constraints_.begin(), constraints_.end(), constraint) == constraints_.end()) {
    constraints_.push_back(constraint);
    setNeedsLayout();
  }
}

void UIView::removeConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint) {
  std::erase(constraints_, constraint);
  setNeedsLayout();
}

// ---------------------------------------------------------------------------
// Private surface

namespace kavro::platform::uikit {

void ViewInternals::setViewController(UIView& view, const std::shared_ptr<UIViewController>& controller) {
  view.viewController_ = controller;
}

UIUserInterfaceStyle ViewInternals::interfaceStyle(const UIView& view, UIUserInterfaceStyle appearance) {
  for (const UIView* at = &view; at;) {
    if (UIUserInterfaceStyle own = ownStyle(*at); own != UIUserInterfaceStyleUnspecified) return own;
    auto parent = at->superview_.lock();
    at = parent.get();  // the window holds its tree, so the parent outlives this walk
  }
  return appearance;
}

void ViewInternals::propagateTraitChange(UIView& view,
                                         const std::shared_ptr<UITraitCollection>& previous) {
  // A view that fixes its own style keeps it, and so does everything under it.
  if (ownStyle(view) != UIUserInterfaceStyleUnspecified) return;
  view.traitCollectionDidChange(previous);
  auto subviews = view.subviews_;
  for (auto& subview : subviews) propagateTraitChange(*subview, previous);
}

void ViewInternals::layoutTree(UIView& view) { view.layoutIfNeeded(); }

}  // namespace kavro::platform::uikit
