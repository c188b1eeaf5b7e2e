// The script runner: how lines split into words, what each kind of error returns,
// and scenarios played against a fresh simulated device.

#include "sim/phone/Phone.h"
#include "sim/script/ScriptRunner.h"
#include "tests/sim/ScriptedSimulator.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

namespace {

using kavro::sim::ScriptError;
using kavro::sim::ScriptRunner;
using nlohmann::json;

TEST(ScriptWordsTest, SplitsAsAShellDoesWithDoubleQuotes) {
  using Words = std::vector<std::string>;
  EXPECT_EQ(ScriptRunner::splitWords("tap   button:Dismiss  "), (Words{"tap", "button:Dismiss"}));
  EXPECT_EQ(ScriptRunner::splitWords("tap cell:\"Voice Memos\"#1"), (Words{"tap", "cell:Voice Memos#1"}));
  EXPECT_EQ(ScriptRunner::splitWords("type \"a \\\"b\\\" c\""), (Words{"type", "a \"b\" c"}));
  EXPECT_EQ(ScriptRunner::splitWords("  # a comment"), Words{});
  EXPECT_EQ(ScriptRunner::splitWords("wait 1 # then more"), (Words{"wait", "1"}));
  EXPECT_EQ(ScriptRunner::splitWords("type \"#hash\""), (Words{"type", "#hash"}));
  EXPECT_EQ(ScriptRunner::splitWords("expect /t \"\""), (Words{"expect", "/t", ""}));
  EXPECT_THROW(ScriptRunner::splitWords("tap \"open"), ScriptError);
}

using ScriptTest = kavro::test::ScriptedSimulatorTest;

TEST_F(ScriptTest, ErrorsAndFailedExpectationsStopWithTheirLineAndStatus) {
  EXPECT_EQ(run("open settings\nfly away\n"), 2);
  EXPECT_EQ(err.str(), "line 2: unknown command \"fly\"\n");
  EXPECT_EQ(run("wait 1\n\ntap button:Nowhere\n"), 2);
  EXPECT_NE(err.str().find("line 3: no button \"Nowhere\""), std::string::npos);
  EXPECT_EQ(run("wait soon\n"), 2);
  EXPECT_EQ(run("touch-up\n"), 2);
  EXPECT_EQ(run("expect /prefs {}\nexpect /appearance \"dark\"\ndump\n"), 1);
  EXPECT_EQ(err.str(), "line 2: expected \"dark\" at /appearance, got \"light\"\n");
  EXPECT_TRUE(out.str().empty());  // nothing after the failure ran
}

TEST_F(ScriptTest, AFirstVisitShowsTheGuideAndTheMasterSwitchStoresItsState) {
  ASSERT_EQ(run("open settings\n"
                "wait 1\n"
                "expect /top OBWelcomeController\n"
                "expect /prefsFile false\n"
                "tap button:Dismiss\n"
                "wait 0.5\n"
                "expect /top KavroRootListController\n"
                "expect /switches/0/isOn false\n"
                "tap switch\n"
                "wait 0.4\n"
                "expect /prefs/enabled true\n"
                "expect /switches/0/isOn true\n"
                "dump\n"),
            0)
      << err.str();
  json state = lastDump();
  EXPECT_EQ(state["switches"][0]["thumbX"], 19);
  EXPECT_EQ(state["windowTint"], "#6B63C2FF");
  EXPECT_EQ(state["navigation"]["right"],
            json::parse(R"(["space:2","checkmark.circle.fill","space:2","info.circle.fill","space:2"])"));
  // Showing the stored values wrote nothing else into the domain.
  EXPECT_EQ(state["prefs"], json::parse(R"({"enabled":true})"));
  // The first dump logs everything since the start: two guide requests on the
  // first visit (two sounds) brought up one sheet; the switch made no sound.
  int sounds = 0, sheets = 0;
  for (auto& event : state["log"]) {
    sounds += event["event"] == "sound";
    sheets += event["event"] == "present" && event["class"] == "OBWelcomeController";
  }
  EXPECT_EQ(sounds, 2);
  EXPECT_EQ(sheets, 1);
}

TEST_F(ScriptTest, ThePickerEditsTheBlacklistAndApplyRelaunches) {
  ASSERT_EQ(run("open settings\nwait 1\ntap button:Dismiss\nwait 0.5\ndump\n"
                "tap cell:\"Blacklisted Apps\"\nwait 1\n"
                "expect /top KavroApplicationSelector\n"
                "focus search\ntype SAF\n"
                "expect /table/sections/1/rows 1\n"
                "tap row:1,0\n"
                "expect /prefs/blacklist [\"com.apple.mobilesafari\"]\n"
                "expect /table/sections/1/cells/0/text 1Password\n"
                "tap button:arrow.left.circle.fill\nwait 1\n"
                "expect /top KavroRootListController\n"
                "tap button:checkmark.circle.fill\nwait 0.5\n"
                "expect /alert/actions [{\"title\":\"Respring\",\"style\":\"default\"}]\n"
                "tap action:Respring\nwait 2\n"
                "dump\n"),
            0)
      << err.str();
  json state = lastDump();
  EXPECT_EQ(state["top"], "KavroRootListController");
  EXPECT_EQ(state["process"], "settings");
  bool relaunched = false;
  for (auto& event : state["log"])
    if (event["event"] == "relaunch") {
      relaunched = true;
      EXPECT_EQ(event["reason"], "RestartRenderServer");
      EXPECT_EQ(event["options"], 4);
      EXPECT_EQ(event["url"], "prefs:root=Kavro");
    }
  EXPECT_TRUE(relaunched);
}

}  // namespace

