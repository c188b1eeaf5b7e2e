#include "platform/foundation/NSString.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <memory>

namespace {

icu::UnicodeString decomposed(const std::string& text) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  icu::UnicodeString source = icu::UnicodeString::fromUTF8(text);
  if (U_FAILURE(status)) return source;
  icu::UnicodeString result = nfd->normalize(source, status);
  return U_FAILURE(status) ? source : result;
}

std::u16string utf16(const icu::UnicodeString& value) {
  return std::u16string(reinterpret_cast<const char16_t*>(value.getBuffer()), static_cast<std::size_t>(value.length()));
}

// The extended grapheme cluster boundaries of `text`, one flag per UTF-16 position
// and one for the end. Without ICU's break rules every position counts, which
// makes containment the plain substring test.
std::vector<bool> characterBoundaries(const icu::UnicodeString& text) {
  std::vector<bool> boundaries(static_cast<std::size_t>(text.length()) + 1, false);
  // Making a break iterator loads its rules: one per thread, reused.
  thread_local std::unique_ptr<icu::BreakIterator> characters = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> made(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    return U_FAILURE(status) ? nullptr : std::move(made);
  }();
  if (!characters) {
    boundaries.assign(boundaries.size(), true);
    return boundaries;
  }
  characters->setText(text);
  for (int32_t at = characters->first(); at != icu::BreakIterator::DONE; at = characters->next())
    boundaries[static_cast<std::size_t>(at)] = true;
  return boundaries;
}

}  // namespace

int NSStringCompare(const std::string& a, const std::string& b) {
  // UTF-16 code unit order of the decomposed forms: the order of NSString's
  // literal-free default comparison.
  return decomposed(a).compare(decomposed(b));
}

std::string NSStringLowercase(const std::string& text) {
  icu::UnicodeString value = icu::UnicodeString::fromUTF8(text);
  value.toLower(icu::Locale::getRoot());
  std::string result;
  value.toUTF8String(result);
  return result;
}

bool NSStringContains(const std::string& text, const std::string& needle) {
  return NSStringSearchTextContains(NSStringPrepareSearchText(text), NSStringSortKey(needle));
}

std::string NSStringDecomposed(const std::string& text) {
  std::string result;
  decomposed(text).toUTF8String(result);
  return result;
}

std::u16string NSStringSortKey(const std::string& text) { return utf16(decomposed(text)); }

NSStringSearchText NSStringPrepareSearchText(const std::string& text) {
  icu::UnicodeString value = decomposed(text);
  return {utf16(value), characterBoundaries(value)};
}

bool NSStringSearchTextContains(const NSStringSearchText& text, const std::u16string& wanted) {
  if (wanted.empty()) return false;
  // Canonically equivalent texts have the same decomposition; a match counts only
  // when it starts and ends where composed characters of the text do.
  for (std::size_t at = text.characters.find(wanted); at != std::u16string::npos;
       at = text.characters.find(wanted, at + 1)) {
    if (text.boundaries[at] && text.boundaries[at + wanted.size()]) return true;
  }
  return false;
}
