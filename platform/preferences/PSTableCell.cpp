#include "platform/preferences/PSTableCell.h"

#include "platform/objc/Class.h"
#include "platform/preferences/PSListController.h"
#include "platform/preferences/PreferenceValues.h"
#include "platform/uikit/UIImage.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSTableCell, UITableViewCell, )

namespace {
// How dim the labels of a disabled row are.
constexpr CGFloat kDisabledAlpha = 0.4;
// Room taken by a disclosure indicator or check mark beside the labels.
constexpr CGFloat kAccessoryWidth = 30;
// An icon is drawn at most this high (and as wide, keeping its shape).
constexpr CGFloat kIconLimit = PSTableCell::kMinimumHeight - 16;
// Space between the title and the detail text of a subtitle cell.
constexpr CGFloat kLabelSpacing = 2;
}  // namespace

UITableViewCellStyle PSTableCell::cellStyleForType(PSCellType type) {
  // Rows that show a value beside their title use the value layout.
  if (type == PSCellType::title || type == PSCellType::linkList) return UITableViewCellStyleValue1;
  return UITableViewCellStyleDefault;
}

bool PSTableCell::isSelectableRow(const PSSpecifier& specifier) {
  switch (specifier.cellType()) {
    case PSCellType::group:
    case PSCellType::staticText:
    case PSCellType::title:
    case PSCellType::switchCell:
    case PSCellType::slider:
    case PSCellType::segment: return false;
    default: return !kavro::platform::preferences::booleanFrom(specifier.propertyForKey("isStaticText")).value_or(false);
  }
}

std::shared_ptr<PSTableCell> PSTableCell::initWithStyle(UITableViewCellStyle style, const std::string& reuseIdentifier,
                                                        const std::shared_ptr<PSSpecifier>& specifier) {
  UITableViewCell::initWithStyle(style, reuseIdentifier);
  specifier_ = specifier;
  if (!specifier_) return self<PSTableCell>();
  type_ = specifier_->cellType();
  showDisclosureIfLink();
  // Rows that do nothing when tapped do not light up either; nor do text rows,
  // where a tap goes to the field.
  if (!isSelectableRow(*specifier_) || type_ == PSCellType::editText || type_ == PSCellType::secureEditText)
    setSelectionStyle(UITableViewCellSelectionStyleNone);
  showTitleAndIcon(*specifier_);
  applyTitleColour();
  setCellEnabled(specifier_->isEnabled());
  return self<PSTableCell>();
}

void PSTableCell::refreshCellContentsWithSpecifier(const std::shared_ptr<PSSpecifier>& specifier) {
  if (!specifier) return;
  specifier_ = specifier;
  showTitleAndIcon(*specifier);
  showValueAsDetail(specifier);
  setCellEnabled(specifier->isEnabled());
}

void PSTableCell::showValueAsDetail(const std::shared_ptr<PSSpecifier>& specifier) {
  if (type_ != PSCellType::title && type_ != PSCellType::linkList) return;
  auto detail = detailTextLabel();
  auto controller = listController();
  if (!detail || !controller) return;
  detail->setText(kavro::platform::preferences::detailTextForValue(
      *specifier, kavro::platform::preferences::boundValue(*controller, specifier)));
  setNeedsLayout();
}

void PSTableCell::prepareForReuse() {
  UITableViewCell::prepareForReuse();
  // The table clears the accessory of a cell it hands out again; the cell stays
  // with rows of its own type, so a link row keeps its indicator.
  showDisclosureIfLink();
}

void PSTableCell::setCellEnabled(bool enabled) {
  cellEnabled_ = enabled;
  setUserInteractionEnabled(enabled);
  CGFloat alpha = enabled ? 1 : kDisabledAlpha;
  if (auto label = textLabel()) label->setAlpha(alpha);
  if (auto label = detailTextLabel()) label->setAlpha(alpha);
  if (hasListIcon()) imageView()->setAlpha(alpha);
}

void PSTableCell::tintColorDidChange() {
  UITableViewCell::tintColorDidChange();
  applyTitleColour();
}

bool PSTableCell::hasListIcon() const {
  return specifier_ && specifier_->propertyForKey("icon").isString() && imageView() && imageView()->image();
}

void PSTableCell::layoutSubviews() {
  UITableViewCell::layoutSubviews();
  if (!hasListIcon()) return;
  // The table cell fits pictures within the row; a named icon is drawn at its own
  // size, 29 points square, and the labels move over to make room.
  auto image = imageView();
  CGFloat oldRight = CGRectGetMaxX(image->frame());
  CGFloat height = contentView()->bounds().size.height;
  image->setFrame(CGRectMake(kHorizontalPadding, (height - kIconSize) / 2, kIconSize, kIconSize));
  CGFloat shift = CGRectGetMaxX(image->frame()) - oldRight;
  for (auto& label : {textLabel(), detailTextLabel()}) {
    if (!label) continue;
    CGRect frame = label->frame();
    bool trailing = style() == UITableViewCellStyleValue1 && label == detailTextLabel();
    if (trailing) continue;
    label->setFrame(CGRectMake(frame.origin.x + shift, frame.origin.y, std::max<CGFloat>(0, frame.size.width - shift),
                               frame.size.height));
  }
}

CGSize PSTableCell::sizeThatFits(CGSize size) const {
  CGFloat width = labelsWidth(size.width);
  CGFloat labels = 0;
  if (auto title = textLabel(); title && !title->text().empty()) labels += title->sizeThatFits({width, 0}).height;
  if (auto detail = detailTextLabel(); detail && !detail->text().empty()) {
    // The value layouts put the detail beside the title; only the subtitle layout
    // stacks it below.
    CGFloat detailHeight = detail->sizeThatFits({width, 0}).height;
    if (style() == UITableViewCellStyleSubtitle)
      labels += (labels > 0 ? kLabelSpacing : 0) + detailHeight;
    else
      labels = std::max(labels, detailHeight);
  }
  return {size.width, std::max(kMinimumHeight, labels + 2 * kVerticalPadding)};
}

std::shared_ptr<PSListController> PSTableCell::listController() const {
  return specifier_ ? std::dynamic_pointer_cast<PSListController>(specifier_->target()) : nullptr;
}

void PSTableCell::showTitleAndIcon(const PSSpecifier& specifier) {
  if (auto label = textLabel()) label->setText(specifier.name());
  if (auto image = imageView()) image->setImage(std::dynamic_pointer_cast<UIImage>(specifier.objectPropertyForKey("iconImage")));
}

void PSTableCell::showDisclosureIfLink() {
  if (type_ == PSCellType::link || type_ == PSCellType::linkList)
    setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
}

void PSTableCell::applyTitleColour() {
  // A button row's title is drawn in the tint, so that it reads as something to tap.
  if (type_ == PSCellType::button)
    if (auto label = textLabel()) label->setTextColor(tintColor());
}

CGFloat PSTableCell::labelsWidth(CGFloat width) const {
  CGFloat taken = 2 * kHorizontalPadding;
  if (hasListIcon()) {
    taken += kIconSize + kHorizontalPadding;
  } else if (auto image = imageView(); image && image->image()) {
    CGSize size = image->image()->size();
    CGFloat scale = std::min<CGFloat>(1, kIconLimit / std::max<CGFloat>({1, size.width, size.height}));
    taken += size.width * scale + kHorizontalPadding;
  }
  if (auto accessory = accessoryView())
    taken += accessory->frame().size.width + kHorizontalPadding;
  else if (accessoryType() != UITableViewCellAccessoryNone)
    taken += kAccessoryWidth;
  return std::max<CGFloat>(width - taken, 1);
}
