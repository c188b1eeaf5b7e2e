#include "platform/uikit/UITableView.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITouch.h"

#include <algorithm>
#include <cmath>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UITableView, UIScrollView,
                                .method("swipeActionTapped:", &UITableView::swipeActionTapped))

namespace {
constexpr CGFloat kTitledHeaderHeight = 38;
constexpr CGFloat kGroupedSpacing = 18;
constexpr CGFloat kSwipeActionWidth = 74;
constexpr CGFloat kFooterFontSize = 13;
constexpr CGFloat kHeaderFooterTextMargin = 20;

std::shared_ptr<UITableView> tableOf(const UITableView& table) {
  return std::const_pointer_cast<UITableView>(table.self<UITableView>());
}

// A swipe action's button: its image above its title, both centred, as the
// platform draws actions that have both.
class SwipeActionButton : public UIButton {
 public:
  static constexpr CGFloat kImageTitleSpacing = 4;

  void layoutSubviews() override {
    UIButton::layoutSubviews();
    auto image = currentImage();
    std::string title = currentTitle();
    if (!image || title.empty()) return;
    CGRect area = bounds();
    auto label = titleLabel();
    CGSize imageSize = image->size();
    CGSize titleSize = label->sizeThatFits({area.size.width, 0});
    CGFloat titleWidth = std::min(titleSize.width, area.size.width);
    CGFloat top = (area.size.height - imageSize.height - kImageTitleSpacing - titleSize.height) / 2;
    imageView()->setFrame(CGRectMake((area.size.width - imageSize.width) / 2, top, imageSize.width,
                                     imageSize.height));
    label->setFrame(CGRectMake((area.size.width - titleWidth) / 2, top + imageSize.height + kImageTitleSpacing,
                               titleWidth, titleSize.height));
  }
};
}  // namespace

UITableView::UITableView() = default;
UITableView::~UITableView() = default;

std::shared_ptr<UITableView> UITableView::initWithFrame(CGRect frame, UITableViewStyle style) {
  UIView::initWithFrame(frame);
  style_ = style;
  setBackgroundColor(style == UITableViewStylePlain ? UIColor::systemBackgroundColor()
                                                     : UIColor::systemGroupedBackgroundColor());
  separatorColor_ = UIColor::separatorColor();
  // A table bounces vertically even when its rows fit, as the platform's do.
  setAlwaysBounceVertical(true);
  return self<UITableView>();
}

void UITableView::setDataSource(const std::shared_ptr<UITableViewDataSource>& dataSource) {
  dataSource_ = dataSource;
  needsReload_ = true;
  setNeedsLayout();
}

void UITableView::setDelegate(const std::shared_ptr<UITableViewDelegate>& delegate) {
  delegate_ = delegate;
  UIScrollView::setDelegate(delegate);
  needsReload_ = true;
  setNeedsLayout();
}

void UITableView::setTableHeaderView(const std::shared_ptr<UIView>& view) {
  if (view == tableHeaderView_) {
    // The same view again: it stays; only a changed height moves the rows.
    if (view && view->frame().size.height != headerHeightUsed_) {
      rebuildGeometry();
      setNeedsLayout();
    }
    return;
  }
  if (tableHeaderView_) tableHeaderView_->removeFromSuperview();
  tableHeaderView_ = view;
  if (view) {
    CGRect frame = view->frame();
    view->setFrame(CGRectMake(0, 0, bounds().size.width, frame.size.height));
    insertSubview(view, 0);
  }
  if (!needsReload_) rebuildGeometry();
  setNeedsLayout();
}

void UITableView::setTableFooterView(const std::shared_ptr<UIView>& view) {
  if (tableFooterView_) tableFooterView_->removeFromSuperview();
  tableFooterView_ = view;
  if (view) insertSubview(view, 0);
  if (!needsReload_) rebuildGeometry();
  setNeedsLayout();
}

// ---------------------------------------------------------------------------
// Loading

void UITableView::reloadData() {
  hideSwipeActions();
  for (auto& [indexPath, cell] : visible_) enqueue(cell);
  visible_.clear();
  for (auto& [section, header] : headerViews_) header.view->removeFromSuperview();
  for (auto& [section, footer] : footerViews_) footer.view->removeFromSuperview();
  headerViews_.clear();
  footerViews_.clear();
  selected_.reset();
  rebuildGeometry();
  setNeedsLayout();
}

void UITableView::ensureLoaded() {
  if (needsReload_) reloadData();
}

CGFloat UITableView::contentTop() const { return headerHeightUsed_; }

