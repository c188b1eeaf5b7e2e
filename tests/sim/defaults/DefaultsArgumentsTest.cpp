// The parsers behind `kavro-defaults write`: typed scalars, dates, the elements of
// -array and -dict, and property-list text given as one argument. Most cases are
// generated: whatever the tool prints or a person writes for a value must read back
// as exactly that value.

#include "platform/foundation/ReferenceDateCalendar.h"
#include "sim/defaults/DateArgument.h"
#include "platform/foundation/OldStylePropertyListWriter.h"
#include "sim/defaults/PropertyListArgument.h"
#include "sim/defaults/ScalarArgument.h"
#include "sim/defaults/ValueArguments.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdio>
#include <limits>
#include <random>

namespace defaults_arguments_test {

using kavro::defaults::DateArgument;
using kavro::defaults::PropertyListArgument;
using kavro::defaults::ScalarArgument;
using kavro::defaults::ValueArguments;
using kavro::defaults::ValueRequest;
using kavro::platform::foundation::CalendarTime;
using kavro::platform::foundation::OldStylePropertyListWriter;
using kavro::platform::foundation::ReferenceDateCalendar;

std::optional<PlistValue> scalar(const std::string& flag, const std::string& text) {
  std::string problem;
  auto value = ScalarArgument::parse(flag, text, problem);
  EXPECT_EQ(value.has_value(), problem.empty()) << flag << " " << text;
  return value;
}

TEST(DefaultsScalarArguments, IntegersReadBackExactlyAndNothingElseIsOne) {
  std::mt19937_64 random(20240801);
  std::vector<std::int64_t> values = {0, 1, -1, std::numeric_limits<std::int64_t>::min(),
                                      std::numeric_limits<std::int64_t>::max()};
  for (int i = 0; i < 2000; ++i) values.push_back(static_cast<std::int64_t>(random()) >> (random() % 64));
  for (std::int64_t value : values) {
    EXPECT_EQ(scalar("-int", std::to_string(value)), PlistValue(value));
    if (value >= 0) {
      EXPECT_EQ(scalar("-integer", "+" + std::to_string(value)), PlistValue(value));
    }
  }
  for (const char* text : {"", "+", "-", " 1", "1 ", "0x10", "1e3", "1.0", "--1", "+-1", "9223372036854775808",
                           "-9223372036854775809", "99999999999999999999", "１"})
    EXPECT_FALSE(scalar("-int", text)) << text;
}

TEST(DefaultsScalarArguments, RealsReadBackToTheBitFromTheirShortestText) {
  std::mt19937_64 random(20240802);
  for (int i = 0; i < 3000; ++i) {
    const double value = std::bit_cast<double>(random());
    if (!std::isfinite(value)) continue;
    char text[64];
    auto end = std::to_chars(text, text + sizeof text, value).ptr;
    auto parsed = scalar("-float", std::string(text, end));
    ASSERT_TRUE(parsed && parsed->isReal()) << text;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(*parsed->asReal()), std::bit_cast<std::uint64_t>(value)) << text;
  }
  EXPECT_EQ(scalar("-float", "2.5"), PlistValue(2.5));
  EXPECT_EQ(scalar("-float", "-1e-300"), PlistValue(-1e-300));
  for (const char* text : {"", " 1", "1 ", "nan", "inf", "-inf", "1e400", "1,5", "abc"})
    EXPECT_FALSE(scalar("-float", text)) << text;
}

TEST(DefaultsScalarArguments, BooleansInEveryLetterCase) {
  for (const auto& [word, truth] : std::vector<std::pair<std::string, bool>>{
           {"yes", true}, {"true", true}, {"no", false}, {"false", false}}) {
    // Every choice of upper and lower case for every letter.
    for (unsigned mask = 0; mask < (1u << word.size()); ++mask) {
      std::string text = word;
      for (std::size_t i = 0; i < text.size(); ++i)
        if (mask & (1u << i)) text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
      EXPECT_EQ(scalar("-bool", text), PlistValue(truth)) << text;
      EXPECT_EQ(scalar("-boolean", text), PlistValue(truth)) << text;
    }
  }
  EXPECT_EQ(scalar("-bool", "1"), PlistValue(true));
  EXPECT_EQ(scalar("-bool", "0"), PlistValue(false));
  for (const char* text : {"", "y", "n", "2", "01", "yes ", "maybe", "on", "off"}) EXPECT_FALSE(scalar("-bool", text));
}

