// Editing the stored list from the picker: taps add and remove by what the row
// shows, swipes remove one row, edit mode moves rows within "Current Applications",
// the reset button removes the key; every change is written at once.

#include "tests/selector/PickerTestSupport.h"

#include "platform/foundation/NSUserDefaults.h"
#include "store/Preferences.h"

namespace kavro::test {
namespace {

class ListEditingTest : public PickerTest {
 protected:
  ListEditingTest() {
    install({{"com.example.x", "Xylo"}, {"com.example.y", "Yarn"}, {"com.example.z", "Zinc"}});
  }
  using Names = std::vector<std::string>;
};

TEST_F(ListEditingTest, TapsAddAtTheEndAndRemoveEveryOccurrence) {
  openPicker("blacklist");
  EXPECT_TRUE(rowTexts(0).empty());
  tapRow(1, 2);  // Zinc
  tapRow(1, 0);  // Xylo
  EXPECT_EQ(stored("blacklist"), (Names{"com.example.z", "com.example.x"}));
  EXPECT_EQ(rowTexts(0), (Names{"Zinc", "Xylo"}));
  EXPECT_EQ(checkedTexts(), (Names{"Xylo", "Zinc"}));

  // A list written elsewhere with duplicates: a tap on a checked row removes them all.
  storeList("blacklist", {"com.example.x", "com.example.y", "com.example.x"});
  picker->tableView()->reloadData();
  tapRow(1, 0);
  EXPECT_EQ(stored("blacklist"), (Names{"com.example.y"}));
  // A tap on a current row changes nothing.
  tapRow(0, 0);
  EXPECT_EQ(stored("blacklist"), (Names{"com.example.y"}));
  // Removing the last one leaves an empty array under the key.
  tapRow(1, 1);
  EXPECT_TRUE(storedValue("blacklist").isArray());
  EXPECT_TRUE(stored("blacklist").empty());
}

TEST_F(ListEditingTest, ASwipeRemovesOneRowAndTellsTheTableItIsDone) {
  storeList("blacklist", {"com.example.x", "com.example.y", "com.example.x"});
  openPicker("blacklist");
  swipeRow(0, 0);
  EXPECT_EQ(stored("blacklist"), (Names{"com.example.y", "com.example.x"}));
  EXPECT_FALSE(picker->tableView()->swipedRow());
  // Rows of "All Applications" have no swipe action.
  swipeRow(1, 0);
  EXPECT_EQ(stored("blacklist"), (Names{"com.example.y", "com.example.x"}));
}

TEST_F(ListEditingTest, MovesStayInCurrentApplications) {
  storeList("blacklist", {"com.example.x", "com.example.y", "com.example.z"});
  openPicker("blacklist");
  tapButton("arrow.up.and.down.circle.fill");
  auto table = picker->tableView();
  ASSERT_TRUE(table->isEditing());
  picker->moveRowAtIndexPath(table, {0, 0}, {0, 2});
  EXPECT_EQ(stored("blacklist"), (Names{"com.example.y", "com.example.z", "com.example.x"}));
  picker->moveRowAtIndexPath(table, {0, 1}, {0, 1});
  EXPECT_EQ(stored("blacklist"), (Names{"com.example.y", "com.example.z", "com.example.x"}));
  // A drop into "All Applications" lands at the end of the list, never past it.
  EXPECT_EQ(picker->targetIndexPathForMoveFromRowAtIndexPath(table, {0, 0}, {1, 2}), (NSIndexPath{0, 2}));
  picker->moveRowAtIndexPath(table, {0, 0}, {1, 40});
  EXPECT_EQ(stored("blacklist"), (Names{"com.example.z", "com.example.x", "com.example.y"}));
  EXPECT_FALSE(picker->canMoveRowAtIndexPath(table, {1, 0}));
  tapButton("arrow.up.and.down.circle.fill");
  EXPECT_FALSE(table->isEditing());
}

TEST_F(ListEditingTest, ResetOfAnAbsentListMakesNoFile) {
  openPicker("blacklist");
  tapButton("arrow.triangle.2.circlepath.circle.fill");
  EXPECT_FALSE(kavro::store::preferencesFileExists());
  EXPECT_TRUE(checkedTexts().empty());
}

TEST_F(ListEditingTest, ResetRemovesOnlyItsOwnKey) {
  storeList("blacklist", {"com.example.x"});
  storeList("com.example.other", {"com.example.y"});
  kavro::store::writeEnabled(true);
  openPicker("blacklist");
  tapButton("arrow.triangle.2.circlepath.circle.fill");
  EXPECT_TRUE(storedValue("blacklist").isNil());
  EXPECT_EQ(stored("com.example.other"), (Names{"com.example.y"}));
  EXPECT_TRUE(kavro::store::readEnabled());
  EXPECT_TRUE(checkedTexts().empty());
}

TEST_F(ListEditingTest, AListChangedElsewhereOrStoredWronglyNeverBreaksThePicker) {
  storeList("blacklist", {"com.example.x", "com.example.y", "com.example.z"});
  openPicker("blacklist");
  auto table = picker->tableView();
  // Another process shortens the list after the table counted its rows.
  storeList("blacklist", {"com.example.x"});
  auto cell = picker->cellForRowAtIndexPath(table, {0, 2});
  EXPECT_EQ(cell->textLabel()->text(), "");
  picker->moveRowAtIndexPath(table, {0, 2}, {0, 0});
  picker->didSelectRowAtIndexPath(table, {1, 7});
  EXPECT_EQ(stored("blacklist"), (Names{"com.example.x"}));

  // Elements that are not strings are skipped and kept; reading writes nothing.
  NSUserDefaults::standardUserDefaults()->setObject(
      PlistValue(PlistValue::Array{PlistValue("com.example.y"), PlistValue(7), PlistValue("com.example.z")}),
      "blacklist", kavro::store::kDomain);
  table->reloadData();
  EXPECT_EQ(rowTexts(0), (Names{"Yarn", "Zinc"}));
  swipeRow(0, 1);
  EXPECT_EQ(stored("blacklist"), (Names{"com.example.y", "<integer>"}));

  // A value that is no array reads as an empty list and is left alone until an edit.
  NSUserDefaults::standardUserDefaults()->setObject(PlistValue("oops"), "blacklist", kavro::store::kDomain);
  table->reloadData();
  EXPECT_TRUE(rowTexts(0).empty());
  EXPECT_EQ(storedValue("blacklist"), PlistValue("oops"));
  tapRow(1, 0);
  EXPECT_EQ(stored("blacklist"), (Names{"com.example.x"}));
}

}  // namespace
}  // namespace kavro::test
