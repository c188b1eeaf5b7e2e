#include "sim/host/ScriptRunner.h"

#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIViewPrivate.h"
#include "sim/host/Dump.h"
#include "sim/host/Screen.h"
#include "sim/host/Simulator.h"
#include "sim/host/SpringBoardApp.h"
#include "switch/KavroSwitch.h"

#include <charconv>
#include <cmath>
#include <sstream>

namespace kavro::sim {

using nlohmann::json;

namespace {

// How long a long press holds, and how a full swipe and a reorder drag move.
constexpr double kLongPressHold = 0.6;
constexpr int kDragSteps = 6;
constexpr CGFloat kFarOutside = 200;

double parseNumber(const std::string& text, const char* what) {
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    throw ScriptError(std::string(what) + " must be a number, not \"" + text + "\"");
  return value;
}

long parseIndex(const std::string& text, const char* what) {
  long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0)
    throw ScriptError(std::string(what) + " must be a whole number from 0, not \"" + text + "\"");
  return value;
}

// "TEXT#N" → TEXT and N (0 without a suffix).
std::pair<std::string, long> splitIndexSuffix(const std::string& text) {
  auto hash = text.rfind('#');
  if (hash == std::string::npos || hash + 1 == text.size()) return {text, 0};
  std::string digits = text.substr(hash + 1);
  if (digits.find_first_not_of("0123456789") != std::string::npos) return {text, 0};
  return {text.substr(0, hash), parseIndex(digits, "the index after #")};
}

// The text of a line after its first two words (the command and the pointer).
std::string rawValueAfterPointer(const std::string& line, const std::string& pointer) {
  auto start = line.find("expect");
  if (start == std::string::npos) return "";
  auto at = line.find(pointer, start + 6);
  if (at == std::string::npos) return "";
  std::string rest = line.substr(at + pointer.size());
  auto first = rest.find_first_not_of(" \t");
  auto last = rest.find_last_not_of(" \t\r");
  return first == std::string::npos ? "" : rest.substr(first, last - first + 1);
}

void expectArguments(const std::vector<std::string>& words, std::size_t minimum, std::size_t maximum,
                     const char* usage) {
  if (words.size() - 1 < minimum || words.size() - 1 > maximum) throw ScriptError(std::string("usage: ") + usage);
}

}  // namespace

ScriptRunner::ScriptRunner(Simulator& simulator, std::ostream& out)
    : simulator_(simulator), out_(out), dumper_(std::make_unique<Dumper>(simulator)) {}

ScriptRunner::~ScriptRunner() = default;

std::vector<std::string> ScriptRunner::splitWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
        word += line[++i];
      } else if (c == '"') {
        quoted = false;
      } else {
        word += c;
      }
      continue;
    }
    if (c == '#' && !inWord) break;
    if (c == ' ' || c == '\t' || c == '\r') {
      if (inWord) words.push_back(word), word.clear(), inWord = false;
      continue;
    }
    inWord = true;
    if (c == '"') {
      quoted = true;
    } else if (c == '\\' && i + 1 < line.size()) {
      word += line[++i];
    } else {
      word += c;
    }
  }
  if (quoted) throw ScriptError("a double quote is not closed");
  if (inWord) words.push_back(word);
  return words;
}

int ScriptRunner::run(std::istream& script, std::ostream& err) {
  std::string line;
  int number = 0;
  while (std::getline(script, line)) {
    ++number;
    try {
      runLine(line);
    } catch (const ExpectationFailed& failure) {
      err << "line " << number << ": " << failure.what() << "\n";
      return 1;
    } catch (const ScriptError& error) {
      err << "line " << number << ": " << error.what() << "\n";
      return 2;
    } catch (const std::invalid_argument& error) {
      err << "line " << number << ": " << error.what() << "\n";
      return 2;
    }
  }
  return 0;
}

void ScriptRunner::runLine(const std::string& line) {
  auto words = splitWords(line);
  if (!words.empty()) execute(words, line);
}

