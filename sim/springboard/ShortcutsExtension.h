#pragma once
// The home-screen extension that the settings bundle configures, as the simulator
// stands in for it inside the springboard process. The real one is a separate
// program; this one reads the preference domain as it would, so that what a
// person sets in Settings shows on the home screen:
//
// - When the home screen starts (and so after every relaunch) it reads `enabled`,
//   `blacklist`, `hapticFeedback` and each application's list of shortcuts (the
//   identifier list stored under that application's identifier). Changes made in
//   Settings take effect at the next relaunch.
// - An application's quick-action menu carries a dock of its shortcuts when the
//   extension is enabled and the application is not blacklisted; the dock leaves
//   out identifiers that name no installed, visible application.
// - A picker it opened posts "com.qelm.kavroprefs/show.dock" when it closes; the
//   extension then reads that one list again and, when the picker came from a
//   menu, shows that menu again.
// - Opening an application from the dock taps the haptic motor when
//   `hapticFeedback` is on (on when nothing is stored).

#include "platform/corefoundation/CFNotificationCenter.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kavro::sim {

// One icon of a dock: the application it opens.
struct Shortcut {
  std::string identifier;
  std::string name;
  friend bool operator==(const Shortcut&, const Shortcut&) = default;
};

class ShortcutsExtension {
 public:
  // `hapticFeedback` when nothing is stored: the default of the settings row that
  // sets it.
  static constexpr bool kHapticFeedbackByDefault = true;

  // Reads the domain, and listens for the picker's notification. Call inside the
  // springboard process.
  ShortcutsExtension();
  ~ShortcutsExtension();
  ShortcutsExtension(const ShortcutsExtension&) = delete;
  ShortcutsExtension& operator=(const ShortcutsExtension&) = delete;

  bool isBlacklisted(const std::string& application) const;

  // The dock of an application's menu: nothing when the extension shows none there
  // (disabled, or the application is blacklisted); else its shortcuts in stored
  // order (empty: the menu shows the add button), each application once.
  std::optional<std::vector<Shortcut>> dockFor(const std::string& application) const;

  // A picker for the list `key` is about to open; `fromMenu` when it comes from
  // that application's menu, which then comes back when the picker closes.
  void pickerWillOpen(const std::string& key, bool fromMenu);
  // Called with the application whose menu is to show again.
  void setShowMenuHandler(std::function<void(const std::string&)> handler) { showMenu_ = std::move(handler); }

  // The haptic tap of opening an application from the dock, when it is on.
  void playOpenFeedback() const;

 private:
  static void showDockPosted(CFNotificationCenterRef center, void* observer, const std::string& name, const void* object,
                             const void* userInfo);
  void showDock();
  void readList(const std::string& key);

  bool enabled_ = false;
  bool hapticFeedback_ = kHapticFeedbackByDefault;
  std::vector<std::string> blacklist_;
  std::map<std::string, std::vector<std::string>> lists_;
  std::optional<std::pair<std::string, bool>> pendingPicker_;  // key, from a menu
  std::function<void(const std::string&)> showMenu_;
};

}  // namespace kavro::sim