namespace {

TEST_F(ScriptTest, OpeningThePageAgainShowsItAnewWithItsTint) {
  ASSERT_EQ(run("open settings\nwait 1\ntap button:Dismiss\nwait 1\ntap switch\nwait 0.5\n"
                "open settings\nwait 1\n"
                "expect /top KavroRootListController\nexpect /windowTint \"#6B63C2FF\"\n"
                "back\nwait 1\nexpect /windowTint null\n"
                "tap cell:Kavro\nwait 1\nexpect /windowTint \"#6B63C2FF\"\nexpect /switches/0/isOn true\n"),
            0)
      << err.str();
}

}  // namespace

namespace {

TEST_F(ScriptTest, ReorderAndSwipeCommandsDragThroughTheTable) {
  ASSERT_EQ(run("open picker test settings\nwait 1\n"
                "tap row:1,0\ntap row:1,1\ntap row:1,2\n"
                "tap button:arrow.up.and.down.circle.fill\n"
                "reorder 0 0 0 2\n"
                "expect /prefs/test [\"com.example.eightball\",\"com.apple.AppStore\",\"com.agilebits.onepassword-ios\"]\n"
                "reorder 0 0 1 5\n"
                "expect /prefs/test [\"com.apple.AppStore\",\"com.agilebits.onepassword-ios\",\"com.example.eightball\"]\n"
                "tap button:arrow.up.and.down.circle.fill\n"
                "swipe row:0,1\n"
                "expect /prefs/test [\"com.apple.AppStore\",\"com.example.eightball\"]\n"
                "reorder 0 0 0 1\n"),
            2);
  EXPECT_NE(err.str().find("not in edit mode"), std::string::npos);
}

}  // namespace

namespace {

TEST(ScriptCommandTableTest, ArgumentCountsAreCheckedFromTheTableAndEveryCommandIsDocumented) {
  kavro::test::TemporaryFolder folder;
  kavro::sim::Phone simulator(folder.path() / "device");
  std::ostringstream out, err;
  ScriptRunner runner(simulator, out);
  for (auto [line, message] : std::vector<std::pair<std::string, std::string>>{
           {"tap", "usage: tap QUERY"},
           {"touch-up inside", "usage: touch-up [outside]"},
           {"reorder 0 0 1", "usage: reorder S R S2 R2"},
           {"open picker", "usage: open settings | open springboard | open picker KEY [settings|springboard]"},
           {"front safari", "no process is named \"safari\" (settings or springboard)"},
           {"appearance blue", "usage: appearance light|dark"}}) {
    std::istringstream script(line + "\n");
    err.str("");
    EXPECT_EQ(runner.run(script, err), 2) << line;
    EXPECT_EQ(err.str(), "line 1: " + message + "\n") << line;
  }

  std::ifstream file(std::string(KAVRO_SOURCE_DIR) + "/docs/simulator.md");
  std::stringstream documentation;
  documentation << file.rdbuf();
  for (auto& command : ScriptRunner::commands())
    EXPECT_NE(documentation.str().find("`" + std::string(command.usage) + "`"), std::string::npos)
        << "docs/simulator.md does not show `" << command.usage << "`";
}

}  // namespace
