// The bundle's store over the platform's defaults: how `enabled` reads whatever is
// stored, that reads never write, what the full reset leaves behind, and how an
// identifier list reads, edits and removes the value under its key.

#include "store/Preferences.h"

#include "platform/foundation/NSUserDefaults.h"
#include "store/KavroIdentifierList.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace kavro::store;
using Names = std::vector<std::string>;

class StoredPreferences : public kavro::test::DeviceTest {
 protected:
  fs::path preferencesFolder() { return device().resolve(NSUserDefaults::kPreferencesDirectory); }
  void store(const PlistValue& value, const std::string& key) {
    ASSERT_TRUE(NSUserDefaults::standardUserDefaults()->setObject(value, key, kDomain));
  }
  PlistValue stored(const std::string& key) { return NSUserDefaults::standardUserDefaults()->objectForKey(key, kDomain); }
};

TEST_F(StoredPreferences, EnabledReadsTheTruthOfWhateverIsStored) {
  EXPECT_FALSE(readEnabled());
  const std::vector<std::pair<PlistValue, bool>> cases = {
      {true, true},       {false, false},     {1, true},          {0, false},
      {-3, true},         {0.5, true},        {0.0, false},       {"YES", true},
      {"true", true},     {"1", true},        {"no", false},      {"", false},
      {"0", false},       {NSData{{1}}, false}, {NSDate{5}, false}, {PlistValue::Array{true}, false},
      {PlistValue::Dictionary{{"enabled", true}}, false},
  };
  for (const auto& [value, expected] : cases) {
    SCOPED_TRACE(PlistValue::typeName(value.type()));
    store(value, kEnabledKey);
    EXPECT_EQ(readEnabled(), expected);
  }
  writeEnabled(true);
  EXPECT_EQ(stored(kEnabledKey), PlistValue(true));  // a boolean, not a number
  writeEnabled(false);
  EXPECT_EQ(stored(kEnabledKey), PlistValue(false));
}

TEST_F(StoredPreferences, ReadsNeverWrite) {
  EXPECT_FALSE(readEnabled());
  EXPECT_EQ(KavroIdentifierList::read("com.apple.springboard").count(), 0);
  EXPECT_FALSE(preferencesFileExists());
  EXPECT_FALSE(fs::exists(preferencesFolder()));

  // Not even a file that cannot be read is touched by reading it.
  fs::create_directories(preferencesFolder());
  const fs::path file = device().resolve(kPreferencesFilePath);
  std::ofstream(file) << "not a property list";
  EXPECT_FALSE(readEnabled());
  EXPECT_EQ(KavroIdentifierList::read(kBlacklistKey).count(), 0);
  EXPECT_TRUE(preferencesFileExists());
  std::vector<std::string> entries;
  for (const auto& entry : fs::directory_iterator(preferencesFolder())) entries.push_back(entry.path().filename());
  EXPECT_EQ(entries, std::vector<std::string>{"com.qelm.kavroprefs.plist"});
}

TEST_F(StoredPreferences, TheFullResetEmptiesTheDomainForEveryProcess) {
  writeEnabled(true);
  store(PlistValue::Array{"com.apple.Music"}, kBlacklistKey);
  // The home screen's picker wrote a list the settings process has not read yet.
  {
    kavro::platform::ProcessScope inSpringboard(springboard());
    store(PlistValue::Array{"com.apple.Music"}, "com.apple.camera");
  }
  removeDomain();
  EXPECT_FALSE(preferencesFileExists());
  EXPECT_FALSE(readEnabled());
  EXPECT_EQ(KavroIdentifierList::read(kBlacklistKey).count(), 0);
  kavro::platform::ProcessScope inSpringboard(springboard());
  EXPECT_EQ(KavroIdentifierList::read("com.apple.camera").count(), 0);
}

TEST_F(StoredPreferences, ListRowsAreTheStringsInStoredOrderAndEditsKeepTheRest) {
  store(PlistValue::Array{"com.b", 1, "com.a", PlistValue::Dictionary{}, "com.b", true}, kBlacklistKey);
  auto list = KavroIdentifierList::read(kBlacklistKey);
  EXPECT_EQ(list.identifiers(), (Names{"com.b", "com.a", "com.b"}));
  EXPECT_EQ(list.identifierAt(1), "com.a");
  EXPECT_EQ(list.identifierAt(3), std::nullopt);
  EXPECT_FALSE(list.contains("1"));

  // Moves count the destination after the removal; elements that are no strings
  // keep their places between the rows.
  EXPECT_TRUE(list.move(0, 1));
  list.write();
  EXPECT_EQ(stored(kBlacklistKey),
            PlistValue(PlistValue::Array{1, "com.a", PlistValue::Dictionary{}, "com.b", "com.b", true}));
  list = KavroIdentifierList::read(kBlacklistKey);
  EXPECT_TRUE(list.removeAt(2));
  EXPECT_FALSE(list.removeAt(2));
  EXPECT_FALSE(list.move(-1, 0));
  list.removeAll("com.a");
  list.append("com.c");
  list.write();
  EXPECT_EQ(stored(kBlacklistKey), PlistValue(PlistValue::Array{1, PlistValue::Dictionary{}, "com.b", true, "com.c"}));
}

TEST_F(StoredPreferences, AListThatIsNoArrayReadsEmptyAndIsReplacedOnlyByAnEdit) {
  store("com.apple.Music", kBlacklistKey);
  auto list = KavroIdentifierList::read(kBlacklistKey);
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(stored(kBlacklistKey), PlistValue("com.apple.Music"));
  list.append("com.apple.Maps");
  list.write();
  EXPECT_EQ(stored(kBlacklistKey), PlistValue(PlistValue::Array{"com.apple.Maps"}));
  // Removing the last identifier leaves an empty array under the key.
  list.removeAll("com.apple.Maps");
  list.write();
  EXPECT_EQ(stored(kBlacklistKey), PlistValue(PlistValue::Array{}));
}

TEST_F(StoredPreferences, RemovingAListTakesOnlyItsKeyAndMakesNoFileWhereThereWasNone) {
  KavroIdentifierList::remove(kBlacklistKey);
  EXPECT_FALSE(preferencesFileExists());
  EXPECT_FALSE(fs::exists(preferencesFolder()));

  writeEnabled(true);
  store(PlistValue::Array{"com.apple.Music"}, kBlacklistKey);
  store(PlistValue::Array{"com.apple.mobilesafari"}, "com.apple.Maps");
  KavroIdentifierList::remove(kBlacklistKey);
  EXPECT_TRUE(stored(kBlacklistKey).isNil());
  EXPECT_TRUE(readEnabled());
  EXPECT_EQ(KavroIdentifierList::read("com.apple.Maps").identifiers(), Names{"com.apple.mobilesafari"});
}

}  // namespace
