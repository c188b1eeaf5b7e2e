// Which applications the workspace lists, in which order, and what it reads of them.

#include "platform/mobilecoreservices/ApplicationCatalogue.h"
#include "platform/mobilecoreservices/LSApplicationWorkspace.h"
#include "tests/platform/mobilecoreservices/ApplicationTestSupport.h"

#include <sys/stat.h>

#include <algorithm>

namespace kavro::test {
namespace {

using kavro::platform::mobilecoreservices::ApplicationCatalogue;

std::vector<std::string> identifiers(const std::vector<std::shared_ptr<LSApplicationProxy>>& proxies) {
  std::vector<std::string> result;
  for (const auto& proxy : proxies) result.push_back(proxy->applicationIdentifier());
  return result;
}

std::vector<std::string> installedIdentifiers() {
  return identifiers(LSApplicationWorkspace::defaultWorkspace()->allInstalledApplications());
}

std::shared_ptr<LSApplicationProxy> installed(const std::string& identifier) {
  for (auto& proxy : LSApplicationWorkspace::defaultWorkspace()->allInstalledApplications())
    if (proxy->applicationIdentifier() == identifier) return proxy;
  return nullptr;
}

using EnumerationTest = ApplicationsTest;

TEST_F(EnumerationTest, SystemApplicationsComeFirstEachGroupInFolderNameOrder) {
  EXPECT_TRUE(installedIdentifiers().empty()) << "a device without application folders has none";

  installSystem("b.app", "system.lower", "b");
  installSystem("Z.app", "system.upper", "Z");
  installSystem("A.app", "system.first", "A");
  installUser("BBBB", "Two.app", "user.second", "Two");
  installUser("AAAA", "Y.app", "user.first.y", "Y");
  installUser("AAAA", "X.app", "user.first.x", "X");
  // Neither a folder without the .app suffix nor a file named like a bundle counts.
  installSystem("Resources", "not.a.bundle", "Resources");
  writeFile(hostPath("/Applications/File.app"), std::string("not a folder"));
  installUser("AAAA/Nested.app", "Inner.app", "nested.too.deep", "Inner");

  testing::internal::CaptureStderr();
  EXPECT_EQ(installedIdentifiers(),
            (std::vector<std::string>{"system.first", "system.upper", "system.lower", "user.first.x",
                                      "user.first.y", "user.second"}));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("AAAA/Nested.app: it has no Info.plist"),
            std::string::npos)
      << "a .app folder without an Info.plist is named";
  auto proxy = installed("user.first.y");
  ASSERT_TRUE(proxy);
  EXPECT_EQ(proxy->bundlePath(), "/var/containers/Bundle/Application/AAAA/Y.app");
}

TEST_F(EnumerationTest, BrokenBundlesAreSkippedAndNamedOnceOnStandardError) {
  installSystem("Good.app", "com.example.good", "Good");
  std::filesystem::create_directories(hostPath("/Applications/NoInfo.app"));
  writeFile(hostPath("/Applications/Cut.app/Info.plist"), std::string("<?xml version=\"1.0\"?><plist><dict><key>CFBu"));
  install("/Applications/Array.app", PlistValue::Array{"com.example.array"});
  install("/Applications/NoIdentifier.app", Dictionary{{"CFBundleName", "Nameless"}});
  install("/Applications/NumberIdentifier.app", Dictionary{{"CFBundleIdentifier", 42}});
  installUser("C1", "Twin.app", "com.example.good", "Good again");
  writeFile(hostPath("/Applications/Binary.app/Info.plist"), std::string("bplist00garbage"));
  // Opening a FIFO for reading would wait for a writer that never comes.
  std::filesystem::create_directories(hostPath("/Applications/Fifo.app"));
  ASSERT_EQ(::mkfifo(hostPath("/Applications/Fifo.app/Info.plist").c_str(), 0644), 0);

  testing::internal::CaptureStderr();
  std::vector<std::string> first = installedIdentifiers();
  std::string report = testing::internal::GetCapturedStderr();
  EXPECT_EQ(first, std::vector<std::string>{"com.example.good"});
  for (const char* bundle :
       {"/Applications/NoInfo.app:", "/Applications/Cut.app:", "/Applications/Array.app:",
        "/Applications/NoIdentifier.app:", "/Applications/NumberIdentifier.app:",
        "/Applications/Binary.app:", "/Applications/Fifo.app:", "/var/containers/Bundle/Application/C1/Twin.app:"}) {
    auto at = report.find(bundle);
    EXPECT_NE(at, std::string::npos) << bundle << " is not named in:\n" << report;
    EXPECT_EQ(report.find(bundle, at + 1), std::string::npos) << bundle << " is named twice";
  }
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 8) << report;
  EXPECT_NE(report.find("already that of /Applications/Good.app"), std::string::npos) << report;

