// The Settings application: which entries its first page lists (sorted, the
// unreadable ones left out), which entry a name or a prefs:root URL names, and
// what opening a URL does when it names no page.

#include "platform/uikit/UINavigationController.h"
#include "rootpage/BundleExecutable.h"
#include "sim/core/Readings.h"
#include "sim/settings/SettingsApp.h"
#include "sim/settings/SettingsEntry.h"
#include "tests/sim/ScriptedSimulator.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace kavro::sim {
namespace {

std::string entryPlist(const std::string& members) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict><key>entry</key><dict>" + members +
         "</dict></dict>\n</plist>\n";
}

std::string member(const std::string& key, const std::string& value) {
  return "<key>" + key + "</key><string>" + value + "</string>";
}

class SettingsAppTest : public test::ScriptedSimulatorTest {
 protected:
  // Writes a file into the device's folder of Settings entries.
  void writeEntry(const std::string& name, const std::string& text) {
    std::ofstream(folder.path() / "device/var/jb/Library/PreferenceLoader/Preferences" / name) << text;
  }
  std::vector<SettingsEntry> entries() {
    kavro::platform::ProcessScope scope(simulator.settingsProcess());
    return installedSettingsEntries();
  }
};

TEST_F(SettingsAppTest, TheEntriesAreSortedByLabelAndUnreadableOnesAreLeftOut) {
  writeEntry("zeta.plist", entryPlist(member("label", "Alpha") + member("bundle", "zeta") + member("icon", "z.png")));
  writeEntry("nolabel.plist", entryPlist(member("bundle", "nolabel")));
  writeEntry("nobundle.plist", entryPlist(member("label", "No Bundle")));
  writeEntry("broken.plist", "<plist><dict><key>entry");
  writeEntry("notes.txt", entryPlist(member("label", "Notes") + member("bundle", "notes")));
  writeEntry(".plist", entryPlist(member("label", "Dot") + member("bundle", "dot")));
  auto list = entries();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].label, "Alpha");
  EXPECT_EQ(list[0].iconPath(), "/var/jb/Library/PreferenceBundles/zeta.bundle/z.png");
  EXPECT_EQ(list[1].label, "Kavro");
  EXPECT_EQ(list[1].bundlePath(), kavro::kBundlePath) << "Settings finds the bundle where it is installed";
}

TEST_F(SettingsAppTest, AnEntryIsNamedByItsLabelOrItsBundle) {
  kavro::platform::ProcessScope scope(simulator.settingsProcess());
  EXPECT_EQ(findSettingsEntry("Kavro")->bundleName, "kavroprefs");
  EXPECT_EQ(findSettingsEntry("kavroprefs")->label, "Kavro");
  EXPECT_FALSE(findSettingsEntry("kavro"));
}

TEST(SettingsURLTest, APrefsRootURLNamesTheTextUpToItsFirstAmpersandOrSlash) {
  std::mt19937 random(15);
  const std::string alphabet = "abcXYZ09 ._-=:?%";
  for (int round = 0; round < 300; ++round) {
    std::string name, tail;
    for (std::size_t i = random() % 12; i > 0; --i) name += alphabet[random() % alphabet.size()];
    if (random() % 2) tail = std::string(1, "&/"[random() % 2]) + "path=x/y&z";
    EXPECT_EQ(SettingsApp::rootName("prefs:root=" + name + tail), name) << name + tail;
  }
  for (const char* url : {"prefs:", "prefs:root", "Prefs:root=Kavro", "http://example.com", " prefs:root=Kavro", ""})
    EXPECT_FALSE(SettingsApp::rootName(url)) << url;
}

TEST_F(SettingsAppTest, AURLThatNamesNoPageLeavesSettingsAsItWas) {
  writeEntry("gone.plist", entryPlist(member("label", "Gone") + member("bundle", "gone")));
  ASSERT_EQ(run("open settings\nwait 1\n"), 0) << err.str();
  const auto before = simulator.readings().state();
  SettingsApp& settings = simulator.settingsApp();
  simulator.device().dispatch(simulator.settingsProcess(), [&] {
    EXPECT_FALSE(settings.openURL("prefs:root=Nothing"));
    EXPECT_FALSE(settings.openURL("prefs:root=Gone")) << "its bundle is not installed";
    EXPECT_FALSE(settings.openURL("https://example.com"));
  });
  wait(1);
  const auto after = simulator.readings().state();
  EXPECT_EQ(after["top"], before["top"]);
  EXPECT_EQ(after["sheet"], before["sheet"]);
  EXPECT_EQ(settings.navigationController()->viewControllers().size(), 2u);
}

TEST_F(SettingsAppTest, TheFirstPageListsTheEntriesAndARowWithoutABundleOpensNothing) {
  writeEntry("gone.plist", entryPlist(member("label", "Gone") + member("bundle", "gone")));
  ASSERT_EQ(run("open settings\nwait 1\ntap button:Dismiss\nwait 1\nback\nwait 1\n"
                "expect /top SettingsRootController\nexpect /title Settings\n"
                "expect /table/sections/0/rows 2\nexpect /table/sections/0/cells/0/text Gone\n"
                "tap cell:Gone\nwait 1\nexpect /top SettingsRootController\n"
                "tap cell:Kavro\nwait 1\ntap button:Dismiss\nwait 1\nexpect /top KavroRootListController\nexpect /title Kavro\n"),
            0)
      << err.str();
}

}  // namespace
}  // namespace kavro::sim
