// Tables: geometry from the delegate's heights, cells only for rows in view and
// reused first in first out, every reload asking the data source again, selection by
// a tap through the window, swipe actions (and how a swiped row's views lie) and
// reordering in edit mode, header views that keep their place.

#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using kavro::test::DeviceTest;

// A table model of named rows in sections, counting what the table asks of it.
class Model : public NSObject, public UITableViewDataSource, public UITableViewDelegate {
 public:
  std::vector<std::vector<std::string>> sections{{"a", "b", "c"}, {"d", "e"}};
  std::vector<std::optional<std::string>> titles{"First", std::nullopt};
  CGFloat rowHeight = 50;
  int cellRequests = 0;
  int countRequests = 0;
  std::vector<NSIndexPath> selected;
  std::vector<std::pair<NSIndexPath, NSIndexPath>> moves;
  bool confineMoves = false;
  bool swipeable = true;
  std::function<void(bool)> swipeCompletion;
  int swipeActions = 0;
  std::shared_ptr<UIImage> swipeImage;
  bool labelHeaders = false;

  long numberOfSectionsInTableView(const std::shared_ptr<UITableView>&) override {
    return static_cast<long>(sections.size());
  }
  long numberOfRowsInSection(const std::shared_ptr<UITableView>&, long section) override {
    ++countRequests;
    return static_cast<long>(sections[static_cast<std::size_t>(section)].size());
  }
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const std::shared_ptr<UITableView>& table,
                                                         const NSIndexPath& indexPath) override {
    ++cellRequests;
    auto cell = table->dequeueReusableCellWithIdentifier("row");
    if (!cell) cell = alloc<UITableViewCell>()->initWithStyle(UITableViewCellStyleDefault, "row");
    cell->textLabel()->setText(sections[static_cast<std::size_t>(indexPath.section)][static_cast<std::size_t>(indexPath.row)]);
    return cell;
  }
  std::optional<std::string> titleForHeaderInSection(const std::shared_ptr<UITableView>&, long section) override {
    return titles[static_cast<std::size_t>(section)];
  }
  std::optional<CGFloat> heightForRowAtIndexPath(const std::shared_ptr<UITableView>&, const NSIndexPath&) override {
    return rowHeight;
  }
  std::optional<CGFloat> heightForHeaderInSection(const std::shared_ptr<UITableView>&, long) override { return 30.0; }
  // A label of its own size, as the bundle's pages make them.
  std::shared_ptr<UIView> viewForHeaderInSection(const std::shared_ptr<UITableView>&, long section) override {
    if (!labelHeaders) return nullptr;
    auto label = alloc<UILabel>()->initWithFrame(CGRectMake(0, 0, 200, 30));
    label->setText(titles[static_cast<std::size_t>(section)].value_or(""));
    return label;
  }
  std::optional<CGFloat> heightForFooterInSection(const std::shared_ptr<UITableView>&, long) override { return 10.0; }
  void didSelectRowAtIndexPath(const std::shared_ptr<UITableView>&, const NSIndexPath& indexPath) override {
    selected.push_back(indexPath);
  }
  bool canMoveRowAtIndexPath(const std::shared_ptr<UITableView>&, const NSIndexPath& indexPath) override {
    return indexPath.section == 0;
  }
  void moveRowAtIndexPath(const std::shared_ptr<UITableView>&, const NSIndexPath& from, const NSIndexPath& to) override {
    moves.emplace_back(from, to);
  }
  std::optional<NSIndexPath> targetIndexPathForMoveFromRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                                      const NSIndexPath&,
                                                                      const NSIndexPath& proposed) override {
    if (!confineMoves || proposed.section == 0) return std::nullopt;
    return NSIndexPath{0, static_cast<long>(sections[0].size()) - 1};
  }
  std::shared_ptr<UISwipeActionsConfiguration> trailingSwipeActionsConfigurationForRowAtIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath& indexPath) override {
    if (!swipeable || indexPath.section != 0) return nullptr;
    auto action = UIContextualAction::contextualActionWithStyle(
        UIContextualActionStyleNormal, "Remove", [this](auto&, auto&, std::function<void(bool)> completion) {
          ++swipeActions;
          swipeCompletion = std::move(completion);
        });
    action->setImage(swipeImage);
    return UISwipeActionsConfiguration::configurationWithActions({action});
  }
};

