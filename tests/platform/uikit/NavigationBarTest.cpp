// Where a navigation bar puts things: right items from the trailing edge with the
// first outermost, left items (or a back button) from the leading edge, fixed
// spaces, the title centred between both sides, the large title and the search
// field in rows of their own.

#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UISearchController.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

namespace {

class NavigationBarTest : public kavro::test::DeviceTest {
 protected:
  NavigationBarTest() {
    root = alloc<UIViewController>()->init();
    root->setTitle("Root");
    navigation = alloc<UINavigationController>()->initWithRootViewController(root);
    window = alloc<UIWindow>()->init();
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    bar = navigation->navigationBar();
  }
  // A bar item whose view is a plain view of the given width.
  std::shared_ptr<UIBarButtonItem> item(CGFloat width) {
    return alloc<UIBarButtonItem>()->initWithCustomView(alloc<UIView>()->initWithFrame(CGRectMake(0, 0, width, 30)));
  }
  std::shared_ptr<UIBarButtonItem> space(CGFloat width) {
    auto made = alloc<UIBarButtonItem>()->initWithBarButtonSystemItem(UIBarButtonSystemItemFixedSpace, nullptr, SEL());
    made->setWidth(width);
    return made;
  }
  // An item's frame in the bar, after layout (a custom view sits in a wrapper of
  // its size, which carries the item's tint).
  CGRect placed(const std::shared_ptr<UIBarButtonItem>& barItem) {
    window->layoutIfNeeded();
    EXPECT_EQ(barItem->customView()->superview(), barItem->barView());
    return barItem->barView()->frame();
  }
  CGFloat width() const { return bar->bounds().size.width; }

  std::shared_ptr<UIViewController> root;
  std::shared_ptr<UINavigationController> navigation;
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UINavigationBar> bar;
};

TEST_F(NavigationBarTest, RightItemsStartAtTheTrailingEdgeFirstOutermostAndSpacesTakeTheirWidth) {
  auto outer = item(30), inner = item(44);
  root->navigationItem()->setRightBarButtonItems({space(2), outer, space(5), inner});
  EXPECT_EQ(placed(outer), CGRectMake(width() - 16 - 2 - 30, 7, 30, 30));
  // 8 points between items, plus the fixed space.
  EXPECT_EQ(placed(inner), CGRectMake(width() - 16 - 2 - 30 - 8 - 5 - 44, 7, 44, 30));
  EXPECT_EQ(outer->barView()->superview(), bar);
}

TEST_F(NavigationBarTest, LeftItemsStartAtTheLeadingEdgeAndTheTitleCentresBetweenBothSides) {
  auto first = item(30), second = item(60);
  root->navigationItem()->setLeftBarButtonItems({first, second});
  root->navigationItem()->setRightBarButtonItems({item(30)});
  EXPECT_EQ(placed(first).origin.x, 16);
  EXPECT_EQ(placed(second).origin.x, 16 + 30 + 8);
  // The title keeps as far from both edges as the wider side needs.
  CGFloat side = 16 + 30 + 8 + 60 + 8;
  EXPECT_EQ(bar->titleLabel()->frame(), CGRectMake(side, 11, width() - 2 * side, 22));
  EXPECT_EQ(bar->titleLabel()->text(), "Root");
  EXPECT_EQ(bar->titleLabel()->textAlignment(), NSTextAlignmentCenter);
}

TEST_F(NavigationBarTest, APushedPageGetsABackButtonNamedAfterThePageBelowUnlessItHasLeftItems) {
  auto next = alloc<UIViewController>()->init();
  navigation->pushViewController(next, false);
  window->layoutIfNeeded();
  auto back = bar->backButton();
  ASSERT_TRUE(back);
  EXPECT_EQ(back->currentTitle(), "Root");
  EXPECT_EQ(back->frame().origin.x, 8);
  kavro::platform::uikit::TouchDriver(settings(), window).tap(
      {CGRectGetMidX(back->frameInWindow()), CGRectGetMidY(back->frameInWindow())});
  wait(1);
  EXPECT_EQ(navigation->topViewController(), root);

  root->setTitle("");
  navigation->pushViewController(next, false);
  window->layoutIfNeeded();
  EXPECT_EQ(bar->backButton()->currentTitle(), "Back");
  auto own = item(30);
  next->navigationItem()->setLeftBarButtonItems({own});
  EXPECT_EQ(placed(own).origin.x, 16);
  EXPECT_FALSE(bar->backButton());
  next->navigationItem()->setLeftBarButtonItems({});
  next->navigationItem()->setHidesBackButton(true);
  window->layoutIfNeeded();
  EXPECT_FALSE(bar->backButton());
}

TEST_F(NavigationBarTest, TheLargeTitleAndTheSearchFieldEachAddARowUnderTheItems) {
  EXPECT_EQ(bar->barHeight(), UINavigationBar::kStandardHeight);
  bar->setPrefersLargeTitles(true);
  window->layoutIfNeeded();
  EXPECT_EQ(bar->barHeight(), UINavigationBar::kStandardHeight + UINavigationBar::kLargeTitleHeight);
  ASSERT_TRUE(bar->largeTitleLabel());
  EXPECT_FALSE(bar->titleLabel());
  EXPECT_EQ(bar->largeTitleLabel()->frame().origin, CGPointMake(16, UINavigationBar::kStandardHeight));
  EXPECT_EQ(bar->largeTitleLabel()->text(), "Root");

  auto search = alloc<UISearchController>()->initWithSearchResultsController(nullptr);
  root->navigationItem()->setSearchController(search);
  window->layoutIfNeeded();
  EXPECT_EQ(bar->barHeight(),
            UINavigationBar::kStandardHeight + UINavigationBar::kLargeTitleHeight + UINavigationBar::kSearchFieldHeight);
  EXPECT_EQ(search->searchBar()->frame(), CGRectMake(0, UINavigationBar::kStandardHeight + UINavigationBar::kLargeTitleHeight,
                                                     width(), UINavigationBar::kSearchFieldHeight));
  // A page that asks for no large title gets the standard row and the field under it.
  root->navigationItem()->setLargeTitleDisplayMode(UINavigationItemLargeTitleDisplayModeNever);
  window->layoutIfNeeded();
  EXPECT_TRUE(bar->titleLabel());
  EXPECT_EQ(search->searchBar()->frame().origin.y, UINavigationBar::kStandardHeight);
}

}  // namespace
