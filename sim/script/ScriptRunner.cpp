#include "sim/script/ScriptRunner.h"

#include "sim/core/AppearanceNames.h"
#include "sim/core/Input.h"
#include "sim/core/PlistJson.h"
#include "sim/core/Readings.h"
#include "sim/core/Simulator.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace kavro::sim {

using nlohmann::json;

namespace {

// The text of a line after the command and the pointer, as written.
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

Input& input(ScriptRunner& runner) { return runner.simulator().input(); }

[[noreturn]] void usage(std::string_view text) { throw ScriptError("usage: " + std::string(text)); }

constexpr std::string_view kOpenUsage = "open settings | open springboard | open picker KEY [settings|springboard]";

void open(ScriptRunner& runner, const ScriptRunner::Line& line) {
  if (line[1] == "settings" && line.arguments() == 1) return input(runner).openSettings();
  if (line[1] == "springboard" && line.arguments() == 1) return input(runner).openSpringboard();
  if (line[1] == "picker" && line.arguments() >= 2)
    return input(runner).openPicker(line[2],
                                    line.arguments() == 3 ? line[3] : runner.simulator().homeScreenProcessName());
  usage(kOpenUsage);
}

void touchUp(ScriptRunner& runner, const ScriptRunner::Line& line) {
  if (line.arguments() == 1 && line[1] != "outside") usage("touch-up [outside]");
  input(runner).touchUp(line.arguments() == 1);
}

void appearance(ScriptRunner& runner, const ScriptRunner::Line& line) {
  auto appearance = appearanceNamed(line[1]);
  if (!appearance) usage("appearance light|dark");
  input(runner).setAppearance(*appearance);
}

void wait(ScriptRunner& runner, const ScriptRunner::Line& line) {
  double seconds = parseNumber(line[1], "SECONDS");
  if (seconds < 0) throw ScriptError("wait takes a number of seconds from 0");
  runner.simulator().device().advance(seconds);
}

void dump(ScriptRunner& runner, const ScriptRunner::Line&) {
  runner.out() << jsonText(runner.simulator().readings().dump()) << "\n";
  runner.out().flush();
}

void expect(ScriptRunner& runner, const ScriptRunner::Line& line) {
  json::json_pointer pointer;
  try {
    pointer = json::json_pointer(line[1]);
  } catch (const json::exception&) {
    throw ScriptError("\"" + line[1] + "\" is not a JSON pointer (RFC 6901)");
  }
  // The value as written after the pointer, when it is JSON (quotes and all:
  // `expect /prefs/blacklist ["com.apple.mobilesafari"]`); else the word as split,
  // when that is JSON; else the word as a string (`expect /title Kavro`).
  json expected = json::parse(rawValueAfterPointer(line.text, line[1]), nullptr, false);
  if (expected.is_discarded() && line.arguments() != 2) throw ScriptError("usage: expect POINTER VALUE (one word, or JSON)");
  if (expected.is_discarded()) expected = json::parse(line[2], nullptr, false);
  if (expected.is_discarded()) expected = line[2];
  json state = runner.simulator().readings().state();
  if (!state.contains(pointer)) throw ExpectationFailed("expected " + jsonText(expected) + " at " + line[1] + ", got nothing");
  const json& actual = state.at(pointer);
  if (actual != expected)
    throw ExpectationFailed("expected " + jsonText(expected) + " at " + line[1] + ", got " + jsonText(actual));
}

using Line = ScriptRunner::Line;

}  // namespace

