// Searching the catalogue by name: case-insensitive substrings, an empty query
// matching nothing, "Done" while searching, the Cancel button acting only on an
// empty field, and a tap that ends the search state but leaves "Done".

#include "tests/selector/PickerTestSupport.h"

#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationItem.h"
#include "store/Preferences.h"

namespace kavro::test {
namespace {

class SearchTest : public PickerTest {
 protected:
  SearchTest() {
    install({{"com.example.safari", "Safari"}, {"com.example.maps", "Maps"}, {"com.example.paf", "Paff"}});
    openPicker("blacklist");
    searchBar = picker->searchController()->searchBar();
  }
  std::string rightButton() {
    auto items = picker->navigationItem()->rightBarButtonItems();
    auto button = std::dynamic_pointer_cast<UIButton>(items.front()->customView());
    return button->currentTitle().empty() ? button->currentBackgroundImage()->symbolName() : button->currentTitle();
  }
  void type(const std::string& text) {
    for (char c : text) device().dispatch(settings(), [&] { searchBar->insertText(std::string(1, c)); });
  }
  void tapCancel() {
    window->layoutIfNeeded();
    CGRect frame = searchBar->cancelButton()->frameInWindow();
    kavro::platform::uikit::TouchDriver(settings(), window).tap({CGRectGetMidX(frame), CGRectGetMidY(frame)});
  }
  std::shared_ptr<UISearchBar> searchBar;
  using Names = std::vector<std::string>;
};

TEST_F(SearchTest, QueriesMatchNamesIgnoringCaseAndEmptyMatchesNothing) {
  storeList("blacklist", {"com.example.maps"});
  device().dispatch(settings(), [&] { searchBar->becomeFirstResponder(); });
  EXPECT_TRUE(picker->searching());
  EXPECT_TRUE(rowTexts(1).empty());
  EXPECT_EQ(rightButton(), "Done");
  type("AF");
  EXPECT_EQ(rowTexts(1), (Names{"Paff", "Safari"}));
  EXPECT_EQ(rowTexts(0), (Names{"Maps"}));
  device().dispatch(settings(), [&] { searchBar->deleteBackward(); searchBar->deleteBackward(); });
  EXPECT_TRUE(rowTexts(1).empty());
  type("m");
  EXPECT_EQ(checkedTexts(), (Names{"Maps"}));
}

TEST_F(SearchTest, CancelWithTextKeepsTheSearchAndDoneEndsIt) {
  device().dispatch(settings(), [&] { searchBar->becomeFirstResponder(); });
  type("saf");
  tapCancel();
  // The platform clears the field but the page was told while text was in it.
  EXPECT_TRUE(picker->searching());
  EXPECT_EQ(rowTexts(1), (Names{"Safari"}));
  tapButton("Done");
  EXPECT_FALSE(picker->searching());
  EXPECT_EQ(rowTexts(1).size(), 3u);
  EXPECT_EQ(rightButton(), "arrow.triangle.2.circlepath.circle.fill");
}

TEST_F(SearchTest, ATapOnAResultEndsTheSearchStateButLeavesDone) {
  device().dispatch(settings(), [&] { searchBar->becomeFirstResponder(); });
  type("maps");
  tapRow(1, 0);
  EXPECT_EQ(stored("blacklist"), (Names{"com.example.maps"}));
  EXPECT_FALSE(picker->searching());
  EXPECT_EQ(rowTexts(1).size(), 3u);
  EXPECT_EQ(rightButton(), "Done");
  EXPECT_EQ(searchBar->text(), "maps");
}

TEST_F(SearchTest, AccentsCountAndEitherSpellingOfAnAccentedQueryFindsBoth) {
  closePicker();
  install({{"com.example.cafe", "Caf\xC3\xA9"},                // "Café", composed
           {"com.example.noir", "Cafe\xCC\x81 Noir"},          // "Café Noir", e + combining acute
           {"com.example.teria", "Cafeteria"},
           {"com.example.greek", "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC"}});  // Ελληνικά
  openPicker("blacklist");
  searchBar = picker->searchController()->searchBar();
  device().dispatch(settings(), [&] { searchBar->becomeFirstResponder(); });
  auto results = [&](const std::string& query) {
    device().dispatch(settings(), [&] {
      while (!searchBar->text().empty()) searchBar->deleteBackward();
      searchBar->insertText(query);
    });
    return rowTexts(1);
  };
  const Names both = {"Caf\xC3\xA9", "Cafe\xCC\x81 Noir"};
  EXPECT_EQ(results("cafe"), Names{"Cafeteria"});
  EXPECT_EQ(results("caf\xC3\xA9"), both);
  EXPECT_EQ(results("cafe\xCC\x81"), both);
  EXPECT_EQ(results("CAF\xC3\x89"), both);  // "CAFÉ": letter case is ignored
  EXPECT_TRUE(results("\xCE\xB5\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xB1").empty());  // ελληνικα
  EXPECT_EQ(results("\xCE\xB9\xCE\xBA\xCE\xAC").size(), 1u);  // ικά
}

}  // namespace
}  // namespace kavro::test

namespace kavro::test {
namespace {

TEST_F(SearchTest, TheSearchFieldFoldsAwayWhenThePageScrollsDownAndComesBackAtTheTop) {
  auto bar = navigation->navigationBar();
  EXPECT_TRUE(bar->showsSearchField());
  CGFloat shown = bar->frame().size.height;
  auto table = picker->tableView();
  table->setContentOffset({0, table->contentOffset().y + 120});
  window->layoutIfNeeded();
  wait(0);
  EXPECT_FALSE(bar->showsSearchField());
  EXPECT_EQ(bar->frame().size.height, shown - UINavigationBar::kSearchFieldHeight);
  table->setContentOffset({0, table->minimumContentOffset().y});
  wait(0);
  EXPECT_TRUE(bar->showsSearchField());
  EXPECT_EQ(bar->frame().size.height, shown);
}

}  // namespace
}  // namespace kavro::test
