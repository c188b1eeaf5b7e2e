// Generated strings, data, arrays and dictionaries, nested to any depth and holding
// any characters, written in the old-style text form and read back equal: as UTF-8,
// as UTF-16 after a byte-order mark, and in the strings-file form.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/OldStylePropertyListWriter.h"
#include "platform/foundation/Utf8Text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using kavro::platform::foundation::OldStylePropertyListWriter;

// Values of the four kinds the text form has, with the characters that make
// writing it hard: quotes, backslashes, control characters, comment markers and
// separators, non-ASCII and astral-plane characters, lone surrogates.
class TextFormGenerator {
 public:
  explicit TextFormGenerator(std::uint32_t seed) : random_(seed) {}

  PlistValue value(int depth, int maximumDepth) {
    switch (depth < maximumDepth ? pick(6) : pick(2)) {
      case 0: return PlistValue(text());
      case 1: return PlistValue(data());
      case 2:
      case 3: {
        PlistValue::Array array;
        for (int n = countOf({0, 1, 2, 3, 7}); n > 0; --n) array.push_back(value(depth + 1, maximumDepth));
        return PlistValue(std::move(array));
      }
      default: return PlistValue(dictionary(depth, maximumDepth));
    }
  }

  PlistValue::Dictionary dictionary(int depth, int maximumDepth) {
    PlistValue::Dictionary dictionary;
    for (int n = countOf({0, 1, 2, 5}); n > 0; --n) dictionary[text()] = value(depth + 1, maximumDepth);
    return dictionary;
  }

  std::string text() {
    static const char* const kWords[] = {"", "//", "/*", "*/", "/* x */", "// x", "a//b", "YES", "0x1F", "-3.5",
                                         "<0fbd>", "{}", "()", "a = b;", "\"", "\\", "'", "\\U00e9", "plain"};
    static const char32_t kCharacters[] = {U'a', U'Z', U'0', U'_', U'$', U'+', U'/', U':', U'.', U'-', U' ',
                                           U'"', U'\'', U'\\', U';', U'=', U',', U'{', U'}', U'(', U')', U'<',
                                           U'>', U'*', U'#', U'\0', U'\a', U'\b', U'\t', U'\n', U'\v', U'\f',
                                           U'\r', U'\x1B', U'\x7F', U'\x80', U'\xA0', U'\xE9', U'\xFF', U'\u20AC',
                                           U'\uFEFF', U'\uFFFD', U'\uFFFF', U'\U0001F600', U'\U0010FFFF',
                                           0xD800, 0xDBFF, 0xDC00, 0xDFFF};
    if (pick(4) == 0) return kWords[pick(static_cast<int>(std::size(kWords)))];
    std::string out;
    char32_t last = 0;
    for (int n = countOf({1, 2, 5, 12}); n > 0; --n) {
      const char32_t next = kCharacters[pick(static_cast<int>(std::size(kCharacters)))];
      // A high surrogate before a low one is a pair in UTF-16, the platform's text:
      // as two lone ones they have no form there.
      if (last >= 0xD800 && last < 0xDC00 && next >= 0xDC00 && next < 0xE000) continue;
      kavro::platform::foundation::appendUtf8(out, next);
      last = next;
    }
    return out;
  }

  NSData data() {
    NSData data;
    data.bytes.resize(static_cast<std::size_t>(countOf({0, 1, 3, 4, 5, 33})));
    for (auto& byte : data.bytes) byte = static_cast<std::uint8_t>(random_());
    return data;
  }

 private:
  int pick(int choices) { return static_cast<int>(random_() % static_cast<unsigned>(choices)); }
  int countOf(std::initializer_list<int> counts) { return *(counts.begin() + pick(static_cast<int>(counts.size()))); }

  std::mt19937 random_;
};

std::optional<PlistValue> readTextBytes(const std::string& bytes, std::string* error) {
  return NSPropertyListSerialization::propertyListWithData({bytes.begin(), bytes.end()}, error);
}

