// Link-list rows and their list page, through taps on the window: the row shows its
// value's title (short title where given), a tap opens the choices titled with the
// row's label and the current one checked, a tap on a choice stores it and moves the
// check, back shows the row updated; choices from code give an empty page.

#include "tests/platform/preferences/PreferencesTestSupport.h"

#include "platform/foundation/NSUserDefaults.h"
#include "platform/preferences/PSListItemsController.h"

namespace kavro::test {
namespace {

constexpr const char* kListDomain = "com.example.lists";

PlistValue listRow(const std::string& label, const std::string& key, PlistValue::Dictionary extra = {}) {
  extra["key"] = key;
  extra["defaults"] = kListDomain;
  if (!extra.count("validTitles")) extra["validTitles"] = PlistValue::Array{"Every Minute", "Hourly", "Daily"};
  if (!extra.count("validValues")) extra["validValues"] = PlistValue::Array{60, 3600, 86400};
  return item("PSLinkListCell", label, std::move(extra));
}

class ListItemsTest : public PreferencesTest {
 protected:
  std::shared_ptr<UITableViewCell> rowCell(const std::shared_ptr<PSListController>& on, long row) {
    return on->table()->cellForRowAtIndexPath({0, row});
  }
  std::shared_ptr<PSListItemsController> open(long row) {
    tapView(rowCell(page, row));
    return std::dynamic_pointer_cast<PSListItemsController>(topPage());
  }
  // The marked rows among those on screen (the table has cells only for those).
  std::vector<long> checked(const std::shared_ptr<PSListItemsController>& list) {
    std::vector<long> marks;
    for (const NSIndexPath& path : list->table()->indexPathsForVisibleRows())
      if (rowCell(list, path.row)->accessoryType() == UITableViewCellAccessoryCheckmark) marks.push_back(path.row);
    return marks;
  }
  PlistValue stored(const std::string& key) { return NSUserDefaults::standardUserDefaults()->objectForKey(key, kListDomain); }
  std::shared_ptr<TestListController> page;
};

TEST_F(ListItemsTest, RowsShowTheTitleOfTheirValue) {
  NSUserDefaults::standardUserDefaults()->setObject(PlistValue(3600), "stored", kListDomain);
  NSUserDefaults::standardUserDefaults()->setObject(PlistValue("hourly"), "mistyped", kListDomain);
  writeRoot({listRow("Stored", "stored"), listRow("Default", "absent", {{"default", 86400.0}}),
             listRow("Mistyped", "mistyped", {{"default", "60"}}), listRow("Nothing", "nothing"),
             listRow("Short", "short", {{"default", 60}, {"shortTitles", PlistValue::Array{"1 min", "1 h"}}})});
  page = showPageInWindow();
  auto detail = [&](long row) { return rowCell(page, row)->detailTextLabel()->text(); };
  EXPECT_EQ(detail(0), "Hourly");
  EXPECT_EQ(detail(1), "Daily");
  EXPECT_EQ(detail(2), "Every Minute");
  EXPECT_EQ(detail(3), "");
  EXPECT_EQ(detail(4), "1 min");
  EXPECT_EQ(rowCell(page, 0)->accessoryType(), UITableViewCellAccessoryDisclosureIndicator);
  EXPECT_EQ(rowCell(page, 0)->style(), UITableViewCellStyleValue1);
}

TEST_F(ListItemsTest, TheListPageStoresTheChoiceTappedAndBackShowsIt) {
  writeRoot({listRow("Refresh", "refresh", {{"default", 3600}, {"PostNotification", "com.example/refresh"},
                                            {"staticTextMessage", "How often to look for news."}})});
  page = showPageInWindow();
  auto list = open(0);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->title(), "Refresh");
  ASSERT_EQ(list->table()->numberOfRowsInSection(0), 3);
  EXPECT_EQ(rowCell(list, 2)->textLabel()->text(), "Daily");
  EXPECT_EQ(checked(list), std::vector<long>{1});
  EXPECT_EQ(list->titleForFooterInSection(list->table(), 0), std::optional<std::string>("How often to look for news."));

  tapView(rowCell(list, 1));  // already the value: nothing written
  EXPECT_TRUE(domainFileBytes(kListDomain).empty());
  tapView(rowCell(list, 2));
  EXPECT_EQ(stored("refresh"), PlistValue(86400));
  EXPECT_EQ(checked(list), std::vector<long>{2});
  EXPECT_EQ(eventsNamed("notify").size(), 1u);
  EXPECT_EQ(rowCell(page, 0)->detailTextLabel()->text(), "Daily");

  navigation->popViewControllerAnimated(true);
  EXPECT_EQ(topPage(), page);
  EXPECT_EQ(rowCell(page, 0)->detailTextLabel()->text(), "Daily");
  // Opened again, the mark is where the value is.
  EXPECT_EQ(checked(open(0)), std::vector<long>{2});
}

TEST_F(ListItemsTest, ChoicesFromCodeGiveAnEmptyPageAndAreLogged) {
  writeRoot({item("PSLinkListCell", "Apps", {{"titlesDataSource", "appTitles"}, {"valuesDataSource", "appValues"},
                                             {"key", "app"}, {"defaults", kListDomain}}),
             item("PSLinkListCell", "Bare", {{"key", "bare"}, {"defaults", kListDomain}}),
             item("PSLinkListCell", "Custom page", {{"detail", "XXListItemsController"}, {"key", "custom"},
                                                    {"defaults", kListDomain}, {"validTitles", PlistValue::Array{"A"}}})});
  page = showPageInWindow();
  ::testing::internal::CaptureStderr();
  auto list = open(0);
  std::string errors = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(list);
  EXPECT_EQ(list->table()->numberOfRowsInSection(0), 0);
  EXPECT_NE(errors.find("come from the bundle's code"), std::string::npos);
  auto logged = eventsNamed("unavailableDataSource");
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(std::get<std::string>(*logged[0].field("titles")), "appTitles");
  navigation->popViewControllerAnimated(false);
  topPage();
  EXPECT_EQ(open(1)->table()->numberOfRowsInSection(0), 0);
  navigation->popViewControllerAnimated(false);
  topPage();
  // A link-list row opens the framework's list page whatever class it names;
  // titles without values are their own values.
  auto custom = open(2);
  ASSERT_TRUE(custom);
  tapView(rowCell(custom, 0));
  EXPECT_EQ(stored("custom"), PlistValue("A"));
}

TEST_F(ListItemsTest, ALongListScrollsAndStoresTheChoiceFarDown) {
  PlistValue::Array titles, values;
  for (int i = 0; i < 500; ++i) {
    titles.emplace_back("Choice " + std::to_string(i));
    values.emplace_back(i);
  }
  writeRoot({listRow("Many", "many", {{"validTitles", titles}, {"validValues", values}, {"default", 499}})});
  page = showPageInWindow();
  auto list = open(0);
  ASSERT_TRUE(list);
  auto table = list->table();
  table->scrollToRowAtIndexPath({0, 499}, UITableViewScrollPositionBottom, false);
  table->layoutIfNeeded();
  EXPECT_EQ(checked(list), std::vector<long>{499});
  ASSERT_TRUE(rowCell(list, 498));
  tapView(rowCell(list, 498));
  EXPECT_EQ(stored("many"), PlistValue(498));
}

}  // namespace
}  // namespace kavro::test
