// Which applications go in the home screen's dock and grid, over generated
// workspaces: each visible application shows exactly once, the phone's own four
// go in the dock where they are visible, the dock is filled up from the first of
// the others, and the grid keeps the workspace's order.

#include "sim/springboard/HomeScreenPlacement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace kavro::sim {
namespace {

using Applications = std::vector<HomeScreenApplication>;

std::vector<std::string> identifiers(const Applications& applications) {
  std::vector<std::string> list;
  for (auto& application : applications) list.push_back(application.identifier);
  return list;
}

TEST(HomeScreenPlacementTest, ThePhonesOwnFourGoInTheDockInTheirOrderAndTheGridKeepsTheRest) {
  Applications visible = {{"a", "A"}, {"music", "Music"}, {"b", "B"}, {"phone", "Phone"}, {"c", "C"}};
  auto placement = HomeScreenPlacement::place(visible, {"phone", "safari", "music"}, 4);
  EXPECT_EQ(identifiers(placement.dock), (std::vector<std::string>{"phone", "music", "a", "b"}));
  EXPECT_EQ(identifiers(placement.grid), std::vector<std::string>{"c"});
  EXPECT_EQ(placement.dock[1].name, "Music");
}

TEST(HomeScreenPlacementTest, FewerApplicationsThanTheDockHoldsAllGoInTheDock) {
  auto placement = HomeScreenPlacement::place({{"a", "A"}, {"b", "B"}}, {"b"}, 4);
  EXPECT_EQ(identifiers(placement.dock), (std::vector<std::string>{"b", "a"}));
  EXPECT_TRUE(placement.grid.empty());
  EXPECT_TRUE(HomeScreenPlacement::place({}, {"b"}, 4).dock.empty());
}

TEST(HomeScreenPlacementTest, EveryVisibleApplicationShowsOnceOverGeneratedWorkspaces) {
  std::mt19937 random(15);
  for (int round = 0; round < 500; ++round) {
    std::size_t count = random() % 40;
    Applications visible;
    for (std::size_t i = 0; i < count; ++i) visible.push_back({"app" + std::to_string(i), "App " + std::to_string(i)});
    std::shuffle(visible.begin(), visible.end(), random);
    std::vector<std::string> preferred;
    for (std::size_t i = random() % 6; i > 0; --i) preferred.push_back("app" + std::to_string(random() % 50));
    std::size_t dockSize = random() % 6;
    auto placement = HomeScreenPlacement::place(visible, preferred, dockSize);
    SCOPED_TRACE("round " + std::to_string(round));

    // Each once, nothing else.
    Applications all = placement.dock;
    all.insert(all.end(), placement.grid.begin(), placement.grid.end());
    std::multiset<std::string> shown;
    for (auto& application : all) shown.insert(application.identifier);
    std::vector<std::string> expected = identifiers(visible);
    EXPECT_EQ(shown, std::multiset<std::string>(expected.begin(), expected.end()));
    // The preferred ones that are visible lead the dock, once each, in their order
    // (the dock may then hold more than dockSize).
    std::vector<std::string> leading;
    for (auto& identifier : preferred)
      if (std::find(expected.begin(), expected.end(), identifier) != expected.end() &&
          std::find(leading.begin(), leading.end(), identifier) == leading.end())
        leading.push_back(identifier);
    auto dock = identifiers(placement.dock);
    ASSERT_GE(dock.size(), leading.size());
    EXPECT_EQ(std::vector<std::string>(dock.begin(), dock.begin() + static_cast<long>(leading.size())), leading);
    EXPECT_EQ(dock.size(), std::max(leading.size(), std::min(dockSize, visible.size())));
    // The rest, dock filling and grid alike, in the workspace's order.
    std::vector<std::string> rest(dock.begin() + static_cast<long>(leading.size()), dock.end());
    for (auto& identifier : identifiers(placement.grid)) rest.push_back(identifier);
    std::vector<std::string> order;
    for (auto& identifier : expected)
      if (std::find(leading.begin(), leading.end(), identifier) == leading.end()) order.push_back(identifier);
    EXPECT_EQ(rest, order);
  }
}

}  // namespace
}  // namespace kavro::sim
