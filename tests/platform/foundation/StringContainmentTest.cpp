// containsString: as the picker's search uses it: canonically equivalent spellings
// match, accents and letter case count, and a match is made of whole composed
// characters. Named cases, and generated texts checked against a naive reference
// that splits NFC text into characters and compares them one by one.

#include "platform/foundation/NSString.h"

#include <gtest/gtest.h>

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

TEST(StringContainmentTest, AccentsAndWholeCharactersCount) {
  const std::string composed = "Caf\xC3\xA9";     // "Café", é as one code point
  const std::string decomposed = "Cafe\xCC\x81";  // e + combining acute
  for (const std::string& text : {composed, decomposed}) {
    SCOPED_TRACE(text);
    EXPECT_TRUE(NSStringContains(text, composed));
    EXPECT_TRUE(NSStringContains(text, decomposed));
    EXPECT_TRUE(NSStringContains(text, "Caf"));
    EXPECT_FALSE(NSStringContains(text, "Cafe"));
    EXPECT_FALSE(NSStringContains(text, "\xCC\x81"));   // the accent alone
    EXPECT_FALSE(NSStringContains(text, "caf\xC3\xA9"));  // letter case counts
  }
  // "Ελληνικά" is not found by its unaccented spelling, nor the reverse.
  EXPECT_FALSE(NSStringContains("\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",
                                "\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xB1"));
  EXPECT_FALSE(NSStringContains("\xCE\xB5\xCE\xBB\xCE\xB1", "\xCE\xAC"));
  // A Hangul syllable is one character, though its decomposition begins with another's.
  EXPECT_FALSE(NSStringContains("\xED\x95\x9C\xEA\xB5\xAD", "\xED\x95\x98"));   // 한국 / 하
  EXPECT_TRUE(NSStringContains("\xED\x95\x9C\xEA\xB5\xAD", "\xEA\xB5\xAD"));    // 한국 / 국
  // Emoji sequences: a family is one character, a flag is a pair of letters.
  EXPECT_FALSE(NSStringContains("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9", "\xF0\x9F\x91\xA8"));
  const std::string flags = "\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7\xF0\x9F\x87\xBA\xF0\x9F\x87\xB8";  // FR US
  EXPECT_TRUE(NSStringContains(flags, "\xF0\x9F\x87\xBA\xF0\x9F\x87\xB8"));
  EXPECT_FALSE(NSStringContains(flags, "\xF0\x9F\x87\xB7\xF0\x9F\x87\xBA"));  // R and U of two flags
  EXPECT_FALSE(NSStringContains("Cafe", ""));
  EXPECT_FALSE(NSStringContains("", ""));
}

// --- the reference ---------------------------------------------------------

// The generator's alphabet: letters (some precomposed), four combining marks and
// two Hangul syllables.
const std::vector<char32_t> kLetters = {U'a', U'e', U'c', U'E', U' ', 0x00E9, 0x00E8, 0x00EB, 0x00C9,
                                        0x00F6, 0x03B1, 0x03B5, 0x03AC, 0x1EB9, 0xD55C, 0xD558};
const std::vector<char32_t> kMarks = {0x0300, 0x0301, 0x0308, 0x0323};

bool isMark(char32_t c) { return std::find(kMarks.begin(), kMarks.end(), c) != kMarks.end(); }

std::u32string normalized(const std::u32string& text, bool composed) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* form =
      composed ? icu::Normalizer2::getNFCInstance(status) : icu::Normalizer2::getNFDInstance(status);
  icu::UnicodeString source = icu::UnicodeString::fromUTF32(reinterpret_cast<const UChar32*>(text.data()),
                                                             static_cast<int32_t>(text.size()));
  icu::UnicodeString result = form->normalize(source, status);
  std::u32string out(static_cast<std::size_t>(result.countChar32()), U'\0');
  UErrorCode ignored = U_ZERO_ERROR;
  result.toUTF32(reinterpret_cast<UChar32*>(out.data()), static_cast<int32_t>(out.size()), ignored);
  return out;
}

std::string utf8(const std::u32string& text) {
  std::string out;
  icu::UnicodeString::fromUTF32(reinterpret_cast<const UChar32*>(text.data()), static_cast<int32_t>(text.size()))
      .toUTF8String(out);
  return out;
}

// NFC text as characters: each code point that is no mark with the marks after it
// (marks at the very start form a character of their own).
std::vector<std::u32string> characters(const std::u32string& text) {
  std::vector<std::u32string> split;
  for (char32_t c : normalized(text, true)) {
    if (isMark(c) && !split.empty())
      split.back() += c;
    else
      split.push_back(std::u32string(1, c));
  }
  return split;
}

bool referenceContains(const std::u32string& text, const std::u32string& needle) {
  auto haystack = characters(text);
  auto wanted = characters(needle);
  if (wanted.empty()) return false;
  return std::search(haystack.begin(), haystack.end(), wanted.begin(), wanted.end()) != haystack.end();
}

TEST(StringContainmentTest, AgreesWithANaiveCharacterByCharacterSearch) {
  std::mt19937 random(20240611);
  auto pick = [&](std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random); };
  auto generate = [&](std::size_t length) {
    std::u32string text;
    for (std::size_t i = 0; i < length; ++i) text += pick(3) == 0 ? kMarks[pick(kMarks.size())] : kLetters[pick(kLetters.size())];
    return text;
  };
  // As typed, composed or decomposed.
  auto spelled = [&](const std::u32string& text) {
    std::size_t form = pick(3);
    return form == 0 ? text : normalized(text, form == 1);
  };
  int found = 0;
  const int kCases = 20000;
  for (int i = 0; i < kCases; ++i) {
    std::u32string text = generate(pick(9));
    std::u32string needle;
    if (!text.empty() && pick(2) == 0) {
      // A piece of the text itself, cut anywhere, even inside a character.
      std::size_t from = pick(text.size());
      needle = text.substr(from, 1 + pick(text.size() - from));
    } else {
      needle = generate(1 + pick(3));
    }
    std::string textBytes = utf8(spelled(text));
    std::string needleBytes = utf8(spelled(needle));
    bool expected = referenceContains(text, needle);
    found += expected;
    ASSERT_EQ(NSStringContains(textBytes, needleBytes), expected)
        << "text \"" << textBytes << "\" needle \"" << needleBytes << "\"";
  }
  // The generator reaches both answers often.
  EXPECT_GT(found, kCases / 5);
  EXPECT_LT(found, kCases * 4 / 5);
}

}  // namespace
