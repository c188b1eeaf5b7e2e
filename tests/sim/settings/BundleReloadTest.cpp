// Installing a bundle again while the phone runs, on the virtual clock: its open
// pages reload in place (labels, new rows, a child list edited while it shows),
// keep their navigation and scroll position where their rows still exist, lose a
// page whose row went away, keep what they show when a file cannot be read
// (until the next good save), and never touch stored values; editors' leftovers
// change nothing.

#include "sim/core/BundleInstaller.h"
#include "sim/core/Input.h"
#include "sim/core/Readings.h"
#include "sim/core/SampleDevice.h"
#include "sim/settings/SettingsApp.h"
#include "tests/sim/ScriptedSimulator.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>

namespace kavro::sim {
namespace {

namespace fs = std::filesystem;

const char* kInfo = "{ CFBundleIdentifier = org.example.tides; CFBundleName = Tides; "
                    "NSPrincipalClass = TidesListController; }";

// A root list long enough to scroll: a link to the More list, a list of choices
// and thirty switches.
std::string rootList(const std::string& firstLabel, const std::string& extraRow = "") {
  std::string list = "{ title = Tides; items = (\n"
                     "  { cell = PSGroupCell; label = Water; },\n"
                     "  { cell = PSSwitchCell; label = \"" + firstLabel +
                     "\"; defaults = org.example.tides; key = rising; default = 1; },\n"
                     "  { cell = PSLinkCell; label = More; detail = TidesMoreController; },\n"
                     "  { cell = PSLinkListCell; label = Speed; detail = PSListItemsController; "
                     "defaults = org.example.tides; key = speed; default = 0; "
                     "validTitles = (Slow, Fast); validValues = (0, 1); },\n" +
                     extraRow;
  for (int i = 0; i < 30; ++i)
    list += "  { cell = PSSwitchCell; label = \"Row " + std::to_string(i) + "\"; defaults = org.example.tides; key = row" +
            std::to_string(i) + "; },\n";
  return list + "); }\n";
}

std::string moreList(const std::string& label) {
  return "{ title = More; items = ( { cell = PSGroupCell; label = Extra; },\n"
         "  { cell = PSSwitchCell; label = \"" + label + "\"; defaults = org.example.tides; key = deep; } ); }\n";
}

class BundleReloadTest : public test::ScriptedSimulatorTest {
 protected:
  BundleReloadTest() {
    write("Info.plist", kInfo);
    write("Root.plist", rootList("Rising"));
    write("More.plist", moreList("Deep"));
    installPreferenceBundle(device(), source.folder);
  }
  fs::path device() const { return folder.path() / "device"; }
  void write(const std::string& file, const std::string& text) {
    fs::create_directories((source.folder / file).parent_path());
    std::ofstream(source.folder / file, std::ios::binary | std::ios::trunc) << text;
  }
  Reinstall reload() {
    Reinstall result = simulator.input().reloadBundle(source);
    wait(0.5);
    return result;
  }
  nlohmann::json state() { return simulator.readings().state(); }
  // The window frame of the cell showing `text`, when it shows.
  std::optional<nlohmann::json> frameOf(const std::string& text) {
    nlohmann::json now = state();
    for (auto& section : now["table"]["sections"])
      for (auto& cell : section["cells"])
        if (cell["text"] == text) return cell["frame"];
    return std::nullopt;
  }
  // The titles of Settings' navigation stack.
  std::vector<std::string> titles() {
    kavro::platform::ProcessScope scope(simulator.process(SettingsApp::kProcessName));
    auto& settings = dynamic_cast<SettingsApp&>(simulator.application(SettingsApp::kProcessName));
    std::vector<std::string> titles;
    for (auto& page : settings.navigationController()->viewControllers()) titles.push_back(page->title());
    return titles;
  }
  std::vector<nlohmann::json> eventsNamed(const std::string& name) {
    std::vector<nlohmann::json> events;
    nlohmann::json now = state();
    for (auto& event : now["log"])
      if (event["event"] == name) events.push_back(event);
    return events;
  }

