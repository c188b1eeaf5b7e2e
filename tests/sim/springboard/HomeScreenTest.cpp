// The home screen's layout on the 390 × 844 screen: the grid between the status
// bar and the dock, the dock above the home indicator, pages turned by a swipe
// with their dots, the menus beside their icons, and a dock of shortcuts that
// scrolls without opening what the finger dragged over.

#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UIWindow.h"
#include "sim/core/Input.h"
#include "sim/core/Readings.h"
#include "sim/phone/Phone.h"
#include "sim/springboard/HomeScreenController.h"
#include "sim/springboard/HomeScreenLayout.h"
#include "sim/springboard/SpringBoardApp.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

namespace kavro::sim {
namespace {

constexpr CGFloat kWidth = 390, kHeight = 844;
constexpr CGFloat kStatusBar = UIWindow::kStatusBarHeight, kHomeIndicator = UIWindow::kHomeIndicatorHeight;

bool inside(CGRect inner, CGRect outer) {
  return inner.origin.x >= outer.origin.x - 1e-9 && inner.origin.y >= outer.origin.y - 1e-9 &&
         CGRectGetMaxX(inner) <= CGRectGetMaxX(outer) + 1e-9 && CGRectGetMaxY(inner) <= CGRectGetMaxY(outer) + 1e-9;
}

bool overlap(CGRect a, CGRect b) {
  return a.origin.x < CGRectGetMaxX(b) - 1e-9 && b.origin.x < CGRectGetMaxX(a) - 1e-9 &&
         a.origin.y < CGRectGetMaxY(b) - 1e-9 && b.origin.y < CGRectGetMaxY(a) - 1e-9;
}

class HomeScreenTest : public ::testing::Test {
 protected:
  // A device whose domain holds `stored` before it starts.
  explicit HomeScreenTest(const PlistValue::Dictionary& stored = {}) : simulator(prepared(folder, stored)) {
    simulator.input().openSpringboard();
    scope.emplace(simulator.springBoardProcess());
    home = simulator.springBoardApp().homeScreen();
    home->view()->layoutIfNeeded();
  }
  static std::filesystem::path prepared(const test::TemporaryFolder& folder, const PlistValue::Dictionary& stored) {
    std::filesystem::path device = folder.path() / "device";
    if (!stored.empty())
      NSUserDefaults::defaultsWithDirectory(device / "var/jb/var/mobile/Library/Preferences")
          ->setPersistentDomain(stored, "com.qelm.kavroprefs");
    return device;
  }
  void wait(double seconds) { simulator.device().advance(seconds); }
  kavro::platform::uikit::TouchDriver finger() { return kavro::platform::uikit::TouchDriver(simulator.springBoardProcess(), simulator.springBoardApp().window()); }
  CGFloat offset() const { return home->pages()->contentOffset().x; }

  // The grid's icons (not the dock's), in order.
  std::vector<std::shared_ptr<HomeScreenIconView>> gridIcons() const {
    std::vector<std::shared_ptr<HomeScreenIconView>> icons;
    for (auto& icon : home->icons())
      if (icon->superview() == home->pages()) icons.push_back(icon);
    return icons;
  }

