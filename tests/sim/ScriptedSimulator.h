// A simulator on a fresh device folder, and scripts played against it with
// their output and errors kept: the fixture of the tests that drive the
// simulator as its front ends do.
#pragma once

#include "sim/phone/Phone.h"
#include "sim/script/ScriptRunner.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>

namespace kavro::test {

class ScriptedSimulatorTest : public ::testing::Test {
 protected:
  ScriptedSimulatorTest() : simulator(folder.path() / "device") {}

  // Runs a script; returns its exit status, with its output and errors kept.
  int run(const std::string& script) {
    out.str("");
    err.str("");
    sim::ScriptRunner runner(simulator, out);
    std::istringstream in(script);
    return runner.run(in, err);
  }
  // The last dump the script printed.
  nlohmann::json lastDump() const {
    std::string line, last;
    std::istringstream lines(out.str());
    while (std::getline(lines, line))
      if (!line.empty()) last = line;
    return nlohmann::json::parse(last);
  }
  void wait(double seconds) { simulator.device().advance(seconds); }

  TemporaryFolder folder;
  sim::Phone simulator;
  std::ostringstream out, err;
};

}  // namespace kavro::test
