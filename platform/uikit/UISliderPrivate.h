#pragma once
// What only the stand-in and its front ends use of a slider: the views it draws
// with and the state of the finger that drags it.

#include "platform/uikit/UISlider.h"

namespace kavro::platform::uikit {

struct SliderTracking {
  // From the thumb's centre to the finger, kept while it drags.
  CGFloat grabOffset = 0;
  double valueAtStart = 0;
};

struct SliderInternals {
  static std::shared_ptr<UIView> thumbView(const UISlider& slider) { return slider.thumb_; }
  static std::shared_ptr<UIView> minimumTrackView(const UISlider& slider) { return slider.minimumTrack_; }
  static std::shared_ptr<UIView> maximumTrackView(const UISlider& slider) { return slider.maximumTrack_; }
  // Whether a finger is dragging the thumb now.
  static bool isDragging(const UISlider& slider) { return slider.tracking_ != nullptr; }
};

}  // namespace kavro::platform::uikit