  testing::internal::CaptureStderr();
  EXPECT_EQ(installedIdentifiers(), first);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "the same problems are not reported again";

  // Repaired, the bundle is listed and a later breakage is reported anew.
  install("/Applications/NoIdentifier.app", info("com.example.repaired", "Repaired"));
  EXPECT_EQ(installedIdentifiers(), (std::vector<std::string>{"com.example.good", "com.example.repaired"}));
  writeFile(hostPath("/Applications/NoIdentifier.app/Info.plist"), std::string("broken again"));
  testing::internal::CaptureStderr();
  EXPECT_EQ(installedIdentifiers(), std::vector<std::string>{"com.example.good"});
  EXPECT_NE(testing::internal::GetCapturedStderr().find("/Applications/NoIdentifier.app"), std::string::npos);
}

TEST_F(EnumerationTest, NameIsDisplayNameElseBundleNameElseNone) {
  install("/Applications/Both.app",
          Dictionary{{"CFBundleIdentifier", "both"}, {"CFBundleDisplayName", "Safari"}, {"CFBundleName", "MobileSafari"}});
  install("/Applications/BundleName.app", Dictionary{{"CFBundleIdentifier", "bundle.name"}, {"CFBundleName", "Overcast"}});
  install("/Applications/EmptyDisplay.app",
          Dictionary{{"CFBundleIdentifier", "empty.display"}, {"CFBundleDisplayName", ""}, {"CFBundleName", "Fallback"}});
  install("/Applications/NumberDisplay.app",
          Dictionary{{"CFBundleIdentifier", "number.display"}, {"CFBundleDisplayName", 7}, {"CFBundleName", "Seven"}});
  install("/Applications/None.app", Dictionary{{"CFBundleIdentifier", "none"}});
  installSystem("Unicode.app", "unicode", "Яндекс Карты");

  EXPECT_EQ(installed("both")->localizedName(), "Safari");
  EXPECT_EQ(installed("bundle.name")->localizedName(), "Overcast");
  EXPECT_EQ(installed("empty.display")->localizedName(), "Fallback");
  EXPECT_EQ(installed("number.display")->localizedName(), "Seven");
  EXPECT_EQ(installed("unicode")->localizedName(), "Яндекс Карты");
  auto nameless = installed("none");
  ASSERT_TRUE(nameless);
  EXPECT_FALSE(nameless->hasLocalizedName());
  EXPECT_EQ(nameless->localizedName(), "");
  EXPECT_TRUE(installed("both")->hasLocalizedName());
}

