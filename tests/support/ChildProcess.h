#pragma once
// Runs one of the project's programs as a user would, with exactly the environment
// and working folder a test gives it, and keeps what it printed.

#include <filesystem>
#include <string>
#include <vector>

namespace kavro::test {

struct ProgramResult {
  int status = -1;  // the exit status, 128 + the signal when a signal ended it
  std::string out;
  std::string err;
};

struct ProgramRun {
  std::vector<std::string> arguments;   // without the program's name
  std::vector<std::string> environment;  // "NAME=value" each; nothing else is passed
  std::filesystem::path workingFolder;   // empty: the test's own
};

ProgramResult runProgram(const std::string& binary, ProgramRun run);

}  // namespace kavro::test
