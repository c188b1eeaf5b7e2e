#include "sim/settings/SettingsApp.h"

#include "platform/device/Device.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/objc/Class.h"
#include "platform/objc/ClassRegistry.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UINavigationItem.h"

#include <algorithm>
#include <cstdio>

namespace kavro::sim {

namespace {
constexpr const char* kEntriesFolder = "/var/jb/Library/PreferenceLoader/Preferences";
constexpr const char* kBundlesFolder = "/var/jb/Library/PreferenceBundles";
constexpr const char* kSettingsTitle = "Settings";
}  // namespace

std::vector<SettingsEntry> installedSettingsEntries() {
  std::vector<SettingsEntry> entries;
  auto files = NSFileManager::defaultManager()->contentsOfDirectoryAtPath(kEntriesFolder);
  for (const std::string& file : files) {
    if (file.size() < 7 || file.compare(file.size() - 6, 6, ".plist") != 0) continue;
    std::string error;
    auto plist = NSPropertyListSerialization::propertyListWithContentsOfFile(
        kavro::platform::Device::current().resolve(std::string(kEntriesFolder) + "/" + file), &error);
    const PlistValue& entry = plist ? (*plist)["entry"] : PlistValue();
    SettingsEntry parsed{entry["label"].stringOr(""), entry["bundle"].stringOr(""), entry["icon"].stringOr("")};
    if (parsed.label.empty() || parsed.bundleName.empty()) {
      std::fprintf(stderr, "Settings: skipping %s/%s: %s\n", kEntriesFolder, file.c_str(),
                   plist ? "its entry has no label or bundle" : error.c_str());
      continue;
    }
    entries.push_back(parsed);
  }
  std::sort(entries.begin(), entries.end(),
            [](const SettingsEntry& a, const SettingsEntry& b) { return a.label < b.label; });
  return entries;
}

// ---------------------------------------------------------------------------

}  // namespace kavro::sim

using kavro::sim::SettingsRootController;
KAVRO_OBJC_CLASS_IMPLEMENTATION(SettingsRootController, UIViewController, )

namespace kavro::sim {

std::shared_ptr<UIViewController> SettingsRootController::init() {
  UIViewController::init();
  setTitle(kSettingsTitle);
  return self<UIViewController>();
}

void SettingsRootController::loadView() {
  UIViewController::loadView();
  table_ = alloc<UITableView>()->initWithFrame(view()->bounds(), UITableViewStyleInsetGrouped);
  table_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  auto self = this->self<SettingsRootController>();
  table_->setDataSource(self);
  table_->setDelegate(self);
  view()->addSubview(table_);
}

void SettingsRootController::viewWillAppear(bool animated) {
  UIViewController::viewWillAppear(animated);
  entries_ = installedSettingsEntries();
  if (auto selected = table_->indexPathForSelectedRow()) table_->deselectRowAtIndexPath(*selected, animated);
  table_->reloadData();
}

long SettingsRootController::numberOfRowsInSection(const std::shared_ptr<UITableView>&, long) {
  return static_cast<long>(entries_.size());
}

std::shared_ptr<UITableViewCell> SettingsRootController::cellForRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
  auto cell = tableView->dequeueReusableCellWithIdentifier("Entry");
  if (!cell) cell = alloc<UITableViewCell>()->initWithStyle(UITableViewCellStyleDefault, "Entry");
  if (indexPath.row < 0 || indexPath.row >= static_cast<long>(entries_.size())) return cell;
  const SettingsEntry& entry = entries_[static_cast<std::size_t>(indexPath.row)];
  cell->textLabel()->setText(entry.label);
  cell->imageView()->setImage(UIImage::imageWithContentsOfFile(std::string(kBundlesFolder) + "/" + entry.bundleName +
                                                               ".bundle/" + entry.iconFile));
  cell->setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
  return cell;
}

void SettingsRootController::didSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                     const NSIndexPath& indexPath) {
  if (indexPath.row < 0 || indexPath.row >= static_cast<long>(entries_.size())) return;
  auto page = SettingsApp::makeEntryPage(entries_[static_cast<std::size_t>(indexPath.row)]);
  if (page && navigationController()) navigationController()->pushViewController(page, true);
}

// ---------------------------------------------------------------------------

SettingsApp::SettingsApp() {
  window_ = alloc<UIWindow>()->init();
  auto root = alloc<SettingsRootController>()->init();
  navigation_ = alloc<UINavigationController>()->initWithRootViewController(root);
  navigation_->navigationBar()->setPrefersLargeTitles(true);
  window_->setRootViewController(navigation_);
  window_->makeKeyAndVisible();
}

std::shared_ptr<UIViewController> SettingsApp::makeEntryPage(const SettingsEntry& entry) {
  auto bundle = NSBundle::bundleWithPath(std::string(kBundlesFolder) + "/" + entry.bundleName + ".bundle");
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

bool SettingsApp::openURL(const std::string& url) {
  const std::string prefix = "prefs:root=";
  if (url.rfind(prefix, 0) != 0) {
    std::fprintf(stderr, "Settings: cannot open %s\n", url.c_str());
    return false;
  }
  std::string name = url.substr(prefix.size());
  if (auto slash = name.find_first_of("&/"); slash != std::string::npos) name.resize(slash);
  auto entries = installedSettingsEntries();
  auto found = std::find_if(entries.begin(), entries.end(), [&](const SettingsEntry& entry) {
    return entry.label == name || entry.bundleName == name;
  });
  if (found == entries.end()) {
    std::fprintf(stderr, "Settings: no settings page is named %s\n", name.c_str());
    return false;
  }
  auto page = makeEntryPage(*found);
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

}  // namespace kavro::sim
