#pragma once
// What only the simulator's host uses of bundles: a bundle whose files were
// replaced on the device (a preference bundle installed again while Settings
// runs) is read again in place, so that the pages holding it see its new
// Info.plist and strings.

#include <string>

namespace kavro::platform::foundation {

struct BundleInternals {
  // In the current process: the bundle at the iOS path `path`, if one was made,
  // reads its Info.plist again and forgets its strings tables and chosen
  // localization. Nothing happens when no bundle was made at that path.
  static void rereadBundleAtPath(const std::string& path);
};

}  // namespace kavro::platform::foundation
