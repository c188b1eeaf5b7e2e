#include "sim/core/Query.h"

#include "platform/uikit/UIAlertController.h"
#include "sim/core/Screen.h"
#include "sim/core/Simulator.h"
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

QueryMatch matchOf(const std::shared_ptr<UIView>& view) { return {view, Screen::centerInWindow(*view)}; }

InputError unknownQuery(const std::string& query) { return InputError("unknown query \"" + query + "\""); }

namespace {

std::optional<QueryMatch> findSwitch(const Screen& screen, const QueryText& query) {
  auto [name, index] = splitIndexSuffix(query.text);
  if (name != "switch") throw unknownQuery(query.text);
  auto switches = screen.switches();
  if (index >= static_cast<long>(switches.size()))
    throw InputError("no switch #" + std::to_string(index) + " on the screen (" + std::to_string(switches.size()) +
                     " found)");
  return matchOf(switches[static_cast<std::size_t>(index)]);
}

std::optional<QueryMatch> findButton(const Screen& screen, const QueryText& query) {
  for (auto& button : screen.buttons())
    if (button.label == query.argument) return matchOf(button.view);
  throw InputError("no button \"" + query.argument + "\" can be tapped now");
}

std::optional<QueryMatch> findRow(const Screen& screen, const QueryText& query) {
  const std::string& argument = query.argument;
  auto comma = argument.find(',');
  if (comma == std::string::npos) throw InputError("a row query is row:SECTION,ROW");
  NSIndexPath indexPath{parseIndex(argument.substr(0, comma), "the section"),
                        parseIndex(argument.substr(comma + 1), "the row")};
  auto table = screen.table();
  if (!table) throw InputError("there is no table on the screen");
  table->layoutIfNeeded();
  if (indexPath.section >= table->numberOfSections() || indexPath.row >= table->numberOfRowsInSection(indexPath.section))
    throw InputError("the table has no row " + argument);
  CGPoint offset = table->contentOffset();
  table->scrollToRowAtIndexPath(indexPath, UITableViewScrollPositionNone, false);
  table->layoutIfNeeded();
  if (auto cell = table->cellForRowAtIndexPath(indexPath)) return matchOf(cell);
  // Nothing matched: the table goes back to where it was.
  table->setContentOffset(offset, false);
  throw InputError("row " + argument + " has no cell");
}

std::optional<QueryMatch> findCell(const Screen& screen, const QueryText& query) {
  auto [text, index] = splitIndexSuffix(query.argument);
  auto table = screen.table();
  if (!table) throw InputError("there is no table on the screen");
  long seen = 0;
  for (auto& indexPath : table->indexPathsForVisibleRows()) {
    auto cell = table->cellForRowAtIndexPath(indexPath);
    if (cell->textLabel()->text() != text) continue;
    if (seen++ == index) return matchOf(cell);
  }
  throw InputError("no visible cell \"" + text + "\" #" + std::to_string(index));
}

// An action of the presented alert; nothing when no alert is presented.
std::optional<QueryMatch> findAlertAction(const Screen& screen, const QueryText& query) {
  auto alert = std::dynamic_pointer_cast<UIAlertController>(screen.alert());
  if (!alert) return std::nullopt;
  for (auto& action : alert->actions())
    if (action->title() == query.argument)
      if (auto button = alert->buttonForAction(action)) return matchOf(button);
  throw InputError("the alert has no action \"" + query.argument + "\"");
}

std::optional<QueryMatch> findSearchField(const Screen& screen, const QueryText&) {
  auto searchBar = screen.searchBar();
  if (!searchBar || !Screen::isShown(*searchBar)) throw InputError("the page has no search field");
  return matchOf(searchBar->searchField());
}

QueryText parse(const std::string& query) {
  auto colon = query.find(':');
  QueryText parsed{query, query.substr(0, colon), "", colon != std::string::npos};
  if (parsed.hasArgument) parsed.argument = query.substr(colon + 1);
  return parsed;
}

bool answersTo(const QueryKind& kind, const std::string& name) {
  if (name == kind.name) return true;
  return kind.numbered && name.size() > kind.name.size() && name.starts_with(kind.name) && name[kind.name.size()] == '#';
}

}  // namespace

const std::vector<QueryKind>& coreQueries() {
  static const std::vector<QueryKind> table = {
      {"switch", true, "switch", findSwitch},
      {"button", false, "button", findButton},
      {"row", false, "table", findRow},
      {"cell", false, "table", findCell},
      {"action", false, "alert", findAlertAction},
      {"search", false, "search field", findSearchField},
  };
  return table;
}

QueryMatch resolveQuery(Simulator& simulator, const std::string& query) {
  auto window = simulator.frontWindow();
  kavro::platform::ProcessScope scope(simulator.frontProcess());
  if (window) window->layoutIfNeeded();
  Screen screen(window, simulator.buttonLabels());
  QueryText parsed = parse(query);
  std::string places;
  for (const QueryKind& kind : simulator.queries()) {
    if (!answersTo(kind, parsed.kind)) continue;
    if (auto match = kind.resolve(screen, parsed)) return *match;
    places += (places.empty() ? "" : " or ") + std::string(kind.looksIn);
  }
  if (places.empty()) throw unknownQuery(query);
  throw InputError("no " + places + " is shown");
}

}  // namespace kavro::sim
