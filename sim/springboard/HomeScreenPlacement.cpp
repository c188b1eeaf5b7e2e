#include "sim/springboard/HomeScreenPlacement.h"

#include "platform/mobilecoreservices/LSApplicationProxy.h"
#include "platform/mobilecoreservices/LSApplicationRecord.h"
#include "platform/mobilecoreservices/LSApplicationWorkspace.h"

#include <algorithm>

namespace kavro::sim {

namespace {
constexpr const char* kHiddenTag = "hidden";
}  // namespace

HomeScreenPlacement HomeScreenPlacement::place(std::vector<HomeScreenApplication> visible,
                                               const std::vector<std::string>& dockApplications,
                                               std::size_t dockSize) {
  HomeScreenPlacement placement;
  for (const std::string& identifier : dockApplications) {
    auto found = std::find_if(visible.begin(), visible.end(),
                              [&](const HomeScreenApplication& application) { return application.identifier == identifier; });
    if (found == visible.end()) continue;
    placement.dock.push_back(*found);
    visible.erase(found);
  }
  std::size_t fill = std::min(visible.size(), dockSize > placement.dock.size() ? dockSize - placement.dock.size() : 0);
  placement.dock.insert(placement.dock.end(), visible.begin(), visible.begin() + static_cast<std::ptrdiff_t>(fill));
  placement.grid.assign(visible.begin() + static_cast<std::ptrdiff_t>(fill), visible.end());
  return placement;
}

bool isVisibleApplication(const LSApplicationProxy& application) {
  if (!application.isInstalled()) return false;
  auto record = application.correspondingApplicationRecord();
  auto tags = record ? record->appTags() : std::nullopt;
  return !tags || std::find(tags->begin(), tags->end(), kHiddenTag) == tags->end();
}

std::vector<HomeScreenApplication> visibleApplications() {
  std::vector<HomeScreenApplication> list;
  for (auto& application : LSApplicationWorkspace::defaultWorkspace()->allInstalledApplications())
    if (isVisibleApplication(*application)) list.push_back({application->applicationIdentifier(), application->localizedName()});
  return list;
}

}  // namespace kavro::sim
