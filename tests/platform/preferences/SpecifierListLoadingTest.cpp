// Reading specifier lists: what a valid list gives, and how malformed lists and
// items are skipped with a reason while the rest still loads.

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

TEST_F(SpecifierListLoadingTest, MalformedItemsAreSkippedWithTheirReasonAndTheRestLoads) {
  writeRoot({item("PSGroupCell", "Kept"),
             PlistValue("not a dictionary"),
             PlistValue::Dictionary{{"label", "No cell"}},
             item("PSSliderThing", "Unknown type"),
             PlistValue::Dictionary{{"cell", 7}, {"label", "Cell is a number"}},
             PlistValue::Dictionary{{"cell", "PSButtonCell"}, {"label", 42}},
             item("PSStaticTextCell", "Height is a string", {{"height", "tall"}}),
             item("PSStaticTextCell", "Also kept", {{"lines", "custom keys are not checked"}})});
  std::string errors;
  auto specifiers = load("Root", &errors);
  ASSERT_EQ(specifiers->size(), 2u);
  EXPECT_EQ((*specifiers)[1]->name(), "Also kept");
  EXPECT_THAT(errors, HasSubstr("item 1 skipped: it is a string, not a dictionary"));
  EXPECT_THAT(errors, HasSubstr("item 2 skipped: it has no \"cell\""));
  EXPECT_THAT(errors, HasSubstr("item 3 skipped: unknown cell type \"PSSliderThing\""));
  EXPECT_THAT(errors, HasSubstr("item 4 skipped: its \"cell\" is an integer, not a string"));
  EXPECT_THAT(errors, HasSubstr("item 5 skipped: its \"label\" is an integer, not a string"));
  EXPECT_THAT(errors, HasSubstr("item 6 skipped: its \"height\" is a string, not a number"));
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