CGFloat UITableView::cellInset() const { return style_ == UITableViewStyleInsetGrouped ? kInsetGroupedMargin : 0; }

void UITableView::rebuildGeometry() {
  needsReload_ = false;
  headerHeightUsed_ = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0;
  auto table = tableOf(*this);
  auto source = dataSource();
  auto delegate = this->delegate();
  long count = source ? std::max(0L, source->numberOfSectionsInTableView(table)) : 0;
  sections_.assign(static_cast<std::size_t>(count), Section{});
  CGFloat y = contentTop();
  CGFloat textWidth = std::max<CGFloat>(0, bounds().size.width - 2 * (cellInset() + kHeaderFooterTextMargin));
  for (long s = 0; s < count; ++s) {
    Section& section = sections_[static_cast<std::size_t>(s)];
    section.top = y;
    section.rows = std::max(0L, source->numberOfRowsInSection(table, s));
    section.headerTitle = source->titleForHeaderInSection(table, s);
    section.footerTitle = source->titleForFooterInSection(table, s);
    std::optional<CGFloat> header = delegate ? delegate->heightForHeaderInSection(table, s) : std::nullopt;
    section.headerHeight = header ? std::max<CGFloat>(0, *header)
                           : section.headerTitle ? kTitledHeaderHeight
                           : style_ == UITableViewStylePlain ? 0
                                                              : kGroupedSpacing;
    section.rowOffsets.resize(static_cast<std::size_t>(section.rows) + 1);
    CGFloat rowsHeight = 0;
    for (long r = 0; r < section.rows; ++r) {
      section.rowOffsets[static_cast<std::size_t>(r)] = rowsHeight;
      std::optional<CGFloat> height = delegate ? delegate->heightForRowAtIndexPath(table, {s, r}) : std::nullopt;
      rowsHeight += height ? std::max<CGFloat>(0, *height) : rowHeight_;
    }
    section.rowOffsets[static_cast<std::size_t>(section.rows)] = rowsHeight;
    std::optional<CGFloat> footer = delegate ? delegate->heightForFooterInSection(table, s) : std::nullopt;
    if (footer) {
      section.footerHeight = std::max<CGFloat>(0, *footer);
    } else if (section.footerTitle && !section.footerTitle->empty()) {
      UILabel measure;
      measure.setFont(UIFont::systemFontOfSize(kFooterFontSize));
      measure.setNumberOfLines(0);
      measure.setText(*section.footerTitle);
      section.footerHeight = measure.sizeThatFits({textWidth, 0}).height + 16;
    } else {
      section.footerHeight = style_ == UITableViewStylePlain ? 0 : kGroupedSpacing;
    }
    y += section.headerHeight + rowsHeight + section.footerHeight;
  }
  CGFloat footerHeight = tableFooterView_ ? tableFooterView_->frame().size.height : 0;
  setContentSize({bounds().size.width, y + footerHeight});
}

long UITableView::numberOfRowsInSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return 0;
  return sections_[static_cast<std::size_t>(section)].rows;
}

// ---------------------------------------------------------------------------
// Geometry

CGRect UITableView::rectForRowAtIndexPath(const NSIndexPath& indexPath) const {
  if (indexPath.section < 0 || indexPath.section >= numberOfSections()) return CGRectZero;
  const Section& section = sections_[static_cast<std::size_t>(indexPath.section)];
  if (indexPath.row < 0 || indexPath.row >= section.rows) return CGRectZero;
  auto row = static_cast<std::size_t>(indexPath.row);
  CGFloat top = section.top + section.headerHeight + section.rowOffsets[row];
  return CGRectMake(cellInset(), top, bounds().size.width - 2 * cellInset(),
                    section.rowOffsets[row + 1] - section.rowOffsets[row]);
}

CGRect UITableView::rectForHeaderInSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return CGRectZero;
  const Section& s = sections_[static_cast<std::size_t>(section)];
  return CGRectMake(cellInset(), s.top, bounds().size.width - 2 * cellInset(), s.headerHeight);
}

CGRect UITableView::rectForFooterInSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return CGRectZero;
  const Section& s = sections_[static_cast<std::size_t>(section)];
  return CGRectMake(cellInset(), s.top + s.headerHeight + s.rowOffsets.back(),
                    bounds().size.width - 2 * cellInset(), s.footerHeight);
}

CGRect UITableView::rectForSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return CGRectZero;
  const Section& s = sections_[static_cast<std::size_t>(section)];
  return CGRectMake(0, s.top, bounds().size.width, s.headerHeight + s.rowOffsets.back() + s.footerHeight);
}

