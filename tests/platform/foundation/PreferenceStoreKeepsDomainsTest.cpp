// The store never loses a domain: files of any size the format allows, values the
// reader accepts written back intact (text that is not UTF-8 repaired with the
// original kept), things that are not files at a domain's path moved aside without
// ever being opened for a blocking read, and the size limit held on every path.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"
#include "tests/platform/foundation/BinaryPlistBuilder.h"
#include "tests/platform/foundation/PlistValueGenerator.h"
#include "tests/support/DeviceFixture.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using kavro::test::BinaryPlistBuilder;
constexpr const char* kKeptDomain = "com.example.keep";

fs::file_type typeOf(const fs::path& path) { return fs::symlink_status(path).type(); }

class PreferenceStoreKeepsDomains : public ::testing::Test {
 protected:
  fs::path folder() const { return temporary_.path() / "Preferences"; }
  fs::path domainFile() const { return folder() / (std::string(kKeptDomain) + ".plist"); }
  fs::path aside(const char* kind, int n) const { return domainFile().string() + "." + kind + "-" + std::to_string(n); }
  std::shared_ptr<NSUserDefaults> defaults() { return NSUserDefaults::defaultsWithDirectory(folder()); }

  kavro::test::TemporaryFolder temporary_;
};

TEST_F(PreferenceStoreKeepsDomains, FilesPast64KiBKeepEveryKey) {
  // As another writer lays such a file out: three-byte offsets, one-byte references.
  BinaryPlistBuilder builder;
  builder.offsetSize = 3;
  builder.referenceSize = 1;
  auto keepKey = builder.add(builder.ascii("keep"));
  auto keepValue = builder.add(builder.ascii("precious"));
  auto bigKey = builder.add(builder.ascii("big"));
  auto bigValue = builder.add(builder.ascii(std::string(70000, 'e')));
  builder.root = builder.add(builder.dictionary({keepKey, bigKey}, {keepValue, bigValue}));
  kavro::test::writeFileBytes(domainFile(), builder.build());

  auto store = defaults();
  EXPECT_EQ(store->objectForKey("keep", kKeptDomain), PlistValue("precious"));
  ASSERT_TRUE(store->setObject(PlistValue("new"), "another", kKeptDomain)) << store->lastError();
  EXPECT_FALSE(fs::exists(aside("corrupt", 1)));

  // And a list of 6,000 entries written by the store itself.
  PlistValue::Array list;
  for (int n = 1; n <= 6000; ++n) list.push_back(PlistValue("element-" + std::to_string(n)));
  ASSERT_TRUE(store->setObject(PlistValue(list), "list", kKeptDomain));
  ASSERT_GT(fs::file_size(domainFile()), 65536u);
  auto fresh = defaults();
  EXPECT_EQ(fresh->objectForKey("keep", kKeptDomain), PlistValue("precious"));
  EXPECT_EQ(fresh->objectForKey("list", kKeptDomain), PlistValue(list));
  EXPECT_EQ(fresh->persistentDomainForName(kKeptDomain).size(), 4u);
}

TEST_F(PreferenceStoreKeepsDomains, WhatTheStoreWritesItReadsBackEqual) {
  using kavro::test::canonical;
  kavro::test::PlistValueGenerator generator(42, {});
  auto writer = defaults();
  for (int round = 0; round < 150; ++round) {
    auto values = generator.dictionary();
    values["always"] = generator.value();
    ASSERT_TRUE(writer->setPersistentDomain(values, kKeptDomain)) << writer->lastError();
    EXPECT_EQ(canonical(PlistValue(defaults()->persistentDomainForName(kKeptDomain)), true),
              canonical(PlistValue(values), true))
        << "round " << round;
  }
}

