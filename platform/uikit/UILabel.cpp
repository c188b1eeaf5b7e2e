#include "platform/uikit/UILabel.h"

#include "platform/objc/Class.h"

#include <algorithm>
#include <sstream>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UILabel, UIView, )

UILabel::UILabel()
    : font_(UIFont::systemFontOfSize(17)), textColor_(UIColor::labelColor()) {
  setUserInteractionEnabled(false);
}

void UILabel::setText(const std::string& text) {
  text_ = text;
  attributedText_ = nullptr;
  setNeedsLayout();
}

void UILabel::setAttributedText(const std::shared_ptr<NSAttributedString>& text) {
  attributedText_ = text;
  text_ = text ? text->string() : std::string();
  setNeedsLayout();
}

void UILabel::setFont(const std::shared_ptr<UIFont>& font) {
  font_ = font ? font : UIFont::systemFontOfSize(17);
}

void UILabel::setTextColor(const std::shared_ptr<UIColor>& color) {
  textColor_ = color ? color : UIColor::labelColor();
}

void UILabel::setNumberOfLines(long lines) { numberOfLines_ = std::max(0L, lines); }

std::shared_ptr<UIColor> UILabel::currentTextColor() const {
  if (highlighted_ && highlightedTextColor_) return highlightedTextColor_;
  return textColor_;
}

std::vector<std::string> UILabel::linesForWidth(CGFloat width) const {
  std::vector<std::string> lines;
  std::istringstream paragraphs(text_);
  std::string paragraph;
  while (std::getline(paragraphs, paragraph)) {
    // Greedy word wrap within the width.
    std::istringstream words(paragraph);
    std::string word, line;
    while (words >> word) {
      std::string candidate = line.empty() ? word : line + " " + word;
      if (!line.empty() && font_->widthOfText(candidate) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
    }
    lines.push_back(line);
  }
  if (numberOfLines_ > 0 && static_cast<long>(lines.size()) > numberOfLines_)
    lines.resize(static_cast<std::size_t>(numberOfLines_));
  return lines;
}

CGSize UILabel::sizeThatFits(CGSize size) const {
  CGFloat limit = size.width > 0 ? size.width : 1e9;
  auto lines = linesForWidth(limit);
  CGFloat widest = 0;
  for (auto& line : lines) widest = std::max(widest, font_->widthOfText(line));
  if (text_.empty()) return {0, 0};
  return {std::min(widest, limit), font_->lineHeight() * static_cast<CGFloat>(lines.size())};
}

CGSize UILabel::intrinsicContentSize() const { return sizeThatFits({0, 0}); }

bool UILabel::isAccessibilityElement() const { return explicitAccessibilityElement().value_or(!text_.empty()); }

std::string UILabel::accessibilityLabel() const { return explicitAccessibilityLabel().value_or(text_); }

UIAccessibilityTraits UILabel::accessibilityTraits() const {
  return explicitAccessibilityTraits().value_or(UIAccessibilityTraitStaticText);
}
