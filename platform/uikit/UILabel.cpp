#include "platform/uikit/UILabel.h"

#include "platform/objc/Class.h"

#include <algorithm>
#include <string_view>

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

namespace {

// The white space that separates words (a line break ends a paragraph instead).
bool separatesWords(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

std::vector<std::string> UILabel::linesForWidth(CGFloat width) const {
  std::vector<std::string> lines;
  const auto limit = static_cast<std::size_t>(numberOfLines_);
  // Each paragraph (text up to a line break) is wrapped greedily: words fill a line
  // until the next one would pass the width; a word wider than that stands alone.
  for (std::size_t start = 0; start < text_.size() && (limit == 0 || lines.size() < limit);) {
    std::size_t end = std::min(text_.find('\n', start), text_.size());
    std::string line;
    for (std::size_t at = start; at < end;) {
      while (at < end && separatesWords(text_[at])) ++at;
      if (at == end) break;
      std::size_t wordEnd = at;
      while (wordEnd < end && !separatesWords(text_[wordEnd])) ++wordEnd;
      std::string_view word(text_.data() + at, wordEnd - at);
      std::string candidate = line.empty() ? std::string(word) : line + " " + std::string(word);
      if (!line.empty() && font_->widthOfText(candidate) > width) {
        lines.push_back(std::move(line));
        line = word;
      } else {
        line = std::move(candidate);
      }
      at = wordEnd;
    }
    lines.push_back(std::move(line));
    start = end + 1;
  }
  if (limit > 0 && lines.size() > limit) lines.resize(limit);
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
