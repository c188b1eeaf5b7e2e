// What the page shows in its bar (where the two symbol buttons are drawn, in which
// colour, and what a tap there reaches), its header switch before anything is
// stored, and the rows' symbol icons.

#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationItem.h"
#include "style/Style.h"
#include "switch/KavroSwitch.h"
#include "tests/rootpage/RootPageHarness.h"

#include <gtest/gtest.h>

namespace kavro::test {
namespace {

using RootPageConstructionTest = RootPageTest;

// Where a bar button's symbol is drawn, in window coordinates: the picture of its
// button (the button's background image).
CGRect drawnSymbol(const std::shared_ptr<UIBarButtonItem>& item) {
  auto button = std::dynamic_pointer_cast<UIButton>(item->customView());
  return button ? button->backgroundImageView()->frameInWindow() : CGRectZero;
}

std::string symbolOf(const std::shared_ptr<UIBarButtonItem>& item) {
  auto button = std::dynamic_pointer_cast<UIButton>(item->customView());
  auto image = button ? button->currentBackgroundImage() : nullptr;
  return image ? image->symbolName() : "";
}

class RootPageBarTest : public RootPageTest {
 protected:
  RootPageBarTest() {
    store(PlistValue::Array{}, "blacklist");  // the domain's file exists: no guide
    openPage();
    window->layoutIfNeeded();
  }
  CGRect barRow() const {
    CGRect bar = navigation->navigationBar()->frameInWindow();
    bar.size.height = UINavigationBar::kStandardHeight;
    return bar;
  }
};

TEST_F(RootPageBarTest, ApplyIsDrawnAtTheRightEndOfTheBarsTopRowAndTheGuideButtonToItsLeft) {
  EXPECT_EQ(symbolOf(page->apply()), "checkmark.circle.fill");
  EXPECT_EQ(symbolOf(page->info()), "info.circle.fill");
  CGRect row = barRow(), apply = drawnSymbol(page->apply()), info = drawnSymbol(page->info());
  for (CGRect symbol : {apply, info}) {
    EXPECT_TRUE(CGRectGetMinX(symbol) >= CGRectGetMinX(row) && CGRectGetMaxX(symbol) <= CGRectGetMaxX(row) &&
                CGRectGetMinY(symbol) >= CGRectGetMinY(row) && CGRectGetMaxY(symbol) <= CGRectGetMaxY(row))
        << "drawn outside the bar's top row";
    EXPECT_EQ(symbol.size.width, symbol.size.height) << "a symbol's square is drawn whole";
    EXPECT_EQ(CGRectGetMidY(symbol), CGRectGetMidY(row));
  }
  // Apply outermost, clear of the screen's edge; the guide button apart from it.
  EXPECT_GE(CGRectGetMaxX(row) - CGRectGetMaxX(apply), UINavigationBar::kEdgeMargin);
  EXPECT_LT(CGRectGetMaxX(row) - CGRectGetMaxX(apply), UINavigationBar::kEdgeMargin + apply.size.width / 2);
  EXPECT_GE(CGRectGetMinX(apply) - CGRectGetMaxX(info), UINavigationBar::kItemSpacing);
}

TEST_F(RootPageBarTest, BothSymbolsAreDrawnInTheAccentColour) {
  for (auto& item : {page->apply(), page->info()}) {
    auto button = std::dynamic_pointer_cast<UIButton>(item->customView());
    ASSERT_TRUE(button);
    EXPECT_TRUE(button->currentBackgroundImage()->isSymbolImage());
    EXPECT_TRUE(UIColorEqual(button->backgroundImageView()->tintColor(), style::accentColor()));
  }
}

TEST_F(RootPageBarTest, ATapAnywhereOnADrawnSymbolReachesItsButtonAndOneBetweenThemNeither) {
  CGRect apply = drawnSymbol(page->apply()), info = drawnSymbol(page->info());
  markEvents();
  // Between the two: the bar's own, which does nothing.
  finger->tap(CGPointMake((CGRectGetMaxX(info) + CGRectGetMinX(apply)) / 2, CGRectGetMidY(apply)));
  wait(1);
  EXPECT_FALSE(presented());
  EXPECT_EQ(feedbackSounds(), 0);
  // Just inside a corner of the guide symbol: the guide comes up.
  finger->tap(CGPointMake(CGRectGetMinX(info) + 1, CGRectGetMinY(info) + 1));
  wait(1);
  EXPECT_EQ(presented(), page->infoController());
  navigation->dismissViewControllerAnimated(false, nullptr);
  wait(1);
  // Just inside the opposite corner of the apply symbol: the respring question.
  finger->tap(CGPointMake(CGRectGetMaxX(apply) - 1, CGRectGetMaxY(apply) - 1));
  wait(1);
  EXPECT_TRUE(std::dynamic_pointer_cast<UIAlertController>(presented()));
  EXPECT_EQ(feedbackSounds(), 2);
}

TEST_F(RootPageConstructionTest, TheHeaderSwitchIsTheLargeOneOffUntilTheStoreSaysOtherwise) {
  store(PlistValue::Array{}, "blacklist");
  openPage();
  auto large = alloc<KavroSwitch>()->initWithSize(KavroSwitchSizeLarge, KavroSwitchStateOff);
  EXPECT_EQ(page->enableSwitch()->frame().size, large->frame().size);
  EXPECT_FALSE(page->enableSwitch()->isOn());
}

TEST_F(RootPageBarTest, BarButtonsActOnlyOnATouchThatEndsInside) {
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
