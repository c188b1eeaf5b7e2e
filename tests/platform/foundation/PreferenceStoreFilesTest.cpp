// The preference store on its files, within one process: where and how domains are
// written, what a write leaves alone, refused domain names, and damaged files that
// read as empty and are moved aside, never destroyed.

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"
#include "tests/platform/foundation/BinaryPlistBuilder.h"
#include "tests/support/DeviceFixture.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
constexpr const char* kFilesDomain = "com.example.store";

ino_t inodeOf(const fs::path& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

class PreferenceStoreFiles : public ::testing::Test {
 protected:
  fs::path folder() const { return temporary_.path() / "Preferences"; }
  fs::path domainFile() const { return folder() / (std::string(kFilesDomain) + ".plist"); }
  std::shared_ptr<NSUserDefaults> defaults() { return NSUserDefaults::defaultsWithDirectory(folder()); }

  kavro::test::TemporaryFolder temporary_;
};

TEST_F(PreferenceStoreFiles, WritesBinaryDomainFilesAndReadsXmlOnes) {
  auto store = defaults();
  EXPECT_EQ(store->pathForDomain(kFilesDomain), domainFile());
  ASSERT_TRUE(store->setObject(true, "enabled", kFilesDomain));  // makes the folder too
  const Bytes written = kavro::test::readFileBytes(domainFile());
  ASSERT_GE(written.size(), 8u);
  EXPECT_EQ(std::string(written.begin(), written.begin() + 8), "bplist00");
  EXPECT_EQ(*NSPropertyListSerialization::propertyListWithData(written),
            PlistValue(PlistValue::Dictionary{{"enabled", true}}));
  EXPECT_FALSE(fs::exists(domainFile().string() + ".tmp"));
  EXPECT_EQ(store->persistentDomainNames(), std::vector<std::string>{kFilesDomain});

  // Another writer's XML file is read as well, and the next write keeps its values.
  kavro::test::writeFileBytes(folder() / "com.example.xml.plist",
            kavro::test::bytesOf("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>name</key>"
                    "<string>x</string></dict></plist>"));
  EXPECT_EQ(store->objectForKey("name", "com.example.xml"), PlistValue("x"));
  ASSERT_TRUE(store->setObject(2, "count", "com.example.xml"));
  EXPECT_EQ(store->persistentDomainForName("com.example.xml"),
            (PlistValue::Dictionary{{"count", 2}, {"name", "x"}}));
  EXPECT_EQ(store->persistentDomainNames(),
            (std::vector<std::string>{kFilesDomain, "com.example.xml"}));
  EXPECT_TRUE(store->synchronize());
}

TEST_F(PreferenceStoreFiles, NilRemovesAKeyAndWritesThatChangeNothingLeaveTheFileAlone) {
  auto store = defaults();
  // Removing what is not there makes no folder, no lock and no file.
  EXPECT_TRUE(store->setObject(PlistValue(), "enabled", kFilesDomain));
  EXPECT_FALSE(fs::exists(folder()));

  ASSERT_TRUE(store->setObject(PlistValue::Array{"a", "b"}, "list", kFilesDomain));
  ASSERT_TRUE(store->setObject(true, "enabled", kFilesDomain));
  const ino_t before = inodeOf(domainFile());
  EXPECT_TRUE(store->setObject(PlistValue::Array{"a", "b"}, "list", kFilesDomain));
  EXPECT_TRUE(store->setObject(PlistValue(), "absent", kFilesDomain));
  EXPECT_EQ(inodeOf(domainFile()), before);

  // The same value of another type is a change.
  EXPECT_TRUE(store->setObject(1, "enabled", kFilesDomain));
  EXPECT_NE(inodeOf(domainFile()), before);
  EXPECT_TRUE(store->setObject(PlistValue(), "enabled", kFilesDomain));
  EXPECT_TRUE(store->objectForKey("enabled", kFilesDomain).isNil());
  EXPECT_EQ(store->objectForKey("list", kFilesDomain), PlistValue(PlistValue::Array{"a", "b"}));

  // A value that cannot be stored is refused and the file keeps what it had.
  EXPECT_FALSE(store->setObject(PlistValue::Array{PlistValue()}, "bad", kFilesDomain));
  EXPECT_NE(store->lastError().find("nil"), std::string::npos);
  EXPECT_EQ(store->persistentDomainForName(kFilesDomain).size(), 1u);
}

TEST_F(PreferenceStoreFiles, RemovingADomainRemovesItsFile) {
  auto store = defaults();
  ASSERT_TRUE(store->setPersistentDomain({{"enabled", true}, {"list", PlistValue::Array{"x"}}}, kFilesDomain));
  ASSERT_TRUE(fs::exists(domainFile()));
  EXPECT_TRUE(store->removePersistentDomainForName(kFilesDomain));
  EXPECT_FALSE(fs::exists(domainFile()));
  EXPECT_TRUE(store->objectForKey("enabled", kFilesDomain).isNil());
  EXPECT_TRUE(store->persistentDomainNames().empty());
  // Removing a domain that has no file succeeds and changes nothing.
  EXPECT_TRUE(store->removePersistentDomainForName(kFilesDomain));
  EXPECT_TRUE(store->removePersistentDomainForName("com.example.never"));
  EXPECT_TRUE(store->synchronize());
  // An empty domain set on purpose does have a file.
  ASSERT_TRUE(store->setObject(1, "k", kFilesDomain));
  ASSERT_TRUE(store->setPersistentDomain({}, kFilesDomain));
  EXPECT_TRUE(fs::exists(domainFile()));
  EXPECT_TRUE(store->persistentDomainForName(kFilesDomain).empty());
}

TEST_F(PreferenceStoreFiles, DomainNamesThatAreNoPlainFileNamesAreRefused) {
  auto store = defaults();
  ASSERT_TRUE(store->setObject(1, "k", kFilesDomain));
  for (const std::string& name :
       {std::string(), std::string("a/b"), std::string("../escape"), std::string(".hidden"),
        std::string(".."), std::string("nul\0inside", 10), std::string(201, 'x')}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(store->setObject(true, "enabled", name));
    EXPECT_NE(store->lastError().find("domain name"), std::string::npos);
    EXPECT_TRUE(store->objectForKey("enabled", name).isNil());
    EXPECT_FALSE(store->lastError().empty());
    EXPECT_FALSE(store->removePersistentDomainForName(name));
    EXPECT_TRUE(store->pathForDomain(name).empty());
  }
  std::vector<std::string> entries;
  for (const auto& entry : fs::directory_iterator(folder())) entries.push_back(entry.path().filename());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{std::string(kFilesDomain) + ".plist",
                                                std::string(kFilesDomain) + ".plist.lock"}));
  EXPECT_FALSE(fs::exists(temporary_.path() / "escape.plist"));
  EXPECT_TRUE(store->objectForKey("k", kFilesDomain) == PlistValue(1));
  EXPECT_TRUE(store->lastError().empty());
}

