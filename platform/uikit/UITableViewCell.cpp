#include "platform/uikit/UITableViewCell.h"

#include "platform/objc/Class.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UITableViewCell, UIView, )

namespace {
constexpr CGFloat kContentMargin = 16;
constexpr CGFloat kAccessorySize = 14;
constexpr CGFloat kEditingControlWidth = 38;
constexpr CGFloat kDetailFontSize = 12;
}  // namespace

UITableViewCell::UITableViewCell() = default;

std::shared_ptr<UITableViewCell> UITableViewCell::initWithStyle(UITableViewCellStyle style,
                                                                const std::string& reuseIdentifier) {
  UIView::initWithFrame(CGRectMake(0, 0, 320, 44));
  style_ = style;
  reuseIdentifier_ = reuseIdentifier;
  setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
  contentView_ = alloc<UIView>()->initWithFrame(bounds());
  addSubview(contentView_);
  imageView_ = alloc<UIImageView>()->initWithImage(nullptr);
  imageView_->setContentMode(UIViewContentModeScaleAspectFit);
  contentView_->addSubview(imageView_);
  textLabel_ = alloc<UILabel>()->initWithFrame(CGRectZero);
  contentView_->addSubview(textLabel_);
  if (style != UITableViewCellStyleDefault) {
    detailTextLabel_ = alloc<UILabel>()->initWithFrame(CGRectZero);
    if (style == UITableViewCellStyleSubtitle) {
      detailTextLabel_->setFont(UIFont::systemFontOfSize(kDetailFontSize));
      detailTextLabel_->setTextColor(UIColor::labelColor());
    } else {
      detailTextLabel_->setTextColor(UIColor::secondaryLabelColor());
    }
    contentView_->addSubview(detailTextLabel_);
  }
  return self<UITableViewCell>();
}

void UITableViewCell::setAccessoryType(UITableViewCellAccessoryType type) {
  accessoryType_ = type;
  if (accessoryImageView_) {
    accessoryImageView_->removeFromSuperview();
    accessoryImageView_ = nullptr;
  }
  const char* symbol = type == UITableViewCellAccessoryCheckmark              ? "checkmark"
                       : type == UITableViewCellAccessoryDisclosureIndicator ? "chevron.right"
                                                                              : nullptr;
  if (symbol) {
    accessoryImageView_ = alloc<UIImageView>()->initWithImage(UIImage::systemImageNamed(symbol));
    accessoryImageView_->setContentMode(UIViewContentModeScaleAspectFit);
    if (type == UITableViewCellAccessoryDisclosureIndicator) accessoryImageView_->setTintColor(UIColor::tertiaryLabelColor());
    addSubview(accessoryImageView_);
  }
  setNeedsLayout();
}

void UITableViewCell::setAccessoryView(const std::shared_ptr<UIView>& view) {
  if (accessoryView_) accessoryView_->removeFromSuperview();
  accessoryView_ = view;
  if (view) addSubview(view);
  setNeedsLayout();
}

void UITableViewCell::setSelected(bool selected, bool) { selected_ = selected; }

void UITableViewCell::setHighlighted(bool highlighted, bool) {
  highlighted_ = highlighted;
  if (textLabel_) textLabel_->setHighlighted(highlighted);
  if (detailTextLabel_) detailTextLabel_->setHighlighted(highlighted);
}

void UITableViewCell::setEditing(bool editing, bool) {
  if (editing_ == editing) return;
  editing_ = editing;
  setNeedsLayout();
}

void UITableViewCell::setShowsReorderControl(bool shows) {
  showsReorderControl_ = shows;
  setNeedsLayout();
}

std::shared_ptr<UIListContentConfiguration> UITableViewCell::defaultContentConfiguration() const {
  auto configuration = style_ == UITableViewCellStyleSubtitle ? UIListContentConfiguration::subtitleCellConfiguration()
                                                              : UIListContentConfiguration::cellConfiguration();
  return configuration;
}

void UITableViewCell::setContentConfiguration(const std::shared_ptr<UIListContentConfiguration>& configuration) {
  contentConfiguration_ = configuration ? configuration->copy() : nullptr;
  if (!configuration) return;
  // The configuration takes over the content: image, text and secondary text.
  imageView_->setImage(configuration->image());
  textLabel_->setText(configuration->text());
  textLabel_->setTextColor(configuration->textProperties().color);
  textLabel_->setNumberOfLines(configuration->textProperties().numberOfLines);
  if (detailTextLabel_) {
    detailTextLabel_->setText(configuration->secondaryText());
    detailTextLabel_->setTextColor(configuration->secondaryTextProperties().color);
    detailTextLabel_->setNumberOfLines(configuration->secondaryTextProperties().numberOfLines);
  }
  setNeedsLayout();
}

void UITableViewCell::prepareForReuse() {
  setHighlighted(false, false);
  setSelected(false, false);
  setAccessoryType(UITableViewCellAccessoryNone);
}

void UITableViewCell::setGroupedCorners(bool top, bool bottom) {
  topCorners_ = top;
  bottomCorners_ = bottom;
  layer()->setCornerRadius(top || bottom ? 10 : 0);
  unsigned long corners = 0;
  if (top) corners |= kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner;
  if (bottom) corners |= kCALayerMinXMaxYCorner | kCALayerMaxXMaxYCorner;
  layer()->setMaskedCorners(corners ? corners : kCALayerAllCorners);
}