TEST_F(EnumerationTest, RecordsReportTagsAndDeclaredIcons) {
  installSystem("Tagged.app", "tagged", "Tagged",
                {{"SBAppTags", PlistValue::Array{"SBInternalAppTag", 3, "hidden", Dictionary{}}}});
  installSystem("Untagged.app", "untagged", "Untagged");
  installSystem("WrongType.app", "wrong.type", "Wrong", {{"SBAppTags", "hidden"}});
  installSystem("EmptyTags.app", "empty.tags", "Empty", {{"SBAppTags", PlistValue::Array{}}});

  auto tags = [](const std::string& identifier) {
    auto record = installed(identifier)->correspondingApplicationRecord();
    EXPECT_TRUE(record) << identifier;
    return record ? record->appTags() : std::nullopt;
  };
  EXPECT_EQ(tags("tagged"), (std::vector<std::string>{"SBInternalAppTag", "hidden"}));
  EXPECT_EQ(tags("untagged"), std::nullopt);
  EXPECT_EQ(tags("wrong.type"), std::nullopt);
  EXPECT_EQ(tags("empty.tags"), std::vector<std::string>{});

  installSystem("Primary.app", "primary", "P",
                {{"CFBundleIcons", Dictionary{{"CFBundlePrimaryIcon",
                                               Dictionary{{"CFBundleIconFiles", PlistValue::Array{"AppIcon60x60", 5}}}}}},
                 {"CFBundleIconFiles", PlistValue::Array{"Old"}}});
  installSystem("OldFiles.app", "old.files", "O", {{"CFBundleIconFiles", PlistValue::Array{"Icon", "Icon-Small"}}});
  installSystem("OldFile.app", "old.file", "O", {{"CFBundleIconFile", "Icon.png"}});
  installSystem("Escaping.app", "escaping", "E",
                primaryIcons({"../Good.app/AppIcon60x60@3x.png", "/etc/passwd", "..", "Fine"}));
  auto icons = [](const std::string& identifier) {
    return installed(identifier)->correspondingApplicationRecord()->iconFileNames();
  };
  EXPECT_EQ(icons("primary"), std::vector<std::string>{"AppIcon60x60"});
  EXPECT_EQ(icons("old.files"), (std::vector<std::string>{"Icon", "Icon-Small"}));
  EXPECT_EQ(icons("old.file"), std::vector<std::string>{"Icon.png"});
  EXPECT_EQ(icons("escaping"), std::vector<std::string>{"Fine"}) << "names must stay inside the bundle";
  EXPECT_TRUE(icons("untagged").empty());
}

TEST_F(EnumerationTest, EveryCallSeesInstallationsRemovalsAndEditsOnlyRereadingWhatChanged) {
  settleFileClock();
  auto& catalogue = ApplicationCatalogue::current();
  installSystem("One.app", "one", "One");
  installUser("U1", "Two.app", "two", "Two");
  EXPECT_EQ(installedIdentifiers(), (std::vector<std::string>{"one", "two"}));
  std::size_t reads = catalogue.infoPlistReadCount();
  EXPECT_EQ(installedIdentifiers(), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(catalogue.infoPlistReadCount(), reads) << "an unchanged Info.plist is not parsed again";

  installUser("U0", "Three.app", "three", "Three");
  EXPECT_EQ(installedIdentifiers(), (std::vector<std::string>{"one", "three", "two"}));
  EXPECT_EQ(catalogue.infoPlistReadCount(), reads + 1);

  installSystem("One.app", "one", "Number one");
  EXPECT_EQ(installed("one")->localizedName(), "Number one");

  std::filesystem::remove_all(hostPath("/var/containers/Bundle/Application/U1"));
  EXPECT_EQ(installedIdentifiers(), (std::vector<std::string>{"one", "three"}));
}

TEST_F(EnumerationTest, AnInfoPlistRewrittenInPlaceAtOnceIsReadAgain) {
  // Same file, same size, very likely the same modification time: nothing but the
  // settling rule keeps the first reading from being served again.
  for (const char* name : {"Uno", "Dos", "Tre"}) {
    installSystem("One.app", "one", name);
    EXPECT_EQ(installed("one")->localizedName(), name);
  }
}

TEST_F(EnumerationTest, WorkspaceIsOnePerProcess) {
  auto workspace = LSApplicationWorkspace::defaultWorkspace();
  EXPECT_EQ(LSApplicationWorkspace::defaultWorkspace(), workspace);
  kavro::platform::ProcessScope inSpringboard(springboard());
  EXPECT_NE(LSApplicationWorkspace::defaultWorkspace(), workspace);
}

}  // namespace
}  // namespace kavro::test