  test::TemporaryFolder folder;
  Phone simulator;
  std::optional<kavro::platform::ProcessScope> scope;
  std::shared_ptr<HomeScreenController> home;
};

TEST_F(HomeScreenTest, TheDockHoldsThePhonesFourOnTheScreenUnderTheDotsAboveTheHomeIndicator) {
  CGRect dock = home->dock()->frameInWindow();
  CGRect dots = home->pageControl()->frameInWindow();
  EXPECT_LE(CGRectGetMaxY(dock), kHeight - kHomeIndicator);
  EXPECT_GE(dock.origin.y, CGRectGetMaxY(dots));
  EXPECT_TRUE(inside(dock, CGRectMake(0, 0, kWidth, kHeight)));
  std::vector<std::string> docked;
  for (auto& icon : home->icons())
    if (icon->superview() == home->dock()) {
      docked.push_back(icon->applicationIdentifier());
      EXPECT_TRUE(inside(icon->frameInWindow(), dock)) << icon->applicationIdentifier();
    }
  EXPECT_EQ(docked, HomeScreenController::dockApplications());
}

TEST_F(HomeScreenTest, EachGridIconStaysOnItsPageBetweenTheStatusBarAndTheDotsOverNoOther) {
  auto icons = gridIcons();
  ASSERT_GT(icons.size(), HomeScreenLayout::kIconsPerPage) << "the sample device fills more than a page";
  const CGRect page = CGRectMake(0, kStatusBar, kWidth, home->pageControl()->frameInWindow().origin.y - kStatusBar);
  std::map<long, std::vector<CGRect>> pages;
  for (auto& icon : icons) {
    CGRect frame = icon->frame();
    long index = std::lround(std::floor(frame.origin.x / kWidth));
    frame.origin.x -= static_cast<CGFloat>(index) * kWidth;
    EXPECT_TRUE(inside(frame, page)) << icon->applicationIdentifier() << " on page " << index;
    for (auto& other : pages[index]) EXPECT_FALSE(overlap(frame, other)) << icon->applicationIdentifier();
    pages[index].push_back(frame);
  }
}

TEST_F(HomeScreenTest, PagesFillUpInTurnAndTheDotsCountThem) {
  auto icons = gridIcons();
  std::map<long, std::size_t> perPage;
  for (auto& icon : icons) ++perPage[std::lround(std::floor(icon->frame().origin.x / kWidth))];
  const std::size_t expected = (icons.size() + HomeScreenLayout::kIconsPerPage - 1) / HomeScreenLayout::kIconsPerPage;
  ASSERT_EQ(perPage.size(), expected);
  for (std::size_t i = 0; i + 1 < expected; ++i) EXPECT_EQ(perPage[static_cast<long>(i)], HomeScreenLayout::kIconsPerPage);
  EXPECT_EQ(home->pageControl()->numberOfPages(), static_cast<long>(expected));
  EXPECT_FALSE(home->pageControl()->isHidden());
  EXPECT_EQ(home->pages()->contentSize().width, static_cast<CGFloat>(expected) * kWidth);
}

TEST_F(HomeScreenTest, ATapOnAnIconOpensItsApplicationAndSettingsIconBringsSettingsForward) {
  scope.reset();
  simulator.input().tap("icon:com.apple.mobilesafari");
  wait(1);
  const auto state = simulator.readings().state();
  EXPECT_EQ(state["front"], "com.apple.mobilesafari");
  for (auto& event : state["log"]) EXPECT_NE(event["event"], "open") << event;
  simulator.input().home();
  wait(1);
  EXPECT_TRUE(simulator.readings().state()["front"].is_null());

  simulator.input().tap("icon:com.apple.Preferences");
  wait(1);
  EXPECT_EQ(simulator.frontProcessName(), "settings");
  EXPECT_EQ(simulator.readings().state()["process"], "settings");
}

TEST_F(HomeScreenTest, AFlickTurnsOnePageAndTheDotsFollow) {
  auto driver = finger();
  driver.down({300, 400});
  driver.flick(-120, 0);
  wait(1);
  EXPECT_EQ(offset(), kWidth);
  EXPECT_EQ(home->pageControl()->currentPage(), 1);
}

TEST_F(HomeScreenTest, ASlowDragSettlesBackUnderHalfAPageAndTurnsPastHalf) {
  auto driver = finger();
  driver.down({300, 400});
  driver.move(-150, 0);
  driver.up();
  wait(1);
  EXPECT_EQ(offset(), 0);
  driver.down({300, 400});
  driver.move(-250, 0);
  driver.up();
  wait(1);
  EXPECT_EQ(offset(), kWidth);
  EXPECT_EQ(home->pageControl()->currentPage(), 1);
}

TEST_F(HomeScreenTest, PastTheLastPageTheContentStretchesAndSpringsBack) {
  const long last = home->pageControl()->numberOfPages() - 1;
  ASSERT_GE(last, 1);
  home->pages()->setContentOffset({static_cast<CGFloat>(last) * kWidth, 0}, false);
  auto driver = finger();
  driver.down({300, 400});
  driver.flick(-200, 0);
  wait(1);
  EXPECT_EQ(offset(), static_cast<CGFloat>(last) * kWidth);
  EXPECT_EQ(home->pageControl()->currentPage(), last);
}

TEST_F(HomeScreenTest, ATapBesideTheCurrentDotTurnsAPageThatWay) {
  const long last = home->pageControl()->numberOfPages() - 1;
  ASSERT_GE(last, 2);
  home->pages()->setContentOffset({static_cast<CGFloat>(last) * kWidth, 0}, false);
  CGRect dots = home->pageControl()->frameInWindow();
  finger().tap({CGRectGetMidX(dots) - 40, CGRectGetMidY(dots)});
  wait(1);
  EXPECT_EQ(home->pageControl()->currentPage(), last - 1);
  EXPECT_EQ(offset(), static_cast<CGFloat>(last - 1) * kWidth);
}

TEST_F(HomeScreenTest, TheHomeGestureOnTheHomeScreenGoesBackToTheFirstPage) {
  home->pages()->setContentOffset({2 * kWidth, 0}, false);
  scope.reset();
  simulator.input().home();
  wait(1);
  scope.emplace(simulator.springBoardProcess());
  EXPECT_EQ(offset(), 0);
  EXPECT_EQ(home->pageControl()->currentPage(), 0);
}

class FullMenuTest : public HomeScreenTest {
 protected:
  FullMenuTest()
      : HomeScreenTest({{"enabled", true},
                        {"com.apple.Music",
                         PlistValue::Array{"com.apple.calculator", "com.apple.AppStore", "com.apple.Maps",
                                           "com.apple.iBooks", "com.apple.camera", "com.apple.mobilenotes",
                                           "com.apple.Health", "com.apple.compass"}}}) {}
};

TEST_F(FullMenuTest, EveryMenuFitsOnTheScreenBesideItsIconWhichStaysInSight) {
  std::vector<std::shared_ptr<HomeScreenIconView>> shown;
  for (auto& icon : home->icons())
    if (icon->superview() == home->dock() || CGRectGetMaxX(icon->frame()) <= kWidth) shown.push_back(icon);
  ASSERT_EQ(shown.size(), HomeScreenLayout::kIconsPerPage + HomeScreenLayout::kDockIcons);
  const CGRect screen = CGRectMake(QuickActionMenuView::kScreenMargin, kStatusBar,
                                   kWidth - 2 * QuickActionMenuView::kScreenMargin, kHeight - kStatusBar - kHomeIndicator);
  for (auto& icon : shown) {
    const std::string& identifier = icon->applicationIdentifier();
    home->showShortcutMenu(identifier);
    auto menu = home->menu();
    ASSERT_TRUE(menu) << identifier;
    wait(QuickActionMenuView::kShowDuration);
    CGRect platter = menu->platter()->frameInWindow();
    EXPECT_TRUE(inside(platter, screen)) << identifier;
    EXPECT_FALSE(overlap(platter, icon->iconFrameInWindow())) << identifier;
    EXPECT_EQ(menu->content().dock.has_value(), true) << identifier;
    home->closeMenu();
    wait(QuickActionMenuView::kHideDuration);
    EXPECT_FALSE(home->menu());
  }
}

TEST_F(FullMenuTest, ADragAlongTheDockScrollsItAndOpensNothing) {
  home->showShortcutMenu("com.apple.Music");
  wait(1);
  auto menu = home->menu();
  ASSERT_TRUE(menu);
  ASSERT_EQ(menu->shortcutViews().size(), 8u);
  CGRect first = menu->shortcutView("com.apple.AppStore")->frameInWindow();
  auto driver = finger();
  driver.down({CGRectGetMidX(first), CGRectGetMidY(first)});
  driver.drag(-120, 0, 0.2);
  driver.up();
  wait(1);
  EXPECT_TRUE(home->frontApplication().empty());
  EXPECT_EQ(home->menu(), menu);
  EXPECT_LT(menu->shortcutView("com.apple.AppStore")->frameInWindow().origin.x, first.origin.x - 100);

  // The last shortcut, scrolled into view, opens on a tap.
  menu->scrollShortcutIntoView("com.apple.compass");
  CGRect last = menu->shortcutView("com.apple.compass")->frameInWindow();
  EXPECT_TRUE(inside(last, menu->platter()->frameInWindow()));
  driver.tap({CGRectGetMidX(last), CGRectGetMidY(last)});
  EXPECT_EQ(home->frontApplication(), "com.apple.compass");
  EXPECT_FALSE(home->menu());
}

}  // namespace
}  // namespace kavro::sim
