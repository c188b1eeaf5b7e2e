#include "platform/uikit/UIImageView.h"

#include "platform/objc/Class.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIImageView, UIView, )

UIImageView::UIImageView() { setUserInteractionEnabled(false); }

std::shared_ptr<UIImageView> UIImageView::initWithImage(const std::shared_ptr<UIImage>& image) {
  CGSize size = image ? image->size() : CGSizeZero;
  initWithFrame(CGRectMake(0, 0, size.width, size.height));
  image_ = image;
  return self<UIImageView>();
}

CGRect UIImageView::imageRect() const {
  CGRect area = bounds();
  if (!image_ || image_->size().width <= 0 || image_->size().height <= 0) return area;
  CGSize size = image_->size();
  switch (contentMode()) {
    case UIViewContentModeScaleAspectFit:
    case UIViewContentModeScaleAspectFill: {
      CGFloat sx = area.size.width / size.width, sy = area.size.height / size.height;
      CGFloat s = contentMode() == UIViewContentModeScaleAspectFit ? std::min(sx, sy) : std::max(sx, sy);
      CGSize drawn{size.width * s, size.height * s};
      return CGRectMake(area.origin.x + (area.size.width - drawn.width) / 2,
                        area.origin.y + (area.size.height - drawn.height) / 2, drawn.width, drawn.height);
    }
    case UIViewContentModeCenter:
      return CGRectMake(area.origin.x + (area.size.width - size.width) / 2,
                        area.origin.y + (area.size.height - size.height) / 2, size.width, size.height);
    default: return area;
  }
}

CGSize UIImageView::sizeThatFits(CGSize) const { return image_ ? image_->size() : CGSizeZero; }

CGSize UIImageView::intrinsicContentSize() const {
  return image_ ? image_->size() : CGSize{-1, -1};
}
