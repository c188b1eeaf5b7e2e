#pragma once
// What a page shows in the navigation bar: its title, its bar button items, its
// large-title mode, its search controller and its bar appearances.

#include "platform/objc/NSObject.h"

#include <memory>
#include <string>
#include <vector>

class UIBarButtonItem;
class UINavigationBar;
class UISearchController;
class UINavigationBarAppearance;

enum UINavigationItemLargeTitleDisplayMode : long {
  UINavigationItemLargeTitleDisplayModeAutomatic = 0,
  UINavigationItemLargeTitleDisplayModeAlways = 1,
  UINavigationItemLargeTitleDisplayModeNever = 2,
};

class UINavigationItem : public NSObject {
  KAVRO_OBJC_CLASS(UINavigationItem)
 public:
  std::shared_ptr<UINavigationItem> initWithTitle(const std::string& title);

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title);

  const std::vector<std::shared_ptr<UIBarButtonItem>>& leftBarButtonItems() const { return left_; }
  void setLeftBarButtonItems(const std::vector<std::shared_ptr<UIBarButtonItem>>& items);
  const std::vector<std::shared_ptr<UIBarButtonItem>>& rightBarButtonItems() const { return right_; }
  void setRightBarButtonItems(const std::vector<std::shared_ptr<UIBarButtonItem>>& items);
  std::shared_ptr<UIBarButtonItem> leftBarButtonItem() const { return left_.empty() ? nullptr : left_.front(); }
  void setLeftBarButtonItem(const std::shared_ptr<UIBarButtonItem>& item);
  std::shared_ptr<UIBarButtonItem> rightBarButtonItem() const {
    return right_.empty() ? nullptr : right_.front();
  }
  void setRightBarButtonItem(const std::shared_ptr<UIBarButtonItem>& item);
  bool hidesBackButton() const { return hidesBackButton_; }
  void setHidesBackButton(bool hides);

  UINavigationItemLargeTitleDisplayMode largeTitleDisplayMode() const { return largeTitleDisplayMode_; }
  void setLargeTitleDisplayMode(UINavigationItemLargeTitleDisplayMode mode);

  std::shared_ptr<UISearchController> searchController() const { return searchController_; }
  void setSearchController(const std::shared_ptr<UISearchController>& controller);
  bool hidesSearchBarWhenScrolling() const { return hidesSearchBarWhenScrolling_; }
  void setHidesSearchBarWhenScrolling(bool hides) { hidesSearchBarWhenScrolling_ = hides; }

  std::shared_ptr<UINavigationBarAppearance> standardAppearance() const { return standardAppearance_; }
  void setStandardAppearance(const std::shared_ptr<UINavigationBarAppearance>& appearance);
  std::shared_ptr<UINavigationBarAppearance> scrollEdgeAppearance() const { return scrollEdgeAppearance_; }
  void setScrollEdgeAppearance(const std::shared_ptr<UINavigationBarAppearance>& appearance);
  std::shared_ptr<UINavigationBarAppearance> compactAppearance() const { return compactAppearance_; }
  void setCompactAppearance(const std::shared_ptr<UINavigationBarAppearance>& appearance);

  // The bar that shows this item, if any (a navigation controller's own item is
  // shown by none).
  std::shared_ptr<UINavigationBar> navigationBar() const { return navigationBar_.lock(); }
  void setNavigationBar(const std::shared_ptr<UINavigationBar>& bar) { navigationBar_ = bar; }

 private:
  void changed();
  std::string title_;
  std::vector<std::shared_ptr<UIBarButtonItem>> left_;
  std::vector<std::shared_ptr<UIBarButtonItem>> right_;
  bool hidesBackButton_ = false;
  UINavigationItemLargeTitleDisplayMode largeTitleDisplayMode_ = UINavigationItemLargeTitleDisplayModeAutomatic;
  std::shared_ptr<UISearchController> searchController_;
  bool hidesSearchBarWhenScrolling_ = true;
  std::shared_ptr<UINavigationBarAppearance> standardAppearance_;
  std::shared_ptr<UINavigationBarAppearance> scrollEdgeAppearance_;
  std::shared_ptr<UINavigationBarAppearance> compactAppearance_;
  std::weak_ptr<UINavigationBar> navigationBar_;
};
