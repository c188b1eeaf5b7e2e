// The bundle's store helpers over the platform's defaults: how `enabled` and the
// identifier lists read whatever is stored, that reads never write, and what the
// two resets leave behind.

#include "store/KavroPreferences.h"

#include "platform/foundation/NSUserDefaults.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace kavro::store;

class KavroPreferencesTest : public kavro::test::DeviceTest {
 protected:
  fs::path preferencesFolder() { return device().resolve(NSUserDefaults::kPreferencesDirectory); }
  void store(const PlistValue& value, const std::string& key) {
    ASSERT_TRUE(NSUserDefaults::standardUserDefaults()->setObject(value, key, kDomain));
  }
};

TEST_F(KavroPreferencesTest, EnabledReadsTheTruthOfWhateverIsStored) {
  EXPECT_FALSE(readEnabled());
  const std::vector<std::pair<PlistValue, bool>> cases = {
      {true, true},       {false, false},     {1, true},          {0, false},
      {-3, true},         {0.5, true},        {0.0, false},       {"YES", true},
      {"true", true},     {"1", true},        {"no", false},      {"", false},
      {"0", false},       {NSData{{1}}, false}, {NSDate{5}, false}, {PlistValue::Array{true}, false},
      {PlistValue::Dictionary{{"enabled", true}}, false},
  };
  for (const auto& [stored, expected] : cases) {
    SCOPED_TRACE(PlistValue::typeName(stored.type()));
    store(stored, kEnabledKey);
    EXPECT_EQ(readEnabled(), expected);
  }
  writeEnabled(true);
  EXPECT_EQ(objectForKey(kEnabledKey), PlistValue(true));  // a boolean, not a number
  writeEnabled(false);
  EXPECT_EQ(objectForKey(kEnabledKey), PlistValue(false));
}

TEST_F(KavroPreferencesTest, IdentifierListsKeepOnlyStringsInStoredOrder) {
  EXPECT_TRUE(readIdentifierList(kBlacklistKey).empty());
  store(PlistValue::Array{"com.b", 1, "com.a", PlistValue::Dictionary{}, "com.b", true}, kBlacklistKey);
  EXPECT_EQ(readIdentifierList(kBlacklistKey), (std::vector<std::string>{"com.b", "com.a", "com.b"}));
  store("com.apple.Music", kBlacklistKey);
  EXPECT_TRUE(readIdentifierList(kBlacklistKey).empty());

  writeIdentifierList(kBlacklistKey, {"com.apple.mobilesafari", "com.apple.Music"});
  EXPECT_EQ(objectForKey(kBlacklistKey),
            PlistValue(PlistValue::Array{"com.apple.mobilesafari", "com.apple.Music"}));
  writeIdentifierList(kBlacklistKey, {});
  EXPECT_EQ(objectForKey(kBlacklistKey), PlistValue(PlistValue::Array{}));  // the key stays
}

TEST_F(KavroPreferencesTest, ReadsNeverWrite) {
  EXPECT_FALSE(readEnabled());
  EXPECT_TRUE(readIdentifierList("com.apple.springboard").empty());
  EXPECT_FALSE(preferencesFileExists());
  EXPECT_FALSE(fs::exists(preferencesFolder()));

  // Not even a file that cannot be read is touched by reading it.
  fs::create_directories(preferencesFolder());
  const fs::path file = device().resolve(kPreferencesFilePath);
  std::ofstream(file) << "not a property list";
  EXPECT_FALSE(readEnabled());
  EXPECT_TRUE(readIdentifierList(kBlacklistKey).empty());
  EXPECT_TRUE(preferencesFileExists());
  std::vector<std::string> entries;
  for (const auto& entry : fs::directory_iterator(preferencesFolder())) entries.push_back(entry.path().filename());
  EXPECT_EQ(entries, std::vector<std::string>{"com.qelm.kavroprefs.plist"});
}

TEST_F(KavroPreferencesTest, ResetsRemoveOneListOrTheWholeDomain) {
  writeEnabled(true);
  writeIdentifierList(kBlacklistKey, {"com.apple.Music"});
  writeIdentifierList("com.apple.Maps", {"com.apple.mobilesafari"});
  EXPECT_TRUE(preferencesFileExists());

  removeIdentifierList(kBlacklistKey);
  EXPECT_TRUE(objectForKey(kBlacklistKey).isNil());
  EXPECT_TRUE(readEnabled());
  EXPECT_EQ(readIdentifierList("com.apple.Maps"), std::vector<std::string>{"com.apple.mobilesafari"});

  // The home screen's picker wrote a list the settings process has not read yet.
  {
    platform::ProcessScope inSpringboard(springboard());
    writeIdentifierList("com.apple.camera", {"com.apple.Music"});
  }
  removeDomain();
  EXPECT_FALSE(preferencesFileExists());
  EXPECT_FALSE(readEnabled());
  EXPECT_TRUE(readIdentifierList("com.apple.Maps").empty());
  platform::ProcessScope inSpringboard(springboard());
  EXPECT_TRUE(readIdentifierList("com.apple.camera").empty());
  EXPECT_FALSE(preferencesFileExists());
}

}  // namespace
