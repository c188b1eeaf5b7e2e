#include "platform/mobilecoreservices/ApplicationCatalogue.h"

#include "platform/device/Device.h"
#include "platform/device/Process.h"
#include "platform/foundation/NSPropertyListSerialization.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace kavro::platform::mobilecoreservices {

namespace {

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() > suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The names of the folders inside `folder` (symbolic links followed) that end in
// `suffix`, in byte order; empty when `folder` cannot be read.
std::vector<std::string> subfolders(const std::string& folder, std::string_view suffix) {
  std::vector<std::string> names;
  DIR* directory = ::opendir(folder.c_str());
  if (!directory) return names;
  while (const struct dirent* entry = ::readdir(directory)) {
    std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    if (!suffix.empty() && !endsWith(name, suffix)) continue;
    bool isFolder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      struct stat status {};
      isFolder = ::fstatat(::dirfd(directory), entry->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
    }
    if (isFolder) names.emplace_back(name);
  }
  ::closedir(directory);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

ApplicationCatalogue& ApplicationCatalogue::current() {
  kavro::platform::Process& process = kavro::platform::Process::current();
  return *process.singleton<ApplicationCatalogue>([&process] {
    auto catalogue = std::make_shared<ApplicationCatalogue>();
    catalogue->systemRoot_ = process.device().resolve(kSystemApplicationsPath).native() + "/";
    catalogue->userRoot_ = process.device().resolve(kUserApplicationsPath).native() + "/";
    return catalogue;
  });
}

ApplicationCatalogue::Bundles ApplicationCatalogue::installedBundles() {
  Bundles bundles;
  enumerate(bundles);
  return bundles;
}

std::shared_ptr<const ApplicationBundle> ApplicationCatalogue::bundleWithIdentifier(
    const std::string& identifier) {
  if (stamp_) {
    auto known = byIdentifier_.find(identifier);
    if (known != byIdentifier_.end()) {
      std::shared_ptr<const ApplicationBundle> bundle =
          readBundle(known->second->bundlePath, known->second->hostBundlePath, readings_, false);
      if (bundle && bundle->identifier == identifier) return known->second = bundle;
    } else if (stamp_->settled && currentStamp() == *stamp_) {
      // Nothing was added to or removed from the application folders since the last
      // enumeration, which did not find the identifier.
      return nullptr;
    }
  }
  Bundles ignored;
  enumerate(ignored);
  auto found = byIdentifier_.find(identifier);
  return found == byIdentifier_.end() ? nullptr : found->second;
}

void ApplicationCatalogue::enumerate(Bundles& bundles) {
  // The stamp is taken before the folders are listed, so that a change made while
  // they are listed shows as a different stamp at the next look.
  const struct timespec clockBeforeListing = fileClockNow();
  FolderStamp stamp = currentStamp();
  stamp.settled = (!stamp.system || isSettled(*stamp.system, clockBeforeListing)) &&
                  (!stamp.user || isSettled(*stamp.user, clockBeforeListing));

  ReadingCache readings;
  readings.reserve(readings_.size());
  ListingCache listings;
  listings.reserve(listings_.size());
  byIdentifier_.clear();
  for (const std::string& name : subfolders(systemRoot_, ".app"))
    addBundle(std::string(kSystemApplicationsPath) + "/" + name, systemRoot_ + name, readings, bundles);
  for (const std::string& container : subfolders(userRoot_, "")) {
    const std::string hostContainer = userRoot_ + container;
    const std::string containerPath = std::string(kUserApplicationsPath) + "/" + container + "/";
    for (const std::string& name : containerApplications(hostContainer, listings))
      addBundle(containerPath + name, hostContainer + "/" + name, readings, bundles);
  }
  // What belonged to applications and containers that are gone goes with the old caches.
  readings_.swap(readings);
  listings_.swap(listings);
  stamp_ = stamp;
}

const std::vector<std::string>& ApplicationCatalogue::containerApplications(
    const std::string& hostContainer, ListingCache& listings) {
  auto previous = listings_.extract(hostContainer);
  const struct timespec clockBeforeListing = fileClockNow();
  std::optional<FileIdentity> identity = fileIdentity(hostContainer);
  if (previous && identity && previous.mapped().settled && previous.mapped().identity == *identity)
    return listings.insert(std::move(previous)).position->second.applications;
  ContainerListing listing;
  // The identity is taken before the listing, so that a change made meanwhile shows
  // as a different identity at the next look.
  if (identity) {
    listing.identity = *identity;
    listing.settled = isSettled(*identity, clockBeforeListing);
  }
  listing.applications = subfolders(hostContainer, ".app");
  return listings.insert_or_assign(hostContainer, std::move(listing)).first->second.applications;
}

void ApplicationCatalogue::addBundle(const std::string& bundlePath,
                                     const std::string& hostBundlePath,
                                     ReadingCache& readings, Bundles& bundles) {
  auto previous = readings_.extract(hostBundlePath);
  if (previous) readings.insert(std::move(previous));
  std::shared_ptr<const ApplicationBundle> bundle = readBundle(bundlePath, hostBundlePath, readings, true);
  if (!bundle) return;
  auto [entry, added] = byIdentifier_.emplace(bundle->identifier, bundle);
  if (!added) {
    report(bundlePath, "its identifier " + bundle->identifier + " is already that of " +
                           entry->second->bundlePath);
    return;
  }
  // Listed now, so a later problem with it is news again.
  if (!reported_.empty()) reported_.erase(bundlePath);
  bundles.push_back(std::move(bundle));
}

std::shared_ptr<const ApplicationBundle> ApplicationCatalogue::readBundle(
    const std::string& bundlePath, const std::string& hostBundlePath, ReadingCache& readings,
    bool reportMissing) {
  const std::string infoPath = hostBundlePath + "/Info.plist";
  auto cached = readings.find(hostBundlePath);
  if (cached != readings.end() && cached->second.settled) {
    std::optional<FileIdentity> identity = fileIdentity(infoPath);
    if (identity && cached->second.identity == *identity) return cached->second.bundle;
  }

  ++infoPlistReadCount_;
  std::string problem;
  int error = 0;
  std::optional<FileReading> file = readFile(infoPath, NSPropertyListSerialization::kMaximumFileSize, problem, &error);
  if (!file && (error == ENOENT || error == ENOTDIR)) {
    readings.erase(hostBundlePath);
    if (reportMissing) report(bundlePath, "it has no Info.plist");
    return nullptr;
  }
  InfoPlistReading reading;
  if (file) {
    reading.identity = file->identity;
    reading.settled = file->settled;
    std::string parseError;
    if (std::optional<PlistValue> info = NSPropertyListSerialization::propertyListWithData(file->bytes, &parseError))
      reading.bundle = ApplicationBundle::fromInfoPlist(*info, bundlePath, hostBundlePath, problem);
    else
      problem = "its Info.plist is not a property list (" + parseError + ")";
  } else {
    // Not settled: read again at the next look, when the problem may be gone.
    problem = "its Info.plist cannot be read (" + problem + ")";
  }
  if (!reading.bundle) report(bundlePath, problem);
  std::shared_ptr<const ApplicationBundle> bundle = reading.bundle;
  readings.insert_or_assign(hostBundlePath, std::move(reading));
  return bundle;
}

ApplicationCatalogue::FolderStamp ApplicationCatalogue::currentStamp() const {
  FolderStamp stamp;
  stamp.system = fileIdentity(systemRoot_);
  stamp.user = fileIdentity(userRoot_);
  return stamp;
}

void ApplicationCatalogue::report(const std::string& bundlePath, const std::string& problem) {
  std::string& last = reported_[bundlePath];
  if (last == problem) return;
  last = problem;
  std::fprintf(stderr, "LSApplicationWorkspace: skipping the application %s: %s\n", bundlePath.c_str(),
               problem.c_str());
}

}  // namespace kavro::platform::mobilecoreservices
