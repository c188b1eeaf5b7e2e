#pragma once
// Buttons: a title, an image and a background image for each control state (the
// normal state's value stands in for a state without its own), laid out as the
// platform does: background image filling the bounds, image and title centred.

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

#include <map>
#include <memory>
#include <string>

enum UIButtonType : long {
  UIButtonTypeCustom = 0,
  UIButtonTypeSystem = 1,
  UIButtonTypeDetailDisclosure = 2,
  UIButtonTypeInfoLight = 3,
  UIButtonTypeInfoDark = 4,
  UIButtonTypeContactAdd = 5,
  UIButtonTypeClose = 7,
};

class UIButton : public UIControl {
  KAVRO_OBJC_CLASS(UIButton)
 public:
  UIButton();
  static std::shared_ptr<UIButton> buttonWithType(UIButtonType type);
  std::shared_ptr<UIButton> initWithFrame(CGRect frame);
  std::shared_ptr<UIButton> init() { return initWithFrame(CGRectZero); }

  UIButtonType buttonType() const { return buttonType_; }

  void setTitle(const std::string& title, unsigned long state);
  std::string titleForState(unsigned long state) const;
  void setTitleColor(const std::shared_ptr<UIColor>& color, unsigned long state);
  std::shared_ptr<UIColor> titleColorForState(unsigned long state) const;
  void setImage(const std::shared_ptr<UIImage>& image, unsigned long state);
  std::shared_ptr<UIImage> imageForState(unsigned long state) const;
  void setBackgroundImage(const std::shared_ptr<UIImage>& image, unsigned long state);
  std::shared_ptr<UIImage> backgroundImageForState(unsigned long state) const;

  std::string currentTitle() const { return titleForState(state()); }
  std::shared_ptr<UIImage> currentImage() const { return imageForState(state()); }
  std::shared_ptr<UIImage> currentBackgroundImage() const { return backgroundImageForState(state()); }

  std::shared_ptr<UILabel> titleLabel();
  std::shared_ptr<UIImageView> imageView();
  // The view that draws the background image (behind the image and the title).
  std::shared_ptr<UIImageView> backgroundImageView();

  UIEdgeInsets imageEdgeInsets() const { return imageEdgeInsets_; }
  void setImageEdgeInsets(UIEdgeInsets insets);
  UIEdgeInsets contentEdgeInsets() const { return contentEdgeInsets_; }
  void setContentEdgeInsets(UIEdgeInsets insets);

  // Accessibility: a button, named by its title or else by its image's symbol.
  bool isAccessibilityElement() const override { return explicitAccessibilityElement().value_or(true); }
  std::string accessibilityLabel() const override;
  UIAccessibilityTraits accessibilityTraits() const override;

  void setHighlighted(bool highlighted) override;
  void setEnabled(bool enabled) override;
  void setSelected(bool selected) override;
  void layoutSubviews() override;
  CGSize sizeThatFits(CGSize size) const override;
  void tintColorDidChange() override;

 private:
  template <class T>
  static T valueForState(const std::map<unsigned long, T>& values, unsigned long state);
  void refreshContent();

  UIButtonType buttonType_ = UIButtonTypeCustom;
  std::map<unsigned long, std::string> titles_;
  std::map<unsigned long, std::shared_ptr<UIColor>> titleColors_;
  std::map<unsigned long, std::shared_ptr<UIImage>> images_;
  std::map<unsigned long, std::shared_ptr<UIImage>> backgroundImages_;
  std::shared_ptr<UILabel> titleLabel_;
  std::shared_ptr<UIImageView> imageView_;
  std::shared_ptr<UIImageView> backgroundImageView_;
  UIEdgeInsets imageEdgeInsets_{};
  UIEdgeInsets contentEdgeInsets_{};
};
