#include "sim/settings/SettingsEntry.h"

#include "platform/device/Device.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/device/Process.h"
#include "platform/objc/Class.h"
#include "platform/preferences/PSListController.h"
#include "platform/preferences/PSListControllerPrivate.h"
#include "platform/preferences/PSSpecifierList.h"
#include "platform/uikit/UIViewController.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <typeinfo>

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
  SettingsEntry parsed{entry["label"].stringOr(""), entry["bundle"].stringOr(""), entry["icon"].stringOr(""),
                       std::string(kEntriesFolder) + "/" + file, plist && (*plist)["items"].isArray()};
  // The old form names no bundle: the entry's file names it.
  if (parsed.bundleName.empty() && parsed.entryOnly) parsed.bundleName = file.substr(0, file.size() - 6);
  if (!parsed.label.empty() && !parsed.bundleName.empty()) return parsed;
  std::fprintf(stderr, "Settings: skipping %s/%s: %s\n", kEntriesFolder, file.c_str(),
               plist ? "its entry has no label or bundle" : error.c_str());
  return std::nullopt;
}

std::string lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Bundles already said to be shown as generic lists, in this process.
struct GenericBundles {
  std::set<std::string> names;
};

std::set<std::string>& genericBundles() {
  return kavro::platform::Process::current()
      .singleton<GenericBundles>([] { return std::make_shared<GenericBundles>(); })
      ->names;
}

// The pages entries made in this process, each with its bundle's name (not
// retained: a page that went away is forgotten).
struct EntryPages {
  std::vector<std::pair<std::weak_ptr<UIViewController>, std::string>> pages;
};

std::vector<std::pair<std::weak_ptr<UIViewController>, std::string>>& entryPages() {
  return kavro::platform::Process::current()
      .singleton<EntryPages>([] { return std::make_shared<EntryPages>(); })
      ->pages;
}

// The specifiers of an entry-only bundle's items.
kavro::platform::preferences::SpecifierList itemsOfEntry(const SettingsEntry& entry) {
  std::string error;
  auto plist = NSPropertyListSerialization::propertyListWithContentsOfFile(
      kavro::platform::Device::current().resolve(entry.entryFile), &error);
  return kavro::platform::preferences::specifierListFromPropertyList(plist ? *plist : PlistValue(), entry.entryFile);
}

// A PSListController of the rows of `list`, each aimed at the page.
std::shared_ptr<UIViewController> genericPage(const kavro::platform::preferences::SpecifierList& list) {
  auto controller = alloc<PSListController>();
  controller->init();
  for (auto& specifier : list.specifiers) specifier->setTarget(controller);
  controller->setSpecifiers(std::make_shared<PSSpecifierArray>(list.specifiers));
  return controller;
}

// A PSListController of the bundle's Root list, its texts and pictures from the
// bundle. It loads the list itself, so that reloading its rows (as a change of
// language does) reads the list again instead of emptying the page.
std::shared_ptr<UIViewController> rootListPage(const std::shared_ptr<NSBundle>& bundle) {
  auto controller = alloc<PSListController>();
  controller->init();
  kavro::platform::preferences::ListControllerInternals::showList(*controller, bundle, "Root");
  return controller;
}

// The bundle's principal class as a page, or nothing when it is no class the
// simulator has (the bundle's own compiled code). The framework's own list
// controller named as the principal class shows the bundle's Root list.
std::shared_ptr<UIViewController> principalPage(const std::shared_ptr<NSBundle>& bundle) {
  const Class* principal = bundle->principalClass();
  auto controller = principal ? std::dynamic_pointer_cast<UIViewController>(principal->alloc()) : nullptr;
  if (controller && typeid(*controller) == typeid(PSListController)) return rootListPage(bundle);
  return controller ? controller->init() : nullptr;
}

std::shared_ptr<UIViewController> pageOfBundle(const SettingsEntry& entry) {
  namespace preferences = kavro::platform::preferences;
  if (entry.entryOnly) return genericPage(itemsOfEntry(entry));
  auto bundle = NSBundle::bundleWithPath(entry.bundlePath());
  if (!bundle) {
    std::fprintf(stderr, "Settings: the bundle %s is not installed\n", entry.bundleName.c_str());
    return nullptr;
  }
  // Tried once: a class the simulator does not have is said once, then the
  // generic list is shown straight away.
  std::set<std::string>& generic = genericBundles();
  if (!generic.count(entry.bundleName)) {
    if (auto page = principalPage(bundle)) return page;
    generic.insert(entry.bundleName);
    std::fprintf(stderr,
                 "Settings: the principal class \"%s\" of %s is the bundle's own code, which the simulator "
                 "cannot run; its Root list is shown in a generic PSListController\n",
                 bundle->objectForInfoDictionaryKey("NSPrincipalClass").stringOr("").c_str(), entry.bundleName.c_str());
  }
  return rootListPage(bundle);
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
            [](const SettingsEntry& a, const SettingsEntry& b) {
              std::string left = lowercase(a.label), right = lowercase(b.label);
              return left != right ? left < right : a.bundleName < b.bundleName;
            });
  return entries;
}

std::optional<SettingsEntry> findSettingsEntry(const std::string& name) {
  for (SettingsEntry& entry : installedSettingsEntries())
    if (entry.label == name || entry.bundleName == name) return std::move(entry);
  return std::nullopt;
}

std::optional<SettingsEntry> findSettingsEntryOfBundle(const std::string& bundleName) {
  for (SettingsEntry& entry : installedSettingsEntries())
    if (entry.bundleName == bundleName) return std::move(entry);
  return std::nullopt;
}

std::shared_ptr<UIViewController> makeEntryPage(const SettingsEntry& entry) {
  auto page = pageOfBundle(entry);
  if (!page) return nullptr;
  // The host names the page after its entry.
  page->setTitle(entry.label);
  auto& made = entryPages();
  std::erase_if(made, [](const auto& known) { return known.first.expired(); });
  made.emplace_back(page, entry.bundleName);
  return page;
}

std::string bundleOfEntryPage(const std::shared_ptr<UIViewController>& page) {
  for (auto& [known, bundle] : entryPages())
    if (known.lock() == page) return bundle;
  return "";
}

bool reloadEntryPage(const std::shared_ptr<UIViewController>& page, const SettingsEntry& entry) {
  auto list = std::dynamic_pointer_cast<PSListController>(page);
  if (!list) return true;  // a page of the bundle's own kind: it shows what it shows
  page->setTitle(entry.label);
  if (entry.entryOnly) {
    auto items = itemsOfEntry(entry);
    for (auto& specifier : items.specifiers) specifier->setTarget(list);
    list->setSpecifiers(std::make_shared<PSSpecifierArray>(items.specifiers));
    return true;
  }
  list->reloadSpecifiers();
  return true;
}

}  // namespace kavro::sim
