#pragma once
// The content of a list cell: image, text and secondary text with their colours.
// A cell applies it to its image view and labels.

#include "platform/objc/NSObject.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIImage.h"

#include <memory>
#include <string>

class UIListContentConfiguration : public NSObject {
  KAVRO_OBJC_CLASS(UIListContentConfiguration)
 public:
  struct TextProperties {
    std::shared_ptr<UIColor> color;
    long numberOfLines = 1;
  };

  static std::shared_ptr<UIListContentConfiguration> subtitleCellConfiguration();
  static std::shared_ptr<UIListContentConfiguration> cellConfiguration();

  std::shared_ptr<UIImage> image() const { return image_; }
  void setImage(const std::shared_ptr<UIImage>& image) { image_ = image; }
  const std::string& text() const { return text_; }
  void setText(const std::string& text) { text_ = text; }
  const std::string& secondaryText() const { return secondaryText_; }
  void setSecondaryText(const std::string& text) { secondaryText_ = text; }
  TextProperties& textProperties() { return textProperties_; }
  const TextProperties& textProperties() const { return textProperties_; }
  TextProperties& secondaryTextProperties() { return secondaryTextProperties_; }
  const TextProperties& secondaryTextProperties() const { return secondaryTextProperties_; }

  std::shared_ptr<UIListContentConfiguration> copy() const;

 private:
  std::shared_ptr<UIImage> image_;
  std::string text_;
  std::string secondaryText_;
  TextProperties textProperties_{UIColor::labelColor(), 1};
  TextProperties secondaryTextProperties_{UIColor::secondaryLabelColor(), 1};
};
