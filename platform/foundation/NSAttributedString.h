#pragma once
// Strings with attributes over ranges (fonts, colours). Ranges count bytes of the
// UTF-8 text, the stand-in's string encoding.

#include "platform/objc/NSObject.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct NSRange {
  std::size_t location = 0;
  std::size_t length = 0;
  friend bool operator==(const NSRange&, const NSRange&) = default;
};
inline constexpr std::size_t NSNotFound = static_cast<std::size_t>(-1);
inline NSRange NSMakeRange(std::size_t location, std::size_t length) { return {location, length}; }

// The range of the first occurrence of `needle` in `text`, or {NSNotFound, 0}.
NSRange NSStringRangeOfString(const std::string& text, const std::string& needle);

inline constexpr const char* NSFontAttributeName = "NSFont";
inline constexpr const char* NSForegroundColorAttributeName = "NSColor";

class NSAttributedString : public NSObject {
  KAVRO_OBJC_CLASS(NSAttributedString)
 public:
  using Attributes = std::map<std::string, id>;
  struct Run {
    NSRange range;
    Attributes attributes;
  };

  std::shared_ptr<NSAttributedString> initWithString(const std::string& text,
                                                     const Attributes& attributes = {});
  const std::string& string() const { return text_; }
  std::size_t length() const { return text_.size(); }
  // The attribute at a position, or nullptr.
  id attributeAtIndex(const std::string& name, std::size_t index) const;
  // Consecutive runs of equal attributes covering the whole string.
  std::vector<Run> runs() const;

 protected:
  std::string text_;
  std::vector<Attributes> perByte_;
};

class NSMutableAttributedString : public NSAttributedString {
  KAVRO_OBJC_CLASS(NSMutableAttributedString)
 public:
  std::shared_ptr<NSMutableAttributedString> initWithString(const std::string& text,
                                                            const Attributes& attributes = {});
  // Sets an attribute over a range; a range beyond the end is cut to the end.
  void addAttribute(const std::string& name, const id& value, NSRange range);
};
