#include "sim/springboard/HomeScreenQueries.h"

#include "sim/springboard/HomeScreenController.h"

namespace kavro::sim {

using nlohmann::json;

std::shared_ptr<HomeScreenController> homeScreenOf(const Screen& screen) {
  auto& window = screen.window();
  return std::dynamic_pointer_cast<HomeScreenController>(window ? window->rootViewController() : nullptr);
}

std::shared_ptr<QuickActionMenuView> openMenuOf(const Screen& screen) {
  auto home = homeScreenOf(screen);
  return home && screen.frontMost() == home ? home->menu() : nullptr;
}

std::string homeScreenIconLabel(const Screen& screen, const UIView& view) {
  auto icon = dynamic_cast<const HomeScreenIconView*>(&view);
  if (!icon) return "";
  auto home = homeScreenOf(screen);
  return home && screen.frontMost() == home ? icon->applicationIdentifier() : "";
}

namespace {

std::optional<QueryMatch> findIcon(const Screen& screen, const QueryText& query) {
  const std::string& identifier = query.argument;
  auto home = homeScreenOf(screen);
  if (!home) throw InputError("icons are on the home screen (front springboard)");
  if (!home->frontApplication().empty())
    throw InputError("\"" + home->frontApplication() + "\" is in front of the home screen (home first)");
  home->scrollIconIntoView(identifier);
  screen.window()->layoutIfNeeded();
  if (auto icon = home->iconForIdentifier(identifier)) return matchOf(icon);
  throw InputError("no icon for \"" + identifier + "\" on the home screen");
}

std::shared_ptr<QuickActionMenuView> requireMenu(const Screen& screen) {
  auto menu = openMenuOf(screen);
  if (!menu) throw InputError("no quick-action menu is open (long-press an icon first)");
  return menu;
}

std::optional<QueryMatch> findShortcut(const Screen& screen, const QueryText& query) {
  const std::string& identifier = query.argument;
  auto menu = requireMenu(screen);
  if (!menu->content().dock) throw InputError("the menu of \"" + menu->content().application + "\" has no dock");
  menu->scrollShortcutIntoView(identifier);
  screen.window()->layoutIfNeeded();
  if (auto view = menu->shortcutView(identifier)) return matchOf(view);
  throw InputError("the menu's dock has no shortcut to \"" + identifier + "\"");
}

std::optional<QueryMatch> findAddShortcut(const Screen& screen, const QueryText& query) {
  if (query.hasArgument) throw unknownQuery(query.text);
  auto menu = requireMenu(screen);
  if (!menu->addButton()) throw InputError("the menu of \"" + menu->content().application + "\" shows no add button");
  return matchOf(menu->addButton());
}

// An action of the open menu; nothing when no menu is open.
std::optional<QueryMatch> findMenuAction(const Screen& screen, const QueryText& query) {
  auto menu = openMenuOf(screen);
  if (!menu) return std::nullopt;
  if (auto button = menu->actionButton(query.argument)) return matchOf(button);
  throw InputError("the menu has no action \"" + query.argument + "\"");
}

// The open quick-action menu: its application, title, dock, add button and
// actions; null when none is open (or springboard is not in front).
json menuJson(const DumpContext& context) {
  auto menu = openMenuOf(context.screen);
  if (!menu) return nullptr;
  const auto& content = menu->content();
  json dock = nullptr;
  if (content.dock) {
    dock = json::array();
    for (auto& view : menu->shortcutViews())
      dock.push_back(
          {{"id", view->applicationIdentifier()}, {"name", view->name()}, {"frame", Dumper::frame(view->frameInWindow())}});
  }
  auto add = menu->addButton();
  return {{"app", content.application},
          {"title", content.title},
          {"dock", dock},
          {"add", add ? Dumper::frame(add->frameInWindow()) : json(nullptr)},
          {"actions", content.actions}};
}

}  // namespace

const std::vector<QueryKind>& homeScreenQueries() {
  static const std::vector<QueryKind> table = {
      {"action", false, "menu", findMenuAction},
      {"icon", false, "home screen", findIcon},
      {"shortcut", false, "menu", findShortcut},
      {"add-shortcut", false, "menu", findAddShortcut},
  };
  return table;
}

const std::vector<DumpMember>& homeScreenDumpMembers() {
  static const std::vector<DumpMember> table = {
      {"menu", menuJson},
  };
  return table;
}

}  // namespace kavro::sim
