// Taps on rows: button rows send their action by name to their target, link rows
// open their detail page, rows with a link ask to open it; rows that take no taps
// and rows the target cannot serve do nothing, and what could not be honoured is in
// the device's log.

#include "tests/platform/preferences/PreferencesTestSupport.h"

#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UIWindow.h"

#include <gmock/gmock.h>

namespace kavro::test {
namespace {

using ::testing::HasSubstr;

class RowTapsTest : public PreferencesTest {
 protected:
  // Taps the row, returning what was said on standard error.
  std::string tap(const NSIndexPath& indexPath) {
    page->table()->selectRowAtIndexPath(indexPath, false, UITableViewScrollPositionNone);
    ::testing::internal::CaptureStderr();
    page->didSelectRowAtIndexPath(page->table(), indexPath);
    return ::testing::internal::GetCapturedStderr();
  }
  std::shared_ptr<TestListController> page;
};

TEST_F(RowTapsTest, ButtonRowsSendTheirActionByNameToTheTarget) {
  writeRoot({item("PSButtonCell", "Plain", {{"action", "tapped"}}),
             item("PSButtonCell", "With sender", {{"action", "tappedWith:"}}),
             item("PSLinkCell", "Any row with an action", {{"action", "tapped"}}),
             item("PSButtonCell", "Disabled", {{"action", "tapped"}, {"enabled", false}}),
             item("PSButtonCell", "No action"), item("PSButtonCell", "Unknown", {{"action", "noSuchMethod:"}}),
             item("PSButtonCell", "Orphan", {{"action", "tapped"}}),
             item("PSStaticTextCell", "Static", {{"action", "tapped"}}),
             item("PSTitleValueCell", "Title", {{"action", "tapped"}}),
             item("PSButtonCell", "Says static", {{"action", "tapped"}, {"isStaticText", "YES"}}),
             item("PSButtonCell", "Disabled as text", {{"action", "tapped"}, {"enabled", "NO"}})});
  page = showPage();
  page->specifierAtIndexPath({0, 6})->setTarget(nullptr);

  tap({0, 0});
  EXPECT_EQ(page->taps, 1);
  EXPECT_EQ(page->table()->indexPathForSelectedRow(), std::nullopt);
  tap({0, 1});
  ASSERT_EQ(page->senders.size(), 1u);
  EXPECT_EQ(page->senders[0], page->specifierAtIndexPath({0, 1}));
  tap({0, 2});
  EXPECT_EQ(page->taps, 2);
  tap({0, 3});
  tap({0, 4});
  EXPECT_THAT(tap({0, 5}), HasSubstr("TestListController has no method \"noSuchMethod:\""));
  auto unhandled = eventsNamed("unhandledAction");
  ASSERT_EQ(unhandled.size(), 1u);
  EXPECT_EQ(std::get<std::string>(*unhandled[0].field("action")), "noSuchMethod:");
  EXPECT_EQ(std::get<std::string>(*unhandled[0].field("row")), "Unknown");
  EXPECT_EQ(std::get<std::string>(*unhandled[0].field("target")), "TestListController");
  EXPECT_THAT(tap({0, 6}), HasSubstr("\"Orphan\" has no target"));
  for (long row = 7; row <= 10; ++row) tap({0, row});
  EXPECT_EQ(page->taps, 2);
  for (long row : {7, 8, 9})
    EXPECT_EQ(page->table()->cellForRowAtIndexPath({0, row})->selectionStyle(), UITableViewCellSelectionStyleNone);
  EXPECT_EQ(page->table()->indexPathForSelectedRow(), std::nullopt);

  auto button = page->table()->cellForRowAtIndexPath({0, 0});
  EXPECT_TRUE(UIColorEqual(button->textLabel()->textColor(), button->tintColor()));
}

TEST_F(RowTapsTest, LinkRowsPushTheirDetailPageWithTheSpecifier) {
  writeRoot({item("PSLinkCell", "More", {{"detail", "TestListController"}}),
             item("PSLinkCell", "Nowhere", {{"detail", "NoSuchController"}}),
             item("PSLinkCell", "Not a page", {{"detail", "TestSubtitleCell"}})});
  page = showPage();

  tap({0, 0});
  wait(1);
  auto detail = std::dynamic_pointer_cast<TestListController>(navigation->topViewController());
  ASSERT_TRUE(detail);
  EXPECT_EQ(detail->specifier(), page->specifierAtIndexPath({0, 0}));
  EXPECT_NE(detail, page);
  EXPECT_EQ(detail->title(), "More");
  detail->specifiers();
  EXPECT_EQ(detail->title(), "More");  // the row names the page, not the list
  EXPECT_EQ(detail->parentController(), page);
  EXPECT_EQ(detail->rootController(), page);
  navigation->popViewControllerAnimated(false);

  EXPECT_THAT(tap({0, 2}), HasSubstr("\"TestSubtitleCell\" of the row \"Not a page\" is no view controller"));
  wait(1);
  EXPECT_EQ(navigation->topViewController(), page);
  // A class the process does not have is the bundle's own code (ChildPagesTest).
  EXPECT_THAT(tap({0, 1}), HasSubstr("\"NoSuchController\" of the row \"Nowhere\" is the bundle's own code"));
  wait(1);
  EXPECT_EQ(navigation->topViewController()->title(), "Nowhere");
}

TEST_F(RowTapsTest, LinksAreAskedToOpenWhenNoPageOpens) {
  writeRoot({item("PSButtonCell", "Site", {{"url", "https://example.com/a"}}),
             item("PSLinkCell", "Donate", {{"url", "https://example.com/b"}}),
             item("PSButtonCell", "Both", {{"url", "https://example.com/c"}, {"action", "tapped"}}),
             item("PSLinkCell", "Page and link", {{"url", "https://example.com/d"}, {"detail", "TestListController"}}),
             item("PSStaticTextCell", "Static link", {{"url", "https://example.com/e"}}),
             item("PSButtonCell", "Not a link", {{"url", 42}})});
  page = showPage();
  for (long row = 0; row < 6; ++row) tap({0, row});
  std::vector<std::string> opened;
  for (auto& event : eventsNamed("openURL")) opened.push_back(std::get<std::string>(*event.field("url")));
  EXPECT_EQ(opened, (std::vector<std::string>{"https://example.com/a", "https://example.com/b", "https://example.com/c"}));
  EXPECT_EQ(page->taps, 1);
  wait(1);
  EXPECT_NE(navigation->topViewController(), page);
}

TEST_F(RowTapsTest, TapsThroughTheWindowReachRowsAndSwitches) {
  writeRoot({item("PSButtonCell", "Plain", {{"action", "tapped"}}),
             item("PSSwitchCell", "Toggle", {{"key", "toggle"}, {"defaults", "com.example.taps"}})});
  page = alloc<TestListController>();
  page->init();
  auto window = alloc<UIWindow>()->init();
  window->setRootViewController(alloc<UINavigationController>()->initWithRootViewController(page));
  window->makeKeyAndVisible();
  wait(1);
  window->layoutIfNeeded();
  kavro::platform::uikit::TouchDriver finger(settings(), window);
  auto centre = [](const std::shared_ptr<UIView>& view) {
    CGRect frame = view->frameInWindow();
    return CGPoint{CGRectGetMidX(frame), CGRectGetMidY(frame)};
  };

  finger.tap(centre(page->table()->cellForRowAtIndexPath({0, 0})));
  EXPECT_EQ(page->taps, 1);
  auto cell = std::dynamic_pointer_cast<PSSwitchTableCell>(page->table()->cellForRowAtIndexPath({0, 1}));
  finger.tap(centre(cell->control()));
  EXPECT_EQ(NSUserDefaults::standardUserDefaults()->objectForKey("toggle", "com.example.taps"), PlistValue(true));
}

}  // namespace
}  // namespace kavro::test
