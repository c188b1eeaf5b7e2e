#pragma once
// Items of a navigation bar: a custom view, a title or image with a target and
// action, or a system item such as a fixed space of a given width.

#include "platform/objc/NSObject.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIImage.h"

#include <memory>
#include <string>

class UIView;

enum UIBarButtonSystemItem : long {
  UIBarButtonSystemItemDone = 0,
  UIBarButtonSystemItemCancel = 1,
  UIBarButtonSystemItemEdit = 2,
  UIBarButtonSystemItemSave = 3,
  UIBarButtonSystemItemAdd = 4,
  UIBarButtonSystemItemFlexibleSpace = 5,
  UIBarButtonSystemItemFixedSpace = 6,
};

enum UIBarButtonItemStyle : long {
  UIBarButtonItemStylePlain = 0,
  UIBarButtonItemStyleDone = 2,
};

class UIBarButtonItem : public NSObject {
  KAVRO_OBJC_CLASS(UIBarButtonItem)
 public:
  std::shared_ptr<UIBarButtonItem> initWithCustomView(const std::shared_ptr<UIView>& view);
  std::shared_ptr<UIBarButtonItem> initWithBarButtonSystemItem(UIBarButtonSystemItem item, const id& target,
                                                               const SEL& action);
  std::shared_ptr<UIBarButtonItem> initWithTitle(const std::string& title, UIBarButtonItemStyle style,
                                                 const id& target, const SEL& action);
  std::shared_ptr<UIBarButtonItem> initWithImage(const std::shared_ptr<UIImage>& image,
                                                 UIBarButtonItemStyle style, const id& target,
                                                 const SEL& action);

  std::shared_ptr<UIView> customView() const { return customView_; }
  const std::string& title() const { return title_; }
  std::shared_ptr<UIImage> image() const { return image_; }
  std::shared_ptr<UIColor> tintColor() const { return tintColor_; }
  void setTintColor(const std::shared_ptr<UIColor>& color);
  CGFloat width() const { return width_; }
  void setWidth(CGFloat width) { width_ = width; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  id target() const { return target_.lock(); }
  const SEL& action() const { return action_; }
  bool isSystemItem() const { return systemItem_ >= 0; }
  UIBarButtonSystemItem systemItem() const { return static_cast<UIBarButtonSystemItem>(systemItem_); }
  bool isFixedSpace() const { return systemItem_ == UIBarButtonSystemItemFixedSpace; }

  // The view the bar shows for this item, made on first use: the custom view
  // inside a wrapper that carries the item's tint, or a button for title, image and
  // system items.
  std::shared_ptr<UIView> barView();

 private:
  std::shared_ptr<UIView> customView_;
  std::shared_ptr<UIView> barView_;
  std::string title_;
  std::shared_ptr<UIImage> image_;
  std::shared_ptr<UIColor> tintColor_;
  CGFloat width_ = 0;
  bool enabled_ = true;
  std::weak_ptr<NSObject> target_;
  SEL action_;
  long systemItem_ = -1;
};
