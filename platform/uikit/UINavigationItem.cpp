#include "platform/uikit/UINavigationItem.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationBarAppearance.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UINavigationItem, NSObject, )

std::shared_ptr<UINavigationItem> UINavigationItem::initWithTitle(const std::string& title) {
  title_ = title;
  return self<UINavigationItem>();
}

void UINavigationItem::changed() {
  if (auto bar = navigationBar()) bar->itemDidChange(*this);
}

void UINavigationItem::setTitle(const std::string& title) {
  title_ = title;
  changed();
}

void UINavigationItem::setLeftBarButtonItems(const std::vector<std::shared_ptr<UIBarButtonItem>>& items) {
  left_ = items;
  changed();
}

void UINavigationItem::setRightBarButtonItems(const std::vector<std::shared_ptr<UIBarButtonItem>>& items) {
  right_ = items;
  changed();
}

void UINavigationItem::setLeftBarButtonItem(const std::shared_ptr<UIBarButtonItem>& item) {
  setLeftBarButtonItems(item ? std::vector{item} : std::vector<std::shared_ptr<UIBarButtonItem>>{});
}

void UINavigationItem::setRightBarButtonItem(const std::shared_ptr<UIBarButtonItem>& item) {
  setRightBarButtonItems(item ? std::vector{item} : std::vector<std::shared_ptr<UIBarButtonItem>>{});
}

void UINavigationItem::setHidesBackButton(bool hides) {
  hidesBackButton_ = hides;
  changed();
}

void UINavigationItem::setLargeTitleDisplayMode(UINavigationItemLargeTitleDisplayMode mode) {
  largeTitleDisplayMode_ = mode;
  changed();
}

void UINavigationItem::setSearchController(const std::shared_ptr<UISearchController>& controller) {
  searchController_ = controller;
  changed();
}

void UINavigationItem::setStandardAppearance(const std::shared_ptr<UINavigationBarAppearance>& appearance) {
  standardAppearance_ = appearance;
  changed();
}

void UINavigationItem::setScrollEdgeAppearance(const std::shared_ptr<UINavigationBarAppearance>& appearance) {
  scrollEdgeAppearance_ = appearance;
  changed();
}

void UINavigationItem::setCompactAppearance(const std::shared_ptr<UINavigationBarAppearance>& appearance) {
  compactAppearance_ = appearance;
  changed();
}
