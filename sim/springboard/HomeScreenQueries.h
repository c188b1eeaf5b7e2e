#pragma once
// How the core's queries, dump and buttons see the home screen: the kinds of query
// it adds (`icon:ID`, `shortcut:ID`, `add-shortcut`, and `action:"TITLE"` for the
// open menu's actions), the dump's `menu`, and its icons (the grid's, the dock's,
// the menu's shortcuts) as buttons named after their application. A home-screen
// query or dump member is one entry of a table in HomeScreenQueries.cpp.

#include "sim/core/Dump.h"
#include "sim/core/Query.h"
#include "sim/core/Screen.h"

#include <memory>
#include <string>
#include <vector>

namespace kavro::sim {

class HomeScreenController;
class QuickActionMenuView;

const std::vector<QueryKind>& homeScreenQueries();
const std::vector<DumpMember>& homeScreenDumpMembers();
// An icon's application identifier, while the home screen is the front-most
// controller of its window (nothing is presented over it); else "".
std::string homeScreenIconLabel(const Screen& screen, const UIView& view);

// The home screen when it is the screen's root controller, else nullptr.
std::shared_ptr<HomeScreenController> homeScreenOf(const Screen& screen);
// The home screen's open quick-action menu, when nothing is presented over the
// home screen, else nullptr.
std::shared_ptr<QuickActionMenuView> openMenuOf(const Screen& screen);

}  // namespace kavro::sim
