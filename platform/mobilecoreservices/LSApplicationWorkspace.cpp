#include "platform/mobilecoreservices/LSApplicationWorkspace.h"

#include "platform/device/Process.h"
#include "platform/mobilecoreservices/ApplicationCatalogue.h"
#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(LSApplicationWorkspace, NSObject, )

std::shared_ptr<LSApplicationWorkspace> LSApplicationWorkspace::defaultWorkspace() {
  return kavro::platform::Process::current().singleton<LSApplicationWorkspace>(
      [] { return alloc<LSApplicationWorkspace>(); });
}

std::vector<std::shared_ptr<LSApplicationProxy>> LSApplicationWorkspace::allInstalledApplications() const {
  std::vector<std::shared_ptr<LSApplicationProxy>> proxies;
  for (auto& bundle : kavro::platform::mobilecoreservices::ApplicationCatalogue::current().installedBundles())
    proxies.push_back(LSApplicationProxy::proxyForBundle(std::move(bundle)));
  return proxies;
}