TEST_F(PreferenceStoreKeepsDomains, ValuesOtherWritersStoreNeverWedgeTheDomain) {
  // Text that is not UTF-8 (an ASCII-typed string with a Latin-1 byte, a UTF-16
  // string with a lone surrogate) and dates beyond what 32-bit seconds hold.
  BinaryPlistBuilder builder;
  std::vector<std::uint64_t> keys, values;
  auto add = [&](const std::string& key, BinaryPlistBuilder::Bytes value) {
    keys.push_back(builder.add(builder.ascii(key)));
    values.push_back(builder.add(std::move(value)));
  };
  add("latin1", builder.ascii("caf\xE9"));
  add("surrogate", BinaryPlistBuilder::Bytes{0x61, 0xD8, 0x00});
  add("in2100", builder.date(3124137600.0));
  add("farFuture", builder.date(1e12));
  add("enabled", BinaryPlistBuilder::Bytes{0x09});
  builder.root = builder.add(builder.dictionary(keys, values));
  const Bytes original = builder.build();
  kavro::test::writeFileBytes(domainFile(), original);

  auto store = defaults();
  EXPECT_EQ(store->objectForKey("latin1", kKeptDomain), PlistValue("caf\xE9"));
  EXPECT_EQ(store->objectForKey("surrogate", kKeptDomain), PlistValue("\xED\xA0\x80"));
  EXPECT_EQ(store->objectForKey("in2100", kKeptDomain), PlistValue(NSDate{3124137600.0}));

  // A write of another key succeeds, keeps every value it can and the file as it was.
  ASSERT_TRUE(store->setObject(PlistValue(false), "enabled", kKeptDomain)) << store->lastError();
  EXPECT_EQ(kavro::test::readFileBytes(aside("original", 1)), original);
  auto fresh = defaults();
  EXPECT_EQ(fresh->objectForKey("enabled", kKeptDomain), PlistValue(false));
  EXPECT_EQ(fresh->objectForKey("latin1", kKeptDomain), PlistValue("caf\xEF\xBF\xBD"));
  EXPECT_EQ(fresh->objectForKey("surrogate", kKeptDomain), PlistValue("\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"));
  EXPECT_EQ(fresh->objectForKey("in2100", kKeptDomain), PlistValue(NSDate{3124137600.0}));
  EXPECT_EQ(fresh->objectForKey("farFuture", kKeptDomain), PlistValue(NSDate{1e12}));
  // Nothing left to repair: the next write keeps no further copy.
  ASSERT_TRUE(fresh->setObject(PlistValue(true), "enabled", kKeptDomain));
  EXPECT_FALSE(fs::exists(aside("original", 2)));

  // The same from an XML file with a raw byte that is not UTF-8.
  const std::string xml = "<plist version=\"1.0\"><dict><key>name</key><string>a\xFF" "b</string></dict></plist>";
  kavro::test::writeFileBytes(domainFile(), Bytes(xml.begin(), xml.end()));
  ASSERT_TRUE(defaults()->setObject(PlistValue(1), "count", kKeptDomain)) << store->lastError();
  EXPECT_EQ(kavro::test::readFileBytes(aside("original", 2)), Bytes(xml.begin(), xml.end()));
  EXPECT_EQ(defaults()->objectForKey("name", kKeptDomain), PlistValue("a\xEF\xBF\xBD" "b"));
}

TEST_F(PreferenceStoreKeepsDomains, WhatIsNotAFileIsMovedAsideWithoutBeingOpened) {
  const fs::path outside = temporary_.path() / "outside.plist";
  kavro::test::writeFileBytes(outside, *NSPropertyListSerialization::dataWithPropertyList(
                         PlistValue(PlistValue::Dictionary{{"secret", "outside"}}), NSPropertyListFormat::binary));
  const std::vector<std::pair<std::string, std::function<void()>>> makers = {
      {"FIFO", [&] { ASSERT_EQ(::mkfifo(domainFile().c_str(), 0644), 0); }},
      {"folder", [&] { fs::create_directories(domainFile()); }},
      {"symbolic link", [&] { fs::create_symlink(outside, domainFile()); }},
      {"dangling link", [&] { fs::create_symlink(temporary_.path() / "nowhere", domainFile()); }},
  };
  for (const auto& [what, make] : makers) {
    SCOPED_TRACE(what);
    fs::remove_all(folder());
    fs::create_directories(folder());
    make();
    const fs::file_type type = typeOf(domainFile());
    auto store = defaults();
    // A FIFO opened for reading would block here until a writer came.
    EXPECT_TRUE(store->objectForKey("secret", kKeptDomain).isNil());
    EXPECT_NE(store->lastError().find("not a regular file"), std::string::npos) << store->lastError();
    EXPECT_TRUE(store->persistentDomainForName(kKeptDomain).empty());

    ASSERT_TRUE(store->setObject(PlistValue(7), "fresh", kKeptDomain)) << store->lastError();
    EXPECT_EQ(typeOf(aside("corrupt", 1)), type);
    EXPECT_EQ(typeOf(domainFile()), fs::file_type::regular);
    EXPECT_EQ(defaults()->persistentDomainForName(kKeptDomain), (PlistValue::Dictionary{{"fresh", 7}}));
  }
  EXPECT_EQ(*NSPropertyListSerialization::propertyListWithContentsOfFile(outside),
            PlistValue(PlistValue::Dictionary{{"secret", "outside"}}));

  // Removing the domain moves such a thing aside too.
  fs::remove_all(folder());
  fs::create_directories(domainFile());
  EXPECT_TRUE(defaults()->removePersistentDomainForName(kKeptDomain));
  EXPECT_TRUE(fs::is_directory(aside("corrupt", 1)));
  EXPECT_FALSE(fs::exists(domainFile()));
}

long peakResidentKiB() {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST_F(PreferenceStoreKeepsDomains, OversizedFilesAreNeverReadOnAnyPath) {
  fs::create_directories(folder());
  {
    // 200 MB that cost no disk: a sparse file.
    int fd = ::open(domainFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 200'000'000), 0);
    ::close(fd);
  }
  const long before = peakResidentKiB();
  auto store = defaults();
  for (int look = 0; look < 3; ++look) {
    EXPECT_TRUE(store->objectForKey("enabled", kKeptDomain).isNil());
    EXPECT_TRUE(store->persistentDomainForName(kKeptDomain).empty());
    EXPECT_NE(store->lastError().find("larger than"), std::string::npos);
  }
  EXPECT_LT(peakResidentKiB() - before, 64 * 1024) << "the file was read into memory";
  ASSERT_TRUE(store->setObject(PlistValue(true), "enabled", kKeptDomain)) << store->lastError();
  EXPECT_EQ(fs::file_size(aside("corrupt", 1)), 200'000'000u);
  EXPECT_EQ(defaults()->objectForKey("enabled", kKeptDomain), PlistValue(true));
}

}  // namespace
