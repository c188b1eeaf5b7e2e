#include "tests/support/DeviceFixture.h"

#include <cstdlib>
#include <random>
#include <system_error>

namespace kavro::test {

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
  device_ = std::make_unique<platform::Device>(folder_.path() / "device");
  settings_ = &device_->launch("settings", "com.apple.Preferences");
  scope_.emplace(*settings_);
}

DeviceTest::~DeviceTest() {
  scope_.reset();
  device_.reset();
}

platform::Process& DeviceTest::springboard() {
  return device_->launch("springboard", "com.apple.springboard");
}

}  // namespace kavro::test