TEST(DefaultsScalarArguments, DataFromHexadecimalPairsInAnyCase) {
  std::mt19937 random(20240803);
  for (int i = 0; i < 300; ++i) {
    NSData data;
    std::string text;
    for (int length = static_cast<int>(random() % 40); length > 0; --length) {
      data.bytes.push_back(static_cast<std::uint8_t>(random()));
      char pair[3];
      std::snprintf(pair, sizeof pair, random() % 2 ? "%02X" : "%02x", data.bytes.back());
      text += pair;
    }
    EXPECT_EQ(scalar("-data", text), PlistValue(data)) << text;
  }
  for (const char* text : {"0", "0g", "0fb", "0f bd", "<0fbd>", "0x0f"}) EXPECT_FALSE(scalar("-data", text)) << text;
}

TEST(DefaultsScalarArguments, StringsAreTakenAsTheyAreAndUnknownTypesAreRefused) {
  for (const char* text : {"", "-int", "(a, b)", "<dict/>", "caf\xC3\xA9", " spaced "})
    EXPECT_EQ(scalar("-string", text), PlistValue(text));
  std::string problem;
  EXPECT_FALSE(ScalarArgument::parse("-datum", "x", problem));
  EXPECT_NE(problem.find("unknown value type -datum"), std::string::npos);
  EXPECT_FALSE(ScalarArgument::isScalarType("-array"));
  EXPECT_FALSE(ScalarArgument::isScalarType("-dict"));
}

// The calendar time as `read` prints it, as ISO 8601 and in the other forms, each
// with the zone offset it is written with.
TEST(DefaultsDateArguments, EveryFormReadsBackAsTheTimeItNames) {
  std::mt19937 random(20240804);
  for (int i = 0; i < 1000; ++i) {
    CalendarTime time;
    time.year = 1 + static_cast<std::int64_t>(random() % 9999);
    time.month = 1 + static_cast<int>(random() % 12);
    time.day = 1 + static_cast<int>(random() % 28);
    time.hour = static_cast<int>(random() % 24);
    time.minute = static_cast<int>(random() % 60);
    time.second = static_cast<int>(random() % 60);
    const int offsetMinutes = static_cast<int>(random() % (2 * 14 * 60 + 1)) - 14 * 60;
    const double utc = ReferenceDateCalendar::secondsSinceReferenceDate(time);
    const double local = utc - offsetMinutes * 60.0;
    char day[32], clock[32], offset[16], colonOffset[16];
    std::snprintf(day, sizeof day, "%04lld-%02d-%02d", static_cast<long long>(time.year), time.month, time.day);
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    const char sign = offsetMinutes < 0 ? '-' : '+';
    std::snprintf(offset, sizeof offset, "%c%02d%02d", sign, std::abs(offsetMinutes) / 60, std::abs(offsetMinutes) % 60);
    std::snprintf(colonOffset, sizeof colonOffset, "%c%02d:%02d", sign, std::abs(offsetMinutes) / 60,
                  std::abs(offsetMinutes) % 60);
    const std::string d = day, c = clock;
    EXPECT_EQ(DateArgument::parse(d + " " + c + " " + offset), local) << d << " " << c << " " << offset;
    EXPECT_EQ(DateArgument::parse(d + " " + c + " " + colonOffset), local);
    EXPECT_EQ(DateArgument::parse(d + "T" + c + colonOffset), local);
    EXPECT_EQ(DateArgument::parse(d + "T" + c + "Z"), utc);
    EXPECT_EQ(DateArgument::parse(d + " " + c + " Z"), utc);
    EXPECT_EQ(DateArgument::parse(d + " " + c), utc);
    time.hour = time.minute = time.second = 0;
    EXPECT_EQ(DateArgument::parse(d), ReferenceDateCalendar::secondsSinceReferenceDate(time));
  }
}

