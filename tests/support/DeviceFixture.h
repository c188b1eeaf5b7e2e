#pragma once
// A fresh simulated device in a temporary folder, with the settings process running
// and current for the length of a test.

#include "platform/device/Device.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kavro::test {

// A whole file's bytes (empty when it cannot be read).
std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path);
// Replaces a file's bytes, making its folder first.
void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
// A text's bytes, as a file holding it would.
inline std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

// A temporary folder removed when the object goes.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

class DeviceTest : public ::testing::Test {
 protected:
  DeviceTest();
  ~DeviceTest() override;

  kavro::platform::Device& device() { return *device_; }
  kavro::platform::Process& settings() { return *settings_; }
  // Starts (or returns) the home-screen process.
  kavro::platform::Process& springboard();
  const std::filesystem::path& root() const { return folder_.path(); }
  // Advances the virtual clock.
  void wait(double seconds) { device_->advance(seconds); }

 private:
  TemporaryFolder folder_;
  std::unique_ptr<kavro::platform::Device> device_;
  kavro::platform::Process* settings_ = nullptr;
  std::optional<kavro::platform::ProcessScope> scope_;
};

}  // namespace kavro::test
