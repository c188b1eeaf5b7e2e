#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSBundlePrivate.h"

#include "platform/device/Device.h"
#include "platform/foundation/DomainFileSnapshot.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/objc/Class.h"
#include "platform/objc/ClassRegistry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>

KAVRO_OBJC_CLASS_IMPLEMENTATION(NSBundle, NSObject, )

namespace {

std::map<std::string, NSBundle::Loader>& loaders() {
  static std::map<std::string, NSBundle::Loader> table;
  return table;
}

// Per process: bundles by path, and the bundle each loaded class came from.
struct BundleTable {
  std::map<std::string, std::shared_ptr<NSBundle>> byPath;
  std::map<const Class*, std::weak_ptr<NSBundle>> byClass;
  std::shared_ptr<NSBundle> main;
};

std::shared_ptr<BundleTable> table() {
  return kavro::platform::Process::current().singleton<BundleTable>([] { return std::make_shared<BundleTable>(); });
}

// A relative folder inside a bundle: no absolute path, no "..".
bool isInsideFolder(const std::string& directory) {
  if (directory.empty()) return true;
  std::filesystem::path path(directory);
  if (path.is_absolute()) return false;
  return std::none_of(path.begin(), path.end(), [](const std::filesystem::path& part) { return part == ".."; });
}

std::string lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The folder names bundles of older times used for their localizations.
const char* englishNameOfLanguage(const std::string& language) {
  static const std::map<std::string, const char*> kNames{
      {"en", "English"}, {"fr", "French"},  {"de", "German"}, {"ja", "Japanese"},
      {"es", "Spanish"}, {"it", "Italian"}, {"nl", "Dutch"},
  };
  auto found = kNames.find(lowercase(language));
  return found == kNames.end() ? nullptr : found->second;
}

// The folder names that may hold a language's strings, best first.
void addCandidates(const std::string& tag, std::vector<std::string>& candidates) {
  if (tag.empty()) return;
  candidates.push_back(tag);
  std::string swapped = tag;
  for (char& c : swapped) c = c == '-' ? '_' : c == '_' ? '-' : c;
  candidates.push_back(swapped);
  std::string language = tag.substr(0, tag.find_first_of("-_"));
  candidates.push_back(language);
  if (const char* english = englishNameOfLanguage(language)) candidates.emplace_back(english);
}

std::optional<std::int64_t> modificationTime(const std::filesystem::path& folder) {
  std::error_code error;
  auto time = std::filesystem::last_write_time(folder, error);
  if (error) return std::nullopt;
  return static_cast<std::int64_t>(time.time_since_epoch().count());
}

}  // namespace

void NSBundle::registerLoader(const std::string& executableName, Loader loader) {
  loaders()[executableName] = std::move(loader);
}

std::shared_ptr<NSBundle> NSBundle::mainBundle() {
  auto bundles = table();
  if (!bundles->main) {
    bundles->main = alloc<NSBundle>();
    bundles->main->mainIdentifier_ = kavro::platform::Process::current().bundleIdentifier();
    bundles->main->loaded_ = true;
  }
  return bundles->main;
}

// Reads the Info.plist of the bundle at `folder` into `info`, which is empty
// when the file is missing or unreadable (said on standard error).
static void readInfo(PlistValue::Dictionary& info, const std::string& path, const std::filesystem::path& folder) {
  info.clear();
  std::string problem;
  auto plist = NSPropertyListSerialization::propertyListWithContentsOfFile(folder / "Info.plist", &problem);
  if (plist && plist->isDictionary())
    info = *plist->asDictionary();
  else if (std::filesystem::exists(folder / "Info.plist"))
    std::fprintf(stderr, "NSBundle: %s/Info.plist cannot be read (%s); the bundle has no info\n",
                 path.c_str(), problem.c_str());
}

std::shared_ptr<NSBundle> NSBundle::bundleWithPath(const std::string& path) {
  auto bundles = table();
  auto found = bundles->byPath.find(path);
  if (found != bundles->byPath.end()) return found->second;
  std::filesystem::path folder = kavro::platform::Device::current().resolve(path);
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) return nullptr;
  auto bundle = alloc<NSBundle>();
  bundle->path_ = path;
  readInfo(bundle->info_, path, folder);
  bundles->byPath[path] = bundle;
  return bundle;
}

namespace kavro::platform::foundation {

void BundleInternals::rereadBundleAtPath(const std::string& path) {
  auto bundles = table();
  auto found = bundles->byPath.find(path);
  if (found == bundles->byPath.end()) return;
  NSBundle& bundle = *found->second;
  readInfo(bundle.info_, path, kavro::platform::Device::current().resolve(path));
  bundle.stringTables_.clear();
  bundle.chosenForLanguage_.clear();
  bundle.chosenFolderTime_.reset();
  bundle.chosenLocalizations_.clear();
}

}  // namespace kavro::platform::foundation

std::shared_ptr<NSBundle> NSBundle::bundleForClass(const Class* cls) {
  auto bundles = table();
  auto found = bundles->byClass.find(cls);
  if (found != bundles->byClass.end())
    if (auto bundle = found->second.lock()) return bundle;
  return mainBundle();
}

std::string NSBundle::bundleIdentifier() const {
  if (!mainIdentifier_.empty()) return mainIdentifier_;
  return objectForInfoDictionaryKey("CFBundleIdentifier").stringOr("");
}

