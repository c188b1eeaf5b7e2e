// How a list becomes sections: groups, the untitled first section, header titles
// (nil, empty, named), and the framework's footer views and heights.

#include "tests/platform/preferences/PreferencesTestSupport.h"

#include "platform/preferences/PSFooterView.h"

namespace kavro::test {
namespace {

using ListSectionsTest = PreferencesTest;

TEST_F(ListSectionsTest, GroupsBecomeSectionsWithNilEmptyAndNamedTitles) {
  writeRoot({item("PSStaticTextCell", "Before any group"), PlistValue::Dictionary{{"cell", "PSGroupCell"}},
             item("PSStaticTextCell", "A"), item("PSStaticTextCell", "B"), item("PSGroupCell", ""),
             item("PSGroupCell", "Named"), item("PSStaticTextCell", "C")});
  auto page = showPage();
  auto table = page->table();

  EXPECT_EQ(page->numberOfGroups(), 4);
  ASSERT_EQ(table->numberOfSections(), 4);
  EXPECT_EQ(table->numberOfRowsInSection(1), 2);
  EXPECT_EQ(table->numberOfRowsInSection(2), 0);
  EXPECT_EQ(page->titleForHeaderInSection(table, 0), std::nullopt);
  EXPECT_EQ(page->titleForHeaderInSection(table, 1), std::nullopt);
  EXPECT_EQ(page->titleForHeaderInSection(table, 2), std::optional<std::string>(""));
  EXPECT_EQ(page->titleForHeaderInSection(table, 3), std::optional<std::string>("Named"));
  EXPECT_EQ(page->specifierAtIndexPath({1, 1})->name(), "B");
  EXPECT_EQ(page->specifierAtIndexPath({1, 2}), nullptr);
  EXPECT_EQ(table->cellForRowAtIndexPath({3, 0})->textLabel()->text(), "C");

  // A page that loads its list on first use reads it again on reloadSpecifiers.
  writeRoot({item("PSGroupCell", "Only")});
  page->reloadSpecifiers();
  EXPECT_EQ(table->numberOfSections(), 1);
  EXPECT_EQ(page->specifierForID("Only")->cellType(), PSCellType::group);
}

TEST_F(ListSectionsTest, FootersAreLabelsSizedToTheirText) {
  std::string longText;
  for (int i = 0; i < 30; ++i) longText += "a footer that wraps over several lines ";
  writeRoot({item("PSGroupCell", "Short", {{"footerText", "One line"}}), item("PSStaticTextCell", "Row"),
             item("PSGroupCell", "Long", {{"footerText", longText}}), item("PSStaticTextCell", "Row"),
             item("PSGroupCell", "None"), item("PSStaticTextCell", "Row")});
  auto page = showPage();
  auto table = page->table();

  auto footer = std::dynamic_pointer_cast<PSFooterView>(page->viewForFooterInSection(table, 0));
  ASSERT_TRUE(footer);
  auto label = footer->textLabel();
  EXPECT_EQ(label->text(), "One line");
  EXPECT_EQ(label->font()->pointSize(), 13);
  EXPECT_EQ(label->numberOfLines(), 0);
  EXPECT_TRUE(UIColorEqual(label->textColor(), UIColor::secondaryLabelColor()));
  EXPECT_GT(label->frame().origin.x, 0);
  EXPECT_LT(CGRectGetMaxX(label->frame()), footer->bounds().size.width);

  CGFloat shortHeight = *page->heightForFooterInSection(table, 0);
  CGFloat longHeight = *page->heightForFooterInSection(table, 1);
  EXPECT_GT(shortHeight, label->font()->lineHeight());
  EXPECT_GT(longHeight, shortHeight + 3 * label->font()->lineHeight());
  EXPECT_EQ(table->rectForFooterInSection(1).size.height, longHeight);
  EXPECT_TRUE(std::dynamic_pointer_cast<PSFooterView>(table->footerViewForSection(0)));

  EXPECT_EQ(page->viewForFooterInSection(table, 2), nullptr);
  EXPECT_EQ(page->titleForFooterInSection(table, 2), std::nullopt);
  EXPECT_EQ(*page->heightForFooterInSection(table, 2), PSListController::kDefaultFooterHeight);
}

}  // namespace
}  // namespace kavro::test
