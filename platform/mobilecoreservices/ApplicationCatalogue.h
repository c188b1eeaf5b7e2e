#pragma once
// The applications installed on the simulated device, as one process sees them.
//
// Applications are the .app folders of /Applications (system) and of
// /var/containers/Bundle/Application/UUID/ (user), each described by its Info.plist.
// Every enumeration looks at the folders anew, so an application installed or
// removed meanwhile shows at the next call; what makes that cheap is that an
// Info.plist is parsed again only when a stat() of it shows that it changed.

#include "platform/mobilecoreservices/ApplicationBundle.h"
#include "platform/mobilecoreservices/FileIdentity.h"

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kavro::platform::mobilecoreservices {

class ApplicationCatalogue {
 public:
  static constexpr const char* kSystemApplicationsPath = "/Applications";
  static constexpr const char* kUserApplicationsPath = "/var/containers/Bundle/Application";

  using Bundles = std::vector<std::shared_ptr<const ApplicationBundle>>;

  // The catalogue of the current simulated process.
  static ApplicationCatalogue& current();

  // Every installed application: system applications, then user applications, each
  // group in the byte order of its folder names. An application whose Info.plist is
  // missing, unreadable, not a dictionary or without a string CFBundleIdentifier is
  // left out, as is a second application with an identifier already listed; each is
  // named once on standard error.
  Bundles installedBundles();

  // The installed application with `identifier`, or nullptr. Costs one stat() when
  // the application was known at the last enumeration and has not changed.
  std::shared_ptr<const ApplicationBundle> bundleWithIdentifier(const std::string& identifier);

  // How many times an Info.plist has been read and parsed, for tests and benchmarks
  // of the cache.
  std::size_t infoPlistReadCount() const { return infoPlistReadCount_; }

 private:
  struct InfoPlistReading {
    FileIdentity identity;
    bool settled = false;
    std::shared_ptr<const ApplicationBundle> bundle;  // nullptr when the file is broken
  };
  using ReadingCache = std::unordered_map<std::string, InfoPlistReading>;

  // The top folders as they were at the last enumeration: while they stay the same,
  // no application has been added or removed there.
  struct FolderStamp {
    std::optional<FileIdentity> system;
    std::optional<FileIdentity> user;
    bool settled = false;
    friend bool operator==(const FolderStamp& a, const FolderStamp& b) {
      return a.system == b.system && a.user == b.user;
    }
  };

  // The .app folders of one user container, listed again only when the container
  // folder itself changed.
  struct ContainerListing {
    FileIdentity identity;
    bool settled = false;
    std::vector<std::string> applications;
  };
  using ListingCache = std::unordered_map<std::string, ContainerListing>;

  void enumerate(Bundles& bundles);
  const std::vector<std::string>& containerApplications(const std::string& hostContainer,
                                                        ListingCache& listings);
  void addBundle(const std::string& bundlePath, const std::string& hostBundlePath,
                 ReadingCache& readings, Bundles& bundles);
  std::shared_ptr<const ApplicationBundle> readBundle(const std::string& bundlePath,
                                                      const std::string& hostBundlePath,
                                                      ReadingCache& readings, bool reportMissing);
  FolderStamp currentStamp() const;
  void report(const std::string& bundlePath, const std::string& problem);

  // Host paths of the two application folders, each ending in "/".
  std::string systemRoot_;
  std::string userRoot_;
  ReadingCache readings_;  // by the .app folder's path on this machine
  ListingCache listings_;  // by the container's path on this machine
  std::unordered_map<std::string, std::shared_ptr<const ApplicationBundle>> byIdentifier_;
  std::optional<FolderStamp> stamp_;  // nothing until the first enumeration
  std::map<std::string, std::string> reported_;  // bundle path -> problem last reported
  std::size_t infoPlistReadCount_ = 0;
};

}  // namespace kavro::platform::mobilecoreservices