TEST(DefaultsDateArguments, WhatReadPrintsIsADateArgument) {
  std::mt19937_64 random(20240805);
  for (int i = 0; i < 500; ++i) {
    // Whole seconds: `read` prints no fraction.
    const double seconds = static_cast<double>(static_cast<std::int64_t>(random() % 400'000'000'000ull) - 63'000'000'000);
    std::string printed = OldStylePropertyListWriter::description(PlistValue(NSDate{seconds}));
    ASSERT_GE(printed.size(), 2u);
    printed = printed.substr(1, printed.size() - 2);  // the quotes of the text form
    EXPECT_EQ(DateArgument::parse(printed), seconds) << printed;
  }
}

TEST(DefaultsDateArguments, WhatIsNoDateIsRefused) {
  for (const char* text : {"", "x", "yesterday", "2024-02-30", "2023-02-29", "2024-13-01", "2024-05-01 24:00:00",
                           "2024-05-01 12:60:00", "2024-05-01 12:30", "2024-05-01  12:30:00", "2024-05-01 12:30:00 +0000 x",
                           "2024-05-01T12:30:00 +0000", "2024-05-01 12:30:00 +2400", "2024-05-01TT12:30:00Z",
                           "24-05-01", "2024/05/01", "2024-05-01 12:30:00 UTC", "1714566600"})
    EXPECT_FALSE(DateArgument::parse(text)) << text;
}

// -array and -dict elements: untyped ones as property lists or strings, typed ones
// after their flag.
TEST(DefaultsValueArguments, ElementsTakeTheirOwnTypes) {
  std::string problem;
  const std::vector<std::string> elements = {"-int", "1", "-bool", "NO", "x", "-5", "<true/>", "-string", "-float",
                                             "-date", "2001-01-01", "-data", "00ff"};
  auto array = ValueArguments::parseElements(elements, problem);
  ASSERT_TRUE(array) << problem;
  EXPECT_EQ(PlistValue(*array), PlistValue(PlistValue::Array{1, false, "x", "-5", true, "-float", NSDate{0},
                                                             NSData{{0x00, 0xff}}}));

  const std::vector<std::string> pairs = {"a", "-int", "1", "b", "x", "-c", "-bool", "yes", "a", "2"};
  auto dictionary = ValueArguments::parsePairs(pairs, problem);
  ASSERT_TRUE(dictionary) << problem;
  // A key given twice keeps its last value, as a dictionary literal does.
  EXPECT_EQ(PlistValue(*dictionary), PlistValue(PlistValue::Dictionary{{"a", "2"}, {"b", "x"}, {"-c", true}}));
}

// Generated: any list of typed values, written as flags and texts, parses back to
// exactly those values.
TEST(DefaultsValueArguments, GeneratedTypedElementsParseBackToTheirValues) {
  std::mt19937_64 random(20240806);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> arguments;
    PlistValue::Array expected;
    for (int count = static_cast<int>(random() % 8); count > 0; --count) {
      switch (random() % 4) {
        case 0: {
          const auto value = static_cast<std::int64_t>(random());
          arguments.insert(arguments.end(), {"-int", std::to_string(value)});
          expected.emplace_back(value);
          break;
        }
        case 1: {
          const bool value = random() % 2;
          arguments.insert(arguments.end(), {"-bool", value ? "TRUE" : "no"});
          expected.emplace_back(value);
          break;
        }
        case 2: {
          const double value = static_cast<double>(static_cast<std::int32_t>(random())) / 1024.0;
          char text[64];
          arguments.insert(arguments.end(), {"-float", std::string(text, std::to_chars(text, text + 64, value).ptr)});
          expected.emplace_back(value);
          break;
        }
        default: {
          std::string text = "-";
          for (int length = static_cast<int>(random() % 6); length > 0; --length)
            text += static_cast<char>(' ' + random() % 95);
          arguments.insert(arguments.end(), {"-string", text});
          expected.emplace_back(text);
        }
      }
    }
    std::string problem;
    auto parsed = ValueArguments::parseElements(arguments, problem);
    ASSERT_TRUE(parsed) << problem;
    EXPECT_EQ(PlistValue(*parsed), PlistValue(expected));
  }
}

