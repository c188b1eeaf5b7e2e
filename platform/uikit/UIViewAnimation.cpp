#include "platform/uikit/UIViewAnimationPrivate.h"

#include "platform/device/Device.h"
#include "platform/device/Process.h"
#include "platform/uikit/UIViewPrivate.h"

#include <algorithm>
#include <cmath>

// UIView's block animations on the process's virtual clock.
//
// An animation block opens a group. Each animatable property set inside the block
// becomes a property animation from the value on screen at that moment to the new
// model value. The group's completion is queued on the run loop for the moment its
// animations end, when it is set up, so completions run in order of end time and
// then of creation. A group that animates nothing completes at the next turn; a
// group whose every animation is cut short (by a set of the same property outside
// any animation) completes at the next turn with finished = false.

namespace kavro::platform::uikit {

namespace {

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

namespace {

AnimatableValue presentationValue(const UIView& view, AnimatableProperty property, const AnimatableValue& model,
                                  const UIView::Animations* animations);

}  // namespace

void recordAnimatableChange(UIView& view, std::unique_ptr<UIView::Animations>& animations,
                            AnimatableProperty property, const AnimatableValue& oldModel,
                            const AnimatableValue& newModel, const std::shared_ptr<UIView>& self) {
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
  if (property == AnimatableProperty::backgroundColor) {
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

AnimatableValue presentationValue(const UIView& view, AnimatableProperty property, const AnimatableValue& model,
                                  const UIView::Animations* animations) {
  if (!animations) return model;
  const PropertyAnimation* animation = animations->latest(property);
  if (!animation) return model;
  double f = animations->progress(*animation);
  switch (property) {
    case AnimatableProperty::frame: {
      auto a = std::get<CGRect>(animation->from), b = std::get<CGRect>(animation->to);
      return CGRectMake(lerp(a.origin.x, b.origin.x, f), lerp(a.origin.y, b.origin.y, f),
                        lerp(a.size.width, b.size.width, f), lerp(a.size.height, b.size.height, f));
    }
    case AnimatableProperty::boundsOrigin: {
      auto a = std::get<CGPoint>(animation->from), b = std::get<CGPoint>(animation->to);
      return CGPointMake(lerp(a.x, b.x, f), lerp(a.y, b.y, f));
    }
    case AnimatableProperty::alpha:
      return lerp(std::get<CGFloat>(animation->from), std::get<CGFloat>(animation->to), f);
    case AnimatableProperty::backgroundColor: return model;  // colours are interpolated per appearance
  }
  return model;
}

}  // namespace

}  // namespace kavro::platform::uikit

// UIView's members below use the engine above.
using namespace kavro::platform::uikit;

void UIView::Animations::prune() {
  double time = now();
  std::erase_if(running, [time](const PropertyAnimation& a) {
    return time >= a.group->begin + a.group->duration && a.group->completed;
  });
}

const PropertyAnimation* UIView::Animations::latest(AnimatableProperty property) const {
  for (auto it = running.rbegin(); it != running.rend(); ++it)
    if (it->property == property) return &*it;
  return nullptr;
}

double UIView::Animations::progress(const PropertyAnimation& animation) const {
  const AnimationGroup& group = *animation.group;
  double time = now();
  if (group.duration <= 0) return time >= group.begin ? 1 : 0;
  if (time <= group.begin) return 0;
  if (time >= group.begin + group.duration) return 1;
  return curveValue(group.options, (time - group.begin) / group.duration);
}

void UIView::Animations::cut(AnimatableProperty property) {
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

void UIView::Animations::supersede(AnimatableProperty property) {
  std::erase_if(running, [&](const PropertyAnimation& a) {
    if (a.property != property) return false;
    --a.group->attached;
    return true;
  });
}

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

namespace kavro::platform::uikit {

CGRect ViewInternals::presentationFrame(const UIView& view) {
  return std::get<CGRect>(presentationValue(view, AnimatableProperty::frame, view.frame_, view.animations_.get()));
}

CGPoint ViewInternals::presentationBoundsOrigin(const UIView& view) {
  return std::get<CGPoint>(
      presentationValue(view, AnimatableProperty::boundsOrigin, view.boundsOrigin_, view.animations_.get()));
}

CGFloat ViewInternals::presentationAlpha(const UIView& view) {
  return std::get<CGFloat>(presentationValue(view, AnimatableProperty::alpha, view.alpha_, view.animations_.get()));
}

std::optional<UIColor::RGBA> ViewInternals::presentationBackgroundColor(const UIView& view,
                                                                        UIUserInterfaceStyle style) {
  auto resolve = [style](const std::shared_ptr<UIColor>& color) -> std::optional<UIColor::RGBA> {
    if (!color) return std::nullopt;
    return color->rgba(style);
  };
  auto model = resolve(view.backgroundColor_);
  if (!view.animations_) return model;
  const PropertyAnimation* animation = view.animations_->latest(AnimatableProperty::backgroundColor);
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

}  // namespace kavro::platform::uikit
