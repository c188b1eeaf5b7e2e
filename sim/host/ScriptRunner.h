#pragma once
// Runs scenario scripts against the simulator, headless, on the virtual clock: one
// command a line, words split as a shell does (double quotes, backslash escapes),
// "#" starting a comment. `dump` prints one JSON line; `expect` compares the JSON
// at a pointer of a fresh dump.

#include <istream>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavro::sim {

class Simulator;
class Dumper;

// A script error: unknown command, bad arguments, a query that matches nothing.
struct ScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// An expectation that did not hold.
struct ExpectationFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class ScriptRunner {
 public:
  ScriptRunner(Simulator& simulator, std::ostream& out);
  ~ScriptRunner();

  // Runs a whole script. Returns the exit status: 0 on success, 1 when an
  // expectation fails, 2 on a script error; the message goes to `err` as
  // "line N: message".
  int run(std::istream& script, std::ostream& err);
  // Runs one command line (no line number handling); throws on error.
  void runLine(const std::string& line);

  // Splits a line into words as a shell does with double quotes; "#" outside quotes
  // starts a comment. Throws ScriptError on an unterminated quote.
  static std::vector<std::string> splitWords(const std::string& line);

 private:
  void execute(const std::vector<std::string>& words, const std::string& line);
  void reorder(long section, long row, long toSection, long toRow);
  Simulator& simulator_;
  std::ostream& out_;
  std::unique_ptr<Dumper> dumper_;
  // Where the view under the latest touch-down ends, for `touch-up outside`.
  double touchedViewBottom_ = 0;
};

}  // namespace kavro::sim