CGRect UITableView::cellFrame(const NSIndexPath& indexPath) const {
  // A swiped row's cell stays in place; its content slides within it.
  CGRect frame = rectForRowAtIndexPath(indexPath);
  if (reorderRow_ && reorderTarget_) {
    // While a row is dragged, the rows between its place and its target make room.
    const NSIndexPath& source = *reorderRow_;
    const NSIndexPath& target = *reorderTarget_;
    if (indexPath == source) return frame;
    CGFloat height = rectForRowAtIndexPath(source).size.height;
    auto before = [](const NSIndexPath& a, const NSIndexPath& b) { return a < b; };
    bool afterSource = before(source, indexPath);
    bool beforeTarget = before(indexPath, target) || indexPath == target;
    bool atOrAfterTarget = !before(indexPath, target);
    bool beforeSource = before(indexPath, source);
    if (afterSource && beforeTarget) frame.origin.y -= height;
    else if (beforeSource && atOrAfterTarget) frame.origin.y += height;
  }
  return frame;
}

std::optional<NSIndexPath> UITableView::indexPathForRowAtPoint(CGPoint point) const {
  // Binary search for the section, then for the row, over the cached offsets.
  auto it = std::upper_bound(sections_.begin(), sections_.end(), point.y,
                             [](CGFloat y, const Section& s) { return y < s.top; });
  if (it == sections_.begin()) return std::nullopt;
  --it;
  const Section& section = *it;
  CGFloat y = point.y - section.top - section.headerHeight;
  if (y < 0 || y >= section.rowOffsets.back()) return std::nullopt;
  auto row = std::upper_bound(section.rowOffsets.begin(), section.rowOffsets.end(), y) - section.rowOffsets.begin() - 1;
  if (row < 0 || row >= section.rows) return std::nullopt;
  if (point.x < cellInset() || point.x >= bounds().size.width - cellInset()) return std::nullopt;
  return NSIndexPath{static_cast<long>(it - sections_.begin()), static_cast<long>(row)};
}

// ---------------------------------------------------------------------------
// Cells

std::shared_ptr<UITableViewCell> UITableView::dequeueReusableCellWithIdentifier(const std::string& identifier) {
  auto found = reusePool_.find(identifier);
  if (found == reusePool_.end() || found->second.empty()) return nullptr;
  auto cell = found->second.front();
  found->second.pop_front();
  cell->prepareForReuse();
  return cell;
}

void UITableView::enqueue(const std::shared_ptr<UITableViewCell>& cell) {
  if (cell == swipedCell_) hideSwipeActions();
  cell->removeFromSuperview();
  if (!cell->reuseIdentifier().empty()) reusePool_[cell->reuseIdentifier()].push_back(cell);
}

std::shared_ptr<UITableViewCell> UITableView::cellForRowAtIndexPath(const NSIndexPath& indexPath) const {
  auto found = visible_.find(indexPath);
  return found == visible_.end() ? nullptr : found->second;
}

std::optional<NSIndexPath> UITableView::indexPathForCell(const std::shared_ptr<UITableViewCell>& cell) const {
  for (auto& [indexPath, visible] : visible_)
    if (visible == cell) return indexPath;
  return std::nullopt;
}

std::vector<std::shared_ptr<UITableViewCell>> UITableView::visibleCells() const {
  std::vector<std::shared_ptr<UITableViewCell>> cells;
  for (auto& [indexPath, cell] : visible_) cells.push_back(cell);
  return cells;
}

std::vector<NSIndexPath> UITableView::indexPathsForVisibleRows() const {
  std::vector<NSIndexPath> rows;
  for (auto& [indexPath, cell] : visible_) rows.push_back(indexPath);
  return rows;
}

std::shared_ptr<UIView> UITableView::headerViewForSection(long section) const {
  auto found = headerViews_.find(section);
  return found == headerViews_.end() ? nullptr : found->second.view;
}

std::shared_ptr<UIView> UITableView::footerViewForSection(long section) const {
  auto found = footerViews_.find(section);
  return found == footerViews_.end() ? nullptr : found->second.view;
}

std::shared_ptr<UITableViewCell> UITableView::makeCell(const NSIndexPath& indexPath) {
  auto source = dataSource();
  if (!source) return nullptr;
  auto cell = source->cellForRowAtIndexPath(tableOf(*this), indexPath);
  if (!cell) {
    // The platform stops here with an exception; the stand-in shows an empty row.
    std::fprintf(stderr, "UITableView: the data source gave no cell for row %s\n",
                 indexPath.description().c_str());
    cell = alloc<UITableViewCell>()->initWithStyle(UITableViewCellStyleDefault, "");
  }
  return cell;
}

