#include "sim/springboard/ShortcutsExtension.h"

#include "platform/corefoundation/CFNotificationCenter.h"
#include "platform/device/Process.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/mobilecoreservices/LSApplicationProxy.h"
#include "platform/uikit/UIImpactFeedbackGenerator.h"
#include "selector/KavroApplicationSelector.h"
#include "sim/springboard/HomeScreenPlacement.h"
#include "store/Preferences.h"

#include <algorithm>
#include <set>

namespace kavro::sim {

namespace {

// The strings of an identifier list; a value of another type reads as no list.
std::vector<std::string> identifiers(const PlistValue& value) {
  std::vector<std::string> list;
  if (const PlistValue::Array* array = value.asArray())
    for (const PlistValue& element : *array)
      if (const std::string* identifier = element.asString()) list.push_back(*identifier);
  return list;
}

}  // namespace

ShortcutsExtension::ShortcutsExtension() {
  auto defaults = NSUserDefaults::standardUserDefaults();
  PlistValue::Dictionary domain = defaults->persistentDomainForName(store::kDomain);
  auto value = [&](const std::string& key) {
    auto found = domain.find(key);
    return found == domain.end() ? PlistValue() : found->second;
  };
  enabled_ = value(store::kEnabledKey).boolValue();
  PlistValue haptic = value("hapticFeedback");
  hapticFeedback_ = haptic.isNil() ? kHapticFeedbackByDefault : haptic.boolValue();
  blacklist_ = identifiers(value(store::kBlacklistKey));
  for (auto& [key, stored] : domain)
    if (stored.isArray()) lists_[key] = identifiers(stored);
  CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), this,
                                  &ShortcutsExtension::showDockPosted,
                                  KavroApplicationSelector::kShowDockNotification, nullptr, CFNotificationSuspensionBehaviorDeliverImmediately);
}

ShortcutsExtension::~ShortcutsExtension() {
  if (kavro::platform::Process::currentOrNull())
    CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), this);
}

bool ShortcutsExtension::isBlacklisted(const std::string& application) const {
  return std::find(blacklist_.begin(), blacklist_.end(), application) != blacklist_.end();
}

std::optional<std::vector<Shortcut>> ShortcutsExtension::dockFor(const std::string& application) const {
  if (!enabled_ || isBlacklisted(application)) return std::nullopt;
  std::vector<Shortcut> dock;
  auto list = lists_.find(application);
  if (list == lists_.end()) return dock;
  std::set<std::string> shown;
  for (const std::string& identifier : list->second) {
    // Identifiers stay in the list after their application is gone; the dock
    // shows only what can be opened.
    if (identifier.empty() || shown.count(identifier)) continue;
    auto proxy = LSApplicationProxy::applicationProxyForIdentifier(identifier);
    if (!proxy || !isVisibleApplication(*proxy)) continue;
    shown.insert(identifier);
    dock.push_back({identifier, proxy->localizedName()});
  }
  return dock;
}

void ShortcutsExtension::pickerWillOpen(const std::string& key, bool fromMenu) { pendingPicker_.emplace(key, fromMenu); }

void ShortcutsExtension::playOpenFeedback() const {
  if (!hapticFeedback_) return;
  auto generator = alloc<UIImpactFeedbackGenerator>()->initWithStyle(UIImpactFeedbackStyleLight);
  generator->impactOccurred();
}

void ShortcutsExtension::readList(const std::string& key) {
  PlistValue stored = NSUserDefaults::standardUserDefaults()->objectForKey(key, store::kDomain);
  if (stored.isArray())
    lists_[key] = identifiers(stored);
  else
    lists_.erase(key);
}

void ShortcutsExtension::showDockPosted(CFNotificationCenterRef, void* observer, const std::string&, const void*, const void*) {
  static_cast<ShortcutsExtension*>(observer)->showDock();
}

void ShortcutsExtension::showDock() {
  // Only a picker this extension opened says which list changed.
  if (!pendingPicker_) return;
  auto [key, fromMenu] = *pendingPicker_;
  pendingPicker_.reset();
  readList(key);
  if (fromMenu && showMenu_) showMenu_(key);
}

}  // namespace kavro::sim
