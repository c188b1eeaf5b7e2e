#include "platform/mobilecoreservices/LSApplicationRecord.h"

#include "platform/mobilecoreservices/ApplicationBundle.h"
#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(LSApplicationRecord, NSObject, .noAllocator())

LSApplicationRecord::LSApplicationRecord(std::shared_ptr<const kavro::platform::mobilecoreservices::ApplicationBundle> bundle)
    : bundle_(std::move(bundle)) {}

std::optional<std::vector<std::string>> LSApplicationRecord::appTags() const {
  return bundle_ ? bundle_->appTags : std::nullopt;
}

std::vector<std::string> LSApplicationRecord::iconFileNames() const {
  return bundle_ ? bundle_->iconFileNames : std::vector<std::string>();
}

std::string LSApplicationRecord::description() const {
  return "<LSApplicationRecord " + (bundle_ ? bundle_->identifier : std::string()) + ">";
}