void UITableView::configureCellForEditing(const std::shared_ptr<UITableViewCell>& cell, const NSIndexPath& indexPath) {
  auto table = tableOf(*this);
  auto source = dataSource();
  auto delegate = this->delegate();
  bool canMove = source && source->canMoveRowAtIndexPath(table, indexPath);
  cell->setShowsReorderControl(canMove);
  auto style = delegate ? delegate->editingStyleForRowAtIndexPath(table, indexPath) : std::nullopt;
  cell->setEditingStyle(style.value_or(UITableViewCellEditingStyleDelete));
  auto indent = delegate ? delegate->shouldIndentWhileEditingRowAtIndexPath(table, indexPath) : std::nullopt;
  cell->setShouldIndentWhileEditing(indent.value_or(true));
  cell->setEditing(editing_, false);
}

void UITableView::layoutSubviews() {
  ensureLoaded();
  UIScrollView::layoutSubviews();
  if (tableHeaderView_) {
    CGRect frame = tableHeaderView_->frame();
    if (frame.origin != CGPointZero || frame.size.width != bounds().size.width)
      tableHeaderView_->setFrame(CGRectMake(0, 0, bounds().size.width, frame.size.height));
  }
  if (tableFooterView_) {
    CGFloat y = contentSize().height - tableFooterView_->frame().size.height;
    tableFooterView_->setFrame(CGRectMake(0, y, bounds().size.width, tableFooterView_->frame().size.height));
  }
  layoutVisibleCells();
  layoutSupplementaryViews();
}

void UITableView::layoutVisibleCells() {
  CGFloat top = contentOffset().y;
  CGFloat bottom = top + bounds().size.height;
  std::vector<NSIndexPath> wanted;
  for (long s = 0; s < numberOfSections(); ++s) {
    const Section& section = sections_[static_cast<std::size_t>(s)];
    CGFloat rowsTop = section.top + section.headerHeight;
    if (rowsTop >= bottom) break;
    if (rowsTop + section.rowOffsets.back() <= top) continue;
    // First row whose bottom is below the top of the view.
    auto first = std::upper_bound(section.rowOffsets.begin() + 1, section.rowOffsets.end(), top - rowsTop) -
                 section.rowOffsets.begin() - 1;
    for (long r = std::max<long>(0, first); r < section.rows; ++r) {
      if (rowsTop + section.rowOffsets[static_cast<std::size_t>(r)] >= bottom) break;
      wanted.push_back({s, r});
    }
  }
  if (reorderRow_ && !std::count(wanted.begin(), wanted.end(), *reorderRow_)) wanted.push_back(*reorderRow_);
  // Rows that left the view give their cells back first, so that new rows reuse them.
  for (auto it = visible_.begin(); it != visible_.end();) {
    if (std::find(wanted.begin(), wanted.end(), it->first) == wanted.end()) {
      enqueue(it->second);
      it = visible_.erase(it);
    } else {
      ++it;
    }
  }
  auto table = tableOf(*this);
  for (const NSIndexPath& indexPath : wanted) {
    auto found = visible_.find(indexPath);
    std::shared_ptr<UITableViewCell> cell;
    bool fresh = found == visible_.end();
    if (fresh) {
      cell = makeCell(indexPath);
      visible_[indexPath] = cell;
    } else {
      cell = found->second;
    }
    const Section& section = sections_[static_cast<std::size_t>(indexPath.section)];
    bool grouped = style_ != UITableViewStylePlain;
    cell->setGroupedCorners(grouped && indexPath.row == 0, grouped && indexPath.row == section.rows - 1);
    cell->setFrame(cellFrame(indexPath));
    if (fresh) {
      configureCellForEditing(cell, indexPath);
      cell->setSelected(selected_ && *selected_ == indexPath, false);
      if (cell->superview().get() != this) addSubview(cell);
      if (auto delegate = this->delegate()) delegate->willDisplayCell(table, cell, indexPath);
    }
    cell->layoutIfNeeded();
  }
  if (reorderRow_)
    if (auto dragged = cellForRowAtIndexPath(*reorderRow_)) bringSubviewToFront(dragged);
  // The cell's own layout may have added views; the actions stay on top of them.
  if (swipedCell_)
    for (auto& view : swipeActionViews_) swipedCell_->bringSubviewToFront(view);
}

