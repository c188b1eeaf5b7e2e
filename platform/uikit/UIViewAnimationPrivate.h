#pragma once
// The engine under UIView's block animations, as the stand-in's own sources use
// it: the records of running animations, and the call with which a property setter
// reports a change. Only UIView.cpp and UIViewAnimation.cpp include this.

#include "platform/device/RunLoop.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIView.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace kavro::platform::uikit {

// The properties a block animation changes.
enum class AnimatableProperty { frame, boundsOrigin, alpha, backgroundColor };

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

using AnimatableColor = std::optional<UIColor::RGBA>;
using AnimatableValue = std::variant<CGRect, CGPoint, CGFloat, std::shared_ptr<UIColor>>;

struct PropertyAnimation {
  AnimatableProperty property;
  AnimatableValue from;  // what was on screen when the animation was made
  AnimatableValue to;
  std::shared_ptr<AnimationGroup> group;
  // For colours: the drawn colour at creation, resolved then for both appearances.
  AnimatableColor fromLight, fromDark;
};

// Records a change of an animatable property: inside an animation block it becomes
// an animation from the value on screen, outside one it cuts running ones short.
void recordAnimatableChange(UIView& view, std::unique_ptr<UIView::Animations>& animations,
                            AnimatableProperty property, const AnimatableValue& oldModel,
                            const AnimatableValue& newModel, const std::shared_ptr<UIView>& self);

}  // namespace kavro::platform::uikit

// A view's running animations, newest last.
struct UIView::Animations {
  std::vector<kavro::platform::uikit::PropertyAnimation> running;

  // Drops animations that have ended; they no longer change what is drawn.
  void prune();
  const kavro::platform::uikit::PropertyAnimation* latest(kavro::platform::uikit::AnimatableProperty property) const;
  double progress(const kavro::platform::uikit::PropertyAnimation& animation) const;
  // A property set outside any animation: its running animations are cut short.
  void cut(kavro::platform::uikit::AnimatableProperty property);
  // A newer animation of the same property takes over what is drawn; the older one
  // still completes at its own end.
  void supersede(kavro::platform::uikit::AnimatableProperty property);
};
