// The cells rows get: the class a row names (or the default for its type), reuse
// that never hands a cell to another row, a refresh on every display, and heights.

#include "tests/platform/preferences/PreferencesTestSupport.h"

#include "platform/uikit/UIImage.h"

namespace kavro::test {
namespace {

class RowCellsTest : public PreferencesTest {
 protected:
  std::shared_ptr<UITableViewCell> cellAt(long row) { return page->table()->cellForRowAtIndexPath({0, row}); }
  void reload() {
    page->table()->reloadData();
    page->table()->layoutIfNeeded();
  }
  std::shared_ptr<TestListController> page;
};

TEST_F(RowCellsTest, RowsGetTheCellClassTheyNameElseTheDefaultForTheirType) {
  writeRoot({item("PSStaticTextCell", "Named", {{"cellClass", "TestSubtitleCell"}}),
             item("PSSwitchCell", "Named switch", {{"cellClass", "TestOnOffCell"}}),
             item("PSStaticTextCell", "Unknown", {{"cellClass", "NoSuchCell"}}),
             item("PSSwitchCell", "Unknown switch", {{"cellClass", "NoSuchCell"}}),
             item("PSButtonCell", "Not a cell", {{"cellClass", "TestListController"}, {"enabled", false}})});
  ::testing::internal::CaptureStderr();
  page = showPage();
  std::string errors = ::testing::internal::GetCapturedStderr();

  EXPECT_EQ(cellAt(0)->className(), "TestSubtitleCell");
  EXPECT_EQ(cellAt(0)->reuseIdentifier(), "TestSubtitleCell:PSStaticTextCell");
  EXPECT_EQ(cellAt(0)->selectionStyle(), UITableViewCellSelectionStyleNone);
  EXPECT_EQ(cellAt(1)->className(), "TestOnOffCell");
  EXPECT_EQ(cellAt(2)->className(), "PSTableCell");
  EXPECT_EQ(cellAt(3)->className(), "PSSwitchTableCell");
  EXPECT_EQ(cellAt(4)->className(), "PSTableCell");
  EXPECT_NE(errors.find("\"NoSuchCell\" of the row \"Unknown\" does not exist"), std::string::npos);
  EXPECT_NE(errors.find("\"TestListController\" of the row \"Not a cell\" is no PSTableCell"), std::string::npos);
  EXPECT_FALSE(cellAt(4)->isUserInteractionEnabled());
}

TEST_F(RowCellsTest, CellsServeOnlyTheirOwnRowAndAreRefreshedOnEveryDisplay) {
  writeRoot({item("PSButtonCell", "One", {{"cellClass", "TestSubtitleCell"}, {"subtitle", "first"}}),
             item("PSButtonCell", "Two", {{"cellClass", "TestSubtitleCell"}, {"subtitle", "second"}}),
             item("PSLinkCell", "Link")});
  page = showPage();
  auto one = std::dynamic_pointer_cast<TestSubtitleCell>(cellAt(0));
  ASSERT_TRUE(one);
  int refreshes = one->refreshes;
  auto icon = UIImage::systemImageNamed("sparkles");
  page->specifierAtIndexPath({0, 0})->setProperty(icon, "iconImage");
  page->specifierAtIndexPath({0, 0})->setName("Renamed");

  reload();
  EXPECT_EQ(cellAt(0), one);
  EXPECT_EQ(one->refreshes, refreshes + 1);
  EXPECT_EQ(one->textLabel()->text(), "Renamed");
  EXPECT_EQ(one->imageView()->image(), icon);
  EXPECT_EQ(cellAt(2)->accessoryType(), UITableViewCellAccessoryDisclosureIndicator);

  // Row "One" goes: its cell is not shown for row "Two", whose detail text its
  // own cell took when it was made.
  page->specifiers()->erase(page->specifiers()->begin());
  reload();
  EXPECT_EQ(cellAt(0)->textLabel()->text(), "Two");
  EXPECT_EQ(cellAt(0)->detailTextLabel()->text(), "second");
  EXPECT_EQ(cellAt(1)->accessoryType(), UITableViewCellAccessoryDisclosureIndicator);
}

TEST_F(RowCellsTest, RowsAreTallEnoughForTheirCells) {
  std::string longText;
  for (int i = 0; i < 20; ++i) longText += "a subtitle long enough to wrap ";
  auto subtitled = [&](const std::string& label, const std::string& subtitle, int lines) {
    return item("PSStaticTextCell", label, {{"cellClass", "TestSubtitleCell"}, {"subtitle", subtitle}, {"lines", lines}});
  };
  writeRoot({item("PSStaticTextCell", "Plain"), item("PSStaticTextCell", "Fixed", {{"height", 80}}),
             subtitled("One line", "short", 1), subtitled("Wrapped", longText, 0), subtitled("Two", longText, 2)});
  page = showPage();
  auto height = [&](long row) { return page->table()->rectForRowAtIndexPath({0, row}).size.height; };

  EXPECT_EQ(height(0), PSTableCell::kMinimumHeight);
  EXPECT_EQ(height(1), 80);
  EXPECT_GT(height(2), PSTableCell::kMinimumHeight);
  EXPECT_GT(height(3), height(4));
  EXPECT_GT(height(4), height(2));
}

}  // namespace
}  // namespace kavro::test
