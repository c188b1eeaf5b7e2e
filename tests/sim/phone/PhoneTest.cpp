// The phone as the assembly puts it together: its two applications in their
// parts, and the joined tables of queries and dump members, each of which the
// manual (docs/simulator.md) documents, so that an entry added to any table
// cannot go undocumented.

#include "sim/core/Readings.h"
#include "sim/phone/Phone.h"
#include "sim/settings/SettingsApp.h"
#include "sim/springboard/SpringBoardApp.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace kavro::sim {
namespace {

// The text of docs/simulator.md from the heading `from` up to the next heading of
// `level` or above.
std::string manualSection(const std::string& from, const std::string& level) {
  std::ifstream file(std::string(KAVRO_SOURCE_DIR) + "/docs/simulator.md");
  std::stringstream text;
  text << file.rdbuf();
  std::string manual = text.str();
  auto start = manual.find("\n" + from + "\n");
  if (start == std::string::npos) return "";
  auto end = manual.find("\n" + level + " ", start + from.size() + 1);
  return manual.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

class PhoneTest : public ::testing::Test {
 protected:
  PhoneTest() : phone(folder.path() / "device") {}
  test::TemporaryFolder folder;
  Phone phone;
};

TEST_F(PhoneTest, SettingsAndTheHomeScreenPlayTheirPartsInTheirOwnProcesses) {
  EXPECT_EQ(phone.settingsProcessName(), SettingsApp::kProcessName);
  EXPECT_EQ(phone.homeScreenProcessName(), SpringBoardApp::kProcessName);
  EXPECT_EQ(phone.processNames(), "settings or springboard");
  EXPECT_EQ(phone.frontProcessName(), "springboard");
  EXPECT_TRUE(phone.isRunning("springboard")) << "the home screen starts with the device";
  EXPECT_FALSE(phone.isRunning("settings"));
  EXPECT_EQ(phone.settingsProcess().bundleIdentifier(), SettingsApp::kBundleIdentifier);
  EXPECT_EQ(phone.springBoardProcess().bundleIdentifier(), SpringBoardApp::kBundleIdentifier);
  EXPECT_EQ(&phone.springBoardApp(), phone.runningApplication("springboard"));
}

TEST_F(PhoneTest, EveryKindOfQueryIsInTheManualsTableOfQueries) {
  std::string table = manualSection("### Queries", "###");
  ASSERT_FALSE(table.empty());
  std::set<std::string_view> names;
  for (const QueryKind& kind : phone.queries()) names.insert(kind.name);
  for (std::string_view name : names)
    EXPECT_NE(table.find("| `" + std::string(name)), std::string::npos) << "the manual has no query " << name;
}

TEST_F(PhoneTest, EveryMemberOfTheDumpIsInTheManualAndInTheState) {
  std::string section = manualSection("### The state (`dump`)", "##");
  ASSERT_FALSE(section.empty());
  auto state = phone.readings().state();
  for (const DumpMember& member : phone.dumpMembers()) {
    std::string name(member.name);
    EXPECT_NE(section.find("`" + name + "`"), std::string::npos) << "the manual does not describe " << name;
    EXPECT_TRUE(state.contains(name)) << name;
  }
  EXPECT_EQ(state.size(), phone.dumpMembers().size() + 1) << "the members and the log";
}

}  // namespace
}  // namespace kavro::sim
