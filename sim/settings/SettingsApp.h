#pragma once
// The Settings application of the simulated device, as far as the bundle needs it:
// a navigation stack whose first page lists the entries of the installed preference
// bundles (SettingsRootController), and the opening of "prefs:root=NAME" URLs,
// which shows that entry's page anew. It runs in the process "settings" and plays
// Settings' part for the system (ApplicationKind::Role::settings).

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIWindow.h"
#include "sim/core/Application.h"
#include "sim/core/ApplicationKind.h"

#include <memory>
#include <optional>
#include <string>

namespace kavro::sim {

class SettingsApp : public Application {
 public:
  static constexpr const char* kProcessName = "settings";
  static constexpr const char* kBundleIdentifier = "com.apple.Preferences";
  // What the core knows of Settings.
  static ApplicationKind kind();

  // Inside the settings process.
  SettingsApp();

  std::shared_ptr<UIWindow> window() const override { return window_; }
  const std::shared_ptr<UINavigationController>& navigationController() const { return navigation_; }
  std::string frontApplication() const override { return kBundleIdentifier; }

  // Opens a "prefs:root=NAME" URL: whatever is presented goes, the stack returns to
  // the first page and a new page of the entry NAME is pushed. Returns false, with
  // a message, when no entry or bundle matches.
  bool openURL(const std::string& url) override;
  bool back() override;
  // The open pages of the bundle load their rows again, in place (BundlePageReload.h).
  void bundleReinstalled(const std::string& name) override;
  // prefs:root=NAME of the bundle whose page is the second of the stack (the
  // first opened from the root page), NAME its bundle's name; "" on the root page.
  std::string address() override;

  // The entry a "prefs:root=NAME[&…|/…]" URL names: NAME; nothing for another URL.
  static std::optional<std::string> rootName(const std::string& url);

 private:
  std::shared_ptr<UIWindow> window_;
  std::shared_ptr<UINavigationController> navigation_;
};

}  // namespace kavro::sim
