#pragma once
// OnBoardingKit's welcome sheet: a header picture, a title, a lead text, bulleted
// items with symbols, and a button tray with a blurred backdrop, laid out in a
// scrolling page. With the inline tray setting the tray follows the content instead
// of being pinned to the bottom.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIVisualEffectView.h"

#include <memory>
#include <string>
#include <vector>

// A button of the tray, as OnBoardingKit makes them (a full-width, 50-point button).
class OBTrayButton : public UIButton {
  KAVRO_OBJC_CLASS(OBTrayButton)
 public:
  static std::shared_ptr<OBTrayButton> buttonWithType(UIButtonType type);
};

class OBButtonTray : public UIView {
  KAVRO_OBJC_CLASS(OBButtonTray)
 public:
  static constexpr CGFloat kButtonHeight = 50;
  static constexpr CGFloat kMargin = 24;

  std::shared_ptr<OBButtonTray> initWithFrame(CGRect frame);
  void addButton(const std::shared_ptr<UIButton>& button);
  const std::vector<std::shared_ptr<UIButton>>& buttons() const { return buttons_; }
  std::shared_ptr<UIVisualEffectView> effectView() const { return effectView_; }
  CGFloat preferredHeight() const;
  void layoutSubviews() override;

 private:
  std::shared_ptr<UIVisualEffectView> effectView_;
  std::vector<std::shared_ptr<UIButton>> buttons_;
};

class OBWelcomeController : public UIViewController {
  KAVRO_OBJC_CLASS(OBWelcomeController)
 public:
  struct BulletedItem {
    std::string title;
    std::string description;
    std::shared_ptr<UIImage> image;
  };

  std::shared_ptr<OBWelcomeController> initWithTitle(const std::string& title, const std::string& detailText,
                                                     const std::shared_ptr<UIImage>& icon);
  void addBulletedListItemWithTitle(const std::string& title, const std::string& description,
                                    const std::shared_ptr<UIImage>& image);
  // The tray is part of the sheet's view: asking for it loads the view.
  std::shared_ptr<OBButtonTray> buttonTray();
  void set_shouldInlineButtontray(bool inline_) { inlineButtonTray_ = inline_; }
  bool shouldInlineButtontray() const { return inlineButtonTray_; }

  const std::string& detailText() const { return detailText_; }
  std::shared_ptr<UIImage> icon() const { return icon_; }
  const std::vector<BulletedItem>& bulletedItems() const { return items_; }

  void loadView() override;
  void viewWillLayoutSubviews() override;

 private:
  void rebuildContent();
  std::string detailText_;
  std::shared_ptr<UIImage> icon_;
  std::vector<BulletedItem> items_;
  std::shared_ptr<OBButtonTray> tray_;
  std::shared_ptr<UIScrollView> scrollView_;
  std::shared_ptr<UIView> contentView_;
  bool inlineButtonTray_ = false;
};
