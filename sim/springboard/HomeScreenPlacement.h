#pragma once
// Which applications the home screen shows, and where: every installed application
// not tagged hidden, in the workspace's order; the dock takes the phone's own four
// where they are visible, filled up from the first of the others, and the grid
// takes the rest. Choosing, apart from building views (HomeScreenController).

#include <cstddef>
#include <string>
#include <vector>

class LSApplicationProxy;

namespace kavro::sim {

// An application as the home screen shows it: its identifier and name.
struct HomeScreenApplication {
  std::string identifier;
  std::string name;
  friend bool operator==(const HomeScreenApplication&, const HomeScreenApplication&) = default;
};

struct HomeScreenPlacement {
  std::vector<HomeScreenApplication> grid;
  std::vector<HomeScreenApplication> dock;

  // Places `visible` (in the workspace's order): each of `dockApplications` that
  // is among them goes in the dock, in that order; the dock is then filled up to
  // `dockSize` from the first of the rest; the grid keeps the rest in order.
  static HomeScreenPlacement place(std::vector<HomeScreenApplication> visible,
                                   const std::vector<std::string>& dockApplications, std::size_t dockSize);
};

// An application a person can see on the home screen: installed, and not tagged
// hidden.
bool isVisibleApplication(const LSApplicationProxy& application);
// The visible applications of the current process's workspace, in its order.
std::vector<HomeScreenApplication> visibleApplications();

}  // namespace kavro::sim
