// The fuzzer's seed corpus and the inputs that once made it fail, in every build:
// each is read without a crash, and what reads writes back and reads back the same.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "tests/platform/foundation/PlistValueGenerator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

TEST(PropertyListCorpus, EveryInputReadsOrIsRefusedAndRoundTrips) {
  std::size_t inputs = 0, read = 0;
  for (const char* folder : {"tests/fuzz/corpus", "tests/fuzz/regressions"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(KAVRO_SOURCE_DIR) / folder)) {
      if (!entry.is_regular_file() || entry.path().filename().string().starts_with(".")) continue;
      SCOPED_TRACE(entry.path().string());
      ++inputs;
      std::ifstream file(entry.path(), std::ios::binary);
      const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
      std::string error;
      auto value = NSPropertyListSerialization::propertyListWithData(bytes, &error);
      if (!value) {
        EXPECT_FALSE(error.empty());
        continue;
      }
      ++read;
      auto written = NSPropertyListSerialization::dataWithPropertyList(*value, NSPropertyListFormat::binary, &error);
      if (!written) {
        EXPECT_NE(error.find("UTF-8"), std::string::npos) << error;
        continue;
      }
      auto again = NSPropertyListSerialization::propertyListWithData(*written, &error);
      ASSERT_TRUE(again) << error;
      EXPECT_EQ(kavro::test::canonical(*again, true), kavro::test::canonical(*value, true));
    }
  }
  EXPECT_GT(inputs, 50u);
  EXPECT_GT(read, 40u);
}

}  // namespace
