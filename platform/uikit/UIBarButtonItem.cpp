#include "platform/uikit/UIBarButtonItem.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIButton.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIBarButtonItem, NSObject, )

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::initWithCustomView(const std::shared_ptr<UIView>& view) {
  customView_ = view;
  return self<UIBarButtonItem>();
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItem item,
                                                                               const id& target,
                                                                               const SEL& action) {
  systemItem_ = item;
  target_ = target;
  action_ = action;
  switch (item) {
    case UIBarButtonSystemItemDone: title_ = "Done"; break;
    case UIBarButtonSystemItemCancel: title_ = "Cancel"; break;
    case UIBarButtonSystemItemEdit: title_ = "Edit"; break;
    case UIBarButtonSystemItemSave: title_ = "Save"; break;
    // The catalogue's plus: it has no bare "plus", which would give no picture.
    case UIBarButtonSystemItemAdd: image_ = UIImage::systemImageNamed("plus.circle.fill"); break;
    default: break;
  }
  return self<UIBarButtonItem>();
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::initWithTitle(const std::string& title, UIBarButtonItemStyle,
                                                                 const id& target, const SEL& action) {
  title_ = title;
  target_ = target;
  action_ = action;
  return self<UIBarButtonItem>();
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::initWithImage(const std::shared_ptr<UIImage>& image,
                                                                 UIBarButtonItemStyle, const id& target,
                                                                 const SEL& action) {
  image_ = image;
  target_ = target;
  action_ = action;
  return self<UIBarButtonItem>();
}

void UIBarButtonItem::setTintColor(const std::shared_ptr<UIColor>& color) {
  tintColor_ = color;
  if (barView_) barView_->setTintColor(color);
}

std::shared_ptr<UIView> UIBarButtonItem::barView() {
  if (barView_) return barView_;
  if (isFixedSpace() || systemItem_ == UIBarButtonSystemItemFlexibleSpace) return nullptr;
  if (customView_) {
    // The wrapper carries the item's tint, which the custom view inherits.
    CGRect frame = customView_->frame();
    barView_ = alloc<UIView>()->initWithFrame(CGRectMake(0, 0, frame.size.width, frame.size.height));
    customView_->removeFromSuperview();
    customView_->setFrame(CGRectMake(0, 0, frame.size.width, frame.size.height));
    barView_->addSubview(customView_);
  } else {
    auto button = UIButton::buttonWithType(UIButtonTypeSystem);
    if (image_) button->setImage(image_, UIControlStateNormal);
    if (!title_.empty()) button->setTitle(title_, UIControlStateNormal);
    if (!action_.isNull()) button->addTarget(target_.lock(), action_, UIControlEventTouchUpInside);
    button->sizeToFit();
    CGRect frame = button->frame();
    button->setFrame(CGRectMake(0, 0, std::max<CGFloat>(frame.size.width, 30), 30));
    barView_ = button;
  }
  barView_->setTintColor(tintColor_);
  return barView_;
}
