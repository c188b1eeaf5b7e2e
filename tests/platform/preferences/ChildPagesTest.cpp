// Child pages through taps on the window: the list a row's own string value names
// (subfolders too) comes before the list its page class names, the longest such
// name wins, the page's own list never; a class with neither opens the page that
// says it cannot be shown. Titles come from the row's label, back works at every
// depth, and lists that link to themselves or each other open one page per tap.

#include "tests/platform/preferences/PreferencesTestSupport.h"

#include "platform/preferences/UnavailablePageController.h"

namespace kavro::test {
namespace {

using kavro::platform::preferences::UnavailablePageController;

PlistValue listOf(const std::string& title, const PlistValue::Array& items) {
  return PlistValue::Dictionary{{"title", title}, {"items", items}};
}

PlistValue link(const std::string& label, const std::string& detail, PlistValue::Dictionary extra = {}) {
  extra["detail"] = detail;
  return item("PSLinkCell", label, std::move(extra));
}

class ChildPagesTest : public PreferencesTest {
 protected:
  // Taps row `row` of the front page and returns the page it opened.
  std::shared_ptr<UIViewController> openRow(long row) {
    auto list = std::dynamic_pointer_cast<PSListController>(topPage());
    tapView(list->table()->cellForRowAtIndexPath({0, row}));
    return topPage();
  }
  // The label of the first row of a list page, which tells the lists apart.
  static std::string firstLabel(const std::shared_ptr<UIViewController>& page) {
    auto list = std::dynamic_pointer_cast<PSListController>(page);
    if (!list || list->specifiers()->empty()) return "";
    return list->specifiers()->front()->name();
  }
  void writeChildLists() {
    writeList("Options", listOf("x", {item("PSStaticTextCell", "in Options")}));
    writeList("sub/timeDate", listOf("x", {item("PSStaticTextCell", "in timeDate")}));
    writeList("Lock", listOf("x", {item("PSStaticTextCell", "in Lock")}));
    writeList("LockScreen", listOf("x", {item("PSStaticTextCell", "in LockScreen")}));
    writeBundleFile("en.lproj/Options.plist", "not a list, and in a strings folder");
  }
};

TEST_F(ChildPagesTest, TheRowsOwnValueThenTheClassNameThenTheUnavailablePage) {
  writeChildLists();
  writeRoot({link("By key", "XXLockScreenListController", {{"plist", "Options"}}),
             link("In a folder", "XXController", {{"sub", "sub/timeDate.plist"}}),
             link("By class", "XXLockScreenListController"),
             link("Not a list", "XXController", {{"plist", "Nowhere"}, {"other", 7}}),
             link("Own list", "XXRootListController")});
  showPageInWindow();
  struct Case { long row; std::string firstRow; };
  for (const Case& want : {Case{0, "in Options"}, Case{1, "in timeDate"}, Case{2, "in LockScreen"}}) {
    auto child = openRow(want.row);
    EXPECT_EQ(firstLabel(child), want.firstRow) << want.row;
    navigation->popViewControllerAnimated(false);
  }
  for (long row : {3L, 4L}) {
    auto child = std::dynamic_pointer_cast<UnavailablePageController>(openRow(row));
    ASSERT_TRUE(child) << row;
    EXPECT_NE(child->message().find("bundle's own code"), std::string::npos);
    navigation->popViewControllerAnimated(false);
  }
  auto logged = eventsNamed("unavailablePage");
  ASSERT_EQ(logged.size(), 5u);
  EXPECT_EQ(std::get<std::string>(*logged[2].field("list")), "LockScreen");
  EXPECT_EQ(std::get<std::string>(*logged[4].field("list")), "");
}

TEST_F(ChildPagesTest, TitlesComeFromTheLabelAndBackWorksAtEveryDepth) {
  // Level N links to level N+1 by its class name; the last links to itself.
  constexpr int kDepth = 6;
  for (int level = 1; level <= kDepth; ++level) {
    std::string next = level < kDepth ? "Level" + std::to_string(level + 1) : "Level" + std::to_string(level);
    writeList("Level" + std::to_string(level),
              listOf("ignored", {link("Deeper " + std::to_string(level), "XX" + next + "Controller",
                                      {{"plist", next}})}));
  }
  writeRoot({link("Start", "XXLevel1Controller")});
  auto root = showPageInWindow();
  std::vector<std::shared_ptr<UIViewController>> opened;
  for (int level = 0; level <= kDepth + 2; ++level) {
    opened.push_back(openRow(0));
    EXPECT_EQ(opened.back()->title(), level == 0 ? "Start" : "Deeper " + std::to_string(std::min(level, kDepth)));
  }
  EXPECT_EQ(navigation->viewControllers().size(), opened.size() + 1);
  for (auto page = opened.rbegin(); page != opened.rend(); ++page) {
    EXPECT_EQ(topPage(), *page);
    navigation->popViewControllerAnimated(true);
  }
  EXPECT_EQ(topPage(), root);
}

TEST_F(ChildPagesTest, ListsThatNameEachOtherOpenOnePagePerTap) {
  writeList("Ping", listOf("x", {link("to Pong", "XXPongController", {{"plist", "Pong"}}),
                                 link("to itself", "PSListController", {{"plist", "Ping"}})}));
  writeList("Pong", listOf("x", {link("to Ping", "XXPingController")}));
  writeRoot({link("Ping", "PSListController", {{"plist", "Ping"}})});
  showPageInWindow();
  EXPECT_EQ(firstLabel(openRow(0)), "to Pong");
  EXPECT_EQ(firstLabel(openRow(0)), "to Ping");
  EXPECT_EQ(firstLabel(openRow(0)), "to Pong");
  EXPECT_EQ(firstLabel(openRow(1)), "to Pong");
  EXPECT_EQ(navigation->viewControllers().size(), 5u);
}

}  // namespace
}  // namespace kavro::test
