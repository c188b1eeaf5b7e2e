// Reading specifier lists: what a valid list gives, how malformed items show what
// they can (and only items with nothing to show are skipped), each with its reason,
// and how broken lists give no rows.

#include "tests/platform/preferences/PreferencesTestSupport.h"

#include "platform/foundation/NSPropertyListSerialization.h"

#include <gmock/gmock.h>

namespace kavro::test {
namespace {

using ::testing::HasSubstr;

class SpecifierListLoadingTest : public PreferencesTest {
 protected:
  // Loads NAME.plist, returning the rows and what was said on standard error.
  std::shared_ptr<PSSpecifierArray> load(const std::string& name, std::string* errors = nullptr) {
    page = alloc<TestListController>();
    page->init();
    ::testing::internal::CaptureStderr();
    auto specifiers = page->loadSpecifiersFromPlistName(name, page);
    std::string said = ::testing::internal::GetCapturedStderr();
    if (errors) *errors = said;
    return specifiers;
  }
  std::shared_ptr<TestListController> page;
};

TEST_F(SpecifierListLoadingTest, ValidListKeepsEveryPropertyAndTargetsTheGivenObject) {
  writeRoot({item("PSGroupCell", "General", {{"footerText", "About these"}}),
             item("PSSwitchCell", "Haptics",
                  {{"key", "haptics"}, {"defaults", "com.example"}, {"default", true}, {"id", "hapticsRow"},
                   {"iconImageSystem", PlistValue::Dictionary{{"name", "sparkles"}}}}),
             item("PSButtonCell", "Reset", {{"action", "tapped"}, {"cellClass", "TestSubtitleCell"}})});
  auto specifiers = load("Root");
  ASSERT_EQ(specifiers->size(), 3u);
  EXPECT_EQ(page->title(), "Test");
  EXPECT_EQ((*specifiers)[0]->cellType(), PSCellType::group);
  EXPECT_EQ((*specifiers)[0]->footerText(), "About these");

  auto& toggle = *(*specifiers)[1];
  EXPECT_EQ(toggle.cellType(), PSCellType::switchCell);
  EXPECT_EQ(toggle.identifier(), "hapticsRow");
  EXPECT_EQ(toggle.key(), "haptics");
  EXPECT_EQ(toggle.defaultsDomain(), "com.example");
  EXPECT_EQ(toggle.defaultValue(), PlistValue(true));
  EXPECT_EQ(toggle.properties().at("iconImageSystem")["name"], PlistValue("sparkles"));

  auto& button = *(*specifiers)[2];
  EXPECT_EQ(button.buttonAction(), SEL("tapped"));
  EXPECT_EQ(button.cellClassName(), "TestSubtitleCell");
  EXPECT_EQ(button.identifier(), "Reset");  // no "id": the label
  for (auto& specifier : *specifiers) EXPECT_EQ(specifier->target(), page);
}

TEST_F(SpecifierListLoadingTest, MalformedItemsShowWhatTheyCanWithTheirReason) {
  writeRoot({item("PSGroupCell", "Kept"),
             PlistValue("not a dictionary"),
             PlistValue::Dictionary{{"label", "No cell"}},
             item("PSSliderThing", "Unknown type"),
             PlistValue::Dictionary{{"cell", 7}, {"label", "Cell is a number"}, {"detail", "Somewhere"}},
             PlistValue::Dictionary{{"cell", "PSButtonCell"}, {"label", 42}},
             item("PSStaticTextCell", "Height is a word", {{"height", "tall"}}),
             item("PSStaticTextCell", "Also kept", {{"lines", "custom keys are not checked"}}),
             PlistValue::Dictionary{{"cellClass", "XXCustomCell"}, {"action", "doIt"}},
             PlistValue::Dictionary{{"cellClass", "XXNothingToShow"}},
             PlistValue::Dictionary{}});
  std::string errors;
  auto specifiers = load("Root", &errors);
  ASSERT_EQ(specifiers->size(), 8u);
  auto at = [&](std::size_t index) { return (*specifiers)[index]; };
  EXPECT_EQ(at(1)->name(), "No cell");
  EXPECT_EQ(at(1)->cellType(), PSCellType::staticText);
  EXPECT_EQ(at(2)->cellType(), PSCellType::staticText);
  EXPECT_EQ(at(3)->cellType(), PSCellType::link);
  EXPECT_EQ(at(4)->cellType(), PSCellType::button);
  EXPECT_EQ(at(4)->name(), "");
  EXPECT_EQ(at(5)->height(), std::nullopt);
  EXPECT_EQ(at(6)->name(), "Also kept");
  EXPECT_EQ(at(7)->cellType(), PSCellType::button);
  EXPECT_EQ(at(7)->buttonAction(), SEL("doIt"));
  EXPECT_THAT(errors, HasSubstr("item 1 skipped: it is a string, not a dictionary"));
  EXPECT_THAT(errors, HasSubstr("item 2 has no \"cell\"; it is shown as PSStaticTextCell"));
  EXPECT_THAT(errors, HasSubstr("item 3 names the unknown cell type \"PSSliderThing\""));
  EXPECT_THAT(errors, HasSubstr("item 4 has \"cell\" as an integer; it is shown as PSLinkCell"));
  EXPECT_THAT(errors, HasSubstr("item 5 has \"label\" as an integer, not a string; it is ignored"));
  EXPECT_THAT(errors, HasSubstr("item 6 has \"height\" as a string, not a number; it is ignored"));
  EXPECT_THAT(errors, HasSubstr("item 8 has no \"cell\"; it is shown as PSButtonCell"));
  EXPECT_THAT(errors, HasSubstr("item 9 skipped: it has no label, page or action to show"));
  EXPECT_THAT(errors, HasSubstr("item 10 skipped: it has no label, page or action to show"));
}

TEST_F(SpecifierListLoadingTest, NumbersAndBooleansMayBeWrittenAsStrings) {
  writeRoot({item("PSStaticTextCell", "Tall", {{"height", " 66 "}, {"enabled", "NO"}}),
             item("PSStaticTextCell", "Real", {{"height", 50.5}, {"enabled", 1}}),
             item("PSStaticTextCell", "Out of range", {{"height", "1e9"}, {"enabled", "perhaps"}}),
             item("PSStaticTextCell", "Not a number", {{"height", "NaN"}, {"enabled", PlistValue::Array{}}})});
  std::string errors;
  auto specifiers = load("Root", &errors);
  ASSERT_EQ(specifiers->size(), 4u);
  EXPECT_EQ((*specifiers)[0]->height(), 66);
  EXPECT_FALSE((*specifiers)[0]->isEnabled());
  EXPECT_EQ((*specifiers)[1]->height(), 50.5);
  EXPECT_TRUE((*specifiers)[1]->isEnabled());
  EXPECT_EQ((*specifiers)[2]->height(), std::nullopt);
  EXPECT_TRUE((*specifiers)[2]->isEnabled());
  EXPECT_EQ((*specifiers)[3]->height(), std::nullopt);
  EXPECT_TRUE((*specifiers)[3]->isEnabled());
  EXPECT_THAT(errors, HasSubstr("item 2 has \"enabled\" as a string, not a boolean"));
}

TEST_F(SpecifierListLoadingTest, BrokenOrMissingListsGiveNoRows) {
  auto xml = [](const PlistValue& value) {
    auto bytes = *NSPropertyListSerialization::dataWithPropertyList(value, NSPropertyListFormat::xml);
    return std::string(bytes.begin(), bytes.end());
  };
  const std::pair<std::string, const char*> cases[] = {
      {"this is no property list", "cannot read the specifier list"},
      {xml(PlistValue::Dictionary{{"items", PlistValue::Array{}}}).substr(0, 60), "cannot read the specifier list"},
      {xml(PlistValue::Array{item("PSGroupCell", "G")}), "is an array, not a dictionary"},
      {xml(PlistValue::Dictionary{{"items", PlistValue::Dictionary{}}}), "\"items\" is a dictionary, not an array"},
      {xml(PlistValue::Dictionary{{"title", 5}}), "\"items\" is missing"},
  };
  for (const auto& [bytes, message] : cases) {
    SCOPED_TRACE(message);
    writeListBytes("Broken", bytes);
    std::string errors;
    auto specifiers = load("Broken", &errors);
    EXPECT_TRUE(specifiers && specifiers->empty());
    EXPECT_THAT(errors, HasSubstr(message));
  }
  std::string errors;
  auto missing = load("Absent", &errors);
  EXPECT_TRUE(missing && missing->empty());
  EXPECT_THAT(errors, HasSubstr("has no specifier list Absent.plist"));
}

}  // namespace
}  // namespace kavro::test
