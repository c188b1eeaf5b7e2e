#pragma once
// The bar at the top of a navigation controller: the top item's title (large when
// asked for), its bar button items, a back button, and the search field of an item
// that has a search controller.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationBarAppearance.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIView.h"

#include <memory>
#include <vector>

class UINavigationController;

class UINavigationBar : public UIView {
  KAVRO_OBJC_CLASS(UINavigationBar)
 public:
  static constexpr CGFloat kStandardHeight = 44;
  static constexpr CGFloat kLargeTitleHeight = 52;
  static constexpr CGFloat kSearchFieldHeight = 52;
  static constexpr CGFloat kEdgeMargin = 16;
  static constexpr CGFloat kItemSpacing = 8;

  UINavigationBar();

  bool prefersLargeTitles() const { return prefersLargeTitles_; }
  void setPrefersLargeTitles(bool prefers);

  const std::vector<std::shared_ptr<UINavigationItem>>& items() const { return items_; }
  void setItems(const std::vector<std::shared_ptr<UINavigationItem>>& items);
  std::shared_ptr<UINavigationItem> topItem() const { return items_.empty() ? nullptr : items_.back(); }
  std::shared_ptr<UINavigationItem> backItem() const {
    return items_.size() < 2 ? nullptr : items_[items_.size() - 2];
  }

  std::shared_ptr<UINavigationBarAppearance> standardAppearance() const { return standardAppearance_; }
  void setStandardAppearance(const std::shared_ptr<UINavigationBarAppearance>& appearance) {
    standardAppearance_ = appearance;
  }
  // The appearance in force: the top item's, else the bar's own, else nullptr.
  std::shared_ptr<UINavigationBarAppearance> effectiveAppearance() const;

  // Whether the top item shows its title large.
  bool showsLargeTitle() const;
  // Whether the top item's search field is folded away (its page scrolled down).
  bool isSearchFieldCollapsed() const { return searchFieldCollapsed_; }
  void setSearchFieldCollapsed(bool collapsed);
  // Whether the bar shows a search field now.
  bool showsSearchField() const;
  // The height the bar takes for its top item.
  CGFloat barHeight() const;
  CGSize sizeThatFits(CGSize size) const override;
  void layoutSubviews() override;

  // The views the bar shows now, for renderers and queries.
  std::shared_ptr<UILabel> titleLabel() const { return titleLabel_; }
  std::shared_ptr<UILabel> largeTitleLabel() const { return largeTitleLabel_; }
  std::shared_ptr<UIButton> backButton() const { return backButton_; }

  void setNavigationController(const std::shared_ptr<UINavigationController>& controller) {
    navigationController_ = controller;
  }
  // Called by an item whose content changed.
  void itemDidChange(const UINavigationItem& item);

 private:
  void backButtonTapped(const std::shared_ptr<UIButton>& sender);
  // Lays the bar out anew for its top item: back button, left and right items,
  // title, search field.
  void rebuild();
  void removeItemViews();
  // Each returns the edge the title must keep clear of.
  CGFloat placeBackButton();
  // From `edge` inwards: rightwards for the leading items, leftwards for the trailing.
  CGFloat placeBarButtonItems(const std::vector<std::shared_ptr<UIBarButtonItem>>& items, CGFloat edge,
                              bool leading);
  void placeTitle(const UINavigationItem& item, CGFloat leadingEdge, CGFloat trailingEdge);
  void placeSearchField(const std::shared_ptr<UINavigationItem>& item);

  bool prefersLargeTitles_ = false;
  bool searchFieldCollapsed_ = false;
  std::vector<std::shared_ptr<UINavigationItem>> items_;
  std::shared_ptr<UINavigationBarAppearance> standardAppearance_;
  std::shared_ptr<UILabel> titleLabel_;
  std::shared_ptr<UILabel> largeTitleLabel_;
  std::shared_ptr<UIButton> backButton_;
  std::vector<std::shared_ptr<UIView>> itemViews_;
  std::weak_ptr<UINavigationController> navigationController_;
};
