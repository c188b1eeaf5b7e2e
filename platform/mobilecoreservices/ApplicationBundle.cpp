#include "platform/mobilecoreservices/ApplicationBundle.h"

namespace kavro::platform::mobilecoreservices {

namespace {

// A name given as a non-empty string. An empty display name would leave the row
// without a title, so it counts as absent and the next source is asked.
std::optional<std::string> nameFrom(const PlistValue& value) {
  const std::string* name = value.asString();
  if (!name || name->empty()) return std::nullopt;
  return *name;
}

std::optional<std::vector<std::string>> tagsFrom(const PlistValue& value) {
  const PlistValue::Array* array = value.asArray();
  if (!array) return std::nullopt;
  std::vector<std::string> tags;
  for (const PlistValue& element : *array)
    if (const std::string* tag = element.asString()) tags.push_back(*tag);
  return tags;
}

void appendIconNames(const PlistValue& value, std::vector<std::string>& names) {
  auto append = [&names](const PlistValue& element) {
    const std::string* name = element.asString();
    if (name && isPlainFileName(*name)) names.push_back(*name);
  };
  if (const PlistValue::Array* array = value.asArray()) {
    for (const PlistValue& element : *array) append(element);
  } else {
    append(value);
  }
}

// The icon names of the first place that declares any: the primary icon of
// CFBundleIcons, then the older top-level CFBundleIconFiles and CFBundleIconFile.
std::vector<std::string> iconNamesFrom(const PlistValue& info) {
  std::vector<std::string> names;
  for (const PlistValue* source : {&info["CFBundleIcons"]["CFBundlePrimaryIcon"]["CFBundleIconFiles"],
                                   &info["CFBundleIconFiles"], &info["CFBundleIconFile"]}) {
    appendIconNames(*source, names);
    if (!names.empty()) break;
  }
  return names;
}

}  // namespace

bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

std::shared_ptr<const ApplicationBundle> ApplicationBundle::fromInfoPlist(
    const PlistValue& info, std::string bundlePath, std::string hostBundlePath,
    std::string& problem) {
  if (!info.isDictionary()) {
    problem = std::string("its Info.plist holds ") + PlistValue::typeName(info.type()) +
              ", not a dictionary";
    return nullptr;
  }
  const std::string* identifier = info["CFBundleIdentifier"].asString();
  if (!identifier || identifier->empty()) {
    problem = "its Info.plist has no CFBundleIdentifier string";
    return nullptr;
  }
  auto bundle = std::make_shared<ApplicationBundle>();
  bundle->identifier = *identifier;
  bundle->localizedName = nameFrom(info["CFBundleDisplayName"]);
  if (!bundle->localizedName) bundle->localizedName = nameFrom(info["CFBundleName"]);
  bundle->appTags = tagsFrom(info["SBAppTags"]);
  bundle->iconFileNames = iconNamesFrom(info);
  bundle->bundlePath = std::move(bundlePath);
  bundle->hostBundlePath = std::move(hostBundlePath);
  return bundle;
}

}  // namespace kavro::platform::mobilecoreservices
