// Stored values as the simulator's dump shows them, and JSON from scripts back into
// property-list values.

#include "sim/core/PlistJson.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using kavro::sim::PlistJson;
using nlohmann::json;

TEST(PlistJson, ShowsStoredValuesAsTheDumpDoes) {
  PlistValue::Dictionary domain{
      {"enabled", true},
      {"blacklist", PlistValue::Array{"com.apple.mobilesafari"}},
      {"count", -3},
      {"ratio", 0.5},
      {"blob", NSData{{0, 1, 2, 255}}},
      {"one", NSData{{'M'}}},
      {"created", NSDate{0}},
      {"precise", NSDate{700000000.25}},
      {"nested", PlistValue::Dictionary{{"empty", PlistValue::Array{}}}},
  };
  EXPECT_EQ(PlistJson::toJson(PlistValue(domain)), json::parse(R"({
      "enabled": true, "blacklist": ["com.apple.mobilesafari"], "count": -3, "ratio": 0.5,
      "blob": "AAEC/w==", "one": "TQ==", "created": "2001-01-01T00:00:00Z",
      "precise": "2023-03-08T20:26:40.25Z", "nested": {"empty": []}})"));
  EXPECT_EQ(PlistJson::toJson(PlistValue()), json(nullptr));
  EXPECT_EQ(PlistJson::toJson(std::numeric_limits<double>::infinity()), json(nullptr));
  EXPECT_EQ(PlistJson::toJson(NSDate{-978307200}), json("1970-01-01T00:00:00Z"));
  EXPECT_EQ(PlistJson::toJson(PlistValue(PlistValue::Dictionary{})), json::object());
  // Stored text that is not UTF-8 shows with U+FFFD, and the JSON can be written.
  const json shown = PlistJson::toJson(PlistValue(PlistValue::Dictionary{{"k\xFF", "caf\xE9"}}));
  EXPECT_EQ(shown.dump(), "{\"k\xEF\xBF\xBD\":\"caf\xEF\xBF\xBD\"}");
}

TEST(PlistJson, ReadsScriptValuesBackWithinThePropertyListLimits) {
  auto value = PlistJson::fromJson(json::parse(
      R"({"enabled": false, "list": ["a", 1, 2.5, {"k": []}], "big": 18446744073709551615})"));
  ASSERT_TRUE(value);
  EXPECT_EQ((*value)["enabled"], PlistValue(false));
  EXPECT_EQ((*value)["list"], PlistValue(PlistValue::Array{"a", 1, 2.5,
                                                           PlistValue::Dictionary{{"k", PlistValue::Array{}}}}));
  EXPECT_EQ((*value)["big"], PlistValue(static_cast<unsigned long long>(UINT64_MAX)));
  EXPECT_EQ(PlistJson::toJson((*value)["big"]), json::parse("18446744073709551615"));
  EXPECT_TRUE(PlistJson::fromJson(json(nullptr))->isNil());

  std::string error;
  EXPECT_FALSE(PlistJson::fromJson(json::parse(R"([1, null])"), &error));
  EXPECT_NE(error.find("null"), std::string::npos);
  EXPECT_FALSE(PlistJson::fromJson(json::parse(R"({"k": null})"), &error));
  json deep = json::array();
  for (int level = 0; level < 600; ++level) {
    json outer = json::array();
    outer.push_back(std::move(deep));
    deep = std::move(outer);
  }
  EXPECT_FALSE(PlistJson::fromJson(deep, &error));
  EXPECT_NE(error.find("deeper"), std::string::npos);
}

}  // namespace