TEST_F(PreferenceStoreFiles, DamagedFilesReadAsEmptyAndAreMovedAsideByTheNextWrite) {
  kavro::test::BinaryPlistBuilder cycle;
  cycle.add(cycle.array({0}));
  kavro::test::BinaryPlistBuilder deep;
  for (int i = 0; i < 9999; ++i) deep.add(deep.array({static_cast<std::uint64_t>(i + 1)}));
  deep.add(deep.array({}));
  std::string deepXml = "<plist>";
  for (int i = 0; i < 10000; ++i) deepXml += "<array>";
  for (int i = 0; i < 10000; ++i) deepXml += "</array>";
  deepXml += "</plist>";
  const Bytes valid = *NSPropertyListSerialization::dataWithPropertyList(
      PlistValue(PlistValue::Dictionary{{"enabled", true}, {"list", PlistValue::Array{"a"}}}),
      NSPropertyListFormat::binary);
  Bytes flipped = valid;
  flipped[flipped.size() - 9] ^= 0x40;  // the root object's number
  const std::vector<std::pair<std::string, Bytes>> damaged = {
      {"empty", {}},
      {"truncated", Bytes(valid.begin(), valid.end() - 5)},
      {"bit-flipped", flipped},
      {"random", kavro::test::bytesOf("\x93\x01garbage\xff\x00 that is no property list")},
      {"array root", *NSPropertyListSerialization::dataWithPropertyList(
                         PlistValue(PlistValue::Array{1}), NSPropertyListFormat::binary)},
      {"cyclic", cycle.build()},
      {"deep binary", deep.build()},
      {"deep XML", kavro::test::bytesOf(deepXml)},
  };
  for (const auto& [what, bytes] : damaged) {
    SCOPED_TRACE(what);
    fs::remove_all(folder());
    kavro::test::writeFileBytes(domainFile(), bytes);
    auto store = defaults();
    EXPECT_TRUE(store->objectForKey("enabled", kFilesDomain).isNil());
    EXPECT_NE(store->lastError().find(domainFile().string()), std::string::npos);
    EXPECT_TRUE(store->persistentDomainForName(kFilesDomain).empty());
    EXPECT_EQ(kavro::test::readFileBytes(domainFile()), bytes) << "a read never writes";

    ASSERT_TRUE(store->setObject(7, "fresh", kFilesDomain));
    EXPECT_EQ(kavro::test::readFileBytes(domainFile().string() + ".corrupt-1"), bytes);
    EXPECT_EQ(store->persistentDomainForName(kFilesDomain), (PlistValue::Dictionary{{"fresh", 7}}));
  }
  // A second damaged file goes to the first unused name; removing the domain moves
  // it aside as well instead of deleting it.
  kavro::test::writeFileBytes(domainFile(), kavro::test::bytesOf("still broken"));
  auto store = defaults();
  EXPECT_TRUE(store->removePersistentDomainForName(kFilesDomain));
  EXPECT_FALSE(fs::exists(domainFile()));
  EXPECT_EQ(kavro::test::readFileBytes(domainFile().string() + ".corrupt-2"), kavro::test::bytesOf("still broken"));
  EXPECT_EQ(kavro::test::readFileBytes(domainFile().string() + ".corrupt-1"), damaged.back().second);
}

