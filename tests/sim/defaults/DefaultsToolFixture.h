#pragma once
// A device folder for kavro-defaults tests, and three ways to run the tool on it:
// the built program as a user runs it (with or without standard input), and the
// same code in the test's own process, for generated cases by the hundred.

#include "sim/defaults/DefaultsTool.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kavro::test {

class DefaultsToolTest : public ::testing::Test {
 protected:
  DefaultsToolTest() { std::filesystem::create_directories(device()); }

  std::filesystem::path device() const { return temporary_.path() / "device"; }
  std::filesystem::path preferences() const { return device() / "var/jb/var/mobile/Library/Preferences"; }
  std::filesystem::path domainFile(const std::string& domain) const { return preferences() / (domain + ".plist"); }

  // Runs the program with `arguments` and only the given environment.
  ProgramResult run(std::vector<std::string> arguments, std::vector<std::string> environment = {}) const {
    return runProgram(KAVRO_DEFAULTS_BINARY, {std::move(arguments), std::move(environment), {}});
  }
  // Runs the program on the test's device.
  ProgramResult tool(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {"--device", device().string()});
    return run(std::move(arguments));
  }
  // Runs the program on the test's device with `input` on its standard input.
  ProgramResult toolWithInput(std::vector<std::string> arguments, const std::string& input) const {
    const auto path = temporary_.path() / "standard-input";
    std::ofstream(path, std::ios::binary) << input;
    arguments.insert(arguments.begin(), {"-c", "exec \"$0\" \"$@\" < \"" + path.string() + "\"",
                                         KAVRO_DEFAULTS_BINARY, "--device", device().string()});
    return runProgram("/bin/sh", {std::move(arguments), {}, {}});
  }
  // The tool's code run in this process on the test's device.
  ProgramResult inProcess(std::vector<std::string> arguments, const std::string& input = "") const {
    std::ostringstream out, err;
    std::istringstream in(input);
    arguments.insert(arguments.begin(), {"--device", device().string()});
    ProgramResult result;
    result.status = kavro::defaults::DefaultsTool(out, err, in).run(arguments);
    result.out = out.str();
    result.err = err.str();
    return result;
  }
  // A file's bytes as text; empty when there is none.
  static std::string fileText(const std::filesystem::path& path) {
    auto bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
  }

  TemporaryFolder temporary_;
};

}  // namespace kavro::test
