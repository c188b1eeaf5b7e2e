#include "platform/uikit/UIListContentConfiguration.h"

#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIListContentConfiguration, NSObject, )

std::shared_ptr<UIListContentConfiguration> UIListContentConfiguration::subtitleCellConfiguration() {
  return alloc<UIListContentConfiguration>();
}

std::shared_ptr<UIListContentConfiguration> UIListContentConfiguration::cellConfiguration() {
  return alloc<UIListContentConfiguration>();
}

std::shared_ptr<UIListContentConfiguration> UIListContentConfiguration::copy() const {
  auto configuration = alloc<UIListContentConfiguration>();
  configuration->image_ = image_;
  configuration->text_ = text_;
  configuration->secondaryText_ = secondaryText_;
  configuration->textProperties_ = textProperties_;
  configuration->secondaryTextProperties_ = secondaryTextProperties_;
  return configuration;
}
