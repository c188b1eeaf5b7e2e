// Property lists against an independent implementation, Python's plistlib: files
// plistlib writes (binary with every offset and reference width from 1 to 8 bytes,
// and XML) read here as plistlib reads them, and files the store writes read in
// plistlib as the store meant them.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/PreferenceDomainStore.h"
#include "tests/platform/foundation/PlistValueGenerator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

namespace {

namespace fs = std::filesystem;
using kavro::platform::foundation::PreferenceDomainStore;
using kavro::test::canonical;
using kavro::test::PlistValueGenerator;
using nlohmann::json;

const fs::path kPeer = fs::path(KAVRO_SOURCE_DIR) / "tests/platform/foundation/plistlib_peer.py";

// Runs the peer and returns its output lines as JSON.
std::vector<json> runPeer(const std::string& arguments) {
  const std::string command = "python3 '" + kPeer.string() + "' " + arguments;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  EXPECT_TRUE(pipe) << command;
  std::vector<json> lines;
  if (!pipe) return lines;
  std::string line;
  char buffer[1 << 16];
  while (std::fgets(buffer, sizeof buffer, pipe.get())) {
    line += buffer;
    if (line.back() != '\n') continue;
    lines.push_back(json::parse(line));
    line.clear();
  }
  EXPECT_EQ(::pclose(pipe.release()), 0) << command << " failed (is python3 installed?)";
  return lines;
}

class PropertyListDifferential : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("kavro-plistlib-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
};

TEST_F(PropertyListDifferential, FilesPlistlibWritesReadAsPlistlibReadsThem) {
  const auto files = runPeer("generate '" + folder_.string() + "' 20261207 60");
  ASSERT_GT(files.size(), 200u);
  for (const json& file : files) {
    const fs::path path = folder_ / file["file"].get<std::string>();
    std::string error;
    auto value = NSPropertyListSerialization::propertyListWithContentsOfFile(path, &error);
    ASSERT_TRUE(value) << path << ": " << error;
    EXPECT_EQ(canonical(*value), file["value"]) << path;
    // Whatever the store reads, it writes back equal.
    auto bytes = NSPropertyListSerialization::dataWithPropertyList(*value, NSPropertyListFormat::binary, &error);
    ASSERT_TRUE(bytes) << path << ": " << error;
    auto again = NSPropertyListSerialization::propertyListWithData(*bytes, &error);
    ASSERT_TRUE(again) << path << ": " << error;
    EXPECT_EQ(canonical(*again, true), canonical(*value, true)) << path;
  }
}

TEST_F(PropertyListDifferential, FilesTheStoreWritesReadInPlistlibAsMeant) {
  PreferenceDomainStore store(folder_);
  PlistValueGenerator generator(20261207, {.datesInCalendarYears = true});
  std::vector<std::pair<std::string, PlistValue::Dictionary>> domains;
  for (int n = 0; n < 80; ++n) {
    auto values = generator.dictionary();
    values["always"] = generator.value();  // an empty domain has no file
    domains.emplace_back("random-" + std::to_string(n), std::move(values));
  }
  // Files whose offsets and references need 2, 3 and 4 bytes.
  PlistValue::Array items;
  for (int n = 0; n < 70000; ++n) items.push_back(PlistValue("item-" + std::to_string(n)));
  domains.emplace_back("references-65536", PlistValue::Dictionary{{"list", PlistValue(items)}});
  NSData blob;
  blob.bytes.resize((16u << 20) + 4096, 0xA5);
  domains.emplace_back("data-16MiB", PlistValue::Dictionary{{"blob", PlistValue(blob)}, {"after", "kept"}});

  std::string paths;
  for (const auto& [domain, values] : domains) {
    ASSERT_TRUE(store.replaceDomain(values, domain)) << store.lastError();
    paths += " '" + store.fileForDomain(domain).string() + "'";
  }
  const auto described = runPeer("describe" + paths);
  ASSERT_EQ(described.size(), domains.size());
  for (std::size_t n = 0; n < domains.size(); ++n) {
    ASSERT_TRUE(described[n].contains("value")) << domains[n].first << ": " << described[n];
    EXPECT_EQ(described[n]["value"], canonical(PlistValue(domains[n].second))) << domains[n].first;
  }
}

}  // namespace
