#include "platform/onboardingkit/OBWelcomeController.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(OBTrayButton, UIButton, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(OBButtonTray, UIView, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(OBWelcomeController, UIViewController, )

namespace {
constexpr CGFloat kSideMargin = 32;
constexpr CGFloat kHeaderHeight = 130;
constexpr CGFloat kBulletImageSize = 34;
constexpr CGFloat kBulletGap = 16;
}  // namespace

std::shared_ptr<OBTrayButton> OBTrayButton::buttonWithType(UIButtonType) {
  auto button = alloc<OBTrayButton>();
  button->initWithFrame(CGRectMake(0, 0, 0, OBButtonTray::kButtonHeight));
  button->titleLabel()->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
  return button;
}

std::shared_ptr<OBButtonTray> OBButtonTray::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  effectView_ = alloc<UIVisualEffectView>()->initWithFrame(bounds());
  addSubview(effectView_);
  return self<OBButtonTray>();
}

void OBButtonTray::addButton(const std::shared_ptr<UIButton>& button) {
  if (!button) return;
  buttons_.push_back(button);
  addSubview(button);
  setNeedsLayout();
}

CGFloat OBButtonTray::preferredHeight() const {
  return kMargin + static_cast<CGFloat>(buttons_.size()) * (kButtonHeight + 8) + 26;
}

void OBButtonTray::layoutSubviews() {
  UIView::layoutSubviews();
  effectView_->setFrame(bounds());
  CGFloat y = kMargin;
  for (auto& button : buttons_) {
    button->setFrame(CGRectMake(kMargin, y, bounds().size.width - 2 * kMargin, kButtonHeight));
    y += kButtonHeight + 8;
  }
}

std::shared_ptr<OBWelcomeController> OBWelcomeController::initWithTitle(const std::string& title,
                                                                         const std::string& detailText,
                                                                         const std::shared_ptr<UIImage>& icon) {
  init();
  setTitle(title);
  detailText_ = detailText;
  icon_ = icon;
  return self<OBWelcomeController>();
}

void OBWelcomeController::addBulletedListItemWithTitle(const std::string& title, const std::string& description,
                                                       const std::shared_ptr<UIImage>& image) {
  items_.push_back({title, description, image});
  if (isViewLoaded()) rebuildContent();
}

std::shared_ptr<OBButtonTray> OBWelcomeController::buttonTray() {
  view();
  return tray_;
}

void OBWelcomeController::loadView() {
  UIViewController::loadView();
  view()->setBackgroundColor(UIColor::systemBackgroundColor());
  scrollView_ = alloc<UIScrollView>()->initWithFrame(view()->bounds())->self<UIScrollView>();
  view()->addSubview(scrollView_);
  contentView_ = alloc<UIView>()->initWithFrame(CGRectZero);
  scrollView_->addSubview(contentView_);
  tray_ = alloc<OBButtonTray>()->initWithFrame(CGRectMake(0, 0, view()->bounds().size.width, 100));
  view()->addSubview(tray_);
  rebuildContent();
}

void OBWelcomeController::rebuildContent() {
  for (auto subview : std::vector(contentView_->subviews())) subview->removeFromSuperview();
  CGFloat width = view()->bounds().size.width;
  CGFloat textWidth = width - 2 * kSideMargin;
  CGFloat y = 40;
  auto header = alloc<UIImageView>()->initWithImage(icon_);
  header->setContentMode(UIViewContentModeScaleAspectFit);
  header->setFrame(CGRectMake(0, y, width, icon_ ? kHeaderHeight : 0));
  contentView_->addSubview(header);
  y += (icon_ ? kHeaderHeight : 0) + 24;
  auto addLabel = [&](const std::string& text, std::shared_ptr<UIFont> font, std::shared_ptr<UIColor> color,
                      NSTextAlignment alignment, CGFloat x, CGFloat labelWidth) {
    auto label = alloc<UILabel>()->initWithFrame(CGRectZero);
    label->setText(text);
    label->setFont(font);
    label->setTextColor(color);
    label->setNumberOfLines(0);
    label->setTextAlignment(alignment);
    CGFloat height = label->sizeThatFits({labelWidth, 0}).height;
    label->setFrame(CGRectMake(x, y, labelWidth, height));
    contentView_->addSubview(label);
    return height;
  };
  y += addLabel(title(), UIFont::systemFontOfSize(34, UIFontWeightBold), UIColor::labelColor(), NSTextAlignmentCenter,
                kSideMargin, textWidth) + 8;
  y += addLabel(detailText_, UIFont::systemFontOfSize(17), UIColor::secondaryLabelColor(), NSTextAlignmentCenter,
                kSideMargin, textWidth) + 32;
  for (const BulletedItem& item : items_) {
    auto image = alloc<UIImageView>()->initWithImage(item.image);
    image->setContentMode(UIViewContentModeScaleAspectFit);
    image->setFrame(CGRectMake(kSideMargin, y, kBulletImageSize, kBulletImageSize));
    contentView_->addSubview(image);
    CGFloat textX = kSideMargin + kBulletImageSize + kBulletGap;
    CGFloat itemWidth = width - textX - kSideMargin;
    CGFloat top = y;
    y += addLabel(item.title, UIFont::systemFontOfSize(17, UIFontWeightSemibold), UIColor::labelColor(),
                  NSTextAlignmentLeft, textX, itemWidth);
    y += addLabel(item.description, UIFont::systemFontOfSize(15), UIColor::secondaryLabelColor(), NSTextAlignmentLeft,
                  textX, itemWidth);
    y = std::max(y, top + kBulletImageSize) + 24;
  }
  contentView_->setFrame(CGRectMake(0, 0, width, y));
  scrollView_->setContentSize({width, y});
  view()->setNeedsLayout();
}

void OBWelcomeController::viewWillLayoutSubviews() {
  CGRect bounds = view()->bounds();
  CGFloat trayHeight = tray_->preferredHeight();
  CGFloat contentHeight = contentView_->frame().size.height;
  if (inlineButtonTray_ && contentHeight + trayHeight <= bounds.size.height) {
    // The tray follows the content when both fit; otherwise it stays at the bottom.
    scrollView_->setFrame(CGRectMake(0, 0, bounds.size.width, contentHeight));
    tray_->setFrame(CGRectMake(0, contentHeight, bounds.size.width, trayHeight));
  } else {
    scrollView_->setFrame(CGRectMake(0, 0, bounds.size.width, bounds.size.height - trayHeight));
    tray_->setFrame(CGRectMake(0, bounds.size.height - trayHeight, bounds.size.width, trayHeight));
  }
  scrollView_->setContentSize({bounds.size.width, contentHeight});
}
