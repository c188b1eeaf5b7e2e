#pragma once
// A row of segments with titles, at most one of them selected. A finger that lifts
// on a segment other than the selected one selects it and reports the change
// (value changed); selections made by code are not reported.

#include "platform/uikit/UIControl.h"

#include <memory>
#include <string>
#include <vector>

class UILabel;
namespace kavro::platform::uikit {
struct SegmentedControlInternals;
}

inline constexpr long UISegmentedControlNoSegment = -1;

class UISegmentedControl : public UIControl {
  KAVRO_OBJC_CLASS(UISegmentedControl)
 public:
  static constexpr CGFloat kHeight = 32;

  // Segments with `items` as titles, none selected, as wide as the titles need.
  std::shared_ptr<UISegmentedControl> initWithItems(const std::vector<std::string>& items);

  long numberOfSegments() const { return static_cast<long>(titles_.size()); }
  // The title of a segment; empty for a segment the control does not have.
  std::string titleForSegmentAtIndex(long segment) const;
  void setTitle(const std::string& title, long segment);
  // Inserts a segment before `segment` (at the end when past it).
  void insertSegmentWithTitle(const std::string& title, long segment, bool animated);
  void removeAllSegments();

  long selectedSegmentIndex() const { return selected_; }
  // An index the control does not have selects nothing.
  void setSelectedSegmentIndex(long segment);

  // The segment under a point of the control's bounds, or UISegmentedControlNoSegment.
  long segmentAtPoint(CGPoint point) const;

  void layoutSubviews() override;
  CGSize sizeThatFits(CGSize size) const override;
  void setEnabled(bool enabled) override;
  void endTrackingWithTouch(const std::shared_ptr<UITouch>& touch, const std::shared_ptr<UIEvent>& event) override;

  // Accessibility: read as its selected title.
  bool isAccessibilityElement() const override;
  std::string accessibilityValue() const override;

 private:
  friend struct kavro::platform::uikit::SegmentedControlInternals;
  void rebuildLabels();
  CGFloat segmentWidth() const;

  std::vector<std::string> titles_;
  long selected_ = UISegmentedControlNoSegment;
  std::shared_ptr<UIView> indicator_;
  std::vector<std::shared_ptr<UILabel>> labels_;
  std::vector<std::shared_ptr<UIView>> separators_;
};
