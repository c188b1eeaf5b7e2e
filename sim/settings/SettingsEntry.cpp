#include "sim/settings/SettingsEntry.h"

#include "platform/device/Device.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/objc/Class.h"
#include "platform/uikit/UIViewController.h"

#include <algorithm>
#include <cstdio>

namespace kavro::sim {

namespace {
constexpr const char* kEntriesFolder = "/var/jb/Library/PreferenceLoader/Preferences";
constexpr const char* kBundlesFolder = "/var/jb/Library/PreferenceBundles";
constexpr const char* kEntryExtension = ".plist";

bool isEntryFile(const std::string& file) {
  const std::string extension = kEntryExtension;
  return file.size() > extension.size() && file.compare(file.size() - extension.size(), extension.size(), extension) == 0;
}

// The entry a file describes; nothing, with a message, when it names no label or
// bundle or cannot be read.
std::optional<SettingsEntry> readEntry(const std::string& file) {
  std::string error;
  auto plist = NSPropertyListSerialization::propertyListWithContentsOfFile(
      kavro::platform::Device::current().resolve(std::string(kEntriesFolder) + "/" + file), &error);
  const PlistValue& entry = plist ? (*plist)["entry"] : PlistValue();
  SettingsEntry parsed{entry["label"].stringOr(""), entry["bundle"].stringOr(""), entry["icon"].stringOr("")};
  if (!parsed.label.empty() && !parsed.bundleName.empty()) return parsed;
  std::fprintf(stderr, "Settings: skipping %s/%s: %s\n", kEntriesFolder, file.c_str(),
               plist ? "its entry has no label or bundle" : error.c_str());
  return std::nullopt;
}

}  // namespace

std::string SettingsEntry::bundlePath() const { return std::string(kBundlesFolder) + "/" + bundleName + ".bundle"; }

std::string SettingsEntry::iconPath() const { return bundlePath() + "/" + iconFile; }

std::vector<SettingsEntry> installedSettingsEntries() {
  std::vector<SettingsEntry> entries;
  for (const std::string& file : NSFileManager::defaultManager()->contentsOfDirectoryAtPath(kEntriesFolder)) {
    if (!isEntryFile(file)) continue;
    if (auto entry = readEntry(file)) entries.push_back(std::move(*entry));
  }
  std::sort(entries.begin(), entries.end(),
            [](const SettingsEntry& a, const SettingsEntry& b) { return a.label < b.label; });
  return entries;
}

std::optional<SettingsEntry> findSettingsEntry(const std::string& name) {
  for (SettingsEntry& entry : installedSettingsEntries())
    if (entry.label == name || entry.bundleName == name) return std::move(entry);
  return std::nullopt;
}

std::shared_ptr<UIViewController> makeEntryPage(const SettingsEntry& entry) {
  auto bundle = NSBundle::bundleWithPath(entry.bundlePath());
  if (!bundle) {
    std::fprintf(stderr, "Settings: the bundle %s is not installed\n", entry.bundleName.c_str());
    return nullptr;
  }
  const Class* principal = bundle->principalClass();
  auto controller = principal ? std::dynamic_pointer_cast<UIViewController>(principal->alloc()) : nullptr;
  if (!controller) {
    std::fprintf(stderr, "Settings: the bundle %s has no principal page\n", entry.bundleName.c_str());
    return nullptr;
  }
  auto page = controller->init();
  if (!page) return nullptr;
  // The host names the page after its entry.
  page->setTitle(entry.label);
  return page;
}

}  // namespace kavro::sim