  BundleSource source{"Tides", folder.path() / "Tides.bundle", false};
};

TEST_F(BundleReloadTest, AnEditedLabelAndANewRowShowInPlaceKeepingTheScrollAndStoredValues) {
  ASSERT_EQ(run("open settings Tides\nwait 1\nscroll row:0,32\nwait 1\n"), 0) << err.str();
  auto before = frameOf("Row 25");
  ASSERT_TRUE(before) << "scrolled to the middle of the list";
  ASSERT_FALSE(frameOf("Rising")) << "the first rows are above the screen";
  auto stored = state()["prefs"];

  write("Root.plist", rootList("Rising tide"));
  Reinstall result = reload();
  ASSERT_FALSE(result.problem) << result.problem->message;
  EXPECT_EQ(result.changedFiles, std::vector<std::string>{"Root.plist"});
  EXPECT_EQ(frameOf("Row 25"), before) << "the row at the top stays where it was";
  auto reloads = eventsNamed("reload");
  ASSERT_EQ(reloads.size(), 1u);
  EXPECT_EQ(reloads[0]["bundle"], "Tides");
  EXPECT_EQ(reloads[0]["files"], nlohmann::json::array({"Root.plist"}));
  ASSERT_EQ(run("scroll row:0,0\nwait 1\nexpect /table/sections/0/cells/0/text \"Rising tide\"\n"), 0) << err.str();

  // A row added above: the rows below move down in the list, and the one that was
  // at the top of the screen is still there.
  ASSERT_EQ(run("scroll row:0,32\nwait 1\n"), 0) << err.str();
  before = frameOf("Row 25");
  write("Root.plist", rootList("Rising tide", "  { cell = PSSwitchCell; label = Ebb; defaults = org.example.tides; key = ebb; },\n"));
  reload();
  EXPECT_EQ(frameOf("Row 25"), before);
  ASSERT_EQ(run("scroll row:0,0\nwait 1\nexpect /table/sections/0/cells/3/text Ebb\n"), 0) << err.str();
  EXPECT_EQ(state()["prefs"], stored) << "reloading writes nothing";
}

TEST_F(BundleReloadTest, AChildListEditedWhileItShowsReloadsAndAGoneRowTakesItsPageAway) {
  ASSERT_EQ(run("open settings Tides\nwait 1\ntap cell:More\nwait 1\nexpect /title More\n"
                "expect /table/sections/0/cells/0/text Deep\n"),
            0)
      << err.str();
  write("More.plist", moreList("Deeper"));
  reload();
  EXPECT_EQ(titles(), (std::vector<std::string>{"Settings", "Tides", "More"})) << "the stack stays";
  ASSERT_EQ(run("expect /table/sections/0/cells/0/text Deeper\nback\nwait 1\nexpect /title Tides\n"), 0) << err.str();

  // The page of choices follows its row: new titles show, with the mark kept.
  ASSERT_EQ(run("tap cell:Speed\nwait 1\nexpect /title Speed\n"), 0) << err.str();
  std::string root = rootList("Rising");
  root.replace(root.find("(Slow, Fast)"), 12, "(Slow, Fast, Wild)");
  root.replace(root.find("(0, 1)"), 6, "(0, 1, 2)");
  write("Root.plist", root);
  reload();
  ASSERT_EQ(run("expect /title Speed\nexpect /table/sections/0/cells/2/text Wild\n"
                "expect /table/sections/0/cells/0/accessory checkmark\n"),
            0)
      << err.str();

  // The row that opened the page is gone: the page goes, its parent stays.
  std::string withoutSpeed = rootList("Rising");
  auto start = withoutSpeed.find("  { cell = PSLinkListCell");
  withoutSpeed.erase(start, withoutSpeed.find('\n', start) + 1 - start);
  write("Root.plist", withoutSpeed);
  reload();
  EXPECT_EQ(titles(), (std::vector<std::string>{"Settings", "Tides"}));
}

TEST_F(BundleReloadTest, AFileThatCannotBeReadKeepsThePageUntilTheNextGoodSave) {
  ASSERT_EQ(run("open settings Tides\nwait 1\ntap cell:More\nwait 1\n"), 0) << err.str();
  write("Root.plist", "{ title = Tides; items = (\n  { cell = PSGroupCell; label = Water; }\n  { cell = x; }\n); }\n");
  Reinstall result = reload();
  ASSERT_TRUE(result.problem);
  EXPECT_EQ(result.problem->file, "Root.plist");
  EXPECT_EQ(result.problem->line, 3);
  EXPECT_EQ(titles(), (std::vector<std::string>{"Settings", "Tides", "More"})) << "nothing went away";
  auto failures = eventsNamed("reloadFailed");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0]["file"], "Root.plist");
  EXPECT_EQ(failures[0]["line"], 3);
  auto problems = simulator.readings().reloadProblems();
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0]["bundle"], "Tides");
  std::ifstream installed(device() / "var/jb/Library/PreferenceBundles/Tides.bundle/Root.plist");
  EXPECT_NE(std::string(std::istreambuf_iterator<char>(installed), {}).find("Rising"), std::string::npos)
      << "the installed list is the last good one";

  // An XML list with a mistyped closing tag names its line too.
  write("More.plist",
        "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n<dict>\n  <key>items</key>\n  <array>\n"
        "    <dict><key>cell</key><string>PSGroupCell</strin></dict>\n  </array>\n</dict>\n</plist>\n");
  write("Root.plist", rootList("Rising"));
  result = reload();
  ASSERT_TRUE(result.problem);
  EXPECT_EQ(result.problem->file, "More.plist");
  EXPECT_EQ(result.problem->line, 6);

  write("More.plist", moreList("Fixed"));
  result = reload();
  EXPECT_FALSE(result.problem);
  EXPECT_TRUE(simulator.readings().reloadProblems().empty());
  ASSERT_EQ(run("expect /title More\nexpect /table/sections/0/cells/0/text Fixed\n"), 0) << err.str();
}