namespace {

// A query's match: the view and the point a touch goes to, in window coordinates.
struct Match {
  std::shared_ptr<UIView> view;
  CGPoint point;
};

Match resolveQuery(Simulator& simulator, const std::string& query) {
  auto window = simulator.frontWindow();
  platform::ProcessScope scope(simulator.frontProcess());
  if (window) window->layoutIfNeeded();
  Screen screen(window);
  auto colon = query.find(':');
  std::string kind = query.substr(0, colon);
  std::string argument = colon == std::string::npos ? "" : query.substr(colon + 1);
  auto matched = [](const std::shared_ptr<UIView>& view) { return Match{view, Screen::centerInWindow(*view)}; };

  if (kind == "switch" || kind.rfind("switch#", 0) == 0) {
    auto [name, index] = splitIndexSuffix(query);
    if (name != "switch") throw ScriptError("unknown query \"" + query + "\"");
    auto switches = screen.switches();
    if (index >= static_cast<long>(switches.size()))
      throw ScriptError("no switch #" + std::to_string(index) + " on the screen (" +
                        std::to_string(switches.size()) + " found)");
    return matched(switches[static_cast<std::size_t>(index)]);
  }
  if (kind == "button") {
    for (auto& button : screen.buttons())
      if (button.label == argument) return matched(button.view);
    throw ScriptError("no button \"" + argument + "\" can be tapped now");
  }
  if (kind == "row") {
    auto comma = argument.find(',');
    if (comma == std::string::npos) throw ScriptError("a row query is row:SECTION,ROW");
    NSIndexPath indexPath{parseIndex(argument.substr(0, comma), "the section"),
                          parseIndex(argument.substr(comma + 1), "the row")};
    auto table = screen.table();
    if (!table) throw ScriptError("there is no table on the screen");
    table->layoutIfNeeded();
    if (indexPath.section >= table->numberOfSections() ||
        indexPath.row >= table->numberOfRowsInSection(indexPath.section))
      throw ScriptError("the table has no row " + argument);
    table->scrollToRowAtIndexPath(indexPath, UITableViewScrollPositionNone, false);
    table->layoutIfNeeded();
    auto cell = table->cellForRowAtIndexPath(indexPath);
    if (!cell) throw ScriptError("row " + argument + " has no cell");
    return matched(cell);
  }
  if (kind == "cell") {
    auto [text, index] = splitIndexSuffix(argument);
    auto table = screen.table();
    if (!table) throw ScriptError("there is no table on the screen");
    long seen = 0;
    for (auto& indexPath : table->indexPathsForVisibleRows()) {
      auto cell = table->cellForRowAtIndexPath(indexPath);
      if (cell->textLabel()->text() != text) continue;
      if (seen++ == index) return matched(cell);
    }
    throw ScriptError("no visible cell \"" + text + "\" #" + std::to_string(index));
  }
  if (kind == "action") {
    auto alert = std::dynamic_pointer_cast<UIAlertController>(screen.alert());
    if (!alert) throw ScriptError("no alert is shown");
    for (auto& action : alert->actions())
      if (action->title() == argument)
        if (auto button = alert->buttonForAction(action)) return matched(button);
    throw ScriptError("the alert has no action \"" + argument + "\"");
  }
  if (kind == "icon") {
    auto home = std::dynamic_pointer_cast<HomeScreenController>(window ? window->rootViewController() : nullptr);
    if (!home) throw ScriptError("icons are on the home screen (front springboard)");
    home->scrollIconIntoView(argument);
    if (window) window->layoutIfNeeded();
    if (auto icon = home->iconForIdentifier(argument)) return matched(icon);
    throw ScriptError("no icon for \"" + argument + "\" on the home screen");
  }
  if (kind == "search") {
    auto searchBar = screen.searchBar();
    if (!searchBar || !Screen::isShown(*searchBar)) throw ScriptError("the page has no search field");
    return matched(searchBar->searchField());
  }
  throw ScriptError("unknown query \"" + query + "\"");
}

}  // namespace

