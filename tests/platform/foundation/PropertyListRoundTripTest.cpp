// Property lists written and read back: whatever is written reads back equal, in
// both formats, shown for hand-picked awkward values and for generated ones of
// every type, nesting and size (across every width of offsets and references); and
// what cannot be stored is refused.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "tests/platform/foundation/BinaryPlistBuilder.h"
#include "tests/platform/foundation/PlistValueGenerator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

PlistValue roundTrip(const PlistValue& value, NSPropertyListFormat format) {
  std::string error;
  auto bytes = NSPropertyListSerialization::dataWithPropertyList(value, format, &error);
  EXPECT_TRUE(bytes) << error;
  if (!bytes) return {};
  NSPropertyListFormat readFormat{};
  auto back = NSPropertyListSerialization::propertyListWithData(*bytes, &error, &readFormat);
  EXPECT_TRUE(back) << error;
  EXPECT_EQ(readFormat, format);
  return back ? *back : PlistValue();
}

PlistValue nested(int depth) {
  PlistValue value = PlistValue::Array{};
  for (int level = 1; level < depth; ++level) {
    PlistValue::Array outer;
    outer.push_back(std::move(value));
    value = PlistValue(std::move(outer));
  }
  return value;
}

// Every scalar type with its awkward values, except dates, whose precision differs
// between the formats.
PlistValue::Dictionary everyScalar() {
  return {
      {"yes", true},
      {"no", false},
      {"zero", 0},
      {"minusOne", -1},
      {"smallest", std::numeric_limits<long long>::min()},
      {"largest", std::numeric_limits<long long>::max()},
      {"threeBytes", 0x123456},
      {"tenth", 0.1},
      {"subnormal", -2.5e-310},
      {"huge", 1e300},
      {"empty", ""},
      {"unicode", "h\xC3\xA9llo \xE2\x9C\x93 \xF0\x9F\x98\x80"},
      {"markup", "<&>\"' \t\n"},
      {"bytes", NSData{{0, 1, 2, 0, 255}}},
      {"noBytes", NSData{}},
      {"\xC3\xA9t\xC3\xA9 key", "non-ASCII key"},
  };
}

TEST(PropertyListRoundTrip, EveryValueTypeSurvivesBothFormats) {
  PlistValue::Dictionary scalars = everyScalar();
  PlistValue::Dictionary root = scalars;
  root["list"] = PlistValue::Array{1, "two", 3.5, PlistValue::Array{}, PlistValue::Dictionary{}};
  root["inner"] = PlistValue::Dictionary{{"scalars", scalars}};
  root["deepest"] = nested(NSPropertyListSerialization::kMaximumDepth - 1);
  root["wholeSecond"] = NSDate{700000000};
  root["beforeReference"] = NSDate{-86400 * 365.0};

  for (auto format : {NSPropertyListFormat::binary, NSPropertyListFormat::xml}) {
    SCOPED_TRACE(format == NSPropertyListFormat::binary ? "binary" : "xml");
    EXPECT_EQ(roundTrip(PlistValue(root), format), PlistValue(root));
    // A scalar may be the root too.
    EXPECT_EQ(roundTrip(PlistValue("alone"), format), PlistValue("alone"));
  }
}

TEST(PropertyListRoundTrip, GeneratedValuesReadBackEqual) {
  using kavro::test::canonical;
  for (auto format : {NSPropertyListFormat::binary, NSPropertyListFormat::xml}) {
    const bool xml = format == NSPropertyListFormat::xml;
    SCOPED_TRACE(xml ? "xml" : "binary");
    kavro::test::PlistValueGenerator generator(xml ? 7 : 11, {.forXml = xml});
    for (int round = 0; round < 400; ++round) {
      const PlistValue value(generator.dictionary());
      ASSERT_EQ(canonical(roundTrip(value, format), true), canonical(value, true)) << "round " << round;
    }
  }
}

TEST(PropertyListRoundTrip, SizesAcrossEveryOffsetAndReferenceWidth) {
  // Objects and files just below and above 255 bytes, 64 KiB and 16 MiB, and object
  // counts that need references of one, two and three bytes.
  for (std::size_t size : {std::size_t{250}, std::size_t{260}, std::size_t{65530}, std::size_t{65542},
                           (std::size_t{16} << 20) - 64, (std::size_t{16} << 20) + 64}) {
    SCOPED_TRACE(size);
    PlistValue::Dictionary domain{{"text", std::string(size, 'x')}, {"after", "kept"}};
    EXPECT_EQ(roundTrip(PlistValue(domain), NSPropertyListFormat::binary), PlistValue(domain));
  }
  for (std::size_t count : {std::size_t{254}, std::size_t{256}, std::size_t{65534}, std::size_t{65537}}) {
    SCOPED_TRACE(count);
    PlistValue::Array items;
    for (std::size_t n = 0; n < count; ++n) items.push_back(PlistValue("item-" + std::to_string(n)));
    EXPECT_EQ(roundTrip(PlistValue(items), NSPropertyListFormat::binary), PlistValue(items));
  }
}

