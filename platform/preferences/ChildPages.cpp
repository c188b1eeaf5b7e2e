#include "platform/preferences/ChildPages.h"

#include "platform/device/Device.h"
#include "platform/objc/ClassRegistry.h"
#include "platform/preferences/PSListController.h"
#include "platform/preferences/PSListControllerPrivate.h"
#include "platform/preferences/PSListItemsController.h"
#include "platform/preferences/PSSpecifierList.h"
#include "platform/preferences/RowActions.h"
#include "platform/preferences/UnavailablePageController.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>

namespace kavro::platform::preferences {

namespace {

namespace fs = std::filesystem;

constexpr int kDeepestFolder = 4;
constexpr int kMostEntries = 4000;
// Keys whose values name classes or the row's storage, never a list.
const std::set<std::string> kClassKeys{"cell", "cellClass", "detail", "headerCellClass", "footerCellClass"};
// The framework's keys: their values are tried after the row's own.
const std::set<std::string> kFrameworkKeys{"label", "id", "key", "defaults", "action", "PostNotification",
                                           "footerText", "placeholder", "url", "icon"};

std::string lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A relative name inside the bundle without ".plist", or nullopt.
std::optional<std::string> listNameIn(std::string value) {
  if (value.starts_with("./")) value.erase(0, 2);
  if (value.ends_with(".plist")) value.resize(value.size() - 6);
  fs::path path(value);
  if (value.empty() || path.is_absolute()) return std::nullopt;
  for (const auto& part : path)
    if (part == ".." || part == ".") return std::nullopt;
  return value;
}

bool bundleHasList(const NSBundle& bundle, const std::string& name) {
  fs::path path(name);
  auto found = bundle.pathForResource(path.filename().string(), "plist", path.parent_path().string());
  return found && isSpecifierList(*found);
}

std::optional<std::string> listNamedByRow(const NSBundle& bundle, const PSSpecifier& row) {
  std::vector<std::string> own, framework;
  for (const auto& [key, value] : row.properties()) {
    if (!value.isString() || kClassKeys.count(key)) continue;
    (kFrameworkKeys.count(key) ? framework : own).push_back(*value.asString());
  }
  own.insert(own.end(), framework.begin(), framework.end());
  for (const std::string& value : own)
    if (auto name = listNameIn(value); name && bundleHasList(bundle, *name)) return name;
  return std::nullopt;
}

std::optional<std::string> listNamedByClass(const NSBundle& bundle, const std::string& className,
                                            const std::string& ownList) {
  std::string haystack = lowercase(className);
  std::vector<std::string> candidates;
  for (const std::string& name : specifierListNames(bundle)) {
    std::string base = lowercase(fs::path(name).filename().string());
    if (name != ownList && !base.empty() && haystack.find(base) != std::string::npos) candidates.push_back(name);
  }
  auto baseLength = [](const std::string& name) { return fs::path(name).filename().string().size(); };
  std::stable_sort(candidates.begin(), candidates.end(),
                   [&](const std::string& a, const std::string& b) { return baseLength(a) > baseLength(b); });
  if (candidates.empty()) return std::nullopt;
  return candidates.front();
}

std::shared_ptr<PSListController> pageForList(PSListController& opener, const std::string& list) {
  auto page = alloc<PSListController>();
  page->init();
  ListControllerInternals::showList(*page, opener.bundle(), list);
  return page;
}

std::shared_ptr<UIViewController> listItemsPage(const std::string& name) {
  const Class* cls = NSClassFromString(name);
  if (!cls || !cls->isSubclassOfClass(PSListItemsController::classObject())) cls = PSListItemsController::classObject();
  auto page = std::dynamic_pointer_cast<UIViewController>(cls->alloc());
  return page ? page->init() : nullptr;
}

// The page of a class that cannot run: the list it would show, else a page that
// says it cannot be shown.
std::shared_ptr<UIViewController> standInPage(PSListController& opener, const std::shared_ptr<PSSpecifier>& row,
                                              const std::string& name) {
  auto bundle = opener.bundle();
  auto list = bundle ? guessChildList(*bundle, *row, name, opener.specifierListName()) : std::nullopt;
  recordUnavailablePage(*row, name, list.value_or(""));
  std::string instead = list ? "it shows " + *list + ".plist instead" : "it cannot be shown";
  std::fprintf(stderr, "Preferences: the page \"%s\" of the row \"%s\" is the bundle's own code; %s\n", name.c_str(),
               row->identifier().c_str(), instead.c_str());
  if (list) return pageForList(opener, *list);
  return alloc<UnavailablePageController>()->initWithClassName(name);
}

}  // namespace

std::vector<std::string> specifierListNames(const NSBundle& bundle) {
  std::vector<std::string> names;
  if (bundle.bundlePath().empty()) return names;
  fs::path root = kavro::platform::Device::current().resolve(bundle.bundlePath());
  std::error_code error;
  fs::recursive_directory_iterator walk(root, fs::directory_options::skip_permission_denied, error);
  int entries = 0;
  for (auto end = fs::recursive_directory_iterator(); !error && walk != end && ++entries <= kMostEntries;
       walk.increment(error)) {
    const fs::path& path = walk->path();
    std::error_code kind;
    if (walk->is_directory(kind)) {
      if (path.extension() == ".lproj" || walk.depth() + 1 >= kDeepestFolder) walk.disable_recursion_pending();
      continue;
    }
    if (path.extension() != ".plist" || !walk->is_regular_file(kind)) continue;
    fs::path relative = path.lexically_relative(root);
    if (relative == "Info.plist") continue;
    std::string name = relative.replace_extension().generic_string();
    if (isSpecifierList(bundle.bundlePath() + "/" + name + ".plist")) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> guessChildList(const NSBundle& bundle, const PSSpecifier& row, const std::string& className,
                                          const std::string& ownList) {
  if (auto named = listNamedByRow(bundle, row)) return named;
  return listNamedByClass(bundle, className, ownList);
}

std::shared_ptr<UIViewController> makeDetailPage(PSListController& opener, const std::shared_ptr<PSSpecifier>& row) {
  std::string name = row->detailControllerClassName();
  if (row->cellType() == PSCellType::linkList) return listItemsPage(name);
  if (name.empty()) return nullptr;
  const Class* cls = NSClassFromString(name);
  if (!cls) return standInPage(opener, row, name);
  if (!cls->isSubclassOfClass(UIViewController::classObject())) {
    std::fprintf(stderr, "Preferences: the detail page \"%s\" of the row \"%s\" is no view controller; nothing opens\n",
                 name.c_str(), row->identifier().c_str());
    return nullptr;
  }
  if (cls == PSListController::classObject()) {
    // The framework's own list page shows the list the row names, if any.
    auto bundle = opener.bundle();
    auto list = bundle ? listNamedByRow(*bundle, *row) : std::nullopt;
    if (list) return pageForList(opener, *list);
    std::fprintf(stderr, "Preferences: the row \"%s\" opens a PSListController but names no list of its bundle; "
                 "the page has no rows\n", row->identifier().c_str());
  }
  if (cls->isSubclassOfClass(PSListItemsController::classObject())) return listItemsPage(name);
  auto page = std::dynamic_pointer_cast<UIViewController>(cls->alloc());
  return page ? page->init() : nullptr;
}

}  // namespace kavro::platform::preferences
