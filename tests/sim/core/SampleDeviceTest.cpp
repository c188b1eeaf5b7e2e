#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include "platform/foundation/NSPropertyListSerialization.h"
#include "sim/core/SampleDevice.h"
#include "tests/support/DeviceFixture.h"

namespace kavro::sim {
namespace {

namespace fs = std::filesystem;
using test::TemporaryFolder;

const fs::path kSourceTree(KAVRO_SOURCE_DIR);
const fs::path kSample = kSourceTree / "sim" / "sample-device";
const fs::path kResources = kSourceTree / "resources";

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

ino_t inode(const fs::path& path) {
  struct stat status {};
  ::stat(path.c_str(), &status);
  return status.st_ino;
}

unsigned mode(const fs::path& path) {
  struct stat status {};
  ::stat(path.c_str(), &status);
  return status.st_mode & 07777;
}

// Files whose names a device's bundle folder or its parent should not keep.
std::vector<std::string> leftovers(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name.find(".tmp-") != std::string::npos || name.find(".creating-") != std::string::npos)
      found.push_back(name);
  }
  return found;
}

void expectBundleInstalled(const fs::path& device) {
  fs::path bundle = device / kInstalledBundlePath;
  for (const char* name : {"Info.plist", "Root.plist", "constellation-dark.png",
                           "constellation-light.png", "icon.png"}) {
    EXPECT_EQ(readFile(bundle / name), readFile(kResources / name)) << name;
  }
  EXPECT_EQ(readFile(device / kSettingsEntryPath), readFile(kResources / "kavroprefs.plist"));
  EXPECT_TRUE(fs::is_directory(device / kPreferencesPath));
}

TEST(SampleDeviceTest, CreatesTheDeviceOnceThenOnlyRefreshesTheBundle) {
  TemporaryFolder folder;
  fs::path device = folder.path() / "devices" / "phone";
  prepareDevice(device);

  EXPECT_TRUE(fs::exists(device / "Applications/MobileSafari.app/Info.plist"));
  EXPECT_TRUE(fs::exists(device / "Applications/MobileSafari.app/AppIcon60x60@3x.png"));
  EXPECT_FALSE(fs::exists(device / "README.md"));
  expectBundleInstalled(device);
  EXPECT_EQ(mode(device), 0755u);
  EXPECT_EQ(mode(device / kInstalledBundlePath), 0755u);
  EXPECT_EQ(mode(device / kPreferencesPath), 0755u);
  EXPECT_TRUE(leftovers(folder.path() / "devices").empty());

  // The user's changes to the device: a stored setting, an app removed, one edited;
  // and a bundle that an older build installed.
  fs::path preferences = device / kPreferencesPath / "com.qelm.kavroprefs.plist";
  writeFile(preferences, "stored settings");
  fs::remove_all(device / "Applications/Tips.app");
  fs::path safari = device / "Applications/MobileSafari.app/Info.plist";
  writeFile(safari, "edited");
  fs::path rootList = device / kInstalledBundlePath / "Root.plist";
  writeFile(rootList, "an older Root.plist");
  fs::remove(device / kInstalledBundlePath / "constellation-dark.png");
  fs::path info = device / kInstalledBundlePath / "Info.plist";
  ino_t unchangedInfo = inode(info);

  prepareDevice(device);
  EXPECT_EQ(readFile(preferences), "stored settings");
  EXPECT_FALSE(fs::exists(device / "Applications/Tips.app"));
  EXPECT_EQ(readFile(safari), "edited");
  expectBundleInstalled(device);
  EXPECT_EQ(inode(info), unchangedInfo) << "a file whose bytes match was rewritten";
  EXPECT_TRUE(leftovers(device / kInstalledBundlePath).empty());
}

TEST(SampleDeviceTest, CompletesADeviceWhoseCreationWasInterrupted) {
  TemporaryFolder folder;
  fs::path device = folder.path() / "device";

  // A temporary sibling from a creation whose process has gone.
  long deadPid = 0;
  std::ifstream("/proc/sys/kernel/pid_max") >> deadPid;
  fs::path abandoned = folder.path() / (".device.creating-" + std::to_string(deadPid + 1));
  writeFile(abandoned / "Applications/Half.app/Info.plist", "half");
  prepareDevice(device);
  EXPECT_FALSE(fs::exists(abandoned));
  EXPECT_FALSE(fs::exists(device / "Applications/Half.app"));
  EXPECT_TRUE(fs::exists(device / "Applications/MobileSafari.app/Info.plist"));

  // A device folder left half-filled: what it has stays, what it lacks is added.
  fs::path partial = folder.path() / "partial";
  writeFile(partial / "Applications/MobileSafari.app/Info.plist", "already here");
  prepareDevice(partial);
  EXPECT_EQ(readFile(partial / "Applications/MobileSafari.app/Info.plist"), "already here");
  EXPECT_EQ(readFile(partial / "Applications/MobileSMS.app/Info.plist"),
            readFile(kSample / "Applications/MobileSMS.app/Info.plist"));
  expectBundleInstalled(partial);
  // Complete now: a file removed later is not brought back.
  fs::remove_all(partial / "Applications/MobileSMS.app");
  prepareDevice(partial);
  EXPECT_FALSE(fs::exists(partial / "Applications/MobileSMS.app"));

  // An empty folder (as a device object leaves it) becomes a whole device.
  fs::path empty = folder.path() / "empty";
  fs::create_directory(empty);
  prepareDevice(empty);
  EXPECT_TRUE(fs::exists(empty / "Applications/MobileSafari.app/Info.plist"));
  expectBundleInstalled(empty);
}

