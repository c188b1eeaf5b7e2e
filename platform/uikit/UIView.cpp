#include "platform/uikit/UIView.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIGestureRecognizerPrivate.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewPrivate.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <variant>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIView, UIResponder, )

// ---------------------------------------------------------------------------
// Animations
//
// An animation block opens a group. Each animatable property set inside the block
// becomes a property animation from the value on screen at that moment to the new
// model value. The group's completion is queued on the run loop for the moment its
// animations end, when it is set up, so completions run in order of end time and
// then of creation. A group that animates nothing completes at the next turn; a
// group whose every animation is cut short (by a set of the same property outside
// any animation) completes at the next turn with finished = false.

namespace {

enum class Property { frame, boundsOrigin, alpha, backgroundColor };

struct AnimationGroup {
  double begin = 0;  // start time, after the delay
  double duration = 0;
  unsigned long options = 0;
  std::function<void(bool)> completion;
  int attached = 0;  // property animations still driving a view
  bool cutShort = false;
  bool completed = false;
  kavro::platform::RunLoop::Handle completionHandle = 0;
  std::uint64_t completionGeneration = 0;  // which queued completion is the live one
  std::vector<std::shared_ptr<UIView>> views;  // pending blocks hold their views
};

using ColorValue = std::optional<UIColor::RGBA>;
using Value = std::variant<CGRect, CGPoint, CGFloat, std::shared_ptr<UIColor>>;

struct PropertyAnimation {
  Property property;
  Value from;  // what was on screen when the animation was made
  Value to;
  std::shared_ptr<AnimationGroup> group;
  // For colours: the drawn colour at creation, resolved then for both appearances.
  ColorValue fromLight, fromDark;
};

struct AnimationContext {
  std::shared_ptr<AnimationGroup> group;
  bool enabled = true;
};

std::vector<AnimationContext>& contextStack() {
  static std::vector<AnimationContext> stack;
  return stack;
}

AnimationGroup* currentGroup() {
  auto& stack = contextStack();
  if (stack.empty() || !stack.back().enabled) return nullptr;
  return stack.back().group.get();
}

double now() { return kavro::platform::Device::current().now(); }

// Cubic Bézier timing curves through (0,0), (x1,y1), (x2,y2), (1,1).
double bezier(double x1, double y1, double x2, double y2, double progress) {
  auto sample = [](double a1, double a2, double t) {
    double u = 1 - t;
    return 3 * u * u * t * a1 + 3 * u * t * t * a2 + t * t * t;
  };
  double low = 0, high = 1, t = progress;
  for (int i = 0; i < 60; ++i) {
    t = (low + high) / 2;
    if (sample(x1, x2, t) < progress)
      low = t;
    else
      high = t;
  }
  return sample(y1, y2, t);
}

double curveValue(unsigned long options, double progress) {
  progress = std::clamp(progress, 0.0, 1.0);
  switch (options & (3ul << 16)) {
    case UIViewAnimationOptionCurveEaseIn: return bezier(0.42, 0, 1, 1, progress);
    case UIViewAnimationOptionCurveEaseOut: return bezier(0, 0, 0.58, 1, progress);
    case UIViewAnimationOptionCurveLinear: return progress;
    default: return bezier(0.42, 0, 0.58, 1, progress);
  }
}

double lerp(double a, double b, double f) { return a + (b - a) * f; }

// The queued completion of a group. If the run loop discards it unrun (the process
// ends first), it lets go of the views and the completion block: the views' running
// animations refer back to the group, so that cycle would otherwise never be freed.
struct QueuedCompletion {
  QueuedCompletion(std::shared_ptr<AnimationGroup> group, std::uint64_t generation)
      : group(std::move(group)), generation(generation) {}
  QueuedCompletion(const QueuedCompletion&) = delete;
  QueuedCompletion& operator=(const QueuedCompletion&) = delete;
  std::shared_ptr<AnimationGroup> group;
  std::uint64_t generation;
  ~QueuedCompletion() {
    if (group->completed || group->completionGeneration != generation) return;
    group->views.clear();
    group->completion = nullptr;
  }
};

void scheduleCompletion(const std::shared_ptr<AnimationGroup>& group, double time, bool finished) {
  auto& runLoop = kavro::platform::Process::current().mainRunLoop();
  // A rescheduled completion replaces the queued one, which must then release nothing.
  auto queued = std::make_shared<QueuedCompletion>(group, ++group->completionGeneration);
  if (group->completionHandle) runLoop.cancel(group->completionHandle);
  group->completionHandle = runLoop.schedule(time, [queued, finished] {
    auto& group = queued->group;
    if (group->completed) return;
    group->completed = true;
    group->completionHandle = 0;
    auto completion = std::move(group->completion);
    // Finished only if none of the group's animations was cut short.
    if (completion) completion(finished && !group->cutShort);
    group->views.clear();
  });
}

}  // namespace

