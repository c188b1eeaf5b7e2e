#include "sim/settings/SettingsApp.h"

#include "platform/device/Process.h"
#include "sim/settings/BundlePageReload.h"
#include "sim/settings/SettingsEntry.h"
#include "sim/settings/SettingsRootController.h"

#include <cstdio>

namespace kavro::sim {

namespace {
constexpr std::string_view kRootPrefix = "prefs:root=";
}  // namespace

ApplicationKind SettingsApp::kind() {
  ApplicationKind kind;
  kind.processName = kProcessName;
  kind.bundleIdentifier = kBundleIdentifier;
  kind.role = ApplicationKind::Role::settings;
  kind.make = [](Simulator&) { return std::make_unique<SettingsApp>(); };
  return kind;
}

SettingsApp::SettingsApp() {
  window_ = alloc<UIWindow>()->init();
  auto root = alloc<SettingsRootController>()->init();
  navigation_ = alloc<UINavigationController>()->initWithRootViewController(root);
  navigation_->navigationBar()->setPrefersLargeTitles(true);
  window_->setRootViewController(navigation_);
  window_->makeKeyAndVisible();
}

std::optional<std::string> SettingsApp::rootName(const std::string& url) {
  if (!url.starts_with(kRootPrefix)) return std::nullopt;
  std::string name = url.substr(kRootPrefix.size());
  if (auto end = name.find_first_of("&/"); end != std::string::npos) name.resize(end);
  return name;
}

bool SettingsApp::openURL(const std::string& url) {
  auto name = rootName(url);
  if (!name) {
    std::fprintf(stderr, "Settings: cannot open %s\n", url.c_str());
    return false;
  }
  auto entry = findSettingsEntry(*name);
  if (!entry) {
    std::fprintf(stderr, "Settings: no settings page is named %s\n", name->c_str());
    return false;
  }
  auto page = makeEntryPage(*entry);
  if (!page) return false;
  // Whatever is shown goes first, with its disappearance; then the entry's page
  // comes up anew over the first page (each step at its own turn, in order).
  if (navigation_->presentedViewController()) navigation_->dismissViewControllerAnimated(false, nullptr);
  navigation_->popToRootViewControllerAnimated(false);
  auto navigation = navigation_;
  kavro::platform::Process::current().mainRunLoop().performSoon(
      [navigation, page] { navigation->pushViewController(page, false); });
  return true;
}

std::string SettingsApp::address() {
  auto pages = navigation_->viewControllers();
  if (pages.size() < 2) return "";
  std::string bundle = bundleOfEntryPage(pages[1]);
  return bundle.empty() ? "" : std::string(kRootPrefix) + bundle;
}

void SettingsApp::bundleReinstalled(const std::string& name) { reloadBundlePages(*navigation_, name); }

bool SettingsApp::back() { return navigation_->popViewControllerAnimated(true) != nullptr; }

}  // namespace kavro::sim