TEST(SampleDeviceTest, FailuresNameThePathInvolved) {
  TemporaryFolder folder;
  auto messageOf = [](const std::function<void()>& action) -> std::string {
    try {
      action();
    } catch (const std::runtime_error& error) {
      return error.what();
    }
    return "(no error)";
  };

  fs::path missingSample = folder.path() / "no-sample";
  std::string message = messageOf([&] {
    prepareDevice(folder.path() / "a", {missingSample, kResources});
  });
  EXPECT_NE(message.find(missingSample.string()), std::string::npos) << message;
  EXPECT_FALSE(fs::exists(folder.path() / "a"));

  fs::path file = folder.path() / "a-file";
  writeFile(file, "not a folder");
  message = messageOf([&] { prepareDevice(file / "device"); });
  EXPECT_NE(message.find(file.string()), std::string::npos) << message;
  message = messageOf([&] { prepareDevice(file); });
  EXPECT_NE(message.find(file.string()), std::string::npos) << message;

  fs::path thinResources = folder.path() / "resources";
  fs::create_directory(thinResources);
  writeFile(thinResources / "Info.plist", "info");
  message = messageOf([&] { prepareDevice(folder.path() / "b", {kSample, thinResources}); });
  EXPECT_NE(message.find((thinResources / "Root.plist").string()), std::string::npos) << message;
}

// What the sample promises to the code that reads it.
TEST(SampleDeviceTest, SampleHoldsTheApplicationsThePickerMustHandle) {
  std::map<std::string, std::string> nameOf;  // identifier -> name
  std::set<std::string> hidden;
  std::multiset<std::string> names;
  int unreadable = 0, withoutIdentifier = 0, withIcon = 0;
  for (const auto& entry : fs::recursive_directory_iterator(kSample)) {
    if (entry.path().filename() != "Info.plist" || entry.path().parent_path().extension() != ".app")
      continue;
    auto info = NSPropertyListSerialization::propertyListWithContentsOfFile(entry.path());
    if (!info || !info->isDictionary()) {
      ++unreadable;
      continue;
    }
    const std::string* identifier = (*info)["CFBundleIdentifier"].asString();
    if (!identifier) {
      ++withoutIdentifier;
      continue;
    }
    EXPECT_FALSE(nameOf.count(*identifier)) << "identifier twice: " << *identifier;
    std::string name =
        (*info)["CFBundleDisplayName"].stringOr((*info)["CFBundleName"].stringOr(""));
    EXPECT_FALSE(name.empty()) << *identifier;
    nameOf[*identifier] = name;
    if (const auto* tags = (*info)["SBAppTags"].asArray()) {
      if (std::find(tags->begin(), tags->end(), PlistValue("hidden")) != tags->end())
        hidden.insert(*identifier);
    }
    if (!hidden.count(*identifier)) names.insert(name);

    // A declared icon resolves to a 180 x 180 PNG by the rule the sample documents.
    const auto* files =
        (*info)["CFBundleIcons"]["CFBundlePrimaryIcon"]["CFBundleIconFiles"].asArray();
    if (!files || files->empty()) continue;
    std::string declared = files->front().stringOr("");
    fs::path app = entry.path().parent_path();
    fs::path icon;
    for (const std::string& candidate :
         {declared, declared + "@3x.png", declared + "@2x.png", declared + ".png"}) {
      if (fs::is_regular_file(app / candidate)) {
        icon = app / candidate;
        break;
      }
    }
    ASSERT_FALSE(icon.empty()) << *identifier << " declares " << declared
                               << " but ships no such file";
    std::string png = readFile(icon);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG") << icon;
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\xB4\0\0\0\xB4", 8))
        << icon << " is not 180 x 180";
    ++withIcon;
  }

  EXPECT_GE(nameOf.size() - hidden.size(), 40u);
  EXPECT_GE(hidden.size(), 3u);
  EXPECT_EQ(unreadable, 1);
  EXPECT_EQ(withoutIdentifier, 1);
  EXPECT_GE(withIcon, 40);
  EXPECT_LT(withIcon, static_cast<int>(nameOf.size() - hidden.size()))
      << "no visible app goes without an icon";
  for (const char* excluded :
       {"com.apple.sidecar", "com.apple.appleseed.FeedbackAssistant", "com.apple.PosterBoard",
        "com.apple.webapp", "com.apple.dt.XcodePreviews", "com.apple.Sidecar"}) {
    EXPECT_TRUE(nameOf.count(excluded) && !hidden.count(excluded)) << excluded;
  }
  EXPECT_EQ(nameOf["com.apple.mobilesafari"], "Safari")
      << "the display name comes before the bundle name";
  EXPECT_EQ(nameOf["fm.overcast.overcast"], "Overcast");
  EXPECT_EQ(names.count("Notes"), 2u);
  auto anyName = [&](auto predicate) { return std::any_of(names.begin(), names.end(), predicate); };
  EXPECT_TRUE(anyName([](const std::string& n) { return n[0] >= 'a' && n[0] <= 'z'; }));
  EXPECT_TRUE(anyName([](const std::string& n) { return n[0] >= '0' && n[0] <= '9'; }));
  EXPECT_TRUE(
      anyName([](const std::string& n) { return static_cast<unsigned char>(n[0]) >= 0x80; }));
}

}  // namespace
}  // namespace kavro::sim
