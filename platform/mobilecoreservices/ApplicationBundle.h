#pragma once
// What the workspace knows of one installed application: the parts of its
// Info.plist that proxies, records and icons report, and where its .app folder is.
// Made once per reading of the Info.plist and shared, never changed, by every proxy
// and record made from that reading.

#include "platform/foundation/PlistValue.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kavro::platform::mobilecoreservices {

struct ApplicationBundle {
  std::string identifier;                               // CFBundleIdentifier
  std::optional<std::string> localizedName;             // CFBundleDisplayName, else CFBundleName
  std::optional<std::vector<std::string>> appTags;      // SBAppTags, when it is an array
  std::vector<std::string> iconFileNames;               // declared icon names, in order
  std::string bundlePath;                               // the iOS path of the .app folder
  std::string hostBundlePath;                           // the same folder on this machine

  // Reads a parsed Info.plist. Nothing, with `problem` saying why, when it is no
  // dictionary or has no string CFBundleIdentifier.
  static std::shared_ptr<const ApplicationBundle> fromInfoPlist(const PlistValue& info,
                                                                std::string bundlePath,
                                                                std::string hostBundlePath,
                                                                std::string& problem);
};

// Whether a declared icon name can name a file inside the .app folder: a plain file
// name, so that no Info.plist reaches files outside its own bundle.
bool isPlainFileName(const std::string& name);

}  // namespace kavro::platform::mobilecoreservices
