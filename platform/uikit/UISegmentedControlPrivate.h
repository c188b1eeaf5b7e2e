#pragma once
// What only the stand-in and its front ends use of a segmented control: the views
// it draws with.

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UISegmentedControl.h"

namespace kavro::platform::uikit {

struct SegmentedControlInternals {
  // The rounded plate behind the selected segment.
  static std::shared_ptr<UIView> selectionIndicator(const UISegmentedControl& control) { return control.indicator_; }
  static const std::vector<std::shared_ptr<UILabel>>& segmentLabels(const UISegmentedControl& control) {
    return control.labels_;
  }
};

}  // namespace kavro::platform::uikit