const std::vector<ScriptRunner::Command>& ScriptRunner::commands() {
  static const std::vector<Command> table = {
      {"open", 1, 3, kOpenUsage, open},
      {"front", 1, 1, "front settings|springboard",
       [](ScriptRunner& r, const Line& l) { input(r).bringToFront(l[1]); }},
      {"back", 0, 0, "back", [](ScriptRunner& r, const Line&) { input(r).back(); }},
      {"tap", 1, 1, "tap QUERY", [](ScriptRunner& r, const Line& l) { input(r).tap(l[1]); }},
      {"tap-at", 2, 2, "tap-at X Y",
       [](ScriptRunner& r, const Line& l) { input(r).tapAt({parseNumber(l[1], "X"), parseNumber(l[2], "Y")}); }},
      {"long-press", 1, 1, "long-press QUERY", [](ScriptRunner& r, const Line& l) { input(r).longPress(l[1]); }},
      {"touch-down", 1, 1, "touch-down QUERY", [](ScriptRunner& r, const Line& l) { input(r).touchDown(l[1]); }},
      {"touch-down-at", 2, 2, "touch-down-at X Y",
       [](ScriptRunner& r, const Line& l) { input(r).touchDown(CGPoint{parseNumber(l[1], "X"), parseNumber(l[2], "Y")}); }},
      {"touch-move", 1, 2, "touch-move DX [DY]",
       [](ScriptRunner& r, const Line& l) {
         input(r).touchMove(parseNumber(l[1], "DX"), l.arguments() == 2 ? parseNumber(l[2], "DY") : 0);
       }},
      {"touch-up", 0, 1, "touch-up [outside]", touchUp},
      {"touch-cancel", 0, 0, "touch-cancel", [](ScriptRunner& r, const Line&) { input(r).touchCancel(); }},
      {"flick", 3, 3, "flick QUERY DX DY",
       [](ScriptRunner& r, const Line& l) { input(r).flick(l[1], parseNumber(l[2], "DX"), parseNumber(l[3], "DY")); }},
      {"scroll", 1, 1, "scroll row:S,R", [](ScriptRunner& r, const Line& l) { input(r).scrollTo(l[1]); }},
      {"swipe", 1, 1, "swipe row:S,R", [](ScriptRunner& r, const Line& l) { input(r).swipe(l[1]); }},
      {"reorder", 4, 4, "reorder S R S2 R2",
       [](ScriptRunner& r, const Line& l) {
         input(r).reorder(parseIndex(l[1], "S"), parseIndex(l[2], "R"), parseIndex(l[3], "S2"), parseIndex(l[4], "R2"));
       }},
      {"focus", 1, 1, "focus search",
       [](ScriptRunner& r, const Line& l) {
         if (l[1] != "search") usage("focus search");
         input(r).focusSearch();
       }},
      {"type", 1, 1, "type TEXT", [](ScriptRunner& r, const Line& l) { input(r).type(l[1]); }},
      {"backspace", 0, 1, "backspace [N]",
       [](ScriptRunner& r, const Line& l) { input(r).backspace(l.arguments() == 1 ? parseIndex(l[1], "N") : 1); }},
      {"search-cancel", 0, 0, "search-cancel", [](ScriptRunner& r, const Line&) { input(r).searchCancel(); }},
      {"swipe-down", 0, 0, "swipe-down", [](ScriptRunner& r, const Line&) { input(r).swipeDown(); }},
      {"home", 0, 0, "home", [](ScriptRunner& r, const Line&) { input(r).home(); }},
      {"appearance", 1, 1, "appearance light|dark", appearance},
      {"wait", 1, 1, "wait SECONDS", wait},
      {"dump", 0, 0, "dump", dump},
      {"expect", 2, 1000, "expect POINTER VALUE", expect},
  };
  return table;
}

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
    } catch (const InputError& error) {
      err << "line " << number << ": " << error.what() << "\n";
      return 2;
    }
  }
  return 0;
}

void ScriptRunner::runLine(const std::string& text) {
  auto words = splitWords(text);
  if (words.empty()) return;
  auto& table = commands();
  auto command = std::find_if(table.begin(), table.end(), [&](const Command& c) { return c.name == words[0]; });
  if (command == table.end()) throw ScriptError("unknown command \"" + words[0] + "\"");
  std::size_t arguments = words.size() - 1;
  if (arguments < command->minimumArguments || arguments > command->maximumArguments) usage(command->usage);
  command->run(*this, Line{words, text});
}

}  // namespace kavro::sim
