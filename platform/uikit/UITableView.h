#pragma once
// Tables: sections of rows with header and footer views, a table header and footer,
// row heights from the delegate, cells only for the rows in view (reused by
// identifier), selection by tap, trailing swipe actions and, in editing mode,
// reordering by the rows' reorder controls. The data source is asked again on every
// reload; the table keeps nothing of the model beyond what a reload asked.

#include "platform/uikit/NSIndexPath.h"
#include "platform/uikit/UIContextualAction.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITableViewCell.h"

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class UITableView;
class UIButton;

enum UITableViewStyle : long {
  UITableViewStylePlain = 0,
  UITableViewStyleGrouped = 1,
  UITableViewStyleInsetGrouped = 2,
};

enum UITableViewScrollPosition : long {
  UITableViewScrollPositionNone = 0,
  UITableViewScrollPositionTop = 1,
  UITableViewScrollPositionMiddle = 2,
  UITableViewScrollPositionBottom = 3,
};

class UITableViewDataSource {
 public:
  virtual ~UITableViewDataSource() = default;
  virtual long numberOfRowsInSection(const std::shared_ptr<UITableView>& tableView, long section) = 0;
  virtual std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                                 const NSIndexPath& indexPath) = 0;
  virtual long numberOfSectionsInTableView(const std::shared_ptr<UITableView>& tableView) { return 1; }
  // nullopt stands for nil: no title.
  virtual std::optional<std::string> titleForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                                             long section) {
    return std::nullopt;
  }
  virtual std::optional<std::string> titleForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                                             long section) {
    return std::nullopt;
  }
  virtual bool canMoveRowAtIndexPath(const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
    return false;
  }
  virtual void moveRowAtIndexPath(const std::shared_ptr<UITableView>& tableView, const NSIndexPath& source,
                                  const NSIndexPath& destination) {}
};

class UITableViewDelegate : public UIScrollViewDelegate {
 public:
  // Heights: nullopt means the delegate has no say and the table's default applies.
  virtual std::optional<CGFloat> heightForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                         const NSIndexPath& indexPath) {
    return std::nullopt;
  }
  virtual std::optional<CGFloat> heightForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                                          long section) {
    return std::nullopt;
  }
  virtual std::optional<CGFloat> heightForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                                          long section) {
    return std::nullopt;
  }
  // Views: nullptr means none from the delegate; a title, if any, gets a default view.
  virtual std::shared_ptr<UIView> viewForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                                         long section) {
    return nullptr;
  }
  virtual std::shared_ptr<UIView> viewForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                                         long section) {
    return nullptr;
  }
  virtual void willDisplayCell(const std::shared_ptr<UITableView>& tableView,
                               const std::shared_ptr<UITableViewCell>& cell, const NSIndexPath& indexPath) {}
  virtual void didSelectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                       const NSIndexPath& indexPath) {}
  virtual void didDeselectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                         const NSIndexPath& indexPath) {}
  virtual std::shared_ptr<UISwipeActionsConfiguration> trailingSwipeActionsConfigurationForRowAtIndexPath(
      const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
    return nullptr;
  }
  virtual std::optional<UITableViewCellEditingStyle> editingStyleForRowAtIndexPath(
      const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
    return std::nullopt;
  }
  virtual std::optional<bool> shouldIndentWhileEditingRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                                     const NSIndexPath& indexPath) {
    return std::nullopt;
  }
  virtual std::optional<NSIndexPath> targetIndexPathForMoveFromRowAtIndexPath(
      const std::shared_ptr<UITableView>& tableView, const NSIndexPath& source, const NSIndexPath& proposed) {
    return std::nullopt;
  }
};

class UITableView : public UIScrollView {
  KAVRO_OBJC_CLASS(UITableView)
 public:
  static constexpr CGFloat kDefaultRowHeight = 44;
  // The side margins of the inset grouped style.
  static constexpr CGFloat kInsetGroupedMargin = 16;
  // How far a row must be swiped for a full swipe.
  static constexpr CGFloat kFullSwipeFraction = 0.6;