std::shared_ptr<UIView> UITableView::makeDefaultHeaderFooter(const std::string& title, bool header) const {
  CGFloat width = bounds().size.width - 2 * cellInset();
  auto label = alloc<UILabel>()->initWithFrame(CGRectMake(0, 0, width, header ? kTitledHeaderHeight : 20));
  label->setFont(UIFont::systemFontOfSize(header ? 13 : kFooterFontSize));
  label->setTextColor(UIColor::secondaryLabelColor());
  label->setNumberOfLines(header ? 1 : 0);
  label->setText(title);
  return label;
}

void UITableView::layoutSupplementaryViews() {
  auto table = tableOf(*this);
  auto delegate = this->delegate();
  CGFloat top = contentOffset().y;
  CGFloat bottom = top + bounds().size.height;
  for (long s = 0; s < numberOfSections(); ++s) {
    const Section& section = sections_[static_cast<std::size_t>(s)];
    CGRect headerRect = rectForHeaderInSection(s);
    CGRect footerRect = rectForFooterInSection(s);
    bool headerVisible = headerRect.size.height > 0 && CGRectGetMaxY(headerRect) > top && headerRect.origin.y < bottom;
    bool footerVisible = footerRect.size.height > 0 && CGRectGetMaxY(footerRect) > top && footerRect.origin.y < bottom;
    if (headerVisible && !headerViews_.count(s)) {
      auto view = delegate ? delegate->viewForHeaderInSection(table, s) : nullptr;
      if (!view && section.headerTitle && !section.headerTitle->empty())
        view = makeDefaultHeaderFooter(*section.headerTitle, true);
      if (view) {
        headerViews_[s] = {view, view->frame()};
        addSubview(view);
      }
    }
    if (footerVisible && !footerViews_.count(s)) {
      auto view = delegate ? delegate->viewForFooterInSection(table, s) : nullptr;
      if (!view && section.footerTitle && !section.footerTitle->empty())
        view = makeDefaultHeaderFooter(*section.footerTitle, false);
      if (view) {
        footerViews_[s] = {view, view->frame()};
        addSubview(view);
      }
    }
    // A header or footer view keeps the horizontal place and width its maker gave
    // it (a header within its section); its height is the one the table reserved,
    // as the platform sizes them.
    if (auto found = headerViews_.find(s); found != headerViews_.end()) {
      CGRect own = found->second.ownFrame;
      found->second.view->setFrame(CGRectMake(headerRect.origin.x + std::max<CGFloat>(0, own.origin.x),
                                              headerRect.origin.y, std::min(own.size.width, headerRect.size.width),
                                              headerRect.size.height));
    }
    if (auto found = footerViews_.find(s); found != footerViews_.end()) {
      CGRect own = found->second.ownFrame;
      found->second.view->setFrame(
          CGRectMake(own.origin.x, footerRect.origin.y, own.size.width, footerRect.size.height));
    }
  }
}

// ---------------------------------------------------------------------------
// Selection and editing

void UITableView::selectRowAtIndexPath(const std::optional<NSIndexPath>& indexPath, bool animated,
                                       UITableViewScrollPosition position) {
  if (selected_)
    if (auto cell = cellForRowAtIndexPath(*selected_)) cell->setSelected(false, animated);
  selected_ = indexPath;
  if (!indexPath) return;
  if (auto cell = cellForRowAtIndexPath(*indexPath)) cell->setSelected(true, animated);
  if (position != UITableViewScrollPositionNone) scrollToRowAtIndexPath(*indexPath, position, animated);
}

void UITableView::deselectRowAtIndexPath(const NSIndexPath& indexPath, bool animated) {
  if (auto cell = cellForRowAtIndexPath(indexPath)) cell->setSelected(false, animated);
  if (selected_ && *selected_ == indexPath) selected_.reset();
}

void UITableView::scrollToRowAtIndexPath(const NSIndexPath& indexPath, UITableViewScrollPosition position,
                                         bool animated) {
  ensureLoaded();
  CGRect rect = rectForRowAtIndexPath(indexPath);
  if (rect.size.height <= 0) return;
  UIEdgeInsets inset = adjustedContentInset();
  CGFloat visible = bounds().size.height - inset.top - inset.bottom;
  CGFloat y = contentOffset().y;
  switch (position) {
    case UITableViewScrollPositionTop: y = rect.origin.y - inset.top; break;
    case UITableViewScrollPositionMiddle: y = CGRectGetMidY(rect) - inset.top - visible / 2; break;
    case UITableViewScrollPositionBottom: y = CGRectGetMaxY(rect) - inset.top - visible; break;
    default: scrollRectToVisible(rect, animated); return;
  }
  y = std::clamp(y, minimumContentOffset().y, maximumContentOffset().y);
  setContentOffset({contentOffset().x, y}, animated);
}

