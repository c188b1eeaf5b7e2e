#include "sim/core/Query.h"

#include "platform/uikit/UIAlertController.h"
#include "sim/core/Screen.h"
#include "sim/core/Simulator.h"
#include "sim/springboard/HomeScreenController.h"
#include "switch/KavroSwitch.h"

#include <charconv>
#include <cmath>

namespace kavro::sim {

double parseNumber(const std::string& text, const char* what) {
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    throw InputError(std::string(what) + " must be a number, not \"" + text + "\"");
  return value;
}

long parseIndex(const std::string& text, const char* what) {
  long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0)
    throw InputError(std::string(what) + " must be a whole number from 0, not \"" + text + "\"");
  return value;
}

std::pair<std::string, long> splitIndexSuffix(const std::string& text) {
  auto hash = text.rfind('#');
  if (hash == std::string::npos || hash + 1 == text.size()) return {text, 0};
  std::string digits = text.substr(hash + 1);
  if (digits.find_first_not_of("0123456789") != std::string::npos) return {text, 0};
  return {text.substr(0, hash), parseIndex(digits, "the index after #")};
}

namespace {

QueryMatch matched(const std::shared_ptr<UIView>& view) { return {view, Screen::centerInWindow(*view)}; }

QueryMatch findSwitch(const Screen& screen, const std::string& query) {
  auto [name, index] = splitIndexSuffix(query);
  if (name != "switch") throw InputError("unknown query \"" + query + "\"");
  auto switches = screen.switches();
  if (index >= static_cast<long>(switches.size()))
    throw InputError("no switch #" + std::to_string(index) + " on the screen (" + std::to_string(switches.size()) +
                     " found)");
  return matched(switches[static_cast<std::size_t>(index)]);
}

QueryMatch findRow(const Screen& screen, const std::string& argument) {
  auto comma = argument.find(',');
  if (comma == std::string::npos) throw InputError("a row query is row:SECTION,ROW");
  NSIndexPath indexPath{parseIndex(argument.substr(0, comma), "the section"),
                        parseIndex(argument.substr(comma + 1), "the row")};
  auto table = screen.table();
  if (!table) throw InputError("there is no table on the screen");
  table->layoutIfNeeded();
  if (indexPath.section >= table->numberOfSections() || indexPath.row >= table->numberOfRowsInSection(indexPath.section))
    throw InputError("the table has no row " + argument);
  table->scrollToRowAtIndexPath(indexPath, UITableViewScrollPositionNone, false);
  table->layoutIfNeeded();
  auto cell = table->cellForRowAtIndexPath(indexPath);
  if (!cell) throw InputError("row " + argument + " has no cell");
  return matched(cell);
}

QueryMatch findCell(const Screen& screen, const std::string& argument) {
  auto [text, index] = splitIndexSuffix(argument);
  auto table = screen.table();
  if (!table) throw InputError("there is no table on the screen");
  long seen = 0;
  for (auto& indexPath : table->indexPathsForVisibleRows()) {
    auto cell = table->cellForRowAtIndexPath(indexPath);
    if (cell->textLabel()->text() != text) continue;
    if (seen++ == index) return matched(cell);
  }
  throw InputError("no visible cell \"" + text + "\" #" + std::to_string(index));
}

QueryMatch findAction(const Screen& screen, const std::string& title) {
  if (auto alert = std::dynamic_pointer_cast<UIAlertController>(screen.alert())) {
    for (auto& action : alert->actions())
      if (action->title() == title)
        if (auto button = alert->buttonForAction(action)) return matched(button);
    throw InputError("the alert has no action \"" + title + "\"");
  }
  if (auto menu = screen.openMenu()) {
    if (auto button = menu->actionButton(title)) return matched(button);
    throw InputError("the menu has no action \"" + title + "\"");
  }
  throw InputError("no alert or menu is shown");
}

QueryMatch findIcon(const Screen& screen, const std::string& identifier) {
  auto home = screen.homeScreen();
  if (!home) throw InputError("icons are on the home screen (front springboard)");
  if (!home->frontApplication().empty())
    throw InputError("\"" + home->frontApplication() + "\" is in front of the home screen (home first)");
  home->scrollIconIntoView(identifier);
  screen.window()->layoutIfNeeded();
  if (auto icon = home->iconForIdentifier(identifier)) return matched(icon);
  throw InputError("no icon for \"" + identifier + "\" on the home screen");
}

QueryMatch findShortcut(const Screen& screen, const std::string& identifier) {
  auto menu = screen.openMenu();
  if (!menu) throw InputError("no quick-action menu is open (long-press an icon first)");
  if (!menu->content().dock) throw InputError("the menu of \"" + menu->content().application + "\" has no dock");
  menu->scrollShortcutIntoView(identifier);
  screen.window()->layoutIfNeeded();
  if (auto view = menu->shortcutView(identifier)) return matched(view);
  throw InputError("the menu's dock has no shortcut to \"" + identifier + "\"");
}

QueryMatch findAddShortcut(const Screen& screen) {
  auto menu = screen.openMenu();
  if (!menu) throw InputError("no quick-action menu is open (long-press an icon first)");
  if (!menu->addButton()) throw InputError("the menu of \"" + menu->content().application + "\" shows no add button");
  return matched(menu->addButton());
}

}  // namespace

QueryMatch resolveQuery(Simulator& simulator, const std::string& query) {
  auto window = simulator.frontWindow();
  kavro::platform::ProcessScope scope(simulator.frontProcess());
  if (window) window->layoutIfNeeded();
  Screen screen(window);
  auto colon = query.find(':');
  std::string kind = query.substr(0, colon);
  std::string argument = colon == std::string::npos ? "" : query.substr(colon + 1);

  if (kind == "switch" || kind.rfind("switch#", 0) == 0) return findSwitch(screen, query);
  if (kind == "button") {
    for (auto& button : screen.buttons())
      if (button.label == argument) return matched(button.view);
    throw InputError("no button \"" + argument + "\" can be tapped now");
  }
  if (kind == "row") return findRow(screen, argument);
  if (kind == "cell") return findCell(screen, argument);
  if (kind == "action") return findAction(screen, argument);
  if (kind == "icon") return findIcon(screen, argument);
  if (kind == "shortcut") return findShortcut(screen, argument);
  if (kind == "add-shortcut" && colon == std::string::npos) return findAddShortcut(screen);
  if (kind == "search") {
    auto searchBar = screen.searchBar();
    if (!searchBar || !Screen::isShown(*searchBar)) throw InputError("the page has no search field");
    return matched(searchBar->searchField());
  }
  throw InputError("unknown query \"" + query + "\"");
}

}  // namespace kavro::sim
