#pragma once
// A label: plain or attributed text in a font and colour, aligned, on one or more
// lines (0 means as many as needed).

#include "platform/foundation/NSAttributedString.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIView.h"

#include <memory>
#include <string>
#include <vector>

namespace kavro::platform::uikit {
struct LabelInternals;
}

enum NSTextAlignment : long {
  NSTextAlignmentLeft = 0,
  NSTextAlignmentCenter = 1,
  NSTextAlignmentRight = 2,
  NSTextAlignmentJustified = 3,
  NSTextAlignmentNatural = 4,
};

class UILabel : public UIView {
  KAVRO_OBJC_CLASS(UILabel)
 public:
  UILabel();
  std::shared_ptr<UILabel> initWithFrame(CGRect frame) {
    UIView::initWithFrame(frame);
    return self<UILabel>();
  }

  const std::string& text() const { return text_; }
  void setText(const std::string& text);

  // Accessibility: static text, read as it shows.
  bool isAccessibilityElement() const override;
  std::string accessibilityLabel() const override;
  UIAccessibilityTraits accessibilityTraits() const override;
  std::shared_ptr<NSAttributedString> attributedText() const { return attributedText_; }
  void setAttributedText(const std::shared_ptr<NSAttributedString>& text);
  std::shared_ptr<UIFont> font() const { return font_; }
  void setFont(const std::shared_ptr<UIFont>& font);
  std::shared_ptr<UIColor> textColor() const { return textColor_; }
  void setTextColor(const std::shared_ptr<UIColor>& color);
  std::shared_ptr<UIColor> highlightedTextColor() const { return highlightedTextColor_; }
  void setHighlightedTextColor(const std::shared_ptr<UIColor>& color) { highlightedTextColor_ = color; }
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
  NSTextAlignment textAlignment() const { return textAlignment_; }
  void setTextAlignment(NSTextAlignment alignment) { textAlignment_ = alignment; }
  long numberOfLines() const { return numberOfLines_; }
  void setNumberOfLines(long lines);

  // The colour the text is drawn in now (highlighted or not).
  std::shared_ptr<UIColor> currentTextColor() const;
  // The text broken into the lines drawn within `width`, after the line limit.
  std::vector<std::string> linesForWidth(CGFloat width) const;

  CGSize sizeThatFits(CGSize size) const override;
  CGSize intrinsicContentSize() const override;

 private:
  friend struct kavro::platform::uikit::LabelInternals;
  // The text broken into lines within `width`: at most `limit` of them (0: all).
  std::vector<std::string> wrappedLines(CGFloat width, std::size_t limit) const;

  std::string text_;
  std::shared_ptr<NSAttributedString> attributedText_;
  std::shared_ptr<UIFont> font_;
  std::shared_ptr<UIColor> textColor_;
  std::shared_ptr<UIColor> highlightedTextColor_;
  bool highlighted_ = false;
  NSTextAlignment textAlignment_ = NSTextAlignmentNatural;
  long numberOfLines_ = 1;
};