PlistValue NSBundle::objectForInfoDictionaryKey(const std::string& key) const {
  auto found = info_.find(key);
  return found == info_.end() ? PlistValue() : found->second;
}

std::optional<std::string> NSBundle::pathForResource(const std::string& name, const std::string& type) const {
  if (path_.empty() || name.empty() || name.find('/') != std::string::npos) return std::nullopt;
  std::string file = type.empty() ? name : name + "." + type;
  std::string resource = path_ + "/" + file;
  std::error_code error;
  if (!std::filesystem::is_regular_file(kavro::platform::Device::current().resolve(resource), error)) return std::nullopt;
  return resource;
}

std::optional<std::string> NSBundle::pathForResource(const std::string& name, const std::string& type,
                                                     const std::string& directory) const {
  if (directory.empty()) return pathForResource(name, type);
  if (path_.empty() || name.empty() || name.find('/') != std::string::npos || !isInsideFolder(directory))
    return std::nullopt;
  std::string file = type.empty() ? name : name + "." + type;
  std::string resource = path_ + "/" + directory + "/" + file;
  std::error_code error;
  if (!std::filesystem::is_regular_file(kavro::platform::Device::current().resolve(resource), error)) return std::nullopt;
  return resource;
}

// ---------------------------------------------------------------------------
// Localization

std::vector<std::string> NSBundle::localizations() const {
  std::vector<std::string> names;
  if (path_.empty()) return names;
  std::error_code error;
  std::filesystem::directory_iterator folder(kavro::platform::Device::current().resolve(path_), error);
  for (auto end = std::filesystem::directory_iterator(); !error && folder != end; folder.increment(error)) {
    const auto& entry = *folder;
    std::string file = entry.path().filename().string();
    std::error_code kind;
    if (file.size() > 6 && file.ends_with(".lproj") && entry.is_directory(kind)) names.push_back(file.substr(0, file.size() - 6));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> NSBundle::preferredLocalizations() const {
  const std::string& language = kavro::platform::Device::current().language();
  auto folderTime = modificationTime(kavro::platform::Device::current().resolve(path_));
  if (chosenFolderTime_ && chosenFolderTime_ == folderTime && chosenForLanguage_ == language) return chosenLocalizations_;
  std::vector<std::string> candidates;
  addCandidates(language, candidates);
  std::string region = objectForInfoDictionaryKey("CFBundleDevelopmentRegion").stringOr("");
  addCandidates(region.empty() ? "en" : region, candidates);
  std::vector<std::string> available = localizations();
  std::vector<std::string> chosen;
  for (const std::string& candidate : candidates) {
    auto found = std::find_if(available.begin(), available.end(), [&](const std::string& name) {
      return name != "Base" && lowercase(name) == lowercase(candidate);
    });
    if (found != available.end()) {
      chosen.push_back(*found);
      break;
    }
  }
  chosenForLanguage_ = language;
  chosenFolderTime_ = folderTime;
  chosenLocalizations_ = chosen;
  return chosen;
}

const PlistValue* NSBundle::localizedEntry(const std::string& localization, const std::string& table,
                                           const std::string& key) const {
  using kavro::platform::foundation::DomainFileSnapshot;
  std::string inside = localization + ".lproj/" + table + ".strings";
  auto& snapshot = stringTables_[inside];
  if (!snapshot)
    snapshot = std::make_shared<DomainFileSnapshot>(kavro::platform::Device::current().resolve(path_ + "/" + inside));
  snapshot->refresh();
  if (snapshot->state() != DomainFileSnapshot::State::loaded) {
    if (snapshot->state() != DomainFileSnapshot::State::missing && !snapshot->problemReported()) {
      std::fprintf(stderr, "NSBundle: %s/%s cannot be read (%s); its strings are not used\n", path_.c_str(),
                   inside.c_str(), snapshot->problem().c_str());
      snapshot->setProblemReported();
    }
    return nullptr;
  }
  auto found = snapshot->values().find(key);
  return found == snapshot->values().end() || !found->second.isString() ? nullptr : &found->second;
}

std::string NSBundle::localizedStringForKey(const std::string& key, const std::string& value,
                                            const std::string& table) const {
  std::string name = table.empty() ? "Localizable" : table;
  if (!path_.empty() && name.find('/') == std::string::npos && name != "..") {
    std::vector<std::string> places = preferredLocalizations();
    places.push_back("Base");
    for (const std::string& localization : places)
      if (const PlistValue* entry = localizedEntry(localization, name, key)) return *entry->asString();
  }
  return value.empty() ? key : value;
}

bool NSBundle::load() {
  if (loaded_) return true;
  std::string executable = objectForInfoDictionaryKey("CFBundleExecutable").stringOr("");
  auto found = loaders().find(executable);
  if (found == loaders().end()) {
    std::fprintf(stderr, "NSBundle: %s has no loadable executable \"%s\"\n", path_.c_str(), executable.c_str());
    return false;
  }
  // The classes the loader registers belong to this bundle.
  auto classes = found->second();
  loaded_ = true;
  auto bundles = table();
  for (const Class* cls : classes) {
    ClassRegistry::registerClass(cls);
    bundles->byClass[cls] = self<NSBundle>();
  }
  return true;
}

const Class* NSBundle::principalClass() {
  if (!load()) return nullptr;
  return NSClassFromString(objectForInfoDictionaryKey("NSPrincipalClass").stringOr(""));
}