class TableViewTest : public DeviceTest {
 protected:
  TableViewTest() {
    window = alloc<UIWindow>()->init();
    window->makeKeyAndVisible();
    table = alloc<UITableView>()->initWithFrame(CGRectMake(0, 100, 390, 400), UITableViewStylePlain);
    table->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentNever);
    model = std::make_shared<Model>();
    table->setDataSource(model);
    table->setDelegate(model);
    window->addSubview(table);
    window->layoutIfNeeded();
  }
  // The window point at the middle of a row.
  CGPoint rowCenter(const NSIndexPath& indexPath) {
    CGRect rect = table->convertRectToView(table->rectForRowAtIndexPath(indexPath), nullptr);
    return {CGRectGetMidX(rect), CGRectGetMidY(rect)};
  }
  // Replaces the table with an inset grouped one, as the bundle's pages have.
  void useInsetGroupedTable() {
    table->removeFromSuperview();
    table = alloc<UITableView>()->initWithFrame(CGRectMake(0, 100, 390, 400), UITableViewStyleInsetGrouped);
    table->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentNever);
    table->setDataSource(model);
    table->setDelegate(model);
    window->addSubview(table);
    window->layoutIfNeeded();
  }
  std::vector<std::string> visibleTexts() {
    std::vector<std::string> texts;
    for (auto& cell : table->visibleCells()) texts.push_back(cell->textLabel()->text());
    return texts;
  }
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UITableView> table;
  std::shared_ptr<Model> model;
};

TEST_F(TableViewTest, GeometryFollowsTheDelegatesHeights) {
  EXPECT_EQ(table->numberOfSections(), 2);
  EXPECT_EQ(table->rectForHeaderInSection(0), CGRectMake(0, 0, 390, 30));
  EXPECT_EQ(table->rectForRowAtIndexPath({0, 2}), CGRectMake(0, 130, 390, 50));
  EXPECT_EQ(table->rectForFooterInSection(0), CGRectMake(0, 180, 390, 10));
  EXPECT_EQ(table->rectForRowAtIndexPath({1, 0}), CGRectMake(0, 220, 390, 50));
  EXPECT_EQ(table->contentSize().height, 330);
  EXPECT_EQ(table->indexPathForRowAtPoint({10, 135}), (NSIndexPath{0, 2}));
  EXPECT_FALSE(table->indexPathForRowAtPoint({10, 185}));  // a footer, not a row
  EXPECT_EQ(table->rectForRowAtIndexPath({5, 0}), CGRectZero);

  // A table header pushes every row down by its height.
  table->setTableHeaderView(alloc<UIView>()->initWithFrame(CGRectMake(0, 0, 10, 50)));
  EXPECT_EQ(table->rectForRowAtIndexPath({0, 0}).origin.y, 80);
  EXPECT_EQ(table->tableHeaderView()->frame().size.width, 390);
}

TEST_F(TableViewTest, MakesCellsOnlyForRowsInViewAndReusesThem) {
  model->sections = {std::vector<std::string>(100, "row")};
  model->titles = {std::nullopt};
  for (int i = 0; i < 100; ++i) model->sections[0][static_cast<std::size_t>(i)] = std::to_string(i);
  table->reloadData();
  window->layoutIfNeeded();
  // 400 points of a 50-point row grid below a 30-point header: rows 0 to 7.
  EXPECT_EQ(table->visibleCells().size(), 8u);
  EXPECT_EQ(model->cellRequests, 8 + 5);  // the first load asked for the five rows it had

  auto first = table->cellForRowAtIndexPath({0, 0});
  ASSERT_TRUE(first);
  table->setContentOffset({0, 1000});
  window->layoutIfNeeded();
  EXPECT_FALSE(table->cellForRowAtIndexPath({0, 0}));
  EXPECT_TRUE(table->cellForRowAtIndexPath({0, 20}));
  // Rows that scrolled out gave their cells to the ones that scrolled in.
  bool reused = false;
  for (auto& cell : table->visibleCells()) reused = reused || cell == first;
  EXPECT_TRUE(reused);
  EXPECT_LE(table->visibleCells().size(), 9u);
}