void ScriptRunner::execute(const std::vector<std::string>& words, const std::string& line) {
  const std::string& command = words[0];
  platform::Device& device = simulator_.device();
  auto inFront = [&](const std::function<void()>& work) { device.dispatch(simulator_.frontProcess(), work); };

  if (command == "open") {
    expectArguments(words, 1, 3, "open settings | open springboard | open picker KEY [settings|springboard]");
    if (words[1] == "settings" && words.size() == 2) return simulator_.openSettings();
    if (words[1] == "springboard" && words.size() == 2) return simulator_.openSpringboard();
    if (words[1] == "picker" && words.size() >= 3)
      return simulator_.openPicker(words[2], words.size() == 4 ? words[3] : "springboard");
    throw ScriptError("usage: open settings | open springboard | open picker KEY [settings|springboard]");
  }
  if (command == "front") {
    expectArguments(words, 1, 1, "front settings|springboard");
    return simulator_.bringToFront(words[1]);
  }
  if (command == "back") {
    expectArguments(words, 0, 0, "back");
    if (!simulator_.back()) throw ScriptError("the settings page stack has no page to go back from");
    return;
  }
  if (command == "tap") {
    expectArguments(words, 1, 1, "tap QUERY");
    return simulator_.finger().tap(resolveQuery(simulator_, words[1]).point);
  }
  if (command == "tap-at") {
    expectArguments(words, 2, 2, "tap-at X Y");
    return simulator_.finger().tap({parseNumber(words[1], "X"), parseNumber(words[2], "Y")});
  }
  if (command == "long-press") {
    expectArguments(words, 1, 1, "long-press QUERY");
    auto& finger = simulator_.finger();
    finger.down(resolveQuery(simulator_, words[1]).point);
    device.advance(kLongPressHold);
    finger.up();
    return;
  }
  if (command == "touch-down" || command == "touch-down-at") {
    CGPoint point;
    if (command == "touch-down") {
      expectArguments(words, 1, 1, "touch-down QUERY");
      auto match = resolveQuery(simulator_, words[1]);
      point = match.point;
    } else {
      expectArguments(words, 2, 2, "touch-down-at X Y");
      point = {parseNumber(words[1], "X"), parseNumber(words[2], "Y")};
    }
    auto window = simulator_.frontWindow();
    {
      platform::ProcessScope scope(simulator_.frontProcess());
      auto hit = window ? window->hitTest(point, nullptr) : nullptr;
      touchedViewBottom_ = hit ? CGRectGetMaxY(hit->frameInWindow()) : point.y;
    }
    simulator_.finger().down(point);
    return;
  }
  if (command == "touch-move") {
    expectArguments(words, 1, 2, "touch-move DX [DY]");
    if (!simulator_.finger().isTouching()) throw ScriptError("no touch is down (touch-down first)");
    simulator_.finger().move(parseNumber(words[1], "DX"), words.size() == 3 ? parseNumber(words[2], "DY") : 0);
    return;
  }
  if (command == "touch-up") {
    expectArguments(words, 0, 1, "touch-up [outside]");
    auto& finger = simulator_.finger();
    if (!finger.isTouching()) throw ScriptError("no touch is down (touch-down first)");
    if (words.size() == 2) {
      if (words[1] != "outside") throw ScriptError("usage: touch-up [outside]");
      CGFloat target = std::max(touchedViewBottom_, finger.location().y) + kFarOutside;
      finger.move(0, target - finger.location().y);
    }
    finger.up();
    return;
  }
  if (command == "touch-cancel") {
    expectArguments(words, 0, 0, "touch-cancel");
    if (!simulator_.finger().isTouching()) throw ScriptError("no touch is down (touch-down first)");
    simulator_.finger().cancel();
    return;
  }
  if (command == "scroll") {
    expectArguments(words, 1, 1, "scroll row:S,R");
    if (words[1].rfind("row:", 0) != 0) throw ScriptError("usage: scroll row:S,R");
    resolveQuery(simulator_, words[1]);
    return;
  }
  if (command == "swipe") {
    expectArguments(words, 1, 1, "swipe row:S,R");
    if (words[1].rfind("row:", 0) != 0) throw ScriptError("usage: swipe row:S,R");
    auto match = resolveQuery(simulator_, words[1]);
    CGRect frame;
    {
      platform::ProcessScope scope(simulator_.frontProcess());
      frame = match.view->frameInWindow();
    }
    auto& finger = simulator_.finger();
    finger.down({CGRectGetMaxX(frame) - 16, match.point.y});
    CGFloat distance = frame.size.width * 0.9;
    for (int step = 0; step < kDragSteps; ++step) finger.move(-distance / kDragSteps, 0);
    finger.up();
    return;
  }
  if (command == "reorder") {
    expectArguments(words, 4, 4, "reorder S R S2 R2");
    return reorder(parseIndex(words[1], "S"), parseIndex(words[2], "R"), parseIndex(words[3], "S2"),
                   parseIndex(words[4], "R2"));
  }
  if (command == "focus") {
    expectArguments(words, 1, 1, "focus search");
    if (words[1] != "search") throw ScriptError("usage: focus search");
    return simulator_.finger().tap(resolveQuery(simulator_, "search").point);
  }
  if (command == "type" || command == "backspace") {
    std::string text;
    long count = 1;
    if (command == "type") {
      expectArguments(words, 1, 1, "type TEXT");
      text = words[1];
    } else {
      expectArguments(words, 0, 1, "backspace [N]");
      if (words.size() == 2) count = parseIndex(words[1], "N");
    }
    platform::Process& process = simulator_.frontProcess();
    std::shared_ptr<UISearchBar> field;
    {
      platform::ProcessScope scope(process);
      field = std::dynamic_pointer_cast<UISearchBar>(UIResponder::currentFirstResponder());
    }
    if (!field) throw ScriptError("no field is being edited (focus search first)");
    if (command == "type") {
      // One character (one UTF-8 sequence) at a time, each its own event.
      for (std::size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        std::string character = text.substr(i, length);
        device.dispatch(process, [&] { field->insertText(character); });
        i += length;
      }
    } else {
      for (long i = 0; i < count; ++i) device.dispatch(process, [&] { field->deleteBackward(); });
    }
    return;
  }
  if (command == "search-cancel") {
    expectArguments(words, 0, 0, "search-cancel");
    std::shared_ptr<UIButton> cancel;
    {
      platform::ProcessScope scope(simulator_.frontProcess());
      auto window = simulator_.frontWindow();
      window->layoutIfNeeded();
      auto searchBar = Screen(window).searchBar();
      if (searchBar && searchBar->showsCancelButton()) cancel = searchBar->cancelButton();
    }
    if (!cancel) throw ScriptError("the search field shows no Cancel button");
    CGPoint point;
    {
      platform::ProcessScope scope(simulator_.frontProcess());
      point = Screen::centerInWindow(*cancel);
    }
    return simulator_.finger().tap(point);
  }
  if (command == "swipe-down") {
    expectArguments(words, 0, 0, "swipe-down");
    bool found = false;
    inFront([&] {
      auto window = UIApplication::sharedApplication()->keyWindow();
      auto front = Simulator::frontMostController(window);
      if (!front || front == window->rootViewController()) return;
      found = true;
      front->interactiveDismiss();
    });
    if (!found) throw ScriptError("no sheet is presented");
    return;
  }
  if (command == "appearance") {
    expectArguments(words, 1, 1, "appearance light|dark");
    if (words[1] != "light" && words[1] != "dark") throw ScriptError("usage: appearance light|dark");
    simulator_.setAppearance(words[1] == "dark" ? platform::Appearance::dark : platform::Appearance::light);
    return;
  }
  if (command == "wait") {
    expectArguments(words, 1, 1, "wait SECONDS");
    double seconds = parseNumber(words[1], "SECONDS");
    if (seconds < 0) throw ScriptError("wait takes a number of seconds from 0");
    device.advance(seconds);
    return;
  }
  if (command == "dump") {
    expectArguments(words, 0, 0, "dump");
    out_ << dumper_->dump(true).dump(-1, ' ', false, json::error_handler_t::replace) << "\n";
    out_.flush();
    return;
  }
  if (command == "expect") {
    expectArguments(words, 2, 1000, "expect POINTER VALUE");
    json::json_pointer pointer;
    try {
      pointer = json::json_pointer(words[1]);
    } catch (const json::exception&) {
      throw ScriptError("\"" + words[1] + "\" is not a JSON pointer (RFC 6901)");
    }
    // The value as written after the pointer, when it is JSON (quotes and all:
    // `expect /prefs/blacklist ["com.apple.mobilesafari"]`); else the word as split,
    // when that is JSON; else the word as a string (`expect /title Kavro`).
    json expected = json::parse(rawValueAfterPointer(line, words[1]), nullptr, false);
    if (expected.is_discarded() && words.size() != 3) throw ScriptError("usage: expect POINTER VALUE (one word, or JSON)");
    if (expected.is_discarded()) expected = json::parse(words[2], nullptr, false);
    if (expected.is_discarded()) expected = words[2];
    json state = dumper_->dump(false);
    if (!state.contains(pointer))
      throw ExpectationFailed("expected " + expected.dump() + " at " + words[1] + ", got nothing");
    const json& actual = state.at(pointer);
    if (actual != expected)
      throw ExpectationFailed("expected " + expected.dump() + " at " + words[1] + ", got " + actual.dump());
    return;
  }
  throw ScriptError("unknown command \"" + command + "\"");
}