TEST(DefaultsValueArguments, ForbiddenShapesSayWhatIsWrong) {
  auto refusal = [](std::vector<std::string> arguments) {
    std::string problem;
    EXPECT_FALSE(ValueArguments::parse(arguments, problem)) << arguments[0];
    return problem;
  };
  EXPECT_NE(refusal({"-array", "-int"}).find("-int needs a value"), std::string::npos);
  EXPECT_NE(refusal({"-array", "a", "-dict"}).find("cannot stand inside"), std::string::npos);
  EXPECT_NE(refusal({"-dict", "a", "-array-add", "x"}).find("cannot stand inside"), std::string::npos);
  EXPECT_NE(refusal({"-dict", "a", "1", "b"}).find("the key \"b\" has no value"), std::string::npos);
  EXPECT_NE(refusal({"-dict-add", "a", "-float"}).find("-float needs a value"), std::string::npos);
  EXPECT_NE(refusal({"-dict", "a", "-int", "x"}).find("-int takes a whole number"), std::string::npos);
  EXPECT_NE(refusal({"-bogus", "1"}).find("unknown value type -bogus"), std::string::npos);
  EXPECT_NE(refusal({"-int"}).find("exactly one value"), std::string::npos);
  EXPECT_NE(refusal({"-int", "1", "2"}).find("exactly one value"), std::string::npos);
  EXPECT_NE(refusal({"word", "extra"}).find("use -array"), std::string::npos);

  std::string problem;
  auto request = ValueArguments::parse(std::vector<std::string>{"-dict-add"}, problem);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->kind, ValueRequest::Kind::dictionaryAdd);
  EXPECT_EQ(request->value, PlistValue(PlistValue::Dictionary()));
  request = ValueArguments::parse(std::vector<std::string>{"-array-add", "x"}, problem);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->kind, ValueRequest::Kind::arrayAdd);
}

TEST(DefaultsPropertyListArguments, TextXmlAndXmlElementsAreValuesAndTheRestStaysText) {
  EXPECT_EQ(PropertyListArgument::valueOrString("<dict><key>a</key><integer>5</integer></dict>"),
            PlistValue(PlistValue::Dictionary{{"a", 5}}));
  EXPECT_EQ(PropertyListArgument::valueOrString(" <true/>"), PlistValue(true));
  EXPECT_EQ(PropertyListArgument::valueOrString("(a, \"b c\", <0fbd>)"),
            PlistValue(PlistValue::Array{"a", "b c", NSData{{0x0f, 0xbd}}}));
  // Old-style data whose digits spell a word, not an XML element.
  EXPECT_EQ(PropertyListArgument::valueOrString("<dada>"), PlistValue(NSData{{0xda, 0xda}}));
  EXPECT_EQ(PropertyListArgument::valueOrString("{ a = { b = c; }; }"),
            PlistValue(PlistValue::Dictionary{{"a", PlistValue::Dictionary{{"b", "c"}}}}));
  EXPECT_EQ(PropertyListArgument::valueOrString("\"quoted\""), PlistValue("quoted"));
  // What is no property list stays the text it is.
  for (const char* text : {"", "   ", "<dict>", "<dict><key>a</key></dict", "hello world", "(a, b", "{ a = 1 }",
                           "a = ", "\"open", "/* open"})
    EXPECT_EQ(PropertyListArgument::valueOrString(text), PlistValue(text)) << text;
  std::string error;
  EXPECT_FALSE(PropertyListArgument::parse("   ", &error));
  EXPECT_NE(error.find("empty"), std::string::npos);
  EXPECT_FALSE(PropertyListArgument::parse("{\n a = 1;\n b = ;\n}", &error));
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
}

}  // namespace defaults_arguments_test
