#include "platform/uikit/UILabel.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UILabelPrivate.h"

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
  return wrappedLines(width, static_cast<std::size_t>(numberOfLines_));
}

std::vector<std::string> UILabel::wrappedLines(CGFloat width, std::size_t limit) const {
  std::vector<std::string> lines;
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

namespace kavro::platform::uikit {

namespace {

using LabelLine = LabelInternals::Line;

// Past the line limit the rest of the text joins the last line shown, its lines
// separated by a space; whether any text did.
bool joinLinesPastLimit(std::vector<std::string>& lines, std::size_t limit) {
  if (limit == 0 || lines.size() <= limit) return false;
  std::string& last = lines[limit - 1];
  bool joined = false;
  for (std::size_t i = limit; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    if (!last.empty()) last += ' ';
    last += lines[i];
    joined = true;
  }
  lines.resize(limit);
  return joined;
}

bool joinLinesPastLimit(std::vector<LabelLine>& lines, std::size_t limit) {
  if (limit == 0 || lines.size() <= limit) return false;
  LabelLine& last = lines[limit - 1];
  bool joined = false;
  for (std::size_t i = limit; i < lines.size(); ++i) {
    if (lines[i].runs.empty()) continue;
    if (!last.runs.empty()) last.runs.back().text += ' ';
    for (auto& run : lines[i].runs) last.runs.push_back(std::move(run));
    joined = true;
  }
  lines.resize(limit);
  return joined;
}

template <class Value>
std::shared_ptr<Value> attributeOf(const NSAttributedString::Run& run, const char* name,
                                   const std::shared_ptr<Value>& fallback) {
  auto found = run.attributes.find(name);
  auto value = found == run.attributes.end() ? nullptr : std::dynamic_pointer_cast<Value>(found->second);
  return value ? value : fallback;
}

// Attributed text in the lines of its own line breaks, each part of a run in the
// run's font and colour (the label's where the run sets none).
std::vector<LabelLine> attributedLines(const UILabel& label) {
  std::vector<LabelLine> lines(1);
  const std::string& text = label.attributedText()->string();
  for (auto& run : label.attributedText()->runs()) {
    auto font = attributeOf<UIFont>(run, NSFontAttributeName, label.font());
    auto color = attributeOf<UIColor>(run, NSForegroundColorAttributeName, label.currentTextColor());
    std::string_view piece(text.data() + run.range.location, run.range.length);
    for (std::size_t start = 0;;) {
      std::size_t newline = piece.find('\n', start);
      std::string_view part = piece.substr(start, newline == std::string_view::npos ? newline : newline - start);
      if (!part.empty()) lines.back().runs.push_back({std::string(part), font, color});
      if (newline == std::string_view::npos) break;
      lines.emplace_back();
      start = newline + 1;
    }
  }
  return lines;
}

}  // namespace

LabelInternals::Layout LabelInternals::layout(const UILabel& label, CGFloat width) {
  Layout layout;
  if (label.text().empty()) return layout;
  const auto limit = static_cast<std::size_t>(label.numberOfLines());
  if (label.attributedText()) {
    layout.attributed = true;
    layout.lines = attributedLines(label);
    layout.truncated = joinLinesPastLimit(layout.lines, limit);
  } else {
    std::vector<std::string> lines = label.wrappedLines(width, 0);
    layout.truncated = joinLinesPastLimit(lines, limit);
    // A single line may be too long for the label too (one word wider than it).
    if (limit == 1 && lines.size() == 1 && label.font()->widthOfText(lines[0]) > width + 0.5) layout.truncated = true;
    for (auto& line : lines) layout.lines.push_back({{{std::move(line), label.font(), label.currentTextColor()}}, 0});
  }
  for (auto& line : layout.lines) {
    line.height = label.font()->lineHeight();
    for (auto& run : line.runs) line.height = std::max(line.height, run.font->lineHeight());
  }
  return layout;
}

}  // namespace kavro::platform::uikit
