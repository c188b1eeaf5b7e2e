#pragma once
// A view that shows an image, fitted by its content mode and drawn in its tint when
// the image is a template.

#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

#include <memory>

class UIImageView : public UIView {
  KAVRO_OBJC_CLASS(UIImageView)
 public:
  UIImageView();
  std::shared_ptr<UIImageView> initWithFrame(CGRect frame) {
    UIView::initWithFrame(frame);
    return self<UIImageView>();
  }
  std::shared_ptr<UIImageView> initWithImage(const std::shared_ptr<UIImage>& image);

  std::shared_ptr<UIImage> image() const { return image_; }
  void setImage(const std::shared_ptr<UIImage>& image) { image_ = image; }

  // Where the image is drawn inside the bounds, by the content mode.
  CGRect imageRect() const;
  CGSize sizeThatFits(CGSize size) const override;
  CGSize intrinsicContentSize() const override;

 private:
  std::shared_ptr<UIImage> image_;
};