  UITableView();
  ~UITableView() override;
  std::shared_ptr<UITableView> initWithFrame(CGRect frame, UITableViewStyle style);

  UITableViewStyle style() const { return style_; }
  std::shared_ptr<UITableViewDataSource> dataSource() const { return dataSource_.lock(); }
  void setDataSource(const std::shared_ptr<UITableViewDataSource>& dataSource);
  std::shared_ptr<UITableViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<UITableViewDelegate>& delegate);

  CGFloat rowHeight() const { return rowHeight_; }
  void setRowHeight(CGFloat height) { rowHeight_ = height; }
  std::shared_ptr<UIColor> separatorColor() const { return separatorColor_; }
  void setSeparatorColor(const std::shared_ptr<UIColor>& color) { separatorColor_ = color; }
  std::shared_ptr<UIView> tableHeaderView() const { return tableHeaderView_; }
  void setTableHeaderView(const std::shared_ptr<UIView>& view);
  std::shared_ptr<UIView> tableFooterView() const { return tableFooterView_; }
  void setTableFooterView(const std::shared_ptr<UIView>& view);
  bool allowsSelection() const { return allowsSelection_; }
  void setAllowsSelection(bool allows) { allowsSelection_ = allows; }

  // Asks the data source and delegate anew and rebuilds the visible cells.
  void reloadData();
  // Counts as of the last reload.
  long numberOfSections() const { return static_cast<long>(sections_.size()); }
  long numberOfRowsInSection(long section) const;

  // Reuse: a cell from the pool for the identifier, first in first out, or nullptr.
  std::shared_ptr<UITableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);
  // The cell of a visible row, or nullptr.
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const NSIndexPath& indexPath) const;
  std::optional<NSIndexPath> indexPathForCell(const std::shared_ptr<UITableViewCell>& cell) const;
  std::optional<NSIndexPath> indexPathForRowAtPoint(CGPoint point) const;
  std::vector<std::shared_ptr<UITableViewCell>> visibleCells() const;
  std::vector<NSIndexPath> indexPathsForVisibleRows() const;
  std::shared_ptr<UIView> headerViewForSection(long section) const;
  std::shared_ptr<UIView> footerViewForSection(long section) const;

  // Geometry in content coordinates.
  CGRect rectForRowAtIndexPath(const NSIndexPath& indexPath) const;
  CGRect rectForHeaderInSection(long section) const;
  CGRect rectForFooterInSection(long section) const;
  CGRect rectForSection(long section) const;
  void scrollToRowAtIndexPath(const NSIndexPath& indexPath, UITableViewScrollPosition position, bool animated);

  // Selection.
  void selectRowAtIndexPath(const std::optional<NSIndexPath>& indexPath, bool animated,
                            UITableViewScrollPosition position);
  void deselectRowAtIndexPath(const NSIndexPath& indexPath, bool animated);
  std::optional<NSIndexPath> indexPathForSelectedRow() const { return selected_; }

  // Editing.
  bool isEditing() const { return editing_; }
  void setEditing(bool editing);
  virtual void setEditing(bool editing, bool animated);

  // Swipe actions: the row whose actions are shown, if any.
  std::optional<NSIndexPath> swipedRow() const { return swipedRow_; }
  std::shared_ptr<UISwipeActionsConfiguration> swipeConfiguration() const { return swipeConfiguration_; }
  // The buttons of the shown swipe actions, for renderers and queries. They lie in
  // the swiped cell, which clips to its (rounded) bounds while its content slides
  // aside: its bounds origin moves right by the swipe, and the buttons fill the
  // strip that uncovers at its trailing end.
  const std::vector<std::shared_ptr<UIView>>& swipeActionViews() const { return swipeActionViews_; }
  // Hides shown swipe actions.
  void hideSwipeActions();
  // The row being dragged by its reorder control, if any.
  std::optional<NSIndexPath> reorderingRow() const { return reorderRow_; }

  void layoutSubviews() override;
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

 protected:
  bool shouldBeginScrolling(CGPoint start, CGPoint current) const override;
  void willBeginUserScrolling() override;

 private:
  struct Section {
    long rows = 0;
    CGFloat headerHeight = 0;
    CGFloat footerHeight = 0;
    std::optional<std::string> headerTitle;
    std::optional<std::string> footerTitle;
    std::vector<CGFloat> rowOffsets;  // prefix sums: rowOffsets[i] = top of row i within the section's rows
    CGFloat top = 0;                  // top of the section's header in content coordinates
  };
  enum class TouchMode { none, pending, scrolling, swiping, reordering };
  // A section header or footer view, with the frame its maker gave it: its place
  // is worked out from that every time, never from where the table last put it.
  struct SupplementaryView {
    std::shared_ptr<UIView> view;
    CGRect ownFrame{};
  };

  void ensureLoaded();
  void rebuildGeometry();
  void layoutVisibleCells();
  void layoutSupplementaryViews();
  std::shared_ptr<UITableViewCell> makeCell(const NSIndexPath& indexPath);
  void enqueue(const std::shared_ptr<UITableViewCell>& cell);
  CGFloat contentTop() const;
  CGFloat cellInset() const;
  CGRect cellFrame(const NSIndexPath& indexPath) const;
  void configureCellForEditing(const std::shared_ptr<UITableViewCell>& cell, const NSIndexPath& indexPath);
  std::optional<NSIndexPath> rowForCellTouch(const std::shared_ptr<UITouch>& touch) const;
  void userSelectRow(const NSIndexPath& indexPath);
  void beginSwipe(const NSIndexPath& indexPath);
  void updateSwipe(CGFloat distance);
  void layoutSwipeActions();
  void endSwipe();
  void performSwipeAction(std::size_t index);
  void swipeActionTapped(const std::shared_ptr<UIButton>& sender);
  void beginReorder(const NSIndexPath& indexPath, CGPoint point);
  void updateReorder(CGPoint point);
  void endReorder(bool cancelled);
  NSIndexPath proposedReorderDestination(CGPoint point) const;
  std::shared_ptr<UIView> makeDefaultHeaderFooter(const std::string& title, bool header) const;

  UITableViewStyle style_ = UITableViewStylePlain;
  std::weak_ptr<UITableViewDataSource> dataSource_;
  std::weak_ptr<UITableViewDelegate> delegate_;
  CGFloat rowHeight_ = kDefaultRowHeight;
  std::shared_ptr<UIColor> separatorColor_;
  std::shared_ptr<UIView> tableHeaderView_;
  std::shared_ptr<UIView> tableFooterView_;
  CGFloat headerHeightUsed_ = 0;
  bool allowsSelection_ = true;
  bool needsReload_ = true;
  std::vector<Section> sections_;
  std::map<NSIndexPath, std::shared_ptr<UITableViewCell>> visible_;
  std::map<std::string, std::deque<std::shared_ptr<UITableViewCell>>> reusePool_;
  std::map<long, SupplementaryView> headerViews_;
  std::map<long, SupplementaryView> footerViews_;
  std::optional<NSIndexPath> selected_;
  bool editing_ = false;

  TouchMode touchMode_ = TouchMode::none;
  std::optional<NSIndexPath> touchRow_;
  std::optional<NSIndexPath> swipedRow_;
  std::shared_ptr<UISwipeActionsConfiguration> swipeConfiguration_;
  std::vector<std::shared_ptr<UIView>> swipeActionViews_;
  std::shared_ptr<UITableViewCell> swipedCell_;
  bool swipedCellClipped_ = false;  // whether it clipped before the swipe
  CGFloat swipeOffset_ = 0;
  std::optional<NSIndexPath> reorderRow_;
  std::optional<NSIndexPath> reorderTarget_;
  CGFloat reorderGrabOffset_ = 0;
};
