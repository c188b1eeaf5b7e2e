#include "platform/preferences/SpecifierResources.h"

#include "platform/uikit/UIScreen.h"

#include <cstdio>
#include <filesystem>
#include <set>

namespace kavro::platform::preferences {

namespace {

constexpr const char* kLocalizedKeys[] = {"label", "footerText", "placeholder", "staticTextMessage"};
constexpr const char* kLocalizedLists[] = {"validTitles", "shortTitles"};

// A name inside the bundle: relative, without "..".
bool staysInBundle(const std::string& name) {
  std::filesystem::path path(name);
  if (name.empty() || path.is_absolute()) return false;
  for (const auto& part : path)
    if (part == "..") return false;
  return true;
}

}  // namespace

std::string stringsTableForList(const std::string& listName) {
  return std::filesystem::path(listName).filename().string();
}

std::string localizedText(const NSBundle& bundle, const std::string& table, const std::string& text) {
  if (text.empty()) return text;
  return bundle.localizedStringForKey(text, text, table);
}

void localizeSpecifiers(const PSSpecifierArray& specifiers, const NSBundle& bundle, const std::string& table) {
  for (const auto& specifier : specifiers) {
    if (!specifier) continue;
    for (const char* key : kLocalizedKeys) {
      PlistValue value = specifier->propertyForKey(key);
      if (value.isString()) specifier->setProperty(PlistValue(localizedText(bundle, table, *value.asString())), key);
    }
    for (const char* key : kLocalizedLists) {
      PlistValue list = specifier->propertyForKey(key);
      const PlistValue::Array* entries = list.asArray();
      if (!entries) continue;
      PlistValue::Array localized = *entries;
      for (PlistValue& entry : localized)
        if (entry.isString()) entry = localizedText(bundle, table, *entry.asString());
      specifier->setProperty(PlistValue(std::move(localized)), key);
    }
  }
}

std::shared_ptr<UIImage> bundleImageNamed(const NSBundle& bundle, const std::string& name, CGFloat scale) {
  if (!staysInBundle(name) || bundle.bundlePath().empty()) return nullptr;
  std::filesystem::path path(name);
  std::string folder = path.parent_path().string();
  std::string stem = path.extension() == ".png" ? path.stem().string() : path.filename().string();
  std::vector<std::string> files;
  if (scale >= 3) files = {stem + "@3x", stem + "@2x", stem};
  else if (scale >= 2) files = {stem + "@2x", stem + "@3x", stem};
  else files = {stem, stem + "@2x", stem + "@3x"};
  for (const std::string& file : files)
    if (auto found = bundle.pathForResource(file, "png", folder))
      if (auto image = UIImage::imageWithContentsOfFile(*found)) return image;
  // A name with another extension is tried as it is written.
  if (path.extension() != ".png" && path.has_extension())
    if (auto found = bundle.pathForResource(path.filename().string(), "", folder))
      return UIImage::imageWithContentsOfFile(*found);
  return nullptr;
}

void loadIcons(const PSSpecifierArray& specifiers, const NSBundle& bundle) {
  static std::set<std::string> reported;
  CGFloat scale = UIScreen::mainScreen()->scale();
  for (const auto& specifier : specifiers) {
    if (!specifier || specifier->objectPropertyForKey("iconImage")) continue;
    PlistValue icon = specifier->propertyForKey("icon");
    if (!icon.isString() || icon.asString()->empty()) continue;
    if (auto image = bundleImageNamed(bundle, *icon.asString(), scale)) {
      specifier->setProperty(image, "iconImage");
    } else if (reported.insert(bundle.bundlePath() + "/" + *icon.asString()).second) {
      std::fprintf(stderr, "Preferences: %s has no picture \"%s\" for the row \"%s\"; the row shows no icon\n",
                   bundle.bundlePath().c_str(), icon.asString()->c_str(), specifier->identifier().c_str());
    }
  }
}

}  // namespace kavro::platform::preferences
