#include "platform/foundation/NSBundle.h"

#include "platform/device/Device.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/objc/Class.h"
#include "platform/objc/ClassRegistry.h"

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

std::shared_ptr<NSBundle> NSBundle::bundleWithPath(const std::string& path) {
  auto bundles = table();
  auto found = bundles->byPath.find(path);
  if (found != bundles->byPath.end()) return found->second;
  std::filesystem::path folder = kavro::platform::Device::current().resolve(path);
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) return nullptr;
  auto bundle = alloc<NSBundle>();
  bundle->path_ = path;
  std::string problem;
  auto info = NSPropertyListSerialization::propertyListWithContentsOfFile(folder / "Info.plist", &problem);
  if (info && info->isDictionary())
    bundle->info_ = *info->asDictionary();
  else if (std::filesystem::exists(folder / "Info.plist"))
    std::fprintf(stderr, "NSBundle: %s/Info.plist cannot be read (%s); the bundle has no info\n",
                 path.c_str(), problem.c_str());
  bundles->byPath[path] = bundle;
  return bundle;
}

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
