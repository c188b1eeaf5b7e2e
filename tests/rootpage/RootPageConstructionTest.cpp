// What the page has before its view shows, how its bar buttons take touches, and
// the rows' symbol icons.

#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationItem.h"
#include "style/Style.h"
#include "tests/rootpage/RootPageHarness.h"

#include <gtest/gtest.h>

namespace kavro::test {
namespace {

using RootPageConstructionTest = RootPageTest;

TEST_F(RootPageConstructionTest, TheBarShowsApplyAtItsRightEndAndTheGuideButtonBesideIt) {
  store(PlistValue::Array{}, "blacklist");  // the domain's file exists: no guide
  openPage();
  auto bar = navigation->navigationBar();
  CGRect barFrame = bar->frameInWindow();
  CGRect apply = page->apply()->customView()->frameInWindow();
  CGRect info = page->info()->customView()->frameInWindow();
  auto symbol = [](const std::shared_ptr<UIBarButtonItem>& item) {
    return std::dynamic_pointer_cast<UIButton>(item->customView())->currentBackgroundImage()->symbolName();
  };
  EXPECT_EQ(symbol(page->apply()), "checkmark.circle.fill");
  EXPECT_EQ(symbol(page->info()), "info.circle.fill");
  // 30-point buttons in the bar's top row, 2-point spaces beside each.
  EXPECT_EQ(apply.size, CGSizeMake(30, 30));
  EXPECT_EQ(info.size, CGSizeMake(30, 30));
  EXPECT_EQ(CGRectGetMidY(apply), CGRectGetMinY(barFrame) + UINavigationBar::kStandardHeight / 2);
  EXPECT_EQ(CGRectGetMaxX(barFrame) - CGRectGetMaxX(apply), UINavigationBar::kEdgeMargin + 2);
  EXPECT_EQ(CGRectGetMinX(apply) - CGRectGetMaxX(info), UINavigationBar::kItemSpacing + 2);
  EXPECT_TRUE(UIColorEqual(page->apply()->tintColor(), style::accentColor()));
  EXPECT_TRUE(UIColorEqual(page->info()->tintColor(), style::accentColor()));
  // The header's switch is the large one, off until the store says otherwise.
  EXPECT_EQ(page->enableSwitch()->frame().size, CGSizeMake(50, 40));
  EXPECT_FALSE(page->enableSwitch()->isOn());
  EXPECT_TRUE(UIColorEqual(page->enableSwitch()->thumbOnTintColor(), style::accentColor()));
}

TEST_F(RootPageConstructionTest, BarButtonsActOnlyOnATouchThatEndsInside) {
  store(PlistValue::Array{}, "blacklist");  // the domain's file exists: no guide
  openPage();
  EXPECT_TRUE(navigation->navigationBar()->prefersLargeTitles());
  markEvents();
  for (auto& item : {page->apply(), page->info()}) {
    finger->down(centreOf(item->customView()));
    finger->move(0, 300);
    finger->up();
    finger->down(centreOf(item->customView()));
    finger->cancel();
  }
  wait(1);
  EXPECT_EQ(feedbackSounds(), 0);
  EXPECT_FALSE(presented());
  tap(page->apply()->customView());
  EXPECT_TRUE(std::dynamic_pointer_cast<UIAlertController>(presented()));
  navigation->dismissViewControllerAnimated(false, nullptr);
  tap(page->info()->customView());
  EXPECT_EQ(presented(), page->infoController());
}

TEST_F(RootPageConstructionTest, SpecifiersLoadOnceAndRebuildEverySymbolIcon) {
  auto icon = [](PlistValue::Dictionary symbol) { return PlistValue::Dictionary{{"iconImageSystem", symbol}}; };
  writeRoot({rootItem("PSStaticTextCell", "Known", icon({{"name", "trash.fill"}})),
             rootItem("PSStaticTextCell", "Unknown", icon({{"name", "no.such"}})),
             rootItem("PSStaticTextCell", "Nameless", icon({})), rootItem("PSStaticTextCell", "Plain")});
  auto made = makePage();
  auto rows = made->specifiers();
  auto stranger = UIImage::systemImageNamed("sparkles");
  for (auto& row : *rows) row->setProperty(stranger, "iconImage");
  writeRoot({});  // a second load would find no rows

  EXPECT_EQ(made->specifiers(), rows);
  ASSERT_EQ(rows->size(), 4u);
  auto iconOf = [&](std::size_t row) { return std::dynamic_pointer_cast<UIImage>((*rows)[row]->objectPropertyForKey("iconImage")); };
  ASSERT_TRUE(iconOf(0));
  EXPECT_EQ(iconOf(0)->symbolName(), "trash.fill");
  EXPECT_TRUE(UIColorEqual(iconOf(0)->tintColor(), style::accentColor()));
  auto configuration = iconOf(0)->symbolConfiguration();
  EXPECT_EQ(configuration->pointSize(), 25.0);
  EXPECT_EQ(configuration->weight(), UIImageSymbolWeightSemibold);
  EXPECT_EQ(configuration->scale(), UIImageSymbolScaleMedium);
  EXPECT_FALSE(iconOf(1));
  EXPECT_FALSE(iconOf(2));
  EXPECT_EQ(iconOf(3), stranger);
}

}  // namespace
}  // namespace kavro::test