void ScriptRunner::reorder(long section, long row, long toSection, long toRow) {
  CGPoint grab, target;
  {
    auto window = simulator_.frontWindow();
    platform::ProcessScope scope(simulator_.frontProcess());
    window->layoutIfNeeded();
    auto table = Screen(window).table();
    if (!table) throw ScriptError("there is no table on the screen");
    if (!table->isEditing()) throw ScriptError("the table is not in edit mode (tap the reorder button first)");
    NSIndexPath source{section, row};
    if (section >= table->numberOfSections() || row >= table->numberOfRowsInSection(section))
      throw ScriptError("the table has no row " + std::to_string(section) + "," + std::to_string(row));
    if (toSection >= table->numberOfSections())
      throw ScriptError("the table has no section " + std::to_string(toSection));
    table->scrollToRowAtIndexPath(source, UITableViewScrollPositionNone, false);
    table->layoutIfNeeded();
    auto cell = table->cellForRowAtIndexPath(source);
    auto control = cell ? cell->reorderControl() : nullptr;
    if (!control || control->isHidden()) throw ScriptError("row " + std::to_string(section) + "," + std::to_string(row) + " cannot be moved");
    grab = Screen::centerInWindow(*control);
    // The target place: the centre of the row now at the destination, shifted past
    // its middle in the direction of travel, so the dragged row lands there.
    long rows = table->numberOfRowsInSection(toSection);
    CGRect rect;
    if (rows == 0) {
      rect = table->rectForHeaderInSection(toSection);
      rect.origin.y = CGRectGetMaxY(rect);
      rect.size.height = table->rectForRowAtIndexPath(source).size.height;
    } else {
      rect = table->rectForRowAtIndexPath({toSection, std::min(toRow, rows - 1)});
      if (toRow >= rows) rect.origin.y += rect.size.height;
    }
    CGRect sourceRect = table->rectForRowAtIndexPath(source);
    bool down = NSIndexPath{toSection, toRow} > source;
    CGFloat dy = CGRectGetMidY(rect) - CGRectGetMidY(sourceRect) + (down ? rect.size.height * 0.1 : -rect.size.height * 0.1);
    target = {grab.x, grab.y + dy};
  }
  auto& finger = simulator_.finger();
  finger.down(grab);
  for (int step = 1; step <= kDragSteps; ++step)
    finger.moveTo({grab.x, grab.y + (target.y - grab.y) * step / kDragSteps});
  finger.up();
}

}  // namespace kavro::sim
