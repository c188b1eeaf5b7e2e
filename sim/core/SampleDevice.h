#pragma once
// Preparing the folder of a simulated device (which folder it is, is
// sim/devicefolder/DeviceFolder.h).
//
// A new device is made from the sample device in the repository; every device gets
// the bundle (re)installed from resources/ each time it is prepared, so a bundle
// update reaches devices that already exist while their applications and stored
// preferences stay as they are.

#include "rootpage/BundleExecutable.h"

#include <filesystem>
#include <string_view>

namespace kavro::sim {

// Where the sources of a device come from.
struct DeviceSources {
  std::filesystem::path sampleDevice;  // copied into a new device
  std::filesystem::path resources;     // the bundle's files

  // The repository this program was built from.
  static DeviceSources fromSourceTree();
};

// Makes `folder` a usable device:
// - a folder that does not exist, or is empty, becomes a copy of the sample device,
//   built in a temporary sibling and renamed into place, so an interrupted creation
//   never leaves a half-made device behind; a device whose creation was cut short
//   some other way (no completion mark) gets what it lacks from the sample, without
//   any file it has being replaced;
// - the bundle and its Settings entry are installed, each file replaced atomically
//   and only when its bytes differ;
// - the preferences folder exists.
// Folders are created with mode 0755. Throws std::runtime_error naming the path on
// any failure (unwritable folder, missing sample or resource file).
void prepareDevice(const std::filesystem::path& folder);
void prepareDevice(const std::filesystem::path& folder, const DeviceSources& sources);
// Installs the bundle and its Settings entry from `resources` into the device
// `folder` (as prepareDevice does), each file replaced only when its bytes differ.
void installKavroBundle(const std::filesystem::path& folder, const std::filesystem::path& resources);
// The name Kavro's bundle is installed under.
inline constexpr const char* kKavroBundleName = "kavroprefs";

// Paths inside a device, relative to its folder: the bundle's own installed path
// (kavro::kBundlePath without its leading "/"), its Settings entry, the domains.
inline constexpr std::string_view kInstalledBundlePath = std::string_view(kavro::kBundlePath).substr(1);
inline constexpr const char* kSettingsEntryPath =
    "var/jb/Library/PreferenceLoader/Preferences/kavroprefs.plist";
inline constexpr const char* kPreferencesPath = "var/jb/var/mobile/Library/Preferences";
// Written last into a device made from the sample: its creation is complete.
inline constexpr const char* kCreatedMarkName = ".kavro-device";

}  // namespace kavro::sim
