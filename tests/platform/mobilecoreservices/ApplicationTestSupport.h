#pragma once
// Installs applications into the fixture's device: .app folders with an Info.plist
// and icon files, as the device keeps them.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/mobilecoreservices/ApplicationIcons.h"
#include "platform/mobilecoreservices/FileIdentity.h"
#include "platform/mobilecoreservices/IconPixels.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kavro::test {

class ApplicationsTest : public DeviceTest {
 protected:
  using Dictionary = PlistValue::Dictionary;

  ~ApplicationsTest() override { kavro::platform::mobilecoreservices::setFileClockForTesting(nullptr); }

  // DEVICE + an iOS path.
  std::filesystem::path hostPath(const std::string& iosPath) { return device().resolve(iosPath); }

  static void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static void writeFile(const std::filesystem::path& path, const std::string& text) {
    writeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
  }

  // Puts a new file in place of `path` by renaming, as installers do.
  static void replaceFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::path temporary = path;
    temporary += ".new";
    writeFile(temporary, bytes);
    std::filesystem::rename(temporary, path);
  }

  // Writes `info` as the XML Info.plist of the .app folder at `bundlePath`.
  std::filesystem::path install(const std::string& bundlePath, const PlistValue& info) {
    auto bytes = NSPropertyListSerialization::dataWithPropertyList(info, NSPropertyListFormat::xml);
    EXPECT_TRUE(bytes) << bundlePath;
    std::filesystem::path folder = hostPath(bundlePath);
    writeFile(folder / "Info.plist", bytes.value_or(std::vector<std::uint8_t>{}));
    return folder;
  }
  std::filesystem::path installSystem(const std::string& folderName, const std::string& identifier,
                                      const std::string& name, Dictionary extra = {}) {
    return install("/Applications/" + folderName, info(identifier, name, std::move(extra)));
  }
  std::filesystem::path installUser(const std::string& container, const std::string& folderName,
                                    const std::string& identifier, const std::string& name,
                                    Dictionary extra = {}) {
    return install("/var/containers/Bundle/Application/" + container + "/" + folderName,
                   info(identifier, name, std::move(extra)));
  }

  static PlistValue info(const std::string& identifier, const std::string& name, Dictionary extra = {}) {
    extra["CFBundleIdentifier"] = identifier;
    if (!name.empty()) extra["CFBundleDisplayName"] = name;
    return extra;
  }
  // CFBundleIcons > CFBundlePrimaryIcon > CFBundleIconFiles.
  static Dictionary primaryIcons(PlistValue::Array names) {
    return {{"CFBundleIcons", Dictionary{{"CFBundlePrimaryIcon", Dictionary{{"CFBundleIconFiles", names}}}}}};
  }
  // A valid PNG, `side` pixels square; different seeds give different pixels.
  static std::vector<std::uint8_t> png(std::uint32_t side, const std::string& seed = "icon") {
    return kavro::platform::mobilecoreservices::drawPlaceholderIcon(seed, side);
  }

  // Makes every file reading count as settled, as it would be a tick of the file
  // clock later, so that the caches serve what has not changed.
  static void settleFileClock() {
    kavro::platform::mobilecoreservices::setFileClockForTesting([] { return timespec{4'000'000'000, 0}; });
  }
};

}  // namespace kavro::test
