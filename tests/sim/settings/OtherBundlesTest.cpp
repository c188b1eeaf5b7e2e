// Other preference bundles beside Kavro: installed from their folders (the entry
// inside, beside, or made from Info.plist; the old entry-only form), listed on
// Settings' first page without regard to case, opened from it and by
// `open settings NAME`; folders that are not bundles refused with what they lack;
// installing again gives the same files and leaves stored values alone.

#include "sim/core/BundleInstaller.h"
#include "sim/core/Readings.h"
#include "sim/core/SampleDevice.h"
#include "tests/sim/ScriptedSimulator.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>

namespace kavro::sim {
namespace {

namespace fs = std::filesystem;

const fs::path kTestBundles = fs::path(KAVRO_SOURCE_DIR) / "tests/sim/settings/bundles";

class OtherBundlesTest : public test::ScriptedSimulatorTest {
 protected:
  fs::path device() const { return folder.path() / "device"; }
  InstalledBundle install(const fs::path& bundle) { return installPreferenceBundle(device(), bundle); }
  void installAll() {
    install(kTestBundles / "Lumen.bundle");
    install(kTestBundles / "beacon");
    install(kTestBundles / "Notepad.bundle");
  }
  // The labels of the first page's rows, from a dump.
  std::vector<std::string> rootLabels() {
    EXPECT_EQ(run("open settings\nwait 1\ntap button:Dismiss\nwait 1\nback\nwait 1\ndump\n"), 0) << err.str();
    std::vector<std::string> labels;
    nlohmann::json dump = lastDump();
    for (auto& cell : dump["table"]["sections"][0]["cells"]) labels.push_back(cell["text"]);
    return labels;
  }
};

// Every regular file under a folder, with its bytes.
std::map<std::string, std::string> filesUnder(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().lexically_relative(root).string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

void writeText(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

TEST_F(OtherBundlesTest, EachEntryIsFoundWhereTheBundleKeepsItOrMadeFromItsInfo) {
  InstalledBundle lumen = install(kTestBundles / "Lumen.bundle");
  EXPECT_EQ(lumen.name, "Lumen");
  EXPECT_EQ(lumen.entrySource, kTestBundles / "Lumen.bundle/entry.plist");
  InstalledBundle beacon = install(kTestBundles / "beacon/");
  EXPECT_EQ(beacon.name, "beacon");
  EXPECT_TRUE(beacon.entrySource.empty()) << "made from Info.plist";
  InstalledBundle notepad = install(kTestBundles / "Notepad.bundle");
  EXPECT_EQ(notepad.entrySource, kTestBundles / "Notepad.plist") << "the entry beside the folder";
  EXPECT_TRUE(notepad.entryOnly);
  EXPECT_TRUE(fs::is_regular_file(device() / "var/jb/Library/PreferenceBundles/beacon.bundle/Root.plist"));
  EXPECT_TRUE(fs::is_regular_file(device() / "var/jb/Library/PreferenceLoader/Preferences/Notepad.plist"));
  // Kavro among them, sorted by label without regard to case; the made entry's
  // label is CFBundleDisplayName.
  EXPECT_EQ(rootLabels(), (std::vector<std::string>{"Beacon Pro", "Kavro", "lumen glow", "Notepad"}));
}

TEST_F(OtherBundlesTest, TwoBundlesOpenFromTheFirstPageAsGenericListsOfTheirRootLists) {
  installAll();
  ASSERT_EQ(run("open settings\nwait 1\ntap button:Dismiss\nwait 1\nback\nwait 1\n"
                "tap cell:\"lumen glow\"\nwait 1\nexpect /top PSListController\nexpect /title \"lumen glow\"\n"
                "expect /table/sections/0/header Glow\nexpect /table/sections/0/cells/0/text \"Glow at night\"\n"
                "back\nwait 1\ntap cell:\"Beacon Pro\"\nwait 1\nexpect /top PSListController\n"
                "expect /title \"Beacon Pro\"\nexpect /table/sections/0/cells/0/text Blink\n"
                "expect /table/sections/0/footer \"How loud the beacon is.\"\n"),
            0)
      << err.str() << out.str();
  // A principal class the simulator does not have is said once, on standard error.
  ASSERT_EQ(run("open settings Lumen\nwait 1\nexpect /title \"lumen glow\"\nopen settings \"lumen glow\"\nwait 1\n"
                "open settings lumen glow\nwait 1\nexpect /top PSListController\n"),
            0)
      << err.str();
}

// A generic page loads its list again when its rows are reloaded, as a change of
// language reloads them: it keeps its rows and takes the new language's texts.
TEST_F(OtherBundlesTest, AGenericPageKeepsItsRowsWhenTheLanguageChanges) {
  installAll();
  test::writeFileBytes(simulator.device().resolve("/var/jb/Library/PreferenceBundles/Lumen.bundle/de.lproj/Root.strings"),
                       test::bytesOf("\"Glow\" = \"Leuchten\";\n"));
  ASSERT_EQ(run("open settings Lumen\nwait 1\nexpect /table/sections/0/header Glow\n"
                "language de\nwait 0.5\nexpect /table/sections/0/header Leuchten\n"
                "expect /table/sections/0/cells/0/text \"Glow at night\"\n"
                "language en\nwait 0.5\nexpect /table/sections/0/header Glow\n"),
            0)
      << err.str();
}

TEST_F(OtherBundlesTest, AnEntryOnlyBundleShowsTheItemsItsEntryCarries) {
  installAll();
  ASSERT_EQ(run("open settings Notepad\nwait 1\nexpect /top PSListController\nexpect /title Notepad\n"
                "expect /table/sections/0/header Notes\nexpect /table/sections/0/cells/0/text \"Keep drafts\"\n"),
            0)
      << err.str();
}

TEST_F(OtherBundlesTest, OpenSettingsWithANameNoEntryHasIsAScriptError) {
  installAll();
  EXPECT_EQ(run("open settings Nothing Here\n"), 2);
  EXPECT_NE(err.str().find("no page named \"Nothing Here\""), std::string::npos) << err.str();
  EXPECT_EQ(run("open settings Notepad\nwait 1\nexpect /title Notepad\n"), 0) << err.str();
}

TEST_F(OtherBundlesTest, AFolderThatIsNoBundleIsRefusedWithWhatItLacks) {
  const fs::path work = folder.path() / "sources";
  writeText(work / "NoInfo/Root.plist", "{ items = (); }");
  writeText(work / "BadInfo/Info.plist", "<plist><dict><key>x");
  writeText(work / "ListInfo/Info.plist", "( a, b )");
  writeText(work / "NoRoot/Info.plist", "{ CFBundleName = NoRoot; }");
  writeText(work / "BadRoot/Info.plist", "{ CFBundleName = BadRoot; }");
  writeText(work / "BadRoot/Root.plist", "{\n  items = (\n    { cell = PSGroupCell; \n");
  writeText(work / "BadEntry/Info.plist", "{ CFBundleName = BadEntry; }");
  writeText(work / "BadEntry/Root.plist", "{ items = (); }");
  writeText(work / "BadEntry/entry.plist", "{ entry = ");
  writeText(work / "NoEntryMember/Info.plist", "{}");
  writeText(work / "NoEntryMember/Root.plist", "{ items = (); }");
  writeText(work / "NoEntryMember.plist", "{ label = Loose; }");
  const std::map<std::string, std::string> expected = {
      {"Missing", "no such folder"},
      {"NoInfo", "it has no Info.plist"},
      {"BadInfo", "Info.plist cannot be read"},
      {"ListInfo", "Info.plist is not a dictionary"},
      {"NoRoot", "no specifier list Root.plist"},
      {"BadRoot", "Root.plist cannot be read (cannot read "},
      {"BadEntry", "entry.plist cannot be read"},
      {"NoEntryMember", "has no \"entry\" dictionary"},
  };
  auto before = filesUnder(device());
  for (auto& [name, what] : expected) {
    try {
      install(work / name);
      ADD_FAILURE() << name << " was installed";
    } catch (const BundleInstallError& error) {
      std::string message = error.what();
      EXPECT_NE(message.find((work / name).string() + " is not a preference bundle"), std::string::npos) << message;
      EXPECT_NE(message.find(what), std::string::npos) << name << ": " << message;
    }
  }
  EXPECT_EQ(filesUnder(device()), before) << "a refused folder installs nothing";
}

TEST_F(OtherBundlesTest, InstallingAgainGivesTheSameFilesFollowsTheSourceAndKeepsStoredValues) {
  const fs::path source = folder.path() / "sources/Tally.bundle";
  writeText(source / "Info.plist", "{ CFBundleName = Tally; }");
  writeText(source / "Root.plist", "{ items = ({ cell = PSSwitchCell; label = Count; defaults = t; key = c; }); }");
  writeText(source / "en.lproj/Root.strings", "\"Count\" = \"Count\";");
  writeText(source / "old.png", "not a picture");
  const fs::path domain = device() / kPreferencesPath / "t.plist";
  writeText(domain, "stored bytes");
  std::mt19937 random(18);
  const fs::path installed = device() / "var/jb/Library/PreferenceBundles/Tally.bundle";
  for (int round = 0; round < 20; ++round) {
    // Generated edits of the source: files rewritten, added and removed.
    std::string name = "file" + std::to_string(random() % 4) + ".txt";
    if (random() % 3 == 0)
      fs::remove(source / name);
    else
      writeText(source / name, std::string(random() % 50, static_cast<char>('a' + random() % 26)));
    install(source);
    auto first = filesUnder(installed);
    install(source);
    EXPECT_EQ(filesUnder(installed), first) << "repeatable";
    EXPECT_EQ(first, filesUnder(source)) << "the installed copy is the source's files";
  }
  EXPECT_EQ(filesUnder(device() / kPreferencesPath)["t.plist"], "stored bytes");
}

}  // namespace
}  // namespace kavro::sim