struct UIView::Animations {
  std::vector<PropertyAnimation> running;

  // Drops animations that have ended; they no longer change what is drawn.
  void prune() {
    double time = now();
    std::erase_if(running, [time](const PropertyAnimation& a) {
      return time >= a.group->begin + a.group->duration && a.group->completed;
    });
  }

  const PropertyAnimation* latest(Property property) const {
    for (auto it = running.rbegin(); it != running.rend(); ++it)
      if (it->property == property) return &*it;
    return nullptr;
  }

  double progress(const PropertyAnimation& animation) const {
    const AnimationGroup& group = *animation.group;
    double time = now();
    if (group.duration <= 0) return time >= group.begin ? 1 : 0;
    if (time <= group.begin) return 0;
    if (time >= group.begin + group.duration) return 1;
    return curveValue(group.options, (time - group.begin) / group.duration);
  }

  // A property set outside any animation: its running animations are cut short.
  void cut(Property property) {
    for (auto it = running.begin(); it != running.end();) {
      if (it->property != property) {
        ++it;
        continue;
      }
      auto group = it->group;
      it = running.erase(it);
      if (group->completed) continue;
      group->cutShort = true;
      if (--group->attached == 0) scheduleCompletion(group, now(), false);
    }
  }

  // A newer animation of the same property takes over what is drawn; the older one
  // still completes at its own end.
  void supersede(Property property) {
    std::erase_if(running, [&](const PropertyAnimation& a) {
      if (a.property != property) return false;
      --a.group->attached;
      return true;
    });
  }
};

namespace {

Value presentationValue(const UIView& view, Property property, const Value& model,
                        const UIView::Animations* animations);

}  // namespace

// Records a change of an animatable property: inside an animation block it becomes
// an animation from the value on screen, outside one it cuts running ones short.
static void recordChange(UIView& view, std::unique_ptr<UIView::Animations>& animations,
                         Property property, const Value& oldModel, const Value& newModel,
                         const std::shared_ptr<UIView>& self) {
  AnimationGroup* group = currentGroup();
  if (!group) {
    if (animations) animations->cut(property);
    return;
  }
  if (!animations) animations = std::make_unique<UIView::Animations>();
  animations->prune();
  PropertyAnimation animation;
  animation.property = property;
  animation.to = newModel;
  if (property == Property::backgroundColor) {
    animation.fromLight = kavro::platform::uikit::ViewInternals::presentationBackgroundColor(
        view, UIUserInterfaceStyleLight);
    animation.fromDark = kavro::platform::uikit::ViewInternals::presentationBackgroundColor(
        view, UIUserInterfaceStyleDark);
    animation.from = oldModel;
  } else {
    animation.from = presentationValue(view, property, oldModel, animations.get());
  }
  animations->supersede(property);
  auto& stack = contextStack();
  animation.group = stack.back().group;
  ++animation.group->attached;
  if (self &&
      std::find(animation.group->views.begin(), animation.group->views.end(), self) ==
          animation.group->views.end())
    animation.group->views.push_back(self);
  animations->running.push_back(std::move(animation));
}

namespace {

Value presentationValue(const UIView& view, Property property, const Value& model,
                        const UIView::Animations* animations) {
  if (!animations) return model;
  const PropertyAnimation* animation = animations->latest(property);
  if (!animation) return model;
  double f = animations->progress(*animation);
  switch (property) {
    case Property::frame: {
      auto a = std::get<CGRect>(animation->from), b = std::get<CGRect>(animation->to);
      return CGRectMake(lerp(a.origin.x, b.origin.x, f), lerp(a.origin.y, b.origin.y, f),
                        lerp(a.size.width, b.size.width, f), lerp(a.size.height, b.size.height, f));
    }
    case Property::boundsOrigin: {
      auto a = std::get<CGPoint>(animation->from), b = std::get<CGPoint>(animation->to);
      return CGPointMake(lerp(a.x, b.x, f), lerp(a.y, b.y, f));
    }
    case Property::alpha:
      return lerp(std::get<CGFloat>(animation->from), std::get<CGFloat>(animation->to), f);
    case Property::backgroundColor: return model;  // colours are interpolated per appearance
  }
  return model;
}

}  // namespace