void UITableView::setEditing(bool editing) { setEditing(editing, false); }

void UITableView::setEditing(bool editing, bool animated) {
  if (editing_ == editing) return;
  editing_ = editing;
  hideSwipeActions();
  for (auto& [indexPath, cell] : visible_) configureCellForEditing(cell, indexPath);
  setNeedsLayout();
}

void UITableView::userSelectRow(const NSIndexPath& indexPath) {
  if (!allowsSelection_ || editing_) return;
  selectRowAtIndexPath(indexPath, false, UITableViewScrollPositionNone);
  if (auto delegate = this->delegate()) delegate->didSelectRowAtIndexPath(tableOf(*this), indexPath);
}

// ---------------------------------------------------------------------------
// Touches: tap to select, vertical drag to scroll, leftward drag to swipe a row,
// drag of a reorder control to move a row.

std::optional<NSIndexPath> UITableView::rowForCellTouch(const std::shared_ptr<UITouch>& touch) const {
  CGPoint point = touch->locationInView(tableOf(*this));
  return indexPathForRowAtPoint(point);
}

bool UITableView::shouldBeginScrolling(CGPoint start, CGPoint current) const {
  return touchMode_ == TouchMode::pending && UIScrollView::shouldBeginScrolling(start, current);
}

void UITableView::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (touches.empty()) return;
  auto touch = touches.front();
  ensureLoaded();
  touchMode_ = TouchMode::none;
  touchRow_.reset();
  // A touch on moving rows stops them; it may drag on, but it selects nothing.
  if (isDecelerating()) {
    touchMode_ = TouchMode::pending;
    UIScrollView::touchesBegan(touches, event);
    return;
  }
  // A touch anywhere but on the shown actions closes them.
  if (swipedRow_) {
    hideSwipeActions();
    return;
  }
  auto row = rowForCellTouch(touch);
  if (row && editing_) {
    if (auto cell = cellForRowAtIndexPath(*row)) {
      auto control = cell->reorderControl();
      if (control && !control->isHidden() && cell->showsReorderControl()) {
        CGPoint inControl = touch->locationInView(control);
        if (CGRectContainsPoint(control->bounds(), inControl)) {
          beginReorder(*row, touch->locationInView(tableOf(*this)));
          return;
        }
      }
    }
  }
  touchMode_ = TouchMode::pending;
  touchRow_ = row;
  UIScrollView::touchesBegan(touches, event);
  if (row && !editing_)
    if (auto cell = cellForRowAtIndexPath(*row))
      if (cell->selectionStyle() != UITableViewCellSelectionStyleNone) cell->setHighlighted(true, false);
}

void UITableView::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (touches.empty()) return;
  auto touch = touches.front();
  CGPoint start = touchStart();
  CGPoint current = touch->locationInView(nullptr);
  switch (touchMode_) {
    case TouchMode::reordering: updateReorder(touch->locationInView(tableOf(*this))); return;
    case TouchMode::swiping: updateSwipe(start.x - current.x); return;
    case TouchMode::scrolling: UIScrollView::touchesMoved(touches, event); return;
    case TouchMode::none: return;
    case TouchMode::pending: break;
  }
  CGFloat dx = current.x - start.x, dy = current.y - start.y;
  bool horizontal = std::abs(dx) > kScrollThreshold && std::abs(dx) > std::abs(dy);
  if (horizontal && dx < 0 && touchRow_ && !editing_) {
    auto delegate = this->delegate();
    auto configuration =
        delegate ? delegate->trailingSwipeActionsConfigurationForRowAtIndexPath(tableOf(*this), *touchRow_) : nullptr;
    if (configuration && !configuration->actions().empty()) {
      if (auto cell = cellForRowAtIndexPath(*touchRow_)) cell->setHighlighted(false, false);
      swipeConfiguration_ = configuration;
      touchMode_ = TouchMode::swiping;
      beginSwipe(*touchRow_);
      updateSwipe(-dx);
      return;
    }
  }
  if (std::abs(dy) > kScrollThreshold || horizontal) {
    if (touchRow_)
      if (auto cell = cellForRowAtIndexPath(*touchRow_)) cell->setHighlighted(false, false);
    if (std::abs(dy) > kScrollThreshold) {
      UIScrollView::touchesMoved(touches, event);
      touchMode_ = isScrollingTouch() ? TouchMode::scrolling : TouchMode::none;
    } else {
      touchMode_ = TouchMode::none;
    }
  }
}

