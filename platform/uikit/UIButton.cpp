#include "platform/uikit/UIButton.h"

#include "platform/objc/Class.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIButton, UIControl, )

UIButton::UIButton() = default;

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type) {
  auto button = alloc<UIButton>()->initWithFrame(CGRectZero);
  button->buttonType_ = type;
  if (type == UIButtonTypeSystem) button->titleLabel()->setFont(UIFont::systemFontOfSize(17));
  button->refreshContent();
  return button;
}

std::shared_ptr<UIButton> UIButton::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  return self<UIButton>();
}

template <class T>
T UIButton::valueForState(const std::map<unsigned long, T>& values, unsigned long state) {
  auto found = values.find(state);
  if (found != values.end() && found->second != T{}) return found->second;
  // Highlighted+selected and the like fall back to their parts, then to normal.
  for (unsigned long part : {UIControlStateHighlighted, UIControlStateSelected, UIControlStateDisabled}) {
    if (!(state & part)) continue;
    auto partial = values.find(part);
    if (partial != values.end() && partial->second != T{}) return partial->second;
  }
  auto normal = values.find(UIControlStateNormal);
  return normal != values.end() ? normal->second : T{};
}

void UIButton::setTitle(const std::string& title, unsigned long state) {
  titles_[state] = title;
  refreshContent();
}

std::string UIButton::titleForState(unsigned long state) const { return valueForState(titles_, state); }

void UIButton::setTitleColor(const std::shared_ptr<UIColor>& color, unsigned long state) {
  titleColors_[state] = color;
  refreshContent();
}

std::shared_ptr<UIColor> UIButton::titleColorForState(unsigned long state) const {
  auto color = valueForState(titleColors_, state);
  if (color) return color;
  // A system button's title takes the tint; a custom button's defaults to white.
  return buttonType_ == UIButtonTypeSystem ? tintColor() : UIColor::whiteColor();
}

void UIButton::setImage(const std::shared_ptr<UIImage>& image, unsigned long state) {
  images_[state] = image;
  refreshContent();
}

std::shared_ptr<UIImage> UIButton::imageForState(unsigned long state) const {
  return valueForState(images_, state);
}

void UIButton::setBackgroundImage(const std::shared_ptr<UIImage>& image, unsigned long state) {
  backgroundImages_[state] = image;
  refreshContent();
}

std::shared_ptr<UIImage> UIButton::backgroundImageForState(unsigned long state) const {
  return valueForState(backgroundImages_, state);
}

std::shared_ptr<UILabel> UIButton::titleLabel() {
  if (!titleLabel_) {
    titleLabel_ = alloc<UILabel>()->initWithFrame(CGRectZero);
    titleLabel_->setFont(UIFont::systemFontOfSize(15));
    titleLabel_->setTextAlignment(NSTextAlignmentCenter);
    addSubview(titleLabel_);
  }
  return titleLabel_;
}

std::shared_ptr<UIImageView> UIButton::imageView() {
  if (!imageView_) {
    imageView_ = alloc<UIImageView>()->initWithImage(nullptr);
    addSubview(imageView_);
  }
  return imageView_;
}

std::shared_ptr<UIImageView> UIButton::backgroundImageView() {
  if (!backgroundImageView_) {
    backgroundImageView_ = alloc<UIImageView>()->initWithImage(nullptr);
    insertSubview(backgroundImageView_, 0);
  }
  return backgroundImageView_;
}

void UIButton::setImageEdgeInsets(UIEdgeInsets insets) {
  imageEdgeInsets_ = insets;
  setNeedsLayout();
}

void UIButton::setContentEdgeInsets(UIEdgeInsets insets) {
  contentEdgeInsets_ = insets;
  setNeedsLayout();
}

void UIButton::setHighlighted(bool highlighted) {
  UIControl::setHighlighted(highlighted);
  refreshContent();
}

void UIButton::setEnabled(bool enabled) {
  UIControl::setEnabled(enabled);
  refreshContent();
}

void UIButton::setSelected(bool selected) {
  UIControl::setSelected(selected);
  refreshContent();
}

void UIButton::tintColorDidChange() { refreshContent(); }

void UIButton::refreshContent() {
  unsigned long current = state();
  std::string title = titleForState(current);
  if (!title.empty() || titleLabel_) {
    titleLabel()->setText(title);
    titleLabel()->setTextColor(titleColorForState(current));
  }
  auto image = imageForState(current);
  if (image || imageView_) imageView()->setImage(image);
  auto background = backgroundImageForState(current);
  if (background || backgroundImageView_) backgroundImageView()->setImage(background);
  setNeedsLayout();
}

void UIButton::layoutSubviews() {
  UIControl::layoutSubviews();
  CGRect content = UIEdgeInsetsInsetRect(bounds(), contentEdgeInsets_);
  if (backgroundImageView_) backgroundImageView_->setFrame(bounds());
  CGSize imageSize = imageView_ && imageView_->image() ? imageView_->image()->size() : CGSizeZero;
  CGSize titleSize = titleLabel_ ? titleLabel_->sizeThatFits({content.size.width, 0}) : CGSizeZero;
  CGFloat total = imageSize.width + titleSize.width;
  CGFloat x = content.origin.x + (content.size.width - total) / 2;
  if (imageView_) {
    CGRect frame = CGRectMake(x, content.origin.y + (content.size.height - imageSize.height) / 2,
                              imageSize.width, imageSize.height);
    if (!titleLabel_ || titleLabel_->text().empty()) frame = content;
    imageView_->setFrame(UIEdgeInsetsInsetRect(frame, imageEdgeInsets_));
  }
  if (titleLabel_) {
    titleLabel_->setFrame(CGRectMake(x + imageSize.width,
                                     content.origin.y + (content.size.height - titleSize.height) / 2,
                                     std::min(titleSize.width, content.size.width), titleSize.height));
  }
}

CGSize UIButton::sizeThatFits(CGSize size) const {
  CGSize imageSize = imageView_ && imageView_->image() ? imageView_->image()->size() : CGSizeZero;
  CGSize titleSize = titleLabel_ ? titleLabel_->sizeThatFits({0, 0}) : CGSizeZero;
  return {imageSize.width + titleSize.width + contentEdgeInsets_.left + contentEdgeInsets_.right,
          std::max(imageSize.height, titleSize.height) + contentEdgeInsets_.top + contentEdgeInsets_.bottom};
}

std::string UIButton::accessibilityLabel() const {
  if (auto label = explicitAccessibilityLabel()) return *label;
  std::string title = currentTitle();
  if (!title.empty()) return title;
  for (auto image : {currentImage(), currentBackgroundImage()})
    if (image && image->isSymbolImage()) return image->symbolName();
  return "";
}

UIAccessibilityTraits UIButton::accessibilityTraits() const {
  if (auto traits = explicitAccessibilityTraits()) return *traits;
  return UIAccessibilityTraitButton | (isEnabled() ? UIAccessibilityTraitNone : UIAccessibilityTraitNotEnabled);
}
