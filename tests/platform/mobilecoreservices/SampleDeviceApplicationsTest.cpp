// The workspace and icons on the sample device the simulator starts from.

#include "platform/device/Device.h"
#include "platform/mobilecoreservices/ApplicationIcons.h"
#include "platform/mobilecoreservices/LSApplicationProxy.h"
#include "platform/mobilecoreservices/LSApplicationWorkspace.h"
#include "platform/uikit/UIImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace kavro::test {
namespace {

const std::filesystem::path kSampleDevice = std::filesystem::path(KAVRO_SOURCE_DIR) / "sim" / "sample-device";

bool hasTag(const std::shared_ptr<LSApplicationProxy>& proxy, const std::string& tag) {
  auto record = proxy->correspondingApplicationRecord();
  auto tags = record ? record->appTags() : std::nullopt;
  return tags && std::find(tags->begin(), tags->end(), tag) != tags->end();
}

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The sample's applications as the workspace lists them. Only reads the sample: the
// device is pointed at the folder in the source tree.
class SampleDeviceApplicationsTest : public testing::Test {
 protected:
  SampleDeviceApplicationsTest()
      : device(kSampleDevice), inSettings(device.launch("settings", "com.apple.Preferences")) {
    kavro::platform::mobilecoreservices::registerApplicationIcons();
    testing::internal::CaptureStderr();
    applications = LSApplicationWorkspace::defaultWorkspace()->allInstalledApplications();
    report = testing::internal::GetCapturedStderr();
    for (const auto& proxy : applications) byIdentifier.emplace(proxy->applicationIdentifier(), proxy);
  }
  kavro::platform::Device device;
  kavro::platform::ProcessScope inSettings;
  std::vector<std::shared_ptr<LSApplicationProxy>> applications;
  std::string report;  // what the enumeration said on standard error
  std::map<std::string, std::shared_ptr<LSApplicationProxy>> byIdentifier;
};

TEST_F(SampleDeviceApplicationsTest, ListsEveryReadableBundleOnceAndNamesTheTwoBrokenOnes) {
  EXPECT_EQ(applications.size(), 65u) << "67 bundles less Broken and Nameless";
  EXPECT_EQ(byIdentifier.size(), applications.size()) << "an identifier is listed twice";
  EXPECT_NE(report.find("/Applications/Broken.app"), std::string::npos) << report;
  EXPECT_NE(report.find("/Nameless.app"), std::string::npos) << report;
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 2) << report;
}

TEST_F(SampleDeviceApplicationsTest, SystemApplicationsComeFirst) {
  auto firstUser = std::find_if(applications.begin(), applications.end(), [](auto& proxy) {
    return proxy->bundlePath().rfind("/Applications/", 0) != 0;
  });
  ASSERT_NE(firstUser, applications.begin()) << "no system application";
  for (auto it = firstUser; it != applications.end(); ++it)
    EXPECT_NE((*it)->bundlePath().rfind("/Applications/", 0), 0u) << (*it)->applicationIdentifier();
}

TEST_F(SampleDeviceApplicationsTest, NamesAndTagsAreTheOnesTheBundlesDeclare) {
  std::multiset<std::string> visibleNames;
  std::size_t hidden = 0;
  for (const auto& proxy : applications) {
    EXPECT_TRUE(proxy->hasLocalizedName()) << proxy->applicationIdentifier();
    if (hasTag(proxy, "hidden"))
      ++hidden;
    else
      visibleNames.insert(proxy->localizedName());
  }
  EXPECT_EQ(hidden, 4u);
  EXPECT_EQ(visibleNames.count("Notes"), 2u);
  EXPECT_EQ(byIdentifier.at("com.apple.mobilesafari")->localizedName(), "Safari");
  EXPECT_EQ(byIdentifier.at("fm.overcast.overcast")->localizedName(), "Overcast");
  EXPECT_TRUE(hasTag(byIdentifier.at("com.apple.Sidecar"), "SBInternalAppTag"));
  EXPECT_FALSE(hasTag(byIdentifier.at("com.apple.Sidecar"), "hidden"));
  for (const char* excluded : {"com.apple.sidecar", "com.apple.appleseed.FeedbackAssistant", "com.apple.PosterBoard",
                               "com.apple.webapp", "com.apple.dt.XcodePreviews"})
    EXPECT_TRUE(byIdentifier.count(excluded)) << excluded;
}

TEST_F(SampleDeviceApplicationsTest, EveryDeclaredIconIsItsFileAndTheOthersGetPlaceholders) {
  std::size_t fromFiles = 0;
  for (const auto& proxy : applications) {
    auto icon = UIImage::_applicationIconImageForBundleIdentifier(proxy->applicationIdentifier(), 1, 3);
    ASSERT_TRUE(icon && icon->pngData()) << proxy->applicationIdentifier();
    EXPECT_EQ(icon->size(), (CGSize{60, 60}));
    auto names = proxy->correspondingApplicationRecord()->iconFileNames();
    bool isFromFile = icon->description().find("placeholder") == std::string::npos;
    EXPECT_EQ(isFromFile, !names.empty()) << proxy->applicationIdentifier() << ": " << icon->description();
    if (!isFromFile) continue;
    ++fromFiles;
    std::filesystem::path folder = device.resolve(proxy->bundlePath());
    std::vector<std::uint8_t> expected;
    for (const std::string& candidate : {names[0], names[0] + "@3x.png", names[0] + "@2x.png", names[0] + ".png"})
      if (std::filesystem::is_regular_file(folder / candidate)) {
        expected = fileBytes(folder / candidate);
        break;
      }
    EXPECT_EQ(*icon->pngData(), expected) << proxy->applicationIdentifier();
  }
  EXPECT_GE(fromFiles, 55u);
  auto testFlight = UIImage::_applicationIconImageForBundleIdentifier("com.apple.TestFlight", 1, 3);
  EXPECT_NE(testFlight->description().find("placeholder"), std::string::npos);
}

}  // namespace
}  // namespace kavro::test