TEST(PropertyListRoundTrip, IntegersKeepTheirValueAcrossTheWholeRange) {
  const PlistValue integers = PlistValue::Array{
      PlistValue(-1), PlistValue(static_cast<unsigned long long>(UINT64_MAX)),
      PlistValue(std::numeric_limits<long long>::min()), PlistValue(std::numeric_limits<long long>::max()),
      PlistValue(static_cast<unsigned long long>(INT64_MAX) + 1), PlistValue(255), PlistValue(256)};
  for (auto format : {NSPropertyListFormat::binary, NSPropertyListFormat::xml})
    EXPECT_EQ(roundTrip(integers, format), integers);
  EXPECT_NE(PlistValue(-1), PlistValue(static_cast<unsigned long long>(UINT64_MAX)));
  EXPECT_EQ(PlistValue(static_cast<unsigned long long>(UINT64_MAX)).integerValue(), -1);

  const std::string xml =
      "<plist version=\"1.0\"><array><integer>0x1F</integer><integer>-0x10</integer>"
      "<integer> 18446744073709551615 </integer></array></plist>";
  auto parsed = NSPropertyListSerialization::propertyListWithData(std::vector<std::uint8_t>(xml.begin(), xml.end()));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(*parsed, (PlistValue(PlistValue::Array{31, -16, PlistValue(static_cast<unsigned long long>(UINT64_MAX))})));
}

TEST(PropertyListRoundTrip, TextAndDatesLibplistCannotWriteAreWritten) {
  const PlistValue values = PlistValue::Array{
      PlistValue(std::string("a\0b", 3)), PlistValue::Dictionary{{std::string("k\0", 2), 1}},
      NSDate{1e10}, NSDate{-1e12}, NSDate{-0.25}, NSDate{std::numeric_limits<double>::infinity()}};
  EXPECT_EQ(roundTrip(values, NSPropertyListFormat::binary), values);
}

TEST(PropertyListRoundTrip, DatesLibplistCannotHoldAreReadExactly) {
  // The platform's distant past and future lie beyond 32-bit seconds.
  const double distantFuture = 63113904000.0;
  const double distantPast = -63114076800.0;
  kavro::test::BinaryPlistBuilder builder;
  auto future = builder.add(builder.date(distantFuture));
  auto past = builder.add(builder.date(distantPast));
  builder.root = builder.add(builder.array({future, past}));
  auto binary = NSPropertyListSerialization::propertyListWithData(builder.build());
  ASSERT_TRUE(binary);
  EXPECT_EQ(*binary, PlistValue(PlistValue::Array{NSDate{distantFuture}, NSDate{distantPast}}));

  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><array>"
      "<date>4001-01-01T00:00:00Z</date><date>2001-01-01T00:00:00.25Z</date>"
      "</array></plist>";
  auto parsed =
      NSPropertyListSerialization::propertyListWithData(std::vector<std::uint8_t>(xml.begin(), xml.end()));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(*parsed, PlistValue(PlistValue::Array{NSDate{distantFuture}, NSDate{0.25}}));
}

TEST(PropertyListRoundTrip, RefusesWhatCannotBeStored) {
  auto refusal = [](const PlistValue& value) {
    std::string error;
    auto bytes = NSPropertyListSerialization::dataWithPropertyList(value, NSPropertyListFormat::binary, &error);
    EXPECT_FALSE(bytes);
    return error;
  };
  EXPECT_NE(refusal(PlistValue()).find("nil"), std::string::npos);
  EXPECT_NE(refusal(PlistValue::Array{1, PlistValue()}).find("nil"), std::string::npos);
  EXPECT_NE(refusal(PlistValue("\xC3")).find("UTF-8"), std::string::npos);
  EXPECT_NE(refusal(PlistValue("\xED\xA0\x80")).find("UTF-8"), std::string::npos);
  EXPECT_NE(refusal(nested(NSPropertyListSerialization::kMaximumDepth + 1)).find("deeper"),
            std::string::npos);
  // Far deeper than libplist's writer would survive (PlistValue's own destructor
  // recurses too, which bounds how deep a test can go).
  EXPECT_NE(refusal(nested(2000)).find("deeper"), std::string::npos);
  EXPECT_TRUE(NSPropertyListSerialization::dataWithPropertyList(
      nested(NSPropertyListSerialization::kMaximumDepth), NSPropertyListFormat::xml));
}

}  // namespace
