// What the picker page shows around its rows: the blank band above the table that
// comes with the first cell, the two section headers, and a stored list's rows as
// they are stored, duplicates included.

#include "tests/selector/PickerTestSupport.h"

#include "platform/uikit/UILabel.h"
#include "store/Preferences.h"

namespace kavro::test {
namespace {

using PickerPageTest = PickerTest;
using Names = std::vector<std::string>;

TEST_F(PickerPageTest, TheHeaderBandComesWithTheFirstCell) {
  openPicker("blacklist");  // nothing installed, nothing stored
  auto table = picker->tableView();
  EXPECT_EQ(table->numberOfRowsInSection(0) + table->numberOfRowsInSection(1), 0);
  EXPECT_FALSE(table->tableHeaderView());
  EXPECT_EQ(table->rectForHeaderInSection(0).origin.y, 0);

  storeList("blacklist", {"com.example.gone"});
  table->reloadData();
  window->layoutIfNeeded();
  ASSERT_TRUE(table->tableHeaderView());
  EXPECT_EQ(table->tableHeaderView()->frame().size.height, 50);
  EXPECT_EQ(table->rectForHeaderInSection(0).origin.y, 50);
  EXPECT_EQ(table->rectForHeaderInSection(0).size.height, 40);
  EXPECT_EQ(table->rectForRowAtIndexPath({0, 0}).size.height, 60);
  // Emptied again, the band stays: it is set only as cells are made.
  storeList("blacklist", {});
  table->reloadData();
  window->layoutIfNeeded();
  EXPECT_EQ(table->rectForHeaderInSection(0).origin.y, 50);
}

TEST_F(PickerPageTest, SectionsAreHeadedAndAListedIdentifierShowsAsOftenAsItIsStored) {
  install({{"com.example.x", "Xylo"}, {"com.example.y", "Yarn"}});
  storeList("blacklist", {"com.example.x", "com.example.y", "com.example.x"});
  openPicker("blacklist");
  auto table = picker->tableView();
  for (long section : {0L, 1L}) {
    auto header = std::dynamic_pointer_cast<UILabel>(picker->viewForHeaderInSection(table, section));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->text(), section == 0 ? "Current Applications" : "All Applications");
    EXPECT_TRUE(UIColorEqual(header->textColor(), UIColor::secondaryLabelColor()));
  }
  EXPECT_EQ(rowTexts(0), (Names{"Xylo", "Yarn", "Xylo"}));
  EXPECT_EQ(checkedTexts(), (Names{"Xylo", "Yarn"}));
  // Current rows carry no accessory; each shows its identifier under its name.
  for (long row = 0; row < 3; ++row) {
    auto cell = table->cellForRowAtIndexPath({0, row});
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->accessoryType(), UITableViewCellAccessoryNone);
    EXPECT_EQ(cell->detailTextLabel()->text(), row == 1 ? "com.example.y" : "com.example.x");
  }
}

}  // namespace
}  // namespace kavro::test
