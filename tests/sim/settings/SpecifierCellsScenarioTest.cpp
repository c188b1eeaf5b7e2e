// Scenario scripts on a specifier list of the tests' own, installed as the
// bundle's Root.plist: the dump tells each row's control and whether it is
// enabled; `slide`, `segment`, `focus row:S,R` with `type` and `return` store
// through the controls as a finger and the keyboard would; `language` shows the
// page in another language.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"
#include "rootpage/BundleExecutable.h"
#include "sim/core/Readings.h"
#include "tests/sim/ScriptedSimulator.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace kavro::sim {
namespace {

using nlohmann::json;
constexpr const char* kDomain = "com.example.cells";

PlistValue row(const std::string& cell, const std::string& label, PlistValue::Dictionary extra) {
  extra["cell"] = cell;
  extra["label"] = label;
  if (extra.count("key")) extra["defaults"] = kDomain;
  return extra;
}

class SpecifierCellsScenarioTest : public test::ScriptedSimulatorTest {
 protected:
  SpecifierCellsScenarioTest() {
    PlistValue::Array items{
        row("PSGroupCell", "Cells", {}),
        row("PSSliderCell", "Volume", {{"key", "volume"}, {"min", 0}, {"max", 10}, {"default", 2}}),
        row("PSSegmentCell", "Mode", {{"key", "mode"}, {"default", 1},
                                      {"validTitles", PlistValue::Array{"Off", "Auto", "On"}},
                                      {"validValues", PlistValue::Array{0, 1, 2}}}),
        row("PSEditTextCell", "Name", {{"key", "name"}, {"placeholder", "Your name"}}),
        row("PSSwitchCell", "Locked", {{"key", "locked"}, {"enabled", false}}),
        row("PSStaticTextCell", "Hello", {}),
    };
    auto bytes = *NSPropertyListSerialization::dataWithPropertyList(
        PlistValue::Dictionary{{"title", "Cells"}, {"items", items}}, NSPropertyListFormat::xml);
    std::string bundle = kavro::kBundlePath;
    test::writeFileBytes(simulator.device().resolve(bundle + "/Root.plist"), bytes);
    test::writeFileBytes(simulator.device().resolve(bundle + "/de.lproj/Root.strings"),
                         test::bytesOf("\"Hello\" = \"Hallo\";\n\"Volume\" = \"Lautstärke\";\n"));
  }
  PlistValue stored(const std::string& key) {
    kavro::platform::ProcessScope scope(simulator.settingsProcess());
    return NSUserDefaults::standardUserDefaults()->objectForKey(key, kDomain);
  }
  static constexpr const char* kOpen = "open settings\nwait 1\ntap button:Dismiss\nwait 0.5\n";
};

TEST_F(SpecifierCellsScenarioTest, TheDumpTellsEachRowsControlAndWhetherItIsEnabled) {
  ASSERT_EQ(run(std::string(kOpen) + "scroll row:0,4\nwait 0.5\ndump\n"), 0) << err.str();
  json cells = lastDump()["table"]["sections"][0]["cells"];
  std::map<long, json> byRow;
  for (auto& cell : cells) byRow[cell["row"].get<long>()] = cell;
  ASSERT_EQ(byRow.size(), 5u) << cells.dump();
  EXPECT_EQ(byRow[0]["control"], json::parse(R"({"kind":"slider","value":2,"min":0,"max":10})"));
  EXPECT_EQ(byRow[1]["control"], json::parse(R"({"kind":"segment","value":"Auto","titles":["Off","Auto","On"],"selected":1})"));
  EXPECT_EQ(byRow[2]["control"],
            json::parse(R"({"kind":"text","value":"","text":"","placeholder":"Your name","secure":false,"editing":false})"));
  EXPECT_EQ(byRow[3]["control"], json::parse(R"({"kind":"switch","value":false})"));
  EXPECT_EQ(byRow[3]["enabled"], false);
  EXPECT_EQ(byRow[4]["control"], nullptr);
  EXPECT_EQ(byRow[4]["enabled"], true);
  EXPECT_TRUE(stored("volume").isNil());  // showing wrote nothing
}

TEST_F(SpecifierCellsScenarioTest, SlideSegmentAndTypingStoreThroughTheControls) {
  ASSERT_EQ(run(std::string(kOpen) +
                "slide row:0,0 7\nwait 0.5\n"
                "expect /table/sections/0/cells/0/control/value 7\n"
                "segment row:0,1 2\nwait 0.5\n"
                "expect /table/sections/0/cells/1/control/selected 2\n"
                "focus row:0,2\ntype Ada\nreturn\nwait 0.5\n"
                "expect /table/sections/0/cells/2/control/text Ada\n"
                "scroll row:0,3\ntap row:0,3\nwait 0.5\n"),
            0)
      << err.str();
  EXPECT_NEAR(stored("volume").doubleValue(), 7, 0.01);
  EXPECT_EQ(stored("mode"), PlistValue(2));
  EXPECT_EQ(stored("name"), PlistValue("Ada"));
  EXPECT_TRUE(stored("locked").isNil());  // a disabled row takes no taps
  // Errors stop the script with their line.
  EXPECT_EQ(run("slide row:0,4 3\n"), 2);
  EXPECT_NE(err.str().find("line 1: the row 0,4 has no slider control"), std::string::npos) << err.str();
  EXPECT_EQ(run("segment row:0,1 3\n"), 2);
  EXPECT_NE(err.str().find("has 3 segments"), std::string::npos) << err.str();
  EXPECT_EQ(run("language ../x\n"), 2);
  EXPECT_EQ(run("focus row:0,0\n"), 2);
}

TEST_F(SpecifierCellsScenarioTest, LanguageReloadsTheOpenPages) {
  ASSERT_EQ(run(std::string(kOpen) +
                "language de\nwait 0.5\n"
                "expect /table/sections/0/cells/0/text Lautstärke\n"
                "language en\nwait 0.5\n"
                "expect /table/sections/0/cells/0/text Volume\n"),
            0)
      << err.str();
}

// Every view of a render tree, depth first.
void eachView(const json& view, const std::function<void(const json&)>& visit) {
  visit(view);
  for (auto& kid : view.value("kids", json::array())) eachView(kid, visit);
}

// What the browser is sent: each control with the role a screen reader gives it,
// and the text field being edited marked so that the page's Return and Esc reach
// it, with its caret drawn.
TEST_F(SpecifierCellsScenarioTest, TheTreeGivesTheControlsRolesAndTheEditedFieldItsCaret) {
  ASSERT_EQ(run(std::string(kOpen) + "focus row:0,2\nwait 0.5\n"), 0) << err.str();
  json frame = json::parse("{" + simulator.readings().picture() + "}");
  std::map<std::string, json> byRole;
  bool edited = false, caret = false;
  eachView(frame["root"], [&](const json& view) {
    if (view.contains("ax")) byRole.emplace(view["ax"]["role"].get<std::string>(), view["ax"]);
    if (view.contains("edit") && view["edit"]["editing"] == true) edited = true;
    if (view.contains("text") && view["text"].value("caret", false)) caret = true;
  });
  ASSERT_TRUE(byRole.count("slider"));
  EXPECT_EQ(byRole["slider"]["value"], "20%");  // 2 of 0…10
  ASSERT_TRUE(byRole.count("radiogroup"));
  EXPECT_EQ(byRole["radiogroup"]["value"], "Auto");
  ASSERT_TRUE(byRole.count("textbox"));
  EXPECT_EQ(byRole["textbox"]["label"], "Name");  // the row's label names its field
  EXPECT_TRUE(edited);
  EXPECT_TRUE(caret);
}

}  // namespace
}  // namespace kavro::sim