void UITableView::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  TouchMode mode = touchMode_;
  touchMode_ = TouchMode::none;
  switch (mode) {
    case TouchMode::pending:
      if (touchRow_) {
        if (auto cell = cellForRowAtIndexPath(*touchRow_)) cell->setHighlighted(false, false);
        // Rows are re-counted: the row may have gone since the touch began.
        if (touchRow_->section < numberOfSections() && touchRow_->row < numberOfRowsInSection(touchRow_->section))
          userSelectRow(*touchRow_);
      }
      // Rows stopped past an end by this touch spring back.
      UIScrollView::touchesEnded(touches, event);
      break;
    case TouchMode::swiping: endSwipe(); break;
    case TouchMode::reordering: endReorder(false); break;
    case TouchMode::scrolling: UIScrollView::touchesEnded(touches, event); break;
    case TouchMode::none: UIScrollView::touchesEnded(touches, event); break;
  }
  touchRow_.reset();
}

void UITableView::touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  TouchMode mode = touchMode_;
  touchMode_ = TouchMode::none;
  if (touchRow_)
    if (auto cell = cellForRowAtIndexPath(*touchRow_)) cell->setHighlighted(false, false);
  if (mode == TouchMode::swiping) hideSwipeActions();
  if (mode == TouchMode::reordering) endReorder(true);
  if (mode == TouchMode::scrolling || mode == TouchMode::pending || mode == TouchMode::none)
    UIScrollView::touchesCancelled(touches, event);
  touchRow_.reset();
}

void UITableView::willBeginUserScrolling() { hideSwipeActions(); }

// ---------------------------------------------------------------------------
// Swipe actions

