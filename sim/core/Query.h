#pragma once
// The queries that name what an input acts on in the front-most screen, as a
// person would point at it. A query is KIND or KIND:ARGUMENT (`row:1,0`,
// `cell:"Safari"#1`, `icon:com.apple.mobilesafari`); each kind is one entry of a
// table: the core's own (`switch#N`, `button:NAME`, `row:S,R`, `cell:"TEXT"#N`,
// `action:"TITLE"`, `search`, in Query.cpp) followed by those the applications add
// (the home screen's `icon:ID`, `shortcut:ID`, `add-shortcut`). Both front ends
// resolve queries here.
//
// A query that matches nothing changes nothing. One that matches scrolls what it
// names into view first, as a person would before touching it (a row of the
// table, the page of the home screen that holds an icon, a shortcut in a menu's
// dock): that scroll is the only change a query makes, and it comes only once the
// query has found what it names.

#include "platform/coregraphics/CGGeometry.h"

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class UIView;

namespace kavro::sim {

class Simulator;
class Screen;

// An input or command that cannot be carried out as asked (a bad argument, a
// query that matches nothing). Nothing was changed.
struct InputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// An input that cannot apply to the device as it is now (a move with no finger
// down, typing with no field being edited, a press while another client's finger
// is down). Nothing was changed.
struct InputRefused : InputError {
  using InputError::InputError;
};

// A query's match: the view and the point a touch goes to, in window coordinates.
struct QueryMatch {
  std::shared_ptr<UIView> view;
  CGPoint point;
};

// A query taken apart: `kind` is the text before the first ':' (all of it when
// there is none), `argument` the text after it.
struct QueryText {
  const std::string& text;
  std::string kind;
  std::string argument;
  bool hasArgument = false;
};

// One kind of query: its name (the `kind` it answers to; with `numbered`, also
// NAME#N) and what finds its match on the screen. The screen is laid out and its
// process current when `resolve` runs; it throws InputError when nothing matches.
// Several kinds may answer to one name (`action:` finds an alert's action or a
// menu's): they are tried in order, and a kind that has nothing to look in on this
// screen (no alert) answers nothing, so that the next one is tried. When none has,
// the error names what each looks in: "no alert or menu is shown".
struct QueryKind {
  std::string_view name;
  bool numbered;
  std::string_view looksIn;
  std::optional<QueryMatch> (*resolve)(const Screen& screen, const QueryText& query);
};

// The core's own kinds of query, in the order docs/simulator.md lists them.
const std::vector<QueryKind>& coreQueries();

// Finds what `query` names on the front-most screen, through the simulator's
// table of query kinds. Throws InputError when nothing matches.
QueryMatch resolveQuery(Simulator& simulator, const std::string& query);

// The match of a view: the view and its centre in the window.
QueryMatch matchOf(const std::shared_ptr<UIView>& view);
// The error of a query that no kind answers to.
InputError unknownQuery(const std::string& query);

// "TEXT#N" → TEXT and N (0 without a suffix).
std::pair<std::string, long> splitIndexSuffix(const std::string& text);
// A whole number from 0; throws InputError naming `what` otherwise.
long parseIndex(const std::string& text, const char* what);
// A finite number; throws InputError naming `what` otherwise.
double parseNumber(const std::string& text, const char* what);

}  // namespace kavro::sim
