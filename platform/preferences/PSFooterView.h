#pragma once
// The footer a list controller gives a group with "footerText": the text in a
// multi-line 13-point label in the secondary label colour, kept clear of the
// section's sides.

#include "platform/foundation/PlistValue.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"

#include <memory>
#include <string>

class PSFooterView : public UIView {
  KAVRO_OBJC_CLASS(PSFooterView)
 public:
  static constexpr CGFloat kFontSize = 13;
  // Between the section's sides and the text.
  static constexpr CGFloat kSideMargin = 20;
  // Above and below the text.
  static constexpr CGFloat kTopPadding = 6;
  static constexpr CGFloat kBottomPadding = 10;

  // A footer `width` points wide (the section's width) showing `text`.
  std::shared_ptr<PSFooterView> initWithText(const std::string& text, CGFloat width);
  std::shared_ptr<PSFooterView> initWithText(const std::string& text, CGFloat width, NSTextAlignment alignment);

  std::shared_ptr<UILabel> textLabel() const { return label_; }
  // A group's "footerAlignment": a number (0 left, 1 centre, 2 right, 3 justified,
  // 4 natural; reals rounded), or a string holding one or naming it ("center",
  // "centre", "left", "right", any case). Anything else is the natural alignment.
  static NSTextAlignment alignmentFromValue(const PlistValue& value);
  // The height a footer `width` points wide needs for `text`.
  static CGFloat heightForText(const std::string& text, CGFloat width);

  CGSize sizeThatFits(CGSize size) const override;
  void layoutSubviews() override;

 private:
  static std::shared_ptr<UILabel> makeLabel(const std::string& text);
  std::shared_ptr<UILabel> label_;
};
