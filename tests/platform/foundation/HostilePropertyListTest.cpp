// Malformed and hostile property lists are refused with a reason, never a crash:
// truncation, bit flips, random bytes, nesting past the limit, reference cycles,
// impossible counts and offsets, and references that expand exponentially.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "tests/platform/foundation/BinaryPlistBuilder.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using kavro::test::BinaryPlistBuilder;
using Bytes = std::vector<std::uint8_t>;

// The reason a property list is refused; empty when it is accepted.
std::string refusal(const Bytes& data) {
  std::string error;
  auto value = NSPropertyListSerialization::propertyListWithData(data, &error);
  if (value) return "";
  EXPECT_FALSE(error.empty());
  return error.empty() ? "(no reason)" : error;
}

Bytes sampleDomain(NSPropertyListFormat format) {
  PlistValue::Dictionary domain{
      {"enabled", true},
      {"blacklist", PlistValue::Array{"com.apple.mobilesafari", "com.apple.Music"}},
      {"count", -42},
      {"when", NSDate{700000000.5}},
      {"blob", NSData{{1, 2, 3}}},
      {"nested", PlistValue::Dictionary{{"\xC3\xA9", 2.5}}},
  };
  return *NSPropertyListSerialization::dataWithPropertyList(PlistValue(domain), format);
}

Bytes deepXml(int depth) {
  std::string text = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
  for (int i = 0; i < depth; ++i) text += "<array>";
  for (int i = 0; i < depth; ++i) text += "</array>";
  return kavro::test::bytesOf(text + "</plist>");
}

Bytes deepBinary(int depth) {
  BinaryPlistBuilder builder;
  for (int i = 0; i < depth - 1; ++i) builder.add(builder.array({static_cast<std::uint64_t>(i + 1)}));
  builder.add(builder.array({}));
  return builder.build();
}