void UITableView::beginSwipe(const NSIndexPath& indexPath) {
  auto cell = cellForRowAtIndexPath(indexPath);
  if (!cell) return;
  swipedRow_ = indexPath;
  swipeOffset_ = 0;
  swipedCell_ = cell;
  // The cell is the row's place in its group: what slides out of it is cut off at
  // its (rounded) edge, and the actions show inside it.
  swipedCellClipped_ = cell->clipsToBounds();
  cell->setClipsToBounds(true);
  auto self = tableOf(*this);
  const auto& actions = swipeConfiguration_->actions();
  for (std::size_t i = 0; i < actions.size(); ++i) {
    auto button = alloc<SwipeActionButton>();
    button->initWithFrame(CGRectZero);
    button->setBackgroundColor(actions[i]->backgroundColor());
    button->setTitle(actions[i]->title(), UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    if (auto image = actions[i]->image()) {
      button->setImage(image, UIControlStateNormal);
      button->imageView()->setTintColor(UIColor::whiteColor());
    }
    button->setTag(static_cast<long>(i));
    button->addTarget(self, "swipeActionTapped:", UIControlEventTouchUpInside);
    cell->addSubview(button);
    swipeActionViews_.push_back(button);
  }
  layoutSwipeActions();
}

void UITableView::updateSwipe(CGFloat distance) {
  CGFloat width = swipedCell_ ? swipedCell_->bounds().size.width : bounds().size.width;
  swipeOffset_ = std::clamp<CGFloat>(distance, 0, width);
  layoutSwipeActions();
}

void UITableView::layoutSwipeActions() {
  if (!swipedCell_) return;
  // The content slides left by the swipe (the cell's bounds origin moves right);
  // the strip it uncovers at the trailing end is shared by the actions, the first
  // outermost.
  CGSize size = swipedCell_->bounds().size;
  swipedCell_->setBounds(CGRectMake(swipeOffset_, 0, size.width, size.height));
  if (swipeActionViews_.empty()) return;
  CGFloat width = swipeOffset_ / static_cast<CGFloat>(swipeActionViews_.size());
  for (std::size_t i = 0; i < swipeActionViews_.size(); ++i) {
    CGFloat x = size.width + swipeOffset_ - width * static_cast<CGFloat>(i + 1);
    swipeActionViews_[i]->setFrame(CGRectMake(x, 0, width, size.height));
  }
}

void UITableView::endSwipe() {
  if (!swipedRow_ || !swipeConfiguration_) return;
  CGFloat actionsWidth = kSwipeActionWidth * static_cast<CGFloat>(swipeConfiguration_->actions().size());
  CGFloat rowWidth = rectForRowAtIndexPath(*swipedRow_).size.width;
  if (swipeConfiguration_->performsFirstActionWithFullSwipe() && swipeOffset_ >= rowWidth * kFullSwipeFraction) {
    performSwipeAction(0);
  } else if (swipeOffset_ >= actionsWidth / 2) {
    updateSwipe(actionsWidth);
  } else {
    hideSwipeActions();
  }
}

void UITableView::performSwipeAction(std::size_t index) {
  if (!swipeConfiguration_ || index >= swipeConfiguration_->actions().size()) return;
  auto action = swipeConfiguration_->actions()[index];
  auto source = index < swipeActionViews_.size() ? swipeActionViews_[index] : nullptr;
  std::weak_ptr<UITableView> weak = tableOf(*this);
  auto shownRow = swipedRow_;
  // The handler's completion closes the actions; a handler that never calls it
  // leaves them until the next touch or reload.
  auto completion = [weak, shownRow](bool) {
    if (auto table = weak.lock(); table && table->swipedRow_ == shownRow) table->hideSwipeActions();
  };
  if (action->handler()) action->handler()(action, source, completion);
}

void UITableView::swipeActionTapped(const std::shared_ptr<UIButton>& sender) {
  if (sender) performSwipeAction(static_cast<std::size_t>(std::max(0L, sender->tag())));
}

void UITableView::hideSwipeActions() {
  auto views = std::move(swipeActionViews_);
  swipeActionViews_.clear();
  for (auto& view : views) view->removeFromSuperview();
  if (auto cell = std::move(swipedCell_)) {
    CGSize size = cell->bounds().size;
    cell->setBounds(CGRectMake(0, 0, size.width, size.height));
    cell->setClipsToBounds(swipedCellClipped_);
  }
  swipedCell_.reset();
  swipedRow_.reset();
  swipeConfiguration_.reset();
  swipeOffset_ = 0;
}

// ---------------------------------------------------------------------------
// Reordering

void UITableView::beginReorder(const NSIndexPath& indexPath, CGPoint point) {
  touchMode_ = TouchMode::reordering;
  reorderRow_ = indexPath;
  reorderTarget_ = indexPath;
  reorderGrabOffset_ = point.y - rectForRowAtIndexPath(indexPath).origin.y;
}

NSIndexPath UITableView::proposedReorderDestination(CGPoint point) const {
  // The place whose row the dragged row's centre is over, counted as if the
  // dragged row had already left its place.
  const NSIndexPath source = *reorderRow_;
  CGFloat height = rectForRowAtIndexPath(source).size.height;
  CGFloat centre = point.y - reorderGrabOffset_ + height / 2;
  for (long s = 0; s < numberOfSections(); ++s) {
    const Section& section = sections_[static_cast<std::size_t>(s)];
    CGFloat rowsTop = section.top + section.headerHeight;
    CGFloat rowsBottom = rowsTop + section.rowOffsets.back();
    bool last = s == numberOfSections() - 1;
    if (centre >= rowsBottom + section.footerHeight && !last) continue;
    long rows = section.rows - (s == source.section ? 1 : 0);
    long target = 0;
    for (long r = 0; r < section.rows; ++r) {
      if (s == source.section && r == source.row) continue;
      CGRect rect = rectForRowAtIndexPath({s, r});
      if (centre > CGRectGetMidY(rect)) ++target;
    }
    return {s, std::clamp<long>(target, 0, std::max<long>(0, rows))};
  }
  return source;
}

void UITableView::updateReorder(CGPoint point) {
  if (!reorderRow_) return;
  NSIndexPath proposed = proposedReorderDestination(point);
  NSIndexPath target = proposed;
  if (auto delegate = this->delegate())
    if (auto redirected = delegate->targetIndexPathForMoveFromRowAtIndexPath(tableOf(*this), *reorderRow_, proposed))
      target = *redirected;
  reorderTarget_ = target;
  if (auto cell = cellForRowAtIndexPath(*reorderRow_)) {
    CGRect frame = cell->frame();
    frame.origin.y = point.y - reorderGrabOffset_;
    cell->setFrame(frame);
  }
  for (auto& [indexPath, cell] : visible_)
    if (indexPath != *reorderRow_) cell->setFrame(cellFrame(indexPath));
}

void UITableView::endReorder(bool cancelled) {
  if (!reorderRow_) return;
  NSIndexPath source = *reorderRow_;
  NSIndexPath target = reorderTarget_.value_or(source);
  reorderRow_.reset();
  reorderTarget_.reset();
  if (!cancelled)
    if (auto dataSource = this->dataSource()) dataSource->moveRowAtIndexPath(tableOf(*this), source, target);
  // The table's own rows follow the move: everything is asked again.
  reloadData();
}
