#pragma once
// What the core knows of an application before it runs: the process it runs in,
// how to start it there, the part it plays for the system, and what it adds to
// the phone's readings and queries. The assembly of the phone (sim/phone) hands
// the core one ApplicationKind per application; the core never includes an
// application's code.

#include "sim/core/Dump.h"
#include "sim/core/Query.h"
#include "sim/core/Screen.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kavro::sim {

class Application;
class Simulator;

struct ApplicationKind {
  // The part an application plays for the system. The phone has one home screen
  // (started with the device and first in front; the home gesture and
  // `open springboard` show it; a relaunch restarts it) and one Settings (where
  // URLs open, a relaunch's included; `back` pops its pages).
  enum class Role { application, homeScreen, settings };

  std::string processName;
  std::string bundleIdentifier;
  Role role = Role::application;
  // Makes the application, inside its newly started process; again after the
  // process was terminated.
  std::function<std::unique_ptr<Application>(Simulator& simulator)> make;

  // What it adds: kinds of query, members of the dump, and sorts of button.
  std::vector<QueryKind> queries;
  std::vector<DumpMember> dumpMembers;
  std::vector<ButtonLabel> buttonLabels;
};

}  // namespace kavro::sim
