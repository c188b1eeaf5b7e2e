// The two cells the "Root" rows name: layout and label colours across creation,
// refresh and tint changes; the switch cell's control, sound and row value.

#include "cells/KavroSwitchTableCell.h"
#include "cells/KavroTableCell.h"
#include "style/Style.h"
#include "tests/rootpage/RootPageHarness.h"

#include <gtest/gtest.h>

namespace kavro::test {
namespace {

bool same(const std::shared_ptr<UIColor>& a, const std::shared_ptr<UIColor>& b) { return UIColorEqual(a, b); }

class SettingsCellsTest : public RootPageTest {
 protected:
  SettingsCellsTest() {
    PlistValue::Dictionary bare = {{"cellClass", "KavroSwitchTableCell"}, {"key", "flag"},
                                   {"defaults", "com.qelm.kavroprefs"}, {"default", false}};
    PlistValue::Dictionary flag = bare, plain = {{"cellClass", "KavroTableCell"}}, oneLine = plain;
    flag["subtitle"] = oneLine["subtitle"] = "Sub";
    oneLine["lines"] = 1;
    writeRoot({rootItem("PSSwitchCell", "Flag", flag), rootItem("PSSwitchCell", "Bare", bare),
               rootItem("PSButtonCell", "Plain", plain), rootItem("PSStaticTextCell", "One line", oneLine)});
    store(PlistValue::Array{}, "blacklist");  // the domain's file exists: no guide
    openPage();
  }
  // A cell for a row, made outside the table with another style asked for.
  template <class Cell>
  std::shared_ptr<Cell> made(long row) {
    return std::dynamic_pointer_cast<Cell>(alloc<Cell>()->initWithStyle(UITableViewCellStyleValue1, "test", page->specifiers()->at(row)));
  }
};

TEST_F(SettingsCellsTest, SwitchCellLayoutColoursAndControl) {
  auto cell = made<KavroSwitchTableCell>(0);
  EXPECT_EQ(cell->style(), UITableViewCellStyleSubtitle);
  EXPECT_EQ(cell->detailTextLabel()->text(), "Sub");
  EXPECT_EQ(cell->detailTextLabel()->numberOfLines(), 2);
  EXPECT_TRUE(same(cell->detailTextLabel()->textColor(), kavro::style::accentColor()));
  cell->refreshCellContentsWithSpecifier(cell->specifier());
  EXPECT_TRUE(same(cell->detailTextLabel()->textColor(), UIColor::secondaryLabelColor()));
  EXPECT_TRUE(same(cell->textLabel()->highlightedTextColor(), UIColor::labelColor()));
  auto bare = made<KavroSwitchTableCell>(1);
  EXPECT_EQ(bare->detailTextLabel()->text(), "");
  bare->setTintColor(UIColor::redColor());
  EXPECT_TRUE(same(bare->textLabel()->textColor(), UIColor::labelColor()));
  EXPECT_TRUE(same(bare->textLabel()->highlightedTextColor(), UIColor::labelColor()));
  EXPECT_TRUE(same(bare->detailTextLabel()->textColor(), UIColor::secondaryLabelColor()));

  auto control = std::dynamic_pointer_cast<KavroSwitch>(cell->control());
  ASSERT_TRUE(control);
  EXPECT_EQ(control->frame().size, CGSizeMake(40, 30));
  EXPECT_TRUE(same(control->thumbOnTintColor(), kavro::style::accentColor()));
  EXPECT_EQ(control->delegate().get(), static_cast<KavroSwitchDelegate*>(cell.get()));
}

TEST_F(SettingsCellsTest, SwitchTapsSoundAndDragsDoNotWhileTheRowValueFollows) {
  auto cell = std::dynamic_pointer_cast<KavroSwitchTableCell>(page->table()->cellForRowAtIndexPath({0, 0}));
  auto control = std::dynamic_pointer_cast<KavroSwitch>(cell->control());
  EXPECT_FALSE(control->isOn());
  markEvents();
  tap(control->switchThumb());
  EXPECT_EQ(feedbackSounds(), 1);  // at the tap, before the flip
  wait(0.4);
  EXPECT_EQ(storedFlag("flag"), true);
  CGRect track = control->track()->frameInWindow();
  finger->tap(CGPointMake(CGRectGetMinX(track) + 2, CGRectGetMidY(track)));
  wait(0.4);
  EXPECT_EQ(feedbackSounds(), 2);
  EXPECT_EQ(storedFlag("flag"), false);
  finger->down(centreOf(control->switchThumb()));
  finger->move(10, 0);
  finger->move(0, 150);
  finger->up();
  wait(0.4);
  EXPECT_TRUE(control->isOn());
  EXPECT_EQ(storedFlag("flag"), true);
  EXPECT_EQ(feedbackSounds(), 2);
}

TEST_F(SettingsCellsTest, PlainCellLinesAlignmentAndColours) {
  auto cell = made<KavroTableCell>(2);
  EXPECT_EQ(cell->style(), UITableViewCellStyleSubtitle);
  EXPECT_EQ(cell->detailTextLabel()->text(), "");
  EXPECT_EQ(cell->detailTextLabel()->numberOfLines(), 0);
  EXPECT_EQ(cell->detailTextLabel()->textAlignment(), NSTextAlignmentLeft);
  EXPECT_FALSE(same(cell->detailTextLabel()->textColor(), UIColor::secondaryLabelColor()));
  cell->refreshCellContentsWithSpecifier(cell->specifier());
  EXPECT_TRUE(same(cell->detailTextLabel()->textColor(), UIColor::secondaryLabelColor()));
  cell->setTintColor(UIColor::redColor());
  // A button row's title would take the tint; this cell keeps the label colour.
  EXPECT_TRUE(same(cell->textLabel()->textColor(), UIColor::labelColor()));
  EXPECT_TRUE(same(cell->detailTextLabel()->textColor(), UIColor::secondaryLabelColor()));
  auto oneLine = std::dynamic_pointer_cast<KavroTableCell>(page->table()->cellForRowAtIndexPath({0, 3}));
  EXPECT_EQ(oneLine->detailTextLabel()->text(), "Sub");
  EXPECT_EQ(oneLine->detailTextLabel()->numberOfLines(), 1);
}

}  // namespace
}  // namespace kavro::test
