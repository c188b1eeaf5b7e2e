#include "platform/foundation/NSString.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

namespace {

icu::UnicodeString decomposed(const std::string& text) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  icu::UnicodeString source = icu::UnicodeString::fromUTF8(text);
  if (U_FAILURE(status)) return source;
  icu::UnicodeString result = nfd->normalize(source, status);
  return U_FAILURE(status) ? source : result;
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
  if (needle.empty()) return false;
  return decomposed(text).indexOf(decomposed(needle)) >= 0;
}

std::string NSStringDecomposed(const std::string& text) {
  std::string result;
  decomposed(text).toUTF8String(result);
  return result;
}

std::u16string NSStringSortKey(const std::string& text) {
  icu::UnicodeString value = decomposed(text);
  return std::u16string(reinterpret_cast<const char16_t*>(value.getBuffer()), static_cast<std::size_t>(value.length()));
}

std::u16string NSStringSearchKey(const std::string& text) { return NSStringSortKey(NSStringLowercase(text)); }
