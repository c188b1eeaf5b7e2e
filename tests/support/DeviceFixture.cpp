#include "tests/support/DeviceFixture.h"

#include <fstream>
#include <iterator>

#include <cstdlib>
#include <random>
#include <system_error>

namespace kavro::test {

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TemporaryFolder::TemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kavro-test-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  if (!made) throw std::system_error(errno, std::generic_category(), "mkdtemp");
  path_ = made;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

DeviceTest::DeviceTest() {
  device_ = std::make_unique<kavro::platform::Device>(folder_.path() / "device");
  settings_ = &device_->launch("settings", "com.apple.Preferences");
  scope_.emplace(*settings_);
}

DeviceTest::~DeviceTest() {
  scope_.reset();
  device_.reset();
}

kavro::platform::Process& DeviceTest::springboard() {
  return device_->launch("springboard", "com.apple.springboard");
}

}  // namespace kavro::test