TEST_F(BundleReloadTest, EditorLeftoversAndUnchangedFilesReloadNothing) {
  ASSERT_EQ(run("open settings Tides\nwait 1\n"), 0) << err.str();
  write(".Root.plist.swp", "binary junk");
  write("Root.plist~", "{ broken");
  write("#Root.plist#", "{ broken");
  Reinstall result = reload();
  EXPECT_FALSE(result.problem);
  EXPECT_TRUE(result.changedFiles.empty());
  EXPECT_TRUE(eventsNamed("reload").empty());
  EXPECT_FALSE(fs::exists(device() / "var/jb/Library/PreferenceBundles/Tides.bundle/.Root.plist.swp"));
  // A new file in a subfolder, and a file removed, are changes.
  write("sub/Deep.plist", moreList("Deep"));
  fs::remove(source.folder / "More.plist");
  result = reload();
  EXPECT_EQ(result.changedFiles, (std::vector<std::string>{"More.plist", "sub/Deep.plist"}));
}

TEST_F(BundleReloadTest, KavrosOwnResourcesReloadItsPage) {
  // A copy of the repository's resources, as a maintainer edits them.
  fs::path resources = folder.path() / "resources";
  fs::copy(DeviceSources::fromSourceTree().resources, resources);
  BundleSource kavro{kKavroBundleName, resources, true};
  ASSERT_EQ(run("open settings\nwait 1\ntap button:Dismiss\nwait 1\nexpect /title Kavro\n"), 0) << err.str();
  auto stack = titles();
  Reinstall unchanged = simulator.input().reloadBundle(kavro);
  EXPECT_TRUE(unchanged.changedFiles.empty()) << "the device has these files already";
  std::ofstream(resources / "icon.png", std::ios::binary | std::ios::app) << '\0';
  Reinstall result = simulator.input().reloadBundle(kavro);
  wait(0.5);
  EXPECT_EQ(result.changedFiles, std::vector<std::string>{"icon.png"});
  EXPECT_EQ(titles(), stack);
}

}  // namespace
}  // namespace kavro::sim
