#pragma once
// The icons one process has handed out, by identifier, format and scale. A cached
// icon is given again only while the application's Info.plist and the icon files it
// names are as they were (a few stat() calls), so a changed icon shows at the next
// call.

#include "platform/coregraphics/CGGeometry.h"
#include "platform/mobilecoreservices/ApplicationBundle.h"
#include "platform/mobilecoreservices/FileIdentity.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class UIImage;

namespace kavro::platform::mobilecoreservices {

class ApplicationIconCache {
 public:
  // Caches stop growing here: past it they are emptied and filled anew, so that
  // asking for ever new identifiers cannot take all memory.
  static constexpr std::size_t kMaximumEntries = 4096;

  // The cache of the current simulated process.
  static ApplicationIconCache& current();

  // The icon for `identifier` in `format`, `scale` points per pixel (a scale that is
  // not a number or not positive means the screen's; others are held to 1 to 3).
  std::shared_ptr<UIImage> icon(const std::string& identifier, int format, CGFloat scale);

 private:
  struct IconFile {
    std::string path;
    FileIdentity identity;
    friend bool operator==(const IconFile&, const IconFile&) = default;
  };
  using IconFiles = std::vector<std::optional<IconFile>>;  // one per declared name
  struct Entry {
    std::shared_ptr<const ApplicationBundle> bundle;  // nullptr: no such application
    IconFiles files;
    bool settled = false;
    std::shared_ptr<UIImage> image;
  };

  static IconFiles resolveIconFiles(const ApplicationBundle* bundle);
  // The file a declared icon name stands for: the name as it is, then NAME@3x.png,
  // NAME@2x.png and NAME.png, the first that is a regular file.
  static std::optional<IconFile> resolveIconName(const std::string& bundleFolder,
                                                 const std::string& name);
  static std::shared_ptr<UIImage> imageFromFiles(const ApplicationBundle& bundle, IconFiles& files,
                                                 CGFloat points, std::uint32_t pixels, bool& settled);
  std::shared_ptr<UIImage> placeholder(const std::string& identifier, CGFloat points, std::uint32_t pixels);

  std::unordered_map<std::string, Entry> icons_;                            // by identifier, format, pixels
  std::unordered_map<std::string, std::shared_ptr<UIImage>> placeholders_;  // by identifier, size
};

}  // namespace kavro::platform::mobilecoreservices
