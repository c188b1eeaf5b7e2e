#include "platform/foundation/NSAttributedString.h"

#include "platform/objc/Class.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(NSAttributedString, NSObject, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(NSMutableAttributedString, NSAttributedString, )

NSRange NSStringRangeOfString(const std::string& text, const std::string& needle) {
  if (needle.empty()) return {NSNotFound, 0};
  std::size_t found = text.find(needle);
  if (found == std::string::npos) return {NSNotFound, 0};
  return {found, needle.size()};
}

std::shared_ptr<NSAttributedString> NSAttributedString::initWithString(const std::string& text,
                                                                       const Attributes& attributes) {
  text_ = text;
  perByte_.assign(text.size(), attributes);
  return self<NSAttributedString>();
}

id NSAttributedString::attributeAtIndex(const std::string& name, std::size_t index) const {
  if (index >= perByte_.size()) return nullptr;
  auto found = perByte_[index].find(name);
  return found == perByte_[index].end() ? nullptr : found->second;
}

std::vector<NSAttributedString::Run> NSAttributedString::runs() const {
  std::vector<Run> runs;
  for (std::size_t i = 0; i < perByte_.size(); ++i) {
    if (!runs.empty() && runs.back().attributes == perByte_[i]) {
      ++runs.back().range.length;
    } else {
      runs.push_back({{i, 1}, perByte_[i]});
    }
  }
  return runs;
}

std::shared_ptr<NSMutableAttributedString> NSMutableAttributedString::initWithString(
    const std::string& text, const Attributes& attributes) {
  NSAttributedString::initWithString(text, attributes);
  return self<NSMutableAttributedString>();
}

void NSMutableAttributedString::addAttribute(const std::string& name, const id& value, NSRange range) {
  if (range.location == NSNotFound || range.location >= perByte_.size()) return;
  std::size_t end = std::min(perByte_.size(), range.location + range.length);
  for (std::size_t i = range.location; i < end; ++i) perByte_[i][name] = value;
}
