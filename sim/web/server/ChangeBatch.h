#pragma once
// Changes to watched files, gathered into one batch per watched folder: an editor
// that saves through a temporary file and a rename, or a tool that writes
// several files, gives one batch rather than one per file event. A folder's
// batch is due once no change came for kQuietTime, or kLongestWait after its
// first change however busy the folder stays. Pure bookkeeping on a clock the
// caller gives, so that it is tested without files or waiting.

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kavro::sim {

class ChangeBatch {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr auto kQuietTime = std::chrono::milliseconds(100);
  static constexpr auto kLongestWait = std::chrono::milliseconds(500);

  struct Batch {
    std::size_t folder = 0;          // the watched folder's index
    std::vector<std::string> files;  // the changed paths inside it, sorted, each once
  };

  // A change to `file` (a path inside watched folder `folder`) at `now`.
  void add(std::size_t folder, const std::string& file, Clock::time_point now);
  // Takes the batches due at `now`, in the order of their folders.
  std::vector<Batch> takeDue(Clock::time_point now);
  // When the next batch falls due; nothing when none waits.
  std::optional<Clock::time_point> nextDue() const;

 private:
  struct Pending {
    std::set<std::string> files;
    Clock::time_point first;
    Clock::time_point last;
  };
  static Clock::time_point dueOf(const Pending& pending);

  std::map<std::size_t, Pending> pending_;
};

}  // namespace kavro::sim
