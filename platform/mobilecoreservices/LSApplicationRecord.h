#pragma once
// The record the system keeps of an installed application: its tags and its
// declared icons, as its Info.plist gives them when the record is made.

#include "platform/objc/NSObject.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kavro::platform::mobilecoreservices {
struct ApplicationBundle;
}

class LSApplicationRecord : public NSObject {
  KAVRO_OBJC_CLASS(LSApplicationRecord)
 public:
  LSApplicationRecord() = default;
  explicit LSApplicationRecord(std::shared_ptr<const kavro::platform::mobilecoreservices::ApplicationBundle> bundle);

  // SBAppTags: nothing when the Info.plist has none or it is no array; elements that
  // are not strings are left out.
  std::optional<std::vector<std::string>> appTags() const;
  // The declared icon names: CFBundleIcons > CFBundlePrimaryIcon > CFBundleIconFiles,
  // else the older top-level CFBundleIconFiles, else CFBundleIconFile. Names that are
  // not plain file names are left out.
  std::vector<std::string> iconFileNames() const;
  std::string description() const override;

 private:
  std::shared_ptr<const kavro::platform::mobilecoreservices::ApplicationBundle> bundle_;
};