void UIView::animateWithDuration(double duration, double delay, unsigned long options,
                                 const std::function<void()>& animations,
                                 std::function<void(bool)> completion) {
  auto group = std::make_shared<AnimationGroup>();
  group->begin = now() + std::max(0.0, delay);
  group->duration = std::max(0.0, duration);
  group->options = options;
  group->completion = std::move(completion);
  // The set-up itself counts as one pending animation, so that nothing can complete
  // the group while its block runs.
  group->attached = 1;
  contextStack().push_back({group, true});
  if (animations) animations();
  contextStack().pop_back();
  --group->attached;
  if (group->completed) return;
  if (group->attached == 0 && group->cutShort)
    scheduleCompletion(group, now(), false);
  else if (group->attached == 0 && group->views.empty())
    scheduleCompletion(group, now(), true);
  else
    scheduleCompletion(group, group->begin + group->duration, true);
}

void UIView::animateWithDuration(double duration, const std::function<void()>& animations,
                                 std::function<void(bool)> completion) {
  animateWithDuration(duration, 0, 0, animations, std::move(completion));
}

void UIView::animateWithDuration(double duration, const std::function<void()>& animations) {
  animateWithDuration(duration, 0, 0, animations, nullptr);
}

void UIView::performWithoutAnimation(const std::function<void()>& actions) {
  contextStack().push_back({nullptr, false});
  if (actions) actions();
  contextStack().pop_back();
}

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
  recordChange(*this, animations_, Property::frame, old, frame, selfOrNull(*this));
  frame_ = frame;
  if (old.size != frame.size) {
    setNeedsLayout();
    resizeSubviewsForAutoresizing(old.size);
  }
}

void UIView::setBounds(CGRect bounds) {
  CGPoint oldOrigin = boundsOrigin_;
  if (oldOrigin != bounds.origin)
    recordChange(*this, animations_, Property::boundsOrigin, oldOrigin, bounds.origin,
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
  recordChange(*this, animations_, Property::backgroundColor, backgroundColor_, color,
               selfOrNull(*this));
  backgroundColor_ = color;
}

void UIView::setAlpha(CGFloat alpha) {
  recordChange(*this, animations_, Property::alpha, alpha_, alpha, selfOrNull(*this));
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

CGRect ViewInternals::presentationFrame(const UIView& view) {
  return std::get<CGRect>(presentationValue(view, Property::frame, view.frame_, view.animations_.get()));
}

CGPoint ViewInternals::presentationBoundsOrigin(const UIView& view) {
  return std::get<CGPoint>(
      presentationValue(view, Property::boundsOrigin, view.boundsOrigin_, view.animations_.get()));
}

CGFloat ViewInternals::presentationAlpha(const UIView& view) {
  return std::get<CGFloat>(presentationValue(view, Property::alpha, view.alpha_, view.animations_.get()));
}

std::optional<UIColor::RGBA> ViewInternals::presentationBackgroundColor(const UIView& view,
                                                                        UIUserInterfaceStyle style) {
  auto resolve = [style](const std::shared_ptr<UIColor>& color) -> std::optional<UIColor::RGBA> {
    if (!color) return std::nullopt;
    return color->rgba(style);
  };
  auto model = resolve(view.backgroundColor_);
  if (!view.animations_) return model;
  const PropertyAnimation* animation = view.animations_->latest(Property::backgroundColor);
  if (!animation) return model;
  double f = view.animations_->progress(*animation);
  auto from = style == UIUserInterfaceStyleDark ? animation->fromDark : animation->fromLight;
  auto to = resolve(std::get<std::shared_ptr<UIColor>>(animation->to));
  if (!from && !to) return std::nullopt;
  // A missing colour fades as the other colour made transparent.
  UIColor::RGBA a = from ? *from : UIColor::RGBA{to->red, to->green, to->blue, 0};
  UIColor::RGBA b = to ? *to : UIColor::RGBA{a.red, a.green, a.blue, 0};
  return UIColor::RGBA{lerp(a.red, b.red, f), lerp(a.green, b.green, f), lerp(a.blue, b.blue, f),
                       lerp(a.alpha, b.alpha, f)};
}

bool ViewInternals::isAnimating(const UIView& view) {
  if (!view.animations_) return false;
  double time = now();
  for (auto& animation : view.animations_->running)
    if (time < animation.group->begin + animation.group->duration) return true;
  return false;
}

double ViewInternals::animationsEndTime(const UIView& view) {
  double end = now();
  if (!view.animations_) return end;
  for (auto& animation : view.animations_->running)
    end = std::max(end, animation.group->begin + animation.group->duration);
  return end;
}

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
