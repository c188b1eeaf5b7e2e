#pragma once
// The queries that name what an input acts on in the front-most screen, as a
// person would point at it: `switch#N`, `button:NAME`, `row:S,R`, `cell:"TEXT"#N`,
// `action:"TITLE"`, `icon:ID`, `search`, `shortcut:ID`, `add-shortcut`. Both front
// ends resolve queries here.

#include "platform/coregraphics/CGGeometry.h"

#include <memory>
#include <stdexcept>
#include <string>

class UIView;

namespace kavro::sim {

class Simulator;

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

// Finds what `query` names on the front-most screen; a row is scrolled into view
// first, an icon's page of the home screen and a shortcut's place in the menu's
// dock too. Throws InputError when nothing
// matches.
QueryMatch resolveQuery(Simulator& simulator, const std::string& query);

// "TEXT#N" → TEXT and N (0 without a suffix).
std::pair<std::string, long> splitIndexSuffix(const std::string& text);
// A whole number from 0; throws InputError naming `what` otherwise.
long parseIndex(const std::string& text, const char* what);
// A finite number; throws InputError naming `what` otherwise.
double parseNumber(const std::string& text, const char* what);

}  // namespace kavro::sim
