#pragma once
// Runs scenario scripts against the simulator, headless, on the virtual clock: one
// command a line, words split as a shell does (double quotes, backslash escapes),
// "#" starting a comment. The commands are a table (name, arguments, usage,
// handler) over the simulator's input and readings; `dump` prints one JSON line,
// `expect` compares the JSON at a pointer of a fresh state.

#include <cstddef>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kavro::sim {

class Simulator;

// A script error: unknown command, bad arguments.
struct ScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// An expectation that did not hold.
struct ExpectationFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class ScriptRunner {
 public:
  // One line being run: its words (the command first) and its text as written.
  struct Line {
    const std::vector<std::string>& words;
    const std::string& text;
    const std::string& operator[](std::size_t index) const { return words[index]; }
    std::size_t arguments() const { return words.size() - 1; }
  };
  struct Command {
    std::string_view name;
    std::size_t minimumArguments;
    std::size_t maximumArguments;
    std::string_view usage;
    void (*run)(ScriptRunner& runner, const Line& line);
  };
  // Every command, in the order the documentation lists them.
  static const std::vector<Command>& commands();

  ScriptRunner(Simulator& simulator, std::ostream& out) : simulator_(simulator), out_(out) {}

  // Runs a whole script. Returns the exit status: 0 on success, 1 when an
  // expectation fails, 2 on a script error; the message goes to `err` as
  // "line N: message".
  int run(std::istream& script, std::ostream& err);
  // Runs one command line (no line number handling); throws on error.
  void runLine(const std::string& line);

  // Splits a line into words as a shell does with double quotes; "#" outside quotes
  // starts a comment. Throws ScriptError on an unterminated quote.
  static std::vector<std::string> splitWords(const std::string& line);

  Simulator& simulator() { return simulator_; }
  std::ostream& out() { return out_; }

 private:
  Simulator& simulator_;
  std::ostream& out_;
};

}  // namespace kavro::sim
