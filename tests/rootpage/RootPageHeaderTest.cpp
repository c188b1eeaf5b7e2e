// The page once its view shows, one behaviour a test: the header picture and the
// switch under it, the section headers and footers, the window's accent tint, and
// the first-run guide.

#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UILabel.h"
#include "store/Preferences.h"
#include "style/Style.h"
#include "tests/rootpage/RootPageHarness.h"

#include <gtest/gtest.h>

namespace kavro::test {
namespace {

using RootPageHeaderTest = RootPageTest;

class RootPageShownTest : public RootPageTest {
 protected:
  RootPageShownTest() {
    store(true, "enabled");
    openPage();
  }
  std::string picture() { return page->headerImageView()->image()->fileName(); }
};

TEST_F(RootPageShownTest, TheHeaderPictureFollowsTheAppearanceWithoutReloadingTheRows) {
  EXPECT_EQ(picture(), "constellation-light.png");
  auto cell = page->table()->cellForRowAtIndexPath({0, 0});
  cell->textLabel()->setText("marked");  // a reload would give the row its title back
  device().setAppearance(kavro::platform::Appearance::dark);
  EXPECT_EQ(picture(), "constellation-dark.png");
  device().setAppearance(kavro::platform::Appearance::light);
  EXPECT_EQ(picture(), "constellation-light.png");
  EXPECT_EQ(cell->textLabel()->text(), "marked");
}

TEST_F(RootPageShownTest, TheSwitchStandsUnderThePictureAndItsBottomPlacementGivesWay) {
  // The switch's top 20 under the picture and its bottom at the header's bottom
  // cannot both hold in 250 points: the bottom gives way.
  auto header = page->headerView();
  header->layoutIfNeeded();
  CGFloat width = header->frame().size.width;
  EXPECT_EQ(page->headerImageView()->frame(), CGRectMake(0, 40, width, 130));
  EXPECT_EQ(page->enableSwitch()->frame(), CGRectMake(width / 2 - 25, 190, 50, 40));
  std::vector<NSLayoutAttribute> broken;
  for (auto& constraint : header->constraints())
    if (constraint->isBroken() && constraint->firstItem() == page->enableSwitch())
      broken.push_back(constraint->firstAttribute());
  EXPECT_EQ(broken, std::vector{NSLayoutAttributeBottom});
}

TEST_F(RootPageShownTest, AHeaderTheTableLostComesBackWithTheNextRow) {
  auto header = page->headerView();
  page->table()->setTableHeaderView(nullptr);
  page->cellForRowAtIndexPath(page->table(), {1, 0});
  EXPECT_EQ(page->table()->tableHeaderView(), header);
}

TEST_F(RootPageTest, TheWindowTakesThePagesAccentWhileThePageIsShown) {
  store(true, "enabled");
  auto tintedWithAccent = [&] { return UIColorEqual(window->tintColor(), kavro::style::accentColor()); };
  EXPECT_FALSE(tintedWithAccent());
  openPage();
  EXPECT_TRUE(tintedWithAccent());
  navigation->pushViewController(alloc<UIViewController>()->init(), true);
  wait(1);
  EXPECT_FALSE(tintedWithAccent());
  navigation->popViewControllerAnimated(true);
  wait(1);
  EXPECT_TRUE(tintedWithAccent());
}

TEST_F(RootPageHeaderTest, SectionHeadersAndFootersForOneTwoAndThreeGroups) {
  store(true, "enabled");
  auto group = [](PlistValue::Dictionary extra) { return rootItem("PSGroupCell", "", extra); };
  auto row = rootItem("PSStaticTextCell", "Row");
  // Footer heights; -1 stands for the framework's own height for the section.
  const std::vector<std::pair<PlistValue::Array, std::vector<double>>> lists = {
      {{group({{"label", "Only"}}), row}, {50}},
      {{group({{"footerText", "Note"}}), row, group({{"label", "Last"}}), row}, {-1, 50}},
      {{group({{"label", "A"}, {"footerText", "Note"}}), row, group({{"label", ""}}), row, group({{"label", "Z"}}), row},
       {0, -1, 50}}};
  for (const auto& [items, footers] : lists) {
    writeRoot(items);
    openPage();
    auto table = page->table();
    long last = table->numberOfSections() - 1;
    ASSERT_EQ(last + 1, static_cast<long>(footers.size()));
    for (long section = 0; section <= last; ++section) {
      SCOPED_TRACE(testing::Message() << footers.size() << " groups, section " << section);
      double footerHeight = footers[static_cast<std::size_t>(section)];
      if (footerHeight < 0) footerHeight = *page->PSListController::heightForFooterInSection(table, section);
      EXPECT_EQ(table->rectForFooterInSection(section).size.height, footerHeight);
      auto title = page->titleForHeaderInSection(table, section);
      EXPECT_EQ(table->rectForHeaderInSection(section).size.height, title ? 40 : 10);
      auto label = std::dynamic_pointer_cast<UILabel>(page->viewForHeaderInSection(table, section));
      EXPECT_EQ(label->text(), title.value_or(""));
      auto footer = std::dynamic_pointer_cast<UILabel>(page->viewForFooterInSection(table, section));
      ASSERT_EQ(bool(footer), section == last);
    }
    // The footer: the title over the version line, centred, each in its own font.
    auto footer = std::dynamic_pointer_cast<UILabel>(page->viewForFooterInSection(table, last));
    EXPECT_EQ(footer->linesForWidth(footer->frame().size.width), (std::vector<std::string>{"Kavro", "Version 1.0.0"}));
    EXPECT_EQ(footer->textAlignment(), NSTextAlignmentCenter);
    auto runs = footer->attributedText()->runs();
    ASSERT_EQ(runs.size(), 3u);
    auto font = [&](std::size_t run) { return std::dynamic_pointer_cast<UIFont>(runs[run].attributes.at(NSFontAttributeName)); };
    EXPECT_EQ(runs[0].range, NSMakeRange(0, 5));
    EXPECT_TRUE(font(0)->isEqual(*UIFont::systemFontOfSize(18, UIFontWeightSemibold)));
    EXPECT_TRUE(runs[1].attributes.empty());  // the line break
    EXPECT_EQ(runs[2].range, NSMakeRange(6, 13));
    EXPECT_TRUE(font(2)->isEqual(*UIFont::systemFontOfSize(12, UIFontWeightRegular)));
  }
}

TEST_F(RootPageHeaderTest, GuideComesAtEveryAppearanceUntilTheFileExists) {
  openPage();
  EXPECT_EQ(feedbackSounds(), 2);  // asked at load and at appearance
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(presented(), page->infoController());
    page->dismissInfo();
    wait(1);
    EXPECT_FALSE(presented());
    markEvents();
    reappear();
    EXPECT_EQ(feedbackSounds(), 1);
  }
  page->dismissInfo();
  wait(1);
  store(PlistValue::Array{}, "other");
  markEvents();
  reappear();
  openPage();
  EXPECT_EQ(feedbackSounds(), 0);
  EXPECT_FALSE(presented());
  store::removeDomain();
  reappear();
  EXPECT_EQ(presented(), page->infoController());
}

}  // namespace
}  // namespace kavro::test
