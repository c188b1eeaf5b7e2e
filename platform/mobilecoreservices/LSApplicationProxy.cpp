#include "platform/mobilecoreservices/LSApplicationProxy.h"

#include "platform/mobilecoreservices/ApplicationBundle.h"
#include "platform/mobilecoreservices/ApplicationCatalogue.h"
#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(LSApplicationProxy, NSObject, .noAllocator())

namespace {
const std::string kNone;
}  // namespace

std::shared_ptr<LSApplicationProxy> LSApplicationProxy::applicationProxyForIdentifier(
    const std::string& identifier) {
  if (auto bundle = kavro::platform::mobilecoreservices::ApplicationCatalogue::current().bundleWithIdentifier(identifier))
    return proxyForBundle(std::move(bundle));
  auto proxy = alloc<LSApplicationProxy>();
  proxy->identifier_ = identifier;
  return proxy;
}

std::shared_ptr<LSApplicationProxy> LSApplicationProxy::proxyForBundle(
    std::shared_ptr<const kavro::platform::mobilecoreservices::ApplicationBundle> bundle) {
  auto proxy = alloc<LSApplicationProxy>();
  proxy->identifier_ = bundle->identifier;
  proxy->bundle_ = std::move(bundle);
  return proxy;
}

const std::string& LSApplicationProxy::localizedName() const {
  return hasLocalizedName() ? *bundle_->localizedName : kNone;
}

bool LSApplicationProxy::hasLocalizedName() const { return bundle_ && bundle_->localizedName; }

const std::string& LSApplicationProxy::bundlePath() const { return bundle_ ? bundle_->bundlePath : kNone; }

std::shared_ptr<LSApplicationRecord> LSApplicationProxy::correspondingApplicationRecord() const {
  if (!bundle_) return nullptr;
  return std::make_shared<LSApplicationRecord>(bundle_);
}

std::string LSApplicationProxy::description() const {
  std::string text = "<LSApplicationProxy " + identifier_;
  if (hasLocalizedName()) text += " \"" + localizedName() + "\"";
  if (!bundle_) text += " (not installed)";
  return text + ">";
}