TEST_F(PreferenceStoreFiles, AFileThatCannotBeReadIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads a file whatever its permissions";
  kavro::test::writeFileBytes(domainFile(), *NSPropertyListSerialization::dataWithPropertyList(
                              PlistValue(PlistValue::Dictionary{{"keep", "me"}}), NSPropertyListFormat::binary));
  fs::permissions(domainFile(), fs::perms::none);
  auto store = defaults();
  EXPECT_TRUE(store->objectForKey("keep", kFilesDomain).isNil());
  EXPECT_FALSE(store->setObject(true, "enabled", kFilesDomain));
  EXPECT_NE(store->lastError().find("not replacing"), std::string::npos);
  fs::permissions(domainFile(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(defaults()->objectForKey("keep", kFilesDomain), PlistValue("me"));
}

class StandardUserDefaults : public kavro::test::DeviceTest {};

TEST_F(StandardUserDefaults, EachProcessHasItsOwnObjectOverTheDevicesFolder) {
  const std::string path = std::string(NSUserDefaults::kPreferencesDirectory) + "/" + kFilesDomain + ".plist";
  auto settingsDefaults = NSUserDefaults::standardUserDefaults();
  EXPECT_EQ(NSUserDefaults::standardUserDefaults(), settingsDefaults);
  EXPECT_FALSE(NSFileManager::defaultManager()->fileExistsAtPath(path));
  ASSERT_TRUE(settingsDefaults->setObject(PlistValue::Array{"com.apple.Music"}, "blacklist", kFilesDomain));
  EXPECT_TRUE(fs::is_regular_file(device().resolve(path)));
  EXPECT_EQ(settingsDefaults->pathForDomain(kFilesDomain), device().resolve(path));

  auto fileManager = NSFileManager::defaultManager();
  bool isDirectory = true;
  EXPECT_TRUE(fileManager->fileExistsAtPath(path, &isDirectory));
  EXPECT_FALSE(isDirectory);
  EXPECT_TRUE(fileManager->fileExistsAtPath(NSUserDefaults::kPreferencesDirectory, &isDirectory));
  EXPECT_TRUE(isDirectory);
  EXPECT_EQ(fileManager->contentsOfDirectoryAtPath(NSUserDefaults::kPreferencesDirectory),
            (std::vector<std::string>{std::string(kFilesDomain) + ".plist", std::string(kFilesDomain) + ".plist.lock"}));
  std::vector<unsigned char> bytes;
  EXPECT_TRUE(fileManager->contentsAtPath(path, bytes));
  EXPECT_EQ(bytes, kavro::test::readFileBytes(device().resolve(path)));
  EXPECT_FALSE(fileManager->contentsAtPath("/var/jb/missing", bytes));

  kavro::platform::ProcessScope inSpringboard(springboard());
  EXPECT_NE(NSUserDefaults::standardUserDefaults(), settingsDefaults);
  EXPECT_NE(NSFileManager::defaultManager(), fileManager);
  EXPECT_EQ(NSUserDefaults::standardUserDefaults()->objectForKey("blacklist", kFilesDomain),
            PlistValue(PlistValue::Array{"com.apple.Music"}));
  ASSERT_TRUE(NSUserDefaults::standardUserDefaults()->setObject(false, "enabled", kFilesDomain));
  kavro::platform::ProcessScope backInSettings(settings());
  EXPECT_EQ(settingsDefaults->objectForKey("enabled", kFilesDomain), PlistValue(false));
}

}  // namespace