TEST(HostilePropertyList, TruncatedAndBitFlippedFilesNeverCrash) {
  for (auto format : {NSPropertyListFormat::binary, NSPropertyListFormat::xml}) {
    const Bytes whole = sampleDomain(format);
    for (std::size_t length = 0; length < whole.size(); ++length)
      refusal(Bytes(whole.begin(), whole.begin() + static_cast<long>(length)));
    for (std::size_t bit = 0; bit < whole.size() * 8; ++bit) {
      Bytes flipped = whole;
      flipped[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
      refusal(flipped);
    }
  }
  // A binary file cut anywhere loses its trailer and is refused outright.
  const Bytes binary = sampleDomain(NSPropertyListFormat::binary);
  EXPECT_NE(refusal(Bytes(binary.begin(), binary.end() - 1)), "");
  EXPECT_NE(refusal({}), "");
}

TEST(HostilePropertyList, RandomBytesNeverCrash) {
  std::mt19937 random(20240607);
  const Bytes header = kavro::test::bytesOf("bplist00");
  const Bytes xmlStart = kavro::test::bytesOf("<?xml version=\"1.0\"?><plist><dict><key>a</key>");
  for (int round = 0; round < 3000; ++round) {
    Bytes data(random() % 200);
    for (auto& byte : data) byte = static_cast<std::uint8_t>(random());
    if (round % 3 == 1) data.insert(data.begin(), header.begin(), header.end());
    if (round % 3 == 2) data.insert(data.begin(), xmlStart.begin(), xmlStart.end());
    refusal(data);
  }
  // Valid files with a few bytes replaced get past the first checks far more often.
  for (auto format : {NSPropertyListFormat::binary, NSPropertyListFormat::xml}) {
    const Bytes whole = sampleDomain(format);
    for (int round = 0; round < 2000; ++round) {
      Bytes mutated = whole;
      for (unsigned change = random() % 4 + 1; change > 0; --change)
        mutated[random() % mutated.size()] = static_cast<std::uint8_t>(random());
      refusal(mutated);
    }
  }
}

TEST(HostilePropertyList, NestingPastTheLimitIsRefusedInBothFormats) {
  const int limit = NSPropertyListSerialization::kMaximumDepth;
  EXPECT_EQ(refusal(deepBinary(limit)), "");
  EXPECT_EQ(refusal(deepXml(limit)), "");
  EXPECT_NE(refusal(deepBinary(limit + 1)).find("deeper"), std::string::npos);
  EXPECT_NE(refusal(deepXml(limit + 1)).find("deeper"), std::string::npos);
  // Far deeper than any recursion would survive, refused at the limit.
  for (int depth : {10'000, 100'000, 300'000}) {
    EXPECT_NE(refusal(deepBinary(depth)).find("deeper"), std::string::npos);
    EXPECT_NE(refusal(deepXml(depth)).find("deeper"), std::string::npos);
  }
  // Tags inside comments and CDATA do not count, and <array/> opens nothing.
  std::string quiet = "<?xml version=\"1.0\"?><plist version=\"1.0\"><array>";
  for (int i = 0; i < 1000; ++i) quiet += "<!-- <array> --><string><![CDATA[<array>]]></string><array/>";
  EXPECT_EQ(refusal(kavro::test::bytesOf(quiet + "</array></plist>")), "");
  EXPECT_NE(refusal(kavro::test::bytesOf("<plist><array><!-- never closed </array></plist>")), "");
}

TEST(HostilePropertyList, ReferenceCyclesAreRefused) {
  BinaryPlistBuilder itself;
  itself.add(itself.array({0}));
  EXPECT_NE(refusal(itself.build()).find("cycle"), std::string::npos);

  BinaryPlistBuilder pair;
  auto key = pair.add(pair.ascii("k"));
  pair.add(pair.array({2}));
  pair.add(pair.dictionary({key}, {1}));
  pair.root = 1;
  EXPECT_NE(refusal(pair.build()).find("cycle"), std::string::npos);
}

TEST(HostilePropertyList, ImpossibleCountsOffsetsAndExpansionsAreRefused) {
  BinaryPlistBuilder hugeArray;
  hugeArray.add(BinaryPlistBuilder::marker(0xA, std::uint64_t(1) << 62));
  EXPECT_NE(refusal(hugeArray.build()), "");

  BinaryPlistBuilder hugeString;
  hugeString.add(BinaryPlistBuilder::marker(0x5, ~std::uint64_t(0)));
  EXPECT_NE(refusal(hugeString.build()), "");

  BinaryPlistBuilder small;
  small.add(small.integer(7));
  EXPECT_EQ(refusal(small.build()), "");
  EXPECT_NE(refusal(small.build(~std::uint64_t(0))), "");            // object count
  EXPECT_NE(refusal(small.build(0, std::uint64_t(1) << 40)), "");    // offset table
  small.root = 5;
  EXPECT_NE(refusal(small.build()), "");                             // root object

  BinaryPlistBuilder dangling;
  dangling.add(dangling.array({1, 9}));
  dangling.add(dangling.integer(1));
  EXPECT_NE(refusal(dangling.build()), "");

  BinaryPlistBuilder numericKey;
  auto one = numericKey.add(numericKey.integer(1));
  numericKey.root = numericKey.add(numericKey.dictionary({one}, {one}));
  EXPECT_NE(refusal(numericKey.build()).find("key"), std::string::npos);

  // Forty levels, each naming the level below twice: 2^40 objects once expanded.
  BinaryPlistBuilder expanding;
  auto below = expanding.add(expanding.integer(0));
  for (int level = 0; level < 40; ++level) below = expanding.add(expanding.array({below, below}));
  expanding.root = below;
  EXPECT_NE(refusal(expanding.build()).find("more than"), std::string::npos);
}

}  // namespace

namespace {

// A hand-edited XML list that is not well formed is refused with the line of
// the fault, as the old-style reader names it: a closing tag that closes another
// element, one that closes nothing, and an element left open.
TEST(HostilePropertyList, BrokenXmlNamesTheLineOfTheFault) {
  const std::string head = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n<dict>\n";
  struct Case {
    std::string body;
    const char* expected;
  };
  for (const Case& c : std::vector<Case>{
           {"  <key>a</key>\n  <string>b</strin>\n</dict>\n</plist>\n", "line 5: </strin> does not close <string> of line 5"},
           {"  <key>a</key>\n  <array>\n    <string>b</string>\n</dict>\n</plist>\n",
            "line 7: </dict> does not close <array> of line 5"},
           {"  <key>a</key><true/>\n</dict>\n</plist>\n</plist>\n", "line 7: </plist> closes no element"},
           {"  <key>a</key>\n  <array>\n", "line 5: <array> is not closed"},
       }) {
    std::string reason = refusal(kavro::test::bytesOf(head + c.body));
    EXPECT_NE(reason.find(c.expected), std::string::npos) << reason;
  }
  // Whitespace before a closing tag's '>' is well formed.
  EXPECT_EQ(refusal(kavro::test::bytesOf(head + "  <key>a</key ><string>b</string\n>\n</dict>\n</plist>\n")), "");
}

}  // namespace
