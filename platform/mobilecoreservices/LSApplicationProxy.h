#pragma once
// An application as the workspace reports it: its identifier, display name and
// .app folder. A proxy asked for by identifier exists for any identifier; one that
// no installed application has carries that identifier and nothing else.

#include "platform/mobilecoreservices/LSApplicationRecord.h"
#include "platform/objc/NSObject.h"

#include <memory>
#include <string>

class LSApplicationProxy : public NSObject {
  KAVRO_OBJC_CLASS(LSApplicationProxy)
 public:
  LSApplicationProxy() = default;

  // The installed application with `identifier`; for an identifier no installed
  // application has, a proxy with that identifier, no name, no bundle path and no
  // record.
  static std::shared_ptr<LSApplicationProxy> applicationProxyForIdentifier(const std::string& identifier);
  // A proxy for an application read from its Info.plist (the workspace's use).
  static std::shared_ptr<LSApplicationProxy> proxyForBundle(
      std::shared_ptr<const kavro::platform::mobilecoreservices::ApplicationBundle> bundle);

  const std::string& applicationIdentifier() const { return identifier_; }
  // CFBundleDisplayName, else CFBundleName. Where the platform answers nil (no name,
  // or an identifier no application has) this is the empty string; hasLocalizedName()
  // tells the two apart.
  const std::string& localizedName() const;
  bool hasLocalizedName() const;
  // The iOS path of the .app folder ("/Applications/MobileSafari.app"); empty for an
  // identifier no application has.
  const std::string& bundlePath() const;
  // The application's record; nullptr for an identifier no application has. Each call
  // gives a new record, read from the same Info.plist as the proxy.
  std::shared_ptr<LSApplicationRecord> correspondingApplicationRecord() const;
  // Whether an installed application stands behind the proxy.
  bool isInstalled() const { return bundle_ != nullptr; }

  std::string description() const override;

 private:
  std::string identifier_;
  std::shared_ptr<const kavro::platform::mobilecoreservices::ApplicationBundle> bundle_;
};