TEST_F(TableViewTest, EveryReloadAsksTheDataSourceAgain) {
  int before = model->countRequests;
  model->sections[0].push_back("f");
  EXPECT_EQ(table->numberOfRowsInSection(0), 3);  // nothing asked yet
  table->reloadData();
  EXPECT_GT(model->countRequests, before);
  EXPECT_EQ(table->numberOfRowsInSection(0), 4);
  window->layoutIfNeeded();
  EXPECT_EQ(table->cellForRowAtIndexPath({0, 3})->textLabel()->text(), "f");
}

TEST_F(TableViewTest, ATapSelectsTheRowAndADragScrollsInstead) {
  kavro::platform::uikit::TouchDriver finger(settings(), window);
  finger.tap(rowCenter({0, 1}));
  ASSERT_EQ(model->selected.size(), 1u);
  EXPECT_EQ(model->selected[0], (NSIndexPath{0, 1}));
  EXPECT_EQ(table->indexPathForSelectedRow(), (NSIndexPath{0, 1}));

  model->sections[0].resize(30, "x");
  table->reloadData();
  window->layoutIfNeeded();
  finger.down(rowCenter({0, 5}));
  finger.move(0, -60);
  finger.up();
  EXPECT_EQ(model->selected.size(), 1u);
  EXPECT_EQ(table->contentOffset().y, 60);
}

TEST_F(TableViewTest, AFullSwipePerformsTheFirstActionAndItsCompletionClosesIt) {
  kavro::platform::uikit::TouchDriver finger(settings(), window);
  CGPoint start = rowCenter({0, 0});
  finger.down({370, start.y});
  for (int i = 0; i < 6; ++i) finger.move(-50, 0);
  finger.up();
  EXPECT_EQ(model->swipeActions, 1);
  ASSERT_TRUE(table->swipedRow());
  ASSERT_TRUE(model->swipeCompletion);
  model->swipeCompletion(true);
  EXPECT_FALSE(table->swipedRow());

  // A short swipe shows the action; a tap on it performs it; rows of a section
  // without actions do not swipe.
  finger.down({370, start.y});
  finger.move(-60, 0);
  finger.up();
  ASSERT_EQ(table->swipeActionViews().size(), 1u);
  EXPECT_EQ(model->swipeActions, 1);
  CGRect button = table->swipeActionViews()[0]->frameInWindow();
  finger.tap({CGRectGetMidX(button), CGRectGetMidY(button)});
  EXPECT_EQ(model->swipeActions, 2);

  CGPoint other = rowCenter({1, 0});
  finger.down({370, other.y});
  for (int i = 0; i < 6; ++i) finger.move(-50, 0);
  finger.up();
  EXPECT_EQ(model->swipeActions, 2);
}

TEST_F(TableViewTest, ReorderControlsMoveRowsWhereTheDelegateLetsThem) {
  table->setEditing(true);
  window->layoutIfNeeded();
  auto cell = table->cellForRowAtIndexPath({0, 0});
  ASSERT_TRUE(cell->reorderControl());
  EXPECT_FALSE(table->cellForRowAtIndexPath({1, 0})->reorderControl());
  kavro::platform::uikit::TouchDriver finger(settings(), window);

  // Row 0 dragged below row 2 lands at row 2.
  CGPoint grab = {CGRectGetMidX(cell->reorderControl()->frameInWindow()), rowCenter({0, 0}).y};
  finger.down(grab);
  finger.move(0, 110);
  finger.up();
  ASSERT_EQ(model->moves.size(), 1u);
  EXPECT_EQ(model->moves[0].first, (NSIndexPath{0, 0}));
  EXPECT_EQ(model->moves[0].second, (NSIndexPath{0, 2}));

  // Dropped into the next section, the row goes there, unless the delegate keeps it.
  finger.down(grab);
  finger.move(0, 250);
  finger.up();
  EXPECT_EQ(model->moves[1].second.section, 1);
  model->confineMoves = true;
  finger.down(grab);
  finger.move(0, 250);
  finger.up();
  EXPECT_EQ(model->moves[2].second, (NSIndexPath{0, 2}));

  // In edit mode a tap selects nothing.
  finger.tap(rowCenter({1, 0}));
  EXPECT_TRUE(model->selected.empty());
}