std::string utf16WithMark(const std::string& utf8) {
  std::string bytes = "\xFF\xFE";
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) codePoint = (codePoint << 6) | (utf8[i + k] & 0x3F);
    i += length;
    auto unit = [&](char32_t u) { bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)}; };
    if (codePoint >= 0x10000) {
      unit(0xD800 + ((codePoint - 0x10000) >> 10));
      unit(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
    } else {
      unit(codePoint);
    }
  }
  return bytes;
}

TEST(OldStyleRoundTrip, WrittenValuesReadBackEqual) {
  TextFormGenerator generator(20261208);
  for (int round = 0; round < 1500; ++round) {
    const PlistValue value = generator.value(0, round % 10);
    const std::string text = OldStylePropertyListWriter::write(value);
    std::string error;
    auto again = readTextBytes(text, &error);
    ASSERT_TRUE(again) << text << "\n" << error;
    ASSERT_EQ(*again, value) << text;
    // The writer escapes everything past ASCII, so UTF-16 reads the same.
    auto fromUtf16 = readTextBytes(utf16WithMark(text), &error);
    ASSERT_TRUE(fromUtf16) << text << "\n" << error;
    EXPECT_EQ(*fromUtf16, value) << text;
  }
}

TEST(OldStyleRoundTrip, DictionariesReadBackInTheStringsFileForm) {
  TextFormGenerator generator(20261209);
  for (int round = 0; round < 500; ++round) {
    const PlistValue::Dictionary dictionary = generator.dictionary(1, 4);
    if (dictionary.empty()) continue;
    // The entries of the written dictionary without its braces.
    std::string text = OldStylePropertyListWriter::write(PlistValue(dictionary));
    text = text.substr(1, text.size() - 2);
    std::string error;
    auto again = readTextBytes(text, &error);
    ASSERT_TRUE(again) << text << "\n" << error;
    EXPECT_EQ(*again, PlistValue(dictionary)) << text;
  }
}

TEST(OldStyleRoundTrip, AStringAloneIsQuotedSoThatItIsNoOtherFormat) {
  // Bare, "bplist00" would be read as the start of a binary property list.
  for (const char* text : {"bplist00", "bplistn", "word"}) {
    const std::string written = OldStylePropertyListWriter::write(PlistValue(text));
    EXPECT_EQ(written, std::string("\"") + text + "\"");
    std::string error;
    auto again = readTextBytes(written, &error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(*again, PlistValue(text));
  }
}

TEST(OldStyleRoundTrip, NestingToTheLimitReadsBack) {
  PlistValue value("leaf");
  for (int level = 0; level < NSPropertyListSerialization::kMaximumDepth; ++level)
    value = level % 2 ? PlistValue(PlistValue::Array{value, NSData{{1}}}) : PlistValue(PlistValue::Dictionary{{"k", value}});
  std::string error;
  auto again = readTextBytes(OldStylePropertyListWriter::write(value), &error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(again->depth(), NSPropertyListSerialization::kMaximumDepth);
  EXPECT_EQ(*again, value);
}

TEST(OldStyleRoundTrip, WhatDefaultsReadPrintsDiffersOnlyInData) {
  TextFormGenerator generator(20261210);
  for (int round = 0; round < 300; ++round) {
    const PlistValue value = generator.value(0, 4);
    const std::string written = OldStylePropertyListWriter::write(value);
    const std::string description = OldStylePropertyListWriter::description(value);
    if (written.find('<') == std::string::npos && !value.isString()) {
      EXPECT_EQ(description, written);
    }
  }
  EXPECT_EQ(OldStylePropertyListWriter::description(PlistValue(NSData{{0x0f, 0xbd, 1, 2, 3}})),
            "{length = 5, bytes = 0x0fbd010203}");
  EXPECT_EQ(OldStylePropertyListWriter::write(PlistValue(NSData{{0x0f, 0xbd, 1, 2, 3}})), "<0fbd0102 03>");
}

}  // namespace