void UITableViewCell::layoutSubviews() {
  UIView::layoutSubviews();
  CGRect area = bounds();
  CGFloat left = 0;
  bool editingControl = editing_ && editingStyle_ != UITableViewCellEditingStyleNone;
  if (editing_ && shouldIndentWhileEditing_ && editingControl) left += kEditingControlWidth;
  // Trailing: the reorder control in editing mode, else the accessory.
  CGFloat right = layoutAccessory(layoutReorderControl(area.size.width));
  contentView_->setFrame(CGRectMake(left, 0, std::max<CGFloat>(0, right - left), area.size.height));
  // Content: the image, then the labels in the layout of the style.
  CGRect content = contentView_->bounds();
  layoutLabels(content, layoutImage(content));
}

CGFloat UITableViewCell::layoutReorderControl(CGFloat right) {
  if (!(editing_ && showsReorderControl_)) {
    if (reorderControl_) reorderControl_->setHidden(true);
    return right;
  }
  if (!reorderControl_) {
    reorderControl_ = alloc<UIImageView>()->initWithImage(UIImage::systemImageNamed("line.3.horizontal"));
    reorderControl_->setContentMode(UIViewContentModeCenter);
    reorderControl_->setTintColor(UIColor::systemGrayColor());
    reorderControl_->setUserInteractionEnabled(true);
    addSubview(reorderControl_);
  }
  reorderControl_->setHidden(false);
  reorderControl_->setFrame(CGRectMake(right - kReorderControlWidth, 0, kReorderControlWidth, bounds().size.height));
  return right - kReorderControlWidth;
}

CGFloat UITableViewCell::layoutAccessory(CGFloat right) {
  bool showAccessory = !(editing_ && showsReorderControl_);
  CGFloat height = bounds().size.height;
  if (accessoryView_) {
    accessoryView_->setHidden(!showAccessory);
    if (!showAccessory) return right;
    CGSize size = accessoryView_->frame().size;
    accessoryView_->setFrame(
        CGRectMake(right - kContentMargin - size.width, (height - size.height) / 2, size.width, size.height));
    return right - (kContentMargin + size.width);
  }
  if (accessoryImageView_) {
    accessoryImageView_->setHidden(!showAccessory);
    if (!showAccessory) return right;
    accessoryImageView_->setFrame(CGRectMake(right - kContentMargin - kAccessorySize, (height - kAccessorySize) / 2,
                                             kAccessorySize, kAccessorySize));
    return right - (kContentMargin + kAccessorySize);
  }
  return right;
}

CGFloat UITableViewCell::layoutImage(CGRect content) {
  CGFloat x = kContentMargin;
  auto image = imageView_->image();
  if (!image) {
    imageView_->setFrame(CGRectZero);
    return x;
  }
  // Scaled down (never up) to leave 8 points above and below.
  CGFloat limit = std::max<CGFloat>(0, content.size.height - 16);
  CGSize size = image->size();
  CGFloat scale = std::min<CGFloat>(1, std::min(limit / std::max<CGFloat>(1, size.width),
                                                limit / std::max<CGFloat>(1, size.height)));
  CGSize drawn{size.width * scale, size.height * scale};
  imageView_->setFrame(CGRectMake(x, (content.size.height - drawn.height) / 2, drawn.width, drawn.height));
  return x + (drawn.width + kContentMargin);
}

void UITableViewCell::layoutLabels(CGRect content, CGFloat x) {
  CGFloat width = std::max<CGFloat>(0, content.size.width - x - kContentMargin);
  CGFloat titleHeight = textLabel_->sizeThatFits({width, 0}).height;
  if (style_ == UITableViewCellStyleSubtitle && detailTextLabel_ && !detailTextLabel_->text().empty()) {
    // The title over the detail, the two centred together.
    CGFloat detailHeight = detailTextLabel_->sizeThatFits({width, 0}).height;
    CGFloat top = (content.size.height - titleHeight - detailHeight) / 2;
    textLabel_->setFrame(CGRectMake(x, top, width, titleHeight));
    detailTextLabel_->setFrame(CGRectMake(x, top + titleHeight, width, detailHeight));
  } else if (style_ == UITableViewCellStyleValue1 && detailTextLabel_) {
    // The detail at the trailing end, in at most half the width.
    CGSize detail = detailTextLabel_->sizeThatFits({width / 2, 0});
    textLabel_->setFrame(CGRectMake(x, (content.size.height - titleHeight) / 2, width - detail.width - 8, titleHeight));
    detailTextLabel_->setFrame(CGRectMake(x + width - detail.width, (content.size.height - detail.height) / 2,
                                          detail.width, detail.height));
  } else {
    textLabel_->setFrame(CGRectMake(x, (content.size.height - titleHeight) / 2, width, titleHeight));
    if (detailTextLabel_) detailTextLabel_->setFrame(CGRectZero);
  }
}

std::string UITableViewCell::accessibilityLabel() const {
  if (auto label = explicitAccessibilityLabel()) return *label;
  std::string label;
  for (auto& part : {textLabel_, detailTextLabel_}) {
    if (!part || part->isHidden() || part->text().empty()) continue;
    if (!label.empty()) label += ", ";
    label += part->text();
  }
  return label;
}

UIAccessibilityTraits UITableViewCell::accessibilityTraits() const {
  if (auto traits = explicitAccessibilityTraits()) return *traits;
  return accessoryType_ == UITableViewCellAccessoryCheckmark ? UIAccessibilityTraitSelected : UIAccessibilityTraitNone;
}