TEST_F(TableViewTest, HeaderViewsKeepTheirPlaceHoweverOftenTheTableLaysOut) {
  model->labelHeaders = true;
  useInsetGroupedTable();
  auto header = table->headerViewForSection(0);
  ASSERT_TRUE(header);
  // Its own x within the section, which starts at the group's margin.
  CGRect placed = CGRectMake(UITableView::kInsetGroupedMargin, 0, 200, 30);
  EXPECT_EQ(header->frame(), placed);
  for (int pass = 0; pass < 3; ++pass) {
    table->setNeedsLayout();
    window->layoutIfNeeded();
  }
  kavro::platform::uikit::TouchDriver finger(settings(), window);
  finger.down({360, rowCenter({0, 0}).y});
  finger.move(-60, 0);
  finger.up();
  window->layoutIfNeeded();
  table->setEditing(true);
  window->layoutIfNeeded();
  EXPECT_EQ(table->headerViewForSection(0), header);
  EXPECT_EQ(header->frame(), placed);
}

TEST_F(TableViewTest, ASwipedRowSlidesInsideItsGroupAndShowsItsActionThere) {
  model->swipeImage = UIImage::systemImageNamed("xmark.circle.fill");
  useInsetGroupedTable();
  auto cell = table->cellForRowAtIndexPath({0, 0});
  CGRect row = cell->frameInWindow();
  ASSERT_EQ(row.origin.x, UITableView::kInsetGroupedMargin);
  kavro::platform::uikit::TouchDriver finger(settings(), window);
  finger.down({360, rowCenter({0, 0}).y});
  finger.move(-60, 0);
  finger.up();
  window->layoutIfNeeded();
  ASSERT_EQ(table->swipeActionViews().size(), 1u);
  auto button = std::dynamic_pointer_cast<UIButton>(table->swipeActionViews()[0]);
  ASSERT_TRUE(button);

  // The cell stays where the group has it, rounded at the group's top and clipping;
  // its content slides left under that clip by the action's width.
  EXPECT_EQ(cell->frameInWindow(), row);
  EXPECT_TRUE(cell->clipsToBounds());
  EXPECT_EQ(cell->layer()->cornerRadius(), 10);
  EXPECT_EQ(cell->layer()->maskedCorners(), kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner);
  CGFloat open = button->frame().size.width;
  EXPECT_GT(open, 0);
  EXPECT_EQ(cell->contentView()->frameInWindow().origin.x, row.origin.x - open);
  // The action fills the strip uncovered at the trailing end, inside the cell.
  EXPECT_EQ(button->superview(), cell);
  EXPECT_EQ(button->frameInWindow(), CGRectMake(CGRectGetMaxX(row) - open, row.origin.y, open, row.size.height));
  // Its symbol stands above its title, both centred.
  CGRect image = button->imageView()->frame(), title = button->titleLabel()->frame();
  EXPECT_GT(image.size.height, 0);
  EXPECT_LE(CGRectGetMaxY(image), CGRectGetMinY(title));
  EXPECT_DOUBLE_EQ(CGRectGetMidX(image), open / 2);
  EXPECT_DOUBLE_EQ(CGRectGetMidX(title), open / 2);
  EXPECT_GE(image.origin.y, 0);
  EXPECT_LE(CGRectGetMaxY(title), row.size.height);

  // Closed, the cell is as it was.
  table->hideSwipeActions();
  EXPECT_FALSE(button->superview());
  EXPECT_EQ(cell->bounds().origin, CGPointZero);
  EXPECT_FALSE(cell->clipsToBounds());
  EXPECT_EQ(cell->contentView()->frameInWindow().origin.x, row.origin.x);
}

TEST_F(TableViewTest, ATapOnCoastingRowsStopsThemAndSelectsNothing) {
  model->sections[0].resize(60, "x");
  table->reloadData();
  window->layoutIfNeeded();
  kavro::platform::uikit::TouchDriver finger(settings(), window);
  finger.down(rowCenter({0, 5}));
  finger.flick(0, -120);
  wait(0.1);
  ASSERT_TRUE(table->isDecelerating());
  window->layoutIfNeeded();
  auto row = table->indexPathsForVisibleRows()[2];
  finger.tap(rowCenter(row));
  EXPECT_FALSE(table->isDecelerating());
  EXPECT_TRUE(model->selected.empty());
  finger.tap(rowCenter(row));
  EXPECT_EQ(model->selected, std::vector<NSIndexPath>{row});
}

}  // namespace
